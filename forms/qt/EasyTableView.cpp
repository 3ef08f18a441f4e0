#include "EasyTableView.h"

#include "Messages.h"

#include <QComboBox>

#include <algorithm>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <QTimer>

EasyTableView::EasyTableView(CEasyTableWnd* table, QWidget* parent)
    : QTableWidget(parent), table_(table)
{
    verticalHeader()->setVisible(false);
    // A value or label is one line; its column is made wide enough for it.
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
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

// A drop-down list changes only when it is opened and chosen from, or turned
// with the wheel while it has the focus: scrolling the table over it must
// never change the record.
class ChoiceBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent* e) override
    {
        if (hasFocus())
            QComboBox::wheelEvent(e);
        else
            e->ignore(); // to the table, which scrolls
    }
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
                auto* box = new ChoiceBox(this);
                box->setFocusPolicy(Qt::StrongFocus);
                for (const std::string& choice : cell->Choices())
                    box->addItem(QString::fromStdString(choice));
                connect(box, &QComboBox::textActivated, this, [this, r, c](const QString& text) {
                    std::string why;
                    if (!table_->EditCell(r, c, text.toStdString(), &why))
                        AfxMessageBox(why.c_str(), MB_OK, "提示");
                    // The model may have rebuilt itself; show it once the combo box is done.
                    QTimer::singleShot(0, this, &EasyTableView::Rebuild);
                });
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
    for (int k = 0; k < cells; ++k) {
        at = ((at + step) % cells + cells) % cells; // round the table, as a form does
        if (Changeable(at / cols, at % cols))
            return model()->index(at / cols, at % cols, rootIndex());
    }
    return currentIndex();
}

void EasyTableView::CommitEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor); // cellChanged: the model checks the value and takes it
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void EasyTableView::Edited(int row, int col)
{
    if (filling_ || !table_)
        return;
    QTableWidgetItem* it = item(row, col);
    if (!it)
        return;
    std::string why;
    if (!table_->EditCell(row + 1, col + 1, it->text().trimmed().toStdString(), &why))
        AfxMessageBox(why.c_str(), MB_OK, "提示"); // through the message service the program set up
    QTimer::singleShot(0, this, &EasyTableView::Rebuild);
}
