#include "SketchView.h"

#include "CanvasWriters.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QPainterPath>
#include <QFontMetricsF>
#include <QTransform>

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

double SketchView::FitScale() const
{
    const SgtBounds b = canvas_.Bounds();
    if (b.empty || width() <= 0 || height() <= 0)
        return 0;
    const double w = std::max(b.maxX - b.minX, 1e-9), h0 = std::max(b.maxY - b.minY, 1e-9);
    const double margin = 0.05 * std::max(w, h0);
    return std::min(width() / (w + 2 * margin), height() / (h0 + 2 * margin));
}

void SketchView::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    emit Resized();
}

void SketchView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    SgtBounds b = canvas_.Bounds();
    if (b.empty)
        return;
    const double w = std::max(b.maxX - b.minX, 1e-9), h0 = std::max(b.maxY - b.minY, 1e-9);
    const double margin = 0.05 * std::max(w, h0);
    // Fitted and centred, then the user's zoom and position. Labels keep a
    // readable size whatever the scale, so the fit is found again with them
    // until everything lies inside the widget; then it is drawn.
    double fit = std::min(width() / (w + 2 * margin), height() / (h0 + 2 * margin));
    QPointF fitShift;
    double scale = fit;
    QPointF centre;
    QRectF extent;
    bool draw = false;
    const double cx = (b.minX + b.maxX) / 2, cy = (b.minY + b.maxY) / 2;
    auto map = [&](const SgtTransform& t, double x, double y) {
        double mx, my;
        t.Apply(x, y, mx, my);
        return QPointF(centre.x() + (mx - cx) * scale, centre.y() - (my - cy) * scale);
    };
    for (int pass = 0; pass < 5; ++pass) {
    draw = pass == 4;
    scale = draw ? zoom_ * fit : fit;
    centre = QPointF(width() / 2.0, height() / 2.0) + fitShift * (draw ? zoom_ : 1.0) + (draw ? pan_ : QPointF());
    extent = QRectF();
    labels_.clear();
    auto text = [&](QPointF at, double pixels, double angle, const std::string& content) {
        // Labels are read at a size a person can read whatever the drawing's
        // scale, and never drawn over one another: the same text at the same
        // place (a depth shared by two segments) is drawn once, another label in
        // the way moves the new one down a line. One that would have to move
        // further is left out rather than shown beside something it does not
        // name (a depth tick in a small pane would creep down the scale).
        const QString s = QString::fromStdString(content);
        QFont f = painter.font();
        f.setPixelSize(static_cast<int>(std::clamp(pixels, double(kMinTextPixels), double(kMaxTextPixels))));
        painter.setFont(f);
        const QFontMetricsF m(f);
        QTransform turn;
        turn.rotate(-angle); // the model turns counter-clockwise, the screen's y points down
        const QRectF own = turn.mapRect(QRectF(0, -m.ascent(), m.horizontalAdvance(s), m.height()));
        QPointF where = at;
        for (int tries = 0; tries < 12; ++tries) {
            const QRectF box = own.translated(where);
            const auto clash = std::find_if(labels_.begin(), labels_.end(),
                                            [&box](const Label& l) { return l.box.intersects(box); });
            if (clash == labels_.end())
                break;
            if (clash->text == s && (clash->box.center() - box.center()).manhattanLength() < 0.5 * m.height())
                return;
            where.ry() = clash->box.bottom() - own.top() + 1;
            if (where.y() - at.y() > 1.5 * m.height())
                return;
        }
        labels_.push_back({s, own.translated(where)});
        extent |= own.translated(where);
        if (!draw)
            return;
        painter.save();
        painter.translate(where);
        painter.rotate(-angle);
        painter.drawText(QPointF(0, 0), s);
        painter.restore();
    };
    ForEachItem(canvas_, [&](const SgtItem& it, const SgtTransform& t) {
        if (draw)
            painter.setPen(QPen(Color(it.color), 1));
        auto line = [&](QPointF p, QPointF q) {
            extent |= QRectF(p, q).normalized().adjusted(-1, -1, 1, 1);
            if (draw)
                painter.drawLine(p, q);
        };
        switch (it.kind) {
        case SgtItem::Line:
            line(map(t, it.x1, it.y1), map(t, it.x2, it.y2));
            break;
        case SgtItem::Text: {
            if (!it.text.empty())
                text(map(t, it.x1, it.y1), it.height * t.Scale() * scale, it.angle, it.text);
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
            extent |= path.boundingRect();
            if (draw)
                painter.drawPath(path);
            break;
        }
        case SgtItem::Rect: {
            double xs[4], ys[4];
            RectCorners(it, xs, ys);
            QPolygonF poly;
            for (int k = 0; k < 4; ++k)
                poly << map(t, xs[k], ys[k]);
            extent |= poly.boundingRect();
            if (draw)
                painter.drawPolygon(poly);
            break;
        }
        case SgtItem::AlignedDim: {
            const double h = std::max(w, h0) / 40.0;
            const DimensionLines d = LayOutDimension(it, h);
            for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2})
                line(map(t, l[0], l[1]), map(t, l[2], l[3]));
            text(map(t, d.textX, d.textY), h * scale, d.textAngle, it.text);
            break;
        }
        case SgtItem::Insert:
            break;
        }
    });
    if (draw)
        break;
    // Shrink and move the fit so that the extent found lies inside, with a margin.
    const QRectF room = QRectF(rect()).adjusted(4, 4, -4, -4);
    if (!extent.isValid() || room.contains(extent))
        pass = 3;
    else {
        const double f = std::min({1.0, room.width() / extent.width(), room.height() / extent.height()});
        fit *= f;
        fitShift = f * (fitShift - (extent.center() - room.center()));
    }
    }
}