#!/usr/bin/python3
"""tools/supervisor.py: what a command leaves is stopped however the command ends, and the
lock, the time limit and the hidden serial devices hold."""
import glob
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SUPERVISOR = os.path.join(ROOT, "tools", "supervisor.py")
# Bound of every wait: the supervisor needs about two seconds at most.
BOUND = 60


def supervise(options, script, **kwargs):
    """Starts the supervisor with OPTIONS over "bash -c SCRIPT". Returns the process."""
    return subprocess.Popen(
        [sys.executable, SUPERVISOR, *options, "test", "bash", "-c", script],
        stderr=subprocess.PIPE, text=True, **kwargs)


def alive(pid):
    """Returns whether PID runs (a zombie counts as gone)."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def wait_for(condition):
    """Waits until CONDITION() is true, within BOUND s. Returns its last value."""
    end = time.monotonic() + BOUND
    while not condition() and time.monotonic() < end:
        time.sleep(0.05)
    return condition()


class Supervisor(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.pids = os.path.join(self.folder.name, "pids")

    def tearDown(self):
        self.folder.cleanup()

    def started(self):
        """Returns the pids that the command wrote, once it has written them."""
        self.assertTrue(wait_for(lambda: os.path.exists(self.pids + ".done")), "no pids written")
        with open(self.pids) as pids:
            return [int(pid) for pid in pids.read().split()]

    def test_what_the_command_left_is_stopped(self):
        # A process of a session of its own, one that ignores SIGTERM, and the command's
        # own end: by exit code, by Ctrl+C and by its time limit.
        leave = (f"setsid sleep 600 & echo $! >>{self.pids}; "
                 f"(trap '' TERM; exec sleep 600) & echo $! >>{self.pids}; touch {self.pids}.done")
        cases = [
            ("exit code", [], leave + "; exit 3", None, 3),
            ("Ctrl+C", [], leave + "; trap '' INT; sleep 600", signal.SIGINT, 130),
            ("Ctrl+C, then an error", [], leave + "; trap 'exit 1' INT; sleep 600 & wait",
             signal.SIGINT, 130),
            ("time limit", ["--time-limit", "1"], leave + "; sleep 600", None, 143),
        ]
        for what, options, script, signal_number, code in cases:
            with self.subTest(what):
                if os.path.exists(self.pids):
                    os.remove(self.pids)
                    os.remove(self.pids + ".done")
                run = supervise(options, script)
                pids = self.started()
                if signal_number:
                    run.send_signal(signal_number)
                _, errors = run.communicate(timeout=BOUND)
                self.assertEqual(code, run.returncode, f"{what}: exit code; said: {errors}")
                self.assertEqual([], [pid for pid in pids if alive(pid)], f"{what}: still running")

    def test_one_run_holds_the_lock(self):
        lock = os.path.join(self.folder.name, "lock")
        first = supervise(["--lock", lock, "a first run"], f"touch {self.pids}.done; sleep 600")
        self.assertTrue(wait_for(lambda: os.path.exists(self.pids + ".done")))
        second = supervise(["--lock", lock, "a second run"], "echo ran")
        _, errors = second.communicate(timeout=BOUND)
        self.assertEqual(1, second.returncode, f"second run: {errors}")
        self.assertIn(f"(pid {first.pid}, since ", errors)
        self.assertIn(": a first run)", errors)
        first.send_signal(signal.SIGTERM)
        first.communicate(timeout=BOUND)
        third = supervise(["--lock", lock, "a third run"], "true")
        third.communicate(timeout=BOUND)
        self.assertEqual(0, third.returncode, "a run after the first ended")

    @unittest.skipUnless(os.geteuid() == 0, "only root hides serial devices")
    def test_serial_devices_are_hidden(self):
        devices = {}
        for device in glob.glob("/sys/class/tty/*/device"):
            path = "/dev/" + os.path.basename(os.path.dirname(device))
            if os.path.exists(path):
                with open(os.path.dirname(device) + "/dev") as number:
                    devices[path] = number.read().strip()
        if not devices:
            self.skipTest("this machine has no serial device")
        paths = " ".join(devices)
        # Shown again first, in a mount namespace of the test's own: tools/test hides them.
        script = (f"for d in {paths}; do while mountpoint -q $d; do umount $d; done; done; "
                  f"exec {sys.executable} {SUPERVISOR} --hide-serial test sh -c "
                  f"'for d in {paths}; do stat -c %Hr:%Lr $d; done'")
        first = next(iter(devices))
        for keep in ("", first):
            run = subprocess.run(["unshare", "--mount", "--propagation", "private", "sh", "-c",
                                  script], capture_output=True, text=True, timeout=BOUND,
                                 env={**os.environ, "GS_KEEP_SERIAL": keep})
            self.assertEqual(0, run.returncode, run.stderr)
            wanted = [devices[path] if path == keep else "1:3" for path in devices]
            self.assertEqual(wanted, run.stdout.split(), f"device numbers, {keep or 'none'} kept")


if __name__ == "__main__":
    unittest.main()
