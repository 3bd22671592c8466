// glimmerset module: the display module model on the command line.
#pragma once

// Runs "module" with the <argc> words of <argv> that follow it; <name> is the command as the
// user typed it, for messages.
//
// With --read FILE|- it decodes a captured stream and returns 0 when the stream is exactly
// what a configuration run sends, 1 when it holds anomalies, 2 when a file cannot be read or
// written or the arguments are wrong (one line on stderr).
//
// Without --read it is the module on a live line: a fresh raw pty (linked at --link PATH)
// or a serial device (--device DEV). It prints the line's path, then the decoded view in
// words after every burst of bytes (or, with --hex, the bytes as they arrive), keeps
// --state FILE and --png FILE up to date, and on SIGINT or SIGTERM prints a final view,
// removes the link and returns 0 (2 when a file could not be written or the line is gone).
int module_command(const char* name, int argc, char** argv);
