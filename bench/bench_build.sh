#!/usr/bin/env bash
# Build throughput of the maker against gzip -9 and pigz -9 -p 2 on the same
# bytes, output size ratios, and the maker's peak memory (VmHWM of the Wine
# process that runs tarnwick.exe) for the mixed folder and for one 1 GB file.
#
#   bench/bench_build.sh            # ~475 MB folder + 1 GB file
#   BENCH_SCALE=0.2 BENCH_SINGLE_MB=200 bench/bench_build.sh   # a quick run
#
# Uses its own Wine prefix, wineserver and Xvfb display and removes every
# file it made. TW_BUILD_ROOT as for scripts/build.sh; the win64 build is run
# (this host's Wine runs 64-bit programs; the i686 build when TW_TEST_ARCH=win32).
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
scale=${BENCH_SCALE:-1}
single_mb=${BENCH_SINGLE_MB:-1024}

# Runs the maker headless; prints "seconds peak_kB" (peak: VmHWM of the
# process running tarnwick.exe, sampled until it ends).
build() {  # source target
  local start end pid peak=0 hwm
  start=$(now)
  "${wine_env[@]}" "$wine" "$maker" -h -c -o "$(winpath "$1")" "$(winpath "$2")" </dev/null >/dev/null 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
    sleep 0.2
  done
  local code=0
  wait "$pid" || code=$?
  end=$(now)
  [ "$code" -eq 0 ] || { echo "the maker failed with exit code $code" >&2; return 1; }
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }') $peak"
}

# The same bytes for gzip and pigz: every file of the folder, concatenated.
stream() { find "$1" -type f -print0 | sort -z | xargs -0 cat; }

timed_compress() {  # folder command... -> "seconds output_bytes"
  local folder=$1 start end out
  shift
  stream "$folder" >/dev/null  # warm the page cache for both sides alike
  start=$(now)
  out=$(stream "$folder" | "$@" | wc -c)
  end=$(now)
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }') $out"
}

echo "== Tarnwick build benchmark ($(basename "$(dirname "$(dirname "$maker")")"), $(nproc) cores)"
echo "generating the mixed folder (scale $scale)..."
input=$(python3 "$here/bench/make_corpus.py" "$work/src" --scale "$scale")
files=$(find "$work/src" -type f | wc -l)
echo "input: $(mb "$input") MB in $files files"

stream "$work/src" >/dev/null
result=$(build "$work/src" "$work/out/mixed.exe")
read -r secs peak <<<"$result"
sfx=$(stat -c %s "$work/out/mixed.exe")
printf '%-22s %8s MB/s  %8s s  ratio %s  peak %s MB\n' "tarnwick (level 9)" \
  "$(rate "$input" "$secs")" "$(printf %.1f "$secs")" "$(ratio "$sfx" "$input")" "$(mb $((peak * 1024)))"
if [ "${BENCH_VERIFY:-1}" = 1 ]; then  # read back with the tests' reader
  PYTHONPATH=$here/tests/e2e python3 -c '
import sys, sfxreader
sfxreader.compare_with_source(sfxreader.read_sfx(sys.argv[1]), sys.argv[2], "cp949")
' "$work/out/mixed.exe" "$work/src" || { echo "the SFX file does not match its source" >&2; exit 1; }
  echo "verified: the SFX file holds the folder byte for byte"
fi
rm -f "$work/out/mixed.exe"

result=$(timed_compress "$work/src" gzip -9 -c)
read -r secs out <<<"$result"
printf '%-22s %8s MB/s  %8s s  ratio %s\n' "gzip -9" "$(rate "$input" "$secs")" \
  "$(printf %.1f "$secs")" "$(ratio "$out" "$input")"
if command -v pigz >/dev/null; then
  result=$(timed_compress "$work/src" pigz -9 -p 2 -c)
  read -r secs out <<<"$result"
  printf '%-22s %8s MB/s  %8s s  ratio %s\n' "pigz -9 -p 2" "$(rate "$input" "$secs")" \
    "$(printf %.1f "$secs")" "$(ratio "$out" "$input")"
fi
rm -rf "$work/src"

echo "generating one file of $single_mb MB..."
python3 "$here/bench/make_corpus.py" "$work/one/big.bin" --single "$single_mb" >/dev/null
result=$(build "$work/one" "$work/out/one.exe")
read -r secs peak <<<"$result"
sfx=$(stat -c %s "$work/out/one.exe")
printf '%-22s %8s MB/s  %8s s  ratio %s  peak %s MB\n' "tarnwick, 1 file" \
  "$(rate $((single_mb * 1048576)) "$secs")" "$(printf %.1f "$secs")" \
  "$(ratio "$sfx" $((single_mb * 1048576)))" "$(mb $((peak * 1024)))"
