#include "CliOptions.h"

#include "NumberText.h"
#include "PortMap.h"
#include "PrivateProfile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

// Options that stand alone, without a value.
bool IsFlag(const std::string& name)
{
    return name == "json" || name == "help";
}

} // namespace

std::optional<CliOptions> CliOptions::Parse(int argc, char** argv, std::string* error)
{
    CliOptions options;
    if (argc < 2) {
        *error = "no command given";
        return std::nullopt;
    }
    options.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        // -h is the short form of --help, as most commands have it.
        const std::string word = std::string(argv[i]) == "-h" ? std::string("--help") : std::string(argv[i]);
        if (word.rfind("--", 0) == 0) {
            if (IsFlag(word.substr(2))) {
                if (options.Has(word.substr(2))) {
                    *error = "option " + word + " is given twice";
                    return std::nullopt;
                }
                options.values.emplace_back(word.substr(2), "yes");
                continue;
            }
            if (i + 1 >= argc) {
                *error = "option " + word + " needs a value";
                return std::nullopt;
            }
            const std::string name = word.substr(2);
            if (options.Has(name)) {
                *error = "option " + word + " is given twice";
                return std::nullopt;
            }
            options.values.emplace_back(name, argv[++i]);
        } else {
            options.arguments.push_back(word);
        }
    }
    return options;
}

std::optional<std::string> CliOptions::Value(const std::string& name) const
{
    for (const auto& [key, value] : values)
        if (key == name)
            return value;
    return std::nullopt;
}

bool CliOptions::Check(const std::vector<std::string>& names, std::size_t maxArguments, std::string* error) const
{
    for (const auto& [key, value] : values) {
        if (std::find(names.begin(), names.end(), key) == names.end()) {
            *error = "unknown option --" + key;
            return false;
        }
        if (value.empty()) {
            *error = "option --" + key + " needs a value";
            return false;
        }
    }
    if (arguments.size() > maxArguments) {
        *error = "unexpected argument '" + arguments[maxArguments] + "'";
        return false;
    }
    return true;
}

std::optional<double> CliOptions::Number(const std::string& name, double fallback, double min, double max,
                                         const char* what, std::string* error) const
{
    const auto text = Value(name);
    if (!text)
        return fallback;
    const auto value = ParseNumber(*text);
    if (!value || *value < min || *value > max) {
        *error = "--" + name + " wants " + what + " from " + FormatGeneral(min) + " to " + FormatGeneral(max) +
                 ", not '" + *text + "'";
        return std::nullopt;
    }
    return value;
}

std::optional<int> CliOptions::Integer(const std::string& name, int fallback, int min, int max, const char* what,
                                       std::string* error) const
{
    const auto text = Value(name);
    if (!text)
        return fallback;
    const auto value = ParseInteger(*text);
    if (!value || *value < min || *value > max) {
        *error = "--" + name + " wants " + what + " from " + std::to_string(min) + " to " + std::to_string(max) +
                 ", not '" + *text + "'";
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

CliPort::~CliPort()
{
    if (!tempDir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(tempDir, ignored);
    }
}

bool ResolvePort(const CliOptions& options, CliPort& port, std::string* error)
{
    const auto number = options.Value("port");
    const auto device = options.Value("device");
    if (number.has_value() == device.has_value()) {
        *error = "give either --port N or --device PATH";
        return false;
    }
    if (number) {
        const auto n = options.Integer("port", 0, CPortMap::kFirstPort, CPortMap::kLastPort, "a port number", error);
        if (!n)
            return false;
        port.number = *n;
        // The same port file as the program, so its device overrides apply.
        port.iniPath = options.Value("ini").value_or(CPortMap::kPortFile);
        return true;
    }
    // A device path becomes port 1 of a private port file, through the same
    // override the program offers its users.
    char pattern[] = "/tmp/vexalog-cli.XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        *error = "cannot create a temporary folder";
        return false;
    }
    port.tempDir = pattern;
    port.device = *device;
    port.iniPath = port.tempDir + "/TempPort.ini";
    port.number = 1;
    if (!CPrivateProfile(port.iniPath).WriteString(CPortMap::kOverrideSection, "1", *device)) {
        *error = "cannot write " + port.iniPath;
        return false;
    }
    return true;
}

std::string PortName(const CliPort& port, const std::string& mappedDevice)
{
    if (!port.device.empty())
        return port.device;
    return "port " + std::to_string(port.number) + " (" + mappedDevice + ")";
}
