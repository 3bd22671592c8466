// Files that glimmerset puts in place of another: made whole under a name of their own
// beside the target, then renamed over it in one step, so that a reader never finds half
// of one or none at all, and nothing that the user keeps beside it is touched.
#pragma once

#include <stdio.h>

#include <string>

// Opens the file <path> (UTF-8) as fopen does with <mode>. Returns the stream, or NULL with
// errno (and last_file_cause) set.
FILE* open_file(const char* path, const char* mode);

// Replaces the file <path> by one that holds <bytes>. Returns false on failure (see
// last_file_cause); <path> is then as it was.
bool write_whole(const std::string& path, const std::string& bytes);

// Returns why the last call of open_file or write_whole failed, or a call of the C library
// on a stream that open_file gave, in lower-case words of ours. On Windows the words come
// from the system's own error, which tells more than errno: a file that another program
// holds is "in use by another program" there, not "permission denied".
std::string last_file_cause();
