#!/usr/bin/env bash
# ZIP archives and catalog files end to end: the program without a window
# scans a fresh folder against a backup given as a ZIP archive, as archives
# met inside a folder, and as a catalog file written from an earlier scan;
# each must find what scanning the backup's files themselves finds.
#   archives_e2e.sh PROGRAM            the native program
#   archives_e2e.sh PROGRAM.exe WINE   the Windows console program under wine
set -u
prog="$1"
wine="${2:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zwillo-archives.XXXXXX")"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_lib.sh"

# The separator in the program's paths.
if [ -n "$wine" ]; then sep='\'; else sep='/'; fi

mkdir -p "$work/backup/photos/2004" "$work/backup/music" "$work/fresh/x"
printf 'alpha content' > "$work/backup/photos/a.jpg"
printf 'beta content!' > "$work/backup/photos/2004/b.jpg"
printf 'gamma gamma' > "$work/backup/music/c.mp3"
printf 'delta' > "$work/backup/music/d.mp3"
printf 'alpha content' > "$work/fresh/a-new.jpg"
printf 'beta content!' > "$work/fresh/x/b-new.jpg"
printf 'beta content!' > "$work/fresh/b-also.jpg"
printf 'gamma gamma' > "$work/fresh/c-new.mp3"
printf 'alphA content' > "$work/fresh/same-size.jpg"  # size of a.jpg, other bytes
printf 'epsilon' > "$work/fresh/e.txt"
# Dates differ between the backup and the copies, as they would.
touch -d '2019-03-04 05:06:07' "$work"/backup/photos/a.jpg "$work"/backup/photos/2004/b.jpg
touch -d '2021-07-08 09:10:11' "$work"/backup/music/*.mp3

# Text export lines: "SC<TAB>name<TAB>path<TAB>size<TAB>date<TAB>crc". Prints
# "name size date crc" of every entry, sorted: the sets without their places.
entries() { tr -d '\r' < "$1" | awk -F'\t' '{ print $2, $4, $5, $6 }' | sort; }
# The paths of the entries named $2.
path_of() { tr -d '\r' < "$1" | awk -F'\t' -v n="$2" '$2 == n { print $3 }'; }

# A folder as a catalog with complete paths stores it: from the drive
# ("Z:\...") on Windows, below the root on POSIX.
complete() { if [ -n "$wine" ]; then p "$1"; else printf '%s' "${1#/}"; fi; }

scan_fresh_against() {  # ROW OUTPUT
  run "-setcompare s c -addfolder \"$(p "$work/fresh")\" -addfolder \"$1\" l -run -exportresults t \"$(p "$2")\" -showlog"
}

# --- the backup's files themselves: the reference --------------------------
scan_fresh_against "$(p "$work/backup")" "$work/files.txt"
check "reference: the copies of three backup files" eval '[ $rc -eq 0 ] && has "$out" "Found 7 duplicate files in 3 sets."'

# --- a ZIP archive as a library row ------------------------------------------
(cd "$work/backup" && zip -qr "$work/backup.zip" .)
scan_fresh_against "$(p "$work/backup.zip")" "$work/zip.txt"
check "zip row: the same sets" eval '[ $rc -eq 0 ] && has "$out" "Found 7 duplicate files in 3 sets."'
check "zip row: entries named by the archive and their folder" \
  eval '[ "$(path_of "$work/zip.txt" b.jpg)" = "backup.zip>${sep}photos${sep}2004${sep}" ]'
check "zip row: sizes and CRC32 as the files give them" \
  eval '[ "$(entries "$work/zip.txt" | cut -d" " -f1,2,5)" = "$(entries "$work/files.txt" | cut -d" " -f1,2,5)" ]'

# --- archives met inside a scanned folder ------------------------------------
mkdir -p "$work/fresh2/old"
cp "$work/backup.zip" "$work/fresh2/old/"
printf 'beta content!' > "$work/fresh2/b-new.jpg"
run "-setcompare s c -scanarchives -addfolder \"$(p "$work/fresh2")\" -run -exportresults t \"$(p "$work/inside.txt")\" -showlog"
check "scanarchives: the copy inside the archive is found" \
  eval '[ $rc -eq 0 ] && has "$out" "Found 2 duplicate files in 1 sets." &&
        [ "$(path_of "$work/inside.txt" b.jpg)" = "$(p "$work/fresh2/old/backup.zip")>${sep}photos${sep}2004${sep}" ]'
run "-setcompare s c -addfolder \"$(p "$work/fresh2")\" -run -showlog"
check "without scanarchives the archive is a file like any other" eval '[ $rc -eq 0 ] && has "$out" "No duplicate files found."'

# A damaged archive: left out after the automatic answer, or the run stops.
printf 'PK\003\004 not really' > "$work/broken.zip"
run "-addfolder \"$(p "$work/fresh")\" -addfolder \"$(p "$work/broken.zip")\" l -run"
check "a damaged zip row is named" eval 'has "$out$err" "could not be opened or is corrupt"'

# --- a catalog written from a scan's results --------------------------------
# No criterion lists every file; the catalog keeps checksums and attributes.
run "-setcompare -addfolder \"$(p "$work/backup")\" -run -createcatfile f d \"$(p "$work/disk")\""
check "createcatfile writes the catalog, adding its extension" eval '[ $rc -eq 0 ] && [ -s "$work/disk.zwc" ]'
scan_fresh_against "$(p "$work/disk.zwc")" "$work/catalog.txt"
check "catalog row: the same sets" eval '[ $rc -eq 0 ] && has "$out" "Found 7 duplicate files in 3 sets."'
check "catalog row: the same names, sizes, dates and CRC32 as the files" \
  eval '[ "$(entries "$work/catalog.txt")" = "$(entries "$work/files.txt")" ]'
check "catalog row: paths below the folder common to all files" \
  eval '[ "$(path_of "$work/catalog.txt" b.jpg)" = "disk.zwc>${sep}photos${sep}2004${sep}" ]'

# Complete paths, checked entries only: the folders from the root down.
run "-setcompare s c -addfolder \"$(p "$work/backup")\" -addfolder \"$(p "$work/fresh")\" -run -checkall n -checkbycriteria filename=\"b*\" -createcatfile c l f \"$(p "$work/checked.zwc")\""
check "createcatfile c l: written" eval '[ $rc -eq 0 ] && [ -s "$work/checked.zwc" ]'
scan_fresh_against "$(p "$work/checked.zwc")" "$work/checked.txt"
check "createcatfile c l: only the checked files, with complete paths" \
  eval '[ $rc -eq 0 ] && [ "$(path_of "$work/checked.txt" b.jpg)" = "checked.zwc>${sep}$(complete "$work/backup/photos/2004/")" ] &&
        [ -z "$(path_of "$work/checked.txt" a.jpg)" ]'

# Paths relative to a given folder (the shell takes the quotes of r="...";
# the program must still see one folder, blanks and all).
mkdir -p "$work/my backups"
cp -r "$work/backup" "$work/my backups/"
run "-setcompare -addfolder \"$(p "$work/my backups")\" -run -createcatfile f r=\"$(p "$work/my backups")\" \"$(p "$work/rel.zwc")\""
check "createcatfile r=: written under its own name" eval '[ $rc -eq 0 ] && [ -s "$work/rel.zwc" ] && [ ! -e "$work/r=" ]'
scan_fresh_against "$(p "$work/rel.zwc")" "$work/rel.txt"
# The given folder holds every file; as always the stored paths start below
# the deepest folder that does (here "backup", the given folder's only one).
check "createcatfile r=: paths below the folder common to all files" \
  eval '[ $rc -eq 0 ] && [ "$(path_of "$work/rel.txt" b.jpg)" = "rel.zwc>${sep}photos${sep}2004${sep}" ]'

# Without checksums the catalog serves a size comparison but not a content one.
run "-setcompare -addfolder \"$(p "$work/backup")\" -run -createcatfile d \"$(p "$work/nosums.zwc")\""
scan_fresh_against "$(p "$work/nosums.zwc")" "$work/nosums.txt"
check "a catalog without checksums stops a content comparison" \
  eval '[ $rc -eq 1 ] && has "$out$err" "does not contain checksum information"'
run "-setcompare s -addfolder \"$(p "$work/fresh")\" -addfolder \"$(p "$work/nosums.zwc")\" l -run -showlog"
check "a catalog without checksums serves a size comparison" eval '[ $rc -eq 0 ] && has "$out" "Found 8 duplicate files in 2 sets."'

# A file that is no catalog.
printf 'ZWCatF but nothing more' > "$work/bad.zwc"
run "-addfolder \"$(p "$work/fresh")\" -addfolder \"$(p "$work/bad.zwc")\" l -run"
check "a damaged catalog row is named with its reason" eval 'has "$out$err" "will not be scanned" && has "$out$err" "invalid file header"'

echo "archives end-to-end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
