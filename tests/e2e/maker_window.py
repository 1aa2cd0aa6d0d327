"""The maker's main window as the window tests drive it: control ids read
from ui/control_ids.h, and the stored options in the registry."""

import re

from harness import REPO
from sample_trees import MAKER, finish

REGISTRY_KEY = "HKCU\\Software\\Morrowfen\\Tarnwick"
IDS = {m[1]: int(m[2]) for m in
       re.finditer(r"\bk(\w+) = (\d+),", (REPO / "ui/control_ids.h").read_text())}
MAIN = "Tftarnwick"


class MakerWindow:
    """A running maker and its main window."""

    def __init__(self, wine, args=(), env=None):
        self.wine = wine
        self.proc = wine.start(wine.exe(MAKER), list(args), env=env)
        self.pid = str(self.proc.windows_pid())
        self.window = self.look()

    def look(self, cls=MAIN) -> dict:
        self.window = self.wine.auto("wait", "--class", cls, "--pid", self.pid, "--timeout", "90000")
        return self.window

    def gone(self, cls: str) -> None:
        """Waits until this window of the maker has closed."""
        self.wine.auto("gone", "--class", cls, "--pid", self.pid, "--timeout", "90000")

    def control(self, name: str) -> dict:
        return next(c for c in self.window["controls"] if c["id"] == IDS[name])

    def checked(self, *names) -> list:
        return [n for n in names if self.control(n)["checked"]]

    def set_text(self, name: str, text: str) -> None:
        self.wine.auto("settext", "--class", MAIN, "--pid", self.pid, "--id", str(IDS[name]),
                       "--text", text)

    def press(self, name: str, cls=MAIN) -> None:
        self.wine.auto("press", "--class", cls, "--pid", self.pid, "--button", str(IDS[name]))

    def post(self, cls: str, message: int, wparam: int = 0, lparam: int = 0, *control) -> None:
        """Posts a message to the window of this class or to one of its
        controls (control: "--id", N[, "--control-class", C])."""
        self.wine.auto("post", "--class", cls, "--pid", self.pid, "--message", str(message),
                       "--wparam", str(wparam), "--lparam", str(lparam), *map(str, control))

    def close(self) -> int:
        self.wine.auto("close", "--class", MAIN, "--pid", self.pid)
        return finish(self.wine, self.proc)


def stored_values(wine) -> dict:
    done = wine.run("reg", ["query", REGISTRY_KEY])
    text = done.stdout.decode("cp949", "replace")
    return {m[1]: (m[2], m[3]) for m in re.finditer(r"^[ \t]+(\w+)[ \t]+(REG_\w+)[ \t]*(.*?)[ \t]*\r?$", text, re.M)}


def store(wine, tmp_path, lines=()) -> None:
    """Replaces the stored options by these .reg lines (none: no key)."""
    wine.run("reg", ["delete", REGISTRY_KEY, "/f"])
    if lines:
        reg = tmp_path / "options.reg"
        reg.write_text("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Morrowfen\\Tarnwick]\n" +
                       "\n".join(lines) + "\n", encoding="cp949")
        assert wine.run("regedit", ["/S", reg]).returncode == 0
