// A stand-in module for the host's tests: slope mode that calculates nothing
// and hands back, as the pile's "resistances", what the host set for the call:
// the files switch, the id of the working pile, and 1 when the current name is
// the name of the pile at the index.
#include "SlopeData.h"

extern "C" __attribute__((visibility("default"))) int JiSuan_KangLi_Slp(CSlopeData* slope, int pileIndex)
{
    if (!slope || pileIndex < 0 || pileIndex >= static_cast<int>(slope->KHPiles.size()))
        return 0;
    CSlp_KHPile& pile = slope->KHPiles[static_cast<size_t>(pileIndex)];
    pile.KangLiDian = {pile.fChang, pile.fChang / 2, 0.0f};
    pile.KangLiZhi = {static_cast<float>(slope->nKangLiWenJian), static_cast<float>(slope->CurKHPile.nID),
                      slope->strCurKHPile == pile.strName ? 1.0f : 0.0f};
    pile.nKangLiDianShu = 3;
    return 1;
}
