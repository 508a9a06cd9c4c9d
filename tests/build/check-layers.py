#!/usr/bin/env python3
"""Checks that the layers depend on each other in one direction only.

Reads each layer's qb_add_layer() call for the layers it links, and every
#include "<layer>/..." of its sources. A link must go to a layer of a lower
rank; an include must name the file's own layer or one its layer reaches
through links. The compiler refuses such an include as well (each layer's
include root holds that layer alone); this check also covers headers that no
file compiles yet, and names the rule that was broken.
Usage: check-layers.py SOURCE_DIR
"""
import pathlib
import re
import sys

# Lowest first; layers of one rank do not know each other.
RANKS = [["base"], ["settings"], ["net", "xml", "addressbook"], ["ui"], ["app"]]
RANK = {layer: n for n, names in enumerate(RANKS) for layer in names}
LAYER_CALL = re.compile(r"qb_add_layer\((\w+)(.*?)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def declared_links(root):
    links = {}
    for layer in RANK:
        text = (root / layer / "CMakeLists.txt").read_text()
        match = LAYER_CALL.search(text)
        if not match or match.group(1) != layer:
            sys.exit(f"{layer}/CMakeLists.txt: no qb_add_layer({layer} ...)")
        words = match.group(2).split()
        after = words[words.index("LINKS") + 1:] if "LINKS" in words else []
        links[layer] = {word for word in after if word in RANK}
    return links


def reachable(links, layer):
    seen, todo = set(), [layer]
    while todo:
        for lower in links[todo.pop()] - seen:
            seen.add(lower)
            todo.append(lower)
    return seen


def main():
    root = pathlib.Path(sys.argv[1])
    links = declared_links(root)
    faults = []
    for layer, lowers in sorted(links.items()):
        for lower in sorted(lowers):
            if RANK[lower] >= RANK[layer]:
                faults.append(f"{layer} links {lower}, which is not below it")
    for layer in sorted(RANK):
        allowed = reachable(links, layer) | {layer}
        for path in sorted((root / layer).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            text = path.read_text(encoding="utf-8")
            for match in INCLUDE.finditer(text):
                name = match.group(1)
                line = text.count("\n", 0, match.start()) + 1
                where = f"{path.relative_to(root)}:{line}"
                top = name.split("/")[0]
                if name.startswith("..") or "/../" in name:
                    faults.append(f"{where}: includes {name} by a relative path")
                elif top in RANK and top not in allowed:
                    faults.append(f"{where}: the {layer} layer includes {name} from {top}")
    for fault in faults:
        print(fault)
    if faults:
        return 1
    order = " <- ".join("{" + ", ".join(names) + "}" if len(names) > 1 else names[0] for names in RANKS)
    print(f"layers in one direction: {order}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
