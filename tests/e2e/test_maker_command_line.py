"""The maker's command line under Wine: text outside the system code page,
and the usage text's own example run exactly as it is written."""

import shutil

import pefile
import pytest

import sfxreader as sr
from sample_trees import EXIT_BUILT, MAKER, run_as_batch_file, run_maker, write_tree


@pytest.mark.parametrize("codepage,stored", [(1252, b"caf\xe9"), (949, "café".encode())])
def test_text_outside_the_code_page_is_never_replaced_by_a_look_alike(wine, tmp_path, codepage,
                                                                        stored):
    # Each name has a look-alike beside it that a best-fit reading would take.
    src = write_tree(tmp_path / "café", {"run.cmd": b"accented"})
    write_tree(tmp_path / "cafe", {"run.cmd": b"plain"})
    (tmp_path / "tge.exe").write_bytes(b"unrelated")
    target = tmp_path / "tgé.exe"
    assert run_maker(wine, src, target, codepage=codepage) == EXIT_BUILT
    assert sr.read_sfx(target).by_name()["run.cmd"].data == b"accented"
    assert (tmp_path / "tge.exe").read_bytes() == b"unrelated"
    # Parameters are stored as code-page bytes exactly, or as UTF-8 when the
    # code page has no form for them (the file then records code page 65001).
    args = (wine, src, target, ("-c", "-o", "-mf"), (src / "run.cmd", "café"), codepage)
    assert run_maker(*args) == EXIT_BUILT
    assert sr.read_sfx(target).header.parameters == stored


def test_usage_example_works_as_written_in_a_batch_file(wine, tmp_path):
    pe = pefile.PE(str(wine.exe(MAKER)))
    kind = next(t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries if str(t.name) == "TXT")
    data = next(n for n in kind.directory.entries if str(n.name) == "CMDLINE").directory.entries[0]
    usage = pe.get_data(data.data.struct.OffsetToData, data.data.struct.Size).decode("cp949")
    line = next(s.strip() for s in usage.splitlines() if s.strip().startswith("tarnwick.exe -"))
    promised = usage.split("마지막 매개변수는 실행 파일에 ", 1)[1].split(" 로 전달됩니다", 1)[0]
    source, out = wine.unixpath("C:\\내 프로그램"), wine.unixpath("C:\\배포")
    write_tree(source, {"setup.exe": b"MZ setup", "readme.txt": b"read me"})
    try:
        maker = wine.winpath(wine.exe(MAKER))
        assert run_as_batch_file(wine, tmp_path / "make.bat", f'"{maker}" {line.split(" ", 1)[1]}') == 0
        c = sr.read_sfx(out / "setup.exe")
        h = c.header
        assert (h.extraction_mode, h.extraction_folder, h.silent) == (1, 5, 1)
        assert h.custom_folder == "%TEMP%\\설치\\".encode("cp949")
        assert promised.startswith("/title ") and h.parameters == promised.encode("cp949")
        assert c.run_file.text_name() == "setup.exe"
    finally:
        shutil.rmtree(source)
        shutil.rmtree(out, ignore_errors=True)
