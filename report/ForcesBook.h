// The pile under its design thrust on paper: the internal-force book
// ("抗滑桩内力计算书") and one drawing of four panels along the pile (moment,
// shear, displacement, lateral stress on the ground), both from the record's
// design block and CalculatePileForces.
#pragma once

#include "PileForces.h"

class CBase_SGT;
class CRTF;

// Four panels side by side, in metres down the pile: each curve scaled to its
// panel's width, with its axis, title, unit and extreme values.
void DrawForcesDiagram(const CPelvorinData& record, const PileForces& forces, CBase_SGT* canvas);

// The book: the inputs of the design block, the method and why, every formula
// with its numbers, a table every 0.5 m, the extremes, the checks and the
// reinforcement. The diagram is embedded when the writer was given it under
// diagramName.
void WriteForcesBook(const CPelvorinData& record, const PileForces& forces, CRTF* rtf,
                     const std::string& diagramName);
