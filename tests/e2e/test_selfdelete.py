"""The self-delete helper under Wine: it removes a read-only or briefly locked
file, ends at once when there is nothing to delete, and always exits with 0."""
import json
import os

import pytest

from sample_trees import wait_until

FILE_ATTRIBUTE_READONLY = 0x1
ERROR_ACCESS_DENIED = 5
ERROR_SHARING_VIOLATION = 32


def helper(wine):
    return wine.exe("tarnwick_selfdelete.exe")


def twauto_json(wine, *args):
    done = wine.run(wine.exe("twauto.exe"), args, timeout=30)
    return done.returncode, json.loads(done.stdout)


def plain_delete_error(wine, path):
    """What a DeleteFileW without clearing attributes reports (0: deleted)."""
    code, result = twauto_json(wine, "delete", path)
    return result["error"]


def hold(wine, path, release):
    """Keeps `path` open without sharing until the file `release` appears;
    returns once the file is held."""
    proc = wine.start(wine.exe("holdfile.exe"), [path, release])
    wait_until(lambda: b"held" in proc.read_stdout() or proc.poll() is not None)
    assert proc.poll() is None, proc.read_stdout()
    return proc


@pytest.mark.parametrize("codepage", [949, 1252])
def test_read_only_file_with_spaces_and_korean_name_is_deleted(wine, tmp_path, codepage):
    folder = tmp_path / "설치 폴더"
    folder.mkdir()
    target = folder / "압축 해제.exe"
    target.write_bytes(b"MZ")
    code, result = twauto_json(wine, "attrib", target, "--set", str(FILE_ATTRIBUTE_READONLY))
    assert code == 0 and result["readonly"]
    # Read-only really blocks a delete here (Wine checks it even for root).
    assert plain_delete_error(wine, target) == ERROR_ACCESS_DENIED
    # The stub passes the path in double quotes.
    done = wine.run(helper(wine), command_line=f'"{wine.winpath(target)}"', codepage=codepage,
                    timeout=60)
    assert done.returncode == 0
    assert not target.exists()
    assert folder.is_dir()


@pytest.mark.parametrize("command_line", [
    None,                         # no parameter at all
    '""',                         # an empty one
    '"Z:\\no\\such\\file.exe"',   # a file that is not there
])
def test_nothing_to_delete_ends_at_once_with_0(wine, command_line):
    # The timeout is below the 20 s of retries a wrong start would cost.
    done = wine.run(helper(wine), command_line=command_line, timeout=18)
    assert done.returncode == 0


def test_folder_is_left_alone(wine, tmp_path):
    folder = tmp_path / "not a file"
    folder.mkdir()
    (folder / "keep.txt").write_text("x")
    done = wine.run(helper(wine), [folder], timeout=18)
    assert done.returncode == 0
    assert (folder / "keep.txt").is_file()


def test_file_held_open_is_deleted_once_released(wine, tmp_path):
    target = tmp_path / "busy.exe"
    target.write_bytes(b"MZ" * 100)
    release = tmp_path / "release"
    holder = hold(wine, target, release)
    # Locked now: a single try would fail, so a success proves the retries.
    assert plain_delete_error(wine, target) == ERROR_SHARING_VIOLATION
    proc = wine.start(helper(wine), [target])
    proc.windows_pid()  # running: it tries at once
    release.write_bytes(b"")
    assert wine.wait(proc, 60) == 0
    assert not target.exists()
    assert wine.wait(holder, 30) == 0


@pytest.mark.skipif(os.environ.get("TW_SLOW_TESTS") != "1",
                    reason="takes the helper's full 20 s of retries; set TW_SLOW_TESTS=1")
def test_file_locked_past_all_tries_stays_and_helper_still_exits_0(wine, tmp_path):
    target = tmp_path / "locked.exe"
    target.write_bytes(b"MZ")
    release = tmp_path / "release"
    holder = hold(wine, target, release)
    done = wine.run(helper(wine), [target], timeout=55)
    assert done.returncode == 0
    assert target.exists()
    release.write_bytes(b"")
    assert wine.wait(holder, 30) == 0
