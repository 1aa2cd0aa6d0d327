"""The stub read as a file (no Wine): the SFX data is appended where its last
section ends, so nothing may follow that section; it imports only DLLs that
Windows always takes from the system folder; its only resource is the
default icon."""
import os
import pathlib
import struct

import pefile
import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
ROOT = pathlib.Path(os.environ.get("TW_BUILD_ROOT", REPO / "build"))
BUILDS = [b for b in ("win32", "win64") if (ROOT / b / "bin" / "tarnwick_stub.exe").exists()]
# KnownDLLs: loaded from the system folder whatever lies beside the SFX file.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}
SIZE_BAR_I686 = 48 * 1024

pytestmark = pytest.mark.skipif(not BUILDS, reason="no Windows build of the stub")


@pytest.fixture(params=BUILDS)
def stub(request):
    path = ROOT / request.param / "bin" / "tarnwick_stub.exe"
    return request.param, path, pefile.PE(str(path))


def test_file_ends_where_the_last_section_ends(stub):
    _, path, pe = stub
    ends = [s.PointerToRawData + s.SizeOfRawData for s in pe.sections if s.SizeOfRawData]
    assert max(ends) == path.stat().st_size
    assert pe.get_overlay_data_start_offset() is None
    # Stripped: no symbol table either.
    assert pe.FILE_HEADER.PointerToSymbolTable == 0


def test_imports_only_known_system_dlls(stub):
    _, _, pe = stub
    dlls = {e.dll.decode().lower() for e in pe.DIRECTORY_ENTRY_IMPORT}
    assert dlls <= KNOWN_DLLS, dlls - KNOWN_DLLS
    # The shell and COM are loaded by full path from the system folder.
    names = {i.name for e in pe.DIRECTORY_ENTRY_IMPORT for i in e.imports if i.name}
    assert b"LoadLibraryExW" in names and b"GetSystemDirectoryW" in names
    assert not hasattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT")


def test_gui_program_for_the_right_machine(stub):
    build, _, pe = stub
    machine = {"win32": 0x14C, "win64": 0x8664}[build]
    assert pe.FILE_HEADER.Machine == machine
    assert pe.OPTIONAL_HEADER.Subsystem == 2  # Windows GUI


def test_i686_stub_stays_under_its_size_bar():
    if "win32" not in BUILDS:
        pytest.skip("no i686 build")
    size = (ROOT / "win32" / "bin" / "tarnwick_stub.exe").stat().st_size
    assert size <= SIZE_BAR_I686, size


def test_resources_are_the_main_icon_and_an_as_invoker_manifest(stub):
    _, _, pe = stub
    found = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for n in t.directory.entries:
            for lang in n.directory.entries:
                d = lang.data.struct
                key = (t.struct.Id, str(n.name) if n.name else n.struct.Id)
                found[key] = (lang.struct.Id, pe.get_data(d.OffsetToData, d.Size))
    groups = {k: v for k, v in found.items() if k[0] == 14}
    assert list(groups) == [(14, "MAINICON")]
    lang, group = groups[(14, "MAINICON")]
    assert lang == 1029
    reserved, kind, count = struct.unpack_from("<HHH", group)
    assert (reserved, kind, count) == (0, 1, 10)
    images = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    assert sorted(img[7] for img in images) == list(range(1, 11))
    assert {img[5] for img in images} == {8, 32}
    sides = {img[0] or 256 for img in images}
    assert min(sides) == 16 and max(sides) == 256
    icons = {k[1]: v for k, v in found.items() if k[0] == 3}
    assert sorted(icons) == list(range(1, 11))
    assert all(lang == 1029 for lang, _ in icons.values())
    for width, _, _, _, _, bpp, size, ident in images:
        assert len(icons[ident][1]) == size
        data = icons[ident][1]
        if data.startswith(b"\x89PNG"):
            w, h = struct.unpack_from(">II", data, 16)
        else:
            header_size, w, h2, _, bits = struct.unpack_from("<IiiHH", data)
            assert header_size == 40 and bits == bpp
            h = h2 // 2
        assert (w, h) == (width or 256, width or 256)
    # Version information is the maker's business; the stub's own manifest
    # keeps Windows from elevating an SFX file named like an installer.
    assert sorted(k for k in found if k[0] not in (3, 14)) == [(24, 1)]
    assert b'level="asInvoker"' in found[(24, 1)][1]
