#include "Study.h"
#include "PileForces.h"

#include "KangLiJiSuan.h"
#include "JsonKit.h"
#include "KangLiCore.h"
#include "NumericLocale.h"
#include "FieldTable.h"
#include "RecordCheck.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <limits>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <span>
#include <system_error>
#include <string_view>
#include <thread>

StudyResult Study(const CPelvorinData& input) { return Study(input, nullptr, nullptr); }

StudyResult Study(const CPelvorinData& input, CPelvorinData* calculated, CKangLiJiSuan* calculation)
{
    StudyResult out;
    CPelvorinData local;
    CPelvorinData& r = calculated ? *calculated : local;
    r = input; // nothing to copy when the caller hands its own copy in
    std::string problem;
    if (!CheckKangLiData(r, &problem)) {
        out.message = problem;
        return out;
    }
    // The calculation itself tells nobody: its refusal becomes the message.
    KangLiCalculation result = CalculateKangLiInPlace(r); // r is the study's own copy
    if (result.status != 1) {
        out.message = result.refusedField + ": " + result.refusal + " (a soil layer below rock)";
        return out;
    }
    out.pile = result.section.fv;
    out.ground = result.groundAtSlip.ev;
    out.atSlip = std::min(out.pile, out.ground);
    out.governs = out.pile <= out.ground ? 'P' : 'G';
    if (!result.final.empty())
        out.top = result.final.back(); // the points run from the foot to the top
    if (calculation) {
        calculation->pData = &r;
        r.bYiJiSuan = 1;
        r.nJianTuShu = 3;
        calculation->TakeResult(std::move(result));
    } else if (calculated) {
        r.TuKangLi = result.ground;
        r.ZhuangKangLi = result.pile;
        r.ZuiZhongKangLi = result.final;
        r.nTuShu = result.soilLayers;
        r.bYiJiSuan = 1;
        r.nJianTuShu = 3;
    }
    out.concrete = SectionShape(r).area * r.fZhuangChang / r.fZhuangJianJu;
    if (!std::isfinite(out.atSlip) || !std::isfinite(out.top)) {
        out = StudyResult{};
        out.message = "the calculation gave a number that is not finite";
        return out;
    }
    out.status = 1;
    return out;
}

namespace {

bool Number(const std::string& text, double& v)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto res = std::from_chars(begin, end, v);
    return res.ec == std::errc() && res.ptr == end && std::isfinite(v);
}

} // namespace

namespace {

// SetRecordValue, with a suggestion for a key that is no input.
bool SetStudyValue(CPelvorinData& record, const std::string& key, double value, std::string* error)
{
    if (SetRecordValue(record, key, value, error))
        return true;
    // The design block and its cables are inputs, but a study keeps them.
    if (error && key.rfind("SheJi", 0) == 0) {
        *error = "key \"" + key + "\": the design block's keys are not varied by studies (a design search "
                 "varies the pile and its ground, and the block gives the thrust and the checks)";
        return false;
    }
    if (error && error->size() >= 11 && error->compare(error->size() - 11, 11, "unknown key") == 0) {
        const std::string near = SuggestStudyKey(key);
        *error += near.empty() ? "" : "; did you mean " + near + "?";
        *error += " (kangli keys lists every key)";
    }
    return false;
}

} // namespace

bool ParseStudyRange(const std::string& text, const CPelvorinData& record, StudyRange& range, std::string* error)
{
    auto fail = [&](const std::string& what) {
        if (error)
            *error = "--vary " + text + ": " + what;
        return false;
    };
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        return fail("expected KEY=FROM:TO:STEP");
    if (!NormaliseStudyKey(text.substr(0, eq), range.key, error))
        return false;
    const std::string bounds = text.substr(eq + 1);
    const size_t c1 = bounds.find(':'), c2 = c1 == std::string::npos ? c1 : bounds.find(':', c1 + 1);
    double from, to, step;
    if (c2 == std::string::npos || !Number(bounds.substr(0, c1), from) ||
        !Number(bounds.substr(c1 + 1, c2 - c1 - 1), to) || !Number(bounds.substr(c2 + 1), step))
        return fail("expected FROM:TO:STEP, three numbers");
    if (!(step > 0))
        return fail("the step must be positive");
    if (to < from)
        return fail("the range is empty (TO below FROM)");
    const double count = std::floor((to - from) / step + 1e-3) + 1;
    if (count > 1e6)
        return fail("more than a million values");
    CPelvorinData probe(record);
    if (!SetStudyValue(probe, range.key, from, error))
        return false;
    range.values.clear();
    for (int i = 0; i < static_cast<int>(count); ++i)
        range.values.push_back(from + i * step);
    return true;
}

bool NormaliseStudyKey(const std::string& key, std::string& normal, std::string* error)
{
    const std::string prefix = "TuCeng[";
    if (key.rfind(prefix, 0) != 0) {
        normal = key;
        return true;
    }
    const size_t close = key.find(']');
    size_t i = prefix.size();
    while (i < close && key[i] == ' ')
        ++i;
    if (i < close && key[i] == '+')
        ++i;
    const size_t first = i;
    while (i < close && key[i] >= '0' && key[i] <= '9')
        ++i;
    const size_t last = i;
    while (i < close && key[i] == ' ')
        ++i;
    if (close == std::string::npos || first == last || i != close || key.compare(close, 2, "].") != 0 ||
        close + 2 == key.size()) {
        if (error)
            *error = "key \"" + JsonKit::PrintableKey(key) + "\": expected TuCeng[i].key, i a layer's number from 0";
        return false;
    }
    size_t digit = first;
    while (digit + 1 < last && key[digit] == '0')
        ++digit;
    normal = prefix + key.substr(digit, last - digit) + key.substr(close);
    return true;
}

bool CheckStudyRanges(const CPelvorinData& record, std::vector<StudyRange>& ranges, std::string* error)
{
    if (const double total = StudyCombinationCount(ranges); total > kMaxStudyCombinations) {
        if (error) {
            std::string sizes;
            for (const StudyRange& r : ranges)
                sizes += (sizes.empty() ? "" : " x ") + std::to_string(r.values.size());
            *error = Fixed(total, 0) + " combinations (" + sizes + "): more than the " +
                     Fixed(kMaxStudyCombinations, 0) + " one study calculates; use fewer values";
        }
        return false;
    }
    for (size_t k = 0; k < ranges.size(); ++k) {
        StudyRange& range = ranges[k];
        const std::string given = range.key;
        if (!NormaliseStudyKey(given, range.key, error))
            return false;
        if (range.values.empty()) {
            if (error)
                *error = "key \"" + JsonKit::PrintableKey(given) + "\": no values to try";
            return false;
        }
        CPelvorinData probe(record);
        if (!SetStudyValue(probe, range.key, range.values.front(), error))
            return false;
        // The record holds a real in 32 bits: two values that it holds alike
        // would be two rows with one calculation under different labels.
        std::vector<float> held(range.values.begin(), range.values.end());
        std::sort(held.begin(), held.end());
        if (const auto same = std::adjacent_find(held.begin(), held.end()); same != held.end()) {
            if (error)
                *error = "key \"" + range.key + "\": the value " + ValueLabel(*same, -1) +
                         " comes twice as the record holds it (a 32-bit real): use a larger step";
            return false;
        }
        for (size_t j = 0; j < k; ++j)
            if (ranges[j].key == range.key) {
                if (error)
                    *error = "key \"" + range.key + "\" is varied twice" +
                             (given != range.key ? " (\"" + JsonKit::PrintableKey(given) + "\" is the same input)" : std::string()) +
                             ": give each input once";
                return false;
            }
    }
    return true;
}

double PileWidth(const CPelvorinData& r)
{
    return r.nJieMianXingZhuang == 0 ? r.fZhuangJing : r.nJieMianXingZhuang == 1 ? r.fZhuangKuan : 0;
}

bool PileRowBuildable(const CPelvorinData& r, std::string* why)
{
    const double width = PileWidth(r);
    // Compared as the record holds them: a spacing typed as twice the width is buildable.
    if (!(static_cast<float>(r.fZhuangJianJu) < static_cast<float>(2 * width)))
        return true;
    if (why)
        *why = "not buildable: piles " + Fixed(width, 3) + " m " +
               (r.nJieMianXingZhuang == 0 ? "in diameter" : "wide") + " every " + Fixed(r.fZhuangJianJu, 3) +
               " m leave less than one pile width between them (spacing at least " + Fixed(2 * width, 3) +
               " m)";
    return false;
}

std::string SuggestStudyKey(const std::string& key)
{
    std::string prefix, name = key;
    const size_t close = key.find("].");
    if (key.rfind("TuCeng[", 0) == 0 && close != std::string::npos) {
        prefix = key.substr(0, close + 2);
        name = key.substr(close + 2);
    }
    if (name.size() > 64)
        return "";
    std::vector<std::string> keys;
    for (const FieldDef& f : RecordFields())
        if (f.sweeps)
            keys.push_back(f.key);
    const size_t records = keys.size();
    for (const FieldDef& f : LayerFields())
        if (f.sweeps)
            keys.push_back(f.key);
    const std::string near = NearestKey(name, keys);
    if (near.empty())
        return "";
    const bool layer = std::find(keys.begin() + static_cast<long>(records), keys.end(), near) != keys.end() &&
                       std::find(keys.begin(), keys.begin() + static_cast<long>(records), near) ==
                           keys.begin() + static_cast<long>(records);
    const std::string best = layer ? (prefix.empty() ? "TuCeng[i]." : prefix) + near : near;
    return best;
}

const FieldDef* StudyKeyField(const std::string& key)
{
    if (const FieldDef* f = FindRecordField(key))
        return f;
    const size_t close = key.find("].");
    return key.rfind("TuCeng[", 0) == 0 && close != std::string::npos ? FindLayerField(key.substr(close + 2)) : nullptr;
}

std::vector<std::string> StudyWarnings(const CPelvorinData& record, const std::vector<StudyRange>& ranges)
{
    std::vector<std::string> out;
    auto varied = [&](const std::string& key) {
        for (const StudyRange& r : ranges)
            if (r.key == key)
                return true;
        return false;
    };
    for (const StudyRange& range : ranges) {
        const FieldDef* f = FindRecordField(range.key);
        const CTuCeng* layer = nullptr;
        if (!f && range.key.rfind("TuCeng[", 0) == 0) {
            const size_t close = range.key.find("].");
            const size_t index = std::strtoul(range.key.c_str() + 7, nullptr, 10);
            if (close == std::string::npos || index >= record.TuCeng.size())
                continue;
            layer = &record.TuCeng[index];
            f = FindLayerField(range.key.substr(close + 2));
        }
        // The ground for the internal forces never acts on the resistance a
        // study calculates.
        if (!f || (f->when != FieldWhen::Design && FieldApplies(*f, record, layer)))
            continue;
        std::string when;
        switch (f->when) {
        case FieldWhen::Rectangle:
            if (varied("nJieMianXingZhuang"))
                continue;
            when = "acts only on a rectangular section and this record's is circular";
            break;
        case FieldWhen::Circle:
            if (varied("nJieMianXingZhuang"))
                continue;
            when = "acts only on a circular section and this record's is rectangular";
            break;
        case FieldWhen::Water:
            if (varied("bKaoLvShui"))
                continue;
            when = "acts only where groundwater is considered, and this record does not consider it";
            break;
        case FieldWhen::SoilUnderWater:
            if (varied("bKaoLvShui") || varied(range.key.substr(0, range.key.find("].") + 2) + "nLeiXing"))
                continue;
            when = "acts only on soil under groundwater, and this layer is not";
            break;
        case FieldWhen::Design:
            when = "acts only on the internal forces (kangli forces), not on the resistance a study calculates";
            break;
        case FieldWhen::Always:
            continue;
        }
        out.push_back(range.key + " (" + FieldLabel(range.key) + ") " + when + ": every value gives the same answer");
    }
    return out;
}

double StudyCombinationCount(const std::vector<StudyRange>& ranges)
{
    double total = ranges.empty() ? 0 : 1;
    for (const StudyRange& r : ranges)
        total *= static_cast<double>(r.values.size());
    return total;
}

std::vector<StudyPoint> StudyCombinations(const std::vector<StudyRange>& ranges)
{
    const double total = StudyCombinationCount(ranges);
    std::vector<StudyPoint> points(total > kMaxStudyCombinations ? 0 : static_cast<size_t>(total));
    for (size_t n = 0; n < points.size(); ++n) {
        size_t rest = n;
        points[n].values.resize(ranges.size());
        for (size_t k = ranges.size(); k-- > 0;) {
            points[n].values[k] = ranges[k].values[rest % ranges[k].values.size()];
            rest /= ranges[k].values.size();
        }
    }
    return points;
}

void CalculateStudyPoints(const CPelvorinData& record, const std::vector<StudyRange>& ranges,
                          std::vector<StudyPoint>& points, size_t begin, size_t end, bool withForces)
{
    end = std::min(end, points.size());
    // Each combination is a calculation of its own record: shared between
    // threads is only the read-only base record.
    std::atomic<size_t> next{begin};
    auto work = [&] {
        for (size_t n = next.fetch_add(1); n < end; n = next.fetch_add(1)) {
            CPelvorinData r(record);
            bool ok = true;
            std::string why;
            for (size_t k = 0; k < ranges.size() && ok; ++k)
                ok = SetRecordValue(r, ranges[k].key, points[n].values[k], &why);
            if (ok && !PileRowBuildable(r, &why)) {
                points[n].result.message = why;
                points[n].result.buildable = false;
            } else if (ok) {
                points[n].result = Study(r, &r, nullptr);
                if (withForces && r.bSheJi && points[n].result.status == 1)
                    JudgeDesign(r, points[n].result);
            } else {
                points[n].result.message = why;
            }
        }
    };
    const size_t count = end > begin ? end - begin : 0;
    const unsigned threads = static_cast<unsigned>(
        std::min<size_t>(std::max(1u, std::min(std::thread::hardware_concurrency(), 16u)), std::max<size_t>(count / 64, 1)));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no thread to be had (a process or memory limit): the others do its share
        }
    }
    work();
    for (std::thread& t : pool)
        t.join();
}

DesignRanking RankDesigns(const std::vector<StudyPoint>& points, double thrust)
{
    DesignRanking out;
    for (const StudyPoint& p : points) {
        out.unbuildable += !p.result.buildable;
        if (p.result.status != 1)
            continue;
        if (!out.best || p.result.atSlip > out.best->result.atSlip)
            out.best = &p;
        if (p.result.atSlip >= thrust && (!p.result.designed || p.result.passes))
            out.carrying.push_back(&p);
    }
    std::stable_sort(out.carrying.begin(), out.carrying.end(), [](const StudyPoint* a, const StudyPoint* b) {
        if (a->result.concrete != b->result.concrete)
            return a->result.concrete < b->result.concrete;
        if (a->result.steel != b->result.steel)
            return a->result.steel < b->result.steel; // 0 where the forces were not judged
        return a->result.atSlip > b->result.atSlip;
    });
    return out;
}

std::vector<StudyPoint> Sweep(const CPelvorinData& record, const std::vector<StudyRange>& ranges, bool withForces)
{
    std::vector<StudyPoint> points = StudyCombinations(ranges);
    CalculateStudyPoints(record, ranges, points, 0, points.size(), withForces);
    return points;
}

double DesignThrust(const CPelvorinData& r) { return static_cast<double>(r.SheJi.fTuiLi) - r.SheJi.fQianKangLi; }

void JudgeDesign(const CPelvorinData& r, StudyResult& out)
{
    out.designed = true;
    out.passes = false;
    const PileForces f = CalculatePileForces(r);
    if (f.status != 1) {
        out.failed = f.refusedField.empty() ? "SheJi" : f.refusedField;
        out.governing = out.failed;
        out.margin = std::numeric_limits<double>::quiet_NaN(); // no check was made
        out.message = f.refusal;
        return;
    }
    // Each check as the share it uses of what it may; the first that uses more
    // than all fails, the one with the least left governs.
    bool first = true;
    auto judge = [&](const std::string& key, double used, double allowed) {
        double margin = allowed > 0 ? 1 - used / allowed : (used > 0 ? -1 : 1);
        if (!std::isfinite(margin))
            margin = -1; // no number to compare: not a pile to sign
        if (out.failed.empty() && margin < 0)
            out.failed = key;
        if (first || margin < out.margin) {
            out.governing = key;
            out.margin = margin;
            first = false;
        }
    };
    judge("resistance", DesignThrust(r), out.atSlip);
    for (const PileForceCheck& c : f.checks)
        if (c.checked)
            judge(c.key + (c.face > 0 ? " front" : c.face < 0 ? " back" : ""), c.value, c.allowed);
    auto bars = [&](const PileReinforcement& rf, const std::string& key) {
        if (rf.overReinforced)
            judge(key, 1, 0);
        else if (rf.circle)
            judge(key, rf.required, rf.maximum);
        else
            judge(key, rf.x, rf.xiB * rf.h0);
    };
    bars(f.reinforcement, "reinforcement");
    if (f.otherFace)
        bars(f.reinforcementOtherFace, "reinforcement other face");
    if (f.reinforcement.sectionTooSmall)
        judge("stirrups", 1, 0);
    else
        judge("stirrups", f.reinforcement.shear, f.reinforcement.shearLimit);
    if (!f.linearModelHolds)
        judge("linear model", 1, 0);
    // Longitudinal bars along the whole pile, both faces of a rectangle.
    double area = f.reinforcement.overReinforced ? f.reinforcement.required : f.reinforcement.longitudinalArea;
    if (f.otherFace)
        area += f.reinforcementOtherFace.overReinforced ? f.reinforcementOtherFace.required
                                                        : f.reinforcementOtherFace.longitudinalArea;
    out.steel = area * 1e-6 * r.fZhuangChang * 7850.0 / r.fZhuangJianJu;
    out.passes = out.failed.empty();
}

int LabelDecimals(const std::vector<double>& values)
{
    double scale = 1;
    for (int d = 0; d <= 6; ++d, scale *= 10) {
        bool exact = true;
        for (double v : values) {
            const double shown = std::round(v * scale) / scale;
            if (std::fabs(shown - v) > 1e-9 * std::max(1.0, std::fabs(v))) {
                exact = false;
                break;
            }
        }
        if (exact)
            return d;
    }
    return -1;
}

std::string ValueLabel(double value, int decimals)
{
    if (decimals >= 0)
        return Fixed(value, decimals);
    // The shortest form that reads back, written out (600000, not 6e+05)
    // wherever that stays short.
    char buf[400];
    const double a = std::fabs(value);
    const auto res = a == 0 || (a >= 1e-6 && a < 1e15)
                         ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                         : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string CsvField(const std::string& text)
{
    // A text that a spreadsheet would take for a formula (=, +, -, @, or a tab
    // or return before one) gets a leading apostrophe and quotes, so that it
    // stays text: OWASP's rule against CSV injection.
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
    if (!formula && text.find_first_of(",\"\n\r") == std::string::npos)
        return text;
    std::string out = formula ? "\"'" : "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string Fixed(double value, int decimals)
{
    ScopedCNumbers numbers;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}
