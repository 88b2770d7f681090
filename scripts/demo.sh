#!/usr/bin/env bash
# The main job: a real scan of a generated folder tree with duplicates, by
# the program without a window.
#   scripts/demo.sh PROGRAM [FOLDER]
# Without FOLDER the demo tree is made under build/demo-tree first.
set -euo pipefail
prog="$1"
tree="${2:-}"
if [ -z "$tree" ]; then
  tree="$(cd "$(dirname "$0")/.." && pwd)/build/demo-tree"
  rm -rf "$tree"
  mkdir -p "$tree/photos/2023" "$tree/photos/2024" "$tree/backup/photos" "$tree/docs" "$tree/backup/docs"
  for i in 1 2 3 4 5; do
    head -c $((20000 + i * 1000)) /dev/urandom > "$tree/photos/2024/img_$i.jpg"
  done
  cp "$tree/photos/2024/img_1.jpg" "$tree/photos/2023/holiday.jpg"
  cp "$tree/photos/2024/img_2.jpg" "$tree/backup/photos/img_2.jpg"
  cp "$tree/photos/2024/img_2.jpg" "$tree/backup/photos/img_2 (copy).jpg"
  printf 'minutes of the meeting\n' > "$tree/docs/minutes.txt"
  printf 'minutes of the meeting\n' > "$tree/backup/docs/minutes.txt"
  printf 'minutes of the meeting!\n' > "$tree/docs/minutes-draft.txt"
  head -c 21000 /dev/urandom > "$tree/docs/same-size-other-content.bin"
fi
generated="${2:-}"
list="$(mktemp "${TMPDIR:-/tmp}/zwillo-demo.XXXXXX.txt")"
trap 'rm -f "$list"' EXIT
echo "Scanning $tree for files of equal size and content:"
echo "  $prog -setcompare s c -addfolder \"$tree\" -run -showlog -exportresults \"$list\""
"$prog" -setcompare s c -addfolder "$tree" -run -showlog -exportresults "$list"
echo
echo "The duplicate sets (shading and check mark, name, folder, size, date, CRC32):"
tr -d '\r' < "$list"
if [ -z "$generated" ]; then
  # Only the generated tree is changed: keep the first file of every set and
  # move the other copies out, with their folders, below build/demo-moved.
  moved="$(dirname "$tree")/demo-moved"
  rm -rf "$moved"
  echo
  echo "Moving all copies but the last of each set out of the demo tree:"
  echo "  $prog -setcompare s c -addfolder \"$tree\" -run -checkfirst -movechecked \"$moved\" p -showlog"
  "$prog" -setcompare s c -addfolder "$tree" -run -checkfirst -movechecked "$moved" p -showlog
  echo
  echo "Moved files:"
  (cd "$moved" && find . -type f | sort)
fi
