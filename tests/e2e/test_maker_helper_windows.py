"""The maker's helper windows under Wine: the command-line generator, the
environment variables and the command-line help."""

import pytest

import sfxreader as sr
from harness import REPO
from maker_window import IDS, MakerWindow, store
from sample_trees import BOX_CLASS, IDOK, await_box, run_as_batch_file, wait_until, write_tree

WM_KEYDOWN, WM_LBUTTONDBLCLK, VK_RETURN, VK_ESCAPE, VK_HOME = 0x100, 0x203, 0x0D, 0x1B, 0x24


def memo_text(window) -> str:
    return next(c["text"] for c in window["controls"] if c["id"] == IDS["MCmdLine"])


def test_generator_shows_the_line_and_copies_it(wine, tmp_path):
    store(wine, tmp_path)
    w = MakerWindow(wine)
    w.set_text("ESource", "C:\\My Src\\")
    w.set_text("ETarget", "C:\\out.exe")
    w.press("LCmdLineGen")
    gen = w.look("Tfcmdlinegen")
    assert gen["title"] == "현재 UI 옵션에서 생성된 명령줄 매개변수"
    tool = wine.winpath(wine.exe("tarnwick.exe"))
    assert memo_text(gen) == f'{tool} -me -ft -e -op "C:\\My Src\\\\" C:\\out.exe'
    w.press("BCopy", "Tfcmdlinegen")
    w.look("Tfcmdlinegen")  # the press has been handled
    assert wine.auto("clipboard")["text"] == memo_text(gen)
    w.post("Tfcmdlinegen", WM_KEYDOWN, VK_ESCAPE, 0, "--id", IDS["MCmdLine"])
    w.gone("Tfcmdlinegen")
    assert w.close() == 0


def open_variables(w):
    w.press("RbCustom")
    w.set_text("ECustomDir", "\\Out")
    w.press("BEnvVars")
    return w.look("Tfenvvars")


def test_variables_list_enter_inserts_and_esc_cancels(wine, tmp_path):
    store(wine, tmp_path)
    w = MakerWindow(wine, env={"TW_PROBE": "a=b=c"})
    title = w.window["title"]
    assert open_variables(w)["title"] == title + " - 이 컴퓨터의 환경 변수"
    rows = wine.auto("items", "--class", "Tfenvvars", "--pid", w.pid,
                     "--id", IDS["VleEnvVars"])["items"]
    assert ["%TW_PROBE%", "a=b=c"] in rows
    assert all(name.startswith("%") and name.endswith("%") for name, _ in rows)
    # The title row does not choose; Enter on the first row does.
    w.post("Tfenvvars", WM_LBUTTONDBLCLK, 0, 0x000A000A, "--id", 0, "--control-class", "SysHeader32")
    w.post("Tfenvvars", WM_KEYDOWN, VK_HOME, 0, "--id", IDS["VleEnvVars"])
    w.post("Tfenvvars", WM_KEYDOWN, VK_RETURN, 0, "--id", IDS["VleEnvVars"])
    w.gone("Tfenvvars")
    w.look()
    assert w.control("ECustomDir")["text"] == rows[0][0] + "\\Out"
    assert w.window["focus_id"] == IDS["ECustomDir"]

    open_variables(w)
    w.post("Tfenvvars", WM_KEYDOWN, VK_ESCAPE, 0, "--id", IDS["VleEnvVars"])
    w.gone("Tfenvvars")
    w.look()
    assert w.control("ECustomDir")["text"] == "\\Out"
    assert w.window["focus_id"] == IDS["ECustomDir"]
    assert w.close() == 0


def test_help_shows_the_carried_usage_text(wine, tmp_path):
    w = MakerWindow(wine)
    w.press("LCmdLine")
    help_window = w.look("Tfcmdline")
    assert help_window["title"] == "명령줄 지원"
    usage = (REPO / "resources/usage.txt").read_text(encoding="utf-8").replace("\n", "\r\n")
    assert memo_text(help_window) == usage
    w.press("BClose", "Tfcmdline")
    w.gone("Tfcmdline")
    assert w.close() == 0


def test_real_keys_focus_first_control_return_after_dialogs_and_one_esc_closes(wine, tmp_path):
    store(wine, tmp_path)
    w = MakerWindow(wine)
    assert w.look()["focus_id"] == IDS["ESource"]

    def focus_back_to(name):
        wait_until(lambda: w.look()["focus_id"] == IDS[name], 60, f"the focus on {name}")

    # F1: the about box, focus on its button; Esc closes it.
    wine.xdotool("key", "F1")
    assert w.look("Tfabout")["focus_id"] == IDOK
    wine.xdotool("key", "Escape")
    w.gone("Tfabout")
    focus_back_to("ESource")
    # Enter builds: the refusal box, closed with Enter.
    wine.xdotool("key", "Return")
    await_box(wine, w.proc, "오류")
    wine.xdotool("key", "Return")
    w.gone(BOX_CLASS)
    focus_back_to("ESource")
    # The links, clicked: one Esc closes each window.
    for link, window in (("LCmdLineGen", "Tfcmdlinegen"), ("LCmdLine", "Tfcmdline")):
        w.look()
        wine.click(w.control(link))
        assert w.look(window)["focus_id"] == IDS["MCmdLine"]
        wine.xdotool("key", "Escape")
        w.gone(window)
        focus_back_to("ESource")
    w.press("RbCustom")
    focus_back_to("ECustomDir")
    wine.xdotool("key", "Tab", "space")  # to the variables button, and press it
    assert w.look("Tfenvvars")["focus_id"] == IDS["VleEnvVars"]
    wine.xdotool("key", "Escape")
    w.gone("Tfenvvars")
    focus_back_to("ECustomDir")
    assert w.close() == 0


@pytest.mark.parametrize("custom", ["%TEMP%\\myapp\\", ""], ids=["variable", "empty"])
def test_generated_line_in_a_batch_file_builds_the_same_sfx(wine, tmp_path, custom):
    store(wine, tmp_path)
    src = write_tree(tmp_path / "src", {"run.cmd": b"@echo off"})
    target = tmp_path / "out.exe"
    parameters = '/x "a & b" 50% ^'
    w = MakerWindow(wine)
    w.set_text("ESource", wine.winpath(src))
    w.set_text("ETarget", wine.winpath(target))
    w.press("RbExecuteFile")
    w.set_text("EExecutableFile", wine.winpath(src / "run.cmd"))
    w.press("RbCustom")
    w.set_text("ECustomDir", custom)
    w.set_text("ECmdParameters", parameters)
    w.press("CbSilent")
    w.press("LCmdLineGen")
    gen = w.look("Tfcmdlinegen")
    assert "%%" in next(c["text"] for c in gen["controls"] if c["id"] == IDS["LForm"])
    line = memo_text(gen)
    w.press("BClose", "Tfcmdlinegen")
    w.gone("Tfcmdlinegen")
    assert w.close() == 0
    assert run_as_batch_file(wine, tmp_path / "build.bat", line) == 0
    c = sr.read_sfx(target)
    h = c.header
    assert (h.extraction_mode, h.extraction_folder, h.silent) == (1, 5, 1)
    assert (h.custom_folder, h.parameters) == (custom.encode(), parameters.encode())
    assert c.run_file.text_name() == "run.cmd"
