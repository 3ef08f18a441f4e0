// The calculation against numbers worked out by hand: points, pile section,
// layer queries, ground resistance and the driver.
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

CTuCeng Layer(int type, float h, float gamma, float c, float phi, float gammaBuoyant = 10.0f)
{
    CTuCeng l;
    l.nLeiXing = type;
    l.fHouDu = h;
    l.fZhongDu = gamma;
    l.fNianJuLi = c;
    l.fMoCaJiao = phi;
    l.fFuZhongDu = gammaBuoyant;
    l.fShuiXiaNianJuLi = c;
    l.fShuiXiaMoCaJiao = phi;
    return l;
}

void SetLayers(CPelvorinData& r, std::vector<CTuCeng> layers)
{
    r.TuCeng = std::move(layers);
    r.nTuCengShu = static_cast<int>(r.TuCeng.size());
}

std::vector<float> Points(float length)
{
    CPelvorinData r;
    r.fZhuangChang = length;
    CKangLiJiSuan calc;
    calc.pData = &r;
    std::vector<float> list;
    calc.MakeJiSuanDian(list);
    return list;
}

size_t IndexOf(const CPelvorinData& r, float z)
{
    const auto& p = *r.pDianZuoBiao;
    for (size_t i = 0; i < p.size(); ++i)
        if (std::fabs(p[i] - z) < 0.001f)
            return i;
    ADD_FAILURE() << "no calculation point at " << z;
    return 0;
}

} // namespace

// ------------------------------------------------------------------ points

TEST(CalcPoints, SpacingIsATwentiethRoundedDownAndAtMostOneMetre)
{
    std::vector<float> ten = Points(10.0f);
    ASSERT_EQ(ten.size(), 21u);
    for (size_t i = 0; i < ten.size(); ++i)
        EXPECT_NEAR(ten[i], 10.0f - 0.5f * i, 1e-5f);

    std::vector<float> thirty = Points(30.0f);
    ASSERT_EQ(thirty.size(), 31u);
    EXPECT_EQ(thirty.front(), 30.0f);
    EXPECT_NEAR(thirty[1], 29.0f, 1e-5f);

    std::vector<float> fifteen = Points(15.0f); // step 0.7: 0.7 ... 14.7 and 15
    ASSERT_EQ(fifteen.size(), 23u);
    EXPECT_EQ(fifteen.front(), 15.0f);
    EXPECT_NEAR(fifteen[1], 14.7f, 1e-4f);
    EXPECT_NEAR(fifteen[2], 14.0f, 1e-4f);
    EXPECT_EQ(fifteen.back(), 0.0f);
}

TEST(CalcPoints, EdgesOfTheList)
{
    std::vector<float> near = Points(10.005f); // 10.005 lies within 0.01 of 10.0
    EXPECT_NEAR(near.front(), 10.0f, 1e-5f);
    EXPECT_EQ(near.size(), 21u);
    EXPECT_EQ(Points(0.0f), std::vector<float>{0.0f});
    EXPECT_EQ(Points(-2.0f), (std::vector<float>{0.0f, -2.0f}));

    // A pile shorter than 2 m still runs from its length to 0, evenly divided.
    std::vector<float> shortPile = Points(1.5f);
    EXPECT_EQ(shortPile.front(), 1.5f);
    EXPECT_EQ(shortPile.back(), 0.0f);
    EXPECT_EQ(shortPile.size(), 21u);

    CPelvorinData r;
    CKangLiJiSuan calc;
    calc.pData = &r;
    std::vector<float> list{9.0f};
    calc.MakeJiSuanDian(list);
    std::vector<float> again = list;
    calc.MakeJiSuanDian(list);
    EXPECT_EQ(list, again);

    std::vector<float> l{5.0f, 2.0f, 0.0f};
    EXPECT_EQ(calc.InsertDian(l, 3.0f), 1);
    EXPECT_EQ(l, (std::vector<float>{5.0f, 3.0f, 2.0f, 0.0f}));
    EXPECT_EQ(calc.InsertDian(l, 2.005f), 0);
    EXPECT_EQ(l.size(), 4u);
    EXPECT_EQ(calc.InsertDian(l, -1.0f), 1);
    EXPECT_EQ(l.back(), -1.0f);
}

// ------------------------------------------------------------------ pile section

TEST(PileSection, DefaultRectangleAtFiveMetres)
{
    // C25: fc 11.9, ftk 1.78. A = 1.5 m2, b0 = 1000, h0 = 1400 mm.
    // Vc0 = 0.7 * 1000 * 1400 * 1.78 / 1000 = 1744.4 kN; N1 = 0.3 * 11.9 * 1.5e3 = 5355 kN.
    // z = 5: sigma = 110, N0 = 165, Vc = 1744.4 + 0.07 * 165 = 1755.95, Fv = 351.19.
    CPelvorinData r;
    r.pDianZuoBiao->assign({5.0f, 0.0f});
    CZhuangKangLiJiSuan pile;
    pile.pData = &r;
    EXPECT_FLOAT_EQ(pile.GetJieMianMianJi(), 1.5f);
    float vcTop = pile.JiSuan();
    ASSERT_EQ(pile.KangLi.size(), 2u);
    EXPECT_FLOAT_EQ(pile.ZiZhongYingLi[0], 110.0f);
    EXPECT_FLOAT_EQ(pile.ZiZhongYaLi[0], 165.0f);
    EXPECT_NEAR(pile.KangLi[0], 351.19f, 0.001f);
    // At the pile top the concrete term alone.
    EXPECT_NEAR(vcTop, 1744.4f, 0.001f);
    EXPECT_NEAR(pile.KangLi[1], 348.88f, 0.001f);
}

TEST(PileSection, AxialForceIsCappedByTheConcrete)
{
    // z = 200: N0 = 22 * 200 * 1.5 = 6600 > N1 = 5355, so
    // Vc = 1744.4 + 0.07 * 5355 = 2119.25, Fv = 423.85.
    CPelvorinData r;
    r.pDianZuoBiao->assign({200.0f, 150.0f, 0.0f});
    CZhuangKangLiJiSuan pile;
    pile.pData = &r;
    pile.JiSuan();
    EXPECT_NEAR(pile.KangLi[0], 423.85f, 0.001f);
    // z = 150: N0 = 4950 < N1: Vc = 1744.4 + 346.5 = 2090.9, Fv = 418.18.
    EXPECT_NEAR(pile.KangLi[1], 418.18f, 0.001f);
}

TEST(PileSection, CircleAndOtherShapes)
{
    // d = 1.5: b0 = 1320, h0 = 1200 mm, A = 1.767 m2. C30: ftk 2.01.
    // z = 4, gamma 25: N0 = 100 * 1.76715 = 176.715; Vc = 0.7*1320*1200*2.01/1000 + 12.370
    // = 2228.688 + 12.370 = 2241.058; s = 4: Fv = 560.264.
    CPelvorinData r;
    r.nJieMianXingZhuang = 0;
    r.fZhuangRongZhong = 25.0f;
    r.nHunNingTuDengJi = 30;
    r.fZhuangJianJu = 4.0f;
    r.pDianZuoBiao->assign({4.0f});
    CZhuangKangLiJiSuan pile;
    pile.pData = &r;
    EXPECT_NEAR(pile.GetJieMianMianJi(), 1.767f, 0.0005f);
    pile.JiSuan();
    EXPECT_NEAR(pile.KangLi[0], 560.264f, 0.002f);

    r.nJieMianXingZhuang = 2;
    EXPECT_EQ(pile.GetJieMianMianJi(), 0.0f);
    pile.JiSuan();
    EXPECT_EQ(pile.KangLi[0], 0.0f);

    r.pDianZuoBiao->clear();
    EXPECT_EQ(pile.JiSuan(), 0.0f);
    EXPECT_TRUE(pile.KangLi.empty());
}

// ------------------------------------------------------------------ layer queries

TEST(LayerQueries, PassiveCoefficientAndPressure)
{
    CPelvorinData r;
    r.bKaoLvShui = 0;
    SetLayers(r, {Layer(0, 20.0f, 18.0f, 10.0f, 15.0f)});
    CTuKangLiJiSuan g;
    g.pData = &r;
    EXPECT_NEAR(g.GetKp(5.0f, 0, 0), 1.69840f, 0.00001f);
    r.TuCeng[0].fMoCaJiao = 30.0f;
    EXPECT_NEAR(g.GetKp(5.0f, 0, 0), 3.0f, 0.00001f);
    r.TuCeng[0].fMoCaJiao = 90.0f;
    EXPECT_EQ(g.GetKp(5.0f, 0, 0), 0.0f);
    r.TuCeng[0].fMoCaJiao = 15.0f;
    // p = 2c sqrt(Kp) = 26.065 at the slope surface, Kp * 8 * 18 + 26.065 = 270.634 at 10.
    EXPECT_NEAR(g.GetBeiDongTuYaLi(2.0f, 0, 1), 26.065f, 0.001f);
    EXPECT_NEAR(g.GetBeiDongTuYaLi(10.0f, 0, 1), 270.634f, 0.001f);
    // Above the slope surface the stress is negative; the pressure is cut at 0.
    r.TuCeng[0].fNianJuLi = 0.0f;
    EXPECT_EQ(g.GetBeiDongTuYaLi(1.0f, 0, 0), 0.0f);
}

TEST(LayerQueries, LayersDepthsAndWater)
{
    CPelvorinData r; // t = 2, water 5 m below it: w = 7
    SetLayers(r, {Layer(0, 3.0f, 18.0f, 10.0f, 15.0f, 8.0f), Layer(0, 20.0f, 18.0f, 20.0f, 25.0f, 8.0f)});
    r.TuCeng[1].fShuiXiaNianJuLi = 12.0f;
    r.TuCeng[1].fShuiXiaMoCaJiao = 21.0f;
    CTuKangLiJiSuan g;
    g.pData = &r;
    EXPECT_EQ(g.GetCengHao(1.0f), 0);  // between pile top and slope surface
    EXPECT_EQ(g.GetCengHao(4.0f), 0);
    EXPECT_EQ(g.GetCengHao(5.0f), 1);  // a boundary belongs to the layer below
    EXPECT_EQ(g.GetCengHao(500.0f), 1); // the last layer reaches 1000 m
    EXPECT_EQ(g.GetCengHao(2000.0f), -1);
    // sigma at 10 = 5 * 18 + 3 * 8 = 114.
    EXPECT_NEAR(g.GetShuZhiYingLi(10.0f), 114.0f, 1e-4f);
    // On the water level the flag chooses; below it the under-water value.
    EXPECT_EQ(g.GetNianJuLi(7.0f, 1, 1), 12.0f);
    EXPECT_EQ(g.GetNianJuLi(7.0f, 1, 0), 20.0f);
    EXPECT_EQ(g.GetMoCaJiao(8.0f, 1, 0), 21.0f);
    EXPECT_EQ(g.GetMoCaJiao(6.0f, 1, 1), 25.0f);
    EXPECT_EQ(g.GetNianJuLi(6.0f, -1, 1), 0.0f);
    r.bKaoLvShui = 0;
    EXPECT_NEAR(g.GetShuZhiYingLi(10.0f), 144.0f, 1e-4f);
    EXPECT_EQ(g.GetMoCaJiao(8.0f, 1, 1), 25.0f);

    SetLayers(r, {Layer(0, 3.0f, 18.0f, 10.0f, 15.0f)});
    EXPECT_EQ(g.GetCengHao(5000.0f), 0); // one layer: every depth
    EXPECT_EQ(g.GetNianJuLi(6.0f, 7, 0), 10.0f);
    SetLayers(r, {});
    EXPECT_EQ(g.GetCengHao(5.0f), -1);
    EXPECT_EQ(g.GetShuZhiYingLi(5.0f), 0.0f);
}

// ------------------------------------------------------------------ ground

TEST(GroundResistance, WorkedEarthPressure)
{
    // One soil layer 20 m (18, 10, 15), t = 2, L = 10, no water, eta 0.3, b = 1.0
    // (b0 = 2.0), s = 5. Pressure 26.065 at 2 and 270.634 at 10; at 5 it is
    // 117.778, Epk = (117.778 + 270.634) * 5 / 2 = 971.03, Ep = 0.3 * 971.03 * 2 / 5 = 116.52.
    CPelvorinData r;
    r.bKaoLvShui = 0;
    SetLayers(r, {Layer(0, 20.0f, 18.0f, 10.0f, 15.0f)});
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    const CTuKangLiJiSuan& g = calc.TuKangLiJiSuan;
    EXPECT_EQ(g.TuYaFenDuan, (std::vector<float>{10.0f, 2.0f}));
    EXPECT_FLOAT_EQ(g.fJiSuanKuanDu, 2.0f);
    EXPECT_NEAR(g.YaLiXia[1], 26.065f, 0.001f);
    EXPECT_NEAR(g.YaLiShang[0], 270.634f, 0.001f);
    size_t i = IndexOf(r, 5.0f);
    EXPECT_NEAR(g.TuYaLiHeLi[i], 971.03f, 0.01f);
    EXPECT_NEAR(g.TuYaLi[i], 116.52f, 0.01f);
    EXPECT_EQ(g.KangJianLi[i], 0.0f); // all soil: no rock shear
    EXPECT_NEAR(r.TuKangLi[i], 116.52f, 0.01f);
    EXPECT_EQ(r.nTuShu, 1);
    // The pile bottom has nothing below it; a point above the slope surface has
    // the whole soil zone: (26.065 + 270.634) / 2 * 8 = 1186.80.
    EXPECT_EQ(r.TuKangLi.front(), 0.0f);
    EXPECT_NEAR(g.TuYaLiHeLi[IndexOf(r, 1.0f)], 1186.80f, 0.01f);
}

TEST(GroundResistance, WorkedRockShear)
{
    // Soil 4 m (18) over rock 20 m (24, c 200, phi 35), t = 2, L = 10, no water,
    // b0 = 2.0, s = 5. At 8: sigma at 9 = 4 * 18 + 3 * 24 = 144,
    // tau = (tan 35 * 144 + 200) * (2 / cos 27.5) * 2 / 5 = 271.32.
    CPelvorinData r;
    r.bKaoLvShui = 0;
    SetLayers(r, {Layer(0, 4.0f, 18.0f, 10.0f, 15.0f), Layer(1, 20.0f, 24.0f, 200.0f, 35.0f)});
    r.TuCeng[1].fShuiXiaNianJuLi = 1.0f;
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    const CTuKangLiJiSuan& g = calc.TuKangLiJiSuan;
    size_t i = IndexOf(r, 8.0f);
    EXPECT_NEAR(g.KangJianLi[i], 271.32f, 0.01f);
    EXPECT_EQ(g.TuYaLi[i], 0.0f); // below the soil zone
    EXPECT_NEAR(r.TuKangLi[i], 271.32f, 0.01f);
    // In the soil above the rock: the whole rock below 6 m, 4 m of it, mid-depth 8
    // (sigma 72 + 48 = 120): (tan 35 * 120 + 200) * (4 / cos 27.5) * 0.4
    // = 284.025 * 4.50953 * 0.4 = 512.33.
    EXPECT_NEAR(g.KangJianLi[IndexOf(r, 3.0f)], 512.33f, 0.01f);
    EXPECT_NEAR(g.KangJianLi[IndexOf(r, 6.0f)], 512.33f, 0.01f);
    EXPECT_EQ(r.nTuShu, 1);
    // The rock's under-water values now equal its above-water values.
    EXPECT_EQ(r.TuCeng[1].fShuiXiaNianJuLi, 200.0f);
    EXPECT_EQ(r.TuCeng[1].fFuZhongDu, 24.0f);
}

TEST(GroundResistance, CalculationWidth)
{
    CPelvorinData r;
    CTuKangLiJiSuan g;
    g.pData = &r;
    r.fZhuangKuan = 1.0f;
    EXPECT_FLOAT_EQ(g.GetJiSuanKuanDu(), 2.0f);
    r.fZhuangKuan = 1.2f;
    EXPECT_FLOAT_EQ(g.GetJiSuanKuanDu(), 2.2f);
    r.nJieMianXingZhuang = 0;
    r.fZhuangJing = 1.5f;
    EXPECT_FLOAT_EQ(g.GetJiSuanKuanDu(), 2.25f);
    r.fZhuangJing = 0.8f;
    EXPECT_FLOAT_EQ(g.GetJiSuanKuanDu(), 0.9f * 1.7f);
    r.fZhuangJianJu = 1.2f;
    EXPECT_FLOAT_EQ(g.GetJiSuanKuanDu(), 1.2f); // never wider than the spacing
    r.nJieMianXingZhuang = 3;
    EXPECT_EQ(g.GetJiSuanKuanDu(), 0.0f);
}

TEST(GroundResistance, AllRockHasNoEarthPressure)
{
    CPelvorinData r;
    r.bKaoLvShui = 0;
    SetLayers(r, {Layer(1, 5.0f, 24.0f, 200.0f, 35.0f), Layer(1, 20.0f, 25.0f, 300.0f, 40.0f)});
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    EXPECT_EQ(r.nTuShu, 0);
    EXPECT_EQ(calc.TuKangLiJiSuan.TuYaFenDuan, std::vector<float>{2.0f});
    for (float ep : calc.TuKangLiJiSuan.TuYaLi)
        EXPECT_EQ(ep, 0.0f);
    // At 5 (layer 0, 2..7): tau = (tan35*sigma(6)+200)*(2/cos27.5)*0.4, sigma(6) = 96;
    // plus layer 1 from 7 to 10 at mid 8.5: sigma = 120 + 37.5 = 157.5, phi 40:
    // (tan40*157.5+300)*(3/cos25)*0.4.
    const double pi = 3.1415926535;
    double expect = (std::tan(35 * pi / 180) * 96 + 200) * (2 / std::cos(27.5 * pi / 180)) * 0.4 +
                    (std::tan(40 * pi / 180) * 157.5 + 300) * (3 / std::cos(25 * pi / 180)) * 0.4;
    EXPECT_NEAR(r.TuKangLi[IndexOf(r, 5.0f)], expect, 0.01);
}

TEST(GroundResistance, FrictionAngleWithoutShearPlaneIsReported)
{
    CPelvorinData r;
    r.bKaoLvShui = 0;
    SetLayers(r, {Layer(0, 4.0f, 18.0f, 10.0f, 15.0f), Layer(1, 20.0f, 24.0f, 200.0f, 270.0f)});
    CKangLiJiSuan calc;
    calc.pData = &r;
    ScopedMessageRecorder rec;
    ASSERT_EQ(calc.JiSuan(), 1);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, "内摩擦角输入不对！");
    for (float v : calc.TuKangLiJiSuan.KangJianLi)
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(r.TuKangLi.size(), r.pDianZuoBiao->size());
}

// ------------------------------------------------------------------ driver

TEST(Driver, RockAboveSoilIsRefused)
{
    for (auto types : {std::vector<int>{0, 1, 0}, std::vector<int>{1, 1, 0}}) {
        CPelvorinData r;
        std::vector<CTuCeng> layers;
        for (int t : types)
            layers.push_back(Layer(t, 3.0f, 20.0f, 20.0f, 30.0f));
        SetLayers(r, layers);
        r.TuKangLi = {7.0f};
        CKangLiJiSuan calc;
        calc.pData = &r;
        ScopedMessageRecorder rec;
        EXPECT_EQ(calc.JiSuan(), 0);
        ASSERT_EQ(rec.messages.size(), 1u);
        EXPECT_EQ(rec.messages[0].text, "岩层下不能出现土层");
        EXPECT_EQ(rec.messages[0].caption, "提示");
        EXPECT_EQ(r.bYiJiSuan, 1);
        EXPECT_EQ(r.nJianTuShu, 3);
        EXPECT_EQ(r.TuKangLi, std::vector<float>{7.0f}); // previous results stay
    }
    CPelvorinData ok;
    SetLayers(ok, {Layer(0, 3, 18, 10, 15), Layer(0, 3, 18, 10, 15), Layer(1, 9, 24, 200, 35)});
    CKangLiJiSuan calc;
    calc.pData = &ok;
    EXPECT_EQ(calc.JiSuan(), 1);
    // A rock layer beyond the counted layers is not looked at.
    ok.TuCeng.push_back(Layer(0, 3, 18, 10, 15));
    EXPECT_EQ(calc.JiSuan(), 1);
}

TEST(Driver, FinalIsTheSmallerAndRunsDoNotAccumulate)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    ASSERT_EQ(calc.JiSuan(), 1);
    const size_t n = r.pDianZuoBiao->size();
    ASSERT_EQ(n, 21u);
    EXPECT_EQ(r.TuKangLi.size(), n);
    EXPECT_EQ(r.ZhuangKangLi.size(), n);
    EXPECT_EQ(r.ZuiZhongKangLi.size(), n);
    for (size_t i = 0; i < n; ++i)
        EXPECT_EQ(r.ZuiZhongKangLi[i], std::min(r.TuKangLi[i], r.ZhuangKangLi[i]));
    // Pile top: 1744.4 / 5 = 348.88 from the concrete alone.
    EXPECT_NEAR(r.ZhuangKangLi.back(), 348.88f, 0.001f);
}

TEST(Driver, TieTakesThePileValue)
{
    // No layers: the ground gives 0 everywhere; shape 2 makes the pile 0 as well.
    CPelvorinData r;
    r.nTuCengShu = 0;
    r.nJieMianXingZhuang = 2;
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    for (size_t i = 0; i < r.ZuiZhongKangLi.size(); ++i) {
        EXPECT_EQ(r.TuKangLi[i], 0.0f);
        EXPECT_EQ(r.ZuiZhongKangLi[i], 0.0f);
        EXPECT_FALSE(std::signbit(r.ZuiZhongKangLi[i]));
    }
}

TEST(Driver, DataChangeIsAskedAboutOnlyWhenTheFileDiffers)
{
    TempWorkPath dir;
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    calc.pData = &r;
    {
        ScopedMessageRecorder rec(IDNO);
        EXPECT_EQ(calc.CheckDataChange(), 1); // no stored file
        r.SaveData((G_strWorkPath + "kl.dat").c_str());
        EXPECT_EQ(calc.CheckDataChange(), 1); // same data
        EXPECT_TRUE(rec.messages.empty());
        r.fZhuangChang = 12.0f;
        EXPECT_EQ(calc.CheckDataChange(), 0);
        ASSERT_EQ(rec.messages.size(), 1u);
        EXPECT_EQ(rec.messages[0].text, "数据已发生改变，是否继续计算！");
        EXPECT_EQ(rec.messages[0].buttons & 0xF, MB_YESNO);
        rec.answer = IDYES;
        EXPECT_EQ(calc.CheckDataChange(), 1);
    }
    EXPECT_EQ(if_file_exist((G_strWorkPath + "new-kl.dat").c_str()), 0);
}

TEST(GroundResistance, WaterLevelSplitsTheSoilPressure)
{
    // One soil layer (18, gamma' 8; c 10, phi 15 above water; c 5, phi 10 below),
    // t = 2, water 3 m down: w = 5, L = 10. Divisions 10, 5, 2.
    // At 5, sigma = 54. Just above: 1.69840 * 54 + 26.065 = 117.778.
    // Just below: Kp = tan2(50) = 1.42028: 76.695 + 2 * 5 * 1.19175 = 88.613.
    CPelvorinData r;
    SetLayers(r, {Layer(0, 20.0f, 18.0f, 10.0f, 15.0f, 8.0f)});
    r.TuCeng[0].fShuiXiaNianJuLi = 5.0f;
    r.TuCeng[0].fShuiXiaMoCaJiao = 10.0f;
    r.fShuiWeiShenDu = 3.0f;
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    const CTuKangLiJiSuan& g = calc.TuKangLiJiSuan;
    ASSERT_EQ(g.TuYaFenDuan, (std::vector<float>{10.0f, 5.0f, 2.0f}));
    EXPECT_NEAR(g.YaLiShang[1], 117.778f, 0.001f);
    EXPECT_NEAR(g.YaLiXia[1], 88.613f, 0.001f);
}

TEST(GroundResistance, NothingBelowTheFootResists)
{
    // Rock 20 m over rock, t = 2, L = 10, water 10 m down (w = 12, below the
    // foot). The rock shear runs from a point down to the foot, not to the
    // layer's bottom at 22 m, and the water below the foot is no division.
    // At 8 m: rock from 8 to 10, mid 9, sigma = 7 * 24 = 168,
    // tau = (tan35 * 168 + 200) * (2 / cos 27.5) * 2 / 5 = 286.477.
    CPelvorinData r;
    SetLayers(r, {Layer(1, 20.0f, 24.0f, 200.0f, 35.0f), Layer(1, 5.0f, 24.0f, 200.0f, 35.0f)});
    r.fShuiWeiShenDu = 10.0f;
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    const CTuKangLiJiSuan& g = calc.TuKangLiJiSuan;
    EXPECT_EQ(g.KangJianFenDuan.front(), 10.0f);
    EXPECT_EQ(r.TuKangLi.front(), 0.0f);
    EXPECT_NEAR(r.TuKangLi[IndexOf(r, 8.0f)], 286.477f, 0.01f);
}

TEST(CalcPoints, AbsurdLengthsStayFinite)
{
    for (float length : {1.0e9f, 3.0e38f, std::nanf(""), -std::numeric_limits<float>::infinity()}) {
        std::vector<float> list = Points(length);
        EXPECT_LE(list.size(), 10002u) << length;
        EXPECT_GE(list.size(), 1u);
    }
}
