"""Run mode of the stub: the program gets the stored parameters and the SFX
file's own arguments exactly, starts in the chosen working folder, its exit
code becomes the SFX file's, and the clean-up follows the delete mode."""

import pytest

import sfxcraft as sc

ARGS_WITH_TRAPS = ["plain", "with blank", 'a "quoted" word', "ends in backslash\\", "\\\\server\\x\\", ""]


def read_dump(path):
    fields = path.read_bytes().split(b"\0")[:-1]
    text = [f.decode("utf-8") for f in fields]
    return {"command_line": text[0], "cwd": text[1], "args": text[2:]}


def run_entries(argdump, run_name=b"bin\\argdump.exe"):
    return [sc.folder(b"bin"), sc.Entry(run_name, argdump, kind=sc.KIND_RUN_FILE),
            sc.folder(b"empty"), sc.Entry(b"data.txt", b"some data"),
            sc.Entry(b"bin\\lib.dat", b"library")]


def test_arguments_arrive_exactly_and_the_exit_code_comes_back(wine, stub, argdump, tmp_path):
    out = tmp_path / "out"
    dump = tmp_path / "dump.bin"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=0,
                      parameters='--stored "two words" 한글'.encode("cp949"))
    sfx = sc.write(tmp_path / "setup.exe", stub, options, run_entries(argdump))
    done = wine.run(sfx, ARGS_WITH_TRAPS,
                    env={"ARGDUMP_OUT": wine.winpath(dump), "ARGDUMP_EXIT": "70007"})
    assert done.returncode == 70007
    got = read_dump(dump)
    assert got["args"] == ["--stored", "two words", "한글", *ARGS_WITH_TRAPS]
    # The stored text comes first as it is; each own argument is quoted.
    assert '--stored "two words" 한글 "plain" "with blank"' in got["command_line"]
    # Delete mode 0: everything extracted and every folder created is gone.
    assert not out.exists()


@pytest.mark.parametrize("mode", [0, 1, 2])
def test_working_folder(wine, stub, argdump, tmp_path, mode):
    out = tmp_path / "out"
    dump = tmp_path / "dump.bin"
    elsewhere = tmp_path / "current"
    elsewhere.mkdir()
    options = sc.into(wine, out, extraction_mode=1, delete_mode=2, working_folder=mode)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, run_entries(argdump))
    done = wine.run(sfx, cwd=elsewhere, env={"ARGDUMP_OUT": wine.winpath(dump)})
    assert done.returncode == 0
    expected = {0: out / "bin", 1: tmp_path, 2: elsewhere}[mode]
    assert read_dump(dump)["cwd"].lower() == wine.winpath(expected).lower()


def test_delete_mode_0_keeps_a_folder_the_program_wrote_into(wine, stub, argdump, tmp_path):
    out = tmp_path / "deep" / "out"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=0)
    entries = run_entries(argdump) + [sc.folder(b"a"), sc.folder(b"a\\b"),
                                      sc.Entry(b"a\\b\\c.txt", b"c", attributes=sc.ATTR_READONLY)]
    sfx = sc.write(tmp_path / "setup.exe", stub, options, entries)
    assert wine.run(sfx).returncode == 0
    # argdump wrote argdump.out beside itself: that folder and its parents
    # stay, everything else the stub made is gone (the parents it created
    # for the extraction folder included).
    assert sc.tree(tmp_path / "deep") == {"out": None, "out/bin": None,
                                          "out/bin/argdump.out": (out / "bin" / "argdump.out").read_bytes()}


@pytest.mark.parametrize("overwrite_mode, kept", [(2, b"the user's own"), (1, b"some data")])
def test_pre_existing_files_are_not_removed(wine, stub, argdump, tmp_path, overwrite_mode, kept):
    out = tmp_path / "out"
    out.mkdir()
    (out / "data.txt").write_bytes(b"the user's own")
    (out / "mine.txt").write_bytes(b"unrelated")
    dump = tmp_path / "dump.bin"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=0, overwrite_mode=overwrite_mode)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, run_entries(argdump))
    assert wine.run(sfx, env={"ARGDUMP_OUT": wine.winpath(dump)}).returncode == 0
    # Skipped or replaced, the user's file was there before: not the stub's
    # to delete (a replaced one keeps its new content); the folder existed
    # before.
    assert sc.tree(out) == {"data.txt": kept, "mine.txt": b"unrelated"}


def pending_renames(wine) -> list:
    """Paths marked for deletion at the restart, in the order marked."""
    done = wine.run("reg", ["query", r"HKLM\System\CurrentControlSet\Control\Session Manager",
                            "/v", "PendingFileRenameOperations"])
    if done.returncode != 0:
        return []
    text = done.stdout.decode("utf-8", "replace").split("REG_MULTI_SZ", 1)[1].strip()
    # Pairs of (\??\source, empty target), shown joined by a literal "\0".
    return [p[4:].lower() for p in text.split("\\0") if p.startswith("\\??\\")]


def test_delete_mode_1_marks_everything_for_the_restart(wine, stub, argdump, tmp_path):
    out = tmp_path / "marked_out"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=1)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, run_entries(argdump))
    before = sc.tree(out)
    assert wine.run(sfx, env={"ARGDUMP_OUT": wine.winpath(tmp_path / "d")}).returncode == 0
    after = sc.tree(out)
    assert before == {} and set(after) == {"bin", "bin/argdump.exe", "bin/lib.dat", "data.txt", "empty"}
    base = wine.winpath(out).lower()
    pending = [p for p in pending_renames(wine) if p.startswith(base)]
    files = [base + "\\" + rel for rel in ("bin\\argdump.exe", "data.txt", "bin\\lib.dat")]
    assert pending[:3] == files  # in record order, before any folder
    # Then the folders, last created first; the extraction folder at the end.
    folders = pending[3:]
    assert folders[:2] == [base + "\\empty", base + "\\bin"]
    assert folders[-1] == base and set(folders) == {base, base + "\\empty", base + "\\bin"}


def test_delete_mode_2_keeps_everything(wine, stub, argdump, tmp_path):
    out = tmp_path / "out"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=2)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, run_entries(argdump))
    assert wine.run(sfx, env={"ARGDUMP_OUT": wine.winpath(tmp_path / "d")}).returncode == 0
    assert set(sc.tree(out)) == {"bin", "bin/argdump.exe", "bin/lib.dat", "data.txt", "empty"}


def test_run_mode_without_a_run_record(wine, stub, tmp_path):
    out = tmp_path / "out"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=0)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, [sc.folder(b"d"), sc.Entry(b"d\\x.txt", b"x")])
    assert wine.run(sfx, timeout=30).returncode == 87
    assert not out.exists()  # run mode cleans up after a failure too


def test_damage_in_run_mode_removes_what_was_extracted(wine, stub, argdump, tmp_path):
    out = tmp_path / "out"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=0)
    entries = run_entries(argdump) + [sc.Entry(b"late.txt", b"late " * 50,
                                               bend_stream=sc.flip_first_stream_byte)]
    sfx = sc.write(tmp_path / "setup.exe", stub, options, entries)
    assert wine.run(sfx, timeout=30).returncode == 23
    assert not out.exists()
    assert not (tmp_path / "d").exists()  # the program never ran
