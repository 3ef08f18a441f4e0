#include "RecordJson.h"

#include "JsonKit.h"
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

struct FloatKey {
    const char* name;
    float CPelvorinData::*member;
};
struct IntKey {
    const char* name;
    int CPelvorinData::*member;
};
struct LayerFloatKey {
    const char* name;
    float CTuCeng::*member;
};

// Record members in declaration order; the integer ones are interleaved below.
enum class Kind { Real, Int };
struct RecordKey {
    const char* name;
    Kind kind;
    float CPelvorinData::*real;
    int CPelvorinData::*integer;
};

const RecordKey kRecordKeys[] = {
    {"fZhuangRongZhong", Kind::Real, &CPelvorinData::fZhuangRongZhong, nullptr},
    {"fZhuangChang", Kind::Real, &CPelvorinData::fZhuangChang, nullptr},
    {"fZhuangKuan", Kind::Real, &CPelvorinData::fZhuangKuan, nullptr},
    {"fZhuangGao", Kind::Real, &CPelvorinData::fZhuangGao, nullptr},
    {"fZhuangJing", Kind::Real, &CPelvorinData::fZhuangJing, nullptr},
    {"fZhuangJianJu", Kind::Real, &CPelvorinData::fZhuangJianJu, nullptr},
    {"fPoMianDaoZhuangDing", Kind::Real, &CPelvorinData::fPoMianDaoZhuangDing, nullptr},
    {"nJieMianXingZhuang", Kind::Int, nullptr, &CPelvorinData::nJieMianXingZhuang},
    {"fAs", Kind::Real, &CPelvorinData::fAs, nullptr},
    {"fHuaMianDaoZhuangDing", Kind::Real, &CPelvorinData::fHuaMianDaoZhuangDing, nullptr},
    {"nHunNingTuDengJi", Kind::Int, nullptr, &CPelvorinData::nHunNingTuDengJi},
    {"nTuCengShu", Kind::Int, nullptr, &CPelvorinData::nTuCengShu},
    {"fShuiWeiShenDu", Kind::Real, &CPelvorinData::fShuiWeiShenDu, nullptr},
    {"bKaoLvShui", Kind::Int, nullptr, &CPelvorinData::bKaoLvShui},
    {"fZheJianXiShu", Kind::Real, &CPelvorinData::fZheJianXiShu, nullptr},
};

const LayerFloatKey kLayerKeys[] = {
    {"fCengXiShu", &CTuCeng::fCengXiShu},
    {"fHouDu", &CTuCeng::fHouDu},
    {"fZhongDu", &CTuCeng::fZhongDu},
    {"fNianJuLi", &CTuCeng::fNianJuLi},
    {"fMoCaJiao", &CTuCeng::fMoCaJiao},
    {"fFuZhongDu", &CTuCeng::fFuZhongDu},
    {"fShuiXiaNianJuLi", &CTuCeng::fShuiXiaNianJuLi},
    {"fShuiXiaMoCaJiao", &CTuCeng::fShuiXiaMoCaJiao},
};

CTuCeng ReadLayer(const json& obj, size_t index)
{
    std::string prefix = "TuCeng[" + std::to_string(index) + "]";
    JsonKit::ReadObject(obj, prefix);
    CTuCeng layer;
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        std::string key = prefix + "." + it.key();
        if (it.key() == "nLeiXing") {
            layer.nLeiXing = ReadInt(it.value(), key, false);
            continue;
        }
        bool known = false;
        for (const LayerFloatKey& k : kLayerKeys)
            if (it.key() == k.name) {
                layer.*k.member = ReadReal(it.value(), key);
                known = true;
                break;
            }
        if (!known)
            Fail(key, "unknown key");
    }
    return layer;
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
    for (const RecordKey& k : kRecordKeys) {
        if (k.kind == Kind::Real)
            out[k.name] = WrittenReal(r.*k.real);
        else
            out[k.name] = r.*k.integer;
    }
    ordered_json layers = ordered_json::array();
    for (const CTuCeng& c : r.TuCeng) {
        ordered_json l = ordered_json::object();
        l["nLeiXing"] = c.nLeiXing;
        for (const LayerFloatKey& k : kLayerKeys)
            l[k.name] = WrittenReal(c.*k.member);
        layers.push_back(std::move(l));
    }
    out["TuCeng"] = std::move(layers);
    out["JsDataBase"] = BaseToJson(r);
    return out;
}

// The first real of the record that is not finite, by its key; empty if none.
std::string FirstNonFinite(const CPelvorinData& r)
{
    for (const RecordKey& k : kRecordKeys)
        if (k.kind == Kind::Real && !std::isfinite(r.*k.real))
            return k.name;
    for (size_t i = 0; i < r.TuCeng.size(); ++i)
        for (const LayerFloatKey& k : kLayerKeys)
            if (!std::isfinite(r.TuCeng[i].*k.member))
                return "TuCeng[" + std::to_string(i) + "]." + k.name;
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
    for (const RecordKey& k : kRecordKeys) {
        if (k.kind == Kind::Real && !(back.*k.real == r.*k.real))
            return differs(k.name, r.*k.real, back.*k.real);
        if (k.kind == Kind::Int && back.*k.integer != r.*k.integer)
            return differs(k.name, r.*k.integer, back.*k.integer);
    }
    for (size_t i = 0; i < r.TuCeng.size(); ++i) {
        const std::string p = "TuCeng[" + std::to_string(i) + "].";
        if (back.TuCeng[i].nLeiXing != r.TuCeng[i].nLeiXing)
            return differs(p + "nLeiXing", r.TuCeng[i].nLeiXing, back.TuCeng[i].nLeiXing);
        // The underwater values count only for soil where water is considered.
        const bool underwater = r.bKaoLvShui == 1 && r.TuCeng[i].nLeiXing == 0;
        for (const LayerFloatKey& k : kLayerKeys) {
            const bool onlyUnderwater =
                k.member == &CTuCeng::fShuiXiaNianJuLi || k.member == &CTuCeng::fShuiXiaMoCaJiao;
            if ((underwater || !onlyUnderwater) && !(back.TuCeng[i].*k.member == r.TuCeng[i].*k.member))
                return differs(p + k.name, r.TuCeng[i].*k.member, back.TuCeng[i].*k.member);
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
                const RecordKey* found = nullptr;
                for (const RecordKey& k : kRecordKeys)
                    if (key == k.name)
                        found = &k;
                if (!found)
                    Fail(key, "unknown key");
                if (found->kind == Kind::Real)
                    r.*found->real = ReadReal(it.value(), key);
                else
                    r.*found->integer = ReadInt(it.value(), key, key[0] == 'b');
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
        ok = r.LoadData(f, &problem);
        std::fclose(f);
    }
    if ((!ok || !problem.empty()) && error)
        *error = problem;
    if (ok == 0 || !problem.empty())
        return false;
    record = r;
    return true;
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
    for (const RecordKey& k : kRecordKeys) {
        if (key != k.name)
            continue;
        if (k.kind == Kind::Real) {
            r.*k.real = static_cast<float>(value);
            return true;
        }
        if (value != std::floor(value) || value < INT_MIN || value > INT_MAX)
            return fail("expected a whole number");
        if (key == "nTuCengShu")
            return fail("the layer count cannot be varied");
        r.*k.integer = static_cast<int>(value);
        return true;
    }
    // "TuCeng[i].key": a layer's value.
    if (key.rfind("TuCeng[", 0) == 0) {
        const size_t close = key.find("].");
        char* end = nullptr;
        const long index = std::strtol(key.c_str() + 7, &end, 10);
        if (close == std::string::npos || end != key.c_str() + close || index < 0)
            return fail("expected TuCeng[i].key");
        if (static_cast<size_t>(index) >= r.TuCeng.size())
            return fail("the record has " + std::to_string(r.TuCeng.size()) + " layers");
        const std::string name = key.substr(close + 2);
        CTuCeng& layer = r.TuCeng[static_cast<size_t>(index)];
        for (const LayerFloatKey& k : kLayerKeys)
            if (name == k.name) {
                layer.*k.member = static_cast<float>(value);
                return true;
            }
        if (name == "nLeiXing" && (value == 0 || value == 1)) {
            layer.nLeiXing = static_cast<int>(value);
            return true;
        }
    }
    return fail("unknown key");
}
