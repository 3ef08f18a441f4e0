// Writers that turn a drawn canvas into a file: DXF (R2000, for CAD), SVG and PNG
// (for books and screens). The format follows the file-name extension. Every
// file goes through a temporary file renamed over the target.
//
// All three resolve inserted memory drawings and draw a dimension as its
// extension lines, its dimension line with end ticks, and its text. Colour
// numbers are those of the CAD palette; on the white ground of SVG and PNG, 0 and
// 7 are black and 2 (yellow) is a darker gold so that it reads on paper. Text
// uses WenQuanYi Zen Hei; a text height is the height of the capitals in all
// three, and an item the canvas draws twice is written once.
#pragma once

#include "Canvas.h"

#include <string>
#include <vector>

enum class CanvasFormat { Dxf, Svg, Png, Unknown };

// By the extension of path, any letter case.
CanvasFormat CanvasFormatOf(const std::string& path);

// Writes the canvas in the format of path. Returns false with *error set.
bool WriteCanvas(const CBase_SGT& canvas, const std::string& path, std::string* error);


