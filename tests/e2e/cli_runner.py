"""Runs the console tool, tarnwick-cli: the Windows console program under
Wine, or the native Linux program, behind one interface, so that one table
of cases tests both.

    cli.run("build", "--force", src, target)   # os.PathLike become paths
    cli.path(p)                                 # of the system the tool runs on
"""

from __future__ import annotations

import os
import pwd
import subprocess
from dataclasses import dataclass
from pathlib import Path

import harness

WINDOWS_PROGRAM = "tarnwick-cli.exe"


@dataclass
class Result:
    code: int
    out: str
    err: str

    @property
    def err_lines(self) -> list:
        return self.err.splitlines()


class WineCli:
    name = "wine"

    def __init__(self, session: harness.WineSession):
        self.session = session

    def path(self, p) -> str:
        return self.session.winpath(p)

    def run(self, *args, codepage: int = 949, env: dict | None = None, timeout: float = 300) -> Result:
        argv = [self.path(a) if isinstance(a, Path) else str(a) for a in args]
        done = self.session.run(self.session.exe(WINDOWS_PROGRAM), argv, codepage=codepage, env=env,
                                timeout=timeout)
        return Result(done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8"))


class NativeCli:
    name = "native"

    def __init__(self, program: Path, user: str | None = None):
        self.program = program
        self.user = user

    def path(self, p) -> str:
        return str(p)

    def run(self, *args, codepage: int = 949, env: dict | None = None, timeout: float = 300) -> Result:
        argv = [str(self.program), *map(str, args)]
        if self.user:  # as WineSession runs its programs for a user
            entry = pwd.getpwnam(self.user)
            argv = ["setpriv", f"--reuid={entry.pw_uid}", f"--regid={entry.pw_gid}", "--clear-groups",
                    "--", *argv]
        done = subprocess.run(argv, capture_output=True, timeout=timeout,
                              stdin=subprocess.DEVNULL, env={**os.environ, **(env or {})})
        return Result(done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8"))


def native_program() -> Path:
    return harness.build_root() / "native" / "cli" / "tarnwick-cli"
