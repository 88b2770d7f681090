# Shared by the end-to-end scripts: running the program under test and
# counting checks. The sourcing script sets prog, wine (empty natively) and
# work (a temporary folder) first. The program's settings file and the
# desktop files it registers (POSIX) live in that folder, never in the
# user's own. (Wine's helper processes keep the data folder they were
# started with, so under wine it is left as it is.)
export XDG_CONFIG_HOME="$work/config"
if [ -z "${wine:-}" ]; then export XDG_DATA_HOME="$work/data"; fi
# The scripts check the English texts: the user's language must not pick
# a language file that lies beside the program.
export LC_ALL=C.UTF-8
passed=0
failed=0

# A path as the program under test sees it.
p() {
  if [ -n "$wine" ]; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi
}

# run "command line after the program name": sets out, err, rc. Under wine
# the command line goes through a batch file, so the program sees it as
# typed, quotes and all.
run() {
  if [ -n "$wine" ]; then
    local bat="$work/run.bat"
    printf '@%s %s\r\n' "$(p "$prog")" "$1" > "$bat"
    "$wine" cmd /c "$(p "$bat")" >"$work/out" 2>"$work/err" </dev/null
  else
    eval "\"$prog\" $1" >"$work/out" 2>"$work/err" </dev/null
  fi
  rc=$?
  out="$(cat "$work/out")"
  err="$(cat "$work/err")"
}

check() {  # check NAME CONDITION...
  local name="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
    echo "  exit status: $rc"
    echo "  stdout: ${out:0:3000}"
    echo "  stderr: ${err:0:2000}"
  fi
}
has() { [[ "$1" == *"$2"* ]]; }

# The distinct contents (SHA-256) of the regular files below the folders,
# one per line, sorted. Symbolic links are not followed: a link is no copy.
contents() { find "$@" -type f -print0 2>/dev/null | xargs -0 -r sha256sum | awk '{print $1}' | sort -u; }
# kept BEFORE FOLDER...: every content listed in BEFORE (a `contents` output)
# is still held by some file below the folders.
kept() {
  local before="$1"
  shift
  [ -z "$(comm -23 <(printf '%s\n' "$before") <(contents "$@"))" ]
}
