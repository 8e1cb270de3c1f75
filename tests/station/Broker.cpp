#include "tests/station/Broker.h"

#include "tests/station/StationTestKit.h"

#include <csignal>
#include <fstream>

#include <arpa/inet.h>
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

CBroker::CBroker() : m_port(FreePort()) {}

std::string CBroker::Program()
{
    for (const char* path : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto"})
        if (::access(path, X_OK) == 0)
            return path;
    return {};
}

bool CBroker::Start()
{
    const std::string config = m_dir.File("mosquitto.conf");
    std::ofstream(config) << "listener " << m_port << " 127.0.0.1\n"
                          << "allow_anonymous true\n"
                          << "persistence true\n"
                          << "persistence_location " << m_dir.Path().string() << "/\n"
                          << "autosave_interval 1\n"
                          << "log_dest stdout\n";
    m_process = std::make_unique<CChildProcess>(Program(), std::vector<std::string>{"-c", config}, std::vector<std::string>{}, true);
    if (!m_process->Started() || !WaitUntil([&] { return PortAccepts(m_port); }, 20000)) {
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
    m_process.reset();
}
