// The sketch of the record beside the input tables: the pile with the slope
// surface, the slip surface, the layers (top down, with their thicknesses) and
// the water level in front of it, each at its depth below the pile top, and the
// section with its sizes. It is drawn for the window only; the calculation
// sketch of the files (diagram 0) is a drawing of its own.
#pragma once

class CBase_SGT;
class CPelvorinData;

// Draws the record onto the canvas in metres, y upwards, the pile top at y = 0
// and the pile's face towards the slide (the ground in front) at x = its width.
// textHeight: the labels' height in metres (0: a twentieth of the pile length);
// a screen that draws labels no smaller than a readable size passes that size,
// so that the labels are placed clear of each other at the size they are seen.
void DrawInputSketch(const CPelvorinData& r, CBase_SGT* c, double textHeight = 0);
