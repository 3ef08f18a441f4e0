#include "CanvasWriters.h"

#include "JiSuanBase.h"

#include <cctype>
#include <algorithm>
#include <cmath>

bool WriteDxf(const CBase_SGT& canvas, const std::string& path, std::string* error);
bool WriteCairo(const CBase_SGT& canvas, const std::string& path, bool png, std::string* error);

CanvasFormat CanvasFormatOf(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return CanvasFormat::Unknown;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "dxf")
        return CanvasFormat::Dxf;
    if (ext == "svg")
        return CanvasFormat::Svg;
    if (ext == "png")
        return CanvasFormat::Png;
    return CanvasFormat::Unknown;
}

bool WriteCanvas(const CBase_SGT& canvas, const std::string& path, std::string* error)
{
    switch (CanvasFormatOf(path)) {
    case CanvasFormat::Dxf:
        return WriteDxf(canvas, path, error);
    case CanvasFormat::Svg:
        return WriteCairo(canvas, path, false, error);
    case CanvasFormat::Png:
        return WriteCairo(canvas, path, true, error);
    case CanvasFormat::Unknown:
        break;
    }
    if (error)
        *error = "unknown drawing format (use .dxf, .svg or .png)";
    return false;
}

void RectCorners(const SgtItem& it, double xs[4], double ys[4])
{
    const double a = it.angle * 3.141592653589793 / 180.0, ca = std::cos(a), sa = std::sin(a);
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
        const double a = (a0 + sweep * i / n) * 3.141592653589793 / 180.0;
        xs.push_back(it.x1 + it.radius * std::cos(a));
        ys.push_back(it.y1 + it.radius * std::sin(a));
    }
}

void UseCanvasWriters()
{
    // A diagram file in DXF gets a PNG of the same name beside it, which the
    // calculation books embed.
    SetCanvasFileWriter([](const CBase_SGT& canvas, const std::string& path, std::string* error) {
        if (!WriteCanvas(canvas, path, error))
            return false;
        if (CanvasFormatOf(path) != CanvasFormat::Dxf)
            return true;
        return WriteCanvas(canvas, path.substr(0, path.size() - 4) + ".png", error);
    });
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
    double angle = std::atan2(uy, ux) * 180.0 / 3.141592653589793;
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
