// Running glimmerset as its own process from a test, and waiting for what it does.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// Generous for a loaded machine: only a program that never gets there fails.
const int WAIT_MS = 20000;

// Returns true once <condition> holds, polling every 10 ms; false after WAIT_MS without it.
bool wait_for(const std::function<bool()>& condition);

// Returns the whole content of the file at <path> ("" when there is none).
std::string file_text(const std::string& path);

// Starts the program <words> (the first looked up in PATH) with the signals a terminal sends
// at their defaults, whatever this test inherited (a shell's background jobs ignore SIGINT),
// in a process group of its own when <own_group>, with its standard output in the file
// <out> and its standard error in <err> (or in <out> too when <err> is empty). Returns its
// pid once the program has been started, or -1.
pid_t start_program(std::vector<std::string> words, const std::string& out,
                    const std::string& err = "", bool own_group = false);

// Starts glimmerset with <args> (the words after the program name), its standard output in
// the file <out> and its standard error in <err> (or in <out> too when <err> is empty).
// Returns its pid, or -1.
pid_t start_glimmerset(const std::vector<std::string>& args, const std::string& out,
                       const std::string& err = "");

// Waits for the program to end (after SIGTERM when <terminate>). Returns its exit code, 128
// plus the signal's number when a signal ended it (as a shell shows it), or -1 when it did
// not end in time (it is then killed).
int end_program(pid_t pid, bool terminate);
