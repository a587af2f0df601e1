#!/usr/bin/env python3
"""Proves that the test scripts bound a faulty runner in time and in bytes.

    bounds_test.py RUN_CASE_SH CONSISTENCY_SH CASE_DIR

CASE_DIR is a case whose map is a passage loop. faulty_runner.py stands in for
kaland with the loop check gone: it writes for ever, or hangs. Each run of the
case runner (and of the consistency script over that one case) must fail with
a clear message within its bound, keep no more than the cap in its scratch
folder, leave nothing there, and leave no process behind.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

HERE = os.path.dirname(os.path.realpath(__file__))
FAULTY_RUNNER = os.path.join(HERE, "faulty_runner.py")
SPARE_BYTES = 4 * 1024 * 1024  # what run_case.sh allows past the expected output
KILL_AFTER = 2  # seconds from SIGTERM to SIGKILL
SLACK = 3  # seconds for starting and cleaning up on a busy machine
RUN_CASE, CONSISTENCY, LOOP_CASE = sys.argv[1:4]


def folder_bytes(path):
    total = 0
    for root, _, files in os.walk(path):
        for name in files:
            try:
                total += os.lstat(os.path.join(root, name)).st_size
            except FileNotFoundError:
                pass
    return total


class Run:
    """One run of a test script on the faulty runner, watched from outside."""

    def __init__(self, mode, timeout_seconds=None, script=RUN_CASE, stop_after=None):
        self.temp = tempfile.mkdtemp()
        cases = os.path.join(self.temp, "cases")
        case = os.path.join(cases, "loop")
        shutil.copytree(LOOP_CASE, case)
        if timeout_seconds is not None:
            with open(os.path.join(case, "timeout"), "w") as file:
                file.write(f"{timeout_seconds}\n")
        self.scratch = os.path.join(self.temp, "scratch")
        os.mkdir(self.scratch)
        self.report = os.path.join(self.temp, "report")
        env = dict(os.environ, TMPDIR=self.scratch, FAULTY_RUNNER_MODE=mode,
                   FAULTY_RUNNER_REPORT=self.report)
        self.peak_bytes = 0
        done = threading.Event()
        watcher = threading.Thread(target=self.watch, args=(done,))
        watcher.start()
        command = ["bash", RUN_CASE, FAULTY_RUNNER, case]
        if script == CONSISTENCY:
            command = ["bash", CONSISTENCY, FAULTY_RUNNER, "/bin/true", cases]
        start = time.monotonic()
        script_run = subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        try:
            try:
                output, _ = script_run.communicate(timeout=stop_after or 120)
            except subprocess.TimeoutExpired:
                if stop_after is None:
                    raise
                script_run.terminate()  # as ctest or a mutation run stops a test
                output, _ = script_run.communicate(timeout=120)
        except BaseException:
            # SIGTERM lets the script stop its runner and clean its scratch folder up.
            script_run.terminate()
            script_run.wait(30)
            raise
        finally:
            self.elapsed = time.monotonic() - start
            done.set()
            watcher.join()
        self.status = script_run.returncode
        self.message = output.decode(errors="replace")
        self.left_behind = os.listdir(self.scratch)
        self.expected = {stream: os.path.getsize(os.path.join(case, name))
                         if os.path.exists(os.path.join(case, name)) else 0
                         for stream, name in (("standard output", "output"), ("standard error", "errors"))}
        # The map and the other case files are copied into the scratch folder too.
        self.case_bytes = folder_bytes(case)

    # Samples the bytes in the scratch folder every millisecond and keeps the most.
    def watch(self, done):
        while not done.wait(0.001):
            self.peak_bytes = max(self.peak_bytes, folder_bytes(self.scratch))

    def read_report(self, suffix):
        with open(self.report + suffix) as file:
            return int(file.read())

    # A killed runner may stay a zombie for a while where nothing reaps orphans.
    def runner_still_alive(self):
        try:
            with open(f"/proc/{self.read_report('.pid')}/stat") as file:
                state = file.read().rsplit(")", 1)[1].split()[0]
        except FileNotFoundError:
            return False
        return state not in ("Z", "X")

    def describe(self):
        written = ""
        if os.path.exists(self.report + ".bytes"):
            written = f"the runner got {self.read_report('.bytes')} bytes out, "
        return (f"{self.elapsed:.2f} s, {written}at most {self.peak_bytes} bytes seen in the "
                f"scratch folder, status {self.status}, said: {self.message.strip()!r}")

    def close(self):
        shutil.rmtree(self.temp, ignore_errors=True)


class BoundedRuns(unittest.TestCase):
    def run_case(self, mode, timeout_seconds=None, script=RUN_CASE, stop_after=None):
        run = Run(mode, timeout_seconds, script, stop_after)
        self.addCleanup(run.close)
        print(f"\n{mode}: {run.describe()}", file=sys.stderr)
        self.assertNotEqual(run.status, 0)
        self.assertEqual(run.left_behind, [], "the scratch folder was not cleaned up")
        self.assertFalse(run.runner_still_alive(), "the faulty runner is still running")
        return run

    def assert_stopped_at_cap(self, run, stream, cap=None):
        cap = cap or run.expected[stream] + SPARE_BYTES
        self.assertIn(f"wrote more than {cap} bytes to {stream}", run.message)
        # The file size limit lets at most one 1024-byte block past the cap.
        self.assertLessEqual(run.peak_bytes, cap + 1024 + run.case_bytes)
        self.assertLessEqual(run.read_report(".bytes"), cap + 1024)
        self.assertLess(run.elapsed, SLACK + 2)

    def test_passage_loop_stops_at_the_output_cap(self):
        self.assert_stopped_at_cap(self.run_case("loop"), "standard output")

    def test_endless_errors_stop_at_the_error_cap(self):
        self.assert_stopped_at_cap(self.run_case("errors"), "standard error")

    def test_silent_hang_times_out(self):
        run = self.run_case("silent", timeout_seconds=2)
        self.assertIn("timed out after 2 s", run.message)
        self.assertGreaterEqual(run.elapsed, 2)
        self.assertLess(run.elapsed, 2 + SLACK)

    def test_runner_ignoring_sigterm_is_killed(self):
        run = self.run_case("stubborn", timeout_seconds=2)
        self.assertIn("timed out after 2 s", run.message)
        self.assertGreaterEqual(run.elapsed, 2 + KILL_AFTER)
        self.assertLess(run.elapsed, 2 + KILL_AFTER + SLACK)

    # Stopped from outside, the case runner stops its runner at once rather
    # than after its bound, and still cleans up.
    def test_case_runner_stopped_by_sigterm_cleans_up(self):
        run = self.run_case("silent", script=RUN_CASE, stop_after=1)
        self.assertLess(run.elapsed, 1 + SLACK)

    def test_consistency_stopped_by_sigterm_cleans_up(self):
        run = self.run_case("silent", script=CONSISTENCY, stop_after=1)
        self.assertLess(run.elapsed, 1 + SLACK)

    # The consistency script has no expected output: a fixed cap holds.
    def test_consistency_stops_a_passage_loop_at_the_cap(self):
        run = self.run_case("loop", script=CONSISTENCY)
        self.assert_stopped_at_cap(run, "standard output", cap=SPARE_BYTES)

    def test_consistency_times_out_a_hang(self):
        run = self.run_case("silent", timeout_seconds=2, script=CONSISTENCY)
        self.assertIn("timed out after 2 s", run.message)
        self.assertLess(run.elapsed, 2 + SLACK)


if __name__ == "__main__":
    # Ended from outside, the scripts and the temporary folders still go
    # away (unittest lets only KeyboardInterrupt through).
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    unittest.main(argv=sys.argv[:1] + sys.argv[4:], verbosity=2)
