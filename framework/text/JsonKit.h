// Reading and writing the JSON input files, records and slope models alike, so
// that both refuse the same things in the same words:
//
//   - what no such file holds, while parsing and before anything is built: text
//     larger than a bound, nesting deeper than a bound, a key given twice in one
//     object (the parser would silently keep the last), an array longer than a
//     bound;
//   - a value of the wrong type or out of range, naming its key as a path on one
//     line: "TuCeng[1].fHouDu", "piles[0].layers[1].friction". A key holding
//     control characters is shown with JSON escapes, a long one cut.
//
// A 32-bit real is written in the shortest form that reads back to the same
// float (WrittenReal), and every such form reads back exactly, FLT_MAX included.
//
// The readers throw JsonKit::Refusal; Read() runs a reader and turns a refusal
// (or any fault of the parser) into a one-line message.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <functional>
#include <string>

namespace JsonKit {

using json = nlohmann::json;

struct Refusal {
    std::string text;
};

// What a kind of file may hold at most, and how a refusal says so.
struct Limits {
    size_t maxBytes;   // the whole text
    size_t maxDepth;   // objects and arrays inside one another
    size_t maxEntries; // entries of one array; 0 for no bound
    std::string noneIs;       // ends the depth and size messages: "no record is"
    std::string entriesWhy;   // ends the entries message: "no record has that many layers"
};

// The document, parsed under limits. Refuses (throws Refusal) what the limits
// exclude and text that is no JSON: "parse error at line 2, column 5: ...",
// without the bytes the parser read last (they may be binary).
json Parse(const std::string& text, const Limits& limits);
// The same, and refuses anything but an object at the top.
json ParseObject(const std::string& text, const Limits& limits);

// Runs read; false with *error set to its refusal when it refuses.
bool Read(const std::function<void()>& read, std::string* error);

// A key as it may appear inside a one-line message: control characters written
// as JSON escapes, the first 64 bytes of a longer key with its length.
std::string PrintableKey(const std::string& key);
// Refuses with `key "KEY": WHAT`.
[[noreturn]] void Fail(const std::string& key, const std::string& what);
// The key of an array's entry: "points" and 2 give "points[2]".
std::string Entry(const std::string& key, size_t index);

// A 32-bit real. Refuses what is no number and what lies beyond the range of a
// float (a value that would round to FLT_MAX is FLT_MAX).
float ReadReal(const json& v, const std::string& key);
// A real kept in double precision that the calculation takes within the range of
// a 32-bit real: refused as ReadReal refuses, read without rounding to a float.
double ReadWideReal(const json& v, const std::string& key);
// A 32-bit integer; with allowBool, true and false stand for 1 and 0.
int ReadInt(const json& v, const std::string& key, bool allowBool = false);
bool ReadBool(const json& v, const std::string& key);
std::string ReadText(const json& v, const std::string& key);
// v itself, refused when it is not an array or object; what names the expected
// array in the message ("an array of layers").
const json& ReadArray(const json& v, const std::string& key, const char* what = "an array");
const json& ReadObject(const json& v, const std::string& key);

// The double to hand a JSON writer for a 32-bit real: it prints in the shortest
// form that reads back to the same float ("0.3", not "0.30000001192092896").
double WrittenReal(float value);

// True when every value of doc would read back as written; otherwise false with
// *error naming the first that would not: a number that is not finite (a writer
// prints it as null) or a text that is not UTF-8 (a writer cannot print it).
bool CheckWritable(const nlohmann::ordered_json& doc, std::string* error);

} // namespace JsonKit
