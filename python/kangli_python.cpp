// `import kangli`: records, the calculation, sweeps, drawings and books from
// Python, over the same engine as the command line.
//
//   r = kangli.Record.load("examples/circular-pile-into-rock.json")
//   r.fZhuangJianJu = 3.5
//   res = kangli.calculate(r)
//   res.depth, res.final      # NumPy float32 arrays, from the foot to the top
//   res.at_slip, res.governs  # the resistance at the slip surface and its side
#include "CanvasWriters.h"
#include "FieldTable.h"
#include "ForcesBook.h"
#include "ForcesJson.h"
#include "JsonKit.h"
#include "KangLiJiSuan.h"
#include "NumericLocale.h"
#include "PelvorinData.h"
#include "PileForces.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "RecordFile.h"
#include "ReportFiles.h"
#include "ResultColumns.h"
#include "Study.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <deque>
#include <limits>

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

// A new record: the defaults and two default layers, as `kangli new` writes it.
CPelvorinData NewRecord()
{
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    r.nTuCengShu = 2;
    return r;
}

// A layer of a record as Python sees it through r.TuCeng[i]: it reads and
// writes the record's own layer, so that r.TuCeng[0].fMoCaJiao = 30 changes the
// record; once the record has no layer i any more, using it raises.
struct LayerView {
    py::object owner; // the Record, kept alive
    size_t index = 0;
    CTuCeng& Get() const
    {
        CPelvorinData& r = owner.cast<CPelvorinData&>();
        if (index >= r.TuCeng.size())
            throw py::index_error("layer " + std::to_string(index) + ": the record now has " +
                                  std::to_string(r.TuCeng.size()) + " layers");
        return r.TuCeng[index];
    }
};
// r.TuCeng: the record's layers as a sequence of LayerView.
struct LayerList {
    py::object owner;
    CPelvorinData& Record() const { return owner.cast<CPelvorinData&>(); }
    size_t Index(py::ssize_t i) const
    {
        const auto n = static_cast<py::ssize_t>(Record().TuCeng.size());
        if (i < 0)
            i += n;
        if (i < 0 || i >= n)
            throw py::index_error("layer index out of range (the record has " + std::to_string(n) + " layers)");
        return static_cast<size_t>(i);
    }
};

// Anchor i of a design block (d.MaoSuo[i]): reads and writes the block's own
// cable, as a record's layer does.
struct AnchorView {
    py::object owner; // the Design, kept alive
    size_t index = 0;
    CMaoSuo& Get() const
    {
        CSheJi& d = owner.cast<CSheJi&>();
        if (index >= d.MaoSuo.size())
            throw py::index_error("anchor " + std::to_string(index) + ": the block now has " +
                                  std::to_string(d.MaoSuo.size()) + " anchor cables");
        return d.MaoSuo[index];
    }
};
struct AnchorList {
    py::object owner;
    CSheJi& Design() const { return owner.cast<CSheJi&>(); }
    size_t Index(py::ssize_t i) const
    {
        const auto n = static_cast<py::ssize_t>(Design().MaoSuo.size());
        if (i < 0)
            i += n;
        if (i < 0 || i >= n)
            throw py::index_error("anchor index out of range (the block has " + std::to_string(n) + " anchor cables)");
        return static_cast<size_t>(i);
    }
};

// A cable given from Python: an Anchor, a cable of some block, or a dict of
// the JSON form's keys (each checked by name).
CMaoSuo AnchorOf(const py::handle& h, size_t index)
{
    if (py::isinstance<AnchorView>(h))
        return h.cast<const AnchorView&>().Get();
    if (py::isinstance<CMaoSuo>(h))
        return h.cast<const CMaoSuo&>();
    const std::string at = "SheJi.MaoSuo[" + std::to_string(index) + "]";
    if (!py::isinstance<py::dict>(h))
        throw py::type_error(at + ": expected a kangli.Anchor or a dict, found " +
                             std::string(py::str(py::type::of(h).attr("__name__"))));
    CMaoSuo a;
    for (const auto& [k, v] : h.cast<py::dict>()) {
        const std::string key = py::str(k);
        const AnchorFieldDef* f = FindAnchorField(key);
        if (!f) {
            std::vector<std::string> keys;
            for (const AnchorFieldDef& d : AnchorFields())
                keys.push_back(d.key);
            const std::string near = NearestKey(key, keys);
            throw py::key_error(at + "." + key + ": unknown key" + (near.empty() ? "" : "; did you mean " + near + "?"));
        }
        py::object value = py::reinterpret_borrow<py::object>(v);
        if (value.attr("__class__").attr("__module__").cast<std::string>() == "numpy")
            value = value.attr("item")();
        if (py::isinstance<py::bool_>(value) || !(py::isinstance<py::float_>(value) || py::isinstance<py::int_>(value)))
            throw py::type_error(at + "." + key + ": expected a number, found " +
                                 std::string(py::str(py::type::of(value).attr("__name__"))));
        const double x = value.cast<double>();
        if (!std::isfinite(x) || std::fabs(x) > FLT_MAX)
            throw py::value_error(at + "." + key + ": not a finite 32-bit real");
        a.*f->real = static_cast<float>(x);
    }
    return a;
}

void SetAnchors(CSheJi& d, const py::iterable& anchors)
{
    std::vector<CMaoSuo> list;
    for (const py::handle& h : anchors) {
        if (list.size() >= static_cast<size_t>(kMaxMaoSuoShu))
            throw py::value_error("SheJi.MaoSuo: at most " + std::to_string(kMaxMaoSuoShu) + " anchor cables");
        list.push_back(AnchorOf(h, list.size()));
    }
    d.MaoSuo = std::move(list);
}

std::string AnchorRepr(const CMaoSuo& a)
{
    char buf[200];
    std::snprintf(buf, sizeof buf, "<kangli.Anchor at %g m, %g degrees, %g kN/m, locked off at %g kN>", a.fShenDu,
                  a.fQingJiao, a.fGangDu, a.fYuLi);
    return buf;
}

// A layer given from Python: a Layer, or a layer of some record.
CTuCeng LayerOf(const py::handle& h)
{
    if (py::isinstance<LayerView>(h))
        return h.cast<const LayerView&>().Get();
    if (py::isinstance<CTuCeng>(h))
        return h.cast<const CTuCeng&>();
    throw py::type_error("expected a kangli.Layer, found " + std::string(py::str(py::type::of(h).attr("__name__"))));
}

// Setting the list sets the layer count too.
void SetLayers(CPelvorinData& r, const py::iterable& layers)
{
    std::vector<CTuCeng> list;
    for (const py::handle& h : layers) {
        if (list.size() >= static_cast<size_t>(kMaxTuCengShu))
            throw py::value_error("more than " + std::to_string(kMaxTuCengShu) + " layers: a record holds at most " +
                                  std::to_string(kMaxTuCengShu));
        list.push_back(LayerOf(h));
    }
    r.TuCeng = std::move(list);
    r.nTuCengShu = static_cast<int>(r.TuCeng.size());
}

// A value for a 32-bit real field: refused where the record could not hold it.
float RealValue(const FieldDef& f, double v)
{
    if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
        throw py::value_error(std::string(f.key) + ": " + MessageNumber(v) +
                              " cannot be held by the record (a finite 32-bit real)");
    return static_cast<float>(v);
}

// A 32-bit real as briefly as it reads back: 1.2, not 1.2000000476837158.
std::string Short(float v)
{
    char buf[32];
    // Fixed where that is short (100000, not 1e+05), the shortest form otherwise.
    const float a = std::fabs(v);
    const auto res = a == 0 || (a >= 1e-4f && a < 1e12f) ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed)
                                                        : std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string LayerRepr(const CTuCeng& l)
{
    return std::string("<kangli.Layer ") + (l.nLeiXing == 1 ? "rock" : l.nLeiXing == 0 ? "soil" : "type " + std::to_string(l.nLeiXing)) +
           ", " + Short(l.fHouDu) + " m thick, c " + Short(l.fNianJuLi) + " kPa, phi " +
           Short(l.fMoCaJiao) + " degrees>";
}

std::string RecordRepr(const CPelvorinData& r)
{
    std::string section = r.nJieMianXingZhuang == 0   ? "circular pile d " + Short(r.fZhuangJing) + " m"
                          : r.nJieMianXingZhuang == 1 ? "rectangular pile " + Short(r.fZhuangKuan) + " x " +
                                                            Short(r.fZhuangGao) + " m"
                                                      : "section shape " + std::to_string(r.nJieMianXingZhuang);
    return "<kangli.Record " + section + ", " + Short(r.fZhuangChang) + " m long, every " +
           Short(r.fZhuangJianJu) + " m, C" + std::to_string(r.nHunNingTuDengJi) + ", slip surface " +
           Short(r.fHuaMianDaoZhuangDing) + " m down, " + std::to_string(r.TuCeng.size()) + " layers>";
}

// A path handed to C: a NUL inside would cut it short, and the file named
// would be another one.
std::string PathOf(const std::string& path)
{
    if (path.find('\0') != std::string::npos)
        throw py::value_error("path contains a NUL character: " + JsonKit::PrintableKey(path));
    if (path.empty())
        throw py::value_error("empty path");
    return path;
}

struct Result {
    int status = 0;
    std::string message;
    // The per-point columns of the result table (kResultColumns), in its order;
    // each array owns its memory: it outlives the result it came from.
    std::array<py::array_t<float>, kResultColumns.size()> columns;
    double at_slip = std::numeric_limits<double>::quiet_NaN();
    double pile_at_slip = std::numeric_limits<double>::quiet_NaN();
    double ground_at_slip = std::numeric_limits<double>::quiet_NaN();
    std::string governs;
};

Result Calculate(const CPelvorinData& record)
{
    CPelvorinData calculated;
    StudyResult s;
    {
        py::gil_scoped_release free;
        s = Study(record, &calculated, nullptr); // a copy: the caller's record stays as it was
    }
    Result r;
    r.status = s.status;
    r.message = s.message;
    // A refused record has no points.
    const size_t n = s.status != 1 ? 0
                                   : std::min({calculated.pDianZuoBiao->size(), calculated.TuKangLi.size(),
                                               calculated.ZhuangKangLi.size(), calculated.ZuiZhongKangLi.size()});
    for (size_t c = 0; c < kResultColumns.size(); ++c) {
        py::array_t<float> a(static_cast<py::ssize_t>(n));
        for (size_t i = 0; i < n; ++i)
            a.mutable_data()[i] = ResultValue(calculated, c, i);
        r.columns[c] = std::move(a);
    }
    if (s.status == 1) {
        r.at_slip = s.atSlip;
        r.pile_at_slip = s.pile;
        r.ground_at_slip = s.ground;
        r.governs = s.governs == 'P' ? "pile" : "ground";
    }
    return r;
}

[[noreturn]] void Raise(const std::string& where, const std::string& what)
{
    throw py::value_error(where.empty() ? what : where + ": " + what);
}

// A NumPy number (numpy.float32(3), numpy.int64(1)): JSON takes it as the
// Python number it holds.
bool IsNumpyScalar(const py::handle& value)
{
    const py::object numpy = py::module_::import("sys").attr("modules").attr("get")("numpy");
    return !numpy.is_none() && py::isinstance(value, numpy.attr("generic"));
}

// The key of the first number in a dict or list that is not finite
// ("SheJi.fTuiLi", "TuCeng[1].fHouDu"), empty when there is none: JSON has no
// NaN, so the reader would refuse the text without naming where.
std::string NonFiniteKey(const py::handle& value, const std::string& key)
{
    if (IsNumpyScalar(value))
        return NonFiniteKey(value.attr("item")(), key);
    if (py::isinstance<py::float_>(value)) {
        const double v = value.cast<double>();
        return std::isfinite(v) ? "" : key.empty() ? "(the value)" : key;
    }
    if (py::isinstance<py::dict>(value)) {
        for (const auto& item : value.cast<py::dict>()) {
            const std::string name = py::str(item.first);
            const std::string found = NonFiniteKey(item.second, key.empty() ? name : key + "." + name);
            if (!found.empty())
                return found;
        }
    } else if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
        size_t i = 0;
        for (const py::handle& item : value) {
            const std::string found = NonFiniteKey(item, key + "[" + std::to_string(i++) + "]");
            if (!found.empty())
                return found;
        }
    }
    return "";
}

// "declared" or "none", as kangli draw --units names them: whether a DXF
// declares no unit.
bool Unitless(const std::string& units)
{
    if (units != "declared" && units != "none")
        Raise("", "units \"" + units + "\": expected \"declared\" or \"none\"");
    return units == "none";
}

// The JSON text of a dict given for a record or a part of one.
std::string JsonOf(const py::handle& d, const std::string& key)
{
    const std::string bad = NonFiniteKey(d, key);
    if (!bad.empty())
        Raise("", "key \"" + bad + "\": not a finite number (JSON has no NaN or infinity)");
    const py::cpp_function plain([](py::handle o) -> py::object {
        if (IsNumpyScalar(o))
            return o.attr("item")();
        throw py::type_error(std::string(py::str(py::type::of(o).attr("__name__"))) + " is not a value of a record");
    });
    return py::cast<std::string>(py::module_::import("json").attr("dumps")(d, "default"_a = plain));
}

// A design block as its non-default keys: what makes this block this block.
std::string DesignRepr(const CSheJi& d)
{
    const CSheJi defaults;
    std::string out = "<kangli.Design fTuiLi=" + Short(d.fTuiLi) + " kN/m";
    for (const DesignFieldDef& f : DesignFields()) {
        if (std::string(f.key) == "fTuiLi" || DesignValue(f, d) == DesignValue(f, defaults))
            continue;
        out += " " + std::string(f.key) + "=" + (f.real ? Short(d.*f.real) : std::to_string(d.*f.integer));
    }
    return out + ">";
}

// What a sweep gave, per combination on a grid with one axis per key (in the
// dict's order): the resistance at the slip surface with Fv, Ev, the side that
// governs, the concrete, the status and the reason of a refusal; and the axes.
struct SweepResult {
    std::vector<std::string> keys;
    std::vector<py::array_t<double>> values;
    py::array_t<double> at_slip, pile, ground, concrete;
    py::array_t<int> status;
    py::object governs, message; // NumPy arrays of str
};

py::array_t<double> Grid(const std::vector<py::ssize_t>& shape, const std::vector<StudyPoint>& points,
                         double (*of)(const StudyResult&))
{
    py::array_t<double> out(shape);
    double* d = out.mutable_data();
    for (size_t i = 0; i < points.size(); ++i)
        d[i] = points[i].result.status == 1 ? of(points[i].result) : std::numeric_limits<double>::quiet_NaN();
    return out;
}

// The ranges a dict gives, checked as the command line checks them, with its
// warnings; and every combination calculated in slices that Ctrl-C stops.
std::vector<StudyRange> RangesOf(const CPelvorinData& record, const py::dict& vary);
std::vector<StudyPoint> CalculateInSlices(const CPelvorinData& record, const std::vector<StudyRange>& ranges,
                                          bool withForces);

SweepResult SweepGrid(const CPelvorinData& record, const py::dict& vary)
{
    const std::vector<StudyRange> ranges = RangesOf(record, vary);
    const std::vector<StudyPoint> points = CalculateInSlices(record, ranges, false);
    std::vector<py::ssize_t> shape;
    SweepResult out;
    for (const StudyRange& r : ranges) {
        shape.push_back(static_cast<py::ssize_t>(r.values.size()));
        out.keys.push_back(r.key);
        py::array_t<double> axis(static_cast<py::ssize_t>(r.values.size()));
        std::copy(r.values.begin(), r.values.end(), axis.mutable_data());
        out.values.push_back(axis);
    }
    out.at_slip = Grid(shape, points, [](const StudyResult& r) { return r.atSlip; });
    out.pile = Grid(shape, points, [](const StudyResult& r) { return r.pile; });
    out.ground = Grid(shape, points, [](const StudyResult& r) { return r.ground; });
    out.concrete = Grid(shape, points, [](const StudyResult& r) { return r.concrete; });
    out.status = py::array_t<int>(shape);
    py::list governs, message;
    for (size_t i = 0; i < points.size(); ++i) {
        const StudyResult& r = points[i].result;
        out.status.mutable_data()[i] = r.status;
        governs.append(r.status != 1 ? "" : r.governs == 'P' ? "pile" : "ground");
        message.append(r.message);
    }
    py::module_ np = py::module_::import("numpy");
    out.governs = np.attr("array")(governs, "dtype"_a = "object").attr("reshape")(py::tuple(py::cast(shape)));
    out.message = np.attr("array")(message, "dtype"_a = "object").attr("reshape")(py::tuple(py::cast(shape)));
    return out;
}

// What kangli.design gave: the answers, least material first, and every
// combination with its checks.
struct DesignResult {
    double thrust = 0;
    std::vector<std::string> keys;
    py::list answers;
    py::object combinations;
};

DesignResult DesignSearch(const CPelvorinData& record, const py::dict& vary, const py::object& thrustGiven)
{
    const bool designed = record.bSheJi != 0;
    double thrust = 0;
    if (designed && !thrustGiven.is_none())
        Raise("", "the design block gives the thrust (SheJi.fTuiLi less SheJi.fQianKangLi, " +
                      Fixed(DesignThrust(record), 3) + " kN/m); thrust is for a record without one");
    if (designed)
        thrust = DesignThrust(record);
    else if (thrustGiven.is_none())
        Raise("", "thrust is required: the record has no design block (SheJi) to give it");
    else if (py::isinstance<py::bool_>(thrustGiven) || !PyNumber_Check(thrustGiven.ptr()) ||
             py::isinstance<py::str>(thrustGiven))
        throw py::type_error("thrust: expected a number of kN/m, found " +
                             std::string(py::str(py::type::of(thrustGiven).attr("__name__"))));
    else
        thrust = py::cast<double>(py::float_(thrustGiven));
    if (!(thrust >= 0.001 && thrust <= 1e9))
        Raise("", designed ? "SheJi.fTuiLi less SheJi.fQianKangLi must be at least 0.001 kN/m"
                           : "thrust must lie between 0.001 and 1000000000 kN/m");
    const std::vector<StudyRange> ranges = RangesOf(record, vary);
    const std::vector<StudyPoint> points = CalculateInSlices(record, ranges, designed);
    DesignResult out;
    out.thrust = thrust;
    for (const StudyRange& r : ranges)
        out.keys.push_back(r.key);
    auto row = [&](const StudyPoint& p) {
        py::dict d;
        for (size_t k = 0; k < ranges.size(); ++k)
            d[py::str(ranges[k].key)] = p.values[k];
        const StudyResult& r = p.result;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const bool ok = r.status == 1;
        d["status"] = r.status;
        d["concrete"] = ok ? r.concrete : nan;
        d["steel"] = ok && r.designed ? r.steel : nan;
        d["at_slip"] = ok ? r.atSlip : nan;
        d["governs"] = !ok ? "" : r.governs == 'P' ? "pile" : "ground";
        d["passes"] = ok && r.atSlip >= thrust && (!r.designed || r.passes);
        d["governing"] = r.designed ? r.governing : std::string(ok ? "resistance" : "");
        d["margin"] = !ok ? nan : r.designed ? r.margin : 1 - thrust / r.atSlip;
        d["failed"] = r.designed ? r.failed : std::string(ok && r.atSlip < thrust ? "resistance" : "");
        d["message"] = r.message;
        return d;
    };
    for (const StudyPoint* p : RankDesigns(points, thrust).carrying)
        out.answers.append(row(*p));
    py::list all;
    for (const StudyPoint& p : points)
        all.append(row(p));
    // A DataFrame where pandas is installed, the rows as dicts otherwise.
    try {
        out.combinations = py::module_::import("pandas").attr("DataFrame")(all);
    } catch (const py::error_already_set& e) {
        if (!e.matches(PyExc_ImportError))
            throw;
        out.combinations = all;
    }
    return out;
}

std::vector<StudyRange> RangesOf(const CPelvorinData& record, const py::dict& vary)
{
    std::vector<StudyRange> ranges;
    for (const auto& item : vary) {
        StudyRange range;
        if (!py::isinstance<py::str>(item.first))
            throw py::type_error("a key is a str such as \"fZhuangJianJu\"");
        range.key = py::cast<std::string>(item.first);
        if (py::isinstance<py::str>(item.second) || py::isinstance<py::bytes>(item.second))
            Raise("", "key \"" + range.key + "\": expected a sequence of numbers, found a string");
        if (!py::isinstance<py::iterable>(item.second))
            Raise("", "key \"" + range.key + "\": expected a sequence of numbers");
        for (const auto& v : py::iterable(py::reinterpret_borrow<py::object>(item.second))) {
            if (range.values.size() >= 1000000)
                Raise("", "key \"" + range.key + "\": more than a million values");
            // A bool or a string is not a value of an input; numbers, NumPy's too, are.
            if (py::isinstance<py::bool_>(v) || !PyNumber_Check(v.ptr()))
                Raise("", "key \"" + range.key + "\": " + std::string(py::repr(v)) + " is not a number");
            range.values.push_back(py::cast<double>(py::float_(py::reinterpret_borrow<py::object>(v))));
        }
        ranges.push_back(std::move(range));
    }
    if (ranges.empty())
        Raise("", "nothing to vary");
    // As the command line: a table, a chart or a ranking reads up to three axes.
    if (ranges.size() > 3)
        Raise("", "give one, two or three keys to vary (" + std::to_string(ranges.size()) + " given)");
    // The command line's checks: "TuCeng[02].x" and "TuCeng[2].x" are one input.
    std::string why;
    if (!CheckStudyRanges(record, ranges, &why))
        Raise("", why);
    for (const std::string& warning : StudyWarnings(record, ranges))
        PyErr_WarnEx(PyExc_UserWarning, warning.c_str(), 1);
    return ranges;
}

std::vector<StudyPoint> CalculateInSlices(const CPelvorinData& record, const std::vector<StudyRange>& ranges,
                                          bool withForces)
{
    std::vector<StudyPoint> points;
    try {
        points = StudyCombinations(ranges);
    } catch (const std::bad_alloc&) {
        PyErr_SetString(PyExc_MemoryError, ("kangli.sweep: out of memory for " + Fixed(StudyCombinationCount(ranges), 0) +
                                            " combinations; ask for fewer").c_str());
        throw py::error_already_set();
    }
    // In slices of about a tenth of a second on one core, so that Ctrl-C (or
    // any signal Python handles) is acted on between them.
    constexpr size_t kSlice = 4096;
    // With the internal forces a combination costs some ten times more:
    // smaller slices keep Ctrl-C as prompt.
    const size_t slice = withForces ? kSlice / 8 : kSlice;
    for (size_t begin = 0; begin < points.size(); begin += slice) {
        {
            py::gil_scoped_release free;
            CalculateStudyPoints(record, ranges, points, begin, begin + slice, withForces);
        }
        if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
    }
    return points;
}

// A field's docstring: its label in the input tables, what it is, its unit, what
// the calculation takes and when, and its default, e.g. "内摩擦角(°): friction
// angle, degrees; 0 .. <90; default 15".
std::string FieldDoc(const FieldDef& f)
{
    const std::string label = FieldLabelText(f);
    std::string doc = label.empty() ? f.name : label + ": " + f.name;
    if (*f.unit)
        doc += std::string(", ") + f.unit;
    if (f.ranged || !f.choices.empty())
        doc += "; " + FieldRangeText(f);
    switch (f.when) {
    case FieldWhen::Always:
        break;
    case FieldWhen::Rectangle:
        doc += ", only for a rectangle";
        break;
    case FieldWhen::Circle:
        doc += ", only for a circle";
        break;
    case FieldWhen::Water:
        doc += ", only with groundwater";
        break;
    case FieldWhen::SoilUnderWater:
        doc += ", only for soil with groundwater";
        break;
    case FieldWhen::Design:
        doc += ", the ground below the slip surface for the internal forces (a record with SheJi)";
        break;
    }
    return doc + "; default " + MessageNumber(f.defaultValue);
}

// An attribute per row of the field table, read and written by the member's name.
template <class Owner>
void DefineField(py::class_<Owner>& cls, const FieldDef& f, const char* doc)
{
    if (f.IsReal())
        cls.def_property(
            f.key, [&f](const Owner& o) { return *FieldReal(f, const_cast<Owner&>(o)); },
            [&f](Owner& o, double v) { *FieldReal(f, o) = RealValue(f, v); }, doc);
    else
        cls.def_property(
            f.key, [&f](const Owner& o) { return *FieldInteger(f, const_cast<Owner&>(o)); },
            [&f](Owner& o, int v) { *FieldInteger(f, o) = v; }, doc);
}

// The same on a layer of a record.
void DefineViewField(py::class_<LayerView>& cls, const FieldDef& f, const char* doc)
{
    if (f.IsReal())
        cls.def_property(
            f.key, [&f](const LayerView& v) { return *FieldReal(f, v.Get()); },
            [&f](LayerView& v, double x) { *FieldReal(f, v.Get()) = RealValue(f, x); }, doc);
    else
        cls.def_property(
            f.key, [&f](const LayerView& v) { return *FieldInteger(f, v.Get()); },
            [&f](LayerView& v, int x) { *FieldInteger(f, v.Get()) = x; }, doc);
}

const char* Doc(const FieldDef& f)
{
    // pybind11 keeps the pointer it is given for a property's docstring.
    static std::deque<std::string> docs;
    return docs.emplace_back(FieldDoc(f)).c_str();
}

// A result column's docstring: "土抗力(kN/m) per calculation point, foot first".
const char* ColumnDoc(const ResultColumn& c)
{
    static std::deque<std::string> docs; // pybind11 keeps the pointer
    return docs.emplace_back(ResultColumnTitle(c) + " per calculation point, foot first").c_str();
}

} // namespace

PYBIND11_MODULE(kangli, m)
{
    m.doc() = "Resistance of anti-slide piles (抗滑桩抗力计算): records, the calculation, sweeps, "
              "drawings and calculation books.";
    m.attr("__version__") = KANGLI_VERSION;

    py::class_<CTuCeng> layer(m, "Layer", "A soil or rock layer in front of the pile, top down.");
    layer.def(py::init<>()).def("__repr__", &LayerRepr);
    for (const FieldDef& f : LayerFields())
        DefineField(layer, f, Doc(f));

    py::class_<LayerView> view(m, "RecordLayer",
                               "Layer i of a record (r.TuCeng[i]): reading and writing it reads and writes the "
                               "record's own layer.");
    view.def("__repr__", [](const LayerView& v) { return LayerRepr(v.Get()); })
        .def("copy", [](const LayerView& v) { return v.Get(); }, "A kangli.Layer with the same values.");
    for (const FieldDef& f : LayerFields())
        DefineViewField(view, f, Doc(f));

    py::class_<LayerList>(m, "RecordLayers", "The layers of a record, top down (r.TuCeng).")
        .def("__len__", [](const LayerList& l) { return l.Record().TuCeng.size(); })
        .def("__getitem__", [](const LayerList& l, py::ssize_t i) { return LayerView{l.owner, l.Index(i)}; })
        .def("__setitem__",
             [](const LayerList& l, py::ssize_t i, const py::object& layer) {
                 const CTuCeng value = LayerOf(layer);
                 l.Record().TuCeng[l.Index(i)] = value;
             })
        .def("__iter__",
             [](const LayerList& l) {
                 py::list views;
                 for (size_t i = 0; i < l.Record().TuCeng.size(); ++i)
                     views.append(LayerView{l.owner, i});
                 return py::iter(views);
             })
        .def("__repr__", [](const LayerList& l) {
            std::string out = "[";
            for (const CTuCeng& layer : l.Record().TuCeng)
                out += (out.size() > 1 ? ", " : "") + LayerRepr(layer);
            return out + "]";
        });

    py::class_<CPelvorinData> record(m, "Record", "The input record of a resistance calculation.");
    record.def(py::init(&NewRecord), "A new record: the defaults and two default layers.")
        .def("__repr__", &RecordRepr)
        .def_static(
            "load",
            [](const std::string& path) {
                CPelvorinData r;
                std::string error;
                if (!LoadRecordFile(PathOf(path), r, &error))
                    Raise(path, error);
                return r;
            },
            py::arg("path"),
            "Reads a data file, or JSON when the name ends in .json, as kangli calc reads it (a JSON record "
            "without TuCeng has no layers).")
        .def(
            "save",
            [](CPelvorinData& r, const std::string& path) {
                // A data file that would read back as another record is refused
                // naming the key (the rule lives in SaveRecordFile): save as .json.
                std::string error;
                if (!SaveRecordFile(PathOf(path), r, &error))
                    Raise(path, error + (IsJsonPath(PathOf(path)) ? "" : "; save as .json"));
            },
            py::arg("path"), "Writes a data file, or JSON when the name ends in .json; whole or not at all.")
        .def(
            "to_dict",
            [](const CPelvorinData& r) { return py::module_::import("json").attr("loads")(RecordToJson(r)); },
            "The JSON form of the record as a dict.")
        .def_static(
            "from_dict",
            [](const py::dict& d) {
                CPelvorinData r;
                std::string error;
                const std::string text = JsonOf(d, "");
                if (!RecordFromJson(text, r, &error))
                    Raise("", error);
                return r;
            },
            py::arg("d"), "A record from the JSON form's dict, read as Record.load reads a JSON file.")
        .def("copy", [](const CPelvorinData& r) { return CPelvorinData(r); })
        .def_readwrite("strWenJianMing", &CPelvorinData::strWenJianMing, "file-name stem")
        .def_readwrite("strBiaoTi", &CPelvorinData::strBiaoTi, "title")
        .def_property(
            "TuCeng", [](py::object self) { return LayerList{std::move(self)}; },
            [](CPelvorinData& r, const py::iterable& layers) { SetLayers(r, layers); },
            "The layers, top down: r.TuCeng[i].fMoCaJiao = 30 changes the record; setting a list of "
            "kangli.Layer replaces them and sets nTuCengShu.");
    for (const FieldDef& f : RecordFields())
        DefineField(record, f, Doc(f));

    py::class_<Result> result(m, "Result", "What a calculation gave.");
    result.def_readonly("status", &Result::status, "1 calculated, 0 refused")
        .def_readonly("message", &Result::message, "why the record was refused");
    // The per-point columns by their keys in the result table, as the command
    // line and the window name them.
    for (size_t c = 0; c < kResultColumns.size(); ++c)
        result.def_property_readonly(
            kResultColumns[c].key, [c](const Result& r) { return r.columns[c]; },
            ColumnDoc(kResultColumns[c]));
    result.def_readonly("at_slip", &Result::at_slip, "the resistance at the slip surface, kN/m")
        .def_readonly("pile_at_slip", &Result::pile_at_slip, "Fv at the slip surface, kN/m")
        .def_readonly("ground_at_slip", &Result::ground_at_slip, "Ev at the slip surface, kN/m")
        .def_readonly("governs", &Result::governs, "\"pile\" or \"ground\"")
        .def("__repr__", [](const Result& r) {
            return r.status == 1 ? "<kangli.Result " + Fixed(r.at_slip, 3) + " kN/m at the slip surface, " +
                                       r.governs + " governs>"
                                 : "<kangli.Result refused: " + r.message + ">";
        });

    py::class_<CSheJi> design(m, "Design",
                              "The design block of a record (SheJi): the landslide thrust, the ground below the "
                              "slip surface, the foot, the factors and the allowables.");
    design.def(py::init<>(), "A design block with its defaults.")
        .def("__repr__", &DesignRepr)
        .def(
            "to_dict",
            [](const CSheJi& d) {
                CPelvorinData r;
                InitKangLiData(&r);
                r.SheJi = d;
                r.bSheJi = 1;
                const py::object whole = py::module_::import("json").attr("loads")(RecordToJson(r));
                return py::object(whole["SheJi"]);
            },
            "The block as the JSON form's SheJi dict.");
    for (const DesignFieldDef& f : DesignFields()) {
        const std::string doc = std::string(f.label) + ": " + f.what;
        if (f.real)
            design.def_property(
                f.key, [member = f.real](const CSheJi& d) { return d.*member; },
                [member = f.real, key = std::string(f.key)](CSheJi& d, py::object value) {
                    if (IsNumpyScalar(value))
                        value = value.attr("item")();
                    if (py::isinstance<py::bool_>(value) || !(py::isinstance<py::float_>(value) || py::isinstance<py::int_>(value)))
                        throw py::type_error("SheJi." + key + ": expected a number, found " +
                                             std::string(py::str(py::type::of(value).attr("__name__"))));
                    const double v = value.cast<double>();
                    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX)
                        throw py::value_error("SheJi." + key + ": not a finite 32-bit real");
                    d.*member = static_cast<float>(v);
                },
                doc.c_str());
        else
            design.def_property(
                f.key, [member = f.integer](const CSheJi& d) { return d.*member; },
                [member = f.integer, key = std::string(f.key)](CSheJi& d, py::object value) {
                    if (IsNumpyScalar(value))
                        value = value.attr("item")();
                    if (py::isinstance<py::bool_>(value) || !py::isinstance<py::int_>(value))
                        throw py::type_error("SheJi." + key + ": expected a whole number, found " +
                                             std::string(py::str(py::type::of(value).attr("__name__"))));
                    d.*member = value.cast<int>();
                },
                doc.c_str());
    }
    py::class_<CMaoSuo> anchor(m, "Anchor", "A prestressed anchor cable on the pile (SheJi.MaoSuo[i]), per pile.");
    anchor.def(py::init([](const py::kwargs& kw) { return AnchorOf(kw, 0); }),
               "An anchor cable: its defaults, or the keys given (fShenDu=1.5, fQingJiao=25, ...).")
        .def("__repr__", &AnchorRepr)
        .def("__eq__", [](const CMaoSuo& a, const CMaoSuo& b) {
            for (const AnchorFieldDef& f : AnchorFields())
                if (a.*f.real != b.*f.real)
                    return false;
            return true;
        });
    auto anchorDict = [](const CMaoSuo& a) {
        py::dict out;
        for (const AnchorFieldDef& f : AnchorFields())
            out[py::str(f.key)] = static_cast<double>(JsonReal(a.*f.real));
        return out;
    };
    anchor.def("to_dict", anchorDict, "The cable as the JSON form's dict.");
    py::class_<AnchorView> anchorView(m, "DesignAnchor",
                                      "Anchor i of a design block (r.SheJi.MaoSuo[i]): reading and writing it reads "
                                      "and writes the record's own cable.");
    anchorView.def("__repr__", [](const AnchorView& v) { return AnchorRepr(v.Get()); })
        .def("copy", [](const AnchorView& v) { return v.Get(); }, "A kangli.Anchor with the same values.")
        .def("to_dict", [anchorDict](const AnchorView& v) { return anchorDict(v.Get()); },
             "The cable as the JSON form's dict.");
    for (const AnchorFieldDef& f : AnchorFields()) {
        const std::string doc = std::string(f.label) + ": " + f.what + "; " + AnchorRangeText(f);
        auto set = [member = f.real, key = std::string(f.key)](CMaoSuo& a, py::object value) {
            py::dict one;
            one[py::str(key)] = value;
            a.*member = AnchorOf(one, 0).*member;
        };
        anchor.def_property(f.key, [member = f.real](const CMaoSuo& a) { return a.*member; }, set, doc.c_str());
        anchorView.def_property(
            f.key, [member = f.real](const AnchorView& v) { return v.Get().*member; },
            [set](const AnchorView& v, py::object value) { set(v.Get(), value); }, doc.c_str());
    }
    py::class_<AnchorList>(m, "DesignAnchors", "The anchor cables of a design block (r.SheJi.MaoSuo).")
        .def("__len__", [](const AnchorList& l) { return l.Design().MaoSuo.size(); })
        .def("__getitem__", [](const AnchorList& l, py::ssize_t i) { return AnchorView{l.owner, l.Index(i)}; })
        .def("__setitem__",
             [](const AnchorList& l, py::ssize_t i, const py::object& a) {
                 const size_t at = l.Index(i);
                 l.Design().MaoSuo[at] = AnchorOf(a, at);
             })
        .def("__delitem__",
             [](const AnchorList& l, py::ssize_t i) {
                 CSheJi& d = l.Design();
                 d.MaoSuo.erase(d.MaoSuo.begin() + static_cast<std::ptrdiff_t>(l.Index(i)));
             })
        .def("clear", [](const AnchorList& l) { l.Design().MaoSuo.clear(); })
        .def("append",
             [](const AnchorList& l, const py::object& a) {
                 CSheJi& d = l.Design();
                 if (d.MaoSuo.size() >= static_cast<size_t>(kMaxMaoSuoShu))
                     throw py::value_error("SheJi.MaoSuo: at most " + std::to_string(kMaxMaoSuoShu) + " anchor cables");
                 d.MaoSuo.push_back(AnchorOf(a, d.MaoSuo.size()));
             })
        .def("__iter__",
             [](const AnchorList& l) {
                 py::list views;
                 for (size_t i = 0; i < l.Design().MaoSuo.size(); ++i)
                     views.append(AnchorView{l.owner, i});
                 return py::iter(views);
             })
        .def("__repr__", [](const AnchorList& l) {
            std::string out = "[";
            for (const CMaoSuo& a : l.Design().MaoSuo)
                out += (out.size() > 1 ? ", " : "") + AnchorRepr(a);
            return out + "]";
        });
    design.def_property(
        "MaoSuo", [](py::object self) { return AnchorList{self}; },
        [](CSheJi& d, const py::object& anchors) {
            if (py::isinstance<py::dict>(anchors) || py::isinstance<py::str>(anchors) ||
                !py::isinstance<py::iterable>(anchors))
                throw py::type_error("SheJi.MaoSuo: expected a list of kangli.Anchor or dicts, found " +
                                     std::string(py::str(py::type::of(anchors).attr("__name__"))));
            SetAnchors(d, anchors);
        },
        "The anchor cables (锚索), live: d.MaoSuo[0].fYuLi = 800 changes the block; set a list of kangli.Anchor "
        "or dicts.");
    record.def_property(
        "SheJi",
        [](py::object self) -> py::object {
            CPelvorinData& r = self.cast<CPelvorinData&>();
            if (!r.bSheJi)
                return py::none();
            // The record's own block: r.SheJi.fTuiLi = 500 changes the record.
            return py::cast(&r.SheJi, py::return_value_policy::reference_internal, self);
        },
        [](CPelvorinData& r, py::object d) {
            if (d.is_none()) {
                r.bSheJi = 0;
                return;
            }
            if (py::isinstance<CSheJi>(d)) {
                r.SheJi = d.cast<CSheJi>();
                r.bSheJi = 1;
                return;
            }
            if (!py::isinstance<py::dict>(d))
                throw py::type_error("SheJi: expected a kangli.Design, a dict or None, found " +
                                     std::string(py::str(py::type::of(d).attr("__name__"))));
            // Read as a JSON record reads its block: missing keys take their
            // defaults, a wrong or misspelt key is refused by name.
            py::object whole = py::module_::import("json").attr("loads")(RecordToJson(r));
            whole["SheJi"] = d;
            CPelvorinData read;
            std::string error;
            if (!RecordFromJson(JsonOf(whole, ""), read, &error))
                Raise("", error);
            r.SheJi = read.SheJi;
            r.bSheJi = 1;
        },
        "The design block (kangli.Design), or None; set a dict of the JSON form's keys, a Design or None.");

    struct ForcesResult {
        PileForces f;
        // A value of the calculation; NaN where it was refused, as sweeps give.
        double Value(double v) const { return f.status == 1 ? v : std::numeric_limits<double>::quiet_NaN(); }
    };
    // Displacements in mm, as the text, the book, the JSON and the allowables
    // give them (the calculation keeps m).
    auto column = [](const PileForces& f, double PileForcePoint::*field, double scale) {
        py::array_t<double> a(static_cast<py::ssize_t>(f.points.size()));
        auto out = a.mutable_unchecked<1>();
        for (size_t i = 0; i < f.points.size(); ++i)
            out(static_cast<py::ssize_t>(i)) = f.points[i].*field * scale;
        return a;
    };
    auto asDict = [](const ForcesResult& r) {
        return py::module_::import("json").attr("loads")(PileForcesToJson(r.f));
    };
    py::class_<ForcesResult>(m, "Forces",
                             "Internal forces of the pile under its design thrust, as kangli forces gives them: "
                             "depth m, shear kN, moment kN m, displacement mm, rotation rad, stress kPa "
                             "(NaN throughout where the calculation was refused).")
        .def_property_readonly("status", [](const ForcesResult& r) { return r.f.status; }, "1 calculated, 0 refused")
        .def_property_readonly("message", [](const ForcesResult& r) { return r.f.refusal; }, "why it was refused")
        .def_property_readonly("reason", [](const ForcesResult& r) { return r.f.refusal; },
                               "the same as message, under the JSON's name")
        .def_property_readonly("field", [](const ForcesResult& r) { return r.f.refusedField; }, "the key at fault")
        .def_property_readonly(
            "method",
            [](const ForcesResult& r) { return r.f.springs ? std::string("beam on springs") : std::string(1, r.f.method); },
            "the solution: \"K\" or \"m\" (the closed forms), or \"beam on springs\" (anchors or ground by layers)")
        .def_property_readonly(
            "ground", [](const ForcesResult& r) { return r.f.method == 'L' ? std::string("layers") : std::string(1, r.f.method); },
            "the ground below the slip surface: \"K\", \"m\" or \"layers\"")
        .def_property_readonly(
            "anchors", [asDict](const ForcesResult& r) -> py::object {
                return r.f.anchors.empty() ? py::list() : py::object(asDict(r)["anchors"]);
            },
            "each anchor cable: depth (m), force along it and its horizontal pull (kN), slack, inclination, lock_off, "
            "capacity")
        .def_property_readonly(
            "layers", [asDict](const ForcesResult& r) -> py::object {
                return r.f.layers.empty() ? py::list() : py::object(asDict(r)["layers"]);
            },
            "ground by layers: each layer's part along the embedded pile and its largest stress on each face (kPa)")
        .def_property_readonly(
            "reinforcement_other_face", [asDict](const ForcesResult& r) -> py::object {
                return r.f.status == 1 && r.f.otherFace ? py::object(asDict(r)["reinforcement_other_face"]) : py::none();
            },
            "a rectangle's bars on the other face, for the largest moment of the other sign")
        .def_property_readonly("rigid", [](const ForcesResult& r) { return r.f.rigid; })
        .def_property_readonly("coefficient", [](const ForcesResult& r) { return r.Value(r.f.coefficient); },
                               "beta or alpha, 1/m")
        .def_property_readonly("coefficient_length",
                               [](const ForcesResult& r) { return r.Value(r.f.coefficientLength); })
        .def_property_readonly("slip_depth", [](const ForcesResult& r) { return r.Value(r.f.h1); }, "m")
        .def_property_readonly("slip_shear", [](const ForcesResult& r) { return r.Value(r.f.slip.shear); }, "kN")
        .def_property_readonly("slip_moment", [](const ForcesResult& r) { return r.Value(r.f.slip.moment); }, "kN m")
        .def_property_readonly("slip_displacement",
                               [](const ForcesResult& r) { return r.Value(r.f.slip.displacement * 1000); }, "mm")
        .def_property_readonly("slip_rotation", [](const ForcesResult& r) { return r.Value(r.f.slip.rotation); }, "rad")
        .def_property_readonly("top_displacement",
                               [](const ForcesResult& r) { return r.Value(r.f.topDisplacement * 1000); }, "mm")
        .def_property_readonly("max_moment", [](const ForcesResult& r) { return r.Value(r.f.maxMoment.value); }, "kN m")
        .def_property_readonly("max_moment_depth", [](const ForcesResult& r) { return r.Value(r.f.maxMoment.depth); },
                               "m")
        .def_property_readonly("max_shear", [](const ForcesResult& r) { return r.Value(r.f.maxShear.value); }, "kN")
        .def_property_readonly("max_shear_depth", [](const ForcesResult& r) { return r.Value(r.f.maxShear.depth); },
                               "m")
        .def_property_readonly("max_displacement",
                               [](const ForcesResult& r) { return r.Value(r.f.maxDisplacement.value * 1000); }, "mm")
        .def_property_readonly("max_displacement_depth",
                               [](const ForcesResult& r) { return r.Value(r.f.maxDisplacement.depth); }, "m")
        .def_property_readonly("max_stress", [](const ForcesResult& r) { return r.Value(r.f.maxStress.value); },
                               "kPa, the largest stress on the ground from the slip surface down")
        .def_property_readonly("max_stress_depth", [](const ForcesResult& r) { return r.Value(r.f.maxStress.depth); },
                               "m")
        .def_property_readonly("constant_ground", [](const ForcesResult& r) { return r.f.constantGround; },
                               "m method with m = 0: the ground coefficient is the constant A1, classified by beta")
        .def_property_readonly("linear_model_holds", [](const ForcesResult& r) { return r.f.linearModelHolds; },
                               "False when the pile moves or turns too far for a linear ground model")
        .def_property_readonly("linear_model_reason", [](const ForcesResult& r) { return r.f.linearModelReason; })
        .def_property_readonly(
            "rotation_centre",
            [](const ForcesResult& r) -> py::object {
                return r.f.status == 1 && r.f.rotationCentre >= 0 ? py::cast(r.f.rotationCentre) : py::none();
            },
            "depth of a rigid pile's centre of rotation below its top, m; None for an elastic pile")
        .def_property_readonly(
            "checks",
            [](const ForcesResult& r) -> py::object {
                if (r.f.status != 1)
                    return py::list();
                return py::module_::import("json").attr("loads")(PileForceChecksToJson(r.f));
            },
            "the allowables given, each with its key, whether it holds, the worst value, the allowed value, "
            "their unit and where")
        .def_property_readonly(
            "reinforcement",
            [](const ForcesResult& r) -> py::object {
                if (r.f.status != 1)
                    return py::none();
                return py::module_::import("json").attr("loads")(PileReinforcementToJson(r.f.reinforcement));
            },
            "the reinforcement (GB 50010) with every input of its design, as kangli forces --json gives it; "
            "None where refused")
        .def("to_dict", asDict, "Everything, as kangli forces --json prints it.")
        .def_property_readonly(
            "depth", [column](const ForcesResult& r) { return column(r.f, &PileForcePoint::depth, 1); }, "m")
        .def_property_readonly(
            "shear", [column](const ForcesResult& r) { return column(r.f, &PileForcePoint::shear, 1); }, "kN")
        .def_property_readonly(
            "moment", [column](const ForcesResult& r) { return column(r.f, &PileForcePoint::moment, 1); }, "kN m")
        .def_property_readonly(
            "displacement",
            [column](const ForcesResult& r) { return column(r.f, &PileForcePoint::displacement, 1000); }, "mm")
        .def_property_readonly(
            "rotation", [column](const ForcesResult& r) { return column(r.f, &PileForcePoint::rotation, 1); }, "rad")
        .def_property_readonly(
            "stress", [column](const ForcesResult& r) { return column(r.f, &PileForcePoint::stress, 1); }, "kPa")
        .def("__repr__", [](const ForcesResult& r) {
            if (r.f.status != 1)
                return "<kangli.Forces refused: " + r.f.refusal + ">";
            const std::string how = r.f.springs ? std::string("beam on springs")
                                                : std::string(r.f.rigid ? "rigid" : "elastic") + " pile, " + r.f.method + " method";
            return "<kangli.Forces " + how + ", largest moment " + Fixed(r.f.maxMoment.value, 3) + " kN m at " +
                   Fixed(r.f.maxMoment.depth, 2) + " m, slip-surface displacement " +
                   Fixed(r.f.slip.displacement * 1000, 3) + " mm>";
        });
    m.def(
        "forces",
        [](const CPelvorinData& record) {
            std::string problem;
            ForcesResult out;
            if (!CheckKangLiData(record, &problem)) {
                out.f.refusal = problem;
                out.f.refusedField = problem.substr(0, problem.find(' '));
                return out;
            }
            py::gil_scoped_release free;
            out.f = CalculatePileForces(record);
            return out;
        },
        py::arg("record"),
        "Shear, moment, displacement, rotation and ground stress along the pile under its design block, with "
        "the checks and the reinforcement, as kangli forces gives them; a refusal is a result with status 0, its "
        "message and NaN values.");

    m.def("calculate", &Calculate, py::arg("record"),
          "Checks and calculates a copy of the record; a refusal is a result with status 0 and its message.");
    py::class_<SweepResult>(m, "SweepResult",
                            "What kangli.sweep gave: arrays with one axis per key, in the order of keys.")
        .def_readonly("keys", &SweepResult::keys, "the keys varied, one per axis")
        .def_readonly("values", &SweepResult::values, "the values of each key, one array per axis")
        .def_readonly("at_slip", &SweepResult::at_slip, "the resistance at the slip surface, kN/m (NaN where refused)")
        .def_readonly("pile", &SweepResult::pile, "Fv at the slip surface, kN/m")
        .def_readonly("ground", &SweepResult::ground, "Ev at the slip surface, kN/m")
        .def_readonly("concrete", &SweepResult::concrete, "concrete per metre of slope, m3/m")
        .def_readonly("status", &SweepResult::status, "1 calculated, 0 refused or not buildable")
        .def_readonly("governs", &SweepResult::governs, "\"pile\" or \"ground\" (\"\" where refused)")
        .def_readonly("message", &SweepResult::message, "why a combination was refused")
        .def("rows",
             [](const SweepResult& r) {
                 // One dict per combination, the first key varying slowest.
                 py::list rows;
                 const py::ssize_t n = r.at_slip.size();
                 py::object flat_governs = r.governs.attr("ravel")(), flat_message = r.message.attr("ravel")();
                 for (py::ssize_t i = 0; i < n; ++i) {
                     py::dict row;
                     py::ssize_t rest = i;
                     std::vector<double> values(r.keys.size());
                     for (size_t k = r.keys.size(); k-- > 0;) {
                         const py::ssize_t size = r.values[k].size();
                         values[k] = r.values[k].at(rest % size);
                         rest /= size;
                     }
                     for (size_t k = 0; k < r.keys.size(); ++k)
                         row[py::str(r.keys[k])] = values[k];
                     row["at_slip"] = r.at_slip.data()[i];
                     row["governs"] = flat_governs[py::int_(i)];
                     row["pile"] = r.pile.data()[i];
                     row["ground"] = r.ground.data()[i];
                     row["concrete"] = r.concrete.data()[i];
                     row["status"] = r.status.data()[i];
                     row["message"] = flat_message[py::int_(i)];
                     rows.append(row);
                 }
                 return rows;
             },
             "One dict per combination: the keys' values, at_slip, governs, pile, ground, concrete, status, message.")
        .def("to_dataframe",
             [](py::object self) { return py::module_::import("pandas").attr("DataFrame")(self.attr("rows")()); },
             "The rows as a pandas DataFrame (needs pandas).")
        .def("__repr__", [](const SweepResult& r) {
            std::string out = "<kangli.SweepResult";
            for (size_t k = 0; k < r.keys.size(); ++k)
                out += (k ? " x " : " ") + std::to_string(r.values[k].size()) + " " + r.keys[k];
            return out + ">";
        });

    py::class_<DesignResult>(m, "DesignResult",
                             "What kangli.design gave: the answers, least concrete (then steel) first, and every "
                             "combination with its checks.")
        .def_readonly("thrust", &DesignResult::thrust, "the thrust carried, kN/m")
        .def_readonly("keys", &DesignResult::keys, "the keys varied")
        .def_readonly("answers", &DesignResult::answers,
                      "the combinations that carry the thrust and pass every check, as dicts: the values, concrete "
                      "(m3/m), steel (kg/m), at_slip (kN/m), governs, governing (the closest check), margin (its "
                      "share to spare), passes, failed, message")
        .def_readonly("combinations", &DesignResult::combinations,
                      "every combination with its checks: a pandas DataFrame where pandas is installed, else a list "
                      "of the same dicts")
        .def("__repr__", [](const DesignResult& r) {
            return "<kangli.DesignResult " + std::to_string(r.answers.size()) + " answers carrying " +
                   Fixed(r.thrust, 3) + " kN/m>";
        });
    m.def("design", &DesignSearch, py::arg("record"), py::arg("vary"), py::arg("thrust") = py::none(),
          "The design search of kangli design: every combination of the values given per key; with a design block "
          "its thrust and every check of the pile under it count (thrust is then refused), without one thrust "
          "(kN/m) is required and the resistance at the slip surface alone counts.");
    m.def("sweep", &SweepGrid, py::arg("record"), py::arg("vary"),
          "Every combination of the values given per JSON key, calculated in parallel as kangli sweep does "
          "(the same checks, limits and piles left out): a SweepResult with the resistance at the slip surface, "
          "Fv, Ev, the side that governs, the concrete, the status and the reason per combination, and the axes.");
    m.def(
        "draw",
        [](const CPelvorinData& record, int n, const std::string& path, const std::string& units) {
            if (n < 0 || n > 3)
                Raise("", "diagram " + std::to_string(n) + ": expected 0, 1, 2 or 3");
            const bool unitless = Unitless(units);
            PathOf(path);
            if (CanvasFormatOf(path) == CanvasFormat::Unknown)
                Raise(path, "unknown drawing format (use .dxf, .svg or .png)");
            CPelvorinData r;
            CKangLiJiSuan calc;
            const StudyResult s = Study(record, &r, &calc);
            if (s.status != 1)
                Raise("", s.message);
            CBase_SGT canvas;
            if (n == 3) {
                const PileForces forces = CalculatePileForces(r);
                if (forces.status != 1)
                    Raise("", forces.refusal);
                DrawForcesDiagram(r, forces, &canvas);
            } else {
                calc.DrawTu(n, &canvas, nullptr);
            }
            if (unitless)
                canvas.nUnits = CBase_SGT::Unitless;
            std::string error;
            if (!WriteCanvas(canvas, path, &error))
                Raise(path, error);
        },
        py::arg("record"), py::arg("n"), py::arg("path"), py::arg("units") = "declared",
        "Diagram n (0 sketch, 1 result, 2 earth pressure, 3 internal forces under the design block) as .dxf, "
        ".svg or .png, as kangli draw writes it; units=\"none\" (kangli draw --units none) writes a DXF that declares "
        "no unit, for CAD programs that print a declared drawing a thousand times too large.");
    m.def(
        "report",
        [](const CPelvorinData& record, const std::string& dir, bool png, const std::string& units) {
            const bool unitless = Unitless(units);
            PathOf(dir);
            CPelvorinData r;
            CKangLiJiSuan calc;
            const StudyResult s = Study(record, &r, &calc);
            if (s.status != 1)
                Raise("", s.message);
            // A design block the forces refuse writes nothing, as kangli report.
            if (r.bSheJi)
                if (const PileForces f = CalculatePileForces(r); f.status != 1)
                    Raise("", f.refusal);
            std::vector<std::string> written;
            std::string errorPath, error;
            if (!WriteReportFiles(r, calc, dir, png, written, errorPath, error, unitless))
                Raise(errorPath, error);
            return written;
        },
        py::arg("record"), py::arg("dir"), py::arg("png") = false, py::arg("units") = "declared",
        "What kangli report writes: the data file (and the JSON where it holds more), the three diagrams and both "
        "calculation books in dir, and with a design block the internal-force book and drawing; the paths written.");
}
