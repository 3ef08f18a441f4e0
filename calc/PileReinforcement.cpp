#include "PileReinforcement.h"

#include "Concrete.h"
#include "PileSection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

PileReinforcement DesignPileReinforcement(const CPelvorinData& r, double M, double V)
{
    PileReinforcement out;
    out.moment = M;
    out.shear = V;
    const SteelGrade* steel = &kSteelGrades[2];
    for (const SteelGrade& s : kSteelGrades)
        if (s.grade == r.SheJi.nGangJin)
            steel = &s;
    out.steel = steel->name;
    out.fy = steel->fy;
    out.fyv = std::min(steel->fy, 360.0);
    Con_Prop c;
    get_rc_property(r.nHunNingTuDengJi, &c);
    // The tabulated strengths are decimals to 0.01 N/mm² held as 32-bit reals:
    // taken as the decimals, so that 16.7 is 16.7 in the design and its output.
    const double fc = std::round(c.fc * 100.0) / 100.0, ft = std::round(c.ft * 100.0) / 100.0;
    const double fy = out.fy, fyv = out.fyv;
    out.fc = fc;
    out.ft = ft;
    out.minimumRatio = std::max(0.002, 0.45 * ft / fy);
    // Above C50 alpha1, beta1 and beta_c fall linearly to C80 (6.2.6, 6.3.1)
    // and xi_b follows from the ultimate strain (6.2.7-1).
    const double over = std::clamp((static_cast<double>(c.fcuk) - 50.0) / 30.0, 0.0, 1.0);
    out.alpha1 = 1.0 - 0.06 * over;
    out.betaC = 1.0 - 0.2 * over;
    if (over > 0) {
        const double beta1 = 0.8 - 0.06 * over, ecu = 0.0033 - (c.fcuk - 50.0) * 1e-5;
        out.xiB = beta1 / (1 + fy / (steel->Es * ecu));
    } else {
        out.xiB = steel->xiB;
    }
    const double Mn = M * 1e6, Vn = V * 1e3; // N mm, N

    if (r.nJieMianXingZhuang == 1) {
        const double b = 1000.0 * r.fZhuangKuan, h = 1000.0 * r.fZhuangGao, h0 = h - r.fAs;
        out.b = b;
        out.h0 = h0;
        // M = alpha1 fc b x (h0 - x/2): the smaller root; none when M exceeds
        // what the whole depth can hold, over-reinforced either way.
        const double k = out.alpha1 * fc * b;
        const double disc = h0 * h0 - 2 * Mn / k;
        out.x = disc >= 0 ? h0 - std::sqrt(disc) : h0;
        out.area = b * h;
        out.minimum = out.minimumRatio * out.area;
        out.maximum = out.alpha1 * fc * b * out.xiB * h0 / fy;
        if (disc < 0 || out.x > out.xiB * h0) {
            out.overReinforced = true;
            char why[200];
            std::snprintf(why, sizeof why, "x %s %.1f mm > xi_b h0 = %.1f mm: singly reinforced section over-reinforced",
                          disc < 0 ? ">= h0 =" : "=", out.x, out.xiB * h0);
            out.reason = why;
        } else {
            out.required = k * out.x / fy;
            out.minimumGoverns = out.minimum > out.required;
            out.longitudinalArea = std::max(out.required, out.minimum);
        }
    } else {
        const double radius = 500.0 * r.fZhuangJing, rs = radius - r.fAs, A = kJiSuanPi * radius * radius;
        out.b = 1.76 * radius;
        out.h0 = 1.6 * radius;
        // E.0.4 with N = 0: the first equation gives As for a compressed angle
        // 2 pi alpha (alpha < 5/12 so that alpha_t > alpha), the second the
        // moment it holds, which grows with alpha from 0 without bound.
        // alpha_t = 1.25 - 2 alpha: above 0.625 it would be 0, but alpha stays
        // below 5/12 here.
        auto area = [&](double a) {
            const double at = 1.25 - 2 * a;
            return a * out.alpha1 * fc * A * (1 - std::sin(2 * kJiSuanPi * a) / (2 * kJiSuanPi * a)) / ((at - a) * fy);
        };
        auto holds = [&](double a) {
            const double at = 1.25 - 2 * a, s = std::sin(kJiSuanPi * a);
            return 2.0 / 3.0 * out.alpha1 * fc * A * radius * s * s * s / kJiSuanPi +
                   fy * area(a) * rs * (s + std::sin(kJiSuanPi * at)) / kJiSuanPi;
        };
        out.circle = true;
        out.area = A;
        out.minimum = out.minimumRatio * A;
        out.maximum = kCircleLargestRatio * A;
        double lo = 0, hi = 5.0 / 12.0;
        for (int i = 0; i < 200 && hi - lo > 1e-15; ++i) {
            const double mid = (lo + hi) / 2;
            (holds(mid) < Mn ? lo : hi) = mid;
        }
        out.alpha = (lo + hi) / 2;
        out.required = Mn > 0 ? area(out.alpha) : 0;
        char why[200];
        // Towards alpha = 5/12 the area E.0.4 asks grows without bound, so the
        // largest ratio also bounds the formula's range.
        if (!(out.required <= out.maximum)) {
            out.overReinforced = true;
            std::snprintf(why, sizeof why, "As = %.0f mm² > %.0f %% of the section (%.0f mm²): over-reinforced",
                          out.required, kCircleLargestRatio * 100, out.maximum);
            out.reason = why;
        } else {
            out.minimumGoverns = out.minimum > out.required;
            out.longitudinalArea = std::max(out.required, out.minimum);
        }
    }

    // Shear.
    const double b = out.b, h0 = out.h0;
    out.stirrupsMinimum = 0.24 * ft / fyv * b;
    out.shearLimit = 0.25 * out.betaC * fc * b * h0 / 1e3;
    if (V > out.shearLimit) {
        out.sectionTooSmall = true;
        char why[200];
        std::snprintf(why, sizeof why, "V = %.1f kN > 0.25 beta_c fc b h0 = %.1f kN: section too small for shear", V,
                      out.shearLimit);
        out.reason += (out.reason.empty() ? "" : "; ") + std::string(why);
    } else {
        out.stirrups = std::max((Vn - 0.7 * ft * b * h0) / (fyv * h0), out.stirrupsMinimum);
    }
    return out;
}
