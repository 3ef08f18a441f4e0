// The input tables as cell models: rows, bindings, limits, states, reactions.
#include "FieldTable.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "TabKangLi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

std::string Shown(CEasyTableWnd& t, int row, int col)
{
    CETCell* c = t.GetCell(row, col);
    return c ? c->DisplayText() : "<none>";
}

} // namespace

// A cell shows the value held: more decimals than its format where the
// format would show another number, and no more than that.
TEST(Cells, ShowTheValueHeld)
{
    float v = 0;
    CETCell c;
    c.kind = CETCell::Float;
    c.pFloat = &v;
    c.strFormat = "%.1f";
    const std::vector<std::pair<float, std::string>> oneDecimal = {{0.3f, "0.3"}, {0.35f, "0.35"}, {0.25f, "0.25"},
                                                                   {1.0f, "1.0"}};
    for (const auto& [value, shown] : oneDecimal) {
        v = value;
        EXPECT_EQ(c.DisplayText(), shown) << value;
    }
    c.strFormat = "%.2f";
    const std::vector<std::pair<float, std::string>> twoDecimals = {
        {2.125f, "2.125"}, {0.004f, "0.004"}, {18.0f, "18.00"}, {1.0f / 3.0f, "0.333333"}};
    for (const auto& [value, shown] : twoDecimals) {
        v = value;
        EXPECT_EQ(c.DisplayText(), shown) << value;
    }
}

TEST(PileTable, RowsFollowTheSectionShape)
{
    CPelvorinData r;
    CTabKangLiJBXX t;
    t.pData = &r;
    ASSERT_EQ(t.FillTable(), 1);
    EXPECT_EQ(t.GetRowNum(), 10);
    EXPECT_EQ(t.GetColNum(), 2);
    EXPECT_EQ(t.edges, (std::vector<int>{0, 190, 390}));
    EXPECT_EQ(Shown(t, 1, 1), "桩中心距（m）");
    EXPECT_EQ(Shown(t, 1, 2), "5.000");
    EXPECT_EQ(Shown(t, 5, 2), "矩形");
    EXPECT_EQ(Shown(t, 6, 1), "桩高（m）");
    EXPECT_EQ(t.GetCell(6, 2)->strTiShi, "桩横向长度");
    EXPECT_EQ(Shown(t, 7, 2), "1.000");
    EXPECT_EQ(Shown(t, 10, 2), "C25");

    // Choosing the circle rebuilds the table at once: the diameter replaces b and h,
    // and the table asks its owner to redraw and refresh.
    std::vector<int> messages;
    t.owner = [&messages](int m) { messages.push_back(m); };
    std::string why;
    ASSERT_EQ(t.EditCell(5, 2, "圆形", &why), 1) << why;
    EXPECT_EQ(r.nJieMianXingZhuang, 0);
    EXPECT_EQ(messages, (std::vector<int>{WM_ET_REDRAW, WM_ET_DATACHANGE}));
    EXPECT_EQ(t.GetRowNum(), 8);
    EXPECT_EQ(Shown(t, 6, 1), "桩径（m）");
    EXPECT_EQ(Shown(t, 8, 1), "混凝土等级");
    EXPECT_FLOAT_EQ(r.fZhuangGao, 1.5f); // the rectangle's sizes stay in the record
}

// The edge distance of the reinforcement has its row under the pile width, with
// the label, unit and range of the field table, for a rectangle only; the
// detailed book prints the pile table with the rows it has always had.
TEST(PileTable, EdgeDistanceOfTheReinforcementHasItsRowButNotInTheBook)
{
    CPelvorinData r;
    CTabKangLiJBXX t;
    t.pData = &r;
    ASSERT_EQ(t.FillTable(), 1);
    ASSERT_EQ(t.GetRowNum(), 10);
    EXPECT_EQ(Shown(t, 7, 1), "桩宽（m）");
    EXPECT_EQ(Shown(t, 8, 1), "钢筋合力点到边缘距离（mm）");
    EXPECT_EQ(Shown(t, 8, 2), "100.0");
    EXPECT_EQ(Shown(t, 10, 1), "混凝土等级");
    std::string why;
    // The bars lie inside the section: below 750 mm for a pile 1.5 m high.
    EXPECT_EQ(t.EditCell(8, 2, "750", &why), 0);
    EXPECT_EQ(why, "“钢筋合力点到边缘距离（mm）”应在 0.01 到 750（不含） 之间，输入值为 750");
    EXPECT_EQ(t.EditCell(8, 2, "80", &why), 1) << why;
    EXPECT_FLOAT_EQ(r.fAs, 80.0f);
    // A higher pile takes more: the limit follows the record.
    ASSERT_EQ(t.EditCell(6, 2, "2", &why), 1) << why;
    t.FillTable();
    EXPECT_EQ(t.EditCell(8, 2, "750", &why), 1) << why;

    CTabKangLiJBXX book;
    book.pData = &r;
    book.bInBook = true;
    ASSERT_EQ(book.FillTable(), 1);
    ASSERT_EQ(book.GetRowNum(), 9);
    for (int row = 1; row <= 9; ++row)
        EXPECT_EQ(Shown(book, row, 1).find("钢筋"), std::string::npos) << row;
    EXPECT_EQ(Shown(book, 8, 1), "桩容重（kN/m^3）");

    r.nJieMianXingZhuang = 0; // a circle: no such row
    t.FillTable();
    EXPECT_EQ(t.GetRowNum(), 8);
    for (int row = 1; row <= 8; ++row)
        EXPECT_EQ(Shown(t, row, 1).find("钢筋"), std::string::npos) << row;
}

TEST(PileTable, LimitsAndTheFixedSlipSurface)
{
    CPelvorinData r;
    CTabKangLiJBXX t;
    t.pData = &r;
    t.FillTable();
    std::string why;
    EXPECT_EQ(t.EditCell(1, 2, "0", &why), 0); // spacing: at least 0.01
    EXPECT_EQ(why, "“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0");
    EXPECT_FLOAT_EQ(r.fZhuangJianJu, 5.0f);
    EXPECT_EQ(t.EditCell(1, 2, "abc", &why), 0);
    EXPECT_EQ(why, "“桩中心距（m）”应为数字，输入的是“abc”");
    EXPECT_EQ(t.EditCell(1, 2, " 6.5 ", &why), 1);
    EXPECT_FLOAT_EQ(r.fZhuangJianJu, 6.5f);
    EXPECT_EQ(t.EditCell(4, 2, "0", &why), 1); // the slip surface at the pile top
    EXPECT_FLOAT_EQ(r.fHuaMianDaoZhuangDing, 0.0f);
    // It must cut the pile, as the calculation requires: 0 .. the pile length.
    EXPECT_EQ(t.EditCell(4, 2, "10.5", &why), 0);
    EXPECT_EQ(why, "“滑面到桩顶距离（m）”应在 0 到 10 之间，输入值为 10.5");
    EXPECT_EQ(t.EditCell(10, 2, "C40", &why), 1);
    EXPECT_EQ(r.nHunNingTuDengJi, 40);
    EXPECT_EQ(t.EditCell(10, 2, "C42", &why), 0);
    EXPECT_EQ(why, "“混凝土等级”没有“C42”这一项");
    EXPECT_EQ(t.EditCell(1, 1, "x", &why), 0); // labels are not edited

    r.bHuaMianKeBian = 0; // fixed by the slope model
    t.FillTable();
    EXPECT_EQ(t.GetCell(4, 2)->nState, ETCELL_STATE_READONLY);
    EXPECT_EQ(t.EditCell(4, 2, "3", &why), 0);
    EXPECT_FLOAT_EQ(r.fHuaMianDaoZhuangDing, 0.0f);
}

TEST(LayerTables, CountWaterAndLayers)
{
    CPelvorinData r;
    CTabKangLiTCNum count;
    count.pData = &r;
    count.FillTable();
    EXPECT_EQ(Shown(count, 1, 2), "2");
    EXPECT_EQ(Shown(count, 2, 2), "0.3");
    std::vector<int> messages;
    count.owner = [&messages](int m) { messages.push_back(m); };
    std::string why;
    ASSERT_EQ(count.EditCell(1, 2, "3", &why), 1);
    EXPECT_EQ(messages, (std::vector<int>{WM_ET_DATACHANGE, WM_ET_REDRAW, WM_ET_DATACHANGE}));
    EXPECT_EQ(count.EditCell(1, 2, "2.5", &why), 0);
    EXPECT_EQ(why, "“土层数”应为整数，输入的是“2.5”");
    // What the calculation would refuse is refused where it is typed.
    EXPECT_EQ(count.EditCell(1, 2, "-1", &why), 0);
    EXPECT_EQ(why, "“土层数”应在 0 到 100 之间，输入值为 -1");
    EXPECT_EQ(count.EditCell(1, 2, "101", &why), 0);
    EXPECT_EQ(count.EditCell(2, 2, "1.5", &why), 0);
    EXPECT_EQ(why, "“被动土压力折减系数”应在 0 到 1 之间，输入值为 1.5");
    EXPECT_EQ(r.nTuCengShu, 3);

    // The layer table brings the list to the count, with default layers.
    CTabKangLiTuCeng layers;
    layers.pData = &r;
    ASSERT_EQ(layers.FillTable(), 1);
    EXPECT_EQ(r.TuCeng.size(), 3u);
    EXPECT_EQ(layers.GetRowNum(), 3);
    EXPECT_EQ(layers.titles.size(), 9u);
    EXPECT_EQ(layers.edges.back(), 390);
    EXPECT_EQ(Shown(layers, 2, 1), " 2 ");
    EXPECT_EQ(Shown(layers, 3, 2), "土层");
    EXPECT_EQ(Shown(layers, 3, 3), "2.00");
    EXPECT_EQ(Shown(layers, 1, 9), "15.00");
    EXPECT_EQ(layers.EditCell(1, 7, "-1", &why), 0); // 0 up to below 90 degrees
    EXPECT_EQ(why, "“第1层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 -1");

    // Rock: its under-water cells are disabled; so are all of them without water.
    ASSERT_EQ(layers.EditCell(3, 2, "岩层", &why), 1);
    EXPECT_EQ(layers.GetCell(3, 5)->nState, ETCELL_STATE_DISABLE);
    EXPECT_EQ(layers.GetCell(2, 5)->nState, ETCELL_STATE_NORMAL);
    CTabKangLiSMX water;
    water.pData = &r;
    water.FillTable();
    EXPECT_EQ(Shown(water, 1, 2), "是");
    ASSERT_EQ(water.EditCell(1, 2, "否", &why), 1);
    EXPECT_EQ(r.bKaoLvShui, 0);
    water.FillTable();
    EXPECT_EQ(water.GetCell(2, 2)->nState, ETCELL_STATE_DISABLE);
    layers.FillTable();
    EXPECT_EQ(layers.GetCell(1, 8)->nState, ETCELL_STATE_DISABLE);
    EXPECT_EQ(layers.GetCell(1, 6)->nState, ETCELL_STATE_NORMAL);

    // A count the list cannot follow is reported, and the table shows no rows.
    r.nTuCengShu = -1;
    ScopedMessageRecorder recorder;
    EXPECT_EQ(layers.FillTable(), 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "土层数组大小与土层数不等！");
    EXPECT_EQ(layers.GetRowNum(), 0);
}

// What a cell takes is what the calculation's check takes: a value a person can
// type into a cell is never refused later by 构件计算, and the reverse.
namespace {

CPelvorinData Calculable()
{
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    return r;
}

// The check's verdict on the field a cell shows: refused when the check's first
// complaint names that cell by its label.
bool CheckRefusesCell(const CPelvorinData& r, const std::string& label)
{
    std::string problem, chinese;
    return !CheckKangLiData(r, &problem, &chinese) && chinese.rfind("“" + label + "”", 0) == 0;
}

} // namespace

TEST(CellLimits, PileLengthStopsWhereTheCalculationStops)
{
    CPelvorinData r = Calculable();
    CTabKangLiJBXX t;
    t.pData = &r;
    t.FillTable();
    std::string why;
    EXPECT_EQ(t.EditCell(2, 2, "1500", &why), 0);
    EXPECT_EQ(why, "“桩长（m）”应在 0.01 到 1000 之间，输入值为 1500");
    EXPECT_FLOAT_EQ(r.fZhuangChang, 10.0f);
    ASSERT_EQ(t.EditCell(2, 2, "1000", &why), 1) << why;
    std::string problem;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
}

TEST(CellLimits, LayerCellsTakeCohesionlessSandAndStopBelowNinetyDegrees)
{
    CPelvorinData r = Calculable();
    CTabKangLiTuCeng t;
    t.pData = &r;
    ASSERT_EQ(t.FillTable(), 1);
    std::string why, problem;
    // Sand: no cohesion, above and under water.
    EXPECT_EQ(t.EditCell(1, 6, "0", &why), 1) << why;
    EXPECT_EQ(t.EditCell(1, 8, "0", &why), 1) << why;
    EXPECT_EQ(r.TuCeng[0].fNianJuLi, 0.0f);
    EXPECT_EQ(t.EditCell(2, 7, "0", &why), 1) << why; // a clay taken as purely cohesive
    EXPECT_EQ(r.TuCeng[1].fMoCaJiao, 0.0f);
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
    // 90 degrees and more leave no passive wedge: refused where typed, in the
    // check's own words.
    EXPECT_EQ(t.EditCell(1, 7, "95", &why), 0);
    EXPECT_EQ(why, "“第1层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 95");
    EXPECT_EQ(t.EditCell(1, 7, "90", &why), 0);
    EXPECT_EQ(t.EditCell(1, 9, "90", &why), 0);
    EXPECT_EQ(why, "“第1层 水下内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 90");
    EXPECT_EQ(t.EditCell(1, 7, "-1", &why), 0);
    EXPECT_FLOAT_EQ(r.TuCeng[0].fMoCaJiao, 15.0f);
    // Just below 90 as typed, but 90 once held as a 32-bit real: refused too.
    EXPECT_EQ(t.EditCell(1, 7, "89.999999999", &why), 0);
    EXPECT_EQ(t.EditCell(1, 7, "89.99", &why), 1) << why;
    EXPECT_TRUE(CheckKangLiData(r, &problem)) << problem;
}

TEST(CellLimits, SlopeSurfaceAtThePileTopAsTheExampleHoldsIt)
{
    CPelvorinData r;
    ASSERT_EQ(r.LoadData(KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.dat"), 1);
    CTabKangLiJBXX t;
    t.pData = &r;
    t.FillTable();
    ASSERT_EQ(Shown(t, 3, 1), "坡面到桩顶距离（m）");
    ASSERT_EQ(Shown(t, 3, 2), "0.000");
    std::string why;
    // Confirming what the cell shows is taken.
    EXPECT_EQ(t.EditCell(3, 2, "0.000", &why), 1) << why;
    // A slope surface above the pile top (the pile stands below ground) too, as
    // the calculation takes it.
    EXPECT_EQ(t.EditCell(3, 2, "-1.5", &why), 1) << why;
    EXPECT_FLOAT_EQ(r.fPoMianDaoZhuangDing, -1.5f);
    EXPECT_EQ(t.EditCell(3, 2, "100001", &why), 0);
    EXPECT_EQ(why, "“坡面到桩顶距离（m）”应在 -100000 到 100000 之间，输入值为 100001");
}

TEST(CellLimits, EveryCellTakesExactlyWhatTheCheckTakes)
{
    const std::vector<std::string> values = {
        "-1e9", "-100001", "-100000", "-1", "-0.001", "0", "0.0005", "0.001", "0.0009", "0.009", "0.01",
        "0.3", "1", "1.000001", "2", "89.99", "90", "95", "999", "1000", "1000.5", "100000", "100001",
        "10000000", "10000001", "1e30"};
    auto probe = [&](auto makeTable, const char* name) {
        CPelvorinData base = Calculable();
        makeTable(base)->FillTable();
        auto table = makeTable(base);
        table->FillTable();
        for (const auto& cell : table->Cells()) {
            if (!cell->Editable() || (cell->kind != CETCell::Float && cell->kind != CETCell::Int))
                continue;
            const std::string label = table->CellLabel(cell->nRow, cell->nCol);
            for (const std::string& v : values) {
                CPelvorinData r = base;
                auto t = makeTable(r);
                t->FillTable();
                std::string why;
                const bool taken = t->EditCell(cell->nRow, cell->nCol, v, &why) == 1;
                CTabKangLiTuCeng refresh; // as the page refreshes its tables after an edit
                refresh.pData = &r;
                refresh.FillTable();
                if (taken) {
                    EXPECT_FALSE(CheckRefusesCell(r, label)) << name << ": " << label << " took " << v;
                } else if (cell->kind == CETCell::Float) {
                    // What the check would say of the value, held as the record holds it.
                    CPelvorinData held = base;
                    auto h = makeTable(held);
                    h->FillTable();
                    *h->GetCell(cell->nRow, cell->nCol)->pFloat = static_cast<float>(std::strtod(v.c_str(), nullptr));
                    EXPECT_TRUE(CheckRefusesCell(held, label))
                        << name << ": " << label << " refused " << v << " (" << why << ")";
                }
            }
        }
    };
    probe([](CPelvorinData& r) { auto t = std::make_unique<CTabKangLiJBXX>(); t->pData = &r; return t; }, "pile");
    probe([](CPelvorinData& r) { auto t = std::make_unique<CTabKangLiTCNum>(); t->pData = &r; return t; }, "count");
    probe([](CPelvorinData& r) { auto t = std::make_unique<CTabKangLiSMX>(); t->pData = &r; return t; }, "water");
    probe([](CPelvorinData& r) { auto t = std::make_unique<CTabKangLiTuCeng>(); t->pData = &r; return t; }, "layers");
}

// The choice cells offer exactly the values the check takes, with the texts of
// the field table (the grades are the material library's list).
TEST(CellLimits, ChoiceCellsOfferWhatTheCheckTakes)
{
    CPelvorinData r = Calculable();
    CTabKangLiJBXX pile;
    CTabKangLiSMX water;
    CTabKangLiTuCeng layers;
    pile.pData = water.pData = layers.pData = &r;
    pile.FillTable();
    water.FillTable();
    layers.FillTable();
    const std::vector<std::pair<CETCell*, const char*>> cells = {
        {pile.GetCell(5, 2), "nJieMianXingZhuang"},
        {pile.GetCell(10, 2), "nHunNingTuDengJi"},
        {water.GetCell(1, 2), "bKaoLvShui"},
        {layers.GetCell(1, 2), "nLeiXing"},
    };
    for (const auto& [cell, key] : cells) {
        ASSERT_NE(cell, nullptr) << key;
        const FieldDef* f = FindRecordField(key) ? FindRecordField(key) : FindLayerField(key);
        ASSERT_NE(f, nullptr) << key;
        std::vector<std::string> texts;
        std::vector<int> values;
        for (const FieldChoice& c : f->choices)
            texts.push_back(c.text), values.push_back(c.value);
        EXPECT_EQ(cell->Choices(), texts) << key;
        EXPECT_EQ(cell->values, values) << key;
    }
}
