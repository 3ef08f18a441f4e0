// The files of one calculation, written by one routine for every surface that
// writes them (slope mode, the window's 构件计算, kangli report, Python): the
// data file, the diagrams, the calculation books and, where a host asks, its
// result file. Where they go, what writes them and how are arguments: nothing
// here reads or swaps a process-wide work path or writer.
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
    // diagram is written (each is told as a failure); the books still embed
    // the drawings.
    CanvasFileWriter drawingWriter;
    // A PNG picture beside each DXF diagram.
    bool pictures = false;
    // The host's result file "<stem>.res", when set: it writes path, naming the
    // files this run wrote before it (names, in order); true when written.
    std::function<bool(const std::string& path, const std::vector<std::string>& names)> resultFileWriter;
    // The result file alone (with resultFileWriter): a host's search that needs
    // no data file, diagrams or books.
    bool resultFileOnly = false;
    // Everything is written first into a fresh folder inside folder and moved
    // in only when all of it was written: a failure then leaves folder as it
    // was, and no file of an earlier run stands beside the files of this one.
    bool staged = false;
    // Wait for the disk for every file (fsync). Outputs that every call
    // regenerates (a host's search) may skip it: see ScopedUnflushedWrites.
    bool flushed = true;
};

struct CalculationFilesWritten {
    struct Failure {
        std::string path, why;
    };
    std::vector<std::string> written; // paths, in the order written (moved in, when staged)
    std::vector<Failure> failed;      // every file that was not written
    bool Complete() const { return failed.empty(); }
};

// Writes the files of a record that calc has calculated (the files show its
// result and calculate nothing) in the order a host's work directory
// receives them: data file (and its JSON record beside it when the data file
// cannot hold every input the calculation used, so that a reviewer
// recalculates the same numbers), diagrams 0..nJianTuShu-1, books
// 0..nJiSuanShuShu-1, the result file. Every file goes through the safe writer;
// a file that fails does not stop the others (when staged, none is moved in).
// Each book embeds the drawings made here.
CalculationFilesWritten WriteCalculationFiles(CPelvorinData& record, CKangLiJiSuan& calc,
                                              const CalculationFiles& where);

// The names of every file the set of the record's stem may hold: data file,
// JSON record, diagrams (and their pictures), books, the forces book and its
// drawing, the result file.
std::vector<std::string> CalculationFileNames(CPelvorinData& record);

// Removes from folder the files of the record's set that are not in keep
// (paths): what an earlier run of the same stem left that this one did not
// write (a refused call writes none, a narrower choice of files fewer).
void RemoveOtherCalculationFiles(CPelvorinData& record, const std::string& folder,
                                 const std::vector<std::string>& keep);
