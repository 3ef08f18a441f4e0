#include "PileForces.h"

#include "Concrete.h"
#include "EmbeddedPart.h"
#include "NumericLocale.h"
#include "FieldTable.h"
#include "PileSection.h"
#include "TuKangLiJiSuan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// A float record value as the decimal it is written as (its shortest form),
// widened to double.
double AsWritten(float v)
{
    if (!std::isfinite(v))
        return v;
    char buf[48];
    const auto end = std::to_chars(buf, buf + sizeof buf, v);
    double d = v;
    std::from_chars(buf, end.ptr, d);
    return d;
}

} // namespace

namespace {

// The loaded part: the linear load over h1 and what it gives by statics.
struct LoadedPart {
    double h1 = 0, qt = 0, qb = 0;
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

PileForces Refuse(PileForces out, const std::string& key, const std::string& why)
{
    out.status = 0;
    out.refusedField = key;
    out.refusal = why;
    return out;
}

} // namespace

PileForces CalculatePileForces(const CPelvorinData& r)
{
    PileForces out;
    if (!r.bSheJi)
        return Refuse(out, "SheJi", "the record has no design block (SheJi)");
    const CSheJi& d = r.SheJi;
    std::string problem;
    if (!CheckDesign(d, &problem)) {
        const size_t space = problem.find(' ');
        return Refuse(out, problem.substr(0, space), problem);
    }
    // Depths as the record gives them: 8.3, not the float's 8.300000190734863,
    // so that the table has one row at the slip surface and the JSON no tail.
    const double L = AsWritten(r.fZhuangChang), h1 = AsWritten(r.fHuaMianDaoZhuangDing), h2 = L - h1;
    if (!(h1 > 0) || !(h2 > 0) || !std::isfinite(L))
        return Refuse(out, "fHuaMianDaoZhuangDing",
                      "fHuaMianDaoZhuangDing (滑面到桩顶距离（m）): the slip surface must lie inside the pile, "
                      "below its top and above its foot");
    if (!(r.fZhuangJianJu > 0))
        return Refuse(out, "fZhuangJianJu", "fZhuangJianJu (桩中心距（m）): the spacing must be above 0");

    // Section stiffness: b normal to the thrust, a along it.
    Con_Prop concrete;
    get_rc_property(r.nHunNingTuDengJi, &concrete);
    double I = 0;
    if (r.nJieMianXingZhuang == 1)
        I = static_cast<double>(r.fZhuangKuan) * std::pow(static_cast<double>(r.fZhuangGao), 3) / 12.0;
    else
        I = kJiSuanPi * std::pow(static_cast<double>(r.fZhuangJing), 4) / 64.0;
    const double EI = d.fGangDuXiShu * concrete.Ec * 1000.0 * I; // Ec N/mm2 = MPa -> kPa
    if (!(EI > 0))
        return Refuse(out, "nHunNingTuDengJi", "nHunNingTuDengJi (混凝土等级): no elastic modulus for this grade");
    CPelvorinData copy(r);
    CTuKangLiJiSuan ground;
    ground.pData = &copy;
    const double Bp = ground.GetJiSuanKuanDu();

    // Loaded part. The sliding mass in front holds back less than the thrust,
    // or the pile carries nothing (or is pushed uphill): not the design case.
    if (!(d.fQianKangLi < d.fTuiLi))
        return Refuse(out, "SheJi.fQianKangLi",
                      "SheJi.fQianKangLi (桩前滑体抗力（kN/m）): the resistance in front (" + MessageNumber(d.fQianKangLi) +
                          ") is not below the design thrust (" + MessageNumber(d.fTuiLi) +
                          "): the pile carries no thrust");
    LoadedPart load;
    load.h1 = h1;
    const double ET = (static_cast<double>(d.fTuiLi) - d.fQianKangLi) * r.fZhuangJianJu;
    switch (d.nTuiLiFenBu) {
    case 0:
        load.qt = load.qb = ET / h1;
        break;
    case 1:
        load.qt = 0;
        load.qb = 2 * ET / h1;
        break;
    default:
        load.qb = 2 * ET / (h1 * (1 + d.fTiXingBi));
        load.qt = d.fTiXingBi * load.qb;
        break;
    }
    const double Q0 = load.Q(h1), M0 = load.M(h1);

    out.method = d.nDiJiFa == 0 ? 'K' : 'm';
    out.h1 = h1;
    out.h2 = h2;
    out.width = Bp;
    out.EI = EI;
    out.thrust = ET;
    out.Q0 = Q0;
    out.M0 = M0;
    const bool hinged = d.nZhuangDi == 1;
    const bool kMethod = d.nDiJiFa == 0;
    const char* coefficientKey = kMethod ? "SheJi.fK" : "SheJi.fM";

    // The embedded part at y below the slip surface: shear, moment,
    // displacement, rotation and the stress on the face the pile presses.
    std::function<PileForcePoint(double)> embedded;
    // A rigid pile turning about y0: x = (y0 - y) dphi, the reaction by statics.
    auto rigidTurn = [&](double y0, double dphi, std::function<double(double)> k,
                         std::function<double(double, int)> reactionMoment) {
        out.rotationCentre = h1 + y0;
        embedded = [=](double y) {
            PileForcePoint p;
            p.displacement = (y0 - y) * dphi;
            p.rotation = -dphi;
            // R_n = B_p dphi * integral from 0 to y of k (y0 - s) s^n ds.
            const double R0 = Bp * dphi * reactionMoment(y, 0), R1 = Bp * dphi * reactionMoment(y, 1);
            p.shear = Q0 - R0;
            p.moment = M0 + Q0 * y - (y * R0 - R1);
            p.stress = k(y) * p.displacement;
            return p;
        };
    };

    if (kMethod) {
        const double K = d.fK;
        const double beta = std::pow(K * Bp / (4 * EI), 0.25);
        out.coefficient = beta;
        out.coefficientLength = beta * h2;
        out.rigid = beta * h2 <= 1.0;
        if (out.rigid) {
            double y0 = h2, dphi = 0;
            if (hinged) {
                dphi = 3 * (M0 + Q0 * h2) / (K * Bp * h2 * h2 * h2);
            } else {
                y0 = h2 * (3 * M0 + 2 * Q0 * h2) / (3 * (2 * M0 + Q0 * h2));
                dphi = 6 * (2 * M0 + Q0 * h2) / (K * Bp * h2 * h2 * h2);
            }
            rigidTurn(y0, dphi, [K](double) { return K; },
                      [K, y0](double y, int n) {
                          return n == 0 ? K * (y0 * y - y * y / 2) : K * (y0 * y * y / 2 - y * y * y / 3);
                      });
        } else {
            auto solution = std::make_shared<KElastic>(beta, EI, h2);
            if (!solution->Solve(M0, Q0, hinged))
                return Refuse(out, coefficientKey,
                              "SheJi.fK (地基系数K（kN/m³）): the closed form has no solution for this pile");
            embedded = [=](double y) {
                PileForcePoint p;
                p.displacement = solution->X(0, y);
                p.rotation = solution->X(1, y);
                p.moment = EI * solution->X(2, y);
                p.shear = EI * solution->X(3, y);
                p.stress = K * p.displacement;
                return p;
            };
        }
    } else {
        const double m = d.fM, A1 = d.fA1, A2 = d.fA2;
        // With m = 0 and nothing behind, nothing holds a free foot back.
        if (!(m > 0) && !(A2 > 0) && !hinged)
            return Refuse(out, "SheJi.fA2",
                          "SheJi.fA2 (滑面处桩后地基系数A2（kN/m³）): with m = 0 the ground behind the pile (A2) "
                          "must be above 0 to hold a free foot");
        if (m > 0) {
            const double alpha = std::pow(m * Bp / EI, 0.2);
            out.coefficient = alpha;
            out.coefficientLength = alpha * h2;
            out.rigid = alpha * h2 <= 2.5;
        } else {
            // m = 0: the ground coefficient is the constant A, and the pile is
            // classified as in constant ground, by beta.
            out.constantGround = true;
            const double beta = std::pow(A1 * Bp / (4 * EI), 0.25);
            out.coefficient = beta;
            out.coefficientLength = beta * h2;
            out.rigid = beta * h2 <= 1.0;
        }
        if (out.rigid) {
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
                    return Refuse(out, A2 > 0 || m > 0 ? "SheJi.fA1" : "SheJi.fA2",
                                  A2 > 0 || m > 0
                                      ? "SheJi.fA1 (滑面处桩前地基系数A1（kN/m³）): no centre of rotation within the "
                                        "embedded part"
                                      : "SheJi.fA2 (滑面处桩后地基系数A2（kN/m³）): with m = 0 and A2 = 0 no ground "
                                        "behind the pile holds its foot");
                for (int k = 0; k < 80; ++k) {
                    const double mid = (lo + hi) / 2;
                    (g(lo) * g(mid) <= 0 ? hi : lo) = mid;
                }
                y0 = (lo + hi) / 2;
                dphi = Q0 / (Bp * both(y0, 0));
            }
            rigidTurn(y0, dphi, [=](double y) { return (y < y0 ? A1 : A2) + m * y; },
                      [=](double y, int n) {
                          return y <= y0 ? integral(A1, y0, 0, y, n)
                                         : integral(A1, y0, 0, y0, n) + integral(A2, y0, y0, y, n);
                      });
        } else {
            // About 40 elements per unit of the coefficient length: x to some
            // 1e-7 of itself.
            const int elements = static_cast<int>(std::clamp(std::ceil(40 * out.coefficientLength), 200.0, 2000.0));
            auto beam = std::make_shared<SpringBeam>(A1, A2, m, Bp, EI, h2, elements);
            if (!beam->Solve(M0, Q0, hinged))
                return Refuse(out, A1 != A2 ? "SheJi.fA2" : coefficientKey,
                              A1 != A2 ? "SheJi.fA2 (滑面处桩后地基系数A2（kN/m³）): the side the pile presses does "
                                         "not settle between A1 in front and A2 behind"
                                       : "SheJi.fM (地基系数的比例系数m（kN/m⁴）): the beam on springs has no "
                                         "solution for this pile");
            embedded = [beam](double y) {
                PileForcePoint p;
                beam->At(y, p.displacement, p.rotation, p.moment, p.shear, p.stress);
                return p;
            };
        }
    }
    const PileForcePoint atSlip = embedded(0);

    // The whole pile at depth z below its top; the slip surface itself takes
    // the embedded side, so that its stress is the ground's just below it.
    auto at = [&](double z) {
        PileForcePoint p;
        if (z < h1) {
            p.shear = load.Q(z);
            p.moment = load.M(z);
            p.displacement = atSlip.displacement + atSlip.rotation * (z - h1) + load.F(z) / EI;
            p.rotation = atSlip.rotation + load.dF(z) / EI;
        } else {
            p = embedded(z - h1);
        }
        p.depth = z;
        return p;
    };

    const int steps = static_cast<int>(std::ceil(L / 0.1 - 1e-9));
    bool slipAdded = false;
    for (int i = 0; i <= steps; ++i) {
        const double z = std::min(L, i / 10.0); // 8.2, not 8.200000000000001
        if (!slipAdded && z > h1 + 1e-9) {
            out.points.push_back(at(h1));
            slipAdded = true;
        }
        if (std::fabs(z - h1) <= 1e-9)
            slipAdded = true;
        out.points.push_back(at(std::fabs(z - h1) <= 1e-9 ? h1 : z));
    }
    out.slip = at(h1);
    out.topDisplacement = at(0).displacement;

    // The solution must meet its own conditions at the foot, and be finite.
    {
        const PileForcePoint foot = at(L);
        const double scale = std::fabs(M0) + std::fabs(Q0) * h2 + 1e-9;
        bool ok = std::isfinite(out.slip.displacement) && std::isfinite(out.topDisplacement) &&
                  std::isfinite(foot.moment) && std::isfinite(foot.shear);
        ok = ok && std::fabs(foot.moment) <= 1e-4 * scale;
        if (!hinged)
            ok = ok && std::fabs(foot.shear) * h2 <= 1e-4 * scale;
        else
            ok = ok && std::fabs(foot.displacement) <= 1e-4 * (std::fabs(out.slip.displacement) + 1e-12);
        for (const PileForcePoint& p : out.points)
            ok = ok && std::isfinite(p.moment) && std::isfinite(p.shear) && std::isfinite(p.displacement);
        if (!ok)
            return Refuse(out, coefficientKey,
                          kMethod ? "SheJi.fK (地基系数K（kN/m³）): the numbers overflow: the ground coefficient is "
                                    "too small for the arithmetic"
                                  : "SheJi.fM (地基系数的比例系数m（kN/m⁴）): the numbers overflow: the ground "
                                    "coefficients are too small for the arithmetic");
    }

    // Extremes from the solution itself: the largest magnitude among the
    // points, then refined around every local peak of the samples (a peak
    // between two samples, or at the slip surface, is not missed).
    // sign 0: the largest magnitude; +1 / -1: the largest value of that sign.
    auto extreme = [&](double PileForcePoint::*field, double from, int sign = 0) {
        std::vector<const PileForcePoint*> s;
        for (const PileForcePoint& p : out.points)
            if (p.depth >= from - 1e-12)
                s.push_back(&p);
        auto measure = [sign](double v) { return sign == 0 ? std::fabs(v) : std::max(0.0, sign * v); };
        PileForceExtreme best{s.front()->*field, s.front()->depth};
        if (measure(best.value) == 0)
            best = {0, s.front()->depth};
        auto size = [&](double z) { return measure(at(z).*field); };
        for (size_t i = 0; i < s.size(); ++i) {
            const double v = measure(s[i]->*field);
            if (v > measure(best.value))
                best = {s[i]->*field, s[i]->depth};
            const bool peak = v > 0 && (i == 0 || v >= measure(s[i - 1]->*field)) &&
                              (i + 1 == s.size() || v >= measure(s[i + 1]->*field));
            if (!peak || s.size() < 2)
                continue;
            // Golden section between the neighbours, one evaluation a step, to
            // a micrometre.
            constexpr double g = 0.3819660112501051;
            double lo = s[i > 0 ? i - 1 : 0]->depth, hi = s[std::min(i + 1, s.size() - 1)]->depth;
            double m1 = lo + (hi - lo) * g, m2 = hi - (hi - lo) * g;
            double f1 = size(m1), f2 = size(m2);
            while (hi - lo > 1e-6) {
                if (f1 < f2) {
                    lo = m1;
                    m1 = m2;
                    f1 = f2;
                    m2 = hi - (hi - lo) * g;
                    f2 = size(m2);
                } else {
                    hi = m2;
                    m2 = m1;
                    f2 = f1;
                    m1 = lo + (hi - lo) * g;
                    f1 = size(m1);
                }
            }
            const PileForcePoint p = at((lo + hi) / 2);
            if (measure(p.*field) > measure(best.value))
                best = {p.*field, p.depth};
        }
        return best;
    };
    out.maxMoment = extreme(&PileForcePoint::moment, 0);
    out.maxShear = extreme(&PileForcePoint::shear, 0);
    out.maxDisplacement = extreme(&PileForcePoint::displacement, 0);
    out.maxStress = extreme(&PileForcePoint::stress, h1);
    for (int k = 0; k < 2; ++k) {
        const int sign = k == 0 ? -1 : 1;
        out.momentRange[k] = extreme(&PileForcePoint::moment, 0, sign);
        out.shearRange[k] = extreme(&PileForcePoint::shear, 0, sign);
        out.displacementRange[k] = extreme(&PileForcePoint::displacement, 0, sign);
        out.stressRange[k] = extreme(&PileForcePoint::stress, h1, sign);
    }
    // The largest rotation among the points: enough to tell a small angle.
    PileForceExtreme rotation;
    for (const PileForcePoint& p : out.points)
        if (std::fabs(p.rotation) > std::fabs(rotation.value))
            rotation = {p.rotation, p.depth};

    // A linear ground model stretched past sense: the pile moves by more than a
    // tenth of its embedded length, or turns beyond small angles.
    {
        char why[240], chinese[240];
        if (std::fabs(out.maxDisplacement.value) > 0.1 * h2) {
            // In mm, as every displacement is given.
            std::snprintf(why, sizeof why,
                          "the displacement %.4g mm at %.2f m exceeds a tenth of the embedded length (%.4g mm): the "
                          "linear ground model does not hold",
                          out.maxDisplacement.value * 1000, out.maxDisplacement.depth, 100 * h2);
            std::snprintf(chinese, sizeof chinese, "位移 %.4gmm（桩顶以下 %.2fm）超过锚固段长度的十分之一 %.4gmm",
                          out.maxDisplacement.value * 1000, out.maxDisplacement.depth, 100 * h2);
            out.linearModelHolds = false;
            out.linearModelReason = why;
            out.linearModelReasonChinese = chinese;
        } else if (std::fabs(rotation.value) > kLargestRotation) {
            std::snprintf(why, sizeof why,
                          "the rotation %.4g rad at %.2f m exceeds %.2g rad: the linear ground model does not hold",
                          rotation.value, rotation.depth, kLargestRotation);
            std::snprintf(chinese, sizeof chinese, "转角 %.4grad（桩顶以下 %.2fm）超过 %.2grad", rotation.value,
                          rotation.depth, kLargestRotation);
            out.linearModelHolds = false;
            out.linearModelReason = why;
            out.linearModelReasonChinese = chinese;
        }
    }

    // Checks against what the user allows (0: not checked), at the worst point.
    PileForceCheck stress{"fYunXuYingLi", d.fYunXuYingLi > 0, true, std::fabs(out.maxStress.value), d.fYunXuYingLi,
                          out.maxStress.depth};
    stress.holds = !stress.checked || stress.value <= stress.allowed;
    PileForceCheck top{"fYunXuDingWeiYi", d.fYunXuDingWeiYi > 0, true, std::fabs(out.topDisplacement) * 1000,
                       d.fYunXuDingWeiYi, 0};
    top.holds = !top.checked || top.value <= top.allowed;
    PileForceCheck slip{"fYunXuHuaMianWeiYi", d.fYunXuHuaMianWeiYi > 0, true, std::fabs(out.slip.displacement) * 1000,
                        d.fYunXuHuaMianWeiYi, h1};
    slip.holds = !slip.checked || slip.value <= slip.allowed;
    out.checks = {stress, top, slip};
    const double factor = static_cast<double>(d.fHeZaiXiShu) * d.fGamma0;
    out.reinforcement = DesignPileReinforcement(r, std::fabs(out.maxMoment.value) * factor,
                                                std::fabs(out.maxShear.value) * factor);
    out.status = 1;
    return out;
}
