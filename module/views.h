// The module's state as text: in words for a person, as JSON for a program. No platform calls.
#pragma once

#include <string>

#include "module/model.h"

// Returns the screen, the stored start-up screen, each option in words and the anomalies,
// one item a line (UTF-8).
std::string words_view(const Module& module);

// Returns one JSON object with the keys screen, stored_screen, config and anomalies, and a
// line end.
std::string json_view(const Module& module);
