#!/usr/bin/env bash
# Builds what is missing: the Windows programs, the native unit tests and
# the native console tool.
#   build/native   portable code + GoogleTest unit tests + tarnwick-cli for
#                  Linux, which carries the win32 build's stub and helper (so
#                  those are built first)
#   build/win32    the shipped programs, i686 (32-bit Windows)
#   build/win64    the same sources for x86_64, run under Wine on hosts that
#                  cannot execute 32-bit code
# TW_BUILD_ROOT moves the build folders elsewhere (default: <repo>/build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${TW_BUILD_ROOT:-$here/build}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

configure() {  # dir [cmake args...] [--target targets...]
  local dir=$1 args=() targets=(); shift
  while [ $# -gt 0 ] && [ "$1" != --target ]; do args+=("$1"); shift; done
  [ $# -gt 0 ] && targets=("$@")
  if [ ! -f "$dir/build.ninja" ] && [ ! -f "$dir/Makefile" ]; then
    cmake -S "$here" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release "${args[@]}" >/dev/null
  fi
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

what=${1:-all}
case $what in
  win32|all)  configure "$root/win32" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.toolchain.cmake" ;;&
  native)     configure "$root/win32" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.toolchain.cmake" \
                --target tarnwick_stub tarnwick_selfdelete ;;&
  native|all) configure "$root/native" ;;&
  win64|all)  configure "$root/win64" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-x86_64.toolchain.cmake" ;;&
  native|win32|win64|all) ;;
  *) echo "usage: $0 [all|native|win32|win64]" >&2; exit 2 ;;
esac
