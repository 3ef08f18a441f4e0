// The input record as one JSON object keyed by the record's member names, with
// the layers under "TuCeng". Unlike the data file, it keeps every input: the
// reduction factor and the underwater values included.
#pragma once

#include "PelvorinData.h"

#include <string>

// Every key, each real written so that it reads back to the same 32-bit float.
std::string RecordToJson(const CPelvorinData& record);

// Fills record from text. A missing key keeps the record's value (so a new record
// gives the defaults); a missing nTuCengShu becomes the length of TuCeng; each
// layer starts from the layer defaults. Returns false with *error naming the key
// (as "TuCeng[i].key" inside a layer) or the text position; the record may then
// be partly filled.
bool RecordFromJson(const std::string& text, CPelvorinData& record, std::string* error);

// Loads a record from a data file, or from JSON when the path ends in ".json".
// On failure *error is one line without the path: "line 3: ..." or "key ...". A
// data file whose first line holds no pile value is refused as no data file.
bool LoadRecordFile(const std::string& path, CPelvorinData& record, std::string* error);
// Saves a record the same way, through a temporary file renamed over path.
bool SaveRecordFile(const std::string& path, CPelvorinData& record, std::string* error);

// The double to hand a JSON writer for a 32-bit real: it prints in the shortest
// form that reads back to the same float ("0.3", not "0.30000001192092896").
double JsonReal(float value);

// True when path ends in ".json" (any letter case).
bool IsJsonPath(const std::string& path);
