// A slope model for the tests: one pile and the ground in front of it.
#pragma once

#include "SlopeData.h"

inline CSlopeBZDC_CS Soil(double h, float saturated = 20)
{
    CSlopeBZDC_CS l;
    l.nYanTu = 0;
    l.dHouDu = h;
    l.fZhongDu = 19;
    l.fNianJuLi = 15;
    l.fMoCaJiao = 20;
    l.fBaoHeZhongDu = saturated;
    l.fShuiXiaNianJuLi = 12;
    l.fShuiXiaMoCaJiao = 18;
    return l;
}

inline CSlopeBZDC_CS Rock(double h)
{
    CSlopeBZDC_CS l;
    l.nYanTu = 1;
    l.dHouDu = h;
    l.fZhongDu = 24;
    l.fNianJuLi = 300;
    l.fMoCaJiao = 35;
    l.fBaoHeZhongDu = 25;
    l.fShuiXiaNianJuLi = 1;
    l.fShuiXiaMoCaJiao = 1;
    return l;
}

// A 12 m pile, top at y = 100, the ground in front at 98 (2 m below the top),
// water at 95; a circular slip surface crossing the axis at y = 93.
inline CSlopeData Slope()
{
    CSlopeData s;
    CSlp_KHPile p;
    p.nID = 5;
    p.strName = "KH1";
    p.PoXian.pts = {{0, 100}, {0, 88}};
    p.nJieMian = 0;
    p.nDengJi = 30;
    p.fKuan = 1.2f;
    p.fGao = 2.0f;
    p.fJianJu = 6;
    p.fChang = 12;
    p.fRongZhong = 25;
    p.fQianDiMianY = 98;
    p.QianCeng = {Soil(3), Rock(20)};
    p.bYouShui = 1;
    p.fShuiWeiY = 95;
    s.KHPiles = {p};
    s.nZhuangShu = 1;
    s.CurKHPile = p;
    s.strCurKHPile = "KH1";
    s.CurSurface.nHuaMianLeiXing = 0;
    s.CurSurface.fX = 0;
    s.CurSurface.fY = 113;
    s.CurSurface.fR = 20;
    return s;
}
