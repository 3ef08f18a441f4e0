// What the calculation object draws and writes for the framework: the diagrams
// (DrawTu) and the calculation books (WriteJss), from what a calculation left:
// neither changes the record nor calculates. The object is constructed here
// too, so that its table of operations, which names these, lives above the
// calculation and the calculation itself links nothing of drawings or books.
#include "KangLiJiSuan.h"

#include "Canvas.h"
#include "PelvorinData.h"
#include "Rtf.h"

#include <algorithm>

CKangLiJiSuan::CKangLiJiSuan() = default;
CKangLiJiSuan::CKangLiJiSuan(KangLiContext context_) : CJiSuanBase(std::move(context_)) {}
CKangLiJiSuan::~CKangLiJiSuan() = default;

int CKangLiJiSuan::DrawTu(int n, CBase_SGT* canvas, void*)
{
    if (!canvas)
        return 1;
    canvas->SetCurStyle("HZ");
    if (n == 0 && pData)
        pData->DrawJiSuanJianTu(canvas);
    else if (n == 1 && pData)
        DrawJieGuoTu(canvas);
    else if (n == 2 && pData)
        TuKangLiJiSuan.DrawTuYaLiTu(canvas); // named by the calculation that filled it
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
