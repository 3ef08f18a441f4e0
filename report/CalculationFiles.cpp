#include "CalculationFiles.h"

#include "ForcesBook.h"

#include "Canvas.h"
#include "KangLiJiSuan.h"
#include "PelvorinData.h"
#include "RecordFile.h"
#include "Rtf.h"
#include "SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>

namespace {

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Writes every file of the set into folder; out collects what was written and
// what failed, by path in folder.
// With refused set, nothing is written: every file of the set is told as
// failed for that reason.
void WriteInto(const std::string& folder, CPelvorinData& record, CKangLiJiSuan& calc, const CalculationFiles& where,
               CalculationFilesWritten& out, const std::string* refused = nullptr)
{
    auto told = [&out, refused](const std::string& path, bool ok, const std::string& why) {
        if (refused)
            out.failed.push_back({path, *refused});
        else if (ok)
            out.written.push_back(path);
        else
            out.failed.push_back({path, why.empty() ? "cannot be written" : why});
    };
    std::string why;

    if (!where.resultFileOnly) {
        // Drawn once: each drawing goes to its file and, as the drawing itself,
        // into the books that show it. A list keeps every canvas where the
        // books point.
        std::list<CBase_SGT> drawings;
        for (int i = 0; i < record.nJianTuShu; ++i)
            calc.DrawTu(i, &drawings.emplace_back(), nullptr);

        const std::string data = folder + record.GetDataFileName(0);
        told(data, !refused && WriteCalculationDataFile(data, record, &why), why);
        // What the data file cannot hold (the underwater values, the reduction
        // factor) goes beside it in the record's JSON form.
        if (!CheckDataFileKeeps(record, nullptr)) {
            const std::string json = folder + record.FileStem() + ".json";
            why.clear();
            told(json, !refused && SaveRecordFile(json, record, &why), why);
        }

        std::vector<std::pair<std::string, const CBase_SGT*>> provided;
        auto drawn = drawings.begin();
        for (int i = 0; i < record.nJianTuShu; ++i) {
            const CBase_SGT& canvas = *drawn++;
            const std::string name = record.GetJtFileName(i);
            provided.emplace_back(name, &canvas);
            const std::string path = folder + name;
            why.clear();
            if (!where.drawingWriter || refused) {
                told(path, false, "no drawing writer");
                continue;
            }
            told(path, where.drawingWriter(canvas, path, &why), why);
            const size_t dot = path.rfind('.');
            if (where.pictures && dot != std::string::npos && path.substr(dot) == ".dxf") {
                const std::string png = path.substr(0, dot) + ".png";
                why.clear();
                told(png, where.drawingWriter(canvas, png, &why), why);
            }
        }

        for (int i = 0; i < record.nJiSuanShuShu; ++i) {
            CRTF book;
            book.strDrawingFolder = folder;
            for (const auto& [name, canvas] : provided)
                book.ProvideDrawing(name, canvas);
            calc.ComposeJiSuanShu(&record, i, book);
            const std::string path = folder + record.GetJssFileName(i);
            why.clear();
            told(path, !refused && book.Save(path, &why) == 1, why);
        }

        // A record with a design block: the pile under its thrust, as the
        // calculation found it, as a drawing of four panels and a book of its own.
        if (record.bSheJi) {
            const PileForces& forces = calc.NeiLi;
            CBase_SGT diagram;
            DrawForcesDiagram(record, forces, &diagram);
            const std::string diagramName = record.FileStem() + "-nl-jt.dxf";
            const std::string diagramPath = folder + diagramName;
            why.clear();
            if (forces.status == 1) {
                if (!where.drawingWriter || refused)
                    told(diagramPath, false, refused ? *refused : "no drawing writer");
                else {
                    told(diagramPath, where.drawingWriter(diagram, diagramPath, &why), why);
                    // With the pictures, this drawing's too.
                    if (where.pictures) {
                        const std::string png = folder + record.FileStem() + "-nl-jt.png";
                        why.clear();
                        told(png, where.drawingWriter(diagram, png, &why), why);
                    }
                }
            }
            CRTF book;
            book.strDrawingFolder = folder;
            // As every book's header: what it is, whose, and when.
            char date[32] = "";
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            if (::localtime_r(&now, &local))
                std::strftime(date, sizeof date, "%Y-%m-%d", &local);
            book.strHeader = "抗滑桩内力计算书    " + record.FileStem() + "    " + record.strBiaoTi +
                             (record.strMingCheng.empty() ? std::string() : "    桩 " + record.strMingCheng) +
                             "    " + date;
            book.ProvideDrawing(diagramName, &diagram);
            WriteForcesBook(record, forces, &book, forces.status == 1 ? diagramPath : std::string());
            const std::string path = folder + record.FileStem() + "-nl-jss.rtf";
            why.clear();
            told(path, !refused && book.Save(path, &why) == 1, why);
        }
    }

    if (where.resultFileWriter) {
        const std::string path = folder + record.FileStem() + ".res";
        std::vector<std::string> names;
        for (const std::string& written : out.written)
            names.push_back(NameOf(written));
        told(path, !refused && where.resultFileWriter(path, names), "");
    }
}

} // namespace

CalculationFilesWritten WriteCalculationFiles(CPelvorinData& record, CKangLiJiSuan& calc,
                                              const CalculationFiles& where)
{
    CalculationFilesWritten out;
    const std::string folder = WithSlash(where.folder);
    std::optional<ScopedUnflushedWrites> unflushed;
    if (!where.flushed)
        unflushed.emplace();
    if (!where.staged) {
        WriteInto(folder, record, calc, where, out);
        return out;
    }

    std::string staging = folder + ".kangli-XXXXXX";
    if (!::mkdtemp(staging.data())) {
        // Nothing can be staged: every file of the set is told as not written.
        const std::string why = std::string("cannot write into the folder: ") + std::strerror(errno);
        WriteInto(folder, record, calc, where, out, &why);
        return out;
    }
    struct Remove {
        std::string path;
        ~Remove()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } remove{staging};
    staging += '/';

    CalculationFilesWritten staged;
    WriteInto(staging, record, calc, where, staged);
    if (!staged.Complete()) {
        // None is moved in: the folder keeps the files of the earlier run
        // together, and every file of this one is told.
        for (const auto& f : staged.failed)
            out.failed.push_back({folder + NameOf(f.path), f.why});
        for (const std::string& path : staged.written)
            out.failed.push_back({folder + NameOf(path), "not moved in: another file of the set was not written"});
        return out;
    }
    // All written: move them in. A rename within one file system does not fail
    // for want of space; should one fail all the same, say what is new.
    for (size_t i = 0; i < staged.written.size(); ++i) {
        const std::string name = NameOf(staged.written[i]);
        std::string why;
        if (!PublishFile(staging + name, folder + name, &why)) {
            std::string already;
            for (const std::string& m : out.written)
                already += (already.empty() ? "" : ", ") + m;
            out.failed.push_back({folder + name, why + (out.written.empty() ? std::string("; nothing in the folder changed")
                                                                             : "; already replaced: " + already)});
            for (size_t j = i + 1; j < staged.written.size(); ++j)
                out.failed.push_back({folder + NameOf(staged.written[j]), "not moved in"});
            return out;
        }
        out.written.push_back(folder + name);
    }
    // The set is the stem's whole set: a file of it that this run did not
    // write (the JSON beside a data file that now holds the record, the forces
    // book of a record that no longer has a design block, a picture not asked
    // for, all but the result file when only that is asked for) belongs to an
    // earlier record and does not stay beside the new files.
    RemoveOtherCalculationFiles(record, folder, out.written);
    return out;
}

std::vector<std::string> CalculationFileNames(CPelvorinData& record)
{
    const std::string stem = record.FileStem();
    std::vector<std::string> names = {record.GetDataFileName(0), stem + ".json", stem + "-nl-jss.rtf",
                                      stem + "-nl-jt.dxf", stem + "-nl-jt.png", stem + ".res"};
    // A record refused before its calculation still names three diagrams.
    const int drawings = std::clamp(std::max(record.nJianTuShu, 3), 0, CJsDataBase::kMaxJianTu);
    for (int i = 0; i < drawings; ++i) {
        const std::string dxf = record.GetJtFileName(i);
        names.push_back(dxf);
        const size_t dot = dxf.rfind('.');
        if (dot != std::string::npos)
            names.push_back(dxf.substr(0, dot) + ".png");
    }
    for (int i = 0; i < std::clamp(record.nJiSuanShuShu, 0, CJsDataBase::kMaxJiSuanShu); ++i)
        names.push_back(record.GetJssFileName(i));
    return names;
}

void RemoveOtherCalculationFiles(CPelvorinData& record, const std::string& folder,
                                 const std::vector<std::string>& keep)
{
    const std::string where = WithSlash(folder);
    for (const std::string& name : CalculationFileNames(record)) {
        const std::string path = where + name;
        if (std::find(keep.begin(), keep.end(), path) != keep.end())
            continue;
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec))
            std::filesystem::remove(path, ec);
    }
}
