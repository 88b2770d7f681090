#!/usr/bin/env bash
# The program in another language: the German file that the build puts
# beside the program, chosen by -lang or by the user's language.
#   language_e2e.sh PROGRAM            the native program
#   language_e2e.sh PROGRAM.exe WINE   the Windows console program under wine
set -u
prog="$1"
wine="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-e2e.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_lib.sh"

if [ ! -f "$(dirname "$prog")/de.zwl" ]; then
  echo "FAILED: no de.zwl beside $prog (the build copies lang/*.zwl there)"
  exit 1
fi

mkdir -p "$work/fresh/sub"
printf 'alpha content' > "$work/fresh/a1.txt"
printf 'alpha content' > "$work/fresh/sub/a2.txt"
printf 'alpha content' > "$work/fresh/a3.dat"
printf 'beta content!' > "$work/fresh/b1.txt"
printf 'beta content!' > "$work/fresh/sub/b2.dat"
printf 'unique' > "$work/fresh/u.txt"
scan="-addfolder \"$(p "$work/fresh")\" -run -showlog"

run "-lang \"de\" $scan"
check "-lang de gives a German scan log" eval '[ $rc -eq 0 ] && has "$out" "5 doppelte Dateien in 2 Gruppen gefunden." && has "$out" "6 Dateien zum Vergleichen gefunden (6 '"'"'neu'"'"', 0 '"'"'Bestand'"'"')." && has "$out" "Suche gestartet" && ! has "$out" "Found"'

run "-lang \"en\" $scan"
check "-lang en keeps the built-in English" eval '[ $rc -eq 0 ] && has "$out" "Found 5 duplicate files in 2 sets."'

run "-lang \"xx\" $scan"
check "an unknown code falls back to the user's language (English here)" eval '[ $rc -eq 0 ] && has "$out" "Found 5 duplicate files in 2 sets."'

run "-lang \"de\" -addfolder \"$(p "$work/missing")\" -run"
check "a German message on failure" eval '[ $rc -eq 1 ] && has "$err" "existiert nicht"'

run "-lang \"de\" -bogus"
check "-lang is no command of the script; the others are still checked" eval '[ $rc -eq 1 ] && has "$err" "Unbekannter Befehl in der Befehlszeile: \"bogus\""'

if [ -z "$wine" ]; then
  # The user's language chooses when the command line names none.
  out="$(LC_ALL=de_DE.UTF-8 "$prog" -addfolder "$work/fresh" -run -showlog 2>"$work/err" </dev/null)"; rc=$?
  check "the user's language (LC_ALL=de_DE) chooses German" eval '[ $rc -eq 0 ] && has "$out" "5 doppelte Dateien in 2 Gruppen gefunden."'
  out="$(LC_ALL=de_AT.UTF-8 "$prog" -lang "en" -addfolder "$work/fresh" -run -showlog 2>"$work/err" </dev/null)"; rc=$?
  check "-lang en wins over the user's language" eval '[ $rc -eq 0 ] && has "$out" "Found 5 duplicate files in 2 sets."'

  # An installed layout: the program in bin/, the language files in
  # share/zwillo/.
  mkdir -p "$work/prefix/bin" "$work/prefix/share/zwillo"
  cp "$prog" "$work/prefix/bin/"
  cp "$(dirname "$prog")/de.zwl" "$work/prefix/share/zwillo/"
  out="$("$work/prefix/bin/$(basename "$prog")" -lang "de" -addfolder "$work/fresh" -run -showlog 2>"$work/err" </dev/null)"; rc=$?
  check "an installed program finds ../share/zwillo/de.zwl" eval '[ $rc -eq 0 ] && has "$out" "5 doppelte Dateien in 2 Gruppen gefunden."'
fi

echo "language end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
