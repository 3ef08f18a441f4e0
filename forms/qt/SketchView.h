// A drawn canvas on screen, fitted and centred in the widget with a margin, y
// upwards. The wheel zooms about the point under the cursor, dragging with a
// button held moves the drawing, a double click fits it again.
#pragma once

#include "Canvas.h"

#include <QWidget>

class SketchView : public QWidget {
    Q_OBJECT
public:
    explicit SketchView(QWidget* parent = nullptr);
    void SetCanvas(const CBase_SGT& canvas);

    // Back to the whole drawing fitted into the widget.
    void FitAll();
    double Zoom() const { return zoom_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    CBase_SGT canvas_;
    double zoom_ = 1.0;
    QPointF pan_;  // pixels, added after the fit
    QPointF grab_; // where a drag started
};
