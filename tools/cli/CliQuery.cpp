#include "tools/cli/CliOptions.h"
#include "tools/cli/CliSignals.h"

#include "logger/DataFileWriter.h"

#include "station/IsoTime.h"
#include "station/StationDatabase.h"
#include "station/StationExport.h"
#include "station/StationJson.h"

#include <cstdio>
#include <string>
#include <vector>


namespace {

// What the DataLogger window opens of a data file.
constexpr std::size_t kMostDataFileReadings = 40000;

} // namespace

int RunQuery(const CliOptions& options)
{
    std::string error;
    const auto fail = [&](int code) {
        std::fprintf(stderr, "vexalog-cli query: %s\n", error.c_str());
        return code;
    };
    if (!options.Check({"db", "station", "from", "to", "txt", "csv", "json"}, 0, &error))
        return fail(kExitUsage);
    const auto db = options.Value("db");
    const auto fromText = options.Value("from");
    const auto toText = options.Value("to");
    const int outputs = options.Has("txt") + options.Has("csv") + options.Has("json");
    if (!db || !fromText || !toText || outputs != 1) {
        error = "give --db FILE, --from ISO, --to ISO and one of --txt OUT.txt, --csv OUT.csv or --json";
        return fail(kExitUsage);
    }
    const auto from = ParseUtc(*fromText);
    const auto to = ParseUtc(*toText);
    if (!from || !to) {
        error = "--from and --to want UTC times as 2026-12-08T16:00:00Z, not '" + (from ? *toText : *fromText) + "'";
        return fail(kExitUsage);
    }
    const std::string station = options.Value("station").value_or("");
    if (!station.empty() && !IsStationName(station)) {
        error = "--station wants a station's name, not '" + station + "'";
        return fail(kExitUsage);
    }
    CStationDatabase database;
    if (!database.OpenForReading(*db, &error))
        return fail(kExitFailed);
    IgnoreBrokenPipe();

    std::size_t count = 0;
    if (options.Has("json")) {
        bool broken = false;
        const bool ok = database.ForEachReading(station, *from, *to, [&](const std::string& name, const StationReading& r) {
            ++count;
            broken = std::printf("%s\n", ReadingJson(name, r).c_str()) < 0;
            return !broken;
        }, &error);
        if (!ok)
            return fail(kExitFailed);
        if (std::fflush(stdout) != 0 || broken) {
            error = "standard output is closed";
            return fail(kExitFailed);
        }
        return 0;
    }
    if (const auto out = options.Value("csv")) {
        CFileReplacement file;
        if (!file.Open(*out, &error) || !file.Write(CsvHeader(), &error))
            return fail(kExitFailed);
        bool written = true;
        if (!database.ForEachReading(station, *from, *to, [&](const std::string& name, const StationReading& r) {
                ++count;
                written = file.Write(CsvLine(name, r), &error);
                return written;
            }, &error) || !written || !file.Commit(&error))
            return fail(kExitFailed);
        std::printf("wrote %zu readings to %s\n", count, out->c_str());
        return 0;
    }

    // The data file holds one station: the DataLogger window splits its
    // record sets where the weighting changes, and says nothing of a meter
    // that went away, so the connected stretches are listed here.
    const std::string out = *options.Value("txt");
    std::vector<DataSample> samples;
    std::string stations;
    std::vector<std::int64_t> times;
    bool tooMany = false;
    if (!database.ForEachReading(station, *from, *to, [&](const std::string& name, const StationReading& r) {
            if (stations.empty())
                stations = name;
            if (name != stations) {
                stations = "*";
                return false;
            }
            if (samples.size() == kMostDataFileReadings) {
                tooMany = true;
                return false;
            }
            samples.push_back(DataSampleOf(r));
            times.push_back(r.tUtc);
            return true;
        }, &error))
        return fail(kExitFailed);
    if (stations == "*") {
        error = "the database holds more than one station: choose one with --station NAME";
        return fail(kExitUsage);
    }
    if (tooMany) {
        error = "a data file takes at most 40000 readings, as the DataLogger window opens them: narrow --from and "
                "--to, or write --csv";
        return fail(kExitUsage);
    }
    // The sampling rate of the header: the most common step between readings, in tenths of a second.
    std::vector<int> steps(36001, 0);
    for (std::size_t i = 1; i < times.size(); ++i) {
        const std::int64_t tenths = (times[i] - times[i - 1] + 50) / 100;
        if (tenths >= 1 && tenths <= 36000)
            ++steps[static_cast<std::size_t>(tenths)];
    }
    int rateTenths = 10;
    for (int t = 1; t <= 36000; ++t)
        if (steps[static_cast<std::size_t>(t)] > steps[static_cast<std::size_t>(rateTenths)])
            rateTenths = t;
    const double rate = rateTenths / 10.0;
    const DataFileWriteResult result =
        WriteDataFile(out, samples.data(), static_cast<int>(samples.size()), rate);
    if (!result.ok) {
        error = result.error;
        return fail(kExitFailed);
    }
    CStretches stretches(rate);
    for (const std::int64_t t : times)
        stretches.Add(t);
    std::printf("wrote %zu readings to %s\n", samples.size(), out.c_str());
    for (const ReadingStretch& s : stretches.All())
        std::printf("connected %s .. %s: %zu readings\n", FormatUtc(s.first).c_str(), FormatUtc(s.last).c_str(),
                    s.count);
    return 0;
}
