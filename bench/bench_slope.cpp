// Slope mode as a host calls it: one call end to end with every file a
// slope-mode call writes (data file, its JSON record, three drawings, two
// books, .res) into a folder on the disk (/var/tmp, not a memory file system),
// one call that writes no file, the search example (200 slip surfaces over
// two piles) as calls per second, and the resident memory after 10,000 calls.
#include "KangLi.h"
#include "Messages.h"
#include "SlopeJson.h"
#include "WorkPaths.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

struct Scratch {
    std::string path;
    Scratch()
    {
        char tmpl[] = "/var/tmp/kangli-bench-XXXXXX";
        path = ::mkdtemp(tmpl) ? tmpl : "/var/tmp";
        G_strWorkPath = path + "/";
    }
    ~Scratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void OneCall(benchmark::State& state)
{
    SlopeModelFile model;
    std::string error;
    if (!LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json", model, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    Scratch scratch;
    g_lCurFAID = 1;
    g_lCurHMID = 1;
    const int files = static_cast<int>(state.range(0));
    for (auto _ : state) {
        CSlopeData slope = model.slope;
        slope.nKangLiWenJian = files;
        benchmark::DoNotOptimize(JiSuan_KangLi_Slp(&slope, 0));
    }
}
// 2 every file, 0 none.
BENCHMARK(OneCall)->Arg(kKangLiWenJianAll)->Arg(kKangLiWenJianNone)->Unit(benchmark::kMillisecond);

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

// 10,000 calls of a search over distinct slip surfaces, no files: the memory
// the process holds before and after.
void MemoryOver10000Calls(benchmark::State& state)
{
    SlopeModelFile model;
    std::string error;
    if (!LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json", model, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    Scratch scratch;
    g_lCurFAID = 1;
    long before = 0, after = 0;
    for (auto _ : state) {
        before = ResidentKiB();
        for (int i = 0; i < 10000; ++i) {
            CSlopeData slope = model.slope;
            slope.nKangLiWenJian = kKangLiWenJianNone;
            g_lCurHMID = i + 1;
            benchmark::DoNotOptimize(JiSuan_KangLi_Slp(&slope, 0));
        }
        after = ResidentKiB();
    }
    state.counters["RSS before (KiB)"] = static_cast<double>(before);
    state.counters["RSS after (KiB)"] = static_cast<double>(after);
}
BENCHMARK(MemoryOver10000Calls)->Unit(benchmark::kMillisecond)->Iterations(1);

void Search200Surfaces(benchmark::State& state)
{
    SlopeModelFile model;
    std::string error;
    if (!LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/search-200-surfaces.json", model, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    Scratch scratch;
    SetMessageSink([](const MessageRequest&) { return IDOK; });
    g_lCurFAID = model.scheme;
    int64_t calls = 0;
    for (auto _ : state) {
        CSlopeData slope = model.slope;
        for (const SlopeSurfaceEntry& e : model.surfaces)
            for (size_t i = 0; i < slope.KHPiles.size(); ++i) {
                MakeCallCurrent(slope, e, i);
                benchmark::DoNotOptimize(JiSuan_KangLi_Slp(&slope, static_cast<int>(i)));
                ++calls;
            }
    }
    state.counters["calls/s"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate);
    SetMessageSink(nullptr);
}
BENCHMARK(Search200Surfaces)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
