// A whole calculation (points, ground, pile section, final) on typical records.
#include "KangLiJiSuan.h"
#include "PelvorinData.h"

#include <benchmark/benchmark.h>

namespace {

void Run(benchmark::State& state, CPelvorinData& record)
{
    CKangLiJiSuan calc;
    calc.pData = &record;
    for (auto _ : state) {
        int status = calc.JiSuan();
        benchmark::DoNotOptimize(status);
        benchmark::DoNotOptimize(record.ZuiZhongKangLi.data());
    }
}

void DefaultRecord(benchmark::State& state)
{
    CPelvorinData record;
    record.TuCeng.resize(2);
    Run(state, record);
}

// A 30 m pile through six soil layers into two rock layers, water 4 m down.
void EightLayers30m(benchmark::State& state)
{
    CPelvorinData record;
    record.fZhuangChang = 30.0f;
    record.fHuaMianDaoZhuangDing = 14.0f;
    record.fShuiWeiShenDu = 4.0f;
    record.bKaoLvShui = 1;
    const float thickness[] = {2.5f, 3.0f, 4.0f, 3.5f, 2.0f, 5.0f, 6.0f, 10.0f};
    for (int i = 0; i < 8; ++i) {
        CTuCeng layer;
        layer.nLeiXing = i < 6 ? 0 : 1;
        layer.fHouDu = thickness[i];
        layer.fZhongDu = 18.0f + 0.5f * i;
        layer.fFuZhongDu = 8.0f + 0.5f * i;
        layer.fNianJuLi = i < 6 ? 10.0f + 3.0f * i : 250.0f + 50.0f * i;
        layer.fMoCaJiao = i < 6 ? 15.0f + 2.0f * i : 35.0f;
        layer.fShuiXiaNianJuLi = layer.fNianJuLi * 0.8f;
        layer.fShuiXiaMoCaJiao = layer.fMoCaJiao - 2.0f;
        record.TuCeng.push_back(layer);
    }
    record.nTuCengShu = 8;
    Run(state, record);
}

} // namespace

BENCHMARK(DefaultRecord);
BENCHMARK(EightLayers30m);
