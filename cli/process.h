// How glimmerset ends: the signals (on Windows, the console's Ctrl+C) that stop it, the exit
// status that tells a calling shell what happened, and output that may have gone away. Each
// system has its own cli/process*.cpp.
#pragma once

#include <signal.h>

#include <string>

// The number of the signal that asked the program to stop (SIGINT for Ctrl+C), 0 until one
// does: every waiting loop ends once it sees it.
extern volatile sig_atomic_t stop_requested;

// Set once the reader of standard output has gone (a pipe into "head"): the program tidies
// up and ends without a word.
extern volatile sig_atomic_t output_gone;

// From now on a request to stop (SIGINT, SIGTERM and SIGHUP, those not ignored from the
// start; on Windows Ctrl+C, Ctrl+Break and the console's close) sets stop_requested: every
// wait ends once it sees it, and the command tidies up. Returns nothing.
void catch_stop_signals();

// Returns <code> as the exit status; when a stop was asked for, ends the process as that
// request ends any program (by the same signal; on Windows with the status of Ctrl+C),
// after the command has tidied up, so that a shell loop or a batch file around the command
// stops too.
int exit_status(int code);

// What ends a run early and how it ends then, for the help of a command.
extern const char STOP_HELP[];

// Writes <text> to standard output at once. Returns "" or why it could not be written.
std::string print(const std::string& text);

// Writes <text> to standard error. Returns nothing: there is no one left to tell.
void print_error(const std::string& text);
