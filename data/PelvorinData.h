// The input record of a resistance calculation: the pile, its section and
// concrete, the layers in front of it, groundwater, the slip-surface depth, and
// after a calculation the resistance per calculation point.
#pragma once

#include "JsDataBase.h"

#include <cstdio>
#include <string>
#include <vector>

// The defaults of every input below are written once, in the field table
// (FieldTable.cpp); the constructors take them from there.

// One soil or rock layer in front of the pile.
struct CTuCeng {
    CTuCeng(); // the field table's defaults
    int nLeiXing;               // 0 soil, 1 rock
    float fCengXiShu;           // per-layer factor, stored only
    float fHouDu;               // thickness, m
    float fZhongDu;             // unit weight, kN/m3
    float fNianJuLi;            // cohesion, kPa
    float fMoCaJiao;            // friction angle, degrees
    float fFuZhongDu;           // buoyant unit weight, kN/m3
    float fShuiXiaNianJuLi;     // cohesion under water, kPa
    float fShuiXiaMoCaJiao;     // friction angle under water, degrees
    // The ground below the slip surface, for the pile's internal forces (JSON
    // only): k = fK, or k = fA + fM y with y down from the slip surface; 0 where
    // not given. And the lateral stress this layer allows (0 unchecked).
    float fK;                   // kN/m3
    float fM;                   // kN/m4
    float fA;                   // kN/m3
    float fYunXuYingLi;         // kPa
};

// A prestressed anchor cable on the pile (JSON "SheJi.MaoSuo"), per pile.
struct CMaoSuo {
    CMaoSuo(); // the field table's defaults
    float fShenDu;   // depth of its head below the pile top, m
    float fQingJiao; // inclination below the horizontal, degrees
    float fGangDu;   // axial stiffness E A / free length, kN/m
    float fYuLi;     // force locked off in the cable, kN along it
    float fKangBaLi; // design capacity, kN along it (0 unchecked)
};

// The most anchor cables a pile may carry.
constexpr int kMaxMaoSuoShu = 20;

// The design of the pile under a landslide thrust (JSON "SheJi"): the thrust
// and its distribution over the loaded part, the ground below the slip surface
// (K or m method), the foot, the stiffness factor, the load factors, the steel,
// and the allowables to check against (0: not checked). Not in the data file.
struct CSheJi {
    CSheJi(); // the field table's defaults
    float fTuiLi;             // design thrust E, kN per metre of slope
    int nTuiLiFenBu;             // 0 rectangle, 1 triangle (0 at the top), 2 trapezoid
    float fTiXingBi;          // trapezoid: top over bottom
    float fQianKangLi;        // resistance of the sliding mass in front E', kN/m
    int nDiJiFa;                 // 0 K method, 1 m method
    float fK;                 // K, kN/m3
    float fM;                 // m, kN/m4
    float fA1;                // A in front (and for an elastic pile), kN/m3
    float fA2;                // A behind, kN/m3
    int nZhuangDi;               // foot: 0 free, 1 hinged
    float fGangDuXiShu;       // EI = factor x Ec x I
    float fGamma0;            // importance factor
    float fHeZaiXiShu;        // load factor
    int nGangJin;              // steel grade, MPa (HRB400)
    float fYunXuYingLi;       // allowable lateral stress below the slip surface, kPa
    float fYunXuDingWeiYi;    // allowable displacement at the pile top, mm
    float fYunXuHuaMianWeiYi; // allowable displacement at the slip surface, mm
    std::vector<CMaoSuo> MaoSuo; // anchor cables, top down or in any order
};

// The most layers a record may have: a file naming more (or a negative count) is
// refused as it is read, rather than allocated, and the check and the input
// tables hold a record to it.
constexpr int kMaxTuCengShu = 100;
// The characters of a data file line that a reader takes (its buffer less the
// terminating NUL); a longer line is refused rather than read cut.
constexpr int kDataFileLineChars = 299;

// The record's values: plain members that copy as they are. The inputs take
// their defaults from the field table.
struct CPelvorinFields {
    CPelvorinFields();
    float fZhuangRongZhong;     // unit weight of the pile concrete, kN/m3
    float fZhuangChang;         // pile length, m
    float fZhuangKuan;           // rectangle width b, m
    float fZhuangGao;            // rectangle height h, m
    float fZhuangJing;           // circle diameter d, m
    float fZhuangJianJu;         // pile centre spacing s, m
    float fPoMianDaoZhuangDing;  // slope surface below the pile top, m
    int nJieMianXingZhuang;         // 1 rectangle, 0 circle
    float fAs;                 // edge to reinforcement centre, mm
    float fHuaMianDaoZhuangDing; // slip surface below the pile top, m
    int nHunNingTuDengJi;          // concrete grade, 25 for C25
    int nTuCengShu;                 // number of layers
    float fShuiWeiShenDu;        // water level below the slope surface, m
    int bKaoLvShui;                 // groundwater considered
    float fZheJianXiShu;         // reduction factor of the passive pressure
    std::vector<CTuCeng> TuCeng;        // layers, top down
    std::vector<float> ZuiZhongKangLi;  // result: final resistance per point, kN/m
    int nTuShu = 0;                     // result: number of soil layers
    std::vector<float> TuKangLi;        // result: ground resistance per point, kN/m
    std::vector<float> ZhuangKangLi;    // result: pile resistance per point, kN/m
    int bHuaMianKeBian = 1;             // slip-surface depth editable in the pile table
    int bYiJiSuan = 0;                  // set by the calculation
    int bSheJi = 0;                     // the record carries a design block
    CSheJi SheJi;                       // the design under a landslide thrust
};

class CPelvorinData : public CJsDataBase, public CPelvorinFields {
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
    int DrawJiSuanJianTu(CBase_SGT* canvas) const;

    // LoadData(stream) that also explains a refusal: "line N: ..." in *problem.
    // It also fills *problem, while returning 1, when the first line holds no pile
    // value at all (an empty or foreign file).
    int LoadData(FILE* stream, std::string* problem);
    // The same, adding to *warnings a line for each data-file line read only in
    // part ("line N: value 3 (label, key) could not be read at ..."); the values
    // stay as the reading gives them.
    int LoadData(FILE* stream, std::string* problem, std::vector<std::string>* warnings);

    std::vector<float>* pDianZuoBiao;   // result: point depths, deepest first (owned)

};

// The counted layer (index) that is soil right below rock, or -1: a record the
// calculation refuses, since no passive wedge forms in soil under rock.
int SoilBelowRock(const CPelvorinData& record);

// Gives a new record this module's identity in the framework.
void InitKangLiData(CPelvorinData* record);
