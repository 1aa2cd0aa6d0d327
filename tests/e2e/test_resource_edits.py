"""Resource edits of SFX files through the real maker: icon from an icon
file or an executable, version information, UAC manifest, and the record of
the code page the names are stored in. The results are read with pefile and
with Wine's own resource functions (resdump.exe), never with the editor that
wrote them."""

import json
import re
import struct
import subprocess

import pefile
import pytest

import sfxcraft as sc
import sfxreader as sr
from pecraft import ico, image, sample_dll, shared_blob_dll
from sample_trees import EXIT_BUILT, run_maker, write_tree

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 10, 14, 16, 24
LEVELS = {"un": "asInvoker", "uh": "highestAvailable", "ua": "requireAdministrator"}


def resources(data: bytes, strict: bool = True) -> dict:
    """(type, name, language) -> bytes, as pefile reads them; pefile must
    have nothing to warn about in what the maker wrote."""
    pe = pefile.PE(data=data)
    assert not strict or pe.get_warnings() == []
    out = {}
    for t in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for n in t.directory.entries:
            for lang in n.directory.entries:
                key = (str(t.name) if t.name else t.id, str(n.name) if n.name else n.id, lang.id)
                out[key] = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
    return out


def of_type(res: dict, rtype) -> dict:
    return {k[1:]: v for k, v in res.items() if k[0] == rtype}


def stub_part(path) -> bytes:
    data = path.read_bytes()
    return data[:sr.read_sfx(path).header_offset]


def make_tree(root):
    return write_tree(root, {"a.txt": b"alpha", "d": None, "d/b.bin": bytes(range(256)) * 40})


def build(wine, tmp_path, switches=(), rest=(), name="sfx.exe"):
    src = tmp_path / "src"
    if not src.exists():
        make_tree(src)
    target = tmp_path / name
    assert run_maker(wine, src, target, ("-c", "-o", *switches), rest) == EXIT_BUILT
    return target


def extracts_exactly(wine, tmp_path, sfx, out_name="out"):
    """Runs an SFX file built with -fm -s into tmp_path / out_name."""
    out = tmp_path / out_name
    assert wine.run(sfx, timeout=120).returncode == 0
    assert sc.tree(out) == sc.tree(tmp_path / "src")


def same_tree_for_wine(wine, path, res):
    """Wine's LoadLibraryEx/EnumResource*/FindResourceEx see what pefile sees."""
    listed = json.loads(wine.run(wine.exe("resdump.exe"), [path]).stdout)
    seen = {(e["type"], e["name"], e["lang"]): (e["size"], e["sum"]) for e in listed}
    assert seen == {k: (len(v), sum(v)) for k, v in res.items()}


def manifests(res):
    found = of_type(res, RT_MANIFEST)
    assert [k[0] for k in found] == [1]  # exactly one, named 1
    return found


@pytest.mark.parametrize("count", [0, 1, 3])
def test_icon_file_images_become_the_stubs_icon(wine, tmp_path, count):
    images = [image(10 + i) for i in range(count)]
    (tmp_path / "user.Ico").write_bytes(ico(images))
    sfx = build(wine, tmp_path, ["-ic", "-fm", "-s"],
                [tmp_path / "user.Ico", wine.winpath(tmp_path / "out") + "\\"])
    res = resources(stub_part(sfx))
    group = ico(images)[:6] + b"".join(
        ico(images)[6 + 16 * i:18 + 16 * i] + struct.pack("<H", i + 1) for i in range(count))
    assert of_type(res, RT_GROUP_ICON) == {("MAINICON", 0): group}
    assert of_type(res, RT_ICON) == {(i + 1, 0): images[i] for i in range(count)}
    same_tree_for_wine(wine, sfx, res)
    extracts_exactly(wine, tmp_path, sfx)


@pytest.mark.parametrize("name,content", [
    ("garbage.ico", b"not an icon at all"),
    ("short.ico", ico([image(1), image(2)])[:-7]),
    ("noicons.exe", None),     # a sound PE without icons
    ("broken.exe", b"MZ" + bytes(100)),
    # 300 images that are all one 1 MiB blob, 2,000 version names on one block:
    # what they would give adds up far past the file's size.
    ("shared.dll", lambda folder: shared_blob_dll(folder, 1 << 20, 300, 2000)),
])
def test_unusable_icon_and_version_source_leaves_the_stub_as_without_one(wine, tmp_path, name, content):
    source = tmp_path / name
    if content is None:
        content = wine.exe("resdump.exe").read_bytes()
    elif callable(content):
        content = content(tmp_path / "dll")
    source.write_bytes(content)
    plain = stub_part(build(wine, tmp_path, name="plain.exe"))
    edited = build(wine, tmp_path, ["-ic", "-iv"], [source])
    assert stub_part(edited) == plain
    assert of_type(resources(plain), RT_GROUP_ICON).keys() == {("MAINICON", 1029)}


@pytest.mark.parametrize("bits", [32, 64])
def test_icon_and_version_from_an_executable(wine, tmp_path, bits):
    dll = sample_dll(tmp_path / f"pe{bits}", bits)
    src_res = resources(dll.read_bytes(), strict=False)
    sfx = build(wine, tmp_path, ["-ic", "-iv", "-ua", "-fm", "-s"],
                [dll, wine.winpath(tmp_path / "out") + "\\"])
    res = resources(stub_part(sfx))
    groups = of_type(res, RT_GROUP_ICON)
    assert groups == {("MAINICON", lang): data
                      for (name, lang), data in of_type(src_res, RT_GROUP_ICON).items()}
    assert len(groups) == 2
    assert of_type(res, RT_ICON) == of_type(src_res, RT_ICON)
    assert of_type(res, RT_VERSION) == of_type(src_res, RT_VERSION)
    # The manifest goes in the language of the copied version information.
    assert list(manifests(res)) == [(1, 0x412)]
    same_tree_for_wine(wine, sfx, res)
    extracts_exactly(wine, tmp_path, sfx)


@pytest.mark.parametrize("switch", LEVELS)
def test_uac_level_gives_exactly_one_manifest(wine, tmp_path, switch):
    res = resources(stub_part(build(wine, tmp_path, ["-mf", f"-{switch}"],
                                    [make_tree(tmp_path / "src") / "a.txt"])))
    text = manifests(res)[(1, 0)].decode()
    assert re.findall(r'level="(\w+)"', text) == [LEVELS[switch]]
    assert "Microsoft.Windows.Common-Controls" in text and text.count("supportedOS") == 5


def test_signed_sfx_verifies_and_still_extracts(wine, tmp_path):
    (tmp_path / "i.ico").write_bytes(ico([image(4)]))
    sfx = build(wine, tmp_path, ["-ic", "-ua", "-fm", "-s"],
                [tmp_path / "i.ico", wine.winpath(tmp_path / "out") + "\\"])
    key, cert, signed = tmp_path / "key.pem", tmp_path / "cert.pem", tmp_path / "signed.exe"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "2", "-subj", "/CN=Tarnwick test"],
                   check=True, capture_output=True)
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", sfx,
                    "-out", signed], check=True, capture_output=True)
    subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", signed],
                   check=True, capture_output=True)
    assert pefile.PE(str(signed)).OPTIONAL_HEADER.DATA_DIRECTORY[4].Size > 0
    extracts_exactly(wine, tmp_path, signed)


def codepage_record(sfx) -> int:
    return struct.unpack("<I", resources(stub_part(sfx))[(RT_RCDATA, "CODEPAGE", 0)])[0]


@pytest.mark.parametrize("name,codepage,stored", [
    ("한글.txt", 949, 949),
    ("café.txt", 1252, 1252),
    ("ภาษาไทย.txt", 949, 65001),  # Thai has no place in code page 949
    ("smile \U0001F600.txt", 949, 65001),
    ("한글.txt", 1252, 65001),     # nor Korean in 1252
    ("café.txt", 949, 65001),     # no best-fit "cafe.txt" either
    ("Ωmega.txt", 1252, 65001),
])
def test_names_are_stored_in_the_code_page_the_file_records(wine, tmp_path, name, codepage, stored):
    src = write_tree(tmp_path / "src", {"sub": None, "sub/" + name: b"x", "ok.txt": b"ok"})
    target = tmp_path / "t.exe"
    assert run_maker(wine, src, target, ("-c", "-o"), codepage=codepage) == EXIT_BUILT
    assert codepage_record(target) == stored
    sr.compare_with_source(sr.read_sfx(target), src, codepage="utf-8" if stored == 65001 else f"cp{stored}")


def test_korean_and_emoji_names_arrive_on_an_english_system(wine, tmp_path):
    for i, names in enumerate([["한글 파일.txt", "폴더/안.txt"], ["smile \U0001F600.txt", "한글.txt"]]):
        src = write_tree(tmp_path / f"src{i}", {n: n.encode() for n in names})
        out = tmp_path / f"out{i}"
        sfx = tmp_path / f"sfx{i}.exe"
        assert run_maker(wine, src, sfx, ("-c", "-o", "-fm", "-s"),
                         [wine.winpath(out) + "\\"], codepage=949) == EXIT_BUILT
        assert wine.run(sfx, timeout=120, codepage=1252).returncode == 0
        assert sc.tree(out) == sc.tree(src)
