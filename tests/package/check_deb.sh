#!/usr/bin/env bash
# The Debian package of the native console tool: made by cpack, looked at
# with dpkg-deb, installed with dpkg -i into a throwaway root (its
# dependencies are the machine's own, so they are not installed there), run
# from there, and removed again.
#   check_deb.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
deb=$(echo "$work"/tarnwick-cli_*.deb)
fail() { echo "check_deb: $*" >&2; exit 1; }

info=$(dpkg-deb --info "$deb")
grep -qx " Package: tarnwick-cli" <<<"$info" || fail "no package name in: $info"
grep -qx " Version: $version" <<<"$info" || fail "not version $version: $info"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for lib in libc6 libstdc++6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "$lib missing from the dependencies: $depends"
done
contents=$(dpkg-deb --contents "$deb")
grep -q " \./usr/bin/tarnwick-cli$" <<<"$contents" || fail "no /usr/bin/tarnwick-cli in: $contents"

root=$work/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --log=/dev/null --force-depends --force-not-root -i "$deb" >/dev/null
[ "$("$root/usr/bin/tarnwick-cli" --version)" = "tarnwick-cli $version" ] || fail "--version of the installed program"
dpkg --root="$root" --log=/dev/null --force-depends --force-not-root -r tarnwick-cli >/dev/null
[ ! -e "$root/usr/bin/tarnwick-cli" ] || fail "still installed after dpkg -r"
echo "check_deb: $(basename "$deb"), depends on $depends"
