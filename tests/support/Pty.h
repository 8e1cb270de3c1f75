#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A pseudo-terminal pair for tests that play the meter's side themselves:
// the test writes meter bytes to the master, the code under test opens
// SlavePath() as its serial port. The master is raw and non-blocking.
class CPty {
public:
    CPty();
    ~CPty();
    CPty(const CPty&) = delete;
    CPty& operator=(const CPty&) = delete;

    bool IsOpen() const { return m_master >= 0; }
    int MasterFd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Writes all bytes to the master (waits while the queue is full, up to 2 s).
    bool Write(const std::vector<std::uint8_t>& bytes);
    // Bytes the other side sent, collected until `count` have come or `timeoutMs` passed.
    std::vector<std::uint8_t> Read(std::size_t count, int timeoutMs);
    // True while some process holds the slave open.
    bool SlaveIsOpen() const;
    // Closes the master: the slave device disappears.
    void Close();

private:
    int m_master = -1;
    std::string m_slavePath;
};
