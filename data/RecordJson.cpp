#include "RecordJson.h"

#include "FieldTable.h"
#include "JsonKit.h"
#include "RecordCheck.h"
#include "SafeFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using ordered_json = nlohmann::ordered_json;
using json = nlohmann::json;
using JsonKit::Fail;
using JsonKit::PrintableKey;
using JsonKit::ReadInt;
using JsonKit::ReadReal;
using JsonKit::ReadText;
using JsonKit::WrittenReal;

namespace {

// "unknown key", with the nearest key of the table (and of the others given)
// where one is near: "unknown key; did you mean fZhuangJianJu?".
std::string Unknown(const std::string& key, std::span<const FieldDef> fields,
                    std::initializer_list<const char*> others = {}, const std::string& prefix = "")
{
    std::vector<std::string> keys;
    for (const FieldDef& f : fields)
        keys.push_back(f.key);
    for (const char* o : others)
        keys.push_back(o);
    const std::string near = NearestKey(key, keys);
    return near.empty() ? "unknown key" : "unknown key; did you mean " + prefix + near + "?";
}

CTuCeng ReadLayer(const json& obj, size_t index)
{
    std::string prefix = "TuCeng[" + std::to_string(index) + "]";
    JsonKit::ReadObject(obj, prefix);
    CTuCeng layer;
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        std::string key = prefix + "." + it.key();
        const FieldDef* f = FindLayerField(it.key());
        if (!f)
            Fail(key, Unknown(it.key(), LayerFields(), {}, prefix + "."));
        if (f->layerReal)
            layer.*f->layerReal = ReadReal(it.value(), key);
        else
            layer.*f->layerInteger = ReadInt(it.value(), key, f->kind == FieldKind::Switch);
    }
    return layer;
}

CSheJi ReadDesign(const json& obj)
{
    JsonKit::ReadObject(obj, "SheJi");
    CSheJi d;
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const std::string key = "SheJi." + it.key();
        const DesignFieldDef* f = FindDesignField(it.key());
        if (!f) {
            std::vector<std::string> keys;
            for (const DesignFieldDef& d : DesignFields())
                keys.push_back(d.key);
            const std::string near = NearestKey(it.key(), keys);
            Fail(key, near.empty() ? "unknown key" : "unknown key; did you mean SheJi." + near + "?");
        }
        if (f->real)
            d.*f->real = ReadReal(it.value(), key);
        else
            d.*f->integer = ReadInt(it.value(), key);
    }
    return d;
}

bool EndsWithJson(const std::string& path)
{
    if (path.size() < 5)
        return false;
    std::string ext = path.substr(path.size() - 5);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".json";
}

} // namespace

bool IsJsonPath(const std::string& path) { return EndsWithJson(path); }

double JsonReal(float value) { return WrittenReal(value); }

namespace {

// The framework's part of the record, as the data file's [JsDataBase] block
// keeps it, so that a record converted to JSON and back keeps its identity
// (the file-name stem its files are written under, its title, its names).
ordered_json BaseToJson(const CJsDataBase& b)
{
    ordered_json o = ordered_json::object();
    o["strLeiBie"] = b.strLeiBie;
    o["strMingCheng"] = b.strMingCheng;
    o["strWenJianMing"] = b.strWenJianMing;
    o["strBiaoTi"] = b.strBiaoTi;
    o["szJianTuBiaoTi"] = std::string(b.szJianTuBiaoTi);
    o["bHouXuJiSuan"] = b.bHouXuJiSuan;
    o["bTiShiChengGong"] = b.bTiShiChengGong;
    const int jt = std::clamp(b.nJianTuShu, 0, CJsDataBase::kMaxJianTu);
    const int jss = std::clamp(b.nJiSuanShuShu, 0, CJsDataBase::kMaxJiSuanShu);
    o["nJianTuShu"] = b.nJianTuShu;
    o["strJianTuMing"] = ordered_json(std::vector<std::string>(b.strJianTuMing.begin(), b.strJianTuMing.begin() + jt));
    o["nJiSuanShuShu"] = b.nJiSuanShuShu;
    o["strJiSuanShuMing"] =
        ordered_json(std::vector<std::string>(b.strJiSuanShuMing.begin(), b.strJiSuanShuMing.begin() + jss));
    o["nSheZhi"] = ordered_json(std::vector<int>(b.nSheZhi.begin(), b.nSheZhi.end()));
    return o;
}

template <size_t N>
void ReadTexts(const json& v, const std::string& key, std::array<std::string, N>& out)
{
    if (!v.is_array())
        Fail(key, std::string("expected an array of texts, found ") + v.type_name());
    if (v.size() > N)
        Fail(key, "more than " + std::to_string(N) + " names");
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = ReadText(v[i], key + "[" + std::to_string(i) + "]");
}

void BaseFromJson(const json& o, CJsDataBase& b)
{
    const std::string prefix = "JsDataBase.";
    JsonKit::ReadObject(o, "JsDataBase");
    for (auto it = o.begin(); it != o.end(); ++it) {
        const std::string& k = it.key();
        const std::string key = prefix + k;
        const json& v = it.value();
        if (k == "strLeiBie")
            b.strLeiBie = ReadText(v, key);
        else if (k == "strMingCheng")
            b.strMingCheng = ReadText(v, key);
        else if (k == "strWenJianMing")
            b.strWenJianMing = ReadText(v, key);
        else if (k == "strBiaoTi")
            b.strBiaoTi = ReadText(v, key);
        else if (k == "szJianTuBiaoTi")
            b.SetJianTuBiaoTi(ReadText(v, key).c_str());
        else if (k == "bHouXuJiSuan")
            b.bHouXuJiSuan = ReadInt(v, key, true);
        else if (k == "bTiShiChengGong")
            b.bTiShiChengGong = ReadInt(v, key, true);
        else if (k == "nJianTuShu")
            b.nJianTuShu = std::clamp(ReadInt(v, key, false), 0, CJsDataBase::kMaxJianTu);
        else if (k == "nJiSuanShuShu")
            b.nJiSuanShuShu = std::clamp(ReadInt(v, key, false), 0, CJsDataBase::kMaxJiSuanShu);
        else if (k == "strJianTuMing")
            ReadTexts(v, key, b.strJianTuMing);
        else if (k == "strJiSuanShuMing")
            ReadTexts(v, key, b.strJiSuanShuMing);
        else if (k == "nSheZhi") {
            if (!v.is_array() || v.size() > b.nSheZhi.size())
                Fail(key, "expected an array of at most " + std::to_string(b.nSheZhi.size()) + " integers");
            for (size_t i = 0; i < v.size(); ++i)
                b.nSheZhi[i] = ReadInt(v[i], key + "[" + std::to_string(i) + "]", false);
        } else
            Fail(key, "unknown key");
    }
}

ordered_json ToJsonDocument(const CPelvorinData& r)
{
    ordered_json out = ordered_json::object();
    for (const FieldDef& f : RecordFields()) {
        if (f.real)
            out[f.key] = WrittenReal(r.*f.real);
        else
            out[f.key] = r.*f.integer;
    }
    ordered_json layers = ordered_json::array();
    for (const CTuCeng& c : r.TuCeng) {
        ordered_json l = ordered_json::object();
        for (const FieldDef& f : LayerFields()) {
            if (f.layerReal)
                l[f.key] = WrittenReal(c.*f.layerReal);
            else
                l[f.key] = c.*f.layerInteger;
        }
        layers.push_back(std::move(l));
    }
    out["TuCeng"] = std::move(layers);
    if (r.bSheJi) {
        ordered_json d = ordered_json::object();
        for (const DesignFieldDef& f : DesignFields()) {
            if (f.real)
                d[f.key] = WrittenReal(r.SheJi.*f.real);
            else
                d[f.key] = r.SheJi.*f.integer;
        }
        out["SheJi"] = std::move(d);
    }
    out["JsDataBase"] = BaseToJson(r);
    return out;
}

// The first real of the record that is not finite, by its key; empty if none.
std::string FirstNonFinite(const CPelvorinData& r)
{
    for (const FieldDef& f : RecordFields())
        if (f.real && !std::isfinite(r.*f.real))
            return f.key;
    for (size_t i = 0; i < r.TuCeng.size(); ++i)
        for (const FieldDef& f : LayerFields())
            if (f.layerReal && !std::isfinite(r.TuCeng[i].*f.layerReal))
                return "TuCeng[" + std::to_string(i) + "]." + f.key;
    return {};
}

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

// What a file is read into: a new record with this module's identity and no
// layers (those come from the file).
CPelvorinData NewRecordToRead()
{
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.clear();
    return r;
}

bool Refuse(std::string* error, const std::string& what)
{
    if (error)
        *error = what;
    return false;
}

} // namespace

std::string RecordToJson(const CPelvorinData& r)
{
    return ToJsonDocument(r).dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool RecordToJsonChecked(const CPelvorinData& r, std::string& text, std::string* error)
{
    const std::string bad = FirstNonFinite(r);
    if (!bad.empty())
        return Refuse(error, "key \"" + bad + "\": not a finite number; JSON cannot hold it");
    try {
        text = ToJsonDocument(r).dump(2) + "\n";
    } catch (const json::type_error&) {
        return Refuse(error, "a text of the record (its names or title) is not valid UTF-8");
    }
    return true;
}

bool RecordToDataFile(const CPelvorinData& r, std::string& text, std::string* error)
{
    const std::string bad = FirstNonFinite(r);
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

bool RecordFromJson(const std::string& text, CPelvorinData& record, std::string* error)
{
    // Nothing in a record nests deeper than a layer's value in TuCeng.
    static const JsonKit::Limits limits{kMaxRecordFileBytes, 8, static_cast<size_t>(kMaxTuCengShu), "no record is",
                                        "no record has that many layers"};
    // The text alone decides the record, whatever record it is read into: every
    // surface (the command line, Python, the window, the studies) then reads one
    // file as the same record. Filled into a new one: a refused text leaves the
    // record as it was.
    CPelvorinData r = NewRecordToRead();
    const bool ok = JsonKit::Read(
        [&] {
            const json doc = JsonKit::ParseObject(text, limits);
            bool haveCount = false;
            for (auto it = doc.begin(); it != doc.end(); ++it) {
                const std::string& key = it.key();
                if (key == "TuCeng") {
                    JsonKit::ReadArray(it.value(), key, "an array of layers");
                    std::vector<CTuCeng> layers;
                    layers.reserve(it.value().size());
                    for (size_t i = 0; i < it.value().size(); ++i)
                        layers.push_back(ReadLayer(it.value()[i], i));
                    r.TuCeng = std::move(layers);
                    continue;
                }
                if (key == "JsDataBase") {
                    BaseFromJson(it.value(), r);
                    continue;
                }
                if (key == "SheJi") {
                    r.SheJi = ReadDesign(it.value());
                    r.bSheJi = 1;
                    continue;
                }
                const FieldDef* found = FindRecordField(key);
                if (!found)
                    Fail(key, Unknown(key, RecordFields(), {"TuCeng", "SheJi", "JsDataBase"}));
                if (found->real)
                    r.*found->real = ReadReal(it.value(), key);
                else
                    r.*found->integer = ReadInt(it.value(), key, found->kind == FieldKind::Switch);
                if (key == "nTuCengShu")
                    haveCount = true;
            }
            // The layers are those given: none without TuCeng.
            if (!haveCount)
                r.nTuCengShu = static_cast<int>(r.TuCeng.size());
            if (r.nTuCengShu < 0 || r.nTuCengShu > kMaxTuCengShu)
                Fail("nTuCengShu", "layer count " + std::to_string(r.nTuCengShu) + " is outside 0.." +
                                       std::to_string(kMaxTuCengShu));
        },
        error);
    if (ok)
        record = r;
    return ok;
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

bool SetRecordValue(CPelvorinData& r, const std::string& key, double value, std::string* error)
{
    auto fail = [&](const std::string& what) {
        if (error)
            *error = "key \"" + PrintableKey(key) + "\": " + what;
        return false;
    };
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return fail("value out of range of a 32-bit real");
    // A whole number for an integer field; the check judges the value itself.
    auto set = [&](const FieldDef& f, float* real, int* integer) {
        if (real) {
            *real = static_cast<float>(value);
            return true;
        }
        if (value != std::floor(value) || value < INT_MIN || value > INT_MAX)
            return fail("expected a whole number");
        if (!f.sweeps)
            return fail(std::string("the ") + f.name + " cannot be varied");
        *integer = static_cast<int>(value);
        return true;
    };
    if (const FieldDef* f = FindRecordField(key))
        return set(*f, FieldReal(*f, r), FieldInteger(*f, r));
    // "TuCeng[i].key": a layer's value.
    if (key.rfind("TuCeng[", 0) == 0) {
        const size_t close = key.find("].");
        char* end = nullptr;
        const long index = std::strtol(key.c_str() + 7, &end, 10);
        if (close == std::string::npos || end != key.c_str() + close || index < 0)
            return fail("expected TuCeng[i].key");
        if (static_cast<size_t>(index) >= r.TuCeng.size())
            return fail("the record has " + std::to_string(r.TuCeng.size()) + " layers");
        CTuCeng& layer = r.TuCeng[static_cast<size_t>(index)];
        if (const FieldDef* f = FindLayerField(key.substr(close + 2)))
            return set(*f, FieldReal(*f, layer), FieldInteger(*f, layer));
    }
    return fail("unknown key");
}
