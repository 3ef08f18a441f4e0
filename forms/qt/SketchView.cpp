#include "SketchView.h"

#include "CanvasWriters.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QColor Color(int n)
{
    switch (n) {
    case 1: return QColor(217, 0, 0);
    case 2: return QColor(184, 135, 10); // yellow, darkened for a white ground
    case 3: return QColor(0, 140, 0);
    case 4: return QColor(0, 153, 179);
    case 5: return QColor(0, 0, 217);
    case 6: return QColor(191, 0, 191);
    default: return Qt::black;
    }
}

} // namespace

SketchView::SketchView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(200, 200);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void SketchView::SetCanvas(const CBase_SGT& canvas)
{
    // A redraw after an edit keeps the user's zoom and position.
    canvas_ = canvas;
    update();
}

void SketchView::FitAll()
{
    zoom_ = 1.0;
    pan_ = QPointF();
    update();
}

void SketchView::wheelEvent(QWheelEvent* e)
{
    const double steps = e->angleDelta().y() / 120.0;
    if (steps == 0) {
        e->ignore();
        return;
    }
    const double factor = std::pow(1.25, steps);
    const double zoom = std::clamp(zoom_ * factor, 0.2, 200.0);
    const double f = zoom / zoom_;
    // Keep the point under the cursor where it is.
    const QPointF centre(width() / 2.0, height() / 2.0);
    const QPointF q = e->position();
    pan_ = q - centre - f * (q - centre - pan_);
    zoom_ = zoom;
    update();
    e->accept();
}

void SketchView::mousePressEvent(QMouseEvent* e) { grab_ = e->position() - pan_; }

void SketchView::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() == Qt::NoButton)
        return;
    pan_ = e->position() - grab_;
    update();
}

void SketchView::mouseDoubleClickEvent(QMouseEvent*) { FitAll(); }

void SketchView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    SgtBounds b = canvas_.Bounds();
    if (b.empty)
        return;
    const double w = std::max(b.maxX - b.minX, 1e-9), h0 = std::max(b.maxY - b.minY, 1e-9);
    const double margin = 0.05 * std::max(w, h0);
    // Fitted and centred, then the user's zoom and position.
    const double scale = zoom_ * std::min(width() / (w + 2 * margin), height() / (h0 + 2 * margin));
    const double cx = (b.minX + b.maxX) / 2, cy = (b.minY + b.maxY) / 2;
    const QPointF centre = QPointF(width() / 2.0, height() / 2.0) + pan_;
    auto map = [&](const SgtTransform& t, double x, double y) {
        double mx, my;
        t.Apply(x, y, mx, my);
        return QPointF(centre.x() + (mx - cx) * scale, centre.y() - (my - cy) * scale);
    };
    auto text = [&](QPointF at, double pixels, double angle, const std::string& content) {
        QFont f = painter.font();
        f.setPixelSize(static_cast<int>(pixels));
        painter.setFont(f);
        painter.save();
        painter.translate(at);
        painter.rotate(-angle); // the model turns counter-clockwise, the screen's y points down
        painter.drawText(QPointF(0, 0), QString::fromStdString(content));
        painter.restore();
    };
    ForEachItem(canvas_, [&](const SgtItem& it, const SgtTransform& t) {
        painter.setPen(QPen(Color(it.color), 1));
        switch (it.kind) {
        case SgtItem::Line:
            painter.drawLine(map(t, it.x1, it.y1), map(t, it.x2, it.y2));
            break;
        case SgtItem::Text: {
            const double px = it.height * t.Scale() * scale;
            if (px >= 3 && !it.text.empty())
                text(map(t, it.x1, it.y1), px, it.angle, it.text);
            break;
        }
        case SgtItem::Arc:
        case SgtItem::Circle: {
            std::vector<double> xs, ys;
            ArcPoints(it, xs, ys);
            QPainterPath path;
            for (size_t i = 0; i < xs.size(); ++i) {
                const QPointF p = map(t, xs[i], ys[i]);
                i ? path.lineTo(p) : path.moveTo(p);
            }
            painter.drawPath(path);
            break;
        }
        case SgtItem::Rect: {
            double xs[4], ys[4];
            RectCorners(it, xs, ys);
            QPolygonF poly;
            for (int k = 0; k < 4; ++k)
                poly << map(t, xs[k], ys[k]);
            painter.drawPolygon(poly);
            break;
        }
        case SgtItem::AlignedDim: {
            const double h = std::max(w, h0) / 40.0;
            const DimensionLines d = LayOutDimension(it, h);
            for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2})
                painter.drawLine(map(t, l[0], l[1]), map(t, l[2], l[3]));
            text(map(t, d.textX, d.textY), std::max(8.0, h * scale), d.textAngle, it.text);
            break;
        }
        case SgtItem::Insert:
            break;
        }
    });
}
