#!/usr/bin/env bash
# Acting on results end to end: the program without a window scans real
# temporary trees, checks files by rule and deletes, recycles, moves or links
# them, exports and imports result lists; the trees are checked afterwards.
#   results_e2e.sh PROGRAM            the native program
#   results_e2e.sh PROGRAM.exe WINE   the Windows console program under wine
set -u
prog="$1"
wine="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-results.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_lib.sh"

# A path from the program's output as this script sees it.
host_path() {
  local x="$1"
  if [ -n "$wine" ]; then x="${x#Z:}"; x="${x//\\//}"; fi
  printf '%s' "$x"
}

# make_tree DIR: three copies of one content, two of another, one single,
# and a folder whose only file is a copy.
make_tree() {
  rm -rf "$1"
  mkdir -p "$1/a" "$1/b" "$1/c/only"
  printf 'alpha content' > "$1/a/x1.txt"
  printf 'alpha content' > "$1/b/x2.txt"
  printf 'alpha content' > "$1/c/only/x3.txt"
  printf 'beta content!' > "$1/a/y1.dat"
  printf 'beta content!' > "$1/b/y2.dat"
  printf 'single' > "$1/a/single.txt"
}

# Text export lines: "SC<TAB>name<TAB>path<TAB>size<TAB>date[<TAB>crc]", S the
# set shading, C the check mark. Prints the full names of the lines whose
# check mark is $2 (1 checked, 0 not).
names_marked() {
  tr -d '\r' < "$1" | awk -F'\t' -v want="$2" 'substr($1, 2, 1) == want { print $3 $2 }' |
    while IFS= read -r line; do host_path "$line"; echo; done
}

all_exist() { local f; while IFS= read -r f; do [ -e "$f" ] || [ -L "$f" ] || return 1; done; }
none_exist() { local f; while IFS= read -r f; do [ ! -e "$f" ] && [ ! -L "$f" ] || return 1; done; }

# --- delete the first files of each set -----------------------------------
T="$work/del"
make_tree "$T"
run "-addfolder \"$(p "$T")\" -run -checkfirst -exportresults \"$(p "$work/del.txt")\" -deletechecked p -showlog"
check "delete: the script ends well" eval '[ $rc -eq 0 ]'
check "delete: three files were checked" eval '[ "$(names_marked "$work/del.txt" 1 | wc -l)" -eq 3 ]'
check "delete: the checked files are gone" eval 'names_marked "$work/del.txt" 1 | none_exist'
check "delete: the unchecked copies stay" eval 'names_marked "$work/del.txt" 0 | all_exist'
check "delete: the single file stays" eval '[ "$(cat "$T/a/single.txt")" = single ]'
check "delete: every set keeps one intact copy" eval '[ "$(cat "$T"/*/x*.txt "$T"/c/only/x*.txt 2>/dev/null)" = "alpha content" ] && [ "$(cat "$T"/*/y*.dat)" = "beta content!" ]'
check "delete: the log tells" eval 'has "$out" "Deleting checked files..." && has "$out" "Operation completed."'
# A script run leaves emptied folders alone (the empty-folder search asks).
check "delete: folders stay while a script runs" eval '[ -d "$T/c/only" ]'

# --- nothing is deleted from a fully checked set unless the user says so ---
T="$work/whole"
make_tree "$T"
run "-addfolder \"$(p "$T")\" -run -checkall -deletechecked p"
check "whole sets: unattended mode answers No and deletes nothing" eval '[ $rc -eq 1 ] && [ -f "$T/a/x1.txt" ] && [ -f "$T/b/x2.txt" ] && [ -f "$T/c/only/x3.txt" ] && [ -f "$T/a/y1.dat" ] && [ -f "$T/b/y2.dat" ]'

# --- a result list saved earlier: a file that changed is not touched -------
T="$work/stale"
make_tree "$T"
run "-addfolder \"$(p "$T")\" -run -checkfirst -exportresults \"$(p "$work/stale.zwr")\" -exportresults \"$(p "$work/stale.txt")\""
check "stale: the list is saved" eval '[ $rc -eq 0 ] && [ -s "$work/stale.zwr" ]'
changed="$(names_marked "$work/stale.txt" 1 | head -n 1)"
printf ' and more' >> "$changed"
run "\"$(p "$work/stale.zwr")\" -deletechecked p -showlog"
check "stale: the changed file stays" eval '[ -f "$changed" ] && has "$(cat "$changed")" "and more"'
check "stale: the other checked files are gone" eval 'names_marked "$work/stale.txt" 1 | tail -n +2 | none_exist'
check "stale: the log names the changed file and the action fails" eval '[ $rc -eq 1 ] && has "$out$err" "has changed since the scan" && has "$err" "DeleteCheckedFiles"'

# --- move keeps the folder structure and never overwrites -----------------
T="$work/mv"
make_tree "$T"
D="$work/dest"
mkdir -p "$D"
run "-addfolder \"$(p "$T")\" -run -checkfirst -exportresults \"$(p "$work/mv.txt")\""
# The place of the first checked file below the destination already has a file.
target_of() {  # the path a file of host path $1 gets below $D
  if [ -n "$wine" ]; then printf '%s/Z%s' "$D" "$1"; else printf '%s%s' "$D" "$1"; fi
}
blocked="$(names_marked "$work/mv.txt" 1 | head -n 1)"
mkdir -p "$(dirname "$(target_of "$blocked")")"
printf 'keep me' > "$(target_of "$blocked")"
run "-addfolder \"$(p "$T")\" -run -checkfirst -movechecked \"$(p "$D")\" p -showlog"
check "move: a file in the way is kept and the move fails" eval '[ $rc -eq 1 ] && [ "$(cat "$(target_of "$blocked")")" = "keep me" ] && [ -f "$blocked" ] && has "$out$err" "Could not move file"'
moved_ok=1
while IFS= read -r f; do
  [ "$f" = "$blocked" ] && continue
  if [ -e "$f" ] || [ ! -f "$(target_of "$f")" ]; then moved_ok=0; fi
done < <(names_marked "$work/mv.txt" 1)
check "move: the other checked files lie below the destination with their paths" eval '[ $moved_ok -eq 1 ]'
check "move: the unchecked copies stay" eval 'names_marked "$work/mv.txt" 0 | all_exist'

# --- replace by shortcuts --------------------------------------------------
T="$work/ln"
make_tree "$T"
run "-addfolder \"$(p "$T")\" -run -checkfirst -exportresults \"$(p "$work/ln.txt")\" -shortcutchecked p -showlog"
check "shortcut: the script ends well" eval '[ $rc -eq 0 ] && has "$out" "Replacing checked files by shortcuts..."'
if [ -n "$wine" ]; then
  lnk_ok=1
  while IFS= read -r f; do
    [ ! -e "$f" ] && [ -f "${f%.*}.lnk" ] || [ -f "$f.lnk" ] || lnk_ok=0
  done < <(names_marked "$work/ln.txt" 1)
  check "shortcut: each checked file became a .lnk file" eval '[ $lnk_ok -eq 1 ]'
else
  ln_ok=1
  while IFS= read -r f; do
    [ -L "$f" ] || ln_ok=0
    [ "$(cat "$f" 2>/dev/null)" = "$(cat "$(readlink -f "$f")" 2>/dev/null)" ] || ln_ok=0
    [ -L "$(readlink -f "$f")" ] && ln_ok=0
  done < <(names_marked "$work/ln.txt" 1)
  check "shortcut: each checked file is a link to a remaining copy" eval '[ $ln_ok -eq 1 ]'
fi
check "shortcut: the unchecked copies stay real files" eval 'names_marked "$work/ln.txt" 0 | while IFS= read -r f; do [ -f "$f" ] && [ ! -L "$f" ] || exit 1; done'

# The data folder the tests run with, put back after the Trash tests.
data_home="${XDG_DATA_HOME-}"
restore_data_home() {
  if [ -n "$data_home" ]; then export XDG_DATA_HOME="$data_home"; else unset XDG_DATA_HOME; fi
}

# --- recycle: the Trash of a temporary XDG data folder (wine's Recycle Bin
# is the same freedesktop.org Trash and takes the folder from the environment)
if true; then
  T="$work/rc"
  make_tree "$T"
  export XDG_DATA_HOME="$work/xdg"
  # Wine's helper programs that are still running were started without it.
  [ -n "$wine" ] && "$wine" --restart
  run "-addfolder \"$(p "$T")\" -run -checkfirst -exportresults \"$(p "$work/rc.txt")\" -recyclechecked p"
  restore_data_home
  check "recycle: the checked files left their folders" eval '[ $rc -eq 0 ] && names_marked "$work/rc.txt" 1 | none_exist'
  check "recycle: they are in the Trash with their info" eval '[ "$(ls "$work/xdg/Trash/files" | wc -l)" -eq 3 ] && [ "$(ls "$work/xdg/Trash/info" | grep -c "\.trashinfo$")" -eq 3 ]'
  first="$(names_marked "$work/rc.txt" 1 | head -n 1)"
  check "recycle: the info file names the original place" eval 'grep -rqx "Path=$first" "$work/xdg/Trash/info" || grep -rq "Path=.*$(basename "$first")" "$work/xdg/Trash/info"'
fi

# A Trash that cannot take the files: they stay (the shell of Windows would
# delete them for good unless told to ask first).
T="$work/rc2"
make_tree "$T"
printf 'not a folder' > "$work/xdg-file"
export XDG_DATA_HOME="$work/xdg-file"
run "-addfolder \"$(p "$T")\" -run -checkfirst -recyclechecked p"
restore_data_home
check "recycle: files the Trash cannot take are kept and the action fails" eval '[ $rc -eq 1 ] && [ "$(find "$T" -type f | wc -l)" -eq 6 ] && has "$err" "Could not recycle file"'

# --- result list files -----------------------------------------------------
T="$work/rl"
make_tree "$T"
run "-addfolder \"$(p "$T")\" -run -checklast -groupby s r -exportresults \"$(p "$work/rl.zwr")\" -exportresults \"$(p "$work/rl1.txt")\""
check "export: binary and text files" eval '[ $rc -eq 0 ] && [ "$(head -c 6 "$work/rl.zwr")" = ZWReLi ] && [ "$(wc -l < "$work/rl1.txt")" -eq 5 ]'
run "\"$(p "$work/rl.zwr")\" -exportresults \"$(p "$work/rl2.txt")\""
check "import at start: the same entries, marks and order" eval '[ $rc -eq 0 ] && cmp -s "$work/rl1.txt" "$work/rl2.txt"'
run "-importresults \"$(p "$work/rl.zwr")\" -exportresults \"$(p "$work/rl3.txt")\" t"
check "importresults: the same again" eval '[ $rc -eq 0 ] && cmp -s "$work/rl1.txt" "$work/rl3.txt"'
: > "$work/empty.zwr"
run "-importresults \"$(p "$work/empty.zwr")\""
check "an empty result list file is refused" eval '[ $rc -eq 1 ] && has "$err" "file was empty"'
printf 'ZWReLi\002\000' > "$work/new.zwr"
head -c 15 /dev/zero >> "$work/new.zwr"
run "-importresults \"$(p "$work/new.zwr")\""
check "a newer format is refused" eval '[ $rc -eq 1 ] && has "$err" "version of file format not supported"'

echo "results end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
