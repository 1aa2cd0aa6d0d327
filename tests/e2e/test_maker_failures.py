"""Builds that must fail: each shows one error box that names the file
concerned, ends with exit code 1 and leaves no SFX file behind. Sources the
format cannot hold are refused before the target is touched; a build that
fails while writing, or is killed, leaves the target it was replacing as it
was (the new file is written under a temporary name beside it)."""

import os
import subprocess

import pytest

import sfxreader as sr
from gatefs import GatedSource
from sample_trees import (EXIT_BUILT, EXIT_FAILED, MAKER, box_text, expect_box, finish,
                          maker_args, maker_error, random_bytes, run_maker, wait_until,
                          write_tree)

TOO_LARGE = "파일이 너무 큽니다. 2 GB 이상인 파일은 SFX 파일에 넣을 수 없습니다.\r\n\r\n"
CHANGED = "압축하는 동안 파일이 바뀌었습니다. 다시 만들어 주십시오.\r\n\r\n"
CANNOT_OPEN = "파일을 열 수 없습니다.\r\n\r\n"
CANNOT_WRITE = "대상 파일에 쓸 수 없습니다.\r\n\r\n"
CANNOT_CREATE = "대상 파일을 만들 수 없습니다.\r\n\r\n"


def failed(wine, source, target, switches=("-c", "-o"), rest=(), codepage=949):
    box, code = maker_error(wine, source, target, switches, rest, codepage)
    assert code == EXIT_FAILED, box_text(box)
    assert box["title"] == "오류"
    return box_text(box)


def temp_files(target):
    """The temporary files of builds of this target."""
    return sorted(target.parent.glob(target.name + ".~tw*.tmp"))


def with_system_message(text, prefix):
    """The part after prefix + path + blank line: the system's error text."""
    assert text.startswith(prefix), text
    rest = text[len(prefix):]
    assert rest.strip(), f"no system message in {text!r}"
    return rest


@pytest.mark.parametrize("size", [2**31, 2**32 + 1])
def test_file_of_2_gib_or_more_is_refused_before_the_target_exists(wine, tmp_path, size):
    src = write_tree(tmp_path / "src", {"a.txt": b"a", "big": None})
    big = src / "big" / "huge %s %d %1.bin"  # the name goes into the message as it is
    with open(big, "wb") as f:  # sparse: takes no disk space
        f.truncate(size)
    target = tmp_path / "t.exe"
    assert failed(wine, src, target) == TOO_LARGE + wine.winpath(big)
    assert not target.exists()


def test_locked_source_file_fails_and_keeps_the_previous_target(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"a.txt": b"alpha", "z": None, "z/locked.dat": b"locked"})
    locked = src / "z" / "locked.dat"
    target = tmp_path / "t.exe"
    target.write_bytes(b"an earlier SFX file")
    release = tmp_path / "release"
    holder = wine.start(wine.exe("holdfile.exe"), [locked, release])
    try:
        wait_until(lambda: b"held" in holder.read_stdout() or holder.poll() is not None)
        assert holder.poll() is None, holder.read_stdout()
        text = failed(wine, src, target)
    finally:
        release.write_bytes(b"")
        assert finish(wine, holder, 30) == 0
    with_system_message(text, CANNOT_OPEN + wine.winpath(locked) + "\r\n\r\n")
    assert target.read_bytes() == b"an earlier SFX file"
    assert temp_files(target) == []


def test_target_that_is_the_file_to_run(wine, tmp_path):
    # Written over, it would leave an SFX file without its file to run.
    src = write_tree(tmp_path / "src", {"bin": None, "bin/run.exe": b"MZ run"})
    target = wine.winpath(src / "BIN" / "RUN.EXE")
    text = failed(wine, src, target, ("-c", "-o", "-mf"), [src / "bin" / "run.exe"])
    assert text == "대상 파일이 실행할 파일과 같은 파일입니다. 다른 대상 파일을 고르십시오.\r\n\r\n" + target
    assert (src / "bin" / "run.exe").read_bytes() == b"MZ run"


def test_target_whose_folder_cannot_be_created(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"a.txt": b"a"})
    blocker = tmp_path / "plain file"
    blocker.write_bytes(b"keep")
    target = blocker / "sub" / "t.exe"
    text = failed(wine, src, target)
    with_system_message(text, CANNOT_CREATE + wine.winpath(target) + "\r\n\r\n")
    assert blocker.read_bytes() == b"keep"


def test_target_that_is_a_folder(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"a.txt": b"a"})
    target = tmp_path / "a folder.exe"
    (target / "inside").mkdir(parents=True)
    text = failed(wine, src, target)
    with_system_message(text, CANNOT_CREATE + wine.winpath(target) + "\r\n\r\n")
    assert (target / "inside").is_dir()


@pytest.fixture(params=["1m", "4k"])
def small_disk(tmp_path, request):
    """A small file system (tmpfs) for the target; needs root. 1 MiB holds
    the stub but not the data; 4 KiB not even the stub."""
    mount_point = tmp_path / "small disk"
    mount_point.mkdir()
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + request.param, "tmpfs",
                           str(mount_point)], capture_output=True)
    if done.returncode != 0:
        pytest.skip(f"cannot mount a small file system: {done.stderr.decode().strip()}")
    try:
        yield mount_point
    finally:
        subprocess.run(["umount", str(mount_point)], check=True)


def test_full_disk_fails_and_keeps_the_previous_target(wine, tmp_path, small_disk):
    src = write_tree(tmp_path / "src", {"noise.bin": random_bytes(3 << 20, 11)})
    target = small_disk / "t.exe"
    target.write_bytes(b"earlier")
    text = failed(wine, src, target)
    with_system_message(text, CANNOT_WRITE + wine.winpath(target) + "\r\n\r\n")
    assert list(small_disk.iterdir()) == [target]
    assert target.read_bytes() == b"earlier"


def gated_build(wine, tmp_path, size_after=None):
    """A headless build of a source whose second chunk can be read only once
    the test opens the gate, and the source; returns when the build waits
    there (whatever the machine's speed)."""
    gated = GatedSource(tmp_path / "gated", 3 * sr.CHUNK_RAW_MAX, sr.CHUNK_RAW_MAX + 1, size_after)
    target = tmp_path / "t.exe"
    proc = wine.start(wine.exe(MAKER), maker_args(wine, gated.path, target, ["-c", "-o"]))
    wait_until(lambda: gated.reads_waiting() > 0 or proc.poll() is not None)
    assert proc.poll() is None, "the build ended before it reached the gate"
    return proc, gated, target


def test_killed_build_keeps_the_previous_target_and_the_next_removes_its_rest(wine, tmp_path):
    (tmp_path / "t.exe").write_bytes(b"the previous SFX file")
    proc, gated, target = gated_build(wine, tmp_path)
    try:
        wine.auto("kill", str(proc.windows_pid()))
    finally:
        gated.close()
    proc.wait(30)
    assert target.read_bytes() == b"the previous SFX file" and len(temp_files(target)) == 1
    src = write_tree(tmp_path / "src", {"noise.bin": b"small now"})
    assert run_maker(wine, src, target) == EXIT_BUILT and temp_files(target) == []
    assert sr.read_sfx(target).by_name()["noise.bin"].data == b"small now"


def test_links_under_leftover_names_are_left_alone(wine, tmp_path):
    # A link planted under a leftover's name is not a file a build left: the
    # file it reaches keeps its content and its read-only bit, and the link
    # stays. A true leftover beside them is still removed.
    src = write_tree(tmp_path / "src", {"a.txt": b"a"})
    elsewhere = write_tree(tmp_path / "elsewhere", {"soft.dat": b"soft", "hard.dat": b"hard"})
    out = tmp_path / "out"
    out.mkdir()
    (out / "t.exe.~twDEADBEEF.tmp").symlink_to(elsewhere / "soft.dat")
    os.link(elsewhere / "hard.dat", out / "t.exe.~tw0BADF00D.tmp")
    (out / "t.exe.~tw12345678.tmp").write_bytes(b"left by a killed build")
    for f in elsewhere.iterdir():
        f.chmod(0o444)
    assert run_maker(wine, src, out / "t.exe") == EXIT_BUILT
    assert sorted(p.name for p in out.iterdir()) == [
        "t.exe", "t.exe.~tw0BADF00D.tmp", "t.exe.~twDEADBEEF.tmp"]
    assert {f.name: (f.read_bytes(), f.stat().st_mode & 0o777) for f in elsewhere.iterdir()} == {
        "soft.dat": (b"soft", 0o444), "hard.dat": (b"hard", 0o444)}


@pytest.mark.parametrize("size_after", [1 << 20, 3 * sr.CHUNK_RAW_MAX + 4], ids=["shrink", "grow"])
def test_source_that_changes_while_packed(wine, tmp_path, size_after):
    proc, gated, target = gated_build(wine, tmp_path, size_after)
    try:
        gated.open_gate()
        box = expect_box(wine, proc, "오류")
    finally:
        gated.close()
    assert box_text(box) == CHANGED + wine.winpath(gated.file)
    assert finish(wine, proc) == EXIT_FAILED
    assert not target.exists() and temp_files(target) == []


def test_folder_that_cannot_be_listed(wine, tmp_path):
    # A link back to its own folder nests until the system refuses to go
    # deeper: that folder cannot be listed, and the build must say so
    # rather than pack a partial tree (or recurse for ever).
    src = write_tree(tmp_path / "src", {"a.txt": b"a"})
    (src / "loop").symlink_to(".")
    target = tmp_path / "t.exe"
    text = failed(wine, src, target)
    prefix = "폴더 내용을 읽을 수 없습니다.\r\n\r\n" + wine.winpath(src / "loop" / "loop") + "\\"
    path_part, _, system = text.rpartition("\r\n\r\n")
    assert path_part.startswith(prefix) and system.strip(), text
    assert not target.exists()
