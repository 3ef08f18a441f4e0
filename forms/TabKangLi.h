// The four input tables of the pile record: pile information, layer count,
// groundwater and the layers. Each defines its cells from the record in
// FillTable; the dialog shows them and the detailed book prints them.
#pragma once

#include "EasyTable.h"

class CPelvorinData;

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
