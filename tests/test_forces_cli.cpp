// kangli forces as a user runs it, and the design block in the record's files.
#include "RecordJson.h"
#include "TestFiles.h"

#include <cctype>
#include <cmath>

#include <gtest/gtest.h>
#include <algorithm>
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
    // Calculated, but a check fails: exit status 3, not a pile to sign.
    const CliRun run = RunKangli("forces '" + rec + "' --json");
    ASSERT_EQ(run.status, 3) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["status"], 1);
    EXPECT_EQ(j["method"], "K");
    EXPECT_EQ(j["rigid"], false);
    EXPECT_NEAR(j["coefficient"].get<double>(), 0.1948, 1e-4);
    EXPECT_NEAR(j["slip"]["displacement"].get<double>(), 12.6, 0.05); // mm, as the allowables
    EXPECT_EQ(j["units"]["displacement"], "mm");
    EXPECT_TRUE(j["rotation_centre"].is_null());
    EXPECT_GE(j["points"].size(), 191u); // every 0.1 m over 19 m
    ASSERT_EQ(j["checks"].size(), 1u);
    // 12.6 mm at the slip surface against 10 allowed.
    EXPECT_EQ(j["checks"][0]["key"], "SheJi.fYunXuHuaMianWeiYi");
    EXPECT_EQ(j["checks"][0]["holds"], false);
    // Reinforcement, factors 1: b = 2000 mm, h0 = 2500 - 100 = 2400 mm, C30, HRB400.
    // M = 27 772.6 kN m (the published 27 761.7 within 0.1 %):
    // x = 2400 - sqrt(2400^2 - 2 x 27 772.6e6 / (14.3 x 2000)) = 2400 - sqrt(3 817 860) = 446.07 mm,
    // As = 14.3 x 2000 x 446.07 / 360 = 35 437 mm2 (the minimum is 0.2 % x 2000 x 2500 = 10 000).
    // V = Q0 = 5367 kN: 0.7 x 1.43 x 2000 x 2400 = 4804.8 kN, (5367 - 4804.8)e3 / (360 x 2400)
    // = 0.6507 mm2/mm, below the minimum 0.24 x 1.43 / 360 x 2000 = 1.90667 mm2/mm.
    const nlohmann::json& rf = j["reinforcement"];
    EXPECT_NEAR(rf["moment"].get<double>(), 27772.6, 0.1);
    EXPECT_NEAR(rf["shear"].get<double>(), 5367.0, 1e-6);
    EXPECT_NEAR(rf["longitudinal_area"].get<double>(), 35437, 1);
    EXPECT_EQ(rf["minimum_governs"], false);
    EXPECT_EQ(rf["over_reinforced"], false);
    EXPECT_NEAR(rf["stirrups_per_mm"].get<double>(), 1.90667, 1e-5);
    EXPECT_EQ(rf["section_too_small"], false);
    EXPECT_EQ(rf["steel"], "HRB400");
    EXPECT_TRUE(rf["reason"].is_null());

    const CliRun table = RunKangli("forces '" + rec + "'");
    EXPECT_EQ(table.status, 3);
    EXPECT_NE(table.out.find("弹性桩（K法，βh2 = 1.948）"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("纵筋 35437 mm²"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("Asv/s = 1.9067 mm²/mm"), std::string::npos) << table.out;

    // 0.8 m along the thrust (h0 = 700 mm): 0.25 x 14.3 x 2000 x 700 = 5005 kN < 5367 kN, and
    // at most 14.3 x 2000 x 362.6 x (700 - 181.3) = 5379 kN m singly reinforced, far below
    // M0 = 24 151.5 kN m: both said, neither designed.
    std::string thin = kDesigned;
    thin.replace(thin.find("\"fZhuangGao\": 2.5"), 17, "\"fZhuangGao\": 0.8");
    WriteText(rec, thin);
    const CliRun over = RunKangli("forces '" + rec + "' --json");
    ASSERT_EQ(over.status, 3) << over.err;
    const nlohmann::json o = nlohmann::json::parse(over.out)["reinforcement"];
    EXPECT_EQ(o["over_reinforced"], true);
    EXPECT_TRUE(o["longitudinal_area"].is_null());
    EXPECT_EQ(o["section_too_small"], true);
    EXPECT_TRUE(o["stirrups_per_mm"].is_null());
    EXPECT_NE(o["reason"].get<std::string>().find("over-reinforced"), std::string::npos);
    const CliRun overTable = RunKangli("forces '" + rec + "'");
    EXPECT_NE(overTable.out.find("超筋（x ≥ h0 = 700.0 mm > ξb·h0 = 362.6 mm）"), std::string::npos) << overTable.out;
    EXPECT_NE(overTable.out.find("截面尺寸不足（V > 0.25βc·fc·b·h0 = 5005.0 kN）"), std::string::npos) << overTable.out;
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
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["status"], 1) << e.path();
        // Exit 0 only for a pile that passes every check and can be reinforced.
        bool holds = j["linear_model"]["holds"].get<bool>() && !j["reinforcement"]["over_reinforced"].get<bool>() &&
                     !j["reinforcement"]["section_too_small"].get<bool>();
        for (const auto& c : j["checks"])
            holds = holds && c["holds"].get<bool>();
        EXPECT_EQ(run.status, holds ? 0 : 3) << e.path() << run.err;
        // The free foot carries neither shear nor moment.
        EXPECT_NEAR(j["points"].back()["moment"].get<double>(), 0.0,
                    1e-6 * std::fabs(j["slip"]["moment"].get<double>()))
            << e.path();
        const CliRun table = RunKangli("forces '" + e.path().string() + "'");
        EXPECT_NE(table.out.find("验算："), std::string::npos) << table.out;
    }
    EXPECT_EQ(seen, 3);
}

TEST(ForcesCommand, EdgesAUserMeets)
{
    TempDir dir;
    // Standard output that cannot be written: one line with the reason.
    const std::string cmd = "'" KANGLI_EXE "' forces '" KANGLI_EXAMPLES_DIR "/design/defaults.json' >/dev/full 2>'" +
                            dir.path + "/err'";
    const int raw = std::system(cmd.c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    const std::string err = ReadText(dir.path + "/err");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("No space left on device"), std::string::npos) << err;

    // A drawing never replaces the record it is drawn from.
    const std::string rec = dir.path + "/rec.dxf";
    WriteText(rec, ReadText(KANGLI_EXAMPLES_DIR "/defaults.dat"));
    const CliRun same = RunKangli("draw '" + rec + "' 1 '" + rec + "'");
    EXPECT_EQ(same.status, 2);
    EXPECT_EQ(ReadText(rec), ReadText(KANGLI_EXAMPLES_DIR "/defaults.dat"));

    // The host refuses an option given twice rather than taking the last.
    const std::string host = "'" KANGLI_HOST_EXE "' '" KANGLI_EXAMPLES_DIR "/slope/whole-slope.json' '" + dir.path +
                             "/w' --module '" KANGLI_MODULE "' --pile KH1 --pile KH2 >/dev/null 2>'" + dir.path +
                             "/host'";
    const int h = std::system(host.c_str());
    EXPECT_EQ(WEXITSTATUS(h), 2);
    EXPECT_NE(ReadText(dir.path + "/host").find("--pile given twice"), std::string::npos);

    // --save keeps the model's current pile, whichever pile was calculated last.
    const std::string saved = "'" KANGLI_HOST_EXE "' '" KANGLI_EXAMPLES_DIR "/slope/whole-slope.json' '" + dir.path +
                              "/w2' --module '" KANGLI_MODULE "' --save '" + dir.path + "/saved.json' >/dev/null 2>&1";
    ASSERT_EQ(WEXITSTATUS(std::system(saved.c_str())), 0);
    EXPECT_EQ(nlohmann::json::parse(ReadText(dir.path + "/saved.json"))["currentPile"],
              nlohmann::json::parse(ReadText(KANGLI_EXAMPLES_DIR "/slope/whole-slope.json"))["currentPile"]);
}

// One number everywhere: a slip surface at 8.3 m is 8.3 in the JSON (not the
// float's 8.300000190734863) and one row of the table, and a rigid pile's
// text names its rotation centre as the JSON does.
TEST(ForcesCommand, DepthsAsTheRecordGivesThemAndTheRotationCentreInText)
{
    TempDir dir;
    nlohmann::json record = nlohmann::json::parse(ReadText(KANGLI_EXAMPLES_DIR "/design/defaults.json"));
    record["fHuaMianDaoZhuangDing"] = 8.3;
    record["fZhuangChang"] = 16;
    WriteText(dir.path + "/r.json", record.dump(2));
    const CliRun json = RunKangli("forces '" + dir.path + "/r.json' --json");
    ASSERT_TRUE(json.status == 0 || json.status == 3) << json.err; // 3: a check fails
    const nlohmann::json out = nlohmann::json::parse(json.out);
    EXPECT_EQ(out["slip"]["depth"].get<double>(), 8.3);
    int rows = 0;
    for (const auto& p : out["points"])
        rows += p["depth"].get<double>() == 8.3;
    EXPECT_EQ(rows, 1);
    const CliRun text = RunKangli("forces '" + dir.path + "/r.json'");
    size_t at = 0;
    int lines = 0;
    while ((at = text.out.find("\n    8.30 ", at)) != std::string::npos) {
        ++lines;
        ++at;
    }
    EXPECT_EQ(lines, 1) << text.out;

    // The defaults' pile is rigid: the rotation centre in both outputs.
    const CliRun rigid = RunKangli("forces '" KANGLI_EXAMPLES_DIR "/design/defaults.json' --json");
    const nlohmann::json r = nlohmann::json::parse(rigid.out);
    ASSERT_TRUE(r["rigid"].get<bool>());
    ASSERT_TRUE(r["rotation_centre"].is_number());
    char centre[64];
    std::snprintf(centre, sizeof centre, "转动中心在桩顶以下 %.3f m", r["rotation_centre"].get<double>());
    EXPECT_NE(RunKangli("forces '" KANGLI_EXAMPLES_DIR "/design/defaults.json'").out.find(centre), std::string::npos);
}

namespace {

// An RTF's text with its \uN? escapes made characters again (others dropped
// as they are): what a reader of the printed book sees, near enough to search.
std::string RtfText(const std::string& rtf)
{
    std::string out;
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf.compare(i, 2, "\\u") == 0 && i + 2 < rtf.size() &&
            (std::isdigit(static_cast<unsigned char>(rtf[i + 2])) || rtf[i + 2] == '-')) {
            size_t end = i + 3;
            while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end])))
                ++end;
            long cp = std::stol(rtf.substr(i + 2, end - i - 2));
            if (cp < 0)
                cp += 65536;
            if (cp < 0x800) {
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
            i = end; // the '?' after it
            continue;
        }
        if (rtf.compare(i, 2, "\\~") == 0) {
            out += ' ';
            ++i;
            continue;
        }
        out += rtf[i];
    }
    return out;
}

} // namespace

// The reinforcement of the book can be recomputed by hand: the design effects
// with their factors, fy, α1, ξb, b and h0, x against ξb·h0, As needed and the
// minimum, Asv/s with its minimum, in mm²; and only the inputs that apply.
TEST(ForcesCommand, TheBooksReinforcementIsTraceable)
{
    TempDir dir;
    const std::string rec = KANGLI_EXAMPLES_DIR "/design/rectangular-pile-soil-layers.json";
    ASSERT_EQ(RunKangli("report '" + rec + "' '" + dir.path + "/out'").status, 0);
    const std::string book = RtfText(ReadText(dir.path + "/out/kl-nl-jss.rtf"));
    const nlohmann::json f = nlohmann::json::parse(RunKangli("forces '" + rec + "' --json").out);
    char line[160];
    // (γ0 and γF at their defaults, 1.0, in this record.)
    const double m = std::fabs(f["max_moment"]["value"].get<double>());
    std::snprintf(line, sizeof line, "设计弯矩 M = γ0×γF×|Mmax| = 1.00×1.00×%.3f = %.3fkN·m", m,
                  f["reinforcement"]["moment"].get<double>());
    EXPECT_NEAR(f["reinforcement"]["moment"].get<double>(), m, 1e-9 * m);
    EXPECT_NE(book.find(line), std::string::npos) << line;
    std::snprintf(line, sizeof line, "纵筋 As = %.0fmm²", f["reinforcement"]["longitudinal_area"].get<double>());
    EXPECT_NE(book.find(line), std::string::npos) << line;
    // Each step from the numbers printed before it: C35 fc 16.7, b 2000, h0 = 3000 - 80,
    // x = h0 - sqrt(h0² - 2M/(α1 fc b)), As = α1 fc b x / fy, ρmin = max(0.20 %, 45 ft/fy %).
    const nlohmann::json& rf = f["reinforcement"];
    EXPECT_EQ(rf["fc"].get<double>(), 16.7);
    EXPECT_EQ(rf["ft"].get<double>(), 1.57);
    const double M = rf["moment"].get<double>() * 1e6, b = rf["b"].get<double>(), h0 = rf["h0"].get<double>();
    const double x = h0 - std::sqrt(h0 * h0 - 2 * M / (16.7 * b));
    std::snprintf(line, sizeof line, "受压区高度 x = h0 - √(h0² - 2M/(α1×fc×b)) = %.1fmm ≤ ξb×h0", x);
    EXPECT_NE(book.find(line), std::string::npos) << line << "\n" << book;
    std::snprintf(line, sizeof line, "As = α1×fc×b×x/fy = 1.00×16.7×%.0f×%.1f/360 = %.0fmm²", b, x, 16.7 * b * x / 360);
    EXPECT_NE(book.find(line), std::string::npos) << line;
    EXPECT_NE(book.find("fc = 16.7N/mm²，ft = 1.57N/mm²；fy = 360N/mm²，fyv = 360N/mm²"), std::string::npos);
    EXPECT_NE(book.find("ρmin = max(0.20%, 45×ft/fy%) = max(0.20%, 45×1.57/360%) = 0.200%"), std::string::npos);
    std::snprintf(line, sizeof line, "As,min = ρmin×b×h = %.0fmm²", 0.002 * b * (h0 + 80));
    EXPECT_NE(book.find(line), std::string::npos) << line;
    EXPECT_NE(book.find("Asv/s = max((V - 0.7×ft×b×h0)/(fyv×h0), 0.24×ft/fyv×b) = "), std::string::npos);
    EXPECT_EQ(book.find("mm^2"), std::string::npos);
    EXPECT_EQ(book.find("m^2"), std::string::npos);
    // The m method: no K; a uniform thrust: no trapezoid ratio.
    EXPECT_EQ(book.find("地基系数K"), std::string::npos);
    EXPECT_EQ(book.find("梯形顶底比"), std::string::npos);
    EXPECT_NE(book.find("地基系数的比例系数m"), std::string::npos);
}

TEST(ForcesCommand, TheReportOfADesignedPileCarriesTheForcesBookAndDiagram)
{
    TempDir dir;
    const CliRun run = RunKangli("report '" KANGLI_EXAMPLES_DIR "/design/rectangular-pile-soil-layers.json' '" +
                                 dir.path + "/out'");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string book = ReadText(dir.path + "/out/kl-nl-jss.rtf");
    ASSERT_FALSE(book.empty());
    // The largest moment the forces command gives is in the book, to 3 decimals.
    const nlohmann::json f = nlohmann::json::parse(
        RunKangli("forces '" KANGLI_EXAMPLES_DIR "/design/rectangular-pile-soil-layers.json' --json").out);
    char moment[64];
    std::snprintf(moment, sizeof moment, "%.3f", f["max_moment"]["value"].get<double>());
    EXPECT_NE(book.find(moment), std::string::npos) << moment;
    EXPECT_NE(book.find("\\emfblip"), std::string::npos); // the four panels embedded as a vector picture
    const std::string dxf = ReadText(dir.path + "/out/kl-nl-jt.dxf");
    EXPECT_NE(dxf.find("  0\nEOF"), std::string::npos);
    // Without a design block there is neither.
    const CliRun plain = RunKangli("report '" KANGLI_EXAMPLES_DIR "/defaults.json' '" + dir.path + "/plain'");
    ASSERT_EQ(plain.status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/plain/kl-nl-jss.rtf"));
}

TEST(ForcesCommand, TheFourPanelsAsAPictureOfTheirOwn)
{
    TempDir dir;
    const CliRun svg =
        RunKangli("draw '" KANGLI_EXAMPLES_DIR "/design/defaults.json' 3 '" + dir.path + "/forces.svg'");
    ASSERT_EQ(svg.status, 0) << svg.err;
    const std::string text = ReadText(dir.path + "/forces.svg");
    for (const char* title : {"弯矩", "剪力", "位移", "侧向应力"})
        EXPECT_NE(text.find(title), std::string::npos) << title;
    // Each panel labels the extreme that the table and the book give, to the
    // same digits: the solution's, not a sample's.
    const CliRun table = RunKangli("forces --json '" KANGLI_EXAMPLES_DIR "/design/defaults.json'");
    const nlohmann::json j = nlohmann::json::parse(table.out);
    // The value over its depth, two texts one after the other.
    auto label = [](double v, double depth) {
        char buf[80];
        std::snprintf(buf, sizeof buf, ">%.3f</text>", v);
        std::string out = buf;
        std::snprintf(buf, sizeof buf, ">（%.2f m）</text>", depth);
        return out + "\n" + buf;
    };
    std::string texts; // every text of the drawing, one a line
    for (size_t at = text.find("<text"); at != std::string::npos; at = text.find("<text", at + 1)) {
        const size_t open = text.find('>', at), close = text.find("</text>", open);
        texts += text.substr(open, close + 7 - open) + "\n";
    }
    for (const char* extreme : {"max_moment", "max_shear", "max_displacement", "max_stress"})
        EXPECT_NE(texts.find(label(j[extreme]["value"], j[extreme]["depth"])), std::string::npos) << extreme << "\n"
                                                                                                 << texts;
    const CliRun forcesTable = RunKangli("forces '" KANGLI_EXAMPLES_DIR "/design/defaults.json'");
    char moment[80];
    std::snprintf(moment, sizeof moment, "最大弯矩 %.3f kN·m（%.2f m）", j["max_moment"]["value"].get<double>(),
                  j["max_moment"]["depth"].get<double>());
    EXPECT_NE(forcesTable.out.find(moment), std::string::npos) << forcesTable.out;
    const CliRun none = RunKangli("draw '" KANGLI_EXAMPLES_DIR "/defaults.json' 3 '" + dir.path + "/none.svg'");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("SheJi"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/none.svg"));
}
