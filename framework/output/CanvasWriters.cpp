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
