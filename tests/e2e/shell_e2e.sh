#!/usr/bin/env bash
# Desktop integration end to end: shutdown through its replacement command,
# and uninstall.
#   shell_e2e.sh PROGRAM            natively: the desktop registrations in a
#                                   temporary $XDG_DATA_HOME go, files of the
#                                   same names that the program did not write
#                                   stay, and the program's place is named
#   shell_e2e.sh PROGRAM.exe WINE   under wine (with a display, e.g. under
#                                   xvfb-run): a copy of the program in a
#                                   temporary program folder uninstalls itself
#                                   through its uninstaller
# No machine is shut down: ZWILLO_SHUTDOWN_COMMAND names the command that runs
# instead, and the shutdown checks run only when it is set.
set -u
prog="$1"
wine="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-e2e.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_lib.sh"

# Waits up to 60 seconds for a condition.
wait_for() {
  for _ in $(seq 1 120); do
    if "$@"; then return 0; fi
    sleep 0.5
  done
  return 1
}

if [ -z "$wine" ]; then
  export ZWILLO_SHUTDOWN_COMMAND=true
  if [ "${ZWILLO_SHUTDOWN_COMMAND:-}" = true ]; then
    run "-shutdown -showlog"
    check "a shutdown that succeeds ends the script" eval '[ $rc -eq 0 ] && [ -z "$out" ]'
    export ZWILLO_SHUTDOWN_COMMAND=false
    run "-shutdown -showlog"
    check "a refused shutdown fails the script" eval '[ $rc -eq 1 ] && has "$err" "Shutdown"'
  fi
  unset ZWILLO_SHUTDOWN_COMMAND

  export XDG_DATA_HOME="$work/data"
  mkdir -p "$XDG_DATA_HOME/applications" "$XDG_DATA_HOME/mime/packages"
  printf '[Desktop Entry]\nX-Zwillo-Registration=true\n' > "$XDG_DATA_HOME/applications/zwillo-results.desktop"
  printf '[Desktop Entry]\nName=somebody else\n' > "$XDG_DATA_HOME/applications/zwillo-folder.desktop"
  printf 'unrelated\n' > "$XDG_DATA_HOME/applications/other.desktop"
  run "--save-settings -showlog"
  check "a run with saved settings writes them" eval '[ -f "$XDG_CONFIG_HOME/zwillo/settings.reg" ]'
  run "-execmode p -uninstall"
  check "uninstall removes the settings" eval '[ ! -e "$XDG_CONFIG_HOME/zwillo" ]'
  check "uninstall removes the program's registration" eval '[ $rc -eq 0 ] && [ ! -e "$XDG_DATA_HOME/applications/zwillo-results.desktop" ]'
  check "uninstall keeps files it did not write" eval '[ -e "$XDG_DATA_HOME/applications/zwillo-folder.desktop" ] && [ -e "$XDG_DATA_HOME/applications/other.desktop" ]'
  check "uninstall names the program's own files" eval 'has "$err$out" "$prog"'
  check "the program itself stays" eval '[ -x "$prog" ]'
else
  # The uninstaller closes by itself once done.
  export ZWUNINST_CLOSE_WHEN_DONE=1
  # Windows need this run's display: wine's desktop process, when another
  # test started it without one, cannot create them (ctest runs this test
  # alone, so the restart ends nobody else's program).
  "$wine" --restart
  real="$prog"
  setup() {  # setup FOLDER: a program folder with the program, its help and a language file
    # (one the language list takes: the uninstaller removes the list's files)
    mkdir -p "$1"
    cp "$real" "$1/zwillo-cli.exe"
    printf 'help' > "$1/Zwillo.chm"
    printf 'language=Deutsch\r\nID=1031\r\nbuild=104\r\n' > "$1/de.zwl"
  }
  # The program's path may hold blanks: quoted in the batch file.
  run_quoted() {
    printf '@"%s" %s\r\n' "$(p "$prog")" "$1" > "$work/run.bat"
    "$wine" cmd /c "$(p "$work/run.bat")" >"$work/out" 2>"$work/err" </dev/null
    rc=$?
    out="$(cat "$work/out")"
    err="$(cat "$work/err")"
  }
  setup "$work/Zwillo Pro"
  prog="$work/Zwillo Pro/zwillo-cli.exe"
  run_quoted "-execmode p -uninstall"
  check "uninstall hands over and ends" eval '[ $rc -eq 0 ]'
  gone() { [ ! -e "$work/Zwillo Pro" ]; }
  wait_for gone
  check "the uninstaller removes the program folder" gone

  setup "$work/kept"
  printf 'mine' > "$work/kept/notes.txt"
  prog="$work/kept/zwillo-cli.exe"
  run_quoted "-execmode p -uninstall"
  left() { [ ! -e "$work/kept/zwillo-cli.exe" ] && [ ! -e "$work/kept/de.zwl" ] && [ ! -e "$work/kept/Zwillo.chm" ]; }
  wait_for left
  check "the uninstaller removes the program's files" left
  check "a file of the user's keeps the folder" eval '[ "$(cat "$work/kept/notes.txt")" = mine ]'
  prog="$real"
  # The uninstallers written to the prefix's temporary folder go with the test.
  prefix="${ZW_WINEPREFIX:-$(cd "$(dirname "$wine")/.." && pwd)/build/wineprefix}"
  find "$prefix/drive_c/users" -maxdepth 4 -name 'ZWuninst*.exe' -delete 2>/dev/null
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
