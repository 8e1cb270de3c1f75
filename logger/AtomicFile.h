#pragma once

#include <string>
#include <string_view>
#include <vector>

// Puts bytes at path so that the old file, if any, is never lost: they go to
// a new temporary file beside it, which is flushed to disk and only then
// renamed over the target. A symbolic link is followed (the file it points to
// is replaced); an existing file keeps its permissions. Directories, devices
// and pipes are refused. Returns an empty text on success, otherwise the
// reason ("Permission denied", "it is a folder", ...).
std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes);
// The same for bytes given in pieces, written one after the other.
std::string ReplaceFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces);
