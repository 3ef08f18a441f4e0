#include "ReportFiles.h"

#include "CalculationFiles.h"
#include "CanvasWriters.h"
#include "WorkPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

bool WriteReportFiles(CPelvorinData& record, CKangLiJiSuan& calc, const std::string& dir, bool pictures,
                      std::vector<std::string>& written, std::string& errorPath, std::string& error, bool unitless)
{
    auto fail = [&](const std::string& path, const std::string& why) {
        errorPath = path;
        error = why;
        return false;
    };
    const std::string target = WithSeparator(dir);
    std::error_code made;
    std::filesystem::create_directories(dir, made); // with its parents, as mkdir -p
    if (made)
        return fail(dir, "cannot make the directory: " + made.message());
    CalculationFiles where;
    where.folder = target;
    where.drawingWriter = WriteCanvas;
    if (unitless)
        where.drawingWriter = [](const CBase_SGT& canvas, const std::string& path, std::string* why) {
            CBase_SGT plain = canvas;
            plain.nUnits = CBase_SGT::Unitless;
            return WriteCanvas(plain, path, why);
        };
    where.pictures = pictures;
    where.staged = true;
    const CalculationFilesWritten files = WriteCalculationFiles(record, calc, where);
    if (!files.Complete())
        return fail(files.failed.front().path, files.failed.front().why);
    written = files.written;
    return true;
}
