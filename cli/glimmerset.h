// glimmerset: the display's power-up configuration from a shell (send) and the model of the
// display module (module), the same on every system.
#pragma once

// Runs the command line <argv> (<argc> words, the program's name first, UTF-8). Returns the
// exit status.
int run_glimmerset(int argc, char** argv);
