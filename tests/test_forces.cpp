// Internal forces of the pile under a landslide thrust: the published worked
// example, the loaded part worked by hand, and a rigid pile in equilibrium.
#include "PileForces.h"

#include "FieldTable.h"
#include "RecordFile.h"
#include "RecordJson.h"
#include "PileSection.h"
#include "WholePile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

namespace {

CPelvorinData Record(const std::string& json)
{
    CPelvorinData r;
    std::string error;
    EXPECT_TRUE(RecordFromJson(json, r, &error)) << error;
    return r;
}

// A rectangular pile 2.0 m normal to the thrust and 2.5 m along it, every 6 m,
// 19 m long, the slip surface 9 m below its top, C30, the thrust 894.50 kN/m
// as a rectangle, K = 1.2e5 kN/m3, EI factor 0.8 (B_p = 2.0 + 1 = 3 m).
CPelvorinData PublishedK()
{
    return Record(R"({"nJieMianXingZhuang": 1, "fZhuangKuan": 2.0, "fZhuangGao": 2.5, "fZhuangJianJu": 6,
        "fZhuangChang": 19, "fHuaMianDaoZhuangDing": 9, "nHunNingTuDengJi": 30,
        "SheJi": {"fTuiLi": 894.5, "nTuiLiFenBu": 0, "nDiJiFa": 0, "fK": 1.2e5, "fGangDuXiShu": 0.8}})");
}

// 1.0 m normal to the thrust by 1.5 m along it, every 5 m, C25, EI factor
// 0.85 (B_p = 1.5 x 1.0 + 0.5 = 2 m), the slip surface 6 m below the top, the
// thrust 410.00835 kN/m as a triangle, m = 8e4 kN/m4, A1 = A2 = 3e5 kN/m3.
CPelvorinData PublishedM(double embedded)
{
    CPelvorinData r = Record(R"({"nJieMianXingZhuang": 1, "fZhuangKuan": 1.0, "fZhuangGao": 1.5, "fZhuangJianJu": 5,
        "fHuaMianDaoZhuangDing": 6, "nHunNingTuDengJi": 25, "SheJi": {"fTuiLi": 410.00835, "nTuiLiFenBu": 1,
        "nDiJiFa": 1, "fM": 8e4, "fA1": 3e5, "fA2": 3e5, "fGangDuXiShu": 0.85}})");
    r.fZhuangChang = static_cast<float>(6 + embedded);
    return r;
}

} // namespace

// The published K-method pile (its numbers are a case of tests/cases): the top
// moves as the slip surface's displacement carried up by its rotation plus the
// cantilever's own deflection E_T h1^3 / (8 EI), and the ground presses K x.
TEST(PileForces, TheTopAndTheGroundOfTheKMethodPile)
{
    const PileForces f = CalculatePileForces(PublishedK());
    ASSERT_EQ(f.status, 1) << f.refusal;
    EXPECT_EQ(f.method, 'K');
    EXPECT_NEAR(f.width, 3.0, 1e-6);
    const double top = f.slip.displacement - f.slip.rotation * 9.0 + 5367.0 * 729.0 / (8 * f.EI);
    EXPECT_NEAR(f.topDisplacement, top, 1e-9);
    for (const PileForcePoint& p : f.points)
        if (p.depth > 9.0) {
            EXPECT_NEAR(p.stress, 1.2e5 * p.displacement, 1e-6 * std::fabs(p.stress) + 1e-9) << p.depth;
        }
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
    // The ground stress is (A + m y) x.
    for (const PileForcePoint& p : f.points)
        if (p.depth > 6.0) {
            EXPECT_NEAR(p.stress, 8e4 * (p.depth - 6.0) * p.displacement, 1e-6 * std::fabs(p.stress) + 1e-9);
        }
}

namespace {

// 1.0 m normal to the thrust by 1.5 m along it, bars' centre 100 mm from the
// face (h0 = 1400 mm), C30 (fc = 14.3, ft = 1.43 N/mm2), HRB400 (fy = 360).
CPelvorinData Rectangle()
{
    CPelvorinData r = PublishedM(4);
    r.nHunNingTuDengJi = 30;
    r.fAs = 100;
    r.SheJi.nGangJin = 400;
    return r;
}

} // namespace

TEST(PileReinforcement, ARectangleSinglyReinforcedByHand)
{
    // M = 3000 kN m: alpha1 fc b = 14.3 x 1000 = 14 300 N/mm;
    // x = h0 - sqrt(h0^2 - 2M/(alpha1 fc b)) = 1400 - sqrt(1 960 000 - 419 580.4)
    //   = 1400 - 1241.136 = 158.864 mm < xi_b h0 = 0.518 x 1400 = 725.2 mm;
    // As = 14 300 x 158.864 / 360 = 6310.4 mm2 > the minimum
    // max(0.20 %, 45 x 1.43/360 = 0.179 %) x 1000 x 1500 = 3000 mm2.
    // V = 2000 kN <= 0.25 x 14.3 x 1000 x 1400 = 5005 kN;
    // Asv/s = (2 000 000 - 0.7 x 1.43 x 1000 x 1400) / (360 x 1400)
    //       = (2 000 000 - 1 401 400) / 504 000 = 1.18770 mm2/mm
    //       > 0.24 x 1.43 / 360 x 1000 = 0.95333 mm2/mm.
    const PileReinforcement d = DesignPileReinforcement(Rectangle(), 3000, 2000);
    EXPECT_EQ(d.steel, "HRB400");
    EXPECT_NEAR(d.h0, 1400, 1e-9);
    EXPECT_NEAR(d.xiB, 0.518, 1e-12);
    EXPECT_NEAR(d.x, 158.864, 0.001);
    EXPECT_NEAR(d.required, 6310.4, 0.1);
    EXPECT_NEAR(d.minimum, 3000, 1e-6);
    EXPECT_NEAR(d.longitudinalArea, 6310.4, 0.1);
    EXPECT_FALSE(d.minimumGoverns);
    EXPECT_FALSE(d.overReinforced);
    EXPECT_NEAR(d.stirrups, 1.18770, 1e-4);
    EXPECT_NEAR(d.stirrupsMinimum, 0.95333, 1e-4);
    EXPECT_FALSE(d.sectionTooSmall);
    EXPECT_TRUE(d.reason.empty()) << d.reason;
}

TEST(PileReinforcement, TheMinimumRatioGovernsASmallMoment)
{
    // M = 500 kN m: x = 1400 - sqrt(1 960 000 - 69 930.1) = 25.202 mm,
    // As = 14 300 x 25.202 / 360 = 1001.1 mm2 < 0.20 % x 1000 x 1500 = 3000 mm2.
    // V = 1000 kN < 0.7 ft b h0 = 1401.4 kN: Asv/s is the minimum 0.95333 mm2/mm.
    const PileReinforcement d = DesignPileReinforcement(Rectangle(), 500, 1000);
    EXPECT_NEAR(d.required, 1001.1, 0.1);
    EXPECT_TRUE(d.minimumGoverns);
    EXPECT_NEAR(d.longitudinalArea, 3000, 1e-6);
    EXPECT_NEAR(d.stirrups, 0.95333, 1e-4);
    // HPB300 (fy = 270): 45 x 1.43 / 270 = 0.238 % > 0.20 %: 3575 mm2;
    // fyv = 270, so the stirrup minimum is 0.24 x 1.43 / 270 x 1000 = 1.27111.
    CPelvorinData r = Rectangle();
    r.SheJi.nGangJin = 300;
    const PileReinforcement p = DesignPileReinforcement(r, 500, 1000);
    EXPECT_EQ(p.steel, "HPB300");
    EXPECT_NEAR(p.minimum, 0.45 * 1.43 / 270 * 1.5e6, 0.01);
    EXPECT_NEAR(p.minimum, 3575.0, 0.01);
    EXPECT_NEAR(p.stirrups, 1.27111, 1e-4);
}

TEST(PileReinforcement, OverReinforcedAndTooSmallForShearAreSaid)
{
    // The most a singly reinforced section holds: x_b = 0.518 x 1400 = 725.2 mm,
    // M = 14 300 x 725.2 x (1400 - 362.6) = 10 758.2 kN m. 12 000 kN m is more:
    // x = 1400 - sqrt(1 960 000 - 1 678 321.7) = 869.3 mm > 725.2 mm.
    const PileReinforcement d = DesignPileReinforcement(Rectangle(), 12000, 1000);
    EXPECT_TRUE(d.overReinforced);
    EXPECT_NEAR(d.x, 869.3, 0.1);
    EXPECT_EQ(d.longitudinalArea, 0);
    EXPECT_NE(d.reason.find("over-reinforced"), std::string::npos) << d.reason;
    EXPECT_FALSE(d.sectionTooSmall);
    // Just under the limit it is still designed.
    EXPECT_FALSE(DesignPileReinforcement(Rectangle(), 10750, 1000).overReinforced);
    // Beyond what even x = h0 gives (2M/(alpha1 fc b) > h0^2): over-reinforced too.
    EXPECT_TRUE(DesignPileReinforcement(Rectangle(), 20000, 1000).overReinforced);
    // V = 6000 kN > 0.25 beta_c fc b h0 = 5005 kN: no stirrups, the section is too small.
    const PileReinforcement v = DesignPileReinforcement(Rectangle(), 3000, 6000);
    EXPECT_TRUE(v.sectionTooSmall);
    EXPECT_EQ(v.stirrups, 0);
    EXPECT_NE(v.reason.find("too small"), std::string::npos) << v.reason;
    EXPECT_FALSE(DesignPileReinforcement(Rectangle(), 3000, 5000).sectionTooSmall);
}

TEST(PileReinforcement, ACircleWithBarsAroundItByHand)
{
    // d = 1.5 m: r = 750 mm, rs = 750 - 75 = 675 mm, A = pi 750^2 = 1 767 145.87 mm2;
    // C30, HRB400. Worked backwards from alpha = 0.3 (alpha_t = 1.25 - 0.6 = 0.65):
    // sin(2 pi 0.3) = 0.951057, 2 pi 0.3 = 1.884956: 1 - 0.951057/1.884956 = 0.495450;
    // N = 0: As = 0.3 x 14.3 x A x 0.495450 / ((0.65 - 0.3) x 360) = 29 809.7 mm2;
    // sin(0.3 pi) = 0.809017, sin(0.65 pi) = 0.891007:
    // M = 2/3 x 14.3 x A x 750 x 0.809017^3 / pi + 360 x 29 809.7 x 675 x
    //     (0.809017 + 0.891007) / pi = 2129.62 + 3919.85 = 6049.47 kN m.
    CPelvorinData r = Rectangle();
    r.nJieMianXingZhuang = 0;
    r.fZhuangJing = 1.5f;
    r.fAs = 75;
    const PileReinforcement d = DesignPileReinforcement(r, 6049.4656, 3000);
    EXPECT_NEAR(d.alpha, 0.3, 1e-5);
    EXPECT_NEAR(d.required, 29809.7, 0.5);
    EXPECT_NEAR(d.longitudinalArea, 29809.7, 0.5);
    EXPECT_FALSE(d.overReinforced);
    // Shear on b = 1.76 r = 1320 mm, h0 = 1.6 r = 1200 mm: 0.25 fc b h0 = 5662.8 kN,
    // 0.7 ft b h0 = 1585.584 kN; Asv/s = (3 000 000 - 1 585 584)/(360 x 1200) = 3.27411.
    EXPECT_NEAR(d.b, 1320, 1e-9);
    EXPECT_NEAR(d.h0, 1200, 1e-9);
    EXPECT_NEAR(d.stirrups, 3.27411, 1e-4);
    EXPECT_TRUE(DesignPileReinforcement(r, 6049.4656, 5700).sectionTooSmall);
}

TEST(PileReinforcement, ThePileIsDesignedForItsLargestEffectsFactored)
{
    // The published m-method pile: the largest moment and shear along it, times
    // the load factor 1.35 and gamma0 1.1.
    CPelvorinData r = Rectangle();
    r.SheJi.fHeZaiXiShu = 1.35f;
    r.SheJi.fGamma0 = 1.1f;
    const PileForces f = CalculatePileForces(r);
    ASSERT_EQ(f.status, 1) << f.refusal;
    const double factor = static_cast<double>(1.35f) * static_cast<double>(1.1f);
    EXPECT_NEAR(f.reinforcement.moment, std::fabs(f.maxMoment.value) * factor, 1e-9);
    EXPECT_NEAR(f.reinforcement.shear, std::fabs(f.maxShear.value) * factor, 1e-9);
    // Q0 = 2050.04 kN is the largest shear there or below it; 1.485 Q0 = 3044.3 kN.
    EXPECT_GE(f.reinforcement.shear, 2050.04 * 1.485 - 0.5);
    const PileReinforcement same = DesignPileReinforcement(r, f.reinforcement.moment, f.reinforcement.shear);
    EXPECT_EQ(f.reinforcement.longitudinalArea, same.longitudinalArea);
    EXPECT_EQ(f.reinforcement.stirrups, same.stirrups);
}

TEST(PileReinforcement, AboveC50TheFactorsFallToC80)
{
    // C80 (fc = 35.9, ft = 2.22): alpha1 = 0.94, beta_c = 0.8; beta1 = 0.74 and
    // eps_cu = 0.0033 - (80 - 50) 1e-5 = 0.0030, so for HRB400
    // xi_b = 0.74 / (1 + 360 / (2.0e5 x 0.0030)) = 0.74 / 1.6 = 0.4625 (6.2.7-1).
    CPelvorinData r = Rectangle();
    r.nHunNingTuDengJi = 80;
    const PileReinforcement d = DesignPileReinforcement(r, 6000, 1000);
    EXPECT_NEAR(d.alpha1, 0.94, 1e-12);
    EXPECT_NEAR(d.betaC, 0.8, 1e-12);
    EXPECT_NEAR(d.xiB, 0.4625, 1e-6);
    // M = 6000 kN m: alpha1 fc b = 0.94 x 35.9 x 1000 = 33 746 N/mm;
    // x = 1400 - sqrt(1 960 000 - 355 597.7) = 133.350 mm, As = 33 746 x 133.350 / 360 = 12 500.1 mm2.
    EXPECT_NEAR(d.x, 133.350, 0.001);
    EXPECT_NEAR(d.longitudinalArea, 12500.1, 0.1);
    // x_b = 0.4625 x 1400 = 647.5 mm holds at most 33 746 x 647.5 x (1400 - 323.75)
    // = 23 516.6 kN m; V at most 0.25 x 0.8 x 35.9 x 1000 x 1400 = 10 052 kN.
    EXPECT_FALSE(DesignPileReinforcement(r, 23500, 10000).overReinforced);
    EXPECT_TRUE(DesignPileReinforcement(r, 23540, 10000).overReinforced);
    EXPECT_FALSE(DesignPileReinforcement(r, 6000, 10040).sectionTooSmall);
    EXPECT_TRUE(DesignPileReinforcement(r, 6000, 10070).sectionTooSmall);
    // C65 lies halfway: alpha1 = 0.97, beta_c = 0.9.
    r.nHunNingTuDengJi = 65;
    const PileReinforcement h = DesignPileReinforcement(r, 6000, 1000);
    EXPECT_NEAR(h.alpha1, 0.97, 1e-12);
    EXPECT_NEAR(h.betaC, 0.9, 1e-12);
}

TEST(PileForces, ALongElasticPileByTheKMethodIsHetenyisSemiInfiniteBeam)
{
    // From beta h2 = 6 on the foot no longer matters, and the slip surface moves
    // as the end of a semi-infinite beam on springs k = K B_p under Q0 and M0:
    // x0 = 2 beta (Q0 + beta M0) / k, phi0 = -2 beta^2 (Q0 + 2 beta M0) / k.
    const double beta = std::pow(1.2e5 * 3.0 / (4 * 0.8 * 3.0e7 * 2.0 * 2.5 * 2.5 * 2.5 / 12), 0.25);
    const double k = 1.2e5 * 3.0;
    for (double length : {6.0, 31.0}) {
        CPelvorinData r = PublishedK();
        r.fZhuangChang = static_cast<float>(9 + length / beta);
        const PileForces f = CalculatePileForces(r);
        ASSERT_EQ(f.status, 1) << f.refusal;
        ASSERT_NEAR(f.coefficientLength, length, 1e-4);
        EXPECT_NEAR(f.slip.displacement, 2 * beta * (f.Q0 + beta * f.M0) / k, 0.005 * f.slip.displacement);
        EXPECT_NEAR(f.slip.rotation, -2 * beta * beta * (f.Q0 + 2 * beta * f.M0) / k, 0.005 * -f.slip.rotation);
        EXPECT_TRUE(f.linearModelHolds);
    }
}

TEST(PileForces, TheStressCheckSeesTheSlipSurfaceWhereAKPilePressesHardest)
{
    // The bundled circular pile into rock: K = 3e5, x0 = 12.962 mm at the slip
    // surface, so K x0 = 3888.7 kPa there, more than anywhere below it.
    CPelvorinData r;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(KANGLI_EXAMPLES_DIR "/design/circular-pile-into-rock.json", r, &error)) << error;
    r.SheJi.fYunXuYingLi = 3700;
    const PileForces f = CalculatePileForces(r);
    ASSERT_EQ(f.status, 1) << f.refusal;
    EXPECT_NEAR(f.slip.stress, r.SheJi.fK * f.slip.displacement, 1e-9 * std::fabs(f.slip.stress));
    EXPECT_NEAR(f.maxStress.value, f.slip.stress, 1e-9 * std::fabs(f.slip.stress));
    EXPECT_NEAR(f.maxStress.depth, f.h1, 1e-9);
    const PileForceCheck& check = f.checks[0];
    ASSERT_EQ(check.key, "SheJi.fYunXuYingLi");
    EXPECT_NEAR(check.value, 3888.65, 0.05);
    EXPECT_FALSE(check.holds);
    // The point at the slip surface carries that stress, as the book's row shows.
    bool seen = false;
    for (const PileForcePoint& p : f.points)
        if (std::fabs(p.depth - f.h1) < 1e-9) {
            seen = true;
            EXPECT_EQ(p.stress, f.slip.stress);
        }
    EXPECT_TRUE(seen);
}

TEST(PileForces, ConstantGroundIsTheKMethodAndA2ActsBehind)
{
    // A 2 x 3 m pile, 40 m long, the slip surface at 14 m, m = 0 and
    // A1 = A2 = 3e5: constant ground, elastic by beta (beta h2 = 5.55), the same
    // pile as the K method with K = 3e5.
    CPelvorinData r = Record(R"({"nJieMianXingZhuang": 1, "fZhuangKuan": 2, "fZhuangGao": 3, "fZhuangJianJu": 6,
        "fZhuangChang": 40, "fHuaMianDaoZhuangDing": 14, "nHunNingTuDengJi": 30,
        "SheJi": {"fTuiLi": 1000, "nDiJiFa": 1, "fM": 0, "fA1": 3e5, "fA2": 3e5}})");
    const PileForces m = CalculatePileForces(r);
    ASSERT_EQ(m.status, 1) << m.refusal;
    EXPECT_TRUE(m.constantGround);
    EXPECT_FALSE(m.rigid);
    // B_p = 3, EI = 0.8 x 3.0e7 x 2 x 3^3 / 12 = 1.08e8: beta = (3e5 x 3 / 4.32e8)^(1/4).
    EXPECT_NEAR(m.coefficientLength, std::pow(3e5 * 3 / 4.32e8, 0.25) * 26, 1e-9);
    r.SheJi.nDiJiFa = 0;
    r.SheJi.fK = 3e5f;
    const PileForces k = CalculatePileForces(r);
    ASSERT_EQ(k.status, 1) << k.refusal;
    EXPECT_NEAR(m.topDisplacement, k.topDisplacement, 1e-6 * k.topDisplacement);
    EXPECT_NEAR(m.maxMoment.value, k.maxMoment.value, 1e-6 * std::fabs(k.maxMoment.value));
    EXPECT_NEAR(m.maxShear.value, k.maxShear.value, 1e-5 * std::fabs(k.maxShear.value));

    // The pile presses the ground behind low down (x < 0 there): A2 takes that
    // part, so a stiffer or softer ground behind changes the answer, and the
    // stress there is A2 x.
    r.SheJi.nDiJiFa = 1;
    double previous = 0;
    for (float a2 : {1e4f, 3e5f, 1e7f}) {
        r.SheJi.fA2 = a2;
        const PileForces f = CalculatePileForces(r);
        ASSERT_EQ(f.status, 1) << f.refusal;
        EXPECT_NE(f.maxShear.value, previous) << a2;
        previous = f.maxShear.value;
        bool behind = false;
        for (const PileForcePoint& p : f.points)
            if (p.depth > f.h1 && p.displacement < 0) {
                behind = true;
                EXPECT_NEAR(p.stress, a2 * p.displacement, 1e-9 * std::fabs(p.stress) + 1e-9);
            }
        EXPECT_TRUE(behind);
    }
}

TEST(PileForces, AbsurdPilesAreSolvedAndFlagged)
{
    // alpha h2 = 22: far beyond where the foot matters, still solved.
    CPelvorinData m = PublishedM(4);
    const double EI = 0.85 * 2.8e7 * 1.0 * 1.5 * 1.5 * 1.5 / 12, alpha = std::pow(8e4 * 2 / EI, 0.2);
    m.fZhuangChang = static_cast<float>(6 + 22 / alpha);
    PileForces f = CalculatePileForces(m);
    ASSERT_EQ(f.status, 1) << f.refusal;
    EXPECT_NEAR(f.coefficientLength, 22, 0.01);
    // A pile embedded 0.1 m, or ground a trillion times too soft: the numbers
    // come out, and say they are past the linear model.
    CPelvorinData r = PublishedK();
    r.fZhuangChang = 9.1f;
    f = CalculatePileForces(r);
    ASSERT_EQ(f.status, 1) << f.refusal;
    EXPECT_FALSE(f.linearModelHolds);
    EXPECT_NE(f.linearModelReason.find("tenth of the embedded length"), std::string::npos) << f.linearModelReason;
    r = PublishedK();
    r.SheJi.fK = 1e-30f;
    f = CalculatePileForces(r);
    EXPECT_TRUE(f.status == 0 || !f.linearModelHolds) << f.topDisplacement;
}

// Each refusal names the key at fault, the real cause rather than a symptom.
TEST(PileForces, RefusalsNameTheKeyAtFault)
{
    CPelvorinData example;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(KANGLI_EXAMPLES_DIR "/design/rectangular-pile-soil-layers.json", example, &error)) << error;
    const std::vector<std::tuple<CPelvorinData, std::function<void(CPelvorinData&)>, std::string>> rows = {
        {PublishedK(), [](CPelvorinData& r) { r.bSheJi = 0; }, "SheJi"},
        {PublishedK(), [](CPelvorinData& r) { r.SheJi.fK = 0; }, "SheJi.fK"},
        {PublishedK(), [](CPelvorinData& r) { r.SheJi.nTuiLiFenBu = 3; }, "SheJi.nTuiLiFenBu"},
        // At the foot: nothing embedded.
        {PublishedK(), [](CPelvorinData& r) { r.fHuaMianDaoZhuangDing = 19; }, "fHuaMianDaoZhuangDing"},
        // A front resistance above the thrust would push the pile uphill; equal to it, nothing moves.
        {PublishedK(), [](CPelvorinData& r) { r.SheJi.fQianKangLi = 900; }, "SheJi.fQianKangLi"},
        {PublishedK(), [](CPelvorinData& r) { r.SheJi.fQianKangLi = r.SheJi.fTuiLi; }, "SheJi.fQianKangLi"},
        {PublishedK(), [](CPelvorinData& r) { r.SheJi.fTuiLi = 0, r.SheJi.fQianKangLi = 10; }, "SheJi.fTuiLi"},
        {PublishedK(), [](CPelvorinData& r) { r.SheJi.fGangDuXiShu = 1e-30f; }, "SheJi.fGangDuXiShu"},
        // Ground far too soft for the arithmetic: a moment would be left at a free foot.
        {example, [](CPelvorinData& r) { r.SheJi.fA1 = 0, r.SheJi.fM = 1e-12f; }, "SheJi.fM"},
        // Constant ground in front and none behind: nothing holds a free foot.
        {PublishedM(4), [](CPelvorinData& r) { r.SheJi.fM = 0, r.SheJi.fA2 = 0; }, "SheJi.fA2"},
        // A hinged foot turns about itself and needs nothing behind.
        {PublishedM(4), [](CPelvorinData& r) { r.SheJi.fM = 0, r.SheJi.fA2 = 0, r.SheJi.nZhuangDi = 1; }, ""},
    };
    for (const auto& [start, spoil, key] : rows) {
        CPelvorinData r = start;
        spoil(r);
        const PileForces f = CalculatePileForces(r);
        EXPECT_EQ(f.status, key.empty() ? 1 : 0) << key << ": " << f.refusal;
        EXPECT_EQ(f.refusedField, key) << f.refusal;
    }
}

TEST(PileReinforcement, ACircleHasAMinimumAndALargestRatio)
{
    // d = 0.8 m, C25 (fc 11.9, ft 1.27), HRB400: pi 400^2 = 502 655 mm2.
    CPelvorinData r;
    r.nJieMianXingZhuang = 0;
    r.fZhuangJing = 0.8f;
    r.fAs = 60;
    r.nHunNingTuDengJi = 25;
    r.SheJi.nGangJin = 400;
    const double area = 3.14159265358979 * 400 * 400;
    // A small moment: the minimum ratio max(0.20 %, 45 x 1.27 / 360 % = 0.159 %) governs.
    PileReinforcement small = DesignPileReinforcement(r, 10, 10);
    EXPECT_TRUE(small.minimumGoverns);
    EXPECT_NEAR(small.longitudinalArea, 0.002 * area, 1);
    // A moment no 5 % of steel carries: over-reinforced, no area given.
    PileReinforcement big = DesignPileReinforcement(r, 8000, 10);
    EXPECT_TRUE(big.overReinforced);
    EXPECT_EQ(big.longitudinalArea, 0);
    EXPECT_NEAR(big.maximum, 0.05 * area, 1);
    EXPECT_GT(big.required, big.maximum);
    EXPECT_NE(big.reason.find("over-reinforced"), std::string::npos);
}

// ------------------------------------------- layered ground and anchor cables

namespace {

// The record in ground given by layers from its top down (thickness and a
// setter of the coefficients), the design block's single ground cleared.
CPelvorinData InLayers(CPelvorinData r, const std::vector<std::pair<float, std::function<void(CTuCeng&)>>>& layers)
{
    r.fPoMianDaoZhuangDing = 0;
    r.TuCeng.clear();
    for (const auto& [thickness, set] : layers) {
        CTuCeng c;
        c.fHouDu = thickness;
        set(c);
        r.TuCeng.push_back(c);
    }
    r.nTuCengShu = static_cast<int>(r.TuCeng.size());
    r.SheJi.fK = r.SheJi.fM = r.SheJi.fA1 = r.SheJi.fA2 = r.SheJi.fYunXuYingLi = 0;
    return r;
}

double Relative(double a, double b) { return std::fabs(a - b) / std::max(std::fabs(b), 1e-12); }

} // namespace

// One uniform ground written as three layers, solved as a beam on springs,
// is the closed form of an elastic pile (K and m, free and hinged foot), to
// 1e-5 where 0.1 % is asked.
// is the closed form of an elastic pile (K and m, free and hinged foot).
TEST(PileInLayers, UniformLayersAreTheClosedForms)
{
    auto K = [](CTuCeng& c) { c.fK = 1.2e5f; };
    auto m = [](CTuCeng& c) { c.fM = 8e4f, c.fA = 3e5f; };
    for (int hinged : {0, 1})
        for (const auto& [closed, set] : std::vector<std::pair<CPelvorinData, std::function<void(CTuCeng&)>>>{
                 {PublishedK(), K}, {PublishedM(10), m}}) {
            CPelvorinData r = closed;
            r.SheJi.nZhuangDi = hinged;
            const PileForces a = CalculatePileForces(r);
            const PileForces b = CalculatePileForces(InLayers(r, {{9.5f, set}, {3.2f, set}, {1.0f, set}}));
            ASSERT_EQ(a.status, 1) << a.refusal;
            ASSERT_EQ(b.status, 1) << b.refusal;
            ASSERT_FALSE(a.rigid);
            EXPECT_TRUE(b.springs && !a.springs);
            EXPECT_EQ(b.layers.size(), 3u);
            const std::string what = std::string(1, a.method) + (hinged ? " hinged" : " free");
            EXPECT_LT(Relative(b.topDisplacement, a.topDisplacement), 1e-5) << what;
            EXPECT_LT(Relative(b.slip.displacement, a.slip.displacement), 1e-5) << what;
            EXPECT_LT(Relative(b.slip.rotation, a.slip.rotation), 1e-5) << what;
            EXPECT_LT(Relative(b.maxMoment.value, a.maxMoment.value), 1e-5) << what;
            EXPECT_NEAR(b.maxMoment.depth, a.maxMoment.depth, 0.02) << what;
            EXPECT_LT(Relative(b.maxShear.value, a.maxShear.value), 1e-5) << what;
            EXPECT_LT(Relative(b.maxStress.value, a.maxStress.value), 1e-5) << what;
            // Between the nodes too: every point's displacement and rotation.
            ASSERT_EQ(a.points.size(), b.points.size());
            const double x = std::fabs(a.maxDisplacement.value), phi = std::fabs(a.slip.rotation);
            for (size_t i = 0; i < a.points.size(); ++i) {
                EXPECT_NEAR(b.points[i].displacement, a.points[i].displacement, 1e-5 * x) << what << i;
                EXPECT_NEAR(b.points[i].rotation, a.points[i].rotation, 1e-5 * phi) << what << i;
            }
        }
}

// Ground below the foot carries nothing: a boundary there, wherever it lies,
// and a layer there with no coefficient change nothing.
TEST(PileInLayers, ABoundaryBelowTheFootChangesNothing)
{
    auto soft = [](CTuCeng& c) { c.fM = 2e4f, c.fA = 1e4f, c.fYunXuYingLi = 500; };
    auto hard = [](CTuCeng& c) { c.fK = 4e5f, c.fYunXuYingLi = 2000; };
    auto none = [](CTuCeng&) {};
    const PileForces a = CalculatePileForces(InLayers(PublishedK(), {{12, soft}, {30, hard}, {5, none}}));
    const PileForces b = CalculatePileForces(InLayers(PublishedK(), {{12, soft}, {500, hard}}));
    ASSERT_EQ(a.status, 1) << a.refusal;
    ASSERT_EQ(b.status, 1) << b.refusal;
    ASSERT_EQ(a.points.size(), b.points.size());
    for (size_t i = 0; i < a.points.size(); ++i) {
        EXPECT_DOUBLE_EQ(a.points[i].moment, b.points[i].moment);
        EXPECT_DOUBLE_EQ(a.points[i].stress, b.points[i].stress);
    }
    // Two layers along the embedded part, each checked on both faces.
    ASSERT_EQ(a.layers.size(), 2u);
    EXPECT_DOUBLE_EQ(a.layers[0].bottom, 12);
    int stressChecks = 0;
    for (const PileForceCheck& c : a.checks)
        stressChecks += c.kind == PileCheckKind::Stress && c.checked;
    EXPECT_EQ(stressChecks, 4);
}

TEST(PileInLayers, RefusalsNameBothPlacesOrTheLayer)
{
    auto K = [](CTuCeng& c) { c.fK = 1.2e5f; };
    auto none = [](CTuCeng&) {};
    auto both = [](CTuCeng& c) { c.fK = 1e5f, c.fM = 1e4f; };
    const CPelvorinData layered = InLayers(PublishedK(), {{10, K}, {20, K}});
    CMaoSuo below;
    below.fShenDu = 19.5f;
    const std::vector<std::pair<CPelvorinData, std::string>> rows = {
        {[&] { CPelvorinData r = layered; r.SheJi.fK = 1e5f; return r; }(), "SheJi.fK"},
        {[&] { CPelvorinData r = layered; r.SheJi.fYunXuYingLi = 400; return r; }(), "SheJi.fYunXuYingLi"},
        {InLayers(PublishedK(), {{10, K}, {20, none}}), "TuCeng[1].fK"},
        {InLayers(PublishedK(), {{10, both}, {20, K}}), "TuCeng[0].fK"},
        {[&] { CPelvorinData r = PublishedK(); r.SheJi.MaoSuo = {below}; return r; }(), "SheJi.MaoSuo[0].fShenDu"},
    };
    for (const auto& [r, key] : rows) {
        const PileForces f = CalculatePileForces(r);
        EXPECT_EQ(f.status, 0) << key;
        EXPECT_EQ(f.refusedField, key) << f.refusal;
        EXPECT_NE(f.refusal.find(key), std::string::npos) << f.refusal;
    }
    // Both places are named where the design block repeats the layers' ground.
    EXPECT_NE(CalculatePileForces(rows[0].first).refusal.find("TuCeng[i].fK"), std::string::npos);
}

namespace {

// A pile 20 m long cut 8 m below its top, 2 x 3 m of C30 (EI 0.8 Ec I), B_p 3 m,
// 1200 kN on it as a rectangle, clay (m 3e4, A 2e4) to 14 m over rock (K 5e5).
WholePileLoad AnchoredPile(std::vector<SpringAnchor> anchors, double thrust = 1200)
{
    WholePileLoad in;
    in.L = 20;
    in.EI = 0.8 * 3.0e7 * 2.0 * 27.0 / 12;
    in.Bp = 3;
    in.load.h1 = 8;
    in.load.qt = in.load.qb = thrust / 8;
    in.ground = {{8, 14, 2e4, 2e4, 3e4}, {14, 20, 5e5, 5e5, 0}};
    in.anchors = std::move(anchors);
    return in;
}

WholePileBeam Solved(const WholePileLoad& in, int elements = 100)
{
    WholePileBeam beam;
    EXPECT_TRUE(beam.Solve(in, elements)) << beam.Failure();
    return beam;
}

// Simpson's rule over [a, b] in n (even) steps.
double Integral(const std::function<double(double)>& f, double a, double b, int n = 2000)
{
    double s = f(a) + f(b);
    for (int i = 1; i < n; ++i)
        s += (i % 2 ? 4 : 2) * f(a + (b - a) * i / n);
    return s * (b - a) / (3 * n);
}

const SpringAnchor kHead{1.0, std::cos(25 * kJiSuanPi / 180), 4e4, 600};

} // namespace

// The whole pile balances: the thrust is carried by the ground's reaction and
// the anchors' pull, in force and in moment about the top.
TEST(AnchoredPile, TheWholePileBalances)
{
    const WholePileLoad in = AnchoredPile({kHead, {5.0, 1.0, 2e4, 0}});
    const WholePileBeam beam = Solved(in);
    // Layer by layer, each with its own coefficient up to its boundary.
    double ground = 0, groundMoment = 0;
    for (const SpringGround& g : in.ground) {
        ground += Integral([&](double z) { return beam.StressIn(g, z) * in.Bp; }, g.top, g.bottom);
        groundMoment += Integral([&](double z) { return beam.StressIn(g, z) * in.Bp * z; }, g.top, g.bottom);
    }
    double anchors = 0, anchorMoment = 0;
    for (size_t i = 0; i < in.anchors.size(); ++i) {
        EXPECT_FALSE(beam.Anchors()[i].slack);
        anchors += beam.Anchors()[i].horizontal;
        anchorMoment += beam.Anchors()[i].horizontal * in.anchors[i].depth;
    }
    EXPECT_NEAR(ground + anchors, 1200, 1e-6 * 1200);
    EXPECT_NEAR(groundMoment + anchorMoment, 1200 * 4.0, 1e-6 * 1200 * 4);
    // And statics from the top leave nothing at a free foot.
    EXPECT_NEAR(beam.At(20).shear, 0, 1e-6 * 1200);
    EXPECT_NEAR(beam.At(20).moment, 0, 1e-6 * 1200 * 20);
}

// With no thrust each cable carries exactly its lock-off force; an anchor of
// huge stiffness holds the head where lock-off left it; thrust and prestress
// superpose while no cable goes slack.
TEST(AnchoredPile, LockOffStiffnessAndSuperposition)
{
    SpringAnchor low{6.0, std::cos(15 * kJiSuanPi / 180), 3e4, 300};
    const WholePileBeam none = Solved(AnchoredPile({kHead, low}, 0));
    EXPECT_NEAR(none.Anchors()[0].axial, 600, 1e-5 * 600);
    EXPECT_NEAR(none.Anchors()[1].axial, 300, 1e-5 * 300);

    SpringAnchor rigid = kHead;
    rigid.stiffness = 1e13;
    const double free = Solved(AnchoredPile({})).At(1).displacement;
    const double held = Solved(AnchoredPile({rigid})).At(1).displacement - Solved(AnchoredPile({rigid}, 0)).At(1).displacement;
    EXPECT_LT(std::fabs(held), 1e-6 * std::fabs(free));

    SpringAnchor unstressed = kHead, lowUnstressed = low;
    unstressed.lockOff = lowUnstressed.lockOff = 0;
    const WholePileBeam both = Solved(AnchoredPile({kHead, low})), thrust = Solved(AnchoredPile({unstressed, lowUnstressed}));
    for (double z : {0.0, 1.0, 5.0, 8.0, 11.0, 14.0, 17.5, 20.0}) {
        const PileForcePoint s = both.At(z), a = thrust.At(z), b = none.At(z);
        EXPECT_NEAR(s.displacement, a.displacement + b.displacement, 1e-6 * std::fabs(free)) << z;
        EXPECT_NEAR(s.moment, a.moment + b.moment, 1e-6 * 1200 * 20) << z;
    }
}

// A cable that would push goes slack and the pile is as if it were not there;
// a finer mesh changes nothing that matters.
TEST(AnchoredPile, SlackCablesAndAFinerMesh)
{
    // Below the centre the thrust turns the pile about, it moves uphill: a
    // cable there would push.
    const SpringAnchor deep{19.0, 1.0, 5e4, 0};
    const WholePileBeam beam = Solved(AnchoredPile({kHead, deep}));
    ASSERT_TRUE(beam.Anchors()[1].slack);
    EXPECT_EQ(beam.Anchors()[1].axial, 0);
    const WholePileBeam alone = Solved(AnchoredPile({kHead}));
    for (double z : {0.0, 6.5, 12.0, 20.0})
        EXPECT_NEAR(beam.At(z).displacement, alone.At(z).displacement, 1e-6 * std::fabs(alone.At(0).displacement)) << z;

    const WholePileLoad in = AnchoredPile({kHead});
    const WholePileBeam coarse = Solved(in, 100), fine = Solved(in, 400);
    for (double z : {0.0, 8.0, 10.0, 14.0}) {
        EXPECT_LT(Relative(coarse.At(z).displacement, fine.At(z).displacement), 1e-4) << z;
        EXPECT_NEAR(coarse.At(z).moment, fine.At(z).moment, 1e-4 * std::fabs(fine.At(10).moment)) << z;
    }
    EXPECT_LT(Relative(coarse.Anchors()[0].axial, fine.Anchors()[0].axial), 1e-4);
}

// Where a user puts a cable's head or a boundary a hair from another node, at
// the foot, or leaves the cables almost all the load: the pile is calculated,
// a free foot stays free, and with almost no thrust each cable holds its
// lock-off force.
TEST(PileInLayers, HeadsAndBoundariesAHairApartAreCalculated)
{
    auto soft = [](CTuCeng& c) { c.fM = 2e4f, c.fA = 1e4f; };
    auto hard = [](CTuCeng& c) { c.fK = 4e5f; };
    CMaoSuo cable;
    cable.fQingJiao = 25, cable.fGangDu = 2e4f, cable.fYuLi = 900;
    auto with = [&](float head, float thin, float thrust) {
        CPelvorinData r = InLayers(PublishedK(), {{12, soft}, {thin, hard}, {30, hard}});
        cable.fShenDu = head;
        r.SheJi.MaoSuo = {cable};
        r.SheJi.fTuiLi = thrust, r.SheJi.fQianKangLi = 0;
        return CalculatePileForces(r);
    };
    for (const PileForces& f : {with(19, 5, 894.5f), with(9.0001f, 5, 894.5f), with(11.9999f, 0.001f, 894.5f),
                                with(1, 5, 0.001f)}) {
        ASSERT_EQ(f.status, 1) << f.refusal;
        EXPECT_NEAR(f.points.back().shear, 0, 1e-6 * (f.thrust + f.anchors[0].horizontal));
    }
    EXPECT_NEAR(with(1, 5, 0.001f).anchors[0].force, 900, 0.01);
    // A head a tenth of a millimetre off the slip surface acts there.
    EXPECT_NEAR(with(9.0001f, 5, 894.5f).anchors[0].force, with(9, 5, 894.5f).anchors[0].force, 1e-6 * 900);
}
