// The record as a file: the data file's text and what it keeps, and the one
// reading and writing of a record file (a data file, or JSON) every surface uses.
#include "RecordFile.h"

#include "FieldTable.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "RecordFile.h"
#include "SafeFile.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string CountProblem(const CPelvorinData& r)
{
    if (r.nTuCengShu < 0 || r.nTuCengShu > kMaxTuCengShu)
        return "key \"nTuCengShu\": layer count " + std::to_string(r.nTuCengShu) + " is outside 0.." +
               std::to_string(kMaxTuCengShu);
    if (r.nTuCengShu != static_cast<int>(r.TuCeng.size()))
        return "key \"nTuCengShu\": layer count " + std::to_string(r.nTuCengShu) + " but " +
               std::to_string(r.TuCeng.size()) + " layers given under \"TuCeng\"";
    return {};
}

bool Refuse(std::string* error, const std::string& what)
{
    if (error)
        *error = what;
    return false;
}

} // namespace

bool RecordToDataFile(const CPelvorinData& r, std::string& text, std::string* error)
{
    const std::string bad = FirstNonFiniteKey(r);
    if (!bad.empty())
        return Refuse(error, "key \"" + bad + "\": not a finite number; the data file cannot hold it");
    const std::string count = CountProblem(r);
    if (!count.empty())
        return Refuse(error, count);
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = ::open_memstream(&buf, &size);
    if (!f)
        return Refuse(error, "out of memory");
    const_cast<CPelvorinData&>(r).SaveData(f);
    std::fclose(f);
    text.assign(buf, size);
    std::free(buf);
    // A reader takes 299 characters of a line; "%f" of a huge value makes a
    // longer one, which would read back as another number.
    const size_t end = text.find("[JsDataBase]");
    size_t start = 0;
    for (int line = 1; start < end; ++line) {
        const size_t eol = text.find('\n', start);
        if (eol - start > kDataFileLineChars)
            return Refuse(error, "line " + std::to_string(line) + " would be " + std::to_string(eol - start) +
                                     " characters long, more than the " + std::to_string(kDataFileLineChars) +
                                     " a data file line may hold: a value there is too large for the data "
                                     "file (keep such a record as JSON)");
        start = eol + 1;
    }
    return true;
}

bool CheckDataFileKeeps(const CPelvorinData& r, std::string* error) { return CheckDataFileKeeps(r, error, nullptr); }

bool CheckDataFileKeeps(const CPelvorinData& r, std::string* error, std::string* chinese)
{
    if (r.bSheJi) {
        if (chinese)
            *chinese = "数据文件不能保存设计参数（抗滑桩内力计算的推力、地基系数与容许值）";
        return Refuse(error, "key \"SheJi\": the data file does not hold the design block");
    }
    std::string text;
    if (!RecordToDataFile(r, text, error))
        return false;
    CPelvorinData back;
    InitKangLiData(&back);
    FILE* f = ::fmemopen(text.data(), text.size(), "r");
    if (!f)
        return Refuse(error, "out of memory");
    std::string problem;
    const int ok = back.LoadData(f, &problem);
    std::fclose(f);
    if (!ok || !problem.empty()) {
        if (chinese)
            *chinese = "数据文件读回时出错：" + problem;
        return Refuse(error, problem);
    }
    auto differs = [&](const std::string& key, double was, double now) {
        char a[64], b[64];
        std::snprintf(a, sizeof a, "%.9g", was);
        std::snprintf(b, sizeof b, "%.9g", now);
        if (chinese)
            *chinese = "“" + FieldLabel(key) + "”为 " + a + "，数据文件只能存为 " + b;
        return Refuse(error, "key \"" + key + "\": " + a + " would read back from the data file as " + b +
                                 " (it keeps six decimals and does not store the reduction factor or the "
                                 "underwater values); keep this record as JSON");
    };
    for (const FieldDef& f : RecordFields())
        if (!(FieldValue(f, back) == FieldValue(f, r)))
            return differs(f.key, FieldValue(f, r), FieldValue(f, back));
    for (size_t i = 0; i < r.TuCeng.size(); ++i) {
        const std::string p = "TuCeng[" + std::to_string(i) + "].";
        const CTuCeng &was = r.TuCeng[i], &now = back.TuCeng[i];
        for (const FieldDef& f : LayerFields()) {
            // What the file does not keep counts only where the calculation reads
            // it: the underwater values of soil where water is considered.
            if (f.fileLine == 0 && !FieldApplies(f, r, &was))
                continue;
            if (!(FieldValue(f, now) == FieldValue(f, was)))
                return differs(p + f.key, FieldValue(f, was), FieldValue(f, now));
        }
    }
    return true;
}

bool LoadRecordFile(const std::string& path, CPelvorinData& record, std::string* error)
{
    return LoadRecordFile(path, record, error, nullptr);
}

bool LoadRecordFile(const std::string& path, CPelvorinData& record, std::string* error,
                    std::vector<std::string>* warnings)
{
    std::string text;
    if (!ReadInputFile(path, kMaxRecordFileBytes, text, error))
        return false;
    if (IsJsonPath(path))
        return RecordFromJson(text, record, error);
    // As for JSON: what the data file does not store takes the value of a new record.
    CPelvorinData r = NewRecordToRead();
    std::string problem = "line 1: no pile values (expected ten comma-separated numbers)";
    int ok = 1;
    if (!text.empty()) {
        problem.clear();
        FILE* f = ::fmemopen(text.data(), text.size(), "r");
        if (!f) {
            if (error)
                *error = "cannot read the file: out of memory";
            return false;
        }
        ok = r.LoadData(f, &problem, warnings);
        std::fclose(f);
    }
    if ((!ok || !problem.empty()) && error)
        *error = problem;
    if (ok == 0 || !problem.empty())
        return false;
    record = r;
    return true;
}

bool WriteCalculationDataFile(const std::string& path, CPelvorinData& r, std::string* error)
{
    std::string text;
    return RecordToDataFile(r, text, error) && WriteFileSafely(path, text, error);
}

bool SaveRecordFile(const std::string& path, CPelvorinData& r, std::string* error)
{
    return SaveRecordFile(path, r, error, nullptr);
}

bool SaveRecordFile(const std::string& path, CPelvorinData& r, std::string* error, std::string* chinese)
{
    std::string text;
    if (IsJsonPath(path)) {
        if (!RecordToJsonChecked(r, text, error))
            return false;
        // What is written must read back: the reader's refusals (more than
        // kMaxTuCengShu layers, a layer count outside 0..kMaxTuCengShu) are the writer's too.
        CPelvorinData probe;
        std::string why;
        if (!RecordFromJson(text, probe, &why)) {
            if (error)
                *error = why + "; nothing written, since it would not read back";
            return false;
        }
    } else {
        // Never a data file that reads back as another record.
        if (!CheckDataFileKeeps(r, error, chinese)) {
            if (error)
                *error += "; nothing written";
            return false;
        }
        if (!RecordToDataFile(r, text, error))
            return false;
    }
    return WriteFileSafely(path, text, error);
}

