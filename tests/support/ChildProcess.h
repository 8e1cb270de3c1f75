#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

// Runs a program for one test and talks to it through its stdin and stdout
// (stderr too when asked): lines it prints are collected as they come, so a
// test can wait for one while the program keeps running, signal it, and read
// its exit code. The destructor ends the process and reaps it.
class CChildProcess {
public:
    // environment: "NAME=value" entries set for the child on top of the
    // test's own environment.
    CChildProcess(const std::string& binary, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment = {}, bool withErrors = false);
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    const std::string& Error() const { return m_error; }

    // Sends command as one line (without its newline) to the child's stdin.
    bool Send(const std::string& command);
    void CloseInput();

    // The first line starting with `prefix` that came after the line matched
    // by the previous WaitFor; empty when none came within timeoutMs.
    std::string WaitFor(const std::string& prefix, int timeoutMs);
    // Likewise for the first line holding fragment anywhere.
    std::string WaitForLineWith(const std::string& fragment, int timeoutMs);
    // Only later lines match WaitFor.
    void SkipSeenLines();
    std::vector<std::string> Lines() const;
    int CountLines(const std::string& prefix) const;
    // Everything printed so far, one line after the other.
    std::string Output() const;

    pid_t Pid() const { return m_pid; }
    bool IsRunning();
    void Signal(int signal);
    // Waits for the child to end: its exit code (128 + the signal when one
    // ended it), or -1 when it still runs after timeoutMs.
    int WaitExit(int timeoutMs);

private:
    std::string WaitForLine(bool (*matches)(const std::string& line, const std::string& text), const std::string& text,
                            int timeoutMs);
    void ReadOutput();
    bool Reap(bool wait);
    void Stop();

    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    bool m_reaped = false;
    int m_exitCode = -1;
    std::string m_error;
    std::thread m_reader;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    std::size_t m_nextLine = 0;
    bool m_outputClosed = false;
};
