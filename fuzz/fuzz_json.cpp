// Any bytes as a JSON record: refused with a message or read; what is read writes
// back and reads again to the same record. A record with a design block that
// the check accepts gives its internal forces: finite numbers, or a refusal
// that names its key.
#include "PelvorinData.h"
#include "PileForces.h"
#include "RecordCheck.h"
#include "RecordJson.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    CPelvorinData record;
    std::string error;
    if (!RecordFromJson(text, record, &error)) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort(); // one line that says why
        return 0;
    }
    const std::string written = RecordToJson(record);
    CPelvorinData again;
    if (!RecordFromJson(written, again, &error))
        std::abort();
    if (RecordToJson(again) != written)
        std::abort();
    if (record.bSheJi && CheckKangLiData(record, &error)) {
        const PileForces f = CalculatePileForces(record);
        if (f.status != 1) {
            if (f.refusedField.empty() || f.refusal.empty())
                std::abort();
            return 0;
        }
        auto finite = [](double v) { return std::isfinite(v); };
        if (!finite(f.topDisplacement) || !finite(f.maxMoment.value) || !finite(f.maxShear.value) ||
            !finite(f.maxStress.value) || !finite(f.maxDisplacement.value) || f.points.empty())
            std::abort();
        for (const PileForcePoint& p : f.points)
            if (!finite(p.shear) || !finite(p.moment) || !finite(p.displacement) || !finite(p.rotation) ||
                !finite(p.stress))
                std::abort();
    }
    return 0;
}
