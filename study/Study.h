// Design studies over the calculation: many records at once, sweeps of one to
// three inputs, and the search for the pile with the least concrete that carries
// a given thrust. Each try is one whole calculation of a record; the resistance
// that counts is the one the detailed book reports at the slip surface: the
// smaller of the pile-section resistance Fv and the ground resistance Ev there.
#pragma once

#include "PelvorinData.h"

#include <string>
#include <vector>

struct StudyResult {
    int status = 0;          // 1 calculated, 0 refused
    std::string message;     // why it was refused
    double pile = 0;         // Fv at the slip surface, kN/m
    double ground = 0;       // Ev at the slip surface, kN/m
    double atSlip = 0;       // the smaller: the resistance to design with
    char governs = ' ';      // 'P' the pile section, 'G' the ground
    double top = 0;          // final resistance at the pile top, kN/m
    double concrete = 0;     // section area x length / spacing, m3 per m of slope
    bool buildable = true;   // false: the piles stand too close (PileRowBuildable)

    // With the internal forces (a design search on a record with a design
    // block): every check of the pile under its thrust, the resistance at the
    // slip surface among them.
    bool designed = false;
    bool passes = false;     // calculated, and every check holds
    std::string failed;      // the first check that does not hold, by its key
    std::string governing;   // the check with the least margin
    double margin = 0;       // its margin, 1 - used / allowed (below 0: fails)
    double steel = 0;        // longitudinal steel, kg per m of slope
};

// How much each check of the pile under its design block uses of what it may,
// beside the resistance at the slip surface against the thrust the pile
// carries: fills the result's designed part. Steel at 7850 kg/m3.
void JudgeDesign(const CPelvorinData& record, StudyResult& result);
// The thrust the piles carry, kN per m of slope: E - E' of the design block.
double DesignThrust(const CPelvorinData& record);

// The width a pile takes in its row: the diameter of a circular section, b of a
// rectangular one (the face the thrust bears on), m; 0 for another shape.
double PileWidth(const CPelvorinData& record);
// A row of piles can be built when the clear spacing between two piles is at
// least one pile width, i.e. the spacing at least twice the width: closer piles
// overlap or leave no room to dig and cast each shaft, and the ground between
// them no longer arches as the calculation assumes. False with *why naming the
// spacing, the width and the least spacing.
bool PileRowBuildable(const CPelvorinData& record, std::string* why);

// Checks and calculates a copy of record. Never shows a message: what the
// calculation would refuse (rock above soil included) comes back in message.
// Safe to call from several threads at once on different records.
StudyResult Study(const CPelvorinData& record);
// The same, leaving the calculated copy (with its points and resistances) in
// *calculated (which may be record itself) and, when calculation is given, the
// calculation that made it (ready to draw diagrams and write books) there.
class CKangLiJiSuan;
StudyResult Study(const CPelvorinData& record, CPelvorinData* calculated, CKangLiJiSuan* calculation);

// One input to vary: KEY=FROM:TO:STEP. The range includes both ends (TO counts
// when it lies within a thousandth of a step of the last step).
struct StudyRange {
    std::string key;
    std::vector<double> values;
};
// Parses "KEY=FROM:TO:STEP", normalises the key and checks it on record.
// False with *error.
bool ParseStudyRange(const std::string& text, const CPelvorinData& record, StudyRange& range,
                     std::string* error);

// The one spelling of an input key: a layer's index without sign, spaces or
// leading zeros ("TuCeng[ +02].fMoCaJiao" is "TuCeng[2].fMoCaJiao"), so that one
// input can never be varied under two names. False with *error naming the key
// when it is not written as KEY or TuCeng[i].KEY.
bool NormaliseStudyKey(const std::string& key, std::string& normal, std::string* error);
// What every study checks before it calculates: each key normalised in place and
// taken by a copy of record, no more than kMaxStudyCombinations, and no input varied twice (two values for one input
// would leave every row labelled with a value it was not calculated for).
bool CheckStudyRanges(const CPelvorinData& record, std::vector<StudyRange>& ranges, std::string* error);

// For a key that is no input: the nearest input key by spelling ("did you mean
// fZhuangJianJu?"), a layer's as TuCeng[i].key with the index given; "" when
// none is near.
std::string SuggestStudyKey(const std::string& key);

// The field table's row of a study key ("fZhuangJing", "TuCeng[2].fMoCaJiao");
// null for none.
struct FieldDef;
const FieldDef* StudyKeyField(const std::string& key);

// Warnings for inputs varied where they cannot act: a rectangle's size on a
// circular pile, a circle's diameter on a rectangular one, an underwater value
// without groundwater; every value then gives the same answer. None where the
// input that decides it (the section shape, the water switch, a layer's type)
// is varied too.
std::vector<std::string> StudyWarnings(const CPelvorinData& record, const std::vector<StudyRange>& ranges);

// Every combination of the ranges (the first varies slowest), calculated in
// parallel over the machine's cores. A combination whose piles stand closer
// than PileRowBuildable allows is not calculated: its result says why.
struct StudyPoint {
    std::vector<double> values; // one per range
    StudyResult result;
};
// withForces: also the internal forces and their checks (JudgeDesign) where the
// record has a design block, as the design search ranks them.
std::vector<StudyPoint> Sweep(const CPelvorinData& record, const std::vector<StudyRange>& ranges,
                              bool withForces = false);
// The same in two steps, for a caller that wants to stop between slices of the
// work (Python, to honour Ctrl-C): the combinations with their values, then
// the calculation of points[begin, end). Where a thread cannot be started the
// work is shared among those that could (at least the caller's own).
std::vector<StudyPoint> StudyCombinations(const std::vector<StudyRange>& ranges);

// The design search over a sweep: the combinations whose resistance at the
// slip surface reaches the thrust (kN/m) and, where the internal forces were
// judged, that pass every check, least concrete per metre of slope first (the
// larger resistance first among equals); the largest resistance reached, where
// none carries; and how many combinations could not be built.
struct DesignRanking {
    std::vector<const StudyPoint*> carrying;
    const StudyPoint* best = nullptr;
    size_t unbuildable = 0;
};
DesignRanking RankDesigns(const std::vector<StudyPoint>& points, double thrust);
void CalculateStudyPoints(const CPelvorinData& record, const std::vector<StudyRange>& ranges,
                          std::vector<StudyPoint>& points, size_t begin, size_t end, bool withForces = false);

// The most combinations one study calculates: about six seconds and 250 MB on
// two cores. CheckStudyRanges refuses more, naming the number.
constexpr double kMaxStudyCombinations = 1e6;
// The number of combinations of the ranges (as a double: it may exceed any integer).
double StudyCombinationCount(const std::vector<StudyRange>& ranges);

// The decimals that tell every value of an input apart as it was given: the
// fewest (0 to 6) with which each value reads back to itself; -1 where six do
// not suffice (then each is printed in its shortest exact form). A range of
// 2.5° steps prints 2.5, a grade 30, a spacing of 2.25 m 2.25.
int LabelDecimals(const std::vector<double>& values);
// A value of an input as a table or chart labels it, with LabelDecimals.
std::string ValueLabel(double value, int decimals);

// A CSV cell of text: quoted when it needs it, and a text that a spreadsheet
// would evaluate (starting with =, +, -, @, a tab or a return) written with a
// leading apostrophe inside quotes, so that it shows as the text it is.
// Numbers are written as they are, never through here.
std::string CsvField(const std::string& text);
// A number as the files print it: fixed, with the given decimals, C locale.
std::string Fixed(double value, int decimals);
