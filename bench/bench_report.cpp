// What kangli report writes for the 30 m example: the calculation, the data
// file, three DXF drawings and both books (the detailed one with its vector
// picture), into a scratch folder. With the argument 1 a PNG beside each
// drawing as well, as every report wrote before the books took vector pictures.
#include "CalculationFiles.h"
#include "CanvasWriters.h"
#include "KangLiJiSuan.h"
#include "PelvorinData.h"
#include "RecordFile.h"
#include "WorkPaths.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

void Report(benchmark::State& state)
{
    char tmpl[] = "/tmp/kangli-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string dir = std::string(tmpl) + "/";
    const bool pictures = state.range(0) == 1;
    CalculationFiles where;
    where.folder = dir;
    where.drawingWriter = WriteCanvas;
    where.pictures = pictures;
    CPelvorinData record;
    InitKangLiData(&record);
    std::string error;
    if (!LoadRecordFile(KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json", record, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        CKangLiJiSuan calc;
        calc.pData = &record;
        calc.JiSuan();
        if (!WriteCalculationFiles(record, calc, where).Complete()) {
            state.SkipWithError("a file was not written");
            break;
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(tmpl, ec);
}
BENCHMARK(Report)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
