#pragma once

#include "meter/PortMap.h"

#include <string>

// Whether the device of a port number can be opened right now. Called from the
// UI thread before a port is opened and from the port watchers' threads, so
// implementations must be safe to call from any thread.
class IPortProbe {
public:
    virtual ~IPortProbe() = default;
    // On failure *reason (when given) gets one line naming the device and why
    // it cannot be opened.
    virtual bool Probe(int port, std::string* reason) = 0;
};

// Opens the mapped device read/write, non-blocking, without making it the
// controlling terminal, asks for exclusive use (so a port held by another
// program counts as unavailable) and closes it again at once.
class CPortProbe final : public IPortProbe {
public:
    explicit CPortProbe(const CPortMap& map) : m_map(map) {}
    bool Probe(int port, std::string* reason) override;

private:
    const CPortMap& m_map;
};

// The reason line for a device that failed to open with errorNumber. For a
// permission failure it names the group that owns the device (ownerGroup,
// empty when unknown), since that is what the user has to join.
std::string ProbeFailureText(const std::string& device, int errorNumber, const std::string& ownerGroup);

// The name of the group owning path, empty when it cannot be told.
std::string DeviceGroupName(const std::string& path);

// Whether the device is there at all (an adapter plugged in, a link that
// exists), told without opening it: the menu asks whenever it opens.
bool DevicePresent(const std::string& device);

// The status-bar prompt of a port item: the number, the device it stands for
// and whether that is present, "Port1: /dev/ttyUSB0 (not present)".
std::string PortPrompt(const CPortMap& map, int port);
