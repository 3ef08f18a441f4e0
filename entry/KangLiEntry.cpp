// The exported entry points and slope mode: one call builds the input record from
// the host's pile, calculates it, writes its files under the work path and hands
// the resistance back into the pile.
#include "KangLi.h"

#include "CalculationFiles.h"
#include "CanvasWriters.h"
#include "Convert_to_KangLi.h"
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "NumericLocale.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "SlopeData.h"
#include "WorkPaths.h"

#include "KangLiResult.h"

#if KANGLI_DIALOGS
#include "DlgKangLi_Slp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#endif

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <memory>

namespace {

// The directory this module was loaded from, ending with '/'.
std::string ModuleDirectory()
{
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&JiSuan_KangLi_Box), &info) || !info.dli_fname)
        return "";
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The module's one application object: loading the module starts the drawing
// output that the diagrams are written with and names the program path;
// unloading stops the drawing output.
struct CPelvorinApp {
    CPelvorinApp()
    {
        UseCanvasWriters();
        G_strExePath = ModuleDirectory();
    }
    ~CPelvorinApp() { SetCanvasFileWriter(nullptr); }
};
CPelvorinApp theApp;

#if KANGLI_DIALOGS
// What a dialog needs for one call: an application object (a host without Qt
// gets one for the call, and keeps its own locale), Qt's Chinese texts, and
// messages as message boxes. Everything is put back on return.
class DialogCall {
public:
    // False when no window can be shown here: Qt would end the host's process
    // for want of a display.
    static bool CanShowWindows()
    {
        // A host with its own application object shows (or drives) its windows
        // itself.
        if (QApplication::instance())
            return true;
        // On a platform without a screen nobody could answer the frame, and a
        // modal frame would wait for ever.
        if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform) {
            const std::string name = platform;
            if (name.rfind("offscreen", 0) == 0 || name.rfind("minimal", 0) == 0) {
                tell_error(201, ("界面平台 " + name + " 没有屏幕，无法打开计算对话框").c_str());
                return false;
            }
            return true;
        }
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY"})
            if (const char* value = std::getenv(v); value && *value)
                return true;
        tell_error(201, "没有可用的显示器，无法打开计算对话框");
        return false;
    }

    DialogCall()
    {
        if (!QApplication::instance()) {
            const std::string locale = std::setlocale(LC_ALL, nullptr);
            static int argc = 1;
            static char name[] = "kangli";
            static char* argv[] = {name, nullptr};
            own_ = std::make_unique<QApplication>(argc, argv);
            // Qt chose a UTF-8 character type (C.UTF-8 for a host in "C"); the
            // window system's title of the frame is converted through it, and
            // the host's "C" would make "边坡" a Latin-1 "è¾¹å". The rest of
            // the host's locale is the host's again; all of it on return.
            const std::string ctype = std::setlocale(LC_CTYPE, nullptr);
            std::setlocale(LC_ALL, locale.c_str()); // QApplication took the user's
            hostLocale_ = locale;
            std::setlocale(LC_CTYPE, ctype.c_str());
        }
        if (chinese_.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&chinese_);
        // Part of the program path's duty: fonts and resources come from here.
        G_strExePath = ModuleDirectory();
        SetForOcxUse(1);
    }
    ~DialogCall()
    {
        QCoreApplication::removeTranslator(&chinese_);
        own_.reset();
        if (!hostLocale_.empty())
            std::setlocale(LC_ALL, hostLocale_.c_str());
    }
    DialogCall(const DialogCall&) = delete;
    DialogCall& operator=(const DialogCall&) = delete;

private:
    std::unique_ptr<QApplication> own_;
    std::string hostLocale_; // set when own_ is ours
    QTranslator chinese_;
    ScopedMessageSink boxes_{QtMessageBoxSink};
};
#endif

bool AllFinite(const CPelvorinData& r)
{
    for (const std::vector<float>* list : {static_cast<const std::vector<float>*>(r.pDianZuoBiao), &r.TuKangLi,
                                           &r.ZhuangKangLi, &r.ZuiZhongKangLi})
        for (float v : *list)
            if (!std::isfinite(v))
                return false;
    return true;
}

void ClearResults(CPelvorinData& r)
{
    r.pDianZuoBiao->clear();
    r.TuKangLi.clear();
    r.ZhuangKangLi.clear();
    r.ZuiZhongKangLi.clear();
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
void ClearKeyFiles(CPelvorinData& record)
{
    std::error_code ec;
    if (!std::filesystem::exists(G_strWorkPath + record.FileStem() + ".res", ec))
        return;
    RemoveOtherCalculationFiles(record, G_strWorkPath, {});
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

extern "C" int JiSuan_KangLi(void) { return 1; }

#if !KANGLI_DIALOGS
extern "C" int JiSuan_KangLi_Box(void)
{
    tell_error(201, "此模块编译时未包含对话框");
    return 0;
}

extern "C" int JiSuan_KangLi_Slp_New(CSlopeData*)
{
    tell_error(201, "此模块编译时未包含对话框");
    return 0;
}
#else
extern "C" int JiSuan_KangLi_Box(void)
{
    if (!DialogCall::CanShowWindows())
        return 0;
    ScopedCNumbers numbers;
    std::unique_ptr<CPelvorinData> record(new CPelvorinData);
    InitKangLiData(record.get());
    DialogCall call;
    CKangLiJiSuan calc;
    CKangLiResult result;
    const std::string keep = G_strWorkPath;
    // A new record calculates into a folder of its own under the work path, as
    // a record opened from a file does: a user's kl.dat beside the host's work
    // is never replaced.
    G_strWorkPath = keep + record->FileStem() + "-计算结果/";
    {
        CDlgKangLi_Slp frame(record.get(), &calc, &result, QString());
        frame.exec();
    }
    // The dialog may have changed the work path; the host finds its own.
    G_strWorkPath = keep;
    return 1;
}

extern "C" int JiSuan_KangLi_Slp_New(CSlopeData* slope)
{
    if (!slope || !DialogCall::CanShowWindows())
        return 0;
    ScopedCNumbers numbers;
    std::unique_ptr<CPelvorinData> record(new CPelvorinData);
    InitKangLiData(record.get());
    // Only the first dialog on a slope model takes the slip-surface distance
    // from the model as fixed.
    if (slope->bKangLiChuShiHua == 0) {
        record->bHuaMianKeBian = 0;
        slope->bKangLiChuShiHua = 1;
    }
    DialogCall call;
    char key[128];
    std::snprintf(key, sizeof key, "kl-%d-%d", g_lCurFAID, g_lCurHMID);
    record->strWenJianMing = key;
    slope->strKangLiJian = key;
    record->strMingCheng = slope->strCurKHPile;

    CKangLiJiSuan calc;
    CKangLiResult result;
    const std::string keep = G_strWorkPath;
    int answer = 0;
    bool handBack = false;
    {
        CDlgKangLi_Slp frame(record.get(), &calc, &result, QString());
        CConvert_to_KangLi converter;
        converter.m_pData = record.get();
        if (converter.Convert(slope, 2, 0) == 0) {
            G_strWorkPath = keep;
            return 0;
        }
        frame.SetBuildFromModel([&converter, slope] { return converter.Convert(slope, 2, 0) != 0; });
        frame.pPage->RefreshPage();
        frame.MarkSaved(); // the record as the host's model gives it
        answer = frame.exec();
        // Only 确定 hands results on, and only those of the record as the
        // frame closed with it (确定 recalculates stale ones first); 取消, or
        // results of an earlier state of the record, hand on none.
        handBack = answer == QDialog::Accepted && frame.ResultsCurrent();
        if (!handBack)
            ClearResults(*record);
        converter.ConvertBack(slope, 2, 0);
    }
    if (handBack && record->bYiJiSuan) {
        const int count = std::min(slope->nZhuangShu, static_cast<int>(slope->KHPiles.size()));
        for (int i = 0; i < count; ++i)
            if (slope->KHPiles[static_cast<size_t>(i)].strName == slope->strCurKHPile) {
                slope->KHPiles[static_cast<size_t>(i)].cloneSelf(slope->CurKHPile);
                if (CalHMKangLi_KHZ(slope, i, nullptr, 1) == 1)
                    slope->fCurKangLi = slope->KHPiles[static_cast<size_t>(i)].fKangLi;
                break;
            }
    }
    G_strWorkPath = keep;
    return answer;
}
#endif

extern "C" int JiSuan_KangLi_Slp(CSlopeData* slope, int pileIndex)
{
    if (pileIndex == -1) {
        JiSuan_KangLi_Box();
        return 0;
    }
    // The host has set its user's locale; our files are written in the C one.
    ScopedCNumbers numbers;
    const int count = slope ? std::min(slope->nZhuangShu, static_cast<int>(slope->KHPiles.size())) : 0;
    if (pileIndex < 0 || pileIndex >= count)
        return 0;

    std::unique_ptr<CPelvorinData> record(new CPelvorinData);
    InitKangLiData(record.get());
    const int schemeId = g_lCurFAID;
    int pileId = g_lCurHMID;
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
                  g_lCurHMID, pileId);
    record->strWenJianMing = stem;
    if (CutTest(slope, pile, pileId) < 1) {
        // A surface that misses the pile has no files: those an earlier call
        // of this key left (when the surface or the pile was elsewhere) go.
        ClearKeyFiles(*record);
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
    {
        MessageSink previous =
            SetMessageSink([&held](const MessageRequest& m) { held.push_back(m); return IDOK; });
        converter.Convert(slope, 1, pileIndex); // an incomplete record is calculated as it is
        SetMessageSink(std::move(previous));
    }
    const int soilUnderRock = SoilBelowRock(*record);
    for (const MessageRequest& m : held) {
        if (soilUnderRock >= 0 && m.text == "岩层下不能出现土层")
            continue;
        if (m.kind == MessageRequest::Info)
            tell_error(m.code, m.text.c_str());
        else
            AfxMessageBox(m.text.c_str(), m.buttons, m.caption.c_str());
    }
    // The record written for the call, and its books, carry the call's own slip
    // surface: where it cuts this pile, the depth the host's resistance is read
    // at. (The per-point results do not depend on it.)
    // Exactly the depth the host reads its resistance at (not narrowed as the
    // levels are: a cut is worked out, never typed).
    record->fHuaMianDaoZhuangDing =
        std::clamp(SlipDepthAtPile(*pile, slope->CurSurface), 0.0f, std::max(record->fZhuangChang, 0.0f));

    CKangLiJiSuan calc;
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
        tell_error(201, ("桩 " + pile->strName + "（id " + std::to_string(pile->nID) + "）：岩层下不能出现土层：" +
                         layer(soilUnderRock) + "为土层，在岩层" + layer(soilUnderRock - 1) + "之下")
                            .c_str());
        status = 0;
    }
    if (status == 1) {
        CPelvorinData probe(*record);
        probe.fHuaMianDaoZhuangDing = 0.0f;
        std::string problem, chinese;
        if (!CheckKangLiData(probe, &problem, &chinese)) {
            tell_error(201, RefusalMessage(*pile, problem, chinese).c_str());
            status = 0;
        }
    }
    if (status == 1)
        status = calc.JiSuan();
    if (status == 1 && !AllFinite(*record)) {
        tell_error(201, "计算结果不是有限数");
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
            where.folder = G_strWorkPath;
            where.drawingWriter = WriteCanvas;
            where.resultFileWriter = [&record](const std::string& path, const std::vector<std::string>& names) {
                return GenResFileOne(path.c_str(), record.get(), names) == 1;
            };
            where.resultFileOnly = files == kKangLiWenJianResult;
            where.staged = true;
            where.flushed = false;
            const CalculationFilesWritten written = WriteCalculationFiles(*record, calc, where);
            if (!written.failed.empty())
                tell_error(201, UnwrittenMessage(written.failed, G_strWorkPath).c_str());
        }
        else // no files asked for: none of an earlier call of this key stays
            ClearKeyFiles(*record);
        if (record->bTiShiChengGong)
            tell_error(201, "抗滑力计算成功 !");
    } else if (status == 0) {
        // A refused pile has no files: those of an earlier call of this key
        // describe another pile or model, and go.
        ClearKeyFiles(*record);
        const int visible = IsJsxxVisible();
        tell_error(201, "抗滑力计算失败 !");
        if (visible)
            tell_error(-9999, "FALSE");
    }
    converter.ConvertBack(slope, 1, pileIndex);
    return 1;
}
