"""Read-only files met by the stub and the maker run by an unprivileged user,
as on Windows (root's Wine writes over read-only files): an SFX file run
again in overwrite mode replaces its earlier read-only, hidden and system
files; skip mode and the answer No keep a read-only file; a folder the
user cannot write in is an error that loses nothing; a build keeps a
read-only previous target."""

import os

import pytest

import sfxcraft as sc
from sample_trees import EXIT_FAILED, box_text, maker_error, write_tree

RO, HIDDEN, SYSTEM = sc.ATTR_READONLY, sc.ATTR_HIDDEN, sc.ATTR_SYSTEM
CHECKED = RO | HIDDEN | SYSTEM  # Wine adds the archive bit on its own


def attributes(wine, path):
    return wine.auto("attrib", wine.winpath(path))["attributes"] & CHECKED


def existing(wine, folder, files: dict):
    """Files "old <name>" of the user's with these attributes. Hidden and
    system are stored the way Wine keeps them (a Wine run by the user cannot
    add them to a read-only file: it drops the write bits before it stores
    them)."""
    for name, attrs in files.items():
        path = folder / name
        path.write_bytes(b"old " + name.encode())
        wine.own(path)
        os.setxattr(path, "user.DOSATTRIB", b"0x%x" % (attrs & (HIDDEN | SYSTEM)))
        path.chmod(0o444 if attrs & RO else 0o644)
        assert attributes(wine, path) == attrs


def extract(wine, out, entries, overwrite_mode, answer=None):
    """Runs an SFX file of these entries into out; presses `answer` on each
    overwrite question. Returns the exit code."""
    stub = wine.exe("tarnwick_stub.exe").read_bytes()
    options = sc.into(wine, out, overwrite_mode=overwrite_mode)
    proc = wine.start(sc.write(wine.scratch() / "setup.exe", stub, options, entries))
    if answer:
        wine.auto("press", "--class", "#32770", "--button", answer)
    return wine.wait(proc, 30)


def test_overwrite_replaces_read_only_hidden_and_system_files(wine_user):
    out = wine_user.scratch()
    existing(wine_user, out, {"a.txt": RO, "b.txt": RO | HIDDEN | SYSTEM})
    entries = [sc.Entry(b"a.txt", b"new a"), sc.Entry(b"b.txt", b"new b", attributes=RO)]
    assert extract(wine_user, out, entries, overwrite_mode=1) == 0
    assert sc.tree(out) == {"a.txt": b"new a", "b.txt": b"new b"}
    assert (attributes(wine_user, out / "a.txt"), attributes(wine_user, out / "b.txt")) == (0, RO)


@pytest.mark.parametrize("overwrite_mode, answer", [(2, None), (0, "no")])
def test_skip_and_no_keep_a_read_only_file(wine_user, overwrite_mode, answer):
    out = wine_user.scratch()
    existing(wine_user, out, {"a.txt": RO | HIDDEN})
    entries = [sc.Entry(b"a.txt", b"new a", attributes=SYSTEM), sc.Entry(b"b.txt", b"new b")]
    assert extract(wine_user, out, entries, overwrite_mode, answer) == 0
    assert sc.tree(out) == {"a.txt": b"old a.txt", "b.txt": b"new b"}
    assert attributes(wine_user, out / "a.txt") == RO | HIDDEN


def test_folder_the_user_cannot_write_in_fails_and_keeps_its_file(wine_user):
    # The new content goes to a temporary file beside the old one first.
    out = wine_user.scratch()
    existing(wine_user, out, {"a.txt": 0})
    out.chmod(0o555)
    assert extract(wine_user, out, [sc.Entry(b"a.txt", b"new a")], overwrite_mode=1) == 5
    assert sc.tree(out) == {"a.txt": b"old a.txt"}


def test_build_keeps_a_read_only_previous_target(wine_user):
    folder = wine_user.scratch()
    source = wine_user.own(write_tree(folder / "src", {"a.txt": b"alpha"}))
    target = folder / "t.exe"
    existing(wine_user, folder, {"t.exe": RO})
    box, code = maker_error(wine_user, source, target)
    assert code == EXIT_FAILED
    assert box_text(box).startswith("대상 파일을 만들 수 없습니다.\r\n\r\n" + wine_user.winpath(target))
    assert target.read_bytes() == b"old t.exe"
    assert sorted(p.name for p in folder.iterdir()) == ["src", "t.exe"]  # no temporary file
