// The pile's internal forces under its design thrust as the window shows them:
// the drawing of four panels along the pile (moment, shear, displacement,
// lateral stress) and beside or below it the values at the slip surface, the
// extremes, each anchor cable's force, each check with 满足 or 不满足, and the
// reinforcement of both faces. Calculated again from the record on every
// Show (about a tenth of a millisecond), so that it is never another state's.
#pragma once

#include "PileForces.h"

#include <QWidget>

#include <string>

class CPelvorinData;
class QTextBrowser;
class SketchView;

class ForcesPanel : public QWidget {
    Q_OBJECT
public:
    // Horizontal: the drawing left of the values; vertical: above them.
    explicit ForcesPanel(Qt::Orientation orientation, QWidget* parent = nullptr);
    // Calculates the record's pile and shows it; a record without a design
    // block, or one the calculation refuses, is said so in its place.
    void Show(const CPelvorinData& record);
    const PileForces& Forces() const { return forces_; }
    SketchView* diagram = nullptr;
    QTextBrowser* values = nullptr;

private:
    PileForces forces_;
};

// Why the record's design block cannot be calculated, in Chinese naming the
// page and the cell; "" when it can, or when the record has none.
std::string DesignRefusal(const CPelvorinData& record);
// The internal-force book that 构件计算 writes beside the other books for a
// record with a design block: "<work path><stem>-nl-jss.rtf".
std::string ForcesBookPath(const CPelvorinData& record, const std::string& workPath);
