#!/usr/bin/env bash
# A short local fuzz run of the stub's container reading (default 60 s):
#   scripts/fuzz.sh [seconds]
# Starts from the seed corpus in tests/fuzz/corpus; inputs that reach new
# code are kept in build/fuzz-corpus (not in the repository), crashes in
# build/fuzz-crashes. New seeds worth keeping go into tests/fuzz/make_corpus.py.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${TW_BUILD_ROOT:-$here/build}
seconds=${1:-60}
"$here/scripts/build.sh" native
target=$root/native/tests/fuzz/fuzz_container
[ -x "$target" ] || { echo "no fuzz target (is clang++ installed?)" >&2; exit 2; }
mkdir -p "$root/fuzz-corpus" "$root/fuzz-crashes"
"$target" -max_total_time="$seconds" -rss_limit_mb=4096 -artifact_prefix="$root/fuzz-crashes/" \
  "$root/fuzz-corpus" "$here/tests/fuzz/corpus"
