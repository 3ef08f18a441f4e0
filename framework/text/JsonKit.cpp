#include "JsonKit.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace JsonKit {

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

void Fail(const std::string& key, const std::string& what)
{
    throw Refusal{"key \"" + PrintableKey(key) + "\": " + what};
}

std::string Entry(const std::string& key, size_t index) { return key + "[" + std::to_string(index) + "]"; }

namespace {

// Halfway between FLT_MAX and the next power of two: anything below rounds to a
// finite float. FLT_MAX itself is written as 3.4028235e+38, a hair above it as a
// double, and must read back.
constexpr double kFloatLimit = 3.4028235677973366e38;

double RealInFloatRange(const json& v, const std::string& key)
{
    if (!v.is_number())
        Fail(key, std::string("expected a number, found ") + v.type_name());
    const double d = v.get<double>();
    if (!std::isfinite(d) || std::fabs(d) >= kFloatLimit)
        Fail(key, "number out of range of a 32-bit real");
    return d;
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
// be reported under its key, and refuses what the limits exclude as soon as the
// parser meets it, before anything is built from it.
class PathTracker {
public:
    explicit PathTracker(const Limits& limits) : limits_(limits) {}

    bool operator()(int depth, json::parse_event_t event, json& parsed)
    {
        using E = json::parse_event_t;
        switch (event) {
        case E::object_start:
        case E::array_start:
            if (depth >= static_cast<int>(limits_.maxDepth))
                throw Refusal{(frames_.empty() || frames_[0].key.empty()
                                   ? std::string()
                                   : "key \"" + PrintableKey(frames_[0].key) + "\": ") +
                              "nested deeper than " + std::to_string(limits_.maxDepth) + " levels; " +
                              limits_.noneIs};
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
        if (!frames_.empty() && frames_.back().isArray && ++frames_.back().index > limits_.maxEntries &&
            limits_.maxEntries > 0) {
            frames_.back().isArray = false; // name the array, not its entry
            Fail(Path(), "more than " + std::to_string(limits_.maxEntries) + " entries; " + limits_.entriesWhy);
        }
    }
    const Limits& limits_;
    std::vector<Frame> frames_;
};

} // namespace

json Parse(const std::string& text, const Limits& limits)
{
    if (text.size() > limits.maxBytes)
        throw Refusal{"the text is larger than " + std::to_string(limits.maxBytes >> 10) + " KiB; " +
                      limits.noneIs + " that large"};
    PathTracker tracker(limits);
    try {
        return json::parse(text, std::ref(tracker));
    } catch (const json::parse_error& e) {
        throw Refusal{ParseErrorText(e)};
    } catch (const json::out_of_range&) {
        // The parser refuses numbers beyond the range of a double.
        throw Refusal{"key \"" + PrintableKey(tracker.Path()) + "\": number out of range of a 32-bit real"};
    }
}

json ParseObject(const std::string& text, const Limits& limits)
{
    json doc = Parse(text, limits);
    if (!doc.is_object())
        throw Refusal{std::string("expected a JSON object at the top, found ") + doc.type_name()};
    return doc;
}

bool Read(const std::function<void()>& read, std::string* error)
{
    try {
        read();
        return true;
    } catch (const Refusal& r) {
        if (error)
            *error = r.text;
    } catch (const std::exception& e) {
        if (error) {
            // A fault of the library: its "[json.exception.type_error.302] " prefix
            // says nothing to a user.
            std::string what = e.what();
            const size_t close = what.find("] ");
            *error = !what.empty() && what[0] == '[' && close != std::string::npos ? what.substr(close + 2) : what;
        }
    }
    return false;
}

float ReadReal(const json& v, const std::string& key)
{
    const double d = RealInFloatRange(v, key);
    if (std::fabs(d) > FLT_MAX)
        return d > 0 ? FLT_MAX : -FLT_MAX;
    return static_cast<float>(d);
}

double ReadWideReal(const json& v, const std::string& key) { return RealInFloatRange(v, key); }

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

bool ReadBool(const json& v, const std::string& key)
{
    if (!v.is_boolean())
        Fail(key, std::string("expected true or false, found ") + v.type_name());
    return v.get<bool>();
}

std::string ReadText(const json& v, const std::string& key)
{
    if (!v.is_string())
        Fail(key, std::string("expected a text, found ") + v.type_name());
    return v.get<std::string>();
}

const json& ReadArray(const json& v, const std::string& key, const char* what)
{
    if (!v.is_array())
        Fail(key, std::string("expected ") + what + ", found " + v.type_name());
    return v;
}

const json& ReadObject(const json& v, const std::string& key)
{
    if (!v.is_object())
        Fail(key, std::string("expected an object, found ") + v.type_name());
    return v;
}

double WrittenReal(float f)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf - 1, f);
    *res.ptr = '\0';
    return std::strtod(buf, nullptr);
}

namespace {

bool IsUtf8(const std::string& text)
{
    try {
        (void)nlohmann::ordered_json(text).dump();
        return true;
    } catch (const json::type_error&) {
        return false;
    }
}

bool CheckWritableAt(const nlohmann::ordered_json& v, const std::string& key, std::string* error)
{
    auto refuse = [&](const std::string& at, const char* what) {
        if (error)
            *error = "key \"" + PrintableKey(at) + "\": " + what + "; JSON cannot hold it";
        return false;
    };
    if (v.is_number_float() && !std::isfinite(v.get<double>()))
        return refuse(key, "not a finite number");
    if (v.is_string() && !IsUtf8(v.get_ref<const std::string&>()))
        return refuse(key, "not valid UTF-8");
    if (v.is_array())
        for (size_t i = 0; i < v.size(); ++i)
            if (!CheckWritableAt(v[i], Entry(key, i), error))
                return false;
    if (v.is_object())
        for (auto it = v.begin(); it != v.end(); ++it) {
            const std::string at = key.empty() ? it.key() : key + "." + it.key();
            if (!IsUtf8(it.key()))
                return refuse(at, "a key not valid UTF-8");
            if (!CheckWritableAt(it.value(), at, error))
                return false;
        }
    return true;
}

} // namespace

bool CheckWritable(const nlohmann::ordered_json& doc, std::string* error) { return CheckWritableAt(doc, "", error); }

} // namespace JsonKit
