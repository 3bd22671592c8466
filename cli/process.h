// How glimmerset ends: the signals that stop it, the exit status that tells a calling shell
// what happened, and standard output that may have gone away.
#pragma once

#include <string>

// From now on SIGINT, SIGTERM and SIGHUP (those not ignored from the start) set
// stop_requested (cli/pty.h) to their number: every wait ends once it sees it, and the
// command tidies up. SIGPIPE is ignored, so that a write to a reader that has gone fails
// with EPIPE and is tidied up alike. Returns nothing.
void catch_stop_signals();

// Returns <code> as the exit status; when a signal asked to stop, ends the process by that
// same signal instead (after the command has tidied up), so that a shell loop around the
// command stops too, as it does for any program ended by Ctrl+C.
int exit_status(int code);

// Writes <text> to standard output at once. Returns "" or why it could not be written. A
// reader that has gone (a pipe into "head") asks the program to stop, as SIGPIPE would, and
// the program then ends without a word once it has tidied up.
std::string print(const std::string& text);

// Says "<name>: <message>" on standard error, unless a reader of standard output has gone.
// Returns <code>.
int fail(const char* name, const std::string& message, int code);

// Prints <text> (a command's help) on standard output. Returns 0, or <failure> when it could
// not be written (said on standard error).
int print_or_fail(const char* name, const std::string& text, int failure);
