#pragma once

#include <optional>
#include <string>

// A private-profile (INI) file read and written the way the Windows profile
// functions do it, so a file written by the program on Windows and one
// written here are interchangeable:
// - section and key names compare without regard to case;
// - blanks around names and values are ignored; a value in matching single
//   or double quotes loses the quotes when read;
// - writing keeps every other section, key, comment and blank line, and the
//   spelling of an existing key; a missing file or section is created;
// - LF and CRLF files are read alike; the file is written with CRLF, through a
//   temporary file of its own beside it that is renamed over it.
// Section names are taken literally ("[Port Record]"), nothing is escaped.
class CPrivateProfile {
public:
    explicit CPrivateProfile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }

    // The value of key in section, or nothing when the file, the section or
    // the key is missing (there is no default).
    std::optional<std::string> ReadString(const std::string& section, const std::string& key) const;

    // Sets key in section to value. False when the file cannot be read or
    // written; the file is then left as it was.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) const;

    // Why the file is ignored (too large, not a regular file, unreadable), or
    // nothing when it can be used or does not exist yet.
    std::optional<std::string> Problem() const;

    // Files larger than this are refused rather than loaded whole.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

private:
    std::string m_path;
};
