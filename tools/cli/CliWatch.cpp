#include "CliOptions.h"
#include "CliSignals.h"
#include "ConsoleDialogs.h"
#include "MeterDescription.h"

#include "Clock.h"
#include "MeterLink.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

namespace {

// Prints a line whenever the decoded display changes, and the link's comings and goings.
class CWatchListener final : public IMeterLinkListener {
public:
    explicit CWatchListener(const CMeterLink& link) : m_link(link) {}

    void BlockDecoded() override
    {
        if (m_link.Connected() && !m_wasConnected)
            Print("connected");
        m_wasConnected = m_link.Connected();
        const std::string line = DescribeMeterState(m_link.State());
        if (line != m_last) {
            m_last = line;
            Print(line);
        }
    }
    void LinkLost() override
    {
        if (m_wasConnected)
            Print("link lost");
        m_wasConnected = false;
    }

private:
    static void Print(const std::string& line)
    {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

    const CMeterLink& m_link;
    bool m_wasConnected = false;
    std::string m_last;
};

} // namespace

int RunWatch(const CliOptions& options)
{
    std::string error;
    std::optional<double> seconds;
    CliPort port;
    if (!options.Check({"port", "device", "ini", "seconds"}, 0, &error) ||
        !(seconds = options.Number("seconds", kLongestWait, 0.001, kLongestWait, "seconds", &error)) ||
        !ResolvePort(options, port, &error)) {
        std::fprintf(stderr, "vexalog-cli watch: %s\n", error.c_str());
        return kExitUsage;
    }
    CConsoleDialogs dialogs;
    CSystemClock clock;
    CMeterLink link(port.iniPath, dialogs, clock);
    CWatchListener listener(link);
    link.AddListener(listener);

    // Chosen as the program chooses a port: a lost link then watches this
    // port and opens it again when the meter is back.
    link.Link().ChoosePort(port.number);
    if (!link.Link().PortOpen())
        return kExitFailed;
    std::printf("watching port %d (%s)\n", port.number, link.PortMap().DevicePath(port.number).c_str());
    std::fflush(stdout);

    auto& app = *QCoreApplication::instance();
    QuitOnSignals(app);
    if (options.Has("seconds"))
        QTimer::singleShot(static_cast<int>(*seconds * 1000), &app, &QCoreApplication::quit);
    // Interrupting is the usual way to end watching.
    const int code = app.exec();
    return code >= kExitSignalled ? 0 : code;
}
