// A cell-table model on screen: one widget cell per model cell, greyed where the
// model disables it, read-only where it must not be edited, a drop-down list for
// choice and yes/no cells. Edits go to the model, which checks them, writes them
// into the record and answers with its messages.
#pragma once

#include "EasyTable.h"

#include <QTableWidget>

#include <functional>
#include <string>

class EasyTableView : public QTableWidget {
    Q_OBJECT
public:
    explicit EasyTableView(CEasyTableWnd* table, QWidget* parent = nullptr);
    // Runs the model's FillTable and shows the cells again.
    void UpdateTable();
    // Shows the model's cells as they are. When the table keeps its shape the
    // cells are updated in place, so the current cell, the focus and an editor
    // the user is typing into survive (a refresh follows every edit).
    void Rebuild();
    // Writes what is typed into an open editor to the model, as Enter would,
    // and closes the editor. Every command and page switch calls it first.
    // Takes what is typed in the open editor; false when the value was refused
    // (the refusal is shown, and the command that asked must not go on).
    bool CommitEditor();
    // Asked before a typed value goes to the model (row and column from 1, as
    // the model counts): false keeps the model as it is and shows it again.
    // A drop-down's choice is asked about too.
    std::function<bool(int row, int col, const std::string& text)> approve;
    // Asked before the model judges a typed value: a refusal (one Chinese
    // sentence naming the cell) is shown and kept in its cell as the model's
    // own refusals are; "" leaves the value to the model. For what a cell's
    // limits cannot say (a value above 0, not from 0) or a cell named otherwise
    // than by its row and title.
    std::function<std::string(int row, int col, const std::string& text)> refuse;

    // Sizes the columns to their content and the pane (after every refresh and
    // resize).
    void FitColumns();

    // The focus onto the first value, ready to be typed over (a page opening).
    void FocusFirst();

protected:
    void resizeEvent(QResizeEvent* e) override;
    // Tab and Shift+Tab go from one cell the user can change to the next,
    // passing over labels and read-only cells.
    // Past the last value Tab leaves the table for the next control, and
    // Shift+Tab before the first for the previous one.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void focusInEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool Changeable(int row, int col) const;
    // The first (or last) cell the user can change, as row * columns + column; -1: none.
    int EdgeCell(bool first) const;
    void LeaveTable(bool next);
    // Makes a cell current and ready for typing: its drop-down focused, or its
    // editor open.
    void GoTo(const QModelIndex& to, bool next);
    void Edited(int row, int col);
    void BuildCells();
    void UpdateCells();
    std::string Shape() const;
    CEasyTableWnd* table_;
    bool filling_ = false;
    bool refused_ = false; // the last value typed was refused
    std::string shape_;
};
