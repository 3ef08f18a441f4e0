#include "DlgKangLi.h"

#include "Messages.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "EasyTableView.h"
#include "ForcesPanel.h"
#include "InputSketch.h"
#include "PelvorinData.h"
#include "SketchView.h"

#include <QCoreApplication>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A table's owner message, handled once the table's widgets are done with the
// edit that sent it.
std::function<void(int)> Queued(QObject* receiver, std::function<void(int)> handle)
{
    return [receiver, handle](int message) {
        QMetaObject::invokeMethod(receiver, [handle, message] { handle(message); },
                                  Qt::QueuedConnection);
    };
}

} // namespace

CDlgKangLiJBXX::CDlgKangLiJBXX(CPelvorinData* data, QWidget* parent) : QWidget(parent)
{
    table.pData = data;
    // A change of the pile table refreshes this table and redraws the sketch.
    table.owner = Queued(this, [this](int message) {
        if (message == WM_ET_REDRAW)
            emit Redraw();
        else if (message == WM_ET_DATACHANGE)
            view->UpdateTable();
    });
    view = new EasyTableView(&table, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view);
}

void CDlgKangLiJBXX::RefreshTables() { view->UpdateTable(); }

CDlgTuCeng::CDlgTuCeng(CPelvorinData* data, QWidget* parent) : QWidget(parent)
{
    count.pData = layers.pData = water.pData = data;
    // Any change in a soil table refreshes the whole page.
    auto owner = Queued(this, [this](int message) {
        if (message == WM_ET_REDRAW)
            emit Redraw();
        else if (message == WM_ET_DATACHANGE)
            emit DataChange();
    });
    count.owner = layers.owner = water.owner = owner;
    // Made in the order they stand, which is the order Tab takes.
    waterView = new EasyTableView(&water, this);
    countView = new EasyTableView(&count, this);
    // Fewer layers delete the ones below: only when the user says so. More
    // layers come as new layers with the defaults (the deleted ones are gone).
    countView->approve = [data](int, int, const std::string& text) {
        if (!data)
            return true;
        char* end = nullptr;
        const long wanted = std::strtol(text.c_str(), &end, 10);
        const long now = static_cast<long>(data->TuCeng.size());
        // Not a count, or not fewer layers: the table judges it as it is.
        if (end == text.c_str() || *end != '\0' || wanted < 0 || wanted >= now)
            return true;
        const std::string question = "土层数由 " + std::to_string(now) + " 改为 " + std::to_string(wanted) + "，将删除" +
                                     (now - wanted == 1 ? "第 " + std::to_string(now) + " 层"
                                                        : "第 " + std::to_string(wanted + 1) + " 至第 " +
                                                              std::to_string(now) + " 层") +
                                     "的数据，是否继续？";
        return AfxMessageBox(question.c_str(), MB_YESNO, "提示") == IDYES;
    };
    layersView = new EasyTableView(&layers, this);
    auto* layout = new QVBoxLayout(this);
    waterView->setMaximumHeight(70);
    countView->setMaximumHeight(70);
    layout->addWidget(waterView);
    layout->addWidget(countView);
    layout->addWidget(layersView, 1);
}

void CDlgTuCeng::RefreshTables()
{
    countView->UpdateTable();
    layersView->UpdateTable();
    waterView->UpdateTable();
}

CDlgSheJi::CDlgSheJi(CPelvorinData* data, QWidget* parent) : QWidget(parent)
{
    design.pData = anchors.pData = data;
    // Any change refreshes the whole page: the switch shows or hides the
    // layers' ground, the count the cables' rows.
    auto owner = Queued(this, [this](int message) {
        if (message == WM_ET_REDRAW)
            emit Redraw();
        else if (message == WM_ET_DATACHANGE)
            emit DataChange();
    });
    design.owner = anchors.owner = owner;
    designView = new EasyTableView(&design, this);
    anchorsView = new EasyTableView(&anchors, this);
    // Removing a block with values, or cables, deletes them: only when the
    // user says so.
    designView->approve = [this, data](int row, int, const std::string& text) {
        if (!data)
            return true;
        if (row == CTabKangLiSheJi::kSwitchRow && text == "否" && design.HasValues())
            return AfxMessageBox("不进行内力计算将删除本记录的抗滑桩设计数据（推力、地基系数、容许值、锚索及各土层的"
                                 "地基系数），是否继续？",
                                 MB_YESNO, "提示") == IDYES;
        if (row != design.CountRow())
            return true;
        char* end = nullptr;
        const long wanted = std::strtol(text.c_str(), &end, 10);
        const long now = static_cast<long>(data->SheJi.MaoSuo.size());
        if (end == text.c_str() || *end != '\0' || wanted < 0 || wanted >= now)
            return true;
        const std::string question = "锚索根数由 " + std::to_string(now) + " 改为 " + std::to_string(wanted) + "，将删除" +
                                     (now - wanted == 1 ? "第 " + std::to_string(now) + " 根"
                                                        : "第 " + std::to_string(wanted + 1) + " 至第 " +
                                                              std::to_string(now) + " 根") +
                                     "锚索的数据，是否继续？";
        return AfxMessageBox(question.c_str(), MB_YESNO, "提示") == IDYES;
    };
    designView->refuse = [this](int row, int col, const std::string& text) { return design.Refusal(row, col, text); };
    anchorsView->refuse = [this](int row, int col, const std::string& text) {
        return anchors.Refusal(row, col, text);
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(designView, 3);
    layout->addWidget(anchorsView, 1);
    anchorsView->setMinimumHeight(90);
    anchorsView->setVisible(data && data->bSheJi);
}

void CDlgSheJi::RefreshTables()
{
    designView->UpdateTable();
    anchorsView->UpdateTable();
    anchorsView->setVisible(design.pData && design.pData->bSheJi);
}

CDlgKangLi::CDlgKangLi(CPelvorinData* data, CKangLiJiSuan* calc, CKangLiResult* result, QWidget* parent)
    : QWidget(parent), pData(data), pJiSuan(calc), pResult(result)
{
    auto* splitter = splitter_ = new QSplitter(Qt::Horizontal, this);
    sketch = new SketchView(splitter);
    forces = new ForcesPanel(Qt::Vertical, splitter);
    forces->hide();
    tabs = new QTabWidget(splitter);
    jbxx = new CDlgKangLiJBXX(data, tabs);
    tuceng = new CDlgTuCeng(data, tabs);
    sheji = new CDlgSheJi(data, tabs);
    tabs->addTab(jbxx, "基本");
    tabs->addTab(tuceng, "土层信息");
    tabs->addTab(sheji, "抗滑桩设计");
    splitter->addWidget(sketch);
    splitter->addWidget(forces);
    splitter->addWidget(tabs);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 2);
    splitter->setStretchFactor(2, 3);
    forces->setMinimumWidth(160);
    // Neither pane can be dragged away to nothing.
    splitter->setChildrenCollapsible(false);
    sketch->setMinimumWidth(160);
    tabs->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(splitter);
    connect(jbxx, &CDlgKangLiJBXX::Redraw, this, &CDlgKangLi::RedrawSketch);
    connect(tuceng, &CDlgTuCeng::Redraw, this, &CDlgKangLi::RedrawSketch);
    connect(tuceng, &CDlgTuCeng::DataChange, this, &CDlgKangLi::RefreshPage);
    connect(sheji, &CDlgSheJi::Redraw, this, &CDlgKangLi::RedrawSketch);
    connect(sheji, &CDlgSheJi::DataChange, this, &CDlgKangLi::RefreshPage);
    connect(sketch, &SketchView::Resized, this, &CDlgKangLi::DrawSketch);
    // A page switch takes what is typed first; back on "基本" every table is
    // refreshed, and the sketch is redrawn on every switch. On "抗滑桩设计"
    // the internal forces take the sketch's place, beside what decides them.
    connect(tabs, &QTabWidget::currentChanged, this, [this](int index) {
        CommitEdits();
        const bool design = tabs->widget(index) == sheji;
        if (forces->isVisible() != design) {
            // The left pane changes what it shows, not its width: the tables
            // stay where the eye left them.
            QList<int> sizes = splitter_->sizes();
            std::swap(sizes[0], sizes[1]);
            sketch->setVisible(!design);
            forces->setVisible(design);
            splitter_->setSizes(sizes);
        }
        if (index == 0)
            RefreshPage();
        else
            RedrawSketch();
    });
    // From the keyboard: Ctrl+Tab and Ctrl+PgDn to the next page, Ctrl+Shift+Tab
    // and Ctrl+PgUp back, wherever the focus is in the window (a cell editor
    // included); the focus goes onto the page's first value.
    auto turn = [this](int step) {
        const int to = (tabs->currentIndex() + step + tabs->count()) % tabs->count();
        tabs->setCurrentIndex(to);
        FocusPage();
    };
    for (const QKeySequence& key : {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        connect(new QShortcut(key, this, nullptr, nullptr, Qt::WindowShortcut), &QShortcut::activated,
                this, [turn] { turn(1); });
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
          QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        connect(new QShortcut(key, this, nullptr, nullptr, Qt::WindowShortcut), &QShortcut::activated,
                this, [turn] { turn(-1); });
    RedrawSketch();
}

void CDlgKangLi::FocusPage()
{
    QWidget* page = tabs->currentWidget();
    (page == jbxx ? jbxx->view : page == tuceng ? tuceng->waterView : sheji->designView)->FocusFirst();
}

void CDlgKangLi::RefreshPage()
{
    jbxx->RefreshTables();
    tuceng->RefreshTables();
    sheji->RefreshTables();
    RedrawSketch();
}

bool CDlgKangLi::CommitEdits()
{
    bool taken = true;
    for (EasyTableView* v : {jbxx->view, tuceng->waterView, tuceng->countView, tuceng->layersView, sheji->designView,
                             sheji->anchorsView})
        taken = v->CommitEditor() && taken;
    // The tables tell their owners through queued messages (a new layer count
    // resizes the layer list when the layer table refreshes): deliver them now,
    // so that whoever reads the record next sees every consequence of the edit.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    return taken;
}

void CDlgKangLi::RedrawSketch()
{
    DrawSketch();
    // The forces follow every edit as the sketch does (they take a tenth of a
    // millisecond); out of sight they wait for the page to open.
    if (pData && (forces->isVisible() || !isVisible()))
        forces->Show(*pData);
    emit Edited();
}

void CDlgKangLi::DrawSketch()
{
    CBase_SGT canvas;
    if (pData)
        DrawInputSketch(*pData, &canvas);
    sketch->SetCanvas(canvas);
    // The screen draws no label smaller than it can be read: the sketch is
    // drawn again with its labels at that size, so that they are placed clear
    // of each other and of the lines as they are seen (the fit shrinks a little
    // with larger labels, hence a few rounds).
    double drawn = 0;
    for (int round = 0; round < 3 && pData; ++round) {
        const double perMetre = sketch->FitScale();
        if (perMetre <= 0)
            break;
        const double wanted = (SketchView::kMinTextPixels + 0.5) / perMetre;
        const double length = std::isfinite(pData->fZhuangChang) && pData->fZhuangChang > 0 ? pData->fZhuangChang : 10;
        if (wanted <= std::max(drawn, length / 20) * 1.02)
            break;
        drawn = wanted;
        CBase_SGT larger;
        DrawInputSketch(*pData, &larger, wanted);
        sketch->SetCanvas(larger);
    }
}
