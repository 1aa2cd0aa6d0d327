"""What the stub must never do to the user's files: leave a cut file after a
full disk, destroy a file before its successor is complete, run from a
folder someone else made, write through a link, or trust a helper record."""
import os

import pytest

import sfxcraft as sc
from test_stub_extract import small_drive  # noqa: F401 (a fixture)
from test_stub_run import read_dump, run_entries
from test_stub_selfdelete import helper_entry, temp_folder


@pytest.mark.parametrize("existing", [False, True])
def test_full_disk(wine, stub, tmp_path, small_drive, existing):  # noqa: F811
    # 1 MiB of tmpfs holds 256 pages: the sizes fit the free-space check,
    # the page-sized fillers make the last file run out of room.
    target = small_drive / "target"
    target.mkdir()
    old = b"old " * 75_000
    if existing:
        (target / "keep.bin").write_bytes(old)
    fillers = [sc.Entry(b"f%03d" % i, os.urandom(2000)) for i in range(100)]
    big = os.urandom(400_000 if existing else 700_000)
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.Options(custom_folder=b"Q:\\target\\"),
                   fillers + [sc.Entry(b"keep.bin", big)])
    assert wine.run(sfx, timeout=60).returncode == 112
    left = sc.tree(target)
    assert left.pop("keep.bin", None) == (old if existing else None)
    # Only whole fillers are left: no cut file, no temporary file.
    assert all(name.startswith("f") and len(data) == 2000 for name, data in left.items()), sorted(left)


@pytest.mark.parametrize("chunk", [0, 1])
def test_a_flipped_byte_in_any_chunk_leaves_nothing(wine, stub, tmp_path, chunk):
    # Before the file of two chunks whose first or last one is bent: a new
    # folder and a file in it, a new file and a replacement beside the
    # user's own file.
    out = tmp_path / "out"
    out.mkdir()
    (out / "keep.txt").write_bytes(b"mine")
    (out / "a.txt").write_bytes(b"old a")
    before = sc.tree(out)
    entries = [sc.folder(b"d"), sc.Entry(b"d\\first.txt", b"first"), sc.Entry(b"a.txt", b"new a"),
               sc.Entry(b"new.txt", b"new"),
               sc.Entry(b"last.bin", os.urandom(sc.CHUNK_RAW_MAX + 1000), bend_stream=sc.flip_chunk(chunk))]
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out), entries)
    assert wine.run(sfx, timeout=60).returncode == 23
    assert sc.tree(out) == before


def test_planted_run_folder_is_not_used(wine, stub, argdump, tmp_path):
    run_id = b"00" + os.urandom(4).hex().upper().encode()
    planted = temp_folder(wine) / f"~sfx{run_id.decode()}"
    (planted / "bin").mkdir(parents=True)
    (planted / "bin" / "argdump.exe").write_bytes(b"MZ planted")
    (planted / "version.dll").write_bytes(b"MZ planted dll")
    before = sc.tree(planted)
    dump = tmp_path / "dump.bin"
    options = sc.Options(extraction_folder=sc.FOLDER_TEMP, run_id=run_id, extraction_mode=1,
                         delete_mode=0, overwrite_mode=2)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, run_entries(argdump))
    assert wine.run(sfx, env={"ARGDUMP_OUT": wine.winpath(dump)}).returncode == 0
    # The real program ran, from a folder of the run's own, now removed.
    ran_in = wine.unixpath(read_dump(dump)["cwd"])
    assert ran_in.parent.name.startswith(f"~sfx{run_id.decode()}-") and ran_in.name == "bin"
    assert not ran_in.parent.exists()
    assert sc.tree(planted) == before


@pytest.mark.parametrize("name", [b"flink\\x.txt", b"file.txt"])
def test_links_are_not_followed(wine, stub, tmp_path, name):
    out, outside = tmp_path / "out", tmp_path / "outside"
    out.mkdir()
    outside.mkdir()
    (outside / "file.txt").write_bytes(b"outside")
    (out / "flink").symlink_to(outside)  # Wine shows it as a reparse point
    (out / "file.txt").symlink_to(outside / "file.txt")  # Wine shows a plain file
    before = sc.tree(outside)
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out),
                   [sc.Entry(b"a.txt", b"a"), sc.Entry(name, b"inside")])
    assert wine.run(sfx).returncode == 4394  # ERROR_REPARSE_TAG_MISMATCH
    assert sc.tree(outside) == before
    assert (out / "a.txt").read_bytes() == b"a"


@pytest.mark.parametrize("place, name, self_delete", [
    (0, b"evil.exe", 1), (0, b"xsfxdel~.exe", 0), (1, b"xsfxdel~.exe", 1)])
def test_helper_record_out_of_place(wine, stub, tmp_path, place, name, self_delete):
    out = tmp_path / "out"
    helper = sc.Entry(name, b"MZ not ours", kind=sc.KIND_HELPER)
    entries = [sc.Entry(b"a.txt", b"a")]
    entries.insert(place, helper)
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out, self_delete=self_delete), entries)
    assert wine.run(sfx).returncode == 13
    assert sc.tree(out) == {}
    assert not (temp_folder(wine) / name.decode()).exists()


def test_failed_run_removes_the_helper(wine, stub, tmp_path):
    # Run mode without a run file fails after the helper was written.
    helper = temp_folder(wine) / "xsfxdel~.exe"
    helper.unlink(missing_ok=True)
    options = sc.into(wine, tmp_path / "out", extraction_mode=1, delete_mode=0, self_delete=1)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, [helper_entry(wine), sc.Entry(b"x.txt", b"x")])
    assert wine.run(sfx).returncode == 87
    assert not helper.exists()
    assert sfx.exists()


@pytest.mark.parametrize("code_page", [37, 65000, 1252])
def test_only_the_code_pages_the_maker_records_are_taken(wine, tmp_path, code_page):
    # Read as EBCDIC (37), the letters "aKKaKKaKKa" are "/../../../": the
    # "~sfx" folder would land outside the temporary folder.
    stub = sc.with_code_page(wine.exe("tarnwick_stub_utf8.exe").read_bytes(), code_page)
    taken = code_page == 1252
    run_id = b"00" + os.urandom(4).hex().upper().encode() if taken else b"aKKaKKaKKa"
    name = f"marker-{os.urandom(4).hex()}.txt"
    options = sc.Options(extraction_folder=sc.FOLDER_TEMP, run_id=run_id)
    sfx = sc.write(tmp_path / "a.exe", stub, options, [sc.Entry(name.encode(), b"x")])
    assert wine.run(sfx).returncode == (0 if taken else 13)
    found = list((wine.prefix / "drive_c").rglob(name))
    assert found == ([temp_folder(wine) / f"~sfx{run_id.decode()}" / name] if taken else [])


# Under UTF-8, bytes that are no text are damage wherever they stand: the
# names 0xFF and 0xFE would both become U+FFFD, one file overwriting the
# other.
@pytest.mark.parametrize("field, value", [("names", None), ("custom_folder", b"\xfe\\"),
                                          ("parameters", b"\xfe"), ("run_id", b"000000\xfe\xfe")])
def test_bytes_that_are_no_utf8_are_damage(wine, tmp_path, field, value):
    stub = wine.exe("tarnwick_stub_utf8.exe").read_bytes()
    options = sc.into(wine, tmp_path / "out", extraction_mode=1, delete_mode=2)
    if value:
        setattr(options, field, options.custom_folder + value if field == "custom_folder" else value)
    names = [b"\xff.txt", b"\xfe.txt"] if field == "names" else [b"ok.txt"]
    entries = [sc.Entry(n, n) for n in names] + [sc.Entry(b"run.cmd", b"@exit 0\r\n", kind=sc.KIND_RUN_FILE)]
    sfx = sc.write(tmp_path / "a.exe", stub, options, entries)
    assert wine.run(sfx).returncode == 13
    assert sorted(p.name for p in tmp_path.iterdir()) == ["a.exe"]
