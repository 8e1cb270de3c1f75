#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

// Runs the simulated meter (the lx47sim binary named by the environment
// variable VEXALOG_SIM) for one test and talks to it through its stdin and
// stdout. The constructor waits for the first "DEVICE <path>" line; the
// destructor ends the process and reaps it.
//
//   CSimulatedMeter sim({"--level", "const:85.3", "--link", CSimulatedMeter::TempLinkPath("a")});
//   ASSERT_TRUE(sim.Started()) << sim.Error();
//   open(sim.DevicePath()) ...; sim.Send("key 0x55"); sim.WaitFor("OK key", 2000);
class CSimulatedMeter {
public:
    explicit CSimulatedMeter(const std::vector<std::string>& arguments = {}, int startTimeoutMs = 5000);
    ~CSimulatedMeter();
    CSimulatedMeter(const CSimulatedMeter&) = delete;
    CSimulatedMeter& operator=(const CSimulatedMeter&) = delete;

    // True once the simulator has announced its device.
    bool Started() const { return m_started; }
    // Why the start failed, empty otherwise.
    const std::string& Error() const { return m_error; }
    // The path of the latest "DEVICE" line (the link when --link was given).
    std::string DevicePath() const;

    // Sends one command line (without its newline) to the simulator's stdin.
    bool Send(const std::string& command);
    // Closes the simulator's stdin (the simulator keeps running).
    void CloseInput();

    // The first line starting with `prefix` that came after the line matched by the
    // previous WaitFor; empty when none came within timeoutMs. Advances past it.
    std::string WaitFor(const std::string& prefix, int timeoutMs);
    // Forgets the lines seen so far for WaitFor: only later lines match.
    void SkipSeenLines();
    // Every stdout line so far, in order.
    std::vector<std::string> Lines() const;
    // Number of stdout lines so far that start with `prefix`.
    int CountLines(const std::string& prefix) const;

    pid_t Pid() const { return m_pid; }
    // True while the process has not ended.
    bool IsRunning();

    // A path in the temporary folder for --link that no other test process uses.
    static std::string TempLinkPath(const std::string& stem);

private:
    void ReadOutput();
    void Stop();

    pid_t m_pid = -1;
    int m_input = -1;  // our end of the simulator's stdin
    int m_output = -1; // our end of the simulator's stdout
    bool m_started = false;
    bool m_reaped = false;
    std::string m_error;
    std::thread m_reader;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    std::size_t m_nextLine = 0; // where WaitFor looks next
    std::string m_devicePath;
    bool m_outputClosed = false;
};
