#include "workbook/WorkbookDriver.h"

#include "workbook/WorkbookReader.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

constexpr const char* kKnownKeys[] = {"DRIVER", "DSN", "FIRSTROWHASNAMES", "READONLY", "CREATE_DB", "DBQ",
                                      "DEFAULTDIR", "DRIVERID", "MAXSCANROWS", "FIL", "UID", "PWD"};

// Whether text[at] is a ';' that starts another known attribute (or ends the text).
bool EndsValue(const std::string& text, std::size_t at)
{
    if (at >= text.size())
        return true;
    if (text[at] != ';')
        return false;
    const std::size_t equals = text.find('=', at + 1);
    if (equals == std::string::npos)
        return at + 1 >= text.size() || Trim(text.substr(at + 1)).empty();
    const std::string key = Upper(Trim(text.substr(at + 1, equals - at - 1)));
    for (const char* known : kKnownKeys)
        if (key == known)
            return true;
    return false;
}

bool IsTrue(const std::string& value)
{
    const std::string v = Upper(Trim(value));
    return v == "1" || v == "TRUE" || v == "YES";
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char buffer[1 << 16];
    bytes.clear();
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

} // namespace

std::string NotARegularFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return "a folder";
    if (S_ISFIFO(info.st_mode))
        return "a named pipe";
    if (S_ISSOCK(info.st_mode))
        return "a socket";
    if (S_ISCHR(info.st_mode))
        return "a character device";
    if (S_ISBLK(info.st_mode))
        return "a block device";
    return "not a regular file";
}

std::map<std::string, std::string> ParseConnectionString(const std::string& text)
{
    std::map<std::string, std::string> attributes;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t equals = text.find('=', at);
        if (equals == std::string::npos)
            break;
        const std::string key = Upper(Trim(text.substr(at, equals - at)));
        std::size_t end = equals + 1;
        std::string value;
        const char open = end < text.size() ? text[end] : '\0';
        const char close = open == '{' ? '}' : open == '"' ? '"' : '\0';
        if (close != '\0') {
            // A value in braces or quotes runs to the closing mark that ends it.
            std::size_t mark = text.find(close, end + 1);
            while (mark != std::string::npos && !EndsValue(text, mark + 1))
                mark = text.find(close, mark + 1);
            if (mark == std::string::npos) {
                value = text.substr(end + 1);
                end = text.size();
            } else {
                value = text.substr(end + 1, mark - end - 1);
                end = mark + 1;
            }
        } else {
            while (!EndsValue(text, end))
                ++end;
            value = Trim(text.substr(equals + 1, end - equals - 1));
        }
        attributes[key] = value;
        at = end + 1;
    }
    return attributes;
}

bool CWorkbookDriver::GetInstalledDrivers(char* buffer, std::size_t size)
{
    const std::size_t length = std::strlen(kName);
    if (buffer == nullptr || size < length + 2)
        return false;
    std::memcpy(buffer, kName, length + 1);
    buffer[length + 1] = '\0';
    return true;
}

std::unique_ptr<CWorkbookConnection> CWorkbookDriver::Connect(const std::string& connectionString, std::string* error)
{
    const auto attributes = ParseConnectionString(connectionString);
    const auto value = [&](const char* key) {
        const auto it = attributes.find(key);
        return it == attributes.end() ? std::string() : it->second;
    };
    const std::string driver = value("DRIVER");
    if (driver.empty()) {
        *error = "No workbook driver is installed: the connection names no driver.";
        return nullptr;
    }
    if (Upper(driver) != Upper(kName)) {
        *error = "The driver \"" + driver + "\" is not installed.";
        return nullptr;
    }
    const std::string path = value("DBQ");
    if (path.empty()) {
        *error = "The connection names no workbook (DBQ).";
        return nullptr;
    }
    std::unique_ptr<CWorkbookConnection> connection(
        new CWorkbookConnection(*this, path, IsTrue(value("READONLY")),
                                attributes.count("FIRSTROWHASNAMES") == 0 || IsTrue(value("FIRSTROWHASNAMES"))));
    if (const std::string kind = NotARegularFile(path); !kind.empty()) {
        *error = "\"" + path + "\" is " + kind + ", not a workbook file.";
        return nullptr;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!LoadWorkbook(path, connection->m_workbook, error, m_cancel))
            return nullptr;
        if (!ReadWholeFile(path, connection->m_fileBytes)) {
            *error = "The workbook \"" + path + "\" cannot be read: " + std::strerror(errno) + ".";
            return nullptr;
        }
        connection->m_original = connection->m_workbook;
        connection->m_loaded = true;
    } else if (value("CREATE_DB").empty()) {
        *error = "The workbook \"" + path + "\" does not exist.";
        return nullptr;
    }
    // A workbook that does not exist yet is made when the connection closes.
    return connection;
}

void CWorkbookDriver::SetLogging(bool on)
{
    const std::lock_guard lock(m_mutex);
    m_logging = on;
}

std::vector<std::string> CWorkbookDriver::StatementLog() const
{
    const std::lock_guard lock(m_mutex);
    return m_log;
}

void CWorkbookDriver::ClearLog()
{
    const std::lock_guard lock(m_mutex);
    m_log.clear();
}

void CWorkbookDriver::Received(const std::string& sql)
{
    m_count.fetch_add(1, std::memory_order_relaxed);
    const std::lock_guard lock(m_mutex);
    if (m_logging)
        m_log.push_back(sql);
}
