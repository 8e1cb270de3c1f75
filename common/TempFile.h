#pragma once

#include <string>

// Files are replaced by writing a temporary file beside them and renaming it
// over the old one, so a failed write never leaves half a file behind. The
// temporary file gets a name of its own and is created exclusively: it never
// follows a link or truncates a file someone else put there, and two programs
// saving in one folder do not meet.

// The folder part of path: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

// Creates a new file beside target (".<name>.<pid>.<serial>.<tick>.tmp"),
// open for writing with mode 0666 less the umask. Returns its descriptor and
// sets tempPath, or -1 with errno set.
int CreateTemporaryBeside(const std::string& target, std::string& tempPath);

// Writes all bytes to fd; 0 or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size);

// Flushes a folder's entries to disk (after a rename); best effort.
void SyncFolder(const std::string& folder);
