#!/usr/bin/python3
"""Runs a command of tools/ so that it ends, with everything it started, however it ends.

usage: tools/supervisor.py NAME COMMAND [ARG...]

The command runs as this process's child in the same process group, so that Ctrl+C on the
terminal reaches it as before and sudo can still ask for a password there. This process is
the "child subreaper" of everything the command starts: a program that leaves for a session
of its own (an X server, Wine's server) stays a descendant of it when its parent ends.

After SIGINT, SIGTERM or SIGHUP (passed on to the command, which may not have had it) the
command has COMMAND_GRACE seconds to stop what it started. A signal that this process was
started to ignore stays ignored, for it and the command: a command in the background of a
script keeps out of the script's Ctrl+C, one under nohup outlives its terminal. Once the command has ended, or
that time has passed, every descendant still running gets SIGTERM, and SIGKILL
TERM_GRACE seconds later. Exits with the command's exit code, or 130 (SIGINT) or 143 when
the command had to be stopped. NAME begins the lines it prints (on standard error).

The shell cannot do this itself: bash's "wait" may reap a job and then, as a trapped signal
arrives, leave before it records that the job ended; a later "wait" for that job blocks until
some other child ends.
"""
import ctypes
import os
import signal
import sys
import time

PR_SET_CHILD_SUBREAPER = 36
# The signals that stop the command, unless this process was started to ignore them.
STOP_SIGNALS = {
    number
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)
    if signal.getsignal(number) != signal.SIG_IGN
}
WATCHED = STOP_SIGNALS | {signal.SIGCHLD}
EXIT_CODE = {signal.SIGINT: 130, signal.SIGTERM: 143, signal.SIGHUP: 143}
# Seconds the command has after a signal to stop what it started, and seconds that what is
# left has after SIGTERM: together well within the 2 s a user waits after Ctrl+C.
COMMAND_GRACE = 1.0
TERM_GRACE = 0.5


def say(name, text):
    """Prints one line on standard error. Returns nothing."""
    print(f"{name}: {text}", file=sys.stderr, flush=True)


def start(argv):
    """Starts the command as a child with the signal state this process was given.
    Returns its pid."""
    pid = os.fork()
    if pid:
        return pid
    try:
        # Python ignores SIGPIPE for itself; the command's pipelines need the default.
        signal.signal(signal.SIGPIPE, signal.SIG_DFL)
        signal.pthread_sigmask(signal.SIG_SETMASK, [])
        os.execvp(argv[0], argv)
    except OSError as error:
        print(f"cannot run {argv[0]}: {error}", file=sys.stderr)
    os._exit(127)


def reap(command):
    """Reaps every child that has ended. Returns the command's exit code when it was among
    them, else None."""
    code = None
    while True:
        try:
            pid, status = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return code
        if pid == 0:
            return code
        if pid == command:
            code = os.waitstatus_to_exitcode(status)
            code = 128 - code if code < 0 else code


def ended(pid):
    """Returns whether process PID has ended: gone, or a zombie of one thread. The main
    thread of a process may end before the others (a Wine driver's libusb thread polls on),
    and the process then shows as a zombie while it still runs."""
    try:
        return len(os.listdir(f"/proc/{pid}/task")) <= 1
    except OSError:
        return True


def living_parents():
    """Returns {pid: parent pid} of every process that has not ended."""
    parents = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        if fields[0] != "Z" or not ended(entry):
            parents[int(entry)] = int(fields[1])
    return parents


def descendants():
    """Returns the pids of every running process below this one."""
    children = {}
    for pid, parent in living_parents().items():
        children.setdefault(parent, []).append(pid)
    found, todo = [], [os.getpid()]
    while todo:
        below = children.get(todo.pop(), [])
        found += below
        todo += below
    return found


def program_name(pid):
    """Returns the program name of PID, or "?" once it has gone."""
    try:
        with open(f"/proc/{pid}/comm") as comm:
            return comm.read().strip()
    except OSError:
        return "?"


def signal_all(pids, number):
    """Sends signal NUMBER to each of PIDS that still exists. Returns nothing."""
    for pid in pids:
        try:
            os.kill(pid, number)
        except ProcessLookupError:
            pass


def stop_everything(command):
    """SIGTERM to every descendant, SIGKILL after TERM_GRACE s to what is left, reaping as
    they end. Returns the names of what was stopped."""
    left = descendants()
    names = sorted({program_name(pid) for pid in left})
    signal_all(left, signal.SIGTERM)
    end = time.monotonic() + TERM_GRACE
    while left and time.monotonic() < end:
        time.sleep(0.02)
        reap(command)
        left = descendants()
    # A process that is killed cannot start another; one that is not yet may, so look again.
    end = time.monotonic() + 2
    while left and time.monotonic() < end:
        signal_all(left, signal.SIGKILL)
        time.sleep(0.01)
        reap(command)
        left = descendants()
    reap(command)
    return names


def supervise(name, argv):
    """Runs the command to its end, or until it has had COMMAND_GRACE s after a signal, then
    stops whatever is left. Returns the exit code."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    signal.pthread_sigmask(signal.SIG_BLOCK, WATCHED)
    os.environ["GS_SUPERVISOR"] = str(os.getpid())
    command = start(argv)
    code = caught = deadline = None
    while code is None and (deadline is None or time.monotonic() < deadline):
        info = signal.sigtimedwait(WATCHED, 0.1)
        if info and info.si_signo in STOP_SIGNALS:
            signal_all([command], info.si_signo)
            if caught is None:
                caught = info.si_signo
                deadline = time.monotonic() + COMMAND_GRACE
        code = reap(command)
    if code is None:
        # It has had its time; what it started has its own below.
        signal_all([command], signal.SIGKILL)
        say(name, f"did not stop within {COMMAND_GRACE:g} s; stopping what it started")
        code = EXIT_CODE[caught]
    names = stop_everything(command)
    if names and not caught:
        say(name, f"stopped what was still running: {', '.join(names)}")
    return code


def main():
    if len(sys.argv) == 2 and sys.argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        return 0
    if len(sys.argv) < 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    return supervise(sys.argv[1], sys.argv[2:])


if __name__ == "__main__":
    sys.exit(main())
