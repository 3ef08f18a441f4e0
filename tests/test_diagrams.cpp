// The diagrams as drawn onto the canvas model: what is where.
#include "Canvas.h"
#include "ForcesBook.h"
#include "InputSketch.h"
#include "RecordJson.h"
#include "KangLiJiSuan.h"
#include "PelvorinData.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

std::vector<const SgtItem*> OfKind(const CBase_SGT& c, SgtItem::Kind kind)
{
    std::vector<const SgtItem*> out;
    for (const SgtItem& it : c.items)
        if (it.kind == kind)
            out.push_back(&it);
    return out;
}

} // namespace

TEST(CanvasGeometry, CircleAndSegment)
{
    double px[2], py[2];
    // Unit circle and the x axis from -2 to 2: two points, the one nearer the
    // segment's end first.
    ASSERT_EQ(JH_GetInterPoint_Circle_LineSection(0, 0, 1, -2, 0, 2, 0, 1e-5, px, py), 2);
    EXPECT_DOUBLE_EQ(px[0], 1);
    EXPECT_DOUBLE_EQ(px[1], -1);
    EXPECT_EQ(JH_GetInterPoint_Circle_LineSection(0, 0, 1, 0, 0, 2, 0, 1e-5, px, py), 1);
    EXPECT_DOUBLE_EQ(px[0], 1);
    EXPECT_EQ(JH_GetInterPoint_Circle_LineSection(0, 0, 1, -2, 3, 2, 3, 1e-5, px, py), 0);
    EXPECT_DOUBLE_EQ(JH_GetAngle(0, 0, 0, 1), M_PI / 2);
    EXPECT_DOUBLE_EQ(JH_GetAngle(0, 0, 0, -1), 1.5 * M_PI);
}

TEST(CanvasGeometry, InsertedDrawingsAreMovedScaledAndTurned)
{
    CBase_SGT inner;
    inner.Draw_Line(0, 0, 1, 0, 1);
    CBase_SGT outer;
    outer.InsertDxf(inner, 10, 5, 2, 2, 90);
    std::vector<std::pair<double, double>> ends;
    ForEachItem(outer, [&](const SgtItem& it, const SgtTransform& t) {
        double x, y;
        t.Apply(it.x2, it.y2, x, y);
        ends.emplace_back(x, y);
    });
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_NEAR(ends[0].first, 10, 1e-12);
    EXPECT_NEAR(ends[0].second, 7, 1e-12);
    SgtBounds b = outer.Bounds();
    EXPECT_NEAR(b.minY, 5, 1e-12);
    EXPECT_NEAR(b.maxY, 7, 1e-12);
}

TEST(Diagrams, SketchOfARectangularPile)
{
    CPelvorinData r; // 1.0 x 1.5 m, 10 m long
    CBase_SGT c;
    CKangLiJiSuan calc;
    calc.pData = &r;
    EXPECT_EQ(calc.DrawTu(0, &c, nullptr), 1);
    EXPECT_EQ(c.strCurStyle, "HZ");
    auto rects = OfKind(c, SgtItem::Rect);
    ASSERT_EQ(rects.size(), 2u);
    // Elevation: x 0..1000, y 0..10000. Section: y -2250..-750.
    EXPECT_DOUBLE_EQ(rects[0]->x1 - rects[0]->width / 2, 0);
    EXPECT_DOUBLE_EQ(rects[0]->x1 + rects[0]->width / 2, 1000);
    EXPECT_DOUBLE_EQ(rects[0]->y1 - rects[0]->height / 2, 0);
    EXPECT_DOUBLE_EQ(rects[0]->y1 + rects[0]->height / 2, 10000);
    EXPECT_DOUBLE_EQ(rects[1]->y1 - rects[1]->height / 2, -2250);
    EXPECT_DOUBLE_EQ(rects[1]->y1 + rects[1]->height / 2, -750);
    auto dims = OfKind(c, SgtItem::AlignedDim);
    ASSERT_EQ(dims.size(), 2u);
    EXPECT_EQ(dims[0]->text, "h");
    EXPECT_EQ(dims[0]->style, "VR");
    EXPECT_DOUBLE_EQ(dims[1]->x2, 1000);
    // The slip arc: radius 0.4 L about (0.5 B, 0.7 L), its ends on the slope line.
    auto arcs = OfKind(c, SgtItem::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_DOUBLE_EQ(arcs[0]->radius, 4000);
    for (double a : {arcs[0]->angle0, arcs[0]->angle1}) {
        double x = 500 + 4000 * std::cos(a * M_PI / 180), y = 7000 + 4000 * std::sin(a * M_PI / 180);
        // On the line from (-5000, 5000) to (6000, 7000).
        EXPECT_NEAR((y - 5000) * 11000 - (x + 5000) * 2000, 0, 1e-3);
    }
}

// The slip arc of the sketch must cut the pile: it runs counter-clockwise from
// its start to its end angle, so it passes below the centre (270 degrees), where
// the pile stands, between its ends on the slope line.
void ExpectArcThroughPile(const CBase_SGT& c, double pileWidth, double L)
{
    auto arcs = OfKind(c, SgtItem::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    const SgtItem& arc = *arcs[0];
    // Start on the left of the slope line (between 180 and 270 degrees), end on
    // the right (between 270 and 360).
    EXPECT_GT(arc.angle0, 180.0);
    EXPECT_LT(arc.angle0, 270.0);
    EXPECT_GT(arc.angle1, 270.0);
    EXPECT_LT(arc.angle1, 360.0);
    // Its lowest point, straight below the centre at 0.3 L, lies on the pile axis.
    const double lowY = arc.y1 - arc.radius;
    EXPECT_NEAR(lowY, 0.3 * L, 1e-6);
    EXPECT_GE(arc.x1, 0.0);
    EXPECT_LE(arc.x1, pileWidth);
}

TEST(Diagrams, TheSlipArcCutsThePile)
{
    CPelvorinData r;
    CBase_SGT rect;
    r.DrawJiSuanJianTu(&rect);
    ExpectArcThroughPile(rect, 1000, 10000);
    auto arcs = OfKind(rect, SgtItem::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    // By hand: the line y = 5000 + (x + 5000) 2/11 meets the circle about
    // (500, 7000), r 4000, at (-3138.57, 5338.44), 204.544 degrees from the
    // centre, and at (4490.57, 6725.56), 356.066 degrees.
    EXPECT_NEAR(arcs[0]->angle0, 204.544, 0.001);
    EXPECT_NEAR(arcs[0]->angle1, 356.066, 0.001);
    r.nJieMianXingZhuang = 0;
    r.fZhuangChang = 16;
    r.fZhuangJing = 1.2f;
    CBase_SGT circ;
    r.DrawJiSuanJianTu(&circ);
    ExpectArcThroughPile(circ, 1200, 16000);
}

TEST(Diagrams, SketchOfACircularPile)
{
    CPelvorinData r;
    r.nJieMianXingZhuang = 0;
    CBase_SGT c;
    r.DrawJiSuanJianTu(&c);
    auto circles = OfKind(c, SgtItem::Circle);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_DOUBLE_EQ(circles[0]->x1, 750);
    EXPECT_DOUBLE_EQ(circles[0]->y1, -1500);
    EXPECT_DOUBLE_EQ(circles[0]->radius, 750);
    EXPECT_EQ(OfKind(c, SgtItem::AlignedDim).size(), 1u);
    r.nJieMianXingZhuang = 4; // the slope line and the arc only
    CBase_SGT other;
    r.DrawJiSuanJianTu(&other);
    EXPECT_EQ(other.items.size(), 2u);
}

TEST(Diagrams, ResultDiagramLabelsAndScale)
{
    CPelvorinData r;
    r.nTuCengShu = 0; // no ground: g = 0 everywhere, the pile 348.88 at the top
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    CBase_SGT c;
    calc.DrawTu(1, &c, nullptr);
    auto inserts = OfKind(c, SgtItem::Insert);
    ASSERT_EQ(inserts.size(), 2u);
    EXPECT_DOUBLE_EQ(inserts[1]->x1, 10.0); // the final curve beside, moved by L
    const CBase_SGT& first = *inserts[0]->block;
    std::map<std::string, int> depthLabels;
    int valueLabels = 0;
    for (const SgtItem& it : first.items)
        if (it.kind == SgtItem::Text && it.x1 == -0.5)
            ++depthLabels[it.text];
        else if (it.kind == SgtItem::Text && it.height == 0.1)
            ++valueLabels;
    EXPECT_EQ(depthLabels.size(), 21u);
    for (const auto& [label, count] : depthLabels)
        EXPECT_EQ(count, 1) << label;
    EXPECT_EQ(valueLabels, 42); // ground and pile, one per point each
    // k = trunc(348.88 / 7.5) = 46: the pile-top value label at 348.88 / 46 + 0.1.
    bool found = false;
    for (const SgtItem& it : first.items)
        if (it.kind == SgtItem::Text && it.text == "348.88") {
            EXPECT_NEAR(it.x1, 348.88 / 46 + 0.1, 1e-4);
            found = true;
        }
    EXPECT_TRUE(found);
    bool titled = false;
    for (const SgtItem& it : first.items)
        titled |= it.text == "桩提供抗力" && it.color == 3;
    EXPECT_TRUE(titled);

    // With ground in front, the final curve beside: every point's value is
    // written just right of that point of the curve.
    r.nTuCengShu = 2;
    r.TuCeng.resize(2);
    ASSERT_EQ(calc.JiSuan(), 1);
    CBase_SGT withGround;
    calc.DrawTu(1, &withGround, nullptr);
    const CBase_SGT& second = *OfKind(withGround, SgtItem::Insert)[1]->block;
    std::map<double, double> vertex; // depth (y) -> x of the final curve
    for (const SgtItem& it : second.items)
        if (it.kind == SgtItem::Line && it.layer == "FINAL-RESISTANCE") {
            vertex[it.y1] = it.x1;
            vertex[it.y2] = it.x2;
        }
    ASSERT_EQ(vertex.size(), 21u);
    int values = 0;
    for (const SgtItem& it : second.items)
        if (it.kind == SgtItem::Text && it.x1 != -0.5 && vertex.count(it.y1)) {
            EXPECT_NEAR(it.x1, vertex[it.y1] + 0.1, 1e-9) << it.text;
            ++values;
        }
    EXPECT_EQ(values, 21);
}

TEST(Diagrams, EarthPressureDiagram)
{
    CPelvorinData r;
    r.bKaoLvShui = 0;
    CTuCeng soil;
    soil.fHouDu = 20;
    r.TuCeng = {soil};
    r.nTuCengShu = 1;
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    CBase_SGT c;
    calc.DrawTu(2, &c, nullptr);
    EXPECT_EQ(r.strJianTuMing[2], "土压力结果图");
    // Divisions 10 and 2: one segment, from 26.065 / 30 at 2 m to 270.634 / 30 at 10 m.
    auto lines = OfKind(c, SgtItem::Line);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NEAR(lines[0]->x1, 26.065 / 30, 1e-4);
    EXPECT_DOUBLE_EQ(lines[0]->y1, -2);
    EXPECT_NEAR(lines[0]->x2, 270.634 / 30, 1e-4);
    EXPECT_DOUBLE_EQ(lines[0]->y2, -10);
    EXPECT_EQ(lines[4]->color, 0); // the pile axis
    EXPECT_DOUBLE_EQ(lines[4]->y2, -10);
    auto texts = OfKind(c, SgtItem::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0]->text, "270.63");
    EXPECT_DOUBLE_EQ(texts[0]->height, 0.2);

    // All rock: the soil zone is the slope surface alone, only the axis is drawn.
    r.TuCeng[0].nLeiXing = 1;
    ASSERT_EQ(calc.JiSuan(), 1);
    CBase_SGT rock;
    calc.DrawTu(2, &rock, nullptr);
    ASSERT_EQ(rock.items.size(), 1u);
    EXPECT_EQ(rock.items[0].kind, SgtItem::Line);
}

// The internal-force drawing a reviewer reads: on each of the four panels both
// extremes labelled with the values the solution gives (the book's and the
// JSON's), the slip surface marked, no two labels overlapping and no label
// across a curve or a slip surface.
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
        struct Label {
            std::string text;
            double x0, y0, x1, y1;
        };
        std::vector<Label> labels;
        std::vector<std::array<double, 4>> curves; // and slip surfaces: every line but the axes
        std::map<std::string, std::vector<std::pair<double, double>>> vertices; // of each panel's curve
        int slips = 0;
        ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform&) {
            if (it.kind == SgtItem::Line && (it.layer != "AXIS" || it.y1 == it.y2))
                curves.push_back({it.x1, it.y1, it.x2, it.y2});
            if (it.kind == SgtItem::Line && it.layer != "AXIS") {
                vertices[it.layer].emplace_back(it.x1, it.y1);
                vertices[it.layer].emplace_back(it.x2, it.y2);
            }
            if (it.kind == SgtItem::Text) {
                const double w = TextMetrics::Length(it.text) * it.height;
                labels.push_back({it.text, it.x1, it.y1 - 0.3 * it.height, it.x1 + w, it.y1 + it.height});
                slips += it.text == "滑面";
            }
        });
        EXPECT_EQ(slips, 4) << name;
        // A value's label: its value, and its depth on the line below; the
        // label's box, or none.
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
        const struct {
            const char* layer;
            const PileForceExtreme* range;
            double factor;
        } panels[] = {{"弯矩", f.momentRange, 1},
                      {"剪力", f.shearRange, 1},
                      {"位移", f.displacementRange, 1000},
                      {"侧向应力", f.stressRange, 1}};
        const double text = r.fZhuangChang / 60; // the drawing's text height
        for (const auto& p : panels)
            for (int k = 0; k < 2; ++k)
                if (p.range[k].value != 0) {
                    const std::optional<Label> l = shown(p.range[k].value * p.factor, p.range[k].depth);
                    ASSERT_TRUE(l) << name << ": " << p.range[k].value * p.factor;
                    // Beside its point on the curve: the nearest vertex at its depth
                    // lies within a few text heights of the label.
                    double nearest = 1e300;
                    for (const auto& [x, y] : vertices[p.layer])
                        if (std::fabs(y + p.range[k].depth) < 1e-9)
                            nearest = std::min(nearest, std::hypot(std::max({l->x0 - x, 0.0, x - l->x1}),
                                                                   std::max({l->y0 - y, 0.0, y - l->y1})));
                    EXPECT_LT(nearest, 6.5 * text) << name << ": " << l->text << " far from its point " << l->x0 << " " << l->y0 << " " << l->x1 << " " << l->y1 << " depth " << p.range[k].depth;
                }
        EXPECT_TRUE(shown(f.maxMoment.value, f.maxMoment.depth));
        for (size_t i = 0; i < labels.size(); ++i)
            for (size_t j = i + 1; j < labels.size(); ++j) {
                const Label &a = labels[i], &b = labels[j];
                EXPECT_FALSE(a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1)
                    << name << ": \"" << a.text << "\" over \"" << b.text << "\"";
            }
        // A segment crosses a box when, sampled finely, a point of it lies inside.
        for (const Label& l : labels)
            for (const auto& c : curves)
                for (int k = 0; k <= 50; ++k) {
                    const double x = c[0] + (c[2] - c[0]) * k / 50, y = c[1] + (c[3] - c[1]) * k / 50;
                    if (x > l.x0 && x < l.x1 && y > l.y0 && y < l.y1) {
                        ADD_FAILURE() << name << ": \"" << l.text << "\" across a line at (" << x << ", " << y << ")";
                        break;
                    }
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
            if (it.kind == SgtItem::Text) {
                ++texts;
                EXPECT_TRUE(it.height > 0 && it.height <= expected + 1e-12) << asked << ": " << it.text << " " << it.height;
            }
        });
        EXPECT_GE(texts, 5) << asked;
    }
}
