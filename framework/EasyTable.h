// The cell-table model behind the input tables: cells bound by address to the
// fields of a record, with display formats, limits, states and reactions. A
// table defines all its cells in FillTable; a view (the dialog's widget) shows
// the cells and hands edits back through EditCell; the calculation book prints
// the same table. Rows and columns count from 1; a title row, where there is
// one, sits above row 1.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

enum : int { ETCELL_STATE_DISABLE = 0, ETCELL_STATE_NORMAL = 1, ETCELL_STATE_READONLY = 2 };
enum : int { ETCELL_REACT_REBUILD = 4, ETCELL_REACT_MESSAGE = 5 };
enum : int { WM_ET_DATACHANGE = 0x1601, WM_ET_REDRAW = 0x1610 };

struct EtReact {
    int kind;
    int param;
};

class CETCell {
public:
    enum Kind { Text, Float, Int, Choice, Check };

    // The range a value typed must lie in: lo <= v <= hi, or v < hi when openTop. A
    // real cell compares the value as its 32-bit field will hold it, against the
    // limits rounded the same way, so that 0.01 is inside 0.01.
    void SetLimit(double lo, double hi, bool openTop = false);
    void SetState(int state) { nState = state; }
    void SetTiShi(const char* tip) { strTiShi = tip ? tip : ""; }
    void AddReact(int kind, int param, int, int) { reacts.push_back({kind, param}); }

    // What the cell shows: the formatted value, the chosen item, the fixed text.
    std::string DisplayText() const;
    // The texts a choice or yes/no cell offers, in order.
    std::vector<std::string> Choices() const;
    bool Editable() const { return kind != Text && nState == ETCELL_STATE_NORMAL; }

    Kind kind = Text;
    int nRow = 0, nCol = 0;
    std::string strText;    // text cell
    float* pFloat = nullptr; // real cell
    int* pInt = nullptr;     // integer, choice and yes/no cells
    std::string strFormat;  // real cell
    std::vector<std::string> items;  // choice: the texts shown
    std::vector<int> values;         // choice: the value stored for each text
    bool bLimit = false;
    double fLow = 0, fHigh = 0;
    bool bOpenTop = false;
    // Whether v lies within the limits (true without limits).
    bool InLimit(double v) const;
    int nState = ETCELL_STATE_NORMAL;
    std::string strTiShi;
    std::vector<EtReact> reacts;
};

class CEasyTableWnd {
public:
    virtual ~CEasyTableWnd() = default;
    // Defines every cell from the record; 1 when the table was defined.
    virtual int FillTable() = 0;
    // Runs after an edit was taken; the base does nothing.
    virtual void AfterDataChange(int row, int col);

    void ClearEasyTable();
    // flags, unused, column edges (ending in -1), titles (may be empty).
    void IniEasyTable(int flags, int, const std::vector<int>& edges,
                      const std::vector<std::string>& titles = {});
    void SetTitleHeight(int height) { nTitleHeight = height; }
    void AddReact(int kind, int param, int, int) { reacts.push_back({kind, param}); }

    CETCell* AddText(int row, int col, const char* format, ...) __attribute__((format(printf, 4, 5)));
    CETCell* AddFloat(int row, int col, float* field, const char* format);
    CETCell* AddInt(int row, int col, int* field); // a plain integer
    CETCell* AddInt(int row, int col, int* field, const std::vector<std::string>& items,
                    const std::vector<int>& values); // a choice list
    CETCell* AddCheck(int row, int col, int* field, const char* no, const char* yes);

    void SetRowNum(int rows) { nRowNum = rows; }
    int GetRowNum() const { return nRowNum; }
    int GetColNum() const { return edges.size() > 1 ? static_cast<int>(edges.size()) - 1 : 0; }
    CETCell* GetCell(int row, int col);
    const std::vector<std::unique_ptr<CETCell>>& Cells() const { return cells; }

    // Takes a value typed (or chosen) into a cell: it must parse, lie within the
    // cell's limits and the cell must be editable; then it is written into the
    // record, the reactions run (messages to the owner, a rebuild) and
    // AfterDataChange follows. Returns 1 when taken, else 0 with *why: one
    // Chinese sentence naming the cell, its limits and the value typed.
    int EditCell(int row, int col, const std::string& text, std::string* why);
    // The name of a cell as the table shows it: the label left of a value, or
    // "第N层 " and the column title in a table with titles.
    std::string CellLabel(int row, int col);
    // Runs FillTable again (a view repaints after it).
    int UpdateTable() { return FillTable(); }

    // Where the table's messages go (the owner window); unset: nowhere.
    std::function<void(int message)> owner;

    int nFlags = 0;
    std::vector<int> edges;           // column edges in the widget's units, no -1
    std::vector<std::string> titles;  // one per column, or empty
    int nTitleHeight = 0;
    std::vector<EtReact> reacts;      // reactions of the whole table

private:
    CETCell* Add(CETCell::Kind kind, int row, int col);
    // A table of a thousand layers has nine thousand cells: found by position.
    static long long Key(int row, int col) { return (static_cast<long long>(row) << 32) ^ static_cast<unsigned>(col); }
    std::vector<std::unique_ptr<CETCell>> cells;
    std::unordered_map<long long, size_t> index; // position -> entry of cells
    int nRowNum = 0;
};

// The material library's table: adds the concrete-grade choice.
class CGuiFanEasyTableWnd : public CEasyTableWnd {
public:
    // A choice of C15 .. C80 that stores the grade number (25 for C25).
    CETCell* Add_HunNingTu_JieBie(int row, int col, int* grade);
};

// A number typed into a cell, read in the C locale whatever the user's; spaces
// after it are allowed, anything else or a number that is not finite is not.
bool ParseCellNumber(const std::string& text, double& v);
