// The fields of the record and of a layer: what the check says about each one,
// in which order it looks at them, the labels it names them by, and the field
// table against the record, its JSON form, its sweep keys and its data file.
#include "FieldTable.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>

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
        {"fAs (钢筋合力点到边缘距离（mm）): reinforcement edge distance (mm) must lie in 0.01 .. <750 (is 1500)",
         "“钢筋合力点到边缘距离（mm）”应在 0.01 到 750（不含） 之间，输入值为 1500",
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

    // A circle: its diameter is checked, b and h are not; the bars' edge
    // distance acts on both shapes and is checked against the radius.
    r.nJieMianXingZhuang = 0;
    r.fZhuangKuan = r.fZhuangGao = r.fAs = -5;
    r.fZhuangJing = 0;
    Walk(r, {{"fZhuangJing (桩径（m）): pile diameter (m) must lie in 0.01 .. 10000000 (is 0)",
              "“桩径（m）”应在 0.01 到 10000000 之间，输入值为 0", [](CPelvorinData& r) { r.fZhuangJing = 1.2f; }},
             {"fAs (钢筋合力点到边缘距离（mm）): reinforcement edge distance (mm) must lie in 0.01 .. <600 (is -5)",
              "“钢筋合力点到边缘距离（mm）”应在 0.01 到 600（不含） 之间，输入值为 -5",
              [](CPelvorinData& r) { r.fAs = 70; }}});

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

// A layer's key is labelled by its layer, counted from 1 as the table counts.
TEST(RecordCheck, LabelsAsTheTablesShowThem)
{
    EXPECT_EQ(FieldLabel("TuCeng[2].fMoCaJiao"), "第3层 内摩擦角(°)");
    EXPECT_EQ(FieldLabel("TuCeng[0].fShuiXiaNianJuLi"), "第1层 水下粘聚力(kPa)");
    EXPECT_EQ(FieldLabel("TuCeng[0].nLeiXing"), "第1层 地层类型");
    // What no table shows keeps its key.
    EXPECT_EQ(FieldLabel("TuCeng[0].fCengXiShu"), "TuCeng[0].fCengXiShu");
    EXPECT_EQ(FieldLabel("nTuShu"), "nTuShu");
    EXPECT_EQ(FieldLabel("fZhuangChangg"), "fZhuangChangg");
}

// The limits docs/record.md documents hold at the limit itself, for the value as a
// 32-bit real holds it (0.01 is 0.0099999998 there).
TEST(RecordCheck, DocumentedLimitsAreTakenAtTheLimit)
{
    const std::vector<std::pair<const char*, std::function<void(CPelvorinData&, float)>>> limits = {
        {"pile spacing", [](CPelvorinData& r, float v) { r.fZhuangJianJu = v; }},
        {"pile length", [](CPelvorinData& r, float v) { r.fZhuangChang = v, r.fHuaMianDaoZhuangDing = 0; }},
        {"pile width", [](CPelvorinData& r, float v) { r.fZhuangKuan = v; }},
        {"pile height", [](CPelvorinData& r, float v) { r.fZhuangGao = v, r.fAs = 1; }},
        {"unit weight of the pile", [](CPelvorinData& r, float v) { r.fZhuangRongZhong = v; }},
        {"pile diameter", [](CPelvorinData& r, float v) { r.nJieMianXingZhuang = 0, r.fZhuangJing = v, r.fAs = 1; }},
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
    // The bars lie inside the section, for either shape: 0 < fAs < half the side
    // along the thrust or the radius.
    r = Good();
    r.fAs = 0;
    EXPECT_FALSE(CheckKangLiData(r, &problem));
    r.fAs = 749.9f;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
    r.nJieMianXingZhuang = 0;
    r.fZhuangJing = 1.2f;
    r.fAs = 600;
    ASSERT_FALSE(CheckKangLiData(r, &problem));
    EXPECT_EQ(problem, "fAs (钢筋合力点到边缘距离（mm）): reinforcement edge distance (mm) must lie in 0.01 .. <600 (is 600)");
    r.fAs = -1e6f;
    EXPECT_FALSE(CheckKangLiData(r, &problem));
    r.fAs = 70;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
    r = Good();
    r.fZhuangJianJu = 0.0099f;
    ASSERT_FALSE(CheckKangLiData(r, &problem));
    EXPECT_EQ(problem, "fZhuangJianJu (桩中心距（m）): pile spacing (m) must lie in 0.01 .. 10000000 (is 0.0099)");
}

// The table against the record it describes: every row's key is a JSON key, a
// sweep key and a place in the data file, and a value put there comes back.
TEST(FieldTable, EveryRowIsAJsonKeyAndASweepKey)
{
    CPelvorinData r = Good();
    // The JSON form holds exactly the rows, in their order.
    const nlohmann::ordered_json doc = nlohmann::ordered_json::parse(RecordToJson(r));
    std::vector<std::string> keys, layerKeys, rows, layerRows;
    for (const auto& [k, v] : doc.items())
        if (k != "TuCeng" && k != "JsDataBase")
            keys.push_back(k);
    for (const auto& [k, v] : doc["TuCeng"][0].items())
        layerKeys.push_back(k);
    for (const FieldDef& f : RecordFields())
        rows.push_back(f.key);
    for (const FieldDef& f : LayerFields())
        layerRows.push_back(f.key);
    EXPECT_EQ(keys, rows);
    EXPECT_EQ(layerKeys, layerRows);

    // A sweep sets each of them; the JSON form then shows the new value.
    for (const FieldDef& f : RecordFields()) {
        CPelvorinData s = r;
        std::string error;
        const double value = f.IsReal() ? 7.25 : 7;
        if (!f.sweeps) {
            EXPECT_FALSE(SetRecordValue(s, f.key, value, &error)) << f.key;
            EXPECT_EQ(error, "key \"nTuCengShu\": the layer count cannot be varied");
            continue;
        }
        ASSERT_TRUE(SetRecordValue(s, f.key, value, &error)) << error;
        EXPECT_EQ(nlohmann::json::parse(RecordToJson(s))[f.key].get<double>(), value) << f.key;
    }
    for (const FieldDef& f : LayerFields()) {
        CPelvorinData s = r;
        std::string error;
        const std::string key = std::string("TuCeng[1].") + f.key;
        ASSERT_TRUE(SetRecordValue(s, key, 7, &error)) << error;
        EXPECT_EQ(FieldValue(f, s.TuCeng[1]), 7) << key;
        EXPECT_EQ(FieldValue(f, s.TuCeng[0]), FieldValue(f, r.TuCeng[0])) << key;
    }
    // An integer takes whole numbers; what it may hold is the check's to say.
    std::string error;
    EXPECT_FALSE(SetRecordValue(r, "TuCeng[0].nLeiXing", 0.5, &error));
    EXPECT_EQ(error, "key \"TuCeng[0].nLeiXing\": expected a whole number");
    ASSERT_TRUE(SetRecordValue(r, "TuCeng[0].nLeiXing", 2, &error)) << error;
    EXPECT_FALSE(CheckKangLiData(r, &error));
    EXPECT_EQ(error, "TuCeng[0].nLeiXing (第1层 地层类型): layer type (0 soil, 1 rock) must be one of 0, 1 (is 2)");
    EXPECT_FALSE(SetRecordValue(r, "TuCeng[0].fColour", 1, &error));
    EXPECT_EQ(error, "key \"TuCeng[0].fColour\": unknown key");
}

TEST(FieldTable, EachDataFilePositionHoldsItsFieldAndReadsBack)
{
    CPelvorinData r = Good();
    // A distinct value per field: 11, 12, ... (a layer's: 31, 32, ...).
    int n = 10;
    for (const FieldDef& f : RecordFields())
        if (f.fileLine > 0 && f.integer != &CPelvorinData::nTuCengShu)
            f.real ? void(r.*f.real = static_cast<float>(++n)) : void(r.*f.integer = ++n);
    n = 30;
    for (const FieldDef& f : LayerFields())
        f.layerReal ? void(r.TuCeng[1].*f.layerReal = static_cast<float>(++n))
                    : void(r.TuCeng[1].*f.layerInteger = ++n);
    const std::string text = SaveToString(r);
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; lines.size() < 4 && std::getline(in, line);) {
        lines.emplace_back();
        std::istringstream values(line);
        for (std::string v; std::getline(values, v, ',');)
            lines.back().push_back(v);
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].size(), FileFields(1).size());
    EXPECT_EQ(lines[1].size(), FileFields(2).size());
    EXPECT_EQ(lines[3].size(), FileFields(3).size());
    for (int line = 1; line <= 3; ++line)
        for (const FieldDef* f : FileFields(line)) {
            const std::string& shown = lines[line == 3 ? 3 : line - 1].at(static_cast<size_t>(f->filePos - 1));
            const double value = line == 3 ? FieldValue(*f, r.TuCeng[1]) : FieldValue(*f, r);
            EXPECT_EQ(std::strtod(shown.c_str(), nullptr), value) << f->key;
            EXPECT_EQ(shown.find('.') != std::string::npos, f->IsReal()) << f->key << ": " << shown;
        }
    CPelvorinData back = Good();
    ASSERT_EQ(LoadFromString(back, text), 1);
    EXPECT_EQ(SaveToString(back), text);
    for (const FieldDef& f : RecordFields())
        if (f.fileLine > 0) {
            EXPECT_EQ(FieldValue(f, back), FieldValue(f, r)) << f.key;
        }
}
