"""The maker's main window and progress window under Wine: filling from the
registry or a complete command line, saving on a build press, the build
with its boxes, cancel and write errors, and a file picker."""

import re
import subprocess

import pytest

import sfxreader as sr
from gatefs import GatedSource
from harness import REPO
from maker_window import IDS, MAIN, MakerWindow, store, stored_values
from sample_trees import (BOX_CLASS, MAKER, await_box, box_text, expect_box, finish,
                          random_bytes, wait_until, write_tree)

WM_KEYDOWN, VK_RETURN, VK_ESCAPE, VK_F1 = 0x100, 0x0D, 0x1B, 0x70


@pytest.fixture
def src(tmp_path):
    return write_tree(tmp_path / "src", {"a.txt": b"a" * 5000, "sub": None, "sub/b.bin": b"\1\2"})


def test_defaults_without_stored_options_and_nothing_saved_on_close(wine, tmp_path):
    store(wine, tmp_path)
    w = MakerWindow(wine)
    assert re.fullmatch(r"Tarnwick \d+\.\d+", w.window["title"])
    assert w.window["default_id"] == IDS["BMake"]
    radios = ["RbIconDefault", "RbOpenFolder", "CbOpenFolder", "RbTemp", "RbWdExtraction",
              "RbDmImmediately", "RbUacNone", "RbOmPrompt"]
    assert w.checked(*radios, "CbOneInstance", "CbSilent", "CbSelfDelete") == radios
    assert not w.control("RbUacNone")["enabled"] and not w.control("EIcon")["enabled"]
    # A build given no addresses shows none: no web, donation or mail link.
    assert not w.control("LWeb")["visible"] and not w.control("LDonate")["visible"]
    w.post(MAIN, WM_KEYDOWN, VK_F1, 0, "--id", IDS["ESource"])
    about = wine.auto("press", "--class", "Tfabout", "--pid", w.pid, "--button", "ok")
    assert [c["visible"] for c in about["controls"] if c["id"] in (402, 403)] == [False, False]
    assert w.close() == 0
    assert stored_values(wine) == {}


@pytest.mark.parametrize("args", [(), ("-mf", "C:\\cl", "C:\\cl.exe")], ids=["plain", "incomplete"])
def test_stored_values_fill_the_window_one_by_one(wine, tmp_path, args):
    store(wine, tmp_path, ['"Source"="C:\\\\stored"', '"Icon"="   "', '"OneInstance"="1"',
                           '"SilentMode"=dword:00000001', '"ExtractionMode"=dword:00000001',
                           '"ExtractionFolder"=dword:00000009', '"DeleteMode"=dword:00000001',
                           '"UACAutoElevation"=dword:00000000', '"OverwriteMode"="2"'])
    w = MakerWindow(wine, args)
    assert w.control("ESource")["text"] == "C:\\stored"
    assert w.control("EIcon")["text"] == ""
    assert w.checked("RbIconDefault", "RbExecuteFile", "RbTemp", "CbOneInstance", "CbSilent",
                     "RbDmImmediately", "RbDmOnReboot", "RbOmPrompt") == [
        "RbIconDefault", "RbExecuteFile", "RbTemp", "CbSilent", "RbDmImmediately", "RbOmPrompt"]
    assert not w.control("RbDmOnReboot")["enabled"] and w.control("RbDmDoNotDelete")["enabled"]
    assert w.close() == 0


def test_build_press_saves_every_value_even_when_refused(wine, tmp_path):
    store(wine, tmp_path)
    w = MakerWindow(wine)
    missing = wine.winpath(tmp_path / "missing")
    w.set_text("ESource", missing)
    w.set_text("ETarget", "out.exe")
    w.press("RbSelect")
    # Esc does nothing; Enter builds (the build button is the default).
    w.post(MAIN, WM_KEYDOWN, VK_ESCAPE, 0, "--id", IDS["ESource"])
    w.post(MAIN, WM_KEYDOWN, VK_RETURN, 0, "--id", IDS["ESource"])
    box = expect_box(wine, w.proc, "오류")
    assert missing in box_text(box)
    w.look()  # the window stays
    values = stored_values(wine)
    assert len(values) == 16
    assert values["Source"] == ("REG_SZ", missing + "\\")
    assert values["ExtractionFolder"] == ("REG_DWORD", "0x4")
    assert values["OpenFolder"] == ("REG_DWORD", "0x1")
    assert w.close() == 0


def test_no_keeps_the_window_and_a_finished_build_ends_the_program(wine, tmp_path, src):
    store(wine, tmp_path)
    target = tmp_path / "out.exe"
    target.write_bytes(b"old")
    w = MakerWindow(wine)
    w.set_text("ESource", wine.winpath(src))
    w.set_text("ETarget", wine.winpath(target))
    w.press("BMake")
    expect_box(wine, w.proc, "확인", "no")
    w.look()
    assert target.read_bytes() == b"old"
    w.press("BMake")
    expect_box(wine, w.proc, "확인", "yes")
    assert box_text(expect_box(wine, w.proc, "정보")) == "SFX 파일이 성공적으로 생성되었습니다."
    assert finish(wine, w.proc) == 0
    assert sorted(sr.read_sfx(target).by_name()) == ["a.txt", "sub", "sub\\b.bin"]


def test_complete_command_line_builds_at_once(wine, tmp_path, src):
    target = tmp_path / "cl.exe"
    # Without -h the window opens, builds by itself and ends the program.
    proc = wine.start(wine.exe(MAKER), ["-c", wine.winpath(src), wine.winpath(target)])
    assert finish(wine, proc, timeout=60) == 0
    sr.read_sfx(target)


@pytest.fixture
def gated(tmp_path):
    """A source whose second chunk cannot be read until the test says so."""
    source = GatedSource(tmp_path / "gated", size=3 * sr.CHUNK_RAW_MAX, gate_at=sr.CHUNK_RAW_MAX + 1)
    yield source
    source.close()


@pytest.mark.parametrize("previous, last_line", [
    (b"old", "이전 대상 SFX 파일은 그대로 남아 있습니다."),
    (None, "대상 SFX 파일이 삭제되었습니다."),
], ids=["kept", "none"])
def test_cancel_shows_it_is_stopping_and_returns_to_the_window(wine, tmp_path, gated, previous,
                                                               last_line):
    target = tmp_path / "big.exe"
    if previous:
        target.write_bytes(previous)
    w = MakerWindow(wine, ["-o", wine.winpath(gated.path), wine.winpath(target)])
    title = w.window["title"]
    assert w.look("Tfprogress")["title"] == title
    # The build has compressed its first chunk and waits for the second: it
    # cannot end before the cancel, however fast the machine.
    wait_until(lambda: gated.reads_waiting() > 0)
    w.press("BCancel", "Tfprogress")
    gated.open_gate()
    filters = await_box(wine, w.proc, "경고")
    # Behind the box: the button that was pressed is off, the label says why.
    w.look("Tfprogress")
    assert not w.control("BCancel")["enabled"]
    assert w.control("LProgressSource")["text"] == "중단하는 중..."
    box = wine.auto("press", *filters, "--button", "ok")
    assert box_text(box) == "Tarnwick가 중단되었습니다.\r\n" + last_line
    w.gone("Tfprogress")
    expected = ["big.exe", "gated"] if previous else ["gated"]
    assert sorted(p.name for p in tmp_path.iterdir()) == expected
    if previous:
        assert target.read_bytes() == previous
    assert w.close() == 0


@pytest.fixture
def full_drive(tmp_path):
    folder = tmp_path / "full"
    folder.mkdir()
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=512k", "tmpfs", str(folder)],
                      stderr=subprocess.DEVNULL).returncode != 0:
        pytest.skip("cannot mount a small tmpfs here")
    yield folder
    subprocess.run(["umount", str(folder)])


def test_write_error_closes_the_progress_window(wine, tmp_path, full_drive):
    src = write_tree(tmp_path / "src", {"r.bin": random_bytes(2 << 20)})
    w = MakerWindow(wine, ["-o", wine.winpath(src), wine.winpath(full_drive / "t.exe")])
    assert "t.exe" in box_text(expect_box(wine, w.proc, "오류"))
    w.gone("Tfprogress")
    assert not (full_drive / "t.exe").exists()
    assert w.close() == 0


def test_icon_picker_round_trip(wine, tmp_path):
    store(wine, tmp_path)
    w = MakerWindow(wine)
    w.press("RbIconCustom")
    assert w.look()["focus_id"] == IDS["EIcon"] and w.control("EIcon")["enabled"]
    w.set_text("EIcon", wine.winpath(tmp_path / "app.EXE"))
    w.press("BIcon")
    dialog = wine.auto("wait", "--class", BOX_CLASS, "--pid", w.pid, "--timeout", "20000")
    filters = next(c for c in dialog["controls"] if c["id"] == 0x470)
    assert filters["text"] == "실행 파일 (*.exe)"
    # The name box and the open button share their ids with other controls.
    wine.auto("settext", "--class", BOX_CLASS, "--pid", w.pid, "--id", str(0x47C), "--text", "new",
              "--control-class", "Edit")
    wine.auto("press", "--class", BOX_CLASS, "--pid", w.pid, "--button", "ok",
              "--control-class", "Button")
    w.gone(BOX_CLASS)
    w.look()
    assert w.control("EIcon")["text"] == wine.winpath(tmp_path / "new.exe")
    assert w.close() == 0


@pytest.mark.parametrize("codepage, lang, english", [(1252, None, True), (949, "en", True),
                                                      (1252, "ko", False)])
def test_english_face_on_other_systems_and_korean_on_request(wine, tmp_path, codepage, lang,
                                                             english):
    store(wine, tmp_path)
    proc = wine.start(wine.exe(MAKER), codepage=codepage,
                      env={"TARNWICK_LANG": lang} if lang else None)
    pid = str(proc.windows_pid())
    window = wine.auto("wait", "--class", MAIN, "--pid", pid, codepage=codepage)
    label = next(c["text"] for c in window["controls"] if c["id"] == IDS["LSourceFolder"])
    assert label == ("Source folder (may contain subfolders):" if english
                     else "소스 폴더 (하위 폴더를 포함할 수 있음):")
    if english:
        wine.auto("press", "--class", MAIN, "--pid", pid, "--button", str(IDS["LCmdLine"]))
        help_window = wine.auto("wait", "--class", "Tfcmdline", "--pid", pid, codepage=codepage)
        assert help_window["title"] == "Command-line help"
        usage = (REPO / "resources/usage.en.txt").read_text().replace("\n", "\r\n")
        assert next(c["text"] for c in help_window["controls"] if c["id"] == IDS["MCmdLine"]) == usage
        wine.auto("press", "--class", "Tfcmdline", "--pid", pid, "--button", str(IDS["BClose"]))
        wine.auto("gone", "--class", "Tfcmdline", "--pid", pid)
    # A refusal box in the same language: no source folder.
    wine.auto("press", "--class", MAIN, "--pid", pid, "--button", str(IDS["BMake"]))
    box = expect_box(wine, proc, "Error" if english else "오류")
    assert box_text(box).startswith("The source folder does not exist." if english
                                    else "소스 폴더가 없습니다.")
    wine.auto("close", "--class", MAIN, "--pid", pid)
    assert finish(wine, proc) == 0
