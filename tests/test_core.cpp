// The calculation as a function: what it hands back besides the per-point
// resistances, and that it tells nobody.
#include "KangLiCore.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "TestFiles.h"
#include "TuKangLiJiSuan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A 10 m rectangular pile in 4 m of soil over rock.
CPelvorinData SoilOverRock()
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    r.TuCeng[0].fHouDu = 4;
    r.TuCeng[1].nLeiXing = 1;
    r.TuCeng[1].fHouDu = 20;
    r.TuCeng[1].fNianJuLi = 300;
    r.TuCeng[1].fMoCaJiao = 35;
    r.nTuCengShu = 2;
    r.bKaoLvShui = 0;
    r.fHuaMianDaoZhuangDing = 7;
    return r;
}

} // namespace

TEST(Core, AFrictionAngleWithoutAShearPlaneIsHandedBackNotTold)
{
    // cos(45 - phi/2) vanishes for phi = 270 degrees: no shear plane through
    // the rock. The rock shear counts as none, and the value says so; saying it
    // to the user is the caller's business.
    CPelvorinData r = SoilOverRock();
    r.TuCeng[1].fMoCaJiao = 270;
    ScopedMessageRecorder told;
    const KangLiCalculation c = CalculateKangLi(r);
    EXPECT_TRUE(told.messages.empty());
    ASSERT_EQ(c.status, 1);
    EXPECT_TRUE(c.frictionAngleWarning);
    EXPECT_FLOAT_EQ(c.groundAtSlip.tau, 0.0f);

    r.TuCeng[1].fMoCaJiao = 35;
    const KangLiCalculation fine = CalculateKangLi(r);
    EXPECT_FALSE(fine.frictionAngleWarning);
    EXPECT_GT(fine.groundAtSlip.tau, 0.0f);
}

TEST(Core, TheSlipSurfaceValuesAreThoseOfTheSectionAndTheGroundThere)
{
    const CPelvorinData r = SoilOverRock();
    const KangLiCalculation c = CalculateKangLi(r);
    ASSERT_EQ(c.status, 1);
    EXPECT_FLOAT_EQ(c.slipDepth, 7.0f);
    EXPECT_EQ(c.soilLayers, 1);
    EXPECT_FALSE(c.groundAtSlip.noRock);
    EXPECT_FALSE(c.groundAtSlip.noSoil);
    // C25 (fc 11.9, ftk 1.78), b = 1, h = 1.5, as = 100 mm, 22 kN/m3, s = 5 m:
    // N0 = 22 * 7 * 1.5 = 231 kN, below N1 = 0.3 * 11.9 * 1.5 * 1000 = 5355;
    // Vc = 0.7 * 1000 * 1400 * 1.78 / 1000 + 0.07 * 231 = 1760.57; Fv = 352.114.
    EXPECT_NEAR(c.section.n0, 231.0, 1e-4);
    EXPECT_NEAR(c.section.n1, 5355.0, 1e-3);
    EXPECT_NEAR(c.section.vc, 1760.57, 1e-3);
    EXPECT_NEAR(c.section.fv, 352.114, 1e-3);
    // 7 m lies on a calculation point: the book's values are the point's.
    size_t i = 0;
    while (i < c.depth.size() && std::fabs(c.depth[i] - 7.0f) > 0.001f)
        ++i;
    ASSERT_LT(i, c.depth.size());
    EXPECT_FLOAT_EQ(c.groundAtSlip.ev, c.ground[i]);
    EXPECT_NEAR(c.section.fv, c.pile[i], 1e-3);
    EXPECT_FLOAT_EQ(c.groundAtSlip.ev, c.groundAtSlip.tau + c.groundAtSlip.ep);
    // A rock layer takes its own values under water.
    ASSERT_EQ(c.layers.size(), 2u);
    EXPECT_FLOAT_EQ(c.layers[1].fShuiXiaNianJuLi, 300.0f);
    EXPECT_FLOAT_EQ(c.layers[1].fShuiXiaMoCaJiao, 35.0f);
}

TEST(Core, ASectionIsOneFormulaForEveryUse)
{
    CPelvorinData circle;
    circle.nJieMianXingZhuang = 0;
    circle.fZhuangJing = 2.0f;
    const PileSectionShape s = SectionShape(circle);
    EXPECT_NEAR(s.area, 3.1415926535, 1e-12); // pi d^2 / 4 with the calculation's pi
    EXPECT_NEAR(s.b0, 1760.0, 1e-9);          // 1000 * 1.76 * d / 2
    EXPECT_NEAR(s.h0, 1600.0, 1e-9);          // 1000 * 1.6 * d / 2
    CPelvorinData other;
    other.nJieMianXingZhuang = 7;
    EXPECT_EQ(SectionShape(other).area, 0.0);
    EXPECT_DOUBLE_EQ(ShearCapacity(1000, 1400, 1.78, 165), 1755.95);
}

// ------------------------------------------------------------------ layer queries

TEST(LayerQueries, LayersWaterAndPassivePressureAtAPoint)
{
    CPelvorinData r; // pile top 2 m below the slope top, water 5 m below the top: level 7
    r.TuCeng = {Layer(0, 3.0f, 18.0f, 10.0f, 15.0f, 8.0f), Layer(0, 20.0f, 18.0f, 20.0f, 25.0f, 8.0f)};
    r.nTuCengShu = 2;
    r.TuCeng[1].fShuiXiaNianJuLi = 12.0f;
    r.TuCeng[1].fShuiXiaMoCaJiao = 21.0f;
    CTuKangLiJiSuan g;
    g.pData = &r;
    // A boundary belongs to the layer below; the last layer reaches 1000 m.
    for (auto [z, layer] : std::vector<std::pair<float, int>>{{1, 0}, {4, 0}, {5, 1}, {500, 1}, {2000, -1}})
        EXPECT_EQ(g.GetCengHao(z), layer) << z;
    EXPECT_NEAR(g.GetShuZhiYingLi(10.0f), 5 * 18 + 3 * 8, 1e-4f);
    // On the water level the flag chooses; below it the under-water value.
    EXPECT_EQ(g.GetNianJuLi(7.0f, 1, 1), 12.0f);
    EXPECT_EQ(g.GetNianJuLi(7.0f, 1, 0), 20.0f);
    EXPECT_EQ(g.GetMoCaJiao(8.0f, 1, 0), 21.0f);
    EXPECT_EQ(g.GetMoCaJiao(6.0f, 1, 1), 25.0f);
    EXPECT_EQ(g.GetNianJuLi(6.0f, -1, 1), 0.0f);
    r.bKaoLvShui = 0;
    EXPECT_NEAR(g.GetShuZhiYingLi(10.0f), 8 * 18, 1e-4f);
    EXPECT_EQ(g.GetMoCaJiao(8.0f, 1, 1), 25.0f);

    // Kp = tan2(45 + phi/2): 1.69840 at 15, 3 at 30, none at 90.
    r.TuCeng = {Layer(0, 20.0f, 18.0f, 10.0f, 15.0f)};
    r.nTuCengShu = 1;
    EXPECT_EQ(g.GetCengHao(5000.0f), 0); // one layer: every depth
    EXPECT_NEAR(g.GetKp(5.0f, 0, 0), 1.69840f, 1e-5f);
    // p = 2c sqrt(Kp) = 26.065 at the slope surface, Kp * 8 * 18 + 26.065 at 10.
    EXPECT_NEAR(g.GetBeiDongTuYaLi(2.0f, 0, 1), 26.065f, 0.001f);
    EXPECT_NEAR(g.GetBeiDongTuYaLi(10.0f, 0, 1), 270.634f, 0.001f);
    r.TuCeng[0].fMoCaJiao = 30.0f;
    EXPECT_NEAR(g.GetKp(5.0f, 0, 0), 3.0f, 1e-5f);
    r.TuCeng[0].fMoCaJiao = 90.0f;
    EXPECT_EQ(g.GetKp(5.0f, 0, 0), 0.0f);
    r.TuCeng[0].fMoCaJiao = 15.0f;
    r.TuCeng[0].fNianJuLi = 0.0f; // above the slope surface the stress is negative: cut at 0
    EXPECT_EQ(g.GetBeiDongTuYaLi(1.0f, 0, 0), 0.0f);
    r.TuCeng.clear();
    EXPECT_EQ(g.GetCengHao(5.0f), -1);
    EXPECT_EQ(g.GetShuZhiYingLi(5.0f), 0.0f);
}

TEST(GroundResistance, TheCalculationWidthIsTheShapesAndNeverWiderThanTheSpacing)
{
    struct { int shape; float width, diameter, spacing, expected; } const rows[] = {
        {1, 1.2f, 1.5f, 5.0f, 2.2f},   // rectangle over 1 m: b + 1
        {1, 0.8f, 1.5f, 5.0f, 1.7f},   // up to 1 m: 1.5 b + 0.5
        {1, 1.0f, 1.5f, 5.0f, 2.0f},
        {0, 1.0f, 1.5f, 5.0f, 2.25f},  // circle over 1 m: 0.9 (d + 1)
        {0, 1.0f, 0.8f, 5.0f, 0.9f * 1.7f}, // below 1 m: 0.9 (1.5 d + 0.5)
        {0, 1.0f, 0.8f, 1.2f, 1.2f},
        {3, 1.0f, 1.5f, 5.0f, 0.0f},
    };
    for (const auto& row : rows) {
        CPelvorinData r;
        r.nJieMianXingZhuang = row.shape;
        r.fZhuangKuan = row.width;
        r.fZhuangJing = row.diameter;
        r.fZhuangJianJu = row.spacing;
        CTuKangLiJiSuan g;
        g.pData = &r;
        EXPECT_FLOAT_EQ(g.GetJiSuanKuanDu(), row.expected) << row.shape << " " << row.diameter;
    }
}

