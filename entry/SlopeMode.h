// Slope mode without the host's globals: what JiSuan_KangLi_Slp does for a
// pile index, in the context the export makes from them (work path, sink,
// scheme and slip-surface ids, drawing writer).
#pragma once

#include "KangLiContext.h"

class CPelvorinData;
class CSlopeData;

// The pile at pileIndex (0 <= pileIndex < the pile count), as
// JiSuan_KangLi_Slp describes it: 1 when a calculation ran, 0 when nothing
// was calculated.
int CalculateSlopePile(const KangLiContext& context, CSlopeData* slope, int pileIndex);

// Empties the record's result lists: a pile gets no points, never a half result.
void ClearResults(CPelvorinData& record);
