#include "tests/station/Postgres.h"

#include "tests/station/StationTestKit.h"

#include <libpq-fe.h>

#include <filesystem>

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr const char* kUser = "vexalog-test";

std::string BinFolder()
{
    std::error_code error;
    std::string best;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", error))
        if (::access((entry.path() / "bin/initdb").c_str(), X_OK) == 0 && entry.path().string() > best)
            best = entry.path().string();
    return best.empty() ? best : best + "/bin";
}

int RunToEnd(const std::vector<std::string>& command, std::string* output)
{
    CChildProcess run(command.front(), {command.begin() + 1, command.end()}, {}, true);
    const int code = run.WaitExit(120000);
    *output = run.Output();
    return code;
}

} // namespace

std::string CPostgres::Missing()
{
    if (BinFolder().empty())
        return "PostgreSQL's initdb and postgres are not installed (scripts/install-deps.sh installs them)";
    if (::geteuid() == 0 && ::getpwnam(kUser) == nullptr)
        return std::string("running as root without the user ") + kUser + " (scripts/install-deps.sh creates it)";
    return {};
}

std::vector<std::string> CPostgres::As(const std::string& program) const
{
    const std::string path = BinFolder() + "/" + program;
    if (::geteuid() == 0)
        return {"/usr/sbin/runuser", "-u", kUser, "--", path};
    return {path};
}

bool CPostgres::Start()
{
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam(kUser);
        if (user == nullptr || ::chown(m_dir.Path().c_str(), user->pw_uid, user->pw_gid) != 0) {
            m_error = "cannot hand the cluster's folder to " + std::string(kUser);
            return false;
        }
    }
    const std::string data = m_dir.File("data");
    auto initdb = As("initdb");
    initdb.insert(initdb.end(), {"-D", data, "-U", "postgres", "-A", "trust", "--no-sync", "-E", "UTF8", "--locale=C"});
    std::string output;
    // A cluster made by an earlier start is started again as it stands.
    if (!std::filesystem::exists(data + "/PG_VERSION") && RunToEnd(initdb, &output) != 0) {
        m_error = "initdb failed: " + output;
        return false;
    }
    auto postgres = As("postgres");
    postgres.insert(postgres.end(), {"-D", data, "-k", m_dir.Path().string(), "-c", "listen_addresses=", "-c",
                                     "fsync=off", "-p", "5432"});
    m_server = std::make_unique<CChildProcess>(postgres.front(), std::vector<std::string>{postgres.begin() + 1, postgres.end()},
                                               std::vector<std::string>{}, true);
    const std::string conninfo = ConnInfo();
    if (!WaitUntil([&] { return PQping(conninfo.c_str()) == PQPING_OK; }, 60000)) {
        m_error = "postgres did not start: " + m_server->Output();
        return false;
    }
    return true;
}

void CPostgres::Stop()
{
    if (!m_server)
        return;
    auto stop = As("pg_ctl");
    stop.insert(stop.end(), {"stop", "-D", m_dir.File("data"), "-m", "fast", "-w"});
    std::string output;
    RunToEnd(stop, &output);
    m_server->WaitExit(30000);
    m_server.reset();
}
