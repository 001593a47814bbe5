#!/usr/bin/env python3
"""Follows a growing statement trace and notes when its size changes, so that each trace line
(written by the server after the batch ran, before the reply) gets the time it completed.

Usage: trace_clock.py TRACE OUT
Writes OUT on SIGTERM or SIGINT: one line per change, "<seconds since the epoch> <size in bytes>".
Polls every 2 ms: a batch that takes less than that shares its time with its neighbours, which is
fine for finding the actions that take seconds.
"""
import os
import signal
import sys
import time

trace, out = sys.argv[1], sys.argv[2]
samples = []
stop = False


def finish(*_):
    global stop
    stop = True


signal.signal(signal.SIGTERM, finish)
signal.signal(signal.SIGINT, finish)
last = -1
while not stop:
    try:
        size = os.stat(trace).st_size
    except FileNotFoundError:
        size = 0
    if size != last:
        samples.append((time.time(), size))
        last = size
    time.sleep(0.002)
with open(out, "w") as f:
    for t, size in samples:
        f.write("%.6f %d\n" % (t, size))
