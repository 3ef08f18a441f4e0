// The pile's concrete section: its area and the effective sizes of its shear
// capacity, and the shear capacity itself (GB 50010 6.3.3/6.3.4 style, a member
// without web reinforcement under axial compression):
//   A  = b*h (rectangle, shape 1) or d*pi*d*0.25 (circle, shape 0)    m2
//   b0 = 1000 b (rectangle), d*1760*0.5, that is 1000*1.76*d/2 (circle)  mm
//   h0 = 1000 h - as (rectangle), d*1600*0.5, that is 1000*1.6*d/2 (circle) mm
//   N1 = 0.3 * fc * A * 1000      axial-force limit, kN
//   Vc = 0.7 * b0 * h0 * ftk / 1000 + 0.07 * N                        kN
// Both the resistance per calculation point and the detailed book's working at
// the slip surface come from here.
#pragma once

class CPelvorinData;

// The value of pi the calculation has always used for section areas and
// friction angles; results and books depend on these ten digits. Drawings turn
// angles with the full double value instead.
inline constexpr double kJiSuanPi = 3.1415926535;

struct PileSectionShape {
    double area = 0; // m2
    double b0 = 0;   // mm
    double h0 = 0;   // mm
};

// By the record's section shape; zeros for a shape other than 0 or 1.
PileSectionShape SectionShape(const CPelvorinData& record);

// 0.3 fc A 1000, kN, with fc in N/mm2 and A in m2.
inline double AxialLimit(double fc, double area) { return 0.3 * fc * area * 1000.0; }

// Vc in kN, with b0 and h0 in mm, ftk in N/mm2 and the axial force N in kN.
inline double ShearCapacity(double b0, double h0, double ftk, double n)
{
    return 0.7 * b0 * h0 * ftk / 1000.0 + 0.07 * n;
}

// The pile section at the slip surface, every step of the detailed book: the
// pile's own weight above the slip surface as axial force, the concrete's
// shear capacity, spread over the spacing.
struct PileSectionAtSlip {
    double sigma = 0, area = 0, n0 = 0, b0 = 0, h0 = 0, fc = 0, ftk = 0, n1 = 0, n = 0, vc = 0, fv = 0;
};
PileSectionAtSlip SectionAtSlip(const CPelvorinData& record);
