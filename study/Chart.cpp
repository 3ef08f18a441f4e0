#include "Chart.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Tick step of about five ticks over a span: 1, 2 or 5 times a power of ten.
double TickStep(double span)
{
    if (!(span > 0))
        return 1;
    const double raw = span / 5;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw)
            return m * p;
    return 10 * p;
}

int Decimals(double step) { return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9)); }

} // namespace

CBase_SGT SweepChart(const std::vector<StudyPoint>& points, const std::vector<StudyRange>& ranges,
                     const std::vector<std::string>& labels)
{
    CBase_SGT c;
    c.SetCurStyle("HZ");
    if (ranges.empty() || points.empty())
        return c;
    const double W = 160, H = 100; // plot area, in chart units
    double xmin = ranges[0].values.front(), xmax = ranges[0].values.back();
    double ymin = 0, ymax = -std::numeric_limits<double>::infinity();
    for (const StudyPoint& p : points)
        if (p.result.status == 1)
            ymax = std::max(ymax, p.result.atSlip);
    if (!(ymax > 0))
        ymax = 1;
    if (xmax <= xmin)
        xmax = xmin + 1;
    const double xs = TickStep(xmax - xmin), ys = TickStep(ymax - ymin);
    xmin = std::floor(xmin / xs) * xs;
    xmax = std::ceil(xmax / xs - 1e-9) * xs;
    ymax = std::ceil(ymax / ys - 1e-9) * ys;
    auto X = [&](double v) { return (v - xmin) / (xmax - xmin) * W; };
    auto Y = [&](double v) { return (v - ymin) / (ymax - ymin) * H; };
    const double text = 3.2;

    // Axes with ticks, values, names and units.
    c.SetCurColor(7);
    c.SetCurLayer("AXIS");
    c.Draw_Line(0, 0, W, 0, 1);
    c.Draw_Line(0, 0, 0, H, 1);
    for (double v = xmin; v <= xmax + xs * 1e-6; v += xs) {
        c.Draw_Line(X(v), 0, X(v), -1.5, 1);
        c.Draw_Text(X(v) - 2, -5.5, text, 0, Fixed(v, Decimals(xs)).c_str());
    }
    for (double v = ymin; v <= ymax + ys * 1e-6; v += ys) {
        c.Draw_Line(0, Y(v), -1.5, Y(v), 1);
        c.Draw_Text(-14, Y(v) - 1, text, 0, Fixed(v, Decimals(ys)).c_str());
    }
    c.Draw_Text(W / 2 - 20, -12, text * 1.2, 0, labels.empty() ? ranges[0].key.c_str() : labels[0].c_str());
    c.Draw_Text(-14, H + 5, text * 1.2, 0, "滑面处抗力 (kN/m)");

    // One curve per value of the second input; a square where the pile section
    // governs, a circle where the ground does.
    const size_t curves = ranges.size() > 1 ? ranges[1].values.size() : 1;
    const size_t perCurve = ranges[0].values.size();
    const int colors[] = {1, 5, 3, 6, 4, 2, 7};
    for (size_t k = 0; k < curves; ++k) {
        c.SetCurColor(colors[k % 7]);
        c.SetCurLayer("CURVE");
        bool have = false;
        double px = 0, py = 0;
        for (size_t i = 0; i < perCurve; ++i) {
            const StudyPoint& p = points[i * curves + k];
            if (p.result.status != 1) {
                have = false; // a refused combination leaves a gap
                continue;
            }
            const double x = X(p.values[0]), y = Y(p.result.atSlip);
            if (have)
                c.Draw_Line(px, py, x, y, 1);
            if (p.result.governs == 'P')
                c.Draw_Rect_C(1.6, 1.6, x, y, 0);
            else
                c.Draw_Circle(x, y, 0.9, 1);
            px = x;
            py = y;
            have = true;
        }
        if (ranges.size() > 1) {
            const double ly = H - 6 * static_cast<double>(k);
            c.Draw_Line(W + 6, ly, W + 14, ly, 1);
            const std::string name = (labels.size() > 1 ? labels[1] : ranges[1].key) + " = " +
                                     Fixed(ranges[1].values[k], Decimals(TickStep(ranges[1].values.back() -
                                                                                  ranges[1].values.front()) /
                                                                         10));
            c.Draw_Text(W + 16, ly - 1, text, 0, name.c_str());
        }
    }
    c.SetCurColor(7);
    c.SetCurLayer("LEGEND");
    const double ly = ranges.size() > 1 ? H - 6 * static_cast<double>(curves) - 6 : H;
    c.Draw_Rect_C(1.6, 1.6, W + 10, ly, 0);
    c.Draw_Text(W + 16, ly - 1, text, 0, "桩身截面控制 (pile governs)");
    c.Draw_Circle(W + 10, ly - 6, 0.9, 1);
    c.Draw_Text(W + 16, ly - 7, text, 0, "桩前岩土控制 (ground governs)");
    return c;
}
