// Resistance of the ground in front of the pile below a slip-surface depth z.
//
//   Ev  = tau + Ep                                               kN/m
//   Ep  = eta * Epk * b0 / s                                     soil zone
//   Epk = integral of the Rankine passive pressure from z down to the bottom of
//         the soil zone, p = Kp*sigma_v + 2c*sqrt(Kp), Kp = tan2(45 + phi/2)
//   tau = sum over the rock below z of (sigma_v tan(phi) + c) * l / cos(45 - phi/2)
//         * b0 / s, l the layer part below z                      rock zone
// with eta the reduction factor of the passive pressure, s the pile spacing and b0
// the calculation width of the pile (JTG 3363 / GB 50007 style: 1.5b + 0.5 for
// b <= 1 m, b + 1 above; 0.9 of the same for a circle of diameter d; at most s).
// Depths are metres below the pile top; the slope surface in front lies at t,
// the water level at t + fShuiWeiShenDu.
#pragma once

#include <vector>

class CPelvorinData;
class CBase_SGT;

// Linear interpolation at x over depths (largest first) and their values: 0
// outside (depths[n-1] <= x < depths[0] - 0.0001), so the deepest depth gives 0.
float ChaZhi(float x, const std::vector<float>& depths, const std::vector<float>& values);

// One layer's part of the rock shear: the shear along the plane at
// 45 - phi/2 from the vertical from top to bottom (m), at its mid-depth's
// vertical stress sigma (kPa), cohesion c (kPa) and friction angle phi
// (degrees): value = (tan phi sigma + c) (bottom - top) / cos theta b0 / s, kN/m.
struct RockShearTerm {
    int layer = 0;
    float top = 0, bottom = 0;
    double sigma = 0, c = 0, phi = 0, cosTheta = 1, value = 0;
};

class CTuKangLiJiSuan {
public:
    CPelvorinData* pData = nullptr;
    std::vector<float> KangLi;          // Ev per calculation point, kN/m
    std::vector<float> TuYaFenDuan;     // soil-zone division depths, largest first
    std::vector<float> KangJianFenDuan; // rock-shear division depths, largest first
    std::vector<float> TuYaLi;          // Ep per point, kN/m
    std::vector<float> KangJianLi;      // tau per point, kN/m
    float fJiSuanKuanDu = 0.0f;         // calculation width b0, m
    std::vector<float> YaLiXia;         // pressure just below each soil division, kPa
    std::vector<float> YaLiShang;       // pressure just above each soil division, kPa
    std::vector<float> TuYaLiHeLi;      // Epk per point, kN/m
    // Set by JiSuan when a rock friction angle leaves no shear plane (cos of
    // 45 - phi/2 vanishes): the rock shear above it is then none. Whoever
    // calculates tells the user "内摩擦角输入不对！".
    int bMoCaJiaoBuDui = 0;

    float JiSuan();
    int MakeFenDuanDian(std::vector<float>& list, int bTuOnly);
    int AddFenDuanDian(std::vector<float>& list, float z);
    int PaiXu(std::vector<float>& list);
    float GetJiSuanKuanDu();
    void JiSuanTuYaLiFenBu(const std::vector<float>& list);
    float JiSuanTuYaLi(float x);
    float JiSuanKangJianLi(const std::vector<float>& list, std::vector<float>& out);
    // The terms that sum to the rock shear at depth z (the whole rock below a
    // depth in the soil above it); none where there is no rock below z.
    std::vector<RockShearTerm> RockShearTermsAt(float z);
    float ChaZhi(float x, const std::vector<float>& depths, std::vector<float> values);

    // The earth-pressure diagram onto canvas, in metres, from the lists a
    // calculation left; drawing changes nothing. Returns 1.
    int DrawTuYaLiTu(CBase_SGT* canvas) const;

    // Layer queries on the record.
    int GetCengHao(float z);
    float GetShuZhiYingLi(float z);
    float GetNianJuLi(float z, int i, int bShuiXia);
    float GetMoCaJiao(float z, int i, int bShuiXia);
    float GetKp(float z, int i, int bShuiXia);
    float GetBeiDongTuYaLi(float z, int i, int bShuiXia);
    float CopyYanCengCanShu();

private:
    int LayerCount() const; // layers that are both counted and present
    void RockZone(std::vector<float>& B, int& nIn) const;
    bool ShearTerm(int layer, float top, float bottom, RockShearTerm& term);
    bool ShearTermsBelow(float zk, int i, const std::vector<float>& B, int nIn, std::vector<RockShearTerm>& terms);
};
