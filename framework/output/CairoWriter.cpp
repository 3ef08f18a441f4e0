// SVG and PNG through cairo. The model is fitted into the picture with a margin;
// the y axis of the model points up, the picture's down.
#include "CanvasWriters.h"
#include "SafeFile.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.141592653589793;

void Rgb(int color, double& r, double& g, double& b)
{
    switch (color) {
    case 1: r = 0.85, g = 0.0, b = 0.0; return;
    case 2: r = 0.72, g = 0.53, b = 0.04; return; // yellow, darkened for white paper
    case 3: r = 0.0, g = 0.55, b = 0.0; return;
    case 4: r = 0.0, g = 0.6, b = 0.7; return;
    case 5: r = 0.0, g = 0.0, b = 0.85; return;
    case 6: r = 0.75, g = 0.0, b = 0.75; return;
    default: r = g = b = 0.0; return; // 0 (by block) and 7: black on white
    }
}

cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length)
{
    FILE* f = static_cast<FILE*>(closure);
    return std::fwrite(data, 1, length, f) == length ? CAIRO_STATUS_SUCCESS
                                                      : CAIRO_STATUS_WRITE_ERROR;
}

struct View {
    double scale = 1, offX = 0, offY = 0, height = 0;
    void Map(const SgtTransform& t, double x, double y, double& px, double& py) const
    {
        double mx, my;
        t.Apply(x, y, mx, my);
        px = (mx - offX) * scale;
        py = height - (my - offY) * scale;
    }
};

void Segment(cairo_t* cr, const View& v, const SgtTransform& t, double x1, double y1, double x2,
             double y2)
{
    double a, b, c, d;
    v.Map(t, x1, y1, a, b);
    v.Map(t, x2, y2, c, d);
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d))
        return;
    cairo_move_to(cr, a, b);
    cairo_line_to(cr, c, d);
    cairo_stroke(cr);
}

void Polyline(cairo_t* cr, const View& v, const SgtTransform& t, const double* xs, const double* ys,
              int n, bool closed)
{
    for (int i = 0; i < n; ++i) {
        double px, py;
        v.Map(t, xs[i], ys[i], px, py);
        if (!std::isfinite(px) || !std::isfinite(py)) {
            cairo_new_path(cr);
            return;
        }
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    if (closed)
        cairo_close_path(cr);
    cairo_stroke(cr);
}

void Text(cairo_t* cr, const View& v, const SgtTransform& t, double x, double y, double height,
          double angle, const std::string& text)
{
    double px, py;
    v.Map(t, x, y, px, py);
    const double size = height * t.Scale() * v.scale;
    if (!std::isfinite(px) || !std::isfinite(py) || !(size > 0.5) || text.empty())
        return;
    cairo_save(cr);
    cairo_move_to(cr, px, py);
    // The model turns counter-clockwise; the picture's y axis points down.
    cairo_rotate(cr, -angle * kPi / 180.0);
    cairo_set_font_size(cr, size);
    cairo_show_text(cr, text.c_str());
    cairo_restore(cr);
}

void Arc(cairo_t* cr, const View& v, const SgtTransform& t, const SgtItem& it)
{
    // Sampled, so that any placement of an inserted drawing maps it exactly.
    std::vector<double> xs, ys;
    ArcPoints(it, xs, ys);
    if (!xs.empty())
        Polyline(cr, v, t, xs.data(), ys.data(), static_cast<int>(xs.size()), false);
}

void Draw(cairo_t* cr, const CBase_SGT& canvas, const View& v, double textHeight)
{
    ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform& t) {
        double r, g, b;
        Rgb(it.color, r, g, b);
        cairo_set_source_rgb(cr, r, g, b);
        switch (it.kind) {
        case SgtItem::Line:
            Segment(cr, v, t, it.x1, it.y1, it.x2, it.y2);
            break;
        case SgtItem::Text:
            Text(cr, v, t, it.x1, it.y1, it.height, it.angle, it.text);
            break;
        case SgtItem::Arc:
        case SgtItem::Circle:
            Arc(cr, v, t, it);
            break;
        case SgtItem::Rect: {
            double xs[4], ys[4];
            RectCorners(it, xs, ys);
            Polyline(cr, v, t, xs, ys, 4, true);
            break;
        }
        case SgtItem::AlignedDim: {
            const DimensionLines d = LayOutDimension(it, textHeight);
            for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2})
                Segment(cr, v, t, l[0], l[1], l[2], l[3]);
            Text(cr, v, t, d.textX, d.textY, textHeight, d.textAngle, it.text);
            break;
        }
        case SgtItem::Insert:
            break;
        }
    });
}

} // namespace

bool WriteCairo(const CBase_SGT& canvas, const std::string& path, bool png, std::string* error)
{
    SgtBounds bounds = canvas.Bounds();
    if (bounds.empty) {
        bounds.Add(0, 0);
        bounds.Add(1, 1);
    }
    double w = bounds.maxX - bounds.minX, h = bounds.maxY - bounds.minY;
    const double extent = std::max(w, h) > 0 ? std::max(w, h) : 1.0;
    w = std::max(w, extent * 0.05);
    h = std::max(h, extent * 0.05);
    // The longer side spans 1600 pixels (PNG) or 800 points (SVG), with a margin.
    const double target = png ? 1600.0 : 800.0;
    const double margin = 0.04 * std::max(w, h);
    View v;
    v.scale = target / (std::max(w, h) + 2 * margin);
    v.offX = bounds.minX - margin;
    v.offY = bounds.minY - margin;
    const double pw = (w + 2 * margin) * v.scale, ph = (h + 2 * margin) * v.scale;
    v.height = ph;
    // Dimension texts take a size from the drawing's extent.
    const double dimText = extent / 40.0;

    SafeFileWriter writer(path);
    FILE* f = writer.open();
    if (!f) {
        if (error)
            *error = writer.error();
        return false;
    }
    cairo_surface_t* surface =
        png ? cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(pw)),
                                         static_cast<int>(std::ceil(ph)))
            : cairo_svg_surface_create_for_stream(WriteToFile, f, pw, ph);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_line_width(cr, png ? 1.5 : 0.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_select_font_face(cr, "WenQuanYi Zen Hei", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    Draw(cr, canvas, v, dimText);
    cairo_destroy(cr);
    cairo_status_t status;
    if (png) {
        status = cairo_surface_write_to_png_stream(surface, WriteToFile, f);
        cairo_surface_destroy(surface);
    } else {
        cairo_surface_finish(surface);
        status = cairo_surface_status(surface);
        cairo_surface_destroy(surface);
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        if (error)
            *error = std::string("cannot draw: ") + cairo_status_to_string(status);
        return false;
    }
    if (!writer.commit()) {
        if (error)
            *error = writer.error();
        return false;
    }
    return true;
}
