// The input record as one JSON object keyed by the record's member names, with
// the layers under "TuCeng". Unlike the data file, it keeps every input: the
// reduction factor and the underwater values included.
#pragma once

#include "PelvorinData.h"

#include <string>

// Every key, each real written so that it reads back to the same 32-bit float,
// and the framework's part (identity, names) under "JsDataBase". NaN and
// infinity come out as null, text that is not UTF-8 with replacement marks.
std::string RecordToJson(const CPelvorinData& record);
// The same for a file: refuses a real that is not finite and a text that is not
// UTF-8, naming the key, since what it wrote would not read back.
bool RecordToJsonChecked(const CPelvorinData& record, std::string& text, std::string* error);

// The record that text holds, into record. The text alone decides it, whatever
// record held before: a missing key takes the default of a new record
// (InitKangLiData), each layer starts from the layer defaults, the layers are
// those under TuCeng (none without it), and a missing nTuCengShu is their
// number. A stated count stands even where it differs (the check refuses it).
// Returns false with *error naming the key (as "TuCeng[i].key" inside a layer)
// or the text position; the record is then unchanged. Refused besides wrong
// types: a key given twice, nesting deeper than a record's, more than kMaxTuCengShu
// layers, a layer count outside 0..kMaxTuCengShu, a text larger than kMaxRecordFileBytes.
bool RecordFromJson(const std::string& text, CPelvorinData& record, std::string* error);

// The double to hand a JSON writer for a 32-bit real (JsonKit::WrittenReal): it
// prints in the shortest form that reads back to the same float ("0.3", not
// "0.30000001192092896").
double JsonReal(float value);

// True when path ends in ".json" (any letter case).
bool IsJsonPath(const std::string& path);
