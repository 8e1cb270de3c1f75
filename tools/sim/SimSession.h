#pragma once

// One run of the simulated meter: the pseudo-terminal, the stream at the
// meter's pace, the key bytes and logger requests from the program, the
// data-logger dump, and the commands that tests type on stdin.

#include "tools/sim/SimMeter.h"
#include "tools/sim/SimPty.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

struct SimOptions {
    std::string linkPath;
    std::string level = "street";
    std::string logger = "2x10";
    bool dumpAtOnce = false; // the logger's reply in one write instead of at the line's pace
    unsigned seed = 1;
    std::time_t clockStart = 0; // the meter clock at start, local fields as UTC
    bool exitWithParent = false;
};

class CSimSession {
public:
    CSimSession(const SimOptions& options, std::unique_ptr<ILevelModel> model,
                std::vector<SimWire::LoggerSet> logger, volatile std::sig_atomic_t& stopFlag);
    // Runs until quit, a signal, or (with exitWithParent) the parent's end; the exit code.
    int Run();

private:
    double Now() const;
    void Say(const std::string& line);
    bool OpenDevice();
    void HandleInput();
    void HandleCommand(const std::string& line);
    void HandleMeterBytes(const std::uint8_t* bytes, long count, double now);
    void ReportAcBytes();
    void StartDump(double now);
    void StepDump(double now);
    void StepStream(double now);
    void Flush();
    bool Silent(double now) const { return now < m_silentUntil; }

    SimOptions m_options;
    CSimMeter m_meter;
    CSimPty m_pty;
    volatile std::sig_atomic_t& m_stop;
    std::chrono::steady_clock::time_point m_start;
    pid_t m_parent = 0;
    bool m_quit = false;

    std::string m_stdinText;
    bool m_stdinOpen = true;

    std::vector<std::uint8_t> m_out; // bytes on their way to the master, never more than one piece
    double m_nextBlock = 0.0;
    double m_silentUntil = 0.0;
    double m_reappearAt = -1.0; // < 0: the device is there
    int m_acRun = 0;            // 0xAC bytes in a row, a request when eight
    double m_lastRx = 0.0;

    // The dump in progress: header, then data and end byte in paced chunks.
    bool m_dumping = false;
    std::vector<std::uint8_t> m_dump;
    std::size_t m_dumpSent = 0;
    double m_dumpNext = 0.0;
    double m_dumpQuietUntil = 0.0; // requests before this are left unanswered
    std::vector<std::uint8_t> m_answer; // the next request's reply instead of the dump, when not empty
};
