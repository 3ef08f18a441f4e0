#include "FieldTable.h"

#include "Concrete.h"
#include "NumericLocale.h"

#include <array>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>
#include <cmath>

namespace {

constexpr FieldChoice kShapes[] = {{1, "矩形"}, {0, "圆形"}};
constexpr FieldChoice kYesNo[] = {{0, "否"}, {1, "是"}};
constexpr FieldChoice kLayerTypes[] = {{0, "土层"}, {1, "岩层"}};
// The choices of a material list: its grades by their names.
template <class Grade, size_t N>
constexpr std::array<FieldChoice, N> Choices(const Grade (&grades)[N])
{
    std::array<FieldChoice, N> out{};
    for (size_t i = 0; i < N; ++i)
        out[i] = {grades[i].grade, grades[i].name};
    return out;
}
// The concrete grades of the material library, C15 to C80.
constexpr auto kGrades = Choices(kConcreteGrades);

// The slip surface must cut the pile: 0 .. L.
double PileLength(const CPelvorinData& r) { return std::isfinite(r.fZhuangChang) ? r.fZhuangChang : 0.0f; }
// The bars' centre lies inside the section: less than half the side along the
// thrust from the face of a rectangle, less than the radius of a circle (mm).
double HalfSection(const CPelvorinData& r)
{
    const float side = r.nJieMianXingZhuang == 0 ? r.fZhuangJing : r.fZhuangGao;
    // As a 32-bit real holds it, so that 1.2 m gives 600 mm, not 600.00002.
    return static_cast<float>(500.0 * (std::isfinite(side) ? side : 0.0f));
}

// Limits: pile length to 1000 m (a longer pile is no anti-slide pile); section
// sizes, spacing and unit weight of the pile only finite and positive; depths
// of the slope surface and of the water within 100 km either way (negative
// water depth is a submerged slope); layer values from 0 (sand has no cohesion,
// a clay may be taken with no friction) and friction below 90 degrees, where a
// passive wedge still forms.
constexpr double kBig = 10000000, kLayerMax = 100000, kDepthMax = 100000;
// Ground coefficients and allowables: as the design block takes them.
constexpr double kGroundMax = 1e9;

const FieldDef kRecord[] = {
    {.key = "fZhuangRongZhong", .label = "桩容重（kN/m^3）", .name = "unit weight of the pile", .what = nullptr,
     .unit = "kN/m3", .kind = FieldKind::Real, .real = &CPelvorinData::fZhuangRongZhong, .defaultValue = 22,
     .fileLine = 1, .filePos = 1, .ranged = true, .lo = 0.01, .hi = kBig, .checkOrder = 8,
     .table = FieldTable::Pile, .cell = 10, .format = "%.3f"},
    {.key = "fZhuangChang", .label = "桩长（m）", .name = "pile length", .what = nullptr, .unit = "m",
     .kind = FieldKind::Real, .real = &CPelvorinData::fZhuangChang, .defaultValue = 10, .fileLine = 1,
     .filePos = 2, .ranged = true, .lo = 0.01, .hi = 1000, .checkOrder = 1, .table = FieldTable::Pile, .cell = 2,
     .format = "%.3f"},
    {.key = "fZhuangKuan", .label = "桩宽（m）", .name = "pile width", .what = nullptr, .unit = "m",
     .kind = FieldKind::Real, .real = &CPelvorinData::fZhuangKuan, .defaultValue = 1.0, .fileLine = 1,
     .filePos = 3, .ranged = true, .lo = 0.01, .hi = kBig, .when = FieldWhen::Rectangle, .checkOrder = 3,
     .table = FieldTable::Pile, .cell = 7, .format = "%.3f", .tip = "桩纵向长度"},
    {.key = "fZhuangGao", .label = "桩高（m）", .name = "pile height", .what = nullptr, .unit = "m",
     .kind = FieldKind::Real, .real = &CPelvorinData::fZhuangGao, .defaultValue = 1.5, .fileLine = 1,
     .filePos = 4, .ranged = true, .lo = 0.01, .hi = kBig, .when = FieldWhen::Rectangle, .checkOrder = 4,
     .table = FieldTable::Pile, .cell = 6, .format = "%.3f", .tip = "桩横向长度"},
    {.key = "fZhuangJing", .label = "桩径（m）", .name = "pile diameter", .what = nullptr, .unit = "m",
     .kind = FieldKind::Real, .real = &CPelvorinData::fZhuangJing, .defaultValue = 1.5, .fileLine = 1,
     .filePos = 5, .ranged = true, .lo = 0.01, .hi = kBig, .when = FieldWhen::Circle, .checkOrder = 5,
     .table = FieldTable::Pile, .cell = 9, .format = "%.3f"},
    {.key = "fZhuangJianJu", .label = "桩中心距（m）", .name = "pile spacing", .what = nullptr, .unit = "m",
     .kind = FieldKind::Real, .real = &CPelvorinData::fZhuangJianJu, .defaultValue = 5.0, .fileLine = 1,
     .filePos = 6, .ranged = true, .lo = 0.01, .hi = kBig, .checkOrder = 7, .table = FieldTable::Pile,
     .cell = 1, .format = "%.3f"},
    {.key = "fPoMianDaoZhuangDing", .label = "坡面到桩顶距离（m）", .name = "slope-surface depth",
     .what = "slope-surface depth below the pile top", .unit = "m", .kind = FieldKind::Real,
     .real = &CPelvorinData::fPoMianDaoZhuangDing, .defaultValue = 2.0, .fileLine = 1, .filePos = 7,
     .ranged = true, .lo = -kDepthMax, .hi = kDepthMax, .checkOrder = 11, .table = FieldTable::Pile, .cell = 3,
     .format = "%.3f"},
    {.key = "nJieMianXingZhuang", .label = "截面形状", .name = "section shape",
     .what = "section shape (1 rectangle, 0 circle)", .unit = "", .kind = FieldKind::Choice,
     .integer = &CPelvorinData::nJieMianXingZhuang, .defaultValue = 1, .fileLine = 2, .filePos = 3,
     .choices = kShapes, .checkOrder = 2, .table = FieldTable::Pile, .cell = 5, .rebuild = true},
    {.key = "fAs", .label = "钢筋合力点到边缘距离（mm）", .name = "reinforcement edge distance", .what = nullptr,
     .unit = "mm", .kind = FieldKind::Real, .real = &CPelvorinData::fAs, .defaultValue = 100, .fileLine = 1,
     .filePos = 9, .ranged = true, .lo = 0.01, .openTop = true, .hiOf = HalfSection,
     .hiText = "500 fZhuangGao (rectangle) or 500 fZhuangJing (circle)", .when = FieldWhen::Rectangle,
     .checkedAlways = true, .checkOrder = 6,
     .table = FieldTable::Pile, .cell = 8, .format = "%.1f", .tip = "受拉钢筋合力点到截面受拉边缘的距离",
     .book = false},
    {.key = "fHuaMianDaoZhuangDing", .label = "滑面到桩顶距离（m）", .name = "slip-surface depth",
     .what = "slip-surface depth below the pile top", .unit = "m", .kind = FieldKind::Real,
     .real = &CPelvorinData::fHuaMianDaoZhuangDing, .defaultValue = 5.0, .fileLine = 1, .filePos = 10,
     .ranged = true, .lo = 0, .hiOf = PileLength, .hiText = "fZhuangChang", .checkOrder = 10,
     .table = FieldTable::Pile, .cell = 4, .format = "%.3f"},
    {.key = "nHunNingTuDengJi", .label = "混凝土等级", .name = "concrete grade", .what = nullptr, .unit = "",
     .kind = FieldKind::Choice, .integer = &CPelvorinData::nHunNingTuDengJi, .defaultValue = 25, .fileLine = 2,
     .filePos = 1, .choices = kGrades, .checkOrder = 9, .table = FieldTable::Pile, .cell = 11},
    {.key = "nTuCengShu", .label = "土层数", .name = "layer count", .what = nullptr, .unit = "",
     .kind = FieldKind::Integer, .integer = &CPelvorinData::nTuCengShu, .defaultValue = 2, .fileLine = 2,
     .filePos = 2, .ranged = true, .lo = 0, .hi = kMaxTuCengShu, .checkOrder = 15,
     .table = FieldTable::LayerCount, .cell = 1, .tellsOwner = true, .sweeps = false},
    {.key = "fShuiWeiShenDu", .label = "桩前侧水位到坡面距离（m）", .name = "water depth",
     .what = "water depth below the slope surface", .unit = "m", .kind = FieldKind::Real,
     .real = &CPelvorinData::fShuiWeiShenDu, .defaultValue = 5.0, .fileLine = 1, .filePos = 8, .ranged = true,
     .lo = -kDepthMax, .hi = kDepthMax, .when = FieldWhen::Water, .checkOrder = 13, .table = FieldTable::Water,
     .cell = 2, .format = "%.3f"},
    {.key = "bKaoLvShui", .label = "是否考虑地下水", .name = "groundwater switch", .what = nullptr, .unit = "",
     .kind = FieldKind::Switch, .integer = &CPelvorinData::bKaoLvShui, .defaultValue = 1, .fileLine = 2,
     .filePos = 4, .choices = kYesNo, .checkOrder = 12, .table = FieldTable::Water, .cell = 1},
    {.key = "fZheJianXiShu", .label = "被动土压力折减系数", .name = "reduction factor of the passive pressure",
     .what = nullptr, .unit = "", .kind = FieldKind::Real, .real = &CPelvorinData::fZheJianXiShu,
     .defaultValue = 0.3, .ranged = true, .lo = 0, .hi = 1, .checkOrder = 14, .table = FieldTable::LayerCount,
     .cell = 2, .format = "%.1f", .tellsOwner = true},
};

const FieldDef kLayer[] = {
    {.key = "nLeiXing", .label = "地层\n类型", .name = "layer type", .what = "layer type (0 soil, 1 rock)",
     .unit = "", .kind = FieldKind::Choice, .layerInteger = &CTuCeng::nLeiXing, .defaultValue = 0,
     .fileLine = 3, .filePos = 7, .choices = kLayerTypes, .checkOrder = 1, .table = FieldTable::Layers,
     .cell = 2, .rebuild = true},
    // Kept in the data file; no table shows it and no calculation reads it.
    {.key = "fCengXiShu", .label = nullptr, .name = "layer factor", .what = nullptr, .unit = "",
     .kind = FieldKind::Real, .layerReal = &CTuCeng::fCengXiShu, .defaultValue = 0.3, .fileLine = 3,
     .filePos = 6},
    {.key = "fHouDu", .label = "层厚\n(m)", .name = "thickness", .what = nullptr, .unit = "m",
     .kind = FieldKind::Real, .layerReal = &CTuCeng::fHouDu, .defaultValue = 2.0, .fileLine = 3, .filePos = 1,
     .ranged = true, .lo = 0.001, .hi = kLayerMax, .checkOrder = 2, .table = FieldTable::Layers, .cell = 3,
     .format = "%.2f", .rebuild = true},
    {.key = "fZhongDu", .label = "重度\n(kN/m3)", .name = "unit weight", .what = nullptr, .unit = "kN/m3",
     .kind = FieldKind::Real, .layerReal = &CTuCeng::fZhongDu, .defaultValue = 18, .fileLine = 3, .filePos = 2,
     .ranged = true, .lo = 0, .hi = kLayerMax, .checkOrder = 3, .table = FieldTable::Layers, .cell = 4,
     .format = "%.2f"},
    {.key = "fNianJuLi", .label = "粘聚力\n(kPa)", .name = "cohesion", .what = nullptr, .unit = "kPa",
     .kind = FieldKind::Real, .layerReal = &CTuCeng::fNianJuLi, .defaultValue = 10, .fileLine = 3,
     .filePos = 5, .ranged = true, .lo = 0, .hi = kLayerMax, .checkOrder = 4, .table = FieldTable::Layers,
     .cell = 6, .format = "%.2f"},
    {.key = "fMoCaJiao", .label = "内摩擦\n角(°)", .name = "friction angle", .what = nullptr, .unit = "degrees",
     .kind = FieldKind::Real, .layerReal = &CTuCeng::fMoCaJiao, .defaultValue = 15, .fileLine = 3,
     .filePos = 4, .ranged = true, .lo = 0, .hi = 90, .openTop = true, .checkOrder = 5,
     .table = FieldTable::Layers, .cell = 7, .format = "%.2f"},
    {.key = "fFuZhongDu", .label = "浮重度\n(kN/m3)", .name = "buoyant unit weight", .what = nullptr,
     .unit = "kN/m3", .kind = FieldKind::Real, .layerReal = &CTuCeng::fFuZhongDu, .defaultValue = 15,
     .fileLine = 3, .filePos = 3, .ranged = true, .lo = 0, .hi = kLayerMax, .when = FieldWhen::SoilUnderWater,
     .checkOrder = 6, .table = FieldTable::Layers, .cell = 5, .format = "%.2f"},
    {.key = "fShuiXiaNianJuLi", .label = "水下粘聚\n力(kPa)", .name = "cohesion under water", .what = nullptr,
     .unit = "kPa", .kind = FieldKind::Real, .layerReal = &CTuCeng::fShuiXiaNianJuLi, .defaultValue = 10,
     .ranged = true, .lo = 0, .hi = kLayerMax, .when = FieldWhen::SoilUnderWater, .checkOrder = 7,
     .table = FieldTable::Layers, .cell = 8, .format = "%.2f"},
    {.key = "fShuiXiaMoCaJiao", .label = "水下内摩\n擦角(°)", .name = "friction angle under water",
     .what = nullptr, .unit = "degrees", .kind = FieldKind::Real, .layerReal = &CTuCeng::fShuiXiaMoCaJiao,
     .defaultValue = 15, .ranged = true, .lo = 0, .hi = 90, .openTop = true, .when = FieldWhen::SoilUnderWater,
     .checkOrder = 8, .table = FieldTable::Layers, .cell = 9, .format = "%.2f"},
    // The ground below the slip surface for the internal forces, layer by layer
    // (0: not given); shown and checked where the record has a design block.
    {.key = "fK", .label = "地基系数K\n(kN/m3)", .name = "ground coefficient K", .what = nullptr,
     .unit = "kN/m3", .kind = FieldKind::Real, .layerReal = &CTuCeng::fK, .defaultValue = 0, .ranged = true,
     .lo = 0, .hi = kGroundMax, .when = FieldWhen::Design, .checkOrder = 9, .table = FieldTable::Layers,
     .cell = 10, .format = "%.0f"},
    {.key = "fM", .label = "比例系数m\n(kN/m4)", .name = "proportional coefficient m", .what = nullptr,
     .unit = "kN/m4", .kind = FieldKind::Real, .layerReal = &CTuCeng::fM, .defaultValue = 0, .ranged = true,
     .lo = 0, .hi = kGroundMax, .when = FieldWhen::Design, .checkOrder = 10, .table = FieldTable::Layers,
     .cell = 11, .format = "%.0f"},
    {.key = "fA", .label = "地基系数A\n(kN/m3)", .name = "ground coefficient A", .what = nullptr,
     .unit = "kN/m3", .kind = FieldKind::Real, .layerReal = &CTuCeng::fA, .defaultValue = 0, .ranged = true,
     .lo = 0, .hi = kGroundMax, .when = FieldWhen::Design, .checkOrder = 11, .table = FieldTable::Layers,
     .cell = 12, .format = "%.0f"},
    {.key = "fYunXuYingLi", .label = "容许侧向\n应力(kPa)", .name = "allowable lateral stress",
     .what = "allowable lateral stress (0 unchecked)", .unit = "kPa", .kind = FieldKind::Real,
     .layerReal = &CTuCeng::fYunXuYingLi, .defaultValue = 0, .ranged = true, .lo = 0, .hi = kGroundMax,
     .when = FieldWhen::Design, .checkOrder = 12, .table = FieldTable::Layers, .cell = 13, .format = "%.0f"},
};

const FieldDef* Find(std::span<const FieldDef> fields, const std::string& key)
{
    for (const FieldDef& f : fields)
        if (key == f.key)
            return &f;
    return nullptr;
}

std::vector<const FieldDef*> Sorted(std::span<const FieldDef> fields, bool (*take)(const FieldDef&),
                                    int (*order)(const FieldDef&))
{
    std::vector<const FieldDef*> out;
    for (const FieldDef& f : fields)
        if (take(f))
            out.push_back(&f);
    std::stable_sort(out.begin(), out.end(),
                     [order](const FieldDef* a, const FieldDef* b) { return order(*a) < order(*b); });
    return out;
}

std::vector<const FieldDef*> Checked(std::span<const FieldDef> fields)
{
    return Sorted(
        fields, [](const FieldDef& f) { return f.checkOrder > 0; },
        [](const FieldDef& f) { return f.checkOrder; });
}

// A decimal limit as a 32-bit real holds it (0.01 -> 0.0099999998).
double AsHeld(const FieldDef& f, double limit) { return f.IsReal() ? static_cast<double>(static_cast<float>(limit)) : limit; }

} // namespace

std::span<const FieldDef> RecordFields() { return kRecord; }
std::span<const FieldDef> LayerFields() { return kLayer; }

const FieldDef* FindRecordField(const std::string& key) { return Find(kRecord, key); }
const FieldDef* FindLayerField(const std::string& key) { return Find(kLayer, key); }

namespace {

std::vector<const FieldDef*> ShownIn(FieldTable table)
{
    std::vector<const FieldDef*> out;
    for (std::span<const FieldDef> fields : {RecordFields(), LayerFields()})
        for (const FieldDef& f : fields)
            if (f.table == table && table != FieldTable::None)
                out.push_back(&f);
    std::stable_sort(out.begin(), out.end(), [](const FieldDef* a, const FieldDef* b) { return a->cell < b->cell; });
    return out;
}

std::vector<const FieldDef*> OnLine(int line)
{
    std::vector<const FieldDef*> out;
    for (const FieldDef& f : line == 3 ? LayerFields() : RecordFields())
        if (f.fileLine == line)
            out.push_back(&f);
    std::stable_sort(out.begin(), out.end(),
                     [](const FieldDef* a, const FieldDef* b) { return a->filePos < b->filePos; });
    return out;
}

} // namespace

// Sorted once: the data file and the check run them for every record of a sweep.
const std::vector<const FieldDef*>& TableFields(FieldTable table)
{
    static const std::vector<const FieldDef*> shown[] = {{},
                                                         ShownIn(FieldTable::Pile),
                                                         ShownIn(FieldTable::LayerCount),
                                                         ShownIn(FieldTable::Water),
                                                         ShownIn(FieldTable::Layers)};
    return shown[static_cast<int>(table)];
}

const std::vector<const FieldDef*>& FileFields(int line)
{
    static const std::vector<const FieldDef*> lines[] = {{}, OnLine(1), OnLine(2), OnLine(3)};
    static const std::vector<const FieldDef*> none;
    return line >= 1 && line <= 3 ? lines[line] : none;
}

const std::vector<const FieldDef*>& CheckedRecordFields()
{
    static const std::vector<const FieldDef*> fields = Checked(kRecord);
    return fields;
}

const std::vector<const FieldDef*>& CheckedLayerFields()
{
    static const std::vector<const FieldDef*> fields = Checked(kLayer);
    return fields;
}

std::string FieldLabelText(const FieldDef& f)
{
    std::string out;
    for (const char* p = f.label; p && *p; ++p)
        if (*p != '\n')
            out += *p;
    return out;
}

std::string FieldWhat(const FieldDef& f)
{
    std::string what = f.what ? f.what : f.name;
    if (f.unit && *f.unit)
        what += std::string(" (") + f.unit + ")";
    return what;
}

bool FieldApplies(const FieldDef& f, const CPelvorinData& r, const CTuCeng* layer)
{
    switch (f.when) {
    case FieldWhen::Always:
        return true;
    case FieldWhen::Rectangle:
        return r.nJieMianXingZhuang == 1;
    case FieldWhen::Circle:
        return r.nJieMianXingZhuang == 0;
    case FieldWhen::Water:
        return r.bKaoLvShui == 1;
    case FieldWhen::SoilUnderWater:
        return r.bKaoLvShui == 1 && (!layer || layer->nLeiXing == 0);
    case FieldWhen::Design:
        return r.bSheJi != 0;
    }
    return true;
}

double FieldHigh(const FieldDef& f, const CPelvorinData& r) { return f.hiOf ? f.hiOf(r) : f.hi; }

bool FieldInRange(const FieldDef& f, double v, const CPelvorinData& r)
{
    if (f.IsReal())
        v = static_cast<float>(v); // as the record will hold it
    if (!std::isfinite(v))
        return false;
    const double lo = AsHeld(f, f.lo);
    const double hi = f.hiOf ? f.hiOf(r) : AsHeld(f, f.hi);
    return v >= lo && (f.openTop ? v < hi : v <= hi);
}

namespace {

// "1 矩形, 0 圆形": the choices of a field, value and text.
std::string ChoicesText(std::span<const FieldChoice> choices)
{
    std::string out;
    for (const FieldChoice& c : choices)
        out += (out.empty() ? "" : ", ") + std::to_string(c.value) + " " + c.text;
    return out;
}

} // namespace

std::string FieldRangeText(const FieldDef& f)
{
    if (!f.choices.empty())
        return ChoicesText(f.choices);
    if (!f.ranged)
        return "any";
    return MessageNumber(f.lo) + " .. " + (f.openTop ? "<" : "") + (f.hiOf ? f.hiText : MessageNumber(f.hi));
}

double FieldValue(const FieldDef& f, const CPelvorinData& r)
{
    return f.real ? static_cast<double>(r.*f.real) : f.integer ? r.*f.integer : 0.0;
}

double FieldValue(const FieldDef& f, const CTuCeng& layer)
{
    return f.layerReal ? static_cast<double>(layer.*f.layerReal) : f.layerInteger ? layer.*f.layerInteger : 0.0;
}

float* FieldReal(const FieldDef& f, CPelvorinData& r) { return f.real ? &(r.*f.real) : nullptr; }
float* FieldReal(const FieldDef& f, CTuCeng& layer) { return f.layerReal ? &(layer.*f.layerReal) : nullptr; }
int* FieldInteger(const FieldDef& f, CPelvorinData& r) { return f.integer ? &(r.*f.integer) : nullptr; }
int* FieldInteger(const FieldDef& f, CTuCeng& layer) { return f.layerInteger ? &(layer.*f.layerInteger) : nullptr; }

// ---------------------------------------------------------------- design block

namespace {

constexpr FieldChoice kDistributions[] = {{0, "矩形"}, {1, "三角形"}, {2, "梯形"}};
constexpr FieldChoice kMethods[] = {{0, "K法"}, {1, "m法"}};
constexpr FieldChoice kFeet[] = {{0, "自由"}, {1, "铰支"}};
constexpr auto kSteels = Choices(kSteelGrades);
constexpr double kDesignBig = 1e9;

const DesignFieldDef kDesign[] = {
    {"fTuiLi", "设计推力（kN/m）", "design thrust (kN/m)", &CSheJi::fTuiLi, nullptr, 0, 0, kDesignBig, true},
    {"nTuiLiFenBu", "推力分布", "thrust distribution (0 rectangle, 1 triangle, 2 trapezoid)", nullptr,
     &CSheJi::nTuiLiFenBu, 0, 0, 2, false, kDistributions},
    {"fTiXingBi", "梯形顶底比", "top over bottom of the trapezoid", &CSheJi::fTiXingBi, nullptr, 0.5, 0, 1},
    {"fQianKangLi", "桩前滑体抗力（kN/m）", "resistance of the sliding mass in front (kN/m)", &CSheJi::fQianKangLi,
     nullptr, 0, 0, kDesignBig},
    {"nDiJiFa", "地基系数法", "ground coefficient method (0 K, 1 m)", nullptr, &CSheJi::nDiJiFa, 0, 0, 1, false,
     kMethods},
    {"fK", "地基系数K（kN/m³）", "ground coefficient K (kN/m3)", &CSheJi::fK, nullptr, 0, 0, kDesignBig},
    {"fM", "地基系数的比例系数m（kN/m⁴）", "proportional coefficient m (kN/m4)", &CSheJi::fM, nullptr, 0, 0, kDesignBig},
    {"fA1", "滑面处桩前地基系数A1（kN/m³）", "ground coefficient A1 in front (kN/m3)", &CSheJi::fA1, nullptr, 0, 0,
     kDesignBig},
    {"fA2", "滑面处桩后地基系数A2（kN/m³）", "ground coefficient A2 behind (kN/m3)", &CSheJi::fA2, nullptr, 0, 0,
     kDesignBig},
    {"nZhuangDi", "桩底约束", "pile foot (0 free, 1 hinged)", nullptr, &CSheJi::nZhuangDi, 0, 0, 1, false, kFeet},
    {"fGangDuXiShu", "刚度折减系数", "stiffness factor of EI", &CSheJi::fGangDuXiShu, nullptr, 0.8, 0.1, 1},
    {"fGamma0", "结构重要性系数γ0", "importance factor", &CSheJi::fGamma0, nullptr, 1, 0.5, 2},
    {"fHeZaiXiShu", "荷载分项系数", "load factor", &CSheJi::fHeZaiXiShu, nullptr, 1, 0.5, 3},
    {"nGangJin", "钢筋等级", "steel grade (MPa)", nullptr, &CSheJi::nGangJin, 400, 0, 0, false, kSteels},
    {"fYunXuYingLi", "容许侧向应力（kPa）", "allowable lateral stress (kPa), 0 unchecked", &CSheJi::fYunXuYingLi,
     nullptr, 0, 0, kDesignBig},
    {"fYunXuDingWeiYi", "桩顶容许位移（mm）", "allowable top displacement (mm), 0 unchecked",
     &CSheJi::fYunXuDingWeiYi, nullptr, 0, 0, kDesignBig},
    {"fYunXuHuaMianWeiYi", "滑面处容许位移（mm）", "allowable displacement at the slip surface (mm), 0 unchecked",
     &CSheJi::fYunXuHuaMianWeiYi, nullptr, 0, 0, kDesignBig},
};

// An anchor cable: its head on the pile, pointing down into stable ground at
// less than a right angle; a stiffness above 0 (a cable of no stiffness holds
// nothing); forces from 0.
const AnchorFieldDef kAnchor[] = {
    {"fShenDu", "锚索深度（m）", "anchor depth below the pile top (m)", &CMaoSuo::fShenDu, 1, 0, 1000},
    {"fQingJiao", "锚索倾角（°）", "anchor inclination below the horizontal (degrees)", &CMaoSuo::fQingJiao, 20, 0,
     90, false, true},
    {"fGangDu", "锚索轴向刚度（kN/m）", "anchor axial stiffness (kN/m)", &CMaoSuo::fGangDu, 20000, 0, kDesignBig,
     true},
    {"fYuLi", "锚索锁定力（kN）", "anchor lock-off force (kN)", &CMaoSuo::fYuLi, 0, 0, kDesignBig},
    {"fKangBaLi", "锚索设计抗拔力（kN）", "anchor design capacity (kN), 0 unchecked", &CMaoSuo::fKangBaLi, 0, 0,
     kDesignBig},
};

} // namespace

std::span<const AnchorFieldDef> AnchorFields() { return kAnchor; }

const AnchorFieldDef* FindAnchorField(const std::string& key)
{
    for (const AnchorFieldDef& f : kAnchor)
        if (key == f.key)
            return &f;
    return nullptr;
}

std::string AnchorRangeText(const AnchorFieldDef& f)
{
    return MessageNumber(f.lo) + (f.openBottom ? " < v" : " <= v") + (f.openTop ? " < " : " <= ") +
           MessageNumber(f.hi);
}

std::span<const DesignFieldDef> DesignFields() { return kDesign; }

std::string DesignRangeText(const DesignFieldDef& f)
{
    if (!f.choices.empty())
        return ChoicesText(f.choices);
    return MessageNumber(f.lo) + (f.openBottom ? " < v <= " : " .. ") + MessageNumber(f.hi);
}

const DesignFieldDef* FindDesignField(const std::string& key)
{
    for (const DesignFieldDef& f : kDesign)
        if (key == f.key)
            return &f;
    return nullptr;
}

double DesignValue(const DesignFieldDef& f, const CSheJi& d) { return f.real ? d.*f.real : d.*f.integer; }

bool CheckDesign(const CSheJi& d, std::string* problem)
{
    auto fail = [problem](const DesignFieldDef& f, const std::string& why) {
        if (problem)
            *problem = std::string("SheJi.") + f.key + " (" + f.label + "): " + f.what + " " + why;
        return false;
    };
    for (const DesignFieldDef& f : kDesign) {
        const double v = DesignValue(f, d);
        if (!f.choices.empty()) {
            bool found = false;
            std::string list;
            for (const FieldChoice& c : f.choices) {
                found = found || c.value == v;
                list += (list.empty() ? "" : ", ") + std::to_string(c.value);
            }
            if (!found)
                return fail(f, "must be one of " + list + " (is " + MessageNumber(v) + ")");
            continue;
        }
        if (!DesignInRange(f, v))
            return fail(f, "must lie in " + std::string(f.openBottom ? ">" : "") + MessageNumber(f.lo) + " .. " +
                               MessageNumber(f.hi) + " (is " + MessageNumber(v) + ")");
    }
    if (d.MaoSuo.size() > static_cast<size_t>(kMaxMaoSuoShu)) {
        if (problem)
            *problem = "SheJi.MaoSuo (锚索): at most " + std::to_string(kMaxMaoSuoShu) + " anchor cables (is " +
                       std::to_string(d.MaoSuo.size()) + ")";
        return false;
    }
    for (size_t i = 0; i < d.MaoSuo.size(); ++i)
        for (const AnchorFieldDef& f : kAnchor) {
            const double v = d.MaoSuo[i].*f.real;
            if (!AnchorInRange(f, v)) {
                if (problem)
                    *problem = "SheJi.MaoSuo[" + std::to_string(i) + "]." + f.key + " (" + f.label + "): " + f.what +
                               " must lie in " + AnchorRangeText(f) + " (is " + MessageNumber(v) + ")";
                return false;
            }
        }
    return true;
}

bool DesignInRange(const DesignFieldDef& f, double v)
{
    if (!f.choices.empty())
        return std::any_of(f.choices.begin(), f.choices.end(), [v](const FieldChoice& c) { return c.value == v; });
    return std::isfinite(v) && (f.openBottom ? v > f.lo : v >= f.lo) && v <= f.hi;
}

bool AnchorInRange(const AnchorFieldDef& f, double v)
{
    return std::isfinite(v) && (f.openBottom ? v > f.lo : v >= f.lo) && (f.openTop ? v < f.hi : v <= f.hi);
}

bool LayersGiveGround(const CPelvorinData& r)
{
    return std::any_of(r.TuCeng.begin(), r.TuCeng.end(),
                       [](const CTuCeng& c) { return c.fK > 0 || c.fM > 0 || c.fA > 0; });
}

bool IsSingleGroundKey(const DesignFieldDef& f)
{
    const std::string key = f.key;
    return key == "fK" || key == "fM" || key == "fA1" || key == "fA2" || key == "fYunXuYingLi";
}

bool CheckDesignGround(const CSheJi& d, std::string* problem)
{
    auto fail = [problem](const DesignFieldDef& f, const std::string& why) {
        if (problem)
            *problem = std::string("SheJi.") + f.key + " (" + f.label + "): " + f.what + " " + why;
        return false;
    };
    // The method needs its coefficient.
    if (d.nDiJiFa == 0 && !(d.fK > 0))
        return fail(*FindDesignField("fK"), "must be above 0 for the K method (is " + MessageNumber(d.fK) + ")");
    if (d.nDiJiFa == 1 && !(d.fM > 0) && !(d.fA1 > 0))
        return fail(*FindDesignField("fM"),
                    "or A1 must be above 0 for the m method (is " + MessageNumber(d.fM) + ")");
    return true;
}

namespace {

size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::string NearestKey(const std::string& name, const std::vector<std::string>& keys)
{
    if (name.size() > 64)
        return "";
    std::string best;
    size_t bestDistance = std::max<size_t>(2, name.size() / 3) + 1;
    for (const std::string& k : keys) {
        const size_t d = EditDistance(name, k);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}
