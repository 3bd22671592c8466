// Files that glimmerset puts in place of another: made whole under a name of their own
// beside the target, then renamed over it in one step, so that a reader never finds half
// of one or none at all, and nothing that the user keeps beside it is touched.
#pragma once

#include <string>

// Replaces <path> by a symlink to <target>. Returns false, with errno, on failure.
bool point_link(const std::string& path, const std::string& target);

// Replaces the file <path> by one that holds <bytes>. Returns false, with errno, on
// failure; <path> is then as it was.
bool write_whole(const std::string& path, const std::string& bytes);

// Writes all of <bytes> to <fd>. Returns false, with errno, when it could not.
bool write_fully(int fd, const std::string& bytes);
