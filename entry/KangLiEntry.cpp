// The exported entry points: where the host's globals (the work path, the
// current scheme and slip surface) and its message service become the context
// that slope mode (SlopeMode.cpp) and the dialogs work in.
#include "KangLi.h"

#include "CanvasWriters.h"
#include "Convert_to_KangLi.h"
#include "KangLiContext.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "NumericLocale.h"
#include "PelvorinData.h"
#include "SlopeData.h"
#include "SlopeMode.h"
#include "WorkPaths.h"

#if KANGLI_DIALOGS
#include "DlgKangLi_Slp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#endif

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <dlfcn.h>
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

// The module's one application object: loading the module names the program
// path.
struct CPelvorinApp {
    CPelvorinApp() { G_strExePath = ModuleDirectory(); }
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

// The context of a call, from the host's globals as they are now: the
// framework's work path and message service, the current scheme and slip
// surface; the diagrams go through the drawing output.
KangLiContext HostContext()
{
    KangLiContext context = ContextFromProcess();
    context.schemeId = g_lCurFAID;
    context.surfaceId = g_lCurHMID;
    context.drawingWriter = WriteCanvas;
    return context;
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
    // A new record calculates into a folder of its own under the work path, as
    // a record opened from a file does: a user's kl.dat beside the host's work
    // is never replaced. Messages are the dialog's message boxes.
    KangLiContext context = HostContext();
    context.workPath += record->FileStem() + "-计算结果/";
    CKangLiJiSuan calc(context);
    CKangLiResult result;
    const std::string keep = G_strWorkPath;
    {
        CDlgKangLi_Slp frame(record.get(), &calc, &result, QString());
        frame.exec();
    }
    // Whatever the host's own windows did with the work path meanwhile, the
    // host finds its own.
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
    const KangLiContext context = HostContext();
    char key[128];
    std::snprintf(key, sizeof key, "kl-%d-%d", context.schemeId, context.surfaceId);
    record->strWenJianMing = key;
    slope->strKangLiJian = key;
    record->strMingCheng = slope->strCurKHPile;

    CKangLiJiSuan calc(context);
    CKangLiResult result;
    const std::string keep = G_strWorkPath;
    int answer = 0;
    bool handBack = false;
    {
        CDlgKangLi_Slp frame(record.get(), &calc, &result, QString());
        CConvert_to_KangLi converter;
        converter.m_pData = record.get();
        converter.context = context;
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
    // What the host's globals say now is read here, once, and handed in.
    return CalculateSlopePile(HostContext(), slope, pileIndex);
}
