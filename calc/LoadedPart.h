// The loaded part of an anti-slide pile, from its top to the slip surface
// (0 <= z <= h1): the thrust on one pile spread over h1 as a rectangle, a
// triangle (0 at the top) or a trapezoid, and what it gives by statics.
#pragma once

#include "PelvorinData.h"

#include <cmath>

struct LoadedPart {
    double h1 = 0, qt = 0, qb = 0; // the load at the top and at the slip surface, kN/m
    double Q(double z) const { return qt * z + (qb - qt) * z * z / (2 * h1); }
    double M(double z) const { return qt * z * z / 2 + (qb - qt) * z * z * z / (6 * h1); }
    // The cantilever deflection from the slip surface, times EI, and its slope:
    // f(z) EI = integral from z to h1 of (s - z) M(s) ds.
    double F(double z) const
    {
        auto I = [z, this](int n) {
            return (std::pow(h1, n + 2) - std::pow(z, n + 2)) / (n + 2) - z * (std::pow(h1, n + 1) - std::pow(z, n + 1)) / (n + 1);
        };
        return qt / 2 * I(2) + (qb - qt) / (6 * h1) * I(3);
    }
    double dF(double z) const
    {
        return -(qt / 2 * (std::pow(h1, 3) - std::pow(z, 3)) / 3 + (qb - qt) / (6 * h1) * (std::pow(h1, 4) - std::pow(z, 4)) / 4);
    }
};

// E_T = (E - E') s on one pile over h1, as the design block distributes it.
inline LoadedPart ThrustOnThePile(const CSheJi& d, double h1, double thrust)
{
    LoadedPart load;
    load.h1 = h1;
    switch (d.nTuiLiFenBu) {
    case 0:
        load.qt = load.qb = thrust / h1;
        break;
    case 1:
        load.qt = 0;
        load.qb = 2 * thrust / h1;
        break;
    default:
        load.qb = 2 * thrust / (h1 * (1 + d.fTiXingBi));
        load.qt = d.fTiXingBi * load.qb;
        break;
    }
    return load;
}
