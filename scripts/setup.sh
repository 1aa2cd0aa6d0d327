#!/usr/bin/env bash
# Prepares a Debian bookworm machine for building and testing: installs the
# packages that are missing and generates the two private locales the Wine
# tests run under (ko_KR.UTF-8 for ANSI code page 949, en_US.UTF-8 for 1252).
# Safe to run again: prints nothing when everything is already there.
#   TW_LOCALE_DIR  where the locales go (default: <repo>/build/locale)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
locale_dir=${TW_LOCALE_DIR:-$here/build/locale}

packages=(
  cmake ninja-build g++ libgtest-dev zlib1g-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 wine32:i386
  xvfb xauth x11-utils fonts-nanum locales
  python3-pytest python3-pefile python3-fusepy xdotool pigz imagemagick osslsigncode openssl
  clang libclang-rt-14-dev dpkg-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {  # package[:arch]
  local status
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null) || return 1
  [ "${status:0:2}" = "ii" ]
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  echo "setup: installing ${missing[*]:-(package lists only)}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    as_root env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# Private locales: no change to the system's locale set-up is needed; the
# tests point LOCPATH at this folder.
for loc in ko_KR en_US; do
  if [ ! -f "$locale_dir/$loc.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$locale_dir"
    localedef -i "$loc" -f UTF-8 "$locale_dir/$loc.UTF-8"
  fi
done

# The unprivileged user the Wine tests about read-only files run as (Wine
# run by root writes over read-only files): no home, no login shell, no sudo.
test_user=${TW_TEST_USER:-tarnwick-test}
if ! id -u "$test_user" >/dev/null 2>&1; then
  as_root useradd --system --no-create-home --shell /usr/sbin/nologin "$test_user"
fi

# libdeflate's source, cross-built by our CMake (Debian has no MinGW build).
"$here/scripts/fetch-libdeflate.sh"
