#!/usr/bin/python3
"""Prints what a screen reader finds of one application on the desktop's
accessibility bus: one line per object, depth first, as
"<depth> <role>\t<name>[\tfocused]". Exit code 1 when the application is
not (yet) on the bus."""

import sys

import pyatspi

LIMIT = 400  # objects; the program's windows hold a few dozen


def walk(node, depth, out):
    if node is None or len(out) >= LIMIT:
        return
    try:
        focused = node.getState().contains(pyatspi.STATE_FOCUSED)
        line = f"{depth} {node.getRoleName()}\t{node.name}"
        out.append(line + ("\tfocused" if focused else ""))
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), depth + 1, out)
    except Exception:  # an object that went away while being read
        pass


def main():
    wanted = sys.argv[1] if len(sys.argv) > 1 else "salvind"
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == wanted:
            out = []
            walk(app, 0, out)
            print("\n".join(out))
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
