// The calculation frame: the input page under a toolbar of commands that
// calculate, show the results and save the record.
#pragma once

#include "DlgKangLi.h"
#include "KangLiJiSuan.h"
#include "KangLiResult.h"

#include <QMainWindow>
#include <QString>

class QTableWidget;
class CPelvorinData;

class CDlgKangLi_Slp : public QMainWindow {
    Q_OBJECT
public:
    // path: where 保存数据 writes; empty to ask for a name.
    CDlgKangLi_Slp(CPelvorinData* data, QString path, QWidget* parent = nullptr);

    // The commands. Each first takes what is typed into an open cell editor.
    bool Calculate();
    void ShowResults();
    void Save();
    void FillResults(QTableWidget* table) const;

    CDlgKangLi* page = nullptr;

private:
    CPelvorinData* data_;
    QString path_;
    CKangLiJiSuan calc_;
    CKangLiResult result_;
    bool calculated_ = false;
};
