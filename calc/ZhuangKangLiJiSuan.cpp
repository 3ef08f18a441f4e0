#include "ZhuangKangLiJiSuan.h"

#include "Concrete.h"
#include "PelvorinData.h"
#include "PileSection.h"

float CZhuangKangLiJiSuan::GetJieMianMianJi() { return static_cast<float>(SectionShape(*pData).area); }

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

    // Per point the section is carried in 32-bit reals, as the results always
    // were; the book's working at the slip surface keeps the doubles.
    const PileSectionShape shape = SectionShape(r);
    const float area = static_cast<float>(shape.area);
    const float h0 = static_cast<float>(shape.h0);
    const float b0 = static_cast<float>(shape.b0);
    const float n1 = static_cast<float>(AxialLimit(fc, area));
    if (points.empty())
        return 0.0f;

    float n = n1;
    float vc = 0.0f;
    for (size_t i = 0; i < points.size(); ++i) {
        if (n - ZiZhongYaLi[i] > 0.0f)
            n = ZiZhongYaLi[i];
        vc = static_cast<float>(ShearCapacity(b0, h0, ftk, n));
        KangLi.push_back(static_cast<float>(static_cast<double>(vc) / r.fZhuangJianJu));
    }
    return vc;
}
