#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
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

// The test's environment with the given entries set over it.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const std::string& mine : extra)
            replaced = replaced || mine.substr(0, mine.find('=')) == name;
        if (!replaced)
            result.push_back(text);
    }
    result.insert(result.end(), extra.begin(), extra.end());
    return result;
}

} // namespace

CChildProcess::CChildProcess(const std::string& binary, const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment, bool withErrors)
{
    // stdin is a socket pair so that writing after the child died gives an
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
    if (withErrors)
        posix_spawn_file_actions_adddup2(&actions, output[1], 2);

    std::vector<std::string> argvText{binary};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : argvText)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText = ChildEnvironment(environment);
    std::vector<char*> envp;
    for (auto& text : envText)
        envp.push_back(text.data());
    envp.push_back(nullptr);

    const int rc = posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(input[1]);
    close(output[1]);
    m_input = input[0];
    m_output = output[0];
    if (rc != 0) {
        m_pid = -1;
        m_error = "cannot start " + binary;
        return;
    }
    m_reader = std::thread(&CChildProcess::ReadOutput, this);
}

CChildProcess::~CChildProcess()
{
    Stop();
    if (m_reader.joinable())
        m_reader.join();
    if (m_output >= 0)
        close(m_output);
    CloseInput();
}

bool CChildProcess::Reap(bool wait)
{
    if (m_pid <= 0 || m_reaped)
        return true;
    int status = 0;
    if (waitpid(m_pid, &status, wait ? 0 : WNOHANG) != m_pid)
        return false;
    m_reaped = true;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

void CChildProcess::Stop()
{
    if (m_pid <= 0 || m_reaped)
        return;
    // SIGTERM lets it clean up; SIGKILL if it does not end in time.
    kill(m_pid, SIGTERM);
    if (WaitExit(2000) >= 0)
        return;
    kill(m_pid, SIGKILL);
    Reap(true);
}

bool CChildProcess::IsRunning()
{
    return m_pid > 0 && !Reap(false);
}

void CChildProcess::Signal(int signal)
{
    if (m_pid > 0 && !m_reaped)
        kill(m_pid, signal);
}

int CChildProcess::WaitExit(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Reap(false)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return -1;
        usleep(10000);
    }
    // The reader may still be behind on what the child wrote before it ended:
    // let it reach the end of the output before anyone looks at it (a busy
    // machine can keep it waiting well after the exit).
    std::unique_lock lock(m_mutex);
    m_changed.wait_until(lock, std::max(deadline, std::chrono::steady_clock::now() + std::chrono::seconds(5)),
                         [&] { return m_outputClosed; });
    return m_exitCode;
}

void CChildProcess::ReadOutput()
{
    std::string partial;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(m_output, buffer, sizeof buffer);
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
            m_lines.push_back(std::move(line));
            m_changed.notify_all();
        }
    }
    std::lock_guard lock(m_mutex);
    if (!partial.empty())
        m_lines.push_back(partial);
    m_outputClosed = true;
    m_changed.notify_all();
}

bool CChildProcess::Send(const std::string& command)
{
    if (m_input < 0)
        return false;
    const std::string line = command + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = send(m_input, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void CChildProcess::CloseInput()
{
    if (m_input >= 0)
        close(m_input);
    m_input = -1;
}

std::string CChildProcess::WaitFor(const std::string& prefix, int timeoutMs)
{
    return WaitForLine(StartsWith, prefix, timeoutMs);
}

std::string CChildProcess::WaitForLineWith(const std::string& fragment, int timeoutMs)
{
    return WaitForLine([](const std::string& line, const std::string& text) { return line.find(text) != std::string::npos; },
                       fragment, timeoutMs);
}

std::string CChildProcess::WaitForLine(bool (*matches)(const std::string& line, const std::string& text),
                                       const std::string& text, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_mutex);
    const auto find = [&]() -> std::string* {
        for (std::size_t i = m_nextLine; i < m_lines.size(); ++i) {
            if (matches(m_lines[i], text)) {
                m_nextLine = i + 1;
                return &m_lines[i];
            }
        }
        return nullptr;
    };
    for (;;) {
        if (const std::string* line = find())
            return *line;
        if (m_outputClosed)
            return {};
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout) {
            // One last look: a line may have come with the timeout.
            const std::string* line = find();
            return line != nullptr ? *line : std::string();
        }
    }
}

void CChildProcess::SkipSeenLines()
{
    std::lock_guard lock(m_mutex);
    m_nextLine = m_lines.size();
}

std::vector<std::string> CChildProcess::Lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

int CChildProcess::CountLines(const std::string& prefix) const
{
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const auto& line : m_lines)
        count += StartsWith(line, prefix) ? 1 : 0;
    return count;
}

std::string CChildProcess::Output() const
{
    std::lock_guard lock(m_mutex);
    std::string text;
    for (const auto& line : m_lines)
        text += line + "\n";
    return text;
}
