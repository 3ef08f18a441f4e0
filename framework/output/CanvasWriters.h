// Writers that turn a drawn canvas into a file: DXF (R2000, for CAD), SVG and PNG
// (for books and screens). The format follows the file-name extension. Every
// file goes through a temporary file renamed over the target.
//
// All three resolve inserted memory drawings and draw a dimension as its
// extension lines, its dimension line with end ticks, and its text. Colour
// numbers are those of the CAD palette; on the white ground of SVG and PNG, 0 and
// 7 are black and 2 (yellow) is a darker gold so that it reads on paper. Text
// uses WenQuanYi Zen Hei, in DXF through a text style naming wqy-zenhei.ttc.
#pragma once

#include "Canvas.h"

#include <string>
#include <vector>

enum class CanvasFormat { Dxf, Svg, Png, Unknown };

// By the extension of path, any letter case.
CanvasFormat CanvasFormatOf(const std::string& path);

// Writes the canvas in the format of path. Returns false with *error set.
bool WriteCanvas(const CBase_SGT& canvas, const std::string& path, std::string* error);

// Makes WriteCanvas the writer of the calculation's diagram files; a DXF
// diagram file also gets a PNG of the same name beside it for the books.
void UseCanvasWriters();

// The geometry that the writers share. A rectangle item's corners, turning
// counter-clockwise from its lower left corner:
void RectCorners(const SgtItem& rect, double xs[4], double ys[4]);
// An arc or circle item as a polyline, a point about every 3 degrees
// (counter-clockwise from its start angle); empty when it is not finite.
void ArcPoints(const SgtItem& arc, std::vector<double>& xs, std::vector<double>& ys);
// A dimension as lines and a text.
struct DimensionLines {
    double ext1[4], ext2[4], dim[4], tick1[4], tick2[4]; // x1 y1 x2 y2 each
    double textX, textY, textAngle;                       // degrees
};
DimensionLines LayOutDimension(const SgtItem& dim, double textHeight);
