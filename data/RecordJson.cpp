#include "RecordJson.h"

#include "FieldTable.h"
#include "SafeFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

using ordered_json = nlohmann::ordered_json;
using json = nlohmann::json;

namespace {

// The double whose shortest text is the shortest text of f: it prints briefly
// ("0.3", not "0.30000001192092896") and rounds back to f as a 32-bit float.
double ShortDouble(float f)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf - 1, f);
    *res.ptr = '\0';
    return std::strtod(buf, nullptr);
}

struct KeyError {
    std::string text;
};

// A key as it may appear inside a one-line message: control characters (which a
// JSON key may hold through escapes) are written as JSON escapes again.
std::string PrintableKey(const std::string& key)
{
    // A key can be any length; a message shows its first 64 bytes, cut at the
    // start of a UTF-8 character.
    constexpr size_t kShown = 64;
    size_t shown = key.size();
    if (shown > kShown) {
        shown = kShown;
        while (shown > 0 && (static_cast<unsigned char>(key[shown]) & 0xC0) == 0x80)
            --shown;
    }
    std::string out;
    for (unsigned char c : key.substr(0, shown)) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (shown < key.size())
        out += "... (" + std::to_string(key.size()) + " bytes)";
    return out;
}

[[noreturn]] void Fail(const std::string& key, const std::string& what)
{
    throw KeyError{"key \"" + PrintableKey(key) + "\": " + what};
}

float ReadReal(const json& v, const std::string& key)
{
    if (!v.is_number())
        Fail(key, std::string("expected a number, found ") + v.type_name());
    double d = v.get<double>();
    // Halfway between FLT_MAX and the next power of two: anything below rounds
    // to a finite float (FLT_MAX itself is written as 3.4028235e+38, a hair
    // above it as a double).
    constexpr double kFloatLimit = 3.4028235677973366e38;
    if (!std::isfinite(d) || std::fabs(d) >= kFloatLimit)
        Fail(key, "number out of range of a 32-bit real");
    if (std::fabs(d) > FLT_MAX)
        return d > 0 ? FLT_MAX : -FLT_MAX;
    return static_cast<float>(d);
}

int ReadInt(const json& v, const std::string& key, bool allowBool)
{
    if (allowBool && v.is_boolean())
        return v.get<bool>() ? 1 : 0;
    if (v.is_number_integer()) {
        if (v.is_number_unsigned()) {
            auto u = v.get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(INT_MAX))
                Fail(key, "integer out of range");
            return static_cast<int>(u);
        }
        auto i = v.get<std::int64_t>();
        if (i < INT_MIN || i > INT_MAX)
            Fail(key, "integer out of range");
        return static_cast<int>(i);
    }
    Fail(key, std::string("expected an integer, found ") + v.type_name());
}

CTuCeng ReadLayer(const json& obj, size_t index)
{
    std::string prefix = "TuCeng[" + std::to_string(index) + "]";
    if (!obj.is_object())
        Fail(prefix, std::string("expected an object, found ") + obj.type_name());
    CTuCeng layer;
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        std::string key = prefix + "." + it.key();
        const FieldDef* f = FindLayerField(it.key());
        if (!f)
            Fail(key, "unknown key");
        if (f->layerReal)
            layer.*f->layerReal = ReadReal(it.value(), key);
        else
            layer.*f->layerInteger = ReadInt(it.value(), key, f->kind == FieldKind::Switch);
    }
    return layer;
}

std::string ParseErrorText(const json::parse_error& e)
{
    // Drop the library's "[json.exception.parse_error.101] " prefix.
    std::string text = e.what();
    if (!text.empty() && text[0] == '[') {
        size_t close = text.find("] ");
        if (close != std::string::npos)
            text = text.substr(close + 2);
    }
    // The parser quotes the bytes it read last; they may be binary or broken
    // UTF-8, which has no place in a one-line message. Line and column remain.
    size_t lastRead = text.find("; last read: ");
    if (lastRead != std::string::npos) {
        size_t expected = text.find("; expected", lastRead + 1);
        text.erase(lastRead, expected == std::string::npos ? std::string::npos : expected - lastRead);
    }
    return text;
}

// Follows the parse so that a number the parser itself rejects (an overflow) can
// be reported under its key: "TuCeng[1].fHouDu".
//
// It also refuses, while parsing and before anything is built from them, what no
// record holds: nesting deeper than a record's, a key given twice in one object
// (the parser would silently keep the last), and arrays longer than the most
// layers a record may have.
class PathTracker {
public:
    static constexpr size_t kMaxDepth = 8;

    bool operator()(int depth, json::parse_event_t event, json& parsed)
    {
        using E = json::parse_event_t;
        switch (event) {
        case E::object_start:
        case E::array_start:
            if (depth >= static_cast<int>(kMaxDepth))
                throw KeyError{(frames_.empty() || frames_[0].key.empty()
                                    ? std::string()
                                    : "key \"" + PrintableKey(frames_[0].key) + "\": ") +
                               "nested deeper than " + std::to_string(kMaxDepth) + " levels; no record is"};
            frames_.push_back({event == E::array_start, 0, {}, {}});
            break;
        case E::key:
            if (!frames_.empty()) {
                Frame& f = frames_.back();
                f.key = parsed.get<std::string>();
                if (!f.seen.insert(f.key).second)
                    Fail(Path(), "given twice in one object");
            }
            break;
        case E::object_end:
        case E::array_end:
            if (!frames_.empty())
                frames_.pop_back();
            Advance();
            break;
        case E::value:
            Advance();
            break;
        }
        return true;
    }

    std::string Path() const
    {
        std::string path;
        for (const Frame& f : frames_) {
            if (f.isArray)
                path += "[" + std::to_string(f.index) + "]";
            else if (!f.key.empty())
                path += (path.empty() ? "" : ".") + f.key;
        }
        return path;
    }

private:
    struct Frame {
        bool isArray;
        size_t index;
        std::string key;
        std::set<std::string> seen;
    };
    void Advance()
    {
        if (!frames_.empty() && frames_.back().isArray &&
            ++frames_.back().index > static_cast<size_t>(kMaxTuCengShu)) {
            frames_.back().isArray = false; // name the array, not its entry
            Fail(Path(), "more than " + std::to_string(kMaxTuCengShu) + " entries; no record has that many layers");
        }
    }
    std::vector<Frame> frames_;
};

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

double JsonReal(float value) { return ShortDouble(value); }

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

std::string ReadText(const json& v, const std::string& key)
{
    if (!v.is_string())
        Fail(key, std::string("expected a text, found ") + v.type_name());
    return v.get<std::string>();
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
    if (!o.is_object())
        Fail("JsDataBase", std::string("expected an object, found ") + o.type_name());
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
            out[f.key] = ShortDouble(r.*f.real);
        else
            out[f.key] = r.*f.integer;
    }
    ordered_json layers = ordered_json::array();
    for (const CTuCeng& c : r.TuCeng) {
        ordered_json l = ordered_json::object();
        for (const FieldDef& f : LayerFields()) {
            if (f.layerReal)
                l[f.key] = ShortDouble(c.*f.layerReal);
            else
                l[f.key] = c.*f.layerInteger;
        }
        layers.push_back(std::move(l));
    }
    out["TuCeng"] = std::move(layers);
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

bool CheckDataFileKeeps(const CPelvorinData& r, std::string* error)
{
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
    if (!ok || !problem.empty())
        return Refuse(error, problem);
    auto differs = [&](const std::string& key, double was, double now) {
        char a[64], b[64];
        std::snprintf(a, sizeof a, "%.9g", was);
        std::snprintf(b, sizeof b, "%.9g", now);
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
    PathTracker tracker;
    // Filled into a copy: a refused text leaves the record as it was.
    CPelvorinData r(record);
    try {
        json doc = json::parse(text, std::ref(tracker));
        if (!doc.is_object())
            throw KeyError{std::string("expected a JSON object at the top, found ") +
                           doc.type_name()};
        bool haveCount = false;
        bool haveLayers = false;
        for (auto it = doc.begin(); it != doc.end(); ++it) {
            const std::string& key = it.key();
            if (key == "TuCeng") {
                if (!it.value().is_array())
                    Fail(key, std::string("expected an array of layers, found ") +
                                  it.value().type_name());
                std::vector<CTuCeng> layers;
                layers.reserve(it.value().size());
                for (size_t i = 0; i < it.value().size(); ++i)
                    layers.push_back(ReadLayer(it.value()[i], i));
                r.TuCeng = std::move(layers);
                haveLayers = true;
                continue;
            }
            if (key == "JsDataBase") {
                BaseFromJson(it.value(), r);
                continue;
            }
            const FieldDef* found = FindRecordField(key);
            if (!found)
                Fail(key, "unknown key");
            if (found->real)
                r.*found->real = ReadReal(it.value(), key);
            else
                r.*found->integer = ReadInt(it.value(), key, found->kind == FieldKind::Switch);
            if (key == "nTuCengShu")
                haveCount = true;
        }
        if (haveLayers && !haveCount)
            r.nTuCengShu = static_cast<int>(r.TuCeng.size());
        if (r.nTuCengShu < 0 || r.nTuCengShu > kMaxTuCengShu)
            Fail("nTuCengShu", "layer count " + std::to_string(r.nTuCengShu) + " is outside 0.." +
                                   std::to_string(kMaxTuCengShu));
        record = r;
        return true;
    } catch (const KeyError& e) {
        if (error)
            *error = e.text;
    } catch (const json::parse_error& e) {
        if (error)
            *error = ParseErrorText(e);
    } catch (const json::out_of_range& e) {
        // The parser refuses numbers beyond the range of a double.
        if (error)
            *error = "key \"" + PrintableKey(tracker.Path()) + "\": number out of range of a 32-bit real";
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
    }
    return false;
}

bool LoadRecordFile(const std::string& path, CPelvorinData& r, std::string* error)
{
    std::string text;
    if (!ReadInputFile(path, kMaxRecordFileBytes, text, error))
        return false;
    if (IsJsonPath(path))
        return RecordFromJson(text, r, error);
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
        ok = r.LoadData(f, &problem);
        std::fclose(f);
    }
    if ((!ok || !problem.empty()) && error)
        *error = problem;
    return ok != 0 && problem.empty();
}

bool SaveRecordFile(const std::string& path, CPelvorinData& r, std::string* error)
{
    std::string text;
    if (IsJsonPath(path)) {
        if (!RecordToJsonChecked(r, text, error))
            return false;
    } else {
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
