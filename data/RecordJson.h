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

// The data file text of a record. Refuses, naming the key or line, what would
// not read back: a real that is not finite, a layer count outside 0..kMaxTuCengShu or
// other than the number of layers, a line longer than a reader takes.
bool RecordToDataFile(const CPelvorinData& record, std::string& text, std::string* error);
// True when the data file of record reads back into a new record with every
// input that the calculation uses as it is; otherwise *error names the first key
// that would change (six decimals, or a value that the data file does not store;
// underwater values count only for soil layers where water is considered).
bool CheckDataFileKeeps(const CPelvorinData& record, std::string* error);
// The same, also saying in Chinese, for the window, what the data file would
// lose ("“被动土压力折减系数”为 0.5，数据文件只能存为 0.3").
bool CheckDataFileKeeps(const CPelvorinData& record, std::string* error, std::string* chinese);

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

// The one reading of a record file that every surface uses: a data file, or
// JSON (RecordFromJson) when the path ends in ".json". As with JSON, the file
// alone decides the record; what a data file does not store takes the value of
// a new record. On failure *error is one line without the path: "line 3: ..." or
// "key ..."; the record is then unchanged. A data file whose first line holds no
// pile value is refused as no data file; what is not a regular file, or larger
// than kMaxRecordFileBytes, is refused before it is read.
bool LoadRecordFile(const std::string& path, CPelvorinData& record, std::string* error);
// The same, adding to *warnings each data-file line that was read only in part
// (see CPelvorinData::LoadData); JSON adds none.
bool LoadRecordFile(const std::string& path, CPelvorinData& record, std::string* error,
                    std::vector<std::string>* warnings);
// Saves a record the same way (RecordToDataFile or RecordToJsonChecked), written
// whole or not at all (WriteFileSafely); JSON that RecordFromJson would refuse
// is not written. Every surface saves through here, and here alone decides: a
// data file is written only when it reads back to the same record
// (CheckDataFileKeeps); otherwise nothing is written and *error (and *chinese,
// where given) names what the data file cannot hold, so that the caller keeps
// the record as JSON.
bool SaveRecordFile(const std::string& path, CPelvorinData& record, std::string* error);
bool SaveRecordFile(const std::string& path, CPelvorinData& record, std::string* error, std::string* chinese);
// The data file of a calculation's file set, as the system writes it whatever
// it can hold: the caller writes the record's JSON beside it where
// CheckDataFileKeeps says the data file loses something.
bool WriteCalculationDataFile(const std::string& path, CPelvorinData& record, std::string* error);

// The double to hand a JSON writer for a 32-bit real (JsonKit::WrittenReal): it
// prints in the shortest form that reads back to the same float ("0.3", not
// "0.30000001192092896").
double JsonReal(float value);

// True when path ends in ".json" (any letter case).
bool IsJsonPath(const std::string& path);

// Sets one input by its JSON key ("fZhuangJianJu", "nHunNingTuDengJi",
// "TuCeng[2].fMoCaJiao"). False with *error naming the key when there is no
// such input, the layer does not exist, or the value cannot be taken.
bool SetRecordValue(CPelvorinData& record, const std::string& key, double value, std::string* error);
