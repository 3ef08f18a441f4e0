// The input tables as cell models: rows, limits, states, reactions, and what a
// cell takes against what the calculation's check takes.
#include "FieldTable.h"
#include "Messages.h"
#include "RecordCheck.h"
#include "TabKangLi.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string Shown(CEasyTableWnd& t, int row, int col)
{
    CETCell* c = t.GetCell(row, col);
    return c ? c->DisplayText() : "<none>";
}

// Whether any label of the first column names the reinforcement.
bool HasReinforcementRow(CEasyTableWnd& t)
{
    for (int row = 1; row <= t.GetRowNum(); ++row)
        if (Shown(t, row, 1).find("钢筋") != std::string::npos)
            return true;
    return false;
}

struct Edit { int row, col; const char* typed; int taken; const char* why; }; // why: the refusal as shown, or null

// Types each edit in turn, the table refreshed after each as the page does;
// what its owner was told meanwhile.
std::vector<int> Type(CEasyTableWnd& t, const std::vector<Edit>& edits)
{
    std::vector<int> told;
    t.owner = [&told](int m) { told.push_back(m); };
    for (const Edit& e : edits) {
        std::string why;
        EXPECT_EQ(t.EditCell(e.row, e.col, e.typed, &why), e.taken) << e.row << "," << e.col << " " << e.typed << ": " << why;
        EXPECT_TRUE(!e.why || why == e.why) << why;
        t.FillTable();
    }
    t.owner = nullptr;
    return told;
}

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

template <class Table>
std::unique_ptr<CEasyTableWnd> Make(CPelvorinData& r)
{
    auto t = std::make_unique<Table>();
    t->pData = &r;
    t->FillTable();
    return t;
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
    const std::vector<std::tuple<const char*, float, std::string>> cases = {
        {"%.1f", 0.3f, "0.3"},     {"%.1f", 0.35f, "0.35"},   {"%.1f", 0.25f, "0.25"},  {"%.1f", 1.0f, "1.0"},
        {"%.2f", 2.125f, "2.125"}, {"%.2f", 0.004f, "0.004"}, {"%.2f", 18.0f, "18.00"}, {"%.2f", 1.0f / 3.0f, "0.333333"}};
    for (const auto& [format, value, shown] : cases) {
        c.strFormat = format;
        v = value;
        EXPECT_EQ(c.DisplayText(), shown) << format << " " << value;
    }
}

// Typed into the pile table of the default record (a rectangle 1.5 m high, the
// slip surface free), in words naming the cell; which values each cell takes is
// CellLimits' to check. Choosing the circle rebuilds the table at once (the
// diameter replaces b and h, no reinforcement edge distance) and the owner
// redraws and refreshes; the rectangle's sizes stay in the record. The book
// prints the rectangle's table without the reinforcement row.
TEST(PileTable, EditsAndTheRowsOfEachShape)
{
    CPelvorinData r;
    CTabKangLiJBXX t, book;
    t.pData = book.pData = &r;
    book.bInBook = true;
    ASSERT_TRUE(t.FillTable() == 1 && book.FillTable() == 1 && t.GetRowNum() == 10 && HasReinforcementRow(t));
    EXPECT_TRUE(book.GetRowNum() == 9 && !HasReinforcementRow(book));
    Type(t, {{1, 2, "abc", 0, "“桩中心距（m）”应为数字，输入的是“abc”"},
             {1, 2, " 6.5 ", 1, nullptr},
             {8, 2, "750", 0, "“钢筋合力点到边缘距离（mm）”应在 0.01 到 750（不含） 之间，输入值为 750"},
             {10, 2, "C42", 0, "“混凝土等级”没有“C42”这一项"},
             {10, 2, "C40", 1, nullptr},
             {6, 2, "2", 1, nullptr}, // a higher pile: the bars' limit follows
             {8, 2, "750", 1, nullptr},
             {1, 1, "x", 0, nullptr}}); // labels are not edited
    EXPECT_TRUE(r.fZhuangJianJu == 6.5f && r.fAs == 750.0f && r.nHunNingTuDengJi == 40);
    r.bHuaMianKeBian = 0; // fixed by the slope model: read only
    t.FillTable();
    Type(t, {{4, 2, "3", 0, nullptr}});
    EXPECT_TRUE(t.GetCell(4, 2)->nState == ETCELL_STATE_READONLY && r.fHuaMianDaoZhuangDing == 5.0f);

    EXPECT_EQ(Type(t, {{5, 2, "圆形", 1, nullptr}}), (std::vector<int>{WM_ET_REDRAW, WM_ET_DATACHANGE}));
    EXPECT_EQ(r.nJieMianXingZhuang, 0);
    EXPECT_TRUE(t.GetRowNum() == 8 && Shown(t, 6, 1) == "桩径（m）" && !HasReinforcementRow(t));
    EXPECT_FLOAT_EQ(r.fZhuangGao, 2.0f); // the rectangle's height, as typed
}

TEST(LayerTables, CountWaterAndLayers)
{
    CPelvorinData r;
    auto count = Make<CTabKangLiTCNum>(r);
    EXPECT_EQ(Type(*count, {{1, 2, "3", 1, nullptr},
                            {1, 2, "2.5", 0, "“土层数”应为整数，输入的是“2.5”"},
                            {1, 2, "101", 0, "“土层数”应在 0 到 100 之间，输入值为 101"}}),
              (std::vector<int>{WM_ET_DATACHANGE, WM_ET_REDRAW, WM_ET_DATACHANGE}));
    EXPECT_EQ(r.nTuCengShu, 3);

    // The layer table brings the list to the count, with default layers.
    auto layers = Make<CTabKangLiTuCeng>(r);
    EXPECT_TRUE(r.TuCeng.size() == 3 && layers->GetRowNum() == 3 && Shown(*layers, 3, 3) == "2.00");
    // Rock: its under-water cells are disabled; so are all of them without water.
    Type(*layers, {{3, 2, "岩层", 1, nullptr}});
    EXPECT_TRUE(layers->GetCell(3, 5)->nState == ETCELL_STATE_DISABLE && layers->GetCell(2, 5)->nState == ETCELL_STATE_NORMAL);
    auto water = Make<CTabKangLiSMX>(r);
    Type(*water, {{1, 2, "否", 1, nullptr}});
    EXPECT_TRUE(r.bKaoLvShui == 0 && water->GetCell(2, 2)->nState == ETCELL_STATE_DISABLE);
    layers->FillTable();
    EXPECT_TRUE(layers->GetCell(1, 8)->nState == ETCELL_STATE_DISABLE && layers->GetCell(1, 6)->nState == ETCELL_STATE_NORMAL);

    // A count the list cannot follow is reported, and the table shows no rows.
    r.nTuCengShu = -1;
    ScopedMessageRecorder recorder;
    EXPECT_TRUE(layers->FillTable() == 0 && layers->GetRowNum() == 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "土层数组大小与土层数不等！");
}

// What a cell takes is what the calculation's check takes: a value a person can
// type into any number cell of any table is never refused later by 构件计算,
// and the reverse (a slip surface that must cut the pile, bars inside the
// section, sand without cohesion, a slope surface above the pile top,
// 89.999999999 degrees that a 32-bit real holds as 90 refused).
TEST(CellLimits, EveryCellTakesExactlyWhatTheCheckTakes)
{
    const std::vector<std::string> values = {
        "-1e9", "-100001", "-100000", "-1.5", "-0.001", "0", "0.000", "0.0005", "0.001", "0.0009", "0.009", "0.01",
        "0.3", "1", "1.000001", "2", "89.99", "89.999999999", "90", "95", "999", "1000", "1000.5", "1500",
        "100000", "100001", "10000000", "10000001", "1e30"};
    for (auto make : {Make<CTabKangLiJBXX>, Make<CTabKangLiTCNum>, Make<CTabKangLiSMX>, Make<CTabKangLiTuCeng>}) {
        CPelvorinData base = Calculable();
        auto table = make(base);
        for (const auto& cell : table->Cells()) {
            if (!cell->Editable() || (cell->kind != CETCell::Float && cell->kind != CETCell::Int))
                continue;
            const std::string label = table->CellLabel(cell->nRow, cell->nCol);
            for (const std::string& v : values) {
                CPelvorinData r = base;
                std::string why;
                const bool taken = make(r)->EditCell(cell->nRow, cell->nCol, v, &why) == 1;
                Make<CTabKangLiTuCeng>(r); // as the page refreshes its tables after an edit
                if (taken) {
                    EXPECT_FALSE(CheckRefusesCell(r, label)) << label << " took " << v;
                } else if (cell->kind == CETCell::Float) {
                    // What the check would say of the value, held as the record holds it.
                    CPelvorinData held = base;
                    *make(held)->GetCell(cell->nRow, cell->nCol)->pFloat = static_cast<float>(std::strtod(v.c_str(), nullptr));
                    EXPECT_TRUE(CheckRefusesCell(held, label)) << label << " refused " << v << " (" << why << ")";
                }
            }
        }
    }
}

// The choice cells offer exactly the values the check takes, with the texts of
// the field table (the grades are the material library's list).
TEST(CellLimits, ChoiceCellsOfferWhatTheCheckTakes)
{
    CPelvorinData r = Calculable();
    auto pile = Make<CTabKangLiJBXX>(r), water = Make<CTabKangLiSMX>(r), layers = Make<CTabKangLiTuCeng>(r);
    const std::vector<std::pair<CETCell*, const char*>> cells = {{pile->GetCell(5, 2), "nJieMianXingZhuang"},
                                                                 {pile->GetCell(10, 2), "nHunNingTuDengJi"},
                                                                 {water->GetCell(1, 2), "bKaoLvShui"},
                                                                 {layers->GetCell(1, 2), "nLeiXing"}};
    for (const auto& [cell, key] : cells) {
        const FieldDef* f = FindRecordField(key) ? FindRecordField(key) : FindLayerField(key);
        ASSERT_TRUE(cell && f) << key;
        std::vector<std::string> texts;
        std::vector<int> values;
        for (const FieldChoice& c : f->choices)
            texts.push_back(c.text), values.push_back(c.value);
        EXPECT_EQ(cell->Choices(), texts) << key;
        EXPECT_EQ(cell->values, values) << key;
    }
}
