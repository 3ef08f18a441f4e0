#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace {
}

SgtTransform SgtTransform::Then(const SgtItem& insert) const
{
    const double r = insert.angle * kPi / 180.0;
    const double ca = std::cos(r), sa = std::sin(r);
    SgtTransform own{ca * insert.scaleX, -sa * insert.scaleY, sa * insert.scaleX,
                     ca * insert.scaleY, insert.x1, insert.y1};
    SgtTransform out;
    out.a = a * own.a + b * own.c;
    out.b = a * own.b + b * own.d;
    out.c = c * own.a + d * own.c;
    out.d = c * own.b + d * own.d;
    out.e = a * own.e + b * own.f + e;
    out.f = c * own.e + d * own.f + f;
    return out;
}

double SgtTransform::Scale() const { return std::sqrt(std::fabs(a * d - b * c)); }

void SgtBounds::Add(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
        return;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

SgtItem& CBase_SGT::Add(SgtItem::Kind kind)
{
    SgtItem item;
    item.kind = kind;
    item.color = nCurColor;
    item.style = strCurStyle;
    item.layer = strCurLayer;
    items.push_back(std::move(item));
    return items.back();
}

void CBase_SGT::Draw_Line(double x1, double y1, double x2, double y2, int)
{
    SgtItem& it = Add(SgtItem::Line);
    it.x1 = x1;
    it.y1 = y1;
    it.x2 = x2;
    it.y2 = y2;
}

void CBase_SGT::Draw_Text(double x, double y, double height, double angle, const char* text)
{
    SgtItem& it = Add(SgtItem::Text);
    it.x1 = x;
    it.y1 = y;
    it.height = height;
    it.angle = angle;
    it.text = text ? text : "";
}

void CBase_SGT::Draw_Arc(double cx, double cy, double r, double a0, double a1, int)
{
    SgtItem& it = Add(SgtItem::Arc);
    it.x1 = cx;
    it.y1 = cy;
    it.radius = r;
    it.angle0 = a0;
    it.angle1 = a1;
}

void CBase_SGT::Draw_Circle(double cx, double cy, double r, int)
{
    SgtItem& it = Add(SgtItem::Circle);
    it.x1 = cx;
    it.y1 = cy;
    it.radius = r;
}

void CBase_SGT::Draw_Rect_C(double width, double height, double cx, double cy, double angle)
{
    SgtItem& it = Add(SgtItem::Rect);
    it.width = width;
    it.height = height;
    it.x1 = cx;
    it.y1 = cy;
    it.angle = angle;
}

void CBase_SGT::Draw_AlignedDim(double x1, double y1, double x2, double y2, double x3, double y3,
                                const char* text, const char* style)
{
    SgtItem& it = Add(SgtItem::AlignedDim);
    it.x1 = x1;
    it.y1 = y1;
    it.x2 = x2;
    it.y2 = y2;
    it.x3 = x3;
    it.y3 = y3;
    it.text = text ? text : "";
    it.style = style ? style : "";
}

void CBase_SGT::InsertDxf(const CBase_SGT& drawing, double dx, double dy, double scaleX,
                          double scaleY, double rotation)
{
    SgtItem& it = Add(SgtItem::Insert);
    it.block = std::make_shared<const CBase_SGT>(drawing);
    it.x1 = dx;
    it.y1 = dy;
    it.scaleX = scaleX;
    it.scaleY = scaleY;
    it.angle = rotation;
}

void ForEachItem(const CBase_SGT& canvas,
                 const std::function<void(const SgtItem&, const SgtTransform&)>& visit)
{
    struct Walker {
        const std::function<void(const SgtItem&, const SgtTransform&)>& visit;
        void Walk(const CBase_SGT& c, const SgtTransform& t, int depth)
        {
            if (depth > 16)
                return;
            for (const SgtItem& it : c.items) {
                if (it.kind == SgtItem::Insert) {
                    if (it.block)
                        Walk(*it.block, t.Then(it), depth + 1);
                } else {
                    visit(it, t);
                }
            }
        }
    } walker{visit};
    walker.Walk(canvas, SgtTransform{}, 0);
}

SgtBounds CBase_SGT::Bounds() const
{
    SgtBounds b;
    ForEachItem(*this, [&b](const SgtItem& it, const SgtTransform& t) {
        auto add = [&](double x, double y) {
            double ox, oy;
            t.Apply(x, y, ox, oy);
            b.Add(ox, oy);
        };
        switch (it.kind) {
        case SgtItem::Line:
            add(it.x1, it.y1);
            add(it.x2, it.y2);
            break;
        case SgtItem::Text: {
            // Width estimate: a CJK character about one height wide, others 0.6.
            double w = 0;
            for (unsigned char ch : it.text) {
                if (ch < 0x80)
                    w += 0.6;
                else if ((ch & 0xC0) != 0x80)
                    w += 1.0;
            }
            add(it.x1, it.y1);
            add(it.x1 + w * it.height, it.y1 + it.height);
            break;
        }
        case SgtItem::Arc:
        case SgtItem::Circle:
            add(it.x1 - it.radius, it.y1 - it.radius);
            add(it.x1 + it.radius, it.y1 + it.radius);
            break;
        case SgtItem::Rect:
            add(it.x1 - it.width / 2, it.y1 - it.height / 2);
            add(it.x1 + it.width / 2, it.y1 + it.height / 2);
            break;
        case SgtItem::AlignedDim:
            add(it.x1, it.y1);
            add(it.x2, it.y2);
            add(it.x3, it.y3);
            break;
        case SgtItem::Insert:
            break;
        }
    });
    return b;
}

CBase_SGT* NewMemDxf() { return new CBase_SGT; }

double JH_GetAngle(double x0, double y0, double x1, double y1)
{
    double a = std::atan2(y1 - y0, x1 - x0);
    if (a < 0)
        a += 2 * kPi;
    return a;
}

int JH_GetInterPoint_Circle_LineSection(double cx, double cy, double r, double x1, double y1,
                                        double x2, double y2, double tol, double px[2],
                                        double py[2])
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double a = dx * dx + dy * dy;
    if (a <= 0 || !(r >= 0))
        return 0;
    const double fx = x1 - cx, fy = y1 - cy;
    const double b = 2 * (fx * dx + fy * dy);
    const double c = fx * fx + fy * fy - r * r;
    double disc = b * b - 4 * a * c;
    if (disc < 0) {
        if (disc > -tol * a)
            disc = 0; // grazing within the tolerance
        else
            return 0;
    }
    const double root = std::sqrt(disc);
    // The point nearer the segment's end comes first: the slip arc of the
    // sketch, drawn counter-clockwise from the second point to the first, then
    // is the arc below the slope line, through the pile.
    const double ts[2] = {(-b + root) / (2 * a), (-b - root) / (2 * a)};
    const double len = std::sqrt(a);
    int n = 0;
    for (int k = 0; k < 2; ++k) {
        if (k == 1 && root == 0)
            break;
        const double t = ts[k];
        if (t * len < -tol || (t - 1) * len > tol)
            continue;
        px[n] = x1 + t * dx;
        py[n] = y1 + t * dy;
        ++n;
    }
    return n;
}

void RectCorners(const SgtItem& it, double xs[4], double ys[4])
{
    const double a = it.angle * kPi / 180.0, ca = std::cos(a), sa = std::sin(a);
    const double hw = it.width / 2, hh = it.height / 2;
    const double dx[4] = {-hw, hw, hw, -hw}, dy[4] = {-hh, -hh, hh, hh};
    for (int k = 0; k < 4; ++k) {
        xs[k] = it.x1 + dx[k] * ca - dy[k] * sa;
        ys[k] = it.y1 + dx[k] * sa + dy[k] * ca;
    }
}

void ArcPoints(const SgtItem& it, std::vector<double>& xs, std::vector<double>& ys)
{
    xs.clear();
    ys.clear();
    const bool circle = it.kind == SgtItem::Circle;
    double sweep = circle ? 360 : it.angle1 - it.angle0;
    if (!std::isfinite(sweep) || !std::isfinite(it.radius) || !std::isfinite(it.angle0))
        return;
    sweep = std::fmod(sweep, 360.0);
    if (sweep <= 0)
        sweep += 360;
    const double a0 = circle ? 0 : it.angle0;
    const int n = std::max(8, static_cast<int>(sweep / 3));
    for (int i = 0; i <= n; ++i) {
        const double a = (a0 + sweep * i / n) * kPi / 180.0;
        xs.push_back(it.x1 + it.radius * std::cos(a));
        ys.push_back(it.y1 + it.radius * std::sin(a));
    }
}

DimensionLines LayOutDimension(const SgtItem& d, double textHeight)
{
    DimensionLines out{};
    const double dx = d.x2 - d.x1, dy = d.y2 - d.y1;
    const double len = std::hypot(dx, dy);
    const double ux = len > 0 ? dx / len : 1, uy = len > 0 ? dy / len : 0;
    const double nx = -uy, ny = ux; // normal, to the left of the measured direction
    // The dimension line lies where the placing point is, across the direction.
    const double off = (d.x3 - d.x1) * nx + (d.y3 - d.y1) * ny;
    const double side = off < 0 ? -1 : 1;
    const double over = 0.3 * textHeight * side; // extension lines pass the dimension line
    const double ax = d.x1 + off * nx, ay = d.y1 + off * ny;
    const double bx = d.x2 + off * nx, by = d.y2 + off * ny;
    auto set = [](double* l, double x1, double y1, double x2, double y2) {
        l[0] = x1;
        l[1] = y1;
        l[2] = x2;
        l[3] = y2;
    };
    set(out.ext1, d.x1, d.y1, ax + over * nx, ay + over * ny);
    set(out.ext2, d.x2, d.y2, bx + over * nx, by + over * ny);
    set(out.dim, ax, ay, bx, by);
    // Oblique ticks at the ends, as on construction drawings.
    const double tx = 0.35 * textHeight * (ux + nx), ty = 0.35 * textHeight * (uy + ny);
    set(out.tick1, ax - tx, ay - ty, ax + tx, ay + ty);
    set(out.tick2, bx - tx, by - ty, bx + tx, by + ty);
    // The text sits above the middle of the dimension line, reading upright.
    double angle = std::atan2(uy, ux) * 180.0 / kPi;
    double rx = ux, ry = uy;
    if (angle > 90.0 || angle <= -90.0) {
        angle += angle > 0 ? -180.0 : 180.0;
        rx = -ux;
        ry = -uy;
    }
    const double upx = -ry, upy = rx; // up for the upright text
    const double mx = (ax + bx) / 2, my = (ay + by) / 2;
    const double width = 0.6 * textHeight * static_cast<double>(d.text.size());
    out.textX = mx - rx * width / 2 + upx * 0.3 * textHeight;
    out.textY = my - ry * width / 2 + upy * 0.3 * textHeight;
    out.textAngle = angle;
    return out;
}

double TextMetrics::Length(const std::string& utf8)
{
    double w = 0;
    for (unsigned char ch : utf8) {
        if (ch < 0x80)
            w += kLatin;
        else if ((ch & 0xC0) != 0x80)
            w += kWide;
    }
    return w;
}

bool TextMetrics::HasWide(const std::string& utf8)
{
    for (unsigned char ch : utf8)
        if (ch >= 0x80)
            return true;
    return false;
}

namespace {

// An arc's extent: its ends and the points of its sweep at 0, 90, 180 and 270
// degrees.
void AddArc(SgtBounds& b, const SgtItem& it, const SgtTransform& t)
{
    auto add = [&](double a) {
        double ox, oy;
        const double r = a * kPi / 180.0;
        t.Apply(it.x1 + it.radius * std::cos(r), it.y1 + it.radius * std::sin(r), ox, oy);
        b.Add(ox, oy);
    };
    const bool similar = std::fabs(t.a - t.d) < 1e-12 * (std::fabs(t.a) + 1) &&
                         std::fabs(t.b + t.c) < 1e-12 * (std::fabs(t.b) + 1) && t.a * t.d - t.b * t.c > 0;
    if (!similar) { // a sheared, stretched or mirrored arc: as the writers draw it, sampled
        std::vector<double> xs, ys;
        ArcPoints(it, xs, ys);
        for (size_t i = 0; i < xs.size(); ++i) {
            double ox, oy;
            t.Apply(xs[i], ys[i], ox, oy);
            b.Add(ox, oy);
        }
        return;
    }
    double sweep = it.kind == SgtItem::Circle ? 360 : it.angle1 - it.angle0;
    if (!std::isfinite(sweep) || !std::isfinite(it.angle0))
        return;
    sweep = std::fmod(sweep, 360.0);
    if (sweep <= 0)
        sweep += 360;
    const double a0 = it.kind == SgtItem::Circle ? 0 : it.angle0;
    add(a0);
    add(a0 + sweep);
    // A turn of the map turns the arc's sweep with it; the quadrant points are
    // those of the drawing.
    const double turn = std::atan2(t.c, t.a) * 180.0 / kPi;
    for (int q = -4; q <= 8; ++q) {
        const double a = q * 90.0 - turn; // in the item's own angles
        if (a > a0 && a < a0 + sweep)
            add(a);
    }
}

// A text's box: from the descent below the baseline to the top of its tallest
// characters, as long as its estimated length.
void AddText(SgtBounds& b, const SgtTransform& t, double x, double y, double height, double angle,
             const std::string& text, double lengthScale)
{
    if (!(height > 0) || text.empty())
        return;
    const double len = TextMetrics::Length(text) * height * lengthScale;
    const double top = (TextMetrics::HasWide(text) ? TextMetrics::kWideTop : 1.0) * height;
    const double bottom = -TextMetrics::kDescent * height;
    const double r = angle * kPi / 180.0, ca = std::cos(r), sa = std::sin(r);
    for (double along : {0.0, len})
        for (double up : {bottom, top}) {
            double ox, oy;
            t.Apply(x + along * ca - up * sa, y + along * sa + up * ca, ox, oy);
            b.Add(ox, oy);
        }
}

} // namespace

SgtBounds DrawnBounds(const CBase_SGT& canvas, double dimTextHeight, double textLengthScale)
{
    SgtBounds b;
    ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform& t) {
        auto add = [&](double x, double y) {
            double ox, oy;
            t.Apply(x, y, ox, oy);
            b.Add(ox, oy);
        };
        switch (it.kind) {
        case SgtItem::Line:
            add(it.x1, it.y1);
            add(it.x2, it.y2);
            break;
        case SgtItem::Text:
            AddText(b, t, it.x1, it.y1, it.height, it.angle, it.text, textLengthScale);
            break;
        case SgtItem::Arc:
        case SgtItem::Circle:
            if (std::isfinite(it.radius))
                AddArc(b, it, t);
            break;
        case SgtItem::Rect: {
            double xs[4], ys[4];
            RectCorners(it, xs, ys);
            for (int k = 0; k < 4; ++k)
                add(xs[k], ys[k]);
            break;
        }
        case SgtItem::AlignedDim: {
            const DimensionLines d = LayOutDimension(it, dimTextHeight);
            for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2}) {
                add(l[0], l[1]);
                add(l[2], l[3]);
            }
            AddText(b, t, d.textX, d.textY, dimTextHeight, d.textAngle, it.text, textLengthScale);
            break;
        }
        case SgtItem::Insert:
            break;
        }
    });
    return b;
}
