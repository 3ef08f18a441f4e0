#include "EasyTableView.h"

#include "Messages.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTimer>

EasyTableView::EasyTableView(CEasyTableWnd* table, QWidget* parent)
    : QTableWidget(parent), table_(table)
{
    verticalHeader()->setVisible(false);
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

void EasyTableView::Rebuild()
{
    filling_ = true;
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
    for (int c = 0; c < cols; ++c)
        setColumnWidth(c, static_cast<int>((table_->edges[c + 1] - table_->edges[c]) * 1.2));
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            CETCell* cell = table_->GetCell(r, c);
            if (!cell)
                continue;
            auto* item = new QTableWidgetItem(QString::fromStdString(cell->DisplayText()));
            if (!cell->strTiShi.empty())
                item->setToolTip(QString::fromStdString(cell->strTiShi));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (cell->Editable() && cell->kind != CETCell::Choice && cell->kind != CETCell::Check)
                flags |= Qt::ItemIsEditable;
            if (cell->nState == ETCELL_STATE_DISABLE) {
                flags &= ~Qt::ItemIsEnabled;
                item->setForeground(Qt::gray);
            }
            item->setFlags(flags);
            setItem(r - 1, c - 1, item);
            if (cell->Editable() && (cell->kind == CETCell::Choice || cell->kind == CETCell::Check)) {
                auto* box = new QComboBox(this);
                for (const std::string& choice : cell->Choices())
                    box->addItem(QString::fromStdString(choice));
                box->setCurrentText(QString::fromStdString(cell->DisplayText()));
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
    resizeRowsToContents();
    filling_ = false;
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
