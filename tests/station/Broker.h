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

    // A second listener with TLS, its server certificate for 127.0.0.1
    // signed by a throwaway certificate authority made here with openssl.
    // Before Start; false with Error() when openssl fails.
    bool EnableTls();
    // Makes another throwaway authority's certificate at path (one that
    // signed nothing of the broker's).
    static bool MakeAuthority(const std::string& folder, const std::string& name, std::string* error);
    std::string CaFile() const { return m_dir.File("ca.crt"); }
    std::string TlsAddress() const { return "127.0.0.1:" + std::to_string(m_tlsPort); }

    bool Start();
    void Stop();
    int Port() const { return m_port; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
    const std::string& Error() const { return m_error; }
    // What the broker logged (its clients' connections and protocol): all of
    // it once stopped, since it writes its log in blocks.
    std::string Log() const;

private:
    CTempDir m_dir{"vx_broker"};
    int m_port = 0;
    int m_tlsPort = 0;
    std::unique_ptr<CChildProcess> m_process;
    std::string m_error;
    std::string m_log;
};

// True once something accepts connections on the loopback port.
bool PortAccepts(int port);
