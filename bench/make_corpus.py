#!/usr/bin/env python3
"""Writes the benchmark's source folder: a mix of what people pack.

    make_corpus.py FOLDER [--scale S]      mixed folder of about 475 MB * S
    make_corpus.py FILE --single SIZE_MB   one file of mixed content

Mixed folder: text (logs, sources, documents: compressible), binaries
(structured tables with noise, like programs and data files), already
compressed data (gzip'd random blocks: incompressible), some 10,800 small
source files, and one large file of about 205 MB that alternates text and
binary stretches: about 11,200 files in all. Deterministic:
the same seed gives the same bytes.
"""

import argparse
import gzip
import random
from pathlib import Path

MB = 1 << 20
WORDS = ("the of and to in is for on that with as by at from this be are or an was it "
         "error warning info debug request response server client file folder build tarnwick "
         "value index buffer chunk stream return static const int void char struct class "
         "함수 파일 폴더 압축 실행 오류 설정").split()


def text_block(rng: random.Random, size: int) -> bytes:
    """Line-structured text: timestamps, words, numbers."""
    lines = []
    total = 0
    while total < size:
        n = rng.randint(4, 14)
        line = (f"2024-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d} "
                f"{rng.randint(0, 23):02d}:{rng.randint(0, 59):02d} "
                + " ".join(rng.choices(WORDS, k=n)) + f" {rng.randint(0, 99999)}\r\n")
        data = line.encode("utf-8")
        lines.append(data)
        total += len(data)
    return b"".join(lines)[:size]


def binary_block(rng: random.Random, size: int) -> bytes:
    """Records of a fixed layout with small counters and some noise."""
    record = bytearray()
    out = bytearray()
    counter = rng.randint(0, 1 << 20)
    while len(out) < size:
        counter += rng.randint(1, 7)
        record[:] = counter.to_bytes(4, "little") + rng.randbytes(4) + bytes(8) \
            + rng.choice((b"\x90" * 8, b"\xff\xfe" * 4, b"CODEDATA")) + rng.randbytes(8)
        out += record
    return bytes(out[:size])


def compressed_block(rng: random.Random, size: int) -> bytes:
    return gzip.compress(rng.randbytes(size), compresslevel=6, mtime=0)


def mixed_block(rng: random.Random, size: int) -> bytes:
    parts, total = [], 0
    while total < size:
        n = min(size - total, rng.randint(1, 4) * MB)
        make = rng.choice((text_block, binary_block, binary_block))
        parts.append(make(rng, n))
        total += n
    return b"".join(parts)


def write_folder(root: Path, scale: float) -> int:
    rng = random.Random(20240501)
    total = 0

    def put(rel: str, data: bytes):
        nonlocal total
        path = root / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        total += len(data)

    for i in range(int(300 * scale)):           # ~60 MB of text in 300 files
        put(f"docs/part{i // 50}/doc{i:03d}.txt", text_block(rng, rng.randint(100, 300) * 1024))
    for i in range(int(40 * scale)):            # ~60 MB of binaries
        put(f"bin/module{i:02d}.dll", binary_block(rng, rng.randint(1, 2) * 1024 * 1024))
    for i in range(int(60 * scale)):            # ~60 MB already compressed
        put(f"data/archive{i:02d}.gz", compressed_block(rng, rng.randint(512, 1536) * 1024))
    for i in range(int(10800 * scale)):         # ~90 MB in many small files
        put(f"src/mod{i % 100:02d}/file{i:05d}.c", text_block(rng, rng.randint(1, 16) * 1024))
    (root / "empty folder").mkdir(parents=True, exist_ok=True)
    put("big/large.bin", mixed_block(rng, int(205 * MB * scale)))
    return total


def write_single(path: Path, size_mb: int) -> int:
    """size_mb MB of mixed content (a 16 MB mixed block written repeatedly;
    deflate's 32 KB window cannot see the repetition)."""
    rng = random.Random(7)
    block = mixed_block(rng, 16 * MB)
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "wb") as f:
        left = size_mb * MB
        while left:
            n = min(left, len(block))
            f.write(block[:n])
            left -= n
    return size_mb * MB


def main():
    p = argparse.ArgumentParser()
    p.add_argument("path", type=Path)
    p.add_argument("--scale", type=float, default=1.0)
    p.add_argument("--single", type=int, metavar="SIZE_MB")
    a = p.parse_args()
    total = write_single(a.path, a.single) if a.single else write_folder(a.path, a.scale)
    print(total)


if __name__ == "__main__":
    main()
