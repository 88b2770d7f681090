#!/usr/bin/env python3
"""The one-way rule of the source tree, checked.

    ui | cli  ->  app  ->  engine  ->  platform

Within a layer the folders stand on floors; a file may include its own
folder and the floors below, never a floor above it nor a folder beside it
on its own floor. The engine: common < threads < scan < dupes. The app: the
control models in app/ itself < text < log < messages < run, results
(beside each other) < script < main. Every layer may use the platform's
interfaces; ui and cli reach the engine only through the app.

Besides: operating-system headers and _WIN32 belong in src/platform and
src/ui only, and a test outside tests/platform never includes a platform
implementation (platform/posix/..., platform/win32/...).

Prints every offending line as FILE:LINE: reason, and exits 1 when there is
one.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Folder of src/ -> (layer, floor). Within a layer a higher floor may include
# a lower one; equal floors only the same folder.
FLOORS = {
    "platform": ("platform", 0),
    "platform/posix": ("platform", 1),
    "platform/win32": ("platform", 1),
    "engine/common": ("engine", 0),
    "engine/threads": ("engine", 1),
    "engine/scan": ("engine", 2),
    "engine/dupes": ("engine", 3),
    "app": ("app", 0),
    "app/text": ("app", 1),
    "app/log": ("app", 2),
    "app/messages": ("app", 3),
    "app/run": ("app", 4),
    "app/results": ("app", 4),
    "app/settings": ("app", 4),
    "app/shell": ("app", 4),
    "app/script": ("app", 5),
    "app/main": ("app", 6),
    "cli": ("front", 0),
    "ui": ("front", 0),
    "ui/win32": ("front", 0),
}
# Which layers a layer may include, besides itself.
BELOW = {
    "platform": set(),
    "engine": {"platform"},
    "app": {"engine", "platform"},
    "front": {"app", "platform"},
}

OS_HEADERS = re.compile(
    r"#\s*include\s*<(windows\.h|win[a-z0-9]*\.h|sh[a-z]*\.h|objbase\.h|ole2\.h|commctrl\.h|"
    r"unistd\.h|fcntl\.h|dirent\.h|termios\.h|dlfcn\.h|execinfo\.h|cxxabi\.h|pthread\.h|"
    r"signal\.h|io\.h|direct\.h|sys/[^>]+|linux/[^>]+)>")
WIN32_MACRO = re.compile(r"\b_WIN32\b")
INCLUDE = re.compile(r'#\s*include\s*"([^"]+)"')


def folder_of(include):
    return os.path.dirname(include)


def check_source(path, rel, problems):
    folder = os.path.dirname(rel)
    own = FLOORS.get(folder)
    os_allowed = folder.startswith("platform") or folder.startswith("ui")
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            where = f"src/{rel}:{number}: "
            if not os_allowed:
                if OS_HEADERS.search(line):
                    problems.append(where + "an operating-system header outside src/platform and src/ui: " + line.strip())
                elif WIN32_MACRO.search(line) and not line.lstrip().startswith("//"):
                    problems.append(where + "_WIN32 outside src/platform and src/ui: " + line.strip())
            m = INCLUDE.search(line)
            if not m or own is None:
                continue
            target = folder_of(m.group(1))
            if target == folder:
                continue
            theirs = FLOORS.get(target)
            if theirs is None:
                continue  # a header beside the file or outside src/
            layer, floor = own
            tlayer, tfloor = theirs
            if tlayer == layer:
                if tfloor < floor:
                    continue
                kind = "upward" if tfloor > floor else "sideways"
                problems.append(where + f"includes {kind} within the {layer} ({folder} -> {target}): " + line.strip())
            elif tlayer not in BELOW[layer]:
                problems.append(where + f"{folder} may not include {target}: " + line.strip())


def check_test(path, rel, problems):
    if rel.startswith("platform/"):
        return
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.search(line)
            if m and re.match(r"platform/(posix|win32)/", m.group(1)):
                problems.append(f"tests/{rel}:{number}: a test outside tests/platform includes a platform implementation: " + line.strip())


def walk(top, visit, problems):
    base = os.path.join(ROOT, top)
    for dirpath, _, files in os.walk(base):
        for name in sorted(files):
            if name.endswith((".h", ".cpp", ".inc")):
                path = os.path.join(dirpath, name)
                visit(path, os.path.relpath(path, base).replace(os.sep, "/"), problems)


def main():
    problems = []
    walk("src", check_source, problems)
    walk("tests", check_test, problems)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layering problem(s)")
        return 1
    print("layers: every include runs one way")
    return 0


if __name__ == "__main__":
    sys.exit(main())
