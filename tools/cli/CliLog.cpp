#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSignals.h"
#include "tools/cli/CliStation.h"

#include "common/Clock.h"
#include "common/DialogSeam.h"
#include "meter/MeterLink.h"

#include "station/IsoTime.h"
#include "station/MqttPublisher.h"
#include "station/StationLogger.h"
#include "station/StationSampler.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// Messages of the link go to standard error, each only once in a row: a
// station that waits for its meter tries the port again and again.
class CQuietDialogs final : public IDialogSeam {
public:
    MsgAnswer MessageBox(const std::string& caption, const std::string& text, MsgButtons, MsgIcon) override
    {
        if (text != m_last) {
            m_last = text;
            std::string oneLine = text;
            for (char& c : oneLine)
                if (c == '\r' || c == '\n')
                    c = ' ';
            std::fprintf(stderr, "vexalog-cli log: %s: %s\n", caption.c_str(), oneLine.c_str());
        }
        return MsgAnswer::Ok;
    }
    std::optional<std::string> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<PrinterChoice> ChoosePrinter(int) override { return std::nullopt; }
    void Forget() { m_last.clear(); }

private:
    std::string m_last;
};

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The link's comings and goings: printed, and a lost link opens a gap.
class CLinkEvents final : public IMeterLinkListener {
public:
    CLinkEvents(const CMeterLink& link, CStationLogger& logger, CQuietDialogs& dialogs)
        : m_link(link), m_logger(logger), m_dialogs(dialogs)
    {
    }
    void BlockDecoded() override
    {
        if (m_link.Connected() && !m_connected) {
            Say("connected");
            m_dialogs.Forget();
        }
        m_connected = m_link.Connected();
    }
    void LinkLost() override
    {
        if (m_connected)
            Say("link lost");
        m_connected = false;
        m_logger.LinkLost(UtcNowMs());
    }

private:
    const CMeterLink& m_link;
    CStationLogger& m_logger;
    CQuietDialogs& m_dialogs;
    bool m_connected = false;
};

} // namespace

int RunLog(const CliOptions& options)
{
    std::string error;
    const auto fail = [&](int code) {
        std::fprintf(stderr, "vexalog-cli log: %s\n", error.c_str());
        return code;
    };
    if (options.Has("mqtt-password")) {
        error = "a password is not taken on the command line, where ps shows it: give it in VEXALOG_MQTT_PASSWORD "
                "or with --mqtt-password-file FILE";
        return fail(kExitUsage);
    }
    std::vector<std::string> names = {"port", "device", "ini", "db", "station", "interval", "period", "ha-discovery"};
    names.insert(names.end(), kMqttOptionNames.begin(), kMqttOptionNames.end());
    if (!options.Check(names, 0, &error))
        return fail(kExitUsage);
    const auto interval = options.Number("interval", 1.0, 0.1, 3600.0, "seconds", &error);
    const auto period = options.Integer("period", 60, 1, 86400, "seconds", &error);
    if (!interval || !period)
        return fail(kExitUsage);
    const auto station = StationName(options, &error);
    if (!station)
        return fail(kExitUsage);
    MqttSettings mqtt;
    std::string prefix;
    if (options.Has("mqtt") && !ReadMqttOptions(options, mqtt, prefix, &error))
        return fail(kExitUsage);
    if (!options.Has("mqtt") && (options.Has("topic") || options.Has("ha-discovery"))) {
        error = "--topic and --ha-discovery go with --mqtt HOST[:PORT]";
        return fail(kExitUsage);
    }
    CliPort port;
    if (!ResolvePort(options, port, &error))
        return fail(kExitUsage);

    const std::string dbPath = options.Value("db").value_or("vexalog-" + *station + ".sqlite");
    CStationDatabase database;
    if (!database.Open(dbPath, &error))
        return fail(kExitFailed);
    // An unreachable broker does not stop the station: intervals wait in the database.
    std::unique_ptr<CMqttPublisher> publisher;
    if (options.Has("mqtt")) {
        publisher = std::make_unique<CMqttPublisher>(mqtt, prefix, *station, options.Has("ha-discovery"));
        if (!publisher->Start(&error))
            return fail(kExitFailed);
    }
    CStationLogger logger(database, {*station, *interval, *period}, publisher.get());
    if (!logger.Resume(UtcNowMs(), &error))
        return fail(kExitFailed);

    CQuietDialogs dialogs;
    CSystemClock clock;
    CMeterLink link(port.iniPath, dialogs, clock);
    CLinkEvents events(link, logger, dialogs);
    CStationSampler sampler(link.State(), clock, &UtcNowMs, *interval,
                            [&logger](const StationReading& reading) { logger.Reading(reading); });
    link.AddListener(events);
    link.AddListener(sampler);

    auto& app = *QCoreApplication::instance();
    // One transaction a second at most: what a kill -9 or a power cut can lose.
    QTimer tick;
    bool failed = false;
    QObject::connect(&tick, &QTimer::timeout, &app, [&] {
        if (!failed && !logger.Tick(UtcNowMs(), &error)) {
            std::fprintf(stderr, "vexalog-cli log: %s\n", error.c_str());
            failed = true;
            QCoreApplication::exit(kExitFailed);
        }
    });
    tick.start(1000);
    // A meter that is not there at the start is waited for: its port is
    // tried again every few seconds until it opens; from then on a lost link
    // watches the port as watch does.
    QTimer retry;
    QObject::connect(&retry, &QTimer::timeout, &app, [&] {
        link.SerialLink().ChoosePort(port.number);
        if (link.SerialLink().PortOpen())
            retry.stop();
    });
    link.SerialLink().ChoosePort(port.number);
    if (!link.SerialLink().PortOpen()) {
        std::fprintf(stderr, "vexalog-cli log: waiting for the meter on port %d\n", port.number);
        retry.start(3000);
    }
    Say("logging port " + std::to_string(port.number) + " (" + link.PortMap().DevicePath(port.number) +
        ") as station " + *station + " into " + dbPath);

    QuitOnSignals(app);
    IgnoreBrokenPipe();
    // A file grown to the most the process may write (ulimit -f) fails the
    // write, said as a full disk, instead of ending the station unannounced.
    std::signal(SIGXFSZ, SIG_IGN);
    const int code = QCoreApplication::exec();
    tick.stop();
    retry.stop();
    link.RemoveListener(sampler);
    link.RemoveListener(events);
    // After a failed write the same write would fail again: said once.
    const bool finished = failed || logger.Finish(UtcNowMs(), &error);
    if (publisher)
        publisher->Stop();
    if (failed || !finished) {
        if (!failed)
            std::fprintf(stderr, "vexalog-cli log: %s\n", error.c_str());
        return kExitFailed;
    }
    Say("stopped after " + std::to_string(logger.ReadingsWritten()) + " readings and " +
        std::to_string(logger.IntervalsWritten()) + " intervals");
    return code >= kExitSignalled ? 0 : code;
}
