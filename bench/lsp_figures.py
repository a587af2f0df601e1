#!/usr/bin/env python3
"""Figures of kaland-check --lsp, measured through its pipes on this machine:
  - start-up: from starting the program to a complete answer to initialize
    (target: 20 ms), the median of 20 starts;
  - a change to its diagnostics: from writing an incremental didChange (one
    character typed into a room's text) to reading the publishDiagnostics of
    that version, the median of 20 changes, on the bundled adventure (target:
    50 ms), on a map of 10,000 rooms (target: 500 ms), and on one of 20 MB;
  - memory: the server's resident memory growth per open map, with four
    copies of each map open (target: at most 4 times the map's size plus the
    checker's model), beside the checker's own peak memory for that map
    (kaland-check MAP, its model and a read buffer) less that for an empty
    map.
Absolute times on a shared machine vary from run to run: compare figures of
one run. Not a test: it prints the figures.
  python3 bench/lsp_figures.py build/kaland-check"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def generated_map(rooms, lines_per_room):
    text = []
    for room in range(1, rooms + 1):
        text.append(f"#helyiseg {room}\nRoom {room} of the long caves: go [n]orth, [s]outh or [b]ack.\n")
        for line in range(lines_per_room - 1):
            text.append(f"Line {line} of room {room}: water drips in the dark, slowly, again and again.\n")
        text.append(f"#irany N {room % rooms + 1} n\n#irany N {(room * 7) % rooms + 1} s\n"
                    f"#irany N {max(room - 1, 1)} b\n")
    return "".join(text) + f"#helyiseg {rooms + 1}\nThe end.\n#gameover\n"


class Server:
    """kaland-check --lsp on a pair of pipes, bounded in time."""

    def __init__(self, program):
        self.process = subprocess.Popen([program, "--lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.next_id = 1

    def send(self, message):
        body = json.dumps(message).encode()
        self.process.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.process.stdin.flush()

    def receive(self):
        length = None
        while True:
            line = self.process.stdout.readline()
            if not line:
                raise RuntimeError("the server ended")
            if line in (b"\r\n", b"\n"):
                break
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                length = int(value)
        return json.loads(self.process.stdout.read(length))

    def request(self, method, params):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        while True:
            message = self.receive()
            if message.get("id") == self.next_id:
                return message

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def published(self, uri, version):
        while True:
            message = self.receive()
            params = message.get("params", {})
            if message.get("method") == "textDocument/publishDiagnostics" and params.get("uri") == uri and \
                    params.get("version") == version:
                return params["diagnostics"]

    def resident_kib(self):
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0

    def close(self):
        self.request("shutdown", None)
        self.notify("exit", None)
        self.process.wait(timeout=60)


def version_answer(program):
    """The same start through the same pipes, to kaland-check --version's answer."""
    times = []
    for _ in range(20):
        started = time.perf_counter()
        process = subprocess.Popen([program, "--version"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        process.stdout.readline()
        times.append(time.perf_counter() - started)
        process.wait(timeout=60)
    return statistics.median(times)


def start_up(program):
    times = []
    for _ in range(20):
        started = time.perf_counter()
        server = Server(program)
        server.send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}})
        server.receive()
        times.append(time.perf_counter() - started)
        server.close()
    return statistics.median(times)


def open_map(server, uri, text):
    server.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "kaland", "version": 1,
                                                             "text": text}})
    return server.published(uri, 1)


def change_to_diagnostics(program, text, changes=20):
    server = Server(program)
    server.request("initialize", {"capabilities": {}})
    uri = "file:///bench.map"
    open_map(server, uri, text)
    # A room's first line of text: line 1 (0-based) of the map, or the
    # bundled adventure's first description line.
    line = next(number for number, content in enumerate(text.split("\n"))
                if content and not content.startswith("#"))
    times = []
    for version in range(2, changes + 2):
        edit = {"range": {"start": {"line": line, "character": 0}, "end": {"line": line, "character": 0}},
                "text": "x" if version % 2 == 0 else ""}
        if version % 2:  # take the character back out
            edit["range"]["end"]["character"] = 1
        started = time.perf_counter()
        server.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": version},
                                                 "contentChanges": [edit]})
        server.published(uri, version)
        times.append(time.perf_counter() - started)
    server.close()
    return statistics.median(times)


def checker_peak_kib(program, text, folder):
    path = os.path.join(folder, "peak.map")
    with open(path, "w") as file:
        file.write(text)
    measured = subprocess.run(["/usr/bin/time", "-f", "%M", program, path], stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, timeout=300)
    return int(measured.stderr.decode().strip().splitlines()[-1])


def memory_per_map(program, text, copies=4):
    server = Server(program)
    server.request("initialize", {"capabilities": {}})
    open_map(server, "file:///copy0.map", text)
    first = server.resident_kib()
    for copy in range(1, copies):
        open_map(server, f"file:///copy{copy}.map", text)
    last = server.resident_kib()
    server.close()
    return (last - first) / (copies - 1)


def main():
    program = os.path.abspath(sys.argv[1])
    with open(os.path.join(SOURCE, "zelmor.map"), encoding="utf-8", errors="surrogateescape") as file:
        maps = [("zelmor.map (the bundled adventure)", file.read(), 50)]
    maps.append(("10,000 rooms", generated_map(10000, 2), 500))
    maps.append(("20 MB", generated_map(80000, 3), None))
    print(f"start-up to the initialize answer: {start_up(program) * 1000:.1f} ms (target 20 ms); "
          f"to kaland-check --version's answer: {version_answer(program) * 1000:.1f} ms")
    with tempfile.TemporaryDirectory() as folder:
        empty = checker_peak_kib(program, "#helyiseg 1\nA\n#gameover\n", folder)
        for name, text, target in maps:
            size = len(text.encode("utf-8", "surrogateescape"))
            latency = change_to_diagnostics(program, text, 20 if size < 10 << 20 else 6)
            goal = f" (target {target} ms)" if target else ""
            print(f"{name}, {size / 1e6:.2f} MB: change to diagnostics {latency * 1000:.1f} ms{goal}")
            if size < 1 << 20:
                continue  # too small to tell from the resident memory's pages
            grown = memory_per_map(program, text, 4 if size < 10 << 20 else 3)
            model = checker_peak_kib(program, text, folder) - empty
            beyond_model = (grown - model) * 1024 / size
            print(f"  memory per open map {grown / 1024:.1f} MiB, the checker's model {model / 1024:.1f} MiB, "
                  f"the rest {beyond_model:.2f} times the map's size (target 4)")


if __name__ == "__main__":
    main()
