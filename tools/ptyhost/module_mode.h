// ptyhost module: the display module model on the command line.
#pragma once

// Runs "ptyhost module [--lines 4|2] [--json] [--png FILE] [--state FILE] --read FILE|-" with
// <argv> after the word "module". Returns 0 when the stream is exactly what a configuration
// run sends, 1 when it holds anomalies, 2 when a file cannot be read or written or the
// arguments are wrong (one line on stderr).
int MODULE_MODE(int argc, char** argv);
