"""What the stub shows: its progress window, the folder-browse dialog (owned
by it, titled in the system's language), the one-instance check, and
nothing at all in silent mode."""
import os
import time

import pytest

import sfxcraft as sc

WS_POPUP, WS_VISIBLE, WS_CAPTION = 0x80000000, 0x10000000, 0x00C00000
WS_EX_TOOLWINDOW = 0x80
EDIT_FOLDER = 14149  # the browse dialog's folder edit (BIF_EDITBOX)
SCREEN = (1280, 1024)  # the harness's Xvfb screen


def asking(stub, path, run_id=b"0000ABCDEF", **kw):
    options = sc.Options(extraction_folder=sc.FOLDER_ASK, run_id=run_id, **kw)
    return sc.write(path, stub, options, [sc.folder(b"d"), sc.Entry(b"d\\x.txt", b"x" * 5000)])


@pytest.mark.parametrize("codepage, title", [(1252, "Extract to"), (949, "압축 풀 위치")])
def test_progress_window_and_browse_dialog(wine, stub, tmp_path, codepage, title):
    sfx = asking(stub, tmp_path / "setup.exe", silent=0)
    proc = wine.start(sfx, codepage=codepage)
    # The first folder dialog of a session can take a while to appear.
    dialog = wine.auto("wait", "--class", "#32770", "--timeout", "40000", codepage=codepage, timeout=60)
    assert any(c["text"] == title for c in dialog["controls"] if c["class"] == "Static")
    window = wine.auto("wait", "--class", "tarnwickwindowclass", codepage=codepage)
    assert window["pid"] == dialog["pid"] == proc.windows_pid()
    assert window["style"] & (WS_POPUP | WS_VISIBLE | WS_CAPTION) == WS_POPUP | WS_VISIBLE
    assert window["exstyle"] & WS_EX_TOOLWINDOW
    left, top, right, bottom = window["rect"]
    assert (right - left, bottom - top) == (320, 96)
    assert (left, top) == ((SCREEN[0] - 320) // 2, (SCREEN[1] - 96) // 2)
    # The dialog opens whole on the screen, centred on the progress window.
    d_left, d_top, d_right, d_bottom = dialog["rect"]
    assert 0 <= d_left and 0 <= d_top and d_right <= SCREEN[0] and d_bottom <= SCREEN[1]
    assert abs(d_left + d_right - left - right) <= 1 and abs(d_top + d_bottom - top - bottom) <= 1
    # The user cannot close it.
    wine.auto("close", "--class", "tarnwickwindowclass", codepage=codepage)
    assert wine.auto("wait", "--class", "tarnwickwindowclass", "--timeout", "500")["hwnd"] == window["hwnd"]
    # Cancelling the dialog ends the run quietly.
    wine.auto("press", "--class", "#32770", "--button", "cancel", codepage=codepage)
    assert wine.wait(proc, 30) == 0
    assert sorted(p.name for p in tmp_path.iterdir()) == ["setup.exe"]


def test_browse_dialog_choice_is_where_the_files_go(wine, stub, tmp_path):
    # Wine's dialog answers with the folder selected in its tree (the text
    # typed into its edit box is not used); it opens on the desktop.
    folder = "d" + os.urandom(4).hex()
    options = sc.Options(extraction_folder=sc.FOLDER_ASK, silent=1)
    sfx = sc.write(tmp_path / "setup.exe", stub, options,
                   [sc.folder(folder.encode()), sc.Entry(folder.encode() + b"\\x.txt", b"x")])
    proc = wine.start(sfx)
    dialog = wine.auto("press", "--class", "#32770", "--button", "ok")
    assert wine.wait(proc, 30) == 0
    selected = next(c["text"] for c in dialog["controls"] if c["id"] == EDIT_FOLDER)
    desktop = wine.unixpath(wine.run("cmd", ["/c", "echo %USERPROFILE%"]).stdout.decode().strip()) / "Desktop"
    assert selected in ("Desktop", "바탕 화면")
    assert sc.tree(desktop / folder) == {"x.txt": b"x"}


def test_silent_mode_shows_no_progress_window(wine, stub, tmp_path):
    sfx = asking(stub, tmp_path / "setup.exe", silent=1)
    proc = wine.start(sfx)
    dialog = wine.auto("wait", "--class", "#32770")
    seen = wine.auto("none", "--class", "tarnwickwindowclass", "--timeout", "1500")
    assert seen.get("none", True), seen
    wine.auto("press", "--class", "#32770", "--button", "cancel")
    assert wine.wait(proc, 30) == 0
    assert dialog["pid"] == proc.windows_pid()


def test_silent_failure_shows_no_box(wine, stub, tmp_path):
    out = tmp_path / "out"
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out, silent=1),
                   [sc.Entry(b"a.txt", b"a" * 100000, bend_checksum=1)])
    proc = wine.start(sfx)
    seen = wine.auto("none", "--class", "#32770", "--timeout", "2500")
    assert seen.get("none", True), seen
    assert wine.wait(proc, 30) == 23
    # The same file, not silent, does show its error.
    loud = sc.write(tmp_path / "loud.exe", stub, sc.into(wine, out, silent=0),
                    [sc.Entry(b"a.txt", b"a" * 100000, bend_checksum=1)])
    proc = wine.start(loud, codepage=1252)
    box = wine.auto("press", "--class", "#32770", "--button", "ok", codepage=1252)
    assert wine.wait(proc, 30) == 23
    text = next(c["text"] for c in box["controls"] if c["id"] == 0xFFFF)
    assert text.startswith(wine.winpath(loud) + "\r\n\r\n")


def test_one_instance_per_run_identifier(wine, stub, tmp_path):
    first = asking(stub, tmp_path / "first.exe", run_id=b"0012345678", silent=1, one_instance=1)
    proc = wine.start(first)
    wine.auto("wait", "--class", "#32770")
    # The same SFX file again: refused while the first one runs.
    copy = tmp_path / "copy.exe"
    copy.write_bytes(first.read_bytes())
    assert wine.run(first, timeout=30).returncode == 1152
    assert wine.run(copy, timeout=30).returncode == 1152
    # Another SFX file (another run identifier) is not blocked.
    out = tmp_path / "other_out"
    other = sc.write(tmp_path / "other.exe", stub,
                     sc.into(wine, out, run_id=b"0087654321", one_instance=1), [sc.Entry(b"o.txt", b"o")])
    assert wine.run(other, timeout=30).returncode == 0
    assert sc.tree(out) == {"o.txt": b"o"}
    wine.auto("press", "--class", "#32770", "--button", "cancel")
    assert wine.wait(proc, 30) == 0
    # Once the first has ended, the identifier is free again.
    again = sc.write(tmp_path / "again.exe", stub,
                     sc.into(wine, tmp_path / "again_out", run_id=b"0012345678", one_instance=1),
                     [sc.Entry(b"a.txt", b"a")])
    assert wine.run(again, timeout=30).returncode == 0


@pytest.mark.parametrize("open_folder", [1, 0])
def test_folder_opened_after_extraction(wine, stub, tmp_path, open_folder):
    name = "opened" + os.urandom(3).hex()
    out = tmp_path / name
    sfx = sc.write(tmp_path / "setup.exe", stub, sc.into(wine, out, open_folder=open_folder),
                   [sc.Entry(b"x.txt", b"x")])
    assert wine.run(sfx).returncode == 0
    if open_folder:
        window = wine.auto("close", "--class", "ExplorerWClass", "--title", name, "--timeout", "40000",
                           timeout=60)
        assert window["title"] == name
        for _ in range(50):  # let it go before the next test looks round
            if not wine.auto("list", "--class", "ExplorerWClass", "--title", name)["windows"]:
                break
            time.sleep(0.2)
    else:
        seen = wine.auto("none", "--class", "ExplorerWClass", "--title", name, "--timeout", "3000")
        assert seen.get("none", True), seen
    assert sc.tree(out) == {"x.txt": b"x"}
