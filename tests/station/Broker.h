#pragma once

// A real mosquitto broker for one test, on a free loopback port with a
// configuration of its own in a temporary folder. It keeps its sessions on
// disk, so a subscriber's queued messages survive a restart of the broker.
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

class CBroker {
public:
    CBroker();
    ~CBroker() { Stop(); }

    // Empty when the mosquitto program is not installed.
    static std::string Program();

    bool Start();
    void Stop();
    int Port() const { return m_port; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    const std::string& Error() const { return m_error; }

private:
    CTempDir m_dir{"vx_broker"};
    int m_port = 0;
    std::unique_ptr<CChildProcess> m_process;
    std::string m_error;
};

// True once something accepts connections on the loopback port.
bool PortAccepts(int port);
