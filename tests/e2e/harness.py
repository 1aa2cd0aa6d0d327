"""Runs the Windows programs under Wine for the end-to-end tests.

A WineSession owns one Wine prefix, one Xvfb display and one persistent
wineserver, all started by the session and ended by it (by PID, and with
`wineserver -k` for its own prefix). Programs run through the automation
helper's `run` command, which reports the full 32-bit exit code: a plain
`wine64 prog.exe` passes only the low 8 bits back as the Unix exit status.

Things about Wine that shaped this file:
- Output of Wine programs goes to files, never to pipes: Wine starts helper
  processes on demand (explorer.exe for the desktop, services) that inherit
  a pipe and keep it open, so reading to its end would hang.
- The prefix has no window manager to wait for (X11 Driver "Managed"=N);
  otherwise every hidden or destroyed window costs 2 s.
- "twauto idle" keeps the desktop in use: Wine closes it 3 s after its last
  GUI program, and a program starting just then waits 10 s.
- The locale is chosen per process from LANG/LC_ALL, so one prefix serves
  both code pages.

Environment:
  TW_BUILD_ROOT   build folders (default <repo>/build)
  TW_TEST_ARCH    win32 or win64 to force the build under test
  TW_LOCALE_DIR   private locales (default <repo>/build/locale)
  TW_KEEP_WINE    1: leave the session folder (prefix, outputs) in place
  TW_WINEDEBUG    WINEDEBUG for the programs under test (default -all)
  TW_TEST_USER    the unprivileged user of WineSession(user=...) sessions
                  (default tarnwick-test, made by scripts/setup.sh)
"""

from __future__ import annotations

import functools
import itertools
import json
import os
import pwd
import select
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path, PureWindowsPath

REPO = Path(__file__).resolve().parents[2]
WINE_DIR = Path("/usr/lib/wine")
WINE32 = WINE_DIR / "wine"
WINE64 = WINE_DIR / "wine64"
WINESERVER = WINE_DIR / "wineserver64"
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"
LOCALES = {949: "ko_KR.UTF-8", 1252: "en_US.UTF-8"}

# Exit codes of twauto.exe.
AUTO_NO_WINDOW = 1
AUTO_USAGE = 2
AUTO_FAILED = 3

# Registry settings of every test prefix:
# - a crashing program ends with its exception code instead of waiting
#   behind Wine's crash dialog;
# - windows are not handed to a window manager: there is none on Xvfb, and
#   Wine would wait 2 s for one whenever a window is hidden or destroyed.
PREFIX_REGISTRY = """REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"""


class HarnessError(RuntimeError):
    """The harness or the automation helper could not do what was asked."""


class NoWindow(HarnessError):
    """twauto.exe saw no matching window within its timeout."""


class AutoError(HarnessError):
    """twauto.exe failed (usage error, missing or disabled control, ...)."""

    def __init__(self, message: str, window: dict | None = None):
        super().__init__(message)
        self.window = window


@functools.lru_cache(maxsize=None)
def host_runs_32bit() -> bool:
    """Whether this kernel can execute 32-bit programs (Wine's 32-bit loader)."""
    try:
        done = subprocess.run([str(WINE32), "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=30)
    except OSError:  # exec format error: no IA-32 emulation
        return False
    return done.returncode == 0


@functools.lru_cache(maxsize=None)
def choose_build() -> tuple[str, str]:
    """(build folder name, why): win32 where 32-bit code runs, else win64."""
    forced = os.environ.get("TW_TEST_ARCH", "")
    if forced:
        if forced not in ("win32", "win64"):
            raise HarnessError(f"TW_TEST_ARCH must be win32 or win64, not {forced!r}")
        return forced, "TW_TEST_ARCH"
    if host_runs_32bit():
        return "win32", "host runs 32-bit code"
    return "win64", "host cannot run 32-bit code"


def build_root() -> Path:
    return Path(os.environ.get("TW_BUILD_ROOT") or REPO / "build")


def locale_dir() -> Path:
    """The private locales, generated here when scripts/setup.sh has not."""
    folder = Path(os.environ.get("TW_LOCALE_DIR") or REPO / "build" / "locale")
    for name in LOCALES.values():
        if not (folder / name / "LC_CTYPE").is_file():
            folder.mkdir(parents=True, exist_ok=True)
            language = name.split(".")[0]
            subprocess.run(["localedef", "-i", language, "-f", "UTF-8", str(folder / name)],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return folder


def windows_command_line(program: str, args) -> str:
    """Program and arguments quoted the way CommandLineToArgvW splits them."""
    return subprocess.list2cmdline([program, *args])


class WineProcess(subprocess.Popen):
    """A program started by WineSession.start (the Popen is twauto's `run`)."""

    status_path: Path
    stdout_path: Path | None
    stderr_path: Path | None
    _exit_code: int | None = None

    def _status(self) -> dict:
        try:
            text = self.status_path.read_text()
        except FileNotFoundError:
            return {}
        return {key: int(value) for key, value in
                (line.split() for line in text.splitlines() if len(line.split()) == 2)}

    def windows_pid(self, timeout: float = 90) -> int:
        """The Windows process id (for twauto's --pid) once the program runs."""
        deadline = time.monotonic() + timeout
        while True:
            status = self._status()
            if "pid" in status:
                return status["pid"]
            if self.poll() is not None or time.monotonic() > deadline:
                raise HarnessError(f"program did not start: {self.read_stderr()!r}")
            time.sleep(0.05)

    def read_stdout(self) -> bytes:
        return self.stdout_path.read_bytes() if self.stdout_path else b""

    def read_stderr(self) -> bytes:
        return self.stderr_path.read_bytes() if self.stderr_path else b""


def unprivileged_user() -> str:
    return os.environ.get("TW_TEST_USER") or "tarnwick-test"


class WineSession:
    """One Wine prefix + Xvfb display + wineserver, for a whole test session.

    With `user`, every process of the session (Xvfb, wineserver, programs)
    runs as that Unix user, through setpriv, which executes the program in
    its own place, so that a PID stays the program's. Root's Wine writes
    over read-only files; a user's Wine meets them as Windows does. Its
    prefix and its scratch folders are the user's."""

    def __init__(self, build: str | None = None, root: Path | None = None,
                 user: str | None = None, screen: str = "1280x1024x24"):
        chosen, self.build_reason = choose_build()
        self.build = build or chosen
        self.arch = "i686" if self.build == "win32" else "x86_64"
        self.bin_dir = (root or build_root()) / self.build / "bin"
        self.wine = WINE32 if self.build == "win32" else WINE64
        self.locales = locale_dir()
        self.home: Path | None = None
        self.prefix: Path | None = None
        self.display: str | None = None
        self._xvfb: subprocess.Popen | None = None
        self._server: subprocess.Popen | None = None
        self._desktop_user: subprocess.Popen | None = None
        self._counter = itertools.count()
        self._started: list[subprocess.Popen] = []
        self.user = user
        self.screen = screen
        self._ids = None
        if user is not None:
            entry = pwd.getpwnam(user)  # KeyError: no such user
            self._ids = (entry.pw_uid, entry.pw_gid)

    # ----------------------------------------------------------- life cycle

    def __enter__(self) -> "WineSession":
        self.open()
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def open(self) -> None:
        """Starts Xvfb and the wineserver and creates the prefix."""
        self.home = self.own(Path(tempfile.mkdtemp(prefix="tw-wine-")))
        self.prefix = self.home / "prefix"
        try:
            self._start_xvfb()
            self._start_wineserver()
            self._create_prefix()
            self._keep_desktop()
        except BaseException:
            self.close()
            raise

    def close(self) -> None:
        """Ends every process this session started, then removes its folder."""
        for proc in self._started:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        if self._desktop_user is not None:
            self._desktop_user.kill()
            self._desktop_user.wait()
            self._desktop_user = None
        if self._server is not None:
            subprocess.run(self._argv(WINESERVER, "-k"), env=self._base_env(),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            self._end(self._server, grace=10)  # -k ends it
            self._server = None
        if self._xvfb is not None:
            self._end(self._xvfb, grace=0)
            self._xvfb = None
        if self.home and os.environ.get("TW_KEEP_WINE") != "1":
            shutil.rmtree(self.home, ignore_errors=True)

    @staticmethod
    def _end(proc: subprocess.Popen, grace: float) -> None:
        """Waits `grace` seconds for the process to end, then terminates it."""
        try:
            proc.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            pass
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()

    def _start_xvfb(self) -> None:
        # -displayfd: Xvfb takes the first free display number and writes it
        # to the pipe once it accepts connections.
        read_end, write_end = os.pipe()
        try:
            self._xvfb = subprocess.Popen(
                self._argv("Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                           "-nolisten", "tcp"),
                pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = -1
            text = b""
            deadline = time.monotonic() + 30
            while not text.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_end], [], [], left)[0]:
                    raise HarnessError("Xvfb did not report a display within 30 s")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise HarnessError("Xvfb ended before it was ready")
                text += chunk
            self.display = ":" + text.decode().strip()
        finally:
            os.close(read_end)
            if write_end >= 0:
                os.close(write_end)

    def _base_env(self, codepage: int = 949) -> dict:
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("LC_", "WINE")) and k != "LANGUAGE"}
        env.update(
            WINEPREFIX=str(self.prefix),
            WINEARCH="win64",
            WINEDEBUG=os.environ.get("TW_WINEDEBUG", "-all"),
            WINEDLLOVERRIDES=DLL_OVERRIDES,
            DISPLAY=self.display or "",
            HOME=str(self.home),
            **({"USER": self.user, "LOGNAME": self.user} if self.user else {}),
            LOCPATH=str(self.locales),
            LANG=LOCALES[codepage],
            LC_ALL=LOCALES[codepage],
        )
        return env

    def _start_wineserver(self) -> None:
        # -f: stays in the foreground, so its PID is ours; -p: persistent, so
        # every program of the session shares one warm server. It is ready
        # once its socket exists in its server folder, which it makes its
        # working folder.
        self.own(self.prefix, make=True)
        self._server = subprocess.Popen(self._argv(WINESERVER, "-f", "-p"), env=self._base_env(),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 30
        while not self._server_socket_exists():
            if self._server.poll() is not None:
                raise HarnessError(f"wineserver ended at once ({self._server.returncode})")
            if time.monotonic() > deadline:
                raise HarnessError("wineserver did not open its socket within 30 s")
            time.sleep(0.05)

    def _server_socket_exists(self) -> bool:
        try:
            folder = os.readlink(f"/proc/{self._server.pid}/cwd")
        except OSError:
            return False
        return "server-" in folder and os.path.exists(os.path.join(folder, "socket"))

    def _wine_tool(self, *argv: str, timeout: float) -> None:
        """Runs a Wine tool to its end. Its output goes to a file: the services
        it starts live on and would keep a pipe open."""
        log = self.home / "setup.log"
        with open(log, "ab") as out:
            done = subprocess.run(self._argv(WINE64, *argv), env=self._base_env(),
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=out,
                                  timeout=timeout)
        if done.returncode != 0:
            raise HarnessError(f"{' '.join(argv)} failed ({done.returncode}): "
                               f"{log.read_bytes()[-2000:]!r}")

    def _create_prefix(self) -> None:
        self._wine_tool("wineboot", "-i", timeout=300)
        reg = self.home / "prefix.reg"
        reg.write_text(PREFIX_REGISTRY)
        self._wine_tool("regedit", "/S", self.winpath(reg), timeout=120)
        self._detach_profile_folders()

    def _keep_desktop(self) -> None:
        # Wine closes the desktop 3 s after its last user ends, and a program
        # starting in that moment waits 10 s for a new one: "twauto idle"
        # keeps using it for the whole session.
        self._desktop_user = subprocess.Popen(
            self._argv(self.wine, self.exe("twauto.exe"), "idle"), env=self._base_env(),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _detach_profile_folders(self) -> None:
        # Wine links Desktop, Documents, ... to the Unix home folder; tests
        # that extract there must stay inside the prefix.
        for user in (self.c_drive / "users").iterdir():
            for entry in user.iterdir():
                if entry.is_symlink():
                    entry.unlink()
                    self.own(entry, make=True)

    def cleanup(self) -> list[str]:
        """Ends what a test left behind: its programs still running (twauto's
        job takes the program with it) and every process that still shows a
        window in the prefix. Returns a description of each, for a warning."""
        left = []
        for proc in self._started:
            if proc.poll() is None:
                left.append(f"program still running: {proc.args[-1]}")
                proc.kill()
                proc.wait()
        self._started = []
        windows = self.auto("list")["windows"]
        for window in windows:
            left.append(f"window left open: {window['class']} {window['title']!r}")
        pids = sorted({str(window["pid"]) for window in windows})
        if pids:
            try:
                self.auto("kill", *pids)
            except AutoError:
                pass  # ended by itself meanwhile
        return left

    # ------------------------------------------------------------- user

    def _argv(self, *argv) -> list[str]:
        """The command line that runs argv as the session's user."""
        argv = [str(a) for a in argv]
        if self._ids is None:
            return argv
        uid, gid = self._ids
        return ["setpriv", f"--reuid={uid}", f"--regid={gid}", "--clear-groups", "--", *argv]

    def own(self, path: Path, make: bool = False) -> Path:
        """Gives path and everything below it to the session's user (make:
        creates the folder first)."""
        path = Path(path)
        if make:
            path.mkdir()
        if self._ids is not None:
            for p in (path, *(path.rglob("*") if path.is_dir() else ())):
                os.chown(p, *self._ids, follow_symlinks=False)
        return path

    def scratch(self) -> Path:
        """A new empty folder that the session's programs can write in (a
        test's tmp_path is root's when the session has a user)."""
        return self.own(self.home / f"scratch{next(self._counter)}", make=True)

    # ------------------------------------------------------------- paths

    @property
    def c_drive(self) -> Path:
        return self.prefix / "drive_c"

    @property
    def profile_dir(self) -> Path:
        """Unix path of the Windows user's profile (C:\\users\\<name>)."""
        users = [p for p in (self.c_drive / "users").iterdir() if p.name != "Public"]
        if len(users) != 1:
            raise HarnessError(f"cannot tell the user profile among {users}")
        return users[0]

    def exe(self, name: str) -> Path:
        path = self.bin_dir / name
        if not path.is_file():
            raise HarnessError(f"{path} is missing: run scripts/build.sh {self.build}")
        return path

    def winpath(self, path) -> str:
        """Windows path for a Unix path: C:\\... inside the prefix's C: drive,
        Z:\\... anywhere else."""
        path = Path(os.path.abspath(path))
        try:
            rest = path.relative_to(os.path.abspath(self.c_drive))
            return str(PureWindowsPath("C:\\", *rest.parts))
        except ValueError:
            return str(PureWindowsPath("Z:\\", *path.parts[1:]))

    def unixpath(self, text: str) -> Path:
        """Unix path for a Windows path on any drive of the prefix."""
        win = PureWindowsPath(text)
        if not win.drive or len(win.drive) != 2:
            raise HarnessError(f"not an absolute drive path: {text!r}")
        link = self.prefix / "dosdevices" / win.drive.lower()
        target = Path(os.path.join(link.parent, os.readlink(link)))
        return Path(os.path.normpath(target.joinpath(*win.parts[1:])))

    # ------------------------------------------------------------ programs

    def env(self, codepage: int = 949, extra: dict | None = None) -> dict:
        if codepage not in LOCALES:
            raise HarnessError(f"no locale for code page {codepage}")
        env = self._base_env(codepage)
        env.update(extra or {})
        return env

    def _arg(self, value) -> str:
        if isinstance(value, os.PathLike):
            return self.winpath(value)
        return str(value)

    def _program_text(self, exe) -> str:
        if isinstance(exe, os.PathLike) or str(exe).startswith("/"):
            return self.winpath(exe)
        return str(exe)  # a Windows path or a program on Wine's PATH ("cmd")

    def start(self, exe, args=(), cwd=None, env=None, codepage: int = 949,
              command_line: str | None = None, stdout=None, stderr=None) -> WineProcess:
        """Starts a program. Arguments are quoted for CommandLineToArgvW
        (os.PathLike ones become Windows paths); command_line, when given,
        replaces them with raw text after the program name. Output goes to
        files (see WineProcess.read_stdout) unless stdout/stderr are given."""
        n = next(self._counter)
        status = self.home / f"run{n}.status"
        program = self._program_text(exe)
        if command_line is None:
            line = windows_command_line(program, [self._arg(a) for a in args])
        else:
            line = subprocess.list2cmdline([program]) + " " + command_line
        out_path = self.home / f"run{n}.out" if stdout is None else None
        err_path = self.home / f"run{n}.err" if stderr is None else None
        out = open(out_path, "wb") if out_path else stdout
        err = open(err_path, "wb") if err_path else stderr
        try:
            proc = WineProcess(
                self._argv(self.wine, self.exe("twauto.exe"), "run",
                           "--status-file", self.winpath(status), "--command-line", line),
                cwd=cwd, env=self.env(codepage, env), stdin=subprocess.DEVNULL,
                stdout=out, stderr=err)
        finally:
            if out_path:
                out.close()
            if err_path:
                err.close()
        proc.status_path, proc.stdout_path, proc.stderr_path = status, out_path, err_path
        self._started.append(proc)
        return proc

    def wait(self, proc: WineProcess, timeout: float = 60) -> int:
        """The program's full exit code. On timeout the program is killed (only
        it: twauto's job ends it, nothing else) and TimeoutExpired raised."""
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise
        status = proc._status()
        if "exit" in status:
            return status["exit"]
        if "pid" not in status:
            raise HarnessError(f"could not start the program: {proc.read_stderr()!r}")
        raise HarnessError(f"no exit code recorded (twauto ended with {proc.returncode})")

    def run(self, exe, args=(), cwd=None, timeout: float = 60, env=None, codepage: int = 949,
            command_line: str | None = None) -> subprocess.CompletedProcess:
        proc = self.start(exe, args, cwd=cwd, env=env, codepage=codepage,
                          command_line=command_line)
        code = self.wait(proc, timeout)
        result = subprocess.CompletedProcess(proc.args, code, proc.read_stdout(), proc.read_stderr())
        for path in (proc.status_path, proc.stdout_path, proc.stderr_path):
            path.unlink(missing_ok=True)
        return result

    def xdotool(self, *args) -> None:
        """Real input on the session's display: keys (`xdotool key ...`) and
        the mouse reach the programs as a user's would, through the X server."""
        subprocess.run(self._argv("xdotool", *map(str, args)), check=True, timeout=60,
                       env={**os.environ, "DISPLAY": self.display or ""},
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def click(self, control: dict) -> None:
        """A real left click in the middle of a control as twauto saw it."""
        left, top, right, bottom = control["rect"]
        self.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2, "click", "1")

    def auto(self, *args, timeout: float | None = None, codepage: int = 949) -> dict:
        """Runs twauto.exe; returns its JSON. NoWindow when no window appeared,
        AutoError for its other failures. "none" returns {"none": bool, ...}.
        timeout: how long twauto itself may take (default: its own --timeout
        and a minute more, for a loaded machine)."""
        if timeout is None:
            own = dict(zip(map(str, args), map(str, args[1:]))).get("--timeout", "60000")
            timeout = int(own) / 1000 + 60
        argv = [str(self.wine), str(self.exe("twauto.exe")), *(self._arg(a) for a in args)]
        n = next(self._counter)
        out_path, err_path = self.home / f"auto{n}.out", self.home / f"auto{n}.err"
        # Files, not pipes: a Wine process that twauto happens to start (the
        # desktop process, explorer.exe) would inherit a pipe and keep it open.
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            proc = subprocess.Popen(self._argv(*argv), env=self.env(codepage),
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired as e:
            proc.kill()
            proc.wait()
            raise HarnessError(f"twauto {' '.join(map(str, args))} took over {timeout} s") from e
        done = subprocess.CompletedProcess(argv, proc.returncode, out_path.read_bytes(),
                                           err_path.read_bytes())
        out_path.unlink()
        err_path.unlink()
        stderr = done.stderr.decode("utf-8", "replace").strip()
        result = json.loads(done.stdout) if done.stdout.strip() else None
        if done.returncode == 0:
            return result
        if done.returncode == AUTO_NO_WINDOW:
            raise NoWindow(stderr)
        if done.returncode == AUTO_FAILED and args and args[0] == "none":
            return result
        raise AutoError(f"twauto failed ({done.returncode}): {stderr}", result)
