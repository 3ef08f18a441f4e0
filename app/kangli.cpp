// kangli: the resistance calculation from the command line.
//   kangli new FILE           a new record (defaults, two default layers)
//   kangli convert IN OUT     data file <-> JSON, chosen by the ".json" extension
//   kangli calc RECORD [--json]  the resistance at every calculation point
//   kangli draw RECORD N OUT     diagram N as DXF, SVG or PNG
//   kangli report RECORD DIR     data file, diagrams and calculation books in DIR
//   kangli calc A B DIR/ [--csv FILE | --jsonl]   one row per record
//   kangli sweep RECORD --vary KEY=FROM:TO:STEP [--vary ...] [--csv F] [--chart F]
//   kangli design RECORD [--thrust T] --vary ... [--csv F] [--top N]   the least concrete that carries the
//                               thrust (the design block's, passing every check of the pile under it)
//   kangli keys                  every input key a study may vary
// Exit status: 0 success, 1 record refused by the calculation, 2 usage or file
// error (one line on standard error).
#include "CanvasWriters.h"
#include "ForcesBook.h"
#include "ForcesCommand.h"
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "NumericLocale.h"
#include "PileForces.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "ResultColumns.h"
#include "RecordFile.h"
#include "RecordReference.h"
#include "Chart.h"
#include "FieldTable.h"
#include "ReportFiles.h"
#include "Study.h"
#include "Rtf.h"
#include "SafeFile.h"
#include "WorkPaths.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdarg>
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

// Each data-file line that was read only in part, told on standard error once
// the record is taken: a typo ("3OO.0") silently changes the pile otherwise. A
// record that is refused gets its one line of refusal alone.
void Tell(const std::string& in, const std::vector<std::string>& warnings)
{
    for (const std::string& w : warnings)
        std::fprintf(stderr, "kangli: %s: warning: %s\n", in.c_str(), w.c_str());
}

bool LoadTold(const std::string& in, CPelvorinData& record, std::string* error)
{
    std::vector<std::string> warnings;
    const bool ok = LoadRecordFile(in, record, error, &warnings);
    if (ok)
        Tell(in, warnings);
    return ok;
}

int RunNew(const std::string& out, bool force)
{
    // A new record never replaces a user's file unasked.
    std::error_code ec;
    if (!force && std::filesystem::exists(out, ec))
        return Report(out, "exists; nothing written (give --force to replace it)");
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
    std::vector<std::string> warnings;
    if (!LoadRecordFile(in, record, &error, &warnings))
        return Report(in, error);
    // A conversion must not change what the record calculates: a record whose
    // layer count disagrees with its layers (which calc refuses) would be
    // written as another record; a data file that would read back otherwise
    // (six decimals, no reduction factor, underwater values or design block)
    // is refused by SaveRecordFile itself.
    if (record.nTuCengShu != static_cast<int>(record.TuCeng.size()))
        return Report(in, "key \"nTuCengShu\": layer count " + std::to_string(record.nTuCengShu) +
                              " but " + std::to_string(record.TuCeng.size()) +
                              " layers given; nothing converted");
    Tell(in, warnings);
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
    std::vector<std::string> warnings;
    if (!LoadRecordFile(in, record, &error, &warnings)) {
        Report(in, error);
        return -1;
    }
    if (!CheckKangLiData(record, &error)) {
        Report(in, error);
        return 0;
    }
    Tell(in, warnings);
    // The command line has nobody to ask: a question is answered Yes, every other
    // message becomes a line on standard error naming the record.
    // The record's folder is the work path its stored data is compared in.
    calc.context.sink = [in](const MessageRequest& req) {
        if (req.kind == MessageRequest::Box && (req.buttons & 0xF) == MB_YESNO)
            return IDYES;
        std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), req.text.c_str());
        return IDOK;
    };
    calc.context.workPath = DirectoryOf(in);
    calc.pData = &record;
    return calc.CheckDataChange() ? calc.JiSuan() : 0;
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
            for (size_t c = 0; c < kResultColumns.size(); ++c)
                p[kResultColumns[c].key] = Real(ResultValue(record, c, i));
            list.push_back(std::move(p));
        }
        out["points"] = std::move(list);
        std::printf("%s\n", out.dump(2).c_str());
    } else if (n > 0) {
        // The depth 8 wide, each resistance 12, as the columns' decimals print them.
        std::string line;
        for (size_t c = 0; c < kResultColumns.size(); ++c)
            line += (c ? "  " : "") + PadLeft(c ? kResultColumns[c].label : ResultColumnTitle(kResultColumns[c]), c ? 12 : 8);
        std::printf("%s\n", line.c_str());
        for (size_t i = 0; i < n; ++i) {
            line.clear();
            for (size_t c = 0; c < kResultColumns.size(); ++c) {
                char cell[64];
                std::snprintf(cell, sizeof cell, "%*.*f", c ? 12 : 8, kResultColumns[c].decimals, ResultValue(record, c, i));
                line += (c ? "  " : "") + std::string(cell);
            }
            std::printf("%s\n", line.c_str());
        }
    }
    return status == 1 ? kExitOk : kExitRefused;
}

int Emit(const std::string& file, const std::string& text);

// Every input a study may vary, from the field table: key, label, unit, range.
int RunKeys(bool markdown)
{
    if (markdown)
        return Emit("", RecordReferenceMarkdown());
    std::string out = "key\tlabel\tunit\trange\n";
    auto list = [&out](std::span<const FieldDef> fields, const std::string& prefix) {
        for (const FieldDef& f : fields) {
            if (!f.sweeps)
                continue;
            std::string when;
            switch (f.checkedAlways ? FieldWhen::Always : f.when) {
            case FieldWhen::Rectangle: when = " (rectangular section only)"; break;
            case FieldWhen::Circle: when = " (circular section only)"; break;
            case FieldWhen::Water: when = " (with groundwater only)"; break;
            case FieldWhen::SoilUnderWater: when = " (soil under groundwater only)"; break;
            case FieldWhen::Design: when = " (ground below the slip surface for the internal forces; JSON only)"; break;
            case FieldWhen::Always: break;
            }
            const std::string label = FieldLabelText(f);
            out += prefix + f.key + "\t" + (label.empty() ? f.name : label) + "\t" + f.unit + "\t" +
                   (f.ranged || !f.choices.empty() ? FieldRangeText(f) : std::string("any")) + when + "\n";
        }
    };
    list(RecordFields(), "");
    list(LayerFields(), "TuCeng[i].");
    // The design block's keys, for the internal forces: in a JSON record's
    // "SheJi" object (studies do not vary them). The unit is the label's own.
    for (const DesignFieldDef& f : DesignFields()) {
        const std::string label = f.label;
        std::string unit;
        const std::string open = "（", close = "）";
        if (const size_t a = label.rfind(open); a != std::string::npos) {
            const size_t b = label.find(close, a);
            unit = label.substr(a + open.size(), b == std::string::npos ? std::string::npos : b - a - open.size());
        }
        out += std::string("SheJi.") + f.key + "\t" + label + "\t" + unit + "\t" + DesignRangeText(f) +
               " (design block of a JSON record; not varied by studies)\n";
    }
    for (const AnchorFieldDef& f : AnchorFields()) {
        const std::string label = f.label;
        const std::string open = "（", close = "）";
        std::string unit;
        if (const size_t a = label.rfind(open); a != std::string::npos)
            unit = label.substr(a + open.size(), label.find(close, a) - a - open.size());
        out += std::string("SheJi.MaoSuo[i].") + f.key + "\t" + label + "\t" + unit + "\t" + AnchorRangeText(f) +
               " (anchor cable of the design block, at most " + std::to_string(kMaxMaoSuoShu) + ")\n";
    }
    return Emit("", out);
}

int RunDraw(const std::string& in, int diagram, const std::string& out, bool unitless)
{
    if (CanvasFormatOf(out) == CanvasFormat::Unknown)
        return Report(out, "unknown drawing format (use .dxf, .svg or .png)");
    // The drawing never replaces the record it is drawn from.
    std::error_code same;
    if (std::filesystem::equivalent(in, out, same))
        return Report(out, "is the record being drawn; name another file for the drawing");
    CPelvorinData record;
    CKangLiJiSuan calc;
    if (const int exit = Calculate(in, record, calc); exit != kExitOk)
        return exit;
    CBase_SGT canvas;
    if (diagram == 3) {
        // The pile under its design thrust: four panels along the pile.
        const PileForces forces = CalculatePileForces(record);
        if (forces.status != 1) {
            std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), forces.refusal.c_str());
            return kExitRefused;
        }
        DrawForcesDiagram(record, forces, &canvas);
    } else {
        calc.DrawTu(diagram, &canvas, nullptr);
    }
    if (unitless)
        canvas.nUnits = CBase_SGT::Unitless;
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
int RunReport(const std::string& in, const std::string& dir, bool pictures, bool unitless)
{
    CPelvorinData record;
    CKangLiJiSuan calc;
    if (const int exit = Calculate(in, record, calc); exit != kExitOk)
        return exit;
    // A design block the internal forces refuse is refused before anything is
    // written: a book would otherwise carry the refusal where the forces belong.
    if (record.bSheJi) {
        const PileForces forces = CalculatePileForces(record);
        if (forces.status != 1) {
            std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), forces.refusal.c_str());
            return kExitRefused;
        }
    }
    std::vector<std::string> written;
    std::string errorPath, error;
    if (!WriteReportFiles(record, calc, dir, pictures, written, errorPath, error, unitless))
        return Report(errorPath, error);
    for (const std::string& path : written)
        std::printf("%s\n", path.c_str());
    return kExitOk;
}

// ---------------------------------------------------------------- studies

// The records named on the command line: a folder stands for every data file
// and JSON record in it, in name order.
std::vector<std::string> ExpandRecords(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    for (const std::string& a : args) {
        std::error_code ec;
        if (std::filesystem::is_directory(a, ec)) {
            std::vector<std::string> found;
            for (const auto& e : std::filesystem::directory_iterator(a, ec)) {
                const std::string name = e.path().string();
                const std::string ext = e.path().extension().string();
                if (ext == ".dat" || ext == ".json" || ext == ".DAT" || ext == ".JSON")
                    found.push_back(name);
            }
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(a);
        }
    }
    return files;
}

// Writes text to a file, or standard output for "-" or no name.
int Emit(const std::string& file, const std::string& text)
{
    if (file.empty() || file == "-") {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return kExitOk;
    }
    std::string error;
    if (!WriteFileSafely(file, text, &error))
        return Report(file, error);
    return kExitOk;
}

// Whether two paths name one file: the same file reached by another path, or
// the same path where nothing exists yet.
bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec))
        return true;
    const auto ca = std::filesystem::weakly_canonical(a, ec);
    if (ec)
        return false;
    const auto cb = std::filesystem::weakly_canonical(b, ec);
    return !ec && ca == cb;
}

// An output that would replace one of the inputs is refused before anything is
// calculated: a record overwritten by a table cannot be had back.
int RefuseOverInput(const std::string& option, const std::string& out, const std::vector<std::string>& inputs)
{
    if (out.empty() || out == "-")
        return kExitOk;
    for (const std::string& in : inputs)
        if (SameFile(out, in))
            return Report(out, option + " would write over the input record " + in + "; choose another file");
    return kExitOk;
}

const char kBom[] = "\xEF\xBB\xBF"; // so that a spreadsheet reads the CSV as UTF-8

std::string Governs(const StudyResult& r) { return r.status != 1 ? "" : r.governs == 'P' ? "pile" : "ground"; }

// What the running command asked for, for a message when memory runs out.
std::string g_asked;

// Many records in one run, one row each; a bad file never stops the run.
int RunBatch(const std::vector<std::string>& args, const std::string& csv, bool jsonl)
{
    const std::vector<std::string> files = ExpandRecords(args);
    if (files.empty())
        return Report(args.empty() ? "." : args.front(), "no record files found");
    if (const int exit = RefuseOverInput("--csv", csv, files); exit != kExitOk)
        return exit;
    struct Row {
        std::string file, status;
        StudyResult r;
    };
    g_asked = std::to_string(files.size()) + " records";
    std::vector<Row> rows(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        rows[i].file = files[i];
        CPelvorinData record;
        InitKangLiData(&record);
        std::string error;
        if (!LoadTold(files[i], record, &error)) {
            rows[i].status = "unreadable";
            rows[i].r.message = error;
            continue;
        }
        rows[i].r = Study(record);
        rows[i].status = rows[i].r.status == 1 ? "calculated" : "refused";
    }
    bool all = true;
    std::string out;
    if (jsonl) {
        for (const Row& row : rows) {
            nlohmann::ordered_json o = nlohmann::ordered_json::object();
            o["file"] = row.file;
            o["status"] = row.status;
            if (row.r.status == 1) {
                o["at_slip"] = JsonReal(static_cast<float>(row.r.atSlip));
                o["governs"] = Governs(row.r);
                o["top"] = JsonReal(static_cast<float>(row.r.top));
            } else {
                o["message"] = row.r.message;
            }
            out += o.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
            all = all && row.r.status == 1;
        }
    } else if (!csv.empty()) {
        out = std::string(kBom) +
              "文件 file,状态 status,滑面处抗力 at slip (kN/m),控制 governs,桩顶最终抗力 top (kN/m),"
              "说明 message\r\n";
        for (const Row& row : rows) {
            const bool ok = row.r.status == 1;
            out += CsvField(row.file) + "," + row.status + "," + (ok ? Fixed(row.r.atSlip, 3) : "") + "," +
                   Governs(row.r) + "," + (ok ? Fixed(row.r.top, 3) : "") +
                   "," + CsvField(row.r.message) + "\r\n";
            all = all && ok;
        }
    } else {
        for (const Row& row : rows) {
            const bool ok = row.r.status == 1;
            out += row.file + "  " + row.status;
            if (ok)
                out += "  " + Fixed(row.r.atSlip, 3) + " kN/m at the slip surface (" + Governs(row.r) +
                       " governs), top " + Fixed(row.r.top, 3);
            else
                out += "  " + row.r.message;
            out += "\n";
            all = all && ok;
        }
    }
    if (const int exit = Emit(csv, out); exit != kExitOk)
        return exit;
    return all ? kExitOk : kExitRefused;
}

// Loads the record and parses the ranges; kExitOk or the exit status.
int PrepareStudy(const std::string& in, const std::vector<std::string>& vary, CPelvorinData& record,
                 std::vector<StudyRange>& ranges)
{
    InitKangLiData(&record);
    std::string error;
    if (!LoadTold(in, record, &error))
        return Report(in, error);
    if (vary.empty() || vary.size() > 3)
        return Report(in, "give one, two or three --vary KEY=FROM:TO:STEP");
    for (const std::string& v : vary) {
        StudyRange range;
        if (!ParseStudyRange(v, record, range, &error))
            return Report(in, error);
        ranges.push_back(std::move(range));
    }
    if (!CheckStudyRanges(record, ranges, &error))
        return Report(in, error);
    g_asked = Fixed(StudyCombinationCount(ranges), 0) + " combinations of";
    for (const StudyRange& r : ranges)
        g_asked += " " + r.key + (&r == &ranges.back() ? "" : ",");
    for (const std::string& warning : StudyWarnings(record, ranges))
        std::fprintf(stderr, "kangli: %s: warning: %s\n", in.c_str(), warning.c_str());
    return kExitOk;
}

int RunSweep(const std::string& in, const std::vector<std::string>& vary, const std::string& csv,
             const std::string& chart)
{
    if (const int exit = RefuseOverInput("--csv", csv, {in}); exit != kExitOk)
        return exit;
    if (const int exit = RefuseOverInput("--chart", chart, {in, csv}); exit != kExitOk)
        return exit;
    CPelvorinData record;
    std::vector<StudyRange> ranges;
    if (const int exit = PrepareStudy(in, vary, record, ranges); exit != kExitOk)
        return exit;
    if (!chart.empty() && CanvasFormatOf(chart) != CanvasFormat::Svg && CanvasFormatOf(chart) != CanvasFormat::Png)
        return Report(chart, "unknown chart format (use .svg or .png)");
    if (!chart.empty() && ranges.size() > 2)
        return Report(chart, "a chart shows one or two varied inputs; " + std::to_string(ranges.size()) + " given");
    if (!chart.empty() && ranges.size() > 1 && ranges[1].values.size() > kMaxChartCurves)
        return Report(chart, "the chart draws one curve per value of " + ranges[1].key + ", at most " +
                                 std::to_string(kMaxChartCurves) + " that can be told apart; " +
                                 std::to_string(ranges[1].values.size()) + " given");
    const std::vector<StudyPoint> points = Sweep(record, ranges);
    std::string out = csv.empty() ? "" : kBom;
    const std::string sep = csv.empty() ? "  " : ",";
    const std::string eol = csv.empty() ? "\n" : "\r\n";
    for (const StudyRange& r : ranges)
        out += CsvField(FieldLabel(r.key) + " " + r.key) + sep;
    out += "滑面处抗力 at slip (kN/m)" + sep + "控制 governs" + sep + "桩抗力 pile (kN/m)" + sep +
           "土抗力 ground (kN/m)" + sep + "说明 message" + eol;
    std::vector<int> decimals;
    for (const StudyRange& r : ranges)
        decimals.push_back(LabelDecimals(r.values));
    for (const StudyPoint& p : points) {
        for (size_t k = 0; k < p.values.size(); ++k)
            out += ValueLabel(p.values[k], decimals[k]) + sep;
        const bool ok = p.result.status == 1;
        out += (ok ? Fixed(p.result.atSlip, 3) : "") + sep + Governs(p.result) + sep +
               (ok ? Fixed(p.result.pile, 3) : "") + sep + (ok ? Fixed(p.result.ground, 3) : "") + sep +
               CsvField(p.result.message) + eol;
    }
    if (const int exit = Emit(csv, out); exit != kExitOk)
        return exit;
    const bool any = std::any_of(points.begin(), points.end(), [](const StudyPoint& p) { return p.result.status == 1; });
    if (!any)
        std::fprintf(stderr, "kangli: %s: none of the %zu combinations could be calculated\n", in.c_str(), points.size());
    if (!chart.empty()) {
        std::vector<std::string> labels;
        for (const StudyRange& r : ranges)
            labels.push_back(FieldLabel(r.key));
        std::string error;
        if (!WriteCanvas(SweepChart(points, ranges, labels), chart, &error))
            return Report(chart, error);
    }
    return any ? kExitOk : kExitRefused;
}

// A number as Fixed wrote it, whatever the locale.
double ReadNumber(const std::string& text)
{
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// A resistance below the thrust, with as many decimals (three at least) as it
// takes to show it below: 360.5485 against 360.549 is "360.5485", not "360.549".
std::string Below(double value, double thrust)
{
    for (int d = 3; d <= 9; ++d)
        if (const std::string text = Fixed(value, d); ReadNumber(text) < thrust)
            return text;
    return ValueLabel(value, -1);
}

// An input's value with its unit: "1.6 m", "30".
std::string WithUnit(const std::string& key, double value, int decimals)
{
    const FieldDef* f = StudyKeyField(key);
    return ValueLabel(value, decimals) + (f && *f->unit ? std::string(" ") + f->unit : std::string());
}

// printf onto the end of a string.
[[gnu::format(printf, 2, 3)]] void Append(std::string& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (n > 0) {
        const size_t old = out.size();
        out.resize(old + static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data() + old, static_cast<size_t>(n) + 1, format, again);
        out.resize(old + static_cast<size_t>(n));
    }
    va_end(again);
}

int RunDesign(const std::string& in, const std::vector<std::string>& vary, double thrust, bool thrustGiven,
              const std::string& csv, int top)
{
    if (const int exit = RefuseOverInput("--csv", csv, {in}); exit != kExitOk)
        return exit;
    CPelvorinData record;
    std::vector<StudyRange> ranges;
    if (const int exit = PrepareStudy(in, vary, record, ranges); exit != kExitOk)
        return exit;
    // A record with a design block gives its thrust and is judged by every
    // check of the pile under it; --thrust is for a record without one.
    const bool designed = record.bSheJi != 0;
    if (designed && thrustGiven)
        return Report(in, "the design block gives the thrust (SheJi.fTuiLi less SheJi.fQianKangLi, " +
                              Fixed(DesignThrust(record), 3) + " kN/m); --thrust is for a record without one");
    if (designed)
        thrust = DesignThrust(record);
    else if (!thrustGiven)
        return Report(in, "--thrust is required: the record has no design block (SheJi) to give the thrust");
    if (!(thrust >= 0.001 && thrust <= 1e9))
        return Report(in, designed ? "SheJi.fTuiLi less SheJi.fQianKangLi must be at least 0.001 kN/m"
                                   : "--thrust must lie between 0.001 and 1000000000 kN/m");
    if (top < 1)
        return Report(in, "--top must be at least 1");
    std::vector<StudyPoint> points = Sweep(record, ranges, designed);
    // What is said goes to standard output, unless the CSV goes there.
    std::string text;
    std::vector<int> decimals;
    for (const StudyRange& r : ranges)
        decimals.push_back(LabelDecimals(r.values));
    auto describe = [&ranges, &decimals](const StudyPoint& p) {
        std::string d;
        for (size_t k = 0; k < ranges.size(); ++k)
            d += (k ? ", " : "") + ranges[k].key + " = " + WithUnit(ranges[k].key, p.values[k], decimals[k]);
        return d;
    };
    // Least concrete per metre of slope first; the larger resistance breaks a tie.
    const DesignRanking ranking = RankDesigns(points, thrust);
    const std::vector<const StudyPoint*>& carrying = ranking.carrying;
    const StudyPoint* best = ranking.best;
    const size_t unbuildable = ranking.unbuildable;
    // The inputs, named as the tables name them, with their ranges.
    for (size_t k = 0; k < ranges.size(); ++k)
        Append(text, ranges[k].values.size() == 1 ? "%s (%s): %s .. %s, %zu value\n" : "%s (%s): %s .. %s, %zu values\n",
               ranges[k].key.c_str(), FieldLabel(ranges[k].key).c_str(),
                    WithUnit(ranges[k].key, ranges[k].values.front(), decimals[k]).c_str(),
                    WithUnit(ranges[k].key, ranges[k].values.back(), decimals[k]).c_str(), ranges[k].values.size());
    if (unbuildable)
        Append(text, "%zu of %zu combinations left out: less than one pile width between the piles\n", unbuildable,
                    points.size());
    auto percent = [thrust](double atSlip) { return Fixed(100.0 * (atSlip - thrust) / thrust, 1); };
    // Every combination that carries, least concrete first (a heading alone when none does).
    auto emitCsv = [&]() -> int {
        if (csv.empty())
            return kExitOk;
        if (designed) {
            // Every combination with its checks, in the order tried.
            std::string out = kBom;
            for (const StudyRange& r : ranges)
                out += CsvField(FieldLabel(r.key) + " " + r.key) + ",";
            out += "混凝土 concrete (m3/m),纵筋 steel (kg/m),滑面处抗力 at slip (kN/m),满足 passes,控制验算 governing,"
                   "富余 margin (%),不满足 failed,说明 message\r\n";
            for (const StudyPoint& p : points) {
                for (size_t k = 0; k < ranges.size(); ++k)
                    out += ValueLabel(p.values[k], decimals[k]) + ",";
                const StudyResult& r = p.result;
                if (r.status != 1 || !r.designed) {
                    out += ",,,0,,,," + CsvField(r.message) + "\r\n";
                    continue;
                }
                out += Fixed(r.concrete, 4) + "," + Fixed(r.steel, 1) + "," + Fixed(r.atSlip, 3) + "," +
                       (r.passes && r.atSlip >= thrust ? "1" : "0") + "," + CsvField(r.governing) + "," +
                       (std::isfinite(r.margin) ? Fixed(100 * r.margin, 1) : std::string()) + "," +
                       CsvField(r.failed) + "," + CsvField(r.message) + "\r\n";
            }
            return Emit(csv, out);
        }
        {
            std::string out = kBom;
            for (const StudyRange& r : ranges)
                out += CsvField(FieldLabel(r.key) + " " + r.key) + ",";
            out += "混凝土 concrete (m3/m),滑面处抗力 at slip (kN/m),控制 governs,富余 margin (kN/m),富余 margin (%)\r\n";
            for (const StudyPoint* p : carrying) {
                for (size_t k = 0; k < ranges.size(); ++k)
                    out += ValueLabel(p->values[k], decimals[k]) + ",";
                out += Fixed(p->result.concrete, 4) + "," + Fixed(p->result.atSlip, 3) + "," + Governs(p->result) + "," +
                       Fixed(p->result.atSlip - thrust, 3) + "," + percent(p->result.atSlip) + "\r\n";
            }
            if (const int exit = Emit(csv, out); exit != kExitOk)
                return exit;
        }
        return kExitOk;
    };
    if (designed) {
        // Which checks the piles that reach the thrust fail, most often first.
        std::vector<std::pair<std::string, size_t>> fails;
        size_t failing = 0;
        for (const StudyPoint& p : points) {
            if (p.result.status != 1 || !p.result.designed || p.result.passes || p.result.atSlip < thrust)
                continue;
            ++failing;
            auto it = std::find_if(fails.begin(), fails.end(), [&](const auto& f) { return f.first == p.result.failed; });
            if (it == fails.end())
                fails.emplace_back(p.result.failed, 1);
            else
                ++it->second;
        }
        std::stable_sort(fails.begin(), fails.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
        if (failing) {
            Append(text, "%zu combinations reach the thrust but fail a check of the pile under it:", failing);
            for (size_t i = 0; i < fails.size(); ++i)
                Append(text, "%s %zu %s", i ? "," : "", fails[i].second, fails[i].first.c_str());
            Append(text, "\n");
        }
        size_t short_ = 0;
        for (const StudyPoint& p : points)
            short_ += p.result.status == 1 && p.result.atSlip < thrust;
        if (short_)
            Append(text, "%zu combinations do not reach the thrust at the slip surface\n", short_);
    }
    if (carrying.empty()) {
        Append(text, "no combination %s %s kN/m at the slip surface", designed ? "passes every check and reaches" : "reaches",
               ValueLabel(thrust, -1).c_str());
        // With the checks: the pile closest to passing, and what it fails.
        const StudyPoint* closest = nullptr;
        if (designed)
            for (const StudyPoint& p : points)
                if (p.result.status == 1 && p.result.designed && std::isfinite(p.result.margin) &&
                    (!closest || p.result.margin > closest->result.margin))
                    closest = &p;
        if (closest)
            Append(text, "; the closest is %s, failing %s by %s%%\n", describe(*closest).c_str(),
                   closest->result.governing.c_str(), Fixed(-100 * closest->result.margin, 1).c_str());
        else if (best)
            Append(text, "; the largest reached is %s kN/m (%s)\n", Below(best->result.atSlip, thrust).c_str(),
                        describe(*best).c_str());
        else
            Append(text, "; none of the %zu combinations could be calculated\n", points.size());
        if (const int exit = emitCsv(); exit != kExitOk)
            return exit;
        if (csv != "-" && Emit("", text) != kExitOk)
            return kExitFile;
        return kExitRefused;
    }
    Append(text, "%zu of %zu combinations carry %s kN/m; the least concrete first:\n", carrying.size(),
                points.size(), ValueLabel(thrust, -1).c_str());
    for (size_t i = 0; i < carrying.size() && i < static_cast<size_t>(top); ++i) {
        const StudyResult& r = carrying[i]->result;
        if (designed) {
            Append(text, "%2zu. %s: %s m3 of concrete and %s kg of longitudinal steel per m of slope, %s kN/m (%s "
                         "governs); the closest check %s, %s%% to spare\n",
                   i + 1, describe(*carrying[i]).c_str(), Fixed(r.concrete, 4).c_str(), Fixed(r.steel, 1).c_str(),
                   Fixed(r.atSlip, 3).c_str(), Governs(r).c_str(), r.governing.c_str(), Fixed(100 * r.margin, 1).c_str());
            continue;
        }
        Append(text, "%2zu. %s: %s m3 of concrete per m of slope, %s kN/m (%s governs), margin %s kN/m (%s%%)\n",
                    i + 1, describe(*carrying[i]).c_str(), Fixed(r.concrete, 4).c_str(), Fixed(r.atSlip, 3).c_str(),
                    Governs(r).c_str(), Fixed(r.atSlip - thrust, 3).c_str(), percent(r.atSlip).c_str());
    }
    // The best answer at the end of a range may only be the best of what was tried.
    const StudyPoint& first = *carrying.front();
    for (size_t k = 0; k < ranges.size(); ++k) {
        const std::vector<double>& v = ranges[k].values;
        if (v.size() < 2 || (first.values[k] != v.front() && first.values[k] != v.back()))
            continue;
        Append(text, "note: the best has %s = %s, the %s of its range: a value beyond it may need less concrete\n",
                    ranges[k].key.c_str(), WithUnit(ranges[k].key, first.values[k], decimals[k]).c_str(),
                    first.values[k] == v.back() ? "top" : "bottom");
    }
    if (const int exit = emitCsv(); exit != kExitOk)
        return exit;
    return csv == "-" ? kExitOk : Emit("", text);
}

// Standard output that could not be written (a full disk, /dev/full, a closed
// terminal) is a failure whatever the command did: the user has not got what
// the exit status would claim.
int FinishOutput(int exit)
{
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int err = errno;
    if (!flushed || std::ferror(stdout)) {
        std::fprintf(stderr, "kangli: standard output: cannot write: %s\n",
                     !flushed && err ? std::strerror(err) : "a write failed");
        return kExitFile;
    }
    return exit;
}

int Run(int argc, char** argv);

} // namespace

int main(int argc, char** argv) { return FinishOutput(Run(argc, argv)); }

namespace {

int Run(int argc, char** argv)
{
    CLI::App app{"kangli: resistance of anti-slide piles (抗滑桩抗力计算)"};
    app.set_version_flag("--version", std::string("kangli ") + KANGLI_VERSION);
    app.require_subcommand(1);

    std::string newFile;
    auto* cmdNew = app.add_subcommand("new", "write a new record with its defaults and two layers "
                                             "(JSON when FILE ends in .json)");
    cmdNew->add_option("FILE", newFile, "output file")->required();
    bool newForce = false;
    cmdNew->add_flag("--force", newForce, "replace FILE if it exists");

    std::string inFile, outFile;
    auto* cmdConvert = app.add_subcommand("convert", "convert a record between the data file and "
                                                     "JSON (chosen by the .json extension)");
    cmdConvert->add_option("IN", inFile, "input record")->required();
    cmdConvert->add_option("OUT", outFile, "output record")->required();

    std::vector<std::string> calcFiles;
    bool calcJson = false, calcJsonl = false;
    std::string calcCsv;
    auto* cmdCalc = app.add_subcommand("calc", "calculate the resistance at every calculation point "
                                               "(depth m; ground, pile, final kN/m); with several "
                                               "records or a folder, one row per record");
    cmdCalc->add_option("RECORD", calcFiles, "data file, or JSON when it ends in .json; a folder means every "
                                             "record in it")->required();
    cmdCalc->add_flag("--json", calcJson, "print one JSON object instead of the table");
    cmdCalc->add_option("--csv", calcCsv, "many records: write the rows as CSV to this file (- for standard output)");
    cmdCalc->add_flag("--jsonl", calcJsonl, "many records: one JSON object per line");

    std::string studyFile, sweepCsv, sweepChart;
    std::vector<std::string> vary;
    auto* cmdSweep = app.add_subcommand(
        "sweep", "vary one, two or three inputs (--vary KEY=FROM:TO:STEP, keys of the JSON record) and give the "
                 "resistance at the slip surface for every combination");
    cmdSweep->add_option("RECORD", studyFile, "data file, or JSON when it ends in .json")->required();
    cmdSweep->add_option("--vary", vary, "KEY=FROM:TO:STEP, both ends included (one, two or three)")->required();
    cmdSweep->add_option("--csv", sweepCsv, "write the table as CSV to this file");
    cmdSweep->add_option("--chart", sweepChart, "draw the resistance as a chart (.svg or .png)");

    double thrust = 0;
    std::string designCsv;
    int designTop = 10;
    auto* cmdDesign = app.add_subcommand(
        "design", "find the combinations of --vary ranges whose resistance at the slip surface reaches "
                  "--thrust, the least concrete first");
    cmdDesign->add_option("RECORD", studyFile, "data file, or JSON when it ends in .json")->required();
    auto* thrustOption = cmdDesign->add_option(
        "--thrust", thrust, "the thrust to carry, kN/m (a record with a design block gives its own, and every check "
                            "of the pile under it counts)");
    cmdDesign->add_option("--vary", vary, "KEY=FROM:TO:STEP, both ends included (one, two or three)")->required();
    cmdDesign->add_option("--csv", designCsv, "write every combination that carries the thrust as CSV to this file, "
                                              "the least concrete first (- for standard output)");
    cmdDesign->add_option("--top", designTop, "how many of them to print (default 10)");

    auto* cmdKeys = app.add_subcommand("keys", "list every input key a study may vary, with its label, unit and "
                                               "range (a layer's as TuCeng[i].key, i from 0)");
    bool keysMarkdown = false;
    cmdKeys->add_flag("--markdown", keysMarkdown,
                      "every key of the record, its layers and its design block, with label, meaning, unit, range, "
                      "default and where the data file keeps it, as the Markdown of docs/record.md");

    std::string drawFile, drawOut;
    int drawNumber = 1;
    auto* cmdDraw = app.add_subcommand(
        "draw", "draw a diagram of the calculated record: 0 calculation sketch, 1 result diagram, "
                "2 earth-pressure diagram, 3 internal forces under the design block; OUT ends in .dxf, .svg or .png");
    cmdDraw->add_option("RECORD", drawFile, "data file, or JSON when it ends in .json")->required();
    cmdDraw->add_option("DIAGRAM", drawNumber, "0, 1 or 2; 3 the internal forces of a record with a design block")
        ->required()
        ->check(CLI::Range(0, 3));
    cmdDraw->add_option("OUT", drawOut, "drawing file")->required();
    std::string drawUnits = "declared";
    cmdDraw->add_option("--units", drawUnits,
                        "declared (the default: the sketch in millimetres, the diagrams in metres, as $INSUNITS "
                        "says) or none (no unit declared in the DXF, for CAD programs that print a metre "
                        "drawing a thousand times too large)")
        ->check(CLI::IsMember({"declared", "none"}));

    std::string reportFile, reportDir;
    bool reportPictures = false;
    auto* cmdReport = app.add_subcommand(
        "report", "calculate and write into DIR the data file, the three diagrams (DXF, with --png a PNG too) "
                  "and the detailed and concise calculation books (RTF)");
    cmdReport->add_option("RECORD", reportFile, "data file, or JSON when it ends in .json")->required();
    cmdReport->add_option("DIR", reportDir, "the directory to write into (made when missing)")->required();
    cmdReport->add_flag("--png", reportPictures, "also a PNG picture beside each DXF diagram");
    std::string reportUnits = "declared";
    cmdReport->add_option("--units", reportUnits,
                          "declared (the default) or none: no unit declared in the DXF diagrams, as draw --units none")
        ->check(CLI::IsMember({"declared", "none"}));

    std::string forcesFile;
    bool forcesJson = false;
    auto* cmdForces = app.add_subcommand(
        "forces", "shear, moment, displacement, rotation and ground stress along the pile under the thrust "
                  "of the record's design block (SheJi)");
    cmdForces->add_option("RECORD", forcesFile, "JSON record with a SheJi block")->required();
    cmdForces->add_flag("--json", forcesJson, "one JSON object");

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
            return RunNew(newFile, newForce);
        if (*cmdConvert)
            return RunConvert(inFile, outFile);
        if (*cmdCalc) {
            std::error_code ec;
            const bool many = calcFiles.size() > 1 || std::filesystem::is_directory(calcFiles[0], ec);
            if (!calcCsv.empty() && calcJsonl)
                return Report(calcCsv, "--csv and --jsonl are two forms of the rows: give one");
            if (calcJson && (many || !calcCsv.empty() || calcJsonl))
                return Report(calcFiles[0], "--json is the points of one record: for many records use --jsonl or --csv");
            if (calcFiles.size() == 1 && calcCsv.empty() && !calcJsonl &&
                !std::filesystem::is_directory(calcFiles[0], ec))
                return RunCalc(calcFiles[0], calcJson);
            return RunBatch(calcFiles, calcCsv, calcJsonl);
        }
        if (*cmdSweep)
            return RunSweep(studyFile, vary, sweepCsv, sweepChart);
        if (*cmdDesign)
            return RunDesign(studyFile, vary, thrust, thrustOption->count() > 0, designCsv, designTop);
        if (*cmdKeys)
            return RunKeys(keysMarkdown);
        if (*cmdDraw)
            return RunDraw(drawFile, drawNumber, drawOut, drawUnits == "none");
        if (*cmdReport)
            return RunReport(reportFile, reportDir, reportPictures, reportUnits == "none");
        if (*cmdForces)
            return RunForces(forcesFile, forcesJson);
    } catch (const std::bad_alloc&) {
        const std::string command = app.get_subcommands().empty() ? "" : " " + app.get_subcommands()[0]->get_name();
        std::fprintf(stderr, "kangli%s: out of memory%s%s\n", command.c_str(), g_asked.empty() ? "" : " calculating ",
                     g_asked.empty() ? "" : (g_asked + "; ask for fewer").c_str());
        return kExitFile;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kangli: %s\n", e.what());
        return kExitFile;
    }
    return kExitFile;
}

} // namespace
