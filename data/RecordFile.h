// The record as a file. A data file keeps six decimals and no design block,
// reduction factor or underwater values; JSON keeps every input. Every surface
// reads and writes a record file through here.
#pragma once

#include "PelvorinData.h"

#include <string>
#include <vector>

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

// The key of the record's first real that is not finite ("TuCeng[1].fHouDu");
// empty if none: what neither form can hold.
std::string FirstNonFiniteKey(const CPelvorinData& record);
// What a file is read into: a new record with this module's identity and no
// layers (those come from the file).
CPelvorinData NewRecordToRead();
