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
shm=""
trap 'rm -rf "$work" ${shm:+"$shm"}' EXIT

source "$(dirname "$0")/e2e_lib.sh"

# make_tree DIR: two copies of one content, two of another, one single.
make_tree() {
  rm -rf "$1"
  mkdir -p "$1/a" "$1/b"
  printf 'alpha content' > "$1/a/x1.txt"
  printf 'alpha content' > "$1/b/x2.txt"
  printf 'beta' > "$1/a/y1.dat"
  printf 'beta' > "$1/b/y2.dat"
  printf 'single' > "$1/a/single.txt"
}
files() { find "$1" -type f | wc -l; }
# The lines of a text export whose check mark is set.
checked_lines() { tr -d '\r' < "$1" | awk -F'\t' 'substr($1, 2, 1) == 1'; }

T="$work/tree"
P="$(p "$T")"

# --- a quote inside an argument cannot start commands ------------------------
make_tree "$T"
before="$(contents "$T")"
if [ -n "$wine" ]; then
  # Windows names hold no quote, but a caller that escapes one as \" must
  # not get the rest of the text read as commands either.
  run "-addfolder \"$P\\\" -run -checkfirst -deletechecked p -lang \\\"\""
  check "a quote inside a quoted text is refused and nothing runs" eval '[ $rc -eq 1 ] && has "$err" "could not be parsed properly" && ! has "$out$err" "Starting the scan" && kept "$before" "$T" && [ $(files "$T") -eq 5 ]'
else
  # A folder name with quotes, as a script would pass it: quoted for the
  # program ('"$dir"') and bare.
  evil="$T\" -run -checkfirst -deletechecked p -addfolder \"$T"
  run "-addfolder '\"$evil\"'"
  check "a folder name with quotes is refused and nothing runs" eval '[ $rc -eq 1 ] && has "$err" "holds a double quote" && ! has "$out$err" "Starting the scan" && kept "$before" "$T" && [ $(files "$T") -eq 5 ]'
  run "-addfolder '$evil'"
  check "the same name unquoted is refused too" eval '[ $rc -eq 1 ] && has "$err" "holds a double quote" && kept "$before" "$T" && [ $(files "$T") -eq 5 ]'
  # The forms people type keep working: a quoted text as one argument, and
  # name="value" options whether the shell took the quotes or not.
  run "-addfolder '\"$T\"' -run -checkbycriteria size=\"10\" \"20\" -exportresults \"$work/size.txt\" -checkall n -checkbycriteria 'filename=\"y*\"' -exportresults \"$work/name.txt\""
  check "quoted arguments and name=value options still parse" eval '[ $rc -eq 0 ] && [ "$(checked_lines "$work/size.txt" | grep -c "x[12].txt")" -eq 2 ] && [ "$(checked_lines "$work/size.txt" | wc -l)" -eq 2 ] && [ "$(checked_lines "$work/name.txt" | grep -c "y[12].dat")" -eq 2 ] && [ "$(checked_lines "$work/name.txt" | wc -l)" -eq 2 ]'
fi

# --- a second quoted text is refused, not put in the place of the first ----
make_tree "$T"
before="$(contents "$T")"
if [ -n "$wine" ]; then
  run "-addfolder \"$P\" -run -checkfirst -movechecked \"$(p "$work/dest")\" p \"$(p "$work/showlog")\""
else
  # POSIX: a word beginning with "/" is a path, not a command.
  run "-addfolder \"$T\" -run -checkfirst -movechecked \"$work/dest\" p $work/showlog"
fi
check "a second destination is refused and nothing moves" eval '[ $rc -eq 1 ] && has "$err" "could not be parsed properly" && ! has "$out$err" "Starting the scan" && kept "$before" "$T" && [ $(files "$T") -eq 5 ] && [ ! -e "$work/dest" ] && [ ! -e "$work/showlog" ]'

if [ -z "$wine" ]; then
  # Commands written with "/" as on Windows are words before the first
  # command here: refused instead of ignored with exit status 0.
  run "/execmode p /addfolder \"$T\" /run /checkfirst /deletechecked"
  check "words before the first command are refused" eval '[ $rc -eq 1 ] && has "$err" "Unknown command line command: \"/execmode\"" && kept "$before" "$T" && [ $(files "$T") -eq 5 ]'
fi

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

# --- why a command failed is said, once, not only written to the log --------
# count TEXT: how often TEXT is said on standard error.
count() { grep -cF -- "$1" <<< "$err"; }
make_tree "$T"
before="$(contents "$T")"
{ printf 'ZWCatF\002\000'; head -c 200 /dev/zero; } > "$work/new.zwc"
printf 'PK\003\004 not really' > "$work/broken.zip"
for reason in "new.zwc|version of file format not supported" "broken.zip|could not be opened or is corrupt"; do
  row="${reason%%|*}"
  text="${reason#*|}"
  run "-execmode p -addfolder \"$P\" -addfolder \"$(p "$work/$row")\" l -run -checkfirst -deletechecked p"
  check "mode p: a run refused for $row says why" eval '[ $rc -eq 1 ] && [ $(count "$text") -eq 1 ] && [ $(count "\"Run\" failed") -eq 1 ] && kept "$before" "$T" && [ $(files "$T") -eq 5 ]'
done
run "-execmode p -run"
check "mode p: a run without folder says why" eval '[ $rc -eq 1 ] && [ $(count "Please choose a folder first") -eq 1 ]'
run "-addfolder \"$P\" -run -deletechecked p"
check "an action with nothing checked says why" eval '[ $rc -eq 1 ] && [ $(count "No files are checked") -eq 1 ] && [ $(count "\"DeleteCheckedFiles\" failed") -eq 1 ]'

# --- close ends the script there ---------------------------------------------
make_tree "$T"
before="$(contents "$T")"
run "-addfolder \"$P\" -run -checkfirst -close -deletechecked p -showlog"
check "nothing after close runs, and the script counts as ended well" eval '[ $rc -eq 0 ] && [ -z "$out" ] && ! has "$err" "Delet" && kept "$before" "$T" && [ $(files "$T") -eq 5 ]'

# --- interrupted: Ctrl+C, SIGINT, SIGTERM ------------------------------------
# start ARG...: the program in the background with these arguments, its
# output in files; sets pid. Job control gives it a process group of its
# own: a script's background jobs otherwise start with SIGINT ignored.
start() {
  set -m
  if [ -n "$wine" ]; then
    "$wine" "$prog" "$@" >"$work/out" 2>"$work/err" </dev/null &
  else
    "$prog" "$@" >"$work/out" 2>"$work/err" </dev/null &
  fi
  pid=$!
  set +m
}
finish() { wait "$pid"; rc=$?; out="$(cat "$work/out")"; err="$(cat "$work/err")"; }
# wait_for FILE TEXT: until FILE holds TEXT (or the program has ended).
wait_for() { until grep -qF -- "$2" "$1" 2>/dev/null || ! kill -0 "$pid" 2>/dev/null; do sleep 0.05; done; }

# Paths with a blank: wine quotes such arguments when it makes the command
# line, as the parser wants them.
S="$work/sig tree"
L="$work/sig log.txt"
# Two huge sparse files take a long while to compare; two small copies.
mkdir -p "$S"
truncate -s 32G "$S/huge1" "$S/huge2"
printf 'same' > "$S/s1"
printf 'same' > "$S/s2"
if [ -n "$wine" ]; then signals="INT:130:Ctrl+C"; else signals="INT:130:SIGINT TERM:143:SIGTERM"; fi
for s in $signals; do
  IFS=: read -r sig status cause <<< "$s"
  rm -f "$L"
  start -logfile "$(p "$L")" -addfolder "$(p "$S")" -run -checkfirst -deletechecked p -showlog
  wait_for "$L" "Starting to compare files"
  kill -"$sig" "$pid"
  finish
  check "SIG$sig during a scan cancels it, and no later command runs" eval '[ $rc -eq $status ] && has "$err" "Cancelled by $cause" && grep -q "Current progress aborted by user" "$L" && [ -z "$out" ] && ! grep -q "Deleting" "$L" && [ $(files "$S") -eq 4 ]'
done
if [ -n "$wine" ]; then
  echo "SKIPPED: a second Ctrl+C under wine (two SIGINTs sent to a stopped process are one)"
else
  # Stopped, the program gets SIGINT and SIGTERM; let go, it takes the first
  # and dies of the second at once, before it could even log the first.
  rm -f "$L"
  start -addfolder "$S" -logfile "$L" -run -showlog
  wait_for "$L" "Starting to compare files"
  kill -STOP "$pid"
  kill -INT "$pid"
  kill -TERM "$pid"
  kill -CONT "$pid"
  finish
  check "a second signal ends the program at once" eval '[ $rc -eq 130 -o $rc -eq 143 ] && ! grep -q "Cancelled by" "$L" && [ -z "$out$err" ] && [ $(files "$S") -eq 4 ]'
fi

# A move to another file system copies each file: stopped while it runs,
# then interrupted, it finishes the file it is at and moves no other.
shm="$(mktemp -d /dev/shm/zwillo-cmdline.XXXXXX 2>/dev/null || true)"
M="$work/move tree"
if [ -n "$shm" ] && [ "$(stat -f -c %T "$shm")" != "$(stat -f -c %T "$work")" ]; then
  D="$shm/dest dir"
  for i in 1 2 3 4 5 6; do
    mkdir -p "$M/a$i" "$M/b$i"
    for side in a b; do
      printf '%s' "$i" > "$M/$side$i/f"
      truncate -s 96M "$M/$side$i/f"
    done
  done
  before="$(contents "$M")"
  rm -f "$L"
  start -logfile "$(p "$L")" -addfolder "$(p "$M")" -run -checkfirst -movechecked "$(p "$D")" p -showlog
  wait_for "$L" "Moving checked files"
  kill -STOP "$pid"
  moved_then=$(find "$D" -type f 2>/dev/null | wc -l)
  kill -INT "$pid"
  kill -CONT "$pid"
  finish
  moved=$(find "$D" -type f 2>/dev/null | wc -l)
  # Every file below the destination is whole, and its source is gone.
  whole=1
  while IFS= read -r f; do
    [ "$(stat -c %s "$f")" -eq $((96 * 1024 * 1024)) ] || whole=0
    rel="${f#"$D"/}"
    [ -n "$wine" ] && rel="${rel#Z/}"
    [ ! -e "/$rel" ] || whole=0
  done < <(find "$D" -type f)
  check "SIGINT during a move finishes the current file and moves no other" eval '[ $moved_then -lt 6 ] && [ $rc -eq 130 ] && has "$err" "Cancelled by" && [ -z "$out" ] && [ $moved -le $((moved_then + 1)) ] && [ $whole -eq 1 ] && [ $(( $(files "$M") + moved )) -eq 12 ] && kept "$before" "$M" "$D"'
  rm -rf "$shm"
else
  echo "SKIPPED: the move case needs a /dev/shm on another file system than $work"
fi

echo "cmdline end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
