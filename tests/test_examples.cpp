// The bundled examples, checked by hand at their slip-surface depth, and
// "kangli calc" run on them as a user runs it.
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

struct AtSlip {
    float ground, pile, final;
};

AtSlip CalculateAtSlip(const std::string& name)
{
    CPelvorinData r;
    InitKangLiData(&r);
    std::string error;
    EXPECT_TRUE(LoadRecordFile(std::string(KANGLI_EXAMPLES_DIR) + "/" + name, r, &error)) << error;
    CKangLiJiSuan calc;
    calc.pData = &r;
    EXPECT_EQ(calc.JiSuan(), 1);
    const auto& z = *r.pDianZuoBiao;
    for (size_t i = 0; i < z.size(); ++i)
        if (std::fabs(z[i] - r.fHuaMianDaoZhuangDing) < 0.001f)
            return {r.TuKangLi[i], r.ZhuangKangLi[i], r.ZuiZhongKangLi[i]};
    ADD_FAILURE() << name << ": no calculation point at the slip surface";
    return {};
}

CliRun Kangli(const std::string& args) { return RunKangli(args); }

std::string Example(const std::string& name) { return "'" KANGLI_EXAMPLES_DIR "/" + name + "'"; }

} // namespace

TEST(Examples, DefaultsAtFiveMetres)
{
    // Two default layers (2 m each, gamma 18, gamma' 15, c 10, phi 15), t = 2, water at
    // w = 2 + 5 = 7, L = 10, b0 = 2.0, s = 5, eta = 0.3. Soil zone divisions 10, 7, 4, 2.
    // Kp = tan2(52.5) = 1.69840, 2c sqrt(Kp) = 26.065.
    // sigma: 54 at 5, 90 at 7, 90 + 3 * 15 = 135 at 10.
    // p(5) = 117.779, p(7) = 178.921, p(10) = 255.349.
    // Epk = (117.779 + 178.921) / 2 * 2 + (178.921 + 255.349) / 2 * 3 = 948.105
    // Ep = 0.3 * 948.105 * 2 / 5 = 113.773; no rock: tau = 0.
    // Pile: 1755.95 / 5 = 351.19 (see the pile-section tests).
    AtSlip v = CalculateAtSlip("defaults.json");
    EXPECT_NEAR(v.ground, 113.773f, 0.002f);
    EXPECT_NEAR(v.pile, 351.190f, 0.001f);
    EXPECT_EQ(v.final, v.ground);
}

TEST(Examples, CircularPileIntoRockAtEightMetres)
{
    // t = 1; soil 1..5 (19, gamma' 9.5, c 20, phi 15), soil 5..9 (20, gamma' 10.5,
    // under water c 4, phi 26), rock from 9 (24, c 300, phi 35); water at w = 5;
    // L = 16; d = 1.2: b0 = 0.9 * 2.2 = 1.98 < s = 4.
    // Soil zone 9, 5, 1. sigma(8) = 4 * 19 + 3 * 10.5 = 107.5, sigma(9) = 118.
    // Layer 1 under water: Kp = tan2(58) = 2.56107, 2c sqrt(Kp) = 12.803;
    // p just below 5 = 207.444, p(9) = 315.009, p(8) = 288.118 (linear).
    // Epk = (288.118 + 315.009) / 2 * 1 = 301.563; Ep = 0.3 * 301.563 * 1.98 / 4 = 44.782.
    // Rock: the point lies in soil, so it takes tau at 9: the rock 9..16, mid 12.5,
    // sigma = 118 + 3.5 * 24 = 202: (tan35 * 202 + 300) * (7 / cos 27.5) * 0.495 = 1724.44.
    // Ground 1769.22.
    // Pile: C30, A = 1.13097, b0 = 1056, h0 = 960, Vc0 = 0.7 * 1056 * 960 * 2.01 / 1000
    // = 1426.360; N0 = 25 * 8 * 1.13097 = 226.195; Vc = 1442.194; / 4 = 360.549.
    AtSlip v = CalculateAtSlip("circular-pile-into-rock.json");
    EXPECT_NEAR(v.ground, 1769.22f, 0.02f);
    EXPECT_NEAR(v.pile, 360.549f, 0.001f);
    EXPECT_EQ(v.final, v.pile);
}

TEST(Examples, RectangularPileThroughSoilAtFourteenMetres)
{
    // t = 0, L = 30, no water; soil 0..3, 3..9, 9..16 (20, c 8, phi 30), 16..24
    // (20.5, c 35, phi 20), 24..30 (21, c 15, phi 35). b = 2 > 1: b0 = 3 < s = 6.
    // sigma: 272.5 at 14, 312.5 at 16, 476.5 at 24, 602.5 at 30.
    // Layer 2: Kp 3, 2c sqrt(Kp) = 27.713: p(14) = 845.213, p(16-) = 965.213.
    // Layer 3: Kp 2.03961, 99.970: p(16+) = 737.347, p(24-) = 1071.843.
    // Layer 4: Kp 3.69017, 57.629: p(24+) = 1815.996, p(30) = 2280.958.
    // Epk = 1810.426 + 7236.760 + 12290.862 = 21338.048; Ep = 0.3 * Epk * 3 / 6 = 3200.707.
    // All soil: tau = 0.
    // Pile: C35 (ftk 2.20), A = 6, b0 = 2000, h0 = 2920, Vc0 = 8993.6;
    // N0 = 25 * 14 * 6 = 2100 < N1 = 30060; Vc = 9140.6; / 6 = 1523.433.
    AtSlip v = CalculateAtSlip("rectangular-pile-soil-layers.json");
    EXPECT_NEAR(v.ground, 3200.707f, 0.01f);
    EXPECT_NEAR(v.pile, 1523.433f, 0.001f);
    EXPECT_EQ(v.final, v.pile);
}

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
