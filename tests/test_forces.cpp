// Internal forces of the pile under a landslide thrust: the published worked
// example, the loaded part worked by hand, and a rigid pile in equilibrium.
#include "PileForces.h"

#include "FieldTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A rectangular pile 2.0 m normal to the thrust and 2.5 m along it, every 6 m,
// 19 m long, the slip surface 9 m below its top, C30, the thrust 894.50 kN/m
// as a rectangle, K = 1.2e5 kN/m3, EI factor 0.8 (B_p = 2.0 + 1 = 3 m).
CPelvorinData PublishedK()
{
    CPelvorinData r;
    r.nJieMianXingZhuang = 1;
    r.fZhuangKuan = 2.0f;
    r.fZhuangGao = 2.5f;
    r.fZhuangJianJu = 6;
    r.fZhuangChang = 19;
    r.fHuaMianDaoZhuangDing = 9;
    r.nHunNingTuDengJi = 30;
    r.bSheJi = 1;
    r.SheJi.fTuiLi = 894.5f;
    r.SheJi.nTuiLiFenBu = 0;
    r.SheJi.nDiJiFa = 0;
    r.SheJi.fK = 1.2e5f;
    r.SheJi.fGangDuXiShu = 0.8f;
    return r;
}

} // namespace

TEST(PileForces, ThePublishedKMethodExampleElasticWithAFreeFoot)
{
    const PileForces f = CalculatePileForces(PublishedK());
    ASSERT_EQ(f.status, 1) << f.refusal;
    EXPECT_EQ(f.method, 'K');
    EXPECT_FALSE(f.rigid);
    // Published: beta = 0.195 1/m; displacement at the slip surface 12.6 mm;
    // rotation there -3.48e-3 rad; the largest moment 27 761.7 kN m about 1.46 m
    // below the slip surface.
    EXPECT_NEAR(f.coefficient, 0.195, 0.0005);
    EXPECT_NEAR(f.slip.displacement * 1000, 12.6, 0.05);
    EXPECT_NEAR(f.slip.rotation, -3.48e-3, 0.005e-3);
    EXPECT_NEAR(f.maxMoment.value, 27761.7, 27761.7 * 0.001);
    EXPECT_NEAR(f.maxMoment.depth - 9.0, 1.46, 0.02);
    // By hand: E_T = 894.5 x 6 = 5367 kN at h1/2: Q0 = 5367, M0 = 24151.5.
    EXPECT_NEAR(f.Q0, 5367.0, 1e-6);
    EXPECT_NEAR(f.M0, 24151.5, 1e-6);
    EXPECT_NEAR(f.width, 3.0, 1e-6);
    // The foot is free: no moment and no shear there.
    const PileForcePoint& foot = f.points.back();
    EXPECT_NEAR(foot.depth, 19.0, 1e-9);
    EXPECT_NEAR(foot.moment, 0.0, 1e-6 * f.M0);
    EXPECT_NEAR(foot.shear, 0.0, 1e-6 * f.Q0);
    // The top: the slip-surface displacement carried up by its rotation plus the
    // cantilever's own deflection E_T h1^3 / (8 EI).
    const double top = f.slip.displacement - f.slip.rotation * 9.0 + 5367.0 * 729.0 / (8 * f.EI);
    EXPECT_NEAR(f.topDisplacement, top, 1e-9);
    // Stress on the ground: K x.
    for (const PileForcePoint& p : f.points)
        if (p.depth > 9.0)
            EXPECT_NEAR(p.stress, 1.2e5 * p.displacement, 1e-6 * std::fabs(p.stress) + 1e-9) << p.depth;
}

TEST(PileForces, TheLoadedPartByHandForEachDistribution)
{
    // E_T = 1000 x 5 = 5000 kN over h1 = 8 m.
    CPelvorinData r = PublishedK();
    r.fZhuangJianJu = 5;
    r.fZhuangChang = 20;
    r.fHuaMianDaoZhuangDing = 8;
    r.SheJi.fTuiLi = 1000;
    r.SheJi.nTuiLiFenBu = 0; // rectangle: M0 = 5000 x 4
    EXPECT_NEAR(CalculatePileForces(r).M0, 20000.0, 1e-6);
    r.SheJi.nTuiLiFenBu = 1; // triangle: M0 = 5000 x 8/3
    EXPECT_NEAR(CalculatePileForces(r).M0, 5000.0 * 8 / 3, 1e-6);
    r.SheJi.nTuiLiFenBu = 2; // trapezoid, top 0.5 of bottom: lever 8 (1 + 1) / (3 x 1.5)
    r.SheJi.fTiXingBi = 0.5f;
    const PileForces t = CalculatePileForces(r);
    EXPECT_NEAR(t.Q0, 5000.0, 1e-6);
    EXPECT_NEAR(t.M0, 5000.0 * 8 * 2 / 4.5, 1e-6);
    // The front resistance comes off the thrust: (1000 - 200) x 5.
    r.SheJi.fQianKangLi = 200;
    EXPECT_NEAR(CalculatePileForces(r).Q0, 4000.0, 1e-6);
}

TEST(PileForces, ARigidPileTurnsAboutItsCentreInEquilibrium)
{
    // Soft ground and a short embedded part: beta h2 below 1.
    CPelvorinData r = PublishedK();
    r.fZhuangChang = 13; // h2 = 4
    r.SheJi.fK = 2e4f;
    const PileForces f = CalculatePileForces(r);
    ASSERT_EQ(f.status, 1) << f.refusal;
    ASSERT_TRUE(f.rigid) << f.coefficientLength;
    // y0 = h2 (3M0 + 2Q0 h2) / (3 (2M0 + Q0 h2)) below the slip surface.
    const double Q0 = 5367, M0 = 24151.5, h2 = 4;
    const double y0 = h2 * (3 * M0 + 2 * Q0 * h2) / (3 * (2 * M0 + Q0 * h2));
    EXPECT_NEAR(f.rotationCentre, 9 + y0, 1e-9);
    // No displacement at the centre; the foot free of moment and shear.
    double nearest = 1e9, x = 0;
    for (const PileForcePoint& p : f.points)
        if (std::fabs(p.depth - f.rotationCentre) < nearest) {
            nearest = std::fabs(p.depth - f.rotationCentre);
            x = p.displacement;
        }
    EXPECT_LT(std::fabs(x), 0.1 * std::fabs(f.slip.displacement));
    EXPECT_NEAR(f.points.back().moment, 0.0, 1e-6 * M0);
    EXPECT_NEAR(f.points.back().shear, 0.0, 1e-6 * Q0);
    // A hinged foot: the pile turns about its foot.
    r.SheJi.nZhuangDi = 1;
    const PileForces h = CalculatePileForces(r);
    EXPECT_NEAR(h.rotationCentre, 13.0, 1e-9);
    EXPECT_NEAR(h.points.back().displacement, 0.0, 1e-12);
    EXPECT_NEAR(h.points.back().moment, 0.0, 1e-6 * M0);
}

TEST(PileForces, RefusalsNameTheirKey)
{
    CPelvorinData r = PublishedK();
    r.bSheJi = 0;
    EXPECT_EQ(CalculatePileForces(r).refusedField, "SheJi");
    r = PublishedK();
    r.SheJi.fK = 0;
    PileForces f = CalculatePileForces(r);
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.refusedField, "SheJi.fK") << f.refusal;
    r = PublishedK();
    r.SheJi.nTuiLiFenBu = 3;
    f = CalculatePileForces(r);
    EXPECT_EQ(f.refusedField, "SheJi.nTuiLiFenBu") << f.refusal;
    r = PublishedK();
    r.fHuaMianDaoZhuangDing = 19; // at the foot: nothing embedded
    EXPECT_EQ(CalculatePileForces(r).refusedField, "fHuaMianDaoZhuangDing");
}

namespace {

// 1.0 m normal to the thrust by 1.5 m along it, every 5 m, C25, EI factor
// 0.85 (B_p = 1.5 x 1.0 + 0.5 = 2 m), the slip surface 6 m below the top, the
// thrust 410.00835 kN/m as a triangle, m = 8e4 kN/m4, A1 = A2 = 3e5 kN/m3.
CPelvorinData PublishedM(double embedded)
{
    CPelvorinData r;
    r.nJieMianXingZhuang = 1;
    r.fZhuangKuan = 1.0f;
    r.fZhuangGao = 1.5f;
    r.fZhuangJianJu = 5;
    r.fHuaMianDaoZhuangDing = 6;
    r.fZhuangChang = static_cast<float>(6 + embedded);
    r.nHunNingTuDengJi = 25;
    r.bSheJi = 1;
    r.SheJi.fTuiLi = 410.00835f;
    r.SheJi.nTuiLiFenBu = 1;
    r.SheJi.nDiJiFa = 1;
    r.SheJi.fM = 8e4f;
    r.SheJi.fA1 = 3e5f;
    r.SheJi.fA2 = 3e5f;
    r.SheJi.fGangDuXiShu = 0.85f;
    return r;
}

} // namespace

TEST(PileForces, ThePublishedMMethodExampleRigidWithA)
{
    const PileForces f = CalculatePileForces(PublishedM(4));
    ASSERT_EQ(f.status, 1) << f.refusal;
    EXPECT_EQ(f.method, 'm');
    // Published: alpha = 0.473904 1/m, alpha h2 = 1.8956 (rigid); Q0 = 2050.04175 kN,
    // M0 = 4100.0835 kN m; the centre 2.534247 m below the slip surface; the
    // rotation 1.842413e-3 rad in magnitude.
    EXPECT_NEAR(f.coefficient, 0.473904, 1e-6);
    EXPECT_NEAR(f.coefficientLength, 1.8956, 1e-4);
    EXPECT_TRUE(f.rigid);
    EXPECT_NEAR(f.Q0, 2050.04175, 2050.04175 * 1e-7); // the thrust is held as a 32-bit real
    EXPECT_NEAR(f.M0, 4100.0835, 4100.0835 * 1e-7);
    EXPECT_NEAR(f.rotationCentre - 6, 2.534247, 1e-6);
    EXPECT_NEAR(std::fabs(f.slip.rotation), 1.842413e-3, 1e-9);
    // In equilibrium: the free foot carries neither shear nor moment.
    EXPECT_NEAR(f.points.back().shear, 0.0, 1e-6 * f.Q0);
    EXPECT_NEAR(f.points.back().moment, 0.0, 1e-6 * f.M0);
}

TEST(PileForces, AnElasticMMethodPileAgreesWithTheTabulatedCoefficients)
{
    // A free-foot pile with A = 0 and alpha h2 = 4: at the slip surface
    // x0 = Q0/(alpha^3 EI) 2.441 + M0/(alpha^2 EI) 1.625 and
    // phi0 = -(Q0/(alpha^2 EI) 1.625 + M0/(alpha EI) 1.751) (JGJ 94, table 5.7.2).
    CPelvorinData r = PublishedM(1);
    r.SheJi.fA1 = r.SheJi.fA2 = 0;
    r.SheJi.nTuiLiFenBu = 0;
    r.SheJi.fTuiLi = 400;
    const double EI = 0.85 * 2.8e7 * 1.0 * 1.5 * 1.5 * 1.5 / 12, alpha = std::pow(8e4 * 2 / EI, 0.2);
    r.fZhuangChang = static_cast<float>(6 + 4 / alpha);
    const PileForces f = CalculatePileForces(r);
    ASSERT_EQ(f.status, 1) << f.refusal;
    ASSERT_FALSE(f.rigid);
    EXPECT_NEAR(f.coefficientLength, 4.0, 1e-5);
    const double a = f.coefficient;
    const double x0 = f.Q0 / (a * a * a * f.EI) * 2.441 + f.M0 / (a * a * f.EI) * 1.625;
    const double phi0 = -(f.Q0 / (a * a * f.EI) * 1.625 + f.M0 / (a * f.EI) * 1.751);
    EXPECT_NEAR(f.slip.displacement, x0, 0.003 * x0); // the table's four digits
    EXPECT_NEAR(f.slip.rotation, phi0, 0.003 * std::fabs(phi0));
    EXPECT_NEAR(f.points.back().shear, 0.0, 1e-6 * f.Q0);
    EXPECT_NEAR(f.points.back().moment, 0.0, 1e-6 * f.M0);
    // The ground stress is (A + m y) x.
    for (const PileForcePoint& p : f.points)
        if (p.depth > 6.0)
            EXPECT_NEAR(p.stress, 8e4 * (p.depth - 6.0) * p.displacement, 1e-6 * std::fabs(p.stress) + 1e-9);
}
