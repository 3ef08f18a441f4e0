// The reinforcement of an anti-slide pile's section for its design moment and
// shear, after GB 50010 (Code for design of concrete structures): singly
// reinforced rectangles (6.2.10), circles without axial force (appendix
// E.0.4), the minimum ratio (8.5.1), the shear section limit (6.3.1) and the
// stirrups (6.3.4, 6.3.12).
#pragma once

#include "PelvorinData.h"

#include <string>

// The reinforcement of one pile for its design effects. Units N and mm as in
// GB 50010, except the effects (kN m, kN).
// The largest ratio of bars to section taken for a circular pile.
constexpr double kCircleLargestRatio = 0.05;

struct PileReinforcement {
    double moment = 0, shear = 0; // design effects M and V: |extreme| x load factor x gamma0
    std::string steel;            // "HRB400"
    double fy = 0, fyv = 0;       // N/mm2; fyv = fy, at most 360 (4.2.3)
    double fc = 0, ft = 0;        // the concrete's design strengths, N/mm2
    double minimumRatio = 0;      // max(0.20 %, 45 ft/fy %) as a ratio
    double area = 0;              // the section's b h or pi r^2, mm2
    double alpha1 = 1, betaC = 1, xiB = 0;
    double b = 0, h0 = 0;         // mm; the equivalent rectangle for shear of a circle
    double x = 0;                 // rectangle: depth of the compression zone, mm
    double alpha = 0;             // circle: compressed angle over 2 pi (E.0.4)
    double required = 0;          // As from the moment, mm2
    bool circle = false;          // a circular section (E.0.4)
    double minimum = 0;           // As from the minimum ratio, mm2
    double maximum = 0;           // the largest As: at xi_b h0 (rectangle), kCircleLargestRatio of the area (circle)
    double longitudinalArea = 0;  // the larger of the two, mm2; 0 when over-reinforced
    bool minimumGoverns = false;
    bool overReinforced = false;  // x > xi_b h0, or a circle's As above its maximum
    double stirrups = 0;          // Asv/s, mm2/mm; 0 when the section is too small
    double stirrupsMinimum = 0;   // 0.24 ft/fyv b (6.3.12), mm2/mm
    double shearLimit = 0;        // 0.25 beta_c fc b h0, kN
    bool sectionTooSmall = false; // V > shearLimit (6.3.1)
    std::string reason;           // why a flag is set, empty otherwise
};

// The reinforcement of the record's section (concrete grade, SheJi.nGangJin)
// for design effects M (kN m) and V (kN), already factored.
// Rectangle (b = fZhuangKuan normal to the thrust, h = fZhuangGao along it,
// h0 = 1000 h - fAs): singly reinforced, M = alpha1 fc b x (h0 - x/2),
// As = alpha1 fc b x / fy (6.2.10), x <= xi_b h0; As at least
// max(0.20 %, 45 ft/fy %) of b h (8.5.1).
// Circle (r = fZhuangJing/2, bars evenly on rs = r - fAs): E.0.4 with N = 0,
// alpha found by bisection; As at least the same minimum ratio of pi r^2, and
// over-reinforced above kCircleLargestRatio of it (the largest total ratio
// GB 50010 admits in a column, 9.3.1; towards alpha = 5/12, the end of the
// formula's range, the area grows without bound).
// Shear (6.3.1, 6.3.4): V <= 0.25 beta_c fc b h0, Asv/s = (V - 0.7 ft b h0)/(fyv h0)
// and at least 0.24 ft/fyv b; a circle as the rectangle b = 1.76 r, h0 = 1.6 r.
PileReinforcement DesignPileReinforcement(const CPelvorinData& record, double moment, double shear);
