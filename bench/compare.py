#!/usr/bin/env python3
"""Runs one benchmark from two builds in turn, several times, and prints the
median of every figure of every line side by side: a change's cost shows as
before/after on the same machine at the same moments.

Usage: bench/compare.py BEFORE-BIN AFTER-BIN [--runs N] BENCH [ARGS...]
  e.g. bench/compare.py ../old/build/bin build/bin --runs 5 bench_grid 20000

A line's figures are its numbers with a decimal point; the words and whole
numbers before the first of them name the line. The last figure of each line
is marked with the change after/before, since the benchmarks print their
ratio there.
"""
import os
import re
import statistics
import subprocess
import sys

FIGURE = re.compile(r"(?<![\w.])-?\d+\.\d+(?=ms\b|x\b|[^\w.]|$)")


def figures(output):
    """{line name: [figures]} of one run, in the order the lines came."""
    lines = {}
    for line in output.splitlines():
        found = list(FIGURE.finditer(line))
        if not found:
            continue
        name = " ".join(line[: found[0].start()].split())
        if name and name not in lines:
            lines[name] = [float(m.group()) for m in found]
    return lines


def run(binary, args):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    done = subprocess.run([binary] + args, env=env, capture_output=True, text=True, check=True)
    return figures(done.stdout)


def main():
    argv = sys.argv[1:]
    runs = 5
    if "--runs" in argv:
        at = argv.index("--runs")
        runs = int(argv[at + 1])
        del argv[at : at + 2]
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    before_bin, after_bin, bench, args = argv[0], argv[1], argv[2], argv[3:]
    results = {"before": [], "after": []}
    for _ in range(runs):
        results["before"].append(run(os.path.join(before_bin, bench), args))
        results["after"].append(run(os.path.join(after_bin, bench), args))

    def medians(which, name):
        columns = [r[name] for r in results[which] if name in r]
        if not columns:
            return None
        width = min(len(c) for c in columns)
        return [statistics.median(c[i] for c in columns) for i in range(width)]

    print(f"{bench} {' '.join(args)}: median of {runs} runs, before | after")
    for name in results["after"][0]:
        before, after = medians("before", name), medians("after", name)
        if before is None or after is None:
            continue
        change = f"  ({after[-1] / before[-1]:.2f}x)" if before[-1] else ""
        print(f"  {name:45.45} {' '.join(f'{v:9.2f}' for v in before)} | "
              f"{' '.join(f'{v:9.2f}' for v in after)}{change}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
