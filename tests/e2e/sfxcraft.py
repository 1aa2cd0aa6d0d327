"""Crafts SFX files for the stub's tests: stub bytes, option header, records,
terminator, written from the byte layout alone (not with the maker's code).
Every record can be bent on purpose to make damaged containers.

    option header (2330 bytes)
      0     1  extraction mode      0 extract only, 1 extract and run
      1     1  extraction folder    0 temp, 1 desktop, 2 documents, 3 current,
                                    4 ask, 5 custom
      2  2048  run parameters       NUL-terminated, zero-filled
   2050   261  custom folder        NUL-terminated, zero-filled
   2311    11  run identifier       10 hex digits, NUL
   2322     1  open folder     2323  1  compressed     2324  1  one instance
   2325     1  silent          2326  1  self-delete    2327  1  delete mode
   2328     1  working folder  2329  1  overwrite mode
    record: kind u8, name length u32, size s32, DOS time u32, attributes u32,
            name, then a folder's checksum u32, or a file's chunks
            ([raw u32][stream u32][zlib stream], min(left, 9,437,184) raw
            bytes each; raw bytes alone when not compressed) and checksum u32
            (byte sum of the name and the raw data, mod 2^32)
    terminator: 17 zero bytes
"""

from __future__ import annotations

import struct
import time
import zlib
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable, Optional

HEADER_SIZE = 2330
CHUNK_RAW_MAX = 9_437_184
ATTR_READONLY, ATTR_HIDDEN, ATTR_SYSTEM = 0x01, 0x02, 0x04
ATTR_DIRECTORY, ATTR_ARCHIVE = 0x10, 0x20
KIND_ORDINARY, KIND_RUN_FILE, KIND_HELPER = 0, 1, 2
FOLDER_TEMP, FOLDER_DESKTOP, FOLDER_DOCUMENTS, FOLDER_CURRENT, FOLDER_ASK, FOLDER_CUSTOM = range(6)


@dataclass
class Options:
    extraction_mode: int = 0
    extraction_folder: int = FOLDER_CUSTOM
    parameters: bytes = b""
    custom_folder: bytes = b""
    run_id: bytes = b"0000C0FFEE"
    open_folder: int = 0
    compressed: int = 1
    one_instance: int = 0
    silent: int = 1
    self_delete: int = 0
    delete_mode: int = 2
    working_folder: int = 0
    overwrite_mode: int = 1


def _text_field(value: bytes, size: int) -> bytes:
    return value[: size - 1].ljust(size, b"\0")


def header(o: Options) -> bytes:
    out = (bytes([o.extraction_mode, o.extraction_folder]) + _text_field(o.parameters, 2048) +
           _text_field(o.custom_folder, 261) + _text_field(o.run_id, 11) +
           bytes([o.open_folder, o.compressed, o.one_instance, o.silent, o.self_delete,
                  o.delete_mode, o.working_folder, o.overwrite_mode]))
    assert len(out) == HEADER_SIZE
    return out


def dos_time(t: float) -> int:
    """Packed local DOS date-time (date in the high 16 bits), 2-second steps."""
    lt = time.localtime(t)
    date = ((lt.tm_year - 1980) << 9) | (lt.tm_mon << 5) | lt.tm_mday
    clock = (lt.tm_hour << 11) | (lt.tm_min << 5) | (lt.tm_sec // 2)
    return (date << 16) | clock


def from_dos_time(v: int) -> float:
    date, clock = v >> 16, v & 0xFFFF
    return time.mktime(((date >> 9) + 1980, (date >> 5) & 15, date & 31,
                        clock >> 11, (clock >> 5) & 63, (clock & 31) * 2, 0, 0, -1))


DEFAULT_TIME = dos_time(time.mktime((2021, 6, 15, 13, 45, 30, 0, 0, -1)))


@dataclass
class Entry:
    """One record. data None makes a folder. The bend_* fields damage it."""

    name: bytes
    data: Optional[bytes] = None
    kind: int = KIND_ORDINARY
    dos_time: int = DEFAULT_TIME
    attributes: int = ATTR_ARCHIVE
    size: Optional[int] = None  # size field; default len(data)
    # (chunk index, raw length) pairs written instead of the true raw length
    bend_raw_length: dict = field(default_factory=dict)
    # (chunk index, stream length) pairs written instead of the true length
    bend_stream_length: dict = field(default_factory=dict)
    bend_stream: Optional[Callable[[int, bytes], bytes]] = None  # (index, stream) -> stream
    bend_checksum: int = 0  # added to the stored checksum

    @property
    def is_folder(self) -> bool:
        return self.data is None


def folder(name: bytes, **kw) -> Entry:
    kw.setdefault("attributes", ATTR_DIRECTORY)
    return Entry(name, None, **kw)


def byte_sum(*parts: bytes) -> int:
    return sum(sum(p) for p in parts) & 0xFFFFFFFF


def record(e: Entry, compressed: bool = True) -> bytes:
    data = e.data or b""
    size = len(data) if e.size is None else e.size
    attributes = e.attributes | (ATTR_DIRECTORY if e.is_folder else 0)
    out = bytearray(struct.pack("<BIiII", e.kind, len(e.name), size, e.dos_time, attributes))
    out += e.name
    if not e.is_folder:
        if compressed:
            for i, pos in enumerate(range(0, len(data), CHUNK_RAW_MAX)):
                chunk = data[pos:pos + CHUNK_RAW_MAX]
                stream = zlib.compress(chunk, 9)
                if e.bend_stream:
                    stream = e.bend_stream(i, stream)
                raw_len = e.bend_raw_length.get(i, len(chunk))
                stream_len = e.bend_stream_length.get(i, len(stream))
                out += struct.pack("<II", raw_len, stream_len) + stream
        else:
            out += data
    out += struct.pack("<I", (byte_sum(e.name, data) + e.bend_checksum) & 0xFFFFFFFF)
    return bytes(out)


TERMINATOR = bytes(17)


def build(stub: bytes, options: Options, entries, terminator: bool = True,
          tail: bytes = b"") -> bytes:
    body = b"".join(record(e, bool(options.compressed)) for e in entries)
    return stub + header(options) + body + (TERMINATOR if terminator else b"") + tail


def write(path: Path, stub: bytes, options: Options, entries, **kw) -> Path:
    path.write_bytes(build(stub, options, entries, **kw))
    return path


def from_folder(source: Path, codec: str = "cp949", attributes=None) -> list[Entry]:
    """Records for a folder tree, folders before their content. attributes
    maps a relative POSIX path to the DOS attributes to store (the Unix side
    has none of its own)."""
    attributes = attributes or {}
    entries = []

    def walk(folder_path: Path, rel: str):
        for child in sorted(folder_path.iterdir(), key=lambda p: p.name.lower()):
            name = f"{rel}{child.name}"
            stamp = dos_time(child.stat().st_mtime)
            wire = name.replace("/", "\\").encode(codec)
            if child.is_dir():
                entries.append(folder(wire, dos_time=stamp,
                                      attributes=ATTR_DIRECTORY | attributes.get(name, 0)))
                walk(child, name + "/")
            else:
                entries.append(Entry(wire, child.read_bytes(), dos_time=stamp,
                                     attributes=attributes.get(name, ATTR_ARCHIVE)))

    walk(source, "")
    return entries


def with_code_page(stub: bytes, code_page: int) -> bytes:
    """The stub with its recorded code page (RCDATA "CODEPAGE", 4 bytes
    little-endian) set to code_page, in place."""
    import pefile
    pe = pefile.PE(data=stub)
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id == 10:  # RT_RCDATA
            for name in kind.directory.entries:
                if str(name.name) == "CODEPAGE":
                    entry = name.directory.entries[0].data.struct
                    at = pe.get_offset_from_rva(entry.OffsetToData)
                    return stub[:at] + struct.pack("<I", code_page) + stub[at + 4:]
    raise ValueError("the stub records no code page")


def flip_chunk(chunk: int):
    """For bend_stream: chunk number `chunk` becomes a valid zlib stream of
    its data with the first byte changed, so that zlib inflates it without
    complaint and only the record checksum can tell."""
    def bend(index: int, stream: bytes) -> bytes:
        if index != chunk:
            return stream
        raw = zlib.decompress(stream)
        return zlib.compress(bytes([raw[0] ^ 0x01]) + raw[1:], 9)
    return bend


flip_first_stream_byte = flip_chunk(0)


# ------------------------------------------------------------ test helpers

def into(wine, folder: Path, **kw) -> Options:
    """Options that extract into `folder` (a custom folder, Windows path)."""
    return Options(custom_folder=(wine.winpath(folder) + "\\").encode("cp949"), **kw)


def tree(folder: Path) -> dict:
    """{relative POSIX path: bytes, or None for a folder} below folder."""
    out = {}
    if not folder.exists():
        return out
    for path in sorted(folder.rglob("*")):
        rel = path.relative_to(folder).as_posix()
        out[rel] = None if path.is_dir() else path.read_bytes()
    return out
