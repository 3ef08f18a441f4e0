#include "EasyTableView.h"

#include "Messages.h"

#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QKeyEvent>
#include <QLineEdit>

#include <functional>

#include <algorithm>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <QTimer>
#include <QCoreApplication>
#include <QFocusEvent>

EasyTableView::EasyTableView(CEasyTableWnd* table, QWidget* parent)
    : QTableWidget(parent), table_(table)
{
    verticalHeader()->setVisible(false);
    // A value or label is one line; its column is made wide enough for it.
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing over a value starts editing it, as in any form.
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    connect(this, &QTableWidget::cellChanged, this, &EasyTableView::Edited);
    UpdateTable();
}

void EasyTableView::UpdateTable()
{
    if (table_)
        table_->FillTable();
    Rebuild();
}

namespace {

// A drop-down list changes only when it is opened and chosen from, turned with
// the wheel while it has the focus, or typed into: scrolling the table over it
// must never change the record. An engineer typing a table value by value
// types into it as into any cell: the value ("1", "30") or the start of the
// text ("岩", "C3") of a choice, then Tab. Tab and Shift+Tab go on through the
// table as from any cell; what matches no choice is refused and the focus
// stays, so that the next value never lands one cell off.
class ChoiceBox : public QComboBox {
public:
    ChoiceBox(QWidget* parent, std::vector<std::string> items, std::vector<int> values,
              std::function<bool(const std::string& choice)> choose, std::function<void(bool next)> move,
              std::string label)
        : QComboBox(parent), items_(std::move(items)), values_(std::move(values)), choose_(std::move(choose)),
          move_(std::move(move)), label_(std::move(label))
    {
    }

protected:
    // Tab would otherwise pass the focus along the window's chain before the
    // box sees it: here it goes through the table, after what was typed.
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
                keyPressEvent(k);
                return true;
            }
        }
        return QComboBox::event(e);
    }

    void wheelEvent(QWheelEvent* e) override
    {
        if (hasFocus())
            QComboBox::wheelEvent(e);
        else
            e->ignore(); // to the table, which scrolls
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        const int key = e->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!typed_.isEmpty() && !TakeTyped())
                return; // refused: stay here until corrected or Esc
            if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
                move_(key == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier));
            return;
        }
        if (key == Qt::Key_Escape) {
            typed_.clear();
            update();
            return;
        }
        if (key == Qt::Key_Backspace) {
            typed_.chop(1);
            update();
            return;
        }
        const QString text = e->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            typed_ += text;
            update();
            return;
        }
        QComboBox::keyPressEvent(e);
    }

    // What is typed shows in the box until Tab takes it (or Esc drops it).
    void paintEvent(QPaintEvent* e) override
    {
        if (typed_.isEmpty()) {
            QComboBox::paintEvent(e);
            return;
        }
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText = typed_;
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }

    void focusOutEvent(QFocusEvent* e) override
    {
        if (!typed_.isEmpty())
            TakeTyped();
        QComboBox::focusOutEvent(e);
    }

private:
    // The choice typed: its stored value, or the start of its text.
    bool TakeTyped()
    {
        const QString typed = typed_.trimmed();
        typed_.clear();
        update();
        int found = -1;
        for (size_t i = 0; i < items_.size() && found < 0; ++i)
            if (i < values_.size() && typed == QString::number(values_[i]))
                found = static_cast<int>(i);
        for (size_t i = 0; i < items_.size() && found < 0; ++i)
            if (QString::fromStdString(items_[i]).startsWith(typed, Qt::CaseInsensitive))
                found = static_cast<int>(i);
        if (found < 0) {
            std::string list;
            for (size_t i = 0; i < items_.size(); ++i) {
                list += (list.empty() ? "" : "、");
                if (i < values_.size())
                    list += std::to_string(values_[i]) + "（" + items_[i] + "）";
                else
                    list += items_[i];
            }
            AfxMessageBox(("“" + label_ + "”应为 " + list + " 之一，输入值为 " + typed.toStdString()).c_str(), MB_OK,
                          "提示");
            setFocus();
            return false;
        }
        return choose_(items_[static_cast<size_t>(found)]);
    }

    std::vector<std::string> items_;
    std::vector<int> values_;
    std::function<bool(const std::string&)> choose_;
    std::function<void(bool)> move_;
    std::string label_;
    QString typed_;
};

} // namespace

std::string EasyTableView::Shape() const
{
    // What decides the widgets of the cells: their count, kinds and choices.
    std::string key;
    if (!table_)
        return key;
    const int rows = table_->GetRowNum(), cols = table_->GetColNum();
    key = std::to_string(rows) + "x" + std::to_string(cols);
    for (const std::string& t : table_->titles)
        key += "|" + t;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            const CETCell* cell = table_->GetCell(r, c);
            key += ";";
            if (!cell)
                continue;
            key += std::to_string(cell->kind) + (cell->Editable() ? "e" : "r");
            if (cell->kind == CETCell::Choice || cell->kind == CETCell::Check)
                for (const std::string& choice : cell->Choices())
                    key += "," + choice;
        }
    return key;
}

void EasyTableView::Rebuild()
{
    filling_ = true;
    const std::string shape = Shape();
    if (shape != shape_ || rowCount() != (table_ ? table_->GetRowNum() : 0))
        BuildCells();
    else
        UpdateCells();
    shape_ = shape;
    filling_ = false;
    FitColumns();
}

void EasyTableView::resizeEvent(QResizeEvent* e)
{
    QTableWidget::resizeEvent(e);
    FitColumns();
}

void EasyTableView::FitColumns()
{
    // Each column as wide as its widest text (title, value or drop-down), the
    // pane's width left over shared out among them in the proportions of the
    // table's own column edges, so that nothing is cut short and no part of the
    // pane stays empty.
    const int cols = columnCount();
    if (cols == 0 || !table_)
        return;
    std::vector<int> need(static_cast<size_t>(cols));
    int total = 0, share = 0;
    for (int c = 0; c < cols; ++c) {
        int w = sizeHintForColumn(c);
        if (horizontalHeader()->isVisible())
            w = std::max(w, horizontalHeader()->sectionSizeHint(c));
        need[static_cast<size_t>(c)] = w;
        total += w;
        if (c + 1 < static_cast<int>(table_->edges.size()))
            share += table_->edges[static_cast<size_t>(c) + 1] - table_->edges[static_cast<size_t>(c)];
    }
    const int room = viewport()->width() - total;
    int given = 0;
    for (int c = 0; c < cols; ++c) {
        int w = need[static_cast<size_t>(c)];
        if (room > 0 && share > 0) {
            const int part = c + 1 == cols ? room - given
                                           : room * (table_->edges[static_cast<size_t>(c) + 1] -
                                                     table_->edges[static_cast<size_t>(c)]) / share;
            w += part;
            given += part;
        }
        if (columnWidth(c) != w)
            setColumnWidth(c, w);
    }
}

void EasyTableView::BuildCells()
{
    const int keepRow = currentRow(), keepCol = currentColumn();
    clear();
    const int rows = table_ ? table_->GetRowNum() : 0;
    const int cols = table_ ? table_->GetColNum() : 0;
    setRowCount(rows);
    setColumnCount(cols);
    if (table_ && !table_->titles.empty()) {
        QStringList titles;
        for (const std::string& t : table_->titles)
            titles << QString::fromStdString(t);
        setHorizontalHeaderLabels(titles);
        horizontalHeader()->setVisible(true);
        horizontalHeader()->setMinimumHeight(table_->nTitleHeight > 0 ? table_->nTitleHeight + 10 : 0);
    } else {
        horizontalHeader()->setVisible(false);
    }
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            CETCell* cell = table_->GetCell(r, c);
            if (!cell)
                continue;
            setItem(r - 1, c - 1, new QTableWidgetItem);
            if (cell->Editable() && (cell->kind == CETCell::Choice || cell->kind == CETCell::Check)) {
                auto choose = [this, r, c](const std::string& text) {
                    if (approve && !approve(r, c, text)) {
                        QTimer::singleShot(0, this, &EasyTableView::Rebuild);
                        return true; // declined, not refused: the held choice shows again
                    }
                    std::string why;
                    const bool ok = table_->EditCell(r, c, text, &why);
                    if (!ok)
                        AfxMessageBox(why.c_str(), MB_OK, "提示");
                    // The model may have rebuilt itself; show it once the combo box is done.
                    QTimer::singleShot(0, this, &EasyTableView::Rebuild);
                    return ok;
                };
                auto move = [this, r, c](bool next) {
                    // The choice just taken may enable the next cell (the water
                    // switch enables the level): its refresh runs first, so that
                    // Tab lands where the next value belongs.
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
                    setCurrentCell(r - 1, c - 1);
                    const QModelIndex to = moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier);
                    if (!to.isValid()) {
                        LeaveTable(next);
                        return;
                    }
                    GoTo(to, next);
                };
                auto* box = new ChoiceBox(this, cell->items, cell->values, choose, move, table_->CellLabel(r, c));
                box->setFocusPolicy(Qt::StrongFocus);
                for (const std::string& choice : cell->Choices())
                    box->addItem(QString::fromStdString(choice));
                connect(box, &QComboBox::textActivated, this,
                        [choose](const QString& text) { choose(text.toStdString()); });
                setCellWidget(r - 1, c - 1, box);
            }
        }
    UpdateCells();
    resizeRowsToContents();
    if (keepRow >= 0 && keepRow < rows && keepCol >= 0 && keepCol < cols)
        setCurrentCell(keepRow, keepCol);
}

void EasyTableView::UpdateCells()
{
    const int rows = table_ ? table_->GetRowNum() : 0;
    const int cols = table_ ? table_->GetColNum() : 0;
    const bool editing = state() == QAbstractItemView::EditingState;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            CETCell* cell = table_->GetCell(r, c);
            QTableWidgetItem* item = this->item(r - 1, c - 1);
            if (!cell || !item)
                continue;
            // The cell the user is typing into keeps what is typed.
            if (editing && currentRow() == r - 1 && currentColumn() == c - 1)
                continue;
            const QString text = QString::fromStdString(cell->DisplayText());
            if (item->text() != text)
                item->setText(text);
            const QString tip = QString::fromStdString(cell->strTiShi);
            if (item->toolTip() != tip)
                item->setToolTip(tip);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (cell->Editable() && cell->kind != CETCell::Choice && cell->kind != CETCell::Check)
                flags |= Qt::ItemIsEditable;
            const bool disabled = cell->nState == ETCELL_STATE_DISABLE;
            if (disabled)
                flags &= ~Qt::ItemIsEnabled;
            if (item->flags() != flags)
                item->setFlags(flags);
            // Values the user cannot change look it: grey text on a grey ground.
            const bool readOnly = !disabled && cell->kind != CETCell::Text && !cell->Editable();
            const QBrush ink = disabled || readOnly ? QBrush(Qt::gray) : QBrush();
            if (item->foreground() != ink)
                item->setForeground(ink);
            const QBrush ground = readOnly ? QBrush(QColor(236, 236, 236)) : QBrush();
            if (item->background() != ground)
                item->setBackground(ground);
            if (auto* box = qobject_cast<QComboBox*>(cellWidget(r - 1, c - 1))) {
                const QSignalBlocker quiet(box);
                box->setCurrentText(text);
            }
        }
}

bool EasyTableView::Changeable(int row, int col) const
{
    const QTableWidgetItem* it = item(row, col);
    if (cellWidget(row, col))
        return cellWidget(row, col)->isEnabled();
    return it && (it->flags() & Qt::ItemIsEditable) && (it->flags() & Qt::ItemIsEnabled);
}

QModelIndex EasyTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action != MoveNext && action != MovePrevious)
        return QTableWidget::moveCursor(action, modifiers);
    const int rows = rowCount(), cols = columnCount();
    if (rows == 0 || cols == 0)
        return QTableWidget::moveCursor(action, modifiers);
    const int step = action == MoveNext ? 1 : -1;
    const int cells = rows * cols;
    int at = currentRow() >= 0 ? currentRow() * cols + std::max(currentColumn(), 0) : (step > 0 ? -1 : cells);
    // Past the last value (or before the first) there is no cell: the key
    // leaves the table for the next control of the window.
    for (at += step; at >= 0 && at < cells; at += step)
        if (Changeable(at / cols, at % cols))
            return model()->index(at / cols, at % cols, rootIndex());
    return QModelIndex();
}

int EasyTableView::EdgeCell(bool first) const
{
    const int cells = rowCount() * columnCount();
    for (int k = 0; k < cells; ++k) {
        const int at = first ? k : cells - 1 - k;
        if (Changeable(at / columnCount(), at % columnCount()))
            return at;
    }
    return -1;
}

void EasyTableView::LeaveTable(bool next)
{
    // The window's focus chain holds the table's own drop-downs after the
    // table: they are passed over, so that the focus really leaves.
    QWidget* w = this;
    for (int guard = 0; guard < 1000; ++guard) {
        w = next ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == this)
            return;
        if (isAncestorOf(w) || !w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        // A drop-down of another table: that table takes the focus, onto its
        // first value (its last by Shift+Tab).
        for (QWidget* up = w->parentWidget(); up; up = up->parentWidget())
            if (auto* other = qobject_cast<EasyTableView*>(up)) {
                w = other;
                break;
            }
        w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return;
    }
}

void EasyTableView::GoTo(const QModelIndex& to, bool next)
{
    setCurrentIndex(to);
    if (QWidget* w = cellWidget(to.row(), to.column())) {
        w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return;
    }
    setFocus(Qt::OtherFocusReason);
    edit(to); // open, as Tab from a typed value opens the next one
}

bool EasyTableView::focusNextPrevChild(bool next)
{
    if (!isVisible() || !isEnabled() || !table_)
        return QTableWidget::focusNextPrevChild(next);
    const QModelIndex to = moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier);
    if (to.isValid())
        GoTo(to, next);
    else
        LeaveTable(next);
    return true;
}

void EasyTableView::FocusFirst()
{
    const int at = EdgeCell(true);
    if (at < 0)
        return;
    setCurrentCell(at / columnCount(), at % columnCount());
    if (QWidget* w = cellWidget(currentRow(), currentColumn()))
        w->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void EasyTableView::focusInEvent(QFocusEvent* e)
{
    QTableWidget::focusInEvent(e);
    // Come to by Tab from another control: onto the first value (the last one
    // by Shift+Tab), ready to be typed over.
    if (e->reason() != Qt::TabFocusReason && e->reason() != Qt::BacktabFocusReason)
        return;
    const int at = EdgeCell(e->reason() == Qt::TabFocusReason);
    if (at < 0) {
        LeaveTable(e->reason() == Qt::TabFocusReason);
        return;
    }
    GoTo(model()->index(at / columnCount(), at % columnCount(), rootIndex()), e->reason() == Qt::TabFocusReason);
}

void EasyTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab in the last value's editor takes the value and leaves the table.
    const bool leaving = hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem;
    const bool next = hint == QAbstractItemDelegate::EditNextItem;
    if (leaving && !moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier).isValid()) {
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
        // The value just taken may give the next table its rows (a cable
        // count, a layer count): its refresh runs first, so that Tab lands on
        // the first of them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        if (!refused_)
            LeaveTable(next);
        return;
    }
    QTableWidget::closeEditor(editor, hint);
}

bool EasyTableView::CommitEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return true;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return true;
    refused_ = false;
    commitData(editor); // cellChanged: the model checks the value and takes it
    const bool taken = !refused_;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return taken;
}

void EasyTableView::Edited(int row, int col)
{
    if (filling_ || !table_)
        return;
    QTableWidgetItem* it = item(row, col);
    if (!it)
        return;
    // Each value is judged anew: a refusal put right by Esc earlier must not
    // keep the Tab after the next value in the table.
    refused_ = false;
    std::string why;
    const QString typed = it->text().trimmed();
    if (approve && !approve(row + 1, col + 1, typed.toStdString())) {
        refused_ = true;
        QTimer::singleShot(0, this, &EasyTableView::Rebuild);
        return;
    }
    if (refuse)
        why = refuse(row + 1, col + 1, typed.toStdString());
    if (why.empty() && table_->EditCell(row + 1, col + 1, typed.toStdString(), &why)) {
        QTimer::singleShot(0, this, &EasyTableView::Rebuild);
        return;
    }
    refused_ = true;
    AfxMessageBox(why.c_str(), MB_OK, "提示"); // through the message service the program set up
    // A refused value keeps the focus in its cell, open with what was typed,
    // until it is corrected or Esc gives the old value back: the Tab that
    // committed it must not carry the correction into the next cell.
    QTimer::singleShot(0, this, [this, row, col, typed] {
        Rebuild();
        QTableWidgetItem* cell = item(row, col);
        if (!cell)
            return;
        setCurrentCell(row, col);
        setFocus(Qt::OtherFocusReason);
        editItem(cell);
        if (auto* editor = qobject_cast<QLineEdit*>(indexWidget(model()->index(row, col)))) {
            editor->setText(typed);
            editor->selectAll();
        }
    });
}
