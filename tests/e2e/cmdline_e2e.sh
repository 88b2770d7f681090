#!/usr/bin/env bash
# The command line as a door: what it must refuse, what it must say, and how
# the program stops. Each case runs the program without a window on a real
# temporary tree and checks that every distinct content the tree held before
# is still held after, besides the exit status and the message.
#   cmdline_e2e.sh PROGRAM            the native program
#   cmdline_e2e.sh PROGRAM.exe WINE   the Windows console program under wine
set -u
prog="$1"
wine="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-cmdline.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_lib.sh"

# make_tree DIR: two copies of one content, two of another, one single.
make_tree() {
  rm -rf "$1"
  mkdir -p "$1/a" "$1/b"
  printf 'alpha content' > "$1/a/x1.txt"
  printf 'alpha content' > "$1/b/x2.txt"
  printf 'beta content!' > "$1/a/y1.dat"
  printf 'beta content!' > "$1/b/y2.dat"
  printf 'single' > "$1/a/single.txt"
}

T="$work/tree"

# --- the log file is opened without waiting ---------------------------------
# A FIFO is a POSIX thing: Windows has no such file in its file system.
if [ -z "$wine" ]; then
  make_tree "$T"
  before="$(contents "$T")"
  mkfifo "$work/fifo"
  run "-logfile \"$work/fifo\" -addfolder \"$T\" -run -checkfirst -deletechecked p"
  check "logfile on a FIFO without reader fails at once and nothing runs" eval '[ $rc -eq 1 ] && has "$err" "\"SetLogfile\" failed" && kept "$before" "$T" && [ "$(find "$T" -type f | wc -l)" -eq 5 ]'
  run "-addfolder \"$T\" -run -savelog \"$work/fifo\""
  check "savelog on a FIFO without reader fails at once" eval '[ $rc -eq 1 ] && has "$err" "Could not save scanning log"'
fi

echo "cmdline end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
