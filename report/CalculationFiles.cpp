#include "CalculationFiles.h"

#include "Canvas.h"
#include "KangLiJiSuan.h"
#include "PelvorinData.h"
#include "RecordJson.h"
#include "Rtf.h"

#include <list>

CalculationFilesWritten WriteCalculationFiles(CPelvorinData& record, CKangLiJiSuan& calc,
                                              const CalculationFiles& where)
{
    CalculationFilesWritten out;
    std::string folder = where.folder;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    auto told = [&out](const std::string& path, bool ok, const std::string& why) {
        if (ok)
            out.written.push_back(path);
        else
            out.failed.push_back({path, why.empty() ? "cannot be written" : why});
    };

    std::string why;
    const std::string data = folder + record.GetDataFileName(0);
    told(data, SaveRecordFile(data, record, &why), why);

    // Drawn once: each diagram goes to its file and, as the drawing itself, into
    // the books that show it. A list keeps every canvas where the books point.
    std::list<CBase_SGT> drawings;
    std::vector<std::pair<std::string, const CBase_SGT*>> provided;
    for (int i = 0; i < record.nJianTuShu; ++i) {
        CBase_SGT& canvas = drawings.emplace_back();
        calc.DrawTu(i, &canvas, nullptr);
        const std::string name = record.GetJtFileName(i);
        provided.emplace_back(name, &canvas);
        const std::string path = folder + name;
        why.clear();
        if (!where.drawingWriter) {
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
        told(path, book.Save(path, &why) == 1, why);
    }

    if (where.resultFileWriter) {
        const std::string path = folder + record.FileStem() + ".res";
        told(path, where.resultFileWriter(path), "");
    }
    return out;
}
