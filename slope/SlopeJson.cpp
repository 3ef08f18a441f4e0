#include "SlopeJson.h"

#include "JsonKit.h"
#include "SafeFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

using json = nlohmann::json;
using ordered_json = nlohmann::ordered_json;
using JsonKit::Entry;
using JsonKit::Fail;
using JsonKit::PrintableKey;
using JsonKit::ReadArray;
using JsonKit::ReadBool;
using JsonKit::ReadInt;
using JsonKit::ReadObject;
using JsonKit::ReadReal;
using JsonKit::ReadText;
using JsonKit::ReadWideReal;
using JsonKit::WrittenReal;

namespace {

// A model nests five deep (the top, piles, a pile, its axis, a point); it may be
// four times a record's size, a search holding many surfaces.
const JsonKit::Limits kModelLimits{kMaxRecordFileBytes * 4, 8, 0, "no slope model is", ""};

// The water the saturated unit weight is measured against, kN/m3: the buoyant
// unit weight the calculation takes is the saturated one less this.
constexpr double kWaterUnitWeight = 10.0;
// How far a pile's length may differ from the length of its axis, m.
constexpr double kLengthTolerance = 0.001;

// A value as the user wrote it, for a message: 8 stays "8", not "8.0".
std::string Typed(const json& v) { return v.dump(); }

// A length in metres to the millimetre, without trailing zeros.
std::string Metres(double m)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", m);
    std::string s = buf;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

// A pile as a message names it.
std::string PileName(const CSlp_KHPile& p)
{
    return "\"" + PrintableKey(p.strName) + "\" (id " + std::to_string(p.nID) + ")";
}

// An id a pile or a slip surface is found and its files are named by.
int Id(const json& v, const std::string& key)
{
    const int id = ReadInt(v, key);
    if (id < 1)
        Fail(key, "an id must be positive, found " + Typed(v));
    return id;
}

CSlp_PoXian Points(const json& v, const std::string& key)
{
    CSlp_PoXian line;
    for (size_t i = 0; i < ReadArray(v, key).size(); ++i) {
        const std::string k = Entry(key, i);
        const json& p = ReadArray(v[i], k);
        if (p.size() != 2)
            Fail(k, "expected [x, y]");
        line.pts.push_back({ReadReal(p[0], Entry(k, 0)), ReadReal(p[1], Entry(k, 1))});
    }
    return line;
}

CSlopeBZDC_CS Layer(const json& v, const std::string& key, std::vector<std::string>& notes)
{
    ReadObject(v, key);
    CSlopeBZDC_CS l;
    l.strSource = key;
    for (auto it = v.begin(); it != v.end(); ++it) {
        const std::string k = key + "." + it.key();
        const std::string& n = it.key();
        if (n == "rock")
            l.nYanTu = ReadBool(*it, k) ? 1 : 0;
        else if (n == "thickness")
            l.dHouDu = ReadWideReal(*it, k); // kept in double precision, as written
        else if (n == "unitWeight")
            l.fZhongDu = ReadReal(*it, k);
        else if (n == "saturatedUnitWeight") {
            l.fBaoHeZhongDu = ReadReal(*it, k);
            // Below the water the layer weighs its saturated weight less the
            // water's: a lighter one would float.
            if (l.fBaoHeZhongDu < kWaterUnitWeight)
                Fail(k, Typed(*it) + " kN/m3 is lighter than water (10 kN/m3); a saturated soil or rock "
                            "weighs at least as much as water");
        }
        else if (n == "cohesion")
            l.fNianJuLi = ReadReal(*it, k);
        else if (n == "friction")
            l.fMoCaJiao = ReadReal(*it, k);
        else if (n == "cohesionUnderWater")
            l.fShuiXiaNianJuLi = ReadReal(*it, k);
        else if (n == "frictionUnderWater")
            l.fShuiXiaMoCaJiao = ReadReal(*it, k);
        else
            Fail(k, "unknown key");
    }
    // Rock keeps its strength and weight under water in the calculation: values
    // of its own under water would be silently unused, so they are refused
    // (a rock that softens in water is given as soil with those values).
    if (l.nYanTu == 1) {
        // Its strength under water changes the resistance: refused, so that a
        // softening rock is never calculated as a sound one.
        const struct {
            const char *under, *natural;
            float underValue, naturalValue;
        } strengths[] = {{"cohesionUnderWater", "cohesion", l.fShuiXiaNianJuLi, l.fNianJuLi},
                         {"frictionUnderWater", "friction", l.fShuiXiaMoCaJiao, l.fMoCaJiao}};
        for (const auto& pr : strengths)
            if (v.contains(pr.under) && pr.underValue != pr.naturalValue)
                Fail(key + "." + pr.under, Typed(v[pr.under]) + " would be unused: rock keeps its " + pr.natural +
                                               " under water in the calculation; leave it out (or give it equal "
                                               "to \"" + pr.natural + "\"), or give a rock that softens in water "
                                               "as soil (\"rock\": false)");
        // Its weight is taken as it is above the water: said, not refused (a
        // saturated weight is commonly written for rock too).
        if (v.contains("saturatedUnitWeight") && l.fBaoHeZhongDu != l.fZhongDu)
            notes.push_back("key \"" + key + ".saturatedUnitWeight\": " + Typed(v["saturatedUnitWeight"]) +
                            " is not used: rock is taken at its unitWeight " +
                            (v.contains("unitWeight") ? Typed(v["unitWeight"]) : std::string("(default)")) +
                            " under water too");
        // Taken as they are used, so that a saved model says what was calculated.
        l.fShuiXiaNianJuLi = l.fNianJuLi;
        l.fShuiXiaMoCaJiao = l.fMoCaJiao;
        l.fBaoHeZhongDu = l.fZhongDu;
    }
    return l;
}

// The ordinate of a polyline at x (linear between its points); false when x
// lies beyond its ends.
bool YAt(const CSlp_PoXian& line, double x, double& y)
{
    for (size_t i = 0; i + 1 < line.pts.size(); ++i) {
        const double x0 = line.pts[i].x, x1 = line.pts[i + 1].x;
        if ((x0 <= x && x <= x1) || (x1 <= x && x <= x0)) {
            const double y0 = line.pts[i].y, y1 = line.pts[i + 1].y;
            y = x1 == x0 ? std::max(y0, y1) : y0 + (y1 - y0) * (x - x0) / (x1 - x0);
            return true;
        }
    }
    return false;
}

// The ground in front of a pile from the whole slope: surface, strata, water.
void FromWholeSlope(const SlopeModelFile& m, CSlp_KHPile& p, const std::string& key)
{
    if (p.PoXian.pts.size() < 2)
        Fail(key + ".axis", "the pile needs an axis to find the ground in front of it");
    const double x = p.PoXian.pts.front().x;
    const double foot = p.PoXian.pts.back().y;
    double top;
    if (!YAt(m.ground, x, top))
        Fail("ground", "does not reach the pile " + PileName(p) + " at x = " + Metres(x));
    p.fQianDiMianY = static_cast<float>(top);
    p.QianCeng.clear();
    for (size_t i = 0; i < m.strata.size(); ++i) {
        double bottom = std::min(top, foot) - 50.0;
        if (!m.strata[i].bottom.pts.empty() && !YAt(m.strata[i].bottom, x, bottom))
            Fail("strata[" + std::to_string(i) + "].bottom", "does not reach the pile " + PileName(p) + " at x = " + Metres(x));
        bottom = std::min(bottom, top); // a boundary above the one over it: pinched out
        if (top - bottom > 1e-6) {
            CSlopeBZDC_CS layer = m.strata[i].properties;
            layer.dHouDu = top - bottom;
            p.QianCeng.push_back(layer);
        }
        top = bottom;
    }
    // A water line that stops short of a pile would leave it dry without a
    // word (and drier ground resists more): refused, as a stratum is.
    double water;
    if (!m.waterLine.pts.empty() && !YAt(m.waterLine, x, water))
        Fail("waterLine", "does not reach the pile " + PileName(p) + " at x = " + Metres(x) +
                              "; draw it across every pile (below the foot where the ground is dry there)");
    p.bYouShui = !m.waterLine.pts.empty() ? 1 : 0;
    if (p.bYouShui)
        p.fShuiWeiY = static_cast<float>(water);
}

// A pile as written; ownLayers tells whether it gives the ground in front of it
// itself ("layers") or takes it from the whole slope.
CSlp_KHPile Pile(const json& v, const std::string& key, bool& ownLayers, std::vector<std::string>& notes)
{
    ReadObject(v, key);
    CSlp_KHPile p;
    bool hasId = false;
    const json* length = nullptr;
    const json *width = nullptr, *height = nullptr, *diameter = nullptr;
    ownLayers = false;
    for (auto it = v.begin(); it != v.end(); ++it) {
        const std::string k = key + "." + it.key();
        const std::string& n = it.key();
        if (n == "id") {
            p.nID = Id(*it, k);
            hasId = true;
        } else if (n == "name")
            p.strName = ReadText(*it, k);
        else if (n == "axis")
            p.PoXian = Points(*it, k);
        else if (n == "section")
            p.nJieMian = ReadInt(*it, k);
        else if (n == "grade")
            p.nDengJi = ReadInt(*it, k);
        else if (n == "width") {
            p.fKuan = ReadReal(*it, k);
            width = &*it;
        } else if (n == "height") {
            p.fGao = ReadReal(*it, k);
            height = &*it;
        } else if (n == "diameter") {
            ReadReal(*it, k);
            diameter = &*it;
        }
        else if (n == "spacing")
            p.fJianJu = ReadReal(*it, k);
        else if (n == "length") {
            p.fChang = ReadReal(*it, k);
            length = &*it;
        } else if (n == "unitWeight")
            p.fRongZhong = ReadReal(*it, k);
        else if (n == "groundY")
            p.fQianDiMianY = ReadReal(*it, k);
        else if (n == "water")
            p.bYouShui = ReadBool(*it, k) ? 1 : 0;
        else if (n == "waterY")
            p.fShuiWeiY = ReadReal(*it, k);
        else if (n == "layers") {
            ownLayers = true;
            for (size_t i = 0; i < ReadArray(*it, k).size(); ++i)
                p.QianCeng.push_back(Layer((*it)[i], Entry(k, i), notes));
        } else if (n == "points") {
            for (size_t i = 0; i < ReadArray(*it, k).size(); ++i)
                p.KangLiDian.push_back(ReadReal((*it)[i], Entry(k, i)));
        } else if (n == "resistance") {
            for (size_t i = 0; i < ReadArray(*it, k).size(); ++i)
                p.KangLiZhi.push_back(ReadReal((*it)[i], Entry(k, i)));
        } else
            Fail(k, "unknown key");
    }
    if (p.KangLiDian.size() != p.KangLiZhi.size())
        Fail(key + ".points", "as many points as resistances are needed");
    // A circle has one size, its diameter: "diameter", or else its "width" (a
    // "height" the same as those, or left out). Sizes that disagree would leave
    // the calculation to pick one: refused.
    if (diameter && p.nJieMian != 0)
        Fail(key + ".diameter", "a rectangle (\"section\": 1) has a width and a height, not a diameter");
    if (p.nJieMian == 0) {
        const json* given = diameter ? diameter : width ? width : height;
        const char* givenKey = diameter ? "diameter" : width ? "width" : "height";
        if (given) {
            const float d = ReadReal(*given, key + "." + givenKey);
            for (const auto& [other, name] : {std::pair{width, "width"}, std::pair{height, "height"}})
                if (other && other != given && ReadReal(*other, key + "." + name) != d)
                    Fail(key + "." + name, Typed(*other) + " m differs from the circle's " + givenKey + " " +
                                               Typed(*given) + " m; a circle has one size, its diameter");
            p.fKuan = p.fGao = d;
        } else {
            p.fGao = p.fKuan; // the default width, as for any pile
        }
    }
    p.nKangLiDianShu = static_cast<int>(p.KangLiDian.size());

    // The module finds the pile and names its files by the id.
    if (!hasId)
        Fail(key + ".id", "missing; every pile needs a positive id of its own");
    // The cut is measured down the axis from its first point: an axis given
    // foot first would put the cut at the wrong end of the pile.
    if (p.PoXian.pts.size() < 2)
        Fail(key + ".axis", "a pile needs an axis of at least two points, from its top down to its foot");
    double axisLength = 0;
    for (size_t i = 1; i < p.PoXian.pts.size(); ++i) {
        const CFPoint &a = p.PoXian.pts[i - 1], &b = p.PoXian.pts[i];
        if (!(b.y < a.y))
            Fail(Entry(key + ".axis", i), "the axis runs from the top of the pile down to its foot; this point "
                                          "is not below the one before it");
        axisLength += std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
    }
    // The calculation takes the length, the cut test the axis: they must be one pile.
    if (!length)
        p.fChang = static_cast<float>(axisLength);
    else if (std::fabs(p.fChang - axisLength) > kLengthTolerance)
        Fail(key + ".length", Typed(*length) + " m does not agree with the axis, which is " + Metres(axisLength) +
                                  " m long (leave the length out to take the axis's)");
    if (ownLayers && p.QianCeng.empty())
        Fail(key + ".layers", "no layer in front of the pile " + PileName(p) +
                                  "; a pile needs ground in front of it");
    return p;
}

SlopeSurfaceEntry Surface(const json& v, const std::string& key)
{
    ReadObject(v, key);
    SlopeSurfaceEntry e;
    std::string kind = "circle";
    const json* radius = nullptr;
    std::vector<std::string> circleKeys, polylineKeys;
    for (auto it = v.begin(); it != v.end(); ++it) {
        const std::string k = key + "." + it.key();
        const std::string& n = it.key();
        if (n == "id")
            e.id = Id(*it, k);
        else if (n == "kind")
            kind = ReadText(*it, k);
        else if (n == "x" || n == "y" || n == "r") {
            (n == "x" ? e.surface.fX : n == "y" ? e.surface.fY : e.surface.fR) = ReadReal(*it, k);
            if (n == "r")
                radius = &*it;
            circleKeys.push_back(k);
        } else if (n == "points") {
            e.surface.PoXian = Points(*it, k);
            polylineKeys.push_back(k);
        } else
            Fail(k, "unknown key");
    }
    if (kind != "circle" && kind != "polyline")
        Fail(key + ".kind", "expected \"circle\" or \"polyline\", found \"" + PrintableKey(kind) + "\"");
    if (e.id == 0)
        Fail(key + ".id", "missing; every slip surface needs a positive id of its own");
    if (kind == "circle") {
        e.surface.nHuaMianLeiXing = 0;
        if (!polylineKeys.empty())
            Fail(polylineKeys.front(), "not a key of a circle");
        if (!radius)
            Fail(key + ".r", "missing; a circle needs a positive radius");
        if (!(e.surface.fR > 0))
            Fail(key + ".r", "a circle needs a positive radius, found " + Typed(*radius));
    } else if (kind == "polyline") {
        e.surface.nHuaMianLeiXing = 1;
        if (!circleKeys.empty())
            Fail(circleKeys.front(), "not a key of a polyline");
        if (e.surface.PoXian.pts.size() < 2)
            Fail(key + ".points", "a polyline needs at least two points");
    }
    return e;
}

// A layer's keys, for a pile's layers (with their thickness) and for the
// strata of the whole slope (whose thickness comes from their boundaries).
ordered_json LayerToJson(const CSlopeBZDC_CS& l, const double* thickness)
{
    ordered_json o = ordered_json::object();
    o["rock"] = l.nYanTu != 0;
    if (thickness)
        o["thickness"] = *thickness;
    o["unitWeight"] = WrittenReal(l.fZhongDu);
    // Rock has no values of its own under water: none are written for it.
    if (l.nYanTu == 0)
        o["saturatedUnitWeight"] = WrittenReal(l.fBaoHeZhongDu);
    o["cohesion"] = WrittenReal(l.fNianJuLi);
    o["friction"] = WrittenReal(l.fMoCaJiao);
    if (l.nYanTu == 0) {
        o["cohesionUnderWater"] = WrittenReal(l.fShuiXiaNianJuLi);
        o["frictionUnderWater"] = WrittenReal(l.fShuiXiaMoCaJiao);
    }
    return o;
}

ordered_json Pts(const CSlp_PoXian& line)
{
    ordered_json a = ordered_json::array();
    for (const CFPoint& p : line.pts)
        a.push_back({WrittenReal(p.x), WrittenReal(p.y)});
    return a;
}

} // namespace

bool SlopeModelFromJson(const std::string& text, SlopeModelFile& model, std::string* error)
{
    SlopeModelFile m;
    const bool ok = JsonKit::Read([&] {
        const json doc = JsonKit::ParseObject(text, kModelLimits);
        std::string current;
        for (auto it = doc.begin(); it != doc.end(); ++it) {
            const std::string& k = it.key();
            if (k == "scheme")
                m.scheme = ReadInt(*it, k);
            else if (k == "currentSurface")
                m.currentSurface = ReadInt(*it, k);
            else if (k == "currentPile")
                current = ReadText(*it, k);
            else if (k == "piles") {
                for (size_t i = 0; i < ReadArray(*it, k).size(); ++i) {
                    bool own = false;
                    m.slope.KHPiles.push_back(Pile((*it)[i], Entry(k, i), own, m.notes));
                    m.groundFromSlope.push_back(!own);
                }
            } else if (k == "surfaces") {
                for (size_t i = 0; i < ReadArray(*it, k).size(); ++i)
                    m.surfaces.push_back(Surface((*it)[i], Entry(k, i)));
            } else if (k == "ground")
                m.ground = Points(*it, k);
            else if (k == "waterLine")
                m.waterLine = Points(*it, k);
            else if (k == "strata") {
                for (size_t i = 0; i < ReadArray(*it, k).size(); ++i) {
                    const std::string sk = Entry(k, i);
                    json props = (*it)[i];
                    ReadObject(props, sk);
                    SlopeStratum stratum;
                    if (props.contains("bottom")) {
                        stratum.bottom = Points(props["bottom"], sk + ".bottom");
                        props.erase("bottom");
                    }
                    if (props.contains("thickness"))
                        Fail(sk + ".thickness", "a stratum's thickness comes from its boundaries");
                    // Only the last may go on without a lower boundary: one
                    // above would hide the strata below it.
                    if (stratum.bottom.pts.empty() && i + 1 < ReadArray(*it, k).size())
                        Fail(sk + ".bottom", "missing; every stratum but the last needs its lower boundary");
                    stratum.properties = Layer(props, sk, m.notes);
                    m.strata.push_back(std::move(stratum));
                }
            } else
                Fail(k, "unknown key");
        }
        // One id, one pile and one slip surface: the files are named by them.
        std::map<int, size_t> pileIds, surfaceIds;
        for (size_t i = 0; i < m.slope.KHPiles.size(); ++i)
            if (auto [at, fresh] = pileIds.emplace(m.slope.KHPiles[i].nID, i); !fresh)
                Fail(Entry("piles", i) + ".id", std::to_string(at->first) + " is the id of " +
                                                   Entry("piles", at->second) + " already; ids must be unique");
        for (size_t i = 0; i < m.surfaces.size(); ++i)
            if (auto [at, fresh] = surfaceIds.emplace(m.surfaces[i].id, i); !fresh)
                Fail(Entry("surfaces", i) + ".id", std::to_string(at->first) + " is the id of " +
                                                      Entry("surfaces", at->second) + " already; ids must be unique");

        // Piles without layers of their own take them from the whole slope.
        if (m.ground.pts.empty() && !m.strata.empty())
            Fail("strata", "the strata need the \"ground\" of the whole slope above them");
        if (m.ground.pts.empty() && !m.waterLine.pts.empty())
            Fail("waterLine", "the water line needs the \"ground\" of the whole slope");
        for (size_t i = 0; i < m.slope.KHPiles.size(); ++i) {
            if (!m.groundFromSlope[i])
                continue;
            CSlp_KHPile& p = m.slope.KHPiles[i];
            if (m.ground.pts.empty())
                Fail(Entry("piles", i) + ".layers", "missing; give the layers in front of the pile " + PileName(p) +
                                                        ", or the whole slope (\"ground\" and \"strata\")");
            FromWholeSlope(m, p, Entry("piles", i));
            if (p.QianCeng.empty())
                Fail(Entry("piles", i), "no ground in front of the pile " + PileName(p) +
                                            (m.strata.empty() ? ": the model has no strata"
                                                              : ": no stratum lies in front of it at its axis"));
        }
        m.slope.nZhuangShu = static_cast<int>(m.slope.KHPiles.size());
        if (current.empty() && !m.slope.KHPiles.empty())
            current = m.slope.KHPiles.front().strName;
        m.slope.strCurKHPile = current;
        // Names are labels and two piles may share one: the first of the name
        // is the working pile.
        const auto named = std::find_if(m.slope.KHPiles.begin(), m.slope.KHPiles.end(),
                                        [&](const CSlp_KHPile& p) { return p.strName == current; });
        if (named != m.slope.KHPiles.end())
            m.slope.CurKHPile = *named;
        else if (!m.slope.KHPiles.empty())
            Fail("currentPile", "no pile is named \"" + PrintableKey(current) + "\"");
        if (m.currentSurface == 0 && !m.surfaces.empty())
            m.currentSurface = m.surfaces.front().id;
        if (!m.surfaces.empty() && !surfaceIds.count(m.currentSurface))
            Fail("currentSurface", "no slip surface has the id " + std::to_string(m.currentSurface));
        for (const SlopeSurfaceEntry& s : m.surfaces)
            if (s.id == m.currentSurface)
                m.slope.CurSurface = s.surface;
    }, error);
    if (ok)
        model = std::move(m);
    return ok;
}

namespace {

ordered_json ToDocument(const SlopeModelFile& m)
{
    ordered_json doc = ordered_json::object();
    doc["scheme"] = m.scheme;
    doc["currentSurface"] = m.currentSurface;
    doc["currentPile"] = m.slope.strCurKHPile;
    ordered_json piles = ordered_json::array();
    for (size_t i = 0; i < m.slope.KHPiles.size(); ++i) {
        const CSlp_KHPile& p = m.slope.KHPiles[i];
        // A pile that takes the ground in front of it from the whole slope keeps
        // taking it from there: an edit of the strata or the water line applies.
        const bool fromSlope = !m.ground.pts.empty() && i < m.groundFromSlope.size() && m.groundFromSlope[i];
        ordered_json o = ordered_json::object();
        o["id"] = p.nID;
        o["name"] = p.strName;
        o["axis"] = Pts(p.PoXian);
        o["section"] = p.nJieMian;
        o["grade"] = p.nDengJi;
        if (p.nJieMian == 0) {
            o["diameter"] = WrittenReal(p.fGao); // the size the calculation takes
        } else {
            o["width"] = WrittenReal(p.fKuan);
            o["height"] = WrittenReal(p.fGao);
        }
        o["spacing"] = WrittenReal(p.fJianJu);
        o["length"] = WrittenReal(p.fChang);
        o["unitWeight"] = WrittenReal(p.fRongZhong);
        if (!fromSlope) {
            o["groundY"] = WrittenReal(p.fQianDiMianY);
            o["water"] = p.bYouShui != 0;
            o["waterY"] = WrittenReal(p.fShuiWeiY);
            ordered_json layers = ordered_json::array();
            for (const CSlopeBZDC_CS& l : p.QianCeng)
                layers.push_back(LayerToJson(l, &l.dHouDu));
            o["layers"] = std::move(layers);
        }
        if (!p.KangLiDian.empty()) {
            ordered_json z = ordered_json::array(), v = ordered_json::array();
            for (float d : p.KangLiDian)
                z.push_back(WrittenReal(d));
            for (float r : p.KangLiZhi)
                v.push_back(WrittenReal(r));
            o["points"] = std::move(z);
            o["resistance"] = std::move(v);
        }
        piles.push_back(std::move(o));
    }
    doc["piles"] = std::move(piles);
    ordered_json surfaces = ordered_json::array();
    for (const SlopeSurfaceEntry& s : m.surfaces) {
        ordered_json o = ordered_json::object();
        o["id"] = s.id;
        if (s.surface.nHuaMianLeiXing == 1) {
            o["kind"] = "polyline";
            o["points"] = Pts(s.surface.PoXian);
        } else {
            o["kind"] = "circle";
            o["x"] = WrittenReal(s.surface.fX);
            o["y"] = WrittenReal(s.surface.fY);
            o["r"] = WrittenReal(s.surface.fR);
        }
        surfaces.push_back(std::move(o));
    }
    doc["surfaces"] = std::move(surfaces);
    if (!m.ground.pts.empty()) {
        doc["ground"] = Pts(m.ground);
        ordered_json strata = ordered_json::array();
        for (const SlopeStratum& st : m.strata) {
            ordered_json o = ordered_json::object();
            if (!st.bottom.pts.empty())
                o["bottom"] = Pts(st.bottom);
            o.update(LayerToJson(st.properties, nullptr));
            strata.push_back(std::move(o));
        }
        doc["strata"] = std::move(strata);
        if (!m.waterLine.pts.empty())
            doc["waterLine"] = Pts(m.waterLine);
    }
    return doc;
}

} // namespace

std::string SlopeModelToJson(const SlopeModelFile& m)
{
    return ToDocument(m).dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

void MakeCallCurrent(CSlopeData& slope, const SlopeSurfaceEntry& surface, size_t pile)
{
    slope.CurSurface = surface.surface;
    g_lCurHMID = surface.id;
    slope.strCurKHPile = slope.KHPiles[pile].strName;
    slope.CurKHPile = slope.KHPiles[pile];
}

bool LoadSlopeModel(const std::string& path, SlopeModelFile& model, std::string* error)
{
    std::string text;
    if (!ReadInputFile(path, kMaxRecordFileBytes * 4, text, error))
        return false;
    return SlopeModelFromJson(text, model, error);
}

bool SaveSlopeModel(const std::string& path, const SlopeModelFile& model, std::string* error)
{
    // A value that would not load back is refused, naming its key, before
    // anything is written.
    const ordered_json doc = ToDocument(model);
    if (!JsonKit::CheckWritable(doc, error))
        return false;
    return WriteFileSafely(path, doc.dump(2) + "\n", error);
}
