// The drawing canvas: diagrams are drawn once onto it as primitives in model
// units; writers turn the list into files.
#pragma once

#include <string>

class CBase_SGT {
public:
    virtual ~CBase_SGT() = default;
    void SetCurStyle(const char* style) { strCurStyle = style ? style : ""; }
    void SetCurColor(int color) { nCurColor = color; }

    std::string strCurStyle; // current text style
    int nCurColor = 7;       // current colour number
};
