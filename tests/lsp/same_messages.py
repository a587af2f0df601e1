#!/usr/bin/env python3
"""kaland-check --lsp tells every map what kaland-check tells it.

  same_messages.py KALAND_CHECK CASES_DIR...

Opens the map of every case folder (and a generated map of 20 MB) in one
server, and holds each map's published diagnostics to the lines
`kaland-check MAP` prints: the same line, severity and text, in the same
order, each with a range on its own line. A map that is not UTF-8 goes to
the server as an editor that reads it as Latin-1 sends it, and to
kaland-check as those characters in UTF-8. Every run is bounded in time and
in the bytes it may write.
"""
import json
import os
import pathlib
import re
import resource
import subprocess
import sys
import tempfile

SECONDS = 120
MOST_BYTES = 256 << 20
SEVERITIES = {1: "error", 2: "warning", 3: "note"}


def bounded():
    resource.setrlimit(resource.RLIMIT_FSIZE, (MOST_BYTES, MOST_BYTES))
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))


def run(command, stdin, folder):
    with open(os.path.join(folder, "out"), "wb+") as out, open(os.path.join(folder, "err"), "wb+") as err:
        status = subprocess.run(command, stdin=stdin, stdout=out, stderr=err, timeout=SECONDS, cwd=folder,
                                preexec_fn=bounded).returncode
        out.seek(0)
        err.seek(0)
        return status, out.read(), err.read()


def as_text(data):
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("latin-1")


def generated_map():
    """Over 20 MB: 71,000 rooms of four lines, each with two exits."""
    rooms = []
    for room in range(1, 71001):
        rooms.append(f"#helyiseg {room}\nRoom {room}: a long corridor of grey stone, [n]orth or [b]ack.\n"
                     f"Dust lies thick on the floor here, and nothing moves at all.\n"
                     f"Somewhere far away water drips, slowly, again and again.\n"
                     f"The walls are cold to the touch and old as the hills.\n"
                     f"#irany N {room % 71000 + 1} n\n#irany N {max(room - 1, 1)} b\n")
    return "".join(rooms) + "#helyiseg 71001\nThe end.\n#gameover\n"


def expected_lines(kaland_check, text, folder):
    path = os.path.join(folder, "map")
    with open(path, "w", encoding="utf-8", newline="") as file:
        file.write(text)
    _, _, err = run([kaland_check, "map"], subprocess.DEVNULL, folder)
    lines = err.decode("utf-8").splitlines()[:-1]  # the summary line last
    found = []
    for line in lines:
        match = re.fullmatch(r"map(?::(\d+))?: (error|warning|note): (.*)", line)
        assert match, f"unexpected line: {line}"
        found.append((int(match.group(1) or 0), match.group(2), match.group(3)))
    return found


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def main():
    kaland_check = os.path.abspath(sys.argv[1])
    maps = {}
    for cases in sys.argv[2:]:
        for map_file in sorted(pathlib.Path(cases).glob("*/map")):
            maps[str(map_file.parent.name)] = as_text(map_file.read_bytes())
    maps["generated-20-MB"] = generated_map()
    with tempfile.TemporaryDirectory() as folder:
        messages = [{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}}]
        for name, text in maps.items():
            messages.append({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {
                "textDocument": {"uri": f"file:///{name}.map", "languageId": "kaland", "version": 1, "text": text}}})
        messages += [{"jsonrpc": "2.0", "id": 2, "method": "shutdown"}, {"jsonrpc": "2.0", "method": "exit"}]
        with open(os.path.join(folder, "in"), "wb") as file:
            file.write(b"".join(frame(message) for message in messages))
        with open(os.path.join(folder, "in"), "rb") as stdin:
            status, out, _ = run([kaland_check, "--lsp"], stdin, folder)
        assert status == 0, f"the server ended with status {status}"
        published = {}
        while out:
            header, _, rest = out.partition(b"\r\n\r\n")
            length = int(header.split(b":")[1])
            message = json.loads(rest[:length])
            out = rest[length:]
            if message.get("method") == "textDocument/publishDiagnostics":
                published[message["params"]["uri"]] = message["params"]["diagnostics"]
        failures = 0
        for name, text in maps.items():
            got = []
            for diagnostic in published.get(f"file:///{name}.map", []):
                start, end = diagnostic["range"]["start"], diagnostic["range"]["end"]
                line = start["line"] + 1
                assert start["line"] == end["line"] and start["character"] <= end["character"], (name, diagnostic)
                got.append((line, SEVERITIES[diagnostic["severity"]], diagnostic["message"]))
            expected = [(max(line, 1), severity, message) for line, severity, message in
                        expected_lines(kaland_check, text, folder)]
            if got != expected or f"file:///{name}.map" not in published:
                failures += 1
                print(f"{name}: the server says\n  {got}\nkaland-check says\n  {expected}")
        print(f"{len(maps) - failures} passed, {failures} failed")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
