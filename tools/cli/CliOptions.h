#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line of the companion: a command word, then --name value pairs
// and plain arguments. Numbers are read the "C" way (a point before the
// decimals) whatever the locale, and checked for form and range.
struct CliOptions {
    std::string command;
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> values;

    // Refuses an option without its value and an option given twice. A flag
    // (--json, --help or -h) takes no value; it is kept with the value "yes".
    static std::optional<CliOptions> Parse(int argc, char** argv, std::string* error);

    std::optional<std::string> Value(const std::string& name) const;
    bool Has(const std::string& name) const { return Value(name).has_value(); }

    // False, with *error naming it, when an option is not one of names or has
    // an empty value, or when more plain arguments are given than maxArguments.
    bool Check(const std::vector<std::string>& names, std::size_t maxArguments, std::string* error) const;

    // The option's value as a decimal number from min to max (fallback when the
    // option is absent), or nothing with *error saying what it must be.
    std::optional<double> Number(const std::string& name, double fallback, double min, double max,
                                 const char* what, std::string* error) const;
    // Likewise for a whole number.
    std::optional<int> Integer(const std::string& name, int fallback, int min, int max, const char* what,
                               std::string* error) const;
};

// A command that puts record set --set N (1 by default) of one data file on
// --pdf OUT.pdf (print, report), besides the options it names itself:
// checked, or why not.
struct PdfSetOptions {
    std::string pdf;
    int setNumber = 1;
};
std::optional<PdfSetOptions> CheckPdfSetOptions(const CliOptions& options, std::vector<std::string> names,
                                                std::string* error);

// Which port a command talks to: a port number as in the program's Com Port
// menu, or a device path given directly.
struct CliPort {
    int number = 0;
    std::string device;    // the path given with --device, empty for --port
    std::string iniPath;   // the port file the link reads
    std::string tempDir;   // removed at exit when a device path was given
    ~CliPort();
};

// Reads --port N or --device PATH (and --ini FILE); on failure *error says why.
bool ResolvePort(const CliOptions& options, CliPort& port, std::string* error);

// How the messages name the port: the device given with --device as it was
// given, a port number with the device it maps to ("port 1 (/dev/ttyUSB0)").
std::string PortName(const CliPort& port, const std::string& mappedDevice);

// Exit codes shared by the commands.
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitLinkLost = 3;
inline constexpr int kExitTimedOut = 4;

// The longest time a timer of the companion can wait, in seconds (a signed
// 32-bit count of milliseconds).
inline constexpr double kLongestWait = 2147483.0;

int RunWatch(const CliOptions& options);
int RunRecord(const CliOptions& options);
int RunInfo(const CliOptions& options);
int RunExport(const CliOptions& options);
int RunDownload(const CliOptions& options);
int RunPrint(const CliOptions& options);
int RunLog(const CliOptions& options);
int RunCollect(const CliOptions& options);
int RunQuery(const CliOptions& options);
int RunReport(const CliOptions& options);
