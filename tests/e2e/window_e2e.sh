#!/usr/bin/env bash
# The desktop program end to end, driven by its own command line under wine
# with a display (run it under xvfb-run):
#   window_e2e.sh ZWILLO.EXE WINE ZWDRIVE.EXE DROP_FILES.EXE
# A scan whose results are exported before the window closes, a result list
# named as the first argument, a delete whose countdown box is answered,
# settings written on closing and read by the next start, and the option
# pages set by clicks and keys (through the test driver) before a run, a
# folder dropped on the 'library' list and its row dragged to the 'fresh'
# list, and a file dragged out of the result list into a folder that would
# move it if it were let. Every run has a
# time limit, and wine is ended afterwards, so no process stays behind.
set -u
prog="$1"
wine="$2"
drive="${3:-}"
dropper="${4:-}"
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

# 5. The option pages by clicks and keys: the file name criterion with its
# advanced option "the first 5 chars", a folder added in the add-folder
# dialog, an exclude mask typed and added with Enter, a run, and the
# settings stored on closing.
if [ -n "$drive" ]; then
  opt="$work/opt"
  mkdir -p "$opt/a" "$opt/b"
  mk() { head -c "$2" /dev/urandom > "$opt/a/$1"; cp "$opt/a/$1" "$opt/b/$3"; }
  mk report.txt 3001 report.txt   # same name and bytes
  mk photo1.jpg 3002 photo2.jpg   # the first 5 chars agree
  mk notes.txt 3003 other.txt     # names differ in their first 5 chars
  mk x.tmp 3004 x.tmp             # excluded by the mask
  O="$(p "$opt")"
  printf '@start "" %s -clearfolders\r\n' "$(p "$prog")" > "$work/open.bat"
  timeout 120 "$wine" cmd /c "$(p "$work/open.bat")" >/dev/null 2>&1
  timeout 240 "$wine" "$drive" "window=Zwillo Pro" \
    "tab=Comparison Options" "click=file name" "click=advanced...@0" \
    "window=advanced file name" "click=the" "focus=Edit#2" key=HOME key=SHIFT+END \
    type=5 "click=OK" "gone=advanced file name" "window=Zwillo Pro" \
    "tab=Scan Options" "click=+@0" "window=add folder" "focus=Edit#0" key=HOME key=SHIFT+END "type=$O" \
    "click=scan this directory including all subdirectories" "click='fresh'" "click=OK" \
    "gone=add folder" "window=Zwillo Pro" "focus=Edit#1" "type=*.tmp" key=RETURN \
    "tab=Common Options" "click=save settings in registry" \
    "click=Run" sleep=1500 "enabled=Run" "tab=Zwillo" "list=$(p "$work/list.txt")" \
    close "gone=Zwillo Pro" 2>"$work/drive.err"
  rc=$?
  check "the driver clicked and typed through the pages" eval '[ $rc -eq 0 ] || { cat "$work/drive.err"; false; }'
  check "names agreeing in their first 5 chars are duplicates" eval 'grep -q "photo1.jpg" "$work/list.txt" && grep -q "photo2.jpg" "$work/list.txt" && grep -q "report.txt" "$work/list.txt"'
  check "names differing there are not, and the mask excludes" eval '! grep -q -e "notes.txt" -e "other.txt" -e "x.tmp" "$work/list.txt"'
  runw "-run -exportresults \"$W\\stored2.txt\" t -close"
  check "the next start scans with the stored options" eval '[ $rc -eq 0 ] && grep -q photo2.jpg "$work/stored2.txt" && ! grep -q -e other.txt -e x.tmp "$work/stored2.txt"'
  clear_settings
fi

# 6. Drag and drop through OLE: a folder dropped from another program on the
# 'library' list becomes a row (stored on closing); a file dragged out of
# the result list onto a folder that moves whatever it is allowed to is
# offered a copy only: the file stays in its place and in the list.
if [ -n "$drive" ] && [ -n "$dropper" ]; then
  dnd="$work/dnd"
  mkdir -p "$dnd/a" "$dnd/b" "$work/dest"
  head -c 5000 /dev/urandom > "$dnd/a/one.dat"
  cp "$dnd/a/one.dat" "$dnd/b/one.dat"
  head -c 6000 /dev/urandom > "$dnd/a/two.dat"
  cp "$dnd/a/two.dat" "$dnd/b/two.dat"
  D="$(p "$dnd")"
  printf '@%s --save-settings -clearfolders -page 3\r\n' "$(p "$prog")" > "$work/open.bat"
  timeout 120 "$wine" cmd /c "$(p "$work/open.bat")" >/dev/null 2>&1 &
  opened=$!
  timeout 60 "$wine" "$drive" "window=Zwillo Pro" sleep=1000 >/dev/null 2>&1
  timeout 60 "$wine" "$dropper" --library "$D" >/dev/null 2>&1
  rc=$?
  timeout 60 "$wine" "$drive" "window=Zwillo Pro" "dragbox=1:0" close "gone=Zwillo Pro" >/dev/null 2>&1
  moved=$?
  wait "$opened" 2>/dev/null
  check "a folder dropped on the library list is taken" eval '[ $rc -eq 0 ]'
  reg_dirs() { "$wine" reg query "HKCU\\Software\\Corvanta\\Zwillo Pro" /v "$1" 2>/dev/null | grep -i "$1 "; }
  check "its row dragged to the fresh list moves there, still recursive (stored on closing)" eval '[ $moved -eq 0 ] && reg_dirs Scan_DirsN | grep -qi dnd && reg_dirs Scan_DirsNStates | grep -q "REG_SZ[[:space:]]*1[[:space:]]*\$" && ! reg_dirs Scan_DirsS | grep -qi dnd'
  clear_settings

  printf '@%s -clearfolders -addfolder "%s" -run\r\n' "$(p "$prog")" "$D" > "$work/open.bat"
  timeout 180 "$wine" cmd /c "$(p "$work/open.bat")" >/dev/null 2>&1 &
  opened=$!
  timeout 120 "$wine" "$dropper" --target "$(p "$work/dest")" >"$work/target.txt" 2>&1 &
  target=$!
  sleep 2
  timeout 120 "$wine" "$drive" "window=Zwillo Pro" sleep=3000 "enabled=Run" \
    "list=$(p "$work/before.txt")" "dragrow=1@70,70" sleep=4000 "window=Zwillo Pro" \
    "list=$(p "$work/after.txt")" close "gone=Zwillo Pro" >/dev/null 2>"$work/drive.err"
  rc=$?
  wait "$target" 2>/dev/null
  wait "$opened" 2>/dev/null
  check "a result row is dragged onto a folder" eval '[ $rc -eq 0 ] && [ "$(wc -l < "$work/before.txt")" -eq 4 ]'
  check "the folder could only copy the file, which stays in its place" eval 'grep -q "drop_files: copied" "$work/target.txt" && ! grep -q "drop_files: moved" "$work/target.txt" && [ -e "$dnd/b/one.dat" ] && cmp -s "$dnd/a/one.dat" "$work/dest/one.dat"'
  check "and in the list" eval 'cmp -s "$work/before.txt" "$work/after.txt"'
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
