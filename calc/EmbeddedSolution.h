// The embedded part of a pile solved by one method: what the pile does at y
// below the slip surface, or why there is no solution.
#pragma once

#include "PelvorinData.h"
#include "PileForces.h"

#include <functional>
#include <string>

struct EmbeddedLoad {
    double h2 = 0;    // embedded length, m
    double Bp = 0;    // calculation width, m
    double EI = 0;    // kN m2
    double Q0 = 0, M0 = 0; // at the slip surface
    bool hinged = false;   // the foot hinged, else free
};

struct EmbeddedSolution {
    std::function<PileForcePoint(double)> at; // y below the slip surface; depth left 0
    double coefficient = 0, coefficientLength = 0;
    bool rigid = false;
    bool constantGround = false;
    double rotationCentre = -1; // y of a rigid pile's centre, -1 none
    std::string refusedField, refusal; // set when there is no solution
};

// k = K: beta = (K B_p / 4EI)^(1/4); rigid when beta h2 <= 1.
EmbeddedSolution SolveKMethod(const CSheJi& d, const EmbeddedLoad& load);
// k = A + m y: alpha = (m B_p / EI)^(1/5), rigid when alpha h2 <= 2.5; with
// m = 0 the constant A1, classified by beta as the K method.
EmbeddedSolution SolveMMethod(const CSheJi& d, const EmbeddedLoad& load);

// A rigid pile turning by dphi about y0: x = (y0 - y) dphi; the ground's
// reaction by statics, R_n = B_p dphi * integral from 0 to y of k (y0 - s) s^n ds,
// which reactionMoment(y, n) gives without B_p dphi.
void RigidTurn(EmbeddedSolution& s, const EmbeddedLoad& load, double y0, double dphi,
               std::function<double(double)> k, std::function<double(double, int)> reactionMoment);
