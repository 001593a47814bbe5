#!/usr/bin/env python3
"""Figures of one upgrade run from its statement trace and the times trace_clock.py noted.

Usage: trace_actions.py TRACE CLOCK START_OFFSET END_OFFSET START_TIME END_TIME [TOP]
  START_OFFSET, END_OFFSET  size of the trace when the run began and when it ended
  START_TIME    when the upgrade button was clicked, END_TIME when the success box appeared
                (seconds since the epoch)
Prints the statement count and rate, and the TOP (default 5) slowest actions. An action is one
statement shape (the text with its quoted values and numbers replaced by ?), so a per-row loop is
one action however many rows it has; its time is the sum, over its statements, of the time from
the previous statement's completion to its own, which counts the client's share as well.
"""
import bisect
import json
import re
import sys

LITERAL = re.compile(r"N?'(?:[^']|'')*'|\b\d+(?:\.\d+)?\b")


def shape(text):
    return " ".join(LITERAL.sub("?", text).split())


def main():
    trace, clock = sys.argv[1], sys.argv[2]
    start_offset, end_offset = int(sys.argv[3]), int(sys.argv[4])
    start_time, end_time = float(sys.argv[5]), float(sys.argv[6])
    top = int(sys.argv[7]) if len(sys.argv) > 7 else 5
    times, sizes = [], []
    with open(clock) as f:
        for line in f:
            t, size = line.split()
            times.append(float(t))
            sizes.append(int(size))

    def completed(end_offset):  # first time the trace was seen holding this many bytes
        i = bisect.bisect_left(sizes, end_offset)
        return times[i] if i < len(times) else end_time

    actions = {}
    count = errors = 0
    previous = start_time
    with open(trace, "rb") as f:
        f.seek(start_offset)
        offset = start_offset
        for raw in f.read(end_offset - start_offset).splitlines(keepends=True):
            offset += len(raw)
            record = json.loads(raw)
            at = completed(offset)
            key = shape(record["text"])
            entry = actions.setdefault(key, [0.0, 0, record["text"]])
            entry[0] += max(0.0, at - previous)
            entry[1] += 1
            previous = max(previous, at)
            count += 1
            errors += record["error"] is not None
    seconds = end_time - start_time
    print("statements sent        %d (%d answered with an error)" % (count, errors))
    print("statements per second  %.0f" % (count / seconds))
    print("slowest actions (statement shape, count, seconds):")
    for key, (spent, n, example) in sorted(actions.items(), key=lambda kv: -kv[1][0])[:top]:
        text = key if len(key) <= 110 else key[:107] + "..."
        print("  %7.2f s %7d x  %s" % (spent, n, text))


if __name__ == "__main__":
    main()
