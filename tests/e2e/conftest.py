"""Session fixture for the Wine tests: see harness.py."""

import os
import pwd
import warnings

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


@pytest.fixture(scope="session")
def wine_user():
    """A session whose programs run as an unprivileged user, for the tests
    about read-only files (root's Wine writes over them). Its programs can
    write only below wine_user.scratch() folders, not in tmp_path."""
    user = harness.unprivileged_user() if os.geteuid() == 0 else None
    if user is not None:
        try:
            pwd.getpwnam(user)
        except KeyError:
            pytest.skip(f"no user {user!r} to run Wine as: run scripts/setup.sh")
    session = harness.WineSession(user=user)
    session.open()
    try:
        yield session
    finally:
        session.close()


@pytest.fixture(autouse=True)
def _wine_cleanup(request):
    """After each Wine test: end its leftovers so that the next test does not
    find (and press) a stranger's window, and warn about them."""
    yield
    for name in ("wine", "wine_user"):
        if name in request.fixturenames:
            for item in request.getfixturevalue(name).cleanup():
                warnings.warn(f"{request.node.nodeid}: {item}", stacklevel=1)


@pytest.fixture(scope="session")
def stub(wine):
    """The stub's bytes: the front of every SFX file the tests craft."""
    return wine.exe("tarnwick_stub.exe").read_bytes()


@pytest.fixture(scope="session")
def argdump(wine):
    """A program that records the command line and folder it was run with."""
    return wine.exe("argdump.exe").read_bytes()
