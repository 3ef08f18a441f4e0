// The fields of the record and of a layer: what the check says about each one,
// in which order it looks at them, and the labels it names them by.
#include "PelvorinData.h"
#include "RecordCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

CPelvorinData Good()
{
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    return r;
}

struct Step {
    std::string problem, chinese;
    std::function<void(CPelvorinData&)> fix;
};

// Checks the record, expects each step's messages in turn and applies its fix;
// at the end the record must pass.
void Walk(CPelvorinData& r, const std::vector<Step>& steps)
{
    for (const Step& s : steps) {
        std::string problem, chinese;
        ASSERT_FALSE(CheckKangLiData(r, &problem, &chinese)) << "expected: " << s.problem;
        EXPECT_EQ(problem, s.problem);
        EXPECT_EQ(chinese, s.chinese);
        s.fix(r);
    }
    std::string problem;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
}

} // namespace

// A record with every field wrong at once: the check names them one at a time,
// in its own order, each with the label the tables show and its limits.
TEST(RecordCheck, NamesEveryFieldInOrderWithItsLabelAndLimits)
{
    CPelvorinData r = Good();
    r.fZhuangChang = 0;
    r.nJieMianXingZhuang = 5;
    r.fZhuangKuan = -1;
    r.fZhuangGao = 2e7f;
    r.fAs = 1500;
    r.fZhuangJianJu = 0.005f;
    r.fZhuangRongZhong = 0;
    r.nHunNingTuDengJi = 32;
    r.fHuaMianDaoZhuangDing = 11;
    r.fPoMianDaoZhuangDing = -200000;
    r.bKaoLvShui = 2;
    r.fShuiWeiShenDu = NAN;
    r.fZheJianXiShu = 1.5f;
    r.nTuCengShu = 101;
    r.TuCeng[0].nLeiXing = 7;
    r.TuCeng[0].fHouDu = 0;
    r.TuCeng[0].fZhongDu = -1;
    r.TuCeng[0].fNianJuLi = -1;
    r.TuCeng[0].fMoCaJiao = 95;
    r.TuCeng[0].fFuZhongDu = -1;
    r.TuCeng[0].fShuiXiaNianJuLi = 2e5f;
    r.TuCeng[0].fShuiXiaMoCaJiao = 90;
    Walk(r, {
        {"fZhuangChang (桩长（m）): pile length (m) must lie in 0.01 .. 1000 (is 0)",
         "“桩长（m）”应在 0.01 到 1000 之间，输入值为 0", [](CPelvorinData& r) { r.fZhuangChang = 10; }},
        {"nJieMianXingZhuang (截面形状): section shape (1 rectangle, 0 circle) must be one of 0, 1 (is 5)",
         "“截面形状”应为 0, 1 之一，输入值为 5", [](CPelvorinData& r) { r.nJieMianXingZhuang = 1; }},
        {"fZhuangKuan (桩宽（m）): pile width (m) must lie in 0.01 .. 10000000 (is -1)",
         "“桩宽（m）”应在 0.01 到 10000000 之间，输入值为 -1", [](CPelvorinData& r) { r.fZhuangKuan = 1; }},
        {"fZhuangGao (桩高（m）): pile height (m) must lie in 0.01 .. 10000000 (is 20000000)",
         "“桩高（m）”应在 0.01 到 10000000 之间，输入值为 20000000", [](CPelvorinData& r) { r.fZhuangGao = 1.5f; }},
        {"fAs (钢筋合力点到边缘距离（mm）): reinforcement edge distance (mm) must lie in 0 .. <1500 (is 1500)",
         "“钢筋合力点到边缘距离（mm）”应在 0 到 1500（不含） 之间，输入值为 1500",
         [](CPelvorinData& r) { r.fAs = 100; }},
        {"fZhuangJianJu (桩中心距（m）): pile spacing (m) must lie in 0.01 .. 10000000 (is 0.005)",
         "“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0.005", [](CPelvorinData& r) { r.fZhuangJianJu = 5; }},
        {"fZhuangRongZhong (桩容重（kN/m^3）): unit weight of the pile (kN/m3) must lie in 0.01 .. 10000000 (is 0)",
         "“桩容重（kN/m^3）”应在 0.01 到 10000000 之间，输入值为 0",
         [](CPelvorinData& r) { r.fZhuangRongZhong = 22; }},
        {"nHunNingTuDengJi (混凝土等级): concrete grade must be one of 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, "
         "70, 75, 80 (is 32)",
         "“混凝土等级”应为 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80 之一，输入值为 32",
         [](CPelvorinData& r) { r.nHunNingTuDengJi = 30; }},
        {"fHuaMianDaoZhuangDing (滑面到桩顶距离（m）): slip-surface depth below the pile top (m) must lie in 0 .. 10 "
         "(is 11)",
         "“滑面到桩顶距离（m）”应在 0 到 10 之间，输入值为 11", [](CPelvorinData& r) { r.fHuaMianDaoZhuangDing = 5; }},
        {"fPoMianDaoZhuangDing (坡面到桩顶距离（m）): slope-surface depth below the pile top (m) must lie in "
         "-100000 .. 100000 (is -200000)",
         "“坡面到桩顶距离（m）”应在 -100000 到 100000 之间，输入值为 -200000",
         [](CPelvorinData& r) { r.fPoMianDaoZhuangDing = 2; }},
        {"bKaoLvShui (是否考虑地下水): groundwater switch must be one of 0, 1 (is 2)",
         "“是否考虑地下水”应为 0, 1 之一，输入值为 2", [](CPelvorinData& r) { r.bKaoLvShui = 1; }},
        {"fShuiWeiShenDu (桩前侧水位到坡面距离（m）): water depth below the slope surface (m) must lie in "
         "-100000 .. 100000 (is nan)",
         "“桩前侧水位到坡面距离（m）”应在 -100000 到 100000 之间，输入值为 nan",
         [](CPelvorinData& r) { r.fShuiWeiShenDu = 5; }},
        {"fZheJianXiShu (被动土压力折减系数): reduction factor of the passive pressure must lie in 0 .. 1 (is 1.5)",
         "“被动土压力折减系数”应在 0 到 1 之间，输入值为 1.5", [](CPelvorinData& r) { r.fZheJianXiShu = 0.3f; }},
        {"nTuCengShu (土层数): layer count must lie in 0 .. 100 (is 101)", "“土层数”应在 0 到 100 之间，输入值为 101",
         [](CPelvorinData& r) { r.nTuCengShu = 3; }},
        {"nTuCengShu (土层数): layer count 3 but 2 layers given", "“土层数”为 3，而给出了 2 层",
         [](CPelvorinData& r) { r.TuCeng.resize(3); }},
        {"TuCeng[0].nLeiXing (第1层 地层类型): layer type (0 soil, 1 rock) must be one of 0, 1 (is 7)",
         "“第1层 地层类型”应为 0, 1 之一，输入值为 7", [](CPelvorinData& r) { r.TuCeng[0].nLeiXing = 0; }},
        {"TuCeng[0].fHouDu (第1层 层厚(m)): thickness (m) must lie in 0.001 .. 100000 (is 0)",
         "“第1层 层厚(m)”应在 0.001 到 100000 之间，输入值为 0", [](CPelvorinData& r) { r.TuCeng[0].fHouDu = 2; }},
        {"TuCeng[0].fZhongDu (第1层 重度(kN/m3)): unit weight (kN/m3) must lie in 0 .. 100000 (is -1)",
         "“第1层 重度(kN/m3)”应在 0 到 100000 之间，输入值为 -1", [](CPelvorinData& r) { r.TuCeng[0].fZhongDu = 18; }},
        {"TuCeng[0].fNianJuLi (第1层 粘聚力(kPa)): cohesion (kPa) must lie in 0 .. 100000 (is -1)",
         "“第1层 粘聚力(kPa)”应在 0 到 100000 之间，输入值为 -1", [](CPelvorinData& r) { r.TuCeng[0].fNianJuLi = 0; }},
        {"TuCeng[0].fMoCaJiao (第1层 内摩擦角(°)): friction angle (degrees) must lie in 0 .. <90 (is 95)",
         "“第1层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 95", [](CPelvorinData& r) { r.TuCeng[0].fMoCaJiao = 0; }},
        {"TuCeng[0].fFuZhongDu (第1层 浮重度(kN/m3)): buoyant unit weight (kN/m3) must lie in 0 .. 100000 (is -1)",
         "“第1层 浮重度(kN/m3)”应在 0 到 100000 之间，输入值为 -1", [](CPelvorinData& r) { r.TuCeng[0].fFuZhongDu = 9; }},
        {"TuCeng[0].fShuiXiaNianJuLi (第1层 水下粘聚力(kPa)): cohesion under water (kPa) must lie in 0 .. 100000 "
         "(is 200000)",
         "“第1层 水下粘聚力(kPa)”应在 0 到 100000 之间，输入值为 200000",
         [](CPelvorinData& r) { r.TuCeng[0].fShuiXiaNianJuLi = 5; }},
        {"TuCeng[0].fShuiXiaMoCaJiao (第1层 水下内摩擦角(°)): friction angle under water (degrees) must lie in 0 .. "
         "<90 (is 90)",
         "“第1层 水下内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 90",
         [](CPelvorinData& r) { r.TuCeng[0].fShuiXiaMoCaJiao = 12; }},
    });

    // A circle: its diameter is checked, and b, h and as are not.
    r.nJieMianXingZhuang = 0;
    r.fZhuangKuan = r.fAs = -5;
    r.fZhuangJing = 0;
    Walk(r, {{"fZhuangJing (桩径（m）): pile diameter (m) must lie in 0.01 .. 10000000 (is 0)",
              "“桩径（m）”应在 0.01 到 10000000 之间，输入值为 0", [](CPelvorinData& r) { r.fZhuangJing = 1.2f; }}});

    // Under-water values count only for soil where water is considered; the
    // water level only with water.
    r.TuCeng[1].nLeiXing = 1;
    r.TuCeng[2].nLeiXing = 1;
    r.TuCeng[1].fFuZhongDu = -1;
    r.TuCeng[1].fShuiXiaMoCaJiao = 120;
    Walk(r, {});
    r.bKaoLvShui = 0;
    r.fShuiWeiShenDu = NAN;
    r.TuCeng[0].fShuiXiaNianJuLi = -1;
    Walk(r, {});
}

TEST(RecordCheck, LabelsAsTheTablesShowThem)
{
    EXPECT_EQ(FieldLabel("fZhuangJianJu"), "桩中心距（m）");
    EXPECT_EQ(FieldLabel("fAs"), "钢筋合力点到边缘距离（mm）");
    EXPECT_EQ(FieldLabel("bKaoLvShui"), "是否考虑地下水");
    EXPECT_EQ(FieldLabel("TuCeng[2].fMoCaJiao"), "第3层 内摩擦角(°)");
    EXPECT_EQ(FieldLabel("TuCeng[0].fShuiXiaNianJuLi"), "第1层 水下粘聚力(kPa)");
    EXPECT_EQ(FieldLabel("TuCeng[0].nLeiXing"), "第1层 地层类型");
    // What no table shows keeps its key.
    EXPECT_EQ(FieldLabel("TuCeng[0].fCengXiShu"), "TuCeng[0].fCengXiShu");
    EXPECT_EQ(FieldLabel("nTuShu"), "nTuShu");
    EXPECT_EQ(FieldLabel("fZhuangChangg"), "fZhuangChangg");
}

// The limits the README documents hold at the limit itself, for the value as a
// 32-bit real holds it (0.01 is 0.0099999998 there).
TEST(RecordCheck, DocumentedLimitsAreTakenAtTheLimit)
{
    const std::vector<std::pair<const char*, std::function<void(CPelvorinData&, float)>>> limits = {
        {"pile spacing", [](CPelvorinData& r, float v) { r.fZhuangJianJu = v; }},
        {"pile length", [](CPelvorinData& r, float v) { r.fZhuangChang = v, r.fHuaMianDaoZhuangDing = 0; }},
        {"pile width", [](CPelvorinData& r, float v) { r.fZhuangKuan = v; }},
        {"pile height", [](CPelvorinData& r, float v) { r.fZhuangGao = v, r.fAs = 0; }},
        {"unit weight of the pile", [](CPelvorinData& r, float v) { r.fZhuangRongZhong = v; }},
        {"pile diameter", [](CPelvorinData& r, float v) { r.nJieMianXingZhuang = 0, r.fZhuangJing = v; }},
    };
    for (const auto& [what, set] : limits) {
        CPelvorinData r = Good();
        set(r, 0.01f);
        std::string problem;
        EXPECT_TRUE(CheckKangLiData(r, &problem)) << what << ": " << problem;
        set(r, 0.0099f);
        EXPECT_FALSE(CheckKangLiData(r, &problem)) << what;
    }
    CPelvorinData r = Good();
    r.TuCeng[1].fHouDu = 0.001f;
    std::string problem;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
    r.TuCeng[1].fHouDu = 0.00099f;
    EXPECT_FALSE(CheckKangLiData(r, &problem));
    r = Good();
    r.fZhuangJianJu = 0.0099f;
    ASSERT_FALSE(CheckKangLiData(r, &problem));
    EXPECT_EQ(problem, "fZhuangJianJu (桩中心距（m）): pile spacing (m) must lie in 0.01 .. 10000000 (is 0.0099)");
}
