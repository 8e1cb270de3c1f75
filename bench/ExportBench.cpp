// Export Data of a full real-time store: 40000 readings through CSheetFile,
// every statement through the workbook driver, the .xls file written; the
// same through vexalog-cli, start included; and 30000 readings into a
// workbook that already holds 30000, changed at record level.
#include "logger/ExportWorker.h"
#include "workbook/WorkbookDriver.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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
            for (const char* name : {"/store.xls", "/store.txt", "/old.xls"})
                std::remove((m_path + name).c_str());
            ::rmdir(m_path.c_str());
        }
    }
    std::string File(const char* name = "/store.xls") const { return m_path + name; }

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

void BM_CliExport40000(benchmark::State& state)
{
    const CBenchDir dir;
    const std::string data = dir.File("/store.txt");
    {
        std::ofstream out(data, std::ios::binary);
        out << "ORVANTIS LX47 DATA LOGGER SamplingRate:1;\r\r\n";
        for (const DataSample& s : FullStore()) {
            char value[32];
            std::snprintf(value, sizeof value, "%5.2f", s.value);
            out << s.date << ", " << s.time << ", " << value << ", " << s.unit << "\r\r\n";
        }
    }
    const std::string path = dir.File();
    std::string cli = VEXALOG_CLI;
    std::string command = "export";
    std::string in = data;
    std::string out = path;
    char* arguments[] = {cli.data(), command.data(), in.data(), out.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(path.c_str());
        state.ResumeTiming();
        pid_t child = -1;
        int status = -1;
        if (posix_spawn(&child, cli.c_str(), &actions, nullptr, arguments, environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("vexalog-cli export failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetItemsProcessed(state.iterations() * 40000);
}
BENCHMARK(BM_CliExport40000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Export30000IntoAWorkbookOf30000(benchmark::State& state)
{
    std::vector<DataSample> samples = FullStore();
    samples.resize(30000);
    const CBenchDir dir;
    const std::string path = dir.File();
    if (!ExportReadings(path, samples.data(), 30000).ok) {
        state.SkipWithError("the first export failed");
        return;
    }
    std::string old;
    {
        std::ifstream in(path, std::ios::binary);
        old.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << old;
        state.ResumeTiming();
        const ExportResult result = ExportReadings(path, samples.data(), 30000);
        if (!result.ok) {
            state.SkipWithError(result.message.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 30000);
}
BENCHMARK(BM_Export30000IntoAWorkbookOf30000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
