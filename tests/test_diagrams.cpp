// The diagrams as drawn onto the canvas model: what is where.
#include "Canvas.h"
#include "ForcesBook.h"
#include "InputSketch.h"
#include "KangLiJiSuan.h"
#include "RecordFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

namespace {

std::vector<const SgtItem*> OfKind(const CBase_SGT& c, SgtItem::Kind kind)
{
    std::vector<const SgtItem*> out;
    for (const SgtItem& it : c.items)
        if (it.kind == kind)
            out.push_back(&it);
    return out;
}

// The record calculated and diagram n drawn.
CBase_SGT Drawn(CPelvorinData& r, int n)
{
    CKangLiJiSuan calc;
    calc.pData = &r;
    EXPECT_EQ(calc.JiSuan(), 1);
    CBase_SGT c;
    calc.DrawTu(n, &c, nullptr);
    return c;
}

} // namespace

// The sketch, in millimetres: the pile w wide standing on y = 0..L, its section
// (a box w by 1.5 m, or a circle of diameter w) below the foot with a dimension
// across it, and the slip arc of radius 0.4 L centred 0.7 L up from the slope
// line's left half, down through the pile below its centre (270 degrees), to
// its right half; the slope line runs from (-0.5 L, 0.5 L) to (0.6 L, 0.7 L).
// By hand for the default record: the arc's ends at 204.544 and 356.066 degrees.
TEST(Diagrams, TheSketchOfEachSection)
{
    // The shape, the length, the width across the slope (b, or the diameter),
    // the items drawn, the arc's ends by hand.
    const struct { int shape; float length, width; size_t items; double angle0, angle1; } cases[] = {{1, 10, 1.0f, 6, 204.544, 356.066}, {0, 16, 1.2f, 5, NAN, NAN}, {4, 10, 1.0f, 2, NAN, NAN}};
    for (const auto& k : cases) {
        CPelvorinData r; // 1.5 m high, 1.0 m wide
        r.nJieMianXingZhuang = k.shape, r.fZhuangChang = k.length, r.fZhuangJing = k.width;
        CBase_SGT c;
        r.DrawJiSuanJianTu(&c);
        const double L = 1000.0 * k.length, w = 1000.0 * k.width;
        EXPECT_EQ(c.items.size(), k.items) << k.shape;
        const auto arcs = OfKind(c, SgtItem::Arc);
        ASSERT_EQ(arcs.size(), 1u);
        const SgtItem& arc = *arcs[0];
        EXPECT_TRUE(std::fabs(arc.radius - 0.4 * L) < 1e-9 * L && std::fabs(arc.y1 - 0.7 * L) < 1e-9 * L) << arc.radius << " " << arc.y1;
        EXPECT_TRUE(arc.angle0 > 180 && arc.angle0 < 270 && arc.angle1 > 270 && arc.angle1 < 360) << arc.angle0 << " " << arc.angle1;
        for (double a : {arc.angle0, arc.angle1}) {
            const double x = arc.x1 + arc.radius * std::cos(a * M_PI / 180), y = arc.y1 + arc.radius * std::sin(a * M_PI / 180);
            EXPECT_NEAR((y - 0.5 * L) * 1.1 * L - (x + 0.5 * L) * 0.2 * L, 0, 1e-3 * L) << k.shape << ": " << a;
        }
        EXPECT_TRUE(std::isnan(k.angle0) || (std::fabs(arc.angle0 - k.angle0) < 0.001 && std::fabs(arc.angle1 - k.angle1) < 0.001))
            << arc.angle0 << " " << arc.angle1;
        if (k.shape == 4)
            continue;
        EXPECT_TRUE(arc.x1 >= 0 && arc.x1 <= w) << arc.x1; // its lowest point in the pile
        std::vector<std::array<double, 4>> boxes; // of the elevation and the section
        for (const SgtItem& it : c.items)
            if (it.kind == SgtItem::Rect || it.kind == SgtItem::Circle) {
                const double hw = it.kind == SgtItem::Rect ? it.width / 2 : it.radius, hh = it.kind == SgtItem::Rect ? it.height / 2 : it.radius;
                boxes.push_back({it.x1 - hw, it.y1 - hh, it.x1 + hw, it.y1 + hh});
            }
        const double section = k.shape == 1 ? 1500 : w;
        const std::array<double, 4> expected[2] = {{0, 0, w, L}, {0, -1.5 * section, w, -0.5 * section}};
        ASSERT_EQ(boxes.size(), 2u);
        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR(boxes[i / 4][i % 4], expected[i / 4][i % 4], 1e-3) << k.shape << ": " << i;
        const SgtItem& dim = *OfKind(c, SgtItem::AlignedDim).back();
        EXPECT_NEAR(dim.x2 - dim.x1, w, 1e-3); // across the section
    }
}

TEST(Diagrams, ResultDiagramLabelsAndScale)
{
    CPelvorinData r;
    r.nTuCengShu = 0; // no ground: g = 0 everywhere, the pile 348.88 at the top
    const CBase_SGT c = Drawn(r, 1);
    auto inserts = OfKind(c, SgtItem::Insert);
    ASSERT_EQ(inserts.size(), 2u);
    EXPECT_DOUBLE_EQ(inserts[1]->x1, 10.0); // the final curve beside, moved by L
    std::map<std::string, int> depthLabels;
    int valueLabels = 0, pileTop = 0;
    for (const SgtItem& it : inserts[0]->block->items) {
        if (it.kind == SgtItem::Text && it.x1 == -0.5)
            ++depthLabels[it.text];
        valueLabels += it.kind == SgtItem::Text && it.x1 != -0.5 && it.height == 0.1;
        // k = trunc(348.88 / 7.5) = 46: the pile-top value label at 348.88 / 46 + 0.1.
        pileTop += it.text == "348.88" && std::fabs(it.x1 - (348.88 / 46 + 0.1)) < 1e-4;
    }
    EXPECT_EQ(depthLabels.size(), 21u);
    EXPECT_TRUE(std::all_of(depthLabels.begin(), depthLabels.end(), [](const auto& d) { return d.second == 1; })); // each once
    EXPECT_EQ(valueLabels, 42); // ground and pile, one per point each
    EXPECT_EQ(pileTop, 1);

    // With ground in front, the final curve beside: every point's value is
    // written just right of that point of the curve.
    r.nTuCengShu = 2, r.TuCeng.resize(2);
    const CBase_SGT withGround = Drawn(r, 1);
    const CBase_SGT& second = *OfKind(withGround, SgtItem::Insert)[1]->block;
    std::map<double, double> vertex; // depth (y) -> x of the final curve
    for (const SgtItem& it : second.items)
        if (it.kind == SgtItem::Line && it.layer == "FINAL-RESISTANCE")
            vertex[it.y1] = it.x1, vertex[it.y2] = it.x2;
    ASSERT_EQ(vertex.size(), 21u);
    // Each label is the value at its own point: value over x is the one scale.
    int values = 0;
    std::vector<double> scales;
    for (const SgtItem& it : second.items)
        if (it.kind == SgtItem::Text && it.x1 != -0.5 && vertex.count(it.y1)) {
            ++values;
            EXPECT_NEAR(it.x1, vertex[it.y1] + 0.1, 1e-9) << it.text;
            if (vertex[it.y1] > 0.5)
                scales.push_back(std::stod(it.text) / vertex[it.y1]);
        }
    EXPECT_EQ(values, 21);
    ASSERT_GT(scales.size(), 10u);
    for (double k : scales)
        EXPECT_NEAR(k, scales.front(), 1e-3 * scales.front());
}

TEST(Diagrams, EarthPressureDiagram)
{
    CPelvorinData r;
    r.bKaoLvShui = 0, r.nTuCengShu = 1;
    r.TuCeng = {CTuCeng()}, r.TuCeng[0].fHouDu = 20; // one soil layer of 20 m
    const CBase_SGT c = Drawn(r, 2);
    // Divisions 10 and 2: one segment, from 26.065 / 30 at 2 m to 270.634 / 30 at 10 m.
    auto lines = OfKind(c, SgtItem::Line), texts = OfKind(c, SgtItem::Text);
    ASSERT_EQ(lines.size(), 5u);
    const double ends[4] = {lines[0]->x1, lines[0]->y1, lines[0]->x2, lines[0]->y2}, byHand[4] = {26.065 / 30, -2, 270.634 / 30, -10};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(ends[i], byHand[i], 1e-4) << i;
    EXPECT_TRUE(lines[4]->color == 0 && lines[4]->y2 == -10); // the pile axis
    EXPECT_TRUE(texts.size() == 4 && texts[0]->text == "270.63");
    // All rock: the soil zone is the slope surface alone, only the axis is drawn.
    r.TuCeng[0].nLeiXing = 1;
    const CBase_SGT rock = Drawn(r, 2);
    EXPECT_TRUE(rock.items.size() == 1 && rock.items[0].kind == SgtItem::Line);
}

// The internal-force drawing a reviewer reads: on each of the four panels both
// extremes labelled with the values the solution gives (the book's and the
// JSON's) beside their points, the slip surface marked, no two labels
// overlapping and no label across a curve or a slip surface.
TEST(ForcesDiagram, BothExtremesOfEveryPanelAndNoLabelOverAnotherOrACurve)
{
    for (const char* name : {"defaults.json", "circular-pile-into-rock.json", "rectangular-pile-soil-layers.json"}) {
        CPelvorinData r;
        std::string error;
        ASSERT_TRUE(LoadRecordFile(std::string(KANGLI_EXAMPLES_DIR "/design/") + name, r, &error)) << error;
        const PileForces f = CalculatePileForces(r);
        ASSERT_EQ(f.status, 1) << name << ": " << f.refusal;
        CBase_SGT canvas;
        DrawForcesDiagram(r, f, &canvas);
        struct Label { std::string text; double x0, y0, x1, y1; };
        std::vector<Label> labels;
        std::vector<std::array<double, 4>> curves; // and slip surfaces: every line but the axes
        std::map<std::string, std::vector<std::pair<double, double>>> vertices; // of each panel's curve
        ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform&) {
            if (it.kind == SgtItem::Line && (it.layer != "AXIS" || it.y1 == it.y2))
                curves.push_back({it.x1, it.y1, it.x2, it.y2});
            if (it.kind == SgtItem::Line && it.layer != "AXIS")
                vertices[it.layer].insert(vertices[it.layer].end(), {{it.x1, it.y1}, {it.x2, it.y2}});
            if (it.kind == SgtItem::Text)
                labels.push_back({it.text, it.x1, it.y1 - 0.3 * it.height, it.x1 + TextMetrics::Length(it.text) * it.height, it.y1 + it.height});
        });
        EXPECT_EQ(std::count_if(labels.begin(), labels.end(), [](const Label& l) { return l.text == "滑面"; }), 4) << name;
        // A value's label: its value, and its depth on the line below; the box of both, or none.
        auto shown = [&](double v, double depth) -> std::optional<Label> {
            char value[64], at[64];
            std::snprintf(value, sizeof value, "%.3f", v);
            std::snprintf(at, sizeof at, "（%.2f m）", depth);
            for (size_t i = 0; i + 1 < labels.size(); ++i)
                if (labels[i].text == value && labels[i + 1].text == at && labels[i + 1].y1 < labels[i].y1)
                    return Label{value, std::min(labels[i].x0, labels[i + 1].x0), labels[i + 1].y0,
                                 std::max(labels[i].x1, labels[i + 1].x1), labels[i].y1};
            return std::nullopt;
        };
        const struct { const char* layer; const PileForceExtreme* range; double factor; } panels[] = {{"弯矩", f.momentRange, 1}, {"剪力", f.shearRange, 1}, {"位移", f.displacementRange, 1000}, {"侧向应力", f.stressRange, 1}};
        const double text = r.fZhuangChang / 60; // the drawing's text height
        for (const auto& p : panels)
            for (const PileForceExtreme& e : {p.range[0], p.range[1]}) {
                if (e.value == 0)
                    continue;
                const std::optional<Label> l = shown(e.value * p.factor, e.depth);
                ASSERT_TRUE(l) << name << ": " << e.value * p.factor;
                // Beside its point: the nearest vertex at its depth within a few text heights.
                double nearest = 1e300;
                for (const auto& [x, y] : vertices[p.layer])
                    if (std::fabs(y + e.depth) < 1e-9)
                        nearest = std::min(nearest, std::hypot(std::max({l->x0 - x, 0.0, x - l->x1}), std::max({l->y0 - y, 0.0, y - l->y1})));
                EXPECT_LT(nearest, 6.5 * text) << name << ": " << l->text << " far from its point at depth " << e.depth;
            }
        for (size_t i = 0; i < labels.size(); ++i)
            for (size_t j = i + 1; j < labels.size(); ++j) {
                const Label &a = labels[i], &b = labels[j];
                EXPECT_FALSE(a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1) << name << ": \"" << a.text << "\" over \"" << b.text << "\"";
            }
        // A segment crosses a box when, sampled finely, a point of it lies inside.
        for (const Label& l : labels)
            for (const auto& c : curves)
                for (int k = 0; k <= 50; ++k) {
                    const double x = c[0] + (c[2] - c[0]) * k / 50, y = c[1] + (c[3] - c[1]) * k / 50;
                    EXPECT_FALSE(x > l.x0 && x < l.x1 && y > l.y0 && y < l.y1) << name << ": \"" << l.text << "\" across a line at (" << x << ", " << y << ")";
                }
    }
}

// The window's sketch takes the label size the screen asks for, and a size
// that is no size (none, negative, not a number, too large) as a twentieth of
// the pile, at most an eighth: no label is drawn with a height that shows
// nothing or covers the pile.
TEST(InputSketch, LabelHeightsAreSizesWhateverTheScreenAsks)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    for (double asked : {0.0, -1.0, std::nan(""), 0.3, 50.0}) {
        CBase_SGT c;
        DrawInputSketch(r, &c, asked);
        const double expected = asked > 0 && std::isfinite(asked) ? std::min(asked, 10.0 / 8) : 10.0 / 20;
        int texts = 0;
        ForEachItem(c, [&](const SgtItem& it, const SgtTransform&) {
            texts += it.kind == SgtItem::Text;
            EXPECT_TRUE(it.kind != SgtItem::Text || (it.height > 0 && it.height <= expected + 1e-12)) << asked << ": " << it.text;
        });
        EXPECT_GE(texts, 5) << asked;
    }
}
