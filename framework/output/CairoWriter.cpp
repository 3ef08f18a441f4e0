// SVG and PNG from one drawing routine: PNG through cairo, SVG written here so
// that its texts stay text (cairo's SVG surface writes glyph outlines, which
// cannot be selected or searched). The model is fitted into the picture with a
// margin, the longer side 1600 pixels; the y axis of the model points up, the
// picture's down. A text is drawn as high as the DXF's text height (the height
// of the capitals), and an item the canvas draws twice is drawn once, as in the
// DXF.
#include "CanvasWriters.h"
#include "SafeFile.h"

#include <cairo.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

constexpr double kLongSide = 1600.0;
constexpr char kFont[] = "WenQuanYi Zen Hei";
// Where a viewer of the SVG lacks the font: other fonts with Chinese glyphs.
constexpr char kSvgFonts[] = "'WenQuanYi Zen Hei', 'Noto Sans CJK SC', 'Source Han Sans SC', 'Microsoft YaHei', "
                             "SimHei, sans-serif";

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

cairo_status_t WriteToString(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// A number for the SVG, the same whatever the locale.
std::string Num(double v)
{
    if (!std::isfinite(v) || std::fabs(v) < 5e-4)
        v = 0;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::round(v * 1000) / 1000, std::chars_format::general, 10);
    return res.ec == std::errc() ? std::string(buf, res.ptr) : "0";
}

std::string XmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20)
                out += c;
        }
    }
    return out;
}

// What the picture is drawn with: cairo for PNG, SVG elements for SVG.
class Painter {
public:
    virtual ~Painter() = default;
    virtual void SetColor(int color) = 0;
    // Points in picture coordinates; closed joins the last to the first.
    virtual void Path(const double* xs, const double* ys, int n, bool closed) = 0;
    // Baseline start, em size, angle in degrees counter-clockwise.
    virtual void Text(double x, double y, double size, double angle, const std::string& text) = 0;
};

class CairoPainter : public Painter {
public:
    explicit CairoPainter(cairo_t* cr) : cr_(cr) {}
    void SetColor(int color) override
    {
        double r, g, b;
        Rgb(color, r, g, b);
        cairo_set_source_rgb(cr_, r, g, b);
    }
    void Path(const double* xs, const double* ys, int n, bool closed) override
    {
        for (int i = 0; i < n; ++i) {
            if (i == 0)
                cairo_move_to(cr_, xs[i], ys[i]);
            else
                cairo_line_to(cr_, xs[i], ys[i]);
        }
        if (closed)
            cairo_close_path(cr_);
        cairo_stroke(cr_);
    }
    void Text(double x, double y, double size, double angle, const std::string& text) override
    {
        cairo_save(cr_);
        cairo_move_to(cr_, x, y);
        // The model turns counter-clockwise; the picture's y axis points down.
        cairo_rotate(cr_, -angle * kPi / 180.0);
        cairo_set_font_size(cr_, size);
        cairo_show_text(cr_, text.c_str());
        cairo_restore(cr_);
    }

private:
    cairo_t* cr_;
};

class SvgPainter : public Painter {
public:
    SvgPainter(double width, double height, double lineWidth)
    {
        out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(width) + "\" height=\"" + Num(height) +
               "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) + "\">\n"
               "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
               "<g fill=\"none\" stroke-width=\"" + Num(lineWidth) + "\" stroke-linecap=\"round\" "
               "font-family=\"" + std::string(kSvgFonts) + "\">\n";
    }
    void SetColor(int color) override
    {
        double r, g, b;
        Rgb(color, r, g, b);
        char buf[16];
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(std::lround(r * 255)),
                      static_cast<int>(std::lround(g * 255)), static_cast<int>(std::lround(b * 255)));
        color_ = buf;
    }
    void Path(const double* xs, const double* ys, int n, bool closed) override
    {
        if (n < 2)
            return;
        out_ += n == 2 && !closed ? "<line x1=\"" + Num(xs[0]) + "\" y1=\"" + Num(ys[0]) + "\" x2=\"" + Num(xs[1]) +
                                        "\" y2=\"" + Num(ys[1]) + "\""
                                  : std::string(closed ? "<polygon" : "<polyline") + " points=\"" + Points(xs, ys, n) + "\"";
        out_ += " stroke=\"" + color_ + "\"/>\n";
    }
    void Text(double x, double y, double size, double angle, const std::string& text) override
    {
        out_ += "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" + Num(size) + "\" fill=\"" + color_ + "\"";
        if (angle != 0)
            out_ += " transform=\"rotate(" + Num(-angle) + " " + Num(x) + " " + Num(y) + ")\"";
        out_ += ">" + XmlEscape(text) + "</text>\n";
    }
    std::string Finish() { return out_ + "</g>\n</svg>\n"; }

private:
    static std::string Points(const double* xs, const double* ys, int n)
    {
        std::string p;
        for (int i = 0; i < n; ++i)
            p += (i ? " " : "") + Num(xs[i]) + "," + Num(ys[i]);
        return p;
    }
    std::string out_, color_ = "#000000";
};

struct View {
    double scale = 1, offX = 0, offY = 0, height = 0;
    double em = TextMetrics::kEm; // font size per text height
    void Map(const SgtTransform& t, double x, double y, double& px, double& py) const
    {
        double mx, my;
        t.Apply(x, y, mx, my);
        px = (mx - offX) * scale;
        py = height - (my - offY) * scale;
    }
};

void Polyline(Painter& p, const View& v, const SgtTransform& t, const double* xs, const double* ys, int n,
              bool closed)
{
    std::vector<double> px(static_cast<size_t>(n)), py(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        v.Map(t, xs[i], ys[i], px[i], py[i]);
        if (!std::isfinite(px[i]) || !std::isfinite(py[i]))
            return;
    }
    p.Path(px.data(), py.data(), n, closed);
}

void Segment(Painter& p, const View& v, const SgtTransform& t, double x1, double y1, double x2, double y2)
{
    const double xs[2] = {x1, x2}, ys[2] = {y1, y2};
    Polyline(p, v, t, xs, ys, 2, false);
}

void Text(Painter& p, const View& v, const SgtTransform& t, double x, double y, double height, double angle,
          const std::string& text)
{
    double px, py;
    v.Map(t, x, y, px, py);
    const double size = height * t.Scale() * v.scale * v.em;
    if (!std::isfinite(px) || !std::isfinite(py) || !(size > 0.5) || text.empty())
        return;
    p.Text(px, py, size, angle + std::atan2(t.c, t.a) * 180.0 / kPi, text);
}

void Arc(Painter& p, const View& v, const SgtTransform& t, const SgtItem& it)
{
    // Sampled, so that any placement of an inserted drawing maps it exactly.
    std::vector<double> xs, ys;
    ArcPoints(it, xs, ys);
    if (!xs.empty())
        Polyline(p, v, t, xs.data(), ys.data(), static_cast<int>(xs.size()), false);
}

// Two items that draw the same thing in the same place have the same key.
std::string Key(const SgtItem& it, const SgtTransform& t)
{
    std::string k = std::to_string(it.kind) + "|" + std::to_string(it.color) + "|" + it.layer + "|" + it.style +
                    "|" + it.text;
    for (double d : {it.x1, it.y1, it.x2, it.y2, it.x3, it.y3, it.height, it.width, it.radius, it.angle0,
                     it.angle1, it.angle, t.a, t.b, t.c, t.d, t.e, t.f}) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "|%a", d);
        k += buf;
    }
    return k;
}

void Draw(Painter& p, const CBase_SGT& canvas, const View& v, double textHeight)
{
    std::set<std::string> seen;
    ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform& t) {
        if (!seen.insert(Key(it, t)).second)
            return; // drawn already (the earth-pressure diagram repeats its interior labels)
        p.SetColor(it.color);
        switch (it.kind) {
        case SgtItem::Line:
            Segment(p, v, t, it.x1, it.y1, it.x2, it.y2);
            break;
        case SgtItem::Text:
            Text(p, v, t, it.x1, it.y1, it.height, it.angle, it.text);
            break;
        case SgtItem::Arc:
        case SgtItem::Circle:
            Arc(p, v, t, it);
            break;
        case SgtItem::Rect: {
            double xs[4], ys[4];
            RectCorners(it, xs, ys);
            Polyline(p, v, t, xs, ys, 4, true);
            break;
        }
        case SgtItem::AlignedDim: {
            const DimensionLines d = LayOutDimension(it, textHeight);
            for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2})
                Segment(p, v, t, l[0], l[1], l[2], l[3]);
            Text(p, v, t, d.textX, d.textY, textHeight, d.textAngle, it.text);
            break;
        }
        case SgtItem::Insert:
            break;
        }
    });
}

// The font size that draws capitals one unit high, measured from the font
// cairo finds (the estimate where it finds none).
double EmPerCapHeight(cairo_t* cr)
{
    cairo_save(cr);
    cairo_set_font_size(cr, 1000);
    cairo_text_extents_t e;
    cairo_text_extents(cr, "H", &e);
    cairo_restore(cr);
    const double cap = -e.y_bearing / 1000;
    return cap > 0.3 && cap < 1.2 ? 1 / cap : TextMetrics::kEm;
}

} // namespace

bool WriteCairo(const CBase_SGT& canvas, const std::string& path, bool png, std::string* error)
{
    // Dimension texts take a size from the drawing's extent, as in the DXF.
    const SgtBounds model = canvas.Bounds();
    const double dimText =
        (model.empty ? 1.0 : std::max(model.maxX - model.minX, model.maxY - model.minY)) / 40.0;
    SgtBounds bounds = DrawnBounds(canvas, dimText);
    if (bounds.empty) {
        bounds.Add(0, 0);
        bounds.Add(1, 1);
    }
    double w = bounds.maxX - bounds.minX, h = bounds.maxY - bounds.minY;
    const double extent = std::max(w, h) > 0 ? std::max(w, h) : 1.0;
    w = std::max(w, extent * 0.05);
    h = std::max(h, extent * 0.05);
    // The longer side spans exactly 1600 pixels, with a margin; the shorter
    // side is rounded to whole pixels and the drawing centred across it.
    const double margin = 0.04 * std::max(w, h);
    View v;
    v.scale = kLongSide / (std::max(w, h) + 2 * margin);
    const int pw = w >= h ? static_cast<int>(kLongSide) : static_cast<int>(std::lround((w + 2 * margin) * v.scale));
    const int ph = h > w ? static_cast<int>(kLongSide) : static_cast<int>(std::lround((h + 2 * margin) * v.scale));
    v.offX = (bounds.minX + bounds.maxX) / 2 - pw / v.scale / 2;
    v.offY = (bounds.minY + bounds.maxY) / 2 - ph / v.scale / 2;
    v.height = ph;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, png ? pw : 1, png ? ph : 1);
    cairo_t* cr = cairo_create(surface);
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    v.em = EmPerCapHeight(cr);
    const double lineWidth = 1.5;
    std::string file;
    cairo_status_t status = CAIRO_STATUS_SUCCESS;
    if (png) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_line_width(cr, lineWidth);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        CairoPainter painter(cr);
        Draw(painter, canvas, v, dimText);
        status = cairo_status(cr);
        if (status == CAIRO_STATUS_SUCCESS)
            status = cairo_surface_write_to_png_stream(surface, WriteToString, &file);
    } else {
        SvgPainter painter(pw, ph, lineWidth);
        Draw(painter, canvas, v, dimText);
        file = painter.Finish();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        if (error)
            *error = std::string("cannot draw: ") + cairo_status_to_string(status);
        return false;
    }
    return WriteFileSafely(path, file, error);
}
