// kangli forces: the internal forces, displacement and ground stress of the
// pile under the thrust of its design block, as a table or as JSON.
#include "ForcesCommand.h"

#include "ForcesJson.h"
#include "NumericLocale.h"
#include "PileForces.h"
#include "RecordCheck.h"
#include "RecordFile.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdio_ext.h>
#include <cstdio>

namespace {

bool Print(const std::string& text, std::string* why)
{
    errno = 0;
    const bool ok = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0 &&
                    !std::ferror(stdout);
    if (!ok)
        *why = errno ? std::strerror(errno) : "a write failed";
    return ok;
}

std::string Fixed(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

} // namespace

int RunForces(const std::string& in, bool asJson)
{
    ScopedCNumbers numbers;
    CPelvorinData record;
    InitKangLiData(&record);
    std::string error;
    std::vector<std::string> warnings;
    if (!LoadRecordFile(in, record, &error, &warnings)) {
        std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), error.c_str());
        return 2;
    }
    if (!CheckKangLiData(record, &error)) {
        std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), error.c_str());
        return 1;
    }
    for (const std::string& w : warnings)
        std::fprintf(stderr, "kangli: %s: warning: %s\n", in.c_str(), w.c_str());
    const PileForces f = CalculatePileForces(record);
    if (f.status != 1)
        std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), f.refusal.c_str());

    std::string text;
    if (asJson) {
        text = PileForcesToJson(f);
    } else if (f.status == 1) {
        if (f.springs)
            text += std::string("弹性地基梁数值解（") +
                    (f.method == 'L' ? "分层地基系数" : f.method == 'K' ? "K法" : "m法") +
                    (f.anchors.empty() ? "" : "，" + std::to_string(f.anchors.size()) + " 根锚索") + "）\n";
        else
            text += std::string(f.rigid ? "刚性桩" : "弹性桩") + "（" + (f.method == 'K' ? "K法" : "m法") + "，" +
                    (f.constantGround ? "m = 0，地基系数为常数A1，" : "") +
                    (f.method == 'K' || f.constantGround ? "βh2 = " : "αh2 = ") +
                    Fixed("%.3f", f.coefficientLength) + "）\n";
        for (size_t i = 0; i < f.anchors.size(); ++i) {
            const PileAnchorResult& a = f.anchors[i];
            text += "锚索" + std::to_string(i + 1) + "（桩顶以下 " + Fixed("%.2f", a.depth) + " m）：" +
                    (a.slack ? std::string("松弛，不受力") : "轴力 " + Fixed("%.3f", a.force) + " kN，水平分力 " +
                                                               Fixed("%.3f", a.horizontal) + " kN") +
                    "\n";
        }
        if (!f.linearModelHolds)
            text += "警告：位移或转角过大，线弹性地基模型不再适用（" + f.linearModelReasonChinese + "）\n";
        if (f.rotationCentre >= 0)
            text += "转动中心在桩顶以下 " + Fixed("%.3f", f.rotationCentre) + " m（滑面以下 " +
                    Fixed("%.3f", f.rotationCentre - f.h1) + " m）\n";
        text += "滑面处：剪力 " + Fixed("%.3f", f.slip.shear) + " kN，弯矩 " + Fixed("%.3f", f.slip.moment) +
                " kN·m，位移 " + Fixed("%.3f", f.slip.displacement * 1000) + " mm，转角 " +
                Fixed("%.6f", f.slip.rotation) + " rad\n";
        text += "桩顶位移 " + Fixed("%.3f", f.topDisplacement * 1000) + " mm；最大弯矩 " +
                Fixed("%.3f", f.maxMoment.value) + " kN·m（" + Fixed("%.2f", f.maxMoment.depth) +
                " m）；最大剪力 " + Fixed("%.3f", f.maxShear.value) + " kN（" + Fixed("%.2f", f.maxShear.depth) +
                " m）；最大位移 " + Fixed("%.3f", f.maxDisplacement.value * 1000) + " mm（" +
                Fixed("%.2f", f.maxDisplacement.depth) + " m）；最大侧向应力 " + Fixed("%.3f", f.maxStress.value) +
                " kPa（" + Fixed("%.2f", f.maxStress.depth) + " m）\n";
        for (const PileForceCheck& c : f.checks) {
            if (!c.checked)
                continue;
            const std::string what = CheckTextChinese(c);
            text += "验算：" + what + (c.holds ? "，满足\n" : "，不满足\n");
        }
        auto bars = [&text](const PileReinforcement& rf, const char* face) {
            text += "配筋（" + rf.steel + "）" + face + "：设计弯矩 " + Fixed("%.3f", rf.moment) + " kN·m，设计剪力 " +
                    Fixed("%.3f", rf.shear) + " kN；纵筋 ";
            if (rf.overReinforced && rf.circle)
                text += "超筋（As = " + Fixed("%.0f", rf.required) + " mm² > " +
                        Fixed("%.0f", kCircleLargestRatio * 100) + "% 截面面积 = " + Fixed("%.0f", rf.maximum) +
                        " mm²），截面不能承受";
            else if (rf.overReinforced)
                text += std::string(rf.x >= rf.h0 ? "超筋（x ≥ h0 = " : "超筋（x = ") + Fixed("%.1f", rf.x) +
                        " mm > ξb·h0 = " + Fixed("%.1f", rf.xiB * rf.h0) + " mm），单筋截面不能承受";
            else
                text += Fixed("%.0f", rf.longitudinalArea) + " mm²" + (rf.minimumGoverns ? "（最小配筋率控制）" : "");
            text += "；箍筋 ";
            text += rf.sectionTooSmall ? "截面尺寸不足（V > 0.25βc·fc·b·h0 = " + Fixed("%.1f", rf.shearLimit) + " kN）"
                                       : "Asv/s = " + Fixed("%.4f", rf.stirrups) + " mm²/mm";
            text += "\n";
        };
        bars(f.reinforcement, f.otherFace ? FaceName(f.maxMoment.value) : "");
        if (f.otherFace)
            bars(f.reinforcementOtherFace, FaceName(-f.maxMoment.value));
        text += "  深度(m)      剪力(kN)    弯矩(kN·m)    位移(mm)    转角(rad)   侧向应力(kPa)\n";
        for (const PileForcePoint& p : f.points) {
            char line[160];
            std::snprintf(line, sizeof line, "%8.2f  %12.3f  %12.3f  %10.3f  %11.6f  %12.3f\n", p.depth, Shown(p.shear, 3),
                          Shown(p.moment, 3), Shown(p.displacement * 1000, 3), Shown(p.rotation, 6),
                          Shown(p.stress, 3));
            text += line;
        }
    }
    std::string why;
    if (!text.empty() && !Print(text, &why)) {
        std::fprintf(stderr, "kangli: standard output: cannot write: %s\n", why.c_str());
        // Told once: what is left in the buffer is dropped, not reported again.
        __fpurge(stdout);
        std::clearerr(stdout);
        return 2;
    }
    if (f.status != 1)
        return 1;
    // Calculated, but the pile fails a check, cannot be reinforced, or leaves
    // the linear model: not a pile to sign.
    bool holds = f.linearModelHolds && !f.reinforcement.overReinforced && !f.reinforcement.sectionTooSmall &&
                 !(f.otherFace && f.reinforcementOtherFace.overReinforced);
    for (const PileForceCheck& c : f.checks)
        holds = holds && c.holds;
    if (!f.linearModelHolds)
        std::fprintf(stderr, "kangli: %s: %s\n", in.c_str(), f.linearModelReason.c_str());
    return holds ? 0 : 3;
}
