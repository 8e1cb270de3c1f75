#include "common/PrivateProfile.h"

#include "common/TempFile.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    const auto close = line.find(']');
    return Trim(line.substr(0, close));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> SplitKeyLine(std::string_view line)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trim(trimmed.substr(0, eq)), Trim(trimmed.substr(eq + 1))};
}

struct ProfileText {
    bool exists = false;
    bool bom = false;
    std::vector<std::string> lines; // without their line ends
};

// False when the file exists but cannot be read, or is too large; *problem
// (when given) then says why.
bool Load(const std::string& path, ProfileText& out, std::string* problem = nullptr)
{
    const auto refuse = [problem](std::string why) {
        if (problem != nullptr)
            *problem = std::move(why);
        return false;
    };
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return true; // missing: an empty profile
    if (error)
        return refuse("it cannot be read (" + error.message() + ")");
    if (status.type() != std::filesystem::file_type::regular)
        return refuse("it is not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return refuse("it cannot be opened");
    out.exists = true;
    std::string content;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (content.size() > CPrivateProfile::kMaxFileSize)
            return refuse("it is larger than " + std::to_string(CPrivateProfile::kMaxFileSize / 1024) + " KiB");
    }
    if (in.bad())
        return refuse("it cannot be read");
    std::string_view rest = content;
    if (rest.substr(0, kBom.size()) == kBom) {
        out.bom = true;
        rest.remove_prefix(kBom.size());
    }
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return true;
}

bool Save(const std::string& path, const ProfileText& text)
{
    std::string content;
    if (text.bom)
        content += kBom;
    for (const std::string& line : text.lines) {
        content += line;
        content += "\r\n";
    }
    // A profile its user made read-only is kept as it is, as a data file would be.
    if (!WhyNotReplaceable(path).empty())
        return false;
    // Written to a file of its own beside the profile and renamed over it, so
    // a failed write never leaves half a file behind.
    std::string temp;
    const int fd = CreateTemporaryBeside(path, temp);
    if (fd < 0)
        return false;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    const bool written = WriteAll(fd, content.data(), content.size()) == 0;
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsBlank(std::string_view line)
{
    return Trim(line).empty();
}

} // namespace

std::optional<std::string> CPrivateProfile::Problem() const
{
    ProfileText text;
    std::string problem;
    if (Load(m_path, text, &problem))
        return std::nullopt;
    return problem;
}

std::optional<std::string> CPrivateProfile::ReadString(const std::string& section, const std::string& key) const
{
    ProfileText text;
    if (!Load(m_path, text))
        return std::nullopt;
    const std::string_view wantedSection = Trim(section);
    const std::string_view wantedKey = Trim(key);
    bool inSection = false;
    for (const std::string& line : text.lines) {
        if (const auto name = SectionName(line)) {
            // The first section of that name is the one that counts.
            if (inSection)
                return std::nullopt;
            inSection = EqualNoCase(*name, wantedSection);
            continue;
        }
        if (!inSection)
            continue;
        const auto entry = SplitKeyLine(line);
        if (!entry || !EqualNoCase(entry->key, wantedKey))
            continue;
        std::string_view value = entry->value;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::nullopt;
}

bool CPrivateProfile::WriteString(const std::string& section, const std::string& key, const std::string& value) const
{
    const std::string_view wantedSection = Trim(section);
    const std::string_view wantedKey = Trim(key);
    const std::string_view newValue = Trim(value);
    if (wantedSection.empty() || wantedKey.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || wantedSection.find(']') != std::string_view::npos ||
        wantedKey.find('=') != std::string_view::npos || wantedKey.front() == '[' || wantedKey.front() == ';')
        return false;

    ProfileText text;
    if (!Load(m_path, text))
        return false;

    std::size_t sectionLine = text.lines.size();
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        const auto name = SectionName(text.lines[i]);
        if (name && EqualNoCase(*name, wantedSection)) {
            sectionLine = i;
            break;
        }
    }

    if (sectionLine == text.lines.size()) {
        if (!text.lines.empty() && !IsBlank(text.lines.back()))
            text.lines.emplace_back();
        text.lines.push_back("[" + std::string(wantedSection) + "]");
        text.lines.push_back(std::string(wantedKey) + "=" + std::string(newValue));
        return Save(m_path, text);
    }

    std::size_t insertAt = sectionLine + 1; // after the last non-blank line of the section
    for (std::size_t i = sectionLine + 1; i < text.lines.size(); ++i) {
        const std::string& line = text.lines[i];
        if (SectionName(line))
            break;
        if (!IsBlank(line))
            insertAt = i + 1;
        const auto entry = SplitKeyLine(line);
        if (entry && EqualNoCase(entry->key, wantedKey)) {
            text.lines[i] = std::string(entry->key) + "=" + std::string(newValue);
            return Save(m_path, text);
        }
    }
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                      std::string(wantedKey) + "=" + std::string(newValue));
    return Save(m_path, text);
}
