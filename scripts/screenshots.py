#!/usr/bin/env python3
"""Screenshots of the maker's windows under Wine at several DPI settings and
in both languages, to check the layout by eye (no test: nothing is asserted).

    scripts/screenshots.py OUT_DIR [DPI ...]      (default: 96 120 144 192)

Writes main-<ko|en>-<dpi>.png for every DPI, and help-<ko|en>-96.png and
generator-<ko|en>-96.png. Uses the tests' harness (a Wine prefix and an
X display of its own, on a screen large enough for 192 DPI); run
scripts/build.sh first. TW_TEST_ARCH chooses the build as for the tests.
"""

import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))

import harness  # noqa: E402
from maker_window import IDS, MakerWindow  # noqa: E402


def shoot(wine, window: dict, path: Path) -> None:
    left, top, right, bottom = window["rect"]
    subprocess.run(["import", "-display", wine.display, "-window", "root", "-crop",
                    f"{right - left}x{bottom - top}+{left}+{top}", str(path)], check=True)


def main() -> int:
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    dpis = [int(d) for d in sys.argv[2:]] or [96, 120, 144, 192]
    with harness.WineSession(screen="2400x1800x24") as wine:
        for dpi in dpis:
            wine.run("reg", ["add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
                             "REG_DWORD", "/d", str(dpi), "/f"])
            for lang in ("ko", "en"):
                w = MakerWindow(wine, env={"TARNWICK_LANG": lang})
                shoot(wine, w.look(), out / f"main-{lang}-{dpi}.png")
                if dpi == 96:
                    for link, cls, name in (("LCmdLine", "Tfcmdline", "help"),
                                            ("LCmdLineGen", "Tfcmdlinegen", "generator")):
                        w.press(link)
                        shoot(wine, w.look(cls), out / f"{name}-{lang}-{dpi}.png")
                        w.press("BClose", cls)
                        w.gone(cls)
                w.close()
    print("\n".join(sorted(str(p) for p in out.glob("*.png"))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
