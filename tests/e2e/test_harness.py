"""The Wine harness and the automation helper, tested against the message box
probe: if these fail, no other Wine test can be trusted."""
import json
import subprocess

import pytest

import harness

MB_YESNO_QUESTION = 0x24
MB_DEFBUTTON2 = 0x100
MB_SYSTEMMODAL = 0x1000
MB_OK = 0x0
IDYES, IDNO, IDCANCEL = 6, 7, 2
TEXT_ID = 65535  # Wine's message boxes keep the text in this static control


def box_text(box):
    return "".join(c["text"] for c in box["controls"] if c["id"] == TEXT_ID)


def buttons(box):
    return {c["id"]: c["text"] for c in box["controls"]
            if c["class"].lower() == "button" and c["visible"]}


def show_box(wine, flags, text, title, **kw):
    return wine.start(wine.exe("msgbox_probe.exe"), [hex(flags), text, title], **kw)


def test_paths_map_between_unix_and_windows(wine, tmp_path):
    assert wine.winpath(tmp_path / "a b.txt") == "Z:" + str(tmp_path / "a b.txt").replace("/", "\\")
    assert wine.unixpath(wine.winpath(tmp_path / "x")) == tmp_path / "x"
    inside = wine.c_drive / "users" / "x.txt"
    assert wine.winpath(inside) == "C:\\users\\x.txt"
    assert wine.unixpath("c:\\users\\x.txt") == inside
    assert wine.unixpath("C:/users/x.txt") == inside
    assert not wine.profile_dir.joinpath("Desktop").is_symlink()  # stays inside the prefix


@pytest.mark.parametrize("codepage, lcid", [(949, 0x412), (1252, 0x409)])
def test_code_page_follows_the_requested_locale(wine, codepage, lcid):
    done = wine.run(wine.exe("twauto.exe"), ["acp"], codepage=codepage, timeout=30)
    assert done.returncode == 0
    info = json.loads(done.stdout)
    assert info["acp"] == codepage
    assert info["system_lcid"] == lcid


@pytest.mark.parametrize("flags, answer, default_id, topmost", [
    (MB_YESNO_QUESTION, "yes", IDYES, False),
    (MB_YESNO_QUESTION | MB_DEFBUTTON2 | MB_SYSTEMMODAL, "no", IDNO, True),
])
def test_question_box_is_read_and_answered(wine, flags, answer, default_id, topmost):
    text = "대상 파일이 이미 있습니다.\r\n덮어쓰시겠습니까?"
    proc = show_box(wine, flags, text, "확인")
    box = wine.auto("press", "--class", "#32770", "--title", "확인", "--timeout", "15000",
                    "--button", answer)
    assert box["title"] == "확인"
    assert box_text(box) == text
    assert set(buttons(box)) == {IDYES, IDNO}
    assert box["default_id"] == default_id
    assert box["topmost"] is topmost
    assert box["pid"] == proc.windows_pid()
    assert wine.wait(proc, 30) == (IDYES if answer == "yes" else IDNO)


def test_awkward_text_and_arguments_survive_the_round_trip(wine):
    # Quotes, backslashes before quotes, a tab, a control character and a
    # character outside the BMP: command-line quoting and JSON escaping.
    text = 'say "hi" to C:\\dir\\ and \\"x\\\\" \t\x01 \U0001F600 끝'
    proc = show_box(wine, MB_OK, text, "round trip")
    box = wine.auto("press", "--title", "round trip", "--timeout", "15000", "--button", "ok")
    assert box_text(box) == text
    assert wine.wait(proc, 30) == 1


def test_missing_button_is_an_error_and_closing_a_question_answers_cancel(wine):
    proc = show_box(wine, MB_YESNO_QUESTION, "close me", "close test")
    with pytest.raises(harness.AutoError) as failure:
        wine.auto("press", "--title", "close test", "--timeout", "15000", "--button", "ok")
    assert failure.value.window["title"] == "close test"
    # Wine lets WM_CLOSE end a Yes/No box; the caller sees IDCANCEL.
    wine.auto("close", "--title", "close test", "--timeout", "5000")
    assert wine.wait(proc, 30) == IDCANCEL


def test_none_and_wait_report_absent_and_present_windows(wine):
    assert wine.auto("none", "--title", "not there", "--timeout", "300") == {"none": True}
    with pytest.raises(harness.NoWindow):
        wine.auto("wait", "--title", "not there", "--timeout", "300")
    first = show_box(wine, MB_OK, "one", "twin")
    second = show_box(wine, MB_OK, "two", "twin")
    seen = wine.auto("none", "--title", "twin", "--timeout", "60000")
    assert seen["none"] is False and seen["window"]["title"] == "twin"
    # --index counts the matches in z-order; --pid picks one program's box.
    # Both boxes first: a box that appears later goes to the top.
    wine.auto("wait", "--title", "twin", "--index", "1")
    by_index = {box_text(wine.auto("wait", "--title", "twin", "--index", str(i))) for i in (0, 1)}
    assert by_index == {"one", "two"}
    with pytest.raises(harness.NoWindow):
        wine.auto("wait", "--title", "twin", "--index", "2", "--timeout", "300")
    box = wine.auto("press", "--title", "twin", "--pid", str(second.windows_pid()),
                    "--timeout", "5000", "--button", "ok")
    assert box_text(box) == "two"
    box = wine.auto("press", "--title", "twin", "--timeout", "5000", "--button", "ok")
    assert box_text(box) == "one"
    assert wine.wait(first, 30) == 1 and wine.wait(second, 30) == 1


def test_form_controls_are_read_toggled_filled_and_pressed(wine):
    proc = wine.start(wine.exe("msgbox_probe.exe"), ["form"])
    form = wine.auto("wait", "--title", "probe form", "--timeout", "15000")
    controls = {c["id"]: c for c in form["controls"]}
    assert form["class"] == "TwProbeForm" and form["default_id"] == 1
    assert controls[100]["checked"] == 0 and controls[101]["checked"] is None
    wine.auto("press", "--title", "probe form", "--button", "100")  # the check box
    form = wine.auto("settext", "--title", "probe form", "--id", "101", "--text", "시험")
    controls = {c["id"]: c for c in form["controls"]}
    assert controls[100]["checked"] == 1 and controls[101]["text"] == "시험"
    wine.auto("press", "--title", "probe form", "--button", "ok")
    assert wine.wait(proc, 30) == 1 + 1 + 10  # OK saw the check and the text


def test_cleanup_ends_what_a_test_left_behind(wine):
    forgotten = show_box(wine, MB_OK, "forgotten", "forgotten")
    # A box of a program started by another one that has ended already.
    started = wine.run("cmd", ["/c", "start", "", wine.exe("msgbox_probe.exe"), "0", "orphan",
                               "orphan"], timeout=30)
    assert started.returncode == 0
    wine.auto("wait", "--title", "forgotten", "--timeout", "15000")
    wine.auto("wait", "--title", "orphan", "--timeout", "15000")
    left = wine.cleanup()
    assert any(item.startswith("program still running") for item in left), left
    assert any("'orphan'" in item for item in left), left
    assert forgotten.poll() is not None
    assert wine.auto("list", "--class", "#32770")["windows"] == []


def test_settext_changes_a_control(wine):
    proc = show_box(wine, MB_OK, "before", "settext")
    box = wine.auto("settext", "--title", "settext", "--timeout", "15000",
                    "--id", str(TEXT_ID), "--text", "nachher 이후")
    assert box_text(box) == "nachher 이후"
    wine.auto("press", "--title", "settext", "--button", "ok")
    assert wine.wait(proc, 30) == 1


def test_exit_codes_come_back_in_full_and_a_crash_does_not_hang(wine):
    assert wine.run("cmd", ["/c", "exit 1223"], timeout=30).returncode == 1223
    crashed = wine.run(wine.exe("msgbox_probe.exe"), ["crash"], timeout=60)
    assert crashed.returncode in (0xC0000005, 0xC000001D)  # access violation / illegal instruction
    assert wine.auto("none", "--title", "Program Error", "--timeout", "1000")["none"]


def test_timeout_kills_the_program_and_raises(wine):
    with pytest.raises(subprocess.TimeoutExpired):
        wine.run(wine.exe("msgbox_probe.exe"), ["0", "nobody answers", "left alone"], timeout=3)
    assert wine.auto("none", "--title", "left alone", "--timeout", "2000")["none"]


def test_raw_command_line_reaches_the_program_unchanged(wine):
    raw = 'cmdline  "a ""b"" c" \\"d\tend'
    proc = wine.start(wine.exe("msgbox_probe.exe"), command_line=raw)
    box = wine.auto("press", "--title", "cmdline", "--timeout", "15000", "--button", "ok")
    assert box_text(box) == wine.winpath(wine.exe("msgbox_probe.exe")) + " " + raw
    assert wine.wait(proc, 30) == 1
