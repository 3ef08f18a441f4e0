// The JSON form of the record: round trips, agreement with the data file, errors.
#include "RecordJson.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

CPelvorinData Unusual()
{
    CPelvorinData r;
    r.fZhuangRongZhong = 24.5f;
    r.fZhuangChang = 17.3f;
    r.fZhuangKuan = 1.1f;
    r.fZhuangGao = 1.7f;
    r.fZhuangJing = 1.25f;
    r.fZhuangJianJu = 4.6f;
    r.fPoMianDaoZhuangDing = 0.7f;
    r.nJieMianXingZhuang = 0;
    r.fAs = 65.0f;
    r.fHuaMianDaoZhuangDing = 9.1f;
    r.nHunNingTuDengJi = 40;
    r.fShuiWeiShenDu = 3.3f;
    r.bKaoLvShui = 0;
    r.fZheJianXiShu = 0.45f;
    CTuCeng a, b;
    a.fHouDu = 5.5f;
    a.fShuiXiaNianJuLi = 7.5f;
    a.fShuiXiaMoCaJiao = 12.1f;
    b.nLeiXing = 1;
    b.fCengXiShu = 0.25f;
    b.fNianJuLi = 400.0f;
    b.fMoCaJiao = 42.0f;
    r.TuCeng = {a, b};
    r.nTuCengShu = 2;
    return r;
}

std::string JsonError(const std::string& text)
{
    CPelvorinData r;
    std::string error;
    EXPECT_FALSE(RecordFromJson(text, r, &error)) << text;
    return error;
}

} // namespace

TEST(RecordJson, EveryInputSurvivesARoundTrip)
{
    CPelvorinData r = Unusual();
    CPelvorinData back;
    std::string error;
    ASSERT_TRUE(RecordFromJson(RecordToJson(r), back, &error)) << error;
    EXPECT_EQ(RecordToJson(back), RecordToJson(r));
    EXPECT_EQ(back.fZheJianXiShu, 0.45f);
    EXPECT_EQ(back.TuCeng[0].fShuiXiaMoCaJiao, 12.1f);
    EXPECT_EQ(back.TuCeng[1].fCengXiShu, 0.25f);
    EXPECT_EQ(back.nJieMianXingZhuang, 0);
    EXPECT_EQ(back.bKaoLvShui, 0);
    // And the data-file lines agree between the original and the JSON copy.
    EXPECT_EQ(SaveToString(back), SaveToString(r));
}

TEST(RecordJson, RealsReadBackToTheSame32BitFloat)
{
    std::mt19937 gen(20261206);
    std::uniform_int_distribution<std::uint32_t> bits;
    CPelvorinData r;
    r.TuCeng.resize(1);
    for (int i = 0; i < 2000; ++i) {
        float f;
        do {
            std::uint32_t u = bits(gen);
            std::memcpy(&f, &u, sizeof f);
        } while (!std::isfinite(f));
        r.fZhuangChang = f;
        r.TuCeng[0].fMoCaJiao = -f / 3.0f;
        CPelvorinData back;
        std::string error;
        ASSERT_TRUE(RecordFromJson(RecordToJson(r), back, &error)) << error;
        ASSERT_EQ(std::memcmp(&back.fZhuangChang, &f, sizeof f), 0) << f;
        ASSERT_EQ(back.TuCeng[0].fMoCaJiao, r.TuCeng[0].fMoCaJiao);
    }
    // Values an engineer types print as typed.
    r.fZhuangChang = 0.3f;
    EXPECT_NE(RecordToJson(r).find("\"fZhuangChang\": 0.3,"), std::string::npos);
}

TEST(RecordJson, MissingKeysTakeTheDefaults)
{
    CPelvorinData r;
    std::string error;
    ASSERT_TRUE(RecordFromJson(R"({"fZhuangChang": 12, "TuCeng": [{"fHouDu": 3}, {}, {}]})", r,
                               &error))
        << error;
    EXPECT_EQ(r.fZhuangChang, 12.0f);
    EXPECT_EQ(r.fZhuangJianJu, 5.0f);
    EXPECT_EQ(r.nTuCengShu, 3); // from the length of TuCeng
    EXPECT_EQ(r.TuCeng[0].fHouDu, 3.0f);
    EXPECT_EQ(r.TuCeng[0].fZhongDu, 18.0f);
    EXPECT_EQ(r.TuCeng[2].fShuiXiaMoCaJiao, 15.0f);

    // A stated count stands even where it differs, as in the record itself.
    CPelvorinData s;
    ASSERT_TRUE(RecordFromJson(R"({"nTuCengShu": 2, "TuCeng": []})", s, &error));
    EXPECT_EQ(s.nTuCengShu, 2);
    EXPECT_TRUE(s.TuCeng.empty());
    ASSERT_TRUE(RecordFromJson(R"({"nTuCengShu": 2})", s, &error));
    EXPECT_EQ(s.nTuCengShu, 2);
    EXPECT_TRUE(s.TuCeng.empty());
    // Without TuCeng no layers are given, and none are counted.
    CPelvorinData t;
    ASSERT_TRUE(RecordFromJson("{}", t, &error));
    EXPECT_EQ(t.nTuCengShu, 0);
    EXPECT_TRUE(t.TuCeng.empty());
    CPelvorinData fresh;
    InitKangLiData(&fresh);
    fresh.nTuCengShu = 0;
    EXPECT_EQ(RecordToJson(t), RecordToJson(fresh));
}

// Every surface reads a file into a record of its own (the command line into a
// bare one, Python and the window into one with layers or with the user's
// edits); the file alone must decide what comes out.
TEST(RecordJson, AFileReadsAsTheSameRecordWhateverItIsReadInto)
{
    CPelvorinData bare;
    InitKangLiData(&bare);
    CPelvorinData twoLayers = bare;
    twoLayers.TuCeng.resize(2);
    CPelvorinData edited = Unusual();
    edited.TuCeng.resize(4);
    edited.nTuCengShu = 4;
    edited.strWenJianMing = "edited";

    TempDir dir;
    const std::string json = dir.path + "/r.json", dat = dir.path + "/r.dat";
    for (const char* text : {R"({"fZhuangJianJu": 3})", R"({"fZhuangJianJu": 3, "nTuCengShu": 2})",
                             R"({"TuCeng": [{"fHouDu": 4}], "fHuaMianDaoZhuangDing": 3})", "{}"}) {
        WriteText(json, text);
        std::string first;
        for (CPelvorinData* start : {&bare, &twoLayers, &edited}) {
            CPelvorinData r = *start;
            std::string error;
            ASSERT_TRUE(LoadRecordFile(json, r, &error)) << text << ": " << error;
            if (start == &bare)
                first = RecordToJson(r);
            EXPECT_EQ(RecordToJson(r), first) << text;
            CPelvorinData fromText = *start;
            ASSERT_TRUE(RecordFromJson(text, fromText, &error)) << error;
            EXPECT_EQ(RecordToJson(fromText), first) << text;
        }
    }
    // A data file stores neither the reduction factor nor the underwater values:
    // they are a new record's, not those of whatever was loaded before.
    CPelvorinData two = twoLayers;
    WriteText(dat, SaveToString(two));
    CPelvorinData r = edited;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(dat, r, &error)) << error;
    EXPECT_EQ(RecordToJson(r), RecordToJson(twoLayers));
}

TEST(RecordJson, AgreesWithTheDataFileOnTheBundledExamples)
{
    for (const char* name : {"defaults", "circular-pile-into-rock", "rectangular-pile-soil-layers"}) {
        std::string base = std::string(KANGLI_EXAMPLES_DIR) + "/" + name;
        CPelvorinData fromJson, fromDat;
        InitKangLiData(&fromJson);
        InitKangLiData(&fromDat);
        std::string error;
        ASSERT_TRUE(LoadRecordFile(base + ".json", fromJson, &error)) << name << ": " << error;
        ASSERT_TRUE(LoadRecordFile(base + ".dat", fromDat, &error)) << name << ": " << error;
        EXPECT_EQ(SaveToString(fromJson), SaveToString(fromDat)) << name;
        EXPECT_EQ(SaveToString(fromDat), ReadText(base + ".dat")) << name;
    }
}

TEST(RecordJson, EveryErrorNamesItsKey)
{
    EXPECT_EQ(JsonError(R"({"fZhuangChang": "10"})"),
              "key \"fZhuangChang\": expected a number, found string");
    EXPECT_EQ(JsonError(R"({"fZhuangChangg": 10})"), "key \"fZhuangChangg\": unknown key; did you mean fZhuangChang?");
    EXPECT_EQ(JsonError(R"({"SheJi": {"fTuiLI": 500}})"), "key \"SheJi.fTuiLI\": unknown key; did you mean SheJi.fTuiLi?");
    EXPECT_EQ(JsonError(R"({"TuCeng": [{"fHouDU": 2}]})"), "key \"TuCeng[0].fHouDU\": unknown key; did you mean TuCeng[0].fHouDu?");
    EXPECT_EQ(JsonError(R"({"somethingElseEntirely": 1})"), "key \"somethingElseEntirely\": unknown key");
    EXPECT_EQ(JsonError(R"({"TuCeng": [{}, {"fHouDu": null}]})"),
              "key \"TuCeng[1].fHouDu\": expected a number, found null");
    EXPECT_EQ(JsonError(R"({"TuCeng": [{"nLeiXing": 0.5}]})"),
              "key \"TuCeng[0].nLeiXing\": expected an integer, found number");
    EXPECT_EQ(JsonError(R"({"TuCeng": [{"colour": 1}]})"), "key \"TuCeng[0].colour\": unknown key");
    // A key with escaped control characters still gives a one-line message.
    EXPECT_EQ(JsonError(R"({"a\nb\u0001": 1})"), "key \"a\\nb\\u0001\": unknown key");
    EXPECT_EQ(JsonError(R"({"a\tb": 1e999})"),
              "key \"a\\tb\": number out of range of a 32-bit real");
    EXPECT_EQ(JsonError(R"({"TuCeng": [[]]})"),
              "key \"TuCeng[0]\": expected an object, found array");
    EXPECT_EQ(JsonError(R"({"TuCeng": {}})"),
              "key \"TuCeng\": expected an array of layers, found object");
    EXPECT_EQ(JsonError(R"({"fAs": 1e39})"), "key \"fAs\": number out of range of a 32-bit real");
    EXPECT_EQ(JsonError(R"({"fAs": -1e400})"), "key \"fAs\": number out of range of a 32-bit real");
    EXPECT_EQ(JsonError(R"({"TuCeng": [{}, {"fZhongDu": 1, "fHouDu": 1e999}]})"),
              "key \"TuCeng[1].fHouDu\": number out of range of a 32-bit real");
    EXPECT_EQ(JsonError(R"({"nTuCengShu": 4294967296})"), "key \"nTuCengShu\": integer out of range");
    EXPECT_EQ(JsonError(R"({"nHunNingTuDengJi": -4294967296})"),
              "key \"nHunNingTuDengJi\": integer out of range");
    EXPECT_EQ(JsonError("[1, 2]"), "expected a JSON object at the top, found array");
    EXPECT_NE(JsonError("{\"fAs\": 1,\n \"fZhuangChang\": }").find("line 2"), std::string::npos);
    EXPECT_NE(JsonError("{\"fAs\": 1,").find("unexpected end of input"), std::string::npos);

    EXPECT_EQ(JsonError("{\"fAs\": 1, \"x\xff\": 2}"),
              "parse error at line 1, column 14: syntax error while parsing object key - invalid "
              "string: ill-formed UTF-8 byte; expected string literal");

    CPelvorinData r;
    std::string error;
    ASSERT_TRUE(RecordFromJson(R"({"bKaoLvShui": false})", r, &error));
    EXPECT_EQ(r.bKaoLvShui, 0);
}
