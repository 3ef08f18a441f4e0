// A stand-in module for the host's tests: slope mode that calculates nothing
// and hands back, as the pile's resistance at every depth, the files switch
// the host set, so that a test sees what reached the module.
#include "SlopeData.h"

extern "C" __attribute__((visibility("default"))) int JiSuan_KangLi_Slp(CSlopeData* slope, int pileIndex)
{
    if (!slope || pileIndex < 0 || pileIndex >= static_cast<int>(slope->KHPiles.size()))
        return 0;
    CSlp_KHPile& pile = slope->KHPiles[static_cast<size_t>(pileIndex)];
    const float files = static_cast<float>(slope->nKangLiWenJian);
    pile.KangLiDian = {pile.fChang, 0.0f};
    pile.KangLiZhi = {files, files};
    pile.nKangLiDianShu = 2;
    return 1;
}
