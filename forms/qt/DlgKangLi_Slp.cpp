#include "DlgKangLi_Slp.h"

#include "Messages.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordJson.h"

#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

CDlgKangLi_Slp::CDlgKangLi_Slp(CPelvorinData* data, QString path, QWidget* parent)
    : QMainWindow(parent), data_(data), path_(std::move(path))
{
    calc_.pData = data;
    calc_.pResult = &result_;
    page = new CDlgKangLi(data, &calc_, &result_, this);
    setCentralWidget(page);
    QToolBar* bar = addToolBar("工具栏");
    bar->addAction("计算", this, [this] { Calculate(); });
    bar->addAction("计算结果", this, [this] { ShowResults(); });
    bar->addAction("保存数据", this, [this] { Save(); });
    setWindowTitle("抗滑桩抗力计算");
    resize(1100, 700);
}

bool CDlgKangLi_Slp::Calculate()
{
    page->CommitEdits();
    std::string problem, chinese;
    if (!CheckKangLiData(*data_, &problem, &chinese)) {
        // Through the message service, so that an unattended run answers it.
        AfxMessageBox(chinese.c_str(), MB_OK, "提示");
        return false;
    }
    if (!calc_.CheckDataChange() || calc_.JiSuan() != 1)
        return false;
    calculated_ = true;
    page->RefreshPage();
    return true;
}

void CDlgKangLi_Slp::ShowResults()
{
    page->CommitEdits();
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

void CDlgKangLi_Slp::FillResults(QTableWidget* table) const
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

void CDlgKangLi_Slp::Save()
{
    page->CommitEdits();
    if (path_.isEmpty())
        path_ = QFileDialog::getSaveFileName(this, "保存数据", QString(), "数据文件 (*.dat);;JSON (*.json)");
    if (path_.isEmpty())
        return;
    std::string error;
    if (!SaveRecordFile(path_.toStdString(), *data_, &error))
        AfxMessageBox((path_.toStdString() + ": " + error).c_str(), MB_OK, "提示");
}

