// The embedded part by the K method (k = K, constant with depth): a rigid pile
// turns as a body, an elastic one is the closed form of the beam on springs.
#include "EmbeddedPart.h"
#include "EmbeddedSolution.h"

#include <cmath>
#include <memory>

EmbeddedSolution SolveKMethod(const CSheJi& d, const EmbeddedLoad& load)
{
    EmbeddedSolution s;
    const double K = d.fK, Bp = load.Bp, EI = load.EI, h2 = load.h2, Q0 = load.Q0, M0 = load.M0;
    const double beta = std::pow(K * Bp / (4 * EI), 0.25);
    s.coefficient = beta;
    s.coefficientLength = beta * h2;
    s.rigid = beta * h2 <= 1.0;
    if (s.rigid) {
        double y0 = h2, dphi = 0;
        if (load.hinged) {
            dphi = 3 * (M0 + Q0 * h2) / (K * Bp * h2 * h2 * h2);
        } else {
            y0 = h2 * (3 * M0 + 2 * Q0 * h2) / (3 * (2 * M0 + Q0 * h2));
            dphi = 6 * (2 * M0 + Q0 * h2) / (K * Bp * h2 * h2 * h2);
        }
        RigidTurn(s, load, y0, dphi, [K](double) { return K; }, [K, y0](double y, int n) {
            return n == 0 ? K * (y0 * y - y * y / 2) : K * (y0 * y * y / 2 - y * y * y / 3);
        });
        return s;
    }
    auto solution = std::make_shared<KElastic>(beta, EI, h2);
    if (!solution->Solve(M0, Q0, load.hinged)) {
        s.refusedField = "SheJi.fK";
        s.refusal = "SheJi.fK (地基系数K（kN/m³）): the closed form has no solution for this pile";
        return s;
    }
    s.at = [=](double y) {
        PileForcePoint p;
        p.displacement = solution->X(0, y);
        p.rotation = solution->X(1, y);
        p.moment = EI * solution->X(2, y);
        p.shear = EI * solution->X(3, y);
        p.stress = K * p.displacement;
        return p;
    };
    return s;
}
