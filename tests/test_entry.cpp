// Slope mode through the exported entry points, as a host calls them.
#include "KangLi.h"
#include "Messages.h"
#include "SafeFile.h"
#include "SlopeData.h"
#include "SlopeJson.h"
#include "TestSlope.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <dlfcn.h>
#include <limits>

namespace {

struct WorkDir {
    TempWorkPath dir; // the work path while it lives
    WorkDir()
    {
        g_lCurFAID = 3;
        g_lCurHMID = 2;
    }
    int Files() const
    {
        int n = 0;
        for (auto& e : std::filesystem::directory_iterator(dir.path)) {
            (void)e;
            ++n;
        }
        return n;
    }
};

} // namespace

TEST(SlopeMode, CalculatesWritesAndHandsBack)
{
    WorkDir work;
    CSlopeData s = Slope();
    ScopedMessageRecorder rec;
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_TRUE(rec.messages.empty()); // success is told only when the record asks
    for (const char* name : {"kl-3-2-5.dat", "kl-3-2-5.res", "kl-3-2-5-jt0.dxf", "kl-3-2-5-jt1.dxf",
                             "kl-3-2-5-jt2.dxf", "kl-3-2-5-jss0.rtf", "kl-3-2-5-jss1.rtf"})
        EXPECT_EQ(if_file_exist((work.dir.path + "/" + name).c_str()), 1) << name;
    EXPECT_EQ(G_strWorkPath, work.dir.path + "/"); // left as it was
    const CSlp_KHPile& p = s.KHPiles[0];
    EXPECT_EQ(p.nKangLiDianShu, 21); // a 12 m pile: steps of 0.6 m
    ASSERT_EQ(p.KangLiDian.size(), 21u);
    EXPECT_FLOAT_EQ(p.KangLiDian.front(), 12.0f);
    EXPECT_FLOAT_EQ(p.KangLiDian.back(), 0.0f);
    EXPECT_GT(p.KangLiZhi.back(), 0.0f);
    EXPECT_EQ(JiSuan_KangLi(), 1);
}

TEST(SlopeMode, NothingIsCalculatedWithoutAPileToCut)
{
    WorkDir work;
    CSlopeData s = Slope();
    ScopedMessageRecorder rec;
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 1), 0);  // index equal to the count
    EXPECT_EQ(JiSuan_KangLi_Slp(nullptr, 0), 0);
    s.nZhuangShu = 4; // more than the list holds: only the piles that exist count
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 2), 0);
    s.CurSurface.fY = 140; // the circle misses the axis
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 0);
    s.CurSurface.nHuaMianLeiXing = 1; // a polyline beside the pile
    s.CurSurface.PoXian.pts = {{5, 90}, {20, 80}};
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 0);
    s = Slope();
    s.KHPiles[0].nID = 0; // a pile with id 0 is never calculated
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 0);
    EXPECT_EQ(work.Files(), 0);
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0);

    // A surface kind without a cut test: calculated when the pile id is at least 1.
    s = Slope();
    s.CurSurface.nHuaMianLeiXing = 2;
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_GT(work.Files(), 0);
}

TEST(SlopeMode, AFailedCalculationStillReturnsOneAndClearsThePile)
{
    WorkDir work;
    CSlopeData s = Slope();
    s.KHPiles[0].nKangLiDianShu = 3;
    s.KHPiles[0].KangLiDian = {1, 2, 3};
    s.KHPiles[0].KangLiZhi = {1, 2, 3};
    s.KHPiles[0].QianCeng = {Rock(3), Soil(4)}; // rock over soil, in front of the pile calculated
    s.CurKHPile = s.KHPiles[0];
    ScopedMessageRecorder rec;
    HideJsxx();
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    std::vector<std::string> texts;
    for (const MessageRequest& m : rec.messages)
        texts.push_back(m.text);
    // Soil under rock is told once, naming the pile and the layers; then the
    // failure (in the information window the refusal opened).
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "桩 KH1（id 5）：岩层下不能出现土层：第2层为土层，在岩层第1层之下");
    EXPECT_EQ(texts[1], "抗滑力计算失败 !");
    EXPECT_EQ(rec.messages[1].code, 201);
    EXPECT_EQ(texts[2], "FALSE");
    EXPECT_EQ(work.Files(), 0);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0);
    EXPECT_TRUE(s.KHPiles[0].KangLiZhi.empty());
    HideJsxx();
}

TEST(SlopeMode, AHostLoadsTheModule)
{
    TempDir dir;
    TempDir out;
    int raw = std::system(("'" KANGLI_HOST_EXE "' '" + dir.path + "' '" KANGLI_MODULE "' > '" +
                           out.path + "/out' 2>&1")
                              .c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0) << ReadText(out.path + "/out");
    const std::string text = ReadText(out.path + "/out");
    EXPECT_NE(text.find("JiSuan_KangLi_Slp = 1\npile KH1 (id 5): 21 points\n"), std::string::npos) << text;
    EXPECT_NE(text.find("   15.20 m     220.336 kN/m\n"), std::string::npos) << text;
    EXPECT_EQ(if_file_exist((dir.path + "/kl-3-2-5-jss0.rtf").c_str()), 1);
}

namespace {

// JiSuan_KangLi_Slp as a host finds it: through dlopen and dlsym.
using SlopeModeFn = int (*)(CSlopeData*, int);
SlopeModeFn LoadedSlopeMode()
{
    void* handle = ::dlopen(KANGLI_MODULE, RTLD_NOW);
    return handle ? reinterpret_cast<SlopeModeFn>(::dlsym(handle, "JiSuan_KangLi_Slp")) : nullptr;
}

std::string AllTexts(const ScopedMessageRecorder& rec)
{
    std::string all;
    for (const MessageRequest& m : rec.messages)
        all += m.text + "\n";
    return all;
}

} // namespace

TEST(SlopeMode, APileNoPileCanBeGetsNoPointsAndTheFailureIsTold)
{
    SlopeModeFn slopeMode = LoadedSlopeMode();
    ASSERT_NE(slopeMode, nullptr) << ::dlerror();
    WorkDir work;
    CSlopeData s = Slope();
    s.KHPiles[0].fJianJu = 0; // would divide by zero
    s.KHPiles[0].nKangLiDianShu = 3;
    s.KHPiles[0].KangLiDian = {1, 2, 3};
    s.KHPiles[0].KangLiZhi = {1, 2, 3};
    ScopedMessageRecorder rec;
    HideJsxx();
    EXPECT_EQ(slopeMode(&s, 0), 1); // a calculation was attempted
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0);
    EXPECT_TRUE(s.KHPiles[0].KangLiZhi.empty());
    const std::string told = AllTexts(rec);
    EXPECT_NE(told.find("“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0"), std::string::npos) << told;
    EXPECT_NE(told.find("抗滑力计算失败 !"), std::string::npos) << told;
    EXPECT_EQ(work.Files(), 0);
    HideJsxx();
}

TEST(SlopeMode, NoAbsurdPileHandsANonFiniteNumberBack)
{
    SlopeModeFn slopeMode = LoadedSlopeMode();
    ASSERT_NE(slopeMode, nullptr);
    WorkDir work;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (float v : {nan, inf, -inf, 0.0f, -1.0f, 1e-30f, 1e30f, 3.4e38f}) {
        for (int field = 0; field < 5; ++field) {
            CSlopeData s = Slope();
            CSlp_KHPile& p = s.KHPiles[0];
            float* target[5] = {&p.fJianJu, &p.fKuan, &p.fGao, &p.fRongZhong, &p.fChang};
            *target[field] = v;
            ScopedMessageRecorder rec;
            slopeMode(&s, 0);
            for (float r : s.KHPiles[0].KangLiZhi)
                ASSERT_TRUE(std::isfinite(r)) << "field " << field << " = " << v;
            for (float z : s.KHPiles[0].KangLiDian)
                ASSERT_TRUE(std::isfinite(z)) << "field " << field << " = " << v;
        }
    }
}

TEST(SlopeMode, APileShorterThanTheDefaultSlipDepthIsStillCalculated)
{
    WorkDir work;
    CSlopeData s = Slope();
    // A 4 m pile: the record's slip-surface depth keeps its default 5 m, below
    // the foot; slope mode does not take it from the model, so it refuses
    // nothing, and the detailed book is written for that depth.
    s.KHPiles[0].fChang = 4;
    s.KHPiles[0].PoXian.pts = {{0, 100}, {0, 96}};
    s.CurSurface.nHuaMianLeiXing = 2; // a surface kind without a cut test
    ScopedMessageRecorder rec;
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_TRUE(rec.messages.empty()) << AllTexts(rec);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21);
    EXPECT_FLOAT_EQ(s.KHPiles[0].KangLiDian.front(), 4.0f);
    EXPECT_EQ(if_file_exist((work.dir.path + "/kl-3-2-5-jss0.rtf").c_str()), 1);
}

TEST(SlopeMode, AWorkPathThatCannotBeWrittenIsToldAndThePileStillGetsItsResults)
{
    WorkDir work;
    G_strWorkPath = work.dir.path + "/missing/folder/";
    CSlopeData s = Slope();
    ScopedMessageRecorder rec;
    HideJsxx();
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21);
    const std::string told = AllTexts(rec);
    // One line: how many, the folder and the system's reason, every file by name.
    EXPECT_NE(told.find("文件未能写出 8 个：" + G_strWorkPath +
                        "（cannot write into the folder: No such file or directory）："),
              std::string::npos)
        << told;
    for (const char* name : {"kl-3-2-5.dat", "kl-3-2-5-jt0.dxf", "kl-3-2-5-jt2.dxf", "kl-3-2-5-jss0.rtf",
                             "kl-3-2-5-jss1.rtf", "kl-3-2-5.res"})
        EXPECT_NE(told.find(name), std::string::npos) << name << "\n" << told;
    HideJsxx();
}

namespace {

// Resident memory of this process in KiB.
[[maybe_unused]] long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

} // namespace

TEST(SlopeMode, ALongSearchKeepsItsMemoryFlat)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine";
#else
    // A host's search calls slope mode for every surface and pile: 10,000 calls
    // must not grow the module's memory with what each call drew.
    WorkDir work;
    G_strWorkPath = "/proc/kangli-no-such-folder/"; // nothing written: only the memory counts
    CSlopeData s = Slope();
    const MessageSink previous = SetMessageSink([](const MessageRequest&) { return IDOK; });
    struct Restore {
        MessageSink sink;
        ~Restore() { SetMessageSink(std::move(sink)); }
    } restore{previous};
    int surface = 0;
    auto calls = [&s, &surface](int n) {
        for (int i = 0; i < n; ++i) {
            g_lCurHMID = ++surface; // each surface of the search names its own files
            CSlopeData copy = s;
            if (JiSuan_KangLi_Slp(&copy, 0) != 1 || copy.KHPiles[0].nKangLiDianShu != 21)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(calls(1000)); // allocator and font caches settle
    const long settled = ResidentKiB();
    ASSERT_GT(settled, 0);
    ASSERT_TRUE(calls(9000));
    const long grown = ResidentKiB() - settled;
    // What each call drew used to stay for the life of the process: 55 KB a
    // call, half a gigabyte over these calls.
    EXPECT_LT(grown, 8 * 1024) << "KiB grown over 9,000 calls";
    HideJsxx();
#endif
}

// ---------------------------------------------------------------- model files

TEST(SlopeModelFile, RoundTripAndRefusalsByKey)
{
    SlopeModelFile model;
    std::string error;
    ASSERT_TRUE(LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/search-200-surfaces.json", model, &error)) << error;
    EXPECT_EQ(model.slope.KHPiles.size(), 2u);
    EXPECT_EQ(model.surfaces.size(), 200u);
    EXPECT_EQ(model.slope.strCurKHPile, "KH1");
    EXPECT_EQ(model.slope.KHPiles[0].QianCeng.size(), 3u);
    EXPECT_EQ(model.slope.KHPiles[0].QianCeng[2].nYanTu, 1);
    const std::string once = SlopeModelToJson(model);
    SlopeModelFile again;
    ASSERT_TRUE(SlopeModelFromJson(once, again, &error)) << error;
    EXPECT_EQ(SlopeModelToJson(again), once);

    const std::pair<const char*, const char*> bad[] = {
        {R"({"piles": [{"layers": [{}, {"friction": "steep"}]}]})",
         "key \"piles[0].layers[1].friction\": expected a number, found string"},
        {R"({"piles": [{"spacing": 1e300}]})", "key \"piles[0].spacing\": number out of range"},
        {R"({"surfaces": [{"kind": "ellipse"}]})", "key \"surfaces[0].kind\": expected \"circle\" or \"polyline\""},
        {R"({"piles": [{"axis": [[0, 1, 2]]}]})", "key \"piles[0].axis[0]\": expected [x, y]"},
        {R"({"pile": []})", "key \"pile\": unknown key"},
        {R"({"piles": [)", "parse error"},
    };
    for (const auto& [text, hint] : bad) {
        EXPECT_FALSE(SlopeModelFromJson(text, again, &error)) << text;
        EXPECT_NE(error.find(hint), std::string::npos) << text << "\n" << error;
    }
}

TEST(SlopeModelFile, TheHostRunsTheExamplesAsASearchDoes)
{
    struct Case {
        const char* model;
        const char* expected;
        int files;
    };
    // Worked by hand: the circle about (0, 117) with r = 25 meets the axis x = 0
    // at y = 92, and the polyline from (-10, 96) to (10, 88) at y = 92 as well:
    // 8 m below the pile top at 100, where the pile section governs (360.549).
    // Eight files: the data file, its JSON record (the underwater values), three
    // diagrams, two books and the result file.
    const Case cases[] = {
        {"circle-cuts-pile", "surface 1, pile KH1 (id 5): 1, cut 8.00 m below the top, resistance 360.549 kN/m (21 points)", 8},
        {"polyline-cuts-pile", "surface 1, pile KH1 (id 5): 1, cut 8.00 m below the top, resistance 360.549 kN/m (21 points)", 8},
        {"surface-misses-pile", "surface 1, pile KH1 (id 5): 0, the surface does not cut the pile", 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string work = dir.path + "/work", out = dir.path + "/out.txt";
        const std::string cmd = "'" KANGLI_HOST_EXE "' '" KANGLI_EXAMPLES_DIR "/slope/" + std::string(c.model) +
                                ".json' '" + work + "' --module '" KANGLI_MODULE "' --save '" + dir.path +
                                "/saved.json' >'" + out + "' 2>&1";
        const int raw = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(raw));
        const std::string text = ReadText(out);
        EXPECT_NE(text.find(c.expected), std::string::npos) << c.model << "\n" << text;
        int files = 0;
        for (auto& e : std::filesystem::directory_iterator(work)) {
            (void)e;
            ++files;
        }
        EXPECT_EQ(files, c.files) << c.model;
        // What came back is saved with the model.
        SlopeModelFile saved;
        std::string error;
        ASSERT_TRUE(LoadSlopeModel(dir.path + "/saved.json", saved, &error)) << error;
        EXPECT_EQ(saved.slope.KHPiles[0].nKangLiDianShu, c.files ? 21 : 0) << c.model;
    }
}

TEST(SlopeModelFile, PilesTakeTheGroundInFrontFromTheWholeSlope)
{
    SlopeModelFile model;
    std::string error;
    ASSERT_TRUE(LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/whole-slope.json", model, &error)) << error;
    ASSERT_EQ(model.slope.KHPiles.size(), 2u);
    // By hand, at x = 0: the ground from (-10, 100) to (10, 98) at 99; the first boundary,
    // from (-40, 104) to (40, 88), at 96; the second, from (-40, 100) to (40, 84),
    // at 92; the rock goes on to 50 m below the foot (84 - 50 = 34); water 94.
    // At x = 20: ground 95, boundaries 92 and 88, rock to 79 - 50 = 29, water 92.
    const struct {
        float ground, water;
        std::vector<double> thickness;
    } expected[2] = {{99, 94, {3, 4, 58}}, {95, 92, {3, 4, 59}}};
    for (int i = 0; i < 2; ++i) {
        const CSlp_KHPile& p = model.slope.KHPiles[static_cast<size_t>(i)];
        EXPECT_FLOAT_EQ(p.fQianDiMianY, expected[i].ground) << i;
        EXPECT_EQ(p.bYouShui, 1);
        EXPECT_FLOAT_EQ(p.fShuiWeiY, expected[i].water) << i;
        ASSERT_EQ(p.QianCeng.size(), 3u);
        for (size_t k = 0; k < 3; ++k)
            EXPECT_NEAR(p.QianCeng[k].dHouDu, expected[i].thickness[k], 1e-4) << i << " " << k;
        EXPECT_EQ(p.QianCeng[2].nYanTu, 1);
        EXPECT_FLOAT_EQ(p.QianCeng[1].fMoCaJiao, 28);
    }
    // A stratum boundary that does not reach a pile is named.
    EXPECT_FALSE(SlopeModelFromJson(R"({"ground": [[-1, 10], [1, 10]], "strata": [{"bottom": [[5, 0], [9, 0]]}],
                                        "piles": [{"id": 1, "axis": [[0, 10], [0, 0]]}]})",
                                    model, &error));
    EXPECT_NE(error.find("key \"strata[0].bottom\": does not reach the pile"), std::string::npos) << error;
}

// The edges a user meets when writing a model by hand: each must be refused,
// naming the key on one line, or read as written.
TEST(SlopeModelFile, AKeyGivenTwiceIsRefusedNotTheLastTaken)
{
    SlopeModelFile model;
    std::string error;
    EXPECT_FALSE(SlopeModelFromJson(R"({"piles": [{"spacing": 4, "spacing": 8}]})", model, &error));
    EXPECT_EQ(error, "key \"piles[0].spacing\": given twice in one object");
    // The same key written two ways is still the same key.
    EXPECT_FALSE(SlopeModelFromJson(R"({"piles": [{"spacing": 4, "sp\u0061cing": 8}]})", model, &error));
    EXPECT_EQ(error, "key \"piles[0].spacing\": given twice in one object");
    EXPECT_FALSE(SlopeModelFromJson(R"({"scheme": 1, "surfaces": [], "scheme": 2})", model, &error));
    EXPECT_EQ(error, "key \"scheme\": given twice in one object");

    // Through the host, the file that once calculated 180.274 kN/m with the
    // second spacing: refused, and nothing calculated.
    TempDir dir;
    std::string text = ReadText(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json");
    const std::string once = "\"spacing\": 4,";
    const size_t at = text.find(once);
    ASSERT_NE(at, std::string::npos);
    text.insert(at + once.size(), " \"spacing\": 8,");
    WriteText(dir.path + "/twice.json", text);
    const std::string out = dir.path + "/out.txt";
    const std::string cmd = "'" KANGLI_HOST_EXE "' '" + dir.path + "/twice.json' '" + dir.path +
                            "/work' --module '" KANGLI_MODULE "' >'" + out + "' 2>&1";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    EXPECT_EQ(ReadText(out), "kangli-host: " + dir.path + "/twice.json: key \"piles[0].spacing\": given twice in one object\n");
}

TEST(SlopeModelFile, EveryValueItsWriterPrintsReadsBack)
{
    SlopeModelFile model;
    std::string error;
    ASSERT_TRUE(LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json", model, &error)) << error;
    CSlp_KHPile& p = model.slope.KHPiles[0];
    p.fShuiWeiY = FLT_MAX;
    p.fQianDiMianY = -FLT_MAX;
    p.fKuan = p.fGao = std::numeric_limits<float>::denorm_min(); // a circle's diameter
    p.fJianJu = 0.1f;
    p.QianCeng[0].dHouDu = 0.1;       // a thickness is kept in double precision
    p.QianCeng[1].dHouDu = 1.0 / 3.0;
    p.QianCeng[2].fMoCaJiao = 3.4028234e38f;
    p.KangLiDian = {0, 0.3f, FLT_MAX};
    p.KangLiZhi = {-FLT_MAX, 1e-7f, 360.549f};
    p.nKangLiDianShu = 3;
    TempDir dir;
    ASSERT_TRUE(SaveSlopeModel(dir.path + "/saved.json", model, &error)) << error;
    const std::string saved = ReadText(dir.path + "/saved.json");
    EXPECT_NE(saved.find("\"waterY\": 3.4028235e+38"), std::string::npos) << saved;
    SlopeModelFile back;
    ASSERT_TRUE(LoadSlopeModel(dir.path + "/saved.json", back, &error)) << error;
    const CSlp_KHPile& q = back.slope.KHPiles[0];
    EXPECT_EQ(q.fShuiWeiY, FLT_MAX);
    EXPECT_EQ(q.fQianDiMianY, -FLT_MAX);
    EXPECT_EQ(q.fKuan, std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(q.fGao, std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(q.fJianJu, 0.1f);
    EXPECT_EQ(q.QianCeng[0].dHouDu, 0.1);
    EXPECT_EQ(q.QianCeng[1].dHouDu, 1.0 / 3.0);
    EXPECT_EQ(q.QianCeng[2].fMoCaJiao, 3.4028234e38f);
    EXPECT_EQ(q.KangLiDian, p.KangLiDian);
    EXPECT_EQ(q.KangLiZhi, p.KangLiZhi);
    EXPECT_EQ(SlopeModelToJson(back), saved);

    // FLT_MAX as a person writes it (and as a float printer prints it).
    ASSERT_TRUE(SlopeModelFromJson(R"({"piles": [{"id": 1, "axis": [[0, 1], [0, 0]], "layers": [{}],
                                               "waterY": 3.4028235e+38}]})",
                                   back, &error))
        << error;
    EXPECT_EQ(back.slope.KHPiles[0].fShuiWeiY, FLT_MAX);
    // What no 32-bit real holds stays refused, by its key.
    EXPECT_FALSE(SlopeModelFromJson(R"({"piles": [{"waterY": 3.40283e+38, "length": 3.5e38}]})", back, &error));
    EXPECT_EQ(error, "key \"piles[0].length\": number out of range of a 32-bit real");
    EXPECT_FALSE(SlopeModelFromJson(R"({"piles": [{"layers": [{"thickness": 1e39}]}]})", back, &error));
    EXPECT_EQ(error, "key \"piles[0].layers[0].thickness\": number out of range of a 32-bit real");
}

// What JSON cannot hold is refused on saving rather than written as what
// would not load back (a NaN as null) or thrown at the host.
TEST(SlopeModelFile, WhatWouldNotLoadBackIsNotSaved)
{
    SlopeModelFile model;
    std::string error;
    ASSERT_TRUE(LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json", model, &error)) << error;
    TempDir dir;
    const std::string path = dir.path + "/saved.json";
    WriteText(path, "the user's old model");
    CSlp_KHPile& p = model.slope.KHPiles[0];
    p.KangLiDian = {0, 1};
    p.KangLiZhi = {1, std::numeric_limits<float>::quiet_NaN()};
    EXPECT_FALSE(SaveSlopeModel(path, model, &error));
    EXPECT_EQ(error, "key \"piles[0].resistance[1]\": not a finite number; JSON cannot hold it");
    EXPECT_EQ(ReadText(path), "the user's old model");
    p.KangLiZhi = {1, 2};
    p.strName = "KH\xff";
    EXPECT_NO_THROW(SlopeModelToJson(model));
    EXPECT_FALSE(SaveSlopeModel(path, model, &error));
    EXPECT_EQ(error, "key \"piles[0].name\": not valid UTF-8; JSON cannot hold it");
    EXPECT_EQ(ReadText(path), "the user's old model");
}

TEST(SlopeModelFile, RefusalsAreOneLineAndNameTheKey)
{
    SlopeModelFile model;
    std::string error;
    EXPECT_FALSE(SlopeModelFromJson(R"({"piles": [{"a\nb": 1}]})", model, &error));
    EXPECT_EQ(error, "key \"piles[0].a\\nb\": unknown key");
    EXPECT_FALSE(SlopeModelFromJson(R"({"surfaces": [{"kind": "x\ny"}]})", model, &error));
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    // A number beyond a double is named by its key, as one out of a float's range.
    EXPECT_FALSE(SlopeModelFromJson(R"({"piles": [{"layers": [{}, {"friction": 1e999}]}]})", model, &error));
    EXPECT_EQ(error, "key \"piles[0].layers[1].friction\": number out of range of a 32-bit real");
    // Broken bytes are not quoted into the message.
    EXPECT_FALSE(SlopeModelFromJson("{\"piles\": [\x01\xff]}", model, &error));
    EXPECT_EQ(error.find('\x01'), std::string::npos) << error;
    EXPECT_EQ(error.find('\xff'), std::string::npos) << error;
    EXPECT_FALSE(SlopeModelFromJson("[]", model, &error));
    EXPECT_EQ(error, "expected a JSON object at the top, found array");
}

TEST(SlopeModelFile, NestingAndSizeAreBounded)
{
    SlopeModelFile model;
    std::string error;
    // A model nests five deep at most (piles, a pile, its axis, a point).
    const std::string deep = "{\"piles\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    EXPECT_FALSE(SlopeModelFromJson(deep, model, &error));
    EXPECT_EQ(error, "key \"piles\": nested deeper than 8 levels; no slope model is");
    // Larger than any model, refused before it is parsed (whitespace is valid JSON).
    const std::string huge = "{\"scheme\": 1" + std::string(kMaxRecordFileBytes * 4, ' ') + "}";
    EXPECT_FALSE(SlopeModelFromJson(huge, model, &error));
    EXPECT_EQ(error, "the text is larger than 16384 KiB; no slope model is that large");
    // The bundled search of 200 surfaces is well within both.
    EXPECT_TRUE(LoadSlopeModel(KANGLI_EXAMPLES_DIR "/slope/search-200-surfaces.json", model, &error)) << error;
}
