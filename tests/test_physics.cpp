// What must not matter does not, what must balance balances: properties of the
// resistance calculation and of the pile under a thrust over random records
// that an engineer could enter, instead of a second copy of the formulas.
#include "KangLiCore.h"
#include "PileForces.h"
#include "RecordJson.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// A value on a grid of `step` in [lo, hi].
float Grid(double lo, double hi, double step)
{
    const int n = static_cast<int>(std::lround((hi - lo) / step));
    return static_cast<float>(lo + step * *rc::gen::inRange(0, n + 1));
}

CTuCeng RandomLayer(int type)
{
    CTuCeng l;
    l.nLeiXing = type;
    l.fHouDu = Grid(0.5, 9, 0.1);
    if (type == 0) {
        l.fZhongDu = Grid(15, 22, 0.5);
        l.fNianJuLi = Grid(0, 40, 1);
        l.fMoCaJiao = Grid(5, 40, 1);
        l.fFuZhongDu = Grid(7, 12, 0.5);
        l.fShuiXiaNianJuLi = Grid(0, 30, 1);
        l.fShuiXiaMoCaJiao = Grid(5, 35, 1);
    } else {
        l.fZhongDu = Grid(21, 27, 0.5);
        l.fNianJuLi = Grid(50, 800, 10);
        l.fMoCaJiao = Grid(20, 55, 1);
        l.fFuZhongDu = l.fZhongDu;
        l.fShuiXiaNianJuLi = l.fNianJuLi;
        l.fShuiXiaMoCaJiao = l.fMoCaJiao;
    }
    return l;
}

// Soil over rock (the only order the calculation accepts), some water or none,
// a rectangle or a circle.
CPelvorinData RandomRecord()
{
    CPelvorinData r;
    r.fZhuangChang = Grid(4, 30, 0.1);
    // The slope surface may lie above the pile top (a buried pile head).
    r.fPoMianDaoZhuangDing = Grid(-3, 4, 0.1);
    r.fHuaMianDaoZhuangDing = Grid(1, r.fZhuangChang - 1, 0.1);
    r.nJieMianXingZhuang = *rc::gen::inRange(0, 2);
    r.fZhuangKuan = Grid(0.8, 3, 0.1);
    r.fZhuangGao = Grid(1, 4, 0.1);
    r.fZhuangJing = Grid(0.8, 3, 0.1);
    r.fZhuangJianJu = Grid(3, 10, 0.5);
    r.nHunNingTuDengJi = *rc::gen::element(20, 25, 30, 35, 40);
    r.bKaoLvShui = *rc::gen::inRange(0, 2);
    r.fShuiWeiShenDu = Grid(0, 25, 0.1);
    r.fZheJianXiShu = Grid(0.2, 1, 0.05);
    const int soil = *rc::gen::inRange(0, 4), rock = *rc::gen::inRange(soil == 0 ? 1 : 0, 4);
    for (int i = 0; i < soil; ++i)
        r.TuCeng.push_back(RandomLayer(0));
    for (int i = 0; i < rock; ++i)
        r.TuCeng.push_back(RandomLayer(1));
    r.nTuCengShu = static_cast<int>(r.TuCeng.size());
    return r;
}

double Bottom(const CPelvorinData& r)
{
    double z = r.fPoMianDaoZhuangDing;
    for (const CTuCeng& l : r.TuCeng)
        z += l.fHouDu;
    return z;
}

// The layers reach below the pile foot, as a borehole log or a slope model's
// strata do.
void ReachBelowTheFoot(CPelvorinData& r)
{
    const double short_ = r.fZhuangChang + 0.5 - Bottom(r);
    if (short_ > 0)
        r.TuCeng.back().fHouDu = static_cast<float>(r.TuCeng.back().fHouDu + short_ + Grid(0, 10, 0.1));
}

// The record in a line, for a counterexample.
std::string Describe(const CPelvorinData& r) { return nlohmann::json::parse(RecordToJson(r)).dump(); }

bool Close(double a, double b, double relative = 2e-3, double absolute = 0.05)
{
    return std::fabs(a - b) <= absolute + relative * std::max(std::fabs(a), std::fabs(b));
}

// Every point's ground, pile and final value of b equals a's.
void SameAtEveryPoint(const KangLiCalculation& a, const KangLiCalculation& b, double upTo = 1e30,
                      const std::string& what = "")
{
    RC_ASSERT(a.status == 1);
    RC_ASSERT(b.status == 1);
    RC_ASSERT(a.depth == b.depth);
    for (size_t i = 0; i < a.depth.size(); ++i) {
        if (a.depth[i] > upTo)
            continue;
        if (!Close(a.ground[i], b.ground[i]) || !Close(a.final[i], b.final[i]) || !Close(a.pile[i], b.pile[i]))
            RC_FAIL("at " + std::to_string(a.depth[i]) + " m: ground " + std::to_string(a.ground[i]) + " against " +
                    std::to_string(b.ground[i]) + ", final " + std::to_string(a.final[i]) + " against " +
                    std::to_string(b.final[i]) + "; " + what);
    }
}

} // namespace

// ------------------------------------------------------------ the resistance

RC_GTEST_PROP(Physics, SplittingALayerIntoTwoIdenticalLayersChangesNothing, ())
{
    CPelvorinData r = RandomRecord();
    if (*rc::gen::arbitrary<bool>())
        ReachBelowTheFoot(r);
    const size_t k = *rc::gen::inRange<size_t>(0, r.TuCeng.size());
    const float part = Grid(0.1, 0.9, 0.05) * r.TuCeng[k].fHouDu;
    CPelvorinData split = r;
    split.TuCeng.insert(split.TuCeng.begin() + static_cast<long>(k), split.TuCeng[k]);
    split.TuCeng[k].fHouDu = part;
    split.TuCeng[k + 1].fHouDu = r.TuCeng[k].fHouDu - part;
    split.nTuCengShu += 1;
    // Depths closer than 0.01 m merge in the division lists (kept as written):
    // a new boundary within a centimetre of the foot would move the foot itself.
    double boundary = r.fPoMianDaoZhuangDing;
    for (size_t i = 0; i <= k; ++i)
        boundary += split.TuCeng[i].fHouDu;
    RC_PRE(std::fabs(boundary - r.fZhuangChang) > 0.02);
    SameAtEveryPoint(CalculateKangLi(r), CalculateKangLi(split), 1e30, Describe(split));
}

RC_GTEST_PROP(Physics, NothingBelowTheFootResists, ())
{
    CPelvorinData r = RandomRecord();
    ReachBelowTheFoot(r);
    const KangLiCalculation before = CalculateKangLi(r);
    CPelvorinData deeper = r;
    // A layer added below the last, the last made thicker, or the water level
    // moved anywhere below the foot: the foot does not see it.
    switch (*rc::gen::inRange(0, 3)) {
    case 0:
        deeper.TuCeng.push_back(RandomLayer(r.TuCeng.back().nLeiXing == 0 ? *rc::gen::inRange(0, 2) : 1));
        deeper.nTuCengShu += 1;
        break;
    case 1:
        deeper.TuCeng.back().fHouDu += Grid(0.1, 30, 0.1);
        break;
    default:
        if (r.fPoMianDaoZhuangDing + r.fShuiWeiShenDu <= r.fZhuangChang + 0.01f)
            deeper.fShuiWeiShenDu = Grid(r.fZhuangChang + 0.05 - r.fPoMianDaoZhuangDing, 60, 0.1);
        deeper.bKaoLvShui = 1;
        r.bKaoLvShui = 0; // a water level below the foot is as no water at all
        SameAtEveryPoint(CalculateKangLi(r), CalculateKangLi(deeper), 1e30, Describe(deeper));
        return;
    }
    SameAtEveryPoint(before, CalculateKangLi(deeper), r.fZhuangChang, Describe(deeper));
}

RC_GTEST_PROP(Physics, TheFinalResistanceIsTheSmallerSideAndTheFootResistsNothing, ())
{
    CPelvorinData r = RandomRecord();
    const KangLiCalculation c = CalculateKangLi(r);
    RC_ASSERT(c.status == 1);
    for (size_t i = 0; i < c.depth.size(); ++i) {
        RC_ASSERT(c.final[i] == std::min(c.ground[i], c.pile[i]));
        RC_ASSERT(c.ground[i] >= 0.0f);
    }
    // The points run from the foot up; the ground below the foot is none.
    RC_ASSERT(std::fabs(c.depth.front() - r.fZhuangChang) < 0.01f);
    RC_ASSERT(c.ground.front() < 0.01f * c.ground.back() + 1e-3f);
}

RC_GTEST_PROP(Physics, StrongerGroundResistsNoLess, ())
{
    // More cohesion anywhere, or more friction in the soil, never lowers the
    // ground's resistance at any point.
    CPelvorinData r = RandomRecord();
    CPelvorinData stronger = r;
    const size_t k = *rc::gen::inRange<size_t>(0, r.TuCeng.size());
    CTuCeng& l = stronger.TuCeng[k];
    const float more = Grid(1, 50, 1);
    if (l.nLeiXing == 0 && *rc::gen::arbitrary<bool>()) {
        l.fMoCaJiao = std::min(l.fMoCaJiao + more, 60.0f);
        l.fShuiXiaMoCaJiao = std::min(l.fShuiXiaMoCaJiao + more, 60.0f);
    } else {
        l.fNianJuLi += more;
        l.fShuiXiaNianJuLi += more;
    }
    const KangLiCalculation a = CalculateKangLi(r), b = CalculateKangLi(stronger);
    RC_ASSERT(a.status == 1);
    for (size_t i = 0; i < a.depth.size(); ++i)
        if (!(b.ground[i] >= a.ground[i] * (1 - 1e-5f) - 1e-3f))
            RC_FAIL("at " + std::to_string(a.depth[i]) + " m: " + std::to_string(b.ground[i]) + " below " +
                    std::to_string(a.ground[i]) + "; " + Describe(stronger));
}

RC_GTEST_PROP(Physics, ThePileSideIsShearPerPileOverTheSpacing, ())
{
    CPelvorinData r = RandomRecord();
    CPelvorinData wider = r;
    const float factor = Grid(1.5, 4, 0.5);
    wider.fZhuangJianJu = r.fZhuangJianJu * factor;
    const KangLiCalculation a = CalculateKangLi(r), b = CalculateKangLi(wider);
    for (size_t i = 0; i < a.depth.size(); ++i)
        RC_ASSERT(Close(b.pile[i] * factor, a.pile[i], 1e-5, 1e-4));
}

// ------------------------------------------------------------ the pile under a thrust

namespace {

// A pile an engineer could design: K or m method, either foot, any distribution.
CPelvorinData RandomDesign()
{
    CPelvorinData r;
    r.nJieMianXingZhuang = *rc::gen::inRange(0, 2);
    r.fZhuangKuan = Grid(1, 3, 0.1);
    r.fZhuangGao = Grid(1.2, 4, 0.1);
    r.fZhuangJing = Grid(1, 3, 0.1);
    r.fZhuangJianJu = Grid(4, 10, 0.5);
    r.fZhuangChang = Grid(8, 40, 0.5);
    r.fHuaMianDaoZhuangDing = Grid(0.3 * r.fZhuangChang, 0.65 * r.fZhuangChang, 0.1);
    r.nHunNingTuDengJi = *rc::gen::element(25, 30, 35, 40);
    r.bSheJi = 1;
    CSheJi& d = r.SheJi;
    d.fTuiLi = Grid(100, 2000, 10);
    d.fQianKangLi = Grid(0, 0.5, 0.05) * d.fTuiLi;
    d.nTuiLiFenBu = *rc::gen::inRange(0, 3);
    d.fTiXingBi = Grid(0, 1, 0.1);
    d.nDiJiFa = *rc::gen::inRange(0, 2);
    d.fK = Grid(2e4, 2e6, 1e4);
    d.fM = *rc::gen::element(0.0f, 1e3f, 1e4f, 4e4f, 1e5f);
    d.fA1 = Grid(0, 3e5, 1e4);
    if (d.fM == 0 && d.fA1 == 0)
        d.fA1 = 1e5f;
    d.fA2 = *rc::gen::arbitrary<bool>() ? d.fA1 : Grid(1e4, 3e5, 1e4);
    d.nZhuangDi = *rc::gen::inRange(0, 2);
    d.fGangDuXiShu = Grid(0.6, 1, 0.05);
    return r;
}

} // namespace

RC_GTEST_PROP(Physics, ThePileBalancesAndMeetsItsFoot, ())
{
    const CPelvorinData r = RandomDesign();
    const PileForces f = CalculatePileForces(r);
    RC_ASSERT(f.status == 1);
    const std::vector<PileForcePoint>& p = f.points;
    const double h1 = f.h1, L = r.fZhuangChang;
    const double scaleQ = std::fabs(f.Q0), scaleM = std::fabs(f.M0) + std::fabs(f.Q0) * f.h2;

    // The ground's reaction, integrated by hand over the points (trapezoids),
    // holds the thrust: force, and moment about the foot.
    // Trapezoids over 0.1 m err by about (beta 0.1)^2 of the reaction's size.
    double force = 0, moment = 0, size = 0, sizeMoment = 0;
    for (size_t i = 1; i < p.size(); ++i) {
        if (p[i - 1].depth < h1 - 1e-9)
            continue;
        const double dz = p[i].depth - p[i - 1].depth;
        const double a = p[i - 1].stress * f.width, b = p[i].stress * f.width;
        force += (a + b) / 2 * dz;
        moment += (a * (L - p[i - 1].depth) + b * (L - p[i].depth)) / 2 * dz;
        size += (std::fabs(a) + std::fabs(b)) / 2 * dz;
        sizeMoment += (std::fabs(a) + std::fabs(b)) / 2 * dz * (L - p[i - 1].depth);
    }
    const double trapezoids = 0.005 + std::pow(f.coefficient * 0.1, 2);
    const PileForcePoint& foot = p.back();
    RC_ASSERT(std::fabs(foot.depth - L) < 1e-9);
    RC_ASSERT(std::fabs(f.Q0 - force - foot.shear) <= 0.02 * scaleQ + trapezoids * size);
    RC_ASSERT(std::fabs(f.M0 + f.Q0 * f.h2 - moment - foot.moment) <= 0.02 * scaleM + trapezoids * sizeMoment);

    // The foot as it is held: free, M = Q = 0; hinged, x = M = 0.
    // (A1 and A2 differ: where the pile crosses over, an integration point may
    // keep either side, which leaves some 1e-6 of the load.)
    RC_ASSERT(std::fabs(foot.moment) <= 1e-5 * scaleM);
    if (r.SheJi.nZhuangDi == 0)
        RC_ASSERT(std::fabs(foot.shear) <= 1e-5 * scaleQ);
    else
        RC_ASSERT(std::fabs(foot.displacement) <= 1e-5 * std::fabs(f.slip.displacement) + 1e-12);

    // The embedded part takes over at the slip surface what the loaded part
    // brings there.
    RC_ASSERT(std::fabs(f.slip.shear - f.Q0) <= 1e-6 * scaleQ);
    RC_ASSERT(std::fabs(f.slip.moment - f.M0) <= 1e-6 * scaleM);

    // dM/dz = Q along the whole pile (central differences over 0.1 m), and for an
    // elastic pile M = EI d2x/dz2.
    // Differences over 0.1 m carry an error of about (beta 0.1)^2 of the value.
    double largestM = 0, largestQ = 0;
    for (const PileForcePoint& q : p) {
        largestM = std::max(largestM, std::fabs(q.moment));
        largestQ = std::max(largestQ, std::fabs(q.shear));
    }
    const double step = std::pow(f.coefficient * 0.1, 2) + 0.005;
    for (size_t i = 1; i + 1 < p.size(); ++i) {
        const double dz = p[i + 1].depth - p[i - 1].depth;
        if (dz < 0.15 || std::fabs(p[i].depth - h1) < 0.11)
            continue; // the slip surface's own point, or a step across it
        const double dM = (p[i + 1].moment - p[i - 1].moment) / dz;
        if (!(std::fabs(dM - p[i].shear) <= step * largestQ))
            RC_FAIL("dM/dz " + std::to_string(dM) + " against Q " + std::to_string(p[i].shear) + " at " +
                    std::to_string(p[i].depth) + " (" + f.method + (f.rigid ? " rigid" : " elastic") + ")");
        if (!f.rigid) {
            const double h = dz / 2;
            const double curvature = (p[i + 1].displacement - 2 * p[i].displacement + p[i - 1].displacement) / (h * h);
            RC_ASSERT(std::fabs(f.EI * curvature - p[i].moment) <= step * largestM);
        }
    }

    // The extremes are the solution's largest magnitudes: no point exceeds them.
    for (const PileForcePoint& q : p) {
        RC_ASSERT(std::fabs(q.moment) <= std::fabs(f.maxMoment.value) * (1 + 1e-12));
        RC_ASSERT(std::fabs(q.shear) <= std::fabs(f.maxShear.value) * (1 + 1e-12));
        RC_ASSERT(std::fabs(q.displacement) <= std::fabs(f.maxDisplacement.value) * (1 + 1e-12));
        RC_ASSERT(std::fabs(q.stress) <= std::fabs(f.maxStress.value) * (1 + 1e-12));
        // and the two extremes of each sign bound every point from both sides.
        const auto within = [](double v, const PileForceExtreme* range) {
            const double slack = 1e-12 * (std::fabs(range[0].value) + std::fabs(range[1].value)) + 1e-300;
            return v >= range[0].value - slack && v <= range[1].value + slack;
        };
        RC_ASSERT(within(q.moment, f.momentRange));
        RC_ASSERT(within(q.shear, f.shearRange));
        RC_ASSERT(within(q.displacement, f.displacementRange));
        if (q.depth >= f.h1)
            RC_ASSERT(within(q.stress, f.stressRange));
    }
    // The largest magnitude is one of the two.
    RC_ASSERT(f.maxMoment.value == f.momentRange[0].value || f.maxMoment.value == f.momentRange[1].value);
    RC_ASSERT(f.maxShear.value == f.shearRange[0].value || f.maxShear.value == f.shearRange[1].value);
    // The stress check sees the worst stress, the slip surface's included.
    const double ground = (r.SheJi.nDiJiFa == 0 ? r.SheJi.fK
                                                : (f.slip.displacement >= 0 ? r.SheJi.fA1 : r.SheJi.fA2)) *
                          f.slip.displacement;
    RC_ASSERT(std::fabs(f.slip.stress - ground) <= 1e-9 * std::fabs(ground) + 1e-9);
    RC_ASSERT(std::fabs(f.maxStress.value) >= std::fabs(ground) * (1 - 1e-12));
}

namespace {

// A random design in ground by layers (one to four along the embedded part,
// K or A + m y each) with up to three anchor cables above the slip surface.
CPelvorinData RandomLayeredDesign()
{
    CPelvorinData r = RandomDesign();
    r.SheJi.fK = r.SheJi.fM = r.SheJi.fA1 = r.SheJi.fA2 = 0;
    r.fPoMianDaoZhuangDing = 0;
    r.TuCeng.clear();
    const int n = *rc::gen::inRange(1, 5);
    for (int i = 0; i < n; ++i) {
        CTuCeng c;
        c.fHouDu = i == 0 ? r.fHuaMianDaoZhuangDing + Grid(0.5, 6, 0.5) : Grid(1, 8, 0.5);
        if (*rc::gen::arbitrary<bool>())
            c.fK = Grid(2e4, 1e6, 1e4);
        else
            c.fM = Grid(1e3, 1e5, 1e3), c.fA = Grid(0, 2e5, 1e4);
        r.TuCeng.push_back(c);
    }
    r.nTuCengShu = n;
    const int anchors = *rc::gen::inRange(0, 4);
    for (int i = 0; i < anchors; ++i) {
        CMaoSuo a;
        a.fShenDu = Grid(0, r.fHuaMianDaoZhuangDing - 0.5, 0.5);
        a.fQingJiao = Grid(0, 40, 5);
        a.fGangDu = Grid(5e3, 1e5, 5e3);
        a.fYuLi = Grid(0, 1500, 100);
        r.SheJi.MaoSuo.push_back(a);
    }
    return r;
}

} // namespace

// Layers and cables: the whole pile balances (thrust = ground + cables +
// what a hinged foot holds), a cable pulls or is slack, and splitting a layer
// into two alike changes nothing.
RC_GTEST_PROP(Physics, ALayeredAnchoredPileBalancesAndSplitsChangeNothing, ())
{
    CPelvorinData r = RandomLayeredDesign();
    const PileForces f = CalculatePileForces(r);
    RC_ASSERT(f.status == 1);
    RC_ASSERT(f.springs);
    double pull = 0;
    for (const PileAnchorResult& a : f.anchors) {
        const bool told = a.slack ? a.force == 0 : a.horizontal >= 0;
        RC_ASSERT(told);
        pull += a.horizontal;
    }
    // Shear and moment come by statics from the top (thrust, cables, the
    // springs' reaction): they vanish at a free foot only if the solution holds
    // the pile in equilibrium; a hinged foot holds no moment.
    const PileForcePoint& foot = f.points.back();
    const double scale = std::fabs(f.thrust) + pull;
    RC_ASSERT(std::fabs(foot.moment) <= 1e-6 * scale * r.fZhuangChang);
    if (r.SheJi.nZhuangDi == 0)
        RC_ASSERT(std::fabs(foot.shear) <= 1e-6 * scale);
    else
        RC_ASSERT(std::fabs(foot.displacement) <= 1e-6 * std::fabs(f.maxDisplacement.value) + 1e-12);
    // Every cable is above the slip surface: the shear there is the thrust less their pull.
    RC_ASSERT(std::fabs(f.slip.shear - (f.Q0 - pull)) <= 1e-6 * scale);
    // Split the layer along the slip surface at a point below it: the same pile.
    CPelvorinData split = r;
    CTuCeng top = split.TuCeng[0];
    const float cut = r.fHuaMianDaoZhuangDing + 0.25f;
    CTuCeng lower = top;
    lower.fHouDu = top.fHouDu - cut;
    top.fHouDu = cut;
    split.TuCeng[0] = top;
    split.TuCeng.insert(split.TuCeng.begin() + 1, lower);
    split.nTuCengShu += 1;
    const PileForces g = CalculatePileForces(split);
    RC_ASSERT(g.status == 1);
    RC_ASSERT(std::fabs(g.topDisplacement - f.topDisplacement) <= 1e-6 * std::fabs(f.topDisplacement) + 1e-9);
    RC_ASSERT(std::fabs(g.maxMoment.value - f.maxMoment.value) <= 1e-6 * std::fabs(f.maxMoment.value) + 1e-6);
    for (size_t i = 0; i < f.anchors.size(); ++i)
        RC_ASSERT(std::fabs(g.anchors[i].force - f.anchors[i].force) <= 1e-6 * scale);
}

// ------------------------------------------------------------ the reinforcement

RC_GTEST_PROP(Physics, MoreMomentOrShearNeverNeedsLessSteel, ())
{
    // Any section, concrete and steel: of two moments the larger needs no less
    // longitudinal steel, of two shears the larger no fewer stirrups, as long as
    // the section carries both; and the pile's length or spacing changes neither.
    CPelvorinData r = RandomDesign();
    r.fAs = static_cast<float>(Grid(40, 120, 5));
    r.SheJi.nGangJin = *rc::gen::element(300, 400, 500);
    const double m1 = Grid(0, 20000, 10), m2 = m1 + Grid(1, 5000, 1);
    const double v1 = Grid(0, 8000, 10), v2 = v1 + Grid(1, 2000, 1);
    const PileReinforcement a = DesignPileReinforcement(r, m1, v1), b = DesignPileReinforcement(r, m2, v2);
    if (!a.overReinforced && !b.overReinforced)
        RC_ASSERT(b.required >= a.required * (1 - 1e-9));
    if (!a.sectionTooSmall && !b.sectionTooSmall)
        RC_ASSERT(b.stirrups >= a.stirrups * (1 - 1e-9));
    RC_ASSERT(!a.overReinforced || b.overReinforced); // a section over-reinforced stays so
    CPelvorinData other = r;
    other.fZhuangChang *= 2;
    other.fZhuangJianJu += 1;
    const PileReinforcement c = DesignPileReinforcement(other, m1, v1);
    RC_ASSERT(c.longitudinalArea == a.longitudinalArea && c.stirrups == a.stirrups);
}
