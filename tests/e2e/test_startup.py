"""Start-up of the maker under Wine: the carried-resource check and the
headless exits that need no build."""
import pytest

DAMAGED = "내부 오류\r\n프로그램이 손상되었습니다"


def box_text(box):
    return "".join(c["text"] for c in box["controls"] if c["id"] == 65535)


def buttons(box):
    return {c["id"] for c in box["controls"] if c["class"].lower() == "button" and c["visible"]}


@pytest.mark.parametrize("variant", ["tarnwick_nostub.exe", "tarnwick_emptystub.exe"])
def test_missing_or_empty_stub_resource_is_reported_and_ends(wine, tmp_path, variant):
    # Enough parameters for a build: the check must come first and stop it.
    target = tmp_path / "out.exe"
    proc = wine.start(wine.exe(variant), ["-h", wine.winpath(tmp_path), wine.winpath(target)])
    box = wine.auto("press", "--class", "#32770", "--title", "오류", "--timeout", "15000",
                    "--button", "ok")
    assert box_text(box) == DAMAGED
    assert buttons(box) == {1}
    assert wine.wait(proc, 30) == 0
    assert not target.exists()


@pytest.mark.parametrize("args", [
    ["-h", "C:\\only-source"],
    ["-h", "-mf", "C:\\src", "C:\\out.exe"],           # -mf needs the executable too
    ["/H", "-ic", "-fm", "C:\\src", "C:\\out.exe", "C:\\x.ico"],  # and -fm its folder
])
def test_headless_with_too_few_positionals_ends_silently_with_2(wine, args):
    proc = wine.start(wine.exe("tarnwick.exe"), args)
    wine.auto("none", "--class", "#32770", "--timeout", "1500")
    assert wine.wait(proc, 30) == 2

