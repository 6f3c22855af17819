#!/usr/bin/env python3
"""Fails on an include that points to a higher layer of Kelvinor, into another
system's platform folder or another toolkit's desktop folder, and on a
toolkit or operating-system header outside the folders made for it.

Usage: check-includes.py [ROOT]   (ROOT: the project's folder, default: this script's parent's parent)
Layers, bottom to top: text, data, constants, seams, system, state, features (in FEATURES order),
application; beside them platform/<system>, desktop/<toolkit> and broker/<library>; program on top.
"""
import pathlib
import re
import sys

FEATURES = ["host_calls", "mail", "sound", "clock_control", "bus", "alarm", "mqtt", "recording", "editors"]
LOWER = ["text", "data", "constants", "seams", "system", "state"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def allowed_folders(folder):
    """The logger/ folders that a file in `folder` (relative to logger/) may include."""
    parts = folder.split("/")
    top = parts[0]
    if top == "text":
        return ["text"]
    if top == "data":
        return ["text", "data"]
    if top == "constants":
        return ["constants"]
    if top == "seams":
        return ["text", "data", "constants", "seams"]
    if top == "system":
        return ["text", "data", "constants", "seams", "system"]
    if top == "state":
        return LOWER
    if top == "features" and len(parts) > 1 and parts[1] in FEATURES:
        below = FEATURES[: FEATURES.index(parts[1]) + 1]
        return LOWER + ["features/" + f for f in below]
    if top == "application":
        return LOWER + ["features/" + f for f in FEATURES] + ["application"]
    if top == "platform" and len(parts) > 1:
        return ["text", "constants", "seams", "system", top + "/" + parts[1]]
    if top == "desktop" and len(parts) > 1:
        return ["text", "constants", "seams", top + "/" + parts[1]]
    if top == "broker" and len(parts) > 1:
        return ["text", "constants", "seams", "system", top + "/" + parts[1]]
    if top == "program":
        return LOWER + ["features/" + f for f in FEATURES] + [
            "application", "desktop/*", "broker/*", "program"]
    return None


def inside(target, folders):
    for f in folders:
        if f.endswith("/*"):
            if target.startswith(f[:-1]):
                return True
        elif target == f or target.startswith(f + "/"):
            return True
    return False


def check_system_header(folder, header):
    """Toolkit headers only in the Qt folders, C and system headers only in a
    platform or desktop folder (the standard C++ headers have no .h)."""
    if re.match(r"Q|Qt", header):
        return folder.startswith("desktop/qt") or folder == "program"
    if header.endswith(".h"):
        return folder.split("/")[0] in ("platform", "desktop", "broker")
    return True


def sources(folder):
    return sorted(p for p in folder.rglob("*") if p.suffix in (".h", ".cpp"))


def includes(path, root):
    """(place, kind, header) of every include line: kind '"' or '<'."""
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = INCLUDE.match(line)
        if m:
            yield f"{path.relative_to(root)}:{number}", m.group(1), m.group(2)


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    logger = root / "logger"
    faults = []
    files = sources(logger)
    for path in files:
        folder = str(path.parent.relative_to(logger))
        allowed = allowed_folders(folder)
        if allowed is None:
            faults.append(f"{path.relative_to(root)}: the folder logger/{folder} is no layer")
            continue
        for where, kind, header in includes(path, root):
            if kind == '"':
                # The terminal edition shows Horalux's clock text itself.
                if folder.startswith("program") and header == "clock/clock_text.h":
                    continue
                if not header.startswith("logger/"):
                    faults.append(f"{where}: include \"{header}\" is not named from the project's folder")
                    continue
                target = str(pathlib.PurePosixPath(header).parent.relative_to("logger"))
                if not inside(target, allowed):
                    faults.append(f"{where}: logger/{folder} may not include {header}")
            elif not check_system_header(folder, header):
                faults.append(f"{where}: <{header}> belongs in a platform or desktop folder")
    # Horalux stands alone: nothing of Kelvinor.
    for path in sources(root / "clock"):
        for where, kind, header in includes(path, root):
            if kind == '"' and not header.startswith("clock/"):
                faults.append(f"{where}: Horalux may not include {header}")
    # Kelvinor-Kurven: the log model sees the standard library and Kelvinor's
    # text helpers only; the Qt and the Win32 part see the model; the program
    # sees them all.
    curves_rules = {"curves/model": ["curves/model/", "logger/text/"],
                    "curves/qt": ["curves/model/", "curves/qt/", "logger/text/"],
                    "curves/win32": ["curves/model/", "curves/win32/", "logger/text/"],
                    "curves": ["curves/", "logger/text/"]}
    for path in sources(root / "curves"):
        folder = str(path.parent.relative_to(root))
        allowed = curves_rules.get(folder)
        if allowed is None:
            faults.append(f"{path.relative_to(root)}: the folder {folder} is no part of Kelvinor-Kurven")
            continue
        for where, kind, header in includes(path, root):
            if kind == '"' and not any(header.startswith(a) for a in allowed):
                faults.append(f"{where}: {folder} may not include {header}")
            elif kind == "<" and folder == "curves/model" and (re.match(r"Q|Qt", header) or header.endswith(".h")):
                faults.append(f"{where}: <{header}> does not belong in the log model")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layers")
        return 1
    print(f"includes of {len(files)} files of Kelvinor and of Kelvinor-Kurven follow the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
