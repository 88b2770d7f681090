#!/usr/bin/env bash
# Drives the program without a window on real temporary trees and checks its
# output and exit status.
#   cli_e2e.sh PROGRAM            the native program
#   cli_e2e.sh PROGRAM.exe WINE   the Windows console program under wine: the
#                                 command lines go through a batch file, so the
#                                 program sees them as typed, quotes and all
set -u
prog="$1"
wine="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-e2e.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_lib.sh"


# The tree: three copies of one content, two of another, singles, a library.
mkdir -p "$work/fresh/sub" "$work/fresh/other dir" "$work/lib"
printf 'alpha content' > "$work/fresh/a1.txt"
printf 'alpha content' > "$work/fresh/sub/a2.txt"
printf 'alpha content' > "$work/fresh/other dir/a3.dat"
printf 'beta content!' > "$work/fresh/b1.txt"
printf 'beta content!' > "$work/fresh/sub/b2.dat"
printf 'unique' > "$work/fresh/u.txt"
printf 'beta content!' > "$work/lib/b-copy.txt"
printf 'gamma' > "$work/lib/g1.txt"
printf 'gamma' > "$work/lib/g2.txt"

run "--help"
check "help prints the usage" eval '[ $rc -eq 0 ] && has "$out" "Usage: zwillo"'

run "-addfolder \"$(p "$work/fresh")\" -run -showlog"
check "a scan finds the copies" eval '[ $rc -eq 0 ] && has "$out" "Found 5 duplicate files in 2 sets."'
check "the log counts the files" eval 'has "$out" "Found 6 files to compare (6 '"'"'fresh'"'"', 0 '"'"'library'"'"')."'

run "-setcompare s c -addfolder \"$(p "$work/fresh")\" -addfolder \"$(p "$work/lib")\" l -run -showlog"
check "library files join fresh sets only" eval '[ $rc -eq 0 ] && has "$out" "Found 6 duplicate files in 2 sets."'

run "-addmask \"*.txt\" -addfolder \"$(p "$work/fresh")\" -run -showlog"
check "a limit mask narrows the scan" eval '[ $rc -eq 0 ] && has "$out" "Found 4 files to compare" && has "$out" "Found 2 duplicate files in 1 sets."'

run "-addfolder \"$(p "$work/fresh")\" -run -savelog \"$(p "$work/saved.log")\""
check "savelog writes the log" eval '[ $rc -eq 0 ] && grep -q "Found 5 duplicate files in 2 sets." "$work/saved.log"'

run "-setcompare -addfolder \"$(p "$work/lib")\" -run -showlog"
check "no criterion lists every file after the automatic Yes" eval '[ $rc -eq 0 ] && has "$out" "[Yes]" && has "$out" "Found 3 files to compare"'

run "-addfolder \"$(p "$work/fresh")\" -foo -run -showlog"
check "an unknown command runs nothing" eval '[ $rc -eq 1 ] && has "$err" "Unknown command line command: \"foo\"" && ! has "$out" "Starting the scan"'

if [ -n "$wine" ]; then
  run "-addfolder \"$(p "$work/fresh") -run"
else
  run "-addfolder '\"$(p "$work/fresh")' -run"  # the quote reaches the program
fi
check "a missing quote is refused" eval '[ $rc -eq 1 ] && has "$err" "closing quote" && ! has "$out$err" "Starting the scan"'

run "-addfolder -run"
check "a missing parameter is refused" eval '[ $rc -eq 1 ] && has "$err" "There is a parameter missing for the command"'

run "-addfolder \"$(p "$work/not here")\" -run"
check "a folder that does not exist fails the run" eval '[ $rc -eq 1 ] && has "$err" "doesn'"'"'t exist" && ! has "$out$err" "Starting the scan"'

run "-addmask \"[abc\" -addfolder \"$(p "$work/fresh")\" -run"
check "an invalid mask fails" eval '[ $rc -eq 1 ] && has "$err" "is no valid mask"'

echo "cli end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
