#!/usr/bin/env bash
# What one extraction of the benchmark corpus costs Wine's file system alone:
# bench/file_floor.cpp makes the same folders and files writing zeros, once
# with only the calls any extractor must make (create new, write, close) and
# once with the calls the stub made per file before it extracted in one pass
# (create under a temporary name, write, set the time, rename, set the
# attributes); the SFX file of the same corpus then extracts it for real.
# All under the same Wine, one after the other, to the same kind of folder
# (BENCH_DISK, default /tmp).
#   bench/wine_floor.sh            BENCH_SCALE as for bench.py
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
"$here/scripts/build.sh" "$TW_ARCH" >/dev/null
work=$(mktemp -d "${BENCH_DISK:-/tmp}/tw-floor.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=win64
mkdir -p "$WINEPREFIX"
server=
# The prefix's own server runs in the foreground: it is ended by its PID.
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; tw_stop_display; rm -rf "$work"' EXIT
tw_stop_display() { [ -n "$tw_xvfb_pid" ] && kill "$tw_xvfb_pid" 2>/dev/null || true; }
cc=i686-w64-mingw32-g++
[ "$TW_ARCH" = win64 ] && cc=x86_64-w64-mingw32-g++
$cc -O2 -municode -static -o "$work/file_floor.exe" "$here/bench/file_floor.cpp"
python3 "$here/bench/make_corpus.py" "$work/src" --scale "${BENCH_SCALE:-1}" >/dev/null
(cd "$work/src" && find . -mindepth 1 -type d -printf 'D\t%P\n' | sort &&
 find . -type f -printf 'F\t%s\t%P\n') | sed 's|/|\\|g' > "$work/manifest.txt"
tw_start_display
/usr/lib/wine/wineserver64 -f -p >/dev/null 2>&1 &
server=$!
tw_wine wineboot -i >/dev/null 2>&1 </dev/null
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
timed "minimal floor (create new, write zeros, close) s:" \
  tw_wine "$work/file_floor.exe" "$(tw_winpath "$work/manifest.txt")" "$(tw_winpath "$work/x-min")" minimal
timed "old stub's floor (temporary name, write zeros, time, rename, attributes) s:" \
  tw_wine "$work/file_floor.exe" "$(tw_winpath "$work/manifest.txt")" "$(tw_winpath "$work/x-old")" old-stub
timed "SFX file (silent) s:" tw_wine "$work/s.exe"
diff -r "$work/src" "$work/x-sfx" >/dev/null && echo "the SFX extraction equals the source"
