// One input set by its key, as sweeps and designs vary it.
#include "FieldTable.h"
#include "JsonKit.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

using JsonKit::PrintableKey;

bool SetRecordValue(CPelvorinData& r, const std::string& key, double value, std::string* error)
{
    auto fail = [&](const std::string& what) {
        if (error)
            *error = "key \"" + PrintableKey(key) + "\": " + what;
        return false;
    };
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return fail("value out of range of a 32-bit real");
    // A whole number for an integer field; the check judges the value itself.
    auto set = [&](const FieldDef& f, float* real, int* integer) {
        if (real) {
            *real = static_cast<float>(value);
            return true;
        }
        if (value != std::floor(value) || value < INT_MIN || value > INT_MAX)
            return fail("expected a whole number");
        if (!f.sweeps)
            return fail(std::string("the ") + f.name + " cannot be varied");
        *integer = static_cast<int>(value);
        return true;
    };
    if (const FieldDef* f = FindRecordField(key))
        return set(*f, FieldReal(*f, r), FieldInteger(*f, r));
    // "TuCeng[i].key": a layer's value.
    if (key.rfind("TuCeng[", 0) == 0) {
        const size_t close = key.find("].");
        char* end = nullptr;
        const long index = std::strtol(key.c_str() + 7, &end, 10);
        if (close == std::string::npos || end != key.c_str() + close || index < 0)
            return fail("expected TuCeng[i].key");
        if (static_cast<size_t>(index) >= r.TuCeng.size())
            return fail("the record has " + std::to_string(r.TuCeng.size()) + " layers");
        CTuCeng& layer = r.TuCeng[static_cast<size_t>(index)];
        if (const FieldDef* f = FindLayerField(key.substr(close + 2)))
            return set(*f, FieldReal(*f, layer), FieldInteger(*f, layer));
    }
    return fail("unknown key");
}
