#pragma once

#include <string>
#include <string_view>
#include <vector>

// Files are replaced by writing a temporary file beside them and renaming it
// over the old one, so a failed write never leaves half a file behind. The
// temporary file gets a name of its own and is created exclusively: it never
// follows a link or truncates a file someone else put there, and two programs
// saving in one folder do not meet.

// The folder part of path: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

// Creates a new file beside target (".<name>.<pid>.<serial>.<tick>.tmp"),
// open for writing with mode 0666 less the umask, after clearing the ones a
// killed save of target left (RemoveStaleTemporaries). Returns its descriptor and
// sets tempPath, or -1 with errno set.
int CreateTemporaryBeside(const std::string& target, std::string& tempPath);

// Whether a process with this number runs (one we may not signal counts).
bool ProcessIsRunning(long pid);

// Deletes the temporary files an earlier save of target left behind when its
// program was killed: only names CreateTemporaryBeside makes for target, only
// regular files of this user, only when the process named in them has ended.
void RemoveStaleTemporaries(const std::string& target);

// Writes all bytes to fd; 0 or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size);

// Flushes a folder's entries to disk (after a rename); best effort.
void SyncFolder(const std::string& folder);

// The file a save replaces: through a symbolic link, the file it points to.
std::string ReplaceTarget(const std::string& path);

// Why a save may not replace path, or an empty text when it may: a folder, a
// device or pipe, a file nobody may write ("the file is write-protected": it
// is kept even from a user the system would let replace it), a file or folder
// this user may not write. Asked before long work starts, so that its end is
// not refused, and again by every save.
std::string WhyNotReplaceable(const std::string& path);

// Puts the pieces, one after the other, at path so that the old file is never
// lost: they go to a new temporary file beside it, which is flushed to disk
// and only then renamed over the target. A symbolic link is followed; an
// existing file keeps its permissions and, where allowed, its owner. Returns
// an empty text on success, otherwise the reason.
std::string ReplaceFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces);
