#!/usr/bin/env bash
# Runs the benchmarks against a build folder and prints their figures.
#   bench/run.sh BUILD_DIR
set -euo pipefail
build="${1:-build/bench}"
tree="${ZW_BENCH_TREE:-${TMPDIR:-/tmp}/zwillo-bench-tree}"

echo "== CRC-32"
"$build/bench/crc_bench"

echo "== browsing 200,000 files in 2,000 folders"
if [ ! -f "$tree/.complete" ]; then
  rm -rf "$tree"
  "$build/bench/make_tree" "$tree" 200000 2000 4096 20
  touch "$tree/.complete"
fi
# Warm the cache once, then take the best of three for each.
find "$tree" -printf '%s\n' >/dev/null
best_find=""
for i in 1 2 3; do
  t0=$(date +%s.%N); find "$tree" -printf '%s\n' >/dev/null; t1=$(date +%s.%N)
  s=$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", b - a}')
  if [ -z "$best_find" ] || awk "BEGIN{exit !($s < $best_find)}"; then best_find=$s; fi
done
read -r files bytes secs < <("$build/bench/browse_bench" "$tree" 3)
echo "browse: $files files, $bytes bytes in ${secs}s; find -printf '%s': ${best_find}s"
awk -v a="$secs" -v b="$best_find" 'BEGIN{ if (b < 0.001) b = 0.001; printf "browse/find time ratio: %.2f (goal: at most 1.5)\n", a / b }'

echo "== scanning the same tree (browse and search threads together)"
for mode in size-content size-bpb content-only; do
  read -r n dupes sets secs < <("$build/bench/scan_bench" "$tree" "$mode")
  awk -v m="$mode" -v n="$n" -v d="$dupes" -v st="$sets" -v s="$secs" -v b="$bytes" 'BEGIN{
    printf "%-13s %d files, %d duplicates in %d sets, %.2f s: %.0f files/s, %.1f MB/s of file data\n",
      m, n, d, st, s, n / s, b / s / 1e6 }'
done

echo "== file actions: proving a kept copy before each file is touched"
vtree="${ZW_BENCH_VERIFY_TREE:-${TMPDIR:-/tmp}/zwillo-bench-verify}"
if [ ! -f "$vtree/.complete" ]; then
  rm -rf "$vtree"
  "$build/bench/make_tree" "$vtree" 100000 1000 40960 20
  touch "$vtree/.complete"
fi
read -r n sets ssecs proven failed vbytes vsecs < <("$build/bench/verify_bench" "$vtree")
awk -v n="$n" -v st="$sets" -v ss="$ssecs" -v p="$proven" -v f="$failed" -v b="$vbytes" -v vs="$vsecs" 'BEGIN{
  printf "%d files, %d sets: scan %.2f s; %d copies proven (%d not) reading %.0f MB in %.2f s (%.0f MB/s), %.0f%% of the scan\n",
    n, st, ss, p, f, b / 1e6, vs, b / 1e6 / (vs > 0 ? vs : 1e-9), 100 * vs / ss }'

echo "== catalog files"
"$build/bench/archive_bench" catalog 1000000

echo "== ZIP archives: 100,000 members read as a list row"
zip="${TMPDIR:-/tmp}/zwillo-bench-100k.zip"
if [ ! -f "$zip" ]; then
  python3 - "$zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1] + ".part", "w", zipfile.ZIP_STORED) as z:
    for i in range(100000):
        z.writestr("d%03d/e%02d/file-%06d.txt" % (i // 1000, i // 100 % 10, i), b"x" * (i % 97))
PY
  mv "$zip.part" "$zip"
fi
read -r members zsecs zrss < <("$build/bench/archive_bench" zip "$zip")
best_unzip=""
for i in 1 2 3; do
  t0=$(date +%s.%N); unzip -Z1 "$zip" >/dev/null; t1=$(date +%s.%N)
  s=$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", b - a}')
  if [ -z "$best_unzip" ] || awk "BEGIN{exit !($s < $best_unzip)}"; then best_unzip=$s; fi
done
echo "zip reader: $members members in ${zsecs}s (peak RSS ${zrss} MB); unzip -Z1: ${best_unzip}s"

echo "== file pools on quadratic shapes"
"$build/bench/pool_bench" 100000 1000000
