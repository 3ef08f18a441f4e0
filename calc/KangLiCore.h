// The resistance calculation as a function: a record in, a result value out.
// It shows no message, asks nothing, reads and writes no file and uses no
// work path, so that every surface (slope mode, the window, the command line,
// the studies, Python) calculates the same way and tells the user in its own.
//
// Per calculation point z (foot first) it gives the ground resistance Ev(z),
// the pile-section resistance Fv(z) and the final resistance min(Fv, Ev); at
// the slip-surface depth s it gives every value the detailed book prints.
#pragma once

#include "PelvorinData.h"
#include "PileSection.h"
#include "TuKangLiJiSuan.h"
#include "ZhuangKangLiJiSuan.h"

#include <string>
#include <vector>

// The ground in front of the pile at the slip-surface depth s, as the detailed
// book works it (kN/m): rock shear tau, earth pressure Epk, its effective part
// Ep = eta Epk b0 / s0, and Ev = tau + Ep.
struct GroundAtSlip {
    float tau = 0, epk = 0, ep = 0, ev = 0;
    float width = 0;      // calculation width b0, m
    bool noRock = true;   // every counted layer is soil: tau is 0 by definition
    bool noSoil = true;   // no soil layer: Ep is 0 by definition
    std::vector<RockShearTerm> rockTerms; // what tau sums at s, layer by layer
};

struct KangLiCalculation {
    int status = 0;            // 1 calculated, 0 refused
    std::string refusedField;  // the field at fault, by its key ("TuCeng[2]")
    std::string refusal;       // why, as the user is told ("岩层下不能出现土层")
    // A rock friction angle that left no shear plane; the rock shear above it
    // counts as none, and the user is told "内摩擦角输入不对！".
    bool frictionAngleWarning = false;

    int soilLayers = 0;        // soil layers among the counted ones (nTuShu)
    // The layers as the calculation used them: a rock layer takes its own
    // cohesion, friction angle and unit weight as its underwater values
    // (CalculateKangLi; empty from CalculateKangLiInPlace).
    std::vector<CTuCeng> layers;
    std::vector<float> depth;  // calculation points, m below the pile top, deepest first
    std::vector<float> ground; // Ev per point, kN/m
    std::vector<float> pile;   // Fv per point, kN/m
    std::vector<float> final;  // the smaller per point (a tie takes the pile)

    // Every list of the two calculators per point (Ep, tau, Epk, self-weight
    // stress and force), kept for the books and the earth-pressure diagram.
    // Their record pointers are null: the value owns no record.
    CTuKangLiJiSuan groundCalc;
    CZhuangKangLiJiSuan pileCalc;

    float slipDepth = 0;       // s, m below the pile top
    PileSectionAtSlip section; // Fv at s: section.fv
    GroundAtSlip groundAtSlip; // Ev at s: groundAtSlip.ev
};

// Calculates record with nFenDuanShu divisions of the pile length for the
// points (20 unless the calculation object says otherwise).
KangLiCalculation CalculateKangLi(const CPelvorinData& record, int divisions = 20);
// The same on a record the caller gives up to it, without copying it: the
// record takes the points, the soil-layer count and its rock layers' underwater
// values as the calculation sets them (its result lists are left alone), and
// the value's layers stay empty: the record holds them.
KangLiCalculation CalculateKangLiInPlace(CPelvorinData& record, int divisions = 20);

// The calculation points of a record: 0, every step of L/divisions (rounded
// down to 0.1 m, at most 1 m), and the pile length, deepest first.
void KangLiPoints(float pileLength, int divisions, std::vector<float>& list);
// Adds v to a list kept largest first; 0 when within 0.01 of an entry.
int InsertKangLiPoint(std::vector<float>& list, float v);
