#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSignals.h"
#include "tools/cli/ConsoleDialogs.h"

#include "common/Clock.h"
#include "common/NumberText.h"
#include "logger/DataFileWriter.h"
#include "logger/DataLoggerModel.h"
#include "meter/MeterLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace {

constexpr double kDefaultTimeout = 10.0;
constexpr double kLongestTimeout = 3600.0;

// The download starts once the stream is decoded: only then are the reply's
// chunks told from real-time data.
class CBlockSeen final : public IMeterLinkListener {
public:
    bool BlockSeen() const { return m_blockSeen; }

    void BlockDecoded() override { m_blockSeen = true; }

private:
    bool m_blockSeen = false;
};

std::string SetFileName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "set-%03d.txt", number);
    return name;
}

// Writes every intact set of a finished download into folder; the exit code:
// not 0 when the reply was incomplete or damaged, even though the rest is written.
int WriteSets(const LoggerDownloadResult& result, const std::filesystem::path& folder, const IClock& clock)
{
    CDataLoggerModel model(clock);
    const int rows = model.LoadRecordSets(result.data, result.sets, kRecordSetTableSize - 1);
    const std::string message = result.Message();
    std::size_t from = 0;
    while (from < message.size()) {
        const std::size_t end = std::min(message.find('\n', from), message.size());
        std::fprintf(stderr, "vexalog-cli download: %s\n", message.substr(from, end - from).c_str());
        from = end + 1;
    }
    const int done = result.Damaged() ? kExitFailed : 0;
    if (rows == 0) {
        std::printf("the meter's reply held no record set\n");
        return done;
    }
    for (int row = 0; row < rows; ++row) {
        if (model.Open(row, 0) != OpenStatus::Opened) {
            std::fprintf(stderr, "vexalog-cli download: Memory OverFlow! at set %d\n", row + 1);
            return kExitFailed;
        }
        const std::string path = (folder / SetFileName(row + 1)).string();
        const auto& samples = model.OpenedSamples();
        const DataFileWriteResult written =
            WriteDataFile(path, samples.data(), static_cast<int>(samples.size()), model.SaveRate());
        if (!written.ok) {
            std::fprintf(stderr, "vexalog-cli download: %s\n", written.error.c_str());
            return kExitFailed;
        }
        const DataLoggerRow& line = model.Rows()[static_cast<std::size_t>(row)];
        std::printf("%3s  %s %s  %s  rate %s s  %s %s  %s\n", line.set.c_str(), line.date.c_str(), line.time.c_str(),
                    line.unit.c_str(), line.rate.c_str(), line.nums.c_str(), line.nums == "1" ? "sample" : "samples",
                    path.c_str());
    }
    std::fflush(stdout);
    return done;
}

} // namespace

int RunDownload(const CliOptions& options)
{
    std::string error;
    CliPort port;
    const auto out = options.Value("out");
    std::optional<double> timeout;
    if (!options.Check({"port", "device", "ini", "out", "timeout"}, 0, &error) ||
        !(timeout = options.Number("timeout", kDefaultTimeout, 0.001, kLongestTimeout, "seconds", &error)) ||
        !ResolvePort(options, port, &error)) {
        std::fprintf(stderr, "vexalog-cli download: %s\n", error.c_str());
        return kExitUsage;
    }
    if (!out) {
        std::fputs("vexalog-cli download: give the folder for the sets with --out DIR\n", stderr);
        return kExitUsage;
    }
    const std::filesystem::path folder(*out);
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (!std::filesystem::is_directory(folder, failure)) {
        std::fprintf(stderr, "vexalog-cli download: %s is no folder that can be written\n", out->c_str());
        return kExitFailed;
    }

    CConsoleDialogs dialogs;
    CSystemClock clock;
    CBlockSeen client;
    CMeterLink link(port.iniPath, dialogs, clock);
    link.AddListener(client);
    if (!link.Link().OpenPort(port.number))
        return kExitFailed;
    std::printf("asking the meter on %s for its data logger\n",
                PortName(port, link.PortMap().DevicePath(port.number)).c_str());
    std::fflush(stdout);

    auto& app = *QCoreApplication::instance();
    int result = -1;
    QElapsedTimer quiet; // since the request began, or the reply last moved on
    quiet.start();
    QObject::connect(&link, &CMeterLink::DownloadProgressed, &app, [&](int, int) { quiet.restart(); });
    QObject::connect(&link, &CMeterLink::DownloadFinished, &app, [&](const LoggerDownloadResult& ended) {
        switch (ended.outcome) {
        case DownloadOutcome::Finished:
            result = WriteSets(ended, folder, clock);
            break;
        case DownloadOutcome::Empty:
            std::printf("%s\n", kNoLoggerDataText);
            result = 0;
            break;
        case DownloadOutcome::OutOfMemory:
        case DownloadOutcome::LinkLost:
        case DownloadOutcome::Cancelled:
            std::fprintf(stderr, "vexalog-cli download: %s\n", ended.Message().c_str());
            result = ended.outcome == DownloadOutcome::LinkLost ? kExitLinkLost : kExitFailed;
            break;
        }
        app.quit();
    });
    QTimer watch;
    bool started = false;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!started && client.BlockSeen())
            started = link.StartDownload();
        if (quiet.elapsed() > static_cast<qint64>(*timeout * 1000.0)) {
            std::fprintf(stderr, "vexalog-cli download: the meter did not answer within %s s\n",
                         FormatGeneral(*timeout).c_str());
            result = kExitTimedOut;
            app.quit();
        }
    });
    watch.start(50);
    QuitOnSignals(app);
    app.exec();
    if (result < 0) {
        std::fputs("vexalog-cli download: interrupted\n", stderr);
        return kExitFailed;
    }
    return result;
}
