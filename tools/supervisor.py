#!/usr/bin/python3
"""Runs a command of tools/ so that it ends, with everything it started, however it ends.

usage: tools/supervisor.py [OPTION...] NAME COMMAND [ARG...]

  --hide-serial      as root, run in a mount namespace of its own where every serial device
                     of the machine (each tty that sysfs gives a device) is /dev/null, but
                     those whose files GS_KEEP_SERIAL names (space-separated), which the
                     user asked for
  --lock FILE TEXT   one run at a time: hold a lock on FILE for the whole run, with TEXT
                     (what this run does) for the one that finds it held and exits 1
  --time-limit SECONDS
                     stop the command once it has run that long, as SIGTERM would

The command runs as this process's child in the same process group, so that Ctrl+C on the
terminal reaches it as before and sudo can still ask for a password there. This process is
the "child subreaper" of everything the command starts: a program that leaves for a session
of its own (an X server, Wine's server) stays a descendant of it when its parent ends.

After SIGINT, SIGTERM or SIGHUP (passed on to the command, which may not have had it) the
command has COMMAND_GRACE seconds to stop what it started. A signal that this process was
started to ignore stays ignored, for it and the command: a command in the background of a
script keeps out of the script's Ctrl+C, one under nohup outlives its terminal. Once the
command has ended, or that time has passed, every descendant still running gets SIGTERM,
and SIGKILL TERM_GRACE seconds later. Exits with the command's exit code, or, once it was
told to stop, 130 (SIGINT) or 143, whatever the command's own. NAME begins the lines it prints (on standard
error).

Wine hands the first serial device it finds a COM number of its own (COM256, which no port
list can claim), so nothing that runs Wine may see the machine's devices unless the user
named them. A user other than root can open only the devices the system grants; there the
devices stay as they are.

The shell cannot do this itself: bash's "wait" may reap a job and then, as a trapped signal
arrives, leave before it records that the job ended; a later "wait" for that job blocks until
some other child ends.
"""
import ctypes
import fcntl
import glob
import os
import signal
import stat
import sys
import time

PR_SET_CHILD_SUBREAPER = 36
CLONE_NEWNS = 0x00020000
MS_BIND, MS_REC, MS_PRIVATE = 0x1000, 0x4000, 0x40000
# The signals that stop the command, unless this process was started to ignore them.
STOP_SIGNALS = {
    number
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)
    if signal.getsignal(number) != signal.SIG_IGN
}
WATCHED = STOP_SIGNALS | {signal.SIGCHLD}
EXIT_CODE = {signal.SIGINT: 130, signal.SIGTERM: 143, signal.SIGHUP: 143}
STOP_WORDS = {signal.SIGINT: "interrupted", signal.SIGTERM: "stopped", signal.SIGHUP: "stopped"}
# Seconds the command has after a signal to stop what it started, and seconds that what is
# left has after SIGTERM: together well within the 2 s a user waits after Ctrl+C.
COMMAND_GRACE = 1.0
TERM_GRACE = 0.5
LIBC = ctypes.CDLL(None, use_errno=True)


def say(name, text):
    """Prints one line on standard error. Returns nothing."""
    print(f"{name}: {text}", file=sys.stderr, flush=True)


def serial_devices():
    """Returns the files under /dev that lead to a serial device of the machine: a tty that
    sysfs gives a device (a UART, a USB adapter), by its device number."""
    found = []
    for device in sorted(glob.glob("/sys/class/tty/*/device")):
        tty = os.path.dirname(device)
        path = "/dev/" + os.path.basename(tty)
        try:
            with open(f"{tty}/dev") as number:
                wanted = number.read().strip()
            info = os.stat(path)
        except OSError:
            continue
        if stat.S_ISCHR(info.st_mode) and wanted == f"{os.major(info.st_rdev)}:{os.minor(info.st_rdev)}":
            found.append(path)
    return found


def hide_serial_devices(name, keep):
    """As root, moves this process into a mount namespace of its own where every serial
    device but those in KEEP is /dev/null. Returns nothing; exits 1 when a device cannot be
    hidden. Where no namespace can be made, everything stays as it is (tools/winenv then
    names a device that Wine could reach)."""
    hide = [path for path in serial_devices() if os.path.realpath(path) not in keep]
    if not hide or os.geteuid() != 0 or LIBC.unshare(CLONE_NEWNS) != 0:
        return
    if LIBC.mount(b"none", b"/", None, MS_REC | MS_PRIVATE, None) != 0:
        say(name, f"cannot make the mounts private: {os.strerror(ctypes.get_errno())}")
        sys.exit(1)
    for path in hide:
        if LIBC.mount(b"/dev/null", path.encode(), None, MS_BIND, None) != 0:
            say(name, f"cannot hide the serial device {path}: {os.strerror(ctypes.get_errno())}")
            sys.exit(1)


def take_lock(name, path, text):
    """Takes the lock on the file PATH for as long as this process lives, and writes who holds
    it there. Returns nothing; exits 1, naming the holder, when another run holds it."""
    try:
        lock = os.open(path, os.O_RDWR | os.O_CREAT, 0o644)
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        holder = os.read(lock, 4096).decode(errors="replace").strip() or "pid unknown"
        say(name, f"another {name} is using {os.path.dirname(path)} ({holder})")
        sys.exit(1)
    except OSError as error:
        say(name, f"cannot take the lock {path}: {error.strerror}")
        sys.exit(1)
    os.ftruncate(lock, 0)
    os.write(lock, f"pid {os.getpid()}, since {time.strftime('%H:%M:%S')}: {text}\n".encode())


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
            with open(f"/proc/{entry}/stat") as stat_file:
                fields = stat_file.read().rsplit(")", 1)[1].split()
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


def supervise(name, argv, time_limit):
    """Runs the command to its end, or until it has had COMMAND_GRACE s after a signal or
    after TIME_LIMIT s (None: no limit), then stops whatever is left. Returns the exit code."""
    LIBC.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    signal.pthread_sigmask(signal.SIG_BLOCK, WATCHED)
    os.environ["GS_SUPERVISOR"] = str(os.getpid())
    command = start(argv)
    limit = None if time_limit is None else time.monotonic() + time_limit
    code = caught = deadline = None
    while code is None and (deadline is None or time.monotonic() < deadline):
        info = signal.sigtimedwait(WATCHED, 0.1)
        number = info.si_signo if info and info.si_signo in STOP_SIGNALS else None
        why = STOP_WORDS.get(number)
        if number is None and caught is None and limit is not None and time.monotonic() > limit:
            number, why = signal.SIGTERM, f"took longer than {time_limit:g} s"
        if number is not None:
            signal_all([command], number)
            if caught is None:
                caught = number
                deadline = time.monotonic() + COMMAND_GRACE
                say(name, f"{why}; stopping what it started")
        code = reap(command)
    if code is None:
        # It has had its time; what it started has its own below.
        signal_all([command], signal.SIGKILL)
    if caught is not None:
        # Stopped, whatever it said on its way out: a command whose helper died of the same
        # Ctrl+C may end by reporting that helper's absence, and a caller's loop must see
        # the interruption.
        code = EXIT_CODE[caught]
    names = stop_everything(command)
    if names and not caught:
        say(name, f"stopped what was still running: {', '.join(names)}")
    return code


def parse(args):
    """Returns (options, name, command) from the arguments, or exits 2 with the usage."""
    options = {"hide": False, "lock": None, "limit": None}
    while args and args[0].startswith("--"):
        option, args = args[0], args[1:]
        try:
            if option == "--hide-serial":
                options["hide"] = True
            elif option == "--lock":
                options["lock"] = (args.pop(0), args.pop(0))
            elif option == "--time-limit":
                options["limit"] = float(args.pop(0))
            else:
                raise ValueError(option)
        except (IndexError, ValueError):
            args = []
    if len(args) < 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        sys.exit(2)
    return options, args[0], args[1:]


def main():
    if len(sys.argv) == 2 and sys.argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        return 0
    options, name, command = parse(sys.argv[1:])
    if options["hide"]:
        keep = {os.path.realpath(path) for path in os.environ.get("GS_KEEP_SERIAL", "").split()}
        hide_serial_devices(name, keep)
    if options["lock"]:
        take_lock(name, *options["lock"])
    return supervise(name, command, options["limit"])


if __name__ == "__main__":
    sys.exit(main())
