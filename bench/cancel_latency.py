#!/usr/bin/env python3
"""How soon a cancel takes effect: the maker's window builds a generated
folder of incompressible files (default settings: libdeflate on one worker
per core), Cancel is pressed at a few points of the build, and twauto measures
from the press to the box that reports the cancel (polling every 5 ms inside
Wine). With a peer maker (for example main's build) both run in the same
session, in turns, and the ratio of the medians is printed.

    bench/cancel_latency.py [PEER_TARNWICK_EXE]

Settings (environment): CANCEL_ROUNDS (6), CANCEL_MB (384), TW_BUILD_ROOT and
TW_TEST_ARCH as for the tests. Uses a Wine prefix and an X display of its own.
"""

import os
import random
import re
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(HERE / "tests" / "e2e"))

import harness  # noqa: E402
from maker_window import IDS  # noqa: E402

ROUNDS = int(os.environ.get("CANCEL_ROUNDS") or 6)
SIZE_MB = int(os.environ.get("CANCEL_MB") or 384)
WARNING = "경고"


def make_source(folder: Path) -> None:
    folder.mkdir()
    rng = random.Random(5)
    for i in range(SIZE_MB // 48):
        (folder / f"r{i}.bin").write_bytes(rng.randbytes(48 << 20))


def cancel_once(wine, maker, src, target, delay) -> float:
    """Milliseconds from the press of Cancel to the cancel box."""
    proc = wine.start(maker, ["-o", wine.winpath(src), wine.winpath(target)])
    pid = str(proc.windows_pid())
    wine.auto("wait", "--class", "Tfprogress", "--pid", pid, "--timeout", "60000")
    time.sleep(delay)
    argv = [str(wine.wine), str(wine.exe("twauto.exe")), "press", "--class", "Tfprogress",
            "--pid", pid, "--button", str(IDS["BCancel"]), "--then-title", WARNING,
            "--timeout", "120000"]
    done = subprocess.run(argv, env=wine.env(), stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=180)
    found = re.search(rb"elapsed_ms (\d+)", done.stderr)
    if not found:
        raise RuntimeError(f"no box after the cancel: {done.stderr!r}")
    wine.auto("press", "--class", "#32770", "--title", WARNING, "--pid", pid, "--button", "ok")
    wine.auto("close", "--class", "Tftarnwick", "--pid", pid)
    wine.wait(proc, 60)
    return float(found[1])


def main() -> int:
    peer = Path(sys.argv[1]) if len(sys.argv) > 1 else None
    with tempfile.TemporaryDirectory(prefix="tw-cancel-") as tmp, harness.WineSession() as wine:
        src = Path(tmp) / "src"
        make_source(src)
        makers = {"this build": wine.exe("tarnwick.exe")}
        if peer:
            makers["peer"] = peer
        times = {name: [] for name in makers}
        for i in range(ROUNDS):
            delay = 1.0 + 0.45 * i  # the press lands at another point each round
            for name, maker in makers.items():
                times[name].append(cancel_once(wine, maker, src, Path(tmp) / "t.exe", delay))
        print(f"cancel latency, {wine.build}, {SIZE_MB} MB source, {ROUNDS} presses each")
        for name, values in times.items():
            print(f"  {name}: median {statistics.median(values):.0f} ms, "
                  f"max {max(values):.0f} ms  ({', '.join(f'{v:.0f}' for v in values)})")
        if peer:
            ratio = statistics.median(times["peer"]) / statistics.median(times["this build"])
            print(f"  peer / this build (medians): {ratio:.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
