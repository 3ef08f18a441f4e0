#include "RecordCheck.h"

#include "NumericLocale.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

std::string Number(double v) { return MessageNumber(v); }

} // namespace

// The label under which the input tables show a field: a layer's field under
// "第N层" and its column title.
std::string FieldLabel(const std::string& field)
{
    std::string prefix;
    const FieldDef* f = FindRecordField(field);
    if (!f && field.rfind("TuCeng[", 0) == 0) {
        const size_t close = field.find("].");
        if (close != std::string::npos) {
            prefix = "第" + std::to_string(std::atoi(field.c_str() + 7) + 1) + "层 ";
            f = FindLayerField(field.substr(close + 2));
        }
    }
    if (!f || !f->label)
        return field;
    return prefix + FieldLabelText(*f);
}

namespace {

std::string Label(const std::string& field) { return FieldLabel(field); }

struct Checker {
    const CPelvorinData& record;
    std::string* problem;
    std::string* chinese;
    bool ok = true;

    bool Fail(const std::string& field, const std::string& what, const std::string& zh)
    {
        if (ok && problem)
            *problem = field + " (" + Label(field) + "): " + what;
        if (ok && chinese)
            *chinese = "“" + Label(field) + "”" + zh;
        ok = false;
        return false;
    }

    // Within the field's range for this record; NaN and infinity never pass.
    bool Range(const std::string& key, const FieldDef& f, double v)
    {
        if (!ok)
            return false;
        if (FieldInRange(f, v, record))
            return true;
        const double lo = f.lo, hi = FieldHigh(f, record);
        return Fail(key,
                    FieldWhat(f) + " must lie in " + Number(lo) + " .. " + (f.openTop ? "<" : "") + Number(hi) +
                        " (is " + Number(v) + ")",
                    "应在 " + Number(lo) + " 到 " + Number(hi) + (f.openTop ? "（不含）" : "") + " 之间，输入值为 " +
                        Number(v));
    }

    bool Choice(const std::string& key, const FieldDef& f, int v)
    {
        if (!ok)
            return false;
        for (const FieldChoice& c : f.choices)
            if (v == c.value)
                return true;
        // Listed in ascending order, as a reader looks for a value.
        std::vector<int> allowed;
        for (const FieldChoice& c : f.choices)
            allowed.push_back(c.value);
        std::sort(allowed.begin(), allowed.end());
        std::string list;
        for (int a : allowed)
            list += (list.empty() ? "" : ", ") + std::to_string(a);
        return Fail(key, FieldWhat(f) + " must be one of " + list + " (is " + std::to_string(v) + ")",
                    "应为 " + list + " 之一，输入值为 " + std::to_string(v));
    }

    void Field(const std::string& key, const FieldDef& f, double v)
    {
        if (f.choices.empty())
            Range(key, f, v);
        else
            Choice(key, f, static_cast<int>(v));
    }
};

} // namespace

bool CheckKangLiData(const CPelvorinData& r, std::string* problem) { return CheckKangLiData(r, problem, nullptr); }

bool CheckKangLiData(const CPelvorinData& r, std::string* problem, std::string* chinese)
{
    Checker c{r, problem, chinese};
    for (const FieldDef* f : CheckedRecordFields())
        if (f->checkedAlways || FieldApplies(*f, r))
            c.Field(f->key, *f, FieldValue(*f, r));
    if (c.ok && r.nTuCengShu != static_cast<int>(r.TuCeng.size()))
        c.Fail("nTuCengShu",
               "layer count " + std::to_string(r.nTuCengShu) + " but " + std::to_string(r.TuCeng.size()) +
                   " layers given",
               "为 " + std::to_string(r.nTuCengShu) + "，而给出了 " + std::to_string(r.TuCeng.size()) + " 层");
    for (size_t i = 0; c.ok && i < r.TuCeng.size(); ++i) {
        const CTuCeng& l = r.TuCeng[i];
        const std::string p = "TuCeng[" + std::to_string(i) + "].";
        for (const FieldDef* f : CheckedLayerFields())
            if (FieldApplies(*f, r, &l))
                c.Field(p + f->key, *f, FieldValue(*f, l));
    }
    return c.ok;
}
