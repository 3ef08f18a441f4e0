#include "KangLiJiSuan.h"

#include "Canvas.h"
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

int CKangLiJiSuan::InsertDian(std::vector<float>& list, float v)
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (std::fabs(*it - v) < 0.01f)
            return 0;
        if (v > *it) {
            list.insert(it, v);
            return 1;
        }
    }
    list.push_back(v);
    return 1;
}

int CKangLiJiSuan::MakeJiSuanDian(std::vector<float>& list)
{
    const float L = pData->fZhuangChang;
    list.clear();
    InsertDian(list, 0.0f);
    const int divisions = nFenDuanShu > 0 ? nFenDuanShu : 20;
    float step = L / static_cast<float>(divisions);
    step = static_cast<float>(std::trunc(static_cast<double>(step) * 10.0) / 10.0);
    if (step - 1.0f > 0.00001f)
        step = 1.0f;
    if (!(L > 0.0f)) {
        InsertDian(list, L);
        return 1;
    }
    // Piles shorter than 2 m round the step down to nothing: divide them evenly.
    if (!(step > 0.0f))
        step = L / static_cast<float>(divisions);
    // Any real pile has a few hundred points at most; the cap only keeps an absurd
    // length (kilometres, or one that the float step can no longer advance) from
    // running without end.
    constexpr int kMaxSteps = 10000;
    float z = 0.0f;
    for (int steps = 0; steps < kMaxSteps; ++steps) {
        const float next = z + step;
        if (!(next > z))
            break; // the step no longer moves z: nothing more to add
        z = next;
        if (z < L)
            InsertDian(list, z);
        if (z >= L)
            break;
    }
    InsertDian(list, L);
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
    const int count = std::min<int>(r.nTuCengShu, static_cast<int>(r.TuCeng.size()));
    for (int i = 0; i + 1 < count; ++i) {
        if (r.TuCeng[i].nLeiXing == 1 && r.TuCeng[i + 1].nLeiXing == 0) {
            AfxMessageBox("岩层下不能出现土层", MB_OK, "提示");
            return 0;
        }
    }
    r.TuKangLi.clear();
    r.ZhuangKangLi.clear();
    r.ZuiZhongKangLi.clear();
    MakeJiSuanDian(*r.pDianZuoBiao);

    TuKangLiJiSuan.pData = &r;
    TuKangLiJiSuan.JiSuan();
    ZhuangKangLiJiSuan.pData = &r;
    ZhuangKangLiJiSuan.JiSuan();

    const size_t n = r.pDianZuoBiao->size();
    r.TuKangLi.resize(n, 0.0f);
    r.ZhuangKangLi.resize(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const float g = TuKangLiJiSuan.KangLi[i];
        const float p = ZhuangKangLiJiSuan.KangLi[i];
        r.TuKangLi[i] = g;
        r.ZhuangKangLi[i] = p;
        // A tie, or an unordered pair, takes the pile value.
        r.ZuiZhongKangLi.push_back(g < p ? g : p);
    }
    return 1;
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
