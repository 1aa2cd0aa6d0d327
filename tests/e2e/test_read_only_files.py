"""Read-only files met by the stub and the maker as on Windows: these tests
run Wine as an unprivileged user (root's Wine writes over read-only files)."""

import os
import time

import pytest

import sfxcraft as sc
from sample_trees import EXIT_FAILED, box_text, maker_error, write_tree

RO, HIDDEN, SYSTEM = sc.ATTR_READONLY, sc.ATTR_HIDDEN, sc.ATTR_SYSTEM


def attributes(wine, path):
    return wine.auto("attrib", wine.winpath(path))["attributes"] & (RO | HIDDEN | SYSTEM)


def old_file(wine, path, attrs):
    """A file "old" of the user's. Hidden and system are stored the way Wine
    keeps them: the user's Wine cannot add them to a read-only file."""
    path.write_bytes(b"old")
    wine.own(path)
    os.setxattr(path, "user.DOSATTRIB", b"0x%x" % (attrs & (HIDDEN | SYSTEM)))
    path.chmod(0o444 if attrs & RO else 0o644)
    assert attributes(wine, path) == attrs


OLD = RO | HIDDEN | SYSTEM
HELD, NO_WRITE = "held open without sharing", "in a folder without write access"


# An existing read-only file against a read-only record: replaced in
# overwrite mode; kept by skip mode, by the answer No, where no temporary
# file can be made beside it, and where the replacement is refused (which
# gives it back its attributes).
@pytest.mark.parametrize("overwrite_mode, answer, obstacle, before, code, content, after", [
    (1, None, None, OLD, 0, b"new", RO),
    (2, None, None, OLD, 0, b"old", OLD),
    (0, "no", None, OLD, 0, b"old", OLD),
    (1, None, NO_WRITE, OLD, 5, b"old", OLD),
    (1, None, HELD, RO, 5, b"old", RO),
])
def test_existing_read_only_file(wine_user, overwrite_mode, answer, obstacle, before, code,
                                 content, after):
    out, release = wine_user.scratch(), wine_user.scratch() / "release"
    old_file(wine_user, out / "a.txt", 0 if obstacle == HELD else before)
    if obstacle == HELD:
        holder = wine_user.start(wine_user.exe("holdfile.exe"), [out / "a.txt", release])
        while b"held" not in holder.read_stdout():
            assert holder.poll() is None, holder.read_stdout()
            time.sleep(0.1)
        (out / "a.txt").chmod(0o444)  # held before: the user opens no read-only file to write
    if obstacle == NO_WRITE:
        out.chmod(0o555)
    stub = wine_user.exe("tarnwick_stub.exe").read_bytes()
    options = sc.into(wine_user, out, overwrite_mode=overwrite_mode)
    entries = [sc.Entry(b"a.txt", b"new", attributes=RO)]
    proc = wine_user.start(sc.write(wine_user.scratch() / "setup.exe", stub, options, entries))
    if answer:
        wine_user.auto("press", "--class", "#32770", "--button", answer)
    assert wine_user.wait(proc, 30) == code
    release.write_bytes(b"")
    if obstacle == HELD:
        assert wine_user.wait(holder, 30) == 0
    assert sc.tree(out) == {"a.txt": content}
    assert attributes(wine_user, out / "a.txt") == after


def test_build_keeps_a_read_only_previous_target(wine_user):
    folder = wine_user.scratch()
    source = wine_user.own(write_tree(folder / "src", {"a.txt": b"alpha"}))
    target = folder / "t.exe"
    old_file(wine_user, target, RO)
    box, code = maker_error(wine_user, source, target)
    assert code == EXIT_FAILED
    assert box_text(box).startswith("대상 파일을 만들 수 없습니다.\r\n\r\n" + wine_user.winpath(target))
    # The previous target as it was, and no temporary file.
    assert sc.tree(folder) == {"src": None, "src/a.txt": b"alpha", "t.exe": b"old"}
