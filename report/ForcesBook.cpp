#include "ForcesBook.h"

#include "LabelPlacer.h"

#include "Canvas.h"
#include "FieldTable.h"
#include "ForcesJson.h"
#include "PileSection.h"
#include "NumericLocale.h"
#include "Rtf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>
#include <iterator>

namespace {

std::string Num(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

} // namespace

void DrawForcesDiagram(const CPelvorinData& r, const PileForces& f, CBase_SGT* c)
{
    if (!c || f.status != 1 || f.points.empty())
        return;
    c->nUnits = CBase_SGT::Metres;
    c->SetCurStyle("HZ");
    const double L = r.fZhuangChang;
    const double width = std::max(2.0, L / 3); // each panel's width for its largest value
    const double gap = width * 0.6;
    const double text = L / 60;
    auto length = [text](const std::string& s) { return TextMetrics::Length(s) * text; };

    // The depth scale, left of the panels, shared by all four: a tick every
    // round step, labelled in metres below the pile top.
    {
        const double x = -gap / 2;
        c->SetCurColor(7);
        c->SetCurLayer("AXIS");
        c->Draw_Line(x, 0, x, -L, 1);
        double step = 1;
        for (double s : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0})
            if (L / s <= 8) { // readable in a small pane, where labels keep 11 px
                step = s;
                break;
            }
        c->SetCurLayer("LABEL");
        for (double z = 0; z <= L + 1e-9; z += step) {
            c->SetCurLayer("AXIS");
            c->Draw_Line(x - text / 2, -z, x, -z, 1);
            c->SetCurLayer("LABEL");
            const std::string label = Num("%g", z);
            c->Draw_Text(x - text - length(label), -z - text / 2, text, 0, label.c_str());
        }
        c->Draw_Text(x - text - length("深度(m)"), text, text, 0, "深度(m)");
    }

    struct Panel {
        const char* title;
        const char* unit;
        double PileForcePoint::*field;
        double factor;
        int color;
        const PileForceExtreme* range;
    };
    const Panel panels[] = {{"弯矩", "kN·m", &PileForcePoint::moment, 1, 1, f.momentRange},
                            {"剪力", "kN", &PileForcePoint::shear, 1, 3, f.shearRange},
                            {"位移", "mm", &PileForcePoint::displacement, 1000, 5, f.displacementRange},
                            {"侧向应力", "kPa", &PileForcePoint::stress, 1, 6, f.stressRange}};
    // Labels kept off every line of every panel and off each other.
    LabelPlacer placer(c, 1.0);
    double x0 = 0;
    for (const Panel& p : panels) {
        // The curve through the points and through both extremes, which the
        // labels name; the stress steps from 0 to the ground's at the slip
        // surface.
        std::vector<std::pair<double, double>> curve;
        for (const PileForcePoint& q : f.points) {
            if (p.field == &PileForcePoint::stress && std::fabs(q.depth - f.h1) < 1e-9)
                curve.emplace_back(q.depth, 0.0);
            curve.emplace_back(q.depth, q.*p.field);
        }
        const double largest = std::max(std::fabs(p.range[0].value), std::fabs(p.range[1].value));
        for (int k = 0; k < 2; ++k) {
            const PileForceExtreme& e = p.range[k];
            if (std::fabs(e.value) <= 1e-9 * largest || e.value == 0)
                continue;
            auto place = std::find_if(curve.begin(), curve.end(), [&](const auto& c) { return c.first > e.depth; });
            if (place == curve.begin() || std::prev(place)->first != e.depth || std::prev(place)->second != e.value)
                curve.insert(place, {e.depth, e.value});
        }
        const double scale = largest > 0 ? width / 2 / (largest * p.factor) : 0;
        const double axis = x0 + width / 2;
        c->SetCurColor(7);
        c->SetCurLayer("AXIS");
        placer.Line(axis, 0, axis, -L);
        placer.Line(x0, -f.h1, x0 + width, -f.h1); // the slip surface, on every panel
        c->SetCurLayer("LABEL");
        const std::string title = std::string(p.title) + "（" + p.unit + "）";
        c->Draw_Text(x0, text * 3, text * 1.5, 0, title.c_str());
        placer.Take(placer.Covers(x0, text * 3, text * 1.5, title));
        c->Draw_Text(x0, -f.h1 + text / 3, text * 0.8, 0, "滑面");
        placer.Take(placer.Covers(x0, -f.h1 + text / 3, text * 0.8, "滑面"));
        // The boundaries of the layers along the embedded part, and each
        // anchor cable from its head, pulling back against the thrust.
        c->SetCurLayer("AXIS");
        c->SetCurColor(2);
        for (size_t i = 1; i < f.layers.size(); ++i)
            placer.Line(x0, -f.layers[i].top, x0 + width, -f.layers[i].top);
        c->SetCurColor(4);
        std::vector<std::pair<double, double>> cableEnds;
        for (const PileAnchorResult& a : f.anchors) {
            // Short of the foot, where a head lies near it.
            const double t = a.inclination * kJiSuanPi / 180;
            const double reach = std::min(width * 0.3, std::max(0.0, L - a.depth) / std::max(std::sin(t), 1e-9));
            cableEnds.emplace_back(axis - reach * std::cos(t), -a.depth - reach * std::sin(t));
            placer.Line(axis, -a.depth, cableEnds.back().first, cableEnds.back().second);
        }
        c->SetCurColor(p.color);
        c->SetCurLayer(p.title);
        for (size_t i = 1; i < curve.size(); ++i)
            placer.Line(axis + curve[i - 1].second * p.factor * scale, -curve[i - 1].first,
                        axis + curve[i].second * p.factor * scale, -curve[i].first);
        if (x0 == 0) {
            // Named on the first panel, clear of its curve.
            c->SetCurLayer("LABEL");
            c->SetCurColor(7);
            placer.Within({x0, -L - text, x0 + width, text * 2.5});
            for (size_t i = 1; i < f.layers.size(); ++i) {
                const std::string name = "第" + std::to_string(f.layers[i].layer + 1) + "层顶";
                const double y = -f.layers[i].top;
                placer.Label(text * 0.8, name,
                             {{x0, y + text / 3}, {x0, y - text * 1.1}, {x0 + width - placer.Length(text * 0.8, name), y + text / 3},
                              {x0 + width - placer.Length(text * 0.8, name), y - text * 1.1}});
            }
            // Many cables are numbered only, and a slack one says so.
            const bool few = cableEnds.size() <= 6;
            for (size_t i = 0; i < cableEnds.size(); ++i) {
                const std::string name = (few ? "锚索" : "") + std::to_string(i + 1) +
                                         (f.anchors[i].slack ? "（松弛）" : "");
                const auto [ex, ey] = cableEnds[i];
                const double w = placer.Length(text * 0.8, name), head = -f.anchors[i].depth;
                placer.Label(text * 0.8, name,
                             {{ex - w - text / 4, ey - text / 3}, {ex - w / 2, ey - text * 1.1},
                              {ex - w - text / 4, head + text / 3}, {ex - w - text / 4, head - text},
                              {x0, head + text / 3}, {x0, head - text}});
            }
        }
        // Both extremes, each beside its point on the side it lies, else a
        // line or more above or below it, else on the other side: the first
        // place within the panel and its half gaps that crosses no line and
        // no label.
        c->SetCurLayer("LABEL");
        const double left = x0 - gap * 0.45, right = x0 + width + gap * 0.45;
        placer.Within({left, -L - 2 * text, right, text * 2.5});
        const double inset = 0.2 * text; // a label's box has a little room around it
        for (int k : {1, 0}) {
            const PileForceExtreme& e = p.range[k];
            if (std::fabs(e.value) <= 1e-9 * largest || e.value == 0)
                continue;
            const double v = e.value * p.factor;
            // The value over its depth: two short lines fit beside the point
            // within half a panel, where one long line would cross the axis.
            const std::vector<std::string> label = {Num("%.3f", v), "（" + Num("%.2f", e.depth) + " m）"};
            const double w = placer.Length(text, label);
            const double px = axis + v * scale;
            const double beside = v >= 0 ? px + text / 2 : px - text / 2 - w;
            const double across = v >= 0 ? px - text / 2 - w : px + text / 2;
            const double first = left + inset, last = std::max(first, right - w - inset);
            // The two lines centred on the point's depth, then moved up or down.
            const double centred = -e.depth + 0.5 * (LabelPlacer::kLineStep - 1) * text;
            std::vector<std::pair<double, double>> at;
            // Across the point, further from it a text height at a time, clears
            // a curve that bulges past the point's depth.
            const double away = v >= 0 ? -text : text;
            for (double x : {beside, across, across + away, across + 2 * away, across + 3 * away,
                             std::clamp(beside, first, last), first, last})
                for (double dy : {0.0, 1.0, -1.0, 2.0, -2.0, 3.0, -3.0, 4.5, -4.5, 6.0, -6.0})
                    at.emplace_back(x, centred + dy * text);
            placer.Label(text, label, at);
        }
        x0 += width + gap;
    }
}

void WriteForcesBook(const CPelvorinData& r, const PileForces& f, CRTF* rtf, const std::string& diagramName)
{
    if (!rtf)
        return;
    const CSheJi& d = r.SheJi;
    rtf->InsertText("抗滑桩内力计算\n\n");
    rtf->InsertText("一 设计条件\n\n");
    for (const DesignFieldDef& field : DesignFields()) {
        // Only the inputs that apply: the top/bottom ratio of a trapezoid, the
        // coefficients of the method chosen.
        const std::string key = field.key;
        const bool layered = f.method == 'L';
        if ((key == "fTiXingBi" && d.nTuiLiFenBu != 2) || (key == "fK" && (d.nDiJiFa != 0 || layered)) ||
            ((key == "fM" || key == "fA1" || key == "fA2") && (d.nDiJiFa != 1 || layered)) ||
            ((key == "nDiJiFa" || key == "fYunXuYingLi") && layered))
            continue;
        std::string value;
        if (!field.choices.empty()) {
            for (const FieldChoice& ch : field.choices)
                if (ch.value == DesignValue(field, d))
                    value = ch.text;
        } else {
            value = MessageNumber(DesignValue(field, d));
        }
        rtf->InsertText("     %s：%s\n", field.label, value.c_str());
    }
    // The ground by layers and the anchors, as given.
    if (f.method == 'L')
        for (const PileLayerStress& l : f.layers) {
            const CTuCeng& c = r.TuCeng[static_cast<size_t>(l.layer)];
            const std::string allowed =
                c.fYunXuYingLi > 0 ? "，容许侧向应力 " + MessageNumber(c.fYunXuYingLi) + "kPa" : "，侧向应力不验算";
            if (c.fK > 0)
                rtf->InsertText("     第%d层（桩顶以下 %.2f～%.2fm）：K = %skN/m³%s\n", l.layer + 1, l.top, l.bottom,
                                MessageNumber(c.fK).c_str(), allowed.c_str());
            else
                rtf->InsertText("     第%d层（桩顶以下 %.2f～%.2fm）：k = A + m·y，A = %skN/m³，m = %skN/m⁴%s\n",
                                l.layer + 1, l.top, l.bottom, MessageNumber(c.fA).c_str(), MessageNumber(c.fM).c_str(),
                                allowed.c_str());
        }
    for (size_t i = 0; i < d.MaoSuo.size(); ++i) {
        const CMaoSuo& a = d.MaoSuo[i];
        rtf->InsertText("     锚索%d：桩顶以下 %sm，倾角 %s°，轴向刚度 %skN/m，锁定力 %skN，设计抗拔力 %s\n",
                        static_cast<int>(i) + 1, MessageNumber(a.fShenDu).c_str(), MessageNumber(a.fQingJiao).c_str(),
                        MessageNumber(a.fGangDu).c_str(), MessageNumber(a.fYuLi).c_str(),
                        a.fKangBaLi > 0 ? (MessageNumber(a.fKangBaLi) + "kN").c_str() : "不验算");
    }
    if (f.status != 1) {
        rtf->InsertText("\n未能计算：%s\n", f.refusal.c_str());
        return;
    }
    const bool k = f.method == 'K';
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("\n二 受荷段（桩顶至滑面，h1 = %.3fm）\n\n", f.h1);
    rtf->InsertText("\t每根桩承受的推力 ET = (E - E')×s = (%.3f - %.3f)×%.3f = %.3fkN\n", d.fTuiLi, d.fQianKangLi,
                    r.fZhuangJianJu, f.thrust);
    if (f.anchors.empty())
        rtf->InsertText("\t滑面处剪力 Q0 = %.3fkN，弯矩 M0 = %.3fkN·m\n", f.Q0, f.M0);
    else
        rtf->InsertText("\t推力在滑面处的剪力 Q0 = %.3fkN，弯矩 M0 = %.3fkN·m（未计锚索拉力；计入后见三）\n", f.Q0,
                        f.M0);
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("\n三 锚固段（滑面至桩底，h2 = %.3fm）\n\n", f.h2);
    rtf->InsertText("\t计算宽度 Bp = %.3fm，EI = %.0fkN·m²\n", f.width, f.EI);
    if (f.springs) {
        rtf->InsertText("\t%s，全桩按弹性地基梁以有限元求解：EI·x⁗ + k(y)·Bp·x = 0（滑面以下），"
                        "滑面以上承受推力；滑面、土层分界及锚索处设节点\n",
                        f.method == 'L' ? "滑面以下地基系数分层取值" : "有锚索");
        if (f.method == 'K')
            rtf->InsertText("\t滑面以下地基系数 K = %.3fkN/m³\n", d.fK);
        else if (f.method == 'm')
            rtf->InsertText("\t滑面以下地基系数 k = A + m·y：A1 = %.3fkN/m³（桩前），A2 = %.3fkN/m³（桩后），"
                            "m = %.3fkN/m⁴\n",
                            d.fA1, d.fA2, d.fM);
        for (size_t i = 0; i < f.anchors.size(); ++i) {
            const PileAnchorResult& a = f.anchors[i];
            const CMaoSuo& in = d.MaoSuo[i];
            const double c = std::cos(a.inclination * kJiSuanPi / 180);
            rtf->InsertText("\t锚索%d（桩顶以下 %.2fm）：水平刚度 k·cos²θ = %.3f×%.4f = %.3fkN/m，锁定力水平分力 "
                            "P·cosθ = %.3f×%.4f = %.3fkN；Fh = P·cosθ + k·cos²θ·(x - xP)\n",
                            static_cast<int>(i) + 1, a.depth, static_cast<double>(in.fGangDu), c * c,
                            in.fGangDu * c * c, a.lockOff, c, a.lockOff * c);
            if (a.slack)
                rtf->InsertText("\t\t锚索处位移 x = %.3fmm，锁定时 xP = %.3fmm：Fh < 0，锚索松弛，不受力\n",
                                a.displacement * 1000, a.lockOffDisplacement * 1000);
            else
                rtf->InsertText("\t\t锚索处位移 x = %.3fmm，锁定时 xP = %.3fmm：水平分力 Fh = %.3f + %.3f×(%.6f - "
                                "(%.6f)) = %.3fkN，轴力 F = Fh/cosθ = %.3fkN\n",
                                a.displacement * 1000, a.lockOffDisplacement * 1000, a.lockOff * c,
                                in.fGangDu * c * c, a.displacement, a.lockOffDisplacement, a.horizontal, a.force);
        }
        if (!f.anchors.empty()) {
            rtf->InsertText("\t计入锚索拉力后滑面处剪力 %.3fkN，弯矩 %.3fkN·m\n", f.slip.shear, f.slip.moment);
        }
    } else if (f.constantGround) {
        rtf->InsertText("\tm = 0：滑面以下地基系数为常数 A1 = %.3fkN/m³（桩后 A2 = %.3fkN/m³），按 K 法判别\n", d.fA1,
                        d.fA2);
        rtf->InsertText("\tβ = (A1×Bp/(4EI))^(1/4) = (%.3f×%.3f/(4×%.3f))^(1/4) = %.6f/m\n", d.fA1, f.width, f.EI,
                        f.coefficient);
        rtf->InsertText("\tβh2 = %.4f %s 1.0，按%s计算\n", f.coefficientLength, f.rigid ? "≤" : ">",
                        f.rigid ? "刚性桩" : "弹性桩");
    } else if (k) {
        rtf->InsertText("\tβ = (K×Bp/(4EI))^(1/4) = (%.3f×%.3f/(4×%.3f))^(1/4) = %.6f/m\n", d.fK, f.width, f.EI,
                        f.coefficient);
        rtf->InsertText("\tβh2 = %.4f %s 1.0，按%s计算\n", f.coefficientLength, f.rigid ? "≤" : ">",
                        f.rigid ? "刚性桩" : "弹性桩");
    } else {
        rtf->InsertText("\tα = (m×Bp/EI)^(1/5) = (%.3f×%.3f/%.3f)^(1/5) = %.6f/m\n", d.fM, f.width, f.EI,
                        f.coefficient);
        rtf->InsertText("\tαh2 = %.4f %s 2.5，按%s计算\n", f.coefficientLength, f.rigid ? "≤" : ">",
                        f.rigid ? "刚性桩" : "弹性桩");
    }
    rtf->InsertText("\t桩底%s\n", d.nZhuangDi == 1 ? "铰支" : "自由");
    if (!k && f.method != 'L' && !f.rigid && d.fA1 != d.fA2)
        rtf->InsertText("\t桩身压向桩前土体处取 A1，压向桩后土体处取 A2\n");
    if (f.rotationCentre >= 0)
        rtf->InsertText("\t转动中心在桩顶以下 %.3fm（滑面以下 %.3fm）\n", f.rotationCentre, f.rotationCentre - f.h1);
    rtf->InsertText("\t滑面处位移 x0 = %.3fmm，转角 φ0 = %.6frad\n", f.slip.displacement * 1000, f.slip.rotation);
    rtf->InsertText("\t桩顶位移 %.3fmm\n", f.topDisplacement * 1000);
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("\n四 内力及位移\n\n");
    if (!diagramName.empty()) {
        rtf->InsertText("  ");
        rtf->InsertDXF(diagramName.c_str(), 170.0, 120.0);
        rtf->InsertText("\n\n");
    }
    // A table of its own, under its heading row on every page it fills: 45
    // rows and the titles fill three quarters of an A4 page in the book's type.
    constexpr int kRowsPerPage = 45;
    std::vector<std::vector<std::string>> rows;
    auto cell = [](const char* format, double v) {
        char buf[48];
        std::snprintf(buf, sizeof buf, format, v);
        return std::string(buf);
    };
    double next = 0;
    for (const PileForcePoint& p : f.points)
        if (p.depth + 1e-9 >= next || std::fabs(p.depth - f.h1) < 1e-9) {
            rows.push_back({cell("%.2f", p.depth), cell("%.3f", Shown(p.shear, 3)), cell("%.3f", Shown(p.moment, 3)),
                            cell("%.3f", Shown(p.displacement * 1000, 3)), cell("%.6f", Shown(p.rotation, 6)),
                            cell("%.3f", Shown(p.stress, 3))});
            if (p.depth + 1e-9 >= next)
                next = std::floor(p.depth / 0.5 + 1e-6) * 0.5 + 0.5;
        }
    rtf->InsertRows({"深度(m)", "剪力(kN)", "弯矩(kN·m)", "位移(mm)", "转角(rad)", "侧向应力(kPa)"}, rows,
                    {0.12, 0.17, 0.19, 0.15, 0.17, 0.20}, 100, true, kRowsPerPage);
    rtf->InsertText("\n\t最大弯矩 %.3fkN·m（桩顶以下 %.2fm），最大剪力 %.3fkN（桩顶以下 %.2fm）\n", f.maxMoment.value,
                    f.maxMoment.depth, f.maxShear.value, f.maxShear.depth);
    rtf->InsertText("\t最大位移 %.3fmm（桩顶以下 %.2fm），最大侧向应力 %.3fkPa（桩顶以下 %.2fm）\n",
                    f.maxDisplacement.value * 1000, f.maxDisplacement.depth, f.maxStress.value, f.maxStress.depth);
    // Both signs, as the drawing labels them.
    rtf->InsertText("\t正负两向极值（内力图所标）：\n");
    const struct {
        const char* name;
        const char* unit;
        const PileForceExtreme* range;
        double factor;
    } ranges[] = {{"弯矩", "kN·m", f.momentRange, 1},
                  {"剪力", "kN", f.shearRange, 1},
                  {"位移", "mm", f.displacementRange, 1000},
                  {"侧向应力", "kPa", f.stressRange, 1}};
    for (const auto& q : ranges) {
        std::string line = std::string("\t  ") + q.name + "：";
        for (int k : {1, 0}) {
            const PileForceExtreme& e = q.range[k];
            line += std::string(k == 1 ? "正向 " : "，负向 ");
            line += e.value == 0 ? std::string("无")
                                 : Num("%.3f", Shown(e.value * q.factor, 3)) + q.unit + "（桩顶以下 " +
                                       Num("%.2f", e.depth) + "m）";
        }
        rtf->InsertText("%s\n", line.c_str());
    }
    if (!f.linearModelHolds)
        rtf->InsertText("\n\t警告：位移或转角过大，线弹性地基模型不再适用（%s），计算结果不可采用\n",
                        f.linearModelReasonChinese.c_str());
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("\n五 验算\n\n");
    bool any = false;
    for (const PileForceCheck& c : f.checks) {
        if (!c.checked)
            continue;
        any = true;
        if (c.index >= 0)
            rtf->InsertText("\t%s，%s\n", CheckTextChinese(c).c_str(), c.holds ? "满足" : "不满足");
        else if (c.kind == PileCheckKind::Stress)
            rtf->InsertText("\t侧向应力 %.3fkPa（桩顶以下 %.2fm），容许 %.3fkPa，%s\n", c.value, c.depth, c.allowed,
                            c.holds ? "满足" : "不满足");
        else if (c.kind == PileCheckKind::TopDisplacement)
            rtf->InsertText("\t桩顶位移 %.3fmm，容许 %.3fmm，%s\n", c.value, c.allowed, c.holds ? "满足" : "不满足");
        else
            rtf->InsertText("\t滑面处位移 %.3fmm，容许 %.3fmm，%s\n", c.value, c.allowed, c.holds ? "满足" : "不满足");
    }
    if (!any)
        rtf->InsertText("\t未给出容许值，不作验算\n");
    const PileReinforcement& rf = f.reinforcement;
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("\n六 配筋（%s）\n\n", rf.steel.c_str());
    // Every step with its numbers, so that a reviewer recomputes it by hand.
    rtf->InsertText("\t设计弯矩 M = γ0×γF×|Mmax| = %.2f×%.2f×%.3f = %.3fkN·m\n", d.fGamma0, d.fHeZaiXiShu,
                    std::fabs(f.maxMoment.value), rf.moment);
    rtf->InsertText("\t设计剪力 V = γ0×γF×|Qmax| = %.2f×%.2f×%.3f = %.3fkN\n", d.fGamma0, d.fHeZaiXiShu,
                    std::fabs(f.maxShear.value), rf.shear);
    rtf->InsertText("\tC%d：fc = %.1fN/mm²，ft = %.2fN/mm²；fy = %.0fN/mm²，fyv = %.0fN/mm²（至多 360）；α1 = %.2f，"
                    "βc = %.2f\n",
                    r.nHunNingTuDengJi, rf.fc, rf.ft, rf.fy, rf.fyv, rf.alpha1, rf.betaC);
    rtf->InsertText("\t最小配筋率 ρmin = max(0.20%%, 45×ft/fy%%) = max(0.20%%, 45×%.2f/%.0f%%) = %.3f%%\n", rf.ft, rf.fy,
                    rf.minimumRatio * 100);
    if (rf.circle) {
        rtf->InsertText("\t圆形截面 A = πr² = %.0fmm²；受剪等效矩形 b = 1.76r = %.0fmm，h0 = 1.6r = %.0fmm\n", rf.area, rf.b,
                        rf.h0);
        rtf->InsertText("\t受压区圆心角与 2π 之比 α = %.4f（无轴力，按 GB 50010 附录 E.0.4 求得），按弯矩所需 As = %.0fmm²，"
                        "As,min = ρmin×A = %.0fmm²\n",
                        rf.alpha, rf.required, rf.minimum);
        if (rf.overReinforced)
            rtf->InsertText("\t纵筋：超筋，As = %.0fmm² > %.0f%%×截面面积 = %.0fmm²，截面不能承受\n", rf.required,
                            kCircleLargestRatio * 100, rf.maximum);
    } else {
        rtf->InsertText("\t截面 b = %.0fmm，h0 = h - as = %.0fmm，ξb = %.3f\n", rf.b, rf.h0, rf.xiB);
        rtf->InsertText("\t受压区高度 x = h0 - √(h0² - 2M/(α1×fc×b)) = %.1fmm %s ξb×h0 = %.3f×%.0f = %.1fmm\n", rf.x,
                        rf.x <= rf.xiB * rf.h0 ? "≤" : ">", rf.xiB, rf.h0, rf.xiB * rf.h0);
        if (!rf.overReinforced)
            rtf->InsertText("\t按弯矩所需 As = α1×fc×b×x/fy = %.2f×%.1f×%.0f×%.1f/%.0f = %.0fmm²，"
                            "As,min = ρmin×b×h = %.0fmm²\n",
                            rf.alpha1, rf.fc, rf.b, rf.x, rf.fy, rf.required, rf.minimum);
        else
            rtf->InsertText("\t纵筋：超筋（x > ξb×h0），单筋截面不能承受，应加大截面或提高混凝土等级\n");
    }
    if (!rf.overReinforced)
        rtf->InsertText("\t纵筋 As = %.0fmm²%s\n", rf.longitudinalArea, rf.minimumGoverns ? "（最小配筋率控制）" : "");
    if (rf.sectionTooSmall)
        rtf->InsertText("\t箍筋：截面尺寸不足，V > 0.25βc×fc×b×h0 = %.3fkN\n", rf.shearLimit);
    else
        rtf->InsertText("\t箍筋：V ≤ 0.25βc×fc×b×h0 = %.3fkN；Asv/s = max((V - 0.7×ft×b×h0)/(fyv×h0), 0.24×ft/fyv×b) = "
                        "max(%.4f, %.4f) = %.4fmm²/mm\n",
                        rf.shearLimit, (rf.shear * 1e3 - 0.7 * rf.ft * rf.b * rf.h0) / (rf.fyv * rf.h0),
                        rf.stirrupsMinimum, rf.stirrups);
    if (f.otherFace) {
        // The other face, for the largest moment of the other sign.
        const PileReinforcement& o = f.reinforcementOtherFace;
        const PileForceExtreme& m = f.maxMoment.value >= 0 ? f.momentRange[0] : f.momentRange[1];
        rtf->InsertText("\t以上为%s纵筋。另一侧%s：反向最大弯矩 %.3fkN·m（桩顶以下 %.2fm），"
                        "M' = γ0×γF×|M| = %.2f×%.2f×%.3f = %.3fkN·m\n",
                        FaceName(f.maxMoment.value), FaceName(-f.maxMoment.value), m.value, m.depth, d.fGamma0,
                        d.fHeZaiXiShu, std::fabs(m.value), o.moment);
        if (o.overReinforced)
            rtf->InsertText("\t\tx = %.1fmm > ξb×h0 = %.1fmm，超筋，单筋截面不能承受\n", o.x, o.xiB * o.h0);
        else
            rtf->InsertText("\t\tx = %.1fmm ≤ ξb×h0 = %.1fmm，按弯矩所需 As = %.0fmm²，As,min = %.0fmm²，"
                            "纵筋 As' = %.0fmm²%s\n",
                            o.x, o.xiB * o.h0, o.required, o.minimum, o.longitudinalArea,
                            o.minimumGoverns ? "（最小配筋率控制）" : "");
    }
}
