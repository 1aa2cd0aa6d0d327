"""Sources for the resource edits: icon files, resource-only DLLs linked by
MinGW from an .rc text, and DLLs bent so that many resource entries share
one block of data (as a damaged or hostile file may).

    icon file: reserved u16, type u16 (1), count u16; per image 16 bytes:
               width, height, colours, reserved (u8 each), planes u16,
               bit count u16, size u32, offset u32; then the images
"""

import struct
import subprocess
from pathlib import Path

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


def ico(images) -> bytes:
    """An icon file with one 16x16 entry per image (the bytes are not looked at)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    at, entries = 6 + 16 * len(images), b""
    for i, image in enumerate(images):
        side = (16 + i) % 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), at)
        at += len(image)
    return head + entries + b"".join(images)


def image(tag: int) -> bytes:
    return bytes([0x28]) + bytes(39) + bytes([tag]) * (60 + tag)


def build_dll(folder: Path, rc: str, files: dict, bits: int = 32) -> Path:
    """Links a DLL with no code from the .rc text; `files` are written
    beside it first (name -> bytes)."""
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (folder / name).write_bytes(data)
    (folder / "r.rc").write_text(rc)
    tool = "x86_64-w64-mingw32" if bits == 64 else "i686-w64-mingw32"
    subprocess.run([f"{tool}-windres", "r.rc", "-O", "coff", "-o", "r.o"], cwd=folder, check=True)
    subprocess.run([f"{tool}-gcc", "-shared", "-nostdlib", "-Wl,-e,0", "-Wl,--no-insert-timestamp",
                    "-o", "r.dll", "r.o"], cwd=folder, check=True)
    return folder / "r.dll"


def sample_dll(folder: Path, bits: int = 32) -> Path:
    """Icon group 5 in English (image tag 1) and German (tags 2, 3), version
    information in Korean, and a resource whose type and name are strings."""
    return build_dll(folder, """
LANGUAGE 0x09, 0x01
5 ICON "en.ico"
LANGUAGE 0x07, 0x01
5 ICON "de.ico"
LANGUAGE 0x12, 0x01
1 VERSIONINFO
FILEVERSION 1,2,3,4
BEGIN
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x412, 1200
  END
END
NAMED CUSTOM { "text" }
""", {"en.ico": ico([image(1)]), "de.ico": ico([image(2), image(3)])}, bits)


def _data_entries(pe, rtype):
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if t.id == rtype:
            for name in t.directory.entries:
                for lang in name.directory.entries:
                    yield lang.data.struct


def share_data(dll: bytes, rtype: int, like: int) -> bytes:
    """Points every data entry of type `rtype` at the data of the first
    resource of type `like`."""
    pe = pefile.PE(data=dll)
    first = next(_data_entries(pe, like))
    out = bytearray(dll)
    for entry in _data_entries(pe, rtype):
        struct.pack_into("<II", out, entry.get_file_offset(), first.OffsetToData, first.Size)
    return bytes(out)


def shared_blob_dll(folder: Path, blob: int, images: int, versions: int) -> bytes:
    """A DLL of about `blob` bytes whose icon group names `images` images
    that all are its first image of `blob` bytes, and whose `versions`
    version names all hold its icon group."""
    icon = ico([b"\x28" + bytes(blob - 1)] + [b"\x28"] * (images - 1))
    rc = '1 ICON "a.ico"\n' + "".join(
        f"{n} VERSIONINFO\nFILEVERSION 1,0,0,{n}\nBEGIN\nEND\n" for n in range(1, versions + 1))
    data = build_dll(folder, rc, {"a.ico": icon}).read_bytes()
    return share_data(share_data(data, RT_ICON, RT_ICON), RT_VERSION, RT_GROUP_ICON)
