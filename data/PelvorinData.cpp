#include "PelvorinData.h"

#include <algorithm>

#include "NumericLocale.h"
#include "SafeFile.h"
#include "TextInput.h"

#include <cmath>

namespace {

constexpr int kLineSize = kDataFileLineChars + 1;

void SetBaseDefaults(CJsDataBase& b, const char* leiBie, const char* biaoTi,
                     const char* jianTuBiaoTi, const char* jss0)
{
    b.strLeiBie = leiBie;
    b.strBiaoTi = biaoTi;
    if (jianTuBiaoTi)
        b.SetJianTuBiaoTi(jianTuBiaoTi);
    b.nJianTuShu = 2;
    b.strJianTuMing[0] = "计算简图";
    b.strJianTuMing[1] = "计算结果图";
    b.nJiSuanShuShu = 2;
    b.strJiSuanShuMing[0] = jss0;
    b.strJiSuanShuMing[1] = "详细计算书";
    b.nSheZhi = {1, 0, 0, 0, 0, 0, 1, 0};
}

} // namespace

CPelvorinData::CPelvorinData() : pDianZuoBiao(new std::vector<float>)
{
    SetBaseDefaults(*this, "xhl", "滑坡推力", "滑坡推力计算简图", "简单计算书");
}

CPelvorinData::~CPelvorinData() { delete pDianZuoBiao; }

CPelvorinData::CPelvorinData(const CPelvorinData& other)
    : CJsDataBase(other), pDianZuoBiao(new std::vector<float>)
{
    *this = other;
}

CPelvorinData& CPelvorinData::operator=(const CPelvorinData& other)
{
    if (this == &other)
        return *this;
    CJsDataBase::operator=(other);
    std::vector<float>* points = pDianZuoBiao;
    fZhuangRongZhong = other.fZhuangRongZhong;
    fZhuangChang = other.fZhuangChang;
    fZhuangKuan = other.fZhuangKuan;
    fZhuangGao = other.fZhuangGao;
    fZhuangJing = other.fZhuangJing;
    fZhuangJianJu = other.fZhuangJianJu;
    fPoMianDaoZhuangDing = other.fPoMianDaoZhuangDing;
    nJieMianXingZhuang = other.nJieMianXingZhuang;
    fAs = other.fAs;
    fHuaMianDaoZhuangDing = other.fHuaMianDaoZhuangDing;
    nHunNingTuDengJi = other.nHunNingTuDengJi;
    nTuCengShu = other.nTuCengShu;
    fShuiWeiShenDu = other.fShuiWeiShenDu;
    bKaoLvShui = other.bKaoLvShui;
    fZheJianXiShu = other.fZheJianXiShu;
    TuCeng = other.TuCeng;
    ZuiZhongKangLi = other.ZuiZhongKangLi;
    nTuShu = other.nTuShu;
    *points = *other.pDianZuoBiao;
    pDianZuoBiao = points;
    TuKangLi = other.TuKangLi;
    ZhuangKangLi = other.ZhuangKangLi;
    bHuaMianKeBian = other.bHuaMianKeBian;
    bYiJiSuan = other.bYiJiSuan;
    return *this;
}

int CPelvorinData::LoadData(const char* path)
{
    FILE* f = path ? std::fopen(path, "r") : nullptr;
    if (!f)
        return 0;
    const int ok = LoadData(f);
    std::fclose(f);
    return ok;
}

int CPelvorinData::SaveData(const char* path)
{
    if (!path)
        return 0;
    SafeFileWriter writer(path);
    FILE* f = writer.open();
    return f && SaveData(f) == 1 && writer.commit() ? 1 : 0;
}

int CPelvorinData::SaveData(FILE* f)
{
    if (!f)
        return 0;
    ScopedCNumbers numbers;
    std::fprintf(f, "%f,%f,%f,%f,%f,%f,%f,%f,%f,%f\n", fZhuangRongZhong, fZhuangChang, fZhuangKuan,
                 fZhuangGao, fZhuangJing, fZhuangJianJu, fPoMianDaoZhuangDing, fShuiWeiShenDu, fAs,
                 fHuaMianDaoZhuangDing);
    std::fprintf(f, "%d,%d,%d,%d\n", nHunNingTuDengJi, nTuCengShu, nJieMianXingZhuang, bKaoLvShui);
    for (const CTuCeng& c : TuCeng)
        std::fprintf(f, "%f,%f,%f,%f,%f,%f,%d\n", c.fHouDu, c.fZhongDu, c.fFuZhongDu, c.fMoCaJiao,
                     c.fNianJuLi, c.fCengXiShu, c.nLeiXing);
    SaveBaseData(f);
    return 1;
}

int CPelvorinData::LoadData(FILE* f) { return LoadData(f, nullptr); }

namespace {

// The fields of line 1 and of a layer line, in file order, as a reader names them.
const char* const kPileFields[10] = {
    "unit weight of the pile, fZhuangRongZhong", "pile length, fZhuangChang",
    "pile width, fZhuangKuan",                   "pile height, fZhuangGao",
    "pile diameter, fZhuangJing",                "pile spacing, fZhuangJianJu",
    "slope-surface depth, fPoMianDaoZhuangDing", "water depth, fShuiWeiShenDu",
    "reinforcement edge distance, fAs",          "slip-surface depth, fHuaMianDaoZhuangDing",
};
const char* const kLayerFields[6] = {
    "thickness, fHouDu",    "unit weight, fZhongDu", "buoyant unit weight, fFuZhongDu",
    "friction angle, fMoCaJiao", "cohesion, fNianJuLi", "layer factor, fCengXiShu",
};

} // namespace

int CPelvorinData::LoadData(FILE* f, std::string* problem)
{
    if (!f)
        return 0;
    ScopedCNumbers numbers;
    // Read into a copy: a file refused half-way leaves this record as it was.
    CPelvorinData read(*this);
    char line[kLineSize];
    int lineNo = 0;
    bool tooLong = false;
    auto refuse = [&](const std::string& what) {
        if (problem)
            *problem = "line " + std::to_string(lineNo) + ": " + what;
        return 0;
    };
    const std::string longLine = "longer than " + std::to_string(kLineSize - 1) +
                                 " characters (a number there would be read cut in two)";
    // A value that scanf reads as NaN or infinity is no measurement.
    auto finite = [&](const float* const* values, const char* const* names, int parsed) {
        for (int i = 0; i < parsed; ++i)
            if (!std::isfinite(*values[i]))
                return refuse(std::string("value ") + std::to_string(i + 1) + " (" + names[i] +
                              ") is not a finite number");
        return 1;
    };
    // Short or malformed lines leave the fields they do not reach as they were.
    int pileValues = 0;
    if (fgets_skip_comment(line, kLineSize, f, &lineNo, &tooLong)) {
        if (tooLong)
            return refuse(longLine);
        float* const pile[10] = {&read.fZhuangRongZhong, &read.fZhuangChang,
                                       &read.fZhuangKuan,       &read.fZhuangGao,
                                       &read.fZhuangJing,       &read.fZhuangJianJu,
                                       &read.fPoMianDaoZhuangDing, &read.fShuiWeiShenDu,
                                       &read.fAs,               &read.fHuaMianDaoZhuangDing};
        pileValues = JSVsscanf::vsscanf(line, "%f,%f,%f,%f,%f,%f,%f,%f,%f,%f", pile[0], pile[1],
                                        pile[2], pile[3], pile[4], pile[5], pile[6], pile[7],
                                        pile[8], pile[9]);
        if (!finite(pile, kPileFields, pileValues))
            return 0;
    }
    // Not a refusal (the reader takes what it can), but a file without a single
    // pile value is no data file; the caller who asked may say so.
    if (pileValues <= 0 && problem)
        *problem = "line " + std::to_string(lineNo > 0 ? lineNo : 1) +
                   ": no pile values (expected ten comma-separated numbers)";
    if (fgets_skip_comment(line, kLineSize, f, &lineNo, &tooLong)) {
        if (tooLong)
            return refuse(longLine);
        int count = read.nTuCengShu;
        JSVsscanf::vsscanf(line, "%d,%d,%d,%d", &read.nHunNingTuDengJi, &count,
                           &read.nJieMianXingZhuang, &read.bKaoLvShui);
        if (count < 0 || count > kMaxTuCengShu)
            return refuse("layer count " + std::to_string(count) + " is outside 0.." +
                          std::to_string(kMaxTuCengShu));
        read.nTuCengShu = count;
    }
    read.TuCeng.resize(static_cast<size_t>(read.nTuCengShu));
    for (CTuCeng& c : read.TuCeng) {
        if (!fgets_skip_comment(line, kLineSize, f, &lineNo, &tooLong))
            break;
        if (tooLong)
            return refuse(longLine);
        float* const layer[6] = {&c.fHouDu,   &c.fZhongDu,   &c.fFuZhongDu,
                                       &c.fMoCaJiao, &c.fNianJuLi, &c.fCengXiShu};
        const int parsed = JSVsscanf::vsscanf(line, "%f,%f,%f,%f,%f,%f,%d", layer[0], layer[1],
                                              layer[2], layer[3], layer[4], layer[5], &c.nLeiXing);
        if (!finite(layer, kLayerFields, parsed < 6 ? parsed : 6))
            return 0;
    }
    read.LoadBaseData(f);
    *this = read;
    return 1;
}

void InitKangLiData(CPelvorinData* r)
{
    if (!r)
        return;
    SetBaseDefaults(*r, "kl", "抗力计算", nullptr, "简明计算书");
    r->strWenJianMing = "kl";
    r->bHouXuJiSuan = 0;
    r->bTiShiChengGong = 0;
}

int SoilBelowRock(const CPelvorinData& r)
{
    const int count = std::min<int>(r.nTuCengShu, static_cast<int>(r.TuCeng.size()));
    for (int i = 0; i + 1 < count; ++i)
        if (r.TuCeng[static_cast<size_t>(i)].nLeiXing == 1 && r.TuCeng[static_cast<size_t>(i) + 1].nLeiXing == 0)
            return i + 1;
    return -1;
}
