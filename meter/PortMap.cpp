#include "meter/PortMap.h"

#include "common/PrivateProfile.h"

std::string CPortMap::DevicePath(int port) const
{
    const CPrivateProfile profile(m_iniPath);
    if (const auto device = profile.ReadString(kOverrideSection, std::to_string(port)); device && !device->empty())
        return *device;
    return DefaultDevicePath(port);
}

std::string CPortMap::IgnoredFileNote() const
{
    const auto problem = CPrivateProfile(m_iniPath).Problem();
    if (!problem)
        return {};
    return "The port file \"" + m_iniPath + "\" is ignored: " + *problem + ".";
}

std::string CPortMap::DefaultDevicePath(int port)
{
    if (port < kFirstPort || port > kLastPort)
        return {};
#ifdef _WIN32
    if (port > 9)
        return "\\\\.\\COM" + std::to_string(port);
    return "COM" + std::to_string(port);
#else
    switch (port) {
    case 1: return "/dev/ttyUSB0";
    case 2: return "/dev/ttyUSB1";
    case 3: return "/dev/ttyACM0";
    case 4: return "/dev/ttyACM1";
    case 5: return "/dev/ttyS0";
    default: break;
    }
    if (port < 10)
        return "/dev/ttyS" + std::to_string(port - 5);
    if (port < 40)
        return "/dev/ttyUSB" + std::to_string(port - 10);
    if (port < 70)
        return "/dev/ttyACM" + std::to_string(port - 40);
    return "/dev/ttyS" + std::to_string(port - 70);
#endif
}
