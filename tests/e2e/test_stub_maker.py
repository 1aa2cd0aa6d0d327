"""Round trips through the real maker: tarnwick.exe -h writes the SFX file
(stub with the maker's resource edits, header, records), the stub extracts
it again."""


import sfxcraft as sc
from test_stub_extract import CHECKED, make_source
from test_stub_run import read_dump


def make(wine, source, target, switches, rest=()):
    args = ["-h", "-c", "-o", *switches, source, target, *rest]
    return wine.run(wine.exe("tarnwick.exe"), args, timeout=180).returncode


def set_attributes(wine, path, value):
    wine.auto("attrib", wine.winpath(path), "--set", str(value))


def test_round_trip_through_the_maker(wine, tmp_path):
    source = tmp_path / "source"
    special = make_source(source)
    for rel, value in special.items():
        set_attributes(wine, source / rel, value | (0x10 if (source / rel).is_dir() else 0))
    target = tmp_path / "packed.exe"
    out = tmp_path / "out"
    assert make(wine, source, target, ["-fm", "-s"], [wine.winpath(out) + "\\"]) == 0
    assert wine.run(target, timeout=180).returncode == 0

    assert sc.tree(out) == sc.tree(source)
    for path in source.rglob("*"):
        rel = path.relative_to(source)
        got = wine.auto("attrib", wine.winpath(out / rel))["attributes"] & CHECKED
        want = wine.auto("attrib", wine.winpath(path))["attributes"] & CHECKED
        assert got == want, rel
        if path.is_file():
            # DOS times hold even seconds.
            assert (out / rel).stat().st_mtime == int(path.stat().st_mtime) // 2 * 2, rel


def test_run_mode_through_the_maker(wine, tmp_path):
    source = tmp_path / "app"
    (source / "bin").mkdir(parents=True)
    (source / "bin" / "argdump.exe").write_bytes(wine.exe("argdump.exe").read_bytes())
    (source / "conf.ini").write_bytes(b"[x]\r\n")
    target = tmp_path / "setup.exe"
    out = tmp_path / "out"
    dump = tmp_path / "dump.bin"
    rest = [wine.winpath(source / "bin" / "argdump.exe"), wine.winpath(out) + "\\", 'first "a b"']
    assert make(wine, source, target, ["-mf", "-fm", "-di", "-we", "-s"], rest) == 0
    done = wine.run(target, ["own arg", 'q"uote', "tail\\"],
                    env={"ARGDUMP_OUT": wine.winpath(dump), "ARGDUMP_EXIT": "42"})
    assert done.returncode == 42
    got = read_dump(dump)
    assert got["args"] == ["first", "a b", "own arg", 'q"uote', "tail\\"]
    assert got["cwd"].lower() == wine.winpath(out / "bin").lower()
    assert not out.exists()
