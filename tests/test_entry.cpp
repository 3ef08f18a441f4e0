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

// What a call returns, writes under the work path, tells and hands back into
// the pile at the index. Calculated: 1, its eight files named by scheme,
// surface and pile id, nothing told (success is told only when the record
// asks), and points from the foot up, a twentieth of the pile apart, each with
// its resistance. Nothing to cut: 0, no file, nothing told, no points. Refused
// by the calculation: still 1 (a calculation ran), no file, the pile's old
// results cleared, the reason told once and then the failure (in the
// information window the refusal opened).
TEST(SlopeMode, EachCallIsCalculatedLeftUncutOrRefused)
{
    const Edit same = [](CSlopeData&) {};
    const struct { const char* what; int index; Edit edit; int returned; long files; size_t points; std::string told; } cases[] = {
        // The record's slip depth keeps its default 5 m, below this foot: slope
        // mode does not take it from the model, so it refuses nothing.
        {"a 4 m pile, a surface of a kind without a cut test", 0,
         [](CSlopeData& s) { s.KHPiles[0].fChang = 4; s.KHPiles[0].PoXian.pts = {{0, 100}, {0, 96}}; s.CurSurface.nHuaMianLeiXing = 2; }, 1, 8, 21, ""},
        {"no slope model", 0, nullptr, 0, 0, 0, ""},
        {"the index one past the piles", 1, same, 0, 0, 0, ""},
        {"a negative index other than box mode's", -2, same, 0, 0, 0, ""},
        {"an index the count claims but the list lacks", 2, [](CSlopeData& s) { s.nZhuangShu = 4; }, 0, 0, 0, ""},
        {"a pile at the index not the one the host names", 0, [](CSlopeData& s) { s.strCurKHPile = "KH2"; }, 0, 0, 0, ""},
        {"a pile of id 0", 0, [](CSlopeData& s) { s.KHPiles[0].nID = 0; }, 0, 0, 0, ""},
        // The 12 m pile cut by the circle, its files told in one line (how many,
        // the folder and the system's reason, then every file by name): it still
        // gets its results.
        {"a work path that cannot be written", 0, [](CSlopeData&) { G_strWorkPath = "/kangli-no-such-folder/"; }, 1, 0, 21,
         "文件未能写出 8 个：/kangli-no-such-folder/（cannot write into the folder: No such file or directory）：kl-3-2-5.dat、kl-3-2-5.json、"
         "kl-3-2-5-jt0.dxf、kl-3-2-5-jt1.dxf、kl-3-2-5-jt2.dxf、kl-3-2-5-jss0.rtf、kl-3-2-5-jss1.rtf、kl-3-2-5.res\n"},
        {"rock over soil, with three old points", 0,
         [](CSlopeData& s) { CSlp_KHPile& p = s.KHPiles[0]; p.QianCeng = {Rock(3), Soil(4)}; p.nKangLiDianShu = 3; p.KangLiDian = p.KangLiZhi = {1, 2, 3}; s.CurKHPile = p; },
         1, 0, 0, "桩 KH1（id 5）：岩层下不能出现土层：第2层为土层，在岩层第1层之下\n抗滑力计算失败 !\nFALSE\n"},
    };
    for (const auto& c : cases) {
        SlopeCall call;
        CSlopeData s = Slope();
        if (c.edit)
            c.edit(s);
        const std::string workPath = G_strWorkPath;
        ScopedMessageRecorder rec;
        EXPECT_EQ(JiSuan_KangLi_Slp(c.edit ? &s : nullptr, c.index), c.returned) << c.what;
        EXPECT_EQ(ToldTexts(rec), c.told) << c.what;
        EXPECT_TRUE(c.returned == 0 || c.points > 0 || (rec.messages.size() == 3 && rec.messages[1].code == 201)) << c.what;
        EXPECT_EQ(call.Files(), c.files) << c.what;
        EXPECT_EQ(call.Wrote("kl-3-2-5.res"), c.files > 0) << c.what;
        EXPECT_EQ(G_strWorkPath, workPath) << c.what; // left as the host set it
        const CSlp_KHPile& p = s.KHPiles[0];
        ASSERT_EQ(p.nKangLiDianShu, static_cast<int>(c.points)) << c.what;
        ASSERT_TRUE(p.KangLiDian.size() == c.points && p.KangLiZhi.size() == c.points) << c.what;
        if (c.points > 0) {
            EXPECT_FLOAT_EQ(p.KangLiDian.front(), p.fChang) << c.what;
            EXPECT_NEAR(p.KangLiDian[1], p.fChang * 0.95, 1e-4) << c.what;
            EXPECT_FLOAT_EQ(p.KangLiDian.back(), 0.0f) << c.what;
            EXPECT_GT(p.KangLiZhi.back(), 0.0f) << c.what;
        }
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
