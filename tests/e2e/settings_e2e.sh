#!/usr/bin/env bash
# The stored settings in the program without a window: a first run writes
# nothing; a settings file's criteria and masks apply to a scan and are
# written back at the end; -nosavereg keeps the file as it was; a damaged
# file gives the defaults and a warning in the log.
#   settings_e2e.sh PROGRAM       (natively: the settings file of POSIX)
set -u
prog="$1"
wine=""
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-settings.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_lib.sh"
settings="$XDG_CONFIG_HOME/zwillo/settings.reg"

mkdir -p "$work/fresh/sub"
printf 'alpha content' > "$work/fresh/a1.txt"
printf 'alpha content' > "$work/fresh/sub/a2.txt"
printf 'alpha content' > "$work/fresh/a3.dat"
printf 'beta content!' > "$work/fresh/b1.txt"
printf 'beta content!' > "$work/fresh/sub/b2.dat"

run "-addfolder \"$work/fresh\" -run -showlog"
check "a first run scans with the defaults" eval '[ $rc -eq 0 ] && has "$out" "Found 5 files to compare"'
check "a first run writes no settings" eval '[ ! -e "$settings" ]'

# Size and content, the limit mask *.txt, and the integers a reader needs.
mkdir -p "$XDG_CONFIG_HOME/zwillo"
{
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvanta\\Zwillo Pro]\n'
  printf '"Comp_Filename"=dword:00000000\n"Comp_Size"=dword:00000001\n'
  printf '"Comp_Date"=dword:00000000\n"Comp_Content"=dword:00000001\n'
  for v in Scan_AttribMode Scan_AttribReadOnly Scan_AttribHidden Scan_AttribArchive \
           Scan_AttribSystem Scan_SizeMode Scan_Size1Unit Scan_Size2Unit Comm_Language \
           Comm_NoStatusFilenames Comm_FindEmptyDirs Comm_FilesizeDisplayUnit Comm_DisplaySecs \
           Comm_PathShortening; do
    printf '"%s"=dword:00000000\n' "$v"
  done
  printf '"Scan_MaskLiStates"="1"\n"Scan_MaskLi"="*.txt\\r\\n"\n'
} > "$settings"

run "-addfolder \"$work/fresh\" -run -showlog"
check "the stored limit mask applies" eval '[ $rc -eq 0 ] && has "$out" "Found 3 files to compare" && has "$out" "Found 2 duplicate files in 1 sets."'
stored="$(cat "$settings")"
check "the settings are written back at the end" eval 'has "$stored" "\"Scan_MaskLi\"=\"*.txt\\r\\n\"" && has "$stored" "\"Scan_DirsN\"=\"$work/fresh\"" && has "$stored" "\"Comp_Size\"=dword:00000001" && has "$stored" "\"ProgPath\"="'
check "the settings file is the owner's only" eval '[ "$(stat -c %a "$settings")" = 600 ]'

before="$(sha256sum < "$settings")"
run "-nosavereg -clearfolders -addmask \"*.dat\" x -addfolder \"$work/fresh\" -run -showlog"
check "-nosavereg: the run still uses the stored mask" eval '[ $rc -eq 0 ] && has "$out" "Found 3 files to compare"'
check "-nosavereg: nothing is written" eval '[ "$(sha256sum < "$settings")" = "$before" ]'

printf 'REGEDIT4\n\nnot a line of a settings file\n' > "$settings"
run "-addfolder \"$work/fresh\" -run -showlog"
check "a damaged file: the defaults, and the log says what was skipped" eval '[ $rc -eq 0 ] && has "$out" "Found 5 files to compare" && has "$out$err" "The settings file is damaged" && has "$out$err" "settings.reg: line 3"'

echo "settings end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
