// Slope mode as a host calls it: one call end to end with every file a
// slope-mode call writes (data file, three drawings, two books, .res), and the
// search example (200 slip surfaces over two piles) as calls per second.
#include "KangLi.h"
#include "Messages.h"
#include "SlopeJson.h"
#include "WorkPaths.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct Scratch {
    std::string path;
    Scratch()
    {
        char tmpl[] = "/tmp/kangli-bench-XXXXXX";
        path = ::mkdtemp(tmpl) ? tmpl : "/tmp";
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
    for (auto _ : state) {
        CSlopeData slope = model.slope;
        benchmark::DoNotOptimize(JiSuan_KangLi_Slp(&slope, 0));
    }
}
BENCHMARK(OneCall)->Unit(benchmark::kMillisecond);

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
                slope.CurSurface = e.surface;
                g_lCurHMID = e.id;
                slope.strCurKHPile = slope.KHPiles[i].strName;
                slope.CurKHPile = slope.KHPiles[i];
                benchmark::DoNotOptimize(JiSuan_KangLi_Slp(&slope, static_cast<int>(i)));
                ++calls;
            }
    }
    state.counters["calls/s"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate);
    SetMessageSink(nullptr);
}
BENCHMARK(Search200Surfaces)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
