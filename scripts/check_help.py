#!/usr/bin/env python3
"""Checks the help pages and the help project before and after compiling.

    check_help.py HELP_DIR CONTEXTS_HEADER [--xml PROJECT.xml] [--chm FILE.chm]

Always: every page of HELP_DIR is listed in zwillo.hhp and every listed file
exists; every link and picture of the pages, the contents (.hhc) and the index
(.hhk) leads to a page of the help (and to an anchor that exists there); no
page links outside the help; the help contexts of the header are exactly the
[MAP] of the project, each has an [ALIAS] naming a listed page, and the
header's page table (kHelpTopics) names the same page.
--xml: the project as the help compiler understood it (chmcmd
--generate-xml) gives every context the number the header gives it, so the
compiler really read the header.
--chm: the compiled file holds every listed file.
Prints each fault and exits 1 when there is one.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET
from html.parser import HTMLParser

faults = []


def fault(text):
    faults.append(text)


class PageParser(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = []    # (attribute, value)
        self.anchors = set()
        self.title = ""
        self._in_title = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        for key in ("href", "src"):
            if a.get(key) is not None:
                self.links.append((key, a[key]))
        for key in ("name", "id"):
            if tag != "param" and tag != "meta" and a.get(key):
                self.anchors.add(a[key])
        if tag == "param" and (a.get("name") or "").lower() == "local":
            self.links.append(("local", a.get("value") or ""))
        if tag == "title":
            self._in_title = True

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data


def parse(path):
    p = PageParser()
    with open(path, encoding="utf-8") as f:
        p.feed(f.read())
    return p


def sections(hhp_path):
    """The [SECTION] lines of a help project, by upper-case section name."""
    out, current = {}, None
    with open(hhp_path, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            m = re.fullmatch(r"\[(\w+)\]", line)
            if m:
                current = m.group(1).upper()
                out.setdefault(current, [])
            elif current:
                out[current].append(line)
    return out


def defines(path):
    """name -> number of the #define lines of a header."""
    result = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"\s*#define\s+(\w+)\s+(\d+)\s*$", line)
            if m:
                result[m.group(1)] = int(m.group(2))
    return result


def check_links(help_dir, pages):
    parsed = {name: parse(os.path.join(help_dir, name)) for name in pages}
    sources = dict(parsed)
    for extra in ("zwillo.hhc", "zwillo.hhk"):
        sources[extra] = parse(os.path.join(help_dir, extra))
    for name, page in sources.items():
        if name.endswith(".html") and not page.title.strip():
            fault(f"{name}: no title")
        for attr, value in page.links:
            if re.match(r"[a-zA-Z][a-zA-Z0-9+.-]*:", value) or value.startswith("//"):
                fault(f"{name}: {attr}={value!r} leads outside the help")
                continue
            target, _, anchor = value.partition("#")
            if not target and attr == "href":
                target = name
            if not target or "/" in target or "\\" in target:
                fault(f"{name}: {attr}={value!r} is no page of the help")
                continue
            if not os.path.isfile(os.path.join(help_dir, target)):
                fault(f"{name}: {attr}={value!r}: {target} does not exist")
            elif anchor:
                if target not in parsed:
                    fault(f"{name}: {attr}={value!r}: {target} is not a listed page")
                elif anchor not in parsed[target].anchors:
                    fault(f"{name}: {attr}={value!r}: no anchor {anchor!r} in {target}")


def check_contexts(help_dir, project, header, listed):
    wanted = defines(header)
    if not wanted:
        fault(f"{header}: no #define of a help context")
    mapped = {}
    for line in project.get("MAP", []):
        m = re.match(r"#include\s+(.+)$", line)
        if m:
            included = os.path.normpath(os.path.join(help_dir, m.group(1).strip().replace("\\", "/")))
            if not os.path.isfile(included):
                fault(f"[MAP] includes {m.group(1)}, which does not exist")
                continue
            mapped.update(defines(included))
        else:
            m = re.match(r"#define\s+(\w+)\s+(\d+)$", line)
            if m:
                mapped[m.group(1)] = int(m.group(2))
            else:
                fault(f"[MAP]: cannot read {line!r}")
    for name, number in sorted(wanted.items(), key=lambda kv: kv[1]):
        if mapped.get(name) != number:
            fault(f"context {name} = {number} in the header, {mapped.get(name)} in [MAP]")
    for name in sorted(set(mapped) - set(wanted)):
        fault(f"[MAP] has {name}, which the header lacks")
    aliases = {}
    for line in project.get("ALIAS", []):
        name, _, page = line.partition("=")
        aliases[name.strip()] = page.strip()
    for name in sorted(wanted):
        if name not in aliases:
            fault(f"context {name} has no [ALIAS] page")
        elif aliases[name] not in listed:
            fault(f"[ALIAS] {name}={aliases[name]}: not a listed page")
    for name in sorted(set(aliases) - set(wanted)):
        fault(f"[ALIAS] {name} is no context of the header")
    # The program opens topics by page: its table must name the same pages.
    with open(header, encoding="utf-8") as f:
        table = dict(re.findall(r'\{\s*(IDH_\w+)\s*,\s*"([^"]*)"\s*\}', f.read()))
    for name in sorted(wanted):
        if table.get(name) != aliases.get(name):
            fault(f"{name}: the header's page is {table.get(name)!r}, [ALIAS] says {aliases.get(name)!r}")
    for name in sorted(set(table) - set(wanted)):
        fault(f"the header's page table names {name}, which has no #define")
    return wanted


def check_compiled_project(xml_path, wanted):
    root = ET.parse(xml_path).getroot()
    seen = {}
    for element in root.iter():
        if element.get("ContextName"):
            seen[element.get("ContextName")] = int(element.get("ContextNumber") or 0)
    for name, number in sorted(wanted.items(), key=lambda kv: kv[1]):
        if seen.get(name) != number:
            fault(f"the help compiler gives {name} the number {seen.get(name)}, the header {number}")


def encint(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def chm_names(path):
    """The names in the directory of a compiled help file (ITSF/ITSP/PMGL)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"ITSF":
        raise ValueError("not a compiled help file")
    dir_offset = int.from_bytes(data[0x48:0x50], "little")
    itsp = data[dir_offset:]
    if itsp[:4] != b"ITSP":
        raise ValueError("no directory")
    header_len = int.from_bytes(itsp[8:12], "little")
    chunk_size = int.from_bytes(itsp[0x10:0x14], "little")
    chunks = int.from_bytes(itsp[0x2C:0x30], "little")
    names = set()
    for i in range(chunks):
        chunk = itsp[header_len + i * chunk_size: header_len + (i + 1) * chunk_size]
        if chunk[:4] != b"PMGL":
            continue
        end = chunk_size - int.from_bytes(chunk[4:8], "little")
        pos = 0x14
        while pos < end:
            length, pos = encint(chunk, pos)
            names.add(chunk[pos:pos + length].decode("utf-8", "replace"))
            pos += length
            for _ in range(3):  # section, offset, length
                _, pos = encint(chunk, pos)
    return names


def main(argv):
    args = list(argv[1:])
    options = {}
    for key in ("--xml", "--chm"):
        if key in args:
            i = args.index(key)
            options[key] = args[i + 1]
            del args[i:i + 2]
    if len(args) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    help_dir, header = args
    project = sections(os.path.join(help_dir, "zwillo.hhp"))
    listed = project.get("FILES", [])
    for name in listed:
        if not os.path.isfile(os.path.join(help_dir, name)):
            fault(f"[FILES] lists {name}, which does not exist")
    pages = sorted(n for n in os.listdir(help_dir) if n.endswith(".html"))
    for name in pages:
        if name not in listed:
            fault(f"{name} is not listed in [FILES]")
    for name, key in (("zwillo.hhc", "Contents file"), ("zwillo.hhk", "Index file")):
        if not any(line.replace(" ", "").lower() == f"{key}={name}".replace(" ", "").lower()
                   for line in project.get("OPTIONS", [])):
            fault(f"[OPTIONS] does not name {name} as its {key}")
    check_links(help_dir, [p for p in pages if p in listed])
    wanted = check_contexts(help_dir, project, header, set(listed))
    if "--xml" in options:
        check_compiled_project(options["--xml"], wanted)
    if "--chm" in options:
        try:
            inside = chm_names(options["--chm"])
        except (OSError, ValueError, IndexError) as e:
            fault(f"{options['--chm']}: {e}")
            inside = None
        if inside is not None:
            for name in listed:
                if "/" + name not in inside:
                    fault(f"{options['--chm']} lacks {name}")
    for text in faults:
        print("help: " + text, file=sys.stderr)
    if not faults:
        print(f"help: {len(pages)} pages, {len(wanted)} contexts checked"
              + (f", {options['--chm']} holds every page" if "--chm" in options else ""))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
