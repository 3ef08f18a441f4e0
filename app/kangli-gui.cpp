// kangli-gui: the calculation frame with the input page, for entering or checking
// a pile by hand.
//   kangli-gui [RECORD] [--calculate] [--tab N] [--screenshot FILE.png]
// RECORD is a data file or JSON; without it a new record with two layers. With
// --screenshot the window is drawn once into FILE.png and the program ends (for
// documentation and tests; run with QT_QPA_PLATFORM=offscreen without a display).
#include "DlgKangLi.h"
#include "CanvasWriters.h"
#include "DlgKangLi_Slp.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordFile.h"
#include "WorkPaths.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMainWindow>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <clocale>
#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>

namespace {

// What Qt says while it looks for a screen: kept back, and if it finds none the
// program ends with one Chinese sentence and status 1, not Qt's abort.
QStringList g_startMessages;

void StartMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        std::fprintf(stderr, "kangli-gui: 无法连接显示器%s%s，窗口打不开（没有显示器时只能用 "
                             "QT_QPA_PLATFORM=offscreen 加 --screenshot 出图）\n",
                     display.isEmpty() ? "" : " ", display.constData());
        std::_Exit(1);
    }
    g_startMessages << text;
}

// A screen to show the window on, as far as the environment tells.
bool HaveDisplay()
{
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(v))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (!HaveDisplay()) {
        std::fprintf(stderr, "kangli-gui: 没有可用的显示器（DISPLAY 和 WAYLAND_DISPLAY 均未设置），窗口打不开"
                             "（没有显示器时只能用 QT_QPA_PLATFORM=offscreen 加 --screenshot 出图）\n");
        return 1;
    }
    const QtMessageHandler usual = qInstallMessageHandler(StartMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(usual);
    for (const QString& m : g_startMessages)
        std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData());
    // QApplication has set the user's locale for the C library; the window shows
    // numbers through Qt, and the C library's numbers go into files, which never
    // follow the locale (a comma-decimal locale would read 22,000000 as 22).
    std::setlocale(LC_NUMERIC, "C");
    // Qt's own texts (standard buttons, file dialogs) in Chinese, like ours.
    QTranslator qtChinese;
    if (qtChinese.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtChinese);
    QStringList args = app.arguments();
    args.removeFirst();
    QString record, screenshot;
    bool calculate = false;
    int tab = 0;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--calculate")
            calculate = true;
        else if (args[i] == "--screenshot" && i + 1 < args.size())
            screenshot = args[++i];
        else if (args[i] == "--tab" && i + 1 < args.size())
            tab = args[++i].toInt();
        else if (args[i].startsWith("-")) {
            std::fprintf(stderr, "kangli-gui: unknown option %s\n", args[i].toLocal8Bit().constData());
            return 2;
        } else
            record = args[i];
    }

    if (G_strWorkPath.empty())
        G_strWorkPath = WithSeparator(QDir::currentPath().toStdString());
    // Without a record: box mode, through the module as a host opens it.
    if (record.isEmpty() && screenshot.isEmpty() && !calculate && tab == 0) {
        const QString module = QCoreApplication::applicationDirPath() + "/../entry/libkangli.so";
        if (void* handle = ::dlopen(module.toLocal8Bit().constData(), RTLD_NOW)) {
            if (auto box = reinterpret_cast<int (*)()>(::dlsym(handle, "JiSuan_KangLi_Box")))
                return box() == 1 ? 0 : 1;
        }
        // No module beside us: the same frame, built into this program.
    }

    // Messages of the calculation and the window become message boxes; a
    // screenshot run answers them without showing anything.
    KangLiContext context;
    context.sink = [&screenshot](const MessageRequest& req) -> int {
        if (!screenshot.isEmpty()) {
            std::fprintf(stderr, "kangli-gui: %s\n", req.text.c_str());
            return (req.buttons & 0xF) == MB_YESNO ? IDYES : IDOK;
        }
        return QtMessageBoxSink(req);
    };
    SetMessageSink(context.sink); // the tables' own refusals
    context.drawingWriter = WriteCanvas;

    CPelvorinData data;
    InitKangLiData(&data);
    if (record.isEmpty()) {
        data.TuCeng.resize(2);
    } else {
        std::string error;
        if (!LoadRecordFile(record.toStdString(), data, &error)) {
            std::fprintf(stderr, "kangli-gui: %s: %s\n", record.toLocal8Bit().constData(), error.c_str());
            return 2;
        }
    }
    // 构件计算 writes the data file, the diagrams and the books named by the
    // record's stem ("kl" for every bundled example): into a folder of the
    // record's own beside it, never over a record file of the user's.
    {
        const QFileInfo info(record.isEmpty() ? QDir::current().filePath(QString::fromStdString(data.FileStem()))
                                              : record);
        context.workPath = WithSeparator(
            QDir(info.absolutePath()).filePath(info.completeBaseName() + "-计算结果").toStdString());
    }

    CKangLiJiSuan calc(context);
    CKangLiResult result;
    CDlgKangLi_Slp frame(&data, &calc, &result, record);
    frame.bDuLiChengXu = true;
    frame.pPage->tabs->setCurrentIndex(tab);
    if (calculate)
        frame.Calculate();
    if (!screenshot.isEmpty()) {
        frame.show();
        app.processEvents();
        if (!frame.grab().save(screenshot)) {
            std::fprintf(stderr, "kangli-gui: %s: cannot write the picture\n", screenshot.toLocal8Bit().constData());
            return 2;
        }
        return 0;
    }
    frame.show();
    return app.exec();
}
