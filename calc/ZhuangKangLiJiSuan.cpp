#include "ZhuangKangLiJiSuan.h"

#include "Concrete.h"
#include "PelvorinData.h"

namespace {
constexpr double kPi = 3.1415926535;
}

float CZhuangKangLiJiSuan::GetJieMianMianJi()
{
    const CPelvorinData& r = *pData;
    if (r.nJieMianXingZhuang == 1)
        return static_cast<float>(static_cast<double>(r.fZhuangKuan) * r.fZhuangGao);
    if (r.nJieMianXingZhuang == 0)
        return static_cast<float>(static_cast<double>(r.fZhuangJing) * kPi * r.fZhuangJing * 0.25);
    return 0.0f;
}

float CZhuangKangLiJiSuan::JiSuanZiZhongYingLi(const std::vector<float>& points)
{
    ZiZhongYingLi.clear();
    float last = 0.0f;
    for (float z : points) {
        last = static_cast<float>(static_cast<double>(z) * pData->fZhuangRongZhong);
        ZiZhongYingLi.push_back(last);
    }
    return last;
}

float CZhuangKangLiJiSuan::JiSuanZiZhongYaLi()
{
    ZiZhongYaLi.clear();
    const double area = GetJieMianMianJi();
    float last = 0.0f;
    for (float sigma : ZiZhongYingLi) {
        last = static_cast<float>(area * sigma);
        ZiZhongYaLi.push_back(last);
    }
    return last;
}

float CZhuangKangLiJiSuan::JiSuan()
{
    const CPelvorinData& r = *pData;
    const std::vector<float>& points = *r.pDianZuoBiao;
    JiSuanZiZhongYingLi(points);
    JiSuanZiZhongYaLi();
    KangLi.clear();

    Con_Prop prop;
    get_rc_property(r.nHunNingTuDengJi, &prop);
    const double fc = prop.fc;
    const double ftk = prop.ftk;

    float area = 0.0f, h0 = 0.0f, b0 = 0.0f;
    if (r.nJieMianXingZhuang == 1) {
        area = static_cast<float>(static_cast<double>(r.fZhuangGao) * r.fZhuangKuan);
        h0 = static_cast<float>(1000.0 * r.fZhuangGao - r.fAs);
        b0 = static_cast<float>(1000.0 * r.fZhuangKuan);
    } else if (r.nJieMianXingZhuang == 0) {
        area = static_cast<float>(static_cast<double>(r.fZhuangJing) * kPi * r.fZhuangJing * 0.25);
        h0 = static_cast<float>(static_cast<double>(r.fZhuangJing) * 1600.0 * 0.5);
        b0 = static_cast<float>(static_cast<double>(r.fZhuangJing) * 1760.0 * 0.5);
    }
    const float n1 = static_cast<float>(fc * 0.3 * area * 1000.0);
    if (points.empty())
        return 0.0f;

    const double vc0 = 0.7 * b0 * h0 * ftk / 1000.0;
    float n = n1;
    float vc = 0.0f;
    for (size_t i = 0; i < points.size(); ++i) {
        if (n - ZiZhongYaLi[i] > 0.0f)
            n = ZiZhongYaLi[i];
        vc = static_cast<float>(0.07 * n + vc0);
        KangLi.push_back(static_cast<float>(static_cast<double>(vc) / r.fZhuangJianJu));
    }
    return vc;
}
