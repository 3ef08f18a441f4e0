// Design studies: a sweep of 10,000 combinations with its CSV text, and the
// batch of 1,000 record files (read, checked, calculated, one row each).
#include "BenchRecords.h"
#include "RecordFile.h"
#include "Study.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

CPelvorinData Example()
{
    CPelvorinData record;
    InitKangLiData(&record);
    std::string error;
    LoadRecordFile(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json", record, &error);
    return record;
}

void Sweep10000(benchmark::State& state)
{
    const CPelvorinData record = Example();
    std::vector<StudyRange> ranges(2);
    std::string error;
    // Every combination buildable (spacing at least twice the diameter), so
    // that all 10,000 are calculated.
    ParseStudyRange("fZhuangJianJu=6:10.95:0.05", record, ranges[0], &error);
    ParseStudyRange("fZhuangJing=0.8:2.78:0.02", record, ranges[1], &error);
    for (auto _ : state) {
        const std::vector<StudyPoint> points = Sweep(record, ranges);
        std::string csv;
        for (const StudyPoint& p : points)
            csv += Fixed(p.values[0], 4) + "," + Fixed(p.values[1], 4) + "," + Fixed(p.result.atSlip, 3) + "\n";
        benchmark::DoNotOptimize(csv.data());
        state.counters["combinations"] = static_cast<double>(points.size());
    }
}
BENCHMARK(Sweep10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The design search over 10,000 piles of the m-method design example, each
// with its internal forces and every check: spacing x length x section.
void Design10000WithForces(benchmark::State& state)
{
    CPelvorinData record;
    if (!BenchRecord("design/rectangular-pile-soil-layers.json", record, state))
        return;
    std::string error;
    std::vector<StudyRange> ranges(3);
    ParseStudyRange("fZhuangJianJu=4:8.75:0.25", record, ranges[0], &error);  // 20
    ParseStudyRange("fZhuangChang=20:44.5:0.5", record, ranges[1], &error);   // 50
    ParseStudyRange("fZhuangGao=2:3.9:0.2", record, ranges[2], &error);      // 10
    for (auto _ : state) {
        const std::vector<StudyPoint> points = Sweep(record, ranges, true);
        const DesignRanking ranking = RankDesigns(points, DesignThrust(record));
        benchmark::DoNotOptimize(ranking.carrying.data());
        state.counters["combinations"] = static_cast<double>(points.size());
        state.counters["passing"] = static_cast<double>(ranking.carrying.size());
    }
}
BENCHMARK(Design10000WithForces)->Unit(benchmark::kMillisecond)->UseRealTime();

void Batch1000Files(benchmark::State& state)
{
    char tmpl[] = "/tmp/kangli-batch-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    CPelvorinData record = Example();
    std::vector<std::string> files;
    for (int i = 0; i < 1000; ++i) {
        record.fZhuangJianJu = 2.0f + 0.004f * static_cast<float>(i);
        files.push_back(std::string(tmpl) + "/r" + std::to_string(i) + ".json");
        std::string error;
        SaveRecordFile(files.back(), record, &error);
    }
    for (auto _ : state) {
        double sum = 0;
        for (const std::string& f : files) {
            CPelvorinData r;
            InitKangLiData(&r);
            std::string error;
            if (LoadRecordFile(f, r, &error))
                sum += Study(r).atSlip;
        }
        benchmark::DoNotOptimize(sum);
    }
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
}
BENCHMARK(Batch1000Files)->Unit(benchmark::kMillisecond);

} // namespace
