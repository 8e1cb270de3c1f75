#include "tests/support/Pty.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

CPty::CPty()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        Close();
        return;
    }
    if (const char* name = ptsname(m_master))
        m_slavePath = name;
    termios raw{};
    if (tcgetattr(m_master, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_master, TCSANOW, &raw);
    }
    // Opening and closing the slave once makes the master report a hang-up
    // until the code under test opens it, so SlaveIsOpen() means something.
    int slave = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0)
        close(slave);
}

CPty::~CPty()
{
    Close();
}

void CPty::Close()
{
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
}

bool CPty::SlaveIsOpen() const
{
    if (m_master < 0)
        return false;
    pollfd p{m_master, 0, 0};
    poll(&p, 1, 0);
    return (p.revents & POLLHUP) == 0;
}

bool CPty::Write(const std::vector<std::uint8_t>& bytes)
{
    if (m_master < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        pollfd p{m_master, POLLOUT, 0};
        poll(&p, 1, 20);
    }
    return true;
}

std::vector<std::uint8_t> CPty::Read(std::size_t count, int timeoutMs)
{
    std::vector<std::uint8_t> bytes;
    if (m_master < 0)
        return bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{m_master, POLLIN, 0};
        // A master without an open slave reports a hang-up at once; wait in small steps then.
        if (poll(&p, 1, static_cast<int>(left < 20 ? left : 20)) <= 0 || (p.revents & POLLIN) == 0) {
            if (p.revents & POLLHUP)
                usleep(10000);
            continue;
        }
        std::uint8_t buffer[512];
        const std::size_t want = count - bytes.size() < sizeof buffer ? count - bytes.size() : sizeof buffer;
        ssize_t n = read(m_master, buffer, want);
        if (n > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}
