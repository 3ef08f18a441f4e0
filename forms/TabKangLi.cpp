#include "TabKangLi.h"

#include "FieldTable.h"
#include "Messages.h"
#include "PelvorinData.h"

#include <functional>

namespace {

// Every input table asks its owner to redraw the sketch and refresh the tables
// after any change.
void TableReactions(CEasyTableWnd& t)
{
    t.AddReact(ETCELL_REACT_MESSAGE, WM_ET_REDRAW, 0, 0);
    t.AddReact(ETCELL_REACT_MESSAGE, WM_ET_DATACHANGE, 0, 0);
}

} // namespace

std::vector<int> LieWid2LiePos(const std::vector<int>& widths)
{
    std::vector<int> edges{0};
    for (int w : widths)
        edges.push_back(edges.back() + w);
    edges.push_back(-1);
    return edges;
}

namespace {

// The limits of a value cell: the range the calculation takes, from the field
// table, so that a cell never takes what 构件计算 would refuse.
void Limit(CETCell* c, const FieldDef& f, const CPelvorinData& r)
{
    if (f.ranged)
        c->SetLimit(f.lo, FieldHigh(f, r), f.openTop);
}

std::vector<std::string> ChoiceTexts(const FieldDef& f)
{
    std::vector<std::string> texts;
    for (const FieldChoice& c : f.choices)
        texts.push_back(c.text);
    return texts;
}

std::vector<int> ChoiceValues(const FieldDef& f)
{
    std::vector<int> values;
    for (const FieldChoice& c : f.choices)
        values.push_back(c.value);
    return values;
}

// The value cell of a field at (row, col), bound to the record's member (or the
// layer's), with its format, limits, tooltip and reactions.
CETCell* AddField(CGuiFanEasyTableWnd& t, int row, int col, const FieldDef& f, CPelvorinData& r, CTuCeng* layer)
{
    float* real = layer ? FieldReal(f, *layer) : FieldReal(f, r);
    int* integer = layer ? FieldInteger(f, *layer) : FieldInteger(f, r);
    CETCell* c = nullptr;
    switch (f.kind) {
    case FieldKind::Real:
        c = t.AddFloat(row, col, real, f.format);
        break;
    case FieldKind::Integer:
        c = t.AddInt(row, col, integer);
        break;
    case FieldKind::Choice:
        // The grades are the material library's own choice.
        c = integer == &r.nHunNingTuDengJi ? t.Add_HunNingTu_JieBie(row, col, integer)
                                           : t.AddInt(row, col, integer, ChoiceTexts(f), ChoiceValues(f));
        break;
    case FieldKind::Switch:
        c = t.AddCheck(row, col, integer, f.choices[0].text, f.choices[1].text);
        break;
    }
    Limit(c, f, r);
    if (f.tip)
        c->SetTiShi(f.tip);
    if (f.rebuild)
        c->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
    if (f.tellsOwner)
        c->AddReact(ETCELL_REACT_MESSAGE, WM_ET_DATACHANGE, 0, 0);
    return c;
}

// A table of label/value rows: one row per field the table shows.
int FillRows(CGuiFanEasyTableWnd& t, FieldTable table, CPelvorinData& r, bool inBook,
             const std::function<void(const FieldDef&, CETCell*)>& extra = {})
{
    int row = 0;
    for (const FieldDef* f : TableFields(table)) {
        if (inBook && !f->book)
            continue;
        // The section's sizes: only the rows of the shape in use.
        const bool shapeRow = f->when == FieldWhen::Rectangle || f->when == FieldWhen::Circle;
        if (shapeRow && !FieldApplies(*f, r))
            continue;
        ++row;
        t.AddText(row, 1, "%s", f->label);
        CETCell* c = AddField(t, row, 2, *f, r, nullptr);
        // What does not apply (the water level without water) is shown greyed.
        if (!FieldApplies(*f, r))
            c->SetState(ETCELL_STATE_DISABLE);
        if (extra)
            extra(*f, c);
    }
    t.SetRowNum(row);
    return row;
}

} // namespace

int CTabKangLiJBXX::FillTable()
{
    ClearEasyTable();
    IniEasyTable(7, 0, {0, 190, 390, -1});
    TableReactions(*this);
    if (!pData)
        return 1;
    FillRows(*this, FieldTable::Pile, *pData, bInBook, [this](const FieldDef& f, CETCell* c) {
        // Fixed by the slope model in slope mode.
        if (f.real == &CPelvorinData::fHuaMianDaoZhuangDing && pData->bHuaMianKeBian == 0)
            c->SetState(ETCELL_STATE_READONLY);
    });
    return 1;
}

void CTabKangLiJBXX::AfterDataChange(int, int) {}

int CTabKangLiTCNum::FillTable()
{
    ClearEasyTable();
    IniEasyTable(7, 0, {0, 160, 390, -1});
    TableReactions(*this);
    if (!pData)
        return 1;
    FillRows(*this, FieldTable::LayerCount, *pData, false);
    return 1;
}

int CTabKangLiSMX::FillTable()
{
    ClearEasyTable();
    IniEasyTable(7, 0, {0, 160, 390, -1});
    TableReactions(*this);
    if (!pData)
        return 1;
    FillRows(*this, FieldTable::Water, *pData, false);
    return 1;
}

int CTabKangLiTuCeng::FillTable()
{
    ClearEasyTable();
    // The ground below the slip surface for the internal forces: shown only
    // where the record has a design block that uses it.
    std::vector<const FieldDef*> columns;
    for (const FieldDef* f : TableFields(FieldTable::Layers))
        if (f->when != FieldWhen::Design || (!bInBook && pData && FieldApplies(*f, *pData)))
            columns.push_back(f);
    std::vector<std::string> titles{"序\n号"};
    std::vector<int> widths{25, 48, 36, 38, 45, 45, 43, 50, 60};
    for (const FieldDef* f : columns)
        titles.push_back(f->label);
    widths.resize(titles.size(), 60);
    IniEasyTable(1, 0, LieWid2LiePos(widths), titles);
    SetTitleHeight(35);
    TableReactions(*this);
    if (!pData)
        return 1;
    CPelvorinData& r = *pData;
    // A count the list cannot take (below 0, or beyond what a data file may hold)
    // leaves the list as it is, and the two then differ.
    if (r.nTuCengShu >= 0 && r.nTuCengShu <= kMaxTuCengShu)
        r.TuCeng.resize(static_cast<size_t>(r.nTuCengShu));
    if (static_cast<long>(r.TuCeng.size()) != static_cast<long>(r.nTuCengShu)) {
        AfxMessageBox("土层数组大小与土层数不等！", MB_OK, "提示");
        return 0;
    }
    for (int i = 1; i <= r.nTuCengShu; ++i) {
        CTuCeng& layer = r.TuCeng[static_cast<size_t>(i - 1)];
        AddText(i, 1, " %d ", i);
        for (size_t k = 0; k < columns.size(); ++k) {
            const FieldDef& f = *columns[k];
            CETCell* c = AddField(*this, i, static_cast<int>(k) + 2, f, r, &layer);
            // The under-water values do not apply without water, nor to rock
            // (the calculation gives rock its values above water); a rock's
            // row follows a change at once.
            if (f.when == FieldWhen::SoilUnderWater && r.bKaoLvShui == 0)
                c->SetState(ETCELL_STATE_DISABLE);
            if (f.when == FieldWhen::SoilUnderWater && layer.nLeiXing != 0) {
                c->SetState(ETCELL_STATE_DISABLE);
                c->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
            }
        }
    }
    SetRowNum(r.nTuCengShu);
    return 1;
}
