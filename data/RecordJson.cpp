#include "RecordJson.h"

#include "SafeFile.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <charconv>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
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

struct KeyError {
    std::string text;
};

// A key as it may appear inside a one-line message: control characters (which a
// JSON key may hold through escapes) are written as JSON escapes again.
std::string PrintableKey(const std::string& key)
{
    std::string out;
    for (unsigned char c : key) {
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
    if (!std::isfinite(d) || std::fabs(d) > FLT_MAX)
        Fail(key, "number out of range of a 32-bit real");
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
class PathTracker {
public:
    bool operator()(int, json::parse_event_t event, json& parsed)
    {
        using E = json::parse_event_t;
        switch (event) {
        case E::object_start:
        case E::array_start:
            frames_.push_back({event == E::array_start, 0, {}});
            break;
        case E::key:
            if (!frames_.empty())
                frames_.back().key = parsed.get<std::string>();
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
    };
    void Advance()
    {
        if (!frames_.empty() && frames_.back().isArray)
            ++frames_.back().index;
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

std::string RecordToJson(const CPelvorinData& r)
{
    ordered_json out = ordered_json::object();
    for (const RecordKey& k : kRecordKeys) {
        if (k.kind == Kind::Real)
            out[k.name] = ShortDouble(r.*k.real);
        else
            out[k.name] = r.*k.integer;
    }
    ordered_json layers = ordered_json::array();
    for (const CTuCeng& c : r.TuCeng) {
        ordered_json l = ordered_json::object();
        l["nLeiXing"] = c.nLeiXing;
        for (const LayerFloatKey& k : kLayerKeys)
            l[k.name] = ShortDouble(c.*k.member);
        layers.push_back(std::move(l));
    }
    out["TuCeng"] = std::move(layers);
    return out.dump(2) + "\n";
}

bool RecordFromJson(const std::string& text, CPelvorinData& r, std::string* error)
{
    PathTracker tracker;
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
        if (haveLayers && !haveCount)
            r.nTuCengShu = static_cast<int>(r.TuCeng.size());
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
    if (IsJsonPath(path)) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            if (error)
                *error = "cannot open the file for reading";
            return false;
        }
        std::ostringstream text;
        text << in.rdbuf();
        if (in.bad()) {
            if (error)
                *error = "read error";
            return false;
        }
        return RecordFromJson(text.str(), r, error);
    }
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) {
        if (error)
            *error = "cannot open the file for reading";
        return false;
    }
    std::string problem;
    int ok = r.LoadData(f, &problem);
    std::fclose(f);
    if ((!ok || !problem.empty()) && error)
        *error = problem;
    return ok != 0 && problem.empty();
}

bool SaveRecordFile(const std::string& path, CPelvorinData& r, std::string* error)
{
    SafeFileWriter writer(path);
    FILE* f = writer.open();
    if (f) {
        bool written;
        if (IsJsonPath(path)) {
            std::string text = RecordToJson(r);
            written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        } else {
            written = r.SaveData(f) == 1;
        }
        if (written && writer.commit())
            return true;
    }
    if (error)
        *error = "cannot write the file: " + writer.error();
    return false;
}
