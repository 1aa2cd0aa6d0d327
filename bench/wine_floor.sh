#!/usr/bin/env bash
# What one extraction of the benchmark corpus costs Wine's file system alone:
# bench/file_floor.cpp makes the same folders and files with the calls the
# stub makes per entry, writing zeros; the SFX file of the same corpus then
# extracts it for real. Both under the same Wine, one after the other, to
# the same kind of folder (BENCH_DISK, default /tmp).
#   bench/wine_floor.sh            BENCH_SCALE as for bench.py
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
"$here/scripts/build.sh" "$TW_ARCH" >/dev/null
work=$(mktemp -d "${BENCH_DISK:-/tmp}/tw-floor.XXXXXX")
export WINEPREFIX=$work/prefix
trap 'tw_stop; rm -rf "$work"' EXIT
cc=i686-w64-mingw32-g++
[ "$TW_ARCH" = win64 ] && cc=x86_64-w64-mingw32-g++
$cc -O2 -municode -static -o "$work/file_floor.exe" "$here/bench/file_floor.cpp"
python3 "$here/bench/make_corpus.py" "$work/src" --scale "${BENCH_SCALE:-1}" >/dev/null
(cd "$work/src" && find . -mindepth 1 -type d -printf 'D\t%P\n' | sort &&
 find . -type f -printf 'F\t%s\t%P\n') | sed 's|/|\\|g' > "$work/manifest.txt"
tw_start_display
tw_start_wine
tw_wine "$TW_BIN/tarnwick.exe" -h -c -o -s -fm "$(tw_winpath "$work/src")" \
  "$(tw_winpath "$work/s.exe")" "$(tw_winpath "$work/x-sfx")"
timed() {  # label command...
  local start end
  start=$(date +%s.%N)
  "${@:2}"
  end=$(date +%s.%N)
  echo "$1 $(echo "$end - $start" | bc)"
}
files=$(grep -c '^F' "$work/manifest.txt")
echo "entries: $(wc -l < "$work/manifest.txt") ($files files)"
timed "floor (create, write zeros, time, rename, attributes) s:" \
  tw_wine "$work/file_floor.exe" "$(tw_winpath "$work/manifest.txt")" "$(tw_winpath "$work/x-floor")"
timed "SFX file (silent) s:" tw_wine "$work/s.exe"
diff -r "$work/src" "$work/x-sfx" >/dev/null && echo "the SFX extraction equals the source"
