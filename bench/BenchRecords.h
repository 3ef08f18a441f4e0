// A bundled record for a benchmark, or the benchmark skipped saying why.
#pragma once

#include "RecordFile.h"

#include <benchmark/benchmark.h>

#include <string>

inline bool BenchRecord(const std::string& name, CPelvorinData& record, benchmark::State& state)
{
    std::string error;
    if (LoadRecordFile(std::string(KANGLI_EXAMPLES_DIR "/") + name, record, &error))
        return true;
    state.SkipWithError(error.c_str());
    return false;
}
