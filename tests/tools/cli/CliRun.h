#pragma once

// vexalog-cli run through the shell as a user runs it, to its end.

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/wait.h>

struct CliRun {
    int exitCode = -1;
    std::string output; // stdout and stderr together, every byte
};

// environment: "NAME=value " words put before the command.
inline CliRun RunCli(const std::string& arguments, const std::string& environment = {})
{
    const char* cli = std::getenv("VEXALOG_CLI");
    if (cli == nullptr)
        return {-1, "VEXALOG_CLI is not set"};
    CliRun run;
    FILE* pipe = popen((environment + std::string(cli) + " " + arguments + " 2>&1 </dev/null").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[512];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
