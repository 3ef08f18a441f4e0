// A drawn canvas on screen, fitted and centred in the widget with a margin, y
// upwards. The wheel zooms about the point under the cursor, dragging with a
// button held moves the drawing, a double click fits it again.
#pragma once

#include "Canvas.h"

#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

class SketchView : public QWidget {
    Q_OBJECT
public:
    explicit SketchView(QWidget* parent = nullptr);
    void SetCanvas(const CBase_SGT& canvas);

    // Back to the whole drawing fitted into the widget.
    void FitAll();
    double Zoom() const { return zoom_; }
    const CBase_SGT& Canvas() const { return canvas_; }
    // Pixels per drawing unit of the fitted drawing (before the user's zoom);
    // 0 when there is nothing to fit.
    double FitScale() const;

    // The labels as the last paint placed them, in widget pixels.
    struct Label {
        QString text;
        QRectF box;
    };
    const std::vector<Label>& Labels() const { return labels_; }
    // The sizes labels are drawn at, whatever the zoom.
    static constexpr int kMinTextPixels = 11, kMaxTextPixels = 22;

signals:
    // The widget changed size: a drawing whose labels are sized for the screen
    // is drawn again.
    void Resized();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    CBase_SGT canvas_;
    double zoom_ = 1.0;
    QPointF pan_;  // pixels, added after the fit
    QPointF grab_; // where a drag started
    std::vector<Label> labels_;
};
