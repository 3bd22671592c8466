// glimmerset module: the display module model on the command line.
#pragma once

// Runs "module" with the <argc> words of <argv> that follow it; <name> is the command as the
// user typed it, for messages.
//
// With --read FILE|- it decodes a captured stream and returns 0 when the stream is exactly
// what a configuration run sends, 1 when it holds anomalies, 2 when a file cannot be read or
// written or the arguments are wrong (one line on stderr).
//
// Without --read (on Linux) it is the module on a live line: a fresh raw pty (linked at
// --link PATH) or a serial device (--device DEV). It prints the line's path, then the
// decoded view in words once for every configuration run (or, with --hex, the bytes as they
// arrive), keeps --state FILE and --png FILE up to date, and on SIGINT, SIGTERM or SIGHUP
// prints a final view, removes the link and ends by that signal; it returns 1 when the line
// cannot be used or goes away, 2 when a file cannot be written.
int module_command(const char* name, int argc, char** argv);
