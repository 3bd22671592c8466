# Shared pieces of the commands in tools/: messages, help, installing, steps that Ctrl+C
# ends at once, and making and using a Wine prefix for Glimmerset. Sourced by every command.
# Every function returns non-zero (after a message on stderr) when something fails.

GS_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The command as the README names it; every error line begins with it.
GS_COMMAND=tools/${0##*/}

# Makes a new empty file for a command's short-lived use in the checkout's build/tmp, not in
# /tmp: a command that is interrupted before it removes the file leaves it among its own.
# Prints its path.
gs_temp_file() {
    local dir
    dir=$(dirname "$GS_TOOLS")/build/tmp
    mkdir -p "$dir" && mktemp -p "$dir"
}

# Prints a message on stderr and returns 1.
gs_fail() {
    echo "$GS_COMMAND: $*" >&2
    return 1
}

# Prints MESSAGE, then the lines on standard input (the end of a log, say), each as an
# error line of the command, and returns 1.
# Usage: ... | gs_fail_lines MESSAGE...
gs_fail_lines() {
    { echo "$*"; sed 's/^/  /'; } | sed "s|^|$GS_COMMAND: |" >&2
    return 1
}

# Prints a usage error on stderr and exits 2.
gs_usage_error() {
    echo "$GS_COMMAND: $*; see $GS_COMMAND --help" >&2
    exit 2
}

# Prints the comment that opens the running command (after its #! line) as its help.
gs_help() {
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$GS_TOOLS/${0##*/}"
}

# Prints the user's cache folder: $XDG_CACHE_HOME when it is an absolute path (a relative
# one is to be ignored), or .cache in the home folder, which comes from the password
# database when HOME is not set (as under some service managers).
gs_cache_dir() {
    local home=${HOME:-}
    [[ ${XDG_CACHE_HOME:-} != /* ]] || { echo "$XDG_CACHE_HOME"; return 0; }
    [ -n "$home" ] || home=$(getent passwd "$(id -u)" | cut -d: -f6)
    [ -n "$home" ] || gs_fail "HOME is not set and the password database names no home" \
        "folder for user $(id -u); set HOME or XDG_CACHE_HOME" || return 1
    echo "$home/.cache"
}

# Exports the environment every Wine call needs: the prefix, no debug output (unless
# WINEDEBUG asks for some), no Mono/Gecko install prompts, no menu entries for the desktop,
# and the X display. What Wine and the programs around it write (a test display's window
# manager too) stays beside the prefix: HOME is its folder's "home" and TMPDIR its "tmp",
# where Debian's Wine makes its server's folder. The X display's key stays the user's.
# Usage: gs_wine_env PREFIX DISPLAY
gs_wine_env() {
    local folder
    folder=$(dirname "$1")
    [ -n "${XAUTHORITY:-}" ] || [ ! -f "${HOME:-}/.Xauthority" ] \
        || export XAUTHORITY=$HOME/.Xauthority
    export WINEPREFIX="$1"
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export DISPLAY="$2"
    export HOME=$folder/home TMPDIR=$folder/tmp
    unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_STATE_HOME
    mkdir -p "$HOME" "$TMPDIR"
}

# Starts a private Xvfb (1280x1024, no TCP) in a session of its own, writes its pid to
# PIDFILE and prints its display (":N"). The server picks the first free display number
# itself and reports it only once it accepts connections (-displayfd), so that two starts at
# the same moment never end up on one display. It never resets: by default an X server
# starts afresh whenever its last client leaves, and drops a client that connects meanwhile
# (a program starting while a check of the display has just disconnected).
# Usage: gs_start_xvfb LOGFILE PIDFILE
gs_start_xvfb() {
    local log=$1 pidfile=$2 numfile n= i
    numfile=$(gs_temp_file) || return 1
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$numfile" >"$log" 2>&1 </dev/null &
    echo $! >"$pidfile"
    for i in $(seq 300); do
        n=$(tr -dc 0-9 <"$numfile")
        [ -n "$n" ] && break
        kill -0 "$(cat "$pidfile")" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numfile"
    [ -n "$n" ] || { gs_fail "Xvfb did not start (see $log)"; return 1; }
    echo ":$n"
}

# Prints a .reg file that lists COM1..COM255 each at LINKDIR/comN. Wine reads this key when
# its server starts; a number it does not find there goes to a device it detects on the
# machine (a real /dev/ttyS*), so every number a program of ours can open is listed. (Wine
# gives COM256 to such a device whatever the list says.)
# Usage: gs_ports_reg LINKDIR
gs_ports_reg() {
    local dir=${1//\\/\\\\} n
    dir=${dir//\"/\\\"}
    echo 'Windows Registry Editor Version 5.00'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]'
    for n in $(seq 1 255); do
        echo "\"COM$n\"=\"$dir/com$n\""
    done
    echo
}

# Prints a .reg part that makes windows managed by the window manager (Y, Wine's default)
# or not (N): without a window manager, destroying a managed top-level window stalls for
# about two seconds. N only for private displays.
# Usage: gs_managed_reg Y|N
gs_managed_reg() {
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    echo "\"Managed\"=\"$1\""
    echo
}

# Copies Wine's own fonts (Debian's fonts-wine) into the prefix's font folder, where Wine
# looks for them: without them it finds only the system's fonts, and draws the caption
# buttons, which use its symbol font Marlett, as plain letters. Fonts already there stay.
gs_wine_fonts() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    [ -d /usr/share/wine/fonts ] || gs_fail "Wine's fonts are missing (package fonts-wine)" || return 1
    mkdir -p "$fonts" && cp -n /usr/share/wine/fonts/* "$fonts/" \
        || gs_fail "cannot copy Wine's fonts into $fonts"
}

# Creates a fresh prefix (the environment from gs_wine_env must be exported), imports
# REGFILE into it and stops its server so that the next start reads the port list. Wine's
# output goes to LOGDIR/wineboot.log and LOGDIR/regedit.log.
# Usage: gs_make_prefix REGFILE LOGDIR
gs_make_prefix() {
    local reg=$1 logs=$2
    gs_step --to "$logs/wineboot.log" wineboot -i \
        || gs_fail "wineboot -i failed for $WINEPREFIX (see $logs/wineboot.log)" || return 1
    gs_strip_wine_dlls "$logs/strip.log" || return 1
    gs_wine_fonts || return 1
    gs_import_reg "$reg" "$logs/regedit.log"
}

# Strips the debugging sections from the prefix's copies of Wine's own DLLs and programs
# (the files that carry the mark "Wine builtin DLL"): Debian builds them with their debug
# information, two thirds of a prefix, which only a debugger of Wine itself reads. What
# strip says goes to LOGFILE. Usage: gs_strip_wine_dlls LOGFILE
gs_strip_wine_dlls() {
    grep -rlZF 'Wine builtin DLL' "$WINEPREFIX/drive_c" \
        | xargs -0 -r -n 64 -P 2 x86_64-w64-mingw32-strip --strip-debug >"$1" 2>&1 \
        || gs_fail "cannot strip Wine's DLLs in $WINEPREFIX (see $1)"
}

# Imports REGFILE into the prefix of gs_wine_env, then stops its server, which reads the
# port list only when it starts. Wine's output goes to LOGFILE.
# Usage: gs_import_reg REGFILE LOGFILE
gs_import_reg() {
    local reg=$1 log=$2 here=$PWD code=0
    # regedit takes a Windows path; the folder of the file is reachable as the current one.
    cd "$(dirname "$reg")" || return 1
    gs_step --to "$log" wine regedit /S "$(basename "$reg")" || code=$?
    cd "$here" || return 1
    [ "$code" = 0 ] || gs_fail "regedit could not import $reg (see $log)" || return 1
    gs_stop_wine
}

# Prints which Wine this machine runs: its version, and whether 32-bit Wine is there. A
# prefix suits only the Wine that made it: one made before wine32 was installed starts no
# program once it is ("could not load kernel32.dll").
gs_wine_kind() {
    wine --version 2>/dev/null
    [ ! -e /usr/lib/wine/wine ] || echo "with 32-bit Wine"
}

# Prints the folders (/proc/PID/task/TID) of the threads whose environment holds LINE.
# Read through the threads: a process whose main thread has ended while another runs on (a
# Wine driver's USB thread) shows no environment, and no program, of its own.
# Usage: gs_env_tasks LINE
gs_env_tasks() {
    grep -lsFxz "$1" /proc/[0-9]*/task/[0-9]*/environ | sed 's#/environ$##'
}

# Prints the pids of Wine's processes in the prefix of gs_wine_env: its server and its
# programs, which all carry the prefix in their environment and run a Wine binary.
gs_wine_pids() {
    local task
    for task in $(gs_env_tasks "WINEPREFIX=$WINEPREFIX"); do
        [[ $(readlink "$task/exe") == */wine* ]] && echo "$task"
    done | cut -d/ -f3 | sort -u
}

# Prints the time in milliseconds.
gs_now_ms() {
    local now=${EPOCHREALTIME/[.,]/}
    echo $((now / 1000))
}

# Stops the Wine server of the prefix of gs_wine_env, and with it every Windows process
# there; what is left after GRACE ms (default 10000) is killed. The server writes the
# registry as it ends, so it is given time. The server's folder in the prefix's "tmp"
# (gs_wine_env) goes with it.
# Usage: gs_stop_wine [GRACE_MS]
gs_stop_wine() {
    local grace=${1:-10000} tmp end pid
    [ -d "$WINEPREFIX" ] || return 0
    tmp=$(dirname "$WINEPREFIX")/tmp
    end=$(($(gs_now_ms) + grace))
    # It fails when no server runs, which is fine. In the foreground, so that Ctrl+C reaches
    # it.
    TMPDIR=$tmp timeout --foreground "$((grace / 1000)).$((grace % 1000 / 100))" \
        wineserver -k >/dev/null 2>&1 </dev/null || true
    while [ -n "$(gs_wine_pids)" ] && (($(gs_now_ms) < end)); do sleep 0.05; done
    for pid in $(gs_wine_pids); do kill -KILL "$pid" 2>/dev/null; done
    rm -rf "$tmp"/wine-*
}

# Prints the Debian packages that COMMAND needs (one a line), from tools/packages.
# Usage: gs_packages COMMAND
gs_packages() {
    sed 's/#.*//' "$GS_TOOLS/packages" \
        | awk -v command="$1" '{ for (i = 2; i <= NF; i++) if ($i == command) print $1 }'
}

# True when this machine runs 32-bit x86 programs, which 32-bit Wine is made of. Some
# kernels are built or started without them and refuse every i386 executable ("Exec format
# error"). Tried with the smallest such program, which only exits with status 0.
gs_runs_32bit() {
    local probe code=0
    probe=$(gs_temp_file) || return 1
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08'`
          `'\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0'`
          `'\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0'`
          `'\x31\xdb\xb8\x01\0\0\0\xcd\x80' >"$probe" && chmod +x "$probe" \
        && "$probe" 2>/dev/null || code=1
    rm -f "$probe"
    return "$code"
}

# Installs the packages that the running command needs and lacks; with NAMEs, those that
# tools/packages lists for each (a command, or a command's option such as tools/run:x86).
# Packages of the i386 architecture are left out where 32-bit programs cannot run; 32-bit
# Wine installed there would stop 64-bit Wine too, as the wine command then starts the
# 32-bit loader. Usage: gs_install_needed [NAME...]
gs_install_needed() {
    local packages=() name
    for name in "${@:-$GS_COMMAND}"; do
        mapfile -t -O "${#packages[@]}" packages < <(gs_packages "$name")
    done
    if ! gs_runs_32bit; then
        mapfile -t packages < <(printf '%s\n' "${packages[@]}" | grep -v ':i386$')
        [ ! -e /usr/lib/wine/wine ] || ! printf '%s\n' "${packages[@]}" | grep -qx wine \
            || gs_fail "32-bit Wine (wine32:i386) is installed, but this machine cannot run" \
                "32-bit programs, so no Wine program starts; remove it with" \
                "apt-get remove wine32:i386" || return 1
    fi
    if command -v dpkg-query >/dev/null; then
        gs_install_missing "${packages[@]}"
    else
        echo "$GS_COMMAND: not a Debian system; make sure these are installed: ${packages[*]}"
    fi
}

# Runs a command in a session of its own, away from the terminal's signals, and waits for
# it; returns its exit code. A script that waits in the foreground ends on Ctrl+C only once
# that command has ended, and some take long over it or never see it (Wine's programs;
# timeout, which leaves the terminal's process group). Waiting for a job instead, the script
# ends at once, and the supervisor (gs_supervise) then stops the step with the rest. With
# --to, the command's output goes to FILE.
# Usage: gs_step [--to FILE] COMMAND [ARG...]
gs_step() {
    local code=0
    if [ "$1" = --to ]; then
        setsid "${@:3}" >"$2" 2>&1 </dev/null &
    else
        setsid "$@" &
    fi
    wait "$!" || code=$?
    return "$code"
}

# Starts a test run's record of its steps in build/logs/ (their output, and what failed),
# unless a command around this one keeps it already (tools/static-test under tools/test).
gs_test_run() {
    [ -z "${GS_TEST_LOGS:-}" ] || return 0
    export GS_TEST_LOGS GS_TEST_RUN_OWNER=$$
    GS_TEST_LOGS=$(dirname "$GS_TOOLS")/build/logs
    rm -rf "$GS_TEST_LOGS"
    mkdir -p "$GS_TEST_LOGS"
    : >"$GS_TEST_LOGS/failed"
}

# Runs COMMAND as the step NAME of the test run: its output on the terminal and in
# build/logs/NAME.log. A failure is noted for gs_test_summary, with the tests that failed
# when the step ran the tests of the build folder DIR. Returns the command's exit code.
# Usage: gs_test_step NAME [--tests DIR] COMMAND [ARG...]
gs_test_step() {
    local name=$1 log=$GS_TEST_LOGS/$1.log dir= code line failed
    shift
    [ "$1" != --tests ] || { dir=$2/Testing/Temporary; shift 2; rm -f "$dir/LastTestsFailed.log"; }
    gs_step "$@" 2>&1 | tee "$log"
    code=${PIPESTATUS[0]}
    [ "$code" = 0 ] && return 0
    line="$name: exit code $code; its output: $log"
    failed=$(cut -d: -f2- "$dir/LastTestsFailed.log" 2>/dev/null | paste -sd ' ')
    [ -z "$failed" ] || line+="; the tests that failed: $failed (ctest's log: $dir/LastTest.log)"
    echo "$line" >>"$GS_TEST_LOGS/failed"
    return "$code"
}

# Ends the test run that this command began (gs_test_run): prints every step that failed,
# or that all passed. Returns 1 when a step failed; 0 too in a command within a run.
gs_test_summary() {
    [ "${GS_TEST_RUN_OWNER:-}" = $$ ] || return 0
    if [ ! -s "$GS_TEST_LOGS/failed" ]; then
        echo "== every step passed"
        return 0
    fi
    echo "== $(wc -l <"$GS_TEST_LOGS/failed") steps failed:"
    sed 's/^/  /' "$GS_TEST_LOGS/failed"
    return 1
}

# Reads what the system tells of process PID into the array STAT: the fields of
# /proc/PID/stat after the program's name, so STAT[0] is the state (Z for a zombie),
# STAT[2] the process group and STAT[19] the start time. Returns 1 when there is no PID.
gs_read_stat() {
    local line
    read -r line 2>/dev/null <"/proc/$1/stat" || return 1
    read -ra STAT <<<"${line##*) }"
}

# True while PID, a child of this shell, runs: one that ended is a zombie until it is
# reaped. Its command line says nothing yet: a child forked for "setsid PROGRAM &" shows the
# shell's own until it execs, which a busy machine may put off. Usage: gs_running PID
gs_running() {
    [ -n "$1" ] && gs_read_stat "$1" && [ "${STAT[0]}" != Z ]
}

# True while process PID runs and its command line holds NAME (a recorded pid may have been
# reused by another program by now). While a process execs its program, its command line
# reads empty for a moment: it counts as NAME then. Usage: gs_alive PID NAME
gs_alive() {
    local cmdline
    gs_running "$1" || return 1
    cmdline=$(tr '\0' '\n' 2>/dev/null <"/proc/$1/cmdline") || return 1
    [ -z "$cmdline" ] || grep -q -- "$2" <<<"$cmdline"
}

# Mounts a fresh, empty /tmp (a tmpfs) in this process's mount namespace, which must be one
# of its own; the folder KEEP (the checkout, say) stays where it is when it lies under /tmp.
# X servers stay reachable: their sockets are also abstract ones, which do not live in /tmp.
# Usage: gs_private_tmp KEEP
gs_private_tmp() {
    local keep code=0
    keep=$(cd "$1" && pwd -P) || return 1
    # The folder is held open, so that it can be bound back once the tmpfs hides it.
    exec 9<"$keep" || return 1
    mount -t tmpfs -o mode=1777 private-tmp /tmp && mkdir -m 1777 /tmp/.X11-unix || code=1
    if [ "$code" = 0 ] && [[ $keep == /tmp/* ]]; then
        mkdir -p "$keep" && mount --no-canonicalize --bind /proc/self/fd/9 "$keep" || code=1
    fi
    exec 9<&-
    [ "$code" = 0 ] || gs_fail "cannot give this process a /tmp of its own"
}

# Prints each of the PATHs that leads to a serial device of the machine which this process
# could open (a tty that sysfs gives a device, by its device number).
# Usage: gs_reachable_serial PATH...
gs_reachable_serial() {
    local path number device
    for path in "$@"; do
        [ -c "$path" ] && [ -r "$path" ] && [ -w "$path" ] || continue
        number=$(stat -L -c %Hr:%Lr "$path") || continue
        for device in /sys/class/tty/*/device; do
            [ "$(cat "${device%/device}/dev" 2>/dev/null)" = "$number" ] && echo "$path" && break
        done
    done
}

# Runs the command anew under tools/supervisor.py, unless it already runs there, with the
# machine's serial devices hidden (but those that GS_KEEP_SERIAL names) and the supervisor's
# OPTIONs (--lock FILE TEXT, --time-limit SECONDS): the supervisor stops everything the
# command started when it ends, Ctrl+C or not (see there). Call it once the arguments are
# known to be good, before anything is started. Usage: gs_supervise [OPTION...] -- "$@"
gs_supervise() {
    local options=()
    while [ "$1" != -- ]; do options+=("$1"); shift; done
    shift
    [ "${GS_SUPERVISOR:-}" != "$PPID" ] || return 0
    # Debian's Python, which tools/packages installs, not one that PATH may find first.
    [ -x /usr/bin/python3 ] || gs_install_missing python3 || exit 1
    exec /usr/bin/python3 "$GS_TOOLS/supervisor.py" --hide-serial "${options[@]}" "$GS_COMMAND" \
        "$GS_TOOLS/${0##*/}" "$@"
}

# Installs those of the given Debian packages that are missing (non-interactive; as root,
# or through sudo). Returns non-zero when the installation fails.
# Usage: gs_install_missing PACKAGE...
gs_install_missing() {
    local missing=() p sudo= log provided
    # A package that an installed one provides counts as installed too: a newer nodejs from
    # elsewhere provides npm, and installing Debian's npm would take that nodejs away.
    provided=$(dpkg-query -W -f='${db:Status-Abbrev}|${Provides}\n' 2>/dev/null \
        | sed -n 's/^ii *|//p' | tr ',' '\n' | sed 's/ *(.*//; s/^ *//')
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || grep -qxF "$p" <<<"$provided" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    [ "$(id -u)" = 0 ] || sudo=sudo
    log=$(gs_temp_file) || return 1
    echo "installing: ${missing[*]}"
    # A package of another architecture (wine32:i386) needs that architecture added first.
    for p in "${missing[@]}"; do
        [[ $p == *:* ]] && ! dpkg --print-foreign-architectures | grep -qx "${p##*:}" \
            && { $sudo dpkg --add-architecture "${p##*:}" >>"$log" 2>&1 || break; }
    done
    # apt's words go to the log, and only when it fails to the user (sudo asks on the
    # terminal itself).
    if $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq >"$log" 2>&1 \
        && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends "${missing[@]}" >>"$log" 2>&1; then
        rm -f "$log"
        return 0
    fi
    tail -n 20 "$log" | gs_fail_lines "could not install: ${missing[*]}; the end of $log:"
}
