// The JSON form of a pile's internal forces: what `kangli forces --json`
// prints and what Python's Forces.to_dict() gives, from one writer so that the
// two cannot differ. One unit per quantity, as the text and the book print
// them and as the object's "units" says: depth m, shear kN, moment kN·m,
// displacement mm, rotation rad, stress kPa, areas mm², Asv/s mm²/mm.
#pragma once

#include "PileForces.h"

#include <string>

std::string PileForcesToJson(const PileForces& f);
// Its "checks" array and its "reinforcement" object alone, for a caller that
// wants one part without writing every point.
std::string PileForceChecksToJson(const PileForces& f);
std::string PileReinforcementToJson(const PileReinforcement& rf);

// A check as the text output and the book say it: "侧向应力 3888.655 kPa（8.00 m），
// 容许 2000.000 kPa", "第2层桩前侧向应力 …", "锚索1 轴力 … kN，设计抗拔力 … kN".
std::string CheckTextChinese(const PileForceCheck& c);
// The face in tension under a moment of this sign: the thrust's side (behind
// the pile) for a positive moment, the front for a negative one.
const char* FaceName(double moment);
