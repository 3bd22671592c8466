#!/bin/sh
# The cases of tests/guest/cases, run in a guest of tools/guest on the kernel's own drivers.
#
#   /guest SEED ROW...
#
# Each ROW is one row of the table, "DRIVER CASE DEVICE ARGUMENT..."; SEED seeds the random
# moments of the unplug loop. For tests/guest/guest_test it prints, per row, "@@ case N"
# (the row's number, from 1) and for each program it runs "@@ run NAME", "@@ expect HEX"
# (what "glimmerset send --output -" gives for the same options), "@@ code", "@@ ms" and
# its output and messages ("@@ out LINE", "@@ err LINE"), and "@@ note TEXT" where a case
# could not be set up. What only the far side can do it asks of tools/guest ("@@ host ...").
# Every wait has a bound.

console=$(tty)
trace=/sys/kernel/tracing
held=

# Asks the host side for "$@". Returns false when it refused; its answer is in $reply.
host() {
    echo "@@ host $*"
    read -r status reply
    [ "$status" = ok ] && return 0
    echo "@@ note the host refused '$*': $reply"
    return 1
}

# Prints the milliseconds since boot.
ms() {
    read -r up _ </proc/uptime
    echo $((${up%.*} * 1000 + 10#${up#*.} * 10))
}

# Waits until COMMAND... succeeds, for at most SECONDS. Returns false when it never did.
wait_for() {
    deadline=$(($(ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(ms)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# Returns true while a process has DEVICE open.
in_use() { ls -l /proc/[0-9]*/fd 2>/dev/null | grep -q " -> $1\$"; }
free() { ! in_use "$1"; }

# Prints "@@ KIND LINE" for each line of FILE.
report() {
    while IFS= read -r line || [ -n "$line" ]; do echo "@@ $1 $line"; done <"$2"
}

# Begins the record of program run NAME.
record() { echo "@@ run $1"; }

# Prints, and keeps in $expected, the bytes that "glimmerset send" with ARGUMENT... sends:
# those of the same program's "send --output -", in hex.
expect() {
    expected=$(glimmerset send --output - "$@" 2>/dev/null | od -An -tx1 -v | tr -d ' \n')
    echo "@@ expect $expected"
}

# Runs COMMAND... and prints its exit code, time, output and messages.
execute() {
    start=$(ms)
    "$@" >run.out 2>run.err
    echo "@@ code $?"
    echo "@@ ms $(($(ms) - start))"
    report out run.out
    report err run.err
}

# Runs "glimmerset send" on DEVICE with ARGUMENT... as run NAME.
send() {
    record "$1"
    device=$2
    shift 2
    expect "$@"
    execute glimmerset send --port "$device" "$@"
}

# The line to the far side held off, or free again, as the case wants it.
hold_line() { [ -n "$held" ] || { host hold "$driver" && held=yes; }; }
free_line() { [ -z "$held" ] || { host release "$driver" && held=; }; }

# Counts the calls of tty_open since the last count (the kernel's tracer, set up once).
opens() {
    if [ ! -d "$trace/events/kprobes/guest_tty_open" ]; then
        mount -t tracefs tracefs "$trace" 2>/dev/null
        echo 'p:guest_tty_open tty_open' >"$trace/kprobe_events" \
            && echo 1 >"$trace/events/kprobes/guest_tty_open/enable" \
            || echo "@@ note no tracer for tty_open"
    fi
    grep -c ' guest_tty_open:' "$trace/trace"
    echo >"$trace/trace"
}

case_ports() {
    opens >/dev/null
    record list
    execute glimmerset ports
    record json
    execute glimmerset ports --json
    echo "@@ opened $(opens)"
    # What an open looks like to the tracer, so that its count above means something.
    stty -F "$device" >/dev/null
    echo "@@ opened-by-stty $(opens)"
}

# The line settings as the driver keeps them for the port (a pseudo-terminal far side shows
# only the rate and the stop bits, and qemu's PL011 none at all).
line() { echo "@@ line $(stty -F "$device" -a 2>/dev/null | tr ';\n' '  ')"; }

case_send() {
    free_line
    send send "$device" "$@"
    host take "$row" "$driver" "$expected"
    line
}

case_held() {
    hold_line
    send held "$device" "$@"
}

# A second run while the first one waits on the held-off line.
case_second() {
    hold_line
    glimmerset send --port "$device" --baud 9600 >/dev/null 2>first.err &
    first=$!
    wait_for 30 in_use "$device" || echo "@@ note the first run never opened $device"
    send second "$device" "$@"
    wait "$first"
    echo "@@ note the first run ended with $?: $(cat first.err)"
    host take "$row" "$driver"
}

# Ctrl+C on the console, whose foreground process group is a shell loop of runs on the
# held-off line, in a session of its own. The loop runs in the foreground here: a command
# in the background of a script ignores SIGINT, and so would the loop and its runs. A
# watcher asks for the Ctrl+C once the loop's run has the device open.
case_ctrl_c() {
    hold_line
    record loop
    (
        wait_for 30 in_use "$device" || echo "@@ note the loop's run never opened $device"
        ms >interrupted
        echo "@@ host interrupt"
    ) &
    options=$(printf " '%s'" "$@")
    timeout 60 setsid -c sh -c "for unit in 1 2 3; do glimmerset send --port $device $options
        echo went on after unit \$unit; done" <"$console" >loop.out 2>&1
    code=$?
    wait_for 60 free "$device"
    took=$(($(ms) - $(cat interrupted)))
    # The loop's session leader has ended, and with it the kernel hung up its terminal.
    exec <"$console" >"$console" 2>&1
    echo "@@ code $code"
    echo "@@ ms $took"
    report out loop.out
}

# The line freed after held-off runs: a run goes through, after what the UART still held.
case_freed() {
    free_line
    send freed "$device" "$@"
    host take "$row" "$driver" "$expected"
    line
}

# Prints the USB device number of the adapter behind DEVICE, "" while there is none.
adapter() { cat "/sys/class/tty/${device#/dev/}/device/../../devnum" 2>/dev/null; }
replugged() { [ -c "$device" ] && [ -n "$(adapter)" ] && [ "$(adapter)" != "$1" ]; }

# A loop of UNITS runs, the adapter pulled out at a random moment of each but the first
# (within twice the first one's time): a moment may fall before the open, inside a write or
# the drain, or after the run. Then a run with the adapter back, whose bytes end what the
# far side got.
case_unplug() {
    units=$1 window=
    for unit in $(seq "$units"); do
        before=$(adapter)
        record "unit $unit"
        expect --line1 "Unit $unit"
        [ -z "$window" ] || host unplug-in $((RANDOM % window))
        execute glimmerset send --port "$device" --line1 "Unit $unit"
        [ -n "$window" ] || window=$((($(ms) - start) * 2 + 10))
        if host plug && [ "$reply" = plugged ]; then
            wait_for 60 replugged "$before" || echo "@@ note the adapter did not come back"
        fi
    done
    send final "$device" --line1 Back
    host take "$row" "$driver" "$expected"
}

RANDOM=$1
shift
row=0
for words in "$@"; do
    row=$((row + 1))
    eval "set -- $words"
    driver=$1 kind=$2 device=$3
    shift 3
    echo "@@ case $row"
    if [ ! -c "$device" ]; then
        echo "@@ note no device $device"
        continue
    fi
    "case_$(echo "$kind" | tr - _)" "$@"
done
free_line
