#!/usr/bin/python3
"""Reads the tape of a running Şerit through the accessibility tree and checks
that it holds exactly what typing "1" and "+" PAIRS times writes: the start line,
then one line per pair, "+ 1.00" with the running totals 1.00, 2.00, ...

    tapecheck.py PID PAIRS       prints tape_lines=N lost=K, exits 0 if none lost
"""
import re
import sys
import time

import pyatspi


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find_list(node, depth=0):
    if node is None or depth > 12:
        return None
    if node.getRoleName() in ("list", "list box", "table", "tree table"):
        return node
    for child in node:
        found = find_list(child, depth + 1)
        if found is not None:
            return found
    return None


def tape_lines(pid):
    for _ in range(50):  # the tree may take a moment to appear
        app = application(pid)
        tape = find_list(app) if app is not None else None
        if tape is not None:
            return [tape.getChildAtIndex(i).name for i in range(tape.childCount)]
        time.sleep(0.1)
    return None


def main():
    pid, pairs = int(sys.argv[1]), int(sys.argv[2])
    lines = tape_lines(pid)
    if lines is None:
        print("tape_lines=unreadable")
        return 2
    expected = [r"\s*"] + [r"\+\s+1\.00\s+" + re.escape(f"{k:,.2f}")
                           for k in range(1, pairs + 1)]
    good = sum(1 for line, pattern in zip(lines, expected) if re.fullmatch(pattern, line))
    lost = len(expected) - good + max(0, len(lines) - len(expected))
    print(f"tape_lines={len(lines)} lost={lost}")
    if lost:
        print("first_lines=" + "|".join(lines[:5]).replace(" ", "_"))
    return 0 if lost == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
