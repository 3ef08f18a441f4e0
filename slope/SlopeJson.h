// A slope model as a JSON file, so that slope mode can be run over models of a
// user's own, the way a host's search runs it.
//
// {
//   "scheme": 1,                          current scheme (g_lCurFAID)
//   "currentSurface": 1,                  id of the current slip surface
//   "currentPile": "KH1",                 name of the working pile
//   "piles": [{
//     "id": 5, "name": "KH1",             id: positive, unique; name: a label
//     "axis": [[x, y], [x, y]],           pile axis, top first, m
//     "section": 0,                       0 circle, 1 rectangle
//     "grade": 30,                        concrete grade (30 for C30)
//     "width": 1.5, "height": 2,          a rectangle's section, m; a circle has
//     "diameter": 1.2,                    one size: "diameter", or its "width"
//     "spacing": 4, "length": 16,         m (length: the axis's when left out)
//     "unitWeight": 25,                   kN/m3
//     "groundY": 99,                      ground surface in front of the pile, m
//     "water": true, "waterY": 95,        groundwater and its level, m
//     "layers": [{                        in front of the pile, top down
//       "rock": false, "thickness": 4,
//       "unitWeight": 19, "saturatedUnitWeight": 19.5,
//       "cohesion": 20, "friction": 15,
//       "cohesionUnderWater": 16, "frictionUnderWater": 13 }] }],
//   "surfaces": [
//     {"id": 1, "kind": "circle", "x": 0, "y": 117, "r": 25},
//     {"id": 2, "kind": "polyline", "points": [[x, y], ...]} ],
//   "ground": [[x, y], ...],              the whole slope, optional: its surface,
//   "strata": [{                          its layers top down, each down to the
//     "bottom": [[x, y], ...],            boundary below it (the last may go on
//     "rock": false, "unitWeight": 19,    without one), with the layer keys above
//     ... }],                             but thickness,
//   "waterLine": [[x, y], ...]            and its groundwater line
// }
//
// What would make the wrong pile be calculated, or a pile be dropped, is
// refused naming its key:
//   - every pile and every slip surface has an "id", positive and unique among
//     the piles (the surfaces): slope mode finds the pile and names its files by
//     it. Names are labels and two piles may share one; "currentPile" and
//     "currentSurface" must name a pile and a surface of the model;
//   - a pile's axis has two points or more and runs from the top down to the
//     foot, each point below the one before it;
//   - "length" agrees with the length of the axis within a millimetre (the
//     calculation takes the length, the cut test the axis); without "length" the
//     pile is as long as its axis;
//   - a circle has a positive "r", a polyline two points or more, and neither
//     takes the other's keys;
//   - a pile has ground in front of it: "layers" that are not empty, or the
//     whole slope with at least one stratum at its axis;
//   - a "saturatedUnitWeight" is at least that of water, 10 kN/m3 (below the
//     water the calculation takes it less the water's);
//   - a circle has one size: "diameter", or else "width", or else (as older
//     files give it) "height"; sizes given together must be the same; a
//     rectangle takes no "diameter";
//   - every stratum but the last has its lower boundary "bottom";
//   - the "waterLine" of a whole slope reaches every pile that takes its
//     ground from the slope (below the foot where the ground is dry);
//   - rock keeps its natural strength under water in the calculation: a
//     rock's "cohesionUnderWater" or "frictionUnderWater" other than its
//     natural value is refused (a rock that softens is given as soil), and a
//     rock's "saturatedUnitWeight", unused, is told in the model's notes.
//
// A pile that gives no "layers" of its own takes them from the whole slope,
// as the host's layer extraction does: at the pile's axis, the ground surface
// is its "groundY", each stratum's thickness is the height between its top and
// its bottom there (a stratum that has pinched out is left out; the last one
// without a bottom reaches 50 m below the foot), and the water line, where it
// passes over the pile, gives "water" and "waterY".
//
// Coordinates in metres, y upwards. A missing key takes the default of the
// model's classes; an unknown key, a key given twice in one object, a wrong type,
// a number that is not finite or out of the range of a 32-bit real is refused,
// naming the key on one line ("piles[0].layers[1].friction"), as is nesting
// deeper than 8 levels and a text larger than 16 MiB. Every value the writer
// prints reads back as it was: reals in their shortest form (3.4028235e+38 for
// the largest), a thickness in double precision. The results slope mode writes
// into a pile (its points and resistances) are saved as "points" and
// "resistance". A whole-slope model is saved as one: a pile that took the
// ground in front of it from the strata is saved without "groundY", "water",
// "waterY" and "layers", so that an edit of the strata or the water line
// applies when the saved model is run again.
#pragma once

#include "SlopeData.h"

#include <string>

struct SlopeSurfaceEntry {
    int id = 0;
    CSlp_Surface surface;
};

struct SlopeStratum {
    CSlp_PoXian bottom; // empty: no lower boundary
    CSlopeBZDC_CS properties;
};

struct SlopeModelFile {
    CSlopeData slope;
    CSlp_PoXian ground, waterLine;
    std::vector<SlopeStratum> strata;
    int scheme = 1;
    int currentSurface = 0;
    std::vector<SlopeSurfaceEntry> surfaces;
    // One per pile of slope.KHPiles, in order: true where the pile takes the
    // ground in front of it from the whole slope rather than giving "layers".
    // Such a pile is saved without the derived ground, so that the saved model
    // still takes it from the strata and the water line.
    std::vector<bool> groundFromSlope;
    // What was read but is not used by the calculation, one line each naming
    // its key (a rock's saturated unit weight): told by whoever loads the model.
    std::vector<std::string> notes;
};

// Makes a call of a host's search current: the slip surface (and its id as
// the current one) and the pile at the index as the working pile, by its name.
void MakeCallCurrent(CSlopeData& slope, const SlopeSurfaceEntry& surface, size_t pile);

bool LoadSlopeModel(const std::string& path, SlopeModelFile& model, std::string* error);
// Refuses, naming the key, a value that would not load back (a number that is
// not finite, a text that is not UTF-8); the file is then left as it was.
bool SaveSlopeModel(const std::string& path, const SlopeModelFile& model, std::string* error);
// The same over text; the text of a model writes such values as null and
// replacement marks.
bool SlopeModelFromJson(const std::string& text, SlopeModelFile& model, std::string* error);
std::string SlopeModelToJson(const SlopeModelFile& model);
