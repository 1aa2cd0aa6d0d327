"""The maker's command line under Wine: text outside the system code page,
and the usage text's own example run exactly as it is written."""

import shutil

import pefile
import pytest

import sfxreader as sr
from sample_trees import (EXIT_BUILT, EXIT_FAILED, MAKER, box_text, expect_box, finish,
                          maker_error, run_maker, write_tree)

NOT_REPRESENTABLE = "이 이름은 시스템 코드 페이지로 나타낼 수 없어 SFX 파일에 넣을 수 없습니다.\r\n\r\n"


@pytest.mark.parametrize("codepage,stored", [(1252, b"caf\xe9"), (949, None)])
def test_text_outside_the_code_page_is_never_replaced_by_a_look_alike(wine, tmp_path, codepage,
                                                                        stored):
    # Each name has a look-alike beside it that a best-fit reading would take.
    src = write_tree(tmp_path / "café", {"run.cmd": b"accented"})
    write_tree(tmp_path / "cafe", {"run.cmd": b"plain"})
    unrelated = tmp_path / "tge.exe"
    unrelated.write_bytes(b"unrelated")
    target = tmp_path / "tgé.exe"
    assert run_maker(wine, src, target, codepage=codepage) == EXIT_BUILT
    assert sr.read_sfx(target).by_name()["run.cmd"].data == b"accented"
    assert unrelated.read_bytes() == b"unrelated"

    # Parameters are stored as code-page bytes: exactly, or refused by name.
    target.unlink()
    switches, rest = ("-c", "-o", "-mf"), (src / "run.cmd", "café")
    if stored is None:
        box, code = maker_error(wine, src, target, switches, rest, codepage)
        assert (code, box_text(box)) == (EXIT_FAILED, NOT_REPRESENTABLE + "café")
        assert not target.exists()
    else:
        assert run_maker(wine, src, target, switches, rest, codepage) == EXIT_BUILT
        assert sr.read_sfx(target).header.parameters == stored


def carried_usage(wine) -> str:
    pe = pefile.PE(str(wine.exe(MAKER)))
    kind = next(t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if str(t.name) == "TXT")
    entry = next(n for n in kind.directory.entries if str(n.name) == "CMDLINE")
    data = entry.directory.entries[0].data.struct
    return pe.get_data(data.OffsetToData, data.Size).decode("cp949")


def test_usage_example_works_as_written(wine):
    usage = carried_usage(wine)
    line = next(s.strip() for s in usage.splitlines() if s.strip().startswith("tarnwick.exe -"))
    # What the text promises the program will receive.
    promised = usage.split("마지막 매개변수는 실행 파일에 ", 1)[1].split(" 로 전달됩니다", 1)[0]
    source = wine.unixpath("C:\\내 프로그램")
    out = wine.unixpath("C:\\배포")
    write_tree(source, {"setup.exe": b"MZ setup", "readme.txt": b"read me"})
    try:
        proc = wine.start(wine.exe(MAKER), command_line=line.split(" ", 1)[1])
        expect_box(wine, proc, "정보")
        assert finish(wine, proc) == EXIT_BUILT
        c = sr.read_sfx(out / "setup.exe")
        h = c.header
        assert (h.extraction_mode, h.extraction_folder, h.silent) == (1, 5, 1)
        assert h.custom_folder == "%TEMP%\\설치\\".encode("cp949")
        assert h.parameters == promised.encode("cp949")
        assert promised.startswith("/title ")
        assert c.run_file.text_name() == "setup.exe"
        sr.compare_with_source(c, source)
    finally:
        shutil.rmtree(source)
        shutil.rmtree(out, ignore_errors=True)
