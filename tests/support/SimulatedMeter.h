#pragma once

#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

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

    // True once the simulator has announced its device.
    bool Started() const { return m_started; }
    // Why the start failed, empty otherwise.
    const std::string& Error() const { return m_error; }
    // The path of the latest "DEVICE" line (the link when --link was given).
    std::string DevicePath() const;

    // Sends one command line (without its newline) to the simulator's stdin.
    bool Send(const std::string& command) { return m_process && m_process->Send(command); }
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

    pid_t Pid() const { return m_process ? m_process->Pid() : -1; }
    // True while the process has not ended.
    bool IsRunning() { return m_process && m_process->IsRunning(); }

    // A path in the temporary folder for --link that no other test process uses.
    static std::string TempLinkPath(const std::string& stem);

private:
    std::unique_ptr<CChildProcess> m_process;
    bool m_started = false;
    std::string m_error;
};
