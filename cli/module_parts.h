// The parts of glimmerset module that its two halves share: the command line, the files it
// writes, its messages. The half that decodes a capture (cli/module_command.cpp) is the same
// everywhere; a live line (cli/module_live.cpp) needs a pseudo-terminal or a serial device
// of Linux.
#pragma once

#include <string>

#include "module/model.h"

// What the command line asks for.
struct ModuleArgs {
  int lines = 4;
  bool json = false;
  bool hex = false;
  const char* png = NULL;
  const char* state = NULL;
  const char* read = NULL;
  const char* link = NULL;
  const char* device = NULL;
  const char* capture = NULL;
};

// Runs the module on a live line until a stop is asked for or the line is gone. Returns
// the exit status. NULL where the system has no live lines (Windows: they need a
// pseudo-terminal or a serial device of Linux).
extern int (*const LIVE_MODE)(const ModuleArgs& args, const Module& module);

// Returns the command as the user typed it: "glimmerset module".
const char* module_name();

// Says "<command>: <message>" on standard error. Returns <code>.
int module_failed(const std::string& message, int code = 2);

// Returns "<what>: <why the last call on a file failed>" (last_file_cause).
std::string file_error(const std::string& what);

// Writes the picture and the state record that <args> ask for, each whole or not at all.
// Returns "" or what failed.
std::string save_files(const ModuleArgs& args, const Module& module);
