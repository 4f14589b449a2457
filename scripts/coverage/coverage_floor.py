#!/usr/bin/env python3
"""Prints the coverage figures of each build and merged, and judges the floor.

usage: coverage_floor.py <report folder> <line floor> <branch floor>

Reads <name>-summary.json (gcovr's --json-summary) for win32, win64, host and
merged; exits 1 when a merged figure is below its floor (in percent).
"""
import json
import sys

BUILDS = (("win32", "32-bit"), ("win64", "64-bit"), ("host", "host"), ("merged", "merged"))


def percent(covered, total):
    return 100.0 * covered / total if total else 100.0


def read_figures(path):
    """(lines covered, lines, branches covered, branches) of one summary."""
    with open(path) as summary:
        data = json.load(summary)
    return data["line_covered"], data["line_total"], data["branch_covered"], data["branch_total"]


def shortfalls(figures, line_floor, branch_floor):
    """What of the figures lies below its floor, one text each."""
    lines, line_total, branches, branch_total = figures
    found = []
    if percent(lines, line_total) < line_floor:
        found.append(f"lines {percent(lines, line_total):.2f} % < floor {line_floor} %")
    if percent(branches, branch_total) < branch_floor:
        found.append(f"branches {percent(branches, branch_total):.2f} % < floor {branch_floor} %")
    return found


def main(folder, line_floor, branch_floor):
    print(f"{'Packager/':10} {'lines':>22} {'branches':>22}")
    for name, label in BUILDS:
        lines, line_total, branches, branch_total = read_figures(f"{folder}/{name}-summary.json")
        print(f"{label:10} {percent(lines, line_total):7.2f} % {lines:6}/{line_total:<6} "
              f"{percent(branches, branch_total):7.2f} % {branches:6}/{branch_total:<6}")
    print(f"report: {folder}/index.html; not executed: {folder}/coverage-lines.txt, "
          f"{folder}/coverage-branches.txt")
    found = shortfalls(read_figures(f"{folder}/merged-summary.json"), line_floor, branch_floor)
    for text in found:
        print(f"FAIL: merged {text}")
    return 1 if found else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], float(sys.argv[2]), float(sys.argv[3])))
