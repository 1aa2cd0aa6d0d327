"""Validation of a headless build under Wine: the refusal boxes with their
paths, the question before an existing target is replaced, the success box,
and the registry left alone by a complete command line."""

import pytest

import sfxreader as sr
from harness import AutoError
from sample_trees import (BOX_CLASS, EXIT_BUILT, EXIT_REFUSED, IDNO, IDYES, MAKER, box_buttons,
                          box_text, expect_box, finish, maker_args, maker_error, run_maker,
                          write_tree)

REGISTRY_KEY = "HKCU\\Software\\Morrowfen\\Tarnwick"


@pytest.fixture
def src(tmp_path):
    return write_tree(tmp_path / "src", {"bin": None, "bin/tool.exe": b"MZ tool", "a.txt": b"a",
                                         "icon.ico": b"\0\0\1\0"})


def refused(wine, source, target, switches, rest=()):
    box, code = maker_error(wine, source, target, ("-c", *switches), rest)
    assert code == EXIT_REFUSED
    assert box["title"] == "오류" and set(box_buttons(box)) == {1}
    return box_text(box)


def test_missing_source_folder(wine, tmp_path):
    missing = tmp_path / "nowhere"
    target = tmp_path / "t.exe"
    # The source is shown normalised: absolute, with a trailing backslash.
    assert refused(wine, missing, target, []) == \
        f"소스 폴더가 없습니다.\r\n\r\n{wine.winpath(missing)}\\"
    # A relative source is made absolute against the current folder.
    proc = wine.start(wine.exe(MAKER), ["-h", "-c", "rel\\src", wine.winpath(target)], cwd=tmp_path)
    box = expect_box(wine, proc, "오류")
    assert box_text(box).endswith("\\rel\\src\\") and "\r\n\r\n" in box_text(box)
    assert finish(wine, proc) == EXIT_REFUSED
    # A file is not a source folder.
    not_a_folder = tmp_path / "file.txt"
    not_a_folder.write_bytes(b"x")
    assert refused(wine, not_a_folder, target, []) == \
        f"소스 폴더가 없습니다.\r\n\r\n{wine.winpath(not_a_folder)}\\"
    # An empty source text names an empty path.
    assert refused(wine, "", target, []) == "소스 폴더가 없습니다.\r\n\r\n"
    assert not target.exists()


def test_missing_icon_file(wine, src, tmp_path):
    icon = tmp_path / "no.ico"
    target = tmp_path / "t.exe"
    assert refused(wine, src, target, ["-ic"], [icon]) == f"아이콘 파일이 없습니다.\r\n\r\n{wine.winpath(icon)}"
    assert not target.exists()


def test_missing_executable(wine, src, tmp_path):
    target = tmp_path / "t.exe"
    exe = src / "bin" / "gone.exe"
    assert refused(wine, src, target, ["-mf"], [exe]) == f"실행 파일이 없습니다.\r\n\r\n{wine.winpath(exe)}"
    # A folder is not an executable file.
    assert refused(wine, src, target, ["-mf"], [src / "bin"]) == \
        f"실행 파일이 없습니다.\r\n\r\n{wine.winpath(src / 'bin')}"
    assert not target.exists()


def test_executable_outside_the_source(wine, src, tmp_path):
    target = tmp_path / "t.exe"
    # A sibling folder whose name starts with the source's name is outside too.
    # Its name holds "%s": the message must show it, not fill it in.
    outside = write_tree(tmp_path / "src2", {"x %s.exe": b"MZ"}) / "x %s.exe"
    # So is a path that starts with the source's text but climbs out of it.
    for exe in (outside, wine.winpath(src) + "\\..\\src2\\x %s.exe"):
        text = refused(wine, src, target, ["-mf"], [exe])
        assert text == (f"실행 파일이\r\n{wine.winpath(outside)}\r\n\r\n소스 폴더에 없습니다.\r\n"
                        f"{wine.winpath(src)}\\")
    assert not target.exists()


def test_executable_inside_with_other_letter_case_passes(wine, src, tmp_path):
    target = tmp_path / "t.exe"
    exe = wine.winpath(src / "bin" / "tool.exe").upper()
    assert run_maker(wine, wine.winpath(src).lower(), target, ("-c", "-mf"), [exe]) == EXIT_BUILT
    assert sr.read_sfx(target).run_file.text_name() == "bin\\tool.exe"


def test_icon_file_that_exists_passes(wine, src, tmp_path):
    target = tmp_path / "t.exe"
    assert run_maker(wine, src, target, ("-c", "-ic"), [src / "icon.ico"]) == EXIT_BUILT
    sr.read_sfx(target)


def existing_target(tmp_path):
    target = tmp_path / "old.exe"
    target.write_bytes(b"previous content")
    return target


@pytest.mark.parametrize("answer,code", [("yes", EXIT_BUILT), ("no", EXIT_REFUSED)])
def test_overwrite_question(wine, src, tmp_path, answer, code):
    target = existing_target(tmp_path)
    proc = wine.start(wine.exe(MAKER), maker_args(wine, src, target, ["-c"]))
    box = expect_box(wine, proc, "확인", answer)
    assert box_text(box) == "대상 파일이 이미 있습니다.\r\n덮어쓰시겠습니까?"
    assert set(box_buttons(box)) == {IDYES, IDNO}
    assert box["default_id"] == IDNO
    assert finish(wine, proc) == code
    if answer == "yes":
        sr.compare_with_source(sr.read_sfx(target), src)
    else:
        assert target.read_bytes() == b"previous content"


def test_overwrite_question_closed_replaces_nothing(wine, src, tmp_path):
    target = existing_target(tmp_path)
    proc = wine.start(wine.exe(MAKER), maker_args(wine, src, target, ["-c"]))
    pid = str(proc.windows_pid())
    wine.auto("close", "--class", BOX_CLASS, "--title", "확인", "--pid", pid, "--timeout", "30000")
    try:
        wine.auto("gone", "--class", BOX_CLASS, "--title", "확인", "--pid", pid, "--timeout", "30000")
    except AutoError:
        # A Yes/No box may refuse to be closed, as on Windows; then it must
        # still be there and waiting for an answer.
        wine.auto("press", "--class", BOX_CLASS, "--title", "확인", "--pid", pid, "--button", "no")
    assert finish(wine, proc) == EXIT_REFUSED
    assert target.read_bytes() == b"previous content"


def test_switch_o_replaces_without_a_question(wine, src, tmp_path):
    target = existing_target(tmp_path)
    proc = wine.start(wine.exe(MAKER), maker_args(wine, src, target, ["-c", "-o"]))
    seen = wine.auto("none", "--class", BOX_CLASS, "--pid", str(proc.windows_pid()), "--timeout", "3000")
    assert finish(wine, proc) == EXIT_BUILT
    assert seen.get("none", True), f"a box appeared: {box_text(seen)!r}"
    sr.compare_with_source(sr.read_sfx(target), src)


def test_success_box_only_without_c(wine, src, tmp_path):
    target = tmp_path / "ok.exe"
    proc = wine.start(wine.exe(MAKER), maker_args(wine, src, target, ["-o"]))
    box = expect_box(wine, proc, "정보")
    assert box_text(box) == "SFX 파일이 성공적으로 생성되었습니다."
    assert set(box_buttons(box)) == {1}
    assert finish(wine, proc) == EXIT_BUILT
    sr.read_sfx(target)

    proc = wine.start(wine.exe(MAKER), maker_args(wine, src, target, ["-o", "-c"]))
    seen = wine.auto("none", "--class", BOX_CLASS, "--pid", str(proc.windows_pid()), "--timeout", "3000")
    assert finish(wine, proc) == EXIT_BUILT
    assert seen.get("none", True), f"a box appeared: {box_text(seen)!r}"


def registry_key_exists(wine) -> bool:
    done = wine.run("reg", ["query", REGISTRY_KEY])
    return done.returncode == 0


def test_complete_command_line_writes_no_registry_values(wine, src, tmp_path):
    wine.run("reg", ["delete", REGISTRY_KEY, "/f"])
    assert not registry_key_exists(wine)
    # A build, a refused validation and a No to the question: none of them
    # came from the window, so none may store the options.
    assert run_maker(wine, src, tmp_path / "r.exe", ("-c", "-o", "-s", "-fd")) == EXIT_BUILT
    refused(wine, tmp_path / "missing", tmp_path / "r.exe", ["-o"])
    proc = wine.start(wine.exe(MAKER), maker_args(wine, src, tmp_path / "r.exe", ["-c"]))
    expect_box(wine, proc, "확인", "no")
    assert finish(wine, proc) == EXIT_REFUSED
    assert not registry_key_exists(wine)
    # The probe itself can see a key: it finds one that is there.
    assert wine.run("reg", ["add", REGISTRY_KEY, "/v", "Probe", "/d", "x", "/f"]).returncode == 0
    assert registry_key_exists(wine)
    wine.run("reg", ["delete", REGISTRY_KEY, "/f"])
