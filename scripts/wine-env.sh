# Sourced by the scripts that run the Windows programs under Wine.
# Chooses the build to run: win32 (i686, the shipped programs) when this host
# can execute 32-bit code, win64 otherwise (a kernel without IA-32
# emulation cannot run 32-bit Wine). TW_TEST_ARCH=win32|win64 forces one.
tw_here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tw_root=${TW_BUILD_ROOT:-$tw_here/build}

tw_host_runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

if [ -n "${TW_TEST_ARCH:-}" ]; then
  TW_ARCH=$TW_TEST_ARCH
elif tw_host_runs_32bit; then
  TW_ARCH=win32
else
  TW_ARCH=win64
fi
if [ "$TW_ARCH" = win32 ]; then TW_WINE=/usr/lib/wine/wine; else TW_WINE=/usr/lib/wine/wine64; fi
TW_BIN=$tw_root/$TW_ARCH/bin
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH=${TW_LOCALE_DIR:-$tw_root/locale}

# Runs a Windows program the way the tool's users do: with code page 949.
tw_wine() {
  LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 "$TW_WINE" "$@"
}

tw_xvfb_pid=
# Starts a private X display unless one is given.
tw_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  tw_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

# Creates the Wine prefix once; starts its server for quick program starts.
tw_start_wine() {
  export WINEPREFIX=${WINEPREFIX:-$tw_root/wineprefix-$TW_ARCH}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once)..."
    tw_wine wineboot -i >/dev/null 2>&1
  fi
  # Fails harmlessly when the server of the boot above still runs.
  /usr/lib/wine/wineserver -p 2>/dev/null || true
}

tw_stop() {
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  [ -n "$tw_xvfb_pid" ] && kill "$tw_xvfb_pid" 2>/dev/null || true
}

# Unix path -> Windows path through Wine's Z: drive.
tw_winpath() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}
