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

// A value the field never takes: no choice is 7, and every range starts above lo - 1.
void Set(const FieldDef& f, CPelvorinData& r, CTuCeng* layer, double v)
{
    if (float* p = layer ? FieldReal(f, *layer) : FieldReal(f, r))
        *p = static_cast<float>(v);
    else
        *(layer ? FieldInteger(f, *layer) : FieldInteger(f, r)) = static_cast<int>(v);
}

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
    for (auto [f, layer] : spoilt) {
        const std::string key = layer ? std::string("TuCeng[0].") + f->key : f->key;
        std::string problem, chinese;
        ASSERT_FALSE(CheckKangLiData(r, &problem, &chinese)) << "expected: " << key;
        EXPECT_EQ(problem.rfind(key + " (" + FieldLabel(key) + "): " + FieldWhat(*f), 0), 0u) << problem;
        EXPECT_EQ(chinese.rfind("“" + FieldLabel(key) + "”", 0), 0u) << chinese;
        Set(*f, r, layer, layer ? FieldValue(*f, good.TuCeng[0]) : FieldValue(*f, good));
    }
    std::string problem;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;

    // The wording a user reads, once for each kind of limit.
    const std::vector<std::tuple<std::function<void(CPelvorinData&)>, std::string, std::string>> said = {
        {[](CPelvorinData& r) { r.fZhuangChang = 0; },
         "fZhuangChang (桩长（m）): pile length (m) must lie in 0.01 .. 1000 (is 0)",
         "“桩长（m）”应在 0.01 到 1000 之间，输入值为 0"},
        {[](CPelvorinData& r) { r.nHunNingTuDengJi = 32; },
         "nHunNingTuDengJi (混凝土等级): concrete grade must be one of 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, "
         "70, 75, 80 (is 32)",
         "“混凝土等级”应为 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80 之一，输入值为 32"},
        {[](CPelvorinData& r) { r.fHuaMianDaoZhuangDing = 11; },
         "fHuaMianDaoZhuangDing (滑面到桩顶距离（m）): slip-surface depth below the pile top (m) must lie in 0 .. 10 "
         "(is 11)",
         "“滑面到桩顶距离（m）”应在 0 到 10 之间，输入值为 11"},
        {[](CPelvorinData& r) { r.fShuiWeiShenDu = NAN; },
         "fShuiWeiShenDu (桩前侧水位到坡面距离（m）): water depth below the slope surface (m) must lie in "
         "-100000 .. 100000 (is nan)",
         "“桩前侧水位到坡面距离（m）”应在 -100000 到 100000 之间，输入值为 nan"},
        {[](CPelvorinData& r) { r.nTuCengShu = 3; }, "nTuCengShu (土层数): layer count 3 but 2 layers given",
         "“土层数”为 3，而给出了 2 层"},
        {[](CPelvorinData& r) { r.TuCeng[1].fMoCaJiao = 90; },
         "TuCeng[1].fMoCaJiao (第2层 内摩擦角(°)): friction angle (degrees) must lie in 0 .. <90 (is 90)",
         "“第2层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 90"},
        // The bars lie inside the section: against the radius for a circle.
        {[](CPelvorinData& r) { r.nJieMianXingZhuang = 0, r.fZhuangJing = 1.2f, r.fAs = 600; },
         "fAs (钢筋合力点到边缘距离（mm）): reinforcement edge distance (mm) must lie in 0.01 .. <600 (is 600)",
         "“钢筋合力点到边缘距离（mm）”应在 0.01 到 600（不含） 之间，输入值为 600"},
    };
    for (const auto& [spoil, english, chinese] : said) {
        CPelvorinData bad = good;
        spoil(bad);
        std::string problem, zh;
        EXPECT_FALSE(CheckKangLiData(bad, &problem, &zh));
        EXPECT_EQ(problem, english);
        EXPECT_EQ(zh, chinese);
    }

    // Under-water values count only for soil where water is considered; the water
    // level only with water; a circle's b and h are not looked at.
    r.TuCeng[1].nLeiXing = 1;
    r.TuCeng[1].fFuZhongDu = -1;
    r.TuCeng[1].fShuiXiaMoCaJiao = 120;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
    r.bKaoLvShui = 0;
    r.fShuiWeiShenDu = NAN;
    r.TuCeng[0].fShuiXiaNianJuLi = -1;
    r.nJieMianXingZhuang = 0;
    r.fZhuangKuan = r.fZhuangGao = -5;
    r.fAs = 70;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
}

// A layer's key is labelled by its layer, counted from 1 as the table counts;
// what no table shows keeps its key.
TEST(RecordCheck, LabelsAsTheTablesShowThem)
{
    EXPECT_EQ(FieldLabel("TuCeng[2].fMoCaJiao"), "第3层 内摩擦角(°)");
    EXPECT_EQ(FieldLabel("TuCeng[0].fCengXiShu"), "TuCeng[0].fCengXiShu");
    EXPECT_EQ(FieldLabel("fZhuangChangg"), "fZhuangChangg");
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
