// Design studies from the command line: many records, sweeps, the design search.
// Their refusals are in the bad-input table of test_kangli_cli.cpp.
#include "Study.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

const std::string kCirc = ShellQuoted(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");

const std::string kExe = "'" KANGLI_EXE "' ";

// Rows of a CSV as a spreadsheet reads them: Python's csv module, UTF-8 with its mark.
std::vector<std::vector<std::string>> CsvRows(const std::string& path)
{
    const CliRun py = RunShell("/usr/bin/python3 -c \"import csv,sys\nfor r in csv.reader(open(sys.argv[1],"
                            "encoding='utf-8-sig',newline='')): print('\\t'.join(r))\" " + ShellQuoted(path));
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(py.out);
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back();
        for (size_t start = 0, tab = 0; tab != std::string::npos; start = tab + 1) {
            tab = line.find('\t', start);
            rows.back().push_back(line.substr(start, tab - start));
        }
    }
    return rows;
}

// The final resistance at a depth from a single `kangli calc --json` run.
double FinalAt(const std::string& record, double depth)
{
    const nlohmann::json doc = nlohmann::json::parse(RunKangli("calc --json " + ShellQuoted(record)).out);
    for (const auto& p : doc["points"])
        if (std::fabs(p["depth"].get<double>() - depth) < 1e-4)
            return p["final"].get<double>();
    return NAN;
}

} // namespace

// One row per record, in a CSV a spreadsheet reads (Python's csv module) with
// every record's name as text, even one that looks like a formula, and the
// numbers beside it as numbers.
TEST(Study, ManyRecordsOneRowEachABadFileNeverStopsTheRun)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path + "/records");
    std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/defaults.json", dir.path + "/records/a-defaults.json");
    std::filesystem::copy_file(KANGLI_BROKEN_DIR "/rock-over-soil.dat", dir.path + "/records/b-rock-over-soil.dat");
    std::filesystem::copy_file(KANGLI_BROKEN_DIR "/zero-spacing.dat", dir.path + "/records/c-zero-spacing.dat");
    WriteText(dir.path + "/records/d-broken.json", "{\"fZhuangChang\": ");
    WriteText(dir.path + "/records/notes.txt", "not a record");
    for (const char* name : {"=HYPERLINK(\"evil.invalid\",\"click\").json", "-2.json", "@SUM(1).json"})
        std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json", dir.path + "/" + name);
    const CliRun r = RunShell("cd " + ShellQuoted(dir.path) + " && " + kExe + "calc records '=HYPERLINK(\"evil.invalid\",\"click\").json' "
                           "-2.json @SUM\\(1\\).json --csv rows.csv");
    EXPECT_EQ(r.status, 1) << r.err; // not all were calculated
    EXPECT_EQ(ReadText(dir.path + "/rows.csv").rfind("\xEF\xBB\xBF", 0), 0u);
    // Each row: the file, status, at slip, governs, the top's resistance and the start of the message.
    const std::vector<std::string> expected = {
        "文件 file|状态 status|滑面处抗力 at slip (kN/m)|控制 governs|桩顶最终抗力 top (kN/m)|说明 message",
        "a-defaults.json|calculated|113.772|ground|",
        "b-rock-over-soil.dat|refused||||TuCeng[1]: 岩层下不能出现土层 (a soil l",
        "c-zero-spacing.dat|refused||||fZhuangJianJu (桩中心距（m）): pile ",
        "d-broken.json|unreadable||||parse error at line 1, column ",
        "'=HYPERLINK(\"evil.invalid\",\"click\").json|calculated|360.549|pile|",
        "'-2.json|calculated|360.549|pile|",
        "'@SUM(1).json|calculated|360.549|pile|",
    };
    const auto rows = CsvRows(dir.path + "/rows.csv");
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        std::string row = std::filesystem::path(rows[i][0]).filename().string();
        for (size_t k = 1; k < rows[i].size(); ++k)
            row += "|" + rows[i][k];
        EXPECT_EQ(row.substr(0, expected[i].size()), expected[i]);
    }
    // Every record calculated: exit 0; one JSON line each.
    const CliRun ok = RunKangli("calc --jsonl " + ShellQuoted(KANGLI_EXAMPLES_DIR "/defaults.json") + " " + kCirc);
    EXPECT_EQ(ok.status, 0);
    EXPECT_NE(ok.out.find("\"at_slip\":360.5485"), std::string::npos) << ok.out;
    EXPECT_EQ(std::count(ok.out.begin(), ok.out.end(), '\n'), 2);
}

// Each row is the record with its values calculated on its own (the final
// resistance at the slip surface, 8 m, a calculation point), labelled with the
// values in as many decimals as they need to be told apart, a layer's key in
// its one spelling.
TEST(Study, ASweepGivesWhatSingleRunsGiveLabelledAsCalculated)
{
    TempDir dir;
    const std::string csv = dir.path + "/sweep.csv", chart = dir.path + "/sweep.svg";
    const CliRun r = RunKangli("sweep " + kCirc + " --vary 'TuCeng[+02].fMoCaJiao=25:30:2.5' --vary fZhuangJing=1.2:1.7:0.25 "
                               "--csv " + ShellQuoted(csv) + " --chart " + ShellQuoted(chart));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadText(chart).find("<svg"), std::string::npos);
    const auto rows = CsvRows(csv);
    ASSERT_EQ(rows.size(), 10u); // both ends of both ranges included
    EXPECT_EQ(rows[0][0], "第3层 内摩擦角(°) TuCeng[2].fMoCaJiao");
    EXPECT_EQ(rows[1][0] + " " + rows[9][1], "25.0 1.70");
    nlohmann::json record = nlohmann::json::parse(ReadText(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json"));
    for (size_t i = 1; i < rows.size(); ++i) {
        record["TuCeng"][2]["fMoCaJiao"] = std::stod(rows[i][0]);
        record["fZhuangJing"] = std::stod(rows[i][1]);
        WriteText(dir.path + "/one.json", record.dump());
        const double atSlip = std::stod(rows[i][2]);
        EXPECT_NEAR(FinalAt(dir.path + "/one.json", 8.0), atSlip, 1e-3 * atSlip) << rows[i][0] << " " << rows[i][1];
    }
    EXPECT_EQ(LabelDecimals({25, 30, 35}), 0);
    EXPECT_EQ(LabelDecimals({0.1, 0.1 + 0.1, 0.1 + 0.1 + 0.1}), 1); // 0.30000000000000004 is 0.3
    EXPECT_EQ(ValueLabel(1.0 / 3, LabelDecimals({1.0 / 3})), "0.3333333333333333");
}

TEST(Study, TheDesignSearchFindsTheLeastConcreteWorkedByHand)
{
    // Spacing 3 or 4 m, diameter 1.2 or 1.6 m, C30 (ftk 2.01, fc 14.3), slip
    // surface 8 m down, unit weight 25: N0 = 8 x 25 x A; b0 = 880 d, h0 = 800 d
    // (mm); Vc = 0.7 b0 h0 ftk / 1000 + 0.07 N0.
    //   d = 1.2: A = 1.1310, Vc = 1426.35 + 15.83 = 1442.18; Fv = 480.73 (s 3), 360.55 (s 4)
    //   d = 1.6: A = 2.0106, Vc = 2535.73 + 28.15 = 2563.88; Fv = 854.63 (s 3), 640.97 (s 4)
    // The ground is stronger at 8 m, so the pile governs. A 1.6 m pile every 3 m
    // leaves 1.4 m between piles, less than one pile width: left out. For 600
    // kN/m one carries: d 1.6 at s 4 (2.0106 x 16 / 4 = 8.0425 m3 per m).
    const std::string grid = " --vary fZhuangJianJu=3:4:1 --vary fZhuangJing=1.2:1.6:0.4";
    const CliRun r = RunKangli("design " + kCirc + " --thrust 600" + grid);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("1 of 4 combinations left out: less than one pile width between the piles"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("1 of 4 combinations carry 600 kN/m"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" 1. fZhuangJianJu = 4 m, fZhuangJing = 1.6 m: 8.0425 m3 of concrete per m of slope, 640.97"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find(" 2. "), std::string::npos) << r.out;
    // Out of reach: said plainly, with the largest reached among the piles that can be built.
    const CliRun none = RunKangli("design " + kCirc + " --thrust 800" + grid);
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("no combination reaches 800 kN/m at the slip surface; the largest reached is 640.97"),
              std::string::npos)
        << none.out;
}

// The design's answers are exactly the sweep's rows that can be built and carry
// the thrust, the least concrete (pi d^2 / 4 x 16 m / s per m of slope) first.
TEST(Study, TheDesignAnswersAreTheBuildableSweepRowsThatCarryLeastConcreteFirst)
{
    TempDir dir;
    const std::string grid = " --vary fZhuangJianJu=0.4:4:0.4 --vary fZhuangJing=0.8:2.4:0.8 --csv ";
    ASSERT_EQ(RunKangli("sweep " + kCirc + grid + ShellQuoted(dir.path + "/s.csv")).status, 0);
    const CliRun design = RunKangli("design " + kCirc + " --thrust 300" + grid + ShellQuoted(dir.path + "/d.csv"));
    ASSERT_EQ(design.status, 0) << design.err;
    std::vector<std::tuple<double, double, double, double>> carry; // concrete, spacing, diameter, at slip
    const auto sweep = CsvRows(dir.path + "/s.csv");
    ASSERT_EQ(sweep.size(), 31u);
    for (size_t i = 1; i < sweep.size(); ++i) {
        const double s = std::stod(sweep[i][0]), d = std::stod(sweep[i][1]);
        // At least one pile width between two piles: exactly one is enough.
        EXPECT_EQ(sweep[i][2].empty(), s < 2 * d) << s << " " << d;
        if (!sweep[i][2].empty() && std::stod(sweep[i][2]) >= 300)
            carry.emplace_back(M_PI * d * d / 4 * 16 / s, s, d, std::stod(sweep[i][2]));
    }
    std::sort(carry.begin(), carry.end());
    const auto answers = CsvRows(dir.path + "/d.csv");
    ASSERT_EQ(answers.size(), carry.size() + 1);
    ASSERT_GE(carry.size(), 2u);
    for (size_t i = 0; i < carry.size(); ++i) {
        const auto& [concrete, s, d, atSlip] = carry[i];
        EXPECT_EQ(std::stod(answers[i + 1][0]), s) << i;
        EXPECT_EQ(std::stod(answers[i + 1][1]), d) << i;
        EXPECT_NEAR(std::stod(answers[i + 1][2]), concrete, 1e-4) << i;
        EXPECT_EQ(std::stod(answers[i + 1][3]), atSlip) << i;
    }
    // A rectangle: its width b in the row counts.
    CPelvorinData rect;
    InitKangLiData(&rect);
    std::tie(rect.nJieMianXingZhuang, rect.fZhuangKuan, rect.fZhuangGao, rect.fZhuangJianJu) = std::tuple(1, 1.5f, 3.f, 2.9f);
    std::string why;
    EXPECT_FALSE(PileRowBuildable(rect, &why));
    EXPECT_NE(why.find("piles 1.500 m wide every 2.900 m"), std::string::npos) << why;
    rect.fZhuangJianJu = 3;
    EXPECT_TRUE(PileRowBuildable(rect, nullptr));
}

TEST(Study, AnInputThatCannotActIsWarnedOfAndAnEdgeAnswerFlagged)
{
    const std::string warning = "warning: fZhuangKuan (桩宽（m）) acts only on a rectangular section and this record's "
                                "is circular: every value gives the same answer";
    const CliRun w = RunKangli("sweep " + kCirc + " --vary fZhuangKuan=1:2:0.5");
    EXPECT_EQ(w.status, 0) << w.err;
    EXPECT_NE(w.err.find(warning), std::string::npos) << w.err;
    // Varied with the section shape, it acts on some rows: no warning.
    EXPECT_EQ(RunKangli("sweep " + kCirc + " --vary fZhuangKuan=1:2:0.5 --vary nJieMianXingZhuang=0:1:1").err, "");
    // A layer's ground for the internal forces never acts on a resistance,
    // even in a record whose design block uses it.
    const CliRun ground = RunKangli("sweep " + ShellQuoted(KANGLI_EXAMPLES_DIR "/design/layered-pile-with-anchor.json") +
                                    " --vary 'TuCeng[1].fK=1e5:2e5:1e5'");
    EXPECT_NE(ground.err.find("TuCeng[1].fK (第2层 地基系数K(kN/m3)) acts only on the internal forces"), std::string::npos)
        << ground.err;

    // The example of docs/command-line.md: the best is a 2.0 m pile, the top of its range.
    const CliRun edge = RunKangli("design " + kCirc + " --thrust 800 --vary fZhuangJianJu=2:6:0.5 --vary fZhuangJing=0.8:2:0.2 --top 2");
    ASSERT_EQ(edge.status, 0) << edge.err;
    EXPECT_NE(edge.out.find(" 1. fZhuangJianJu = 5.0 m, fZhuangJing = 2.0 m: 10.0531 m3"), std::string::npos) << edge.out;
    EXPECT_NE(edge.out.find("note: the best has fZhuangJing = 2.0 m, the top of its range"), std::string::npos) << edge.out;
    EXPECT_EQ(edge.out.find("fZhuangJianJu = 5.0 m, the"), std::string::npos) << edge.out; // 5 m lies inside 2..6
    EXPECT_NE(edge.out.find(" 2. "), std::string::npos);
    EXPECT_EQ(edge.out.find(" 3. "), std::string::npos) << edge.out; // --top 2

    // Every row refused: not a success; one row calculated is.
    const CliRun none = RunKangli("sweep " + kCirc + " --vary fZhuangJianJu=0.5:1:0.5");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("none of the 2 combinations could be calculated"), std::string::npos) << none.err;
    EXPECT_EQ(RunKangli("sweep " + kCirc + " --vary fZhuangJianJu=0.5:3:2.5").status, 0);
}

// Output the user did not get is never success: standard output that cannot be
// written, in every form the commands print.
TEST(Study, OutputThatCannotBeWrittenIsAFailure)
{
    const std::string ex = ShellQuoted(KANGLI_EXAMPLES_DIR), vary = " --vary fZhuangJianJu=3:5:1";
    const std::string design = "design " + kCirc + " --thrust 300" + vary;
    for (const std::string& args :
         {"calc " + ex + " --jsonl", "calc " + ex + " --csv -", "calc " + ex, "calc --json " + kCirc, "calc " + kCirc,
          "sweep " + kCirc + vary, "sweep " + kCirc + vary + " --csv -", design, design + " --csv -",
          "forces " + ShellQuoted(KANGLI_EXAMPLES_DIR "/design/defaults.json"), std::string("keys"), std::string("--version")}) {
        const CliRun r = RunShell(kExe + args + " >/dev/full");
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.err.rfind("kangli: standard output: cannot write: ", 0), 0u) << args << "\n" << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

// Every study ends in bounded time, and a machine that gives no thread gets the
// work done.
TEST(Study, EveryRunIsBounded)
{
    TempDir dir;
    // A chart over one huge value: its ticks end.
    const std::string chart = dir.path + "/c.svg";
    const CliRun one = RunShell("timeout -s KILL 20 " + kExe + "sweep " + kCirc + " --vary fZhuangRongZhong=1e7:1e7:1 --chart " + ShellQuoted(chart));
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_NE(ReadText(chart).find("<svg"), std::string::npos);

    // Under a small address-space limit a new thread's stack cannot be had. At
    // every limit where one record calculates, the sweep gives all its rows.
    const std::string sweep = "sweep " + kCirc + " --vary fZhuangJianJu=3:8:0.01";
    const CliRun full = RunKangli(sweep);
    ASSERT_EQ(full.status, 0);
    int tried = 0;
    for (int limit = 12000; limit <= 40000; limit += 2000) {
        const std::string limited = "ulimit -v " + std::to_string(limit) + "; exec " + kExe;
        if (RunShell(limited + "calc " + kCirc).status != 0)
            continue;
        ++tried;
        const CliRun r = RunShell(limited + sweep);
        EXPECT_EQ(r.status, 0) << limit << " " << r.err;
        EXPECT_EQ(r.out, full.out) << limit;
    }
    if (tried == 0)
        GTEST_SKIP() << "kangli cannot start under these address-space limits (an instrumented build)";
}

// The design search on a record with a design block, checked by brute force:
// each combination written out as its own record, `kangli forces` passing it
// (exit 0) and its resistance at the slip surface reaching the thrust is exactly
// what the search calls passing, and the first answer is the least concrete,
// then the least steel, of those.
TEST(Study, TheDesignWithForcesIsWhatForcesAndCalcSayOfEachPile)
{
    TempDir dir;
    const std::string example = KANGLI_EXAMPLES_DIR "/design/layered-pile-with-anchor.json";
    const std::string grid = " --vary fZhuangJianJu=4:7:1.5 --vary fZhuangChang=19:25:2 --vary fZhuangGao=2:3:1";
    const CliRun design = RunKangli("design " + ShellQuoted(example) + grid + " --top 1 --csv " + ShellQuoted(dir.path + "/d.csv"));
    ASSERT_EQ(design.status, 0) << design.err;
    const auto rows = CsvRows(dir.path + "/d.csv");
    ASSERT_EQ(rows.size(), 25u); // 3 spacings x 4 lengths x 2 sections
    const nlohmann::json base = nlohmann::json::parse(ReadText(example));
    const double thrust = base["SheJi"]["fTuiLi"].get<double>() - base["SheJi"]["fQianKangLi"].get<double>();
    std::tuple<double, double, size_t> first{1e30, 1e30, 0};
    int passing = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        nlohmann::json r = base;
        r["fZhuangJianJu"] = std::stod(rows[i][0]);
        r["fZhuangChang"] = std::stod(rows[i][1]);
        r["fZhuangGao"] = std::stod(rows[i][2]);
        const std::string path = dir.path + "/r.json";
        WriteText(path, r.dump());
        const CliRun forces = RunKangli("forces " + ShellQuoted(path));
        // The resistance at the slip surface is the sweep's (tested against calc above).
        const double atSlip = std::stod(rows[i][5]);
        const bool passes = forces.status == 0 && atSlip >= thrust;
        EXPECT_EQ(rows[i][6], passes ? "1" : "0") << i << ": " << forces.err << rows[i][9];
        EXPECT_EQ(rows[i][9].empty(), passes) << i; // the check that fails is named
        if (passes) {
            // Its steel: both faces' bars along the pile, per metre of slope.
            const nlohmann::json f = nlohmann::json::parse(RunKangli("forces --json " + ShellQuoted(path)).out);
            const double area = f["reinforcement"]["longitudinal_area"].get<double>() +
                                f["reinforcement_other_face"]["longitudinal_area"].get<double>();
            EXPECT_NEAR(std::stod(rows[i][4]), area * 1e-6 * r["fZhuangChang"].get<double>() * 7850 /
                                                   r["fZhuangJianJu"].get<double>(), 0.05) << i;
            ++passing;
            first = std::min(first, {std::stod(rows[i][3]), std::stod(rows[i][4]), i});
        }
    }
    ASSERT_GT(passing, 0);
    const auto& row = rows[std::get<2>(first)];
    EXPECT_NE(design.out.find(" 1. fZhuangJianJu = " + row[0] + " m, fZhuangChang = " + row[1] + " m, fZhuangGao = " +
                              row[2] + " m: " + row[3] + " m3 of concrete and " + row[4] + " kg"),
              std::string::npos)
        << design.out;
}

// When no pile passes, the one closest to passing is named with the check it
// fails and by how much; a refused pile's row says why; the design block's own
// keys are no study's to vary.
TEST(Study, ADesignNonePassesNamesTheClosestAndItsCheck)
{
    const std::string example = ShellQuoted(KANGLI_EXAMPLES_DIR "/design/layered-pile-with-anchor.json");
    const CliRun none = RunKangli("design " + example + " --vary fZhuangChang=19:22:1");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("the closest is fZhuangChang = 22 m, failing TuCeng[1].fYunXuYingLi front by 1.4%"),
              std::string::npos)
        << none.out;
    const CliRun csv = RunKangli("design " + example + " --vary fZhuangChang=11:12:1 --csv -");
    EXPECT_NE(csv.out.find(",fHuaMianDaoZhuangDing,,fHuaMianDaoZhuangDing,\"fHuaMianDaoZhuangDing (滑面到桩顶距离（m）): "
                           "the slip surface must lie inside the pile"),
              std::string::npos)
        << csv.out;
    const CliRun block = RunKangli("design " + example + " --vary SheJi.fTuiLi=1000:2000:500");
    EXPECT_EQ(block.status, 2);
    EXPECT_NE(block.err.find("the design block's keys are not varied by studies"), std::string::npos) << block.err;
}
