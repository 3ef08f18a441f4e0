#include "KangLiCore.h"

#include <cmath>

int InsertKangLiPoint(std::vector<float>& list, float v)
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (std::fabs(*it - v) < 0.01f)
            return 0;
        if (v > *it) {
            list.insert(it, v);
            return 1;
        }
    }
    list.push_back(v);
    return 1;
}

void KangLiPoints(float L, int divisions, std::vector<float>& list)
{
    list.clear();
    InsertKangLiPoint(list, 0.0f);
    if (divisions <= 0)
        divisions = 20;
    float step = L / static_cast<float>(divisions);
    step = static_cast<float>(std::trunc(static_cast<double>(step) * 10.0) / 10.0);
    if (step - 1.0f > 0.00001f)
        step = 1.0f;
    if (!(L > 0.0f)) {
        InsertKangLiPoint(list, L);
        return;
    }
    // Piles shorter than 2 m round the step down to nothing: divide them evenly.
    if (!(step > 0.0f))
        step = L / static_cast<float>(divisions);
    // Any real pile has a few hundred points at most; the cap only keeps an absurd
    // length (kilometres, or one that the float step can no longer advance) from
    // running without end.
    constexpr int kMaxSteps = 10000;
    float z = 0.0f;
    for (int steps = 0; steps < kMaxSteps; ++steps) {
        const float next = z + step;
        if (!(next > z))
            break; // the step no longer moves z: nothing more to add
        z = next;
        if (z < L)
            InsertKangLiPoint(list, z);
        if (z >= L)
            break;
    }
    InsertKangLiPoint(list, L);
}

KangLiCalculation CalculateKangLi(const CPelvorinData& input, int divisions)
{
    // The calculators work on a record of their own: the caller's stays as it
    // was, and the value owns everything it hands back.
    CPelvorinData r(input);
    KangLiCalculation out = CalculateKangLiInPlace(r, divisions);
    if (out.status == 1)
        out.layers = r.TuCeng;
    return out;
}

KangLiCalculation CalculateKangLiInPlace(CPelvorinData& r, int divisions)
{
    KangLiCalculation out;
    if (const int soil = SoilBelowRock(r); soil >= 0) {
        out.refusedField = "TuCeng[" + std::to_string(soil) + "]";
        out.refusal = "岩层下不能出现土层";
        return out;
    }
    KangLiPoints(r.fZhuangChang, divisions, *r.pDianZuoBiao);
    out.groundCalc.pData = &r;
    out.groundCalc.JiSuan();
    out.pileCalc.pData = &r;
    out.pileCalc.JiSuan();

    const std::vector<float>& z = *r.pDianZuoBiao;
    const size_t n = z.size();
    out.depth = z;
    out.ground.resize(n, 0.0f);
    out.pile.resize(n, 0.0f);
    out.final.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const float g = i < out.groundCalc.KangLi.size() ? out.groundCalc.KangLi[i] : 0.0f;
        const float p = i < out.pileCalc.KangLi.size() ? out.pileCalc.KangLi[i] : 0.0f;
        out.ground[i] = g;
        out.pile[i] = p;
        // A tie, or an unordered pair, takes the pile value.
        out.final.push_back(g < p ? g : p);
    }
    out.soilLayers = r.nTuShu;
    out.frictionAngleWarning = out.groundCalc.bMoCaJiaoBuDui != 0;

    const float s = r.fHuaMianDaoZhuangDing;
    out.slipDepth = s;
    out.section = SectionAtSlip(r);
    GroundAtSlip& g = out.groundAtSlip;
    const CTuKangLiJiSuan& gc = out.groundCalc;
    g.width = gc.fJiSuanKuanDu;
    g.noRock = r.nTuShu == r.nTuCengShu;
    g.noSoil = r.nTuShu == 0;
    g.tau = ChaZhi(s, z, gc.KangJianLi);
    if (!g.noRock)
        g.rockTerms = out.groundCalc.RockShearTermsAt(s);
    if (!g.noSoil) {
        g.epk = ChaZhi(s, z, gc.TuYaLiHeLi);
        g.ep = ChaZhi(s, z, gc.TuYaLi);
    }
    g.ev = ChaZhi(s, z, gc.KangLi);

    out.groundCalc.pData = nullptr;
    out.pileCalc.pData = nullptr;
    out.status = 1;
    return out;
}
