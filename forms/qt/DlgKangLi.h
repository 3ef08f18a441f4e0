// The main input page: the calculation sketch on the left, on the right the
// form pages "基本" (pile table), "土层信息" (water, layer-count and layer
// tables) and "抗滑桩设计" (the design block and its anchor cables; the left
// pane then shows the pile's internal forces instead of the sketch). Every
// accepted edit is already in the record; the page keeps the sketch, the forces
// and the tables in step with it.
#pragma once

#include "TabKangLi.h"

#include <QWidget>

class CPelvorinData;
class CKangLiJiSuan;
class CKangLiResult;
class EasyTableView;
class ForcesPanel;
class SketchView;
class QSplitter;
class QTabWidget;

// The pile information form.
class CDlgKangLiJBXX : public QWidget {
    Q_OBJECT
public:
    CDlgKangLiJBXX(CPelvorinData* data, QWidget* parent = nullptr);
    void RefreshTables();
    CTabKangLiJBXX table;
    EasyTableView* view = nullptr;
signals:
    void Redraw();
};

// The soil layer form: water on top, the layer count below it, the layers last.
class CDlgTuCeng : public QWidget {
    Q_OBJECT
public:
    CDlgTuCeng(CPelvorinData* data, QWidget* parent = nullptr);
    void RefreshTables();
    CTabKangLiTCNum count;
    CTabKangLiTuCeng layers;
    CTabKangLiSMX water;
    EasyTableView *countView = nullptr, *layersView = nullptr, *waterView = nullptr;
signals:
    void Redraw();
    void DataChange();
};

// The design form: the switch, the design keys and the anchor count above, one
// row per anchor cable below (shown only with a design block).
class CDlgSheJi : public QWidget {
    Q_OBJECT
public:
    CDlgSheJi(CPelvorinData* data, QWidget* parent = nullptr);
    void RefreshTables();
    CTabKangLiSheJi design;
    CTabKangLiMaoSuo anchors;
    EasyTableView *designView = nullptr, *anchorsView = nullptr;
signals:
    void Redraw();
    void DataChange();
};

class CDlgKangLi : public QWidget {
    Q_OBJECT
public:
    CDlgKangLi(CPelvorinData* data, CKangLiJiSuan* calc, CKangLiResult* result,
               QWidget* parent = nullptr);
    CPelvorinData* GetJsData() const { return pData; }
    CKangLiJiSuan* GetJiSuan() const { return pJiSuan; }
    CKangLiResult* GetJsResult() const { return pResult; }
    // Every table from the record, then the sketch.
    void RefreshPage();
    // Takes what is typed into any open cell editor into the record, with the
    // refreshes it causes, as if the user had pressed Enter. Commands of the
    // frame and page switches call it before they read the record.
    // Takes what is typed in every table; false when a value was refused.
    bool CommitEdits();
    void RedrawSketch();
    // The focus onto the first value of the page on show.
    void FocusPage();

    CDlgKangLiJBXX* jbxx = nullptr;
    CDlgTuCeng* tuceng = nullptr;
    CDlgSheJi* sheji = nullptr;
    QTabWidget* tabs = nullptr;
    // The internal forces, in the sketch's place while "抗滑桩设计" is open.
    ForcesPanel* forces = nullptr;

signals:
    // After every change of the record that the page shows (the sketch is
    // redrawn after each accepted edit).
    void Edited();

private:
    // The sketch, its labels sized for the pane it is seen in.
    void DrawSketch();
    CPelvorinData* pData;
    CKangLiJiSuan* pJiSuan;
    CKangLiResult* pResult;
    SketchView* sketch = nullptr;
    QSplitter* splitter_ = nullptr;
};
