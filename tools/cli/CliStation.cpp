#include "CliStation.h"

#include <unistd.h>

namespace {

bool IsStationName(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-'))
            return false;
    return true;
}

} // namespace

std::optional<std::string> StationName(const CliOptions& options, std::string* error)
{
    if (const auto given = options.Value("station")) {
        if (!IsStationName(*given)) {
            *error = "--station wants a name of 1 to 64 letters, digits, '.', '_' or '-', not '" + *given + "'";
            return std::nullopt;
        }
        return given;
    }
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !IsStationName(host))
        return std::string("station");
    return std::string(host);
}
