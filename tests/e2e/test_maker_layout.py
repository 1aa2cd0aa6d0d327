"""What the maker writes, read back with the tests' own container reader:
the stub, the option header for each switch, and the records of a source
folder, byte for byte."""

import os
import re
import struct
from datetime import datetime
from zoneinfo import ZoneInfo

import pefile
import pytest

import sfxreader as sr
from sample_trees import (EXIT_BUILT, finish, mixed_entries, random_bytes, run_maker, text_bytes,
                          write_tree)


def build(wine, source, target, switches=(), rest=(), codepage=949, written=None):
    """Builds with -c -o; reads the result from `written` (the Unix path)
    when the target is given as Windows text."""
    code = run_maker(wine, source, target, ("-c", "-o", *switches), rest, codepage)
    assert code == EXIT_BUILT
    return sr.read_sfx(written or target)


def stub_bytes(wine):
    return wine.exe("tarnwick_stub.exe").read_bytes()


# ------------------------------------------------------------------ whole file


def test_sfx_is_the_carried_stub_then_the_container_of_the_whole_tree(wine, tmp_path):
    src = write_tree(tmp_path / "src", mixed_entries())
    target = tmp_path / "out" / "made.exe"  # the folder is created by the build
    c = build(wine, src, target)
    data = target.read_bytes()
    stub = stub_bytes(wine)
    # The reader finds the header from the section table; pefile agrees on
    # where the stub's last section ends, and the stub carries nothing after it.
    pe = pefile.PE(data=stub, fast_load=True)
    assert max(s.PointerToRawData + s.SizeOfRawData for s in pe.sections if s.SizeOfRawData) == len(stub)
    # The maker's stub differs from the carried one in its resources only
    # (it records the code page of the names).
    made = pefile.PE(data=data[:c.header_offset], fast_load=True)
    assert max(s.PointerToRawData + s.SizeOfRawData for s in made.sections) == c.header_offset
    for old, new in zip(pe.sections, made.sections):
        if old.Name.rstrip(b"\0") not in (b".rsrc", b".reloc"):
            assert old.get_data() == new.get_data(), old.Name
    assert c.end == len(data)
    h = c.header
    assert (h.extraction_mode, h.extraction_folder, h.parameters, h.custom_folder) == (0, 0, b"", b"")
    assert h.compressed == 1 and c.helper is None and c.run_file is None
    sr.compare_with_source(c, src)
    # Scan order: every folder's record stands before its content.
    names = [r.text_name() for r in c.entries]
    for i, name in enumerate(names):
        if "\\" in name:
            assert names.index(name.rsplit("\\", 1)[0]) < i
    # The large file was cut into a full chunk and its rest.
    assert c.by_name()["large.dat"].chunks[0][0] == sr.CHUNK_RAW_MAX
    assert c.by_name()["large.dat"].chunks[1][0] == 4097
    rebuilt = tmp_path / "rebuilt"
    sr.rebuild(c, rebuilt)
    assert (rebuilt / "자료" / "설명서.txt").read_bytes() == (src / "자료" / "설명서.txt").read_bytes()


def test_empty_source_gives_header_and_terminator_only(wine, tmp_path):
    src = write_tree(tmp_path / "empty", {})
    target = tmp_path / "e.exe"
    c = build(wine, src, target)
    assert c.records == []
    assert target.stat().st_size == c.header_offset + sr.HEADER_SIZE + sr.ENTRY_HEAD_SIZE
    # In self-delete mode the helper record is all there is.
    c = build(wine, src, target, ["-d"])
    assert [r.kind for r in c.records] == [sr.KIND_HELPER]


def test_empty_folder_and_zero_byte_file_records(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"sub": None, "sub/inner": None, "zero.txt": b""})
    target = tmp_path / "z.exe"
    c = build(wine, src, target)
    sr.compare_with_source(c, src)
    by = c.by_name()
    assert set(by) == {"sub", "sub\\inner", "zero.txt"}
    assert by["sub\\inner"].is_folder and by["sub\\inner"].size == 0
    # Exact bytes: head, name and checksum of the name, nothing else.
    data = target.read_bytes()
    for name in ("sub\\inner", "zero.txt"):
        r = by[name]
        raw = r.name
        length = sr.ENTRY_HEAD_SIZE + len(raw) + 4
        record = data[r.offset:r.offset + length]
        kind, name_length, size, _, attributes = struct.unpack_from("<BIiII", record)
        assert (kind, name_length, size) == (0, len(raw), 0)
        assert record[sr.ENTRY_HEAD_SIZE:-4] == raw
        assert struct.unpack("<I", record[-4:])[0] == sr.byte_sum(raw)
        assert r.chunks == []
    assert by["sub\\inner"].attributes == sr.ATTR_DIRECTORY
    assert by["zero.txt"].attributes == sr.ATTR_ARCHIVE


@pytest.mark.parametrize("size,chunks", [
    (sr.CHUNK_RAW_MAX, [sr.CHUNK_RAW_MAX]),
    (sr.CHUNK_RAW_MAX + 1, [sr.CHUNK_RAW_MAX, 1]),
])
def test_chunking_at_the_chunk_size(wine, tmp_path, size, chunks):
    # Mixed content: a text part that compresses and a random part that
    # does not, so the stream lengths differ from the raw lengths both ways.
    content = (text_bytes(size // 2, 7) + random_bytes(size, 8))[:size]
    src = write_tree(tmp_path / "src", {"f.bin": content})
    target = tmp_path / "c.exe"
    c = build(wine, src, target)
    r = c.by_name()["f.bin"]
    assert [n for n, _ in r.chunks] == chunks
    assert all(stream <= sr.CHUNK_COMPRESSED_MAX for _, stream in r.chunks)
    assert r.data == content and r.size == size
    assert r.checksum == sr.byte_sum(content, sr.byte_sum(b"f.bin"))


# ------------------------------------------------------------------ header


def header_for(wine, tmp_path, switches, rest=()):
    src = tmp_path / "src"
    if not src.exists():
        write_tree(src, {"bin": None, "bin/run.exe": b"MZ" + random_bytes(300, 9), "a.txt": b"a"})
    target = tmp_path / "h.exe"
    return build(wine, src, target, switches, rest)


# switches -> {header offset: byte}; every other option byte must stay at
# its default.
SWITCH_CASES = [
    ([], {}),
    (["-fd"], {sr.OFF_EXTRACTION_FOLDER: 1}),
    (["-fp"], {sr.OFF_EXTRACTION_FOLDER: 2}),
    (["-fc"], {sr.OFF_EXTRACTION_FOLDER: 3}),
    (["-fs"], {sr.OFF_EXTRACTION_FOLDER: 4}),
    (["-fp", "-fd"], {sr.OFF_EXTRACTION_FOLDER: 1}),
    (["-e"], {sr.OFF_OPEN_FOLDER: 1}),
    (["-i"], {sr.OFF_ONE_INSTANCE: 1}),
    (["-s"], {sr.OFF_SILENT: 1}),
    (["-d"], {sr.OFF_SELF_DELETE: 1}),
    (["-dr"], {sr.OFF_DELETE_MODE: 1}),
    (["-dn"], {sr.OFF_DELETE_MODE: 2}),
    (["-dn", "-dr"], {sr.OFF_DELETE_MODE: 1}),
    (["-ws"], {sr.OFF_WORKING_FOLDER: 1}),
    (["-wc"], {sr.OFF_WORKING_FOLDER: 2}),
    (["-oo"], {sr.OFF_OVERWRITE_MODE: 1}),
    (["-os"], {sr.OFF_OVERWRITE_MODE: 2}),
    (["-OS", "/E", "-I"], {sr.OFF_OVERWRITE_MODE: 2, sr.OFF_OPEN_FOLDER: 1, sr.OFF_ONE_INSTANCE: 1}),
    (["-me", "-ft", "-we", "-di", "-op", "-un"], {}),  # the defaults' own names change nothing
]
OPTION_OFFSETS = [sr.OFF_EXTRACTION_MODE, sr.OFF_EXTRACTION_FOLDER, sr.OFF_OPEN_FOLDER,
                  sr.OFF_ONE_INSTANCE, sr.OFF_SILENT, sr.OFF_SELF_DELETE, sr.OFF_DELETE_MODE,
                  sr.OFF_WORKING_FOLDER, sr.OFF_OVERWRITE_MODE]


@pytest.mark.parametrize("switches,expected", SWITCH_CASES, ids=lambda v: " ".join(v) if isinstance(v, list) else None)
def test_switch_sets_its_header_byte(wine, tmp_path, switches, expected):
    c = header_for(wine, tmp_path, switches)
    raw = c.header.raw
    got = {off: raw[off] for off in OPTION_OFFSETS}
    assert got == {off: expected.get(off, 0) for off in OPTION_OFFSETS}
    assert raw[sr.OFF_COMPRESSED] == 1
    assert (c.helper is not None) == ("-d" in switches)


def test_run_and_custom_folder_switches_with_their_positionals(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"bin": None, "bin/run.exe": b"MZ" + random_bytes(300, 9)})
    exe = src / "bin" / "run.exe"
    c = header_for(wine, tmp_path, ["-mf", "-fm"], [exe, "  %TEMP%\\tw sub  ", "  /x  \"q r\"  "])
    h = c.header
    assert (h.extraction_mode, h.extraction_folder) == (1, 5)
    assert h.custom_folder == b"%TEMP%\\tw sub\\"  # trimmed, a backslash added, not made absolute
    assert h.parameters == b'/x  "q r"'            # trimmed
    assert c.run_file.text_name() == "bin\\run.exe"
    # Without -fm the custom folder is not read: the third positional after
    # the executable is the parameters.
    c = header_for(wine, tmp_path, ["-mf"], [exe, "extra args"])
    assert (c.header.extraction_folder, c.header.custom_folder, c.header.parameters) == (0, b"", b"extra args")


def test_long_parameters_and_custom_folder_are_cut(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"run.exe": b"MZ"})
    custom = "C:\\" + "c" * 297  # 300 characters, 301 with the added backslash
    c = header_for(wine, tmp_path, ["-mf", "-fm"], [src / "run.exe", custom, "p" * 2100])
    assert c.header.parameters == b"p" * 2047
    assert c.header.custom_folder == custom.encode()[:260]
    # Double-byte text is cut at a character boundary, never inside one.
    korean = "가나" * 600  # 2400 bytes in code page 949
    c = header_for(wine, tmp_path, ["-mf", "-fm"], [src / "run.exe", "C:\\" + "폴" * 200, korean])
    assert 2046 <= len(c.header.parameters) <= 2047
    assert korean.encode("cp949").startswith(c.header.parameters)
    c.header.parameters.decode("cp949")
    assert 259 <= len(c.header.custom_folder) <= 260
    c.header.custom_folder.decode("cp949")


def test_run_identifier_form_and_variation(wine, tmp_path):
    ids = {header_for(wine, tmp_path, []).header.run_id for _ in range(3)}
    assert all(re.fullmatch(r"00[0-9A-F]{8}", i) for i in ids)
    assert int(max(ids), 16) <= 2_147_483_646
    assert len(ids) == 3


# ------------------------------------------------------------------ records


def test_hidden_system_and_read_only_files_are_kept(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"h.txt": b"h", "s.txt": b"s", "hs.txt": b"hs",
                                        "ro.txt": b"ro", "plain.txt": b"p", ".dot": b"d",
                                        "hidden dir": None, "hidden dir/x": b"x"}, stamp=None)
    # Wine's attrib applies one flag per call.
    for name, flags in (("h.txt", "h"), ("s.txt", "s"), ("hs.txt", "hs"), ("hidden dir", "h")):
        for flag in flags:
            done = wine.run("cmd", ["/c", "attrib", "+" + flag, wine.winpath(src / name)])
            assert done.returncode == 0
    (src / "ro.txt").chmod(0o444)
    c = build(wine, src, tmp_path / "a.exe")
    attributes = {name: r.attributes for name, r in c.by_name().items()}
    assert attributes == {"h.txt": 0x22, "s.txt": 0x24, "hs.txt": 0x26, "ro.txt": 0x21,
                          "plain.txt": 0x20, ".dot": 0x22, "hidden dir": 0x12,
                          "hidden dir\\x": 0x20}
    sr.compare_with_source(c, src)


def test_target_inside_the_source_is_not_packed(wine, tmp_path):
    # On C:, which Z: (the Unix root) reaches as well.
    src = write_tree(wine.c_drive / tmp_path.name / "src",
                     {"a.txt": b"alpha", "sub": None, "sub/b.txt": b"beta"})
    target = src / "self.exe"
    c = build(wine, src, target)
    assert "self.exe" not in c.by_name()
    (tmp_path / "link").symlink_to(src)
    # Again, now that the target exists when the source is listed, with the
    # target written in other letter case, on the other drive, through a link.
    for text in (target, wine.winpath(target).upper(), "Z:" + str(target).replace("/", "\\"),
                 wine.winpath(tmp_path / "link" / "self.exe")):
        c = build(wine, src, text, written=target)
        assert set(c.by_name()) == {"a.txt", "sub", "sub\\b.txt"}
        sr.compare_with_source(c, src, skip=["self.exe"])


def test_self_delete_helper_record_comes_first(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"a.txt": b"alpha", "d": None})
    c = build(wine, src, tmp_path / "d.exe", ["-d"])
    helper = c.records[0]
    assert (helper.kind, helper.name, helper.dos_time, helper.attributes) == (2, b"xsfxdel~.exe", 0, 0)
    assert helper.data == wine.exe("tarnwick_selfdelete.exe").read_bytes()
    assert helper.size == len(helper.data)
    assert [r.kind for r in c.records[1:]] == [0, 0]
    sr.compare_with_source(c, src)


def test_run_file_record_matches_without_regard_to_case(wine, tmp_path):
    src = write_tree(tmp_path / "Src", {"Bin": None, "Bin/Run.exe": b"MZ" + random_bytes(500, 10),
                                        "Bin/other.exe": b"MZ", "run.exe": b"MZ top"})
    source_text = wine.winpath(src).upper()
    exe_text = wine.winpath(src / "bin" / "RUN.EXE").lower()
    c = build(wine, source_text, tmp_path / "r.exe", ["-mf"], [exe_text])
    kinds = {name: r.kind for name, r in c.by_name().items()}
    assert kinds == {"Bin": 0, "Bin\\Run.exe": 1, "Bin\\other.exe": 0, "run.exe": 0}
    sr.compare_with_source(c, src)


def test_names_are_stored_in_the_system_code_page(wine, tmp_path):
    entries = {"자료": None, "자료/한글 문서.txt": "내용".encode("utf-8"), "plain.txt": b"p"}
    src = write_tree(tmp_path / "ko", entries)
    c = build(wine, src, tmp_path / "ko.exe", codepage=949)
    names = {r.name for r in c.entries}
    assert names == {"자료".encode("cp949"), "자료\\한글 문서.txt".encode("cp949"), b"plain.txt"}
    sr.compare_with_source(c, src, codepage="cp949")

    src = write_tree(tmp_path / "west", {"café": None, "café/naïve ß.txt": b"x"})
    c = build(wine, src, tmp_path / "west.exe", codepage=1252)
    assert {r.name for r in c.entries} == {"café".encode("cp1252"), "café\\naïve ß.txt".encode("cp1252")}
    sr.compare_with_source(c, src, codepage="cp1252")


def test_dos_times_are_local_times_of_the_maker(wine, tmp_path):
    # Times on both sides of a date change in Seoul (UTC+9) but not in UTC:
    # a writer that packs UTC, or rounds the odd seconds up, differs here.
    src = write_tree(tmp_path / "src", {"late.txt": b"l", "sub": None, "sub/early.txt": b"e"},
                     stamp=None)
    seoul = ZoneInfo("Asia/Seoul")
    times = {"late.txt": datetime(2022, 12, 31, 23, 59, 59, tzinfo=seoul),
             "sub/early.txt": datetime(2023, 1, 1, 0, 0, 1, tzinfo=seoul),
             "sub": datetime(2020, 2, 29, 8, 30, 15, tzinfo=seoul)}
    for name, when in times.items():
        os.utime(src / name, (when.timestamp(), when.timestamp()))
    code = run_maker(wine, src, tmp_path / "tz.exe", env={"TZ": "Asia/Seoul"})
    assert code == EXIT_BUILT
    c = sr.read_sfx(tmp_path / "tz.exe")
    assert c.by_name()["late.txt"].dos_time == (42 << 25 | 12 << 21 | 31 << 16 | 23 << 11 | 59 << 5 | 29)
    sr.compare_with_source(c, src, tz=seoul)


def test_relative_and_slashed_paths(wine, tmp_path):
    src = write_tree(tmp_path / "src", {"a.txt": b"a", "d": None, "d/b.txt": b"b"})
    # Relative to the current folder.
    proc = wine.start(wine.exe("tarnwick.exe"), ["-h", "-c", "-o", "src", "out\\rel.exe"], cwd=tmp_path)
    assert finish(wine, proc) == EXIT_BUILT
    sr.compare_with_source(sr.read_sfx(tmp_path / "out" / "rel.exe"), src)
    # Forward slashes and a trailing one, the target inside the source.
    slashed = wine.winpath(src).replace("\\", "/")
    c = build(wine, slashed + "/", slashed + "/self.exe", written=src / "self.exe")
    assert {r.text_name() for r in c.entries} == {"a.txt", "d", "d\\b.txt"}
    sr.compare_with_source(c, src, skip=["self.exe"])
