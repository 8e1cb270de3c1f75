#include "tests/station/Broker.h"

#include "tests/station/StationTestKit.h"

#include <csignal>
#include <cstdio>
#include <fstream>

#include <arpa/inet.h>
#include <pwd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// Started as root, mosquitto becomes the user mosquitto before it reads its
// certificates and writes its sessions: the folder and files are handed over.
void HandOver(const std::string& path)
{
    const passwd* user = ::getpwnam("mosquitto");
    if (::geteuid() == 0 && user != nullptr && ::chown(path.c_str(), user->pw_uid, user->pw_gid) != 0)
        std::perror(path.c_str());
}

} // namespace

bool PortAccepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

CBroker::CBroker() : m_port(FreePort())
{
    HandOver(m_dir.Path().string());
}

std::string CBroker::Program()
{
    for (const char* path : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto"})
        if (::access(path, X_OK) == 0)
            return path;
    return {};
}

namespace {

bool Openssl(const std::vector<std::string>& arguments, std::string* error)
{
    CChildProcess run("/usr/bin/openssl", arguments, {}, true);
    if (run.WaitExit(60000) == 0)
        return true;
    *error = "openssl " + arguments.front() + " failed: " + FinalOutput(run);
    return false;
}

} // namespace

bool CBroker::MakeAuthority(const std::string& folder, const std::string& name, std::string* error)
{
    return Openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                    folder + "/" + name + ".key", "-out", folder + "/" + name + ".crt", "-days", "2", "-subj",
                    "/CN=Vexalog test authority " + name},
                   error);
}

bool CBroker::EnableTls()
{
    const std::string folder = m_dir.Path().string();
    if (!MakeAuthority(folder, "ca", &m_error) ||
        !Openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                  folder + "/server.key", "-out", folder + "/server.crt", "-days", "2", "-subj", "/CN=127.0.0.1",
                  "-addext", "subjectAltName=IP:127.0.0.1", "-CA", CaFile(), "-CAkey", folder + "/ca.key"},
                 &m_error))
        return false;
    for (const char* file : {"ca.crt", "server.crt", "server.key"})
        HandOver(m_dir.File(file));
    m_tlsPort = FreePort();
    return m_tlsPort != 0;
}

std::string CBroker::Log() const
{
    return m_log + (m_process ? m_process->Output() : std::string());
}

bool CBroker::Start()
{
    const std::string config = m_dir.File("mosquitto.conf");
    {
        std::ofstream out(config);
        out << "per_listener_settings false\n"
            << "allow_anonymous true\n"
            << "persistence true\n"
            << "persistence_location " << m_dir.Path().string() << "/\n"
            << "autosave_interval 1\n"
            << "log_dest stdout\n"
            << "listener " << m_port << " 127.0.0.1\n";
        if (m_tlsPort != 0)
            out << "listener " << m_tlsPort << " 127.0.0.1\n"
                << "cafile " << CaFile() << "\n"
                << "certfile " << m_dir.File("server.crt") << "\n"
                << "keyfile " << m_dir.File("server.key") << "\n";
    }
    m_process = std::make_unique<CChildProcess>(Program(), std::vector<std::string>{"-c", config}, std::vector<std::string>{}, true);
    if (!m_process->Started() ||
        !WaitUntil([&] { return PortAccepts(m_port) && (m_tlsPort == 0 || PortAccepts(m_tlsPort)); }, 20000)) {
        m_error = "mosquitto did not start: " + m_process->Output();
        return false;
    }
    return true;
}

void CBroker::Stop()
{
    if (!m_process)
        return;
    m_process->Signal(SIGTERM);
    m_process->WaitExit(20000);
    m_log += FinalOutput(*m_process);
    m_process.reset();
}
