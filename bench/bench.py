#!/usr/bin/env python3
"""Tarnwick side by side with the usual packers, on one generated corpus.

    bench/bench.py                       # ~475 MB mixed folder, 2 rounds
    BENCH_SCALE=0.2 BENCH_ROUNDS=1 bench/bench.py   # a quick run

Build: tarnwick.exe under Wine (libdeflate on all cores, libdeflate on one
thread, zlib on one thread), the console tool natively on Linux and under
Wine (libdeflate on all cores; the two outputs compared byte for byte), then
`tar | gzip -9`, `tar | pigz -9 -p N`,
makeself (gzip -9) and `7z a -sfx`. Extraction: the SFX file under Wine
(silent), `tar -xf` of an uncompressed tar, `tar -xzf`, makeself's extractor
and `7z x`, each into a folder on disk and one on a tmpfs, each checked with
`diff -r`. Every figure is the best of the rounds; peak memory is the largest
resident size of the process tree. Prints one table per phase and the ratios
the goals speak of.

Settings (environment): BENCH_SCALE (1), BENCH_ROUNDS (2), BENCH_THREADS
(cores), BENCH_DISK (/tmp), BENCH_TMPFS (/dev/shm), TW_BUILD_ROOT and
TW_TEST_ARCH as for the tests. Installs makeself, p7zip-full and pigz with
apt-get when they are missing. Uses a Wine prefix and an X display of its
own and removes all it made.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent.parent
MB = 1 << 20


def env_int(name, default):
    return int(os.environ.get(name) or default)


SCALE = float(os.environ.get("BENCH_SCALE") or 1)
ROUNDS = env_int("BENCH_ROUNDS", 2)
THREADS = env_int("BENCH_THREADS", os.cpu_count() or 1)


def ensure_tools():
    need = {"7z": "p7zip-full", "makeself": "makeself", "pigz": "pigz", "time": "time"}
    missing = [pkg for tool, pkg in need.items() if not shutil.which(tool)]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(sudo + ["apt-get", "install", "-y", "-q", "--no-install-recommends"]
                       + missing, check=True, env=env, stdout=subprocess.DEVNULL)


def run_measured(cmd, **kw):
    """Runs cmd; returns (seconds, peak resident kB of its process tree).
    GNU time measures: a child forked from this (large) Python process would
    report this process's resident size as its own peak."""
    with tempfile.NamedTemporaryFile("r") as peak:
        start = time.monotonic()
        code = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak.name, *map(str, cmd)],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, **kw).returncode
        seconds = time.monotonic() - start
        if code != 0:
            raise SystemExit(f"failed ({code}): {cmd}")
        return seconds, int(peak.read().split()[-1])


class Wine:
    """A private prefix, wineserver and Xvfb display for the SFX programs."""

    def __init__(self, work: Path):
        root = Path(os.environ.get("TW_BUILD_ROOT") or HERE / "build")
        arch = os.environ.get("TW_TEST_ARCH") or (
            "win32" if subprocess.run(["/usr/lib/wine/wine", "--version"],
                                      capture_output=True).returncode == 0 else "win64")
        self.arch = arch
        self.maker = root / arch / "bin" / "tarnwick.exe"
        self.cli = root / arch / "bin" / "tarnwick-cli.exe"
        self.cli_native = root / "native" / "cli" / "tarnwick-cli"
        for program in (self.maker, self.cli, self.cli_native):
            if not program.exists():
                raise SystemExit(f"no {program}: run scripts/build.sh")
        self.wine = "/usr/lib/wine/wine" if arch == "win32" else "/usr/lib/wine/wine64"
        locales = Path(os.environ.get("TW_LOCALE_DIR") or root / "locale")
        self.env = dict(os.environ, WINEPREFIX=str(work / "prefix"), WINEDEBUG="-all",
                        WINEARCH="win32" if arch == "win32" else "win64",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                        LOCPATH=str(locales), LANG="ko_KR.UTF-8", LC_ALL="ko_KR.UTF-8")
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(w,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.env["DISPLAY"] = ":" + f.readline().strip()
        self.server = subprocess.Popen(["/usr/lib/wine/wineserver", "-f", "-p"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # No pipes: processes wineboot starts live on and would hold them.
        subprocess.run([self.wine, "wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    @staticmethod
    def path(p: Path) -> str:
        return "Z:" + str(p.resolve()).replace("/", "\\")

    def cmd(self, *args):
        return [self.wine, *map(str, args)]

    def close(self):
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=self.env, capture_output=True)
        self.server.wait()
        self.xvfb.terminate()
        self.xvfb.wait()


def best(rounds):
    """(seconds, peak kB) best of the rounds: the least time, the largest peak."""
    return min(r[0] for r in rounds), max(r[1] for r in rounds)


def main():
    ensure_tools()
    disk = Path(tempfile.mkdtemp(prefix="tw-bench.", dir=os.environ.get("BENCH_DISK", "/tmp")))
    tmpfs = Path(tempfile.mkdtemp(prefix="tw-bench.", dir=os.environ.get("BENCH_TMPFS", "/dev/shm")))
    wine = None
    try:
        wine = Wine(disk)
        bench(wine, disk, tmpfs)
    finally:
        if wine:
            wine.close()
        shutil.rmtree(disk, ignore_errors=True)
        shutil.rmtree(tmpfs, ignore_errors=True)


def bench(wine: Wine, work: Path, tmpfs: Path):
    src, out = work / "src", work / "out"
    out.mkdir()
    print(f"== Tarnwick benchmark: {wine.arch} maker under Wine, {os.cpu_count()} cores, "
          f"{ROUNDS} round(s), best of each")
    print(f"generating the corpus (scale {SCALE})...", flush=True)
    size = int(subprocess.run([sys.executable, HERE / "bench/make_corpus.py", src, "--scale",
                               str(SCALE)], check=True, capture_output=True, text=True).stdout)
    files = sum(len(f) for _, _, f in os.walk(src))
    print(f"input: {size / MB:.1f} MB in {files} files")
    top = sorted(os.listdir(src))
    tar_in = f"tar -C '{src}' -cf - ."

    # The SFX file extracts silently to %TW_BENCH_OUT%: one file serves both
    # extraction targets.
    def tarnwick(engine, threads):
        env = dict(wine.env, TARNWICK_ENGINE=engine, TARNWICK_THREADS=str(threads))
        target = out / f"tarnwick-{engine}-{threads}.exe"
        return target, lambda: run_measured(
            wine.cmd(wine.maker, "-h", "-c", "-o", "-s", "-fm", wine.path(src),
                     wine.path(target), "%TW_BENCH_OUT%"), env=env, stderr=subprocess.DEVNULL)

    def shell(target, line):
        return target, lambda: run_measured(["bash", "-o", "pipefail", "-c", line])

    # The console tool natively and under Wine, with one run id and code page:
    # their outputs must be the same bytes.
    cli_options = ["build", "--force", "--run-id", "0012345678", "--codepage", "utf8", "--threads",
                   str(THREADS)]

    def cli_linux():
        target = out / "cli-linux.exe"
        return target, lambda: run_measured([wine.cli_native, *cli_options, src, target])

    def cli_windows():
        target = out / "cli-windows.exe"
        return target, lambda: run_measured(
            wine.cmd(wine.cli, *cli_options, wine.path(src), wine.path(target)), env=wine.env,
            stderr=subprocess.DEVNULL)

    builds = {
        f"tarnwick, libdeflate, {THREADS} threads": tarnwick("libdeflate", THREADS),
        "tarnwick, libdeflate, 1 thread": tarnwick("libdeflate", 1),
        "tarnwick, zlib, 1 thread": tarnwick("zlib", 1),
        f"tarnwick-cli, Linux, {THREADS} threads": cli_linux(),
        f"tarnwick-cli.exe, Wine, {THREADS} threads": cli_windows(),
        "tar | gzip -9": shell(out / "g.tar.gz", f"{tar_in} | gzip -9 > '{out}/g.tar.gz'"),
        f"tar | pigz -9 -p {THREADS}": shell(
            out / "p.tar.gz", f"{tar_in} | pigz -9 -p {THREADS} > '{out}/p.tar.gz'"),
        "makeself (gzip -9)": shell(
            out / "m.run", f"makeself --quiet --gzip --complevel 9 '{src}' '{out}/m.run' bench true"),
        "7z a -sfx": shell(out / "s.7z.run", f"cd '{src}' && 7z a -sfx -bd -bso0 '{out}/s.7z.run' "
                           + " ".join(f"'{t}'" for t in top)),
    }
    subprocess.run(f"{tar_in} > /dev/null", shell=True, check=True)  # warm the page cache
    times = {name: [] for name in builds}
    for r in range(ROUNDS):
        print(f"build round {r + 1}...", flush=True)
        for name, (target, job) in builds.items():
            if target.exists():
                target.unlink()
            times[name].append(job())

    print(f"\n{'build':34} {'time s':>8} {'MB/s':>7} {'output MB':>10} {'ratio':>6} "
          f"{'peak MB':>8} {'vs pigz':>8}")
    pigz = best(times[f"tar | pigz -9 -p {THREADS}"])[0]
    for name, (target, _) in builds.items():
        secs, peak = best(times[name])
        print(f"{name:34} {secs:8.2f} {size / MB / secs:7.1f} {target.stat().st_size / MB:10.1f} "
              f"{target.stat().st_size / size:6.3f} {peak / 1024:8.1f} {pigz / secs:7.2f}x")

    ld_n, ld_1, zl_1 = (builds[k][0] for k in list(builds)[:3])
    t_n, t_1 = (best(times[k])[0] for k in list(builds)[:2])
    sys.path.insert(0, str(HERE / "tests/e2e"))
    import sfxreader  # the tests' independent reader: Python's zlib inflates every chunk
    sfxreader.compare_with_source(sfxreader.read_sfx(ld_n), str(src), "cp949")
    print(f"\nthe libdeflate SFX file read back with Python's zlib: it holds the folder byte for byte")
    pigz_n = best(times[f"tar | pigz -9 -p {THREADS}"])[0]
    print(f"build time pigz -9 -p {THREADS} / tarnwick {THREADS} threads: {pigz_n / t_n:.2f} (goal >= 2)")
    print(f"build time tarnwick 1 thread / {THREADS} threads: {t_1 / t_n:.2f} (goal >= 1.8); "
          f"identical bytes (the run identifier aside): {same_but_run_id(ld_n, ld_1)}")
    print(f"output libdeflate / zlib: {ld_n.stat().st_size / zl_1.stat().st_size:.4f} (goal <= 1)")
    linux, windows = builds[f"tarnwick-cli, Linux, {THREADS} threads"][0], out / "cli-windows.exe"
    t_linux = best(times[f"tarnwick-cli, Linux, {THREADS} threads"])[0]
    print(f"build time pigz -9 -p {THREADS} / tarnwick-cli on Linux: {pigz_n / t_linux:.2f} (goal >= 4); "
          f"the same bytes as tarnwick-cli.exe under Wine: {linux.read_bytes() == windows.read_bytes()}")
    single_build(wine, work)

    subprocess.run(f"{tar_in} > '{out}/plain.tar'", shell=True, check=True)
    extractions = {
        "SFX file (silent, Wine)": lambda d: run_measured(
            wine.cmd(ld_n), env=dict(wine.env, TW_BENCH_OUT=wine.path(d)), stderr=subprocess.DEVNULL),
        "tar -xf (uncompressed tar)": lambda d: run_measured(["tar", "-C", d, "-xf", out / "plain.tar"]),
        "tar -xzf": lambda d: run_measured(["tar", "-C", d, "-xzf", out / "g.tar.gz"]),
        "makeself extractor": lambda d: run_measured(
            [out / "m.run", "--quiet", "--noexec", "--target", d], stderr=subprocess.DEVNULL),
        "7z x": lambda d: run_measured(["7z", "x", "-bd", "-bso0", "-y", f"-o{d}", out / "s.7z.run"]),
    }
    results = {}
    for place, base in (("disk", work), ("tmpfs", tmpfs)):
        for r in range(ROUNDS):
            print(f"extraction round {r + 1} to {place}...", flush=True)
            for name, job in extractions.items():
                d = base / "x"
                shutil.rmtree(d, ignore_errors=True)
                d.mkdir()
                subprocess.run(["sync"])
                results.setdefault((name, place), []).append(job(d))
                diff = subprocess.run(["diff", "-r", src, d], capture_output=True)
                if diff.returncode != 0:
                    raise SystemExit(f"{name} to {place}: the extracted tree differs from the source")
                shutil.rmtree(d)
    print(f"\nevery extraction checked with diff -r\n{'extraction':28} {'disk s':>8} {'MB/s':>7} "
          f"{'tmpfs s':>8} {'MB/s':>7} {'peak MB':>8}")
    for name in extractions:
        disk_s, peak1 = best(results[(name, "disk")])
        tmp_s, peak2 = best(results[(name, "tmpfs")])
        print(f"{name:28} {disk_s:8.2f} {size / MB / disk_s:7.1f} {tmp_s:8.2f} "
              f"{size / MB / tmp_s:7.1f} {max(peak1, peak2) / 1024:8.1f}")
    sfx = {p: best(results[("SFX file (silent, Wine)", p)])[0] for p in ("disk", "tmpfs")}
    makeself_tmpfs = best(results[("makeself extractor", "tmpfs")])[0]
    tar_disk = best(results[("tar -xf (uncompressed tar)", "disk")])[0]
    print(f"\nextraction time to tmpfs, makeself / SFX file: {makeself_tmpfs / sfx['tmpfs']:.2f} (goal >= 2)")
    print(f"extraction time to disk, SFX file / tar -xf: {sfx['disk'] / tar_disk:.2f} (goal <= 1.2)")


def single_build(wine: Wine, work: Path):
    """Peak memory of the maker for one large file (BENCH_SINGLE_MB, 0 skips)."""
    size_mb = env_int("BENCH_SINGLE_MB", 1024)
    if not size_mb:
        return
    one = work / "one"
    subprocess.run([sys.executable, HERE / "bench/make_corpus.py", one / "big.bin", "--single",
                    str(size_mb)], check=True, stdout=subprocess.DEVNULL)
    target = work / "one.exe"
    secs, peak = run_measured(wine.cmd(wine.maker, "-h", "-c", "-o", wine.path(one),
                                       wine.path(target)),
                              env=dict(wine.env, TARNWICK_THREADS=str(THREADS)), stderr=subprocess.DEVNULL)
    print(f"one file of {size_mb} MB, libdeflate, {THREADS} threads: {secs:.2f} s, "
          f"{size_mb / secs:.1f} MB/s, peak {peak / 1024:.1f} MB (goal < 128)")
    shutil.rmtree(one)
    target.unlink()


def same_but_run_id(a: Path, b: Path) -> bool:
    """Two SFX files of one source: equal once the 10-digit run identifier
    (the one random field of the option header) is masked."""
    x, y = bytearray(a.read_bytes()), bytearray(b.read_bytes())
    import sfxreader
    for data in (x, y):
        at = sfxreader.pe_image_end(data) + 2311
        data[at:at + 10] = bytes(10)
    return x == y


if __name__ == "__main__":
    main()
