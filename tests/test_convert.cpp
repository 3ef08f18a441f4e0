// The record filled from a pile of the slope model, and the resistance handed back.
#include "Convert_to_KangLi.h"
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "SlopeData.h"
#include "TestSlope.h"

#include <gtest/gtest.h>


TEST(Convert, PileLayersAndWater)
{
    CSlopeData s = Slope();
    CPelvorinData r;
    CConvert_to_KangLi conv;
    conv.m_pData = &r;
    ASSERT_EQ(conv.Convert(&s, 1, 0), 1);
    EXPECT_EQ(conv.m_pSlope, &s);
    EXPECT_FLOAT_EQ(r.fZhuangGao, 2.0f);
    EXPECT_FLOAT_EQ(r.fZhuangKuan, 1.2f);
    EXPECT_FLOAT_EQ(r.fZhuangJing, 2.0f); // the diameter takes the section height
    EXPECT_EQ(r.nJieMianXingZhuang, 0);
    EXPECT_EQ(r.nHunNingTuDengJi, 30);
    EXPECT_FLOAT_EQ(r.fZhuangJianJu, 6.0f);
    EXPECT_FLOAT_EQ(r.fZhuangChang, 12.0f);
    EXPECT_FLOAT_EQ(r.fPoMianDaoZhuangDing, 2.0f);
    EXPECT_FLOAT_EQ(r.fHuaMianDaoZhuangDing, 5.0f); // editable: never asked for
    ASSERT_EQ(r.nTuCengShu, 2);
    ASSERT_EQ(r.TuCeng.size(), 2u);
    EXPECT_FLOAT_EQ(r.TuCeng[0].fFuZhongDu, 10.0f); // saturated 20 less water
    EXPECT_FLOAT_EQ(r.TuCeng[0].fShuiXiaMoCaJiao, 18.0f);
    EXPECT_FLOAT_EQ(r.TuCeng[0].fCengXiShu, 0.3f);
    EXPECT_EQ(r.TuCeng[1].nLeiXing, 1);
    EXPECT_FLOAT_EQ(r.TuCeng[1].fFuZhongDu, 24.0f);
    EXPECT_FLOAT_EQ(r.TuCeng[1].fShuiXiaNianJuLi, 300.0f);
    EXPECT_EQ(r.bKaoLvShui, 1);
    EXPECT_FLOAT_EQ(r.fShuiWeiShenDu, 3.0f); // water 5 m below the top, 3 m below the ground
    EXPECT_EQ(s.nQuTuCengBiaoZhi, 0);

    // The slip-surface distance fixed by the model: the circle meets the axis at 93.
    CPelvorinData fixed;
    fixed.bHuaMianKeBian = 0;
    conv.m_pData = &fixed;
    ASSERT_EQ(conv.Convert(&s, 2, 99), 1);
    EXPECT_NEAR(fixed.fHuaMianDaoZhuangDing, 7.0f, 1e-4f);

    EXPECT_EQ(conv.Convert(&s, 3, 0), 0);
    EXPECT_EQ(conv.ConvertBack(&s, 0, 0), 0);
}

TEST(Convert, DryGroundAndLayerOrder)
{
    CSlopeData s = Slope();
    s.CurKHPile.bYouShui = 0;
    CPelvorinData r;
    CConvert_to_KangLi conv;
    conv.m_pData = &r;
    ASSERT_EQ(conv.Convert(&s, 2, 0), 1);
    EXPECT_EQ(r.bKaoLvShui, 0);
    EXPECT_FLOAT_EQ(r.fShuiWeiShenDu, 5.0f); // keeps the record's own value

    s.CurKHPile.QianCeng = {Soil(2), Rock(3), Rock(4)};
    EXPECT_EQ(conv.Convert(&s, 2, 0), 1);
    s.CurKHPile.QianCeng = {Rock(3)};
    EXPECT_EQ(conv.Convert(&s, 2, 0), 1);
    s.CurKHPile.QianCeng = {Rock(3), Soil(2)};
    ScopedMessageRecorder rec;
    EXPECT_EQ(conv.Convert(&s, 2, 0), 0);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, "岩层下不能出现土层");
    EXPECT_EQ(r.nTuCengShu, 2); // what was written stays
    s.CurKHPile.QianCeng.clear();
    EXPECT_EQ(conv.Convert(&s, 2, 0), 1);
    EXPECT_EQ(r.nTuCengShu, 0);
    EXPECT_TRUE(r.TuCeng.empty());
}

TEST(Convert, ResistanceBackIntoThePile)
{
    CSlopeData s = Slope();
    s.KHPiles[0].nKangLiDianShu = 30;
    s.KHPiles[0].KangLiDian.assign(30, 1.0f);
    s.KHPiles[0].KangLiZhi.assign(30, 1.0f);
    CPelvorinData r;
    CConvert_to_KangLi conv;
    conv.m_pData = &r;
    conv.Convert(&s, 1, 0);
    r.fZhuangChang = 10.0f;
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    ASSERT_EQ(conv.ConvertBack(&s, 1, 0), 1);
    const CSlp_KHPile& p = s.KHPiles[0];
    EXPECT_EQ(p.nKangLiDianShu, 21);
    ASSERT_EQ(p.KangLiDian.size(), 21u);
    ASSERT_EQ(p.KangLiZhi.size(), 21u);
    for (size_t i = 0; i < 21; ++i) {
        EXPECT_EQ(p.KangLiDian[i], (*r.pDianZuoBiao)[i]);
        EXPECT_EQ(p.KangLiZhi[i], r.ZuiZhongKangLi[i]);
    }
    // The host recomputes with the pile: the value at the slip surface (7 m).
    EXPECT_EQ(CalHMKangLi_KHZ(&s, 0, nullptr, 1), 1);
    EXPECT_NEAR(s.KHPiles[0].fKangLi, r.ZuiZhongKangLi[6], 1e-3); // point 6 is 7.0 m

    // A refused record has no points: the pile's earlier result is cleared.
    CPelvorinData refused;
    conv.m_pData = &refused;
    ASSERT_EQ(conv.ConvertBack(&s, 1, 0), 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0);
    EXPECT_TRUE(s.KHPiles[0].KangLiDian.empty());
    EXPECT_TRUE(s.KHPiles[0].KangLiZhi.empty());
}
