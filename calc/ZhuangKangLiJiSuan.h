// Shear resistance of the pile section per metre of slope width.
//
// For a slip surface at depth z below the pile top (GB 50010 6.3.3/6.3.4 style
// shear capacity of a member without web reinforcement under axial compression):
//   sigma_c = gamma_c * z                          self-weight stress, kN/m2
//   A       = b*h (rectangle) or pi*d*d/4 (circle) section area, m2
//   N0      = sigma_c * A                          self-weight axial force, kN
//   N1      = 0.3 * fc * A * 1000                  axial-force limit, kN
//   N       = min(N0, N1)
//   b0      = 1000 b (rectangle), 1000*1.76*d/2 (circle)          mm
//   h0      = 1000 h - as (rectangle), 1000*1.6*d/2 (circle)       mm
//   Vc      = 0.7 * b0 * h0 * ftk / 1000 + 0.07 * N                kN
//   Fv      = Vc / s                               resistance, kN/m
// fc and ftk in N/mm2 from the concrete table.
#pragma once

#include <vector>

class CPelvorinData;

class CZhuangKangLiJiSuan {
public:
    CPelvorinData* pData = nullptr;
    std::vector<float> KangLi;         // Fv per calculation point, kN/m
    std::vector<float> ZiZhongYingLi;  // sigma_c per point, kN/m2
    std::vector<float> ZiZhongYaLi;    // N0 per point, kN

    // Fills the three lists for the record's calculation points; returns Vc of the
    // last point (the pile top), 0 without points.
    float JiSuan();
    float JiSuanZiZhongYingLi(const std::vector<float>& points);
    float JiSuanZiZhongYaLi();
    float GetJieMianMianJi();
};
