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

const int kColors[] = {1, 5, 3, 6, 4, 2, 7};

// A line pattern in chart units: drawn, left out, drawn, left out (a zero
// length for the last two repeats the first two); solid when empty.
struct Dash {
    double on1, off1, on2, off2;
};
const Dash kDashes[] = {{0, 0, 0, 0}, {3, 1.5, 0, 0}, {0.6, 1.2, 0, 0}, {3, 1.2, 0.6, 1.2}};

// Draws a line with the pattern, starting phase units into it; returns the
// phase at its end so that a polyline's pattern runs on across its corners.
double DashedLine(CBase_SGT& c, double x1, double y1, double x2, double y2, const Dash& d, double phase)
{
    const double length = std::hypot(x2 - x1, y2 - y1);
    if (d.on1 <= 0 || !(length > 0)) {
        c.Draw_Line(x1, y1, x2, y2, 1);
        return 0;
    }
    const double on2 = d.on2 > 0 ? d.on2 : d.on1, off2 = d.on2 > 0 ? d.off2 : d.off1;
    const double marks[4] = {d.on1, d.off1, on2, off2};
    const double period = d.on1 + d.off1 + on2 + off2;
    double t = 0, p = std::fmod(phase, period);
    // At most period / shortest mark pieces per period: bounded by the length.
    while (t < length) {
        double start = 0;
        int m = 0;
        while (m < 3 && p >= start + marks[m])
            start += marks[m++];
        const double piece = std::min(start + marks[m] - p, length - t);
        if (!(piece > 0)) { // the sum of the marks fell short of the period by rounding
            p = 0;
            continue;
        }
        if (m % 2 == 0) {
            const double a = t / length, b = (t + piece) / length;
            c.Draw_Line(x1 + (x2 - x1) * a, y1 + (y2 - y1) * a, x1 + (x2 - x1) * b, y1 + (y2 - y1) * b, 1);
        }
        t += piece;
        p = std::fmod(p + piece, period);
    }
    return p;
}

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
    // A span too small for the doubles near the values (one value, or 1e16 and
    // its neighbours) is widened to one a tick step can divide.
    if (!(xmax - xmin >= std::max(1.0, std::fabs(xmin)) * 1e-6)) {
        const double half = std::max(0.5, std::fabs(xmin) * 0.1);
        xmin -= half;
        xmax = xmin + 2 * half;
    }
    const double xs = TickStep(xmax - xmin), ys = TickStep(ymax - ymin);
    xmin = std::floor(xmin / xs) * xs;
    xmax = std::ceil(xmax / xs - 1e-9) * xs;
    ymax = std::ceil(ymax / ys - 1e-9) * ys;
    // About five ticks an axis; counted, so that a step lost in rounding cannot
    // run on without end.
    const int xticks = static_cast<int>(std::min(20.0, std::round((xmax - xmin) / xs)));
    const int yticks = static_cast<int>(std::min(20.0, std::round((ymax - ymin) / ys)));
    auto X = [&](double v) { return (v - xmin) / (xmax - xmin) * W; };
    auto Y = [&](double v) { return (v - ymin) / (ymax - ymin) * H; };
    const double text = 3.2;

    // Axes with ticks, values, names and units.
    c.SetCurColor(7);
    c.SetCurLayer("AXIS");
    c.Draw_Line(0, 0, W, 0, 1);
    c.Draw_Line(0, 0, 0, H, 1);
    for (int i = 0; i <= xticks; ++i) {
        const double v = xmin + i * xs;
        c.Draw_Line(X(v), 0, X(v), -1.5, 1);
        c.Draw_Text(X(v) - 2, -5.5, text, 0, Fixed(v, Decimals(xs)).c_str());
    }
    for (int i = 0; i <= yticks; ++i) {
        const double v = ymin + i * ys;
        c.Draw_Line(0, Y(v), -1.5, Y(v), 1);
        c.Draw_Text(-14, Y(v) - 1, text, 0, Fixed(v, Decimals(ys)).c_str());
    }
    c.Draw_Text(W / 2 - 20, -12, text * 1.2, 0, labels.empty() ? ranges[0].key.c_str() : labels[0].c_str());
    c.Draw_Text(-14, H + 5, text * 1.2, 0, "滑面处抗力 (kN/m)");

    // One curve per value of the second input, told apart by colour and line;
    // a square where the pile section governs, a circle where the ground does.
    const size_t curves = ranges.size() > 1 ? ranges[1].values.size() : 1;
    const size_t perCurve = ranges[0].values.size();
    const int decimals = ranges.size() > 1 ? LabelDecimals(ranges[1].values) : 0;
    for (size_t k = 0; k < curves; ++k) {
        c.SetCurColor(kColors[k % 7]);
        c.SetCurLayer("CURVE");
        const Dash& dash = kDashes[(k / 7) % 4];
        bool have = false;
        double px = 0, py = 0, phase = 0;
        for (size_t i = 0; i < perCurve; ++i) {
            const StudyPoint& p = points[i * curves + k];
            if (p.result.status != 1) {
                have = false; // a refused combination leaves a gap
                continue;
            }
            const double x = X(p.values[0]), y = Y(p.result.atSlip);
            if (have)
                phase = DashedLine(c, px, py, x, y, dash, phase);
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
            DashedLine(c, W + 4, ly, W + 14, ly, dash, 0);
            const std::string name = (labels.size() > 1 ? labels[1] : ranges[1].key) + " = " +
                                     ValueLabel(ranges[1].values[k], decimals);
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
