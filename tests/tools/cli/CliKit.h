#pragma once

// The command-line companion's kit: the fixture with a simulated meter on a
// pseudo-terminal, and readers of what the companion wrote.
#include "tests/support/ChildProcess.h"
#include "tests/support/CommaLocale.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"
#include "tests/tools/cli/CliRun.h"
#include "tools/sim/SimWire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The companion left running while the test drives the meter.
inline std::unique_ptr<CChildProcess> StartCli(const std::vector<std::string>& arguments,
                                               const std::vector<std::string>& environment = {})
{
    const char* cli = std::getenv("VEXALOG_CLI");
    return std::make_unique<CChildProcess>(cli != nullptr ? cli : "", arguments, environment, true);
}

// The sample lines of a data file (after the header), without their line ends.
inline std::vector<std::string> SampleLines(const std::string& text)
{
    std::vector<std::string> lines;
    const std::size_t header = text.find("\r\r\n");
    if (header == std::string::npos)
        return lines;
    for (std::size_t at = header + 3, end; (end = text.find("\r\r\n", at)) != std::string::npos; at = end + 3)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

inline std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_device = (m_dir / "ttyLX47").string();
    }
    void TearDown() override
    {
        m_sim.reset();
    }
    void StartMeter(std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments{"--level", "const:72.5", "--link", m_device, "--exit-with-parent"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        m_sim = std::make_unique<CSimulatedMeter>(arguments);
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    }

    CTempDir m_temp{"vx_cli"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_device;
    std::unique_ptr<CSimulatedMeter> m_sim;
};
