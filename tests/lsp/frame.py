#!/usr/bin/env python3
"""Writes and reads the language server's framed messages, for its cases.

  frame.py < messages > input     one JSON message per line in, framed out
  frame.py --unframe < output     framed messages in, one per line out

A line of messages that starts with RAW: is written as it stands (after
\\r and \\n escapes are turned into bytes), for frames that are meant to be
bad. A line that starts with # is a comment.
"""
import sys


def frame(lines):
    out = bytearray()
    for line in lines:
        line = line.rstrip(b"\n")
        if not line or line.startswith(b"#"):
            continue
        if line.startswith(b"RAW:"):
            out += line[4:].replace(b"\\r", b"\r").replace(b"\\n", b"\n")
            continue
        out += b"Content-Length: %d\r\n\r\n" % len(line) + line
    return bytes(out)


def unframe(data):
    out = bytearray()
    while data:
        header, _, rest = data.partition(b"\r\n\r\n")
        length = int(header.split(b":", 1)[1])
        out += rest[:length] + b"\n"
        data = rest[length:]
    return bytes(out)


if __name__ == "__main__":
    data = sys.stdin.buffer.read()
    if sys.argv[1:] == ["--unframe"]:
        sys.stdout.buffer.write(unframe(data))
    else:
        sys.stdout.buffer.write(frame(data.splitlines(keepends=True)))
