// kangli forces as a user runs it: one set of numbers in the JSON, the table,
// the drawing and the book. The numbers themselves are worked by hand in
// test_forces.cpp, the refusals are in test_kangli_cli.cpp's table.
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace {

std::string Printed(const char* format, double a, double b = 0)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

} // namespace

// Every design example, and one whose slip surface lies at 8.3 m (not the
// float's 8.300000190734863): exit 0 only for a pile that passes every check and
// can be reinforced; the slip surface at the depth the record gives, one point;
// the table, the four panels and the rotation centre give the JSON's numbers to
// their printed digits; --units none changes the declared unit only.
TEST(ForcesCommand, EveryExampleGivesOneSetOfNumbersEverywhere)
{
    TempDir dir;
    nlohmann::json slip83 = nlohmann::json::parse(ReadText(KANGLI_EXAMPLES_DIR "/design/defaults.json"));
    slip83["fHuaMianDaoZhuangDing"] = 8.3;
    slip83["fZhuangChang"] = 16;
    WriteText(dir.path + "/slip83.json", slip83.dump());
    std::vector<std::string> records = {dir.path + "/slip83.json"};
    for (const auto& e : std::filesystem::directory_iterator(KANGLI_EXAMPLES_DIR "/design"))
        records.push_back(e.path().string());
    ASSERT_EQ(records.size(), 5u);
    for (const std::string& path : records) {
        const std::string rec = "'" + path + "'";
        const CliRun run = RunKangli("forces " + rec + " --json");
        const nlohmann::json j = nlohmann::json::parse(run.out);
        ASSERT_EQ(j["status"], 1) << rec;
        const double slip = nlohmann::json::parse(ReadText(path))["fHuaMianDaoZhuangDing"].get<double>();
        EXPECT_EQ(j["slip"]["depth"].get<double>(), slip) << rec;
        EXPECT_EQ(std::count_if(j["points"].begin(), j["points"].end(), [&](const auto& p) { return p["depth"] == slip; }), 1);
        bool holds = j["linear_model"]["holds"].get<bool>() && !j["reinforcement"]["over_reinforced"].get<bool>() &&
                     !j["reinforcement"]["section_too_small"].get<bool>();
        for (const auto& c : j["checks"])
            holds = holds && c["holds"].get<bool>();
        EXPECT_EQ(run.status, holds ? 0 : 3) << rec << run.err;
        // The free foot carries no moment.
        EXPECT_NEAR(j["points"].back()["moment"].get<double>(), 0.0, 1e-6 * std::fabs(j["slip"]["moment"].get<double>()));

        const std::string text = RunKangli("forces " + rec).out;
        std::istringstream lines(text);
        size_t row = 0;
        for (std::string line; std::getline(lines, line);) {
            double v[6];
            if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 6)
                continue;
            ASSERT_LT(row, j["points"].size()) << line;
            const auto& p = j["points"][row++];
            const double half[6] = {0.005, 0.0005, 0.0005, 0.0005, 0.0000005, 0.0005}; // the printed digits
            const char* keys[6] = {"depth", "shear", "moment", "displacement", "rotation", "stress"};
            for (int k = 0; k < 6; ++k)
                EXPECT_NEAR(v[k], p[keys[k]].get<double>(), half[k] * 1.001) << keys[k] << ": " << line;
        }
        EXPECT_EQ(row, j["points"].size()) << rec;
        EXPECT_NE(text.find(Printed("最大弯矩 %.3f kN·m（%.2f m）", j["max_moment"]["value"], j["max_moment"]["depth"])),
                  std::string::npos)
            << text;
        if (j["rigid"].get<bool>()) {
            EXPECT_NE(text.find(Printed("转动中心在桩顶以下 %.3f m", j["rotation_centre"])), std::string::npos) << text;
        }

        // Each panel labels the extreme, its value over its depth.
        ASSERT_EQ(RunKangli("draw " + rec + " 3 '" + dir.path + "/f.svg'").status, 0);
        const std::string svg = ReadText(dir.path + "/f.svg");
        std::string texts; // every text of the drawing, one a line
        for (size_t at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1)) {
            const size_t open = svg.find('>', at), close = svg.find("</text>", open);
            texts += svg.substr(open, close + 7 - open) + "\n";
        }
        for (const char* extreme : {"max_moment", "max_shear", "max_displacement", "max_stress"})
            EXPECT_NE(texts.find(Printed(">%.3f</text>\n", j[extreme]["value"]) +
                                 Printed(">（%.2f m）</text>", j[extreme]["depth"])),
                      std::string::npos)
                << extreme << "\n" << texts;

        ASSERT_EQ(RunKangli("draw " + rec + " 3 '" + dir.path + "/a.dxf'").status, 0);
        ASSERT_EQ(RunKangli("draw " + rec + " 3 '" + dir.path + "/b.dxf' --units none").status, 0);
        std::string declared = ReadText(dir.path + "/a.dxf"), none = ReadText(dir.path + "/b.dxf");
        const size_t at = declared.find("$INSUNITS\n 70\n");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(declared.substr(at, 16), "$INSUNITS\n 70\n6\n"); // metres
        EXPECT_EQ(declared.replace(at + 14, 1, "0"), none);      // 0: no unit declared
    }
}

// The forces book's reinforcement can be recomputed by hand from the JSON's
// numbers: C35 fc 16.7, x = h0 - sqrt(h0² - 2M/(α1 fc b)), As = α1 fc b x / fy,
// M the largest moment (γ0 and γF at their defaults, 1.0, in this record).
TEST(ForcesCommand, TheReportsForcesBookIsTraceable)
{
    TempDir dir;
    const std::string rec = "'" KANGLI_EXAMPLES_DIR "/design/rectangular-pile-soil-layers.json'";
    ASSERT_EQ(RunKangli("report " + rec + " '" + dir.path + "'").status, 0);
    const std::string book = ReadText(dir.path + "/kl-nl-jss.rtf");
    const nlohmann::json f = nlohmann::json::parse(RunKangli("forces " + rec + " --json").out);
    const double m = std::fabs(f["max_moment"]["value"].get<double>());
    EXPECT_NEAR(f["reinforcement"]["moment"].get<double>(), m, 1e-9 * m);
    EXPECT_NE(book.find(Printed("%.3f", m)), std::string::npos);
    const double b = f["reinforcement"]["b"].get<double>(), h0 = f["reinforcement"]["h0"].get<double>();
    const double x = h0 - std::sqrt(h0 * h0 - 2 * m * 1e6 / (16.7 * b));
    const std::string as = "1.00\\u215?16.7\\u215?" + Printed("%.0f\\u215?", b) + Printed("%.1f/360 = %.0fmm", x, 16.7 * b * x / 360);
    EXPECT_NE(book.find(as), std::string::npos) << as;
}
