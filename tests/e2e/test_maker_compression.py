"""The maker's compression under Wine: its Win32 worker threads write the same
bytes whatever their number, and both engines (TARNWICK_ENGINE) write chunks
that Python's zlib reads back."""

import sfxreader as sr
from sample_trees import EXIT_BUILT, random_bytes, run_maker, text_bytes, write_tree


def test_same_bytes_at_any_thread_count_and_both_engines_read_back(wine, tmp_path):
    entries = {f"small/f{i:03d}.txt": text_bytes(i * 97, seed=i) for i in range(150)}
    entries["big.bin"] = text_bytes(sr.CHUNK_RAW_MAX, seed=7) + random_bytes(sr.CHUNK_RAW_MAX + 1)
    entries["tail/z.txt"] = text_bytes(5000)
    src = write_tree(tmp_path / "src", entries)
    built = {}
    for engine, threads in [("libdeflate", 1), ("libdeflate", 2), ("libdeflate", 4), ("zlib", 2)]:
        target = tmp_path / f"{engine}-{threads}.exe"
        settings = {"TARNWICK_ENGINE": engine, "TARNWICK_THREADS": str(threads)}
        assert run_maker(wine, src, target, env=settings) == EXIT_BUILT
        c = sr.read_sfx(target)  # inflates every chunk with Python's zlib
        assert [n for n, _ in c.by_name()["big.bin"].chunks] == [sr.CHUNK_RAW_MAX] * 2 + [1]
        data = bytearray(target.read_bytes())
        run_id = c.header_offset + 2311  # the one random field
        data[run_id:run_id + 10] = bytes(10)
        built[engine, threads] = bytes(data)
        if threads == 2:
            sr.compare_with_source(c, src)
    assert built["libdeflate", 1] == built["libdeflate", 2] == built["libdeflate", 4]
    # The setting reaches the maker: zlib's streams are other bytes.
    assert built["zlib", 2] != built["libdeflate", 2]
