// A drawn canvas on screen, fitted into the widget with a margin, y upwards.
#pragma once

#include "Canvas.h"

#include <QWidget>

class SketchView : public QWidget {
    Q_OBJECT
public:
    explicit SketchView(QWidget* parent = nullptr);
    void SetCanvas(const CBase_SGT& canvas);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    CBase_SGT canvas_;
};
