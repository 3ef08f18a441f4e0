#include "Concrete.h"

namespace {

struct Row {
    int grade;
    float fc, fck, ft, ftk, Ec;
};

// GB 50010 tables 4.1.3-1/-2, 4.1.4-1/-2 and 4.1.5.
constexpr Row kTable[] = {
    {15, 7.2f, 10.0f, 0.91f, 1.27f, 2.20e4f},  {20, 9.6f, 13.4f, 1.10f, 1.54f, 2.55e4f},
    {25, 11.9f, 16.7f, 1.27f, 1.78f, 2.80e4f}, {30, 14.3f, 20.1f, 1.43f, 2.01f, 3.00e4f},
    {35, 16.7f, 23.4f, 1.57f, 2.20f, 3.15e4f}, {40, 19.1f, 26.8f, 1.71f, 2.39f, 3.25e4f},
    {45, 21.1f, 29.6f, 1.80f, 2.51f, 3.35e4f}, {50, 23.1f, 32.4f, 1.89f, 2.64f, 3.45e4f},
    {55, 25.3f, 35.5f, 1.96f, 2.74f, 3.55e4f}, {60, 27.5f, 38.5f, 2.04f, 2.85f, 3.60e4f},
    {65, 29.7f, 41.5f, 2.09f, 2.93f, 3.65e4f}, {70, 31.8f, 44.5f, 2.14f, 2.99f, 3.70e4f},
    {75, 33.8f, 47.4f, 2.18f, 3.05f, 3.75e4f}, {80, 35.9f, 50.2f, 2.22f, 3.11f, 3.80e4f},
};

} // namespace

int get_rc_property(int grade, Con_Prop* prop)
{
    if (!prop)
        return 0;
    *prop = Con_Prop{};
    const Row* found = nullptr;
    for (const Row& r : kTable)
        if (r.grade <= grade)
            found = &r;
    if (!found)
        return 0;
    prop->fcuk = static_cast<float>(found->grade);
    prop->fc = found->fc;
    prop->fck = found->fck;
    prop->ft = found->ft;
    prop->Ec = found->Ec;
    prop->Gc = 0.4f * found->Ec;
    prop->ftk = found->ftk;
    return found->grade == grade ? 1 : 0;
}
