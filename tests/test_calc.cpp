// The calculation object the dialogs and the module drive: its points, what it
// tells the user and what it leaves as it was.
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

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

} // namespace

TEST(CalcPoints, ATwentiethOfThePileRoundedDownAtMostOneMetreFromTheFootUp)
{
    struct { float length; size_t count; float second; } const rows[] = {
        {10.0f, 21, 9.5f}, {30.0f, 31, 29.0f}, {15.0f, 23, 14.7f},
        {10.005f, 21, 9.5f}, // within 0.01 of 10: the foot is 10
        {1.5f, 21, 1.425f},  // a short pile is divided evenly all the same
    };
    for (const auto& row : rows) {
        const std::vector<float> p = Points(row.length);
        ASSERT_EQ(p.size(), row.count) << row.length;
        EXPECT_NEAR(p.front(), row.length, 0.01f) << row.length;
        EXPECT_NEAR(p[1], row.second, 1e-4f) << row.length;
        EXPECT_EQ(p.back(), 0.0f) << row.length;
    }
    EXPECT_EQ(Points(0.0f), std::vector<float>{0.0f});
    EXPECT_EQ(Points(-2.0f), (std::vector<float>{0.0f, -2.0f}));
    for (float absurd : {1.0e9f, 3.0e38f, std::nanf(""), -std::numeric_limits<float>::infinity()}) {
        const size_t n = Points(absurd).size();
        EXPECT_TRUE(n >= 1 && n <= 10002u) << absurd;
    }

    // A depth is inserted in order once; within 0.01 of a point it is that point.
    CKangLiJiSuan calc;
    std::vector<float> l{5.0f, 2.0f, 0.0f};
    EXPECT_EQ(calc.InsertDian(l, 3.0f), 1);
    EXPECT_EQ(calc.InsertDian(l, 2.005f), 0);
    EXPECT_EQ(calc.InsertDian(l, -1.0f), 1);
    EXPECT_EQ(l, (std::vector<float>{5.0f, 3.0f, 2.0f, 0.0f, -1.0f}));
}

TEST(Driver, WhatTheDialogsAreToldAndWhatStays)
{
    // Rock over soil is refused once, with its caption, and the last results stay.
    for (auto types : {std::vector<int>{0, 1, 0}, std::vector<int>{1, 1, 0}}) {
        CPelvorinData r;
        for (int t : types)
            r.TuCeng.push_back(Layer(t, 3.0f, 20.0f, 20.0f, 30.0f));
        r.nTuCengShu = 3;
        r.TuKangLi = {7.0f};
        CKangLiJiSuan calc;
        calc.pData = &r;
        ScopedMessageRecorder rec;
        calc.context.sink = rec.Sink();
        EXPECT_EQ(calc.JiSuan(), 0);
        ASSERT_EQ(rec.messages.size(), 1u);
        EXPECT_EQ(rec.messages[0].text, "岩层下不能出现土层");
        EXPECT_EQ(rec.messages[0].caption, "提示");
        EXPECT_EQ(r.TuKangLi, std::vector<float>{7.0f});
        // A rock layer beyond the counted layers is not looked at.
        r.nTuCengShu = 2;
        EXPECT_EQ(calc.JiSuan(), 1);
    }
    // A friction angle with no shear plane is told once; every value stays finite.
    CPelvorinData r;
    r.bKaoLvShui = 0;
    r.TuCeng = {Layer(0, 4.0f, 18.0f, 10.0f, 15.0f), Layer(1, 20.0f, 24.0f, 200.0f, 270.0f)};
    r.nTuCengShu = 2;
    CKangLiJiSuan calc;
    calc.pData = &r;
    ScopedMessageRecorder rec;
    calc.context.sink = rec.Sink();
    ASSERT_EQ(calc.JiSuan(), 1);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, "内摩擦角输入不对！");
    for (float v : r.TuKangLi)
        EXPECT_TRUE(std::isfinite(v));
    // Calculating twice gives the same lists, not twice as many.
    const std::vector<float> once = r.ZuiZhongKangLi;
    ASSERT_EQ(calc.JiSuan(), 1);
    EXPECT_EQ(r.ZuiZhongKangLi, once);
}

TEST(Driver, ADataChangeIsAskedAboutOnlyWhenTheStoredFileDiffers)
{
    TempDir dir;
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    calc.pData = &r;
    ScopedMessageRecorder rec(IDNO);
    calc.context.workPath = dir.path + "/";
    calc.context.sink = rec.Sink();
    EXPECT_EQ(calc.CheckDataChange(), 1); // no stored file
    r.SaveData((dir.path + "/kl.dat").c_str());
    EXPECT_EQ(calc.CheckDataChange(), 1); // the same data
    EXPECT_TRUE(rec.messages.empty());
    r.fZhuangChang = 12.0f;
    EXPECT_EQ(calc.CheckDataChange(), 0);
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].text, "数据已发生改变，是否继续计算！");
    EXPECT_EQ(rec.messages[0].buttons & 0xF, MB_YESNO);
    rec.answer = IDYES;
    EXPECT_EQ(calc.CheckDataChange(), 1);
    EXPECT_EQ(if_file_exist((dir.path + "/new-kl.dat").c_str()), 0);
}
