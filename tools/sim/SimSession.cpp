#include "tools/sim/SimSession.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace {

constexpr double kBlockPeriod = 0.1;   // ten blocks a second, 200 of the 960 bytes/s the link carries
constexpr double kDumpGap = 0.06;      // quiet before and after the dump header, so it comes as its own chunk
constexpr double kDumpChunkPeriod = 0.05;
constexpr std::size_t kDumpChunk = 48; // 48 bytes per 50 ms is the 9600 baud pace
constexpr double kDumpQuiet = 0.3;     // requests still in flight when a dump ends are not answered again
constexpr double kForever = std::numeric_limits<double>::infinity();

std::string Hex(std::uint8_t byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

bool IsKey(std::uint8_t byte)
{
    return byte == 0x55 || byte == 0x33 || byte == 0x77 || byte == 0x99 || byte == 0x11 || byte == 0x88;
}

// "silent", "silent 3" or "silent 0.5": seconds, or forever without a number.
bool ParseSeconds(std::istringstream& words, double& seconds)
{
    std::string text;
    if (!(words >> text)) {
        seconds = kForever;
        return true;
    }
    char* end = nullptr;
    seconds = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' && seconds >= 0 && std::isfinite(seconds);
}

// Bytes as "A5 0D 08 53", "0xA5 0x0D" or "A50D0853".
bool ParseBurst(std::istringstream& words, std::vector<std::uint8_t>& bytes)
{
    std::string word;
    while (words >> word) {
        if (word.size() > 2 && (word[0] != '0' || (word[1] != 'x' && word[1] != 'X'))) {
            if (word.size() % 2 != 0)
                return false;
            for (std::size_t i = 0; i < word.size(); i += 2) {
                std::uint8_t byte = 0;
                if (!SimWire::ParseHexByte(word.substr(i, 2), byte))
                    return false;
                bytes.push_back(byte);
            }
            continue;
        }
        std::uint8_t byte = 0;
        if (!SimWire::ParseHexByte(word, byte))
            return false;
        bytes.push_back(byte);
    }
    return !bytes.empty();
}

} // namespace

CSimSession::CSimSession(const SimOptions& options, std::unique_ptr<ILevelModel> model,
                         std::vector<SimWire::LoggerSet> logger, volatile std::sig_atomic_t& stopFlag)
    : m_options(options), m_meter(std::move(model), options.clockStart), m_pty(options.linkPath),
      m_stop(stopFlag), m_start(std::chrono::steady_clock::now()), m_parent(getppid())
{
    m_meter.SetLogger(std::move(logger), 0.0);
}

double CSimSession::Now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void CSimSession::Say(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool CSimSession::OpenDevice()
{
    std::string error;
    if (!m_pty.Open(error)) {
        Say("ERROR " + error);
        return false;
    }
    Say("DEVICE " + m_pty.DevicePath());
    return true;
}

int CSimSession::Run()
{
    if (!OpenDevice())
        return 1;
    while (!m_quit && !m_stop) {
        if (m_options.exitWithParent && getppid() != m_parent)
            break;
        double now = Now();
        if (m_reappearAt >= 0 && now >= m_reappearAt) {
            m_reappearAt = OpenDevice() ? -1.0 : now + 1.0;
        }

        pollfd fds[2];
        nfds_t count = 0;
        if (m_stdinOpen)
            fds[count++] = {STDIN_FILENO, POLLIN, 0};
        // A master without a reader reports a hang-up all the time, so it is polled only while read.
        const bool listening = m_pty.IsOpen() && m_pty.ReaderPresent();
        if (listening)
            fds[count++] = {m_pty.Fd(), POLLIN, 0};
        double due = std::min(m_dumping ? m_dumpNext : m_nextBlock, now + 0.05);
        const int timeout = std::max(1, static_cast<int>(std::ceil((due - now) * 1000.0)));
        if (poll(fds, count, timeout) < 0 && errno != EINTR)
            break;

        now = Now();
        if (m_stdinOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            HandleInput();
        if (listening) {
            std::uint8_t buffer[512];
            long n;
            while ((n = m_pty.Read(buffer, sizeof buffer)) > 0)
                HandleMeterBytes(buffer, n, now);
        }
        // A run of 0xAC that stopped short of a request was something else.
        if (m_acRun > 0 && now - m_lastRx > 0.5)
            ReportAcBytes();

        m_meter.Advance(now);
        for (const auto& message : m_meter.TakeMessages())
            Say(message);
        if (m_pty.IsOpen() && !Silent(now)) {
            if (m_dumping)
                StepDump(now);
            else
                StepStream(now);
        }
        Flush();
    }
    m_pty.Close();
    return 0;
}

void CSimSession::HandleInput()
{
    char buffer[1024];
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // End of input is not quit: tests may close our stdin and keep the meter running.
        m_stdinOpen = false;
        return;
    }
    m_stdinText.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = m_stdinText.find('\n')) != std::string::npos) {
        std::string line = m_stdinText.substr(0, end);
        m_stdinText.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            HandleCommand(line);
    }
    if (m_stdinText.size() > 65536)
        m_stdinText.clear();
}

void CSimSession::HandleCommand(const std::string& line)
{
    const double now = Now();
    std::istringstream words(line);
    std::string command;
    words >> command;
    std::string rest;
    std::getline(words >> std::ws, rest);
    std::istringstream args(rest);
    std::string error;

    if (command == "silent") {
        double seconds = 0;
        if (!ParseSeconds(args, seconds))
            error = "silent wants a number of seconds";
        else
            m_silentUntil = now + seconds;
    } else if (command == "resume") {
        m_silentUntil = 0.0;
    } else if (command == "vanish") {
        double seconds = 0;
        if (!ParseSeconds(args, seconds)) {
            error = "vanish wants a number of seconds";
        } else {
            m_pty.Close();
            m_out.clear();
            m_dumping = false;
            m_acRun = 0;
            m_reappearAt = now + seconds;
        }
    } else if (command == "appear") {
        if (m_reappearAt >= 0)
            m_reappearAt = now; // the loop opens the new device and says so
    } else if (command == "level") {
        auto model = MakeLevelModel(rest, m_options.seed, error);
        if (model)
            m_meter.SetLevelModel(std::move(model), now);
    } else if (command == "key") {
        std::uint8_t key = 0;
        if (!SimWire::ParseHexByte(rest, key) || !m_meter.PressKey(key, now))
            error = "no such key '" + rest + "' (0x55 0x33 0x77 0x99 0x11 0x88)";
    } else if (command == "hold") {
        m_meter.ToggleHold();
    } else if (command == "logger") {
        std::vector<SimWire::LoggerSet> sets;
        if (SimWire::ParseLoggerSpec(rest, sets, error))
            m_meter.SetLogger(std::move(sets), now);
    } else if (command == "dump") {
        if (rest == "once" || rest == "paced")
            m_options.dumpAtOnce = rest == "once";
        else
            error = "dump wants once or paced";
    } else if (command == "burst") {
        std::vector<std::uint8_t> bytes;
        if (!ParseBurst(args, bytes))
            error = "burst wants hex bytes";
        else
            m_out.insert(m_out.end(), bytes.begin(), bytes.end());
    } else if (command == "answer") {
        // The next request is answered with these bytes instead of the logger's
        // dump: damaged or cut replies for the program to cope with.
        std::vector<std::uint8_t> bytes;
        if (!ParseBurst(args, bytes))
            error = "answer wants hex bytes";
        else
            m_answer = std::move(bytes);
    } else if (command == "state") {
        std::ostringstream state;
        state << "STATE level=" << m_meter.Level() << " display=" << m_meter.DisplayLevel()
              << " range=" << m_meter.Range() << (m_meter.Fast() ? " FAST" : " SLOW")
              << (m_meter.CWeighted() ? " dBC" : " dBA") << " rec=" << m_meter.Recording()
              << " maxmin=" << m_meter.MaxMinMode() << " hold=" << m_meter.Hold()
              << " sets=" << m_meter.LoggerSets().size() << " reader=" << (m_pty.IsOpen() && m_pty.ReaderPresent());
        Say(state.str());
    } else if (command == "quit") {
        m_quit = true;
    } else {
        error = "unknown command";
    }
    Say(error.empty() ? "OK " + line : "ERROR " + line + ": " + error);
    Flush();
}

void CSimSession::HandleMeterBytes(const std::uint8_t* bytes, long count, double now)
{
    m_lastRx = now;
    for (long i = 0; i < count; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == SimWire::kRequestByte) {
            // The request may come split over several reads, so the run is counted across them.
            if (++m_acRun == static_cast<int>(SimWire::kRequestLength)) {
                m_acRun = 0;
                if (Silent(now))
                    Say("REQUEST unanswered (silent)");
                else if (m_dumping || now < m_dumpQuietUntil)
                    Say("REQUEST ignored (dump in progress)");
                else
                    StartDump(now);
            }
            continue;
        }
        ReportAcBytes();
        if (IsKey(byte)) {
            Say("KEY " + Hex(byte));
            m_meter.PressKey(byte, now);
        } else {
            Say("RX " + Hex(byte));
        }
    }
}

void CSimSession::ReportAcBytes()
{
    for (; m_acRun > 0; --m_acRun)
        Say("RX " + Hex(SimWire::kRequestByte));
}

void CSimSession::StartDump(double now)
{
    m_dumping = true;
    m_dumpSent = 0;
    m_dumpNext = now + kDumpGap;
    Say("REQUEST");
    if (!m_answer.empty()) {
        m_dump = std::move(m_answer);
        m_answer.clear();
        Say("DUMP answer bytes=" + std::to_string(m_dump.size()));
        return;
    }
    const auto data = m_meter.LoggerData();
    const auto header = SimWire::DumpHeader(data.size());
    m_dump.assign(header.begin(), header.end());
    // An empty logger is answered with the header alone (L = 100).
    if (!data.empty()) {
        m_dump.insert(m_dump.end(), data.begin(), data.end());
        m_dump.push_back(SimWire::kDumpEnd);
    }
    Say("DUMP L=" + std::to_string(data.size() + SimWire::kLengthBias) + " sets="
        + std::to_string(m_meter.LoggerSets().size()) + " bytes=" + std::to_string(m_dump.size()));
}

void CSimSession::StepDump(double now)
{
    if (m_pty.ReaderGone()) {
        // Nobody will read the rest: the next reader gets the stream, not half a dump.
        m_dumping = false;
        m_out.clear();
        m_nextBlock = now + kBlockPeriod;
        Say("DUMP ABANDONED (no reader)");
        return;
    }
    // While the master reports a hang-up the dump waits: nothing is dropped.
    if (now < m_dumpNext || !m_out.empty() || !m_pty.ReaderPresent())
        return;
    if (m_dumpSent == 0 && m_options.dumpAtOnce) {
        // Header, data and end byte in one write, as a meter with a fast
        // buffer sends them: they reach the program together.
        m_out = m_dump;
        m_dumpSent = m_dump.size();
        m_dumpNext = now + kDumpGap;
    } else if (m_dumpSent == 0) {
        m_out.assign(m_dump.begin(), m_dump.begin() + 3);
        m_dumpSent = 3;
        m_dumpNext = now + kDumpGap;
    } else if (m_dumpSent < m_dump.size()) {
        const std::size_t size = std::min(kDumpChunk, m_dump.size() - m_dumpSent);
        m_out.assign(m_dump.begin() + static_cast<long>(m_dumpSent),
                     m_dump.begin() + static_cast<long>(m_dumpSent + size));
        m_dumpSent += size;
        m_dumpNext = now + (m_dumpSent < m_dump.size() ? kDumpChunkPeriod : kDumpGap);
    } else {
        m_dumping = false;
        m_dumpQuietUntil = now + kDumpQuiet;
        m_nextBlock = now + kBlockPeriod;
        Say("DUMP SENT");
    }
}

void CSimSession::StepStream(double now)
{
    if (now < m_nextBlock)
        return;
    m_nextBlock += kBlockPeriod;
    if (m_nextBlock < now)
        m_nextBlock = now + kBlockPeriod; // after a pause, go on at the pace instead of catching up
    // Blocks nobody reads are not built, so state changes reach whoever listens next;
    // a block waits for the one before it to be out, so none is ever cut.
    if (!m_out.empty() || !m_pty.ReaderPresent())
        return;
    const auto block = m_meter.NextBlock(now);
    m_out.assign(block.begin(), block.end());
}

void CSimSession::Flush()
{
    if (m_out.empty())
        return;
    if (!m_pty.IsOpen() || m_pty.ReaderGone()) {
        m_out.clear();
        return;
    }
    // A hang-up that may pass keeps the bytes for when it has.
    const std::size_t written = m_pty.Write(m_out.data(), m_out.size());
    m_out.erase(m_out.begin(), m_out.begin() + static_cast<long>(written));
}
