// Fills the input record from a pile of the host's slope model, and hands the
// resistance per point back into the pile.
#pragma once

#include "KangLiContext.h"

class CPelvorinData;
class CSlopeData;
class CSlp_KHPile;

class CConvert_to_KangLi {
public:
    virtual ~CConvert_to_KangLi() = default;

    // mode 1: slope->KHPiles[index]; mode 2: the working pile. 1 when filled;
    // soil under rock is told through the context's sink.
    int Convert(CSlopeData* slope, int mode, int index);
    // Writes the points and the final resistance into the pile. 1 when written.
    int ConvertBack(CSlopeData* slope, int mode, int index);

    int SetZhuangCanShu(const CSlp_KHPile& pile);
    int SetHuaMianJuLi();
    int SetTuCeng(const CSlp_KHPile& pile);

    CPelvorinData* m_pData = nullptr;
    CSlopeData* m_pSlope = nullptr;
    KangLiContext context; // who is told

private:
    CSlp_KHPile* Pile(CSlopeData* slope, int mode, int index);
};
