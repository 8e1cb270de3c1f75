#pragma once

#include <initializer_list>
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

// Refuses, with a sentence in *error: options not in `known`, an option given
// twice or with an empty value, and plain arguments beyond `maxArguments`.
bool CheckOptions(const CliOptions& options, std::initializer_list<const char*> known, std::size_t maxArguments,
                  std::string* error);

// A number of seconds as digits with an optional decimal fraction ("10",
// "0.5"), above 0 and at most `most`; false for anything else.
bool ParseSeconds(const std::string& text, double most, double& seconds);

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
int RunDownload(const CliOptions& options);
