#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line of the companion: a command word, then --name value pairs
// and plain arguments.
struct CliOptions {
    std::string command;
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> values;

    static std::optional<CliOptions> Parse(int argc, char** argv, std::string* error);

    std::optional<std::string> Value(const std::string& name) const;
    bool Has(const std::string& name) const { return Value(name).has_value(); }
};

// Which port a command talks to: a port number as in the program's Com Port
// menu, or a device path given directly.
struct CliPort {
    int number = 0;
    std::string iniPath;   // the port file the link reads
    std::string tempDir;   // removed at exit when a device path was given
    ~CliPort();
};

// Reads --port N or --device PATH (and --ini FILE); on failure *error says why.
bool ResolvePort(const CliOptions& options, CliPort& port, std::string* error);

int RunWatch(const CliOptions& options);
int RunRecord(const CliOptions& options);
int RunInfo(const CliOptions& options);
int RunExport(const CliOptions& options);
