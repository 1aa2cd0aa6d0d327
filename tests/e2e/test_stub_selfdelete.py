"""Self-destruct mode: after a good run the stub starts the self-delete
helper, which removes the SFX file; after a failed run it does not."""
import time


import sfxcraft as sc
from test_stub_run import pending_renames, run_entries


def helper_entry(wine):
    return sc.Entry(b"xsfxdel~.exe", wine.exe("tarnwick_selfdelete.exe").read_bytes(),
                    kind=sc.KIND_HELPER, dos_time=0, attributes=0)


def temp_folder(wine):
    done = wine.run("cmd", ["/c", "echo %TEMP%"])
    return wine.unixpath(done.stdout.decode().strip())


def wait_gone(path, seconds=120):
    deadline = time.monotonic() + seconds
    while path.exists() and time.monotonic() < deadline:
        time.sleep(0.2)
    return not path.exists()


def test_self_destruct_after_a_good_run(wine, stub, argdump, tmp_path):
    out = tmp_path / "out"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=0, self_delete=1)
    entries = [helper_entry(wine)] + run_entries(argdump)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, entries)
    done = wine.run(sfx, env={"ARGDUMP_OUT": wine.winpath(tmp_path / "d"), "ARGDUMP_EXIT": "3"})
    assert done.returncode == 3  # the program's code; the run itself went well
    assert wait_gone(sfx)
    assert not out.exists()
    # The helper went to the temporary folder, not into the extraction folder,
    # and is marked for removal at the restart.
    helper = temp_folder(wine) / "xsfxdel~.exe"
    assert helper.exists()
    assert wine.winpath(helper).lower() in pending_renames(wine)


def test_no_self_destruct_after_a_failed_run(wine, stub, argdump, tmp_path):
    out = tmp_path / "out"
    options = sc.into(wine, out, extraction_mode=1, delete_mode=0, self_delete=1)
    entries = [helper_entry(wine)] + run_entries(argdump) + [sc.Entry(b"x", b"y", bend_checksum=5)]
    sfx = sc.write(tmp_path / "setup.exe", stub, options, entries)
    assert wine.run(sfx, timeout=30).returncode == 23
    time.sleep(3)  # the helper, were it started, deletes within moments
    assert sfx.exists()
    assert not out.exists()


def test_self_destruct_in_extract_only_mode(wine, stub, tmp_path):
    out = tmp_path / "out"
    options = sc.into(wine, out, self_delete=1)
    sfx = sc.write(tmp_path / "setup.exe", stub, options, [helper_entry(wine), sc.Entry(b"a.txt", b"a")])
    assert wine.run(sfx).returncode == 0
    assert wait_gone(sfx)
    assert sc.tree(out) == {"a.txt": b"a"}  # the helper is not among them


def test_self_destruct_through_the_maker(wine, tmp_path):
    source = tmp_path / "app"
    source.mkdir()
    (source / "argdump.exe").write_bytes(wine.exe("argdump.exe").read_bytes())
    target = tmp_path / "setup.exe"
    out = tmp_path / "out"
    args = ["-h", "-c", "-o", "-mf", "-fm", "-s", "-d", source, target,
            wine.winpath(source / "argdump.exe"), wine.winpath(out) + "\\"]
    assert wine.run(wine.exe("tarnwick.exe"), args, timeout=180).returncode == 0
    done = wine.run(target, env={"ARGDUMP_OUT": wine.winpath(tmp_path / "d")})
    assert done.returncode == 0
    assert wait_gone(target)
    assert not out.exists()


def test_helper_left_from_an_earlier_run_is_replaced_without_asking(wine, stub, tmp_path):
    helper = temp_folder(wine) / "xsfxdel~.exe"
    helper.write_bytes(b"stale")
    out = tmp_path / "out"
    options = sc.into(wine, out, self_delete=1, overwrite_mode=0)  # ask about existing files
    sfx = sc.write(tmp_path / "setup.exe", stub, options, [helper_entry(wine), sc.Entry(b"a.txt", b"a")])
    proc = wine.start(sfx)
    seen = wine.auto("none", "--class", "#32770", "--timeout", "2500")
    assert seen.get("none", True), seen
    assert wine.wait(proc, 30) == 0
    assert wait_gone(sfx)
    assert helper.read_bytes() == wine.exe("tarnwick_selfdelete.exe").read_bytes()
