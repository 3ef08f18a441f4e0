#include "EasyTable.h"

#include "Concrete.h"
#include "NumericLocale.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void CETCell::SetLimit(double lo, double hi, bool openTop)
{
    bLimit = true;
    fLow = lo;
    fHigh = hi;
    bOpenTop = openTop;
}

bool CETCell::InLimit(double v) const
{
    if (!bLimit)
        return true;
    double lo = fLow, hi = fHigh;
    if (kind == Float) {
        v = static_cast<float>(v);
        lo = static_cast<float>(lo);
        hi = static_cast<float>(hi);
    }
    return v >= lo && (bOpenTop ? v < hi : v <= hi);
}

namespace {

// A cell shows the value held: where its format's decimals would show another
// number (0.35 as "0.3", 2.125 as "2.12"), as many more decimals as it takes,
// up to six, the data file's own.
std::string ShowsHeld(const char* formatted, float held)
{
    const std::string shown = formatted;
    const size_t dot = shown.find('.');
    if (!std::isfinite(held) || dot == std::string::npos || shown.find_first_of("eE") != std::string::npos)
        return shown;
    if (std::strtof(shown.c_str(), nullptr) == held)
        return shown;
    char buf[128];
    for (int decimals = static_cast<int>(shown.size() - dot - 1) + 1; decimals <= 6; ++decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, held);
        if (std::strtof(buf, nullptr) == held)
            return buf;
    }
    return buf;
}

} // namespace

std::string CETCell::DisplayText() const
{
    ScopedCNumbers numbers;
    char buf[128];
    switch (kind) {
    case Text:
        return strText;
    case Float:
        if (!pFloat)
            return "";
        std::snprintf(buf, sizeof buf, strFormat.empty() ? "%g" : strFormat.c_str(), *pFloat);
        return ShowsHeld(buf, *pFloat);
    case Int:
        return pInt ? std::to_string(*pInt) : "";
    case Choice:
    case Check:
        if (!pInt)
            return "";
        for (size_t i = 0; i < items.size() && i < values.size(); ++i)
            if (values[i] == *pInt)
                return items[i];
        return std::to_string(*pInt); // a stored value outside the list shows as it is
    }
    return "";
}

std::vector<std::string> CETCell::Choices() const { return kind == Choice || kind == Check ? items : std::vector<std::string>{}; }

void CEasyTableWnd::AfterDataChange(int, int) {}

void CEasyTableWnd::ClearEasyTable()
{
    cells.clear();
    index.clear();
    reacts.clear();
    edges.clear();
    titles.clear();
    nRowNum = 0;
    nTitleHeight = 0;
}

void CEasyTableWnd::IniEasyTable(int flags, int, const std::vector<int>& edgeList,
                                 const std::vector<std::string>& titleList)
{
    nFlags = flags;
    edges.clear();
    for (int e : edgeList) {
        if (e < 0)
            break;
        edges.push_back(e);
    }
    titles = titleList;
}

CETCell* CEasyTableWnd::Add(CETCell::Kind kind, int row, int col)
{
    auto cell = std::make_unique<CETCell>();
    cell->kind = kind;
    cell->nRow = row;
    cell->nCol = col;
    // A cell defined twice replaces the earlier one, in its place.
    const auto [at, added] = index.emplace(Key(row, col), cells.size());
    if (!added) {
        cells[at->second] = std::move(cell);
        return cells[at->second].get();
    }
    cells.push_back(std::move(cell));
    return cells.back().get();
}

CETCell* CEasyTableWnd::AddText(int row, int col, const char* format, ...)
{
    CETCell* c = Add(CETCell::Text, row, col);
    if (format) {
        ScopedCNumbers numbers;
        char buf[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buf, sizeof buf, format, args);
        va_end(args);
        c->strText = buf;
    }
    return c;
}

CETCell* CEasyTableWnd::AddFloat(int row, int col, float* field, const char* format)
{
    CETCell* c = Add(CETCell::Float, row, col);
    c->pFloat = field;
    c->strFormat = format ? format : "%g";
    return c;
}

CETCell* CEasyTableWnd::AddInt(int row, int col, int* field)
{
    CETCell* c = Add(CETCell::Int, row, col);
    c->pInt = field;
    return c;
}

CETCell* CEasyTableWnd::AddInt(int row, int col, int* field, const std::vector<std::string>& items,
                               const std::vector<int>& values)
{
    CETCell* c = Add(CETCell::Choice, row, col);
    c->pInt = field;
    c->items = items;
    c->values = values;
    return c;
}

CETCell* CEasyTableWnd::AddCheck(int row, int col, int* field, const char* no, const char* yes)
{
    CETCell* c = Add(CETCell::Check, row, col);
    c->pInt = field;
    c->items = {no ? no : "", yes ? yes : ""};
    c->values = {0, 1};
    return c;
}

CETCell* CEasyTableWnd::GetCell(int row, int col)
{
    const auto it = index.find(Key(row, col));
    return it == index.end() ? nullptr : cells[it->second].get();
}

bool ParseCellNumber(const std::string& text, double& v)
{
    ScopedCNumbers numbers;
    errno = 0;
    char* end = nullptr;
    v = std::strtod(text.c_str(), &end);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    return end != text.c_str() && end && *end == '\0' && errno == 0 && std::isfinite(v);
}

std::string CEasyTableWnd::CellLabel(int row, int col)
{
    auto clean = [](std::string t) {
        std::string out;
        for (char ch : t)
            if (ch != '\n' && ch != '\r')
                out += ch;
        while (!out.empty() && out.front() == ' ')
            out.erase(out.begin());
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out;
    };
    // A table with column titles has one row per item (a layer): "第2层 内摩擦角(°)".
    if (!titles.empty() && col >= 1 && col <= static_cast<int>(titles.size()))
        return "第" + std::to_string(row) + "层 " + clean(titles[static_cast<size_t>(col - 1)]);
    // A list of label/value rows: the label is the text to the left of the value.
    for (int c = col - 1; c >= 1; --c)
        if (const CETCell* cell = GetCell(row, c); cell && cell->kind == CETCell::Text)
            return clean(cell->strText);
    return "第" + std::to_string(row) + "行第" + std::to_string(col) + "列";
}

namespace {

std::string Shown(double v) { return MessageNumber(v); }

} // namespace

int CEasyTableWnd::EditCell(int row, int col, const std::string& text, std::string* why)
{
    CETCell* c = GetCell(row, col);
    auto refuse = [why](const std::string& reason) {
        if (why)
            *why = reason;
        return 0;
    };
    if (!c)
        return refuse("没有这一格");
    // Every refusal names the cell as the table shows it, what it takes and what
    // was typed, so that the user knows what to change.
    const std::string label = "“" + CellLabel(row, col) + "”";
    if (!c->Editable() || c->kind == CETCell::Text)
        return refuse(label + "不能修改");
    switch (c->kind) {
    case CETCell::Float: {
        double v;
        if (!ParseCellNumber(text, v))
            return refuse(label + "应为数字，输入的是“" + text + "”");
        if (!c->InLimit(v))
            return refuse(label + "应在 " + Shown(c->fLow) + " 到 " + Shown(c->fHigh) +
                          (c->bOpenTop ? "（不含）" : "") + " 之间，输入值为 " + Shown(v));
        if (std::fabs(v) > 3.4e38)
            return refuse(label + "的数值过大，输入值为 " + Shown(v));
        *c->pFloat = static_cast<float>(v);
        break;
    }
    case CETCell::Int: {
        double v;
        if (!ParseCellNumber(text, v) || v != std::floor(v) || v < INT_MIN || v > INT_MAX)
            return refuse(label + "应为整数，输入的是“" + text + "”");
        if (!c->InLimit(v))
            return refuse(label + "应在 " + Shown(c->fLow) + " 到 " + Shown(c->fHigh) +
                          (c->bOpenTop ? "（不含）" : "") + " 之间，输入值为 " + Shown(v));
        *c->pInt = static_cast<int>(v);
        break;
    }
    case CETCell::Choice:
    case CETCell::Check: {
        size_t i = 0;
        while (i < c->items.size() && c->items[i] != text)
            ++i;
        if (i >= c->items.size() || i >= c->values.size())
            return refuse(label + "没有“" + text + "”这一项");
        *c->pInt = c->values[i];
        break;
    }
    case CETCell::Text:
        break;
    }
    // Reactions of the cell first, then those of the table; a rebuild last, so
    // that the messages still name the cells the user saw.
    bool rebuild = false;
    std::vector<EtReact> all = c->reacts;
    all.insert(all.end(), reacts.begin(), reacts.end());
    for (const EtReact& r : all) {
        if (r.kind == ETCELL_REACT_MESSAGE && owner)
            owner(r.param);
        else if (r.kind == ETCELL_REACT_REBUILD)
            rebuild = true;
    }
    if (rebuild)
        FillTable();
    AfterDataChange(row, col);
    return 1;
}

CETCell* CGuiFanEasyTableWnd::Add_HunNingTu_JieBie(int row, int col, int* grade)
{
    std::vector<std::string> items;
    std::vector<int> values;
    for (const ConcreteGrade& g : kConcreteGrades) {
        items.push_back(g.name);
        values.push_back(g.grade);
    }
    return AddInt(row, col, grade, items, values);
}
