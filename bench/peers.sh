#!/usr/bin/env bash
# Runs the program and the open-source duplicate finders jdupes, fdupes,
# rdfind and duff on the same generated trees, checks that every one of them
# found the same duplicate sets as the program and prints their times and
# peak memory.
#   bench/peers.sh BUILD_DIR [TREE...]
# TREE: 100k (100,000 files, about 2 GB) or 1m (1,000,000 files, about
# 480 MB); by default both, or those named in PEER_TREES (or SIZE).
# PEER_FILES_100K and PEER_FILES_1M change the number of files of a tree.
# The trees are written once below ${TMPDIR:-/tmp} and kept; their folder
# names hold what they were made with, so other parameters make new ones.
# Exit status: 1 when a tool's sets differ from the program's or a tool
# failed, 0 otherwise (the times are figures, not checks).
set -euo pipefail
build="$(cd "${1:-build/bench}" && pwd)"
shift || true
here="$(cd "$(dirname "$0")" && pwd)"
trees="${*:-${PEER_TREES:-${SIZE:-100k 1m}}}"
tmp="${TMPDIR:-/tmp}"
seed=20261206
peers=(jdupes fdupes rdfind duff)

for t in $trees; do
  case "$t" in
    100k|1m) ;;
    *) echo "peers.sh: no tree \"$t\" (100k or 1m)" >&2; exit 2 ;;
  esac
done
for f in "$build/zwillo" "$build/bench/make_peer_tree"; do
  [ -x "$f" ] || { echo "peers.sh: $f is missing; build the bench targets first" >&2; exit 2; }
done

# The peers and GNU time, from the distribution's archive when missing.
missing=()
for p in "${peers[@]}"; do command -v "$p" >/dev/null || missing+=("$p"); done
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -qq "${missing[@]}" >/dev/null ||
    { $sudo apt-get update -qq && $sudo apt-get install -y -qq "${missing[@]}" >/dev/null; }
fi

echo "A set: files of equal size and content. Empty files count as equal to each"
echo "other for every tool (jdupes -z, rdfind -ignoreempty false; zwillo, fdupes"
echo "and duff take them by default), so they form one set."
echo "Versions: $(jdupes -v | head -n 1 | cut -d' ' -f1-2); $(fdupes -v | head -n 1);" \
  "rdfind $(rdfind -v | awk '{print $NF}'); $(duff -v 2>&1 | head -n 1)"

work="$(mktemp -d "$tmp/zwillo-peers-run.XXXXXX")"
keep=0
trap '[ "$keep" = 1 ] || rm -rf "$work"' EXIT
failed=0

# run_tool NAME COMMAND...: runs COMMAND under GNU time with its output in
# $dir/NAME.out; sets wall, user, sys and rss (KiB). Returns 1 when it failed.
run_tool() {
  local name="$1"
  shift
  local status=0
  /usr/bin/time -o "$dir/$name.time" -f '%e %U %S %M' "$@" \
    >"$dir/$name.out" 2>"$dir/$name.err" || status=$?
  read -r wall user sys rss < <(tail -n 1 "$dir/$name.time")
  if [ "$status" -ne 0 ]; then
    echo "$name failed (exit status $status):"
    head -n 5 "$dir/$name.err" | sed 's/^/  /'
    return 1
  fi
}

for t in $trees; do
  if [ "$t" = 100k ]; then files="${PEER_FILES_100K:-100000}"; maxsize=262144
  else files="${PEER_FILES_1M:-1000000}"; maxsize=4096; fi
  base="$tmp/zwillo-peers-v1-${files}-files-to-${maxsize}-bytes-seed-$seed"
  tree="$base/tree"
  if [ ! -f "$base/.complete" ]; then
    rm -rf "$base"
    mkdir -p "$base"
    echo "writing the $t tree below $base ..."
    "$build/bench/make_peer_tree" "$tree" "$files" "$maxsize" "$seed" >"$base/summary"
    touch "$base/.complete"
  fi
  echo
  echo "== $t: $(cat "$base/summary")"
  # Every tool starts with the files and folders in the page cache.
  find "$tree" -type f -exec cat {} + >/dev/null
  n=$(find "$tree" -type f | wc -l)

  declare -A W U S R SETS FILES OK
  dir="$work/$t"  # the lists and logs of the tools
  home="$dir/home"
  mkdir -p "$home"
  names=(zwillo "${peers[@]}")
  for name in "${names[@]}"; do
    out="$dir/$name.out"
    case "$name" in
      zwillo)
        rm -f "$dir/zwillo.txt"
        cmd=(env HOME="$home" XDG_CONFIG_HOME="$home/.config" "$build/zwillo" -nosavereg
             -setcompare s c -addfolder "$tree" -run -exportresults "$dir/zwillo.txt")
        out="$dir/zwillo.txt" ;;
      jdupes) cmd=(jdupes -r -q -z "$tree") ;;
      fdupes) cmd=(fdupes -r -q "$tree") ;;
      rdfind)
        cmd=(rdfind -makeresultsfile true -outputname "$dir/rdfind.txt" -dryrun true
             -ignoreempty false "$tree")
        out="$dir/rdfind.txt" ;;
      duff) cmd=(duff -r -a -f '#' "$tree") ;;
    esac
    OK[$name]=0
    if run_tool "$name" "${cmd[@]}"; then
      W[$name]=$wall U[$name]=$user S[$name]=$sys R[$name]=$rss
      if read -r sets inSets < <(python3 "$here/peer_sets.py" canon "$name" "$out" \
                                   "$dir/$name.sets"); then
        SETS[$name]=$sets FILES[$name]=$inSets OK[$name]=1
      else
        echo "$name: its list could not be read"
      fi
    fi
    if [ "${OK[$name]}" != 1 ]; then failed=1; keep=1; fi
  done

  # The sets, each against the program's.
  same=1
  if [ "${OK[zwillo]}" = 1 ]; then
    for name in "${peers[@]}"; do
      [ "${OK[$name]}" = 1 ] || continue
      if ! python3 "$here/peer_sets.py" diff "$name" "$dir/zwillo.sets" "$dir/$name.sets"; then
        same=0 failed=1 keep=1
      fi
    done
  fi

  # The fastest and the leanest peer.
  fast="" lean=""
  for name in "${peers[@]}"; do
    [ "${OK[$name]}" = 1 ] || continue
    if [ -z "$fast" ] || awk -v a="${W[$name]}" -v b="${W[$fast]}" 'BEGIN{exit !(a < b)}'; then
      fast=$name
    fi
    if [ -z "$lean" ] || [ "${R[$name]}" -lt "${R[$lean]}" ]; then lean=$name; fi
  done

  fastwall=0
  if [ -n "$fast" ]; then fastwall="${W[$fast]}"; fi
  printf '%-8s %8s %8s %8s %8s %10s %9s %8s %9s\n' tool "wall s" "user s" "sys s" \
    "peak MB" bytes/file "wall/fast" sets "in sets"
  for name in "${names[@]}"; do
    if [ "${OK[$name]}" != 1 ]; then printf '%-8s failed\n' "$name"; continue; fi
    awk -v t="$name" -v w="${W[$name]}" -v u="${U[$name]}" -v s="${S[$name]}" \
        -v r="${R[$name]}" -v n="$n" -v f="$fastwall" -v st="${SETS[$name]}" \
        -v fs="${FILES[$name]}" 'BEGIN{
      ratio = f > 0 ? sprintf("%.2f", w / f) : "-"
      printf "%-8s %8.2f %8.2f %8.2f %8.1f %10.0f %9s %8d %9d\n",
        t, w, u, s, r * 1024 / 1e6, r * 1024 / n, ratio, st, fs }'
  done
  if [ "${OK[zwillo]}" = 1 ] && [ -n "$fast" ]; then
    awk -v w="${W[zwillo]}" -v f="${W[$fast]}" -v fn="$fast" -v r="${R[zwillo]}" \
        -v lr="${R[$lean]}" -v ln="$lean" -v n="$n" 'BEGIN{
      if (f < 0.01) f = 0.01
      q = w / f
      printf "zwillo: wall time %.2f of the fastest peer, %s (goal: at most 0.50, %s)\n",
        q, fn, q <= 0.5 ? "met" : "missed"
      printf "zwillo: %.0f bytes per file, the leanest peer (%s) %.0f (goal: fewer, %s)\n",
        r * 1024 / n, ln, lr * 1024 / n, r < lr ? "met" : "missed" }'
  fi
  if [ "${OK[zwillo]}" = 1 ]; then
    if [ "$same" = 1 ]; then
      echo "sets: ${SETS[zwillo]} sets with ${FILES[zwillo]} files; every peer that ran found the same"
    else
      echo "sets: ${SETS[zwillo]} sets with ${FILES[zwillo]} files by zwillo; a peer's differ (above)"
    fi
  fi
  unset W U S R SETS FILES OK
done

if [ "$failed" = 1 ]; then
  echo
  echo "FAILED: a tool failed or found other sets than zwillo; its lists are kept in $work"
  exit 1
fi
