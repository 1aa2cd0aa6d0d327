"""The console tool end to end, the same table for the Windows console
program under Wine and the native Linux program: no window ever, one line
on standard error per problem, the documented exit codes; list, verify and
extract of what build wrote."""

import datetime
import json
import os
import shutil
import subprocess
import tempfile
import zoneinfo
from pathlib import Path

import pefile
import pytest

import harness
import sfxreader as sr
from cli_runner import NativeCli, WineCli, native_program
from sample_trees import mixed_entries, random_bytes, write_tree
from test_maker_failures import small_disk  # noqa: F401 (a fixture)


@pytest.fixture(params=["wine", "native"])
def cli(request):
    if request.param == "wine":
        return WineCli(request.getfixturevalue("wine"))
    program = native_program()
    if not program.exists():
        pytest.fail(f"{program} is missing: run scripts/build.sh native")
    return NativeCli(program)


def setup_tree(t):
    src = write_tree(t / "src", {"a.txt": b"alpha", "bin": None, "bin/start.cmd": b"@echo off"})
    (t / "outside.cmd").write_bytes(b"outside")
    (t / "old.exe").write_bytes(b"an earlier file")
    return src


# name, arguments (t: the test's folder), exit code, words of the one line,
# the path the line names
REFUSALS = [
    ("missing source", lambda t: ["build", t / "nothing", t / "o.exe"], 3, "source folder not found",
     lambda t: t / "nothing"),
    ("target in a missing folder", lambda t: ["build", t / "src", t / "no" / "o.exe"], 3,
     "its folder does not exist", lambda t: t / "no" / "o.exe"),
    ("existing target", lambda t: ["build", t / "src", t / "old.exe"], 3, "exists; --force replaces it",
     lambda t: t / "old.exe"),
    ("run file outside the source", lambda t: ["build", "--run", t / "outside.cmd", t / "src", t / "o.exe"],
     3, "the run file is not inside the source folder", lambda t: t / "outside.cmd"),
    ("missing icon", lambda t: ["build", "--icon", t / "none.ico", t / "src", t / "o.exe"], 3,
     "icon file not found", lambda t: t / "none.ico"),
    ("bad --folder value", lambda t: ["build", "--folder", "tmp", t / "src", t / "o.exe"], 2,
     "--folder: 'tmp' is not one of temp|desktop|documents|current|ask|custom (did you mean 'temp'?)", None),
    ("misspelt option", lambda t: ["build", "--slient", t / "src", t / "o.exe"], 2,
     "unknown option '--slient'; did you mean '--silent'?", None),
    ("not an SFX file", lambda t: ["list", t / "outside.cmd"], 38, "no SFX data follows the executable",
     lambda t: t / "outside.cmd"),
    ("missing SFX file", lambda t: ["verify", t / "none.exe"], 3, "file not found (code 2)",
     lambda t: t / "none.exe"),
]


@pytest.mark.parametrize("case", REFUSALS, ids=[c[0] for c in REFUSALS])
def test_refusals_are_one_line_with_their_exit_code(cli, tmp_path, case):
    _, args, code, words, named = case
    setup_tree(tmp_path)
    r = cli.run(*args(tmp_path))
    assert (r.code, r.out) == (code, ""), r
    assert len(r.err_lines) == 1 and words in r.err, r.err
    if named:
        assert cli.path(named(tmp_path)) in r.err
    assert not (tmp_path / "o.exe").exists()
    assert (tmp_path / "old.exe").read_bytes() == b"an earlier file"


def test_build_list_verify_extract(cli, tmp_path):
    src = write_tree(tmp_path / "src", mixed_entries())
    target = tmp_path / "out" / "setup.exe"
    target.parent.mkdir()
    r = cli.run("build", "--run", src / "docs" / "guide.txt", "--args", '-x "a b"', "--custom-folder",
                "%TEMP%\\app", "--delete", "never", "--workdir", "sfx", "--overwrite", "skip", "--uac",
                "highest", "--one-instance", "--silent", "--codepage", "949", "--threads", "2", src, target)
    # In run mode the icon and version come from the run file, here no program.
    run = cli.path(src / "docs" / "guide.txt")
    assert (r.code, r.err_lines) == (0, [
        f"tarnwick-cli: warning: {run}: the icon was not changed (not a PE file)",
        f"tarnwick-cli: warning: {run}: the version information was not copied (not a PE file)"]), r
    c = sr.read_sfx(target)
    sr.compare_with_source(c, src)
    h = c.header
    assert (h.extraction_mode, h.extraction_folder, h.delete_mode, h.working_folder, h.overwrite_mode,
            h.one_instance, h.silent, h.self_delete) == (1, 5, 2, 1, 2, 1, 1, 0)
    assert (h.parameters, h.custom_folder) == (b'-x "a b"', b"%TEMP%\\app\\")
    assert c.run_file.text_name() == "docs\\guide.txt"

    listed = json.loads(cli.run("list", "--json", target).out)
    o = listed["options"]
    assert (o["mode"], o["run_file"], o["folder"], o["custom_folder"], o["delete"], o["workdir"],
            o["overwrite"], o["uac"], o["silent"]) == (
        "run", "docs\\guide.txt", "custom", "%TEMP%\\app\\", "never", "sfx", "skip", "highest", True)
    assert (listed["code_page"], listed["run_id"]) == (949, h.run_id)
    assert listed["stub_size"] == sr.pe_image_end(target.read_bytes())
    assert [(x["name"], x["size"], x["dos_time"], x["attributes"]) for x in listed["records"]] == [
        (x.text_name(), x.size, x.dos_time, x.attributes) for x in c.records]
    text = cli.run("list", target).out
    assert "totals:       5 folders, 7 files" in text and all(x.text_name() in text for x in c.records)

    assert cli.run("verify", target).code == 0
    out = tmp_path / "x"
    r = cli.run("extract", target, out)
    assert (r.code, r.err) == (0, ""), r
    assert subprocess.run(["diff", "-r", src, out]).returncode == 0


def test_damage_is_named_and_nothing_is_extracted(cli, tmp_path):
    src = write_tree(tmp_path / "src", {"a.txt": b"alpha" * 100, "b.txt": b"beta" * 100})
    target = tmp_path / "t.exe"
    assert cli.run("build", src, target).code == 0
    data = bytearray(target.read_bytes())
    record = sr.read_sfx(target).by_name()["b.txt"]
    data[record.offset + 17 + 5 + 8 + 10] ^= 0x55  # inside its zlib stream
    target.write_bytes(data)
    for args in (["verify", target], ["extract", target, tmp_path / "x"]):
        r = cli.run(*args)
        assert r.code in (23, 160) and len(r.err_lines) == 1, r
        assert "record 2 'b.txt'" in r.err and cli.path(target) in r.err
    assert not (tmp_path / "x").exists()  # not even the folder extract made


@pytest.fixture(params=["wine", "native"])
def cli_user(request):
    """The tool run as an unprivileged user (root reads every file) and a
    folder of that user's."""
    if request.param == "wine":
        session = request.getfixturevalue("wine_user")
        return WineCli(session), session.scratch(), session.own
    user = harness.unprivileged_user() if os.geteuid() == 0 else None
    folder = Path(tempfile.mkdtemp(prefix="tw-cli-"))
    request.addfinalizer(lambda: shutil.rmtree(folder))

    def own(path):
        if user:
            for p in (path, *path.rglob("*")):
                shutil.chown(p, user, user)
        return path
    return NativeCli(native_program(), user), own(folder), own


def test_unreadable_source_file_fails_and_writes_nothing(cli_user):
    cli, folder, own = cli_user
    src = own(write_tree(folder / "src", {"a.txt": b"alpha", "secret.txt": b"secret"}))
    (src / "secret.txt").chmod(0)
    r = cli.run("build", src, folder / "t.exe")
    assert (r.code, len(r.err_lines)) == (1, 1), r
    assert cli.path(src / "secret.txt") + ": cannot be opened: access denied (code 5)" in r.err
    assert sorted(p.name for p in folder.iterdir()) == ["src"]


def test_full_disk_fails_and_keeps_the_previous_target(cli, tmp_path, small_disk):
    src = write_tree(tmp_path / "src", {"noise.bin": random_bytes(3 << 20, 11)})
    target = small_disk / "t.exe"
    target.write_bytes(b"earlier")
    r = cli.run("build", "--force", src, target)
    assert (r.code, len(r.err_lines)) == (1, 1), r
    assert cli.path(target) + ": cannot be written: the disk is full (code 112)" in r.err
    assert list(small_disk.iterdir()) == [target] and target.read_bytes() == b"earlier"


def reproducible_tree(root):
    """Korean and emoji names, hidden (a dot name, and Wine's hidden
    attribute) and read-only files, empty folders, a 20 MB file."""
    src = write_tree(root, {
        "자료": None, "자료/설명서.txt": "한글 내용\r\n".encode() * 300, "자료/빈 폴더": None,
        "🎉 파티.txt": b"emoji", ".hidden.txt": b"dot", "secret.txt": b"hidden by attribute",
        "readonly.txt": b"read-only", "empty": None, "Big.bin": random_bytes(20 << 20, 7),
    })
    os.setxattr(src / "secret.txt", "user.DOSATTRIB", b"0x2")
    (src / "readonly.txt").chmod(0o444)
    return src


def test_linux_and_windows_builds_are_byte_identical(wine, tmp_path):
    """The same tree built natively and by the Windows console program under
    Wine (same time zone, code page, run id) gives the same bytes; a second
    build, taking its run id from SOURCE_DATE_EPOCH, too; the Windows stub
    extracts the result as the source was."""
    src = reproducible_tree(tmp_path / "src")
    # A zone away from UTC: both systems take a file's DOS time in its present
    # offset, as FileTimeToLocalFileTime converts.
    zone = {"TZ": "Europe/Berlin"}
    offset = datetime.datetime.now(zoneinfo.ZoneInfo(zone["TZ"])).utcoffset()
    options = ["--codepage", "utf8", "--silent", "--custom-folder", "%TW_OUT%"]
    native, windows = NativeCli(native_program()), WineCli(wine)
    outputs = {}
    for name, cli, more, env in (("native", native, ["--run-id", "006553F100"], zone),
                                 ("wine", windows, ["--run-id", "006553f100"], zone),
                                 ("again", native, [], {**zone, "SOURCE_DATE_EPOCH": "1700000000"})):
        outputs[name] = tmp_path / f"{name}.exe"
        r = cli.run("build", *options, *more, src, outputs[name], env=env)
        assert (r.code, r.err) == (0, ""), (name, r)
    for name in ("wine", "again"):
        assert subprocess.run(["cmp", outputs["native"], outputs[name]]).returncode == 0, name
    c = sr.read_sfx(outputs["native"])
    assert c.header.run_id == "006553F100"
    sr.compare_with_source(c, src, "utf-8", tz=datetime.timezone(offset))

    out = tmp_path / "extracted"
    assert wine.run(outputs["wine"], env={"TW_OUT": wine.winpath(out), **zone}).returncode == 0
    assert subprocess.run(["diff", "-r", src, out]).returncode == 0
    assert (out / "readonly.txt").stat().st_mode & 0o222 == 0


def test_names_windows_cannot_hold_are_refused_all_listed(cli, tmp_path):
    src = write_tree(tmp_path / "src", {"ok.txt": b"ok", "inc": None, "inc/xt_MARK.h": b"1",
                                        "inc/xt_mark.h": b"2", "aux.c": b"3", "name.": b"4"})
    r = cli.run("build", src, tmp_path / "t.exe")
    assert (r.code, r.out) == (3, ""), r
    named = sorted(line.split(": ")[2] for line in r.err_lines)
    assert named == sorted(cli.path(src / n) for n in ("aux.c", "inc/xt_MARK.h", "inc/xt_mark.h", "name."))
    assert all("a name Windows cannot hold" in line for line in r.err_lines)
    if cli.name == "native":  # Wine shows a link as what it reaches
        for p in src.iterdir():
            if p.name != "ok.txt":
                shutil.rmtree(p) if p.is_dir() else p.unlink()
        (src / "elsewhere").symlink_to("/etc")
        r = cli.run("build", src, tmp_path / "t.exe")
        assert r.code == 3 and r.err == f"tarnwick-cli: error: {src / 'elsewhere'}: a link; links are not followed\n"
    assert not (tmp_path / "t.exe").exists()


def version_strings(path) -> dict:
    pe = pefile.PE(str(path))
    return {k.decode(): v.decode() for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
            for table in info.StringTable for k, v in table.entries.items()}


# A failed resource edit is a warning and the SFX file is written; with
# --strict an error, and nothing is written.
EDITS = [
    ("no icon", lambda t: ["--icon", t / "bad.ico"], 0, "warning: {bad}: the icon was not changed ("),
    ("strict", lambda t: ["--strict", "--icon", t / "bad.ico"], 1,
     "error: {bad}: the icon was not changed ("),
    ("no version", lambda t: ["--version-from", t / "bad.ico"], 0,
     "warning: {bad}: the version information was not copied ("),
    ("version of the maker", lambda t: ["--version-from", harness.build_root() / "win32/bin/tarnwick.exe"], 0,
     None),
]


@pytest.mark.parametrize("case", EDITS, ids=[c[0] for c in EDITS])
def test_failed_edits_warn_or_with_strict_fail(cli, tmp_path, case):
    _, options, code, words = case
    src = write_tree(tmp_path / "src", {"a.txt": b"alpha"})
    (tmp_path / "bad.ico").write_bytes(b"no icon at all")
    r = cli.run("build", *options(tmp_path), src, tmp_path / "t.exe")
    assert r.code == code, r
    if words is None:
        assert r.err == "" and version_strings(tmp_path / "t.exe")["FileDescription"] == "Tarnwick SFX maker"
        return
    assert len(r.err_lines) == 1 and words.format(bad=cli.path(tmp_path / "bad.ico")) in r.err, r.err
    assert (tmp_path / "t.exe").exists() == (code == 0)


def test_a_signed_sfx_file_lists_its_certificate_table_and_stays_sound(cli, tmp_path):
    src = write_tree(tmp_path / "src", {"a.txt": b"alpha"})
    sfx, signed, key, cert = (tmp_path / n for n in ("t.exe", "signed.exe", "key.pem", "cert.pem"))
    assert cli.run("build", src, sfx).code == 0
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=Tarnwick test"], check=True, capture_output=True)
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", sfx, "-out", signed],
                   check=True, capture_output=True)
    assert [json.loads(cli.run("list", "--json", f).out)["certificate_table"] for f in (sfx, signed)] == [
        False, True]
    assert cli.run("verify", signed).code == 0
