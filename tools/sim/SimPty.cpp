#include "tools/sim/SimPty.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

bool CSimPty::Open(std::string& error)
{
    Close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 || ptsname(m_master) == nullptr) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    m_slavePath = ptsname(m_master);
    // Raw, so that 0x0D, 0x11 and 0x13 pass untouched in both directions.
    termios raw{};
    if (tcgetattr(m_master, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_master, TCSANOW, &raw);
    }
    // Opening and closing the slave once makes the master report a hang-up
    // until a program opens it; that is how we know whether anyone listens.
    const int slave = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0)
        close(slave);
    m_hadReader = false;
    return m_linkPath.empty() || MakeLink(error);
}

bool CSimPty::MakeLink(std::string& error)
{
    struct stat existing{};
    if (lstat(m_linkPath.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = m_linkPath + " exists and is not a symbolic link; not replacing it";
        return false;
    }
    // Made beside the target name and renamed over it, so the link never points nowhere.
    const std::string temporary = m_linkPath + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(m_slavePath.c_str(), temporary.c_str()) != 0
        || rename(temporary.c_str(), m_linkPath.c_str()) != 0) {
        error = "cannot create the link " + m_linkPath + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void CSimPty::Close()
{
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
        // Remove the link only while it is still ours.
        char target[512] = {};
        if (!m_linkPath.empty() && readlink(m_linkPath.c_str(), target, sizeof target - 1) > 0
            && m_slavePath == target)
            unlink(m_linkPath.c_str());
    }
    m_hadReader = false;
    m_hungUp = false;
}

bool CSimPty::ReaderPresent()
{
    if (m_master < 0)
        return false;
    pollfd p{m_master, 0, 0};
    poll(&p, 1, 0);
    const bool present = (p.revents & POLLHUP) == 0;
    if (present) {
        m_hadReader = true;
        m_hungUp = false;
    } else if (!m_hungUp) {
        m_hungUp = true;
        m_hangUpSince = std::chrono::steady_clock::now();
    }
    return present;
}

bool CSimPty::ReaderGone()
{
    if (ReaderPresent())
        return false;
    if (m_hadReader && std::chrono::steady_clock::now() - m_hangUpSince >=
                           std::chrono::duration<double>(kReaderGoneAfter)) {
        // Drop what the departed reader left unread, or the next one would get stale blocks.
        tcflush(m_master, TCIOFLUSH);
        m_hadReader = false;
    }
    return !m_hadReader;
}

std::size_t CSimPty::Write(const std::uint8_t* bytes, std::size_t count)
{
    if (!ReaderPresent())
        return 0;
    const ssize_t n = write(m_master, bytes, count);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

long CSimPty::Read(std::uint8_t* buffer, std::size_t size)
{
    if (!ReaderPresent())
        return -1;
    const ssize_t n = read(m_master, buffer, size);
    if (n > 0)
        return static_cast<long>(n);
    return (n < 0 && errno == EIO) ? -1 : 0;
}
