// Design studies from the command line: many records, sweeps, the design search.
#include "Chart.h"
#include "FieldTable.h"
#include "Study.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

namespace {

std::string Q(const std::string& s) { return "'" + s + "'"; }

// The final resistance at a depth from a single `kangli calc --json` run.
double FinalAt(const std::string& record, double depth)
{
    const CliRun r = RunKangli("calc --json " + Q(record));
    const auto doc = nlohmann::json::parse(r.out);
    for (const auto& p : doc["points"])
        if (std::fabs(p["depth"].get<double>() - depth) < 1e-4)
            return p["final"].get<double>();
    return NAN;
}

} // namespace

TEST(Study, ManyRecordsOneRowEachABadFileNeverStopsTheRun)
{
    TempDir dir;
    const std::string folder = dir.path + "/records";
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/defaults.json", folder + "/a-defaults.json");
    std::filesystem::copy_file(KANGLI_BROKEN_DIR "/rock-over-soil.dat", folder + "/b-rock-over-soil.dat");
    std::filesystem::copy_file(KANGLI_BROKEN_DIR "/zero-spacing.dat", folder + "/c-zero-spacing.dat");
    WriteText(folder + "/d-broken.json", "{\"fZhuangChang\": ");
    WriteText(folder + "/notes.txt", "not a record");
    const std::string csv = dir.path + "/out.csv";
    const CliRun r = RunKangli("calc " + Q(folder) + " " + Q(KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.dat") +
                               " --csv " + Q(csv));
    EXPECT_EQ(r.status, 1) << r.err; // not all were calculated
    // Read back as a spreadsheet would: Python's csv module, UTF-8 with BOM.
    const std::string script = dir.path + "/read.py";
    WriteText(script, "import csv,sys\n"
                      "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
                      "print(len(rows)); print(rows[0][0]); print(rows[0][2])\n"
                      "print(len(rows[0]), rows[0][-1])\n"
                      "for r in rows[1:]: print(r[0].split('/')[-1], r[1], r[2], r[3], r[5][:30], sep='|')\n");
    const CliRun py = [&] {
        CliRun out;
        const std::string o = dir.path + "/py.txt";
        std::system(("/usr/bin/python3 " + Q(script) + " " + Q(csv) + " >" + Q(o) + " 2>&1").c_str());
        out.out = ReadText(o);
        return out;
    }();
    EXPECT_EQ(py.out, "6\n"
                      "文件 file\n"
                      "滑面处抗力 at slip (kN/m)\n"
                      "6 说明 message\n" // no column of the minimum: at the foot it is always 0
                      "a-defaults.json|calculated|113.772|ground|\n"
                      "b-rock-over-soil.dat|refused|||TuCeng[1]: 岩层下不能出现土层 (a soil l\n"
                      "c-zero-spacing.dat|refused|||fZhuangJianJu (桩中心距（m）): pile \n"
                      "d-broken.json|unreadable|||parse error at line 1, column \n"
                      "rectangular-pile-soil-layers.dat|calculated|1523.433|pile|\n")
        << py.out;
    EXPECT_EQ(ReadText(csv).rfind("\xEF\xBB\xBF", 0), 0u);
    // Every record calculated: exit 0; and the JSON lines form.
    const CliRun ok = RunKangli("calc --jsonl " + Q(KANGLI_EXAMPLES_DIR "/defaults.json") + " " +
                                Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json"));
    EXPECT_EQ(ok.status, 0);
    EXPECT_NE(ok.out.find("\"at_slip\":360.5485"), std::string::npos) << ok.out;
    EXPECT_EQ(std::count(ok.out.begin(), ok.out.end(), '\n'), 2);
}

TEST(Study, ASweepGivesWhatSingleRunsGive)
{
    TempDir dir;
    const std::string csv = dir.path + "/sweep.csv", chart = dir.path + "/sweep.svg";
    const std::string base = KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json";
    const CliRun r = RunKangli("sweep " + Q(base) + " --vary fZhuangJianJu=3:5:1 --vary nHunNingTuDengJi=25:35:5 --csv " +
                               Q(csv) + " --chart " + Q(chart));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = ReadText(csv);
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line); // heading
    int rows = 0;
    const std::string original = ReadText(base);
    while (std::getline(lines, line)) {
        ++rows;
        double spacing, grade, atSlip;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%lf", &spacing, &grade, &atSlip), 3) << line;
        // The same record with these two values, calculated on its own: the final
        // resistance at the slip surface (8 m, a calculation point).
        std::string one = original;
        one.replace(one.find("\"fZhuangJianJu\": 4"), 18, "\"fZhuangJianJu\": " + std::to_string(spacing));
        one.replace(one.find("\"nHunNingTuDengJi\": 30"), 22, "\"nHunNingTuDengJi\": " + std::to_string(static_cast<int>(grade)));
        WriteText(dir.path + "/one.json", one);
        EXPECT_NEAR(FinalAt(dir.path + "/one.json", 8.0), atSlip, 1e-3 * atSlip) << line;
    }
    EXPECT_EQ(rows, 9); // both ends of both ranges included
    const std::string svg = ReadText(chart);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_GT(svg.size(), 5000u);

    const CliRun bad = RunKangli("sweep " + Q(base) + " --vary TuCeng[7].fMoCaJiao=10:20:5");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("key \"TuCeng[7].fMoCaJiao\": the record has 3 layers"), std::string::npos) << bad.err;
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
    const CliRun r = RunKangli("design " + Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json") +
                               " --thrust 600 --vary fZhuangJianJu=3:4:1 --vary fZhuangJing=1.2:1.6:0.4");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("fZhuangJianJu (桩中心距（m）): 3 m .. 4 m, 2 values\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 of 4 combinations left out: less than one pile width between the piles"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("1 of 4 combinations carry 600 kN/m"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" 1. fZhuangJianJu = 4 m, fZhuangJing = 1.6 m: 8.0425 m3 of concrete per m of slope, "
                         "640.97"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find(" 2. "), std::string::npos) << r.out;
    // Out of reach: said plainly, with the largest reached among the piles that can be built.
    const CliRun none = RunKangli("design " + Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json") +
                                  " --thrust 800 --vary fZhuangJianJu=3:4:1 --vary fZhuangJing=1.2:1.6:0.4");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("no combination reaches 800 kN/m at the slip surface; the largest reached is 640.97"),
              std::string::npos)
        << none.out;
}

// One input under two values would print every row under a label it was not
// calculated for: refused whichever way the key is spelt, naming it.
TEST(Study, AnInputVariedTwiceIsRefusedNamingIt)
{
    const std::string base = Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");
    for (const std::string& cmd : std::vector<std::string>{"sweep " + base, "design " + base + " --thrust 700"}) {
        const CliRun twice = RunKangli(cmd + " --vary fZhuangJianJu=2:6:1 --vary fZhuangJianJu=3:3:1");
        EXPECT_EQ(twice.status, 2) << cmd;
        EXPECT_EQ(twice.out, "") << cmd;
        EXPECT_NE(twice.err.find("key \"fZhuangJianJu\" is varied twice"), std::string::npos) << twice.err;
    }
    for (const char* spelt : {"TuCeng[+2]", "TuCeng[ 2]", "TuCeng[02]", "TuCeng[2 ]", "TuCeng[002]"}) {
        const CliRun r = RunKangli("sweep " + base + " --vary TuCeng[2].fMoCaJiao=30:32:1 --vary '" + spelt +
                                   ".fMoCaJiao=33:35:1'");
        EXPECT_EQ(r.status, 2) << spelt;
        EXPECT_NE(r.err.find("key \"TuCeng[2].fMoCaJiao\" is varied twice"), std::string::npos) << spelt << r.err;
    }
    // Written another way but alone, a layer's key is that layer's, and the
    // table names it in its one spelling.
    const CliRun one = RunKangli("sweep " + base + " --vary 'TuCeng[+02].fMoCaJiao=30:31:1'");
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("TuCeng[2].fMoCaJiao"), std::string::npos) << one.out;
    for (const char* bad : {"TuCeng[-1]", "TuCeng[]", "TuCeng[1x]", "TuCeng[ ]", "TuCeng[2]x"}) {
        const CliRun r = RunKangli("sweep " + base + " --vary '" + std::string(bad) + ".fMoCaJiao=30:31:1'");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("expected TuCeng[i].key"), std::string::npos) << bad << r.err;
    }
}

TEST(Study, NormalisedKeysAreOneSpellingOfOneInput)
{
    std::string n;
    EXPECT_TRUE(NormaliseStudyKey("TuCeng[ +007 ].fHouDu", n, nullptr));
    EXPECT_EQ(n, "TuCeng[7].fHouDu");
    EXPECT_TRUE(NormaliseStudyKey("TuCeng[0000].fHouDu", n, nullptr));
    EXPECT_EQ(n, "TuCeng[0].fHouDu");
    EXPECT_TRUE(NormaliseStudyKey("fZhuangJing", n, nullptr));
    EXPECT_EQ(n, "fZhuangJing");
    std::string error;
    EXPECT_FALSE(NormaliseStudyKey("TuCeng[1].", n, &error));
    EXPECT_NE(error.find("TuCeng[1]."), std::string::npos) << error;

    CPelvorinData record;
    InitKangLiData(&record);
    record.TuCeng.resize(3);
    std::vector<StudyRange> ranges = {{"TuCeng[01].fHouDu", {2, 3}}, {"TuCeng[1].fHouDu", {4}}};
    EXPECT_FALSE(CheckStudyRanges(record, ranges, &error));
    EXPECT_NE(error.find("\"TuCeng[1].fHouDu\" is varied twice"), std::string::npos) << error;
    ranges = {{"TuCeng[01].fHouDu", {2, 3}}, {"TuCeng[2].fHouDu", {4}}};
    EXPECT_TRUE(CheckStudyRanges(record, ranges, &error)) << error;
    EXPECT_EQ(ranges[0].key, "TuCeng[1].fHouDu");
}

// Output the user did not get is never success: standard output that cannot be
// written, in every form the studies print.
TEST(Study, OutputThatCannotBeWrittenIsAFailure)
{
    const std::string ex = KANGLI_EXAMPLES_DIR;
    const std::string circ = Q(ex + "/circular-pile-into-rock.json");
    for (const std::string& args : std::vector<std::string>{
             "calc " + Q(ex) + " --jsonl", "calc " + Q(ex) + " --csv -", "calc " + Q(ex), "calc --json " + circ,
          "calc " + circ, "sweep " + circ + " --vary fZhuangJianJu=3:5:1",
          "sweep " + circ + " --vary fZhuangJianJu=3:5:1 --csv -",
          "design " + circ + " --thrust 300 --vary fZhuangJianJu=3:5:1",
          "design " + circ + " --thrust 300 --vary fZhuangJianJu=3:5:1 --csv -", "keys", "--help", "--version"}) {
        TempDir dir;
        const std::string err = dir.path + "/err";
        const int raw = std::system(("'" KANGLI_EXE "' " + args + " >/dev/full 2>" + Q(err)).c_str());
        EXPECT_TRUE(WIFEXITED(raw)) << args;
        EXPECT_EQ(WEXITSTATUS(raw), 2) << args;
        EXPECT_NE(ReadText(err).find("kangli: standard output: cannot write"), std::string::npos)
            << args << "\n" << ReadText(err);
    }
}

// A table written over a record would lose the record: refused before anything
// is calculated, the record left as it was.
TEST(Study, AnOutputOntoAnInputIsRefused)
{
    TempDir dir;
    const std::string a = dir.path + "/a.json", b = dir.path + "/b.json";
    std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/defaults.json", a);
    std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json", b);
    const std::string before = ReadText(b);
    const std::vector<std::string> runs = {
        "calc " + Q(a) + " " + Q(b) + " --csv " + Q(b),
        "calc " + Q(dir.path) + " --csv " + Q(dir.path + "/./b.json"),
        "calc " + Q(a) + " " + Q(b) + " --csv " + Q(dir.path + "/../" + std::filesystem::path(dir.path).filename().string() + "/b.json"),
        "sweep " + Q(b) + " --vary fZhuangJianJu=3:5:1 --csv " + Q(b),
        "sweep " + Q(b) + " --vary fZhuangJianJu=3:5:1 --chart " + Q(dir.path + "/b.json"),
        "design " + Q(b) + " --thrust 300 --vary fZhuangJianJu=3:5:1 --csv " + Q(b),
    };
    for (const std::string& args : runs) {
        const CliRun r = RunKangli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("would write over the input record"), std::string::npos) << args << "\n" << r.err;
        EXPECT_EQ(ReadText(b), before) << args;
    }
    // A link to the record is the record.
    std::filesystem::create_symlink(b, dir.path + "/link.csv");
    const CliRun link = RunKangli("sweep " + Q(b) + " --vary fZhuangJianJu=3:5:1 --csv " + Q(dir.path + "/link.csv"));
    EXPECT_EQ(link.status, 2) << link.err;
    EXPECT_EQ(ReadText(b), before);
    // Two forms of the rows at once, or --json for many records: said, not guessed.
    const CliRun both = RunKangli("calc " + Q(a) + " " + Q(b) + " --jsonl --csv " + Q(dir.path + "/rows.csv"));
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("give one"), std::string::npos) << both.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/rows.csv"));
    const CliRun json = RunKangli("calc --json " + Q(a) + " " + Q(b));
    EXPECT_EQ(json.status, 2);
    EXPECT_EQ(json.out, "");
    EXPECT_NE(json.err.find("--json is the points of one record"), std::string::npos) << json.err;
}

// Every row and every curve is labelled with the value it was calculated for,
// in as many decimals as the values need to be told apart.
TEST(Study, LabelsShowTheValueCalculated)
{
    EXPECT_EQ(LabelDecimals({0, 2.5, 5, 7.5}), 1);
    EXPECT_EQ(LabelDecimals({2, 2.25, 2.5}), 2);
    EXPECT_EQ(LabelDecimals({25, 30, 35}), 0);
    EXPECT_EQ(LabelDecimals({0.1, 0.1 + 0.1, 0.1 + 0.1 + 0.1}), 1); // 0.30000000000000004 is 0.3
    EXPECT_EQ(LabelDecimals({1.0 / 3}), -1);
    EXPECT_EQ(ValueLabel(1.0 / 3, -1), "0.3333333333333333");
    EXPECT_EQ(ValueLabel(2.25, 2), "2.25");

    const std::string base = Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");
    const CliRun r = RunKangli("sweep " + base + " --vary TuCeng[2].fMoCaJiao=25:35:2.5 --vary fZhuangJing=2:2.5:0.25 --csv -");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    std::vector<std::string> labels;
    while (std::getline(lines, line))
        labels.push_back(line.substr(0, line.find(',', line.find(',') + 1)));
    ASSERT_EQ(labels.size(), 15u);
    EXPECT_EQ(labels[0], "25.0,2.00");
    EXPECT_EQ(labels[4], "27.5,2.25");
    EXPECT_EQ(labels[14], "35.0,2.50");
    const CliRun grades = RunKangli("sweep " + base + " --vary nHunNingTuDengJi=25:35:5");
    EXPECT_NE(grades.out.find("\n30  "), std::string::npos) << grades.out;
    EXPECT_EQ(grades.out.find("30.0"), std::string::npos) << grades.out;
}

// A chart's legend names each curve's value exactly, and no two curves look alike.
TEST(Study, EveryCurveOfAChartCanBeToldApart)
{
    std::vector<StudyRange> ranges = {{"fZhuangJianJu", {3, 4, 5}}, {"fZhuangJing", {}}};
    for (int i = 0; i < 9; ++i)
        ranges[1].values.push_back(0.8 + 0.175 * i); // 0.800 .. 2.200
    std::vector<StudyPoint> points;
    for (double s : ranges[0].values)
        for (double d : ranges[1].values) {
            StudyPoint p;
            p.values = {s, d};
            p.result.status = 1;
            p.result.atSlip = 100 * d / s;
            p.result.governs = 'P';
            points.push_back(p);
        }
    const CBase_SGT chart = SweepChart(points, ranges, {"桩中心距 (m)", "桩径 (m)"});
    std::vector<std::string> legend;
    // A legend sample per curve: its colour and the lengths of its pieces.
    std::map<double, std::pair<int, std::vector<double>>> samples;
    for (const SgtItem& it : chart.items) {
        if (it.kind == SgtItem::Text && it.text.rfind("桩径 (m) = ", 0) == 0)
            legend.push_back(it.text.substr(std::string("桩径 (m) = ").size()));
        if (it.kind == SgtItem::Line && it.layer == "CURVE" && it.y1 == it.y2 && it.x1 >= 160) {
            samples[it.y1].first = it.color;
            samples[it.y1].second.push_back(std::round((it.x2 - it.x1) * 100) / 100);
        }
    }
    EXPECT_EQ(legend, (std::vector<std::string>{"0.800", "0.975", "1.150", "1.325", "1.500", "1.675", "1.850",
                                                "2.025", "2.200"}));
    ASSERT_EQ(samples.size(), 9u);
    std::set<std::pair<int, std::vector<double>>> looks;
    for (const auto& [y, look] : samples)
        looks.insert(look);
    EXPECT_EQ(looks.size(), 9u); // 0.80 and 2.20 no longer both red and solid

    // 2.5 degree steps over 45 degrees: 2.5 and 7.5, not "2" and "8".
    ranges[1] = {"TuCeng[2].fMoCaJiao", {}};
    for (int i = 0; i <= 18; ++i)
        ranges[1].values.push_back(2.5 * i);
    points.clear();
    for (double s : ranges[0].values)
        for (double a : ranges[1].values) {
            StudyPoint p;
            p.values = {s, a};
            p.result.status = 1;
            p.result.atSlip = 100 + a;
            p.result.governs = 'G';
            points.push_back(p);
        }
    legend.clear();
    for (const SgtItem& it : SweepChart(points, ranges, {}).items)
        if (it.kind == SgtItem::Text && it.text.rfind("TuCeng[2].fMoCaJiao = ", 0) == 0)
            legend.push_back(it.text.substr(std::string("TuCeng[2].fMoCaJiao = ").size()));
    ASSERT_EQ(legend.size(), 19u);
    EXPECT_EQ(legend[1], "2.5");
    EXPECT_EQ(legend[3], "7.5");
    EXPECT_EQ(legend[18], "45.0");

    // More values than curves that can be told apart: the chart is refused, naming the limit.
    const CliRun many = RunKangli("sweep " + Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json") +
                                  " --vary fZhuangJianJu=3:4:1 --vary TuCeng[2].fMoCaJiao=1:29:1 --chart /tmp/never.svg");
    EXPECT_EQ(many.status, 2);
    EXPECT_NE(many.err.find("at most 28 that can be told apart; 29 given"), std::string::npos) << many.err;
}

namespace {

// Rows of a CSV that Python's csv module reads (UTF-8 with its mark), cells split.
std::vector<std::vector<std::string>> CsvRows(const std::string& path)
{
    TempDir dir;
    const std::string script = dir.path + "/read.py", out = dir.path + "/out.txt";
    WriteText(script, "import csv,sys\n"
                      "for r in csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')): print('\\t'.join(r))\n");
    std::system(("/usr/bin/python3 " + Q(script) + " " + Q(path) + " >" + Q(out)).c_str());
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(ReadText(out));
    std::string line;
    while (std::getline(lines, line)) {
        rows.emplace_back();
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, '\t'))
            rows.back().push_back(cell);
    }
    return rows;
}

} // namespace

// A design answer is a pile that can be built: at least one pile width between
// two piles; a sweep says so of a row it leaves out.
TEST(Study, NoAnswerIsAPileThatCannotBeBuilt)
{
    TempDir dir;
    const std::string base = Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json"), csv = dir.path + "/d.csv";
    const CliRun r = RunKangli("design " + base + " --thrust 300 --vary fZhuangJianJu=0.5:4:0.5 --vary "
                                                  "fZhuangJing=0.8:2.4:0.8 --csv " + Q(csv));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = CsvRows(csv);
    ASSERT_GT(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "桩中心距（m） fZhuangJianJu");
    EXPECT_EQ(rows[0][2], "混凝土 concrete (m3/m)");
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_GE(std::stod(rows[i][0]), 2 * std::stod(rows[i][1])) << rows[i][0] << " " << rows[i][1];
    for (size_t i = 2; i < rows.size(); ++i)
        EXPECT_LE(std::stod(rows[i - 1][2]), std::stod(rows[i][2])); // least concrete first
    // The 0.8 m pile every 0.5 m, which carried 300 kN/m, is not among them.
    EXPECT_EQ(r.out.find("fZhuangJianJu = 0.5 m, fZhuangJing = 0.8 m"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("combinations left out: less than one pile width between the piles"), std::string::npos);

    const CliRun sweep = RunKangli("sweep " + base + " --vary fZhuangJianJu=0.5:4.8:4.3 --vary fZhuangJing=2.4:2.4:1 --csv -");
    EXPECT_NE(sweep.out.find("0.5,2.4,,,,,not buildable: piles 2.400 m in diameter every 0.500 m leave less than "
                             "one pile width between them (spacing at least 4.800 m)"),
              std::string::npos)
        << sweep.out;
    EXPECT_NE(sweep.out.find("4.8,2.4,"), std::string::npos);
    EXPECT_EQ(sweep.out.find("4.8,2.4,,"), std::string::npos) << sweep.out; // exactly twice the width: calculated

    // A rectangle: its width b in the row counts.
    CPelvorinData rect;
    InitKangLiData(&rect);
    rect.nJieMianXingZhuang = 1;
    rect.fZhuangKuan = 1.5;
    rect.fZhuangGao = 3;
    rect.fZhuangJianJu = 2.9f;
    std::string why;
    EXPECT_FALSE(PileRowBuildable(rect, &why));
    EXPECT_NE(why.find("piles 1.500 m wide every 2.900 m"), std::string::npos) << why;
    rect.fZhuangJianJu = 3;
    EXPECT_TRUE(PileRowBuildable(rect, nullptr));
}

TEST(Study, AnInputThatCannotActIsWarnedOfAndAnEdgeAnswerFlagged)
{
    const std::string circ = Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");
    const CliRun w = RunKangli("sweep " + circ + " --vary fZhuangKuan=1:2:0.5");
    EXPECT_EQ(w.status, 0) << w.err;
    EXPECT_NE(w.err.find("warning: fZhuangKuan (桩宽（m）) acts only on a rectangular section and this record's is "
                         "circular: every value gives the same answer"),
              std::string::npos)
        << w.err;
    // Varied with the section shape, it acts on some rows: no warning.
    const CliRun both = RunKangli("sweep " + circ + " --vary fZhuangKuan=1:2:0.5 --vary nJieMianXingZhuang=0:1:1");
    EXPECT_EQ(both.err.find("warning"), std::string::npos) << both.err;
    const CliRun d = RunKangli("design " + circ + " --thrust 600 --vary fZhuangJing=1.2:1.6:0.4 --vary fZhuangKuan=1:2:1");
    EXPECT_NE(d.err.find("warning: fZhuangKuan"), std::string::npos) << d.err;

    // The example of docs/command-line.md: the best is a 2.0 m pile, the top of its range.
    const CliRun edge = RunKangli("design " + circ + " --thrust 800 --vary fZhuangJianJu=2:6:0.5 --vary fZhuangJing=0.8:2:0.2 --top 2");
    ASSERT_EQ(edge.status, 0) << edge.err;
    EXPECT_NE(edge.out.find(" 1. fZhuangJianJu = 5.0 m, fZhuangJing = 2.0 m: 10.0531 m3"), std::string::npos) << edge.out;
    EXPECT_NE(edge.out.find("note: the best has fZhuangJing = 2.0 m, the top of its range"), std::string::npos) << edge.out;
    EXPECT_EQ(edge.out.find("fZhuangJianJu = 5.0 m, the"), std::string::npos) << edge.out; // 5 m lies inside 2..6
    EXPECT_NE(edge.out.find(" 2. "), std::string::npos);
    EXPECT_EQ(edge.out.find(" 3. "), std::string::npos) << edge.out; // --top 2
    EXPECT_EQ(RunKangli("design " + circ + " --thrust 800 --vary fZhuangJing=0.8:2:0.2 --top 0").status, 2);

    // Three inputs: a rectangular section and its spacing.
    const CliRun three = RunKangli("design " + Q(KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json") +
                                   " --thrust 1000 --vary fZhuangKuan=1:2:0.5 --vary fZhuangGao=1.5:2.5:0.5 "
                                   "--vary fZhuangJianJu=4:6:1");
    EXPECT_EQ(three.status, 0) << three.err << three.out;
    EXPECT_NE(three.out.find("of 27 combinations carry 1000 kN/m"), std::string::npos) << three.out;
    EXPECT_NE(three.out.find("fZhuangKuan = "), std::string::npos);
    EXPECT_NE(three.out.find("fZhuangGao = "), std::string::npos);
    const CliRun four = RunKangli("sweep " + circ + " --vary fZhuangJing=1:2:1 --vary fZhuangJianJu=4:5:1 "
                                  "--vary fZhuangChang=16:17:1 --vary nHunNingTuDengJi=25:30:5");
    EXPECT_EQ(four.status, 2);
    EXPECT_NE(four.err.find("give one, two or three --vary"), std::string::npos) << four.err;
}

namespace {

// A shell command line, its standard output and error captured.
CliRun Shell(const std::string& cmd)
{
    TempDir dir;
    const std::string out = dir.path + "/out", err = dir.path + "/err";
    const int raw = std::system(("(" + cmd + ") >" + out + " 2>" + err).c_str());
    CliRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = ReadText(out);
    r.err = ReadText(err);
    return r;
}

const std::string kExe = "'" KANGLI_EXE "' ";

} // namespace

// Every study ends in bounded time and memory, or is refused at once naming the
// limit; a machine that gives no thread or no memory gets the work done or a
// message, never an abort.
TEST(Study, EveryRunIsBounded)
{
    TempDir dir;
    const std::string circ = Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");
    // 10,000 x 1,000 combinations: refused before anything is calculated.
    const CliRun grid = RunKangli("sweep " + circ + " --vary fZhuangJianJu=3:12.999:0.001 --vary fZhuangJing=0.5:1.499:0.001");
    EXPECT_EQ(grid.status, 2);
    EXPECT_NE(grid.err.find("10000000 combinations (10000 x 1000): more than the 1000000 one study calculates"),
              std::string::npos)
        << grid.err;
    // A step finer than the record holds: every row would be the same calculation.
    const CliRun fine = RunKangli("sweep " + circ + " --vary fZhuangJianJu=1e8:1.00000001e8:1");
    EXPECT_EQ(fine.status, 2);
    EXPECT_NE(fine.err.find("comes twice as the record holds it (a 32-bit real)"), std::string::npos) << fine.err;

    // A chart over one huge value: its ticks end.
    const std::string chart = dir.path + "/c.svg";
    const CliRun one =
        Shell("timeout -s KILL 20 " + kExe + "sweep " + circ + " --vary fZhuangRongZhong=1e7:1e7:1 --chart " + Q(chart));
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_NE(ReadText(chart).find("<svg"), std::string::npos);
    std::vector<StudyPoint> points(1);
    points[0].values = {1e16};
    points[0].result.status = 1;
    points[0].result.atSlip = 360;
    EXPECT_LT(SweepChart(points, {{"fAs", {1e16}}}, {}).items.size(), 100u);

    // Out of memory: said, naming the command and what it was asked (where the
    // program starts at all under the limit: an instrumented build does not).
    if (Shell("ulimit -v 100000; exec " + kExe + "--version").status != 0)
        GTEST_SKIP() << "kangli cannot start under a 100 MB address-space limit";
    const CliRun memory = Shell("ulimit -v 100000; exec " + kExe + "sweep " + circ +
                                " --vary fZhuangJianJu=3:12.9999:0.00001");
    EXPECT_EQ(memory.status, 2);
    EXPECT_EQ(memory.err, "kangli sweep: out of memory calculating 999991 combinations of fZhuangJianJu; ask for fewer\n");
}

TEST(Study, AMachineThatGivesNoThreadStillGetsTheSweep)
{
    // Under a small address-space limit a new thread's stack cannot be had. At
    // every limit where one record calculates, the sweep gives all its rows.
    const std::string circ = Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");
    const std::string sweep = "sweep " + circ + " --vary fZhuangJianJu=3:8:0.01";
    const CliRun full = RunKangli(sweep);
    ASSERT_EQ(full.status, 0);
    int tried = 0;
    for (int limit = 12000; limit <= 40000; limit += 2000) {
        const std::string limited = "ulimit -v " + std::to_string(limit) + "; exec " + kExe;
        if (Shell(limited + "calc " + circ).status != 0)
            continue;
        ++tried;
        const CliRun r = Shell(limited + sweep);
        EXPECT_EQ(r.status, 0) << limit << " " << r.err;
        EXPECT_EQ(r.out, full.out) << limit;
    }
    if (tried == 0)
        GTEST_SKIP() << "kangli cannot start under any of these limits";
}

// A record's name or a message that looks like a formula stays text in a
// spreadsheet; the numbers beside it stay numbers.
TEST(Study, ASpreadsheetEvaluatesNoCellWeWroteAsText)
{
    EXPECT_EQ(CsvField("=1+2"), "\"'=1+2\"");
    EXPECT_EQ(CsvField("@SUM(A1)"), "\"'@SUM(A1)\"");
    EXPECT_EQ(CsvField("-2"), "\"'-2\"");
    EXPECT_EQ(CsvField("\t=1"), "\"'\t=1\"");
    EXPECT_EQ(CsvField("a=b"), "a=b");
    EXPECT_EQ(CsvField("=\"x\",y"), "\"'=\"\"x\"\",y\"");

    TempDir dir;
    const std::string folder = dir.path + "/records";
    std::filesystem::create_directory(folder);
    const std::vector<std::string> names = {"=HYPERLINK(\"evil.invalid\",\"click\").json", "+1.json",
                                            "-2.json", "@SUM(1).json"};
    for (const std::string& name : names)
        std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json", folder + "/" + name);
    const std::string csv = dir.path + "/rows.csv";
    std::string args;
    for (const std::string& name : names)
        args += " " + Q(name);
    const CliRun r = Shell("cd " + Q(folder) + " && " + kExe + "calc" + args + " --csv " + Q(csv));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = CsvRows(csv);
    ASSERT_EQ(rows.size(), 5u);
    std::set<std::string> seen;
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::string cell = rows[i][0];
        EXPECT_EQ(cell.substr(0, 1), "'") << cell;
        seen.insert(cell.substr(1));
        EXPECT_EQ(std::stod(rows[i][2]), 360.549); // a number, written as one
    }
    EXPECT_EQ(seen, std::set<std::string>(names.begin(), names.end()));
}

// The small things a user meets: statuses, the batch's columns, messages that
// tell the thrust from the largest reached, suggestions and the list of keys.
TEST(Study, StatusesMessagesAndKeys)
{
    const std::string circ = Q(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json");
    // Every row refused: not a success.
    const CliRun none = RunKangli("sweep " + circ + " --vary fZhuangJianJu=0.5:1:0.5");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("none of the 2 combinations could be calculated"), std::string::npos) << none.err;
    EXPECT_EQ(RunKangli("sweep " + circ + " --vary fZhuangJianJu=0.5:3:2.5").status, 0); // one row calculated

    // The batch no longer prints a minimum that is always 0.
    const CliRun batch = RunKangli("calc " + circ + " " + Q(KANGLI_EXAMPLES_DIR "/defaults.json"));
    EXPECT_EQ(batch.out.find("minimum"), std::string::npos) << batch.out;
    const CliRun jsonl = RunKangli("calc --jsonl " + circ);
    EXPECT_EQ(jsonl.out.find("minimum"), std::string::npos) << jsonl.out;

    // A thrust just above the largest reached: the two are told apart.
    const CliRun close = RunKangli("design " + circ + " --thrust 360.549 --vary fZhuangJianJu=4:5:1");
    EXPECT_EQ(close.status, 1);
    EXPECT_NE(close.out.find("no combination reaches 360.549 kN/m at the slip surface; the largest reached is "
                             "360.5485 kN/m (fZhuangJianJu = 4 m)"),
              std::string::npos)
        << close.out;
    const CliRun tiny = RunKangli("design " + circ + " --thrust 1e-300 --vary fZhuangJianJu=4:5:1");
    EXPECT_EQ(tiny.status, 2);
    EXPECT_EQ(tiny.out, "");
    EXPECT_NE(tiny.err.find("--thrust must lie between 0.001 and 1000000000 kN/m"), std::string::npos) << tiny.err;

    // A mistyped key: the nearest key, and where to find them all.
    const CliRun typo = RunKangli("sweep " + circ + " --vary fZhuangJianJv=3:4:1");
    EXPECT_EQ(typo.status, 2);
    EXPECT_NE(typo.err.find("key \"fZhuangJianJv\": unknown key; did you mean fZhuangJianJu? (kangli keys lists every key)"),
              std::string::npos)
        << typo.err;
    const CliRun layer = RunKangli("sweep " + circ + " --vary TuCeng[1].fMoCaJao=3:4:1");
    EXPECT_NE(layer.err.find("did you mean TuCeng[1].fMoCaJiao?"), std::string::npos) << layer.err;
    EXPECT_EQ(SuggestStudyKey("somethingElseEntirely"), "");

    // kangli keys: every key a study may vary, each with its label, unit and
    // range from the field table, and each one accepted by a sweep.
    const CliRun keys = RunKangli("keys");
    ASSERT_EQ(keys.status, 0);
    std::istringstream lines(keys.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "key\tlabel\tunit\trange");
    size_t listed = 0, design = 0;
    while (std::getline(lines, line)) {
        const std::string key = line.substr(0, line.find('\t'));
        // The design block's keys follow, each with its label and range.
        if (key.rfind("SheJi.", 0) == 0) {
            const DesignFieldDef* d = FindDesignField(key.substr(6));
            ASSERT_NE(d, nullptr) << line;
            EXPECT_NE(line.find(std::string("\t") + d->label + "\t"), std::string::npos) << line;
            ++design;
            continue;
        }
        ++listed;
        const FieldDef* f = StudyKeyField(key == line ? "" : key.rfind("TuCeng[i].", 0) == 0 ? "TuCeng[0]." + key.substr(10) : key);
        ASSERT_NE(f, nullptr) << line;
        EXPECT_NE(line.find(std::string("\t") + f->unit + "\t"), std::string::npos) << line;
        if (f->ranged) {
            EXPECT_NE(line.find(FieldRangeText(*f)), std::string::npos) << line;
        }
    }
    size_t sweepable = 0;
    for (auto fields : {RecordFields(), LayerFields()})
        for (const FieldDef& f : fields)
            sweepable += f.sweeps;
    EXPECT_EQ(listed, sweepable);
    EXPECT_EQ(design, DesignFields().size());
    EXPECT_NE(keys.out.find("SheJi.nZhuangDi\t桩底约束\t\t0 自由, 1 铰支"), std::string::npos) << keys.out;
    EXPECT_NE(keys.out.find("fZhuangJianJu\t桩中心距（m）\tm\t0.01 .. 10000000\n"), std::string::npos) << keys.out;
    EXPECT_NE(keys.out.find("TuCeng[i].fMoCaJiao\t内摩擦角(°)\tdegrees\t0 .. <90\n"), std::string::npos) << keys.out;
}
