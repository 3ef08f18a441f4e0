// The three diagrams: calculation sketch (record), result diagram (calculation)
// and earth-pressure diagram (ground calculator), drawn onto the canvas.
#include "Canvas.h"
#include "NumericLocale.h"
#include "KangLiJiSuan.h"
#include "PelvorinData.h"
#include "TuKangLiJiSuan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

namespace {

std::string Num(double v)
{
    ScopedCNumbers c;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0.2f", v);
    return buf;
}

} // namespace

int CPelvorinData::DrawJiSuanJianTu(CBase_SGT* c) const
{
    if (!c)
        return 1;
    const double B = 1000.0 * fZhuangKuan, H = 1000.0 * fZhuangGao, D = 1000.0 * fZhuangJing;
    const double L = 1000.0 * fZhuangChang;

    // The slope line and the slip arc that crosses the pile.
    c->nUnits = CBase_SGT::Millimetres;
    const double x1 = -0.5 * L, y1 = 0.5 * L, x2 = 0.6 * L, y2 = 0.7 * L;
    c->SetCurLayer("SLOPE");
    c->Draw_Line(x1, y1, x2, y2, 1);
    c->SetCurLayer("SLIP");
    const double cx = 0.5 * B, cy = 0.7 * L, r = 0.4 * L;
    double px[2], py[2];
    if (JH_GetInterPoint_Circle_LineSection(cx, cy, r, x1, y1, x2, y2, 0.00001, px, py) == 2) {
        const double toDeg = 180.0 / kPi;
        const double first = JH_GetAngle(cx, cy, px[0], py[0]) * toDeg;
        const double second = JH_GetAngle(cx, cy, px[1], py[1]) * toDeg;
        c->Draw_Arc(cx, cy, r, second, first, 1);
    }

    if (nJieMianXingZhuang == 1) {
        c->SetCurLayer("PILE");
        c->Draw_Rect_C(B, L, 0.5 * B, 0.5 * L, 0);
        c->SetCurLayer("SECTION");
        c->Draw_Rect_C(B, H, 0.5 * B, -H, 0);
        c->Draw_AlignedDim(-B / 6, -1.5 * H, -B / 6, -0.5 * H, -0.5 * B, 0, "h", "VR");
        c->Draw_AlignedDim(0, -H / 2.5, B, -H / 2.5, 0, -0.25 * H, "h", "VR");
    } else if (nJieMianXingZhuang == 0) {
        c->SetCurLayer("PILE");
        c->Draw_Rect_C(D, L, 0.5 * D, 0.5 * L, 0);
        c->SetCurLayer("SECTION");
        c->Draw_Circle(0.5 * D, -D, 0.5 * D, 1);
        c->Draw_AlignedDim(0, -D / 2.5, D, -D / 2.5, 0, -0.25 * D, "h", "VR");
    }
    return 1;
}

int CKangLiJiSuan::DrawJieGuoTu(CBase_SGT* c) const
{
    if (!c || !pData)
        return 1;
    const CPelvorinData& r = *pData;
    const std::vector<float>& z = *r.pDianZuoBiao;
    const std::vector<float>& g = r.TuKangLi;
    const std::vector<float>& p = r.ZhuangKangLi;
    const std::vector<float>& f = r.ZuiZhongKangLi;
    const size_t n = std::min({z.size(), g.size(), p.size(), f.size()});
    if (n < 2)
        return 1;
    const double L = r.fZhuangChang;

    // One horizontal unit per k kN/m, so that the larger value at the pile top
    // spans about three quarters of the pile length. A scale that comes out
    // below 1 (small resistances) or is not a number draws the values as they are.
    const double M = g[n - 1] > p[n - 1] ? g[n - 1] : p[n - 1];
    double kq = std::trunc(M / (0.75 * L));
    if (!(kq >= 1))
        kq = 1;
    if (kq > std::numeric_limits<int>::max())
        kq = std::numeric_limits<int>::max();
    const double k = static_cast<int>(kq);
    const double h = L / 100;

    c->nUnits = CBase_SGT::Metres;
    std::unique_ptr<CBase_SGT> first(NewMemDxf());
    first->SetCurColor(0);
    first->SetCurLayer("AXIS");
    first->Draw_Line(0, 0, 0, -L, 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        first->SetCurColor(2);
        first->SetCurLayer("GROUND-RESISTANCE");
        first->Draw_Line(g[i] / k, -z[i], g[i + 1] / k, -z[i + 1], 1);
        first->Draw_Text(-0.5, -z[i + 1], h, 0, Num(z[i + 1]).c_str());
        first->Draw_Text(g[i + 1] / k + 0.1, -z[i + 1], h, 0, Num(g[i + 1]).c_str());
        first->SetCurColor(3);
        first->SetCurLayer("PILE-RESISTANCE");
        first->Draw_Line(p[i] / k, -z[i], p[i + 1] / k, -z[i + 1], 1);
        first->Draw_Text(p[i + 1] / k + 0.1, -z[i + 1], h, 0, Num(p[i + 1]).c_str());
    }
    first->SetCurStyle("HZ");
    first->SetCurColor(0);
    first->SetCurLayer("AXIS");
    first->Draw_Line(0, 0, g[n - 1] / k, 0, 1);
    first->Draw_Line(0, 0, p[n - 1] / k, 0, 1);
    first->Draw_Line(0, -L, p[0] / k, -L, 1);
    first->SetCurColor(2);
    first->Draw_Text(0, -z[0] - 4 * L / k, 2 * L / k, 0, "土提供抗力");
    first->Draw_Text(-0.5, -z[0], h, 0, Num(z[0]).c_str());
    first->Draw_Text(g[0] / k + 0.1, -z[0], h, 0, Num(g[0]).c_str());
    first->SetCurColor(3);
    first->Draw_Text(0, -z[0] - 6 * L / k, 2 * L / k, 0, "桩提供抗力");
    first->Draw_Text(p[0] / k + 0.1, -z[0], h, 0, Num(p[0]).c_str());
    c->InsertDxf(*first);

    std::unique_ptr<CBase_SGT> second(NewMemDxf());
    second->SetCurStyle("HZ");
    second->SetCurColor(0);
    second->SetCurLayer("AXIS");
    second->Draw_Line(0, 0, 0, -L, 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        second->SetCurColor(2);
        second->SetCurLayer("FINAL-RESISTANCE");
        second->Draw_Line(f[i] / k, -z[i], f[i + 1] / k, -z[i + 1], 1);
        second->Draw_Text(-0.5, -z[i + 1], h, 0, Num(z[i + 1]).c_str());
        second->Draw_Text(f[i + 1] / k + 0.1, -z[i + 1], h, 0, Num(f[i + 1]).c_str());
    }
    second->Draw_Text(f[0] / k + 0.1, -z[0], h, 0, Num(f[0]).c_str());
    second->Draw_Text(-0.5, -z[0], h, 0, Num(z[0]).c_str());
    second->SetCurColor(0);
    second->SetCurLayer("AXIS");
    second->Draw_Line(0, 0, f[n - 1] / k, 0, 1);
    second->Draw_Text(0, -z[0] - 4 * L / k, 2 * L / k, 0, "最终抗力");
    c->InsertDxf(*second, L, 0, 1, 1, 0);
    return 1;
}

int CTuKangLiJiSuan::DrawTuYaLiTu(CBase_SGT* c) const
{
    if (!c || !pData)
        return 1;
    const std::vector<float>& d = TuYaFenDuan;
    const size_t m = std::min({d.size(), YaLiXia.size(), YaLiShang.size()});
    const double h = pData->fZhuangChang / 50.0;
    c->nUnits = CBase_SGT::Metres;
    c->SetCurLayer("EARTH-PRESSURE");
    for (size_t j = 0; j + 1 < m; ++j) {
        const double a = YaLiXia[j + 1], b = YaLiShang[j];
        c->Draw_Line(a / 30, -d[j + 1], b / 30, -d[j], 1);
        c->Draw_Text(b / 30 + 0.1, -d[j], h, 0, Num(b).c_str());
        c->Draw_Text(a / 30 + 0.1, -d[j + 1], h, 0, Num(a).c_str());
        c->Draw_Text(-1, -d[j], h, 0, Num(d[j]).c_str());
        c->Draw_Text(-1, -d[j + 1], h, 0, Num(d[j + 1]).c_str());
        c->Draw_Line(0, -d[j], b / 30, -d[j], 1);
        c->Draw_Line(0, -d[j + 1], a / 30, -d[j + 1], 1);
        c->Draw_Line(0, -d[j], 0, -d[j + 1], 1);
    }
    c->SetCurColor(0);
    c->SetCurLayer("AXIS");
    c->Draw_Line(0, 0, 0, -static_cast<double>(pData->fZhuangChang), 1);
    return 1;
}
