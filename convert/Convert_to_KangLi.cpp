#include "Convert_to_KangLi.h"


#include <cmath>
#include "PelvorinData.h"
#include "SlopeData.h"

namespace {

// A length worked out from the model's coordinates, narrowed once to the
// record's float at a tenth of a millimetre: the model's levels are floats, and
// a thickness of 99 - 93.1 would otherwise reach the data file as 5.900002.
float Length(double metres)
{
    return static_cast<float>(std::round(metres * 1e4) / 1e4);
}

} // namespace

CSlp_KHPile* CConvert_to_KangLi::Pile(CSlopeData* slope, int mode, int index)
{
    if (!slope)
        return nullptr;
    if (mode == 1)
        return index >= 0 && index < static_cast<int>(slope->KHPiles.size())
                   ? &slope->KHPiles[static_cast<size_t>(index)]
                   : nullptr;
    if (mode == 2)
        return &slope->CurKHPile;
    return nullptr;
}

int CConvert_to_KangLi::Convert(CSlopeData* slope, int mode, int index)
{
    m_pSlope = slope;
    CSlp_KHPile* pile = Pile(slope, mode, index);
    if (!pile || !m_pData)
        return 0;
    SetZhuangCanShu(*pile);
    SetHuaMianJuLi();
    return SetTuCeng(*pile) > 0 ? 1 : 0;
}

int CConvert_to_KangLi::SetZhuangCanShu(const CSlp_KHPile& p)
{
    CPelvorinData& r = *m_pData;
    r.fZhuangJianJu = p.fJianJu;
    r.fZhuangChang = p.fChang;
    r.fZhuangKuan = p.fKuan;
    r.fZhuangGao = p.fGao;
    r.fZhuangJing = p.fGao; // the circle's diameter is the section height
    r.nJieMianXingZhuang = p.nJieMian;
    r.nHunNingTuDengJi = p.nDengJi;
    r.fZhuangRongZhong = p.fRongZhong;
    return 1;
}

int CConvert_to_KangLi::SetHuaMianJuLi()
{
    if (!m_pSlope || !m_pData)
        return 0;
    if (m_pData->bHuaMianKeBian != 0)
        return 1; // the record keeps its own distance
    int a = 0, b = 0;
    m_pData->fHuaMianDaoZhuangDing = CetHM_KHZ_Dis(m_pSlope, &a, &b); // as the host reads it
    return 1;
}

int CConvert_to_KangLi::SetTuCeng(const CSlp_KHPile& pile)
{
    CPelvorinData& r = *m_pData;
    CConvert_PXData extractor;
    if (m_pSlope)
        m_pSlope->nQuTuCengBiaoZhi = 0;
    extractor.pSlope = m_pSlope;
    // The ground in front of the pile converted, never another pile's: a
    // host's working pile may share its name.
    extractor.pPile = &pile;
    std::vector<CSlopeBZDC_CS*> layers;
    extractor.GetTuCeng_Front_KHZ(layers);
    r.fPoMianDaoZhuangDing =
        Length(static_cast<double>(static_cast<float>(1000.0 * pile.PoXian.GetBorderY(1))) - extractor.fQianDiMian);
    r.nTuCengShu = static_cast<int>(layers.size());
    r.TuCeng.resize(layers.size());
    for (size_t i = 0; i < layers.size(); ++i) {
        const CSlopeBZDC_CS& l = *layers[i];
        CTuCeng& c = r.TuCeng[i];
        c.nLeiXing = l.nYanTu;
        c.fHouDu = Length(l.dHouDu);
        c.fZhongDu = l.fZhongDu;
        c.fNianJuLi = l.fNianJuLi;
        c.fMoCaJiao = l.fMoCaJiao;
        if (l.nYanTu == 1) { // rock is the same above and under water
            c.fFuZhongDu = l.fZhongDu;
            c.fShuiXiaNianJuLi = l.fNianJuLi;
            c.fShuiXiaMoCaJiao = l.fMoCaJiao;
        } else {
            c.fFuZhongDu = static_cast<float>(l.fBaoHeZhongDu - 10.0); // saturated less water
            c.fShuiXiaNianJuLi = l.fShuiXiaNianJuLi;
            c.fShuiXiaMoCaJiao = l.fShuiXiaMoCaJiao;
        }
    }
    if (extractor.bYouShui == 0) {
        r.bKaoLvShui = 0;
    } else {
        r.bKaoLvShui = 1;
        r.fShuiWeiShenDu = Length(-static_cast<double>(extractor.fShuiWei) - r.fPoMianDaoZhuangDing);
    }
    int result = 1;
    if (SoilBelowRock(r) >= 0) {
        context.Ask("岩层下不能出现土层");
        result = 0;
    }
    for (CSlopeBZDC_CS* l : layers)
        delete l;
    return result;
}

int CConvert_to_KangLi::ConvertBack(CSlopeData* slope, int mode, int index)
{
    CSlp_KHPile* pile = Pile(slope, mode, index);
    if (!pile || !m_pData)
        return 0;
    const std::vector<float>& points = *m_pData->pDianZuoBiao;
    const size_t n = points.size();
    pile->nKangLiDianShu = static_cast<int>(n);
    pile->KangLiDian.assign(n, 0.0f);
    pile->KangLiZhi.assign(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        pile->KangLiDian[i] = points[i];
        // After a calculation there is one value per point; a record that was
        // refused before its points were made has none to give.
        pile->KangLiZhi[i] = i < m_pData->ZuiZhongKangLi.size() ? m_pData->ZuiZhongKangLi[i] : 0.0f;
    }
    return 1;
}
