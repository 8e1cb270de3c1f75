#pragma once

// A temporary PostgreSQL cluster for one test: initdb into a temporary
// folder, the server on a Unix socket there and no TCP port. initdb and
// postgres refuse to run as root, so under root (CI) they run as the
// unprivileged user vexalog-test that scripts/install-deps.sh creates.
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

class CPostgres {
public:
    CPostgres() = default;
    ~CPostgres() { Stop(); }

    // Why the cluster cannot be made here (the programs are missing, or
    // the user under root), or empty.
    static std::string Missing();

    // Makes the cluster on the first start; a start after Stop runs the
    // same cluster again.
    bool Start();
    void Stop();
    std::string ConnInfo() const { return "host=" + m_dir.Path().string() + " port=5432 user=postgres dbname=postgres"; }
    const std::string& Error() const { return m_error; }

private:
    std::vector<std::string> As(const std::string& program) const;

    CTempDir m_dir{"vx_pg"};
    std::unique_ptr<CChildProcess> m_server;
    std::string m_error;
};
