// The columns of a calculation's result per point, named once: the key the JSON
// and Python give them, the label and unit a table shows, the decimals it prints.
#pragma once

#include "PelvorinData.h"

#include <array>
#include <string>

struct ResultColumn {
    const char* key;
    const char* label;
    const char* unit;
    int decimals;
};

inline constexpr std::array<ResultColumn, 4> kResultColumns{{
    {"depth", "深度", "m", 2},
    {"ground", "土抗力", "kN/m", 3},
    {"pile", "桩抗力", "kN/m", 3},
    {"final", "最终抗力", "kN/m", 3},
}};

// A column's title as a table shows it: "土抗力(kN/m)".
inline std::string ResultColumnTitle(const ResultColumn& c) { return std::string(c.label) + "(" + c.unit + ")"; }

// Column c (of kResultColumns) at point i of a calculated record.
inline float ResultValue(const CPelvorinData& r, size_t c, size_t i)
{
    switch (c) {
    case 0:
        return (*r.pDianZuoBiao)[i];
    case 1:
        return r.TuKangLi[i];
    case 2:
        return r.ZhuangKangLi[i];
    default:
        return r.ZuiZhongKangLi[i];
    }
}
