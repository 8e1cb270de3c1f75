#pragma once

// The simulated meter's end of a pseudo-terminal: the master, raw and
// non-blocking, and optionally a symbolic link to the slave that users and
// tests point the program at (the pts number changes when the device comes back).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

class CSimPty {
public:
    explicit CSimPty(std::string linkPath) : m_linkPath(std::move(linkPath)) {}
    ~CSimPty() { Close(); }
    CSimPty(const CSimPty&) = delete;
    CSimPty& operator=(const CSimPty&) = delete;

    bool Open(std::string& error);
    // Closes the master (the device disappears) and removes the link.
    void Close();
    bool IsOpen() const { return m_master >= 0; }
    int Fd() const { return m_master; }
    // What the program should open: the link when there is one, else the slave.
    std::string DevicePath() const { return m_linkPath.empty() ? m_slavePath : m_linkPath; }

    // True while some program holds the slave open: the master reports no
    // hang-up now.
    bool ReaderPresent();
    // True once the reader has gone for good: the hang-up has lasted
    // kReaderGoneAfter (at that moment what it left unread is flushed, so the
    // next reader gets no stale bytes), or nobody has opened the slave yet.
    // A hang-up that passes sooner loses nothing: the program under load may
    // be seen so for a moment while it still holds the port.
    bool ReaderGone();
    static constexpr double kReaderGoneAfter = 1.0; // seconds

    // Writes without ever blocking; nothing while the master reports a
    // hang-up. Returns the number of bytes written (0 when they do not fit).
    std::size_t Write(const std::uint8_t* bytes, std::size_t count);
    // Bytes the program sent: > 0 read, 0 none waiting, < 0 no reader.
    long Read(std::uint8_t* buffer, std::size_t size);

private:
    bool MakeLink(std::string& error);

    std::string m_linkPath;
    std::string m_slavePath;
    int m_master = -1;
    bool m_hadReader = false;  // a reader held the slave and has not gone for good
    bool m_hungUp = false;     // the last look saw a hang-up
    std::chrono::steady_clock::time_point m_hangUpSince{};
};
