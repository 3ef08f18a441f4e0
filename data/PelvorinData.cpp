#include "PelvorinData.h"

#include "TextInput.h"

namespace {

constexpr int kLineSize = 300;

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
    LoadData(f);
    std::fclose(f);
    return 1;
}

int CPelvorinData::SaveData(const char* path)
{
    FILE* f = path ? std::fopen(path, "w") : nullptr;
    if (!f)
        return 0;
    SaveData(f);
    std::fclose(f);
    return 1;
}

int CPelvorinData::SaveData(FILE* f)
{
    if (!f)
        return 0;
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

int CPelvorinData::LoadData(FILE* f, std::string* problem)
{
    if (!f)
        return 0;
    char line[kLineSize];
    int lineNo = 0;
    // Short or malformed lines leave the fields they do not reach as they were.
    int pileValues = 0;
    if (fgets_skip_comment(line, kLineSize, f, &lineNo))
        pileValues = JSVsscanf::vsscanf(line, "%f,%f,%f,%f,%f,%f,%f,%f,%f,%f", &fZhuangRongZhong,
                                        &fZhuangChang, &fZhuangKuan, &fZhuangGao, &fZhuangJing,
                                        &fZhuangJianJu, &fPoMianDaoZhuangDing, &fShuiWeiShenDu,
                                        &fAs, &fHuaMianDaoZhuangDing);
    // Not a refusal (the reader takes what it can), but a file without a single
    // pile value is no data file; the caller who asked may say so.
    if (pileValues <= 0 && problem)
        *problem = "line " + std::to_string(lineNo > 0 ? lineNo : 1) +
                   ": no pile values (expected ten comma-separated numbers)";
    if (fgets_skip_comment(line, kLineSize, f, &lineNo)) {
        int count = nTuCengShu;
        JSVsscanf::vsscanf(line, "%d,%d,%d,%d", &nHunNingTuDengJi, &count, &nJieMianXingZhuang,
                           &bKaoLvShui);
        if (count < 0 || count > kMaxTuCengShu) {
            if (problem)
                *problem = "line " + std::to_string(lineNo) + ": layer count " +
                           std::to_string(count) + " is outside 0.." +
                           std::to_string(kMaxTuCengShu);
            return 0;
        }
        nTuCengShu = count;
    }
    TuCeng.resize(static_cast<size_t>(nTuCengShu));
    for (CTuCeng& c : TuCeng) {
        if (!fgets_skip_comment(line, kLineSize, f, &lineNo))
            break;
        JSVsscanf::vsscanf(line, "%f,%f,%f,%f,%f,%f,%d", &c.fHouDu, &c.fZhongDu, &c.fFuZhongDu,
                           &c.fMoCaJiao, &c.fNianJuLi, &c.fCengXiShu, &c.nLeiXing);
    }
    LoadBaseData(f);
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
