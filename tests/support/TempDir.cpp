#include "tests/support/TempDir.h"

#include <cstdlib>
#include <system_error>

CTempDir::CTempDir(const std::string& stem)
{
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / (stem + "_XXXXXX")).string();
    if (!error && mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
}

CTempDir::~CTempDir()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
