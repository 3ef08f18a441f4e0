// Internal forces of one pile under its design thrust, for every method: the
// bundled design examples (K elastic, m rigid, m elastic).
#include "PileForces.h"
#include "BenchRecords.h"
#include "PelvorinData.h"

#include <benchmark/benchmark.h>

namespace {

void Forces(benchmark::State& state, const char* name)
{
    CPelvorinData record;
    if (!BenchRecord(std::string("design/") + name + ".json", record, state))
        return;
    for (auto _ : state) {
        PileForces f = CalculatePileForces(record);
        benchmark::DoNotOptimize(f.points.data());
    }
}

void ForcesKElastic(benchmark::State& state) { Forces(state, "circular-pile-into-rock"); }
void ForcesMRigid(benchmark::State& state) { Forces(state, "defaults"); }
void ForcesMElastic(benchmark::State& state) { Forces(state, "rectangular-pile-soil-layers"); }
BENCHMARK(ForcesKElastic)->Unit(benchmark::kMicrosecond);
BENCHMARK(ForcesMRigid)->Unit(benchmark::kMicrosecond);
BENCHMARK(ForcesMElastic)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// The bundled layered pile (clay, weathered mudstone, sandstone) with a second
// anchor cable: the whole pile as a beam on springs.
void ForcesLayeredTwoAnchors(benchmark::State& state)
{
    CPelvorinData record;
    if (!BenchRecord("design/layered-pile-with-anchor.json", record, state))
        return;
    CMaoSuo second = record.SheJi.MaoSuo.at(0);
    second.fShenDu = 5;
    record.SheJi.MaoSuo.push_back(second);
    for (auto _ : state) {
        PileForces f = CalculatePileForces(record);
        if (f.status != 1 || f.anchors.size() != 2)
            state.SkipWithError("the layered pile was refused");
        benchmark::DoNotOptimize(f.points.data());
    }
}
BENCHMARK(ForcesLayeredTwoAnchors)->Unit(benchmark::kMicrosecond);

} // namespace
