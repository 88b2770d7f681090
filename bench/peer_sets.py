#!/usr/bin/env python3
"""Duplicate sets of several duplicate finders in one form, and their comparison.

  peer_sets.py canon TOOL OUTPUT CANON
      reads OUTPUT, the list TOOL (zwillo, jdupes, fdupes, duff, rdfind)
      wrote, and writes CANON: one set a line, its absolute paths sorted and
      joined by tabs, the lines sorted. Prints "SETS FILES" (the number of
      sets and of files in them).
  peer_sets.py diff NAME REFERENCE CANON
      compares NAME's sets (CANON) with zwillo's (REFERENCE); prints how they
      differ and exits with 1 when they differ, 0 when they are the same.

The lists it reads:
  zwillo  the text export: tab-separated rows (marks, name, folder, size,
          date, CRC-32); a set is a run of rows with the same shading mark
          (the first character), as in the program's own list. No file when
          nothing was found.
  jdupes, fdupes  one path a line, a blank line after each set.
  duff    run with -f '#': a line "#" before each set, then its paths.
  rdfind  its results file: "#" comment lines, then "DUPTYPE ID DEPTH SIZE
          DEVICE INODE PRIORITY PATH" rows; the rows of one set share |ID|.
"""
import os
import sys


def read_lines(path):
    with open(path, "rb") as f:
        data = f.read().decode("utf-8", "surrogateescape")
    return [line.rstrip("\r") for line in data.split("\n")]


def blank_separated(path):
    sets, cur = [], []
    for line in read_lines(path):
        if line:
            cur.append(line)
        elif cur:
            sets.append(cur)
            cur = []
    if cur:
        sets.append(cur)
    return sets


def duff_sets(path):
    sets, cur = [], None
    for line in read_lines(path):
        if line == "#":
            if cur:
                sets.append(cur)
            cur = []
        elif line:
            if cur is None:
                raise ValueError("duff: a path before the first set header: " + line)
            cur.append(line)
    if cur:
        sets.append(cur)
    return sets


def rdfind_sets(path):
    by_id = {}
    for line in read_lines(path):
        if not line or line.startswith("#"):
            continue
        parts = line.split(" ", 7)
        if len(parts) != 8 or not parts[0].startswith("DUPTYPE_"):
            raise ValueError("rdfind: a row not understood: " + line)
        by_id.setdefault(abs(int(parts[1])), []).append(parts[7])
    return list(by_id.values())


def zwillo_sets(path):
    if not os.path.exists(path):  # the program writes no list without results
        return []
    sets, cur, shade = [], [], None
    for line in read_lines(path):
        if not line:
            continue
        cols = line.split("\t")
        if len(cols) < 4 or len(cols[0]) != 2:
            raise ValueError("zwillo: a row not understood: " + line)
        if cols[0][0] != shade and cur:
            sets.append(cur)
            cur = []
        shade = cols[0][0]
        cur.append(os.path.join(cols[2], cols[1]))
    if cur:
        sets.append(cur)
    return sets


READERS = {
    "zwillo": zwillo_sets,
    "jdupes": blank_separated,
    "fdupes": blank_separated,
    "duff": duff_sets,
    "rdfind": rdfind_sets,
}


def canonical(sets):
    out = []
    for s in sets:
        paths = sorted(os.path.normpath(p) for p in s)
        for p in paths:
            if not os.path.isabs(p):
                raise ValueError("a path that is not absolute: " + p)
        if len(set(paths)) != len(paths):
            raise ValueError("a path twice in one set: " + paths[0])
        out.append(tuple(paths))
    out.sort()
    return out


def read_canon(path):
    return [tuple(line.split("\t")) for line in read_lines(path) if line]


def cmd_canon(tool, output, canon_path):
    sets = canonical(READERS[tool](output))
    with open(canon_path, "wb") as f:
        for s in sets:
            f.write(("\t".join(s) + "\n").encode("utf-8", "surrogateescape"))
    print(len(sets), sum(len(s) for s in sets))
    return 0


def show(s, below, limit=6):
    more = " ... (%d files)" % len(s) if len(s) > limit else ""
    return "{" + ", ".join(os.path.relpath(p, below) for p in s[:limit]) + more + "}"


def cmd_diff(name, ref_path, canon_path):
    ref, other = read_canon(ref_path), read_canon(canon_path)
    if ref == other:
        return 0
    ref_set, other_set = set(ref), set(other)
    ref_files = {p for s in ref for p in s}
    other_files = {p for s in other for p in s}
    print("%s: %d sets, %d files in sets; zwillo: %d sets, %d files in sets"
          % (name, len(other), len(other_files), len(ref), len(ref_files)))
    dupes = len(other) != len(other_set) or sum(map(len, other)) != len(other_files)
    if dupes:
        print("  %s names a set or a file more than once" % name)
    only_other, only_ref = sorted(other_set - ref_set), sorted(ref_set - other_set)
    print("  %d sets only %s found, %d sets only zwillo found"
          % (len(only_other), name, len(only_ref)))
    print("  %d files in sets only by %s, %d only by zwillo"
          % (len(other_files - ref_files), name, len(ref_files - other_files)))
    set_of = {p: s for s in ref for p in s}
    every = ref_files | other_files
    below = os.path.commonpath(every) if every else "/"
    if only_other or only_ref:
        print("  (paths below %s)" % below)
    if only_other:
        s = only_other[0]
        print("  first set only %s found: %s" % (name, show(s, below)))
        match = set_of.get(s[0])
        print("    zwillo's set of its first file: %s" % (show(match, below) if match else "none"))
    if only_ref:
        print("  first set only zwillo found: %s" % show(only_ref[0], below))
    return 1


def main(argv):
    if len(argv) == 5 and argv[1] == "canon" and argv[2] in READERS:
        return cmd_canon(argv[2], argv[3], argv[4])
    if len(argv) == 5 and argv[1] == "diff":
        return cmd_diff(argv[2], argv[3], argv[4])
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
