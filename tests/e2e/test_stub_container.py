"""The stub against damaged and unusual containers: every fault ends with
its code before anything is written (or, for faults only the data can
show, without leaving a damaged file behind)."""

import struct
import zlib

import pytest

import sfxcraft as sc


def run(wine, sfx, *args, **kw):
    return wine.run(sfx, args, **kw).returncode


def test_bare_stub_says_the_container_is_missing(wine, tmp_path):
    bare = tmp_path / "bare.exe"
    bare.write_bytes(wine.exe("tarnwick_stub.exe").read_bytes())
    proc = wine.start(bare, codepage=1252)
    box = wine.auto("press", "--class", "#32770", "--button", "ok", codepage=1252)
    assert wine.wait(proc, 30) == 38
    text = next(c["text"] for c in box["controls"] if c["id"] == 0xFFFF)
    assert text.startswith(wine.winpath(bare) + "\r\n\r\n")
    assert box["title"] == ""


@pytest.mark.parametrize("keep, code", [
    (-1, 38),   # header cut short
    (0, 38),    # header and nothing behind it
])
def test_header_alone(wine, stub, tmp_path, keep, code):
    out = tmp_path / "out"
    data = stub + sc.header(sc.into(wine, out)) + sc.TERMINATOR
    sfx = tmp_path / "a.exe"
    sfx.write_bytes(data[:len(data) - 17 + keep])
    proc = wine.start(sfx)
    if code == 38:  # the header is not read, so it cannot ask for silence
        wine.auto("press", "--class", "#32770", "--button", "ok")
    assert wine.wait(proc, 30) == code
    assert not out.exists()


BAD_NAMES = [
    b"..\\escaped.txt", b"sub\\..\\..\\escaped.txt", b"C:escaped.txt", b"C:\\escaped.txt",
    b"\\escaped.txt", b"/escaped.txt", b"file.txt:stream", b"sub\\\\file.txt",
    b"sub\\", b"...\\escaped.txt", b"CON", b"sub\\nul.txt", b"",
]


@pytest.mark.parametrize("name", BAD_NAMES)
def test_names_that_leave_the_folder_are_damage(wine, stub, tmp_path, name):
    out = tmp_path / "deep" / "out"
    entries = [sc.Entry(b"first.txt", b"written first?"), sc.Entry(name, b"payload")]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out), entries)
    assert run(wine, sfx) == 13
    assert not (tmp_path / "deep").exists()
    assert sorted(p.name for p in tmp_path.iterdir()) == ["a.exe"]


def test_folder_name_may_end_with_a_backslash(wine, stub, tmp_path):
    out = tmp_path / "out"
    entries = [sc.folder(b"sub\\"), sc.Entry(b"sub\\f.txt", b"x")]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out), entries)
    assert run(wine, sfx) == 0
    assert sc.tree(out) == {"sub": None, "sub/f.txt": b"x"}


def _bent(**kw):
    return [sc.Entry(b"good.txt", b"fine"), sc.Entry(b"bent.bin", b"0123456789" * 50, **kw)]


@pytest.mark.parametrize("entries", [
    pytest.param(_bent(bend_raw_length={0: sc.CHUNK_RAW_MAX + 1}), id="raw-above-chunk-limit"),
    pytest.param(_bent(bend_raw_length={0: 501}), id="raw-above-file-size"),
    pytest.param(_bent(bend_raw_length={0: 0}), id="raw-zero"),
    pytest.param(_bent(size=-5), id="negative-size"),
    pytest.param(_bent(size=0x7FFFFFFF), id="size-beyond-data"),
    pytest.param(_bent(bend_stream_length={0: 0x7FFFFFF0}), id="stream-beyond-file"),
])
def test_lengths_the_data_cannot_hold_are_damage(wine, stub, tmp_path, entries):
    out = tmp_path / "out"
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out), entries)
    assert run(wine, sfx) == 13
    assert not out.exists()


def test_records_ending_before_the_terminator(wine, stub, tmp_path):
    out = tmp_path / "out"
    entries = [sc.Entry(b"a.txt", b"alpha"), sc.Entry(b"b.txt", b"beta" * 100)]
    whole = sc.build(stub, sc.into(wine, out), entries)
    second = len(sc.record(entries[1]))
    # No terminator; the second record's checksum, data or head cut short.
    for cut in (17, 17 + 2, 17 + second - 20, 17 + second - 3):
        sfx = tmp_path / f"cut{cut}.exe"
        sfx.write_bytes(whole[:-cut])
        assert run(wine, sfx) == 13
        assert not out.exists()


def test_containers_without_data_bytes_extract(wine, stub, tmp_path):
    # Only empty files and folders, and no record at all: both are what the
    # maker writes for such sources, not damaged data.
    out = tmp_path / "out"
    entries = [sc.folder(b"d"), sc.Entry(b"d\\empty.txt", b"")]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out), entries)
    assert run(wine, sfx) == 0
    assert sc.tree(out) == {"d": None, "d/empty.txt": b""}
    nothing = tmp_path / "nothing"
    sfx = sc.write(tmp_path / "b.exe", stub, sc.into(wine, nothing), [])
    assert run(wine, sfx) == 0
    assert nothing.is_dir() and not any(nothing.iterdir())


@pytest.mark.parametrize("codepage, text", [(1252, "The file is damaged or incomplete."),
                                            (949, "파일이 손상되었거나 완전하지 않습니다.")])
def test_damage_found_late_writes_nothing(wine, stub, tmp_path, codepage, text):
    out = tmp_path / "out"
    entries = [sc.folder(b"d"), sc.Entry(b"d\\good.txt", b"fine"),
               sc.Entry(b"bad.txt", b"some text " * 100, bend_stream=sc.flip_first_stream_byte)]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out, silent=0), entries)
    proc = wine.start(sfx, codepage=codepage)
    box = wine.auto("press", "--class", "#32770", "--button", "ok", codepage=codepage)
    assert wine.wait(proc, 30) == 23
    assert sc.tree(out) == {}
    # The stub's own words and the SFX file, not "Data error (cyclic redundancy check)".
    shown = next(c["text"] for c in box["controls"] if c["id"] == 0xFFFF)
    assert shown == wine.winpath(sfx) + "\r\n\r\n" + text


def test_folder_record_with_a_wrong_checksum(wine, stub, tmp_path):
    out = tmp_path / "out"
    entries = [sc.folder(b"d", bend_checksum=1), sc.Entry(b"d\\x.txt", b"x")]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out), entries)
    assert run(wine, sfx) == 23
    assert sc.tree(out) == {}


def test_stream_zlib_refuses(wine, stub, tmp_path):
    out = tmp_path / "out"
    garbage = lambda i, s: s[:2] + bytes(b ^ 0x5A for b in s[2:])
    entries = [sc.Entry(b"x.bin", b"abc" * 1000, bend_stream=garbage)]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out), entries)
    assert run(wine, sfx) == 160
    assert sc.tree(out) == {}


def test_stream_that_inflates_to_fewer_bytes(wine, stub, tmp_path):
    out = tmp_path / "out"
    short = lambda i, s: zlib.compress(b"abc" * 999, 9)
    entries = [sc.Entry(b"x.bin", b"abc" * 1000, bend_stream=short)]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out), entries)
    assert run(wine, sfx) == 160


def test_oversized_stream_length(wine, stub, tmp_path):
    # A stream length above 10,485,760 with that many bytes really present:
    # the walk over the records is sound, the extraction refuses with 8.
    out = tmp_path / "out"
    data = b"x" * 100
    name = b"big.bin"
    stream_len = 10_485_761
    stream = zlib.compress(data).ljust(stream_len, b"\0")
    rec = (struct.pack("<BIiII", 0, len(name), len(data), sc.DEFAULT_TIME, 0x20) + name +
           struct.pack("<II", len(data), stream_len) + stream +
           struct.pack("<I", sc.byte_sum(name, data)))
    sfx = tmp_path / "a.exe"
    sfx.write_bytes(stub + sc.header(sc.into(wine, out)) + rec + sc.TERMINATOR)
    assert run(wine, sfx) == 8
    assert sc.tree(out) == {}


def test_stored_data_without_compression(wine, stub, tmp_path):
    out = tmp_path / "out"
    entries = [sc.Entry(b"plain.txt", b"stored as is"), sc.folder(b"d"),
               sc.Entry(b"d\\two.bin", bytes(range(256)))]
    sfx = sc.write(tmp_path / "a.exe", stub, sc.into(wine, out, compressed=0), entries)
    assert run(wine, sfx) == 0
    assert sc.tree(out) == {"d": None, "d/two.bin": bytes(range(256)), "plain.txt": b"stored as is"}
    # A stored byte that changed is caught by the checksum.
    out2 = tmp_path / "out2"
    entries = [sc.Entry(b"plain.txt", b"stored as is", bend_checksum=1)]
    bad = sc.write(tmp_path / "b.exe", stub, sc.into(wine, out2, compressed=0), entries)
    assert run(wine, bad) == 23
    assert sc.tree(out2) == {}


@pytest.mark.parametrize("run_id", [b"..\\..\\xyz", b"00AB:CDEF", b"00 12/34"])
def test_run_identifier_that_is_not_plain_is_damage(wine, stub, tmp_path, run_id):
    # It names the mutex and the temporary "~sfx" folder: a path in it could
    # send the files anywhere.
    options = sc.Options(extraction_folder=sc.FOLDER_TEMP, run_id=run_id, one_instance=1)
    sfx = sc.write(tmp_path / "a.exe", stub, options, [sc.Entry(b"x.txt", b"x")])
    assert run(wine, sfx) == 13
