// Plausibility of an input record before it is calculated.
//
// The calculation itself takes any record (its own refusal is rock above soil);
// this check refuses what no pile can be, so that every record that passes
// calculates to finite numbers. Each field's range, and when it applies, is its
// row in the field table (FieldTable.h); the input tables' cells take the same
// ranges. Beyond the rows: the layer count must equal the number of layers.
#pragma once

#include "FieldTable.h"
#include "PelvorinData.h"

#include <string>

// True when the record may be calculated; otherwise *problem names the field
// first at fault by its key and its label in the input tables, e.g.
// "TuCeng[2].fMoCaJiao (第3层 内摩擦角(°)): friction angle (degrees) must lie in
// 0 .. <90 (is 95)", and *chinese says the same for the window:
// "“第3层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 95".
bool CheckKangLiData(const CPelvorinData& record, std::string* problem);
bool CheckKangLiData(const CPelvorinData& record, std::string* problem, std::string* chinese);

// The label under which the input tables show the field with this JSON key
// ("fZhuangJianJu" -> "桩中心距（m）", "TuCeng[2].fMoCaJiao" -> "第3层 内摩擦角(°)");
// the key itself when there is none.
std::string FieldLabel(const std::string& key);
