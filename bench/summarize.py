#!/usr/bin/env python3
"""Reads the JSON exports of the unpack benchmark's hyperfine runs and prints
each command's median, and each tool's net time and the ratios of nets.

Commands are named "<tool> <size>", the size "one-byte" for the run from
one-byte files. A tool's net time at a size is its median there minus its
own one-byte median: what the payload's bytes cost, without the program's
start, its checks and its end. The same difference of the fastest runs is
shown beside it: other programs on the machine only ever add time, so on a
busy machine it is the steadier of the two. Ratios compare the nets of every two tools of
one run, in the order the run named them; a net that is not above zero is
within the noise of the start-up, and its ratios are not given.

Several exports of one comparison (rounds of the same commands, run one
after another so that a slow spell of the machine falls on every command)
are pooled: each command's times from all of them.

usage: summarize.py <label> <hyperfine.json>...
"""
import json
import statistics
import sys

BASELINE = "one-byte"


def read_runs(*paths):
    """{command name: list of times in seconds}, in the first file's order,
    each command's times from every file."""
    runs = {}
    for path in paths:
        with open(path, encoding="utf-8") as export:
            for result in json.load(export)["results"]:
                runs.setdefault(result["command"], []).extend(result["times"])
    return runs


def split_name(name):
    tool, _, size = name.rpartition(" ")
    if not tool:
        raise ValueError(f"command name '{name}' is not '<tool> <size>'")
    return tool, size


def quartiles(times):
    if len(times) < 2:
        return times[0], times[0]
    q1, _, q3 = statistics.quantiles(times, n=4, method="inclusive")
    return q1, q3


def summarize(runs):
    """Medians, nets and ratios of one hyperfine run.

    Answers {"medians": [(name, median, q1, q3, fastest)],
             "nets": {size: [(tool, net, net of the fastest runs)]},
             "ratios": {size: [(tool_a, tool_b, ratio or None)]}}."""
    medians = []
    by_tool = {}
    for name, times in runs.items():
        if not times:
            raise ValueError(f"'{name}' has no timed runs")
        median = statistics.median(times)
        q1, q3 = quartiles(times)
        medians.append((name, median, q1, q3, min(times)))
        tool, size = split_name(name)
        by_tool.setdefault(tool, {})[size] = (median, min(times))
    nets = {}
    for tool, sizes in by_tool.items():
        if BASELINE not in sizes:
            continue
        base_median, base_fastest = sizes[BASELINE]
        for size, (median, fastest) in sizes.items():
            if size != BASELINE:
                nets.setdefault(size, []).append((tool, median - base_median, fastest - base_fastest))
    ratios = {}
    for size, tools in nets.items():
        pairs = []
        for index, (tool_a, net_a, _) in enumerate(tools):
            for tool_b, net_b, _ in tools[index + 1:]:
                ratio = net_a / net_b if net_a > 0 and net_b > 0 else None
                pairs.append((tool_a, tool_b, ratio))
        ratios[size] = pairs
    return {"medians": medians, "nets": nets, "ratios": ratios}


def milliseconds(seconds):
    return f"{seconds * 1000:8.1f} ms"


def report(label, summary):
    lines = [f"== {label}",
             f"  {'command':<28} {'median':>11}   {'quartiles':>21}   {'fastest':>11}"]
    for name, median, q1, q3, fastest in summary["medians"]:
        lines.append(f"  {name:<28} {milliseconds(median)}   "
                     f"{q1 * 1000:8.1f} .. {q3 * 1000:6.1f} ms   {milliseconds(fastest)}")
    for size, tools in summary["nets"].items():
        lines.append(f"  net at {size} (median minus the tool's own one-byte median;"
                     f" the same of the fastest runs):")
        for tool, net, net_fastest in tools:
            lines.append(f"    {tool:<26} {milliseconds(net)}   {milliseconds(net_fastest)}")
        for tool_a, tool_b, ratio in summary["ratios"][size]:
            text = f"{ratio:.2f}" if ratio is not None else "n/a (a net within the noise)"
            lines.append(f"    ratio {tool_a} / {tool_b}: {text}")
        fastest = dict((tool, net) for tool, _, net in tools)
        pairs = [f"{a} / {b} {fastest[a] / fastest[b]:.2f}" for a, b, _ in summary["ratios"][size]
                 if fastest[a] > 0 and fastest[b] > 0]
        if pairs:
            lines.append("    ratios of the fastest runs' nets: " + ", ".join(pairs))
    return "\n".join(lines)


def main(argv):
    if len(argv) < 2:
        print(__doc__.split("\n\n")[-1].strip(), file=sys.stderr)
        return 2
    runs = read_runs(*argv[1:])
    count = min(len(times) for times in runs.values())
    print(report(f"{argv[0]} ({count} timed runs of each command)", summarize(runs)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
