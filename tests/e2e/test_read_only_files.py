"""Read-only files met by the stub and the maker as on Windows: these tests
run Wine as an unprivileged user (root's Wine writes over read-only files)."""

import os

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


# An existing read-only, hidden and system file against a read-only record:
# replaced in overwrite mode; kept by skip mode, by the answer No, and when
# its folder takes no new (temporary) file.
@pytest.mark.parametrize("overwrite_mode, answer, folder_mode, code, content, attrs", [
    (1, None, 0o755, 0, b"new", RO),
    (2, None, 0o755, 0, b"old", RO | HIDDEN | SYSTEM),
    (0, "no", 0o755, 0, b"old", RO | HIDDEN | SYSTEM),
    (1, None, 0o555, 5, b"old", RO | HIDDEN | SYSTEM),
])
def test_existing_read_only_file(wine_user, overwrite_mode, answer, folder_mode, code, content,
                                 attrs):
    out = wine_user.scratch()
    old_file(wine_user, out / "a.txt", RO | HIDDEN | SYSTEM)
    out.chmod(folder_mode)
    stub = wine_user.exe("tarnwick_stub.exe").read_bytes()
    options = sc.into(wine_user, out, overwrite_mode=overwrite_mode)
    entries = [sc.Entry(b"a.txt", b"new", attributes=RO)]
    proc = wine_user.start(sc.write(wine_user.scratch() / "setup.exe", stub, options, entries))
    if answer:
        wine_user.auto("press", "--class", "#32770", "--button", answer)
    assert wine_user.wait(proc, 30) == code
    assert sc.tree(out) == {"a.txt": content}
    assert attributes(wine_user, out / "a.txt") == attrs


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
