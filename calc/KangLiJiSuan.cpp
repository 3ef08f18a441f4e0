// The system's calculation object, as a shell over CalculateKangLi: it stores
// the result in the record and its calculators and speaks to the user through
// the sink of its context; its files are under the context's work path. Its drawing and book operations, and with them its
// construction, belong to report/ (KangLiJiSuanOutput.cpp).
#include "KangLiJiSuan.h"

#include "KangLiCore.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "SafeFile.h"
#include "WorkPaths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int CKangLiJiSuan::InsertDian(std::vector<float>& list, float v) { return InsertKangLiPoint(list, v); }

int CKangLiJiSuan::MakeJiSuanDian(std::vector<float>& list)
{
    KangLiPoints(pData->fZhuangChang, nFenDuanShu, list);
    return 1;
}

float CKangLiJiSuan::ChaZhi(float x, const std::vector<float>& depths, std::vector<float> values)
{
    return ::ChaZhi(x, depths, values);
}

int CKangLiJiSuan::JiSuan()
{
    CPelvorinData& r = *pData;
    r.bYiJiSuan = 1;
    r.nJianTuShu = 3;
    // In place, as the calculation object always worked on its record.
    KangLiCalculation result = CalculateKangLiInPlace(r, nFenDuanShu);
    if (result.status != 1) {
        context.Ask(result.refusal);
        return 0;
    }
    const bool warn = result.frictionAngleWarning;
    TakeResult(std::move(result));
    if (warn)
        context.Ask("内摩擦角输入不对！");
    return 1;
}

void CKangLiJiSuan::TakeResult(KangLiCalculation&& result)
{
    CPelvorinData& r = *pData;
    // The third diagram, the earth pressure, exists by the calculation: it is
    // named with the result, so that drawing it changes nothing.
    r.strJianTuMing[2] = "土压力结果图";
    *r.pDianZuoBiao = std::move(result.depth);
    r.TuKangLi = std::move(result.ground);
    r.ZhuangKangLi = std::move(result.pile);
    r.ZuiZhongKangLi = std::move(result.final);
    r.nTuShu = result.soilLayers;
    if (!result.layers.empty())
        r.TuCeng = std::move(result.layers);
    TuKangLiJiSuan = std::move(result.groundCalc);
    TuKangLiJiSuan.pData = pData;
    ZhuangKangLiJiSuan = std::move(result.pileCalc);
    ZhuangKangLiJiSuan.pData = pData;
    bYouHuaMian = 1;
    fHuaMianShenDu = result.slipDepth;
    HuaMianZhuang = result.section;
    HuaMianTu = result.groundAtSlip;
    NeiLi = r.bSheJi ? CalculatePileForces(r) : PileForces{};
}

std::string CKangLiJiSuan::StoredDataDiffers() const
{
    CPelvorinData& r = *pData;
    const std::string stored = context.PathOf(r.GetDataFileName(1));
    if (!if_file_exist(stored.c_str()))
        return {};
    // The record as it would be saved now is compared in memory with the stored
    // file: a transient copy on disk would need a name, and any name beside the
    // record may be a file of the user's.
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = ::open_memstream(&buf, &size);
    if (f) {
        r.SaveData(f);
        std::fclose(f);
    }
    const std::string fresh(buf ? buf : "", buf ? size : 0);
    std::free(buf);
    std::string old;
    if (f && ReadInputFile(stored, kMaxRecordFileBytes, old, nullptr) && old == fresh)
        return {};
    return stored;
}

int CKangLiJiSuan::CheckDataChange()
{
    if (StoredDataDiffers().empty())
        return 1;
    return context.Ask("数据已发生改变，是否继续计算！", MB_YESNO) == IDYES ? 1 : 0;
}
