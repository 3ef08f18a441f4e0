#include "RecordJson.h"
#include "RecordFile.h"

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

CMaoSuo ReadAnchor(const json& obj, size_t index)
{
    const std::string prefix = "SheJi.MaoSuo[" + std::to_string(index) + "]";
    JsonKit::ReadObject(obj, prefix);
    CMaoSuo a;
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const std::string key = prefix + "." + it.key();
        const AnchorFieldDef* f = FindAnchorField(it.key());
        if (!f) {
            std::vector<std::string> keys;
            for (const AnchorFieldDef& k : AnchorFields())
                keys.push_back(k.key);
            const std::string near = NearestKey(it.key(), keys);
            Fail(key, near.empty() ? "unknown key" : "unknown key; did you mean " + prefix + "." + near + "?");
        }
        a.*f->real = ReadReal(it.value(), key);
    }
    return a;
}

CSheJi ReadDesign(const json& obj)
{
    JsonKit::ReadObject(obj, "SheJi");
    CSheJi d;
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const std::string key = "SheJi." + it.key();
        if (it.key() == "MaoSuo") {
            JsonKit::ReadArray(it.value(), key, "an array of anchor cables");
            if (it.value().size() > static_cast<size_t>(kMaxMaoSuoShu))
                Fail(key, "at most " + std::to_string(kMaxMaoSuoShu) + " anchor cables (is " +
                              std::to_string(it.value().size()) + ")");
            for (size_t i = 0; i < it.value().size(); ++i)
                d.MaoSuo.push_back(ReadAnchor(it.value()[i], i));
            continue;
        }
        const DesignFieldDef* f = FindDesignField(it.key());
        if (!f) {
            std::vector<std::string> keys;
            for (const DesignFieldDef& d : DesignFields())
                keys.push_back(d.key);
            keys.push_back("MaoSuo");
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
            // The ground for the internal forces only with a design block.
            if (f.when == FieldWhen::Design && !r.bSheJi)
                continue;
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
        if (!r.SheJi.MaoSuo.empty()) {
            ordered_json anchors = ordered_json::array();
            for (const CMaoSuo& a : r.SheJi.MaoSuo) {
                ordered_json o = ordered_json::object();
                for (const AnchorFieldDef& f : AnchorFields())
                    o[f.key] = WrittenReal(a.*f.real);
                anchors.push_back(std::move(o));
            }
            d["MaoSuo"] = std::move(anchors);
        }
        out["SheJi"] = std::move(d);
    }
    out["JsDataBase"] = BaseToJson(r);
    return out;
}

bool Refuse(std::string* error, const std::string& what)
{
    if (error)
        *error = what;
    return false;
}

} // namespace

// The first real of the record that is not finite, by its key; empty if none.
std::string FirstNonFiniteKey(const CPelvorinData& r)
{
    for (const FieldDef& f : RecordFields())
        if (f.real && !std::isfinite(r.*f.real))
            return f.key;
    for (size_t i = 0; i < r.TuCeng.size(); ++i)
        for (const FieldDef& f : LayerFields())
            if (f.layerReal && !std::isfinite(r.TuCeng[i].*f.layerReal))
                return "TuCeng[" + std::to_string(i) + "]." + f.key;
    if (r.bSheJi) {
        for (const DesignFieldDef& f : DesignFields())
            if (f.real && !std::isfinite(r.SheJi.*f.real))
                return std::string("SheJi.") + f.key;
        for (size_t i = 0; i < r.SheJi.MaoSuo.size(); ++i)
            for (const AnchorFieldDef& f : AnchorFields())
                if (!std::isfinite(r.SheJi.MaoSuo[i].*f.real))
                    return "SheJi.MaoSuo[" + std::to_string(i) + "]." + f.key;
    }
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

std::string RecordToJson(const CPelvorinData& r)
{
    return ToJsonDocument(r).dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool RecordToJsonChecked(const CPelvorinData& r, std::string& text, std::string* error)
{
    const std::string bad = FirstNonFiniteKey(r);
    if (!bad.empty())
        return Refuse(error, "key \"" + bad + "\": not a finite number; JSON cannot hold it");
    try {
        text = ToJsonDocument(r).dump(2) + "\n";
    } catch (const json::type_error&) {
        return Refuse(error, "a text of the record (its names or title) is not valid UTF-8");
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

