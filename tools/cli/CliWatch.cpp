#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSignals.h"
#include "tools/cli/ConsoleDialogs.h"
#include "tools/cli/MeterDescription.h"

#include "common/Clock.h"
#include "meter/MeterLink.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

namespace {

// Prints a line whenever the decoded display changes, stamped with the PC's
// time, and the link's comings and goings on standard error, so that the
// lines on standard output are all of one format.
class CWatchListener final : public IMeterLinkListener {
public:
    CWatchListener(const CMeterLink& link, WatchFormat format) : m_link(link), m_format(format) {}

    void BlockDecoded() override
    {
        if (m_link.Connected() && !m_wasConnected)
            Status("connected");
        m_wasConnected = m_link.Connected();
        // A change is a change of the display, not of the stamp.
        const std::string line = DescribeMeterState(m_link.State());
        if (line != m_last) {
            m_last = line;
            std::printf("%s\n", WatchLine(m_link.State(), m_format, PcTimeStamp()).c_str());
            std::fflush(stdout);
        }
    }
    void LinkLost() override
    {
        if (m_wasConnected)
            Status("link lost");
        m_wasConnected = false;
    }

    static void Status(const std::string& line)
    {
        std::fprintf(stderr, "%s  %s\n", PcTimeStamp().c_str(), line.c_str());
        std::fflush(stderr);
    }

private:
    const CMeterLink& m_link;
    const WatchFormat m_format;
    bool m_wasConnected = false;
    std::string m_last;
};

std::optional<WatchFormat> FormatOf(const std::string& name)
{
    if (name == "text")
        return WatchFormat::Text;
    if (name == "csv")
        return WatchFormat::Csv;
    if (name == "json")
        return WatchFormat::Json;
    return std::nullopt;
}

} // namespace

int RunWatch(const CliOptions& options)
{
    std::string error;
    std::optional<double> seconds;
    CliPort port;
    const auto format = FormatOf(options.Value("format").value_or("text"));
    if (!format)
        error = "--format wants text, csv or json, not '" + *options.Value("format") + "'";
    if (!options.Check({"port", "device", "ini", "seconds", "format"}, 0, &error) || !format ||
        !(seconds = options.Number("seconds", kLongestWait, 0.001, kLongestWait, "seconds", &error)) ||
        !ResolvePort(options, port, &error)) {
        std::fprintf(stderr, "vexalog-cli watch: %s\n", error.c_str());
        return kExitUsage;
    }
    CConsoleDialogs dialogs;
    CSystemClock clock;
    CMeterLink link(port.iniPath, dialogs, clock);
    CWatchListener listener(link, *format);
    link.AddListener(listener);

    // Chosen as the program chooses a port: a lost link then watches this
    // port and opens it again when the meter is back.
    link.Link().ChoosePort(port.number);
    if (!link.Link().PortOpen())
        return kExitFailed;
    CWatchListener::Status("watching " + PortName(port, link.PortMap().DevicePath(port.number)));
    if (*format == WatchFormat::Csv) {
        std::printf("%s\n", kWatchCsvHeader);
        std::fflush(stdout);
    }

    auto& app = *QCoreApplication::instance();
    QuitOnSignals(app);
    if (options.Has("seconds"))
        QTimer::singleShot(static_cast<int>(*seconds * 1000), &app, &QCoreApplication::quit);
    // Interrupting is the usual way to end watching.
    const int code = app.exec();
    return code >= kExitSignalled ? 0 : code;
}
