#!/usr/bin/env bash
# fuzz.sh BUILD SECONDS TARGET...: runs the libFuzzer programs of a fuzz build
# (BUILD/tests/zw_fuzz_TARGET), each for SECONDS on a copy of its seed corpus
# (BUILD/corpus/TARGET, started anew from tests/fuzz/corpus/TARGET). Inputs
# that crash, hang or run out of memory are kept in BUILD/findings/TARGET/.
# Fails when any target failed.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2

symbolizer="$(command -v llvm-symbolizer-14 || command -v llvm-symbolizer || true)"
export ASAN_OPTIONS="detect_leaks=1${symbolizer:+:external_symbolizer_path=$symbolizer}"
export UBSAN_OPTIONS="print_stacktrace=1${symbolizer:+:external_symbolizer_path=$symbolizer}"

# The targets that read files write each input to the temporary folder: in
# memory it is fifty times faster than on disk.
if [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

failed=()
for target in "$@"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus" "$findings"
  cp "$here/tests/fuzz/corpus/$target"/* "$corpus"/
  echo "fuzz: $target for ${seconds}s"
  # One process; -timeout: an input that runs longer than a minute counts as a
  # hang (not less: on a busy machine a nice'd run may wait seconds for a
  # processor); -rss_limit_mb and -malloc_limit_mb: memory beyond 2 GiB counts as
  # an unbounded allocation.
  if ! "$build/tests/zw_fuzz_$target" -max_total_time="$seconds" -timeout=60 \
      -rss_limit_mb=2048 -malloc_limit_mb=2048 -artifact_prefix="$findings/" \
      -print_final_stats=1 "$corpus" >"$build/fuzz-$target.log" 2>&1; then
    failed+=("$target")
    tail -n 60 "$build/fuzz-$target.log"
  fi
  # A run that libFuzzer stopped leaves the target's input file behind.
  rm -f "${TMPDIR:-/tmp}/zw-$target-fuzz-"*
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|Done [0-9]+ runs)' \
    "$build/fuzz-$target.log" | tail -n 2
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs in $build/findings/)"
  exit 1
fi
echo "fuzz: ${*} ran ${seconds}s each without a finding"
