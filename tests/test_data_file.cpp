// The data file: the exact lines a record writes, and how its lines are read.
#include "KangLiResult.h"
#include "PelvorinData.h"
#include "Rtf.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

namespace {

const std::string kPileLine = "22,12,1,1.5,1.5,5,2,5,100,5\n";

// Line 1 of the data file, in its order, as the record holds it.
std::array<float, 10> PileLine(const CPelvorinData& r)
{
    return {r.fZhuangRongZhong, r.fZhuangChang, r.fZhuangKuan, r.fZhuangGao, r.fZhuangJing,
            r.fZhuangJianJu, r.fPoMianDaoZhuangDing, r.fShuiWeiShenDu, r.fAs, r.fHuaMianDaoZhuangDing};
}

} // namespace

TEST(DataFile, DefaultRecordWritesTheReferenceLinesThenTheBaseBlock)
{
    const std::string layer = "2.000000,18.000000,15.000000,15.000000,10.000000,0.300000,0\n";
    const std::string lines = "22.000000,10.000000,1.000000,1.500000,1.500000,5.000000,2.000000,5.000000,100.000000,"
                              "5.000000\n25,2,1,1\n" + layer + layer + "[JsDataBase]\n";
    CPelvorinData r;
    r.TuCeng.resize(2);
    const std::string text = SaveToString(r);
    EXPECT_EQ(text.substr(0, lines.size()), lines);
    EXPECT_NE(text.find("\n[/JsDataBase]\n"), std::string::npos) << text;
    // A new record names two layers but holds none: no layer line.
    r.TuCeng.clear();
    EXPECT_NE(SaveToString(r).find("\n25,2,1,1\n[JsDataBase]\n"), std::string::npos);
}

// What the file does not give keeps the record's value: the reduction factor, the
// underwater values and the slip surface's points it never holds, the base block
// where it has none, and what a short or malformed line does not reach.
TEST(DataFile, WhatTheFileDoesNotGiveKeepsItsValue)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    r.fZheJianXiShu = 0.5f, r.TuCeng[0].fShuiXiaNianJuLi = 3.0f, r.TuCeng[0].fShuiXiaMoCaJiao = 7.0f;
    r.bHuaMianKeBian = 0, r.strWenJianMing = "mine", r.pDianZuoBiao->assign({5.0f, 4.0f});
    ASSERT_EQ(LoadFromString(r, kPileLine + "25,2,1,1\n3,19,16,20,15,0.3,0\n4,20,17,25,20,0.3,0\n"), 1);
    EXPECT_EQ(r.fZheJianXiShu, 0.5f);
    EXPECT_EQ(r.TuCeng[0].fShuiXiaNianJuLi, 3.0f);
    EXPECT_EQ(r.TuCeng[0].fShuiXiaMoCaJiao, 7.0f);
    EXPECT_EQ(r.bHuaMianKeBian, 0);
    EXPECT_EQ(r.pDianZuoBiao->size(), 2u);
    EXPECT_EQ(r.strWenJianMing, "mine");
    // Line 1 stops after three values; line 2 has letters after the grade.
    ASSERT_EQ(LoadFromString(r, "// a comment\n\n30,11,2\r\n30,x\r\n"), 1);
    EXPECT_EQ(r.fZhuangRongZhong, 30.0f);
    EXPECT_EQ(r.fZhuangKuan, 2.0f);
    EXPECT_EQ(r.fZhuangGao, 1.5f);
    EXPECT_EQ(r.nHunNingTuDengJi, 30);
    EXPECT_EQ(r.nTuCengShu, 2);
    EXPECT_EQ(r.TuCeng.size(), 2u);
}

// Line 2's count decides how many lines are layers, whatever the record held; a
// count outside 0..100 is refused, not allocated, and leaves every field alone.
TEST(DataFile, LayerCountDecidesHowManyLayerLinesAreRead)
{
    CPelvorinData r;
    ASSERT_EQ(LoadFromString(r, kPileLine + "25,3,1,1\n3,19,16,20,15,0.3,0\n4,20,17,25,20,0.3,0\n5,24,24,40,300,0.3,1\n"), 1);
    ASSERT_EQ(r.TuCeng.size(), 3u);
    EXPECT_EQ(r.TuCeng[2].fNianJuLi, 300.0f);
    EXPECT_EQ(r.TuCeng[2].fShuiXiaNianJuLi, 10.0f); // not in the file: a new layer's
    EXPECT_EQ(r.TuCeng[2].fShuiXiaMoCaJiao, 15.0f);
    ASSERT_EQ(LoadFromString(r, kPileLine + "25,1,1,1\n9,19,16,20,15,0.3,0\n8,19,16,20,15,0.3,0\n"), 1);
    ASSERT_EQ(r.TuCeng.size(), 1u);
    EXPECT_EQ(r.TuCeng[0].fHouDu, 9.0f);
    ASSERT_EQ(LoadFromString(r, kPileLine + "25,0,1,1\n"), 1);
    EXPECT_TRUE(r.TuCeng.empty());

    TempDir dir;
    const std::string path = dir.path + "/bad.dat";
    WriteText(path, "7,7\n// count below\n25,-3,1,1\n");
    std::string problem;
    FILE* f = std::fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(r.LoadData(f, &problem), 0);
    std::fclose(f);
    EXPECT_EQ(problem, "line 3: layer count -3 is outside 0..100");
    EXPECT_EQ(LoadFromString(r, "7\n25,2000000000,1,1\n") + r.LoadData(path.c_str()), 0);
    EXPECT_EQ(r.fZhuangRongZhong, 22.0f);
    EXPECT_EQ(r.nTuCengShu, 0);
    EXPECT_EQ(r.LoadData("/nonexistent/dir/x.dat") + r.SaveData("/nonexistent/dir/x.dat"), 0);
    EXPECT_EQ(r.LoadData(static_cast<FILE*>(nullptr)) + r.SaveData(static_cast<FILE*>(nullptr)), 0);
}

// A line is read as scanf reads "%f,%f,...": the same fields, whatever the
// spacing, signs, exponents or stray text.
TEST(DataFile, LinesReadAsScanfReadsThem)
{
    for (const char* line : {"1,2,3,4,5,6,7,8,9,10", " 1, 2 ,3,4", "1.5e1,-2,+3,.5,5.,0x10,7,8,9,10,11", "1,,3", "1;2;3",
                             "1e,2", "-,2", "1,2,3,4,5,6,7,8,9", "7 8 9", "1,2,3,4,5,6,7,8,9,10x"}) {
        CPelvorinData r;
        ASSERT_EQ(LoadFromString(r, line + std::string("\n25,0,1,1\n")), 1) << line;
        std::array<float, 10> want = PileLine(CPelvorinData());
        float* v = want.data();
        std::sscanf(line, "%f,%f,%f,%f,%f,%f,%f,%f,%f,%f", v, v + 1, v + 2, v + 3, v + 4, v + 5, v + 6, v + 7, v + 8, v + 9);
        for (int i = 0; i < 10; ++i)
            EXPECT_TRUE(!std::isfinite(v[i]) || PileLine(r)[i] == v[i]) << line << " value " << i + 1 << ": " << PileLine(r)[i];
    }
    // A layer line: six reals, then the type as an integer.
    for (const char* line : {"3,19,9,30,20,0.25,1", "3, 19,9 ,30", "3,19,9,30,20,0.25,1.9", "3,19,9,30,20,x,1"}) {
        CPelvorinData r;
        ASSERT_EQ(LoadFromString(r, std::string("22\n25,1,1,1\n") + line + "\n"), 1) << line;
        const CTuCeng& l = r.TuCeng.at(0);
        CTuCeng w;
        std::sscanf(line, "%f,%f,%f,%f,%f,%f,%d", &w.fHouDu, &w.fZhongDu, &w.fFuZhongDu, &w.fMoCaJiao, &w.fNianJuLi,
                    &w.fCengXiShu, &w.nLeiXing);
        EXPECT_EQ(std::tie(l.fHouDu, l.fZhongDu, l.fFuZhongDu, l.fMoCaJiao, l.fNianJuLi, l.fCengXiShu, l.nLeiXing),
                  std::tie(w.fHouDu, w.fZhongDu, w.fFuZhongDu, w.fMoCaJiao, w.fNianJuLi, w.fCengXiShu, w.nLeiXing))
            << line;
    }
}

// The result file holds only its mark; the book's section heading stands between rules.
TEST(ResultRecord, MarkRoundTripAndSectionHeading)
{
    TempDir dir;
    const std::string path = dir.path + "/kl.rst";
    CKangLiResult result;
    EXPECT_EQ(result.WriteResultFile(path.c_str()), 1);
    EXPECT_EQ(result.ReadResultFile(path.c_str()), 1);
    FILE* f = std::fopen(path.c_str(), "w");
    result.SetBiaoShi(f, "KangLi_Result09");
    std::fclose(f);
    EXPECT_EQ(result.ReadResultFile(path.c_str()), 0);
    WriteText(path, "");
    EXPECT_EQ(result.ReadResultFile(path.c_str()) + result.ReadResultFile((dir.path + "/none.rst").c_str()), 0);
    EXPECT_EQ(result.WriteResultFile((dir.path + "/no/dir.rst").c_str()), 0);

    CRTF book;
    int three = 3;
    EXPECT_EQ(result.WriteSectionHeading(&three), 0); // no book attached yet
    result.pRTF = &book;
    EXPECT_EQ(result.WriteSectionHeading(&three), 1);
    EXPECT_EQ(book.Text(), std::string(69, '-') + "\n3.计算内容\n" + std::string(69, '-') + "\n");
}
