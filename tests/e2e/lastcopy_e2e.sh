#!/usr/bin/env bash
# The last copy of a file is never lost: the program without a window is set
# on small real trees in the ways that once made it delete, recycle, move or
# link away the only copy of a file, and after each command every distinct
# content that was in the tree before must still be in it.
#   lastcopy_e2e.sh PROGRAM            the native program
#   lastcopy_e2e.sh PROGRAM.exe WINE   the Windows console program under wine
# Cases that need root (bind mounts, a small tmpfs) or POSIX links are
# skipped with a message where they cannot run.
set -u
prog="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
wine="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-lastcopy.XXXXXX")"
mounts=()
cleanup() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/e2e_lib.sh"

if [ -n "$wine" ]; then sep='\'; else sep='/'; fi
skip() { echo "skipped: $1"; }
is_root() { [ "$(id -u)" -eq 0 ]; }

# kept_check NAME BEFORE FOLDER...: every content of BEFORE is still there.
kept_check() {
  local name="$1" before="$2"
  shift 2
  check "$name: every content is still there" kept "$before" "$@"
}

# A file of $2 pseudo-random bytes from seed $3.
# twins DIR TEXT [TIME]: DIR/a/f.txt and DIR/b/f.txt, two files holding TEXT
# (with that last-write time when given).
twins() {
  mkdir -p "$1/a" "$1/b"
  printf '%s' "$2" > "$1/a/f.txt"
  printf '%s' "$2" > "$1/b/f.txt"
  if [ -n "${3:-}" ]; then touch -d "$3" "$1/a/f.txt" "$1/b/f.txt"; fi
}
random_file() { python3 -c "import random,sys; random.seed($3); sys.stdout.buffer.write(bytes(random.getrandbits(8) for _ in range($2)))" > "$1"; }

# forge SRC DST: DST gets other bytes than SRC with the same size, the same
# CRC32 and the same four bytes in the middle (a byte near the start is
# changed and four bytes after it are set to bring the CRC32 back).
forge() {
  python3 - "$1" "$2" <<'EOF'
import sys, zlib
src = bytearray(open(sys.argv[1], 'rb').read())
table = []
for i in range(256):
    c = i
    for _ in range(8):
        c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
    table.append(c)
inv = {t >> 24: i for i, t in enumerate(table)}
def forward(r, data):
    for b in data:
        r = (r >> 8) ^ table[(r ^ b) & 0xFF]
    return r
def backward(r, data):
    for b in reversed(data):
        j = inv[r >> 24]
        r = (((r ^ table[j]) << 8) & 0xFFFFFFFF) | (j ^ b)
    return r
dst = bytearray(src)
dst[10] ^= 0x5A
pos = 20
target = zlib.crc32(bytes(src))
before = forward(0xFFFFFFFF, dst[:pos])
needed = backward(backward(target ^ 0xFFFFFFFF, dst[pos + 4:]), b'\0\0\0\0')
dst[pos:pos + 4] = (before ^ needed).to_bytes(4, 'little')
assert zlib.crc32(bytes(dst)) == target and dst != src and len(dst) == len(src)
open(sys.argv[2], 'wb').write(dst)
EOF
}

# Text export lines: "SC<TAB>name<TAB>path<TAB>...". The full names of the
# entries whose check mark is $2 (1 checked, 0 not), as this script sees them.
host_path() {
  local x="$1"
  if [ -n "$wine" ]; then x="${x#Z:}"; x="${x//\\//}"; fi
  printf '%s' "$x"
}
marked() {
  tr -d '\r' < "$1" | awk -F'\t' -v want="$2" 'substr($1, 2, 1) == want { print $3 $2 }' |
    while IFS= read -r line; do host_path "$line"; echo; done
}

# --- one folder given twice under two names ----------------------------------
# Each spelling names the folder "real" a second time, as a fresh and as a
# library row; the first file of each set is checked and deleted.
T="$work/twice"
mkdir -p "$T/real/sub"
printf 'only copy' > "$T/real/f.txt"
printf 'another only copy' > "$T/real/sub/g.txt"
before="$(contents "$T")"
spellings=("$(p "$T")${sep}${sep}real" "$(p "$T")${sep}.${sep}real${sep}" "$(p "$T/real")${sep}sub${sep}..")
# A link to the folder (under wine a plain folder to the program, as a
# junction would be).
ln -s real "$T/link"
spellings+=("$(p "$T/link")")
for second in "${spellings[@]}"; do
  for list in f l; do
    run "-execmode p -setcompare s c -addfolder \"$(p "$T/real")\" -addfolder \"$second\" $list -run -checkfirst -deletechecked p"
    kept_check "twice ($second, $list)" "$before" "$T"
  done
done
# A relative name, from the folder that holds it.
pushd "$T" >/dev/null
run "-execmode p -setcompare s c -addfolder \"$(p "$T/real")\" -addfolder \"real\" l -run -checkfirst -deletechecked p"
popd >/dev/null
kept_check "twice (a relative name)" "$before" "$T"

# The same folder mounted a second time (root only).
if [ -z "$wine" ] && is_root && mkdir -p "$T/bind" && mount --bind "$T/real" "$T/bind" 2>/dev/null; then
  mounts+=("$T/bind")
  for list in f l; do
    run "-execmode p -setcompare s c -addfolder \"$T/real\" -addfolder \"$T/bind\" $list -run -checkall -deletechecked p -showlog"
    kept_check "bind mount ($list)" "$before" "$T/real"
  done
  umount "$T/bind" && mounts=()
else
  skip "a folder mounted twice (needs root and mount)"
fi

# --- a result list saved before a folder became a link to its twin -----------
if [ -z "$wine" ]; then
  T="$work/relinked"
  twins "$T" 'twin content' '2020-01-02 03:04:05'
  run "-setcompare s c -addfolder \"$T/a\" -addfolder \"$T/b\" -run -checkfirst -exportresults \"$work/relinked.zwr\""
  check "relinked: the list is saved" eval '[ $rc -eq 0 ] && [ -s "$work/relinked.zwr" ]'
  rm -rf "$T/a"
  ln -s b "$T/a"
  before="$(contents "$T")"
  run "\"$work/relinked.zwr\" -deletechecked p"
  kept_check "relinked" "$before" "$T"
  check "relinked: the delete fails and names the same file" eval '[ $rc -eq 1 ] && has "$err" "is the same file under another name"'
else
  skip "a folder replaced by a link to its twin (POSIX)"
fi

# --- hard links ----------------------------------------------------------------
T="$work/hard"
mkdir -p "$T/a" "$T/b"
printf 'linked content' > "$T/a/f.txt"
ln "$T/a/f.txt" "$T/b/f.txt"
before="$(contents "$T")"
run "-execmode p -setcompare s c -addfolder \"$(p "$T")\" -run -checkfirst -deletechecked p -showlog"
kept_check "hard links" "$before" "$T"
# A list from before the copies became one file.
rm "$T/b/f.txt"
printf 'linked content' > "$T/b/f.txt"
run "-setcompare s c -addfolder \"$(p "$T")\" -run -checkfirst -exportresults \"$(p "$work/hard.zwr")\""
rm "$T/b/f.txt"
ln "$T/a/f.txt" "$T/b/f.txt"
before="$(contents "$T")"
run "\"$(p "$work/hard.zwr")\" -deletechecked p"
kept_check "hard links after the export" "$before" "$T"
check "hard links after the export: the delete fails" eval '[ $rc -eq 1 ]'

# --- two different files with equal size, CRC32 and middle bytes ---------------
T="$work/forged"
mkdir -p "$T"
random_file "$T/one.bin" 4096 1
forge "$T/one.bin" "$T/two.bin"
before="$(contents "$T")"
check "forged: two contents" eval '[ "$(printf "%s\n" "$before" | wc -l)" -eq 2 ]'
for action in "-deletechecked p" "-recyclechecked p" "-movechecked \"$(p "$work/forged-moved")\" p" "-shortcutchecked p"; do
  run "-execmode p -setcompare s c -addfolder \"$(p "$T")\" -run -checkfirst -exportresults t \"$(p "$work/forged.txt")\" $action -showlog"
  check "forged: the scan takes them for duplicates ($action)" eval '[ "$(marked "$work/forged.txt" 1 | wc -l)" -eq 1 ]'
  kept_check "forged ($action)" "$before" "$T"
  check "forged: the action fails and says why ($action)" eval '[ $rc -eq 1 ] && has "$err" "no unchecked copy holds the same bytes now"'
done

# --- a file rewritten with other bytes of the same length, time reset ----------
# "grown": the checked file gets other bytes of another length, its time reset.
for which in checked kept grown; do
  T="$work/rewritten-$which"
  twins "$T" 'original bytes' '2020-01-02 03:04:05'
  run "-setcompare s c -addfolder \"$(p "$T")\" -run -checkfirst -exportresults \"$(p "$work/rw.zwr")\" -exportresults t \"$(p "$work/rw.txt")\""
  if [ "$which" = kept ]; then f="$(marked "$work/rw.txt" 0)"; else f="$(marked "$work/rw.txt" 1)"; fi
  if [ "$which" = grown ]; then printf 'original bytes, and more' > "$f"; else printf 'ORIGINAL BYTES' > "$f"; fi
  touch -d '2020-01-02 03:04:05' "$f"
  before="$(contents "$T")"
  run "\"$(p "$work/rw.zwr")\" -deletechecked p"
  kept_check "rewritten ($which file)" "$before" "$T"
  check "rewritten ($which file): the delete fails" eval '[ $rc -eq 1 ]'
  [ "$which" = grown ] && check "grown: the file is named as changed since the scan" eval 'has "$err" "has changed since the scan"'
done

# --- a catalog of a folder used against the folder itself ----------------------
T="$work/catself"
mkdir -p "$T/c/sub"
printf 'catalogued one' > "$T/c/one.txt"
printf 'catalogued two' > "$T/c/sub/two.txt"
run "-setcompare -addfolder \"$(p "$T/c")\" -run -createcatfile f d \"$(p "$T/c.zwc")\""
check "catalog of itself: written" eval '[ $rc -eq 0 ] && [ -s "$T/c.zwc" ]'
before="$(contents "$T/c")"
run "-execmode p -setcompare s c -addfolder \"$(p "$T/c")\" -addfolder \"$(p "$T/c.zwc")\" l -run -checkall -deletechecked p -showlog"
kept_check "catalog of itself" "$before" "$T/c"
check "catalog of itself: the delete fails and says why" eval '[ $rc -eq 1 ] && has "$err" "was written from this very file"'
# A catalog of another folder (a backup disk that is not at hand) is trusted.
mkdir -p "$T/backup"
cp "$T/c/one.txt" "$T/backup/one.txt"
run "-setcompare -addfolder \"$(p "$T/backup")\" -run -createcatfile f d \"$(p "$T/backup.zwc")\""
rm -rf "$T/backup"
run "-execmode p -setcompare s c -addfolder \"$(p "$T/c")\" -addfolder \"$(p "$T/backup.zwc")\" l -run -checkall -deletechecked p -showlog"
check "catalog of a backup: the catalogued file goes, the other stays" eval '[ $rc -eq 0 ] && [ ! -e "$T/c/one.txt" ] && [ -f "$T/c/sub/two.txt" ]'

# --- a ZIP archive whose data is damaged as the only kept copy -----------------
T="$work/zip"
mkdir -p "$T/fresh" "$T/pack"
random_file "$T/fresh/data.bin" 20000 3
cp "$T/fresh/data.bin" "$T/pack/data.bin"
(cd "$T/pack" && zip -q "$T/good.zip" data.bin)
python3 - "$T/good.zip" "$T/bad.zip" <<'EOF'
import sys
z = bytearray(open(sys.argv[1], 'rb').read())
z[30 + len('data.bin') + 100] ^= 0xFF   # inside the member's data, not its directory
open(sys.argv[2], 'wb').write(z)
EOF
rm -rf "$T/pack"
before="$(contents "$T/fresh")"
run "-execmode p -setcompare s c -addfolder \"$(p "$T/fresh")\" -addfolder \"$(p "$T/bad.zip")\" l -run -checkall -deletechecked p"
kept_check "damaged zip" "$before" "$T/fresh"
check "damaged zip: the delete fails and says why" eval '[ $rc -eq 1 ] && has "$err" "cannot be read or is damaged"'
run "-execmode p -setcompare s c -addfolder \"$(p "$T/fresh")\" -addfolder \"$(p "$T/good.zip")\" l -run -checkall -deletechecked p"
check "sound zip: the file it holds goes" eval '[ $rc -eq 0 ] && [ ! -e "$T/fresh/data.bin" ]'

# --- moving across file systems ------------------------------------------------
if [ -z "$wine" ] && is_root && mkdir -p "$work/small" && mount -t tmpfs -o size=1m tmpfs "$work/small" 2>/dev/null; then
  mounts+=("$work/small")
  T="$work/cross"
  mkdir -p "$T/a" "$T/b"
  random_file "$T/a/huge.bin" 1500000 6
  cp "$T/a/huge.bin" "$T/b/huge.bin"
  before="$(contents "$T")"
  run "-execmode p -setcompare s c -addfolder \"$T/a\" -addfolder \"$T/b\" l -run -checkfirst -movechecked \"$work/small/dest\" p"
  kept_check "move to a full file system" "$before" "$T"
  check "move to a full file system: the file stays, nothing half is left" eval '[ $rc -eq 1 ] && [ -f "$T/a/huge.bin" ] && [ -z "$(find "$work/small" -type f)" ]'
  rm "$T/a/huge.bin" "$T/b/huge.bin"
  random_file "$T/a/big.bin" 700000 5
  cp "$T/a/big.bin" "$T/b/big.bin"
  before="$(contents "$T")"
  run "-execmode p -setcompare s c -addfolder \"$T/a\" -addfolder \"$T/b\" l -run -checkfirst -movechecked \"$work/small/dest\" p"
  moved="$(find "$work/small" -type f)"
  check "move to another file system: the file arrived whole under its name" eval '[ $rc -eq 0 ] && [ "$moved" = "$work/small/dest$T/a/big.bin" ] && cmp -s "$moved" "$T/b/big.bin" && [ ! -e "$T/a/big.bin" ]'
  umount "$work/small" && mounts=()
else
  skip "moving to a small tmpfs (needs root and mount)"
fi

# --- shortcuts to rows given as relative names ---------------------------------
if [ -z "$wine" ]; then
  T="$work/relative"
  twins "$T" 'relative content'
  pushd "$T" >/dev/null
  run "-execmode p -setcompare s c -addfolder \"./a\" -addfolder \"./b\" l -run -checkfirst -shortcutchecked p"
  popd >/dev/null
  check "relative rows: the shortcut points at the copy" eval '[ -L "$T/a/f.txt" ] && [ "$(cat "$T/a/f.txt")" = "relative content" ]'
else
  skip "shortcuts to relative rows (POSIX links)"
fi

# --- a change of time zone between export and import ---------------------------
if [ -z "$wine" ]; then
  T="$work/tz"
  twins "$T" 'zoned content'
  TZ=UTC run "-setcompare s c -addfolder \"$T/a\" -addfolder \"$T/b\" l -run -checkfirst -exportresults \"$work/tz.zwr\""
  TZ=Asia/Tokyo run "\"$work/tz.zwr\" -deletechecked p"
  check "time zone: the file is still the one listed" eval '[ $rc -eq 0 ] && [ ! -e "$T/a/f.txt" ] && [ -f "$T/b/f.txt" ]'
else
  skip "a change of time zone (TZ of the native program)"
fi

# --- a catalog written over a file that is no catalog --------------------------
T="$work/catover"
mkdir -p "$T/d"
printf 'x' > "$T/d/x.txt"
printf 'precious, not a catalog' > "$T/notes.zwc"
run "-setcompare -addfolder \"$(p "$T/d")\" -run -createcatfile \"$(p "$T/notes.zwc")\""
check "catalog over another file: refused, the file stays" eval '[ $rc -eq 1 ] && [ "$(cat "$T/notes.zwc")" = "precious, not a catalog" ]'

echo "lastcopy e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
