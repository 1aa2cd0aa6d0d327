"""The container reader on hand-made bytes (no Wine): it must accept a sound
container and refuse each kind of damage with a clear error."""

import os
import struct
import time
import zlib

import pytest

import sfxreader as sr
from sfxreader import ContainerError


def fake_pe(sections, size=None):
    """A minimal PE file: MZ header, PE signature, file header, a 0xF0-byte
    optional header and the section table; sections = [(raw pointer, raw size)]."""
    pe = 0x80
    table = pe + 24 + 0xF0
    length = size or max([table + 40 * len(sections)] + [p + s for p, s in sections if s])
    image = bytearray(length)
    image[0:2] = b"MZ"
    struct.pack_into("<I", image, 0x3C, pe)
    image[pe:pe + 4] = b"PE\0\0"
    struct.pack_into("<HH", image, pe + 4, 0x8664, len(sections))
    struct.pack_into("<H", image, pe + 20, 0xF0)
    for i, (pointer, raw_size) in enumerate(sections):
        struct.pack_into("<II", image, table + 40 * i + 16, raw_size, pointer)
    return bytes(image)


STUB = fake_pe([(0x400, 0x200), (0x600, 0x100), (0x2000, 0)])  # .bss-like last section


def container(*records, stub=STUB, **header):
    return stub + sr.encode_header(**header) + b"".join(records) + sr.TERMINATOR


def test_pe_image_end_takes_the_furthest_section_with_raw_data():
    assert sr.pe_image_end(STUB) == 0x700
    # Order of the section table does not matter; raw size 0 is ignored
    # even when its pointer lies further out.
    assert sr.pe_image_end(fake_pe([(0x800, 0x80), (0x400, 0x200), (0x5000, 0)])) == 0x880
    with pytest.raises(ContainerError, match="MZ"):
        sr.pe_image_end(b"XX" + STUB[2:])
    with pytest.raises(ContainerError, match="past the file"):
        sr.pe_image_end(STUB[:0x680])


def test_sound_container_round_trip(tmp_path):
    big = os.urandom(1000) * (sr.CHUNK_RAW_MAX // 1000 + 2)
    big = big[:sr.CHUNK_RAW_MAX + 1]
    helper = b"MZ helper bytes"
    data = container(
        sr.encode_file(sr.HELPER_NAME, helper, kind=2, attributes=0),
        sr.encode_folder(b"docs", dos_time=0x5A210000),
        sr.encode_folder(b"docs\\empty"),
        sr.encode_file(b"docs\\readme.txt", b"hello", dos_time=0x5A216000),
        sr.encode_file(b"empty.bin", b""),
        sr.encode_file(b"app.exe", big, kind=1),
        extraction_mode=1, self_delete=1, parameters=b"/q", custom_folder=b"%TEMP%\\x\\")
    c = sr.parse(data)
    assert c.header_offset == 0x700 and c.end == len(data)
    assert c.header.parameters == b"/q" and c.header.custom_folder == b"%TEMP%\\x\\"
    assert c.header.run_id == "0012345678" and c.header.self_delete == 1
    assert c.helper.data == helper and c.records[0] is c.helper
    assert [r.name for r in c.entries] == [b"docs", b"docs\\empty", b"docs\\readme.txt",
                                           b"empty.bin", b"app.exe"]
    assert c.run_file.name == b"app.exe" and c.run_file.data == big
    assert c.run_file.chunks[0][0] == sr.CHUNK_RAW_MAX and c.run_file.chunks[1][0] == 1
    empty = c.by_name()["empty.bin"]
    assert empty.data == b"" and empty.chunks == [] and empty.checksum == sr.byte_sum(b"empty.bin")
    assert c.by_name()["docs"].data is None and c.by_name()["docs"].checksum == sr.byte_sum(b"docs")

    written = sr.rebuild(c, tmp_path / "out")
    assert (tmp_path / "out" / "docs" / "readme.txt").read_bytes() == b"hello"
    assert (tmp_path / "out" / "docs" / "empty").is_dir()
    assert (tmp_path / "out" / "app.exe").read_bytes() == big
    assert len(written) == 5


def test_stored_chunks_when_the_header_says_uncompressed():
    data = container(sr.encode_file(b"a.txt", b"plain", compressed=False), compressed=0)
    assert sr.parse(data).records[0].data == b"plain"


def test_checksum_of_abc_without_data():
    assert sr.byte_sum(b"abc") == 0x126
    assert sr.byte_sum(b"\xff" * 0x1010102) == (0xFF * 0x1010102) & 0xFFFFFFFF


def corrupt(data: bytes, offset: int, new: bytes) -> bytes:
    return data[:offset] + new + data[offset + len(new):]


def first_record_offset():
    return len(STUB) + sr.HEADER_SIZE


def test_rejects_bad_checksum():
    good = container(sr.encode_file(b"a.txt", b"payload"))
    checksum_at = len(good) - sr.ENTRY_HEAD_SIZE - 4
    bad = corrupt(good, checksum_at, struct.pack("<I", sr.byte_sum(b"a.txtpayload") + 1))
    with pytest.raises(ContainerError, match="checksum"):
        sr.parse(bad)
    # A folder's checksum covers its name alone.
    folder = container(sr.encode_folder(b"dir"))
    with pytest.raises(ContainerError, match="checksum"):
        sr.parse(corrupt(folder, len(folder) - sr.ENTRY_HEAD_SIZE - 4, b"\0\0\0\0"))


def test_rejects_short_chunk():
    # Size 20 but the single chunk claims (and holds) 10 raw bytes.
    name, payload = b"f", b"0123456789"
    stream = zlib.compress(payload, 9)
    record = (sr.encode_head(0, name, 20) + name + struct.pack("<II", 10, len(stream)) + stream
              + struct.pack("<I", sr.byte_sum(name + payload)))
    with pytest.raises(ContainerError, match="holds 10 raw bytes, expected"):
        sr.parse(container(record))
    # The chunk says 20 raw bytes but the stream inflates to 10.
    record = (sr.encode_head(0, name, 20) + name + struct.pack("<II", 20, len(stream)) + stream
              + struct.pack("<I", sr.byte_sum(name + payload)))
    with pytest.raises(ContainerError, match="inflates to 10 bytes"):
        sr.parse(container(record))


def test_rejects_over_long_chunk():
    size = sr.CHUNK_RAW_MAX + 1
    payload = bytes(size)
    stream = zlib.compress(payload, 9)
    # One chunk for the whole file, beyond the raw maximum.
    record = (sr.encode_head(0, b"f", size) + b"f" + struct.pack("<II", size, len(stream)) + stream
              + struct.pack("<I", sr.byte_sum(b"f")))
    with pytest.raises(ContainerError, match="expected"):
        sr.parse(container(record))
    # A stream length above the compressed maximum.
    record = (sr.encode_head(0, b"g", 1) + b"g"
              + struct.pack("<II", 1, sr.CHUNK_COMPRESSED_MAX + 1) + b"\0" * 8)
    with pytest.raises(ContainerError, match="exceeds"):
        sr.parse(container(record))
    # A stream that inflates to more than the chunk says.
    stream = zlib.compress(b"abcdef", 9)
    record = (sr.encode_head(0, b"h", 3) + b"h" + struct.pack("<II", 3, len(stream)) + stream
              + struct.pack("<I", sr.byte_sum(b"habc")))
    with pytest.raises(ContainerError, match="inflates to 4\\+ bytes"):
        sr.parse(container(record))


def test_rejects_damaged_zlib_streams():
    name = b"z"
    def record(stream, n=5):
        return (sr.encode_head(0, name, n) + name + struct.pack("<II", n, len(stream)) + stream
                + struct.pack("<I", sr.byte_sum(name + b"hello")))
    stream = zlib.compress(b"hello", 9)
    with pytest.raises(ContainerError, match="after the zlib stream"):
        sr.parse(container(record(stream + b"xy")))  # stream length covers garbage
    with pytest.raises(ContainerError, match="incomplete"):
        sr.parse(container(record(stream[:-4])))  # Adler-32 missing
    with pytest.raises(ContainerError, match="broken zlib"):
        sr.parse(container(record(stream[:-1] + bytes([stream[-1] ^ 1]))))  # wrong Adler-32
    raw_deflate = zlib.compressobj(9, zlib.DEFLATED, -15)
    raw_deflate = raw_deflate.compress(b"hello") + raw_deflate.flush()
    with pytest.raises(ContainerError, match="not a zlib stream header"):
        sr.parse(container(record(raw_deflate)))


def test_rejects_missing_terminator_and_trailing_bytes():
    body = STUB + sr.encode_header() + sr.encode_file(b"a", b"x")
    with pytest.raises(ContainerError, match="entry head"):
        sr.parse(body)
    with pytest.raises(ContainerError, match="entry head"):
        sr.parse(body + sr.TERMINATOR[:10])
    with pytest.raises(ContainerError, match="1 trailing bytes"):
        sr.parse(body + sr.TERMINATOR + b"\0")
    with pytest.raises(ContainerError, match="kind byte"):
        sr.parse(body + b"\x01" + sr.TERMINATOR[1:])
    with pytest.raises(ContainerError, match="option header"):
        sr.parse(STUB + sr.encode_header()[:100])


def test_rejects_truncated_record():
    data = container(sr.encode_file(b"name.txt", os.urandom(3000)))
    for cut in (first_record_offset() + 5, first_record_offset() + 20, first_record_offset() + 40,
                len(data) - sr.ENTRY_HEAD_SIZE - 2):
        with pytest.raises(ContainerError):
            sr.parse(data[:cut])


@pytest.mark.parametrize("offset,value,message", [
    (sr.OFF_EXTRACTION_MODE, 2, "extraction mode"),
    (sr.OFF_EXTRACTION_FOLDER, 6, "extraction folder"),
    (sr.OFF_OPEN_FOLDER, 2, "open folder"),
    (sr.OFF_COMPRESSED, 2, "data compressed"),
    (sr.OFF_ONE_INSTANCE, 2, "one instance"),
    (sr.OFF_SILENT, 2, "silent"),
    (sr.OFF_SELF_DELETE, 2, "self-delete"),
    (sr.OFF_DELETE_MODE, 3, "delete mode"),
    (sr.OFF_WORKING_FOLDER, 3, "working folder"),
    (sr.OFF_OVERWRITE_MODE, 3, "overwrite mode"),
    (sr.OFF_RUN_ID + 3, ord("a"), "run identifier"),
    (sr.OFF_RUN_ID + 10, ord("0"), "run identifier"),
    (sr.OFF_PARAMETERS + 2047, ord("x"), "run parameters"),
    (sr.OFF_PARAMETERS + 2000, ord("x"), "after its NUL"),
    (sr.OFF_CUSTOM_FOLDER + 260, ord("x"), "custom folder"),
])
def test_rejects_bad_header_fields(offset, value, message):
    raw = bytearray(sr.encode_header())
    raw[offset] = value
    with pytest.raises(ContainerError, match=message):
        sr.parse(STUB + bytes(raw) + sr.TERMINATOR)


def test_header_text_limits():
    longest = sr.encode_header(parameters=b"p" * 2047, custom_folder=b"c" * 259 + b"\\")
    h = sr.parse(STUB + longest + sr.TERMINATOR).header
    assert len(h.parameters) == 2047 and len(h.custom_folder) == 260
    with pytest.raises(ContainerError, match="above 2,147,483,646"):
        sr.parse(STUB + sr.encode_header(run_id="007FFFFFFF") + sr.TERMINATOR)


def test_rejects_misplaced_helper_and_run_records():
    helper = sr.encode_file(sr.HELPER_NAME, b"MZ", kind=2, attributes=0)
    plain = sr.encode_file(b"a.txt", b"x")
    with pytest.raises(ContainerError, match="helper"):
        sr.parse(container(plain, helper, self_delete=1))
    with pytest.raises(ContainerError, match="without self-delete"):
        sr.parse(container(helper, plain))
    with pytest.raises(ContainerError, match="helper"):
        sr.parse(container(plain, self_delete=1))
    run = sr.encode_file(b"r.exe", b"MZ", kind=1)
    with pytest.raises(ContainerError, match="extraction mode 0"):
        sr.parse(container(run))
    with pytest.raises(ContainerError, match="more than one"):
        sr.parse(container(run, run, extraction_mode=1))
    with pytest.raises(ContainerError, match="kind 3"):
        sr.parse(container(sr.encode_file(b"a", b"x", kind=3)))
    with pytest.raises(ContainerError, match="folder with size"):
        sr.parse(container(sr.encode_head(0, b"d", 4, 0, 0x10) + b"d" + b"\0" * 4))


def test_dos_time_round_trip_local():
    when = time.mktime((2021, 7, 14, 13, 45, 31, 0, 0, -1))
    value = sr.dos_time_from_epoch(when)
    assert value == ((2021 - 1980) << 25 | 7 << 21 | 14 << 16 | 13 << 11 | 45 << 5 | 15)
    assert sr.epoch_from_dos_time(value) == when - 1  # 2-second precision, truncated
    assert sr.dos_time_from_epoch(time.mktime((1975, 1, 1, 0, 0, 0, 0, 0, -1))) == 0


def test_compare_with_source_finds_each_kind_of_difference(tmp_path):
    src = tmp_path / "src"
    (src / "sub").mkdir(parents=True)
    (src / "sub" / "a.txt").write_bytes(b"alpha")
    (src / ".hidden").write_bytes(b"h")
    (src / "ro.txt").write_bytes(b"r")
    (src / "ro.txt").chmod(0o444)
    stamp = time.mktime((2020, 2, 2, 2, 2, 2, 0, 0, -1))
    for p in (src / "sub" / "a.txt", src / ".hidden", src / "ro.txt", src / "sub"):
        os.utime(p, (stamp, stamp))

    def entry(name, path):
        attributes = sr.wine_attributes(path)
        t = sr.dos_time_from_epoch(stamp)
        if path.is_dir():
            return sr.encode_folder(name, t, attributes)
        return sr.encode_file(name, path.read_bytes(), dos_time=t, attributes=attributes)

    records = {"sub": entry(b"sub", src / "sub"), "a": entry(b"sub\\a.txt", src / "sub" / "a.txt"),
               "h": entry(b".hidden", src / ".hidden"), "ro": entry(b"ro.txt", src / "ro.txt")}
    assert sr.wine_attributes(src / ".hidden") == 0x22
    assert sr.wine_attributes(src / "ro.txt") == 0x21
    assert sr.wine_attributes(src / "sub") == 0x10
    sr.compare_with_source(sr.parse(container(*records.values())), src)

    changed = dict(records, a=sr.encode_file(b"sub\\a.txt", b"alphA", dos_time=sr.dos_time_from_epoch(stamp)))
    with pytest.raises(AssertionError, match="data differ"):
        sr.compare_with_source(sr.parse(container(*changed.values())), src)
    missing = dict(records)
    del missing["ro"]
    with pytest.raises(AssertionError, match="ro.txt: in the source but not stored"):
        sr.compare_with_source(sr.parse(container(*missing.values())), src)
    os.utime(src / "sub" / "a.txt", (stamp + 2, stamp + 2))
    with pytest.raises(AssertionError, match="a.txt: DOS time"):
        sr.compare_with_source(sr.parse(container(*records.values())), src)
    os.utime(src / "sub" / "a.txt", (stamp, stamp))
    (src / "ro.txt").chmod(0o644)
    with pytest.raises(AssertionError, match="ro.txt: attributes 0x21, source 0x20"):
        sr.compare_with_source(sr.parse(container(*records.values())), src)


def test_rebuild_refuses_names_that_leave_the_folder(tmp_path):
    for name in (b"..\\evil.txt", b"a\\..\\..\\b", b"c:\\x", b"a\\\\b"):
        c = sr.parse(container(sr.encode_file(name, b"x")))
        with pytest.raises(ContainerError, match="would leave"):
            sr.rebuild(c, tmp_path)
    assert list(tmp_path.iterdir()) == []
