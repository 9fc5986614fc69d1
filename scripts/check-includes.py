#!/usr/bin/env python3
"""Checks the house: every file of game/ and framework/ includes only its own
floor and the floors below it, and no folders include each other in a circle.
The floors are written down in docs/architecture.md; this is their check.

Usage: scripts/check-includes.py [source-root]   (exit 1 and one line per fault)
"""
import os
import re
import sys

# Each room (a folder, or a file standing alone) and the rooms it may include
# besides itself. framework/framework.h is the one framework header game code
# includes.
GAME_LOGIC = {"game/enemy", "game/player", "game/story"}
ALLOWED = {
    # game/: ground floor, the designed game's logic, the shell, the features
    "game/common": set(),
    "game/enemy": {"game/common", "game/enemy"},
    "game/player": {"game/common", "game/enemy", "game/player"},
    "game/story": {"game/common"},
    "game/text": {"game/common"},
    "game/state_hash": {"game/common"} | GAME_LOGIC,
    "game/shell": {"game/common", "game/text"} | GAME_LOGIC,
    "game/files": {"game/common"},
    "game/launch": {"game/common"},
    "game/settings": {"game/common", "game/files", "game/launch", "game/text"},
    "game/records": {"game/common", "game/files", "game/text"},
    "game/replay": {"game/common", "game/files", "game/launch", "game/state_hash", "game/text"} | GAME_LOGIC,
    "game/run": {"game/common", "game/files", "game/launch", "game/records", "game/replay", "game/shell",
                 "game/state_hash", "game/text"} | GAME_LOGIC,
    "game/screens": {"game/common", "game/files", "game/launch", "game/records", "game/replay", "game/run",
                     "game/settings", "game/shell", "game/text"} | GAME_LOGIC,
    "game/app": None,   # the program: may include every floor of game/
    # framework/: the modules above the platform's back-ends
    "framework/core": {"framework/backend", "framework/file"},
    "framework/graphics": {"framework/core", "framework/backend", "framework/file"},
    "framework/sound": {"framework/core", "framework/backend", "framework/file"},
    "framework/input": {"framework/core", "framework/backend"},
    "framework/file": {"framework/core", "framework/backend"},
    "framework/backend": set(),
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"((?:game|framework)/[^"]+)"')


def room_of(path):
    """The room a source path belongs to: its folder under game/ or framework/
    (backend/ as one room), or a file standing alone directly under game/."""
    parts = path.split("/")
    if parts[0] == "framework":
        if len(parts) == 2:
            return "framework"            # framework.h itself
        return "framework/" + parts[1]
    if len(parts) == 2:                   # game/state_hash.h, …
        return "game/" + os.path.splitext(parts[1])[0]
    return "game/" + parts[1]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    faults = []
    edges = {}
    for top in ("game", "framework"):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                room = room_of(path)
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = room_of(m.group(1))
                        if target == room or target == "framework":
                            continue
                        edges.setdefault(room, set()).add(target)
                        where = "%s:%d: includes %s" % (path, number, m.group(1))
                        if top == "framework" and target.startswith("game"):
                            faults.append(where + " (the framework knows nothing of the game)")
                        elif top == "game" and target.startswith("framework"):
                            faults.append(where + " (the game reaches the framework through framework/framework.h)")
                        elif room not in ALLOWED:
                            faults.append(where + " (%s is not a floor of docs/architecture.md)" % room)
                        elif ALLOWED[room] is not None and target not in ALLOWED[room]:
                            faults.append(where + " (%s may not include %s)" % (room, target))

    # Circles between rooms, whatever the table allows.
    state = {}

    def visit(room, trail):
        state[room] = 1
        for nxt in sorted(edges.get(room, ())):
            if state.get(nxt) == 1:
                faults.append("circle: " + " -> ".join(trail[trail.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[room] = 2

    for room in sorted(edges):
        if room not in state:
            visit(room, [room])

    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
