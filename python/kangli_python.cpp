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
#include "KangLiJiSuan.h"
#include "NumericLocale.h"
#include "PelvorinData.h"
#include "RecordJson.h"
#include "ReportFiles.h"
#include "Study.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <deque>
#include <limits>

namespace py = pybind11;

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

// The record's layers as Python sees them: a list that, set again, also sets
// the layer count.
std::vector<CTuCeng> GetLayers(const CPelvorinData& r) { return r.TuCeng; }
void SetLayers(CPelvorinData& r, const std::vector<CTuCeng>& layers)
{
    r.TuCeng = layers;
    r.nTuCengShu = static_cast<int>(layers.size());
}

py::array_t<float> Array(const std::vector<float>& values)
{
    py::array_t<float> a(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), a.mutable_data());
    return a; // owns its memory: it outlives the result it came from
}

struct Result {
    int status = 0;
    std::string message;
    py::array_t<float> depth, ground, pile, final;
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
    if (s.status == 1) {
        r.depth = Array(*calculated.pDianZuoBiao);
        r.ground = Array(calculated.TuKangLi);
        r.pile = Array(calculated.ZhuangKangLi);
        r.final = Array(calculated.ZuiZhongKangLi);
        r.at_slip = s.atSlip;
        r.pile_at_slip = s.pile;
        r.ground_at_slip = s.ground;
        r.governs = s.governs == 'P' ? "pile" : "ground";
    } else {
        r.depth = r.ground = r.pile = r.final = Array({});
    }
    return r;
}

[[noreturn]] void Raise(const std::string& where, const std::string& what)
{
    throw py::value_error(where.empty() ? what : where + ": " + what);
}

// The resistance at the slip surface over a grid: one axis per key, in the
// dict's order; NaN where a combination is refused.
py::array_t<double> SweepGrid(const CPelvorinData& record, const py::dict& vary)
{
    std::vector<StudyRange> ranges;
    for (const auto& item : vary) {
        StudyRange range;
        range.key = py::cast<std::string>(item.first);
        for (const auto& v : py::iterable(py::reinterpret_borrow<py::object>(item.second)))
            range.values.push_back(py::cast<double>(v));
        ranges.push_back(std::move(range));
    }
    if (ranges.empty())
        Raise("", "nothing to vary");
    // The command line's checks: "TuCeng[02].x" and "TuCeng[2].x" are one input.
    std::string why;
    if (!CheckStudyRanges(record, ranges, &why))
        Raise("", why);
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
    for (size_t begin = 0; begin < points.size(); begin += kSlice) {
        {
            py::gil_scoped_release free;
            CalculateStudyPoints(record, ranges, points, begin, begin + kSlice);
        }
        if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
    }
    std::vector<py::ssize_t> shape;
    for (const StudyRange& r : ranges)
        shape.push_back(static_cast<py::ssize_t>(r.values.size()));
    py::array_t<double> out(shape);
    double* d = out.mutable_data();
    for (size_t i = 0; i < points.size(); ++i)
        d[i] = points[i].result.status == 1 ? points[i].result.atSlip : std::numeric_limits<double>::quiet_NaN();
    return out;
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
    }
    return doc + "; default " + MessageNumber(f.defaultValue);
}

// An attribute per row of the field table, read and written by the member's name.
template <class Owner>
void DefineField(py::class_<Owner>& cls, const FieldDef& f)
{
    // pybind11 keeps the pointer it is given for a property's docstring.
    static std::deque<std::string> docs;
    const char* doc = docs.emplace_back(FieldDoc(f)).c_str();
    if (f.IsReal())
        cls.def_property(
            f.key, [&f](const Owner& o) { return *FieldReal(f, const_cast<Owner&>(o)); },
            [&f](Owner& o, float v) { *FieldReal(f, o) = v; }, doc);
    else
        cls.def_property(
            f.key, [&f](const Owner& o) { return *FieldInteger(f, const_cast<Owner&>(o)); },
            [&f](Owner& o, int v) { *FieldInteger(f, o) = v; }, doc);
}

} // namespace

PYBIND11_MODULE(kangli, m)
{
    m.doc() = "Resistance of anti-slide piles (抗滑桩抗力计算): records, the calculation, sweeps, "
              "drawings and calculation books.";
    UseCanvasWriters();

    py::class_<CTuCeng> layer(m, "Layer", "A soil or rock layer in front of the pile, top down.");
    layer.def(py::init<>());
    for (const FieldDef& f : LayerFields())
        DefineField(layer, f);

    py::class_<CPelvorinData> record(m, "Record", "The input record of a resistance calculation.");
    record.def(py::init(&NewRecord), "A new record: the defaults and two default layers.")
        .def_static(
            "load",
            [](const std::string& path) {
                CPelvorinData r;
                std::string error;
                if (!LoadRecordFile(path, r, &error))
                    Raise(path, error);
                return r;
            },
            py::arg("path"),
            "Reads a data file, or JSON when the name ends in .json, as kangli calc reads it (a JSON record "
            "without TuCeng has no layers).")
        .def(
            "save",
            [](CPelvorinData& r, const std::string& path) {
                std::string error;
                if (!SaveRecordFile(path, r, &error))
                    Raise(path, error);
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
                const std::string text = py::cast<std::string>(py::module_::import("json").attr("dumps")(d));
                if (!RecordFromJson(text, r, &error))
                    Raise("", error);
                return r;
            },
            py::arg("d"), "A record from the JSON form's dict, read as Record.load reads a JSON file.")
        .def("copy", [](const CPelvorinData& r) { return CPelvorinData(r); })
        .def_readwrite("strWenJianMing", &CPelvorinData::strWenJianMing, "file-name stem")
        .def_readwrite("strBiaoTi", &CPelvorinData::strBiaoTi, "title")
        .def_property("TuCeng", &GetLayers, &SetLayers,
                      "The layers, top down, as a list (a copy: set the list again after changing it; "
                      "setting it also sets nTuCengShu).");
    for (const FieldDef& f : RecordFields())
        DefineField(record, f);

    py::class_<Result>(m, "Result", "What a calculation gave.")
        .def_readonly("status", &Result::status, "1 calculated, 0 refused")
        .def_readonly("message", &Result::message, "why the record was refused")
        .def_readonly("depth", &Result::depth, "calculation points, m below the pile top, foot first")
        .def_readonly("ground", &Result::ground, "ground resistance per point, kN/m")
        .def_readonly("pile", &Result::pile, "pile-section resistance per point, kN/m")
        .def_readonly("final", &Result::final, "final resistance per point, kN/m")
        .def_readonly("at_slip", &Result::at_slip, "the resistance at the slip surface, kN/m")
        .def_readonly("pile_at_slip", &Result::pile_at_slip, "Fv at the slip surface, kN/m")
        .def_readonly("ground_at_slip", &Result::ground_at_slip, "Ev at the slip surface, kN/m")
        .def_readonly("governs", &Result::governs, "\"pile\" or \"ground\"")
        .def("__repr__", [](const Result& r) {
            return r.status == 1 ? "<kangli.Result " + Fixed(r.at_slip, 3) + " kN/m at the slip surface, " +
                                       r.governs + " governs>"
                                 : "<kangli.Result refused: " + r.message + ">";
        });

    m.def("calculate", &Calculate, py::arg("record"),
          "Checks and calculates a copy of the record; a refusal is a result with status 0 and its message.");
    m.def("sweep", &SweepGrid, py::arg("record"), py::arg("vary"),
          "The resistance at the slip surface for every combination of the values given per JSON key, "
          "as an array with one axis per key (NaN where refused); calculated in parallel.");
    m.def(
        "draw",
        [](const CPelvorinData& record, int n, const std::string& path) {
            CPelvorinData r;
            CKangLiJiSuan calc;
            const StudyResult s = Study(record, &r, &calc);
            if (s.status != 1)
                Raise("", s.message);
            CBase_SGT canvas;
            calc.DrawTu(n, &canvas, nullptr);
            std::string error;
            if (!WriteCanvas(canvas, path, &error))
                Raise(path, error);
        },
        py::arg("record"), py::arg("n"), py::arg("path"),
        "Diagram n (0 sketch, 1 result, 2 earth pressure) as .dxf, .svg or .png.");
    m.def(
        "report",
        [](const CPelvorinData& record, const std::string& dir, bool png) {
            CPelvorinData r;
            CKangLiJiSuan calc;
            const StudyResult s = Study(record, &r, &calc);
            if (s.status != 1)
                Raise("", s.message);
            std::vector<std::string> written;
            std::string errorPath, error;
            if (!WriteReportFiles(r, calc, dir, png, written, errorPath, error))
                Raise(errorPath, error);
            return written;
        },
        py::arg("record"), py::arg("dir"), py::arg("png") = false,
        "The data file, the three diagrams and both calculation books in dir; the paths written.");
}
