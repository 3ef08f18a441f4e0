// What a host's slope mode leaves in its work directory, written into a folder
// for a calculated record: the data file, the diagrams (DXF, and a PNG beside
// each when pictures) and the two calculation books, all named by the record's
// file-name stem. Everything is written first into a fresh folder inside dir
// and moved in only when all of it was written (WriteCalculationFiles, staged), so that a full disk or a size
// limit leaves dir as it was, old books never standing beside new diagrams.
#pragma once

#include "KangLiJiSuan.h"
#include "PelvorinData.h"

#include <string>
#include <vector>

// dir is made with its parents when missing. True with the paths written, in
// order; false with the file at fault and the reason. unitless: the DXF
// drawings carry no unit, for CAD programs that would print a metre diagram
// 1000 times too large.
bool WriteReportFiles(CPelvorinData& record, CKangLiJiSuan& calc, const std::string& dir, bool pictures,
                      std::vector<std::string>& written, std::string& errorPath, std::string& error,
                      bool unitless = false);
