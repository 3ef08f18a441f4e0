#include "CanvasWriters.h"

#include "JiSuanBase.h"

#include <cctype>
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
