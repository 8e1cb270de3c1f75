// Export Data of a full real-time store: 40000 readings through CSheetFile,
// every statement through the workbook driver, the .xls file written.
#include "ExportWorker.h"
#include "workbook/WorkbookDriver.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::vector<DataSample> FullStore()
{
    std::vector<DataSample> samples(40000);
    for (int i = 0; i < 40000; ++i) {
        DataSample& s = samples[static_cast<std::size_t>(i)];
        const int t = 9 * 3600 + i;
        char time[16];
        std::snprintf(time, sizeof time, "%d:%02d:%02d", t / 3600 % 24, t / 60 % 60, t % 60);
        s.valid = 1;
        s.date = "7-3-2007";
        s.time = time;
        s.value = 40.0 + (i % 900) / 10.0;
        s.unit = i < 20000 ? "dBA" : "dBC";
    }
    return samples;
}

// A folder of its own in the temporary folder, removed at the end.
class CBenchDir {
public:
    CBenchDir()
    {
        char pattern[] = "/tmp/vx_exportbench.XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            m_path = pattern;
    }
    ~CBenchDir()
    {
        if (!m_path.empty()) {
            std::remove((m_path + "/store.xls").c_str());
            ::rmdir(m_path.c_str());
        }
    }
    std::string File() const { return m_path + "/store.xls"; }

private:
    std::string m_path;
};

void BM_Export40000(benchmark::State& state)
{
    const std::vector<DataSample> samples = FullStore();
    const CBenchDir dir;
    const std::string path = dir.File();
    for (auto _ : state) {
        // Every round exports into a new workbook, as a first export does.
        state.PauseTiming();
        std::remove(path.c_str());
        state.ResumeTiming();
        CWorkbookDriver driver;
        const ExportResult result = ExportReadings(path, samples.data(), static_cast<int>(samples.size()), &driver);
        if (!result.ok || driver.StatementCount() != 40000 + 2) {
            state.SkipWithError(result.message.c_str());
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * 40000);
}
BENCHMARK(BM_Export40000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
