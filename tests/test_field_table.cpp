// The fields of the record and of a layer: what the check says about each one, in
// which order, by which label, where each limit lies; and the field table against
// the record's JSON form, its sweep keys and its data file.
#include "FieldTable.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "TestFiles.h"

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

// Puts v into the field, of the layer where one is given.
void Set(const FieldDef& f, CPelvorinData& r, CTuCeng* layer, double v)
{
    if (float* p = layer ? FieldReal(f, *layer) : FieldReal(f, r))
        *p = static_cast<float>(v);
    else
        *(layer ? FieldInteger(f, *layer) : FieldInteger(f, r)) = static_cast<int>(v);
}

// A value the field never takes: no choice is 7, and every range starts above lo - 1.
double Outside(const FieldDef& f) { return f.choices.empty() ? f.lo - 1 : 7; }

} // namespace

// A record with every field that applies wrong at once: the check names them one
// at a time in its order, by key and by the label the tables show.
TEST(RecordCheck, NamesEveryFieldInTurnByKeyAndLabel)
{
    const CPelvorinData good = Good();
    CPelvorinData r = good;
    std::vector<std::pair<const FieldDef*, CTuCeng*>> spoilt;
    for (const FieldDef* f : CheckedRecordFields())
        if (FieldApplies(*f, good))
            spoilt.emplace_back(f, nullptr);
    for (const FieldDef* f : CheckedLayerFields())
        if (FieldApplies(*f, good, &good.TuCeng[0]))
            spoilt.emplace_back(f, &r.TuCeng[0]);
    ASSERT_GT(spoilt.size(), 20u);
    for (auto [f, layer] : spoilt)
        Set(*f, r, layer, Outside(*f));
    std::string problem, chinese;
    for (auto [f, layer] : spoilt) {
        const std::string key = layer ? std::string("TuCeng[0].") + f->key : f->key;
        ASSERT_FALSE(CheckKangLiData(r, &problem, &chinese)) << "expected: " << key;
        EXPECT_EQ(problem.rfind(key + " (" + FieldLabel(key) + "): " + FieldWhat(*f), 0), 0u) << problem;
        EXPECT_EQ(chinese.rfind("“" + FieldLabel(key) + "”", 0), 0u) << chinese;
        Set(*f, r, layer, layer ? FieldValue(*f, good.TuCeng[0]) : FieldValue(*f, good));
    }
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;

    // The wording a user reads, once for each kind of limit.
    const std::vector<std::tuple<std::function<void(CPelvorinData&)>, std::string, std::string>> said = {
        {[](CPelvorinData& r) { r.fZhuangChang = 0; }, "fZhuangChang (桩长（m）): pile length (m) must lie in 0.01 .. 1000 (is 0)",
         "“桩长（m）”应在 0.01 到 1000 之间，输入值为 0"},
        {[](CPelvorinData& r) { r.nHunNingTuDengJi = 32; },
         "nHunNingTuDengJi (混凝土等级): concrete grade must be one of 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80 (is 32)",
         "“混凝土等级”应为 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80 之一，输入值为 32"},
        {[](CPelvorinData& r) { r.fHuaMianDaoZhuangDing = 11; },
         "fHuaMianDaoZhuangDing (滑面到桩顶距离（m）): slip-surface depth below the pile top (m) must lie in 0 .. 10 (is 11)",
         "“滑面到桩顶距离（m）”应在 0 到 10 之间，输入值为 11"},
        {[](CPelvorinData& r) { r.fShuiWeiShenDu = NAN; },
         "fShuiWeiShenDu (桩前侧水位到坡面距离（m）): water depth below the slope surface (m) must lie in -100000 .. 100000 (is nan)",
         "“桩前侧水位到坡面距离（m）”应在 -100000 到 100000 之间，输入值为 nan"},
        {[](CPelvorinData& r) { r.nTuCengShu = 3; }, "nTuCengShu (土层数): layer count 3 but 2 layers given", "“土层数”为 3，而给出了 2 层"},
        {[](CPelvorinData& r) { r.TuCeng[1].fMoCaJiao = 90; },
         "TuCeng[1].fMoCaJiao (第2层 内摩擦角(°)): friction angle (degrees) must lie in 0 .. <90 (is 90)",
         "“第2层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 90"},
        // The bars lie inside the section: against the radius for a circle.
        {[](CPelvorinData& r) { r.nJieMianXingZhuang = 0, r.fZhuangJing = 1.2f, r.fAs = 600; },
         "fAs (钢筋合力点到边缘距离（mm）): reinforcement edge distance (mm) must lie in 0.01 .. <600 (is 600)",
         "“钢筋合力点到边缘距离（mm）”应在 0.01 到 600（不含） 之间，输入值为 600"},
    };
    for (const auto& [spoil, english, zh] : said) {
        CPelvorinData bad = good;
        spoil(bad);
        EXPECT_FALSE(CheckKangLiData(bad, &problem, &chinese));
        EXPECT_EQ(problem + "\n" + chinese, english + "\n" + zh);
    }
    // A layer's key is labelled by its layer, counted from 1 as the table counts;
    // what no table shows keeps its key.
    EXPECT_EQ(FieldLabel("TuCeng[2].fMoCaJiao"), "第3层 内摩擦角(°)");
    EXPECT_EQ(FieldLabel("TuCeng[0].fCengXiShu"), "TuCeng[0].fCengXiShu");
    EXPECT_EQ(FieldLabel("fZhuangChangg"), "fZhuangChangg");

    // What does not apply is not looked at: underwater values of rock or without
    // water, the water level without water, a circle's width and height.
    r.TuCeng[1].nLeiXing = 1, r.TuCeng[1].fFuZhongDu = -1, r.TuCeng[1].fShuiXiaMoCaJiao = 120;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
    r.bKaoLvShui = 0, r.fShuiWeiShenDu = NAN, r.TuCeng[0].fShuiXiaNianJuLi = -1;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
    r.nJieMianXingZhuang = 0, r.fZhuangKuan = r.fZhuangGao = -5, r.fAs = 70;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
}

// Every limit holds at the limit itself, for the value as a 32-bit real holds it
// (0.01 is 0.0099999998 there), and not a step beyond.
TEST(RecordCheck, LimitsAreTakenAtTheLimit)
{
    const std::vector<std::tuple<const char*, std::function<void(CPelvorinData&, float)>, float, float>> limits = {
        {"pile spacing", [](CPelvorinData& r, float v) { r.fZhuangJianJu = v; }, 0.01f, 0.0099f},
        {"pile length", [](CPelvorinData& r, float v) { r.fZhuangChang = v, r.fHuaMianDaoZhuangDing = 0; }, 0.01f, 0.0099f},
        {"pile width", [](CPelvorinData& r, float v) { r.fZhuangKuan = v; }, 0.01f, 0.0099f},
        {"pile height", [](CPelvorinData& r, float v) { r.fZhuangGao = v, r.fAs = 1; }, 0.01f, 0.0099f},
        {"unit weight", [](CPelvorinData& r, float v) { r.fZhuangRongZhong = v; }, 0.01f, 0.0099f},
        {"diameter", [](CPelvorinData& r, float v) { r.nJieMianXingZhuang = 0, r.fZhuangJing = v, r.fAs = 1; }, 0.01f, 0.0099f},
        {"thickness", [](CPelvorinData& r, float v) { r.TuCeng[1].fHouDu = v; }, 0.001f, 0.00099f},
        // The bars lie inside the section: 0 < fAs < half the side along the thrust.
        {"bars' edge distance", [](CPelvorinData& r, float v) { r.fAs = v; }, 749.9f, 750.0f},
        {"bars at the edge", [](CPelvorinData& r, float v) { r.fAs = v; }, 0.01f, 0.0f},
    };
    for (const auto& [what, set, inside, outside] : limits) {
        CPelvorinData r = Good();
        set(r, inside);
        std::string problem;
        EXPECT_TRUE(CheckKangLiData(r, &problem)) << what << ": " << problem;
        set(r, outside);
        EXPECT_FALSE(CheckKangLiData(r, &problem)) << what;
    }
}

// A sweep sets the field its key names, in the record or in a layer, and no other.
TEST(FieldTable, EveryRowIsASweepKey)
{
    CPelvorinData r = Good();
    std::string error;
    for (const FieldDef& f : RecordFields()) {
        CPelvorinData s = r, want = r;
        const double value = f.IsReal() ? 7.25 : 7;
        if (f.sweeps)
            Set(f, want, nullptr, value);
        EXPECT_EQ(SetRecordValue(s, f.key, value, &error), f.sweeps) << f.key << ": " << error;
        EXPECT_EQ(RecordToJson(s), RecordToJson(want)) << f.key;
    }
    for (const FieldDef& f : LayerFields()) {
        CPelvorinData s = r, want = r;
        Set(f, want, &want.TuCeng[1], 7);
        EXPECT_TRUE(SetRecordValue(s, std::string("TuCeng[1].") + f.key, 7, &error)) << error;
        EXPECT_EQ(RecordToJson(s), RecordToJson(want)) << f.key;
    }
    // The layer count is not one to vary; an integer takes whole numbers, and what
    // it may hold is the check's to say.
    EXPECT_FALSE(SetRecordValue(r, "nTuCengShu", 3, &error));
    EXPECT_EQ(error, "key \"nTuCengShu\": the layer count cannot be varied");
    EXPECT_FALSE(SetRecordValue(r, "TuCeng[0].nLeiXing", 0.5, &error));
    EXPECT_EQ(error, "key \"TuCeng[0].nLeiXing\": expected a whole number");
    // Every whole number an integer holds, and none beyond.
    EXPECT_TRUE(SetRecordValue(r, "nHunNingTuDengJi", 2147483647.0, &error)) << error;
    EXPECT_FALSE(SetRecordValue(r, "nHunNingTuDengJi", 2147483648.0, &error));
    r.nHunNingTuDengJi = 25;
    ASSERT_TRUE(SetRecordValue(r, "TuCeng[0].nLeiXing", 2, &error)) << error;
    EXPECT_FALSE(CheckKangLiData(r, &error));
    EXPECT_EQ(error, "TuCeng[0].nLeiXing (第1层 地层类型): layer type (0 soil, 1 rock) must be one of 0, 1 (is 2)");
    EXPECT_FALSE(SetRecordValue(r, "TuCeng[0].fColour", 1, &error));
    EXPECT_EQ(error, "key \"TuCeng[0].fColour\": unknown key");
}

// Each field at its place in the data file, a real with six decimals: a record whose
// fields count up in the table's order (11, 12, ...; the second layer's 31, 32, ...)
// writes them in the file's order.
TEST(FieldTable, EachDataFilePositionHoldsItsField)
{
    CPelvorinData r = Good();
    int n = 10;
    for (const FieldDef& f : RecordFields())
        if (f.fileLine > 0 && f.integer != &CPelvorinData::nTuCengShu)
            Set(f, r, nullptr, ++n);
    n = 30;
    for (const FieldDef& f : LayerFields())
        Set(f, r, &r.TuCeng[1], ++n);
    const std::string text = SaveToString(r);
    EXPECT_EQ(text.substr(0, text.find('[')),
              // pile unit weight, length, b, h, d, spacing, slope to top, water depth, bars' edge, slip to top
              "11.000000,12.000000,13.000000,14.000000,15.000000,16.000000,17.000000,22.000000,19.000000,20.000000\n"
              "21,2,18,23\n" // grade, layer count, shape, water
              "2.000000,18.000000,15.000000,15.000000,10.000000,0.300000,0\n"
              // thickness, unit weight, buoyant unit weight, friction angle, cohesion, layer factor, type
              "33.000000,34.000000,37.000000,36.000000,35.000000,32.000000,31\n");
}
