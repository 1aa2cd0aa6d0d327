#!/usr/bin/env bash
# The main job. Sets up what is missing, builds, then:
#   ./run.sh              packs the bundled sample folder into an SFX file,
#                         runs that file silently under Wine and checks that
#                         the extracted files equal the sample;
#   ./run.sh ARGS...      runs the maker (tarnwick.exe) under Wine with ARGS
#                         and ends with its exit code.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh"
source "$here/scripts/wine-env.sh"
"$here/scripts/build.sh" "$TW_ARCH" >/dev/null
trap tw_stop EXIT
tw_start_display
tw_start_wine

if [ $# -gt 0 ]; then
  set +e
  tw_wine "$TW_BIN/tarnwick.exe" "$@"
  rc=$?
  echo "tarnwick.exe ended with exit code $rc"
  exit $rc
fi

work=$tw_root/sample
source_dir=$work/app
target=$work/out/sample-setup.exe
extracted=$work/extracted
rm -rf "$work"
mkdir -p "$work/out"
cp -r "$here/sample/app" "$source_dir"
# What git cannot hold: an empty folder and a hidden file.
mkdir -p "$source_dir/data/cache"
tw_wine cmd /c attrib +h "$(tw_winpath "$source_dir/data/settings.ini")" >/dev/null

echo "Packing $source_dir"
set +e
tw_wine "$TW_BIN/tarnwick.exe" -h -c -o -s -fm \
  "$(tw_winpath "$source_dir")" "$(tw_winpath "$target")" "$(tw_winpath "$extracted")"
rc=$?
set -e
if [ $rc -ne 0 ]; then
  echo "The maker failed with exit code $rc" >&2
  exit $rc
fi
echo "SFX file: $target ($(stat -c %s "$target") bytes)"

echo "Running it silently; it extracts into $extracted"
set +e
tw_wine "$target" >"$work/sfx-output.txt" 2>&1
rc=$?
set -e
echo "The SFX file ended with exit code $rc"
[ $rc -eq 0 ] || exit $rc

if diff -r "$source_dir" "$extracted" >/dev/null; then
  echo "The extracted files equal the sample:"
  (cd "$extracted" && find . -mindepth 1 | sort | sed 's/^/  /')
  attrs=$(tw_wine cmd /c attrib "$(tw_winpath "$extracted/data/settings.ini")" | tr -d '\r')
  case ${attrs%%Z:*} in
    *H*) echo "data/settings.ini is hidden, as in the sample" ;;
    *) echo "data/settings.ini lost its hidden attribute: $attrs" >&2; exit 1 ;;
  esac
else
  echo "The extracted files differ from the sample:" >&2
  diff -r "$source_dir" "$extracted" >&2 || true
  exit 1
fi
