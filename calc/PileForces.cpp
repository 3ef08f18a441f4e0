#include "PileForces.h"

#include "Concrete.h"
#include "EmbeddedSolution.h"
#include "LoadedPart.h"
#include "NumericLocale.h"
#include "FieldTable.h"
#include "PileSection.h"
#include "TuKangLiJiSuan.h"
#include "WholePile.h"

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

PileForces Refuse(PileForces out, const std::string& key, const std::string& why)
{
    out.status = 0;
    out.refusedField = key;
    out.refusal = why;
    return out;
}

// Extremes from the solution itself: the largest magnitude among the points,
// then refined around every local peak of the samples (a peak between two
// samples, or at the slip surface, is not missed).
void FindExtremes(PileForces& out, const std::function<PileForcePoint(double)>& at)
{
    const double h1 = out.h1;
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
}

// A linear ground model stretched past sense: the pile moves by more than a
// tenth of its embedded length, or turns beyond small angles.
void JudgeLinearModel(PileForces& out)
{
    const double h2 = out.h2;
    // The largest rotation among the points: enough to tell a small angle.
    PileForceExtreme rotation;
    for (const PileForcePoint& p : out.points)
        if (std::fabs(p.rotation) > std::fabs(rotation.value))
            rotation = {p.rotation, p.depth};

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

}

// The largest value of f on [a, b] of the sign asked (+1, -1): sampled at
// most every 0.1 m, each peak refined by golden section to a micrometre.
PileForceExtreme LargestOn(const std::function<double(double)>& f, double a, double b, int sign)
{
    const int n = std::max(8, static_cast<int>(std::ceil((b - a) / 0.1)));
    std::vector<double> z(n + 1), v(n + 1);
    for (int i = 0; i <= n; ++i) {
        z[i] = a + (b - a) * i / n;
        v[i] = std::max(0.0, sign * f(z[i]));
    }
    PileForceExtreme best{0, a};
    for (int i = 0; i <= n; ++i) {
        if (v[i] > std::fabs(best.value))
            best = {sign * v[i], z[i]};
        if (!(v[i] > 0) || (i > 0 && v[i] < v[i - 1]) || (i < n && v[i] < v[i + 1]))
            continue;
        constexpr double g = 0.3819660112501051;
        double lo = z[std::max(i - 1, 0)], hi = z[std::min(i + 1, n)];
        double m1 = lo + (hi - lo) * g, m2 = hi - (hi - lo) * g;
        double f1 = sign * f(m1), f2 = sign * f(m2);
        while (hi - lo > 1e-6) {
            if (f1 < f2) {
                lo = m1, m1 = m2, f1 = f2, m2 = hi - (hi - lo) * g, f2 = sign * f(m2);
            } else {
                hi = m2, m2 = m1, f2 = f1, m1 = lo + (hi - lo) * g, f1 = sign * f(m1);
            }
        }
        const double top = sign * f((lo + hi) / 2);
        if (top > std::fabs(best.value))
            best = {sign * top, (lo + hi) / 2};
    }
    return best;
}

// Checks against what the user allows (0: not checked), at the worst point:
// the stress on the ground (the design block's, or each layer's on each
// face), the displacements, and each anchor against its capacity.
std::vector<PileForceCheck> AllowableChecks(const PileForces& out, const CSheJi& d)
{
    const double h1 = out.h1;
    std::vector<PileForceCheck> checks;
    auto add = [&checks](PileForceCheck c) {
        c.holds = !c.checked || c.value <= c.allowed;
        checks.push_back(std::move(c));
    };
    if (out.layers.empty()) {
        add({"SheJi.fYunXuYingLi", PileCheckKind::Stress, 0, -1, d.fYunXuYingLi > 0, true,
             std::fabs(out.maxStress.value), d.fYunXuYingLi, out.maxStress.depth});
    } else {
        for (const PileLayerStress& l : out.layers)
            for (int face : {1, -1}) {
                const PileForceExtreme& e = face > 0 ? l.front : l.back;
                add({"TuCeng[" + std::to_string(l.layer) + "].fYunXuYingLi", PileCheckKind::Stress, face, l.layer,
                     l.allowed > 0, true, std::fabs(e.value), l.allowed, e.depth});
            }
    }
    add({"SheJi.fYunXuDingWeiYi", PileCheckKind::TopDisplacement, 0, -1, d.fYunXuDingWeiYi > 0, true,
         std::fabs(out.topDisplacement) * 1000, d.fYunXuDingWeiYi, 0});
    add({"SheJi.fYunXuHuaMianWeiYi", PileCheckKind::SlipDisplacement, 0, -1, d.fYunXuHuaMianWeiYi > 0, true,
         std::fabs(out.slip.displacement) * 1000, d.fYunXuHuaMianWeiYi, h1});
    for (size_t i = 0; i < out.anchors.size(); ++i) {
        const PileAnchorResult& a = out.anchors[i];
        add({"SheJi.MaoSuo[" + std::to_string(i) + "].fKangBaLi", PileCheckKind::AnchorForce, 0,
             static_cast<int>(i), a.capacity > 0, true, a.force, a.capacity, a.depth});
    }
    return checks;
}

// The ground below the slip surface for the beam on springs: by layers where
// any layer gives a coefficient, else the design block's one ground. Empty
// with *key and *why set when refused.
std::vector<SpringGround> SpringGroundOf(const CPelvorinData& r, double h1, double L, bool& layered,
                                         std::vector<int>& layerOf, std::string& key, std::string& why)
{
    const CSheJi& d = r.SheJi;
    std::vector<SpringGround> ground;
    layered = LayersGiveGround(r);
    auto label = [](const char* k) { return FieldLabelText(*FindLayerField(k)); };
    if (!layered) {
        // A layer's allowable belongs with the layers' ground; with the design
        // block's one ground its one allowable checks the stress.
        for (size_t i = 0; i < r.TuCeng.size(); ++i)
            if (r.TuCeng[i].fYunXuYingLi > 0) {
                key = "TuCeng[" + std::to_string(i) + "].fYunXuYingLi";
                why = key + " (" + label("fYunXuYingLi") +
                      "): no layer gives a ground coefficient, so the design block's ground and its allowable "
                      "SheJi.fYunXuYingLi apply; give the allowable there, or each layer its coefficient "
                      "(fK, or fM with fA) beside its allowable (is " + MessageNumber(r.TuCeng[i].fYunXuYingLi) + ")";
                return {};
            }
        if (d.nDiJiFa == 0)
            ground.push_back({h1, L, d.fK, d.fK, 0});
        else
            ground.push_back({h1, L, d.fA1, d.fA2, d.fM});
        layerOf.push_back(-1);
        return ground;
    }
    // The design block's single ground beside the layers': two places for one
    // thing, refused rather than one of them silently dropped.
    for (const DesignFieldDef& f : DesignFields()) {
        if (IsSingleGroundKey(f) && DesignValue(f, d) > 0) {
            key = std::string("SheJi.") + f.key;
            why = key + " (" + f.label + "): the layers give the ground below the slip surface (TuCeng[i].fK, or "
                                         "fM with fA) and each its allowable (TuCeng[i].fYunXuYingLi); give it there "
                                         "only, and " + key + " as 0 (is " + MessageNumber(DesignValue(f, d)) + ")";
            return {};
        }
    }
    // Layer i spans from the slope surface down; the last reaches the foot,
    // the first up to the slip surface wherever the slope surface is.
    double top = r.fPoMianDaoZhuangDing;
    const size_t n = r.TuCeng.size();
    for (size_t i = 0; i < n; ++i) {
        const CTuCeng& c = r.TuCeng[i];
        const double bottom = i + 1 == n ? L : top + AsWritten(c.fHouDu);
        const double from = std::max(i == 0 ? h1 : top, h1), to = std::min(bottom, L);
        top = bottom;
        if (!(to > from + 1e-9))
            continue;
        const std::string at = "TuCeng[" + std::to_string(i) + "]";
        const bool k = c.fK > 0, m = c.fM > 0 || c.fA > 0;
        if (k == m) {
            key = at + ".fK";
            why = key + " (" + label("fK") + "): layer " + std::to_string(i + 1) +
                  (k ? " gives both K and m/A: give one ground coefficient, K (constant) or m with A"
                     : ", below the slip surface along the pile, has no ground coefficient (fK, or fM with fA) "
                       "while other layers have one");
            return {};
        }
        ground.push_back({from, to, k ? c.fK : c.fA, k ? c.fK : c.fA, k ? 0.0 : c.fM});
        layerOf.push_back(static_cast<int>(i));
    }
    if (ground.empty()) {
        key = "TuCeng";
        why = "TuCeng: no layer lies along the pile below the slip surface";
    }
    return ground;
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
    CTuKangLiJiSuan resistance;
    resistance.pData = &copy;
    const double Bp = resistance.GetJiSuanKuanDu();

    // Loaded part. The sliding mass in front holds back less than the thrust,
    // or the pile carries nothing (or is pushed uphill): not the design case.
    if (!(d.fQianKangLi < d.fTuiLi))
        return Refuse(out, "SheJi.fQianKangLi",
                      "SheJi.fQianKangLi (桩前滑体抗力（kN/m）): the resistance in front (" + MessageNumber(d.fQianKangLi) +
                          ") is not below the design thrust (" + MessageNumber(d.fTuiLi) +
                          "): the pile carries no thrust");
    const double ET = (static_cast<double>(d.fTuiLi) - d.fQianKangLi) * r.fZhuangJianJu;
    const LoadedPart load = ThrustOnThePile(d, h1, ET);
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

    bool layered = false;
    std::vector<int> layerOf;
    std::string key, why;
    const std::vector<SpringGround> ground = SpringGroundOf(r, h1, L, layered, layerOf, key, why);
    if (ground.empty())
        return Refuse(out, key, why);
    if (!layered && !CheckDesignGround(d, &problem)) {
        const size_t space = problem.find(' ');
        return Refuse(out, problem.substr(0, space), problem);
    }
    for (size_t i = 0; i < d.MaoSuo.size(); ++i)
        if (!(AsWritten(d.MaoSuo[i].fShenDu) <= L)) {
            const std::string at = "SheJi.MaoSuo[" + std::to_string(i) + "].fShenDu";
            return Refuse(out, at,
                          at + " (锚索深度（m）): the anchor's head must lie on the pile, 0 .. " + MessageNumber(L) +
                              " m below its top (is " + MessageNumber(d.MaoSuo[i].fShenDu) + ")");
        }

    // The whole pile at depth z below its top; the slip surface itself takes
    // the embedded side, so that its stress is the ground's just below it.
    std::function<PileForcePoint(double)> at;
    if (layered || !d.MaoSuo.empty()) {
        // Anchors or layered ground: the whole pile as a beam on springs.
        WholePileLoad in;
        in.L = L;
        in.EI = EI;
        in.Bp = Bp;
        in.load = load;
        in.ground = ground;
        in.hinged = hinged;
        for (const CMaoSuo& a : d.MaoSuo)
            in.anchors.push_back({AsWritten(a.fShenDu), std::cos(AsWritten(a.fQingJiao) * kJiSuanPi / 180),
                                  static_cast<double>(a.fGangDu), static_cast<double>(a.fYuLi)});
        // Ten elements per unit of beta L in the stiffest ground, at least a
        // hundred: cubic elements then give x to some 1e-8 of itself. Many
        // more would lose digits instead: the bending terms EI/l^3 swamp the
        // springs, and the solution's error grows as l^-4 (at L/3200 it reaches
        // 1e-3).
        double stiffest = 0;
        for (const SpringGround& g : ground)
            stiffest = std::max(stiffest, std::max(g.front, g.back) + g.m * (g.bottom - h1));
        const double beta = std::pow(stiffest * Bp / (4 * EI), 0.25);
        const int elements = static_cast<int>(std::clamp(std::ceil(10 * beta * L), 100.0, 1000.0));
        auto beam = std::make_shared<WholePileBeam>();
        if (!beam->Solve(in, elements))
            return Refuse(out, layered ? "TuCeng" : coefficientKey,
                          std::string(layered ? "TuCeng" : coefficientKey) + ": " + beam->Failure());
        out.springs = true;
        if (layered)
            out.method = 'L';
        for (size_t i = 0; i < d.MaoSuo.size(); ++i) {
            const CMaoSuo& a = d.MaoSuo[i];
            const AnchorForce& f = beam->Anchors()[i];
            out.anchors.push_back({AsWritten(a.fShenDu), AsWritten(a.fQingJiao), f.horizontal, f.axial,
                                   AsWritten(a.fYuLi), AsWritten(a.fKangBaLi), f.slack, f.displacement,
                                   f.lockOffDisplacement});
        }
        if (layered)
            for (size_t i = 0; i < ground.size(); ++i) {
                const SpringGround& g = ground[i];
                auto stress = [&beam, &g](double z) { return beam->StressIn(g, z); };
                PileLayerStress l;
                l.layer = layerOf[i];
                l.top = g.top;
                l.bottom = g.bottom;
                l.front = LargestOn(stress, g.top, g.bottom, 1);
                l.back = LargestOn(stress, g.top, g.bottom, -1);
                l.allowed = r.TuCeng[static_cast<size_t>(layerOf[i])].fYunXuYingLi;
                out.layers.push_back(l);
            }
        at = [beam](double z) { return beam->At(z); };
    } else {
        // The embedded part at y below the slip surface by the closed forms.
        const EmbeddedLoad onEmbedded{h2, Bp, EI, Q0, M0, hinged};
        const EmbeddedSolution solution = kMethod ? SolveKMethod(d, onEmbedded) : SolveMMethod(d, onEmbedded);
        out.coefficient = solution.coefficient;
        out.coefficientLength = solution.coefficientLength;
        out.rigid = solution.rigid;
        out.constantGround = solution.constantGround;
        if (solution.rotationCentre >= 0)
            out.rotationCentre = h1 + solution.rotationCentre;
        if (!solution.refusedField.empty())
            return Refuse(out, solution.refusedField, solution.refusal);
        const PileForcePoint atSlip = solution.at(0);
        at = [embedded = solution.at, atSlip, load, h1, EI](double z) {
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
    }

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
        // The thrust's moment about the foot, and the cables' pull about it:
        // a pile held by its cables under a small thrust is measured by both.
        double pull = 0;
        for (const PileAnchorResult& a : out.anchors)
            pull += std::fabs(a.horizontal) * L;
        const double scale = std::fabs(M0) + std::fabs(Q0) * h2 + pull + 1e-9;
        bool ok = std::isfinite(out.slip.displacement) && std::isfinite(out.topDisplacement) &&
                  std::isfinite(foot.moment) && std::isfinite(foot.shear);
        ok = ok && std::fabs(foot.moment) <= 1e-4 * scale;
        if (!hinged)
            ok = ok && std::fabs(foot.shear) * h2 <= 1e-4 * scale;
        else
            ok = ok && std::fabs(foot.displacement) <= 1e-4 * (std::fabs(out.slip.displacement) + 1e-12);
        for (const PileForcePoint& p : out.points)
            ok = ok && std::isfinite(p.moment) && std::isfinite(p.shear) && std::isfinite(p.displacement);
        const std::string springsKey = out.method == 'L' ? "TuCeng" : coefficientKey;
        if (!ok && out.springs)
            return Refuse(out, springsKey,
                          springsKey + ": the beam on springs does not meet its foot within the arithmetic: the ground "
                              "along the embedded part (" + MessageNumber(h2) + " m) is too short or too soft to "
                              "hold the pile");
        if (!ok)
            return Refuse(out, coefficientKey,
                          kMethod ? "SheJi.fK (地基系数K（kN/m³）): the numbers overflow: the ground coefficient is "
                                    "too small for the arithmetic"
                                  : "SheJi.fM (地基系数的比例系数m（kN/m⁴）): the numbers overflow: the ground "
                                    "coefficients are too small for the arithmetic");
    }

    FindExtremes(out, at);
    JudgeLinearModel(out);
    out.checks = AllowableChecks(out, d);
    const double factor = static_cast<double>(d.fHeZaiXiShu) * d.fGamma0;
    out.reinforcement = DesignPileReinforcement(r, std::fabs(out.maxMoment.value) * factor,
                                                std::fabs(out.maxShear.value) * factor);
    // A rectangle's other face: its bars for the largest moment of the other
    // sign (a circle's bars go all round and serve both).
    if (r.nJieMianXingZhuang == 1) {
        const PileForceExtreme& other = out.maxMoment.value >= 0 ? out.momentRange[0] : out.momentRange[1];
        out.otherFace = true;
        out.reinforcementOtherFace =
            DesignPileReinforcement(r, std::fabs(other.value) * factor, std::fabs(out.maxShear.value) * factor);
    }
    out.status = 1;
    return out;
}

const char* CheckUnit(PileCheckKind kind)
{
    switch (kind) {
    case PileCheckKind::Stress:
        return "kPa";
    case PileCheckKind::AnchorForce:
        return "kN";
    default:
        return "mm";
    }
}
