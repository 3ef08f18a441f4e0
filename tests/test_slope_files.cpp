// Slope mode as a host's search meets it: the pile at the index is the pile
// calculated and named, the files a host asks for, and files a reviewer can
// recalculate.
#include "KangLi.h"
#include "KangLiCore.h"
#include "Messages.h"
#include "RecordJson.h"
#include "SlopeData.h"
#include "TestFiles.h"
#include "TestSlope.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/resource.h>

#include <filesystem>
#include <map>
#include <set>

namespace {

struct Work {
    TempWorkPath dir; // the work path while it lives
    Work()
    {
        g_lCurFAID = 3;
        g_lCurHMID = 2;
    }
    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(dir.path))
            names.insert(e.path().filename().string());
        return names;
    }
};

std::string Told(const ScopedMessageRecorder& rec)
{
    std::string all;
    for (const MessageRequest& m : rec.messages)
        all += m.text + "\n";
    return all;
}

// Two piles named alike: KH1 (id 5) on the axis x = 0, and a second KH1 (id 6)
// 40 m away, which the slip circle about (0, 113) with r = 20 does not reach.
CSlopeData TwoPilesOfOneName()
{
    CSlopeData s = Slope();
    CSlp_KHPile far = s.KHPiles[0];
    far.nID = 6;
    far.PoXian.pts = {{40, 100}, {40, 88}};
    s.KHPiles.push_back(far);
    s.nZhuangShu = 2;
    return s;
}

} // namespace

TEST(SlopeSearch, ThePileAtTheIndexIsThePileCutAndNamed)
{
    Work work;
    ScopedMessageRecorder rec;
    CSlopeData s = TwoPilesOfOneName();
    s.CurKHPile = s.KHPiles[1];
    // The surface misses the second pile: nothing is calculated or written,
    // although the first pile of that name is cut.
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 1), 0);
    EXPECT_TRUE(work.Files().empty());
    EXPECT_EQ(s.KHPiles[1].nKangLiDianShu, 0);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0);

    // The first pile is cut and its files bear its own id.
    s.CurKHPile = s.KHPiles[0];
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21);
    EXPECT_TRUE(work.Files().count("kl-3-2-5.res"));
    EXPECT_FALSE(work.Files().count("kl-3-2-6.res"));

    // Moved into reach, the second pile is written under its id, beside the
    // first pile's files, not over them.
    s.KHPiles[1].PoXian.pts = {{1, 100}, {1, 88}};
    s.CurKHPile = s.KHPiles[1];
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 1), 1);
    EXPECT_EQ(s.KHPiles[1].nKangLiDianShu, 21);
    EXPECT_TRUE(work.Files().count("kl-3-2-5.res"));
    EXPECT_TRUE(work.Files().count("kl-3-2-6.res"));

    // Each pile of a shared name is calculated with its own ground, whichever
    // the host's working pile is: the second, with weaker soil in front, gives
    // less than the first with the first as the working pile.
    s.KHPiles[1].QianCeng = {Soil(3), Soil(20)};
    s.KHPiles[1].QianCeng[1].fNianJuLi = 2;
    s.KHPiles[1].QianCeng[1].fMoCaJiao = 8;
    s.CurKHPile = s.KHPiles[0];
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 1), 1);
    const std::vector<float> weak = s.KHPiles[1].KangLiZhi;
    s.CurKHPile = s.KHPiles[1];
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 1), 1);
    EXPECT_EQ(s.KHPiles[1].KangLiZhi, weak) << "the working pile's ground was taken";
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    ASSERT_EQ(weak.size(), s.KHPiles[0].KangLiZhi.size());
    EXPECT_LT(weak[weak.size() / 2], s.KHPiles[0].KangLiZhi[weak.size() / 2]);

    // A pile at the index that is not the pile the host names is not calculated.
    s.strCurKHPile = "KH7";
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 0);
    HideJsxx();
}

TEST(SlopeSearch, AReviewerRecalculatesWhatTheHostReceived)
{
    Work work;
    ScopedMessageRecorder rec;
    CSlopeData s = Slope(); // soil under water: underwater values the data file cannot hold
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    const CSlp_KHPile& pile = s.KHPiles[0];
    ASSERT_EQ(pile.nKangLiDianShu, 21);
    ASSERT_TRUE(work.Files().count("kl-3-2-5.json"));
    CPelvorinData record;
    std::string error;
    ASSERT_TRUE(LoadRecordFile(work.dir.path + "/kl-3-2-5.json", record, &error)) << error;
    const KangLiCalculation again = CalculateKangLi(record);
    ASSERT_EQ(again.status, 1);
    ASSERT_EQ(again.final.size(), pile.KangLiZhi.size());
    for (size_t i = 0; i < again.final.size(); ++i) {
        EXPECT_EQ(again.depth[i], pile.KangLiDian[i]) << i;
        EXPECT_EQ(again.final[i], pile.KangLiZhi[i]) << i;
    }
    // The record carries the call's own slip depth: where the surface cuts the
    // pile (y = 93 on an axis from 100), the depth the host reads it at; the
    // detailed book names that depth and ends with the host's resistance.
    EXPECT_FLOAT_EQ(record.fHuaMianDaoZhuangDing, 7.0f);
    CSlopeData host = s;
    ASSERT_EQ(CalHMKangLi_KHZ(&host, 0, nullptr, 1), 1);
    const std::string book = ReadText(work.dir.path + "/kl-3-2-5-jss0.rtf");
    char closing[64];
    std::snprintf(closing, sizeof closing, "=\\~%.3fkN/m", host.KHPiles[0].fKangLi);
    EXPECT_NE(book.find(closing), std::string::npos) << closing;
    EXPECT_NE(book.find("7.000\\cell"), std::string::npos);
    // Its header names the pile by name and id (RTF escapes: 桩 KH1（id 5）).
    EXPECT_NE(book.find("\\u26729? KH1\\u-248?id 5\\u-247?"), std::string::npos) << book.substr(0, 600);
    // The data file alone would not give them: that is why the JSON is there.
    CPelvorinData fromData;
    ASSERT_TRUE(LoadRecordFile(work.dir.path + "/kl-3-2-5.dat", fromData, &error)) << error;
    EXPECT_FALSE(CheckDataFileKeeps(record, nullptr));
}

TEST(SlopeSearch, TheHostChoosesTheFiles)
{
    for (const int files : {kKangLiWenJianNone, kKangLiWenJianResult, kKangLiWenJianAll}) {
        Work work;
        ScopedMessageRecorder rec;
        CSlopeData s = Slope();
        s.nKangLiWenJian = files;
        ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
        EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21) << files; // the results never depend on the files
        const std::set<std::string> names = work.Files();
        if (files == kKangLiWenJianNone) {
            EXPECT_TRUE(names.empty());
        } else if (files == kKangLiWenJianResult) {
            EXPECT_EQ(names, std::set<std::string>{"kl-3-2-5.res"});
        } else {
            EXPECT_EQ(names, (std::set<std::string>{"kl-3-2-5.dat", "kl-3-2-5.json", "kl-3-2-5-jt0.dxf",
                                                    "kl-3-2-5-jt1.dxf", "kl-3-2-5-jt2.dxf", "kl-3-2-5-jss0.rtf",
                                                    "kl-3-2-5-jss1.rtf", "kl-3-2-5.res"}));
        }
        EXPECT_TRUE(rec.messages.empty()) << Told(rec);
    }
}

// In one work folder, one key after another: the .res names exactly the files
// its call wrote (the JSON among them), and a narrower choice of files or a
// refused pile leaves nothing of the earlier call behind.
TEST(SlopeSearch, EachCallsFilesAreTheWholeSetOfItsKey)
{
    Work work;
    ScopedMessageRecorder rec;
    CSlopeData s = Slope();
    s.nKangLiWenJian = kKangLiWenJianAll;
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_EQ(ReadText(work.dir.path + "/kl-3-2-5.res"),
              "KANGLI-RES kl\nkl-3-2-5\nkl-3-2-5.dat\nkl-3-2-5.json\nkl-3-2-5-jt0.dxf\nkl-3-2-5-jt1.dxf\n"
              "kl-3-2-5-jt2.dxf\nkl-3-2-5-jss0.rtf\nkl-3-2-5-jss1.rtf\n");

    s.nKangLiWenJian = kKangLiWenJianResult;
    s.KHPiles[0].fJianJu = 3; // another spacing: the earlier books describe another pile
    s.CurKHPile = s.KHPiles[0];
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_EQ(work.Files(), std::set<std::string>{"kl-3-2-5.res"});
    EXPECT_EQ(ReadText(work.dir.path + "/kl-3-2-5.res"), "KANGLI-RES kl\nkl-3-2-5\n");

    s.nKangLiWenJian = kKangLiWenJianAll;
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    ASSERT_EQ(work.Files().size(), 8u);
    s.KHPiles[0].fJianJu = 0; // no pile can be: refused
    s.CurKHPile = s.KHPiles[0];
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0);
    EXPECT_TRUE(work.Files().empty()) << *work.Files().begin();

    // A surface that no longer reaches the pile: a miss, and no file of the
    // key's earlier cut stays.
    s.KHPiles[0].fJianJu = 4;
    s.CurKHPile = s.KHPiles[0];
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    ASSERT_EQ(work.Files().size(), 8u);
    s.CurSurface.fR = 5; // far above the pile
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 0);
    EXPECT_TRUE(work.Files().empty()) << *work.Files().begin();
    HideJsxx();
}

// Where a slip surface cuts the pile (axis from y = 100 down to 88, at x = 0),
// worked out by hand, and where it does not: a polyline cuts where it crosses
// the axis, within both (never lengthened), and a circle by its part below
// its centre.
TEST(SlopeSearch, ASurfaceCutsThePileWhereItCrossesItsAxis)
{
    Work work;
    ScopedMessageRecorder rec;
    auto polyline = [](std::vector<CFPoint> points) {
        CSlp_Surface s;
        s.nHuaMianLeiXing = 1;
        s.PoXian.pts = std::move(points);
        return s;
    };
    auto circle = [](float x, float y, float r) {
        CSlp_Surface s;
        s.nHuaMianLeiXing = 0;
        s.fX = x;
        s.fY = y;
        s.fR = r;
        return s;
    };
    struct Case {
        const char* what;
        CSlp_Surface surface;
        float depth; // < 0: no cut
    } cases[] = {
        // A V whose vertex lies 5 cm past the axis: the first leg crosses at
        // y = 95 - 5 * 10 / 10.05; the second leg does not reach the axis.
        {"a kink beside the axis", polyline({{-10, 95}, {0.05f, 90}, {10, 95}}), 100 - (95 - 5 * 10 / 10.05f)},
        {"a polyline 5 cm below the foot", polyline({{-10, 87.95f}, {10, 87.95f}}), -1},
        {"a polyline ending 8 cm short of the axis", polyline({{-10, 93}, {-0.08f, 93}}), -1},
        {"a polyline ending 8 cm past it", polyline({{-10, 93}, {0.08f, 93}}), 7},
        {"a circle's upper half", circle(0, 80, 14), -1},
        {"a circle's lower half", circle(0, 113, 20), 7},
    };
    for (const Case& c : cases) {
        CSlopeData s = Slope();
        s.CurSurface = c.surface;
        float depth = -1;
        const bool cut = SlipSurfaceCutsPile(s.KHPiles[0], s.CurSurface, &depth);
        EXPECT_EQ(cut, c.depth >= 0) << c.what;
        if (cut && c.depth >= 0) {
            EXPECT_NEAR(depth, c.depth, 1e-4) << c.what;
        }
        // The module calls exactly those a cut, and writes that depth.
        EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), c.depth >= 0 ? 1 : 0) << c.what;
        if (c.depth >= 0) {
            CPelvorinData record;
            std::string error;
            ASSERT_TRUE(LoadRecordFile(work.dir.path + "/kl-3-2-5.json", record, &error)) << error;
            // Exactly the depth the host reads its resistance at.
            EXPECT_EQ(record.fHuaMianDaoZhuangDing, depth) << c.what;
        }
    }
}

TEST(SlopeSearch, ARunThatCannotWriteItsFilesLeavesTheEarlierSetWholeAndNamesEveryFile)
{
    Work work;
    ScopedMessageRecorder rec;
    CSlopeData s = Slope();
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    std::map<std::string, std::string> before;
    for (const std::string& name : work.Files())
        before[name] = ReadText(work.dir.path + "/" + name);
    ASSERT_EQ(before.size(), 8u);

    // The same pile at another spacing, on a disk that takes 4 KB a file: the
    // small files would fit, the books and diagrams not.
    s.KHPiles[0].fJianJu = 4;
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = JiSuan_KangLi_Slp(&s, 0);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21); // the pile still gets its resistance

    // One line for the call: how many, the folder, the system's reason, and
    // every file by name.
    std::vector<std::string> unwritten;
    for (const MessageRequest& m : rec.messages)
        if (m.text.rfind("文件未能写出", 0) == 0)
            unwritten.push_back(m.text);
    ASSERT_EQ(unwritten.size(), 1u) << Told(rec);
    EXPECT_EQ(unwritten[0].rfind("文件未能写出 8 个：" + G_strWorkPath + "（cannot write the file: File too large）：", 0), 0u) << unwritten[0];
    for (const auto& [name, text] : before) {
        EXPECT_NE(unwritten[0].find(name), std::string::npos) << name << "\n" << unwritten[0];
        EXPECT_EQ(ReadText(work.dir.path + "/" + name), text) << name; // the earlier set, whole
    }
    EXPECT_EQ(work.Files().size(), before.size()); // nothing staged is left behind
    HideJsxx();
}

TEST(SlopeSearch, DialogSlopeModeOnAScreenlessPlatformReturnsAndSaysWhy)
{
    // A host without a window system of its own, run offscreen: nobody could
    // answer the frame, so it must not wait for anyone.
    TempDir dir;
    const std::string out = dir.path + "/out.txt";
    const std::string cmd = "QT_QPA_PLATFORM=offscreen timeout 60 '" KANGLI_HOST_EXE "' --dialog '" + dir.path +
                            "' '" KANGLI_MODULE "' >'" + out + "' 2>&1";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_NE(WEXITSTATUS(raw), 124) << "still waiting after 60 s";
    const std::string text = ReadText(out);
    EXPECT_NE(text.find("JiSuan_KangLi_Slp_New = 0"), std::string::npos) << text;
    EXPECT_NE(text.find("没有屏幕，无法打开计算对话框"), std::string::npos) << text;
}

namespace {

// kangli-host with the real module over a model written here: its output and
// exit status.
struct HostRun {
    int status = -1;
    std::string out;
};

HostRun RunHost(const std::string& model, const std::string& work, const std::string& extra,
                const std::string& shell = "")
{
    TempDir dir;
    const std::string out = dir.path + "/out.txt";
    const std::string cmd = "(" + shell + " exec '" KANGLI_HOST_EXE "' '" + model + "' '" + work + "' --module '" KANGLI_MODULE "' " +
                            extra + ") >'" + out + "' 2>&1";
    const int raw = std::system(cmd.c_str());
    HostRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = ReadText(out);
    return r;
}

// The bundled circle that cuts pile KH1 (id 5) 8 m below its top, with a
// second pile of the same name (id 6) 40 m away, out of the circle's reach.
std::string TwoPilesOfOneNameModel(const std::string& dir)
{
    std::string text = ReadText(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json");
    nlohmann::json doc = nlohmann::json::parse(text);
    nlohmann::json far = doc["piles"][0];
    far["id"] = 6;
    far["axis"] = nlohmann::json::array({nlohmann::json::array({40, 100.0}), nlohmann::json::array({40, 84.0})});
    doc["piles"].push_back(far);
    const std::string path = dir + "/two.json";
    WriteText(path, doc.dump(2));
    return path;
}

} // namespace

TEST(SlopeSearch, TheHostsSearchCalculatesThePileTheSurfaceCuts)
{
    TempDir dir;
    const std::string model = TwoPilesOfOneNameModel(dir.path);
    const HostRun run = RunHost(model, dir.path + "/work", "");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("2 calls: 1 calculated, 0 refused, 1 missed"), std::string::npos) << run.out;
    std::set<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(dir.path + "/work"))
        names.insert(e.path().filename().string());
    EXPECT_TRUE(names.count("kl-1-1-5.res")) << run.out;
    for (const std::string& n : names)
        EXPECT_EQ(n.find("kl-1-1-6"), std::string::npos) << n; // the missed pile wrote nothing

    // With no files asked for, the host still gets its resistance.
    const HostRun none = RunHost(model, dir.path + "/none", "--files none");
    EXPECT_EQ(none.status, 0) << none.out;
    EXPECT_NE(none.out.find("resistance"), std::string::npos) << none.out;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path + "/none"));
}

TEST(SlopeSearch, AHostRunWhoseFilesCannotBeWrittenSaysSoAndFails)
{
    TempDir dir;
    // A file-size limit of a few kilobytes: the books and diagrams do not fit.
    const HostRun run = RunHost(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json", dir.path + "/work", "",
                                "ulimit -f 8;");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("文件未能写出"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("files not written"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("resistance 360.549"), std::string::npos) << run.out; // the pile still got it
}
