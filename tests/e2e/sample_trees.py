"""Source folders for the maker's and the stub's tests, and the few steps
every such test takes: run the maker headless, read its message boxes.

A tree description maps relative names ("/" separators) to bytes (a file) or None
(a folder). Times are set after everything is written, folders last, so
that writing a file does not move its folder's time afterwards.
"""

from __future__ import annotations

import os
import random
import subprocess
import time
import zlib
from pathlib import Path

from harness import HarnessError, NoWindow

MAKER = "tarnwick.exe"

# Exit codes of a headless run.
EXIT_BUILT, EXIT_FAILED, EXIT_TOO_FEW, EXIT_REFUSED = 0, 1, 2, 3

BOX_CLASS = "#32770"
BOX_TEXT_ID = 65535
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

# A fixed local time with an odd second count: the DOS time keeps 2-second
# steps, so a writer that rounds up instead of down shows here.
STAMP = time.mktime((2023, 5, 17, 14, 33, 47, 0, 0, -1))


def write_tree(root, entries: dict, stamp: float | None = STAMP) -> Path:
    root = Path(root)
    root.mkdir(parents=True, exist_ok=True)
    for name, content in entries.items():
        path = root / name
        if content is None:
            path.mkdir(parents=True, exist_ok=True)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(content)
    if stamp is not None:
        set_times(root, stamp)
    return root


def set_times(root, stamp: float, step: float = 61) -> None:
    """Gives every entry under root its own time (stamp + k * step), deepest
    entries first, so that folders keep theirs."""
    entries = sorted(Path(root).rglob("*"), key=lambda p: (-len(p.parts), str(p)))
    for k, path in enumerate(entries):
        when = stamp + k * step
        os.utime(path, (when, when), follow_symlinks=False)


def text_bytes(size: int, seed: int = 1) -> bytes:
    rng = random.Random(seed)
    words = [b"alpha", b"beta", b"gamma", b"delta", b"tarn", b"wick", b"\r\n", b"  ", b"42"]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words) + b" "
    return bytes(out[:size])


def random_bytes(size: int, seed: int = 2) -> bytes:
    return random.Random(seed).randbytes(size)


def mixed_entries() -> dict:
    """A small tree with the usual mix: nested folders, an empty folder,
    a 0-byte file, text, incompressible and already-compressed data, a
    Korean name, and a file larger than one chunk."""
    return {
        "readme.txt": text_bytes(1500, 1),
        "empty.log": b"",
        "docs": None,
        "docs/guide.txt": text_bytes(40_000, 3),
        "docs/images": None,
        "docs/images/logo.bin": random_bytes(70_000, 4),
        "docs/empty folder": None,
        "bin": None,
        "bin/data.gz": zlib.compress(random_bytes(30_000, 5)),
        "자료": None,
        "자료/설명서.txt": "한글 내용입니다.\r\n".encode("cp949") * 50,
        "large.dat": text_bytes(9_437_184 + 4097, 6),
    }


# --------------------------------------------------------------------------
# Running the maker


def box_text(box: dict | None) -> str:
    if not box:
        return ""
    return "".join(c["text"] for c in box["controls"] if c["id"] == BOX_TEXT_ID)


def box_buttons(box: dict) -> dict:
    """Visible button id -> text."""
    return {c["id"]: c["text"] for c in box["controls"]
            if c["class"].lower() == "button" and c["visible"]}


def finish(wine, proc, timeout: float = 120) -> int:
    """The exit code; when the program is still running after timeout, the
    message box it is probably showing is named in the failure."""
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        try:
            box = wine.auto("wait", "--class", BOX_CLASS, "--timeout", "1000")
        except HarnessError:
            box = None
        try:
            wine.wait(proc, 0.1)
        except subprocess.TimeoutExpired:
            pass
        raise AssertionError(f"the maker still ran after {timeout} s; box shown: "
                             f"{box and box.get('title')!r} {box_text(box)!r}") from None
    return wine.wait(proc, 10)


def maker_args(wine, source, target, switches=(), rest=()) -> list:
    def text(p):
        return wine.winpath(p) if isinstance(p, os.PathLike) else p
    return ["-h", *switches, text(source), text(target), *(text(r) for r in rest)]


def run_maker(wine, source, target, switches=("-c", "-o"), rest=(), codepage: int = 949,
              timeout: float = 120, env: dict | None = None) -> int:
    """Runs a headless build; returns the exit code."""
    proc = wine.start(wine.exe(MAKER), maker_args(wine, source, target, switches, rest),
                      codepage=codepage, env=env)
    return finish(wine, proc, timeout)


def wait_until(condition, timeout: float = 120, what: str = "the condition") -> None:
    """Polls until condition() holds; a generous limit, reached only when
    something is wrong."""
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} did not come within {timeout} s")
        time.sleep(0.1)


def await_box(wine, proc, title: str, timeout_ms: int = 90000, own: bool = True) -> tuple:
    """Waits for the maker's message box with this title; its twauto filters.
    Gives up early when the maker has ended without showing it. The box is
    looked for with one-shot listings: a twauto that is already polling while
    the box is being created has been seen to hang. own=False: the box of a
    program that proc started (proc is cmd running a batch file)."""
    pid = ("--pid", str(proc.windows_pid())) if own else ()
    filters = ("--class", BOX_CLASS, "--title", title, *pid)
    deadline = time.monotonic() + timeout_ms / 1000
    while not wine.auto("list", *filters)["windows"]:
        if proc.poll() is not None or time.monotonic() > deadline:
            raise NoWindow(f"no {title!r} box from the maker")
        time.sleep(0.2)
    return filters


def expect_box(wine, proc, title: str, button: str = "ok", timeout_ms: int = 90000,
               own: bool = True) -> dict:
    """Waits for the maker's message box with this title, presses the button
    and returns the box as twauto saw it."""
    filters = await_box(wine, proc, title, timeout_ms, own)
    return wine.auto("press", *filters, "--timeout", "10000", "--button", button)


def maker_error(wine, source, target, switches=("-c", "-o"), rest=(), codepage: int = 949,
                title: str = "오류", timeout_ms: int = 90000):
    """Runs a headless build that must show one box; returns (box, exit code)."""
    proc = wine.start(wine.exe(MAKER), maker_args(wine, source, target, switches, rest),
                      codepage=codepage)
    try:
        box = expect_box(wine, proc, title, timeout_ms=timeout_ms)
    except HarnessError as e:
        code = proc.poll()
        raise AssertionError(f"no {title!r} box ({e}); maker ended: {code is not None}") from None
    return box, finish(wine, proc, 60)


def run_as_batch_file(wine, bat, line) -> int:
    """Runs line from the batch file bat through cmd, as a user's script
    would; presses the maker's success box; cmd's exit code."""
    bat.write_bytes(line.encode("cp949") + b"\r\n")
    proc = wine.start("cmd", ["/c", bat])
    expect_box(wine, proc, "정보", own=False)
    return finish(wine, proc)
