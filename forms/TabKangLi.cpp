#include "TabKangLi.h"

#include "FieldTable.h"
#include "Messages.h"
#include "NumericLocale.h"
#include "PelvorinData.h"
#include "RecordCheck.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
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

std::vector<std::string> ChoiceTexts(std::span<const FieldChoice> choices)
{
    std::vector<std::string> texts;
    for (const FieldChoice& c : choices)
        texts.push_back(c.text);
    return texts;
}

std::vector<int> ChoiceValues(std::span<const FieldChoice> choices)
{
    std::vector<int> values;
    for (const FieldChoice& c : choices)
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
                                           : t.AddInt(row, col, integer, ChoiceTexts(f.choices), ChoiceValues(f.choices));
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

// ---------------------------------------------------------------- design block

namespace {

// Whether a design key matters for the block as it is: the trapezoid's ratio
// for a trapezoid, K for the K method, m, A1 and A2 for the m method, the
// single ground and its allowable only where no layer gives one.
bool DesignApplies(const DesignFieldDef& f, const CPelvorinData& r)
{
    const std::string key = f.key;
    if (key == "fTiXingBi")
        return r.SheJi.nTuiLiFenBu == 2;
    if (IsSingleGroundKey(f) && LayersGiveGround(r))
        return false;
    if (key == "fK")
        return r.SheJi.nDiJiFa == 0;
    if (key == "fM" || key == "fA1" || key == "fA2")
        return r.SheJi.nDiJiFa == 1;
    return true;
}



// The range a value lies in as the cells say it: "应在 0（不含） 到 90 之间".
std::string RangeText(double lo, double hi, bool openBottom, bool openTop)
{
    return "应在 " + MessageNumber(lo) + (openBottom ? "（不含）" : "") + " 到 " + MessageNumber(hi) +
           (openTop ? "（不含）" : "") + " 之间";
}

// A typed value refused as a cell refuses it, naming the cell; "" when taken.
std::string RefuseTyped(const std::string& label, const std::string& text, double lo, double hi, bool openBottom,
                        bool openTop)
{
    double v = 0;
    if (!ParseCellNumber(text, v))
        return "“" + label + "”应为数字，输入的是“" + text + "”";
    // Compared as the 32-bit field holds it, as every real cell compares.
    const float held = static_cast<float>(v), low = static_cast<float>(lo), high = static_cast<float>(hi);
    const bool inside = (openBottom ? held > low : held >= low) && (openTop ? held < high : held <= high);
    if (!inside)
        return "“" + label + "”" + RangeText(lo, hi, openBottom, openTop) + "，输入值为 " + MessageNumber(v);
    return "";
}

// The top of an anchor's depth: on the pile.
double AnchorHigh(const AnchorFieldDef& f, const CPelvorinData& r)
{
    if (std::string(f.key) == "fShenDu" && std::isfinite(r.fZhuangChang) && r.fZhuangChang > 0)
        return std::min(f.hi, static_cast<double>(r.fZhuangChang));
    return f.hi;
}

// "锚索轴向刚度\n（kN/m）": a column title on two lines, the unit below.
std::string TwoLines(const char* label)
{
    std::string t = label;
    const size_t unit = t.find("（");
    if (unit != std::string::npos && unit > 0)
        t.insert(unit, "\n");
    return t;
}

std::string AnchorCellName(size_t index, const AnchorFieldDef& f)
{
    return "第" + std::to_string(index + 1) + "根 " + f.label;
}

} // namespace

int CTabKangLiSheJi::FillTable()
{
    ClearEasyTable();
    IniEasyTable(7, 0, {0, 230, 390, -1});
    TableReactions(*this);
    rowField_.clear();
    countRow_ = 0;
    if (!pData)
        return 1;
    CPelvorinData& r = *pData;
    int row = kSwitchRow;
    AddText(row, 1, "%s", "是否进行内力计算");
    CETCell* on = AddCheck(row, 2, &r.bSheJi, "否", "是");
    on->SetTiShi("桩在滑坡推力下的内力、位移、验算和配筋；有设计数据的记录只能存为 JSON 文件");
    on->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
    rowField_.push_back(nullptr);
    if (r.bSheJi) {
        for (const DesignFieldDef& f : DesignFields()) {
            ++row;
            rowField_.push_back(&f);
            AddText(row, 1, "%s", f.label);
            CETCell* c = nullptr;
            if (f.real) {
                c = AddFloat(row, 2, &(r.SheJi.*f.real), "%.2f");
                c->SetLimit(f.lo, f.hi);
            } else if (!f.choices.empty()) {
                c = AddInt(row, 2, &(r.SheJi.*f.integer), ChoiceTexts(f.choices), ChoiceValues(f.choices));
                // The distribution and the method decide which rows apply.
                c->AddReact(ETCELL_REACT_REBUILD, 0, 0, 0);
            } else {
                c = AddInt(row, 2, &(r.SheJi.*f.integer));
                c->SetLimit(f.lo, f.hi);
            }
            // What does not apply is greyed, unless its value is one the
            // calculation refuses: it must stay open to be put right.
            const double v = DesignValue(f, r.SheJi);
            const bool mustBeZero = IsSingleGroundKey(f) && LayersGiveGround(r) && v != 0;
            if (!DesignApplies(f, r) && DesignInRange(f, v) && !mustBeZero)
                c->SetState(ETCELL_STATE_DISABLE);
            if (IsSingleGroundKey(f) && LayersGiveGround(r))
                c->SetTiShi("各土层已给出滑面以下的地基系数：此处应为 0");
        }
        ++row;
        rowField_.push_back(nullptr);
        countRow_ = row;
        nMaoSuoShu = static_cast<int>(r.SheJi.MaoSuo.size());
        AddText(row, 1, "%s", "锚索根数");
        CETCell* count = AddInt(row, 2, &nMaoSuoShu);
        count->SetLimit(0, kMaxMaoSuoShu);
        count->SetTiShi("每根桩上的预应力锚索数，0 为无锚索");
    }
    SetRowNum(row);
    return 1;
}

bool CTabKangLiSheJi::HasValues() const
{
    if (!pData || !pData->bSheJi)
        return false;
    const CSheJi fresh;
    for (const DesignFieldDef& f : DesignFields())
        if (DesignValue(f, pData->SheJi) != DesignValue(f, fresh))
            return true;
    return !pData->SheJi.MaoSuo.empty() || LayersGiveGround(*pData) ||
           std::any_of(pData->TuCeng.begin(), pData->TuCeng.end(), [](const CTuCeng& c) { return c.fYunXuYingLi > 0; });
}

void CTabKangLiSheJi::AfterDataChange(int row, int)
{
    if (!pData)
        return;
    CPelvorinData& r = *pData;
    if (row == kSwitchRow && !r.bSheJi) {
        // Removed: nothing of it stays behind to come back unseen.
        r.SheJi = CSheJi();
        for (CTuCeng& c : r.TuCeng)
            c.fK = c.fM = c.fA = c.fYunXuYingLi = 0;
    }
    if (row == countRow_ && countRow_ > 0 && nMaoSuoShu >= 0 && nMaoSuoShu <= kMaxMaoSuoShu)
        r.SheJi.MaoSuo.resize(static_cast<size_t>(nMaoSuoShu));
}

std::string CTabKangLiSheJi::Refusal(int row, int col, const std::string& text) const
{
    if (col != 2 || row < 1 || row > static_cast<int>(rowField_.size()))
        return "";
    const DesignFieldDef* f = rowField_[static_cast<size_t>(row - 1)];
    // The cells' limits include their bottom; a design thrust of 0 is none.
    if (!f || !f->real || !f->openBottom)
        return "";
    return RefuseTyped(f->label, text, f->lo, f->hi, true, false);
}

int CTabKangLiMaoSuo::FillTable()
{
    ClearEasyTable();
    std::vector<std::string> titles{"序\n号"};
    std::vector<int> widths{25};
    for (const AnchorFieldDef& f : AnchorFields()) {
        titles.push_back(TwoLines(f.label));
        widths.push_back(70);
    }
    IniEasyTable(1, 0, LieWid2LiePos(widths), titles);
    SetTitleHeight(35);
    TableReactions(*this);
    if (!pData || !pData->bSheJi)
        return 1;
    CPelvorinData& r = *pData;
    int i = 0;
    for (CMaoSuo& a : r.SheJi.MaoSuo) {
        ++i;
        AddText(i, 1, " %d ", i);
        int col = 1;
        for (const AnchorFieldDef& f : AnchorFields()) {
            CETCell* c = AddFloat(i, ++col, &(a.*f.real), "%.2f");
            c->SetLimit(f.lo, AnchorHigh(f, r), f.openTop);
        }
    }
    SetRowNum(i);
    return 1;
}

std::string CTabKangLiMaoSuo::Refusal(int row, int col, const std::string& text) const
{
    const std::span<const AnchorFieldDef> fields = AnchorFields();
    if (!pData || row < 1 || col < 2 || col - 2 >= static_cast<int>(fields.size()))
        return "";
    const AnchorFieldDef& f = fields[static_cast<size_t>(col - 2)];
    const double hi = AnchorHigh(f, *pData);
    std::string why = RefuseTyped(AnchorCellName(static_cast<size_t>(row - 1), f), text, f.lo, hi, f.openBottom,
                                  f.openTop);
    if (!why.empty() && hi < f.hi)
        why += "（锚索在桩身上，桩长 " + MessageNumber(hi) + " m）";
    return why;
}

namespace {

// "SheJi.MaoSuo[2].fQingJiao" -> 2 and "fQingJiao"; false when key is not of that form.
bool Indexed(const std::string& key, const std::string& prefix, size_t& index, std::string& member)
{
    if (key.rfind(prefix + "[", 0) != 0)
        return false;
    const size_t close = key.find(']', prefix.size());
    if (close == std::string::npos)
        return false;
    index = std::strtoul(key.c_str() + prefix.size() + 1, nullptr, 10);
    member = close + 2 <= key.size() ? key.substr(close + 2) : "";
    return true;
}

bool Says(const std::string& why, const char* part) { return why.find(part) != std::string::npos; }

} // namespace

std::string DesignRefusalChinese(const CPelvorinData& r, const std::string& key, const std::string& why)
{
    const std::string design = "“抗滑桩设计”页的";
    std::string cell, reason;
    size_t i = 0;
    std::string member;
    if (Indexed(key, "SheJi.MaoSuo", i, member)) {
        const AnchorFieldDef* f = FindAnchorField(member);
        const double v = f && i < r.SheJi.MaoSuo.size() ? r.SheJi.MaoSuo[i].*f->real : 0;
        cell = design + "“" + (f ? AnchorCellName(i, *f) : "第" + std::to_string(i + 1) + "根锚索") + "”";
        if (f && member == "fShenDu" && Says(why, "on the pile"))
            reason = "应在桩身上，桩顶以下 0 到 " + MessageNumber(r.fZhuangChang) + " m，现为 " + MessageNumber(v);
        else if (f)
            reason = RangeText(f->lo, f->hi, f->openBottom, f->openTop) + "，现为 " + MessageNumber(v);
    } else if (key.rfind("SheJi.", 0) == 0) {
        const DesignFieldDef* f = FindDesignField(key.substr(6));
        const double v = f ? DesignValue(*f, r.SheJi) : 0;
        cell = design + "“" + (f ? f->label : key) + "”";
        if (!f)
            ;
        else if (Says(why, "must be one of")) {
            std::string list;
            for (const FieldChoice& c : f->choices)
                list += (list.empty() ? "" : "、") + std::to_string(c.value) + "（" + c.text + "）";
            reason = "应为 " + list + " 之一，现为 " + MessageNumber(v);
        } else if (Says(why, "must lie in"))
            reason = RangeText(f->lo, f->hi, f->openBottom, false) + "，现为 " + MessageNumber(v);
        else if (member = f->key; member == "fQianKangLi")
            reason = "应小于设计推力 " + MessageNumber(r.SheJi.fTuiLi) + " kN/m，现为 " + MessageNumber(v) +
                     "：桩不承受推力";
        else if (Says(why, "the layers give"))
            reason = "应为 0：各土层已在“土层信息”页给出滑面以下的地基系数和容许应力，现为 " + MessageNumber(v);
        else if (member == "fK" && Says(why, "K method"))
            reason = "K法时应大于 0，现为 " + MessageNumber(v);
        else if (member == "fM" && Says(why, "m method"))
            reason = "m法时 m 与“滑面处桩前地基系数A1（kN/m³）”至少一个应大于 0";
        else if (member == "fA2")
            reason = "m = 0 且桩底自由时应大于 0：否则桩后地基不能使桩平衡";
        else if (Says(why, "overflow") || Says(why, "no solution") || Says(why, "springs"))
            reason = "过小：桩在此地基中无法平衡，请检查地基系数";
    } else if (Indexed(key, "TuCeng", i, member) || key == "TuCeng") {
        const std::string layer = "第" + std::to_string(i + 1) + "层";
        cell = "“土层信息”页的" + (member.empty() ? (key == "TuCeng" ? std::string("土层") : layer)
                                                 : "“" + FieldLabel(key) + "”");
        if (key == "TuCeng")
            reason = Says(why, "no layer lies") ? "：滑面以下桩身范围内没有土层"
                                                : "：土层的地基系数不能使桩平衡，请检查滑面以下各层的地基系数";
        else if (member == "fYunXuYingLi" && Says(why, "no layer gives"))
            reason = "不适用：各土层均未给出地基系数，按“抗滑桩设计”页的地基系数计算，容许侧向应力应填在该页；"
                     "或为各层给出地基系数（K，或 m 与 A）";
        else if (member == "fK" && Says(why, "both"))
            reason = "：" + layer + "同时给出了 K 和 m/A，只能给一种地基系数";
        else if (member == "fK")
            reason = "：" + layer + "在滑面以下的桩身范围内，未给出地基系数（K，或 m 与 A），而其他土层给出了";
        else if (member.empty())
            reason = "：" + layer + "为岩层，其下不能再有土层";
    } else {
        cell = "“" + FieldLabel(key) + "”";
        if (key == "fHuaMianDaoZhuangDing")
            reason = "应在桩身内：桩顶以下、桩底以上";
        else if (key == "fZhuangJianJu")
            reason = "应大于 0";
        else if (key == "nHunNingTuDengJi")
            reason = "：没有该等级混凝土的弹性模量";
    }
    if (reason.empty())
        reason = "：" + why; // a refusal not foreseen here: as the calculation says it
    return "内力计算：" + cell + reason;
}
