// Slope mode as a host's search meets it: the pile at the index is the pile
// calculated and named, the files a host asks for, and files a reviewer can
// recalculate.
#include "CanvasWriters.h"
#include "KangLiCore.h"
#include "RecordFile.h"
#include "SlopeMode.h"
#include "TestSlope.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <map>
#include <set>

namespace {

// Slip surfaces of the two kinds.
CSlp_Surface Polyline(std::vector<CFPoint> points) { CSlp_Surface s; s.nHuaMianLeiXing = 1; s.PoXian.pts = std::move(points); return s; }
CSlp_Surface Circle(float x, float y, float r) { CSlp_Surface s; s.nHuaMianLeiXing = 0; s.fX = x; s.fY = y; s.fR = r; return s; }

std::set<std::string> Names(const std::string& dir)
{
    std::set<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

} // namespace

TEST(SlopeSearch, ThePileAtTheIndexIsThePileCutAndNamed)
{
    SlopeCall call;
    ScopedMessageRecorder rec;
    // Two piles named KH1: id 5 on the axis x = 0, and id 6 40 m away, which
    // the circle about (0, 113) with r = 20 does not reach.
    CSlopeData s = Slope();
    s.KHPiles.push_back(s.KHPiles[0]);
    s.KHPiles[1].nID = 6;
    s.KHPiles[1].PoXian.pts = {{40, 100}, {40, 88}};
    s.nZhuangShu = 2;
    // The surface misses the second: nothing is calculated or written,
    // although the first pile of that name is cut.
    s.CurKHPile = s.KHPiles[1];
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 1), 0);
    EXPECT_EQ(call.Files(), 0);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu + s.KHPiles[1].nKangLiDianShu, 0);
    // The first is cut and its files bear its own id.
    s.CurKHPile = s.KHPiles[0];
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21);
    EXPECT_TRUE(call.Wrote("kl-3-2-5.res") && !call.Wrote("kl-3-2-6.res"));
    // Moved into reach, the second is written under its id, beside the first
    // pile's files, not over them.
    s.KHPiles[1].PoXian.pts = {{1, 100}, {1, 88}};
    s.CurKHPile = s.KHPiles[1];
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 1), 1);
    EXPECT_EQ(s.KHPiles[1].nKangLiDianShu, 21);
    EXPECT_TRUE(call.Wrote("kl-3-2-5.res") && call.Wrote("kl-3-2-6.res"));
    // Each pile is calculated with its own ground, whichever the host's
    // working pile is: the second, with weaker soil in front, gives less.
    s.KHPiles[1].QianCeng = {Soil(3), Soil(20)};
    s.KHPiles[1].QianCeng[1].fNianJuLi = 2, s.KHPiles[1].QianCeng[1].fMoCaJiao = 8;
    s.CurKHPile = s.KHPiles[0];
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 1), 1);
    const std::vector<float> weak = s.KHPiles[1].KangLiZhi;
    s.CurKHPile = s.KHPiles[1];
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 1), 1);
    EXPECT_EQ(s.KHPiles[1].KangLiZhi, weak) << "the working pile's ground was taken";
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    ASSERT_EQ(weak.size(), s.KHPiles[0].KangLiZhi.size());
    EXPECT_LT(weak[weak.size() / 2], s.KHPiles[0].KangLiZhi[weak.size() / 2]);
}

// Two calculations in one process, one after the other and back, each in a
// context of its own: each writes its eight files only into its own folder,
// named by its own scheme and surface, and tells only its own sink; the
// host's globals (a work path that cannot be written, other ids, a sink of
// their own) play no part.
TEST(SlopeSearch, EachContextWritesIntoItsFolderAndTellsItsSink)
{
    SlopeCall host; // scheme 3, surface 2
    G_strWorkPath = "/proc/kangli-no-such-folder/";
    ScopedMessageRecorder process;
    TempDir dirA, dirB;
    std::string toldA, toldB;
    const auto context = [](const TempDir& dir, int scheme, int surface, std::string& told) {
        KangLiContext c;
        c.workPath = dir.path + "/";
        c.schemeId = scheme;
        c.surfaceId = surface;
        c.sink = [&told](const MessageRequest& m) { told += m.text + "\n"; return IDOK; };
        c.drawingWriter = WriteCanvas;
        return c;
    };
    const KangLiContext a = context(dirA, 7, 8, toldA), b = context(dirB, 9, 4, toldB);
    CSlopeData good = Slope(), rockOverSoil = Slope();
    rockOverSoil.KHPiles[0].QianCeng = {Rock(3), Soil(4)};
    rockOverSoil.CurKHPile = rockOverSoil.KHPiles[0];
    EXPECT_EQ(CalculateSlopePile(a, &good, 0), 1);
    EXPECT_EQ(CalculateSlopePile(b, &rockOverSoil, 0), 1); // refused: told, nothing written
    EXPECT_EQ(CalculateSlopePile(b, &good, 0), 1);
    EXPECT_EQ(CalculateSlopePile(a, &good, 0), 1);
    EXPECT_EQ(good.KHPiles[0].nKangLiDianShu, 21);
    for (const auto& [dir, stem] : {std::pair{&dirA, "kl-7-8-5"}, std::pair{&dirB, "kl-9-4-5"}}) {
        const std::set<std::string> names = Names(dir->path);
        EXPECT_EQ(names.size(), 8u) << stem;
        EXPECT_TRUE(names.count(std::string(stem) + ".res")) << stem;
        for (const std::string& name : names)
            EXPECT_EQ(name.rfind(stem, 0), 0u) << name;
    }
    EXPECT_EQ(toldA, "");
    EXPECT_EQ(toldB, "桩 KH1（id 5）：岩层下不能出现土层：第2层为土层，在岩层第1层之下\n抗滑力计算失败 !\nFALSE\n");
    EXPECT_EQ(ToldTexts(process), "");
}

TEST(SlopeSearch, AReviewerRecalculatesWhatTheHostReceived)
{
    SlopeCall call;
    ScopedMessageRecorder rec;
    CSlopeData s = Slope(); // soil under water: underwater values the data file cannot hold
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    CPelvorinData record;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(call.dir.path + "/kl-3-2-5.json", record, &error)) << error;
    EXPECT_FALSE(CheckDataFileKeeps(record, nullptr)); // why the JSON is written beside the data file
    const KangLiCalculation again = CalculateKangLi(record);
    ASSERT_EQ(again.status, 1);
    EXPECT_EQ(again.depth, s.KHPiles[0].KangLiDian);
    EXPECT_EQ(again.final, s.KHPiles[0].KangLiZhi);
    // The record carries the call's own slip depth: where the surface cuts the
    // pile (y = 93 on an axis from 100), the depth the host reads it at; the
    // detailed book names that depth and ends with the host's resistance.
    EXPECT_FLOAT_EQ(record.fHuaMianDaoZhuangDing, 7.0f);
    CSlopeData host = s;
    ASSERT_EQ(CalHMKangLi_KHZ(&host, 0, nullptr, 1), 1);
    const std::string book = ReadText(call.dir.path + "/kl-3-2-5-jss0.rtf");
    char closing[64];
    std::snprintf(closing, sizeof closing, "=\\~%.3fkN/m", host.KHPiles[0].fKangLi);
    EXPECT_NE(book.find(closing), std::string::npos) << closing;
    EXPECT_NE(book.find("7.000\\cell"), std::string::npos);
    // Its header names the pile by name and id (RTF escapes: 桩 KH1（id 5）).
    EXPECT_NE(book.find("\\u26729? KH1\\u-248?id 5\\u-247?"), std::string::npos) << book.substr(0, 600);
}

// In one work folder, one key after another: the .res names exactly the files
// its call wrote (the JSON among them), the results never depend on the files
// asked for, and a narrower choice, a refused pile or a surface that no longer
// reaches the pile leaves nothing of an earlier call behind.
TEST(SlopeSearch, EachCallsFilesAreTheWholeSetOfItsKey)
{
    SlopeCall call;
    ScopedMessageRecorder rec;
    const std::string all = "KANGLI-RES kl\nkl-3-2-5\nkl-3-2-5.dat\nkl-3-2-5.json\nkl-3-2-5-jt0.dxf\nkl-3-2-5-jt1.dxf\n"
                            "kl-3-2-5-jt2.dxf\nkl-3-2-5-jss0.rtf\nkl-3-2-5-jss1.rtf\n";
    const struct { const char* what; int files; float spacing, radius; int returned, points; std::string res; } steps[] = {
        // res: the result file's text, "" for an empty folder
        {"every file", kKangLiWenJianAll, 6, 20, 1, 21, all},
        {"results only, another spacing", kKangLiWenJianResult, 3, 20, 1, 21, "KANGLI-RES kl\nkl-3-2-5\n"},
        {"no file", kKangLiWenJianNone, 3, 20, 1, 21, ""},
        {"every file again", kKangLiWenJianAll, 4, 20, 1, 21, all},
        {"spacing 0: refused", kKangLiWenJianAll, 0, 20, 1, 0, ""},
        {"every file again", kKangLiWenJianAll, 4, 20, 1, 21, all},
        {"a circle far above the pile: missed", kKangLiWenJianAll, 4, 5, 0, 21, ""},
    };
    CSlopeData s = Slope();
    for (const auto& step : steps) {
        s.nKangLiWenJian = step.files;
        s.KHPiles[0].fJianJu = step.spacing;
        s.CurKHPile = s.KHPiles[0];
        s.CurSurface.fR = step.radius;
        EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), step.returned) << step.what;
        if (step.returned == 1) { // a miss hands nothing back: the host knows by the 0
            EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, step.points) << step.what;
        }
        EXPECT_EQ(ReadText(call.dir.path + "/kl-3-2-5.res"), step.res) << step.what;
        std::set<std::string> files; // the result file, and those it lists after the mark and the stem
        std::istringstream lines(step.res);
        for (std::string name; std::getline(lines, name);)
            if (name.find('.') != std::string::npos)
                files.insert(name);
        if (!step.res.empty())
            files.insert("kl-3-2-5.res");
        EXPECT_EQ(Names(call.dir.path), files) << step.what;
    }
}

// Where a slip surface cuts the pile (axis from y = 100 down to 88, at x = 0),
// worked out by hand, and where it does not: a polyline cuts where it crosses
// the axis, within both (never lengthened), and a circle by its half below
// its centre.
TEST(SlopeSearch, ASurfaceCutsThePileWhereItCrossesItsAxis)
{
    SlopeCall call;
    ScopedMessageRecorder rec;
    const struct { const char* what; CSlp_Surface surface; float depth; /* < 0: no cut */ } cases[] = {
        // A V whose vertex lies 5 cm past the axis: the first leg crosses at
        // y = 95 - 5 * 10 / 10.05; the second leg does not reach the axis.
        {"a kink beside the axis", Polyline({{-10, 95}, {0.05f, 90}, {10, 95}}), 100 - (95 - 5 * 10 / 10.05f)},
        {"a polyline 5 cm below the foot", Polyline({{-10, 87.95f}, {10, 87.95f}}), -1},
        {"a polyline ending 8 cm short of the axis", Polyline({{-10, 93}, {-0.08f, 93}}), -1},
        {"a polyline ending 8 cm past it", Polyline({{-10, 93}, {0.08f, 93}}), 7},
        {"a circle's upper half", Circle(0, 80, 14), -1},
        {"a circle's lower half", Circle(0, 113, 20), 7},
    };
    for (const auto& c : cases) {
        CSlopeData s = Slope();
        s.CurSurface = c.surface;
        float depth = -1;
        const bool cut = SlipSurfaceCutsPile(s.KHPiles[0], s.CurSurface, &depth);
        EXPECT_EQ(cut, c.depth >= 0) << c.what;
        // The module calls exactly those a cut, and its record takes exactly
        // the depth the host reads the resistance at.
        EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), c.depth >= 0 ? 1 : 0) << c.what;
        if (cut && c.depth >= 0) {
            EXPECT_NEAR(depth, c.depth, 1e-4) << c.what;
            CPelvorinData record;
            std::string error;
            ASSERT_TRUE(LoadRecordFile(call.dir.path + "/kl-3-2-5.json", record, &error)) << error;
            EXPECT_EQ(record.fHuaMianDaoZhuangDing, depth) << c.what;
        }
    }
}

// On a disk that takes 4 KB a file the small files would fit, the books and
// diagrams not: the pile still gets its resistance, the earlier set stays
// whole, one line names the folder, the system's reason and every file, and
// kangli-host says so and fails.
TEST(SlopeSearch, ARunThatCannotWriteItsFilesLeavesTheEarlierSetWholeAndNamesEveryFile)
{
    SlopeCall call;
    ScopedMessageRecorder rec;
    CSlopeData s = Slope();
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    std::map<std::string, std::string> before;
    for (const std::string& name : Names(call.dir.path))
        before[name] = ReadText(call.dir.path + "/" + name);
    ASSERT_EQ(before.size(), 8u);

    s.KHPiles[0].fJianJu = 4; // the same pile at another spacing
    TempDir hostWork;
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = JiSuan_KangLi_Slp(&s, 0);
    const HostProgram host(ShellQuoted(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json") + " " + ShellQuoted(hostWork.path));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21);
    const std::string told = ToldTexts(rec);
    EXPECT_EQ(told.rfind("文件未能写出 8 个：" + G_strWorkPath + "（cannot write the file: File too large）：", 0), 0u) << told;
    EXPECT_EQ(told.find("文件未能写出", 1), std::string::npos) << told; // one line for the call
    for (const auto& [name, text] : before) {
        EXPECT_NE(told.find(name), std::string::npos) << name << "\n" << told;
        EXPECT_EQ(ReadText(call.dir.path + "/" + name), text) << name;
    }
    EXPECT_EQ(Names(call.dir.path).size(), before.size()); // nothing staged is left behind
    EXPECT_EQ(host.status, 1) << host.out << host.err;
    EXPECT_NE((host.out + host.err).find("files not written"), std::string::npos) << host.out << host.err;
    EXPECT_NE(host.out.find("resistance 360.549"), std::string::npos) << host.out; // the pile still got it
}

TEST(SlopeSearch, DialogSlopeModeOnAScreenlessPlatformReturnsAndSaysWhy)
{
    // A host without a window system of its own, run offscreen: nobody could
    // answer the frame, so it must not wait for anyone.
    TempDir dir;
    const std::string out = dir.path + "/out.txt";
    const int raw = std::system(("QT_QPA_PLATFORM=offscreen timeout 60 '" KANGLI_HOST_EXE "' --dialog '" + dir.path +
                                 "' '" KANGLI_MODULE "' >'" + out + "' 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) != 124) << "still waiting after 60 s";
    const std::string text = ReadText(out);
    EXPECT_NE(text.find("JiSuan_KangLi_Slp_New = 0"), std::string::npos) << text;
    EXPECT_NE(text.find("没有屏幕，无法打开计算对话框"), std::string::npos) << text;
}
