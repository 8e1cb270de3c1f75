#include "tools/cli/CliOptions.h"

#include "common/LoggerRecordSet.h"
#include "common/NumberText.h"
#include "common/PrivateProfile.h"
#include "common/TempFile.h"
#include "meter/PortMap.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Options that stand alone, without a value.
bool IsFlag(const std::string& name)
{
    return name == "json" || name == "help" || name == "ha-discovery";
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

namespace {

// The private port files of --device live in "vexalog-cli.<pid>.XXXXXX".
constexpr const char* kPortFolderPrefix = "vexalog-cli.";

std::string TemporaryFolderRoot()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : folder.string();
}

// Folders a killed run left: ours by name and owner, their process ended,
// holding nothing but the port file.
void RemoveStalePortFolders(const std::string& root)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        const std::string prefix = kPortFolderPrefix;
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t dot = rest.find('.');
        if (dot == std::string::npos || dot == 0 || dot > 9 || rest.size() - dot - 1 != 6 ||
            rest.find_first_not_of("0123456789") != dot)
            continue;
        const long pid = std::strtol(rest.c_str(), nullptr, 10);
        struct stat info {};
        if (ProcessIsRunning(pid) || ::lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        // Only the port file and the temporaries of its saves: anything else is left alone.
        bool onlyOurs = true;
        std::error_code ignored;
        for (const auto& inside : std::filesystem::directory_iterator(entry.path(), ignored)) {
            const std::string file = inside.path().filename().string();
            const bool portFile = file == "TempPort.ini" || (file.rfind(".TempPort.ini.", 0) == 0 &&
                                                             file.size() > 4 && file.ends_with(".tmp"));
            if (!portFile || ::lstat(inside.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode))
                onlyOurs = false;
        }
        if (onlyOurs)
            std::filesystem::remove_all(entry.path(), ignored);
    }
}

} // namespace

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
    const std::string folder = TemporaryFolderRoot();
    RemoveStalePortFolders(folder);
    std::string pattern = folder + "/" + kPortFolderPrefix + std::to_string(::getpid()) + ".XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        *error = "cannot create a temporary folder in " + folder;
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

std::optional<PdfSetOptions> CheckPdfSetOptions(const CliOptions& options, std::vector<std::string> names,
                                                std::string* error)
{
    names.insert(names.end(), {"pdf", "set"});
    if (!options.Check(names, 1, error))
        return std::nullopt;
    if (options.arguments.size() != 1 || !options.Has("pdf")) {
        *error = "give one data file and --pdf OUT.pdf";
        return std::nullopt;
    }
    PdfSetOptions checked;
    checked.pdf = *options.Value("pdf");
    // Any other name would stand for a printer.
    const std::string suffix = checked.pdf.size() >= 4 ? checked.pdf.substr(checked.pdf.size() - 4) : "";
    std::string lower = suffix;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower != ".pdf") {
        *error = "--pdf wants a file name ending in .pdf, not '" + checked.pdf + "'";
        return std::nullopt;
    }
    const auto setNumber = options.Integer("set", 1, 1, kRecordSetTableSize, "a record set number", error);
    if (!setNumber)
        return std::nullopt;
    checked.setNumber = *setNumber;
    return checked;
}
