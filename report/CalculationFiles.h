// The files of one calculation, written by one routine for every surface that
// writes them (slope mode, the window's 构件计算, kangli report, Python): the
// data file, the diagrams, the calculation books and, where a host asks, its
// result file. Where they go and what writes them are arguments: nothing here
// reads or swaps a process-wide work path or writer.
#pragma once

#include "JiSuanBase.h"

#include <functional>
#include <string>
#include <vector>

class CKangLiJiSuan;
class CPelvorinData;

struct CalculationFiles {
    // The folder the files go to; a separator is added when missing.
    std::string folder;
    // Writes a drawn canvas to a file (format by the extension). Without one no
    // diagram is written (each is told as a failure) and the books embed none.
    CanvasFileWriter drawingWriter;
    // A PNG picture beside each DXF diagram.
    bool pictures = false;
    // The host's result file "<stem>.res", when set: it writes path, true when
    // written.
    std::function<bool(const std::string& path)> resultFileWriter;
};

struct CalculationFilesWritten {
    struct Failure {
        std::string path, why;
    };
    std::vector<std::string> written; // paths, in the order written
    std::vector<Failure> failed;      // every file that could not be written
    bool Complete() const { return failed.empty(); }
};

// Writes the files of a calculated record in the order a host's work directory
// receives them: data file, diagrams 0..nJianTuShu-1, books 0..nJiSuanShuShu-1,
// the result file. Every file goes through the safe writer; a file that fails
// does not stop the others. Each book embeds the drawings made here.
CalculationFilesWritten WriteCalculationFiles(CPelvorinData& record, CKangLiJiSuan& calc,
                                              const CalculationFiles& where);
