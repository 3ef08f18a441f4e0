// Slope mode through the exported entry points, as a host calls them.
#include "KangLi.h"
#include "Messages.h"
#include "SlopeData.h"
#include "TestSlope.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>

namespace {

struct WorkDir {
    TempDir dir;
    std::string saved = G_strWorkPath;
    WorkDir()
    {
        G_strWorkPath = dir.path + "/";
        g_lCurFAID = 3;
        g_lCurHMID = 2;
    }
    ~WorkDir() { G_strWorkPath = saved; }
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
    s.CurKHPile.QianCeng = {Rock(3), Soil(4)}; // rock over soil
    ScopedMessageRecorder rec;
    HideJsxx();
    EXPECT_EQ(JiSuan_KangLi_Slp(&s, 0), 1);
    std::vector<std::string> texts;
    for (const MessageRequest& m : rec.messages)
        texts.push_back(m.text);
    // The converter and the calculation refuse the layers; the failure is told.
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "岩层下不能出现土层");
    EXPECT_EQ(texts[1], "岩层下不能出现土层");
    EXPECT_EQ(texts[2], "抗滑力计算失败 !");
    EXPECT_EQ(rec.messages[2].code, 201);
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
    EXPECT_NE(text.find("JiSuan_KangLi_Slp = 1\npile KH1: 21 points\n"), std::string::npos) << text;
    EXPECT_NE(text.find("   15.20 m     220.336 kN/m\n"), std::string::npos) << text;
    EXPECT_EQ(if_file_exist((dir.path + "/kl-3-2-5-jss0.rtf").c_str()), 1);
}
