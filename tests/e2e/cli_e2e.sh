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

# Long options: the advanced criteria, set before the script, decide what
# agrees.
o="$work/opt"
mkdir -p "$o/names" "$o/sizes" "$o/dates" "$o/content"
printf 'one' > "$o/names/report.txt"
printf 'other' > "$o/names/report.doc"
printf 'third' > "$o/names/summary.txt"
head -c 5000 /dev/zero > "$o/sizes/small.bin"
head -c 8000 /dev/zero > "$o/sizes/large.bin"
printf 'a' > "$o/dates/jan.txt"
printf 'b' > "$o/dates/mar.txt"
printf 'c' > "$o/dates/later.txt"
touch -d "2020-01-15 10:20:30" "$o/dates/jan.txt"
touch -d "2020-03-02 10:20:30" "$o/dates/mar.txt"
touch -d "2020-03-02 11:20:30" "$o/dates/later.txt"
{ head -c 4096 /dev/zero; yes A | head -c 4096; } > "$o/content/head-a.bin"
{ head -c 4096 /dev/zero; yes B | head -c 4096; } > "$o/content/head-b.bin"

run "-setcompare n -addfolder \"$(p "$o/names")\" -run -showlog"
check "complete names differ" eval '[ $rc -eq 0 ] && has "$out" "No duplicate files found."'
run "--name=before-last:. -setcompare n -addfolder \"$(p "$o/names")\" -run -showlog"
check "names agree before their last dot" eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets."'
run "--name=chars:5-7 -setcompare n -addfolder \"$(p "$o/names")\" -run -showlog"
check "names agree in chars 5 to 7" eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets."'

run "-setcompare s -addfolder \"$(p "$o/sizes")\" -run -showlog"
check "sizes 3000 bytes apart differ" eval '[ $rc -eq 0 ] && has "$out" "No duplicate files found."'
run "--size-tolerance=4kB -setcompare s -addfolder \"$(p "$o/sizes")\" -run -showlog"
check "sizes 3000 bytes apart agree within 4 kB" eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets."'
run "--size-tolerance=2k -setcompare s -addfolder \"$(p "$o/sizes")\" -run -showlog"
check "but not within 2 kB" eval '[ $rc -eq 0 ] && has "$out" "No duplicate files found."'

run "-setcompare d -addfolder \"$(p "$o/dates")\" -run -showlog"
check "complete dates differ" eval '[ $rc -eq 0 ] && has "$out" "No duplicate files found."'
run "--date=parts:time -setcompare d -addfolder \"$(p "$o/dates")\" -run -showlog"
check "the same time on other days agrees" eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets."'
run "--date=parts:day,month -setcompare d -addfolder \"$(p "$o/dates")\" -run -showlog"
check "the same day agrees at other times" eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets."'
run "--date=tolerance:60 -setcompare d -addfolder \"$(p "$o/dates")\" -run -showlog"
check "dates within 60 days agree" eval '[ $rc -eq 0 ] && has "$out" "Found 3 duplicate files in 1 sets."'

run "-addfolder \"$(p "$o/content")\" -run -showlog"
check "contents differing after 4 kB differ" eval '[ $rc -eq 0 ] && has "$out" "No duplicate files found."'
run "--content=first:4kB -addfolder \"$(p "$o/content")\" -run -showlog"
check "their first 4 kB agree" eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets."'
run "--content=range:0-4kB --content-method=bytes -addfolder \"$(p "$o/content")\" -run -showlog"
check "bytes 0 to 4096 byte per byte differ" eval '[ $rc -eq 0 ] && has "$out" "No duplicate files found."'
run "--content=range-from-end:4096-8191 --content-method=bytes -addfolder \"$(p "$o/content")\" -run -showlog"
check "the 4 kB before the last 4 kB agree byte per byte" eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets."'

run "--size-tolerance=abc -addfolder \"$(p "$o/sizes")\" -run"
check "a bad option value runs nothing" eval '[ $rc -eq 1 ] && has "$err" "Your input is invalid. Please enter a positive number." && ! has "$out$err" "Starting the scan"'
run "--date=parts: -addfolder \"$(p "$o/dates")\" -run"
check "no date part is refused" eval '[ $rc -eq 1 ] && has "$err" "parts of the date to be compared" && ! has "$out$err" "Starting the scan"'
run "-addfolder \"$(p "$o/sizes")\" --size-tolerance=4kB -run"
check "an option after a command is refused" eval '[ $rc -eq 1 ] && has "$err" "The option \"--size-tolerance=4kB\" comes after the command" && ! has "$out$err" "Starting the scan"'
run "--help"
check "help lists the options" eval 'has "$out" "--size-tolerance=" && has "$out" "--save-settings"'

echo "cli end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
