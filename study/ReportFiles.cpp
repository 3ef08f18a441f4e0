#include "ReportFiles.h"

#include "CanvasWriters.h"
#include "JiSuanBase.h"
#include "RecordJson.h"
#include "Rtf.h"
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
    struct Restore {
        std::string path, workPath = G_strWorkPath;
        ~Restore()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
            G_strWorkPath = workPath;
        }
    } restore{staging};
    G_strWorkPath = WithSeparator(staging);

    std::vector<std::string> names;
    const std::string data = record.GetDataFileName(0);
    if (!SaveRecordFile(G_strWorkPath + data, record, &error))
        return fail(target + data, error);
    names.push_back(data);
    std::string drawingError;
    SetCanvasFileWriter([&drawingError, pictures](const CBase_SGT& canvas, const std::string& path, std::string*) {
        // As UseCanvasWriters, keeping the reason of a failure for the message;
        // a PNG beside each drawing only when asked for.
        if (!WriteCanvas(canvas, path, &drawingError))
            return false;
        return !pictures || CanvasFormatOf(path) != CanvasFormat::Dxf ||
               WriteCanvas(canvas, path.substr(0, path.size() - 4) + ".png", &drawingError);
    });
    for (int i = 0; i < record.nJianTuShu; ++i) {
        const std::string name = record.GetJtFileName(i);
        if (!calc.WriteJianTu(&record, i, 1))
            return fail(target + name, drawingError.empty() ? "cannot draw the diagram" : drawingError);
        names.push_back(name);
        if (pictures)
            names.push_back(name.substr(0, name.size() - 4) + ".png");
    }
    for (int i = 0; i < record.nJiSuanShuShu; ++i) {
        const std::string name = record.GetJssFileName(i);
        CRTF book;
        calc.ComposeJiSuanShu(&record, i, book);
        if (!book.Save(G_strWorkPath + name, &error))
            return fail(target + name, error);
        names.push_back(name);
    }
    // All written: move them in. A rename within one file system does not fail
    // for want of space; should one fail all the same, say what is new.
    written.clear();
    for (const std::string& name : names) {
        if (!PublishFile(G_strWorkPath + name, target + name, &error)) {
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
