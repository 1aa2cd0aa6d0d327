#!/usr/bin/env bash
# Fetches Debian's source package of libdeflate, the maker's compression
# engine, and unpacks it for the CMake build (cmake/libdeflate.cmake). Debian
# ships no MinGW build of it, so we cross-build its sources ourselves.
#
# The package tool does the fetch: a private sources list (the machine's
# configured archive, turned into deb-src entries) and a private lists
# folder, so the system's own apt state is left alone. apt-get checks the
# signed index and the hashes of every file it downloads.
#   TW_DEPS_DIR   where the source goes (default: <repo>/build/deps)
# Safe to run again: does nothing when the source is already unpacked.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps=${TW_DEPS_DIR:-$here/build/deps}
dest=$deps/libdeflate
[ -f "$dest/lib/deflate_compress.c" ] && exit 0

apt_dir=$deps/apt
rm -rf "$apt_dir" "$dest"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.list.d" "$deps/download"

# deb-src twins of the configured archive: deb822 files and one-line lists.
shopt -s nullglob
for f in /etc/apt/sources.list.d/*.sources; do
  sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done

apt_opts=(
  -q -o Dir::Etc::SourceList=/dev/null
  -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
  -o Dir::State::Lists="$apt_dir/lists"
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o APT::Sandbox::User=root
)
echo "setup: fetching the Debian source package of libdeflate"
apt-get "${apt_opts[@]}" update >"$apt_dir/update.log" 2>&1 ||
  { cat "$apt_dir/update.log" >&2; echo "setup: apt-get update of the source lists failed" >&2; exit 1; }
(cd "$deps/download" && apt-get "${apt_opts[@]}" source --download-only libdeflate)
dsc=$(ls "$deps"/download/libdeflate_*.dsc | head -1)
# dpkg-source checks the files against the hashes of the .dsc.
dpkg-source -x "$dsc" "$dest.tmp" >"$deps/unpack.log" 2>&1 ||
  { cat "$deps/unpack.log" >&2; echo "setup: unpacking libdeflate failed" >&2; exit 1; }
rm -f "$deps"/libdeflate_*.orig.tar.*
mv "$dest.tmp" "$dest"
rm -rf "$apt_dir"
