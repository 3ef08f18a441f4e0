// kangli: the resistance calculation from the command line.
//   kangli new FILE           a new record (defaults, two default layers)
//   kangli convert IN OUT     data file <-> JSON, chosen by the ".json" extension
//   kangli calc RECORD [--json]  the resistance at every calculation point
//   kangli draw RECORD N OUT     diagram N as DXF, SVG or PNG
//   kangli report RECORD DIR     data file, diagrams and calculation books in DIR
// Exit status: 0 success, 1 record refused by the calculation, 2 usage or file
// error (one line on standard error).
#include "CanvasWriters.h"
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "Rtf.h"
#include "SafeFile.h"
#include "WorkPaths.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <cstdio>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitFile = 2;

int Report(const std::string& file, const std::string& what)
{
    std::fprintf(stderr, "kangli: %s: %s\n", file.c_str(), what.c_str());
    return kExitFile;
}

int RunNew(const std::string& out)
{
    CPelvorinData record;
    InitKangLiData(&record);
    record.TuCeng.resize(2);
    std::string error;
    if (!SaveRecordFile(out, record, &error))
        return Report(out, error);
    return kExitOk;
}

int RunConvert(const std::string& in, const std::string& out)
{
    CPelvorinData record;
    InitKangLiData(&record);
    std::string error;
    if (!LoadRecordFile(in, record, &error))
        return Report(in, error);
    // A conversion must not change what the record calculates: a record whose
    // layer count disagrees with its layers (which calc refuses) would be
    // written as another record, and the data file keeps six decimals and
    // neither the reduction factor nor the underwater values.
    if (record.nTuCengShu != static_cast<int>(record.TuCeng.size()))
        return Report(in, "key \"nTuCengShu\": layer count " + std::to_string(record.nTuCengShu) +
                              " but " + std::to_string(record.TuCeng.size()) +
                              " layers given; nothing converted");
    if (!IsJsonPath(out) && !CheckDataFileKeeps(record, &error))
        return Report(in, error);
    if (!SaveRecordFile(out, record, &error))
        return Report(out, error);
    return kExitOk;
}

std::string DirectoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Right-aligns text to a column width in terminal cells: a CJK character (three
// bytes in UTF-8) takes two cells.
std::string PadLeft(const std::string& text, int cells)
{
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
            width += 1;
        else if ((c & 0xE0) == 0xE0)
            width += 2; // lead byte of a three-byte character
    }
    return std::string(width < cells ? static_cast<size_t>(cells - width) : 0, ' ') + text;
}

// JSON has no NaN or infinity: such a value is written as null.
nlohmann::ordered_json Real(float v)
{
    if (!std::isfinite(v))
        return nullptr;
    return JsonReal(v);
}

// Loads the record at in, checks it and calculates it. Returns the calculation's
// status (1 done, 0 refused, with the reason on standard error), or -1 when the
// file could not be read.
int LoadAndCalculate(const std::string& in, CPelvorinData& record, CKangLiJiSuan& calc)
{
    InitKangLiData(&record);
    std::string error;
    if (!LoadRecordFile(in, record, &error)) {
        Report(in, error);
        return -1;
    }
    if (!CheckKangLiData(record, &error)) {
        Report(in, error);
        return 0;
    }
    // The command line has nobody to ask: a question is answered Yes, every other
    // message becomes a line on standard error naming the record.
    SetMessageSink([&in](const MessageRequest& req) {
        if (req.kind == MessageRequest::Box && (req.buttons & 0xF) == MB_YESNO)
            return IDYES;
        std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), req.text.c_str());
        return IDOK;
    });
    G_strWorkPath = DirectoryOf(in);
    calc.pData = &record;
    const int status = calc.CheckDataChange() ? calc.JiSuan() : 0;
    SetMessageSink(nullptr);
    return status;
}

// For the programs that need a calculated record: kExitOk when it was
// calculated, else the exit status to end with.
int Calculate(const std::string& in, CPelvorinData& record, CKangLiJiSuan& calc)
{
    const int status = LoadAndCalculate(in, record, calc);
    return status < 0 ? kExitFile : status != 1 ? kExitRefused : kExitOk;
}

int RunCalc(const std::string& in, bool asJson)
{
    CPelvorinData record;
    CKangLiJiSuan calc;
    const int status = LoadAndCalculate(in, record, calc);
    if (status < 0)
        return kExitFile;

    const std::vector<float>& points = *record.pDianZuoBiao;
    size_t n = std::min({points.size(), record.TuKangLi.size(), record.ZhuangKangLi.size(),
                         record.ZuiZhongKangLi.size()});
    if (status != 1)
        n = 0; // a refused record has no results of this run
    if (asJson) {
        nlohmann::ordered_json out = nlohmann::ordered_json::object();
        out["status"] = status;
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (size_t i = 0; i < n; ++i) {
            nlohmann::ordered_json p = nlohmann::ordered_json::object();
            p["depth"] = Real(points[i]);
            p["ground"] = Real(record.TuKangLi[i]);
            p["pile"] = Real(record.ZhuangKangLi[i]);
            p["final"] = Real(record.ZuiZhongKangLi[i]);
            list.push_back(std::move(p));
        }
        out["points"] = std::move(list);
        std::printf("%s\n", out.dump(2).c_str());
    } else if (n > 0) {
        std::printf("%s  %s  %s  %s\n", PadLeft("深度(m)", 8).c_str(),
                    PadLeft("土抗力", 12).c_str(), PadLeft("桩抗力", 12).c_str(),
                    PadLeft("最终抗力", 12).c_str());
        for (size_t i = 0; i < n; ++i)
            std::printf("%8.2f  %12.3f  %12.3f  %12.3f\n", points[i], record.TuKangLi[i],
                        record.ZhuangKangLi[i], record.ZuiZhongKangLi[i]);
    }
    return status == 1 ? kExitOk : kExitRefused;
}

int RunDraw(const std::string& in, int diagram, const std::string& out)
{
    if (CanvasFormatOf(out) == CanvasFormat::Unknown)
        return Report(out, "unknown drawing format (use .dxf, .svg or .png)");
    CPelvorinData record;
    CKangLiJiSuan calc;
    if (const int exit = Calculate(in, record, calc); exit != kExitOk)
        return exit;
    CBase_SGT canvas;
    calc.DrawTu(diagram, &canvas, nullptr);
    std::string error;
    if (!WriteCanvas(canvas, out, &error))
        return Report(out, error);
    return kExitOk;
}

// What a host's slope mode leaves in its work directory, into dir: the data
// file, the diagrams (DXF, and a PNG beside each when pictures) and the two
// calculation books.
// Everything is written first into a fresh folder inside dir and moved into dir
// only when all of it was written, so that a full disk or a size limit leaves dir
// as it was, old books never standing beside new diagrams.
int RunReport(const std::string& in, const std::string& dir, bool pictures)
{
    CPelvorinData record;
    CKangLiJiSuan calc;
    if (const int exit = Calculate(in, record, calc); exit != kExitOk)
        return exit;
    const std::string target = WithSeparator(dir);
    std::error_code made;
    std::filesystem::create_directories(dir, made); // with its parents, as mkdir -p
    if (made)
        return Report(dir, "cannot make the directory: " + made.message());
    std::string staging = target + ".kangli-report-XXXXXX";
    if (!::mkdtemp(staging.data()))
        return Report(dir, std::string("cannot write into the directory: ") + std::strerror(errno));
    struct Cleanup {
        std::string path;
        ~Cleanup()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } cleanup{staging};
    G_strWorkPath = WithSeparator(staging);

    std::vector<std::string> names;
    std::string error;
    const std::string data = record.GetDataFileName(0);
    if (!SaveRecordFile(G_strWorkPath + data, record, &error))
        return Report(target + data, error);
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
            return Report(target + name, drawingError.empty() ? "cannot draw the diagram" : drawingError);
        names.push_back(name);
        if (pictures)
            names.push_back(name.substr(0, name.size() - 4) + ".png");
    }
    for (int i = 0; i < record.nJiSuanShuShu; ++i) {
        const std::string name = record.GetJssFileName(i);
        CRTF book;
        calc.ComposeJiSuanShu(&record, i, book);
        if (!book.Save(G_strWorkPath + name, &error))
            return Report(target + name, error);
        names.push_back(name);
    }
    // All written: move them in. A rename within one file system does not fail
    // for want of space; should one fail all the same, say what is new.
    std::vector<std::string> moved;
    for (const std::string& name : names) {
        if (!PublishFile(G_strWorkPath + name, target + name, &error)) {
            std::string already;
            for (const std::string& m : moved)
                already += (already.empty() ? "" : ", ") + m;
            return Report(target + name, error + (moved.empty() ? std::string("; nothing in the directory changed")
                                                                 : "; already replaced: " + already));
        }
        moved.push_back(target + name);
        std::printf("%s\n", (target + name).c_str());
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"kangli: resistance of anti-slide piles (抗滑桩抗力计算)"};
    app.set_version_flag("--version", std::string("kangli ") + KANGLI_VERSION);
    app.require_subcommand(1);

    std::string newFile;
    auto* cmdNew = app.add_subcommand("new", "write a new record with its defaults and two layers "
                                             "(JSON when FILE ends in .json)");
    cmdNew->add_option("FILE", newFile, "output file")->required();

    std::string inFile, outFile;
    auto* cmdConvert = app.add_subcommand("convert", "convert a record between the data file and "
                                                     "JSON (chosen by the .json extension)");
    cmdConvert->add_option("IN", inFile, "input record")->required();
    cmdConvert->add_option("OUT", outFile, "output record")->required();

    std::string calcFile;
    bool calcJson = false;
    auto* cmdCalc = app.add_subcommand("calc", "calculate the resistance at every calculation point "
                                               "(depth m; ground, pile, final kN/m)");
    cmdCalc->add_option("RECORD", calcFile, "data file, or JSON when it ends in .json")->required();
    cmdCalc->add_flag("--json", calcJson, "print one JSON object instead of the table");

    std::string drawFile, drawOut;
    int drawNumber = 1;
    auto* cmdDraw = app.add_subcommand(
        "draw", "draw a diagram of the calculated record: 0 calculation sketch, 1 result diagram, "
                "2 earth-pressure diagram; OUT ends in .dxf, .svg or .png");
    cmdDraw->add_option("RECORD", drawFile, "data file, or JSON when it ends in .json")->required();
    cmdDraw->add_option("DIAGRAM", drawNumber, "0, 1 or 2")->required()->check(CLI::Range(0, 2));
    cmdDraw->add_option("OUT", drawOut, "drawing file")->required();

    std::string reportFile, reportDir;
    bool reportPictures = false;
    auto* cmdReport = app.add_subcommand(
        "report", "calculate and write into DIR the data file, the three diagrams (DXF and PNG) "
                  "and the detailed and concise calculation books (RTF)");
    cmdReport->add_option("RECORD", reportFile, "data file, or JSON when it ends in .json")->required();
    cmdReport->add_option("DIR", reportDir, "the directory to write into (made when missing)")->required();
    cmdReport->add_flag("--png", reportPictures, "also a PNG picture beside each DXF diagram");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "kangli: %s\n", e.what());
        std::fprintf(stderr, "Run with --help for more information.\n");
        return kExitFile;
    }

    try {
        if (*cmdNew)
            return RunNew(newFile);
        if (*cmdConvert)
            return RunConvert(inFile, outFile);
        if (*cmdCalc)
            return RunCalc(calcFile, calcJson);
        if (*cmdDraw)
            return RunDraw(drawFile, drawNumber, drawOut);
        if (*cmdReport)
            return RunReport(reportFile, reportDir, reportPictures);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kangli: %s\n", e.what());
        return kExitFile;
    }
    return kExitFile;
}
