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
