// The embedded part by the m method (k = A + m y, A1 in front and A2 behind at
// the slip surface): a rigid pile turns as a body about the centre the
// moment condition gives; an elastic one is a beam of elements on springs.
#include "EmbeddedPart.h"
#include "EmbeddedSolution.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

EmbeddedSolution Refused(EmbeddedSolution s, const char* key, const char* why)
{
    s.refusedField = key;
    s.refusal = why;
    return s;
}

} // namespace

EmbeddedSolution SolveMMethod(const CSheJi& d, const EmbeddedLoad& load)
{
    EmbeddedSolution s;
    const double m = d.fM, A1 = d.fA1, A2 = d.fA2;
    const double Bp = load.Bp, EI = load.EI, h2 = load.h2, Q0 = load.Q0, M0 = load.M0;
    const bool hinged = load.hinged;
    // With m = 0 and nothing behind, nothing holds a free foot back.
    if (!(m > 0) && !(A2 > 0) && !hinged)
        return Refused(s, "SheJi.fA2",
                       "SheJi.fA2 (滑面处桩后地基系数A2（kN/m³）): with m = 0 the ground behind the pile (A2) "
                       "must be above 0 to hold a free foot");
    if (m > 0) {
        const double alpha = std::pow(m * Bp / EI, 0.2);
        s.coefficient = alpha;
        s.coefficientLength = alpha * h2;
        s.rigid = alpha * h2 <= 2.5;
    } else {
        // m = 0: the ground coefficient is the constant A, and the pile is
        // classified as in constant ground, by beta.
        s.constantGround = true;
        const double beta = std::pow(A1 * Bp / (4 * EI), 0.25);
        s.coefficient = beta;
        s.coefficientLength = beta * h2;
        s.rigid = beta * h2 <= 1.0;
    }
    if (s.rigid) {
        // The integral over [a, b] of (A + m y)(y0 - y) y^n dy.
        auto integral = [m](double A, double y0, double a, double b, int n) {
            auto I = [a, b](int k) { return (std::pow(b, k + 1) - std::pow(a, k + 1)) / (k + 1); };
            return A * y0 * I(n) + (m * y0 - A) * I(n + 1) - m * I(n + 2);
        };
        auto both = [&](double y0, int n) { return integral(A1, y0, 0, y0, n) + integral(A2, y0, y0, h2, n); };
        double y0 = h2, dphi = 0;
        if (hinged) {
            // About the foot: M0 + Q0 h2 = B_p dphi (integral of k (h2 - y)^2).
            const double I2 = h2 * both(h2, 0) - both(h2, 1);
            dphi = (M0 + Q0 * h2) / (Bp * I2);
        } else {
            // The centre from the moment condition:
            // M0 (integral of k (y0 - y)) + Q0 (integral of k (y0 - y) y) = 0.
            auto g = [&](double c) { return M0 * both(c, 0) + Q0 * both(c, 1); };
            double lo = 1e-9 * h2, hi = h2;
            if (!(g(lo) * g(hi) <= 0))
                return A2 > 0 || m > 0
                           ? Refused(s, "SheJi.fA1",
                                     "SheJi.fA1 (滑面处桩前地基系数A1（kN/m³）): no centre of rotation within the "
                                     "embedded part")
                           : Refused(s, "SheJi.fA2",
                                     "SheJi.fA2 (滑面处桩后地基系数A2（kN/m³）): with m = 0 and A2 = 0 no ground "
                                     "behind the pile holds its foot");
            for (int k = 0; k < 80; ++k) {
                const double mid = (lo + hi) / 2;
                (g(lo) * g(mid) <= 0 ? hi : lo) = mid;
            }
            y0 = (lo + hi) / 2;
            dphi = Q0 / (Bp * both(y0, 0));
        }
        RigidTurn(s, load, y0, dphi, [=](double y) { return (y < y0 ? A1 : A2) + m * y; },
                  [=](double y, int n) {
                      return y <= y0 ? integral(A1, y0, 0, y, n)
                                     : integral(A1, y0, 0, y0, n) + integral(A2, y0, y0, y, n);
                  });
        return s;
    }
    // About 40 elements per unit of the coefficient length: x to some 1e-7 of itself.
    const int elements = static_cast<int>(std::clamp(std::ceil(40 * s.coefficientLength), 200.0, 2000.0));
    auto beam = std::make_shared<SpringBeam>(A1, A2, m, Bp, EI, h2, elements);
    if (!beam->Solve(M0, Q0, hinged))
        return A1 != A2 ? Refused(s, "SheJi.fA2",
                                  "SheJi.fA2 (滑面处桩后地基系数A2（kN/m³）): the side the pile presses does not "
                                  "settle between A1 in front and A2 behind")
                        : Refused(s, "SheJi.fM",
                                  "SheJi.fM (地基系数的比例系数m（kN/m⁴）): the beam on springs has no solution for "
                                  "this pile");
    s.at = [beam](double y) {
        PileForcePoint p;
        beam->At(y, p.displacement, p.rotation, p.moment, p.shear, p.stress);
        return p;
    };
    return s;
}
