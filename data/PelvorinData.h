// The input record of a resistance calculation: the pile, its section and
// concrete, the layers in front of it, groundwater, the slip-surface depth, and
// after a calculation the resistance per calculation point.
#pragma once

#include "JsDataBase.h"

#include <cstdio>
#include <string>
#include <vector>

// One soil or rock layer in front of the pile (nine 4-byte words).
struct CTuCeng {
    int nLeiXing = 0;               // 0 soil, 1 rock
    float fCengXiShu = 0.3f;        // per-layer factor, stored only
    float fHouDu = 2.0f;            // thickness, m
    float fZhongDu = 18.0f;         // unit weight, kN/m3
    float fNianJuLi = 10.0f;        // cohesion, kPa
    float fMoCaJiao = 15.0f;        // friction angle, degrees
    float fFuZhongDu = 15.0f;       // buoyant unit weight, kN/m3
    float fShuiXiaNianJuLi = 10.0f; // cohesion under water, kPa
    float fShuiXiaMoCaJiao = 15.0f; // friction angle under water, degrees
};

// The design of the pile under a landslide thrust (JSON "SheJi"): the thrust
// and its distribution over the loaded part, the ground below the slip surface
// (K or m method), the foot, the stiffness factor, the load factors, the steel,
// and the allowables to check against (0: not checked). Not in the data file.
struct CSheJi {
    float fTuiLi = 0.0f;             // design thrust E, kN per metre of slope
    int nTuiLiFenBu = 0;             // 0 rectangle, 1 triangle (0 at the top), 2 trapezoid
    float fTiXingBi = 0.5f;          // trapezoid: top over bottom
    float fQianKangLi = 0.0f;        // resistance of the sliding mass in front E', kN/m
    int nDiJiFa = 0;                 // 0 K method, 1 m method
    float fK = 0.0f;                 // K, kN/m3
    float fM = 0.0f;                 // m, kN/m4
    float fA1 = 0.0f;                // A in front (and for an elastic pile), kN/m3
    float fA2 = 0.0f;                // A behind, kN/m3
    int nZhuangDi = 0;               // foot: 0 free, 1 hinged
    float fGangDuXiShu = 0.8f;       // EI = factor x Ec x I
    float fGamma0 = 1.0f;            // importance factor
    float fHeZaiXiShu = 1.0f;        // load factor
    int nGangJin = 400;              // steel grade, MPa (HRB400)
    float fYunXuYingLi = 0.0f;       // allowable lateral stress below the slip surface, kPa
    float fYunXuDingWeiYi = 0.0f;    // allowable displacement at the pile top, mm
    float fYunXuHuaMianWeiYi = 0.0f; // allowable displacement at the slip surface, mm
};

// A data file may name at most this many layers; a larger (or negative) count is
// refused rather than allocated.
constexpr int kMaxTuCengShu = 1000;
// The characters of a data file line that a reader takes (its buffer less the
// terminating NUL); a longer line is refused rather than read cut.
constexpr int kDataFileLineChars = 299;

class CPelvorinData : public CJsDataBase {
public:
    CPelvorinData();
    ~CPelvorinData() override;
    CPelvorinData(const CPelvorinData& other);
    CPelvorinData& operator=(const CPelvorinData& other);

    // Path forms: open the file ("rt"/"wt"), 0 when it cannot be opened.
    int LoadData(const char* path) override;
    int SaveData(const char* path) override;
    // Stream forms: 0 for a null stream, else 1 (LoadData also gives 0 for a layer
    // count outside [0, kMaxTuCengShu], leaving the layer list unchanged).
    int LoadData(FILE* stream);
    int SaveData(FILE* stream);
    // The calculation sketch, in millimetres: the pile in elevation with a slip
    // arc, its section below it with dimensions. Returns 1.
    int DrawJiSuanJianTu(CBase_SGT* canvas);

    // LoadData(stream) that also explains a refusal: "line N: ..." in *problem.
    // It also fills *problem, while returning 1, when the first line holds no pile
    // value at all (an empty or foreign file).
    int LoadData(FILE* stream, std::string* problem);
    // The same, adding to *warnings a line for each data-file line read only in
    // part ("line N: value 3 (label, key) could not be read at ..."); the values
    // stay as the reading gives them.
    int LoadData(FILE* stream, std::string* problem, std::vector<std::string>* warnings);

    float fZhuangRongZhong = 22.0f;     // unit weight of the pile concrete, kN/m3
    float fZhuangChang = 10.0f;         // pile length, m
    float fZhuangKuan = 1.0f;           // rectangle width b, m
    float fZhuangGao = 1.5f;            // rectangle height h, m
    float fZhuangJing = 1.5f;           // circle diameter d, m
    float fZhuangJianJu = 5.0f;         // pile centre spacing s, m
    float fPoMianDaoZhuangDing = 2.0f;  // slope surface below the pile top, m
    int nJieMianXingZhuang = 1;         // 1 rectangle, 0 circle
    float fAs = 100.0f;                 // edge to reinforcement centre, mm
    float fHuaMianDaoZhuangDing = 5.0f; // slip surface below the pile top, m
    int nHunNingTuDengJi = 25;          // concrete grade, 25 for C25
    int nTuCengShu = 2;                 // number of layers
    float fShuiWeiShenDu = 5.0f;        // water level below the slope surface, m
    int bKaoLvShui = 1;                 // groundwater considered
    float fZheJianXiShu = 0.3f;         // reduction factor of the passive pressure
    std::vector<CTuCeng> TuCeng;        // layers, top down
    std::vector<float> ZuiZhongKangLi;  // result: final resistance per point, kN/m
    int nTuShu = 0;                     // result: number of soil layers
    std::vector<float>* pDianZuoBiao;   // result: point depths, deepest first (owned)
    std::vector<float> TuKangLi;        // result: ground resistance per point, kN/m
    std::vector<float> ZhuangKangLi;    // result: pile resistance per point, kN/m
    int bHuaMianKeBian = 1;             // slip-surface depth editable in the pile table
    int bYiJiSuan = 0;                  // set by the calculation
    int bSheJi = 0;                     // the record carries a design block
    CSheJi SheJi;                       // the design under a landslide thrust
};

// The counted layer (index) that is soil right below rock, or -1: a record the
// calculation refuses, since no passive wedge forms in soil under rock.
int SoilBelowRock(const CPelvorinData& record);

// Gives a new record this module's identity in the framework.
void InitKangLiData(CPelvorinData* record);
