// The companion's command line as anyone may type it: words split at NUL
// bytes, parsed, checked and read as numbers the way the commands do. A number
// that comes back lies inside the range it was asked for.
#include "tools/cli/CliOptions.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> words{"vexalog-cli"};
    std::string word;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    words.push_back(word);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    std::string error;
    const auto options = CliOptions::Parse(static_cast<int>(words.size()), argv.data(), &error);
    if (!options) {
        Require(!error.empty());
        return 0;
    }
    // Every command checks its options first, as here, and stops when they are refused.
    if (!options->Check({"port", "device", "ini", "interval", "count", "timeout", "out", "set"}, 2, &error)) {
        Require(!error.empty());
        return 0;
    }
    if (const auto interval = options->Number("interval", 0.5, 0.1, 10.0, "an interval", &error))
        Require(std::isfinite(*interval) && *interval >= 0.1 && *interval <= 10.0);
    if (const auto timeout = options->Number("timeout", 10.0, 0.0, kLongestWait, "seconds", &error))
        Require(std::isfinite(*timeout) && *timeout >= 0.0 && *timeout <= kLongestWait);
    if (const auto count = options->Integer("count", 0, 0, 40000, "a count", &error))
        Require(*count >= 0 && *count <= 40000);
    // A port number only: a device path would make a folder for every run.
    if (!options->Has("device")) {
        CliPort port;
        if (ResolvePort(*options, port, &error))
            Require(port.number >= 1 && port.number <= 100 && !port.iniPath.empty());
    }
    return 0;
}
