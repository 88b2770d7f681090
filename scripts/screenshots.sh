#!/usr/bin/env bash
# Pictures of the desktop program under wine, for looking at what a user
# sees: every page, the results during and after a scan, the countdown box,
# the check-by-criteria dialog, the scan log, the exception report and a help
# topic opened with F1.
#   scripts/screenshots.sh BUILD_DIR      (run under a display, e.g. xvfb-run)
# Writes BUILD_DIR/screenshots/*.png. Wine draws the window frames in a
# virtual desktop of its own; every program is ended after its picture.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
prog="$build/zwillo.exe"
drive="$build/tests/zwdrive.exe"
wine="$root/scripts/wine-run.sh"
out="$build/screenshots"
work="$build/screenshots-work"
rm -rf "$out" "$work"
mkdir -p "$out" "$work"
export WINEDEBUG=-all
win() { printf 'Z:%s' "${1//\//\\}"; }

# The demo tree of `make demo`, plus a larger one for the picture of a scan
# in progress.
tree="$work/demo"
mkdir -p "$tree/photos/2023" "$tree/photos/2024" "$tree/backup/photos" "$tree/docs" "$tree/backup/docs"
for i in 1 2 3 4 5; do head -c $((20000 + i * 1000)) /dev/urandom > "$tree/photos/2024/img_$i.jpg"; done
cp "$tree/photos/2024/img_1.jpg" "$tree/photos/2023/holiday.jpg"
cp "$tree/photos/2024/img_2.jpg" "$tree/backup/photos/img_2.jpg"
cp "$tree/photos/2024/img_2.jpg" "$tree/backup/photos/img_2 (copy).jpg"
cp "$tree/photos/2024/img_4.jpg" "$tree/backup/photos/img_4.jpg"
printf 'minutes of the meeting\n' > "$tree/docs/minutes.txt"
printf 'minutes of the meeting\n' > "$tree/backup/docs/minutes.txt"
printf 'minutes of the meeting!\n' > "$tree/docs/minutes-draft.txt"
big="$work/big"
# 60,000 small files in 1,200 folders, a quarter of them copies.
python3 - "$big" <<'EOF'
import os, sys
root = sys.argv[1]
for i in range(60000):
    folder = os.path.join(root, "d%d" % (i // 2500), "e%d" % (i // 50))
    if i % 50 == 0:
        os.makedirs(folder, exist_ok=True)
    n = i - i % 4 if i % 4 == 3 else i
    with open(os.path.join(folder, "f%d.txt" % i), "wb") as f:
        f.write(b"%d " % n * (1 + n % 300))
EOF

# shot NAME SECONDS "command line" [xdotool keys...]: starts the program,
# waits, presses the keys, waits a little, takes the picture, ends wine.
shot() {
  local name="$1" wait="$2" line="$3"
  shift 3
  printf '@%s %s\r\n' "$(win "$prog")" "$line" > "$work/run.bat"
  "$wine" explorer /desktop=zwillo,1000x700 cmd /c "$(win "$work/run.bat")" >/dev/null 2>&1 &
  local pid=$!
  sleep "$wait"
  if [ "${1:-}" = drive ]; then
    # Steps of the test driver: clicks and keys through the input queue.
    shift
    # (in the same virtual desktop, where it sees the program's windows)
    "$wine" explorer /desktop=zwillo,1000x700 "$drive" "window=Zwillo Pro" "$@" >/dev/null 2>&1 ||
      echo "  ($name: a step failed)"
    sleep 2
  elif [ $# -gt 0 ]; then
    xdotool key --delay 300 "$@" || true
    sleep 2
  fi
  import -window root "$out/$name.png"
  "$wine" --restart
  wait "$pid" 2>/dev/null || true
  echo "  $out/$name.png"
}

T="$(win "$tree")"
echo "Screenshots:"
shot results 12 "-addfolder \"$T\" -run -checkfirst"
shot results-scanning 9 "-setcompare s c -addfolder \"$(win "$big")\" -run"
shot page-comparison 10 "-page 2"
shot page-scan 10 "-addfolder \"$T\" -page 3"
shot page-common 10 "-page 4"
shot page-help 10 "-page 5"
shot page-about 10 "-page 5" Right
shot help-topic 10 "-page 5" F1
shot countdown 14 "-addfolder \"$T\" -run -checklast -deletechecked c"
shot check-by-criteria 12 "-addfolder \"$T\" -run" ctrl+shift+b
shot scan-log 12 "-addfolder \"$T\" -run -showlog"
ZWILLO_TEST_EXCEPTION=1 shot exception 10 ""
# The option pages' dialogs, opened by clicks.
shot adv-filename 10 "-page 2" drive "click=advanced...@0"
shot adv-size 10 "-page 2" drive "click=advanced...@1"
shot adv-date 10 "-page 2" drive "click=advanced...@2"
shot adv-content 10 "-page 2" drive "click=advanced...@3"
shot add-folder 10 "-page 3" drive "click=+@0"
shot reg-filetypes 10 "-page 4" drive "click=save settings in registry" "click=..."
# German captions.
shot page-comparison-de 10 "-lang \"de\" -page 2"
shot page-scan-de 10 "-lang \"de\" -addfolder \"$T\" -page 3"
shot page-common-de 10 "-lang \"de\" -page 4"
shot results-de 12 "-lang \"de\" -addfolder \"$T\" -run -checkfirst"
rm -rf "$work"
