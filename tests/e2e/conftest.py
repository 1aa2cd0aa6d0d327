"""Session fixture for the Wine tests: see harness.py."""

import pytest

import harness


def pytest_report_header(config):
    build, why = harness.choose_build()
    bin_dir = harness.build_root() / build / "bin"
    return f"wine tests: {build} programs ({why}) from {bin_dir}"


@pytest.fixture(scope="session")
def wine():
    session = harness.WineSession()
    session.open()
    try:
        yield session
    finally:
        session.close()
