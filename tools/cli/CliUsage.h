#pragma once

#include <cstdio>
#include <string>

// The companion's help texts: the whole usage, and one command's help.

// Every command with its options, then the exit codes.
void PrintUsage(std::FILE* to);

// The help of one command; false when there is no such command.
bool PrintCommandHelp(const std::string& command, std::FILE* to);

// "vexalog-cli 1.0": the version CMake's project() gives the build.
void PrintVersion(std::FILE* to);
