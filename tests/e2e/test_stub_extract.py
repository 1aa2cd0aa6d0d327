"""Extraction by the stub: a folder tree comes back byte for byte with its
times and attributes, in the folder the header chooses; existing files are
handled by the overwrite mode; a drive without room stops the run."""
import os
import random
import re
import subprocess

import pytest

import sfxcraft as sc

HIDDEN_READONLY = sc.ATTR_HIDDEN | sc.ATTR_READONLY


# Wine reports the archive bit on every file, so only these are compared.
CHECKED = sc.ATTR_READONLY | sc.ATTR_HIDDEN | sc.ATTR_SYSTEM | sc.ATTR_DIRECTORY


def attributes(wine, path):
    return wine.auto("attrib", wine.winpath(path))["attributes"] & CHECKED


def make_source(root):
    """A tree with what tends to go wrong: empty files and folders, nesting,
    a Korean name, a file of two chunks."""
    (root / "docs" / "deep" / "deeper").mkdir(parents=True)
    (root / "empty folder").mkdir()
    (root / "docs" / "readme.txt").write_bytes(b"read me\r\n" * 100)
    (root / "docs" / "deep" / "deeper" / "leaf.bin").write_bytes(bytes(range(256)) * 3)
    (root / "empty.txt").write_bytes(b"")
    (root / "한글 이름.txt").write_bytes("내용".encode("utf-8"))
    (root / "secret.dat").write_bytes(b"hidden and read-only")
    big = random.Random(7).randbytes(sc.CHUNK_RAW_MAX + 4321)
    (root / "big.bin").write_bytes(big)
    stamp = 1_600_000_001  # odd second: stored with 2-second precision
    for i, path in enumerate(sorted(root.rglob("*"))):
        os.utime(path, (stamp + 86400 * i, stamp + 86400 * i))
    return {"secret.dat": HIDDEN_READONLY, "docs/deep": sc.ATTR_HIDDEN}


def test_round_trip_to_a_custom_folder(wine, stub, tmp_path):
    source = tmp_path / "source"
    special = make_source(source)
    entries = sc.from_folder(source, attributes=special)
    out = tmp_path / "out"
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out), entries)
    assert wine.run(sfx, timeout=120).returncode == 0

    assert sc.tree(out) == sc.tree(source)
    for e in entries:
        rel = e.name.decode("cp949").replace("\\", "/")
        got = attributes(wine, out / rel) if rel in special or e.name == b"big.bin" else None
        if rel in special:
            assert got == special[rel] | (0x10 if e.is_folder else 0), rel
        if not e.is_folder:
            # The record's DOS time, to the second it holds.
            assert (out / rel).stat().st_mtime == sc.from_dos_time(e.dos_time), rel
    assert attributes(wine, out / "big.bin") == 0


def test_empty_file_gets_its_time_and_attributes(wine, stub, tmp_path):
    out = tmp_path / "out"
    stamp = sc.dos_time(1_500_000_000)
    entries = [sc.Entry(b"empty.log", b"", dos_time=stamp, attributes=sc.ATTR_HIDDEN),
               sc.Entry(b"content.txt", b"c")]
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out), entries)
    assert wine.run(sfx).returncode == 0
    assert (out / "empty.log").read_bytes() == b""
    assert (out / "empty.log").stat().st_mtime == sc.from_dos_time(stamp)
    assert attributes(wine, out / "empty.log") == sc.ATTR_HIDDEN


def existing(out):
    out.mkdir()
    (out / "a.txt").write_bytes(b"old a")
    (out / "b.txt").write_bytes(b"old b")
    (out / "c.txt").write_bytes(b"old c")


NEW = [sc.Entry(b"a.txt", b"new a"), sc.Entry(b"b.txt", b"new b", attributes=sc.ATTR_HIDDEN),
       sc.Entry(b"c.txt", b"new c"), sc.Entry(b"d.txt", b"new d")]


@pytest.mark.parametrize("codepage, last_line", [(1252, "Overwrite file?"),
                                                 (949, "파일을 덮어쓰시겠습니까?")])
def test_overwrite_asks_for_each_existing_file(wine, stub, tmp_path, codepage, last_line):
    out = tmp_path / "out"
    existing(out)
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out, overwrite_mode=0), NEW)
    proc = wine.start(sfx, codepage=codepage)
    boxes = [wine.auto("press", "--class", "#32770", "--button", answer, codepage=codepage)
             for answer in ("yes", "no", "no")]
    assert wine.wait(proc, 30) == 0
    for box, name in zip(boxes, ("a.txt", "b.txt", "c.txt")):
        text = next(c["text"] for c in box["controls"] if c["id"] == 0xFFFF)
        lines = text.split("\r\n")
        assert lines[1:] == [wine.winpath(out / name), "", last_line], text
        assert lines[0]  # the system's "file exists" message
        assert box["title"] == ""
        assert box["default_id"] == 7  # No
    assert sc.tree(out) == {"a.txt": b"new a", "b.txt": b"old b", "c.txt": b"old c", "d.txt": b"new d"}
    # A file kept by No keeps its own attributes as well.
    assert attributes(wine, out / "b.txt") == 0


def test_overwrite_all(wine, stub, tmp_path):
    out = tmp_path / "out"
    existing(out)
    wine.auto("attrib", wine.winpath(out / "a.txt"), "--set", str(HIDDEN_READONLY))
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out, overwrite_mode=1), NEW)
    assert wine.run(sfx, timeout=30).returncode == 0
    assert sc.tree(out) == {n: b"new " + n[:1].encode() for n in ("a.txt", "b.txt", "c.txt", "d.txt")}
    assert attributes(wine, out / "a.txt") == 0


def test_skip_all_keeps_content_and_attributes(wine, stub, tmp_path):
    out = tmp_path / "out"
    existing(out)
    entries = NEW[:1] + [sc.Entry(b"b.txt", b"new b", attributes=sc.ATTR_SYSTEM | HIDDEN_READONLY)] + NEW[2:]
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out, overwrite_mode=2), entries)
    assert wine.run(sfx, timeout=30).returncode == 0
    assert sc.tree(out) == {"a.txt": b"old a", "b.txt": b"old b", "c.txt": b"old c", "d.txt": b"new d"}
    assert attributes(wine, out / "b.txt") == 0


def test_skipped_file_is_still_checked(wine, stub, tmp_path):
    out = tmp_path / "out"
    existing(out)
    entries = [sc.Entry(b"a.txt", b"new a", bend_checksum=1), sc.Entry(b"z.txt", b"z")]
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out, overwrite_mode=2), entries)
    assert wine.run(sfx, timeout=30).returncode == 23
    assert (out / "a.txt").read_bytes() == b"old a"
    assert not (out / "z.txt").exists()


def cmd_echo(wine, text):
    return wine.run("cmd", ["/c", f"echo {text}"]).stdout.decode().strip()


@pytest.mark.parametrize("choice", ["temp", "desktop", "documents", "current", "custom-env"])
def test_extraction_folder(wine, stub, tmp_path, choice):
    run_id = b"00" + os.urandom(4).hex().upper().encode()
    current = tmp_path / "cwd"
    current.mkdir()
    options = sc.Options(run_id=run_id, extraction_folder={
        "temp": sc.FOLDER_TEMP, "desktop": sc.FOLDER_DESKTOP, "documents": sc.FOLDER_DOCUMENTS,
        "current": sc.FOLDER_CURRENT, "custom-env": sc.FOLDER_CUSTOM}[choice])
    if choice == "custom-env":
        options.custom_folder = b"%USERPROFILE%\\MyApplication" + run_id + b"\\"
    name = b"marker-" + run_id + b".txt"
    sfx = sc.write(tmp_path / "setup.exe", stub, options, [sc.Entry(name, b"here")])
    assert wine.run(sfx, cwd=current).returncode == 0
    profile = wine.unixpath(cmd_echo(wine, "%USERPROFILE%"))
    expected = {
        "temp": wine.unixpath(cmd_echo(wine, "%TEMP%")) / f"~sfx{run_id.decode()}",
        "desktop": profile / "Desktop",
        "documents": profile / "Documents",
        "current": current,
        "custom-env": profile / f"MyApplication{run_id.decode()}",
    }[choice]
    assert (expected / name.decode()).read_bytes() == b"here"


@pytest.fixture
def small_drive(wine, tmp_path):
    """Drive Q: of the prefix on a 1 MiB tmpfs."""
    mount = tmp_path / "small"
    mount.mkdir()
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", str(mount)],
                          capture_output=True)
    if done.returncode != 0:
        pytest.skip(f"cannot mount a small tmpfs: {done.stderr.decode().strip()}")
    link = wine.prefix / "dosdevices" / "q:"
    link.symlink_to(mount)
    try:
        yield mount
    finally:
        link.unlink()
        subprocess.run(["umount", str(mount)], check=True)


def test_not_enough_free_space(wine, stub, tmp_path, small_drive):
    entries = [sc.folder(b"d"), sc.Entry(b"d\\big.bin", bytes(2 * 1024 * 1024))]
    options = sc.Options(custom_folder=b"Q:\\target\\", silent=0)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, entries)
    proc = wine.start(sfx, codepage=1252)
    box = wine.auto("press", "--class", "#32770", "--button", "ok", codepage=1252)
    assert wine.wait(proc, 30) == 112
    text = next(c["text"] for c in box["controls"] if c["id"] == 0xFFFF)
    assert re.match(r"Q:\\   \[(1\.00|10\d\d\.\d) [Mk]B < 2\.00 MB\]\r\n\r\n\S", text), text
    assert list(small_drive.iterdir()) == []
    # What fits goes in.
    fits = sc.write(tmp_path / "fits.exe", stub, sc.Options(custom_folder=b"Q:\\target\\"),
                    [sc.Entry(b"small.bin", bytes(100 * 1024))])
    assert wine.run(fits).returncode == 0
    assert (small_drive / "target" / "small.bin").stat().st_size == 100 * 1024


def test_free_space_that_cannot_be_read(wine, stub, tmp_path):
    # No drive R: in the prefix: no free-space check (no "full disk" of
    # "-1 B"); the missing folder itself is what the user is told about.
    assert not (wine.prefix / "dosdevices" / "r:").exists()
    options = sc.Options(custom_folder=b"R:\\nowhere\\", silent=0)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, [sc.Entry(b"x", b"12345")])
    proc = wine.start(sfx, codepage=1252)
    box = wine.auto("press", "--class", "#32770", "--button", "ok", codepage=1252)
    assert wine.wait(proc, 30) == 3
    text = next(c["text"] for c in box["controls"] if c["id"] == 0xFFFF)
    assert text.startswith("R:\\nowhere\\x\r\n\r\n"), text


def test_names_in_the_recorded_code_page(wine, tmp_path):
    # The maker recorded code page 65001 in the stub: names and the custom
    # folder stored as UTF-8 arrive on a system whose code page is 1252.
    stub = wine.exe("tarnwick_stub_utf8.exe").read_bytes()
    out = tmp_path / "출력 😀"
    entries = [sc.folder("한글".encode()), sc.Entry("한글\\파일 😀.txt".encode(), b"x")]
    options = sc.Options(custom_folder=(wine.winpath(out) + "\\").encode())
    sfx = sc.write(tmp_path / "setup.exe", stub, options, entries)
    assert wine.run(sfx, codepage=1252).returncode == 0
    assert sc.tree(out) == {"한글": None, "한글/파일 😀.txt": b"x"}
