#!/usr/bin/env bash
# Extraction throughput of an SFX file next to `tar -xzf` of the same data.
# The mixed folder of the build benchmark is packed once into an SFX file
# (silent, extracting to a custom folder) and once into a .tar.gz; then the
# SFX file and `tar -xzf` each extract it into an empty folder, timed.
#
#   bench/bench_extract.sh                 # ~475 MB folder
#   BENCH_SCALE=0.2 bench/bench_extract.sh # a quick run
set -euo pipefail
source "$(dirname "$0")/bench_lib.sh"
scale=${BENCH_SCALE:-1}
runs=${BENCH_RUNS:-2}

timed() {  # command... -> seconds
  local start end
  start=$(now)
  "$@" >/dev/null 2>&1 </dev/null
  end=$(now)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

echo "== Tarnwick extraction benchmark ($arch, $(nproc) cores)"
echo "generating the mixed folder (scale $scale)..."
input=$(python3 "$here/bench/make_corpus.py" "$work/src" --scale "$scale")
echo "input: $(mb "$input") MB in $(find "$work/src" -type f | wc -l) files"

echo "packing (not timed)..."
sfx=$work/out/mixed.exe
"${wine_env[@]}" "$wine" "$maker" -h -c -o -s -fm "$(winpath "$work/src")" "$(winpath "$sfx")" \
  "$(winpath "$work/sfx-out")" </dev/null >/dev/null 2>&1
tar -C "$work/src" -czf "$work/out/mixed.tar.gz" .
echo "SFX file $(mb "$(stat -c %s "$sfx")") MB, tar.gz $(mb "$(stat -c %s "$work/out/mixed.tar.gz")") MB"

best_sfx= best_tar=
for i in $(seq "$runs"); do
  rm -rf "$work/sfx-out" "$work/tar-out"
  mkdir -p "$work/tar-out"
  sync
  s=$(timed "${wine_env[@]}" "$wine" "$sfx")
  t=$(timed tar -C "$work/tar-out" -xzf "$work/out/mixed.tar.gz")
  echo "run $i: SFX $(printf %.1f "$s") s, tar -xzf $(printf %.1f "$t") s"
  best_sfx=$(awk -v a="${best_sfx:-1e9}" -v b="$s" 'BEGIN { print (b < a) ? b : a }')
  best_tar=$(awk -v a="${best_tar:-1e9}" -v b="$t" 'BEGIN { print (b < a) ? b : a }')
done
diff -r "$work/src" "$work/sfx-out" >/dev/null || { echo "the SFX file extracted other files" >&2; exit 1; }
echo "verified: the SFX file extracted the folder byte for byte"

printf '%-14s %8s MB/s  (best of %s: %.1f s)\n' "SFX file" "$(rate "$input" "$best_sfx")" "$runs" "$best_sfx"
printf '%-14s %8s MB/s  (best of %s: %.1f s)\n' "tar -xzf" "$(rate "$input" "$best_tar")" "$runs" "$best_tar"
printf 'SFX / tar: %s\n' "$(ratio "$best_tar" "$best_sfx")"
