// The exported entry points and slope mode: one call builds the input record from
// the host's pile, calculates it, writes its files under the work path and hands
// the resistance back into the pile.
#include "KangLi.h"

#include "CanvasWriters.h"
#include "Convert_to_KangLi.h"
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "NumericLocale.h"
#include "PelvorinData.h"
#include "SlopeData.h"
#include "WorkPaths.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The module's one application object: loading the module starts the drawing
// output that the diagrams are written with; unloading stops it.
struct CPelvorinApp {
    CPelvorinApp() { UseCanvasWriters(); }
    ~CPelvorinApp() { SetCanvasFileWriter(nullptr); }
};
CPelvorinApp theApp;

// Does the current slip surface cut the pile? The pile id stays, or becomes 0.
int CutTest(CSlopeData* slope, const CSlp_KHPile* pile, int pileId)
{
    CSlp_Surface surface = slope->CurSurface;
    if (surface.nHuaMianLeiXing == 0 && (surface.nZiLeiXing == 0 || surface.nZiLeiXing == 1)) {
        if (!pile)
            return 0; // no pile line to test: nothing is calculated
        CSlp_PoXian line = pile->PoXian;
        CFPoint a, b;
        if (line.GetArcFrom_CircleWithPoXianArray(line, surface.fX, surface.fY, surface.fR, a, b, 0) == 0)
            return 0;
    } else if (surface.nHuaMianLeiXing == 1 && surface.nPoXianBiaoZhi == 0) {
        if (!pile)
            return 0;
        CSlp_PoXian line = pile->PoXian;
        std::vector<CFPoint> points;
        line.GetJDPoXianWithPoXian(surface.PoXian, points, 0, 0.1f, nullptr, 0.1f, 0, 1.0f);
        if (points.empty())
            return 0;
    }
    return pileId;
}

} // namespace

extern "C" int JiSuan_KangLi(void) { return 1; }

extern "C" int JiSuan_KangLi_Slp(CSlopeData* slope, int pileIndex)
{
    // The host has set its user's locale; our files are written in the C one.
    ScopedCNumbers numbers;
    const int count = slope ? std::min(slope->nZhuangShu, static_cast<int>(slope->KHPiles.size())) : 0;
    if (pileIndex < 0 || pileIndex >= count)
        return 0;

    std::unique_ptr<CPelvorinData> record(new CPelvorinData);
    InitKangLiData(record.get());
    const int schemeId = g_lCurFAID;
    int pileId = g_lCurHMID;
    const CSlp_KHPile* pile = nullptr;
    for (const CSlp_KHPile& p : slope->KHPiles)
        if (p.strName == slope->strCurKHPile) {
            pile = &p;
            pileId = p.nID;
            break;
        }
    pileId = CutTest(slope, pile, pileId);
    if (pileId < 1)
        return 0;

    char stem[512];
    std::snprintf(stem, sizeof stem, "%s-%d-%d-%d", record->strWenJianMing.c_str(), schemeId,
                  g_lCurHMID, pileId);
    record->strWenJianMing = stem;

    CConvert_to_KangLi converter;
    converter.m_pData = record.get();
    converter.Convert(slope, 1, pileIndex); // an incomplete record is calculated as it is

    CKangLiJiSuan calc;
    calc.pData = record.get();
    int status = calc.JiSuan();
    if (status == 1 && record->bHouXuJiSuan)
        status = JiSuan_KangLi();

    if (status == 1) {
        record->SaveData((G_strWorkPath + record->GetDataFileName(0)).c_str());
        for (int i = 0; i < record->nJianTuShu; ++i)
            calc.WriteJianTu(record.get(), i, 1);
        for (int i = 0; i < record->nJiSuanShuShu; ++i)
            calc.WriteJiSuanShu(record.get(), i);
        if (record->bTiShiChengGong)
            tell_error(201, "抗滑力计算成功 !");
        GenResFileOne((G_strWorkPath + record->FileStem() + ".res").c_str(), record.get());
    } else if (status == 0) {
        const int visible = IsJsxxVisible();
        tell_error(201, "抗滑力计算失败 !");
        if (visible)
            tell_error(-9999, "FALSE");
    }
    converter.ConvertBack(slope, 1, pileIndex);
    return 1;
}
