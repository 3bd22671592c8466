// glimmerset send: one configuration run from the command line, to a serial device or into
// a file.
#pragma once

// Runs "send" with the <argc> words of <argv> that follow it; <name> is the command as the
// user typed it, for messages. Returns the exit status: 0 when every byte left, 1 when the
// device could not be used or did not take every byte (or the file could not be written),
// 2 for arguments that are wrong (nothing is then opened or sent).
int send_command(const char* name, int argc, char** argv);
