#!/usr/bin/env bash
# Build throughput of the maker against gzip -9 and pigz -9 -p 2 on the same
# bytes, output size ratios, and the maker's peak memory (VmHWM of the Wine
# process that runs tarnwick.exe) for the mixed folder and for one 1 GB file.
#
#   bench/bench_build.sh            # ~330 MB folder + 1 GB file
#   BENCH_SCALE=0.2 BENCH_SINGLE_MB=200 bench/bench_build.sh   # a quick run
#
# Uses its own Wine prefix, wineserver and Xvfb display and removes every
# file it made. TW_BUILD_ROOT as for scripts/build.sh; the win64 build is run
# (this host's Wine runs 64-bit programs; the i686 build when TW_TEST_ARCH=win32).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${TW_BUILD_ROOT:-$here/build}
arch=${TW_TEST_ARCH:-win64}
maker=$root/$arch/bin/tarnwick.exe
if [ "$arch" = win32 ]; then wine=/usr/lib/wine/wine; else wine=/usr/lib/wine/wine64; fi
scale=${BENCH_SCALE:-1}
single_mb=${BENCH_SINGLE_MB:-1024}
[ -f "$maker" ] || { echo "no $maker: run scripts/build.sh $arch" >&2; exit 2; }

work=$(mktemp -d /tmp/tw-bench.XXXXXX)
xvfb_pid=
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then
    WINEPREFIX=$work/prefix /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    wait "$server_pid" 2>/dev/null || true
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine runs with the Korean locale (ANSI code page 949), as the tool's users do.
locales=${TW_LOCALE_DIR:-$here/build/locale}
[ -f "$locales/ko_KR.UTF-8/LC_CTYPE" ] || { mkdir -p "$locales"; localedef -i ko_KR -f UTF-8 "$locales/ko_KR.UTF-8"; }
wine_env=(env LOCPATH="$locales" LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8)

# Private display: Xvfb picks a free number and reports it through a fifo.
fifo=$work/display
mkfifo "$fifo"
Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display_number < "$fifo"
export DISPLAY=:$display_number

/usr/lib/wine/wineserver -f -p >/dev/null 2>&1 &
server_pid=$!
"${wine_env[@]}" "$wine" wineboot -i >"$work/wineboot.log" 2>&1 </dev/null

now() { date +%s.%N; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
rate() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / 1048576 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

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

winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

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
