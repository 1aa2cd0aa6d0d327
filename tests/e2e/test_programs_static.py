"""The built Windows programs, read as files: imports, carried resources,
version information. No Wine needed; both builds are checked."""
import os
import pathlib
import re
import struct

import pefile
import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
ROOT = pathlib.Path(os.environ.get("TW_BUILD_ROOT", REPO / "build"))
BUILDS = [b for b in ("win32", "win64") if (ROOT / b / "bin" / "tarnwick.exe").exists()]
PROGRAMS = ["tarnwick.exe", "tarnwick_stub.exe", "tarnwick_selfdelete.exe"]
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll", "shlwapi.dll"}

pytestmark = pytest.mark.skipif(not BUILDS, reason="no Windows build found")


def pe_of(build, name):
    return pefile.PE(str(ROOT / build / "bin" / name))


def resources(pe):
    """{(type, name): [(lang, bytes)]} with names as text or numbers."""
    out = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        tkey = str(t.name) if t.name else t.struct.Id
        for n in t.directory.entries:
            nkey = str(n.name) if n.name else n.struct.Id
            for lang in n.directory.entries:
                d = lang.data.struct
                out.setdefault((tkey, nkey), []).append(
                    (lang.struct.Id, pe.get_data(d.OffsetToData, d.Size)))
    return out


def string_table(pe, lang=0x412):
    """String id -> text, decoded from the RT_STRING blocks of one language."""
    texts = {}
    for (tkey, block), entries in resources(pe).items():
        if tkey != 6:
            continue
        data = dict(entries)[lang]
        pos = 0
        for i in range(16):
            (n,) = struct.unpack_from("<H", data, pos)
            pos += 2
            if n:
                texts[(block - 1) * 16 + i] = data[pos:pos + 2 * n].decode("utf-16-le")
            pos += 2 * n
    return texts


@pytest.mark.parametrize("build", BUILDS)
@pytest.mark.parametrize("name", PROGRAMS)
def test_programs_import_only_system_dlls(build, name):
    pe = pe_of(build, name)
    dlls = {e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT}
    assert dlls <= SYSTEM_DLLS, dlls - SYSTEM_DLLS
    expected_machine = 0x14C if build == "win32" else 0x8664
    assert pe.FILE_HEADER.Machine == expected_machine


@pytest.mark.parametrize("build", BUILDS)
def test_maker_carries_the_stub_helper_manifest_and_usage(build):
    bin_dir = ROOT / build / "bin"
    res = resources(pe_of(build, "tarnwick.exe"))
    assert res[("EXE", "SFXHEAD")][0][1] == (bin_dir / "tarnwick_stub.exe").read_bytes()
    assert res[("EXE", "SELFDELETE")][0][1] == (bin_dir / "tarnwick_selfdelete.exe").read_bytes()

    manifest = res[("XML", "UAC")][0][1].decode("utf-8")
    assert re.search(r'requestedExecutionLevel\s+level="requireAdministrator"\s+uiAccess="false"',
                     manifest)
    assert manifest.count("requireAdministrator") == 1

    switches = {"ic", "me", "mf", "ft", "fd", "fp", "fc", "fs", "fm", "op", "oo", "os", "i", "s",
                "d", "e", "we", "ws", "wc", "di", "dr", "dn", "un", "uh", "ua", "o", "c", "h"}
    # The Korean text in code page 949 and its English face in ASCII.
    for name, encoding in (("CMDLINE", "cp949"), ("CMDLINE_EN", "ascii")):
        usage = res[("TXT", name)][0][1].decode(encoding)
        assert "\r\n" in usage and "\n" not in usage.replace("\r\n", "")
        assert set(re.findall(r"^\s+-([a-z]+)\s", usage, re.M)) == switches
        assert '\\"' in usage and "%%TEMP%%" in usage  # the example, as a batch file holds it


@pytest.mark.parametrize("build", BUILDS)
def test_maker_message_texts_and_version(build):
    pe = pe_of(build, "tarnwick.exe")
    texts = string_table(pe)
    assert texts[65257] == "내부 오류\r\n프로그램이 손상되었습니다"
    assert texts[65261] == "실행 파일이\r\n%s\r\n\r\n소스 폴더에 없습니다.\r\n%s"
    assert texts[65262] == "대상 파일이 이미 있습니다.\r\n덮어쓰시겠습니까?"
    assert texts[65232] == "Tarnwick가 중단되었습니다.\r\n대상 SFX 파일이 삭제되었습니다."
    for i in (65232, 65233) + tuple(range(65256, 65264)):
        assert i in texts
    manifest = resources(pe)[(24, 1)][0][1].decode("utf-8")
    assert re.search(r"<dpiAware[^>]*>true</dpiAware>", manifest)  # it scales itself
    english = string_table(pe, 0x409)
    assert set(english) == set(texts) and english[65262].startswith("The target file already")
    fixed = pe.VS_FIXEDFILEINFO[0]
    assert (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF) >= (1, 0)
    assert pe.FILE_HEADER.Characteristics & 0x2  # executable image
    assert pe.OPTIONAL_HEADER.Subsystem == 2  # GUI: no console window


@pytest.mark.parametrize("build", BUILDS)
@pytest.mark.parametrize("name", PROGRAMS)
def test_no_placeholder_address_ships(build, name):
    data = (ROOT / build / "bin" / name).read_bytes()
    for text in ("example.com", "example.org", "tarnwick.example"):
        assert text.encode() not in data and text.encode("utf-16-le") not in data


@pytest.mark.parametrize("build", BUILDS)
def test_damaged_maker_variants_lack_the_stub(build):
    assert ("EXE", "SFXHEAD") not in resources(pe_of(build, "tarnwick_nostub.exe"))
    empty = resources(pe_of(build, "tarnwick_emptystub.exe"))[("EXE", "SFXHEAD")]
    assert empty[0][1] == b""
