#pragma once

#include <string>

// Which device a COM port number stands for.
//
// On Windows the number is the COM port itself: "COM3", and "\\.\COM12" for
// numbers above 9 (the only form the file API accepts for those).
//
// On Linux device names are not numbered like COM ports and the kernel's
// numbering of USB adapters is not stable, so one fixed rule maps the numbers,
// chosen so that the usual USB serial adapters are reachable from the
// Com1..Com5 menu items without editing any file:
//
//   Com1 /dev/ttyUSB0   Com2 /dev/ttyUSB1   Com3 /dev/ttyACM0
//   Com4 /dev/ttyACM1   Com5 /dev/ttyS0
//   6..9    /dev/ttyS1 .. /dev/ttyS4      (n - 5)
//   10..39  /dev/ttyUSB0 .. /dev/ttyUSB29 (n - 10)
//   40..69  /dev/ttyACM0 .. /dev/ttyACM29 (n - 40)
//   70..100 /dev/ttyS0 .. /dev/ttyS30     (n - 70)
//
// Any number can be pointed elsewhere in the port file (TempPort.ini) in a
// section of its own, on every platform:
//
//   [Port Devices]
//   12=/tmp/ttyLX47
//
// The "Port Record" section of the same file is left to the remembered port.
class CPortMap {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 100;
    static constexpr const char* kOverrideSection = "Port Devices";
    // ".\TempPort.ini": the port file in the working directory.
    static constexpr const char* kPortFile = "TempPort.ini";

    explicit CPortMap(std::string iniPath) : m_iniPath(std::move(iniPath)) {}

    // The device of port n: the override when the file names one, otherwise
    // the fixed rule; empty when n has no device (outside 1..100 without an
    // override). Reads the file on each call, so it is safe from any thread.
    std::string DevicePath(int port) const;

    // The fixed rule alone.
    static std::string DefaultDevicePath(int port);

    // A sentence naming the port file and why it is ignored (too large, not a
    // regular file), so the overrides it may hold are not missed silently;
    // empty when the file is used or absent.
    std::string IgnoredFileNote() const;

    const std::string& IniPath() const { return m_iniPath; }

private:
    std::string m_iniPath;
};
