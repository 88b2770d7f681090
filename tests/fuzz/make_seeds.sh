#!/usr/bin/env bash
# Writes the seed corpora of the result list and command-line fuzz targets:
#   make_seeds.sh PROGRAM     (the program without a window, e.g. build/native/zwillo)
# Result lists (corpus/results/) are scans of a small generated tree exported
# by the program itself; the version-0 list is one of them with its records
# cut to the older layout. Command lines (corpus/cmdline/) are written here;
# the ones with zero bytes are argument lists as the shell hands them over.
# The catalog and ZIP seeds are not made here: they were written by the
# catalog writer and by zip and python3's zipfile.
set -euo pipefail
prog="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d /tmp/zwseed.XXXXXX)"
trap 'rm -rf "$work"' EXIT

results="$here/corpus/results"
cmdline="$here/corpus/cmdline"
rm -rf "$results" "$cmdline"
mkdir -p "$results" "$cmdline"

# --- result lists ---
cd "$work"
mkdir -p t/sub t/lib
printf 'alpha content' > t/a1.txt
printf 'alpha content' > t/sub/a2.txt
printf 'beta content!' > t/b1.txt
printf 'beta content!' > t/lib/b2.dat
printf 'gamma' > t/sub/g.txt
printf 'gamma' > t/lib/g.txt
touch -d '2020-02-29 12:34:56' t/a1.txt t/sub/a2.txt t/b1.txt t/lib/b2.dat t/sub/g.txt t/lib/g.txt
(cd t && zip -q -X ../pack.zip a1.txt sub/g.txt)

"$prog" -addfolder '"t"' -run -exportresults '"plain.zwr"'
"$prog" -setcompare s c -addfolder '"t/sub"' -addfolder '"t/lib"' l \
  -run -checkfirst -groupby s r -exportresults '"checked.zwr"'
"$prog" -setcompare n -addfolder '"t"' -run -checkall -exportresults '"names.zwr"'
"$prog" -setcompare s c -addfolder '"t"' -addfolder '"pack.zip"' l \
  -run -exportresults '"zip.zwr"'
cp plain.zwr checked.zwr names.zwr zip.zwr "$results"/

# The older layout: version 0, records without attributes and middle sample.
python3 - "$results/checked.zwr" "$results/v0.zwr" <<'PY'
import struct, sys
src = open(sys.argv[1], "rb").read()
head, body = bytearray(src[:23]), src[23:]
head[6:8] = struct.pack("<H", 0)
out, pos = bytes(head), 0
for _ in range(struct.unpack_from("<I", head, 10)[0]):
    rec = body[pos:pos + 41]
    plen, nlen = struct.unpack_from("<II", rec, 4)
    out += rec[:28] + rec[32:36] + rec[40:41] + body[pos + 41:pos + 41 + plen + nlen]
    pos += 41 + plen + nlen
open(sys.argv[2], "wb").write(out)
PY

# --- command lines ---
n=0
line() { n=$((n + 1)); printf '%s' "$1" > "$cmdline/line$n.txt"; }
line 'zwillo -setcompare s c -addfolder "/home/me/Pictures" -addfolder "/mnt/backup" l -run -showlog'
line '"C:\Program Files\Zwillo\zwillo.exe" /addfolder "c:\data" r /addmask x "*.tmp" /run /checkfirst /exportresults "dupes.txt" /recyclechecked p'
line 'zwillo "old.zwr" -importresults "old.zwr" -groupby s r -sortby d a -checklast n -checkselected y'
line 'zwillo -execmode p -logfile "scan.log" o -page 3 -clearfolders b -clearmasks x -scanarchives y -nosavereg -run -savelog "a.log" a'
line 'zwillo -addfolder "/data" -run -checkall n -checkbycriteria y s filename="b*" path="/data/*" size="<1000" date=">2020-01-01" -movechecked "/backup/extra" c'
line 'zwillo -setcompare -addfolder "/mnt/backup" -run -createcatfile f d r="/mnt/backup" "backup.zwc" -createcatfile c l "all.zwc"'
line 'zwillo -onerror showlog -onerror onerror close -addfolder "/x" -run -deletechecked i -shortcutchecked -close'
line 'zwillo -lang de -ADDFOLDER "/Mixed Case" F -Run -ShowLog -foo -addfolder -run'
args() { n=$((n + 1)); printf '%s\0' "$@" | head -c -1 > "$cmdline/args$n.bin"; }
args zwillo -addfolder "/home/me/My Pictures" l -run -exportresults dupes.txt
args zwillo -checkbycriteria filename=b* 'path=/a b/*' -createcatfile 'r=/mnt/my backup' x.zwc
args zwillo -addfolder '"/data"' -addmask '*.tmp' x '-run' -showlog
