#include "KangLiJiSuan.h"

#include "Canvas.h"
#include "KangLiCore.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "Rtf.h"
#include "SafeFile.h"
#include "WorkPaths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

CKangLiJiSuan::CKangLiJiSuan() = default;
CKangLiJiSuan::~CKangLiJiSuan() = default;

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
    KangLiCalculation result = CalculateKangLi(r, nFenDuanShu);
    if (result.status != 1) {
        AfxMessageBox(result.refusal.c_str(), MB_OK, "提示");
        return 0;
    }
    const bool warn = result.frictionAngleWarning;
    TakeResult(std::move(result));
    if (warn)
        AfxMessageBox("内摩擦角输入不对！", MB_OK, "提示");
    return 1;
}

void CKangLiJiSuan::TakeResult(KangLiCalculation&& result)
{
    CPelvorinData& r = *pData;
    *r.pDianZuoBiao = std::move(result.depth);
    r.TuKangLi = std::move(result.ground);
    r.ZhuangKangLi = std::move(result.pile);
    r.ZuiZhongKangLi = std::move(result.final);
    r.nTuShu = result.soilLayers;
    r.TuCeng = std::move(result.layers);
    TuKangLiJiSuan = std::move(result.groundCalc);
    TuKangLiJiSuan.pData = pData;
    ZhuangKangLiJiSuan = std::move(result.pileCalc);
    ZhuangKangLiJiSuan.pData = pData;
    bYouHuaMian = 1;
    fHuaMianShenDu = result.slipDepth;
    HuaMianZhuang = result.section;
    HuaMianTu = result.groundAtSlip;
}

int CKangLiJiSuan::CheckDataChange()
{
    CPelvorinData& r = *pData;
    const std::string name = r.GetDataFileName(1);
    const std::string stored = G_strWorkPath + name;
    if (!if_file_exist(stored.c_str()))
        return 1;
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
        return 1;
    return AfxMessageBox("数据已发生改变，是否继续计算！", MB_YESNO, "提示") == IDYES ? 1 : 0;
}

int CKangLiJiSuan::DrawTu(int n, CBase_SGT* canvas, void*)
{
    if (!canvas)
        return 1;
    canvas->SetCurStyle("HZ");
    if (n == 0 && pData)
        pData->DrawJiSuanJianTu(canvas);
    else if (n == 1 && pData)
        DrawJieGuoTu(canvas);
    else if (n == 2) {
        TuKangLiJiSuan.pCanvas = canvas;
        if (pData) {
            TuKangLiJiSuan.pData = pData;
            TuKangLiJiSuan.DrawTuYaLiTu();
            pData->strJianTuMing[2] = "土压力结果图";
        }
    }
    return 1;
}

int CKangLiJiSuan::WriteJss(int n, CRTF* writer)
{
    if (n == 0 && writer)
        WriteXiangXiJss(writer);
    else if (n == 1 && writer)
        WriteJianMingJss(writer);
    return 1;
}

std::string CKangLiJiSuan::JiSuanShuTitle(CJsDataBase*, int n)
{
    return n == 0 ? "抗滑桩抗力详细计算书" : n == 1 ? "抗滑桩抗力简明计算书" : "";
}

void CKangLiJiSuan::WriteJianMingJss(CRTF* rtf)
{
    rtf->InsertText("点号    坐标     岩石抗力    土抗力    岩土抗力合力     桩抗力     最终抗力\n");
    if (!pData)
        return;
    const CPelvorinData& r = *pData;
    const std::vector<float>& points = *r.pDianZuoBiao;
    // Every list holds an entry per point after a calculation; a record that was
    // never calculated has no points and gives the header alone.
    const size_t n = std::min({points.size(), TuKangLiJiSuan.KangJianLi.size(),
                               TuKangLiJiSuan.TuYaLi.size(), r.TuKangLi.size(),
                               r.ZhuangKangLi.size(), r.ZuiZhongKangLi.size()});
    for (size_t i = 0; i < n; ++i)
        rtf->InsertText("%d,     %.2f ,    %.3f,    %.3f,       %.3f,    %.3f,   %.3f\n",
                        static_cast<int>(i), points[i], TuKangLiJiSuan.KangJianLi[i],
                        TuKangLiJiSuan.TuYaLi[i], r.TuKangLi[i], r.ZhuangKangLi[i],
                        r.ZuiZhongKangLi[i]);
}
