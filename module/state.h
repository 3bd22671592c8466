// What the module remembers between power cycles (its stored start-up screen and its options),
// as a small text of our own so that one run can take up where the last one left off. No
// platform calls.
#pragma once

#include <string>

#include "module/model.h"

// Returns the text that records the module's lines, stored start-up screen and options.
std::string state_text(const Module& module);

// Returns true after giving <module>, fresh from module_new, what <text> records, and putting
// its power-up screen on its screen. Returns false with the reason in <error> when <text> is
// not such a record or was written for a module of other lines; <module> is then unchanged.
bool state_load(const std::string& text, Module* module, std::string* error);
