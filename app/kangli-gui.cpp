// kangli-gui: the calculation frame with the input page, for entering or checking
// a pile by hand.
//   kangli-gui [RECORD] [--calculate] [--tab N] [--screenshot FILE.png]
// RECORD is a data file or JSON; without it a new record with two layers. With
// --screenshot the window is drawn once into FILE.png and the program ends (for
// documentation and tests; run with QT_QPA_PLATFORM=offscreen without a display).
#include "DlgKangLi.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordJson.h"
#include "WorkPaths.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMainWindow>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <clocale>
#include <cstdio>

namespace {

class CDlgKangLi_Slp : public QMainWindow {
public:
    CDlgKangLi_Slp(CPelvorinData* data, QString path) : data_(data), path_(std::move(path))
    {
        calc_.pData = data;
        calc_.pResult = &result_;
        page = new CDlgKangLi(data, &calc_, &result_, this);
        setCentralWidget(page);
        QToolBar* bar = addToolBar("计算");
        bar->addAction("计算", this, [this] { Calculate(); });
        bar->addAction("计算结果", this, [this] { ShowResults(); });
        bar->addAction("保存数据", this, [this] { Save(); });
        setWindowTitle("抗滑桩抗力计算");
        resize(1100, 700);
    }

    bool Calculate()
    {
        std::string problem;
        if (!CheckKangLiData(*data_, &problem)) {
            // Through the message service, so that an unattended run answers it.
            AfxMessageBox(problem.c_str(), MB_OK, "提示");
            return false;
        }
        if (!calc_.CheckDataChange() || calc_.JiSuan() != 1)
            return false;
        calculated_ = true;
        page->RefreshPage();
        return true;
    }

    void ShowResults()
    {
        if (!calculated_ && !Calculate())
            return;
        QDialog dialog(this);
        dialog.setWindowTitle("计算结果");
        auto* table = new QTableWidget(&dialog);
        FillResults(table);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(table);
        dialog.resize(560, 600);
        dialog.exec();
    }

    void FillResults(QTableWidget* table) const
    {
        const std::vector<float>& z = *data_->pDianZuoBiao;
        const size_t n = std::min({z.size(), data_->TuKangLi.size(), data_->ZhuangKangLi.size(),
                                   data_->ZuiZhongKangLi.size()});
        table->setColumnCount(4);
        table->setRowCount(static_cast<int>(n));
        table->setHorizontalHeaderLabels({"深度(m)", "土抗力(kN/m)", "桩抗力(kN/m)", "最终抗力(kN/m)"});
        table->verticalHeader()->setVisible(false);
        for (size_t i = 0; i < n; ++i) {
            const float values[4] = {z[i], data_->TuKangLi[i], data_->ZhuangKangLi[i], data_->ZuiZhongKangLi[i]};
            for (int c = 0; c < 4; ++c) {
                auto* item = new QTableWidgetItem(QString::number(values[c], 'f', c == 0 ? 2 : 3));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                item->setFlags(Qt::ItemIsEnabled);
                table->setItem(static_cast<int>(i), c, item);
            }
        }
        table->resizeColumnsToContents();
    }

    void Save()
    {
        if (path_.isEmpty())
            path_ = QFileDialog::getSaveFileName(this, "保存数据", QString(), "数据文件 (*.dat);;JSON (*.json)");
        if (path_.isEmpty())
            return;
        std::string error;
        if (!SaveRecordFile(path_.toStdString(), *data_, &error))
            AfxMessageBox((path_.toStdString() + ": " + error).c_str(), MB_OK, "提示");
    }

    CDlgKangLi* page = nullptr;

private:
    CPelvorinData* data_;
    QString path_;
    CKangLiJiSuan calc_;
    CKangLiResult result_;
    bool calculated_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // QApplication has set the user's locale for the C library; the window shows
    // numbers through Qt, and the C library's numbers go into files, which never
    // follow the locale (a comma-decimal locale would read 22,000000 as 22).
    std::setlocale(LC_NUMERIC, "C");
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

    // Messages of the calculation become message boxes; a screenshot run answers
    // them without showing anything.
    SetMessageSink([&screenshot](const MessageRequest& req) {
        if (!screenshot.isEmpty()) {
            std::fprintf(stderr, "kangli-gui: %s\n", req.text.c_str());
            return (req.buttons & 0xF) == MB_YESNO ? IDYES : IDOK;
        }
        const QString text = QString::fromStdString(req.text);
        const QString caption = QString::fromStdString(req.caption.empty() ? "提示" : req.caption);
        if (req.kind == MessageRequest::Box && (req.buttons & 0xF) == MB_YESNO)
            return QMessageBox::question(nullptr, caption, text) == QMessageBox::Yes ? IDYES : IDNO;
        QMessageBox::information(nullptr, caption, text);
        return IDOK;
    });

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
        G_strWorkPath = WithSeparator(QFileInfo(record).absolutePath().toStdString());
    }

    CDlgKangLi_Slp frame(&data, record);
    frame.page->tabs->setCurrentIndex(tab);
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
