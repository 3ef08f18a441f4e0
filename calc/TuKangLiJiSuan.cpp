#include "TuKangLiJiSuan.h"

#include "PelvorinData.h"
#include "PileSection.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kEps = 0.00001f; // depth comparisons, m

float F(double v) { return static_cast<float>(v); }

bool WaterConsidered(const CPelvorinData& r) { return r.bKaoLvShui == 1; }

float WaterDepth(const CPelvorinData& r)
{
    return F(static_cast<double>(r.fPoMianDaoZhuangDing) + r.fShuiWeiShenDu);
}

} // namespace

float ChaZhi(float x, const std::vector<float>& depths, const std::vector<float>& values)
{
    const size_t n = std::min(depths.size(), values.size());
    if (n == 0)
        return 0.0f;
    if (!(depths[n - 1] <= x && static_cast<double>(x) - depths[0] <= -0.0001))
        return 0.0f;
    for (size_t k = n - 1; k-- > 0;) {
        if (static_cast<double>(depths[k]) - x > -0.0001) {
            double slope = (static_cast<double>(values[k + 1]) - values[k]) /
                           (static_cast<double>(depths[k + 1]) - depths[k]);
            return F(values[k] + (static_cast<double>(x) - depths[k]) * slope);
        }
    }
    return 0.0f;
}

float CTuKangLiJiSuan::ChaZhi(float x, const std::vector<float>& depths, std::vector<float> values)
{
    return ::ChaZhi(x, depths, values);
}

int CTuKangLiJiSuan::LayerCount() const
{
    int n = pData->nTuCengShu;
    if (n < 0)
        n = 0;
    return std::min(n, static_cast<int>(pData->TuCeng.size()));
}

// ---------------------------------------------------------------- layer queries

int CTuKangLiJiSuan::GetCengHao(float z)
{
    const int n = LayerCount();
    if (n == 0)
        return -1;
    if (n == 1)
        return 0;
    const CPelvorinData& r = *pData;
    // Depths between the pile top and the slope surface are layer 0's; a slope
    // surface above the pile top is layer 0's top itself.
    float top = std::min(0.0f, r.fPoMianDaoZhuangDing);
    float bottom = r.fPoMianDaoZhuangDing;
    for (int i = 0; i < n; ++i) {
        bottom = i == n - 1 ? 1000.0f : F(static_cast<double>(bottom) + r.TuCeng[i].fHouDu);
        if (top + kEps < z && z < bottom - kEps)
            return i;
        if (std::fabs(z - top) < kEps)
            return i;
        if (std::fabs(z - bottom) < kEps)
            return i + 1; // a boundary belongs to the layer below it
        top = bottom;
    }
    return -1;
}

float CTuKangLiJiSuan::GetShuZhiYingLi(float z)
{
    int last = GetCengHao(z);
    if (last < 0)
        return 0.0f;
    last = std::min(last, LayerCount() - 1);
    const CPelvorinData& r = *pData;
    const bool water = WaterConsidered(r);
    const double w = WaterDepth(r);
    float sigma = 0.0f;
    float top = r.fPoMianDaoZhuangDing;
    for (int i = 0; i <= last; ++i) {
        const CTuCeng& c = r.TuCeng[i];
        const float bottom = i == last ? z : F(static_cast<double>(top) + c.fHouDu);
        double add;
        if (!water || w - bottom > kEps)
            add = (static_cast<double>(bottom) - top) * c.fZhongDu;
        else if (w - top > kEps)
            add = (w - top) * c.fZhongDu + (bottom - w) * c.fFuZhongDu;
        else
            add = (static_cast<double>(bottom) - top) * c.fFuZhongDu;
        sigma = F(sigma + add);
        top = bottom;
    }
    return sigma;
}

namespace {

// Above-water or under-water value of a layer at depth z.
float StrengthAt(const CPelvorinData& r, int n, float z, int i, int bShuiXia, float CTuCeng::*above,
                 float CTuCeng::*under)
{
    if (n == 1)
        i = 0;
    if (i < 0 || i >= n)
        return 0.0f;
    const CTuCeng& c = r.TuCeng[i];
    if (!WaterConsidered(r))
        return c.*above;
    const double d = static_cast<double>(z) - WaterDepth(r);
    if (std::fabs(d) < kEps)
        return bShuiXia == 1 ? c.*under : c.*above;
    return d > kEps ? c.*under : c.*above;
}

} // namespace

float CTuKangLiJiSuan::GetNianJuLi(float z, int i, int bShuiXia)
{
    return StrengthAt(*pData, LayerCount(), z, i, bShuiXia, &CTuCeng::fNianJuLi,
                      &CTuCeng::fShuiXiaNianJuLi);
}

float CTuKangLiJiSuan::GetMoCaJiao(float z, int i, int bShuiXia)
{
    return StrengthAt(*pData, LayerCount(), z, i, bShuiXia, &CTuCeng::fMoCaJiao,
                      &CTuCeng::fShuiXiaMoCaJiao);
}

float CTuKangLiJiSuan::GetKp(float z, int i, int bShuiXia)
{
    const float phi = F(GetMoCaJiao(z, i, bShuiXia) * kJiSuanPi / 180.0);
    const float a = F(phi * 0.5 + kJiSuanPi / 4.0);
    if (std::fabs(a - kJiSuanPi / 2.0) < kEps)
        return 0.0f; // phi = 90 degrees: no finite tangent
    const double t = std::tan(static_cast<double>(a));
    return F(t * t);
}

float CTuKangLiJiSuan::GetBeiDongTuYaLi(float z, int i, int bShuiXia)
{
    const double kp = GetKp(z, i, bShuiXia);
    const double sigma = GetShuZhiYingLi(z);
    const double c = GetNianJuLi(z, i, bShuiXia);
    const float p = F(kp * sigma + 2.0 * c * std::sqrt(kp));
    return p < kEps ? 0.0f : p;
}

float CTuKangLiJiSuan::CopyYanCengCanShu()
{
    for (CTuCeng& c : pData->TuCeng) {
        if (c.nLeiXing != 0) {
            c.fFuZhongDu = c.fZhongDu;
            c.fShuiXiaNianJuLi = c.fNianJuLi;
            c.fShuiXiaMoCaJiao = c.fMoCaJiao;
        }
    }
    return 1.0f;
}

// ---------------------------------------------------------------- division lists

int CTuKangLiJiSuan::AddFenDuanDian(std::vector<float>& list, float z)
{
    for (float e : list)
        if (std::fabs(e - z) < 0.01f)
            return 0;
    list.push_back(z);
    return 1;
}

int CTuKangLiJiSuan::PaiXu(std::vector<float>& list)
{
    // Plain exchange sort, largest first; equal neighbours stay as they are.
    for (size_t pass = 0; pass + 1 < list.size(); ++pass)
        for (size_t j = 0; j + 1 < list.size() - pass; ++j)
            if (list[j] < list[j + 1])
                std::swap(list[j], list[j + 1]);
    return 1;
}

int CTuKangLiJiSuan::MakeFenDuanDian(std::vector<float>& list, int bTuOnly)
{
    const CPelvorinData& r = *pData;
    const float t = r.fPoMianDaoZhuangDing;
    const float L = r.fZhuangChang;
    const int n = LayerCount();
    list.clear();
    if (!bTuOnly)
        AddFenDuanDian(list, 0.0f);
    float z = t;
    if (t < L && t > -kEps)
        AddFenDuanDian(list, t);
    else if (t <= -kEps && bTuOnly && L > 0.0f && n > 0 && r.TuCeng[0].nLeiXing == 0)
        // The slope surface lies above the pile top: the soil zone in front of
        // the pile starts at the pile top (the ground above it bears down on
        // it, but does not resist the pile).
        AddFenDuanDian(list, 0.0f);
    for (int i = 0; i < n; ++i) {
        if (bTuOnly && r.TuCeng[i].nLeiXing != 0)
            break;
        // The last layer reaches down to the pile bottom.
        z = i == n - 1 ? L : F(static_cast<double>(z) + r.TuCeng[i].fHouDu);
        if (z - L > kEps) {
            AddFenDuanDian(list, L);
            break;
        }
        // A boundary above the pile top is none of the pile's.
        if (z > kEps || !bTuOnly)
            AddFenDuanDian(list, z);
    }
    if (r.bKaoLvShui) {
        // A water level below the pile foot is no division: nothing below the
        // foot takes part in the resistance, neither as earth pressure nor as
        // rock shear.
        const float w = WaterDepth(r);
        if (w < z && w > 0.0f && static_cast<double>(w) - L < -kEps)
            AddFenDuanDian(list, w);
    }
    if (!bTuOnly)
        for (float p : *r.pDianZuoBiao)
            AddFenDuanDian(list, p);
    PaiXu(list);
    return 1;
}

float CTuKangLiJiSuan::GetJiSuanKuanDu()
{
    const CPelvorinData& r = *pData;
    float b0 = 0.0f;
    if (r.nJieMianXingZhuang == 1) {
        const double b = r.fZhuangKuan;
        b0 = b - 1.0 > kEps ? F(b + 1.0) : F(1.5 * b + 0.5);
    } else if (r.nJieMianXingZhuang == 0) {
        const double d = r.fZhuangJing;
        b0 = d - 1.0 > kEps ? F(0.9 * (d + 1.0)) : F(0.9 * (1.5 * d + 0.5));
    }
    if (static_cast<double>(b0) - r.fZhuangJianJu > kEps)
        b0 = r.fZhuangJianJu;
    return b0;
}

// ---------------------------------------------------------------- soil zone

void CTuKangLiJiSuan::JiSuanTuYaLiFenBu(const std::vector<float>& list)
{
    YaLiXia.clear();
    YaLiShang.clear();
    const size_t m = list.size();
    for (size_t k = 0; k < m; ++k) {
        const float z = list[k];
        float below = GetBeiDongTuYaLi(z, GetCengHao(F(z + 0.001)), 1);
        float above = GetBeiDongTuYaLi(z, GetCengHao(F(z - 0.001)), 0);
        if (k == 0)
            below = above; // nothing of the soil zone lies below its deepest depth
        else if (k == m - 1)
            above = below; // nor above the slope surface
        YaLiXia.push_back(below);
        YaLiShang.push_back(above);
    }
}

float CTuKangLiJiSuan::JiSuanTuYaLi(float x)
{
    const std::vector<float>& z = TuYaFenDuan;
    const size_t m = z.size();
    if (m == 0)
        return 0.0f;
    if (static_cast<double>(x) - z[0] > kEps) { // below the soil zone
        TuYaLiHeLi.push_back(0.0f);
        return 0.0f;
    }
    if (static_cast<double>(z[m - 1]) - x > kEps) // above the slope surface
        x = z[m - 1];
    const float L = pData->fZhuangChang;
    float epk = 0.0f;
    for (size_t k = 0; k + 1 < m; ++k) {
        if (std::fabs(x - L) < kEps)
            break; // a point at the pile bottom has nothing below it
        const float top = z[k + 1], bottom = z[k];
        const float pTop = YaLiXia[k + 1], pBottom = YaLiShang[k];
        const bool inside = (static_cast<double>(x) - top > kEps && bottom - x > kEps) ||
                            std::fabs(bottom - x) < kEps || std::fabs(x - top) < kEps;
        if (inside) {
            // The pressure at the point, linear over the segment; a point that
            // lies on the segment's top within the tolerance takes the top's
            // pressure (a layer boundary at a point must not drop the segment).
            const double at = std::clamp(static_cast<double>(x), static_cast<double>(top),
                                         static_cast<double>(bottom));
            const float px = bottom - top > 0.0f
                                 ? F(pTop + (at - top) * (static_cast<double>(pBottom) - pTop) / (bottom - top))
                                 : pBottom;
            epk = F(epk + (static_cast<double>(px) + pBottom) * (bottom - x) * 0.5);
            break;
        }
        epk = F(epk + (static_cast<double>(bottom) - top) * (pBottom + pTop) * 0.5);
    }
    TuYaLiHeLi.push_back(epk);
    return F(static_cast<double>(pData->fZheJianXiShu) * epk * fJiSuanKuanDu /
             pData->fZhuangJianJu);
}

// ---------------------------------------------------------------- rock zone

// The layer boundaries of the rock zone (B[0] the slope surface, B[i + 1] the
// bottom of layer i) and the number of layers reaching into the pile. The shear
// plane runs from a point down to the pile foot: the layer that holds the foot
// ends there (the rock below the foot does not resist the pile), and the last
// layer reaches down to it when the layers stop short.
void CTuKangLiJiSuan::RockZone(std::vector<float>& B, int& nIn) const
{
    const CPelvorinData& r = *pData;
    const float t = r.fPoMianDaoZhuangDing;
    const float L = r.fZhuangChang;
    const int n = LayerCount();
    nIn = n; // layers reaching into the pile
    float z = t;
    for (int j = 0; j < n; ++j) {
        const float next = F(static_cast<double>(z) + r.TuCeng[j].fHouDu);
        if (static_cast<double>(next) - L > kEps) {
            nIn = j + 1;
            break;
        }
        z = next;
    }
    B.assign(static_cast<size_t>(n) + 1, 0.0f);
    B[0] = t;
    for (int i = 0; i < n; ++i)
        B[i + 1] = F(static_cast<double>(B[i]) + r.TuCeng[i].fHouDu);
    B[n] = L;
    if (nIn < n)
        B[nIn] = L;
}

// Shear along the plane at 45 - phi/2 from the vertical through the part of a
// layer from top to bottom, at its mid-depth: (tan phi sigma + c) (length /
// cos theta) b0 / s. False when the angle leaves no plane.
bool CTuKangLiJiSuan::ShearTerm(int layer, float top, float bottom, RockShearTerm& term)
{
    const float zm = F((static_cast<double>(top) + bottom) / 2.0);
    term.layer = layer;
    term.top = top;
    term.bottom = bottom;
    term.sigma = GetShuZhiYingLi(zm);
    term.c = GetNianJuLi(zm, layer, 1);
    term.phi = GetMoCaJiao(zm, layer, 1);
    const float phi = F(term.phi * kJiSuanPi / 180.0);
    term.cosTheta = std::cos(kJiSuanPi / 4.0 - phi / 2.0);
    if (std::fabs(term.cosTheta) < kEps)
        return false;
    const double b0s = static_cast<double>(fJiSuanKuanDu) / pData->fZhuangJianJu;
    term.value = (std::tan(static_cast<double>(phi)) * term.sigma + term.c) *
                 ((static_cast<double>(bottom) - top) / term.cosTheta) * b0s;
    return true;
}

// The terms of the rock shear at a rock depth zk: each rock layer below it
// whole, then the part of its own layer below it. False when a friction
// angle leaves no plane.
bool CTuKangLiJiSuan::ShearTermsBelow(float zk, int i, const std::vector<float>& B, int nIn,
                                      std::vector<RockShearTerm>& terms)
{
    terms.clear();
    RockShearTerm term;
    for (int l = i + 1; l < nIn; ++l) {
        if (!ShearTerm(l, B[l], B[l + 1], term))
            return false;
        terms.push_back(term);
    }
    if (!ShearTerm(i, zk, B[i + 1], term))
        return false;
    terms.push_back(term);
    return true;
}

float CTuKangLiJiSuan::JiSuanKangJianLi(const std::vector<float>& list, std::vector<float>& out)
{
    KangJianLi.clear();
    CopyYanCengCanShu();
    if (list.size() < 2)
        return 0.0f;
    const CPelvorinData& r = *pData;
    const float t = r.fPoMianDaoZhuangDing;
    const int n = LayerCount();
    std::vector<float> B;
    int nIn = n;
    RockZone(B, nIn);
    const int nYan = nIn - r.nTuShu;
    if (nYan == 0) {
        out.insert(out.end(), list.size(), 0.0f);
        return 1.0f;
    }

    float tau = 0.0f;
    std::vector<RockShearTerm> terms;
    for (float zk : list) {
        int i = zk < t ? -1 : GetCengHao(zk);
        if (i < r.nTuShu) { // soil or above the slope surface: the rock below it
            out.push_back(tau);
            continue;
        }
        i = std::min(i, n - 1);
        if (!ShearTermsBelow(zk, i, B, nIn, terms)) {
            bMoCaJiaoBuDui = 1;
            return 0.0f;
        }
        tau = 0.0f;
        for (const RockShearTerm& term : terms)
            tau = F(tau + term.value); // summed in the order and precision of the record
        out.push_back(tau);
    }
    return tau;
}

std::vector<RockShearTerm> CTuKangLiJiSuan::RockShearTermsAt(float z)
{
    std::vector<RockShearTerm> terms;
    if (!pData)
        return terms;
    const CPelvorinData& r = *pData;
    const int n = LayerCount();
    std::vector<float> B;
    int nIn = n;
    RockZone(B, nIn);
    if (nIn - r.nTuShu <= 0 || z >= r.fZhuangChang)
        return terms;
    // A depth in the soil above the rock has the whole rock below it.
    int i = z < r.fPoMianDaoZhuangDing ? -1 : GetCengHao(z);
    if (i < r.nTuShu) {
        i = r.nTuShu;
        z = B[static_cast<size_t>(i)];
    }
    i = std::min(i, n - 1);
    if (!ShearTermsBelow(z, i, B, nIn, terms))
        terms.clear();
    return terms;
}

// ---------------------------------------------------------------- whole run

float CTuKangLiJiSuan::JiSuan()
{
    KangLi.clear();
    TuYaLi.clear();
    TuYaLiHeLi.clear();
    KangJianLi.clear();
    bMoCaJiaoBuDui = 0;
    CPelvorinData& r = *pData;
    r.nTuShu = 0;
    for (int i = 0; i < LayerCount(); ++i)
        if (r.TuCeng[i].nLeiXing == 0)
            ++r.nTuShu;
    MakeFenDuanDian(TuYaFenDuan, 1);
    MakeFenDuanDian(KangJianFenDuan, 0);
    fJiSuanKuanDu = GetJiSuanKuanDu();
    JiSuanTuYaLiFenBu(TuYaFenDuan);
    const std::vector<float>& points = *r.pDianZuoBiao;
    for (float z : points)
        TuYaLi.push_back(JiSuanTuYaLi(z));
    std::vector<float> tau;
    JiSuanKangJianLi(KangJianFenDuan, tau);
    // After a friction-angle error the shallower depths that were not reached have
    // no shear: they count as none rather than as an unproduced value.
    tau.resize(KangJianFenDuan.size(), 0.0f);
    for (float z : points)
        KangJianLi.push_back(ChaZhi(z, KangJianFenDuan, tau));
    float last = 0.0f;
    for (size_t i = 0; i < points.size(); ++i) {
        last = F(static_cast<double>(TuYaLi[i]) + KangJianLi[i]);
        KangLi.push_back(last);
    }
    return last;
}
