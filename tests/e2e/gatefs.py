"""A source folder whose reading waits until the test lets it go, so that a
build can be cancelled without racing the machine: the build cannot finish
before the test has pressed Cancel, however fast the machine is.

The folder is a small FUSE file system (python3-fusepy) run as a child
process: one read-only file of `size` pseudo-random bytes; a read at or past
`gate_at` blocks until the test writes a line to the child's stdin (or
closes it). From then on the file has `size_after` bytes (a file that shrank
or grew while it was read). `GatedSource.reads_waiting()` tells when a
reader has reached the gate. Run as
`python3 gatefs.py MOUNTPOINT SIZE GATE_AT SIZE_AFTER`.
"""

from __future__ import annotations

import errno
import os
import random
import stat
import subprocess
import sys
import threading
import time
from pathlib import Path

NAME = "gated.bin"
_BLOCK = random.Random(7).randbytes(1 << 20)  # repeated 1 MiB apart: incompressible


def content(offset: int, size: int) -> bytes:
    out = bytearray()
    while size > 0:
        at = offset % len(_BLOCK)
        part = _BLOCK[at:at + size]
        out += part
        offset += len(part)
        size -= len(part)
    return bytes(out)


def serve(mountpoint: str, size: int, gate_at: int, size_after: int) -> None:
    from fusepy import FUSE, FuseOSError, Operations

    gate = threading.Event()
    waiting = [0]

    def current_size():
        return size_after if gate.is_set() else size

    def listen():
        sys.stdin.readline()  # a line, or the end of the input, opens the gate
        gate.set()

    threading.Thread(target=listen, daemon=True).start()
    stamp = time.time()

    class Gated(Operations):
        use_ns = True

        def getattr(self, path, fh=None):
            times = dict(st_mtime=stamp, st_atime=stamp, st_ctime=stamp)
            if path == "/":
                return dict(st_mode=stat.S_IFDIR | 0o555, st_nlink=2, **times)
            if path == "/" + NAME:
                return dict(st_mode=stat.S_IFREG | 0o444, st_nlink=1, st_size=current_size(),
                            **times)
            if path == "/.waiting":
                return dict(st_mode=stat.S_IFREG | 0o444, st_nlink=1, st_size=waiting[0], **times)
            raise FuseOSError(errno.ENOENT)

        def readdir(self, path, fh):
            return [".", "..", NAME]

        def read(self, path, length, offset, fh):
            if path != "/" + NAME:
                raise FuseOSError(errno.EACCES)
            if offset + length > gate_at and not gate.is_set():
                waiting[0] += 1
                gate.wait()
            return content(offset, max(0, min(length, current_size() - offset)))

    # direct_io: reads arrive as the program makes them (no read-ahead past
    # the gate); no attribute cache, so that .waiting is read afresh.
    FUSE(Gated(), mountpoint, foreground=True, ro=True, direct_io=True, attr_timeout=0,
         entry_timeout=0)


class GatedSource:
    """The mounted folder (`path`), its one file, and the gate."""

    def __init__(self, folder: Path, size: int, gate_at: int, size_after: int | None = None):
        self.path = Path(folder)
        self.file = self.path / NAME
        self.path.mkdir(parents=True, exist_ok=True)
        size_after = size if size_after is None else size_after
        self._proc = subprocess.Popen(
            ["/usr/bin/python3", __file__, str(self.path), str(size), str(gate_at), str(size_after)],
            stdin=subprocess.PIPE, stderr=subprocess.PIPE)
        while not self.file.exists():
            if self._proc.poll() is not None:
                raise RuntimeError(f"gatefs ended: {self._proc.stderr.read().decode()!r}")
            time.sleep(0.05)

    def reads_waiting(self) -> int:
        """How many reads have stopped at the gate so far."""
        return os.stat(self.path / ".waiting").st_size

    def open_gate(self) -> None:
        if self._proc.stdin and not self._proc.stdin.closed:
            self._proc.stdin.write(b"open\n")
            self._proc.stdin.close()

    def close(self) -> None:
        self.open_gate()
        subprocess.run(["umount", str(self.path)], stderr=subprocess.DEVNULL)
        try:
            self._proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            subprocess.run(["umount", "-l", str(self.path)], stderr=subprocess.DEVNULL)
            self._proc.kill()
            self._proc.wait()


if __name__ == "__main__":
    serve(sys.argv[1], *map(int, sys.argv[2:5]))
