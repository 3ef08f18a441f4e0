// The data file: the exact lines a record writes, and what survives a round trip.
#include "PelvorinData.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

const char kDefaultLines[] =
    "22.000000,10.000000,1.000000,1.500000,1.500000,5.000000,2.000000,5.000000,100.000000,"
    "5.000000\n"
    "25,2,1,1\n"
    "2.000000,18.000000,15.000000,15.000000,10.000000,0.300000,0\n"
    "2.000000,18.000000,15.000000,15.000000,10.000000,0.300000,0\n";

CPelvorinData DefaultWithTwoLayers()
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    return r;
}

} // namespace

TEST(DataFile, DefaultRecordWritesTheReferenceLinesThenTheBasePart)
{
    CPelvorinData r = DefaultWithTwoLayers();
    std::string text = SaveToString(r);
    ASSERT_GE(text.size(), sizeof kDefaultLines - 1);
    EXPECT_EQ(text.substr(0, sizeof kDefaultLines - 1), kDefaultLines);
    std::string rest = text.substr(sizeof kDefaultLines - 1);
    EXPECT_EQ(rest.rfind("[JsDataBase]\n", 0), 0u) << rest;
    EXPECT_NE(rest.find("\n[/JsDataBase]\n"), std::string::npos);
    // A new record names two layers but holds none: no layer line.
    CPelvorinData fresh;
    const std::string none = SaveToString(fresh);
    EXPECT_EQ(none.find("25,2,1,1\n[JsDataBase]\n"), none.find("25,2,1,1\n"));
}

TEST(DataFile, SaveLoadSaveGivesTheSameBytes)
{
    CPelvorinData r = DefaultWithTwoLayers();
    InitKangLiData(&r);
    r.strWenJianMing = "kl-3-2-5";
    r.strMingCheng = "方案3\n第二行 \\ 反斜杠";
    r.fZhuangChang = 23.7f;
    r.TuCeng[1].nLeiXing = 1;
    r.TuCeng[1].fMoCaJiao = 38.25f;
    r.TuCeng.push_back(CTuCeng{});
    r.nTuCengShu = 3;
    std::string first = SaveToString(r);
    CPelvorinData back;
    ASSERT_EQ(LoadFromString(back, first), 1);
    EXPECT_EQ(back.strMingCheng, r.strMingCheng);
    EXPECT_EQ(back.strWenJianMing, "kl-3-2-5");
    EXPECT_EQ(SaveToString(back), first);
}

TEST(DataFile, WhatTheFileDoesNotStoreKeepsItsValue)
{
    CPelvorinData r = DefaultWithTwoLayers();
    r.fZheJianXiShu = 0.5f;
    r.TuCeng[0].fShuiXiaNianJuLi = 3.0f;
    r.TuCeng[0].fShuiXiaMoCaJiao = 7.0f;
    CPelvorinData plain = DefaultWithTwoLayers();
    EXPECT_EQ(SaveToString(r), SaveToString(plain)); // factor and underwater values not stored

    // Into a fresh record: the defaults. Into a used record: its own values.
    CPelvorinData fresh;
    ASSERT_EQ(LoadFromString(fresh, SaveToString(r)), 1);
    EXPECT_FLOAT_EQ(fresh.fZheJianXiShu, 0.3f);
    EXPECT_FLOAT_EQ(fresh.TuCeng[0].fShuiXiaNianJuLi, 10.0f);
    CPelvorinData used = r;
    used.bHuaMianKeBian = 0;
    used.pDianZuoBiao->assign({5.0f, 4.0f});
    ASSERT_EQ(LoadFromString(used, SaveToString(plain)), 1);
    EXPECT_FLOAT_EQ(used.fZheJianXiShu, 0.5f);
    EXPECT_FLOAT_EQ(used.TuCeng[0].fShuiXiaMoCaJiao, 7.0f);
    EXPECT_EQ(used.bHuaMianKeBian, 0);
    EXPECT_EQ(used.pDianZuoBiao->size(), 2u);
}

TEST(DataFile, LayerCountDecidesHowManyLayerLinesAreRead)
{
    // Three layers named, with the third line giving rock: the underwater values
    // are not in the file and take the layer defaults.
    CPelvorinData r;
    ASSERT_EQ(LoadFromString(r, "22,12,1,1.5,1.5,5,2,5,100,5\n25,3,1,1\n"
                                "3,19,16,20,15,0.3,0\n4,20,17,25,20,0.3,0\n5,24,24,40,300,0.3,1\n"),
              1);
    ASSERT_EQ(r.TuCeng.size(), 3u);
    EXPECT_FLOAT_EQ(r.fZhuangChang, 12.0f);
    EXPECT_EQ(r.TuCeng[2].nLeiXing, 1);
    EXPECT_FLOAT_EQ(r.TuCeng[2].fNianJuLi, 300.0f);
    EXPECT_FLOAT_EQ(r.TuCeng[2].fShuiXiaNianJuLi, 10.0f);
    EXPECT_FLOAT_EQ(r.TuCeng[2].fShuiXiaMoCaJiao, 15.0f);

    // Zero layers empties the list; a shorter list drops the deeper layers.
    ASSERT_EQ(LoadFromString(r, "22,12,1,1.5,1.5,5,2,5,100,5\n25,1,1,1\n9,19,16,20,15,0.3,0\n"), 1);
    ASSERT_EQ(r.TuCeng.size(), 1u);
    EXPECT_FLOAT_EQ(r.TuCeng[0].fHouDu, 9.0f);
    ASSERT_EQ(LoadFromString(r, "22,12,1,1.5,1.5,5,2,5,100,5\n25,0,1,1\n"), 1);
    EXPECT_TRUE(r.TuCeng.empty());
}

TEST(DataFile, ShortAndMalformedLinesLeaveTheRestAlone)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    // Line 1 stops after three values; line 2 has letters after the grade.
    ASSERT_EQ(LoadFromString(r, "// a comment\n\n30,11,2\r\n30,x\r\n"), 1);
    EXPECT_FLOAT_EQ(r.fZhuangRongZhong, 30.0f);
    EXPECT_FLOAT_EQ(r.fZhuangKuan, 2.0f);
    EXPECT_FLOAT_EQ(r.fZhuangGao, 1.5f);
    EXPECT_EQ(r.nHunNingTuDengJi, 30);
    EXPECT_EQ(r.nTuCengShu, 2);
    EXPECT_EQ(r.TuCeng.size(), 2u);
    // A file without the base part keeps the record's own.
    r.strWenJianMing = "mine";
    ASSERT_EQ(LoadFromString(r, "22,12,1,1.5,1.5,5,2,5,100,5\n25,0,1,1\n"), 1);
    EXPECT_EQ(r.strWenJianMing, "mine");
}

// A line is read as scanf reads "%f,%f,...": the same fields, whatever the
// spacing, signs, exponents or stray text.
TEST(DataFile, LinesReadAsScanfReadsThem)
{
    const char* const lines[] = {
        "1,2,3,4,5,6,7,8,9,10", " 1, 2 ,3,4", "1.5e1,-2,+3,.5,5.,0x10,7,8,9,10,11", "1,,3", "1;2;3",
        "1e,2", "-,2", "1,2,3,4,5,6,7,8,9", "7 8 9", "1,2,3,4,5,6,7,8,9,10x",
    };
    for (const char* line : lines) {
        CPelvorinData r;
        ASSERT_EQ(LoadFromString(r, std::string(line) + "\n25,0,1,1\n"), 1) << line;
        CPelvorinData want;
        float v[10] = {want.fZhuangRongZhong, want.fZhuangChang, want.fZhuangKuan, want.fZhuangGao,
                       want.fZhuangJing, want.fZhuangJianJu, want.fPoMianDaoZhuangDing, want.fShuiWeiShenDu,
                       want.fAs, want.fHuaMianDaoZhuangDing};
        std::sscanf(line, "%f,%f,%f,%f,%f,%f,%f,%f,%f,%f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6],
                    &v[7], &v[8], &v[9]);
        const float got[10] = {r.fZhuangRongZhong, r.fZhuangChang, r.fZhuangKuan, r.fZhuangGao,
                               r.fZhuangJing, r.fZhuangJianJu, r.fPoMianDaoZhuangDing, r.fShuiWeiShenDu,
                               r.fAs, r.fHuaMianDaoZhuangDing};
        for (int i = 0; i < 10; ++i)
            if (std::isfinite(v[i])) {
                EXPECT_EQ(got[i], v[i]) << line << " value " << i + 1;
            }
    }
    // A layer line: six reals, then the type as an integer.
    const char* const layers[] = {"3,19,9,30,20,0.25,1", "3, 19,9 ,30", "3,19,9,30,20,0.25,1.9", "3,19,9,30,20,x,1"};
    for (const char* line : layers) {
        CPelvorinData r;
        ASSERT_EQ(LoadFromString(r, std::string("22\n25,1,1,1\n") + line + "\n"), 1) << line;
        CTuCeng w;
        std::sscanf(line, "%f,%f,%f,%f,%f,%f,%d", &w.fHouDu, &w.fZhongDu, &w.fFuZhongDu, &w.fMoCaJiao,
                    &w.fNianJuLi, &w.fCengXiShu, &w.nLeiXing);
        ASSERT_EQ(r.TuCeng.size(), 1u);
        const CTuCeng& l = r.TuCeng[0];
        EXPECT_EQ(l.fHouDu, w.fHouDu) << line;
        EXPECT_EQ(l.fZhongDu, w.fZhongDu) << line;
        EXPECT_EQ(l.fFuZhongDu, w.fFuZhongDu) << line;
        EXPECT_EQ(l.fMoCaJiao, w.fMoCaJiao) << line;
        EXPECT_EQ(l.fNianJuLi, w.fNianJuLi) << line;
        EXPECT_EQ(l.fCengXiShu, w.fCengXiShu) << line;
        EXPECT_EQ(l.nLeiXing, w.nLeiXing) << line;
    }
}

TEST(DataFile, LayerCountOutOfBoundsIsRefusedNotAllocated)
{
    CPelvorinData r;
    std::string problem;
    TempDir dir;
    std::string path = dir.path + "/bad.dat";
    WriteText(path, "22,12,1,1.5,1.5,5,2,5,100,5\n// count below\n25,-3,1,1\n");
    FILE* f = std::fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(r.LoadData(f, &problem), 0);
    std::fclose(f);
    EXPECT_EQ(problem, "line 3: layer count -3 is outside 0..1000");
    EXPECT_EQ(r.nTuCengShu, 2);
    EXPECT_EQ(LoadFromString(r, "22\n25,2000000000,1,1\n"), 0);
    EXPECT_TRUE(r.TuCeng.empty());
    // The path form says the same, and a refused file leaves every field alone:
    // no new pile values beside the old layers.
    EXPECT_EQ(r.LoadData(path.c_str()), 0);
    EXPECT_FLOAT_EQ(r.fZhuangChang, 10.0f);
    EXPECT_EQ(r.nTuCengShu, 2);
    EXPECT_EQ(r.LoadData("/nonexistent/dir/x.dat") + r.SaveData("/nonexistent/dir/x.dat"), 0);
    EXPECT_EQ(r.LoadData(static_cast<FILE*>(nullptr)) + r.SaveData(static_cast<FILE*>(nullptr)), 0);
}

// ------------------------------------------------------------------ result record

#include "KangLiResult.h"
#include "Rtf.h"

TEST(ResultRecord, MarkRoundTripAndOtherKeys)
{
    TempDir dir;
    std::string path = dir.path + "/kl.rst";
    CKangLiResult result;
    EXPECT_EQ(result.WriteResultFile(path.c_str()), 1);
    EXPECT_EQ(result.ReadResultFile(path.c_str()), 1);
    EXPECT_EQ(result.HasOwnResult(), 0);

    FILE* f = std::fopen(path.c_str(), "w");
    result.SetBiaoShi(f, "KangLi_Result09");
    std::fclose(f);
    EXPECT_EQ(result.ReadResultFile(path.c_str()), 0);
    WriteText(path, "");
    EXPECT_EQ(result.ReadResultFile(path.c_str()), 0);
    EXPECT_EQ(result.ReadResultFile((dir.path + "/none.rst").c_str()), 0);
    EXPECT_EQ(result.WriteResultFile((dir.path + "/no/dir.rst").c_str()), 0);
}

TEST(ResultRecord, SectionHeading)
{
    CRTF book;
    CKangLiResult result;
    int three = 3;
    EXPECT_EQ(result.WriteSectionHeading(&three), 0); // no book attached yet
    result.pRTF = &book;
    EXPECT_EQ(result.WriteSectionHeading(&three), 1);
    const std::string hyphens(69, '-');
    EXPECT_EQ(book.Text(), hyphens + "\n3.计算内容\n" + hyphens + "\n");
}
