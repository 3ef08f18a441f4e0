// Every input field of the record and of a layer, once: its key, its label in
// the input tables, its unit, where the data file keeps it, its default, the
// range the calculation takes and when that applies, and the choices of a choice
// field. The data file, the JSON form, the plausibility check, the input tables,
// the sweep keys and the Python attributes all read their fields from here, so
// that a field added is a row added and a limit changed is changed everywhere.
#pragma once

#include "PelvorinData.h"

#include <span>
#include <string>
#include <vector>

// How a field holds its value and how a cell edits it.
enum class FieldKind {
    Real,    // a 32-bit real
    Integer, // a plain count
    Choice,  // one of the listed values, chosen by its text
    Switch,  // 0 or 1, shown as its two texts (no, yes); JSON also takes false/true
};

// When a field matters: the check looks at it, and a cell edits it, only then.
enum class FieldWhen {
    Always,
    Rectangle,     // section shape 1: b, h and as
    Circle,        // section shape 0: d
    Water,         // groundwater considered
    SoilUnderWater, // groundwater considered and the layer is soil
    Design          // the record has a design block (the pile's internal forces)
};

// The input table that shows a field.
enum class FieldTable { None, Pile, LayerCount, Water, Layers };

struct FieldChoice {
    int value;
    const char* text; // as the cell shows it
};

struct FieldDef {
    const char* key;   // the member's name, which is also its JSON key and sweep key
    const char* label; // as the input tables show it; a layer column's title, "\n"
                       // where the title breaks; null where no table shows it
    const char* name;  // English, as a data-file message names it: "pile length"
    const char* what;  // English, as the check names it (null: as name), unit apart
    const char* unit;  // English unit: "m", "kN/m3", "degrees"; "" for none

    FieldKind kind;
    float CPelvorinData::*real = nullptr; // exactly one of these four is set
    int CPelvorinData::*integer = nullptr;
    float CTuCeng::*layerReal = nullptr;
    int CTuCeng::*layerInteger = nullptr;
    double defaultValue = 0;

    // Data file: line 1 (pile reals), 2 (integers) or 3 (each layer line), and the
    // position on it from 1; 0 where the file does not keep the field.
    int fileLine = 0;
    int filePos = 0;

    // The range the calculation takes: lo <= v <= hi, or v < hi when openTop; for a
    // real a decimal limit is taken as a 32-bit real holds it, so that 0.01 typed is
    // inside 0.01. hiOf, where set, gives the top from the record instead of hi;
    // hiText says what it is in a docstring.
    bool ranged = false;
    double lo = 0, hi = 0;
    bool openTop = false;
    double (*hiOf)(const CPelvorinData&) = nullptr;
    const char* hiText = nullptr;
    std::span<const FieldChoice> choices = {}; // Choice and Switch: the values taken
    FieldWhen when = FieldWhen::Always;
    // Checked whatever `when` says (a row shown for one shape, a value that acts
    // on both).
    bool checkedAlways = false;
    int checkOrder = 0; // the check looks at the fields of a record, then of each
                        // layer, in this order; 0: not checked

    // The input table that shows it, its row (or a layer's column) there, the
    // cell's format and tooltip, and whether a change rebuilds the table or tells
    // the owner at once.
    FieldTable table = FieldTable::None;
    int cell = 0;
    const char* format = nullptr;
    const char* tip = nullptr;
    bool rebuild = false;
    bool tellsOwner = false;
    // The detailed book prints the pile table without it: the book states it
    // where it works out the effective depth h0.
    bool book = true;
    // A sweep may vary it (a layer count changes the list of layers: it may not).
    bool sweeps = true;

    bool IsLayer() const { return layerReal || layerInteger; }
    bool IsReal() const { return real || layerReal; }
};

// The record's fields and a layer's, each in declaration order (the order of
// the JSON form).
std::span<const FieldDef> RecordFields();
std::span<const FieldDef> LayerFields();

// A field by key ("fZhuangJianJu", or a layer's "fMoCaJiao"); null if none.
const FieldDef* FindRecordField(const std::string& key);
const FieldDef* FindLayerField(const std::string& key);

// The fields a table shows, in the order of its rows or columns.
const std::vector<const FieldDef*>& TableFields(FieldTable table);
// The fields of a data-file line (1, 2, or 3 for a layer line) in file order.
const std::vector<const FieldDef*>& FileFields(int line);
// The fields the check looks at, in its order: the record's, then a layer's.
const std::vector<const FieldDef*>& CheckedRecordFields();
const std::vector<const FieldDef*>& CheckedLayerFields();

// The label without the title's line breaks: "内摩擦角(°)"; "" where no table shows it.
std::string FieldLabelText(const FieldDef& f);
// The check's English for the field: "pile length (m)".
std::string FieldWhat(const FieldDef& f);
// Whether the field matters for this record (and layer, for a layer's field).
bool FieldApplies(const FieldDef& f, const CPelvorinData& r, const CTuCeng* layer = nullptr);
// The top of the range for this record.
double FieldHigh(const FieldDef& f, const CPelvorinData& r);
// Whether v lies in the field's range for this record. A real is compared as
// the record holds it: a 32-bit real against the decimal limits rounded the same
// way; a limit taken from the record as it is. Never true for NaN or infinity.
bool FieldInRange(const FieldDef& f, double v, const CPelvorinData& r);
// "0.01 .. 10000000", "0 .. <90", "0 .. fZhuangChang", "1 矩形, 0 圆形": what the
// field takes, for a docstring.
std::string FieldRangeText(const FieldDef& f);

// The value of a field as a double: a record's field from the record, a layer's
// from the layer (0 for a field of the other kind).
double FieldValue(const FieldDef& f, const CPelvorinData& r);
double FieldValue(const FieldDef& f, const CTuCeng& layer);
// The address a cell binds; null for a field of the other kind or type.
float* FieldReal(const FieldDef& f, CPelvorinData& r);
float* FieldReal(const FieldDef& f, CTuCeng& layer);
int* FieldInteger(const FieldDef& f, CPelvorinData& r);
int* FieldInteger(const FieldDef& f, CTuCeng& layer);

// The fields of the design block (JSON "SheJi"), one row each: key, label,
// unit, default, the range taken, the choices. Not in the data file.
struct DesignFieldDef {
    const char* key;
    const char* label; // Chinese, with the unit as the window and the books show it
    const char* what;  // English, as a refusal names it
    float CSheJi::*real = nullptr; // exactly one of the two is set
    int CSheJi::*integer = nullptr;
    double defaultValue = 0;
    double lo = 0, hi = 0;
    bool openBottom = false; // lo < v rather than lo <= v
    std::span<const FieldChoice> choices = {};
};
std::span<const DesignFieldDef> DesignFields();

// The fields of an anchor cable (JSON "SheJi.MaoSuo[i]"), one row each.
struct AnchorFieldDef {
    const char* key;
    const char* label; // Chinese, with the unit
    const char* what;  // English, as a refusal names it
    float CMaoSuo::*real;
    double defaultValue = 0;
    double lo = 0, hi = 0;
    bool openBottom = false; // lo < v rather than lo <= v
    bool openTop = false;    // v < hi rather than v <= hi
};
std::span<const AnchorFieldDef> AnchorFields();
const AnchorFieldDef* FindAnchorField(const std::string& key);
std::string AnchorRangeText(const AnchorFieldDef& f);
const DesignFieldDef* FindDesignField(const std::string& key);
// "0.1 .. 1", "0 < v <= 1000000000", "0 K法, 1 m法": what a design key takes.
std::string DesignRangeText(const DesignFieldDef& f);
double DesignValue(const DesignFieldDef& f, const CSheJi& d);
// True when the design block may be calculated; otherwise *problem names the
// first field at fault: "SheJi.fK (地基系数K（kN/m³）): ...".
bool CheckDesign(const CSheJi& d, std::string* problem);
// The design block's single ground (used where the layers give none): the
// method's coefficient given.
bool CheckDesignGround(const CSheJi& d, std::string* problem);
// Whether a design value or a cable's lies in its field's range (a choice
// among its choices).
bool DesignInRange(const DesignFieldDef& f, double v);
bool AnchorInRange(const AnchorFieldDef& f, double v);
// Some layer gives the ground below the slip surface (fK, fM or fA above 0):
// the design block's single ground and its allowable then do not apply.
bool LayersGiveGround(const CPelvorinData& r);
// The design block's keys of its single ground and its allowable: fK, fM,
// fA1, fA2, fYunXuYingLi.
bool IsSingleGroundKey(const DesignFieldDef& f);

// Of the keys given, the one nearest to name (a letter or two wrong, in any
// case), or "" when none is near: what a "did you mean" offers.
std::string NearestKey(const std::string& name, const std::vector<std::string>& keys);

// Sets one input by its JSON key ("fZhuangJianJu", "nHunNingTuDengJi",
// "TuCeng[2].fMoCaJiao"). False with *error naming the key when there is no
// such input, the layer does not exist, or the value cannot be taken.
bool SetRecordValue(CPelvorinData& record, const std::string& key, double value, std::string* error);
