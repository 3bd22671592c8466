# Shared pieces for making and using a Wine prefix for Glimmerset. Sourced by tools/winenv
# (the test environment) and by scripts that run the program for a user.
# Every function returns non-zero (after a message on stderr) when something fails.

# Prints a message on stderr and returns 1.
gs_fail() {
    echo "$(basename "$0"): $*" >&2
    return 1
}

# Exports the environment every Wine call needs: the prefix, no debug output, no
# Mono/Gecko install prompts, and the X display.
# Usage: gs_wine_env PREFIX DISPLAY
gs_wine_env() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export DISPLAY="$2"
}

# Starts a private Xvfb (1280x1024, no TCP) in a session of its own, writes its pid to
# PIDFILE and prints its display (":N"). The server picks the first free display number
# itself and reports it only once it accepts connections (-displayfd), so that two starts at
# the same moment never end up on one display.
# Usage: gs_start_xvfb LOGFILE PIDFILE
gs_start_xvfb() {
    local log=$1 pidfile=$2 numfile n= i
    numfile=$(mktemp) || return 1
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
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

# Prints a .reg file that lists COM1..COM99 each at LINKDIR/comN. Wine reads this key when
# its server starts; a number it does not find there goes to a device it detects on the
# machine (a real /dev/ttyS*), so all numbers the program can open are listed.
# Usage: gs_ports_reg LINKDIR
gs_ports_reg() {
    local dir=${1//\\/\\\\} n
    dir=${dir//\"/\\\"}
    echo 'Windows Registry Editor Version 5.00'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]'
    for n in $(seq 1 99); do
        echo "\"COM$n\"=\"$dir/com$n\""
    done
    echo
}

# Prints a .reg part that makes windows unmanaged: without a window manager, destroying a
# managed top-level window stalls for about two seconds. Only for private displays.
gs_unmanaged_reg() {
    echo '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]'
    echo '"Managed"="N"'
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
    wineboot -i >"$logs/wineboot.log" 2>&1 </dev/null \
        || gs_fail "wineboot -i failed for $WINEPREFIX (see $logs/wineboot.log)" || return 1
    gs_wine_fonts || return 1
    # regedit takes a Windows path; the folder of the file is reachable as the current one.
    (cd "$(dirname "$reg")" && wine regedit /S "$(basename "$reg")") \
        >"$logs/regedit.log" 2>&1 </dev/null \
        || gs_fail "regedit could not import $reg (see $logs/regedit.log)" || return 1
    wineserver -k >/dev/null 2>&1 </dev/null
    wineserver -w >/dev/null 2>&1 </dev/null
    return 0
}

# Installs those of the given Debian packages that are missing (non-interactive; as root,
# or through sudo). Returns non-zero when the installation fails.
# Usage: gs_install_missing PACKAGE...
gs_install_missing() {
    local missing=() p sudo=
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    [ "$(id -u)" = 0 ] || sudo=sudo
    echo "installing: ${missing[*]}"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
        && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends "${missing[@]}" >/dev/null \
        || gs_fail "could not install: ${missing[*]}"
}

# Installs 32-bit Wine (wine32 of the i386 architecture, which 32-bit Windows programs need)
# when it is missing, adding the architecture first. A Wine prefix made before this runs no
# 32-bit programs: make it afresh. Returns non-zero when the installation fails.
gs_install_wine32() {
    local sudo=
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' \
        && return 0
    [ "$(id -u)" = 0 ] || sudo=sudo
    echo "installing: wine32:i386"
    { dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386; } \
        && $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
        && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends wine32:i386 >/dev/null \
        || gs_fail "could not install wine32:i386"
}
