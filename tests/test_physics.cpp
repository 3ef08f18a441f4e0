// What must not matter does not, what must balance balances: properties of the
// resistance calculation and of the pile under a thrust over random records
// that an engineer could enter, instead of a second copy of the formulas.
#include "KangLiCore.h"
#include "PileForces.h"

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
    r.fPoMianDaoZhuangDing = Grid(0, 4, 0.1);
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

bool Close(double a, double b, double relative = 2e-3, double absolute = 0.05)
{
    return std::fabs(a - b) <= absolute + relative * std::max(std::fabs(a), std::fabs(b));
}

// Every point's ground, pile and final value of b equals a's.
void SameAtEveryPoint(const KangLiCalculation& a, const KangLiCalculation& b, double upTo = 1e30)
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
                    std::to_string(b.final[i]));
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
    SameAtEveryPoint(CalculateKangLi(r), CalculateKangLi(split));
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
        SameAtEveryPoint(CalculateKangLi(r), CalculateKangLi(deeper));
        return;
    }
    SameAtEveryPoint(before, CalculateKangLi(deeper), r.fZhuangChang);
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
        RC_ASSERT(b.ground[i] >= a.ground[i] * (1 - 1e-5f) - 1e-3f);
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
