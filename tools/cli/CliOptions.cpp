#include "CliOptions.h"

#include "PortMap.h"
#include "PrivateProfile.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

std::optional<CliOptions> CliOptions::Parse(int argc, char** argv, std::string* error)
{
    CliOptions options;
    if (argc < 2) {
        *error = "no command given";
        return std::nullopt;
    }
    options.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                *error = "option " + word + " needs a value";
                return std::nullopt;
            }
            options.values.emplace_back(word.substr(2), argv[++i]);
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

bool CheckOptions(const CliOptions& options, std::initializer_list<const char*> known, std::size_t maxArguments,
                  std::string* error)
{
    for (std::size_t i = 0; i < options.values.size(); ++i) {
        const auto& [name, value] = options.values[i];
        bool isKnown = false;
        for (const char* k : known)
            isKnown = isKnown || name == k;
        if (!isKnown) {
            *error = "unknown option --" + name;
            return false;
        }
        if (value.empty()) {
            *error = "option --" + name + " needs a value";
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (options.values[j].first == name) {
                *error = "option --" + name + " is given twice";
                return false;
            }
        }
    }
    if (options.arguments.size() > maxArguments) {
        *error = "unexpected argument '" + options.arguments[maxArguments] + "'";
        return false;
    }
    return true;
}

bool ParseSeconds(const std::string& text, double most, double& seconds)
{
    std::size_t digits = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            ++digits;
    }
    if (digits == 0 || i != text.size() || text.size() > 16)
        return false;
    // from_chars reads the point whatever the user's locale says.
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (!(value > 0.0) || value > most)
        return false;
    seconds = value;
    return true;
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
        char* end = nullptr;
        const long n = std::strtol(number->c_str(), &end, 10);
        if (end == number->c_str() || *end != '\0' || n < 1 || n > 100) {
            *error = "the port number must be an integer between 1 and 100";
            return false;
        }
        port.number = static_cast<int>(n);
        // The same port file as the program, so its device overrides apply.
        port.iniPath = options.Value("ini").value_or("TempPort.ini");
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
    port.iniPath = port.tempDir + "/TempPort.ini";
    port.number = 1;
    if (!CPrivateProfile(port.iniPath).WriteString(CPortMap::kOverrideSection, "1", *device)) {
        *error = "cannot write " + port.iniPath;
        return false;
    }
    return true;
}
