#include "tests/support/SimulatedMeter.h"

#include <atomic>
#include <cstdlib>
#include <unistd.h>

CSimulatedMeter::CSimulatedMeter(const std::vector<std::string>& arguments, int startTimeoutMs)
{
    const char* binary = std::getenv("VEXALOG_SIM");
    if (binary == nullptr || *binary == '\0') {
        m_error = "VEXALOG_SIM is not set";
        return;
    }
    m_process = std::make_unique<CChildProcess>(binary, arguments);
    if (!m_process->Started()) {
        m_error = m_process->Error();
        return;
    }
    if (m_process->WaitFor("DEVICE ", startTimeoutMs).empty()) {
        m_error = "the simulator announced no device";
        return;
    }
    m_started = true;
}

std::string CSimulatedMeter::DevicePath() const
{
    if (!m_process)
        return {};
    std::string path;
    for (const std::string& line : m_process->Lines()) {
        if (line.rfind("DEVICE ", 0) == 0)
            path = line.substr(7);
    }
    return path;
}

void CSimulatedMeter::CloseInput()
{
    if (m_process)
        m_process->CloseInput();
}

std::string CSimulatedMeter::WaitFor(const std::string& prefix, int timeoutMs)
{
    return m_process ? m_process->WaitFor(prefix, timeoutMs) : std::string();
}

void CSimulatedMeter::SkipSeenLines()
{
    if (m_process)
        m_process->SkipSeenLines();
}

std::vector<std::string> CSimulatedMeter::Lines() const
{
    return m_process ? m_process->Lines() : std::vector<std::string>();
}

int CSimulatedMeter::CountLines(const std::string& prefix) const
{
    return m_process ? m_process->CountLines(prefix) : 0;
}

std::string CSimulatedMeter::TempLinkPath(const std::string& stem)
{
    static std::atomic<int> counter{0};
    const char* folder = std::getenv("TMPDIR");
    std::string path = (folder && *folder) ? folder : "/tmp";
    path += "/vexalog-sim-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" + stem;
    return path;
}
