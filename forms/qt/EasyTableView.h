// A cell-table model on screen: one widget cell per model cell, greyed where the
// model disables it, read-only where it must not be edited, a drop-down list for
// choice and yes/no cells. Edits go to the model, which checks them, writes them
// into the record and answers with its messages.
#pragma once

#include "EasyTable.h"

#include <QTableWidget>

class EasyTableView : public QTableWidget {
    Q_OBJECT
public:
    explicit EasyTableView(CEasyTableWnd* table, QWidget* parent = nullptr);
    // Runs the model's FillTable and shows the cells again.
    void UpdateTable();
    // Shows the model's cells as they are.
    void Rebuild();

private:
    void Edited(int row, int col);
    CEasyTableWnd* table_;
    bool filling_ = false;
};
