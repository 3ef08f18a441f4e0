// Plausibility of an input record before it is calculated from the command line.
//
// The calculation itself takes any record (its own refusal is rock above soil);
// this check refuses what no pile can be, so that every record that passes
// calculates to finite numbers. The bounds follow the input tables where those
// have limits, and physical sense where they have none:
//   pile length            0.01 .. 1000 m
//   section sizes, spacing 0.01 .. 10000000 m
//   unit weight of pile    0.01 .. 10000000 kN/m3
//   as (rectangle)         0 .. below 1000 h mm (the effective depth stays > 0)
//   slip-surface depth     0 .. pile length (it must cut the pile)
//   slope-surface depth, water depth   finite, |value| <= 100000 m; water above
//                          the slope surface (negative) is a submerged slope and
//                          is calculated as such
//   reduction factor       0 .. 1
//   grade                  15, 20, ..., 80; shape 0 or 1; water switch 0 or 1
//   layers                 count 0 .. 100 and equal to the list; type 0 or 1;
//                          thickness 0.001 .. 100000 m; unit weights, cohesions
//                          0 .. 100000; friction angles 0 .. below 90 degrees
//                          (under-water values only where water is considered)
#pragma once

#include "PelvorinData.h"

#include <string>

constexpr int kMaxJiSuanTuCengShu = 100;

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
