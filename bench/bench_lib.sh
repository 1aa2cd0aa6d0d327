# Shared by the benchmark scripts: picks the build to run, makes a private
# Wine prefix, wineserver and Xvfb display in a temporary folder, and removes
# all of it when the script ends. Sourced; sets here, root, arch, maker,
# wine, work and wine_env.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${TW_BUILD_ROOT:-$here/build}
arch=${TW_TEST_ARCH:-win64}
maker=$root/$arch/bin/tarnwick.exe
if [ "$arch" = win32 ]; then wine=/usr/lib/wine/wine; else wine=/usr/lib/wine/wine64; fi
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
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
rate() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / 1048576 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

