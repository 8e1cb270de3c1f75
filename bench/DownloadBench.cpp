// A download of the meter's whole logger, as many record sets as the table
// holds (999), against one of 5: the reply's check, the model's list and the
// DataLogger window showing it. The window should be as quick with 999 sets
// as a user can tell from 5.
#include "common/Clock.h"
#include "common/ScriptedDialogs.h"
#include "logger/DataLoggerModel.h"
#include "logger/widgets/CDataLoggerDlg.h"
#include "meter/LoggerReplyCheck.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// n sets of 20 readings (49 bytes each), dBA and dBC in turn: 999 of them
// fill 48951 of the 65435 bytes a reply can announce.
std::vector<std::uint8_t> Reply(int n)
{
    std::vector<std::uint8_t> data;
    for (int i = 0; i < n; ++i) {
        const std::uint8_t set[] = {static_cast<std::uint8_t>(i % 2 ? 0xCC : 0xAA), 0x24, 0x03, 0x07, 0x09, 0x05,
                                    0x00, 0x01, 0x00};
        data.insert(data.end(), std::begin(set), std::end(set));
        for (int k = 0; k < 20; ++k) {
            data.push_back(0x06);
            data.push_back(static_cast<std::uint8_t>(0x10 * (k % 10)));
        }
    }
    return data;
}

void BM_CheckReply(benchmark::State& state)
{
    const std::vector<std::uint8_t> data = Reply(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckLoggerReply(data, false));
}

void BM_ModelList(benchmark::State& state)
{
    const std::vector<std::uint8_t> data = Reply(static_cast<int>(state.range(0)));
    const LoggerReplyCheck check = CheckLoggerReply(data, false);
    CSystemClock clock;
    CDataLoggerModel model(clock);
    for (auto _ : state)
        benchmark::DoNotOptimize(model.LoadRecordSets(data, check.sets));
}

void BM_WindowList(benchmark::State& state)
{
    const std::vector<std::uint8_t> data = Reply(static_cast<int>(state.range(0)));
    const LoggerReplyCheck check = CheckLoggerReply(data, false);
    CSystemClock clock;
    CScriptedDialogs dialogs;
    CDataLoggerDlg window(dialogs, clock);
    window.show();
    for (auto _ : state) {
        window.LoadRecordSets(data, check.sets);
        QApplication::processEvents(); // the list drawn with its rows
    }
}

} // namespace

BENCHMARK(BM_CheckReply)->Arg(5)->Arg(999)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModelList)->Arg(5)->Arg(999)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowList)->Arg(5)->Arg(999)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
