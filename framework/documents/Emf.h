// A drawn canvas as an Enhanced Metafile (EMF), the vector picture a word
// processor embeds in a book: its lines and texts stay sharp however far the
// reader zooms or however finely the page is printed. The drawing is fitted
// into a box of the given size in millimetres, keeping its proportions; texts
// are real texts in WenQuanYi Zen Hei (Chinese included, as UTF-16), colours
// as on white paper (0 and 7 black, 2 a dark gold).
#pragma once

#include <string>

class CBase_SGT;

struct EmfPicture {
    std::string bytes;           // the metafile; empty when there was nothing to draw
    double widthMm = 0, heightMm = 0; // its size as fitted
};

// minTextMm: no text is printed smaller than this (a label must stay legible
// however far a long drawing is reduced to fit the page); texts keep their
// insertion points.
EmfPicture CanvasToEmf(const CBase_SGT& canvas, double boxWidthMm, double boxHeightMm, double minTextMm = 0);
