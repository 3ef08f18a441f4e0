#include "ReportFiles.h"

#include "CalculationFiles.h"
#include "CanvasWriters.h"
#include "SafeFile.h"
#include "WorkPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

bool WriteReportFiles(CPelvorinData& record, CKangLiJiSuan& calc, const std::string& dir, bool pictures,
                      std::vector<std::string>& written, std::string& errorPath, std::string& error)
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
    std::string staging = target + ".kangli-report-XXXXXX";
    if (!::mkdtemp(staging.data()))
        return fail(dir, std::string("cannot write into the directory: ") + std::strerror(errno));
    struct Remove {
        std::string path;
        ~Remove()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } remove{staging};

    CalculationFiles where;
    where.folder = WithSeparator(staging);
    where.drawingWriter = WriteCanvas;
    where.pictures = pictures;
    const CalculationFilesWritten files = WriteCalculationFiles(record, calc, where);
    if (!files.Complete()) {
        const std::string& path = files.failed.front().path;
        return fail(target + path.substr(path.rfind('/') + 1), files.failed.front().why);
    }
    std::vector<std::string> names;
    for (const std::string& path : files.written)
        names.push_back(path.substr(path.rfind('/') + 1));

    // All written: move them in. A rename within one file system does not fail
    // for want of space; should one fail all the same, say what is new.
    written.clear();
    for (const std::string& name : names) {
        if (!PublishFile(where.folder + name, target + name, &error)) {
            std::string already;
            for (const std::string& m : written)
                already += (already.empty() ? "" : ", ") + m;
            return fail(target + name, error + (written.empty() ? std::string("; nothing in the directory changed")
                                                                : "; already replaced: " + already));
        }
        written.push_back(target + name);
    }
    return true;
}
