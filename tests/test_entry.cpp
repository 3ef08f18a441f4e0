// Slope mode through the exported entry points, as a host calls them: what each
// returns, what it writes under the work path, what it hands back into the model.
#include "TestSlope.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <dlfcn.h>
#include <fstream>
#include <functional>
#include <limits>

using Edit = std::function<void(CSlopeData&)>;

TEST(SlopeMode, EveryEntryPointIsFoundUnderItsName)
{
    void* module = ::dlopen(KANGLI_MODULE, RTLD_NOW);
    ASSERT_NE(module, nullptr) << ::dlerror();
    for (const char* name : {"JiSuan_KangLi_Slp", "JiSuan_KangLi", "JiSuan_KangLi_Box", "JiSuan_KangLi_Slp_New"})
        EXPECT_NE(::dlsym(module, name), nullptr) << name;
    ::dlclose(module);
    EXPECT_EQ(JiSuan_KangLi(), 1);
}

// A calculated pile: 1, its eight files named by scheme, surface and pile id, and its
// points from the foot up, a twentieth of the pile apart, each with the
// resistance handed back into the pile at the index.
TEST(SlopeMode, ACalculatedPileGetsItsFilesAndItsResistanceBack)
{
    const struct { const char* what; Edit edit; float length; } cases[] = {
        {"the 12 m pile cut by the circle", [](CSlopeData&) {}, 12},
        // The record's slip depth keeps its default 5 m, below this foot: slope
        // mode does not take it from the model, so it refuses nothing.
        {"a 4 m pile, a surface of a kind without a cut test",
         [](CSlopeData& s) { s.KHPiles[0].fChang = 4; s.KHPiles[0].PoXian.pts = {{0, 100}, {0, 96}}; s.CurSurface.nHuaMianLeiXing = 2; }, 4},
    };
    for (const auto& c : cases) {
        SlopeCall call;
        CSlopeData s = Slope();
        c.edit(s);
        ScopedMessageRecorder rec;
        ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1) << c.what;
        EXPECT_EQ(ToldTexts(rec), "") << c.what; // success is told only when the record asks
        EXPECT_EQ(call.Files(), 8) << c.what;
        EXPECT_TRUE(call.Wrote("kl-3-2-5.res")) << c.what;
        EXPECT_EQ(G_strWorkPath, call.dir.path + "/"); // left as the host set it
        const CSlp_KHPile& p = s.KHPiles[0];
        ASSERT_EQ(p.nKangLiDianShu, 21) << c.what;
        ASSERT_TRUE(p.KangLiDian.size() == 21u && p.KangLiZhi.size() == 21u) << c.what;
        EXPECT_FLOAT_EQ(p.KangLiDian.front(), c.length) << c.what;
        EXPECT_NEAR(p.KangLiDian[1], c.length * 0.95, 1e-4) << c.what;
        EXPECT_FLOAT_EQ(p.KangLiDian.back(), 0.0f) << c.what;
        EXPECT_GT(p.KangLiZhi.back(), 0.0f) << c.what;
    }
}

// Nothing calculated: 0, no file, nothing told, no points handed back.
TEST(SlopeMode, NothingIsCalculatedWithoutAPileToCut)
{
    const Edit same = [](CSlopeData&) {};
    const struct { const char* what; int index; Edit edit; } cases[] = { // no edit: no model at all
        {"no slope model", 0, nullptr},
        {"the index one past the piles", 1, same},
        {"a negative index other than box mode's", -2, same},
        {"an index the count claims but the list lacks", 2, [](CSlopeData& s) { s.nZhuangShu = 4; }},
        {"a pile at the index not the one the host names", 0, [](CSlopeData& s) { s.strCurKHPile = "KH2"; }},
        {"a pile of id 0", 0, [](CSlopeData& s) { s.KHPiles[0].nID = 0; }},
        {"a circle that misses the axis", 0, [](CSlopeData& s) { s.CurSurface.fY = 140; }},
    };
    for (const auto& c : cases) {
        SlopeCall call;
        CSlopeData s = Slope();
        if (c.edit)
            c.edit(s);
        ScopedMessageRecorder rec;
        EXPECT_EQ(JiSuan_KangLi_Slp(c.edit ? &s : nullptr, c.index), 0) << c.what;
        EXPECT_EQ(call.Files(), 0) << c.what;
        EXPECT_EQ(ToldTexts(rec), "") << c.what;
        EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 0) << c.what;
    }
}

// A pile the calculation refuses: still 1 (a calculation ran), the pile's old
// results cleared, no file written, the reason told once and then the failure
// (in the information window the refusal opened).
TEST(SlopeMode, ARefusedPileGetsNoPointsAndTheReasonIsTold)
{
    const struct { const char* what; std::function<void(CSlp_KHPile&)> edit; std::string told; } cases[] = {
        {"rock over soil", [](CSlp_KHPile& p) { p.QianCeng = {Rock(3), Soil(4)}; },
         "桩 KH1（id 5）：岩层下不能出现土层：第2层为土层，在岩层第1层之下\n抗滑力计算失败 !\nFALSE\n"},
        {"spacing 0, which would divide by zero", [](CSlp_KHPile& p) { p.fJianJu = 0; },
         "桩 KH1（id 5）：“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0\n抗滑力计算失败 !\nFALSE\n"},
    };
    for (const auto& c : cases) {
        SlopeCall call;
        CSlopeData s = Slope();
        CSlp_KHPile& p = s.KHPiles[0];
        c.edit(p);
        p.nKangLiDianShu = 3;
        p.KangLiDian = p.KangLiZhi = {1, 2, 3};
        s.CurKHPile = p;
        ScopedMessageRecorder rec;
        EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 1) << c.what;
        EXPECT_EQ(ToldTexts(rec), c.told) << c.what;
        ASSERT_EQ(rec.messages.size(), 3u) << c.what;
        EXPECT_EQ(rec.messages[1].code, 201) << c.what;
        EXPECT_EQ(call.Files(), 0) << c.what;
        EXPECT_EQ(p.nKangLiDianShu, 0) << c.what;
        EXPECT_TRUE(p.KangLiDian.empty() && p.KangLiZhi.empty()) << c.what;
    }
}

TEST(SlopeMode, NoAbsurdPileHandsANonFiniteNumberBack)
{
    SlopeCall call;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (float v : {nan, inf, -inf, 0.0f, -1.0f, 1e-30f, 1e30f, 3.4e38f})
        for (int field = 0; field < 5; ++field) {
            CSlopeData s = Slope();
            CSlp_KHPile& p = s.KHPiles[0];
            *std::array<float*, 5>{&p.fJianJu, &p.fKuan, &p.fGao, &p.fRongZhong, &p.fChang}[field] = v;
            ScopedMessageRecorder rec;
            JiSuan_KangLi_Slp(&s, 0);
            for (const std::vector<float>* handed : {&p.KangLiZhi, &p.KangLiDian})
                for (float x : *handed)
                    ASSERT_TRUE(std::isfinite(x)) << "field " << field << " = " << v;
        }
}

TEST(SlopeMode, AWorkPathThatCannotBeWrittenIsToldAndThePileStillGetsItsResults)
{
    SlopeCall call;
    G_strWorkPath = call.dir.path + "/missing/folder/";
    CSlopeData s = Slope();
    ScopedMessageRecorder rec;
    ASSERT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    EXPECT_EQ(s.KHPiles[0].nKangLiDianShu, 21);
    // One line: how many, the folder and the system's reason, then every file by name.
    EXPECT_NE(ToldTexts(rec).find("文件未能写出 8 个：" + G_strWorkPath + "（cannot write into the folder: No such file or directory）：kl-3-2-5."),
              std::string::npos) << ToldTexts(rec);
}

TEST(SlopeMode, ALongSearchKeepsItsMemoryFlat)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine";
#else
    // A host's search calls slope mode for every surface and pile: what each
    // call drew once stayed for the life of the process, 55 KB a call.
    SlopeCall call;
    G_strWorkPath = "/proc/kangli-no-such-folder/"; // nothing written: only the memory counts
    ScopedMessageSink quiet([](const MessageRequest&) { return IDOK; });
    int calculated = 0;
    auto residentKiBAfter = [&calculated](int calls) {
        for (int i = 0; i < calls; ++i) {
            g_lCurHMID = 2 + i; // each surface of the search names its own files
            CSlopeData s = Slope();
            calculated += JiSuan_KangLi_Slp(&s, 0) == 1 && s.KHPiles[0].nKangLiDianShu == 21;
        }
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line) && line.rfind("VmRSS:", 0) != 0) {}
        return line.size() > 6 ? std::atol(line.c_str() + 6) : -1L;
    };
    const long settled = residentKiBAfter(1000); // allocator and font caches settle
    ASSERT_GT(settled, 0);
    EXPECT_LT(residentKiBAfter(9000) - settled, 8 * 1024) << "KiB grown over 9,000 calls";
    EXPECT_EQ(calculated, 10000);
#endif
}
