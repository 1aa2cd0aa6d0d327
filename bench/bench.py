#!/usr/bin/env python3
"""Tarnwick side by side with the usual packers, on one generated corpus.

    bench/bench.py                       # ~475 MB mixed folder, 2 rounds
    BENCH_SCALE=0.2 BENCH_ROUNDS=1 bench/bench.py   # a quick run
    BENCH_SCALE=0.5 BENCH_PHASES=extract,stub bench/bench.py   # extraction only

Three phases (BENCH_PHASES, default all three):
  build    tarnwick.exe under Wine (libdeflate on all cores, libdeflate on one
           thread, zlib on one thread), the console tool natively on Linux and
           under Wine (libdeflate on all cores; the two outputs compared byte
           for byte), then `tar | gzip -9`, `tar | pigz -9 -p N`, makeself
           (gzip -9) and `7z a -sfx`; the maker's peak memory on one large file
           (BENCH_SINGLE_MB, 1024).
  extract  the SFX file under Wine (silent), `tar -xf` of an uncompressed
           tar, `tar -xzf`, makeself's extractor and `7z x` (when the build
           phase made its archive), each into a folder on disk and one on a
           tmpfs, each checked with `diff -r`.
  stub     the stub against its floors, all to the tmpfs: the corpus without
           its large file (the tree) extracted by the SFX file and made by
           bench/file_floor.cpp with zeros and only the calls any extractor
           must make (create new, write, close), and with the calls the stub
           made per file before; one large file of mixed data (BENCH_SINGLE_MB)
           by the SFX file and by `gzip -dc > file`, with the stub's peak
           memory; the stub's inflater against zlib's on the corpus's chunks
           (bench/inflate_speed.cpp, CPU time).
Every figure is the best of the rounds (wall time, but for the inflaters);
peak memory is the largest resident size of the process tree. Prints one
table per phase and the ratios the goals speak of; ratios compare runs of
the same script run.

Settings (environment): BENCH_SCALE (1), BENCH_ROUNDS (2), BENCH_THREADS
(cores), BENCH_DISK (/tmp), BENCH_TMPFS (/dev/shm), BENCH_PHASES,
BENCH_SINGLE_MB, TW_BUILD_ROOT and TW_TEST_ARCH as for the tests (the i686
build where this host runs 32-bit code, else the x86_64 one). Installs
makeself, p7zip-full and pigz with apt-get when they are missing. Uses a
Wine prefix and an X display of its own and removes all it made.
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
PHASES = set((os.environ.get("BENCH_PHASES") or "build,extract,stub").split(","))


def runs_32bit() -> bool:
    """Whether this kernel executes 32-bit programs (Wine's 32-bit loader)."""
    try:
        return subprocess.run(["/usr/lib/wine/wine", "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0
    except OSError:  # exec format error: no IA-32 emulation
        return False


def ensure_tools():
    need = {"7z": "p7zip-full", "makeself": "makeself", "pigz": "pigz", "time": "time"}
    missing = [pkg for tool, pkg in need.items() if not shutil.which(tool)]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        subprocess.run(sudo + ["apt-get", "install", "-y", "-q", "--no-install-recommends"]
                       + missing, check=True, env=env, stdout=subprocess.DEVNULL)


def cpu_of(pid) -> float:
    """CPU seconds a process has used (user and system)."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run_measured(cmd, server=None, **kw):
    """Runs cmd; returns (seconds, peak resident kB of its process tree, CPU
    seconds of the tree and of the Wine server `server` meanwhile). GNU time
    measures: a child forked from this (large) Python process would report
    this process's resident size as its own peak. CPU time tells more than
    the clock on a busy machine; a Wine program's file calls run partly in
    its server."""
    with tempfile.NamedTemporaryFile("r") as out:
        before = cpu_of(server.pid) if server else 0.0
        start = time.monotonic()
        code = subprocess.run(["/usr/bin/time", "-f", "%M %U %S", "-o", out.name, *map(str, cmd)],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, **kw).returncode
        seconds = time.monotonic() - start
        if code != 0:
            raise SystemExit(f"failed ({code}): {cmd}")
        peak, user, system = out.read().split()[-3:]
        served = cpu_of(server.pid) - before if server else 0.0
        return seconds, int(peak), float(user) + float(system) + served


class Wine:
    """A private prefix, wineserver and Xvfb display for the SFX programs."""

    def __init__(self, work: Path):
        root = Path(os.environ.get("TW_BUILD_ROOT") or HERE / "build")
        arch = os.environ.get("TW_TEST_ARCH") or ("win32" if runs_32bit() else "win64")
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
                        WINEARCH="win64",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                        LOCPATH=str(locales), LANG="ko_KR.UTF-8", LC_ALL="ko_KR.UTF-8")
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(w,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            self.env["DISPLAY"] = ":" + f.readline().strip()
        (work / "prefix").mkdir(parents=True, exist_ok=True)
        # In the foreground, so that it is ended by its own PID.
        self.server = subprocess.Popen(["/usr/lib/wine/wineserver64", "-f", "-p"], env=self.env,
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
        self.server.terminate()
        self.server.wait()
        self.xvfb.terminate()
        self.xvfb.wait()


def best(rounds):
    """(seconds, peak kB, CPU seconds) best of the rounds: the least time,
    the largest peak, the least CPU time."""
    return min(r[0] for r in rounds), max(r[1] for r in rounds), min(r[2] for r in rounds)


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
    print(f"== Tarnwick benchmark: {wine.arch} maker and stub under Wine, {os.cpu_count()} cores, "
          f"{ROUNDS} round(s), best of each; phases: {', '.join(sorted(PHASES))}")
    print(f"generating the corpus (scale {SCALE})...", flush=True)
    size = int(subprocess.run([sys.executable, HERE / "bench/make_corpus.py", src, "--scale",
                               str(SCALE)], check=True, capture_output=True, text=True).stdout)
    files = sum(len(f) for _, _, f in os.walk(src))
    print(f"input: {size / MB:.1f} MB in {files} files")
    top = sorted(os.listdir(src))
    tar_in = f"tar -C '{src}' -cf - ."

    def tarnwick(engine, threads, source=src, name=None):
        target = out / (name or f"tarnwick-{engine}-{threads}.exe")
        return target, lambda: build_sfx(wine, source, target, engine, threads)

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
            wine.cmd(wine.cli, *cli_options, wine.path(src), wine.path(target)), wine.server, env=wine.env,
            stderr=subprocess.DEVNULL)

    builds = {
        f"tarnwick, libdeflate, {THREADS} threads": tarnwick("libdeflate", THREADS),
        "tarnwick, libdeflate, 1 thread": tarnwick("libdeflate", 1),
        "tarnwick, zlib, 1 thread": tarnwick("zlib", 1),
        f"tarnwick-cli, Linux, {THREADS} threads": cli_linux(),
        f"tarnwick-cli, Wine, {THREADS} threads": cli_windows(),
        "tar | gzip -9": shell(out / "g.tar.gz", f"{tar_in} | gzip -9 > '{out}/g.tar.gz'"),
        f"tar | pigz -9 -p {THREADS}": shell(
            out / "p.tar.gz", f"{tar_in} | pigz -9 -p {THREADS} > '{out}/p.tar.gz'"),
        "makeself (gzip -9)": shell(
            out / "m.run", f"makeself --quiet --gzip --complevel 9 '{src}' '{out}/m.run' bench true"),
        "7z a -sfx": shell(out / "s.7z.run", f"cd '{src}' && 7z a -sfx -bd -bso0 '{out}/s.7z.run' "
                           + " ".join(f"'{t}'" for t in top)),
    }
    subprocess.run(f"{tar_in} > /dev/null", shell=True, check=True)  # warm the page cache
    if "build" in PHASES:
        build_phase(wine, work, src, size, builds)
    else:  # what the other phases extract, made without a clock
        for name in (f"tarnwick, libdeflate, {THREADS} threads", "tar | gzip -9", "makeself (gzip -9)"):
            builds[name][1]()
    ld_n = builds[f"tarnwick, libdeflate, {THREADS} threads"][0]
    if "extract" in PHASES:
        subprocess.run(f"{tar_in} > '{out}/plain.tar'", shell=True, check=True)
        extract_phase(wine, out, work, tmpfs, src, size, ld_n)
    if "stub" in PHASES:
        stub_phase(wine, work, tmpfs, src, ld_n)


def build_sfx(wine: Wine, source: Path, target: Path, engine="libdeflate", threads=THREADS):
    """An SFX file that extracts silently to %TW_BENCH_OUT%: one file serves
    every extraction target."""
    env = dict(wine.env, TARNWICK_ENGINE=engine, TARNWICK_THREADS=str(threads))
    if target.exists():
        target.unlink()
    return run_measured(wine.cmd(wine.maker, "-h", "-c", "-o", "-s", "-fm", wine.path(source),
                                 wine.path(target), "%TW_BENCH_OUT%"), wine.server, env=env,
                        stderr=subprocess.DEVNULL)


def run_sfx(wine: Wine, sfx: Path, folder: Path):
    return run_measured(wine.cmd(sfx), wine.server, env=dict(wine.env, TW_BENCH_OUT=wine.path(folder)),
                        stderr=subprocess.DEVNULL)


def build_phase(wine: Wine, work: Path, src: Path, size: int, builds: dict):
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
        secs, peak, _ = best(times[name])
        print(f"{name:34} {secs:8.2f} {size / MB / secs:7.1f} {target.stat().st_size / MB:10.1f} "
              f"{target.stat().st_size / size:6.3f} {peak / 1024:8.1f} {pigz / secs:7.2f}x")

    ld_n, ld_1, zl_1 = (builds[k][0] for k in list(builds)[:3])
    t_n, t_1 = (best(times[k])[0] for k in list(builds)[:2])
    sys.path.insert(0, str(HERE / "tests/e2e"))
    import sfxreader  # the tests' independent reader: Python's zlib inflates every chunk
    sfxreader.compare_with_source(sfxreader.read_sfx(ld_n), str(src), "cp949")
    print(f"\nthe libdeflate SFX file read back with Python's zlib: it holds the folder byte for byte")
    print(f"build time pigz -9 -p {THREADS} / tarnwick {THREADS} threads: {pigz / t_n:.2f} (goal >= 2)")
    print(f"build time tarnwick 1 thread / {THREADS} threads: {t_1 / t_n:.2f} (goal >= 1.8); "
          f"identical bytes (the run identifier aside): {same_but_run_id(ld_n, ld_1)}")
    print(f"output libdeflate / zlib: {ld_n.stat().st_size / zl_1.stat().st_size:.4f} (goal <= 1)")
    linux, windows = (builds[f"tarnwick-cli, {where}, {THREADS} threads"][0] for where in ("Linux", "Wine"))
    linux_s, _, linux_cpu = best(times[f"tarnwick-cli, Linux, {THREADS} threads"])
    pigz_cpu = best(times[f"tar | pigz -9 -p {THREADS}"])[2]
    print(f"build time pigz -9 -p {THREADS} / tarnwick-cli on Linux: {pigz / linux_s:.2f} (goal >= 4; CPU "
          f"time {pigz_cpu / linux_cpu:.2f}); the same bytes as tarnwick-cli.exe under Wine: "
          f"{linux.read_bytes() == windows.read_bytes()}")
    single_build(wine, work)


def extract_phase(wine: Wine, out: Path, work: Path, tmpfs: Path, src: Path, size: int, sfx: Path):
    extractions = {
        "SFX file (silent, Wine)": lambda d: run_sfx(wine, sfx, d),
        "tar -xf (uncompressed tar)": lambda d: run_measured(["tar", "-C", d, "-xf", out / "plain.tar"]),
        "tar -xzf": lambda d: run_measured(["tar", "-C", d, "-xzf", out / "g.tar.gz"]),
        "makeself extractor": lambda d: run_measured(
            [out / "m.run", "--quiet", "--noexec", "--target", d], stderr=subprocess.DEVNULL),
    }
    if (out / "s.7z.run").exists():
        extractions["7z x"] = lambda d: run_measured(
            ["7z", "x", "-bd", "-bso0", "-y", f"-o{d}", out / "s.7z.run"])
    results = {}
    for place, base in (("disk", work), ("tmpfs", tmpfs)):
        rounds(results, place, extractions, src, base)
    print(f"\nevery extraction checked with diff -r\n{'extraction':28} {'disk s':>8} {'MB/s':>7} "
          f"{'tmpfs s':>8} {'MB/s':>7} {'peak MB':>8}")
    for name in extractions:
        disk_s, peak1, _ = best(results[("disk", name)])
        tmp_s, peak2, _ = best(results[("tmpfs", name)])
        print(f"{name:28} {disk_s:8.2f} {size / MB / disk_s:7.1f} {tmp_s:8.2f} "
              f"{size / MB / tmp_s:7.1f} {max(peak1, peak2) / 1024:8.1f}")
    sfx_s = {p: best(results[(p, "SFX file (silent, Wine)")])[0] for p in ("disk", "tmpfs")}
    makeself_tmpfs = best(results[("tmpfs", "makeself extractor")])
    sfx_tmpfs = best(results[("tmpfs", "SFX file (silent, Wine)")])
    tar_disk = best(results[("disk", "tar -xf (uncompressed tar)")])[0]
    print(f"\nextraction time to tmpfs, makeself / SFX file: {makeself_tmpfs[0] / sfx_tmpfs[0]:.2f} "
          f"(CPU, the SFX file's with its Wine server: {makeself_tmpfs[2] / sfx_tmpfs[2]:.2f}) (goal >= 1)")
    print(f"extraction time to disk, SFX file / tar -xf: {sfx_s['disk'] / tar_disk:.2f} (goal <= 1.2)")


def windows_tools(wine: Wine, work: Path) -> dict:
    """bench/file_floor.cpp and bench/inflate_speed.cpp for the build's
    architecture; the stub's inflater built as the stub builds it."""
    cc = "i686-w64-mingw32-g++" if wine.arch == "win32" else "x86_64-w64-mingw32-g++"
    tools = {"floor": work / "file_floor.exe", "speed": work / "inflate_speed.exe"}
    subprocess.run([cc, "-O2", "-municode", "-static", "-o", tools["floor"], HERE / "bench/file_floor.cpp"],
                   check=True)
    subprocess.run([cc, "-O2", "-std=c++17", "-static", f"-I{HERE / 'stub'}", f"-I{HERE / 'common'}",
                    "-o", tools["speed"], HERE / "bench/inflate_speed.cpp", HERE / "stub/inflate.cpp",
                    HERE / "common/container_format.cpp", HERE / "common/payload_locator.cpp", "-lz"],
                   check=True)
    return tools


def manifest(tree: Path, path: Path) -> int:
    """The floor's list of the tree: folders, then files with their sizes."""
    lines, files = [], 0
    for folder, subs, names in os.walk(tree):
        rel = Path(folder).relative_to(tree)
        lines += [f"D\t{rel / d}" for d in sorted(subs)]
        for n in sorted(names):
            lines.append(f"F\t{(Path(folder) / n).stat().st_size}\t{rel / n}")
            files += 1
    path.write_text("\n".join(l.replace("/", "\\") for l in lines) + "\n", encoding="utf-8")
    return files


OLD_FLOOR = "old stub's floor"  # the calls the stub made per file before its one pass


def rounds(results: dict, label: str, jobs: dict, source: Path, base: Path):
    """Each job in turn into an empty folder below base, ROUNDS times; the
    extractions (not the floors, which write zeros) checked with diff -r.
    results[(label, name)] gets each round's figures."""
    for r in range(ROUNDS):
        print(f"{label} round {r + 1} into {base}...", flush=True)
        for name, job in jobs.items():
            d = base / "x"
            shutil.rmtree(d, ignore_errors=True)
            d.mkdir()
            subprocess.run(["sync"])
            results.setdefault((label, name), []).append(job(d))
            wall, _, cpu = results[(label, name)][-1]
            print(f"  {name}: {wall:.2f} s, CPU {cpu:.2f} s", flush=True)
            if "floor" not in name and subprocess.run(
                    ["diff", "-r", source, d], capture_output=True).returncode != 0:
                raise SystemExit(f"{name} ({label}): the extracted files differ from the source")
            shutil.rmtree(d)


def stub_phase(wine: Wine, work: Path, tmpfs: Path, src: Path, corpus_sfx: Path):
    tools = windows_tools(wine, work)
    speed = subprocess.run(wine.cmd(tools["speed"], wine.path(corpus_sfx), ROUNDS + 1), env=wine.env,
                           check=True, capture_output=True, text=True).stdout.split()
    mb, zlib_rate, stub_rate, ratio_speed = map(float, speed[-4:])

    # The tree: the corpus without its large file (hard links).
    tree = work / "tree"
    shutil.copytree(src, tree, copy_function=os.link, ignore=lambda d, names: ["big"] if Path(d) == src else [])
    tree_files = manifest(tree, work / "manifest.txt")
    tree_mb = sum(f.stat().st_size for f in tree.rglob("*") if f.is_file()) / MB
    tree_sfx = work / "tree.exe"
    build_sfx(wine, tree, tree_sfx)
    floor = lambda kind: lambda d: run_measured(
        wine.cmd(tools["floor"], wine.path(work / "manifest.txt"), wine.path(d), kind), wine.server, env=wine.env)
    tree_jobs = {"SFX file": lambda d: run_sfx(wine, tree_sfx, d), "minimal floor": floor("minimal"),
                 OLD_FLOOR: floor("old-stub")}

    results = {}
    rounds(results, "tree", tree_jobs, tree, tmpfs)

    # One large file of mixed data, and the same bytes gzip'd.
    size_mb = env_int("BENCH_SINGLE_MB", 1024)
    one = work / "one"
    subprocess.run([sys.executable, HERE / "bench/make_corpus.py", one / "big.bin", "--single",
                    str(size_mb)], check=True, stdout=subprocess.DEVNULL)
    one_sfx, one_gz = work / "one.exe", work / "one.gz"
    build_sfx(wine, one, one_sfx)
    subprocess.run(f"pigz -9 -p {THREADS} -c '{one}/big.bin' > '{one_gz}'", shell=True, check=True)
    one_jobs = {"SFX file": lambda d: run_sfx(wine, one_sfx, d),
                "gzip -dc > file": lambda d: run_measured(
                    ["bash", "-c", f"gzip -dc '{one_gz}' > '{d}/big.bin'"])}
    rounds(results, "one", one_jobs, one, tmpfs)

    t = {k: best(v) for k, v in results.items()}
    print(f"\nthe stub ({wine.arch} build), to tmpfs; every SFX extraction checked with diff -r; "
          f"CPU: the process's and its Wine server's")
    print(f"tree: {tree_mb:.1f} MB in {tree_files} files")
    for name in tree_jobs:
        print(f"  {name:26} {t[('tree', name)][0]:8.2f} s  CPU {t[('tree', name)][2]:6.2f} s")
    print(f"one file of {size_mb} MB")
    for name in one_jobs:
        wall, peak, cpu = t[("one", name)]
        print(f"  {name:26} {wall:8.2f} s  CPU {cpu:6.2f} s  peak {peak / 1024:6.1f} MB")

    def ratio(label, a, b):
        return (f"{t[(label, a)][0] / t[(label, b)][0]:.2f} (CPU {t[(label, a)][2] / t[(label, b)][2]:.2f})")

    print(f"\ntree, SFX file / minimal floor: {ratio('tree', 'SFX file', 'minimal floor')} (goal <= 1.4); "
          f"/ {OLD_FLOOR}: {ratio('tree', 'SFX file', OLD_FLOOR)}")
    print(f"one file, SFX file / gzip -dc > file: {ratio('one', 'SFX file', 'gzip -dc > file')} (goal <= 1.0)")
    print(f"one file, the stub's peak memory: {t[('one', 'SFX file')][1] / 1024:.1f} MB (goal < 32)")
    print(f"inflating the corpus's chunks ({mb:.1f} MB, CPU time): zlib {zlib_rate:.1f} MB/s, "
          f"stub {stub_rate:.1f} MB/s, stub / zlib: {ratio_speed:.2f} (goal >= 1.5)")


def single_build(wine: Wine, work: Path):
    """Peak memory of the maker for one large file (BENCH_SINGLE_MB, 0 skips)."""
    size_mb = env_int("BENCH_SINGLE_MB", 1024)
    if not size_mb:
        return
    one = work / "one"
    subprocess.run([sys.executable, HERE / "bench/make_corpus.py", one / "big.bin", "--single",
                    str(size_mb)], check=True, stdout=subprocess.DEVNULL)
    target = work / "one.exe"
    secs, peak, _ = run_measured(wine.cmd(wine.maker, "-h", "-c", "-o", wine.path(one),
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
