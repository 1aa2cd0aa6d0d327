#!/usr/bin/env bash
# A short local fuzz run (default 60 s) of one fuzz target: the stub's
# container reading (container, the default) or the PE resource editor (peres):
#   scripts/fuzz.sh [seconds] [container|peres]
# Starts from the target's seed corpus in tests/fuzz (corpus, corpus-peres);
# inputs that reach new code are kept in build/fuzz-corpus[-peres] (not in the
# repository), crashes in build/fuzz-crashes. New seeds worth keeping go into
# tests/fuzz/make_corpus.py.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=${TW_BUILD_ROOT:-$here/build}
seconds=${1:-60}
case ${2:-container} in
  container) target=fuzz_container suffix= ;;
  peres) target=fuzz_peres suffix=-peres ;;
  *) echo "usage: $0 [seconds] [container|peres]" >&2; exit 2 ;;
esac
"$here/scripts/build.sh" native
binary=$root/native/tests/fuzz/$target
[ -x "$binary" ] || { echo "no fuzz target (is clang++ installed?)" >&2; exit 2; }
mkdir -p "$root/fuzz-corpus$suffix" "$root/fuzz-crashes"
"$binary" -max_total_time="$seconds" -rss_limit_mb=4096 -artifact_prefix="$root/fuzz-crashes/" \
  "$root/fuzz-corpus$suffix" "$here/tests/fuzz/corpus$suffix"
