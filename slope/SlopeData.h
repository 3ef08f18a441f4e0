// Our stand-in for the host's slope model: piles, slip surfaces, polylines, the
// ground in front of a pile, and the few services the resistance module calls.
//
// Units: coordinates in metres, y upwards. GetBorderY reports an ordinate in
// kilometres, the library's plotting unit; the conversion multiplies it by 1000
// and subtracts the extractor's ground ordinate (metres) to get the depth of the
// slope surface below the pile top.
#pragma once

#include <string>
#include <vector>

class CJsDataBase;

extern int g_lCurFAID; // current scheme
extern int g_lCurHMID; // current slip surface

struct CFPoint {
    float x = 0, y = 0;
};

class CSlp_PoXian {
public:
    std::vector<CFPoint> pts;

    // Appends to out the points where this line meets other (tol widens the ends).
    void GetJDPoXianWithPoXian(const CSlp_PoXian& other, std::vector<CFPoint>& out, int, float tol,
                               int* count, float, int, float) const;
    // flag 1: the largest ordinate, else the smallest; in kilometres.
    float GetBorderY(int flag) const;
};

struct CSlp_Surface {
    int nHuaMianLeiXing = 0; // 0 circle, 1 polyline
    int nZiLeiXing = 0;      // circle sub-kind
    float fX = 0, fY = 0, fR = 0;
    int nPoXianBiaoZhi = 0;  // polyline flag
    CSlp_PoXian PoXian;
};

// A layer in front of a pile, as the extraction delivers it.
class CSlopeBZDC_CS {
public:
    virtual ~CSlopeBZDC_CS() = default;
    int nYanTu = 0;          // 0 soil, 1 rock
    double dHouDu = 0;       // thickness, m
    float fZhongDu = 18, fNianJuLi = 10, fMoCaJiao = 15; // natural
    float fBaoHeZhongDu = 20;                             // saturated unit weight
    float fShuiXiaNianJuLi = 10, fShuiXiaMoCaJiao = 15;   // under water
    // Where a model file gave the layer ("strata[1]", "piles[0].layers[2]"),
    // so that a refusal names what the user wrote; empty otherwise.
    std::string strSource;
};

class CSlp_KHPile {
public:
    int nID = 0;
    std::string strName;
    CSlp_PoXian PoXian; // axis, top first
    int nJieMian = 1, nDengJi = 25;
    float fKuan = 1, fGao = 1.5, fJianJu = 5, fChang = 10, fRongZhong = 25;
    // Written back by the resistance module.
    int nKangLiDianShu = 0;
    std::vector<float> KangLiDian, KangLiZhi;
    float fKangLi = 0; // set by the slip-surface recalculation

    // The ground in front of this pile: ordinate of the surface, layers top down,
    // water (its ordinate) where there is any.
    float fQianDiMianY = 0;
    std::vector<CSlopeBZDC_CS> QianCeng;
    int bYouShui = 0;
    float fShuiWeiY = 0;

    void cloneSelf(const CSlp_KHPile& source) { *this = source; }
};

class CSlopeData {
public:
    int nZhuangShu = 0;
    std::vector<CSlp_KHPile> KHPiles;
    CSlp_KHPile CurKHPile;
    std::string strCurKHPile;
    CSlp_Surface CurSurface;
    int bKangLiChuShiHua = 0;
    std::string strKangLiJian;
    float fCurKangLi = 0;
    int nQuTuCengBiaoZhi = 0;
    // Which files slope mode writes for a calculated pile: kKangLiWenJianAll
    // every file the module names (the default), kKangLiWenJianResult the
    // result file (.res) alone, kKangLiWenJianNone none. A search that only
    // needs the resistances handed back asks for none.
    int nKangLiWenJian = 2;
};

enum : int { kKangLiWenJianNone = 0, kKangLiWenJianResult = 1, kKangLiWenJianAll = 2 };

// Extracts the layers in front of the working pile.
class CConvert_PXData {
public:
    CSlopeData* pSlope = nullptr;
    float fQianDiMian = 0; // ground ordinate in front, m
    int bYouShui = 0;
    float fShuiWei = 0;    // water ordinate relative to the pile top, m (negative below)

    // The pile whose ground is taken; null: the working pile (CurKHPile).
    const CSlp_KHPile* pPile = nullptr;

    // Appends a copy of each layer in front of the pile (the caller owns and
    // deletes them) and sets the three members. Returns the count.
    int GetTuCeng_Front_KHZ(std::vector<CSlopeBZDC_CS*>& layers);
};

// Whether the slip surface cuts the pile, and where: the depth below the top
// of the pile, along its axis, of the lowest crossing. A circle's slip
// surface is its part below the centre; a polyline cuts where it crosses the
// axis, within the pile and within its own ends.
bool SlipSurfaceCutsPile(const CSlp_KHPile& pile, const CSlp_Surface& surface, float* depth);
// That depth; 0 when the surface does not cut the pile.
float SlipDepthAtPile(const CSlp_KHPile& pile, const CSlp_Surface& surface);

// Depth of the current slip surface below the top of the working pile, measured
// along its axis, m; 0 when the surface misses the pile.
float CetHM_KHZ_Dis(CSlopeData* slope, int* a, int* b);

// Recomputes the slip surface with pile i: here the pile's resistance at the
// slip-surface depth, interpolated in its written lists. 1 when set.
int CalHMKangLi_KHZ(CSlopeData* slope, int i, void* window, int flag);

// Writes the result file of a calculated record, naming the files given (those
// written with it). 1 when written.
int GenResFileOne(const char* path, CJsDataBase* record, const std::vector<std::string>& files);
