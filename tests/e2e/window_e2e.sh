#!/usr/bin/env bash
# The desktop program end to end, driven by its own command line under wine
# with a display (run it under xvfb-run):
#   window_e2e.sh ZWILLO.EXE WINE
# A scan whose results are exported before the window closes, a result list
# named as the first argument, a delete whose countdown box is answered, and
# settings written on closing and read by the next start. Every run has a
# time limit, and wine is ended afterwards, so no process stays behind.
set -u
prog="$1"
wine="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-window.XXXXXX")"
finish() {
  "$wine" --restart >/dev/null 2>&1
  rm -rf "$work"
}
trap finish EXIT

source "$(dirname "$0")/e2e_lib.sh"

# The window's settings live in the registry of the test prefix: each start
# of this script begins without them.
clear_settings() { "$wine" reg delete 'HKCU\Software\Corvanta' /f >/dev/null 2>&1; }
clear_settings
"$wine" --restart

# runw "command line": the window program through a batch file, so that it
# sees the line as typed. It must end by itself (-close) within two minutes.
runw() {
  printf '@%s %s\r\n' "$(p "$prog")" "$1" > "$work/run.bat"
  timeout 120 "$wine" cmd /c "$(p "$work/run.bat")" >"$work/out" 2>"$work/err" </dev/null
  rc=$?
  out="$(cat "$work/out")"
  err="$(cat "$work/err")"
}

tree="$work/tree"
mkdir -p "$tree/a" "$tree/b/deep"
for i in 1 2 3 4 5; do
  head -c $((i * 3000)) /dev/urandom > "$tree/a/file$i.dat"
  cp "$tree/a/file$i.dat" "$tree/b/copy$i.dat"
done
cp "$tree/a/file1.dat" "$tree/b/deep/third1.dat"
printf 'alone' > "$tree/a/single.txt"
T="$(p "$tree")"
W="$(p "$work")"

# 1. Scan, export, close.
runw "-addfolder \"$T\" -run -exportresults \"$W\\found.txt\" t -close"
check "a scripted scan ends with its script" eval '[ $rc -eq 0 ]'
check "the export lists every copy" eval '[ "$(grep -c "copy[0-9]\.dat" "$work/found.txt")" -eq 5 ] && grep -q third1.dat "$work/found.txt"'
check "a file without a twin is not listed" eval '! grep -q single.txt "$work/found.txt"'

# 2. A result list named first is imported before the script runs.
runw "-addfolder \"$T\" -run -exportresults \"$W\\found.zwr\" b -close"
runw "\"$W\\found.zwr\" -exportresults \"$W\\again.txt\" t -close"
check "a result list as first argument is imported" eval '[ $rc -eq 0 ] && diff -q "$work/found.txt" "$work/again.txt" >/dev/null'

# 3. Delete with a countdown box, answered with Enter (the box answers by
# itself after its seconds if no key reaches it).
before="$(contents "$tree")"
answer() {
  command -v xdotool >/dev/null || return 0
  for _ in $(seq 1 200); do
    if id="$(xdotool search --onlyvisible --name 'Confirmation' 2>/dev/null | head -1)" && [ -n "$id" ]; then
      xdotool windowfocus --sync "$id" key Return 2>/dev/null
    fi
    sleep 0.3
    [ -e "$work/done" ] && return 0
  done
}
answer &
answerer=$!
runw "-addfolder \"$T\" -run -checkbycriteria y a filename=\"third*\" -deletechecked c -exportresults \"$W\\left.txt\" t -close"
touch "$work/done"
wait "$answerer" 2>/dev/null
check "the delete ends with its script" eval '[ $rc -eq 0 ]'
check "the checked copy is deleted, its twins stay" eval '[ ! -e "$tree/b/deep/third1.dat" ] && [ -e "$tree/b/copy1.dat" ] && [ -e "$tree/a/file1.dat" ]'
check "every content is still there" kept "$before" "$tree"
check "the list keeps the sets that still have copies" eval 'grep -q "copy1.dat" "$work/left.txt" && ! grep -q "third1.dat" "$work/left.txt"'

# 4. Settings: written on closing while "save settings" is on, read at the
# next start (the folder list comes from them).
clear_settings
for i in 1 2 3; do head -c $((i * 1000 + 7)) /dev/urandom > "$tree/s$i.bin"; cp "$tree/s$i.bin" "$tree/b/s$i-twin.bin"; done
runw "--save-settings -clearfolders -addfolder \"$T\" -close"
check "closing writes the settings" eval '[ $rc -eq 0 ] && "$wine" reg query "HKCU\\Software\\Corvanta\\Zwillo Pro" >/dev/null 2>&1'
runw "-run -exportresults \"$W\\stored.txt\" t -close"
check "the next start scans the stored folder" eval '[ $rc -eq 0 ] && grep -q "s2-twin.bin" "$work/stored.txt"'
clear_settings

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
