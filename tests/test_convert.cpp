// The record filled from a pile of the slope model, and the resistance handed back.
#include "Convert_to_KangLi.h"
#include "KangLiJiSuan.h"
#include "PelvorinData.h"
#include "SlopeData.h"
#include "TestSlope.h"

#include <gtest/gtest.h>

// Slope(): a circle pile 1.2 m by 2 m, 12 m long at 6 m spacing, top at 100,
// ground at 98, water at 95, 3 m of soil over rock; the circle cuts it at 93.
TEST(Convert, ThePileItsLayersAndTheWaterAsTheRecordTakesThem)
{
    CSlopeData s = Slope();
    CPelvorinData wet, dry, fixed;
    fixed.bHuaMianKeBian = 0; // the slip depth taken from the model
    CConvert_to_KangLi conv;
    for (CPelvorinData* r : {&wet, &fixed}) {
        conv.m_pData = r;
        ASSERT_EQ(conv.Convert(&s, 1, 0), 1);
    }
    s.CurKHPile.bYouShui = 0;
    conv.m_pData = &dry;
    ASSERT_EQ(conv.Convert(&s, 2, 0), 1); // the working pile
    ASSERT_EQ(wet.TuCeng.size(), 2u);
    // A circle of grade 30, two layers the second rock, water but for the dry ground.
    EXPECT_EQ((std::vector<int>{wet.nJieMianXingZhuang, wet.nHunNingTuDengJi, wet.nTuCengShu, wet.TuCeng[1].nLeiXing,
                                wet.bKaoLvShui, dry.bKaoLvShui}),
              (std::vector<int>{0, 30, 2, 1, 1, 0}));
    const struct { const char* what; float got, expected; } cases[] = {
        {"height", wet.fZhuangGao, 2}, {"width", wet.fZhuangKuan, 1.2f}, {"diameter: the height", wet.fZhuangJing, 2},
        {"spacing", wet.fZhuangJianJu, 6}, {"length", wet.fZhuangChang, 12}, {"ground below the top", wet.fPoMianDaoZhuangDing, 2},
        {"editable slip depth: the record's own", wet.fHuaMianDaoZhuangDing, 5},
        {"fixed slip depth: the circle meets the axis at 93", fixed.fHuaMianDaoZhuangDing, 7},
        {"soil buoyant weight: saturated 20 less water", wet.TuCeng[0].fFuZhongDu, 10},
        {"soil friction under water", wet.TuCeng[0].fShuiXiaMoCaJiao, 18}, {"soil factor", wet.TuCeng[0].fCengXiShu, 0.3f},
        {"rock buoyant weight: its own", wet.TuCeng[1].fFuZhongDu, 24},
        {"rock cohesion under water: its own", wet.TuCeng[1].fShuiXiaNianJuLi, 300},
        {"water 5 m below the top: 3 m below the ground", wet.fShuiWeiShenDu, 3},
        {"dry ground keeps the record's water depth", dry.fShuiWeiShenDu, 5},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(c.got, c.expected) << c.what;
}

TEST(Convert, TheHostReadsTheResistanceAtTheSlipSurface)
{
    CSlopeData s = Slope();
    s.KHPiles[0].nKangLiDianShu = 30; // an earlier result, replaced whole
    s.KHPiles[0].KangLiDian = s.KHPiles[0].KangLiZhi = std::vector<float>(30, 1.0f);
    CPelvorinData r;
    CConvert_to_KangLi conv;
    conv.m_pData = &r;
    ASSERT_EQ(conv.Convert(&s, 1, 0), 1);
    r.fZhuangChang = 10.0f; // points every 0.5 m: point 6 lies at 7 m, where the circle cuts
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    ASSERT_EQ(conv.ConvertBack(&s, 1, 0), 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21);
    EXPECT_EQ(s.KHPiles[0].KangLiDian, *r.pDianZuoBiao);
    EXPECT_EQ(s.KHPiles[0].KangLiZhi, r.ZuiZhongKangLi);
    ASSERT_EQ(CalHMKangLi_KHZ(&s, 0, nullptr, 1), 1);
    EXPECT_NEAR(s.KHPiles[0].fKangLi, r.ZuiZhongKangLi[6], 1e-3);
}
