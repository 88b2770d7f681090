#!/usr/bin/env bash
# Runs the tests of a sanitizer build (ctest in BUILD with the rest of the
# arguments). Every sanitizer report goes to BUILD/sanitizer-reports/, also
# the report of a program whose exit status a test does not look at (the
# end-to-end tests expect some commands to fail); the run fails when ctest
# fails or when any report was written.
set -uo pipefail
build="$(cd "$1" && pwd)"
shift
reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"

symbolizer="$(command -v llvm-symbolizer-14 || command -v llvm-symbolizer || true)"
common="log_path=$reports/report:halt_on_error=1${symbolizer:+:external_symbolizer_path=$symbolizer}"
export ASAN_OPTIONS="$common:detect_leaks=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="$common:print_stacktrace=1"
export TSAN_OPTIONS="$common:second_deadlock_stack=1"

cd "$build" && ctest --output-on-failure --no-tests=error "$@"
status=$?
if compgen -G "$reports/report*" >/dev/null; then
  for f in "$reports"/report*; do
    echo "=== sanitizer report $f"
    head -c 20000 "$f"
  done
  echo "sanitizer-ctest: $(ls "$reports" | wc -l) sanitizer report(s) in $reports"
  status=1
fi
exit $status
