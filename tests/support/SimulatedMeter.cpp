#include "SimulatedMeter.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

CSimulatedMeter::CSimulatedMeter(const std::vector<std::string>& arguments, int startTimeoutMs)
{
    const char* binary = std::getenv("VEXALOG_SIM");
    if (binary == nullptr || *binary == '\0') {
        m_error = "VEXALOG_SIM is not set";
        return;
    }
    // stdin is a socket pair so that writing after the simulator died gives an
    // error (MSG_NOSIGNAL) instead of a SIGPIPE that would kill the test.
    int input[2];
    int output[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
        m_error = "socketpair failed";
        return;
    }
    if (pipe2(output, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        m_error = "pipe failed";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);

    std::vector<std::string> argvText{binary};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : argvText)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    const int rc = posix_spawn(&m_pid, binary, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[1]);
    close(output[1]);
    m_input = input[0];
    m_output = output[0];
    if (rc != 0) {
        m_pid = -1;
        m_error = std::string("cannot start ") + binary;
        return;
    }
    m_reader = std::thread(&CSimulatedMeter::ReadOutput, this);

    if (WaitFor("DEVICE ", startTimeoutMs).empty()) {
        m_error = "the simulator announced no device";
        return;
    }
    m_started = true;
}

CSimulatedMeter::~CSimulatedMeter()
{
    Stop();
    if (m_reader.joinable())
        m_reader.join();
    if (m_output >= 0)
        close(m_output);
    CloseInput();
}

void CSimulatedMeter::Stop()
{
    if (m_pid <= 0 || m_reaped)
        return;
    // SIGTERM lets it remove its link; SIGKILL if it does not end in time.
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_reaped = true;
            return;
        }
        usleep(10000);
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_reaped = true;
}

bool CSimulatedMeter::IsRunning()
{
    if (m_pid <= 0 || m_reaped)
        return false;
    if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_reaped = true;
        return false;
    }
    return true;
}

void CSimulatedMeter::ReadOutput()
{
    std::string partial;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(m_output, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        partial.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = partial.find('\n')) != std::string::npos) {
            std::string line = partial.substr(0, end);
            partial.erase(0, end + 1);
            std::lock_guard lock(m_mutex);
            if (StartsWith(line, "DEVICE "))
                m_devicePath = line.substr(7);
            m_lines.push_back(std::move(line));
            m_changed.notify_all();
        }
    }
    std::lock_guard lock(m_mutex);
    m_outputClosed = true;
    m_changed.notify_all();
}

std::string CSimulatedMeter::DevicePath() const
{
    std::lock_guard lock(m_mutex);
    return m_devicePath;
}

bool CSimulatedMeter::Send(const std::string& command)
{
    if (m_input < 0)
        return false;
    const std::string line = command + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = send(m_input, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void CSimulatedMeter::CloseInput()
{
    if (m_input >= 0)
        close(m_input);
    m_input = -1;
}

std::string CSimulatedMeter::WaitFor(const std::string& prefix, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_mutex);
    for (;;) {
        for (std::size_t i = m_nextLine; i < m_lines.size(); ++i) {
            if (StartsWith(m_lines[i], prefix)) {
                m_nextLine = i + 1;
                return m_lines[i];
            }
        }
        if (m_outputClosed)
            return {};
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout) {
            // One last look: a line may have come with the timeout.
            for (std::size_t i = m_nextLine; i < m_lines.size(); ++i) {
                if (StartsWith(m_lines[i], prefix)) {
                    m_nextLine = i + 1;
                    return m_lines[i];
                }
            }
            return {};
        }
    }
}

void CSimulatedMeter::SkipSeenLines()
{
    std::lock_guard lock(m_mutex);
    m_nextLine = m_lines.size();
}

std::vector<std::string> CSimulatedMeter::Lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

int CSimulatedMeter::CountLines(const std::string& prefix) const
{
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const auto& line : m_lines)
        count += StartsWith(line, prefix) ? 1 : 0;
    return count;
}

std::string CSimulatedMeter::TempLinkPath(const std::string& stem)
{
    static std::atomic<int> counter{0};
    const char* folder = std::getenv("TMPDIR");
    std::string path = (folder && *folder) ? folder : "/tmp";
    path += "/vexalog-sim-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" + stem;
    return path;
}
