// "kangli calc" run on the bundled examples as a user runs it. The values at
// the slip surfaces are checked by hand in tests/cases.
#include "KangLiJiSuan.h"
#include "RecordJson.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cmath>
#include <cstring>

namespace {

CliRun Kangli(const std::string& args) { return RunKangli(args); }

std::string Example(const std::string& name) { return "'" KANGLI_EXAMPLES_DIR "/" + name + "'"; }

} // namespace

TEST(KangliCalc, TableRowsOnTheDefaults)
{
    CliRun r = Kangli("calc " + Example("defaults.json"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("土抗力"), std::string::npos);
    EXPECT_NE(r.out.find("桩抗力"), std::string::npos);
    EXPECT_NE(r.out.find("最终抗力"), std::string::npos);
    EXPECT_NE(r.out.find("\n    5.00       113.772       351.190       113.772\n"), std::string::npos)
        << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 22); // heading and 21 points
}

TEST(KangliCalc, JsonReadsBackToTheSameFloats)
{
    CPelvorinData rec;
    InitKangLiData(&rec);
    std::string error;
    ASSERT_TRUE(LoadRecordFile(KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.dat", rec, &error));
    CKangLiJiSuan calc;
    calc.pData = &rec;
    ASSERT_EQ(calc.JiSuan(), 1);

    CliRun r = Kangli("calc --json " + Example("rectangular-pile-soil-layers.dat"));
    EXPECT_EQ(r.status, 0);
    nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["status"], 1);
    ASSERT_EQ(doc["points"].size(), rec.pDianZuoBiao->size());
    for (size_t i = 0; i < rec.pDianZuoBiao->size(); ++i) {
        const auto& p = doc["points"][i];
        EXPECT_EQ(p["depth"].get<float>(), (*rec.pDianZuoBiao)[i]);
        EXPECT_EQ(p["ground"].get<float>(), rec.TuKangLi[i]);
        EXPECT_EQ(p["pile"].get<float>(), rec.ZhuangKangLi[i]);
        EXPECT_EQ(p["final"].get<float>(), rec.ZuiZhongKangLi[i]);
    }
}

TEST(KangliCalc, RefusedRecordAndBadFiles)
{
    TempDir dir;
    std::string path = dir.path + "/rock-over-soil.json";
    WriteText(path, R"({"TuCeng": [{"nLeiXing": 1}, {"nLeiXing": 0}]})");
    CliRun r = Kangli("calc '" + path + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kangli: " + path + ": 岩层下不能出现土层\n");
    EXPECT_EQ(r.out, "");
    r = Kangli("calc --json '" + path + "'");
    EXPECT_EQ(r.status, 1);
    nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["status"], 0);
    EXPECT_TRUE(doc["points"].empty());

    r = Kangli("calc '" + dir.path + "/missing.dat'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("missing.dat: cannot open"), std::string::npos);
    r = Kangli("calc");
    EXPECT_EQ(r.status, 2);

    // A stored data file that differs from the record is calculated all the same
    // (the question is answered Yes), and nothing is left behind.
    std::string rec = dir.path + "/kl.json";
    WriteText(rec, R"({"TuCeng": [{}, {}]})");
    WriteText(dir.path + "/kl.dat", "22,99\n");
    r = Kangli("calc '" + rec + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(if_file_exist((dir.path + "/new-kl.dat").c_str()), 0);
}
