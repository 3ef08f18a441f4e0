// Slope mode: one call builds the input record from the host's pile, calculates
// it, writes its files under the context's work path, named by the context's
// scheme and slip-surface ids, tells the context's sink and hands the
// resistance back into the pile. The export (JiSuan_KangLi_Slp) makes the
// context from the host's globals; nothing here reads one.
#include "SlopeMode.h"

#include "CalculationFiles.h"
#include "Convert_to_KangLi.h"
#include "KangLi.h"
#include "KangLiJiSuan.h"
#include "NumericLocale.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "SlopeData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

bool AllFinite(const CPelvorinData& r)
{
    for (const std::vector<float>* list : {static_cast<const std::vector<float>*>(r.pDianZuoBiao), &r.TuKangLi,
                                           &r.ZhuangKangLi, &r.ZuiZhongKangLi})
        for (float v : *list)
            if (!std::isfinite(v))
                return false;
    return true;
}

// Does the current slip surface cut the pile? The pile id stays, or becomes 0.
// Circles and plain polylines are tested against the pile's axis (the part
// of a circle below its centre, a polyline where it crosses the axis); other
// kinds of surface are taken as cutting.
int CutTest(CSlopeData* slope, const CSlp_KHPile* pile, int pileId)
{
    const CSlp_Surface& surface = slope->CurSurface;
    const bool circle = surface.nHuaMianLeiXing == 0 && (surface.nZiLeiXing == 0 || surface.nZiLeiXing == 1);
    const bool polyline = surface.nHuaMianLeiXing == 1 && surface.nPoXianBiaoZhi == 0;
    if ((circle || polyline) && (!pile || !SlipSurfaceCutsPile(*pile, surface, nullptr)))
        return 0;
    return pileId;
}

// Removes the files an earlier call of this key left. Every set a call writes
// holds its result file, so where there is none there is nothing to remove:
// one look instead of a score, on a search's path that writes no files.
void ClearKeyFiles(const KangLiContext& context, CPelvorinData& record)
{
    std::error_code ec;
    if (!std::filesystem::exists(context.PathOf(record.FileStem() + ".res"), ec))
        return;
    RemoveOtherCalculationFiles(record, context.workPath, {});
}

// One line for the files of a call that were not written: how many, the
// folder, the system's reason (the first failure that has one of its own),
// and their names: "文件未能写出 8 个：/w/（File too large）：kl-1-1-5.dat、...".
std::string UnwrittenMessage(const std::vector<CalculationFilesWritten::Failure>& failed, const std::string& folder)
{
    std::string why, names;
    for (const CalculationFilesWritten::Failure& f : failed) {
        if (why.empty() && f.why.rfind("not moved in", 0) != 0)
            why = f.why;
        const std::string name = f.path.rfind(folder, 0) == 0 ? f.path.substr(folder.size()) : f.path;
        names += (names.empty() ? "" : "、") + name;
    }
    if (why.empty())
        why = failed.front().why;
    return "文件未能写出 " + std::to_string(failed.size()) + " 个：" + folder + "（" + why + "）：" + names;
}

// A refused pile, told so that the user finds what to change: the pile by
// name and id, the refusal as the input tables say it, and where a layer's
// value is at fault, the layer as the model gave it (its stratum or its key).
std::string RefusalMessage(const CSlp_KHPile& pile, const std::string& problem, const std::string& chinese)
{
    std::string text = "桩 " + pile.strName + "（id " + std::to_string(pile.nID) + "）：" + chinese;
    const std::string layer = "TuCeng[";
    if (problem.rfind(layer, 0) == 0) {
        const size_t i = static_cast<size_t>(std::strtoul(problem.c_str() + layer.size(), nullptr, 10));
        if (i < pile.QianCeng.size() && !pile.QianCeng[i].strSource.empty())
            text += "（模型中的 " + pile.QianCeng[i].strSource + "）";
    }
    return text;
}

} // namespace

void ClearResults(CPelvorinData& r)
{
    r.pDianZuoBiao->clear();
    r.TuKangLi.clear();
    r.ZhuangKangLi.clear();
    r.ZuiZhongKangLi.clear();
}

int CalculateSlopePile(const KangLiContext& context, CSlopeData* slope, int pileIndex)
{
    // The host has set its user's locale; our files are written in the C one.
    ScopedCNumbers numbers;
    const int count = slope ? std::min(slope->nZhuangShu, static_cast<int>(slope->KHPiles.size())) : 0;
    if (pileIndex < 0 || pileIndex >= count)
        return 0;

    std::unique_ptr<CPelvorinData> record(new CPelvorinData);
    InitKangLiData(record.get());
    const int schemeId = context.schemeId;
    int pileId = context.surfaceId;
    // The pile is the one at pileIndex: it is the one converted and handed the
    // results, so it is also the one cut, named and written. Names are labels
    // (two piles may share one); the host names the pile it asks for, and a
    // pile at the index that bears another name is not calculated.
    const CSlp_KHPile* pile = &slope->KHPiles[static_cast<size_t>(pileIndex)];
    if (pile->strName != slope->strCurKHPile)
        return 0;
    pileId = pile->nID;
    char stem[512];
    std::snprintf(stem, sizeof stem, "%s-%d-%d-%d", record->strWenJianMing.c_str(), schemeId,
                  context.surfaceId, pileId);
    record->strWenJianMing = stem;
    if (CutTest(slope, pile, pileId) < 1) {
        // A surface that misses the pile has no files: those an earlier call
        // of this key left (when the surface or the pile was elsewhere) go.
        ClearKeyFiles(context, *record);
        return 0;
    }
    // Named in the books' headers: a printed page says which pile it is.
    record->strMingCheng = pile->strName + "（id " + std::to_string(pile->nID) + "）";

    CConvert_to_KangLi converter;
    converter.m_pData = record.get();
    // What the conversion says is held back: soil under rock is told once
    // below, naming the pile and the layers as the model gave them (the
    // conversion and the calculation would each say it bare).
    std::vector<MessageRequest> held;
    converter.context = context;
    converter.context.sink = [&held](const MessageRequest& m) { held.push_back(m); return IDOK; };
    converter.Convert(slope, 1, pileIndex); // an incomplete record is calculated as it is
    const int soilUnderRock = SoilBelowRock(*record);
    for (const MessageRequest& m : held) {
        if (soilUnderRock >= 0 && m.text == "岩层下不能出现土层")
            continue;
        if (m.kind == MessageRequest::Info)
            context.Tell(m.code, m.text);
        else
            context.Ask(m.text, m.buttons, m.caption.c_str());
    }
    // The record written for the call, and its books, carry the call's own slip
    // surface: where it cuts this pile, the depth the host's resistance is read
    // at. (The per-point results do not depend on it.)
    // Exactly the depth the host reads its resistance at (not narrowed as the
    // levels are: a cut is worked out, never typed).
    record->fHuaMianDaoZhuangDing =
        std::clamp(SlipDepthAtPile(*pile, slope->CurSurface), 0.0f, std::max(record->fZhuangChang, 0.0f));

    CKangLiJiSuan calc(context);
    calc.pData = record.get();
    // What no pile can be is refused before it is calculated, as the command
    // line refuses it: a host must never get an infinite or undefined
    // resistance. The slip depth is where the surface cuts the pile, which
    // the cut test has found: it never refuses a pile here.
    int status = 1;
    if (soilUnderRock >= 0) {
        auto layer = [&](int i) {
            std::string text = "第" + std::to_string(i + 1) + "层";
            if (static_cast<size_t>(i) < pile->QianCeng.size() && !pile->QianCeng[static_cast<size_t>(i)].strSource.empty())
                text += "（模型中的 " + pile->QianCeng[static_cast<size_t>(i)].strSource + "）";
            return text;
        };
        context.Tell(201, "桩 " + pile->strName + "（id " + std::to_string(pile->nID) + "）：岩层下不能出现土层：" +
                         layer(soilUnderRock) + "为土层，在岩层" + layer(soilUnderRock - 1) + "之下");
        status = 0;
    }
    if (status == 1) {
        CPelvorinData probe(*record);
        probe.fHuaMianDaoZhuangDing = 0.0f;
        std::string problem, chinese;
        if (!CheckKangLiData(probe, &problem, &chinese)) {
            context.Tell(201, RefusalMessage(*pile, problem, chinese));
            status = 0;
        }
    }
    if (status == 1)
        status = calc.JiSuan();
    if (status == 1 && !AllFinite(*record)) {
        context.Tell(201, "计算结果不是有限数");
        status = 0;
    }
    if (status != 1)
        ClearResults(*record); // the host's pile gets no points, never a half result
    if (status == 1 && record->bHouXuJiSuan)
        status = JiSuan_KangLi();

    if (status == 1) {
        // The results do not depend on the files: a file that cannot be written
        // is told, and the pile still gets its resistance.
        // The files of a call are staged and moved in together, so that a
        // failure never leaves this call's files beside an earlier call's; they
        // are not flushed to the disk one by one, since every call of a search
        // writes them anew (see the README). The host chooses which it wants.
        const int files = slope->nKangLiWenJian;
        if (files == kKangLiWenJianAll || files == kKangLiWenJianResult) {
            CalculationFiles where;
            where.folder = context.workPath;
            where.drawingWriter = context.drawingWriter;
            where.resultFileWriter = [&record](const std::string& path, const std::vector<std::string>& names) {
                return GenResFileOne(path.c_str(), record.get(), names) == 1;
            };
            where.resultFileOnly = files == kKangLiWenJianResult;
            where.staged = true;
            where.flushed = false;
            const CalculationFilesWritten written = WriteCalculationFiles(*record, calc, where);
            if (!written.failed.empty())
                context.Tell(201, UnwrittenMessage(written.failed, context.workPath));
        }
        else // no files asked for: none of an earlier call of this key stays
            ClearKeyFiles(context, *record);
        if (record->bTiShiChengGong)
            context.Tell(201, "抗滑力计算成功 !");
    } else if (status == 0) {
        // A refused pile has no files: those of an earlier call of this key
        // describe another pile or model, and go.
        ClearKeyFiles(context, *record);
        const int visible = IsJsxxVisible();
        context.Tell(201, "抗滑力计算失败 !");
        if (visible)
            context.Tell(-9999, "FALSE");
    }
    converter.ConvertBack(slope, 1, pileIndex);
    return 1;
}
