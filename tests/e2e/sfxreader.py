"""An independent reader (and a small writer) of the data an SFX file carries.

Written from the byte layout alone, without the maker's code, so that the
maker's output and the stub's input can be checked against it:

    stub executable   ends where its last section with raw data ends
    option header     2330 bytes
      0     1  extraction mode      0 extract only, 1 extract and run
      1     1  extraction folder    0 temp .. 5 custom
      2  2048  run parameters       <= 2047 bytes, NUL, zero-filled
   2050   261  custom folder        <= 260 bytes, NUL, zero-filled
   2311    11  run identifier       10 uppercase hex digits ("00..."), NUL
   2322     1  open folder          0/1
   2323     1  data compressed      0/1
   2324     1  one instance         0/1
   2325     1  silent               0/1
   2326     1  self-delete          0/1
   2327     1  delete mode          0..2
   2328     1  working folder       0..2
   2329     1  overwrite mode       0..2
    records           [helper, kind 2, first] then one per folder and file
    terminator        17 zero bytes

    record: kind u8, name length u32, size s32, DOS time u32, attributes u32,
            name bytes, then for a folder (0x10) the checksum u32; for a file
            chunks of min(remaining, 9,437,184) raw bytes, each
            [raw length u32][stream length u32][zlib stream] (or the raw
            bytes alone when the header says "not compressed"), then the
            checksum u32 = byte sum of the name and every raw byte, mod 2^32.

Every deviation raises ContainerError naming the offset concerned.

    c = read_sfx(path)            # header, records (data inflated), end
    compare_with_source(c, src)   # names, sizes, data, DOS times, attributes
    rebuild(c, folder)            # the tree as an extraction would leave it
"""

from __future__ import annotations

import datetime
import os
import stat
import struct
import time
import zlib
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable, Iterable, Optional

HEADER_SIZE = 2330
ENTRY_HEAD_SIZE = 17
CHUNK_RAW_MAX = 9_437_184
CHUNK_COMPRESSED_MAX = 10_485_760
PARAMETERS_MAX = 2047
CUSTOM_FOLDER_MAX = 260
HELPER_NAME = b"xsfxdel~.exe"

KIND_ORDINARY, KIND_RUN_FILE, KIND_HELPER = 0, 1, 2

ATTR_READONLY = 0x01
ATTR_HIDDEN = 0x02
ATTR_SYSTEM = 0x04
ATTR_DIRECTORY = 0x10
ATTR_ARCHIVE = 0x20

# Header offsets.
OFF_EXTRACTION_MODE = 0
OFF_EXTRACTION_FOLDER = 1
OFF_PARAMETERS = 2
OFF_CUSTOM_FOLDER = 2050
OFF_RUN_ID = 2311
OFF_OPEN_FOLDER = 2322
OFF_COMPRESSED = 2323
OFF_ONE_INSTANCE = 2324
OFF_SILENT = 2325
OFF_SELF_DELETE = 2326
OFF_DELETE_MODE = 2327
OFF_WORKING_FOLDER = 2328
OFF_OVERWRITE_MODE = 2329

_HEAD = struct.Struct("<BIiII")


class ContainerError(ValueError):
    """The bytes do not follow the container layout."""


def byte_sum(data, start: int = 0) -> int:
    """32-bit wrapping sum of unsigned bytes."""
    total = start
    view = memoryview(data)
    step = 1 << 24
    for i in range(0, len(view), step):
        total += sum(view[i:i + step])
    return total & 0xFFFFFFFF


# --------------------------------------------------------------------------
# PE: where the stub's image ends


def pe_image_end(data) -> int:
    """End of the last section's raw data: the largest PointerToRawData +
    SizeOfRawData over the sections whose SizeOfRawData is not 0."""
    view = memoryview(data)
    if len(view) < 0x40 or bytes(view[:2]) != b"MZ":
        raise ContainerError("not an executable: no MZ signature")
    (pe,) = struct.unpack_from("<I", view, 0x3C)
    if pe + 24 > len(view) or bytes(view[pe:pe + 4]) != b"PE\0\0":
        raise ContainerError(f"no PE signature at 0x{pe:x}")
    sections, = struct.unpack_from("<H", view, pe + 6)
    optional_size, = struct.unpack_from("<H", view, pe + 20)
    table = pe + 24 + optional_size
    if sections == 0 or table + 40 * sections > len(view):
        raise ContainerError("PE section table missing or cut short")
    end = 0
    for i in range(sections):
        raw_size, raw_pointer = struct.unpack_from("<II", view, table + 40 * i + 16)
        if raw_size:
            end = max(end, raw_pointer + raw_size)
    if end == 0:
        raise ContainerError("no PE section holds raw data")
    if end > len(view):
        raise ContainerError(f"last PE section ends at {end}, past the file's {len(view)} bytes")
    return end


# --------------------------------------------------------------------------
# Data model


@dataclass(frozen=True)
class OptionHeader:
    extraction_mode: int
    extraction_folder: int
    parameters: bytes
    custom_folder: bytes
    run_id: str
    open_folder: int
    compressed: int
    one_instance: int
    silent: int
    self_delete: int
    delete_mode: int
    working_folder: int
    overwrite_mode: int
    raw: bytes = field(repr=False, default=b"")


@dataclass
class Record:
    kind: int
    name: bytes
    size: int
    dos_time: int
    attributes: int
    data: Optional[bytes]  # None for a folder
    checksum: int
    offset: int = 0  # of the entry head in the file
    chunks: list = field(default_factory=list, repr=False)  # (raw, stored) lengths

    @property
    def is_folder(self) -> bool:
        return bool(self.attributes & ATTR_DIRECTORY)

    def text_name(self, codepage: str = "cp949") -> str:
        return self.name.decode(codepage)


@dataclass
class Container:
    header_offset: int
    header: OptionHeader
    records: list
    end: int  # offset just past the terminator (= the file's length)

    @property
    def helper(self) -> Optional[Record]:
        return next((r for r in self.records if r.kind == KIND_HELPER), None)

    @property
    def entries(self) -> list:
        """The folder and file records (the helper left out)."""
        return [r for r in self.records if r.kind != KIND_HELPER]

    @property
    def run_file(self) -> Optional[Record]:
        return next((r for r in self.records if r.kind == KIND_RUN_FILE), None)

    def by_name(self, codepage: str = "cp949") -> dict:
        return {r.text_name(codepage): r for r in self.entries}


# --------------------------------------------------------------------------
# Reading


def _text_field(raw: bytes, offset: int, size: int, limit: int, what: str) -> bytes:
    area = raw[offset:offset + size]
    nul = area.find(b"\0")
    if nul < 0:
        raise ContainerError(f"header: {what} at {offset} has no NUL terminator")
    if nul > limit:
        raise ContainerError(f"header: {what} is {nul} bytes, more than {limit}")
    if any(area[nul:]):
        raise ContainerError(f"header: {what} has non-zero bytes after its NUL")
    return area[:nul]


def _small(raw: bytes, offset: int, top: int, what: str) -> int:
    value = raw[offset]
    if value > top:
        raise ContainerError(f"header: {what} at {offset} is {value}, above {top}")
    return value


def parse_header(raw: bytes) -> OptionHeader:
    if len(raw) != HEADER_SIZE:
        raise ContainerError(f"header: {len(raw)} bytes instead of {HEADER_SIZE}")
    params = _text_field(raw, OFF_PARAMETERS, 2048, PARAMETERS_MAX, "run parameters")
    custom = _text_field(raw, OFF_CUSTOM_FOLDER, 261, CUSTOM_FOLDER_MAX, "custom folder")
    run_id_area = raw[OFF_RUN_ID:OFF_RUN_ID + 11]
    digits = run_id_area[:10]
    if run_id_area[10] != 0 or not all(c in b"0123456789ABCDEF" for c in digits):
        raise ContainerError(f"header: run identifier {run_id_area!r} is not 10 uppercase hex digits + NUL")
    if int(digits, 16) > 2_147_483_646:
        raise ContainerError(f"header: run identifier {digits!r} is above 2,147,483,646")
    return OptionHeader(
        extraction_mode=_small(raw, OFF_EXTRACTION_MODE, 1, "extraction mode"),
        extraction_folder=_small(raw, OFF_EXTRACTION_FOLDER, 5, "extraction folder"),
        parameters=params,
        custom_folder=custom,
        run_id=digits.decode("ascii"),
        open_folder=_small(raw, OFF_OPEN_FOLDER, 1, "open folder"),
        compressed=_small(raw, OFF_COMPRESSED, 1, "data compressed"),
        one_instance=_small(raw, OFF_ONE_INSTANCE, 1, "one instance"),
        silent=_small(raw, OFF_SILENT, 1, "silent"),
        self_delete=_small(raw, OFF_SELF_DELETE, 1, "self-delete"),
        delete_mode=_small(raw, OFF_DELETE_MODE, 2, "delete mode"),
        working_folder=_small(raw, OFF_WORKING_FOLDER, 2, "working folder"),
        overwrite_mode=_small(raw, OFF_OVERWRITE_MODE, 2, "overwrite mode"),
        raw=bytes(raw),
    )


class _Cursor:
    def __init__(self, view: memoryview, pos: int):
        self.view, self.pos = view, pos

    def take(self, n: int, what: str) -> memoryview:
        if n < 0 or self.pos + n > len(self.view):
            raise ContainerError(
                f"{what} at {self.pos}: needs {n} bytes, only {len(self.view) - self.pos} left")
        part = self.view[self.pos:self.pos + n]
        self.pos += n
        return part

    def u32(self, what: str) -> int:
        return struct.unpack("<I", self.take(4, what))[0]


def _inflate_chunk(stream: memoryview, n: int, where: str) -> bytes:
    if len(stream) < 2 or (stream[0] & 0x0F) != 8 or (stream[0] >> 4) > 7 \
            or ((stream[0] << 8) | stream[1]) % 31 or stream[1] & 0x20:
        raise ContainerError(f"{where}: not a zlib stream header ({bytes(stream[:2]).hex()})")
    inflater = zlib.decompressobj(15)
    try:
        out = inflater.decompress(stream, n + 1)
        if len(out) <= n:
            out += inflater.flush()
    except zlib.error as e:
        raise ContainerError(f"{where}: broken zlib stream: {e}") from None
    if len(out) != n:
        raise ContainerError(f"{where}: inflates to {len(out)}{'+' if len(out) > n else ''} bytes, "
                             f"the chunk says {n}")
    if not inflater.eof:
        raise ContainerError(f"{where}: zlib stream is incomplete (no end / Adler-32)")
    if inflater.unused_data:
        raise ContainerError(f"{where}: {len(inflater.unused_data)} bytes after the zlib stream's end")
    return out


def _read_data(cur: _Cursor, size: int, compressed: bool, where: str, chunks: list):
    parts = []
    position = 0
    while position < size:
        expected = min(size - position, CHUNK_RAW_MAX)
        at = cur.pos
        if compressed:
            n = cur.u32(f"{where}: chunk raw length")
            c = cur.u32(f"{where}: chunk stream length")
            if n != expected:
                raise ContainerError(f"{where}: chunk at {at} holds {n} raw bytes, expected "
                                     f"min(remaining {size - position}, {CHUNK_RAW_MAX}) = {expected}")
            if c > CHUNK_COMPRESSED_MAX:
                raise ContainerError(f"{where}: chunk at {at} stream length {c} exceeds {CHUNK_COMPRESSED_MAX}")
            if c == 0:
                raise ContainerError(f"{where}: chunk at {at} has an empty stream")
            stream = cur.take(c, f"{where}: zlib stream")
            parts.append(_inflate_chunk(stream, n, f"{where}: chunk at {at}"))
            chunks.append((n, c))
        else:
            parts.append(bytes(cur.take(expected, f"{where}: stored chunk")))
            chunks.append((expected, expected))
        position += expected
    return b"".join(parts)


def parse(data, header_offset: Optional[int] = None) -> Container:
    """Reads the container behind the stub. header_offset defaults to the end
    of the stub's PE image."""
    view = memoryview(data)
    if header_offset is None:
        header_offset = pe_image_end(view)
    cur = _Cursor(view, header_offset)
    header = parse_header(bytes(cur.take(HEADER_SIZE, "option header")))
    records = []
    while True:
        at = cur.pos
        kind, name_length, size, dos_time, attributes = _HEAD.unpack(cur.take(ENTRY_HEAD_SIZE, "entry head"))
        if name_length == 0 and size == 0 and dos_time == 0 and attributes == 0:
            if kind != 0:
                raise ContainerError(f"terminator at {at} has kind byte {kind}, not 0")
            break
        where = f"record #{len(records)} at {at}"
        if kind > KIND_HELPER:
            raise ContainerError(f"{where}: kind {kind} is not 0, 1 or 2")
        if name_length == 0:
            raise ContainerError(f"{where}: empty name")
        name = bytes(cur.take(name_length, f"{where}: name"))
        where = f"record #{len(records)} {name!r} at {at}"
        if b"\0" in name or name.startswith(b"\\"):
            raise ContainerError(f"{where}: name holds a NUL or starts with a backslash")
        if size < 0:
            raise ContainerError(f"{where}: negative size {size}")
        chunks: list = []
        folder = bool(attributes & ATTR_DIRECTORY)
        if folder and kind == KIND_ORDINARY:
            if size != 0:
                raise ContainerError(f"{where}: folder with size {size}")
            payload = None
            checksum = byte_sum(name)
        else:
            if folder:
                raise ContainerError(f"{where}: kind {kind} record marked as a folder")
            payload = _read_data(cur, size, bool(header.compressed), where, chunks)
            checksum = byte_sum(payload, byte_sum(name))
        stored = cur.u32(f"{where}: checksum")
        if stored != checksum:
            raise ContainerError(f"{where}: checksum 0x{stored:08x} stored, 0x{checksum:08x} computed")
        records.append(Record(kind, name, size, dos_time, attributes, payload, checksum, at, chunks))
    if cur.pos != len(view):
        raise ContainerError(f"{len(view) - cur.pos} trailing bytes after the terminator at {cur.pos}")
    _check_record_roles(header, records)
    return Container(header_offset, header, records, cur.pos)


def _check_record_roles(header: OptionHeader, records: list) -> None:
    helpers = [i for i, r in enumerate(records) if r.kind == KIND_HELPER]
    if header.self_delete:
        if helpers != [0]:
            raise ContainerError(f"self-delete mode needs one helper record first; helpers at {helpers}")
        h = records[0]
        if h.name != HELPER_NAME or h.dos_time or h.attributes:
            raise ContainerError(f"helper record {h.name!r} time {h.dos_time:#x} attributes "
                                 f"{h.attributes:#x}: expected {HELPER_NAME!r}, 0, 0")
    elif helpers:
        raise ContainerError(f"helper record(s) at {helpers} without self-delete mode")
    runs = [r.name for r in records if r.kind == KIND_RUN_FILE]
    if len(runs) > 1:
        raise ContainerError(f"more than one run file record: {runs}")
    if runs and header.extraction_mode != 1:
        raise ContainerError(f"run file record {runs[0]!r} in extraction mode {header.extraction_mode}")


def read_sfx(path) -> Container:
    return parse(Path(path).read_bytes())


# --------------------------------------------------------------------------
# Writing (for tests that need a hand-made or damaged container)


def encode_header(extraction_mode=0, extraction_folder=0, parameters=b"", custom_folder=b"",
                  run_id="0012345678", open_folder=0, compressed=1, one_instance=0, silent=0,
                  self_delete=0, delete_mode=0, working_folder=0, overwrite_mode=0) -> bytes:
    raw = bytearray(HEADER_SIZE)
    raw[OFF_EXTRACTION_MODE] = extraction_mode
    raw[OFF_EXTRACTION_FOLDER] = extraction_folder
    raw[OFF_PARAMETERS:OFF_PARAMETERS + len(parameters)] = parameters
    raw[OFF_CUSTOM_FOLDER:OFF_CUSTOM_FOLDER + len(custom_folder)] = custom_folder
    raw[OFF_RUN_ID:OFF_RUN_ID + 10] = run_id.encode("ascii")
    for off, value in ((OFF_OPEN_FOLDER, open_folder), (OFF_COMPRESSED, compressed),
                       (OFF_ONE_INSTANCE, one_instance), (OFF_SILENT, silent),
                       (OFF_SELF_DELETE, self_delete), (OFF_DELETE_MODE, delete_mode),
                       (OFF_WORKING_FOLDER, working_folder), (OFF_OVERWRITE_MODE, overwrite_mode)):
        raw[off] = value
    return bytes(raw)


def encode_head(kind: int, name: bytes, size: int, dos_time: int = 0, attributes: int = 0) -> bytes:
    return _HEAD.pack(kind, len(name), size, dos_time, attributes)


def encode_folder(name: bytes, dos_time: int = 0, attributes: int = ATTR_DIRECTORY) -> bytes:
    return encode_head(0, name, 0, dos_time, attributes) + name + struct.pack("<I", byte_sum(name))


def encode_chunk(raw: bytes, compressed: bool = True, level: int = 9) -> bytes:
    if not compressed:
        return bytes(raw)
    stream = zlib.compress(raw, level)
    return struct.pack("<II", len(raw), len(stream)) + stream


def encode_file(name: bytes, data: bytes, kind: int = 0, dos_time: int = 0,
                attributes: int = ATTR_ARCHIVE, compressed: bool = True) -> bytes:
    body = b"".join(encode_chunk(data[i:i + CHUNK_RAW_MAX], compressed)
                    for i in range(0, len(data), CHUNK_RAW_MAX))
    checksum = byte_sum(data, byte_sum(name))
    return encode_head(kind, name, len(data), dos_time, attributes) + name + body + struct.pack("<I", checksum)


TERMINATOR = bytes(ENTRY_HEAD_SIZE)


# --------------------------------------------------------------------------
# DOS date-time


def dos_time_from_epoch(seconds: float, tz: Optional[datetime.tzinfo] = None) -> int:
    """Packed DOS date-time of a Unix time in local time (or in the zone tz),
    seconds truncated to an even number; 0 outside 1980..2107."""
    t = datetime.datetime.fromtimestamp(int(seconds), tz)
    if not 1980 <= t.year <= 2107:
        return 0
    date = ((t.year - 1980) << 9) | (t.month << 5) | t.day
    clock = (t.hour << 11) | (t.minute << 5) | (t.second // 2)
    return (date << 16) | clock


def epoch_from_dos_time(value: int) -> float:
    date, clock = value >> 16, value & 0xFFFF
    t = (1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F,
         clock >> 11, (clock >> 5) & 0x3F, (clock & 0x1F) * 2, 0, 0, -1)
    return time.mktime(t)


# --------------------------------------------------------------------------
# Folders on the Unix side


def wine_attributes(path) -> int:
    """The attributes Wine reports for a Unix file: 0x10 for a folder, 0x20
    (archive) for a file, read-only when no write bit is set, hidden for a
    dot name, and hidden/system as kept in the user.DOSATTRIB xattr."""
    p = Path(path)
    st = p.lstat()
    attributes = ATTR_DIRECTORY if stat.S_ISDIR(st.st_mode) else ATTR_ARCHIVE
    if not stat.S_ISDIR(st.st_mode) and not st.st_mode & 0o222:
        attributes |= ATTR_READONLY
    if p.name.startswith(".") and p.name not in (".", ".."):
        attributes |= ATTR_HIDDEN
    try:
        text = os.getxattr(p, "user.DOSATTRIB").split(b"\0")[0].decode("ascii")
        attributes |= int(text, 16 if text.lower().startswith("0x") else 10) & (ATTR_HIDDEN | ATTR_SYSTEM)
    except (OSError, ValueError):
        pass
    return attributes


def walk_source(source) -> dict:
    """Relative Windows-style names (backslashes) -> Path, folders included."""
    source = Path(source)
    found = {}
    for root, dirs, files in os.walk(source):
        for name in dirs + files:
            path = Path(root) / name
            found["\\".join(path.relative_to(source).parts)] = path
    return found


def compare_with_source(container: Container, source, codepage: str = "cp949",
                        skip: Iterable[str] = (),
                        attributes_of: Callable = wine_attributes,
                        tz: Optional[datetime.tzinfo] = None) -> None:
    """Raises AssertionError listing every difference between the records
    and the folder: names, kinds of entry, sizes, data, DOS times (in local
    time, or in the zone tz the writer ran in) and attributes. Names in
    `skip` (relative, backslashes) are left out."""
    expected = {k: v for k, v in walk_source(source).items() if k not in set(skip)}
    problems = []
    seen = set()
    for r in container.entries:
        try:
            name = r.text_name(codepage)
        except UnicodeDecodeError:
            problems.append(f"{r.name!r}: not valid {codepage}")
            continue
        if name in seen:
            problems.append(f"{name}: stored twice")
        seen.add(name)
        path = expected.get(name)
        if path is None:
            problems.append(f"{name}: stored but not in the source")
            continue
        st = path.lstat()
        want_attributes = attributes_of(path)
        if r.attributes != want_attributes:
            problems.append(f"{name}: attributes 0x{r.attributes:x}, source 0x{want_attributes:x}")
        want_time = dos_time_from_epoch(st.st_mtime, tz)
        if r.dos_time != want_time:
            problems.append(f"{name}: DOS time 0x{r.dos_time:08x}, source 0x{want_time:08x}")
        if stat.S_ISDIR(st.st_mode):
            if not r.is_folder:
                problems.append(f"{name}: stored as a file, is a folder")
            continue
        if r.is_folder:
            problems.append(f"{name}: stored as a folder, is a file")
            continue
        if r.size != st.st_size:
            problems.append(f"{name}: size {r.size}, source {st.st_size}")
        elif r.data != path.read_bytes():
            problems.append(f"{name}: data differ")
    for name in sorted(set(expected) - seen):
        problems.append(f"{name}: in the source but not stored")
    if problems:
        raise AssertionError("container differs from the source:\n  " + "\n  ".join(problems))


def rebuild(container: Container, folder, codepage: str = "cp949", set_times: bool = True) -> list:
    """Writes the folders and files of the records under `folder` (the helper
    left out) and returns their paths. Refuses names that would leave it."""
    folder = Path(folder)
    written = []
    for r in container.entries:
        parts = r.text_name(codepage).split("\\")
        if any(p in ("", ".", "..") or "/" in p or ":" in p for p in parts):
            raise ContainerError(f"record name {r.name!r} would leave the folder")
        path = folder.joinpath(*parts)
        if r.is_folder:
            path.mkdir(parents=True, exist_ok=True)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(r.data)
        written.append(path)
    if set_times:  # files first, folders afterwards (writing a file touches its folder)
        for r, path in sorted(zip(container.entries, written), key=lambda rp: rp[0].is_folder):
            when = epoch_from_dos_time(r.dos_time) if r.dos_time else 0
            os.utime(path, (when, when))
    return written
