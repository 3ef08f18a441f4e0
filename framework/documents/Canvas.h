// The drawing canvas: a diagram is drawn once onto it as a list of primitives in
// model units (millimetres or metres, as the diagram chooses), with colour
// numbers of the usual CAD palette and named text styles. Writers turn the list
// into files; a memory drawing (NewMemDxf) is a canvas of its own that can be
// inserted into another one, moved, scaled and turned.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CBase_SGT;

struct SgtItem {
    enum Kind { Line, Text, Arc, Circle, Rect, AlignedDim, Insert };
    Kind kind = Line;
    int color = 7;
    std::string style;      // text style (texts and dimensions)
    std::string layer;      // what the item is, for CAD layers ("PILE", "SLIP", ...)
    double x1 = 0, y1 = 0;  // line start; text insertion point; arc, circle, rect centre
    double x2 = 0, y2 = 0;  // line end; dimension second point
    double x3 = 0, y3 = 0;  // dimension line position
    double height = 0;      // text height; rect height
    double width = 0;       // rect width
    double radius = 0;      // arc and circle
    double angle0 = 0, angle1 = 0; // arc start and end, degrees, counter-clockwise
    double angle = 0;       // text and rect rotation, degrees
    std::string text;       // text; dimension text
    std::shared_ptr<const CBase_SGT> block; // inserted memory drawing
    double scaleX = 1, scaleY = 1;          // insert
};

// An affine map x' = a x + b y + e, y' = c x + d y + f: where an item of an
// inserted memory drawing lands on the canvas.
struct SgtTransform {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    void Apply(double x, double y, double& ox, double& oy) const
    {
        ox = a * x + b * y + e;
        oy = c * x + d * y + f;
    }
    // This map after the placement of an insert (scale, then turn, then move).
    SgtTransform Then(const SgtItem& insert) const;
    double Scale() const; // the mean length scale, for radii and text heights
};

// π for the drawings' angles (the calculation keeps its own rounded value,
// kJiSuanPi, as the system defines it).
inline constexpr double kPi = 3.141592653589793;

struct SgtBounds {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool empty = true;
    void Add(double x, double y);
};

class CBase_SGT {
public:
    virtual ~CBase_SGT() = default;

    void SetCurStyle(const char* style) { strCurStyle = style ? style : ""; }
    void SetCurColor(int color) { nCurColor = color; }
    // What the following items are (a CAD layer name); empty for layer "0".
    void SetCurLayer(const char* layer) { strCurLayer = layer ? layer : ""; }

    void Draw_Line(double x1, double y1, double x2, double y2, int w);
    void Draw_Text(double x, double y, double height, double angle, const char* text);
    void Draw_Arc(double cx, double cy, double r, double a0, double a1, int w);
    void Draw_Circle(double cx, double cy, double r, int w);
    void Draw_Rect_C(double width, double height, double cx, double cy, double angle);
    void Draw_AlignedDim(double x1, double y1, double x2, double y2, double x3, double y3,
                         const char* text, const char* style);
    // Inserts a copy of a memory drawing, moved by (dx, dy) after scaling and
    // turning it (degrees, counter-clockwise) about its own origin.
    void InsertDxf(const CBase_SGT& drawing, double dx = 0, double dy = 0, double scaleX = 1,
                   double scaleY = 1, double rotation = 0);

    // The extent of everything drawn, inserts resolved; texts count by their
    // insertion point and an estimate of their width.
    SgtBounds Bounds() const;

    std::string strCurStyle;
    int nCurColor = 7;
    std::string strCurLayer;
    // The unit of the drawing's coordinates, for the files' headers.
    // Unitless: a drawing written without declaring its unit, for CAD programs
    // that scale a declared metre drawing by a thousand when they print.
    enum Units { Millimetres, Metres, Unitless } nUnits = Millimetres;
    std::vector<SgtItem> items;

private:
    SgtItem& Add(SgtItem::Kind kind);
};

// Calls visit for every drawn item, inserted drawings resolved, with the map
// from the item's own coordinates to the canvas.
void ForEachItem(const CBase_SGT& canvas,
                 const std::function<void(const SgtItem&, const SgtTransform&)>& visit);

// A new empty memory drawing; the caller owns it.
CBase_SGT* NewMemDxf();

// Angle of the direction from (x0, y0) to (x1, y1), radians in [0, 2 pi).
double JH_GetAngle(double x0, double y0, double x1, double y1);

// Points where the segment (x1, y1)-(x2, y2) meets the circle, the one nearer
// (x2, y2) first; tol widens the segment ends. Returns how many (0, 1 or 2)
// and fills px, py.
int JH_GetInterPoint_Circle_LineSection(double cx, double cy, double r, double x1, double y1,
                                        double x2, double y2, double tol, double px[2],
                                        double py[2]);

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

// The metrics of the drawings' font (WenQuanYi Zen Hei) in text heights. A text
// height is the height of the capitals, as CAD programs mean it; the font's em
// is 1 / 0.70 of it.
struct TextMetrics {
    static constexpr double kEm = 1.0 / 0.70;        // font size for a text height
    static constexpr double kLatin = 0.56 * kEm;     // advance of a digit or Latin letter
    static constexpr double kWide = 1.0 * kEm;       // advance of a Chinese character
    static constexpr double kDescent = 0.30 * kEm;   // below the baseline
    static constexpr double kWideTop = 0.84 * kEm;   // top of a Chinese character
    // The estimated length of a text, in text heights.
    static double Length(const std::string& utf8);
    static bool HasWide(const std::string& utf8);
};

// What the canvas draws, inserts resolved, as a CAD program measures it: arcs by
// their sweep, dimensions with their ticks and text (drawn dimTextHeight high),
// texts by the box the font's metrics give them, their lengths times
// textLengthScale (for a reader whose font runs wider).
SgtBounds DrawnBounds(const CBase_SGT& canvas, double dimTextHeight, double textLengthScale = 1.0);
