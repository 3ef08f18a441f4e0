// The detailed calculation book: the input as tables, then every formula of the
// pile-section and ground resistance with the numbers put in, at the slip
// surface, and the governing result.
#include "Concrete.h"
#include "KangLiJiSuan.h"
#include "PelvorinData.h"
#include "Rtf.h"
#include "TabKangLi.h"

#include <cmath>

namespace {

// An input table filled from the record, printed at width per cent of the text.
template <class Table>
void PrintTable(CRTF* rtf, CPelvorinData& record, int width)
{
    Table table;
    table.pData = &record;
    if constexpr (requires { table.bInBook; })
        table.bInBook = true;
    table.FillTable();
    rtf->InsertTable(&table, 4, width, 0, 0, 1);
}

} // namespace

int CKangLiJiSuan::HuaMianKangLi(double* pile, double* ground)
{
    if (!bYouHuaMian)
        return 0;
    if (pile)
        *pile = HuaMianZhuang.fv;
    if (ground)
        *ground = HuaMianTu.ev;
    return 1;
}

void CKangLiJiSuan::WriteXiangXiJss(CRTF* rtf)
{
    if (!rtf || !pData)
        return;
    CPelvorinData& r = *pData;
    // The values the calculation found at the slip surface; before one, those
    // of the record as it stands.
    const float s = bYouHuaMian ? fHuaMianShenDu : r.fHuaMianDaoZhuangDing;
    const PileSectionAtSlip p = bYouHuaMian ? HuaMianZhuang : SectionAtSlip(r);
    GroundAtSlip g = HuaMianTu;
    if (!bYouHuaMian) {
        g.noRock = r.nTuShu == r.nTuCengShu;
        g.noSoil = r.nTuShu == 0;
    }

    rtf->InsertText("抗滑桩抗力计算\n\n");
    rtf->InsertText("一 已知条件及计算要求\n\n");
    rtf->InsertText("1、已知条件\n");
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("(1)桩信息\n");
    PrintTable<CTabKangLiJBXX>(rtf, r, 60);
    rtf->InsertText("\n");
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("(1)土层及水位信息\n");
    PrintTable<CTabKangLiTCNum>(rtf, r, 30);
    rtf->InsertText("\n     序号  地层类型   层厚(m)   重度   浮重度    粘聚力   内摩擦角  水下粘聚  水下内摩擦\n");
    rtf->InsertText("                               (kN/m3) (kN/m3)    (kPa)    (度)     力(kPa)\t    擦角(度)\t\n");
    PrintTable<CTabKangLiTuCeng>(rtf, r, 90);
    rtf->InsertText("\n");
    if (r.bKaoLvShui != 0)
        rtf->InsertText("     桩前侧水位到坡面距离(m)：%.3f\n\n", r.fShuiWeiShenDu);
    rtf->InsertText("2、计算要求\n");
    rtf->InsertText("(1)桩身截面强度提供的抗滑力\n");
    rtf->InsertText("(2)桩滑动方向前侧土体提供的抗滑力\n\n");
    rtf->InsertText("-----------------------------------------------------------\n");

    // Pile section at the slip surface.
    const bool circle = r.nJieMianXingZhuang == 0;
    rtf->InsertText("二 桩身截面强度提供的抗滑力\n\n");
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("2.1 滑面处桩的自重应力\n");
    rtf->InsertText("\tσc = γc×s = %.3f×%.3f = %.3fkN/m^2\n", r.fZhuangRongZhong, s, p.sigma);
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("2.2 滑面处桩的自重压力合力\n");
    if (circle)
        rtf->InsertText("       A=π×%.3f×%.3f/4=%.3fm^2\n", r.fZhuangJing, r.fZhuangJing, p.area);
    else
        rtf->InsertText("       A=%.3f×%.3f=%.3fm^2\n", r.fZhuangGao, r.fZhuangKuan, p.area);
    rtf->InsertText("\tN0 = σc×A = %.3f×%.3f = %.3fkN\n", p.sigma, p.area, p.n0);
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("2.3 桩截面抗剪力Vc\n");
    if (circle) {
        rtf->InsertText("       b0 = 1000×1.76r = 1000×1.76×%.3f/2 = %.3fmm\n", r.fZhuangJing, p.b0);
        rtf->InsertText("\th0 = 1000×1.6r = 1000×1.6×%.3f/2 = %.3fmm\n", r.fZhuangJing, p.h0);
    } else {
        rtf->InsertText("       b0 = 1000×b = 1000×%.3f = %.3fmm\n", r.fZhuangKuan, p.b0);
        rtf->InsertText("\th0 = 1000×h-as = 1000×%.3f-%.3f = %.3fmm\n", r.fZhuangGao, r.fAs, p.h0);
    }
    rtf->InsertText("\tN1 = 0.3×fc×A×1000=0.3×%.3f×%.3f×1000 = %.3fkN\n", p.fc, p.area, p.n1);
    rtf->InsertText("\tN取N0和N1中的较小者，故：\n");
    rtf->InsertText("\t\tN=%.3fkN\n", p.n);
    rtf->InsertText("\tVc = 0.7×b0×h0×ftk/1000 +0.07×N= 0.7×%.3f×%.3f×%.3f/1000+0.07×%.3f = %.3fkN\n",
                    p.b0, p.h0, p.ftk, p.n, p.vc);
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("2.4 桩身截面强度贡献的抗滑力\n");
    const double vc = p.vc, fv = p.fv;
    rtf->InsertText("\tFv = Vc/s0 = %.3f/%.3f = %.3fkN/m\n", vc, r.fZhuangJianJu, fv);
    rtf->InsertText("\n");

    // Ground in front of the pile at the slip surface.
    rtf->InsertText("三 桩滑动方向前侧土体提供的抗滑力\n\n");
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("3.1 岩石抗剪力\n");
    const float tau = g.tau;
    if (g.noRock)
        rtf->InsertText("\tτ=0\n\n");
    else
        rtf->InsertText("\tτ = %.3fkN/m\n\n", tau);
    if (!g.noRock && !g.rockTerms.empty()) {
        // How tau is made, for a reader with a calculator: along the plane at
        // 45° - φ/2 from the vertical, layer by layer below the slip surface.
        rtf->InsertText("\tτ = Σ(σv×tanφ + c)×(h/cosθ)×b0/s，θ = 45° - φ/2，b0 = %.3fm，s = %.3fm，"
                        "σv、c、φ取各段中点处的值：\n",
                        g.width, r.fZhuangJianJu);
        double sum = 0;
        std::string parts;
        for (const RockShearTerm& t : g.rockTerms) {
            rtf->InsertText("\t\t第%d层 %.3f～%.3fm：(%.3f×tan%.3f° + %.3f)×(%.3f/cos%.3f°)×%.3f/%.3f = %.3fkN/m\n",
                            t.layer + 1, t.top, t.bottom, t.sigma, t.phi, t.c, static_cast<double>(t.bottom) - t.top,
                            45.0 - t.phi / 2, g.width, r.fZhuangJianJu, t.value);
            sum += t.value;
        }
        rtf->InsertText("\t\t合计 %.3fkN/m%s\n\n", sum,
                        std::fabs(sum - tau) >= 0.0005 ? "（τ取相邻计算点之间的插值）" : "");
    }
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("3.2 土压力\n");
    float ep = 0.0f;
    if (g.noSoil) {
        rtf->InsertText("       Ep = 0\n");
    } else {
        rtf->KeepWithNext(); // a heading stays with what it heads
        rtf->InsertText("1 土压力分布\n");
        const std::string path =
            (rtf->strDrawingFolder.empty() ? context.workPath : rtf->strDrawingFolder) + r.GetJtFileName(2);
        rtf->InsertText("  ");
        // The text width of A4, and as much of its height as a page of its own
        // leaves: the labels read on paper.
        rtf->InsertDXF(path.c_str(), 170.0, 225.0);
        rtf->InsertText("\n\n");
        rtf->KeepWithNext(); // a heading stays with what it heads
        rtf->InsertText("2 土压力合力\n");
        const float epk = g.epk;
        rtf->InsertText("\tEpk = %.3fkP\n\n", epk);
        rtf->KeepWithNext(); // a heading stays with what it heads
        rtf->InsertText("3 有效被动土压力\n");
        ep = g.ep;
        rtf->InsertText("\tEp = η×Epk×b0/s=%.3f×%.3f×%.3f/%.3f = %.3fkN/m\n", r.fZheJianXiShu, epk,
                        g.width, r.fZhuangJianJu, ep);
    }
    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("3.3 总抗力\n");
    const float ev = g.ev;
    rtf->InsertText("\tEv = τ+Ep=%.3f+%.3f = %.3fkN/m\n\n", tau, ep, ev);

    rtf->KeepWithNext(); // a heading stays with what it heads
    rtf->InsertText("4 计算结果\n");
    rtf->InsertText("\t抗力取值为土抗力和桩抗力中的较小者，故：\n");
    rtf->InsertText("\t抗力 = %.3fkN/m\n", fv < ev ? fv : ev);
}
