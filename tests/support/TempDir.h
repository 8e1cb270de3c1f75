#pragma once

#include <filesystem>
#include <string>

// A new folder in the temporary folder for one test, removed with all it
// holds when the object goes.
class CTempDir {
public:
    // stem: the start of the folder's name, so a left-over folder tells whose it was.
    explicit CTempDir(const std::string& stem);
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    bool IsValid() const { return !m_path.empty(); }
    const std::filesystem::path& Path() const { return m_path; }
    // The path of a file in the folder.
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};
