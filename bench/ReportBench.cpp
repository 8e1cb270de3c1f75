// The measurement report of a full import store (40000 readings, a day at
// 2 s) written to a PDF file: the goal is at most 1 s.
#include "common/ScriptedDialogs.h"
#include "graph/widgets/CPrintJob.h"
#include "report/ReportPrinting.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

std::vector<DataSample> Day(int count)
{
    std::vector<DataSample> samples;
    for (int i = 0; i < count; ++i) {
        const int t = 2 * i;
        DataSample sample;
        sample.valid = 1;
        sample.value = std::round((55.0 + 20.0 * std::fabs(std::sin(i / 500.0)) + i % 7) * 10.0) / 10.0;
        sample.date = std::to_string(7 + t / 86400) + "-3-2024";
        sample.time = std::to_string(t / 3600 % 24) + ":" + std::to_string(t / 60 % 60) + ":" + std::to_string(t % 60);
        sample.unit = "dBA";
        samples.push_back(sample);
    }
    return samples;
}

void BM_Report40000(benchmark::State& state)
{
    const std::vector<DataSample> samples = Day(40000);
    QTemporaryDir dir;
    const std::string pdf = dir.filePath(QStringLiteral("report.pdf")).toStdString();
    CScriptedDialogs dialogs;
    for (auto _ : state) {
        CPrintJob job(dialogs);
        ReportRequest request;
        if (PrintMeasurementReport(job, pdf, request, samples, "dBA", 2.0) != 0)
            state.SkipWithError("the report was not written");
    }
}
BENCHMARK(BM_Report40000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
