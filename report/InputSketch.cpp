#include "InputSketch.h"

#include "Canvas.h"
#include "NumericLocale.h"
#include "PelvorinData.h"

#include <algorithm>
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

double Finite(float v, double otherwise) { return std::isfinite(v) ? static_cast<double>(v) : otherwise; }

// CAD colour numbers, as the writers and the screen know them.
enum { Red = 1, Yellow = 2, Green = 3, Cyan = 4, Blue = 5, White = 7 };

} // namespace

void DrawInputSketch(const CPelvorinData& r, CBase_SGT* c)
{
    if (!c)
        return;
    c->nUnits = CBase_SGT::Metres;
    c->SetCurStyle("HZ");
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
    const double front = w + 0.7 * L; // how far the ground in front is drawn
    const double th = L / 32;         // text height
    const double across = -0.5 * L;   // the slope behind the pile begins here

    c->SetCurColor(White);
    c->SetCurLayer("PILE");
    c->Draw_Line(0, 0, w, 0, 1);
    c->Draw_Line(w, 0, w, -L, 1);
    c->Draw_Line(w, -L, 0, -L, 1);
    c->Draw_Line(0, -L, 0, 0, 1);
    c->Draw_AlignedDim(0, 0, 0, -L, -0.06 * L, -0.5 * L, ("L = " + Num(L, 3) + " m").c_str(), "VR");

    // The slope surface: rising behind the pile, and level in front of it, where
    // the layers and the water are measured from.
    const double ys = -depth(s);
    c->SetCurColor(Green);
    c->SetCurLayer("SLOPE");
    c->Draw_Line(across, ys + 0.3 * L, 0, ys, 1);
    c->Draw_Line(w, ys, front, ys, 1);
    c->Draw_Text(w + 0.4 * L, ys + 0.3 * th, th, 0, ("坡面 " + Num(s, 3) + " m").c_str());

    // The layers in front of the pile, top down from the slope surface; the
    // calculation carries the last one down to the pile foot.
    const int n = std::min(static_cast<int>(r.TuCeng.size()), std::max(r.nTuCengShu, 0));
    double top = s;
    for (int i = 0; i < n && top < L; ++i) {
        const CTuCeng& layer = r.TuCeng[static_cast<size_t>(i)];
        const double thickness = Finite(layer.fHouDu, 0);
        const double bottom = i == n - 1 ? L : std::min(top + std::max(thickness, 0.0), L);
        c->SetCurColor(Yellow);
        c->SetCurLayer("LAYERS");
        if (bottom < L)
            c->Draw_Line(w, -depth(bottom), front, -depth(bottom), 1);
        const std::string label = std::to_string(i + 1) + " " + (layer.nLeiXing == 1 ? "岩层" : "土层") + " " +
                                  Num(thickness, 2) + " m";
        const double mid = -depth(0.5 * (std::max(top, -2 * L) + bottom));
        c->Draw_Text(w + 0.05 * L, mid - 0.5 * th, 0.8 * th, 0, label.c_str());
        top = bottom;
    }

    // The water level in front of the pile, below the slope surface.
    if (r.bKaoLvShui == 1) {
        const double wd = Finite(r.fShuiWeiShenDu, 0);
        const double yw = -depth(s + wd);
        c->SetCurColor(Blue);
        c->SetCurLayer("WATER");
        c->Draw_Line(w, yw, front, yw, 1);
        const double mx = w + 0.35 * L, k = th * 0.6; // the level mark, a small triangle
        c->Draw_Line(mx - k, yw + 1.2 * k, mx + k, yw + 1.2 * k, 1);
        c->Draw_Line(mx - k, yw + 1.2 * k, mx, yw, 1);
        c->Draw_Line(mx + k, yw + 1.2 * k, mx, yw, 1);
        // Labelled, as the slope surface is, by its depth below the pile top.
        c->Draw_Text(w + 0.4 * L, yw - 1.3 * th, th, 0, ("水位 " + Num(s + wd, 3) + " m").c_str());
    }

    // The slip surface crosses the pile at its depth, falling towards the front.
    const double yt = -depth(t);
    c->SetCurColor(Red);
    c->SetCurLayer("SLIP");
    const double xm = 0.5 * w, fall = 0.3;
    c->Draw_Line(across, yt + fall * (xm - across), front, yt - fall * (front - xm), 1);
    c->Draw_Text(across, yt + fall * (xm - across) + 0.3 * th, th, 0, ("滑面 " + Num(t, 3) + " m").c_str());

    // The section, below the slope behind the pile, drawn large enough to read,
    // each size labelled by what it is: b across above it, h along the slide on
    // its left, or the diameter d above a circle.
    c->SetCurColor(Cyan);
    c->SetCurLayer("SECTION");
    const double size = circle ? d : std::max(b, h);
    const double k = size > 0 ? 0.2 * L / size : 1; // drawing scale of the section
    const double cx = -0.3 * L, cy = -0.75 * L;
    const double halfW = 0.5 * (circle ? d : b) * k, halfH = 0.5 * (circle ? d : h) * k;
    c->Draw_Text(cx - 0.04 * L, cy - halfH - 1.5 * th, th, 0, "截面");
    if (circle) {
        c->Draw_Circle(cx, cy, halfW, 1);
        c->Draw_AlignedDim(cx - halfW, cy, cx + halfW, cy, cx, cy + halfH + 0.04 * L,
                           ("d = " + Num(d, 3) + " m").c_str(), "VR");
    } else {
        c->Draw_Rect_C(b * k, h * k, cx, cy, 0);
        c->Draw_AlignedDim(cx - halfW, cy + halfH, cx + halfW, cy + halfH, cx, cy + halfH + 0.04 * L,
                           ("b = " + Num(b, 3) + " m").c_str(), "VR");
        c->Draw_AlignedDim(cx - halfW, cy + halfH, cx - halfW, cy - halfH, cx - halfW - 0.04 * L, cy,
                           ("h = " + Num(h, 3) + " m").c_str(), "VR");
    }
}
