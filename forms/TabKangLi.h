// The input tables of the pile record: pile information, layer count,
// groundwater, the layers, and the design block with its anchor cables. Each
// defines its cells from the record in FillTable; the dialog shows them and the
// detailed book prints the first four.
#pragma once

#include "EasyTable.h"

class CPelvorinData;
struct DesignFieldDef;

// Pile information: spacing, length, slope and slip depths, section, concrete.
class CTabKangLiJBXX : public CGuiFanEasyTableWnd {
public:
    int FillTable() override;
    void AfterDataChange(int row, int col) override; // nothing: the pile table has no after-step
    CPelvorinData* pData = nullptr;
    // Printed in the detailed book: the rows the book's table has always had.
    bool bInBook = false;
};

// Number of layers and the reduction factor of the passive pressure.
class CTabKangLiTCNum : public CGuiFanEasyTableWnd {
public:
    int FillTable() override;
    CPelvorinData* pData = nullptr;
};

// Whether groundwater is considered and the water level in front of the pile.
class CTabKangLiSMX : public CGuiFanEasyTableWnd {
public:
    int FillTable() override;
    CPelvorinData* pData = nullptr;
};

// One row per layer. Filling it brings the layer list to the layer count.
class CTabKangLiTuCeng : public CGuiFanEasyTableWnd {
public:
    int FillTable() override;
    CPelvorinData* pData = nullptr;
    // Printed in the resistance book: without the ground for the internal forces.
    bool bInBook = false;
};

// Column edges from column widths: 0, then each width added on.
std::vector<int> LieWid2LiePos(const std::vector<int>& widths);

// The design block of the pile under a landslide thrust (the page 抗滑桩设计):
// the switch that gives the record one or removes it, then one row per key of
// the design table, then the number of anchor cables. Without a block only the
// switch shows.
class CTabKangLiSheJi : public CGuiFanEasyTableWnd {
public:
    int FillTable() override;
    // The switch turned off removes the block: its values go back to a new
    // block's and the layers' ground to none; the anchor count resizes the list.
    void AfterDataChange(int row, int col) override;
    // What the cell cannot say by its limits (a thrust above 0, not from 0):
    // one Chinese sentence naming the cell, or "" to let the cell judge.
    std::string Refusal(int row, int col, const std::string& text) const;
    // The rows of the switch and of the anchor count (0: not shown).
    static constexpr int kSwitchRow = 1;
    int CountRow() const { return countRow_; }
    // True when removing the block would lose values: a value not a new
    // block's, an anchor cable, or a layer's ground.
    bool HasValues() const;
    CPelvorinData* pData = nullptr;
    int nMaoSuoShu = 0; // the count cell's value, the list resized after it

private:
    std::vector<const DesignFieldDef*> rowField_; // by row - 1; null for other rows
    int countRow_ = 0;
};

// The anchor cables of the design block: one row per cable.
class CTabKangLiMaoSuo : public CGuiFanEasyTableWnd {
public:
    int FillTable() override;
    // Every refusal of a cable's cell, naming it "第2根 锚索倾角（°）".
    std::string Refusal(int row, int col, const std::string& text) const;
    CPelvorinData* pData = nullptr;
};

// What the internal forces refuse (CheckDesign or the calculation: a key and
// an English reason, "SheJi.fQianKangLi (...): ..."), as the window tells it in
// Chinese, naming the page and the cell: "“抗滑桩设计”页“桩前滑体抗力（kN/m）”应小于…".
std::string DesignRefusalChinese(const CPelvorinData& r, const std::string& key, const std::string& why);
