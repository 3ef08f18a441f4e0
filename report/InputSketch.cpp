#include "InputSketch.h"

#include "LabelPlacer.h"

#include "Canvas.h"
#include "NumericLocale.h"
#include "PelvorinData.h"

#include <algorithm>
#include <array>
#include <vector>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// A value as the tables show it, with a dot whatever the user's locale.
std::string Num(double v, int decimals)
{
    ScopedCNumbers c;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// A value with at least `least` decimals and up to `most`, as many as it has:
// a layer of 2.125 m is labelled 2.125, one of 2 m 2.00.
std::string Held(double v, int least, int most)
{
    std::string text = Num(v, most);
    const size_t dot = text.find('.');
    while (dot != std::string::npos && text.size() > dot + 1 + static_cast<size_t>(least) && text.back() == '0')
        text.pop_back();
    return text;
}

double Finite(float v, double otherwise) { return std::isfinite(v) ? static_cast<double>(v) : otherwise; }

// CAD colour numbers, as the writers and the screen know them.
enum { Red = 1, Yellow = 2, Green = 3, Cyan = 4, Blue = 5, White = 7 };

// The sketch sets a text of height h in a font of size h.
constexpr double kSketchText = 1.0 / TextMetrics::kEm;

} // namespace

void DrawInputSketch(const CPelvorinData& r, CBase_SGT* c, double textHeight)
{
    if (!c)
        return;
    c->nUnits = CBase_SGT::Metres;
    c->SetCurStyle("HZ");
    LabelPlacer sk(c, kSketchText);
    const bool circle = r.nJieMianXingZhuang == 0;
    const double L = std::max(Finite(r.fZhuangChang, 10), 0.1);
    const double b = std::max(Finite(r.fZhuangKuan, 1), 0.0), h = std::max(Finite(r.fZhuangGao, 1), 0.0);
    const double d = std::max(Finite(r.fZhuangJing, 1), 0.0);
    // The pile in elevation: its size along the slide (h, or d), never thinner
    // than a line can show next to its length.
    const double w = std::clamp(circle ? d : h, L / 40, L / 4);
    const double s = Finite(r.fPoMianDaoZhuangDing, 0), t = Finite(r.fHuaMianDaoZhuangDing, 0);
    // Everything is drawn within a few pile lengths of the pile, so that a depth
    // far out of range (typed, still to be corrected) keeps the pile in sight.
    auto depth = [L](double z) { return std::clamp(z, -2 * L, 3 * L); };
    const double front = w + 0.85 * L; // how far the ground in front is drawn
    const double th = textHeight > 0 && std::isfinite(textHeight) ? std::min(textHeight, L / 8) : L / 20;
    const double across = -0.35 * L;  // the slope behind the pile begins here

    // The lines first, so that every label can keep clear of all of them.
    c->SetCurColor(White);
    c->SetCurLayer("PILE");
    sk.Line(0, 0, w, 0);
    sk.Line(w, 0, w, -L);
    sk.Line(w, -L, 0, -L);
    sk.Line(0, -L, 0, 0);
    const std::string length = "L = " + Num(L, 3) + " m";
    c->Draw_AlignedDim(0, 0, 0, -L, -0.06 * L, -0.5 * L, length.c_str(), "VR");
    // Its text stands along the dimension line, left of it.
    sk.Take({-0.06 * L - 1.3 * th, -0.5 * L - 0.5 * sk.Length(th, length), -0.06 * L,
             -0.5 * L + 0.5 * sk.Length(th, length)});

    // The slope surface: rising behind the pile, and level in front of it, where
    // the layers and the water are measured from.
    const double ys = -depth(s);
    c->SetCurColor(Green);
    c->SetCurLayer("SLOPE");
    sk.Line(across, ys + 0.3 * L, 0, ys);
    sk.Line(w, ys, front, ys);

    // The layers in front of the pile, top down from the slope surface; the
    // calculation carries the last one down to the pile foot.
    struct Band {
        double top, bottom; // y of the band's top and bottom
        std::string label;
    };
    std::vector<Band> bands;
    const int n = std::min(static_cast<int>(r.TuCeng.size()), std::max(r.nTuCengShu, 0));
    double top = s;
    c->SetCurColor(Yellow);
    c->SetCurLayer("LAYERS");
    for (int i = 0; i < n && top < L; ++i) {
        const CTuCeng& layer = r.TuCeng[static_cast<size_t>(i)];
        const double thickness = Finite(layer.fHouDu, 0);
        const double bottom = i == n - 1 ? L : std::min(top + std::max(thickness, 0.0), L);
        if (bottom < L)
            sk.Line(w, -depth(bottom), front, -depth(bottom));
        bands.push_back({-depth(std::max(top, -2 * L)), -depth(bottom),
                         std::to_string(i + 1) + " " + (layer.nLeiXing == 1 ? "岩层" : "土层") + " " +
                             Held(thickness, 2, 3) + " m"});
        top = bottom;
    }

    // The water level in front of the pile, below the slope surface, with its
    // mark, a small triangle standing on the line.
    const bool water = r.bKaoLvShui == 1;
    const double wd = Finite(r.fShuiWeiShenDu, 0);
    const double yw = -depth(s + wd);
    if (water) {
        c->SetCurColor(Blue);
        c->SetCurLayer("WATER");
        sk.Line(w, yw, front, yw);
        const double mx = w + 0.35 * L, k = th * 0.6;
        sk.Line(mx - k, yw + 1.2 * k, mx + k, yw + 1.2 * k);
        sk.Line(mx - k, yw + 1.2 * k, mx, yw);
        sk.Line(mx + k, yw + 1.2 * k, mx, yw);
    }

    // The slip surface crosses the pile at its depth, falling towards the front.
    const double yt = -depth(t);
    const double xm = 0.5 * w, fall = 0.3;
    const double slipLeft = yt + fall * (xm - across);
    c->SetCurColor(Red);
    c->SetCurLayer("SLIP");
    sk.Line(across, slipLeft, front, yt - fall * (front - xm));

    // The labels, those with the fewest places first. Levels are labelled by
    // their depth below the pile top, as every depth of the record is.
    const std::string slip = "滑面 " + Num(t, 3) + " m";
    // Left of the pile's length dimension, at the line's far end or along it.
    const double slipEnd = -0.06 * L - 1.6 * th - sk.Length(th, slip);
    auto slipAt = [&](double x) { return yt + fall * (xm - x); };
    sk.Label(th, slip,
             {{across, slipLeft + 0.3 * th}, {across, slipLeft - 1.3 * th},
              {front - sk.Length(th, slip), slipAt(front) - 1.3 * th}, {slipEnd, slipAt(slipEnd) + 0.3 * th},
              {slipEnd, slipAt(slipEnd) - 1.3 * th}, {across - sk.Length(th, slip), slipLeft - 0.4 * th},
              {across, slipLeft + 1.6 * th}});
    c->SetCurColor(Green);
    c->SetCurLayer("SLOPE");
    const std::string surface = "坡面 " + Num(s, 3) + " m";
    const double surfaceEnd = front - sk.Length(th, surface);
    sk.Label(th, surface,
             {{w + 0.4 * L, ys + 0.3 * th}, {surfaceEnd, ys + 0.3 * th}, {w + 0.2 * L, ys + 0.3 * th},
              {w + 0.4 * L, ys + 1.6 * th}, {surfaceEnd, ys + 1.6 * th}});
    c->SetCurColor(Yellow);
    c->SetCurLayer("LAYERS");
    const double lh = th;
    for (const Band& band : bands) {
        // Every height at which the label lies within its band, the middle
        // first, then outwards; at each, places across the band from the pile.
        std::vector<std::pair<double, double>> at;
        const double low = band.bottom + 0.4 * lh, high = band.top - 1.05 * lh;
        const double mid = 0.5 * (band.top + band.bottom) - 0.3 * lh;
        std::vector<double> heights{mid};
        for (int step = 1; step <= 24; ++step) {
            const double y = mid + (step + 1) / 2 * 0.3 * lh * (step % 2 ? -1 : 1);
            if (y >= low && y <= high)
                heights.push_back(y);
        }
        const double len = sk.Length(lh, band.label);
        const double right = std::max(w + 0.05 * L, front - len);
        for (double y : heights)
            for (int k = 0; k <= 4; ++k)
                at.push_back({w + 0.05 * L + k * 0.25 * (right - w - 0.05 * L), y});
        sk.Label(lh, band.label, at);
    }

    // The water level last of the three: a thin layer's label has only its
    // band, the level's label may stand a line or two off its line.
    if (water) {
        c->SetCurColor(Blue);
        c->SetCurLayer("WATER");
        const std::string level = "水位 " + Num(s + wd, 3) + " m";
        const double levelEnd = front - sk.Length(th, level);
        sk.Label(th, level,
                 {{w + 0.4 * L, yw - 1.3 * th}, {levelEnd, yw - 1.3 * th}, {levelEnd, yw + 0.3 * th},
                  {w + 0.05 * L, yw - 1.3 * th}, {w + 0.05 * L, yw + 0.3 * th}, {levelEnd, yw - 2.6 * th},
                  {levelEnd, yw + 1.6 * th}, {w + 0.05 * L, yw - 2.6 * th}, {levelEnd, yw - 3.9 * th}});
    }

    // The section, drawn large enough to read, each size labelled by what it
    // is: b across above it, h along the slide on its right, or the diameter d
    // above a circle. It goes to the first place where it and its labels are
    // clear of the lines and labels drawn.
    c->SetCurColor(Cyan);
    c->SetCurLayer("SECTION");
    const double size = circle ? d : std::max(b, h);
    const double k = size > 0 ? 0.2 * L / size : 1; // drawing scale of the section
    const double halfW = 0.5 * (circle ? d : b) * k, halfH = 0.5 * (circle ? d : h) * k;
    const std::string across_ = circle ? "d = " + Num(d, 3) + " m" : "b = " + Num(b, 3) + " m";
    const std::string along = "h = " + Num(h, 3) + " m";
    const double gap = 0.05 * L;
    const double acrossW = sk.Length(th, across_), alongW = sk.Length(th, along);
    // Below the pile foot, where nothing else is drawn, or else beside the
    // pile behind it; the size along the slide is labelled on its right.
    auto covers = [&](double cx, double cy) {
        LabelBox all{cx - std::max(halfW, 0.5 * acrossW), cy - halfH - 1.8 * th, cx + std::max(halfW, 0.5 * acrossW),
                cy + halfH + gap + 1.6 * th};
        if (!circle)
            all.x1 = std::max(all.x1, cx + halfW + gap + 0.4 * th + alongW);
        return all;
    };
    const double below = -L - 0.1 * L - halfH - gap - 1.6 * th;
    const std::pair<double, double> places[] = {{w / 2, below},         {-0.5 * L, -0.75 * L}, {-0.5 * L, -0.45 * L},
                                                {w / 2, below - 0.3 * L}, {front + 0.3 * L, -0.5 * L}};
    double cx = places[0].first, cy = places[0].second;
    for (const auto& [x, y] : places)
        if (sk.Free(covers(x, y))) {
            cx = x;
            cy = y;
            break;
        }
    sk.Take(covers(cx, cy));
    c->Draw_Text(cx - 0.5 * sk.Length(th, "截面"), cy - halfH - 1.5 * th, th, 0, "截面");
    // The dimension lines carry no text of their own: their labels are placed
    // here, so that the two never meet.
    c->Draw_Text(cx - 0.5 * acrossW, cy + halfH + gap + 0.5 * th, th, 0, across_.c_str());
    if (circle) {
        c->Draw_Circle(cx, cy, halfW, 1);
        c->Draw_AlignedDim(cx - halfW, cy, cx + halfW, cy, cx, cy + halfH + gap, "", "VR");
    } else {
        c->Draw_Rect_C(b * k, h * k, cx, cy, 0);
        c->Draw_AlignedDim(cx - halfW, cy + halfH, cx + halfW, cy + halfH, cx, cy + halfH + gap, "", "VR");
        c->Draw_AlignedDim(cx + halfW, cy - halfH, cx + halfW, cy + halfH, cx + halfW + gap, cy, "", "VR");
        c->Draw_Text(cx + halfW + gap + 0.4 * th, cy - 0.35 * th, th, 0, along.c_str());
    }
}
