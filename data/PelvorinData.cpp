#include "PelvorinData.h"

#include "FieldTable.h"
#include "NumericLocale.h"
#include "SafeFile.h"
#include "TextInput.h"

#include <algorithm>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kLineSize = kDataFileLineChars + 1;

void SetBaseDefaults(CJsDataBase& b, const char* leiBie, const char* biaoTi,
                     const char* jianTuBiaoTi, const char* jss0)
{
    b.strLeiBie = leiBie;
    b.strBiaoTi = biaoTi;
    if (jianTuBiaoTi)
        b.SetJianTuBiaoTi(jianTuBiaoTi);
    b.nJianTuShu = 2;
    b.strJianTuMing[0] = "计算简图";
    b.strJianTuMing[1] = "计算结果图";
    b.nJiSuanShuShu = 2;
    b.strJiSuanShuMing[0] = jss0;
    b.strJiSuanShuMing[1] = "详细计算书";
    b.nSheZhi = {1, 0, 0, 0, 0, 0, 1, 0};
}

} // namespace

CPelvorinData::CPelvorinData() : pDianZuoBiao(new std::vector<float>)
{
    SetBaseDefaults(*this, "xhl", "滑坡推力", "滑坡推力计算简图", "简单计算书");
}

CPelvorinData::~CPelvorinData() { delete pDianZuoBiao; }

CPelvorinData::CPelvorinData(const CPelvorinData& other)
    : CJsDataBase(other), pDianZuoBiao(new std::vector<float>)
{
    *this = other;
}

CPelvorinData& CPelvorinData::operator=(const CPelvorinData& other)
{
    if (this == &other)
        return *this;
    CJsDataBase::operator=(other);
    CPelvorinFields::operator=(other);
    *pDianZuoBiao = *other.pDianZuoBiao; // the points are owned: copied, never shared
    return *this;
}

CTuCeng::CTuCeng()
{
    for (const FieldDef& f : LayerFields())
        f.layerReal ? void(this->*f.layerReal = static_cast<float>(f.defaultValue))
                    : void(this->*f.layerInteger = static_cast<int>(f.defaultValue));
}

CSheJi::CSheJi()
{
    for (const DesignFieldDef& f : DesignFields())
        f.real ? void(this->*f.real = static_cast<float>(f.defaultValue))
               : void(this->*f.integer = static_cast<int>(f.defaultValue));
}

CMaoSuo::CMaoSuo()
{
    for (const AnchorFieldDef& f : AnchorFields())
        this->*f.real = static_cast<float>(f.defaultValue);
}

CPelvorinFields::CPelvorinFields()
{
    for (const FieldDef& f : RecordFields())
        f.real ? void(this->*static_cast<float CPelvorinFields::*>(f.real) = static_cast<float>(f.defaultValue))
               : void(this->*static_cast<int CPelvorinFields::*>(f.integer) = static_cast<int>(f.defaultValue));
}

int CPelvorinData::LoadData(const char* path)
{
    FILE* f = path ? std::fopen(path, "r") : nullptr;
    if (!f)
        return 0;
    const int ok = LoadData(f);
    std::fclose(f);
    return ok;
}

int CPelvorinData::SaveData(const char* path)
{
    if (!path)
        return 0;
    SafeFileWriter writer(path);
    FILE* f = writer.open();
    return f && SaveData(f) == 1 && writer.commit() ? 1 : 0;
}

namespace {

// A value of a data-file line: where it goes, and how a message names it.
struct Slot {
    float* real;
    int* integer;
    const FieldDef* field;
};

// The values of data-file line `line` (3: a layer line), in file order, bound to
// the record or to the layer.
std::vector<Slot> LineSlots(int line, CPelvorinData& r, CTuCeng* layer = nullptr)
{
    std::vector<Slot> slots;
    for (const FieldDef* f : FileFields(line))
        slots.push_back(layer ? Slot{FieldReal(*f, *layer), FieldInteger(*f, *layer), f}
                              : Slot{FieldReal(*f, r), FieldInteger(*f, r), f});
    return slots;
}

// "%f" for a real and "%d" for an integer, separated by commas, ended by a line feed.
void PrintLine(FILE* f, const std::vector<Slot>& slots)
{
    for (size_t i = 0; i < slots.size(); ++i) {
        if (i > 0)
            std::fputc(',', f);
        if (slots[i].real)
            std::fprintf(f, "%f", *slots[i].real);
        else
            std::fprintf(f, "%d", *slots[i].integer);
    }
    std::fputc('\n', f);
}

// Reads a line as scanf with "%f,%f,...,%d" would: value after value, each
// separated by a comma; the first that does not parse, or a separator other
// than a comma, ends the line there. Returns how many values were read; *end,
// where given, is where the reading stopped.
int ScanLine(const char* line, const std::vector<Slot>& slots, const char** end = nullptr)
{
    const char* p = line;
    int read = 0;
    for (const Slot& s : slots) {
        if (read > 0) {
            if (*p != ',')
                break;
            ++p;
        }
        int used = 0;
        const int got = s.real ? JSVsscanf::vsscanf(p, "%f%n", s.real, &used)
                               : JSVsscanf::vsscanf(p, "%d%n", s.integer, &used);
        if (got != 1)
            break;
        p += used;
        ++read;
    }
    if (end)
        *end = p;
    return read;
}

// What a line held that the reading left: a value that was missing or did not
// parse (the field keeps its previous value), or characters after the last
// value. Empty when the line was read whole.
std::string UnreadText(const char* line, const std::vector<Slot>& slots, const char* at, int read)
{
    std::string rest(at);
    while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r' || rest.back() == ' ' || rest.back() == '\t'))
        rest.pop_back();
    auto quoted = [](std::string t) {
        if (t.size() > 40)
            t = t.substr(0, 40) + "...";
        return "\"" + t + "\"";
    };
    auto name = [&](int index) {
        const FieldDef& f = *slots[static_cast<size_t>(index)].field;
        const std::string label = FieldLabelText(f);
        return "value " + std::to_string(index + 1) + " (" + (label.empty() ? f.name : label) + ", " + f.key + ")";
    };
    // A value read in part ("3OO.0" as 3): the reading stopped right after it,
    // where a comma belongs.
    if (read > 0 && read < static_cast<int>(slots.size()) && at > line && at[-1] != ',' && !rest.empty())
        return name(read - 1) + " is followed by " + quoted(rest) +
               " where a comma belongs: the values after it keep their previous values";
    if (read < static_cast<int>(slots.size())) {
        const std::string which = name(read);
        if (rest.empty())
            return which + " is missing: it and the values after it keep their previous values";
        return which + " could not be read at " + quoted(rest) +
               ": it and the values after it keep their previous values";
    }
    if (!rest.empty())
        return "text after the last value was not read: " + quoted(rest);
    return "";
}

} // namespace

int CPelvorinData::SaveData(FILE* f)
{
    if (!f)
        return 0;
    ScopedCNumbers numbers;
    PrintLine(f, LineSlots(1, *this));
    PrintLine(f, LineSlots(2, *this));
    for (CTuCeng& c : TuCeng)
        PrintLine(f, LineSlots(3, *this, &c));
    SaveBaseData(f);
    return 1;
}

int CPelvorinData::LoadData(FILE* f) { return LoadData(f, nullptr); }

int CPelvorinData::LoadData(FILE* f, std::string* problem) { return LoadData(f, problem, nullptr); }

int CPelvorinData::LoadData(FILE* f, std::string* problem, std::vector<std::string>* warnings)
{
    if (!f)
        return 0;
    ScopedCNumbers numbers;
    // Read into a copy: a file refused half-way leaves this record as it was.
    CPelvorinData read(*this);
    char line[kLineSize];
    int lineNo = 0;
    bool tooLong = false;
    auto refuse = [&](const std::string& what) {
        if (problem)
            *problem = "line " + std::to_string(lineNo) + ": " + what;
        return 0;
    };
    const std::string longLine = "longer than " + std::to_string(kLineSize - 1) +
                                 " characters (a number there would be read cut in two)";
    // A value that scanf reads as NaN or infinity is no measurement.
    auto finite = [&](const std::vector<Slot>& slots, int parsed) {
        for (int i = 0; i < parsed; ++i)
            if (slots[i].real && !std::isfinite(*slots[i].real))
                return refuse(std::string("value ") + std::to_string(i + 1) + " (" + slots[i].field->name + ", " +
                              slots[i].field->key + ") is not a finite number");
        return 1;
    };
    // A line read only in part: the numbers stay as the reading gives them,
    // and the caller who asked can say what was left.
    auto warn = [&](int number, const std::vector<Slot>& slots, int parsed, const char* at) {
        if (!warnings)
            return;
        const std::string what = UnreadText(line, slots, at, parsed);
        if (!what.empty())
            warnings->push_back("line " + std::to_string(number) + ": " + what);
    };
    // Short or malformed lines leave the fields they do not reach as they were.
    int pileValues = 0;
    if (fgets_skip_comment(line, kLineSize, f, &lineNo, &tooLong)) {
        if (tooLong)
            return refuse(longLine);
        const std::vector<Slot> pile = LineSlots(1, read);
        const char* at = line;
        pileValues = ScanLine(line, pile, &at);
        if (!finite(pile, pileValues))
            return 0;
        if (pileValues > 0)
            warn(lineNo, pile, pileValues, at);
    }
    // Not a refusal (the reader takes what it can), but a file without a single
    // pile value is no data file; the caller who asked may say so.
    if (pileValues <= 0 && problem)
        *problem = "line " + std::to_string(lineNo > 0 ? lineNo : 1) +
                   ": no pile values (expected ten comma-separated numbers)";
    if (fgets_skip_comment(line, kLineSize, f, &lineNo, &tooLong)) {
        if (tooLong)
            return refuse(longLine);
        // The layer count is taken only once it is known to be one a list can hold.
        int count = read.nTuCengShu;
        std::vector<Slot> integers = LineSlots(2, read);
        for (Slot& s : integers)
            if (s.integer == &read.nTuCengShu)
                s.integer = &count;
        const char* at = line;
        const int parsed = ScanLine(line, integers, &at);
        if (count < 0 || count > kMaxTuCengShu)
            return refuse("layer count " + std::to_string(count) + " is outside 0.." +
                          std::to_string(kMaxTuCengShu));
        read.nTuCengShu = count;
        warn(lineNo, integers, parsed, at);
    }
    read.TuCeng.resize(static_cast<size_t>(read.nTuCengShu));
    // A reader that tells (warnings given) takes the layers the file holds,
    // not as many as line 2 counts: the layer lines run to the base block or
    // the end, and the check then refuses a count that disagrees with them, as
    // it refuses such a JSON record. Otherwise the count decides, as the data
    // file has always been read.
    const bool asHeld = warnings != nullptr;
    size_t layers = 0;
    for (size_t i = 0; asHeld || i < read.TuCeng.size(); ++i) {
        const long before = std::ftell(f);
        const int lineBefore = lineNo;
        if (!fgets_skip_comment(line, kLineSize, f, &lineNo, &tooLong))
            break;
        if (tooLong)
            return refuse(longLine);
        if (asHeld && line[strspn(line, " \t")] == '[') { // the base block: no more layers
            if (before >= 0)
                std::fseek(f, before, SEEK_SET);
            lineNo = lineBefore;
            break;
        }
        if (i >= read.TuCeng.size()) {
            if (i >= static_cast<size_t>(kMaxTuCengShu))
                return refuse("more than " + std::to_string(kMaxTuCengShu) + " layer lines");
            read.TuCeng.emplace_back();
        }
        CTuCeng& c = read.TuCeng[i];
        const std::vector<Slot> layer = LineSlots(3, read, &c);
        const char* at = line;
        const int parsed = ScanLine(line, layer, &at);
        if (!finite(layer, parsed))
            return 0;
        warn(lineNo, layer, parsed, at);
        layers = i + 1;
    }
    if (asHeld)
        read.TuCeng.resize(layers);
    read.LoadBaseData(f);
    *this = read;
    return 1;
}

void InitKangLiData(CPelvorinData* r)
{
    if (!r)
        return;
    SetBaseDefaults(*r, "kl", "抗力计算", nullptr, "简明计算书");
    r->strWenJianMing = "kl";
    r->bHouXuJiSuan = 0;
    r->bTiShiChengGong = 0;
}

int SoilBelowRock(const CPelvorinData& r)
{
    const int count = std::min<int>(r.nTuCengShu, static_cast<int>(r.TuCeng.size()));
    for (int i = 0; i + 1 < count; ++i)
        if (r.TuCeng[static_cast<size_t>(i)].nLeiXing == 1 && r.TuCeng[static_cast<size_t>(i) + 1].nLeiXing == 0)
            return i + 1;
    return -1;
}
