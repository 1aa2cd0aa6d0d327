#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets:
- tests/fuzz/corpus (fuzz_container): option header and records of small
  crafted containers, sound and bent, without the stub executable in front;
- tests/fuzz/corpus-peres (fuzz_peres): small PE files and icon files,
  sound, bent, and with entries that share one block of data. Needs the
  MinGW tools and python3-pefile (scripts/setup.sh installs them)."""
import struct
import sys
import tempfile
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import pecraft as pc  # noqa: E402
import sfxcraft as sc  # noqa: E402

HELPER = sc.Entry(b"xsfxdel~.exe", b"MZ helper", kind=sc.KIND_HELPER)
TREE = [sc.folder(b"docs"), sc.folder(b"docs\\deep", attributes=sc.ATTR_DIRECTORY | sc.ATTR_HIDDEN),
        sc.Entry(b"docs\\readme.txt", b"read me\r\n" * 20),
        sc.Entry(b"docs\\deep\\run.exe", bytes(range(256)), kind=sc.KIND_RUN_FILE),
        sc.Entry(b"a.txt", b"replaces the file there before"), sc.Entry(b"empty", b"")]

SEEDS = {
    "tree": (sc.Options(), TREE),
    "stored": (sc.Options(compressed=0), TREE),
    "skip": (sc.Options(overwrite_mode=2), TREE),
    "ask-yes": (sc.Options(overwrite_mode=0x80), TREE),
    "helper": (sc.Options(self_delete=1), [HELPER] + TREE[:3]),
    "helper-late": (sc.Options(self_delete=1), TREE[:2] + [HELPER]),
    "bad-checksum": (sc.Options(), TREE[:2] + [sc.Entry(b"x", b"x" * 300, bend_checksum=1)]),
    "flipped": (sc.Options(), [sc.Entry(b"f.txt", b"text " * 200, bend_stream=sc.flip_first_stream_byte)]),
    "bad-raw-length": (sc.Options(), [sc.Entry(b"r.bin", b"r" * 100, bend_raw_length={0: 99})]),
    "devices": (sc.Options(), [sc.Entry(b"COM\xb9.txt", b"x"), sc.Entry(b"nul", b"y")]),
    "nul-in-name": (sc.Options(), [sc.Entry(b"a\0..\\x", b"x")]),
    "big-file": (sc.Options(), [sc.Entry(b"big.bin", b"\x00\x01" * 2000)]),
    "not-utf8": (sc.Options(parameters=b"\xfe"), [sc.Entry(b"\xff.txt", b"FF"), sc.Entry(b"\xfe.txt", b"FE")]),
    "letters-run-id": (sc.Options(extraction_folder=sc.FOLDER_TEMP, run_id=b"aKKaKKaKKa"), TREE[:3]),
}


def aligned(dll: bytes, alignment: int) -> bytes:
    """The DLL with this section and file alignment in its header."""
    out = bytearray(dll)
    struct.pack_into("<II", out, pefile.PE(data=dll).OPTIONAL_HEADER.get_file_offset() + 32,
                     alignment, alignment)
    return bytes(out)


def pe_seeds(work: Path) -> dict:
    icons = pc.ico([pc.image(1), pc.image(2)])
    icons32 = pc.sample_dll(work / "32", 32).read_bytes()
    return {
        "icons32.dll": icons32,
        "huge-alignment.dll": aligned(icons32, 1 << 30),
        "icons64.dll": pc.sample_dll(work / "64", 64).read_bytes(),
        "rcdata-only.dll": pc.build_dll(work / "bare", "1 RCDATA { \"x\" }", {}).read_bytes(),
        "shared-blob.dll": pc.shared_blob_dll(work / "shared", 2048, 200, 100),
        "two.ico": icons,
        "empty.ico": pc.ico([]),
        "truncated.ico": icons[:-5],
        "shared.ico": icons[:22] + icons[6:22] + icons[38:],  # both images at one offset
    }


def main():
    here = Path(__file__).resolve().parent
    out = here / "corpus"
    out.mkdir(exist_ok=True)
    for name, (options, entries) in SEEDS.items():
        (out / name).write_bytes(sc.build(b"", options, entries))
    out = here / "corpus-peres"
    out.mkdir(exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name, data in pe_seeds(Path(work)).items():
            (out / name).write_bytes(data)


if __name__ == "__main__":
    main()
