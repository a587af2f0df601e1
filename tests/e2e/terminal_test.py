#!/usr/bin/env python3
"""Plays kaland on a pseudo-terminal, as a player at a terminal would.

    terminal_test.py KALAND

On a terminal each room must be on the screen before kaland waits for a key,
and after the game the prompt "Nyomj <Enter>-t a kilepeshez!" must be shown
and kaland must really wait for Enter, then end with status 0. Every wait is
bounded, and so are the bytes read from the terminal.
"""
import os
import pty
import select
import signal
import subprocess
import sys
import tempfile
import time

MAP = b"#helyiseg 1\nHall.\n#irany N 2 a\n#helyiseg 2\nThe end.\n#gameover\n"
PROMPT = b"Nyomj <Enter>-t a kilepeshez!"
WAIT_SECONDS = 10  # for anything that should come at once
STILL_WAITING_SECONDS = 0.5
MAX_BYTES = 1 << 20


class Terminal:
    def __init__(self, kaland, folder):
        self.master, slave = pty.openpty()
        self.process = subprocess.Popen([kaland, "map"], cwd=folder, stdin=slave, stdout=slave,
                                        stderr=slave, start_new_session=True)
        os.close(slave)
        self.screen = b""

    # Reads what kaland writes until `text` is on the screen; False when it
    # does not come within the wait.
    def wait_for(self, text):
        deadline = time.monotonic() + WAIT_SECONDS
        while text not in self.screen:
            left = deadline - time.monotonic()
            if left <= 0 or not self.read_some(left):
                return False
        return True

    def read_some(self, seconds):
        ready, _, _ = select.select([self.master], [], [], seconds)
        if not ready:
            return False
        try:
            data = os.read(self.master, 4096)
        except OSError:  # the other side is closed: kaland has ended
            return False
        self.screen += data
        if len(self.screen) > MAX_BYTES:
            fail(f"kaland wrote more than {MAX_BYTES} bytes")
        return bool(data)

    def type(self, keys):
        os.write(self.master, keys)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        os.close(self.master)


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def play(terminal):
    if not terminal.wait_for(b"Hall."):
        fail(f"the first room is not shown before kaland waits for a key; screen: {terminal.screen!r}")
    terminal.type(b"a\r")
    if not terminal.wait_for(PROMPT):
        fail(f"no exit prompt after the game; screen: {terminal.screen!r}")
    if b"The end." not in terminal.screen:
        fail(f"the last room was not shown; screen: {terminal.screen!r}")
    time.sleep(STILL_WAITING_SECONDS)
    status = terminal.process.poll()
    if status is not None:
        fail(f"kaland ended with status {status} without waiting for Enter")
    terminal.type(b"\r")
    try:
        status = terminal.process.wait(WAIT_SECONDS)
    except subprocess.TimeoutExpired:
        fail(f"kaland still runs {WAIT_SECONDS} s after Enter")
    if status != 0:
        fail(f"exit status {status} after Enter, expected 0")


def main():
    # Ended from outside (a test run stopped early), the temporary folder
    # and kaland still go away.
    signal.signal(signal.SIGTERM, lambda *_: fail("ended by SIGTERM"))
    kaland = os.path.realpath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "map"), "wb") as file:
            file.write(MAP)
        terminal = Terminal(kaland, folder)
        try:
            play(terminal)
        finally:
            terminal.close()
    print("the rooms and the prompt were shown, kaland waited for Enter and ended with 0")


main()
