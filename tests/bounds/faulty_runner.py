#!/usr/bin/env python3
"""A runner with a built-in fault, for proving that the case runner bounds a run.

It takes the runner's arguments and ignores them. FAULTY_RUNNER_MODE says how
it goes wrong:
  loop      writes a passage loop's output to standard output for ever
  errors    writes for ever to standard error
  silent    hangs without writing anything
  stubborn  hangs and ignores SIGTERM, so only SIGKILL ends it
It writes its process id, and when a write fails the number of bytes it got
out, to the files FAULTY_RUNNER_REPORT.pid and FAULTY_RUNNER_REPORT.bytes
(outside the scratch folder, so that the test can read them afterwards).
"""
import os
import signal
import sys
import time

ROOM = b"\nround\n\n"


def report(suffix, value):
    with open(os.environ["FAULTY_RUNNER_REPORT"] + suffix, "w") as file:
        file.write(str(value))


def write_for_ever(fd):
    chunk = ROOM * 8192
    written = 0
    try:
        while True:
            written += os.write(fd, chunk)
    except OSError:  # a full file (EFBIG: Python ignores SIGXFSZ) or a closed pipe
        report(".bytes", written)
        sys.exit(153)


def main():
    mode = os.environ["FAULTY_RUNNER_MODE"]
    report(".pid", os.getpid())
    if mode == "loop":
        write_for_ever(1)
    elif mode == "errors":
        write_for_ever(2)
    else:
        if mode == "stubborn":
            signal.signal(signal.SIGTERM, signal.SIG_IGN)
        while True:
            time.sleep(3600)


main()
