// kangli forces as a user runs it, and the design block in the record's files.
#include "RecordJson.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

namespace {

const char* kDesigned = R"({"fZhuangKuan": 2.0, "fZhuangGao": 2.5, "nJieMianXingZhuang": 1, "fZhuangJianJu": 6,
 "fZhuangChang": 19, "fHuaMianDaoZhuangDing": 9, "nHunNingTuDengJi": 30, "fPoMianDaoZhuangDing": 0,
 "TuCeng": [{"fHouDu": 9}, {"nLeiXing": 1, "fHouDu": 20, "fNianJuLi": 300, "fMoCaJiao": 35}],
 "SheJi": {"fTuiLi": 894.5, "nTuiLiFenBu": 0, "nDiJiFa": 0, "fK": 120000, "fGangDuXiShu": 0.8,
           "fYunXuHuaMianWeiYi": 10}})";

} // namespace

TEST(ForcesCommand, JsonAsDocumentedAndTheChecksSaid)
{
    TempDir dir;
    const std::string rec = dir.path + "/k.json";
    WriteText(rec, kDesigned);
    const CliRun run = RunKangli("forces '" + rec + "' --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["status"], 1);
    EXPECT_EQ(j["method"], "K");
    EXPECT_EQ(j["rigid"], false);
    EXPECT_NEAR(j["coefficient"].get<double>(), 0.1948, 1e-4);
    EXPECT_NEAR(j["slip"]["displacement"].get<double>(), 0.0126, 5e-5);
    EXPECT_TRUE(j["rotation_centre"].is_null());
    EXPECT_GE(j["points"].size(), 191u); // every 0.1 m over 19 m
    ASSERT_EQ(j["checks"].size(), 1u);
    // 12.6 mm at the slip surface against 10 allowed.
    EXPECT_EQ(j["checks"][0]["key"], "SheJi.fYunXuHuaMianWeiYi");
    EXPECT_EQ(j["checks"][0]["holds"], false);

    const CliRun table = RunKangli("forces '" + rec + "'");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("弹性桩（K法，βh2 = 1.948）"), std::string::npos) << table.out;
}

TEST(ForcesCommand, RefusalsNameTheKeyAndTheBlockStaysOutOfADataFile)
{
    TempDir dir;
    const std::string rec = dir.path + "/k.json";
    std::string text = kDesigned;
    text.replace(text.find("\"fK\": 120000"), 12, "\"fK\": -5");
    WriteText(rec, text);
    const CliRun bad = RunKangli("forces '" + rec + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("SheJi.fK"), std::string::npos) << bad.err;

    const CliRun none = RunKangli("forces '" KANGLI_EXAMPLES_DIR "/defaults.json'");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("SheJi"), std::string::npos) << none.err;

    // The block reads back as it was written, and a data file cannot hold it.
    WriteText(rec, kDesigned);
    CPelvorinData r, back;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(rec, r, &error)) << error;
    ASSERT_EQ(r.bSheJi, 1);
    ASSERT_TRUE(RecordFromJson(RecordToJson(r), back, &error)) << error;
    EXPECT_EQ(back.bSheJi, 1);
    EXPECT_EQ(back.SheJi.fK, 120000.0f);
    EXPECT_EQ(back.SheJi.fYunXuHuaMianWeiYi, 10.0f);
    const CliRun convert = RunKangli("convert '" + rec + "' '" + dir.path + "/k.dat'");
    EXPECT_EQ(convert.status, 2);
    EXPECT_NE(convert.err.find("SheJi"), std::string::npos) << convert.err;
    // An unknown key in the block is refused naming it.
    text = kDesigned;
    text.replace(text.find("\"fK\""), 4, "\"fKK\"");
    WriteText(rec, text);
    const CliRun unknown = RunKangli("forces '" + rec + "'");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("SheJi.fKK"), std::string::npos) << unknown.err;
}

TEST(ForcesCommand, EveryExampleWithADesignBlockIsCalculated)
{
    int seen = 0;
    for (const auto& e : std::filesystem::directory_iterator(KANGLI_EXAMPLES_DIR "/design")) {
        ++seen;
        const CliRun run = RunKangli("forces '" + e.path().string() + "' --json");
        EXPECT_EQ(run.status, 0) << e.path() << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["status"], 1) << e.path();
        // The free foot carries neither shear nor moment.
        EXPECT_NEAR(j["points"].back()["moment"].get<double>(), 0.0,
                    1e-6 * std::fabs(j["slip"]["moment"].get<double>()))
            << e.path();
        const CliRun table = RunKangli("forces '" + e.path().string() + "'");
        EXPECT_NE(table.out.find("验算："), std::string::npos) << table.out;
    }
    EXPECT_EQ(seen, 3);
}
