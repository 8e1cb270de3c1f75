#include "meter/PortProbe.h"

#include <cerrno>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

std::string ProbeFailureText(const std::string& device, int errorNumber, const std::string& ownerGroup)
{
    std::string text = device + ": " + std::error_code(errorNumber, std::generic_category()).message();
    if (errorNumber == EACCES || errorNumber == EPERM) {
        if (ownerGroup.empty())
            text += ". The user must be allowed to read and write this device.";
        else
            text += ". The user must be a member of the group \"" + ownerGroup + "\" that owns the device.";
    } else if (errorNumber == EBUSY) {
        text += " (the port is in use).";
    }
    return text;
}

std::string PortPrompt(const CPortMap& map, int port)
{
    const std::string name = "Port" + std::to_string(port);
    const std::string device = map.DevicePath(port);
    if (device.empty())
        return name + ": no device";
    return name + ": " + device + (DevicePresent(device) ? " (present)" : " (not present)");
}

#ifdef _WIN32

bool DevicePresent(const std::string& device)
{
    // "\\.\COM12" names the same device as "COM12".
    const std::string name = device.rfind("\\\\.\\", 0) == 0 ? device.substr(4) : device;
    char target[512];
    return !name.empty() && QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

std::string DeviceGroupName(const std::string&)
{
    return {};
}

bool CPortProbe::Probe(int port, std::string* reason)
{
    const std::string device = m_map.DevicePath(port);
    HANDLE handle = device.empty() ? INVALID_HANDLE_VALUE
                                   : CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (reason != nullptr)
            *reason = device.empty() ? "No device for port " + std::to_string(port) + "."
                                     : device + ": error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(handle);
    return true;
}

#else

bool DevicePresent(const std::string& device)
{
    struct stat info {};
    return !device.empty() && ::stat(device.c_str(), &info) == 0;
}

std::string DeviceGroupName(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    std::vector<char> buffer(4096);
    struct group entry {};
    struct group* found = nullptr;
    while (getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < 1 << 20)
        buffer.resize(buffer.size() * 2);
    if (found == nullptr)
        return std::to_string(info.st_gid);
    return found->gr_name;
}

bool CPortProbe::Probe(int port, std::string* reason)
{
    const auto refuse = [&](std::string why) {
        if (reason != nullptr) {
            *reason = std::move(why);
            // Overrides in a port file that is ignored do not apply: say so.
            if (const std::string note = m_map.IgnoredFileNote(); !note.empty())
                *reason += "\n" + note;
        }
        return false;
    };
    const std::string device = m_map.DevicePath(port);
    if (device.empty())
        return refuse("No device for port " + std::to_string(port) + ".");
    // Only a character device can be a serial port: anything else (a file, a
    // pipe, a folder) is left unopened.
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0) {
        const int error = errno;
        return refuse(ProbeFailureText(device, error, {}));
    }
    if (!S_ISCHR(info.st_mode))
        return refuse(device + ": not a serial device.");
    const int fd = ::open(device.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return refuse(ProbeFailureText(device, error,
                                       (error == EACCES || error == EPERM) ? DeviceGroupName(device) : std::string()));
    }
    // Only a terminal can be a serial port. The exclusive mode stays with the
    // terminal, not with this descriptor, so it is dropped again before
    // closing unless someone else had set it: a probe must not lock others out.
    int wasExclusive = 0;
#ifdef TIOCGEXCL
    if (::ioctl(fd, TIOCGEXCL, &wasExclusive) != 0)
        wasExclusive = 0;
#endif
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        ::close(fd);
        return refuse(ProbeFailureText(device, error, {}));
    }
    if (wasExclusive == 0)
        ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return true;
}

#endif
