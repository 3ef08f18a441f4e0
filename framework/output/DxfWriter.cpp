// DXF R2000 through dxflib, laid out as a CAD user expects a drawing:
//   - lines, arcs and circles as LINE, ARC and CIRCLE entities; a dimension as a
//     DIMENSION entity with its own block (*D1, ...) in dimension style "VR";
//   - layers by meaning (the canvas names them: PILE, SLIP, ...; texts go to
//     LABEL, dimensions to DIM), colours by layer where the drawing sets none;
//   - $INSUNITS (millimetres for the sketch, metres for the others), $EXTMIN and
//     $EXTMAX, and an active viewport that shows the whole drawing;
//   - Chinese text in the GBK code page ($DWGCODEPAGE ANSI_936), the way Chinese
//     CAD programs write R2000; a character GBK lacks is written as \U+XXXX;
//   - exact duplicates (the earth-pressure diagram draws interior depth labels
//     and lines twice) written once;
//   - every number in the shortest form that reads back exactly, whatever the
//     locale.
// The file is gathered in memory and written by WriteFileSafely.
#include "CanvasWriters.h"
#include "SafeFile.h"
#include "Utf8.h"

#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iconv.h>
#include <map>
#include <set>
#include <utility>

namespace {


// The text style of every text. LibreCAD takes the style's name as the name of
// one of its own fonts: "unicode" is the one that carries Chinese. Programs that
// resolve the font file by family (ezdxf's drawing add-on through matplotlib,
// among others) find WenQuanYi Zen Hei from the file name's stem; the family is
// also given in the style's extended data, as CAD programs write it.
const char kTextStyle[] = "unicode";
// The layer that CAD programs never plot (AutoCAD's name): what marks the extent.
const char kExtentLayer[] = "Defpoints";
const char kFontFile[] = "WenQuanYi Zen Hei.ttf";
const char kFontFamily[] = "WenQuanYi Zen Hei";

// dxflib's writer prints into a file stream of its own whose failures nobody
// sees, and its reals follow the process's locale. This one gathers the file in
// memory, with reals in the shortest form that reads back exactly and a point
// for the decimal separator whatever the locale.
class MemoryDxfWriter : public DL_WriterA {
public:
    MemoryDxfWriter() : DL_WriterA("", DL_Codes::AC1015) {}

    void dxfReal(int gc, double value) const override { dxfString(gc, Real(value)); }
    void dxfInt(int gc, int value) const override { dxfString(gc, std::to_string(value)); }
    void dxfHex(int gc, int value) const override
    {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
        dxfString(gc, buf);
    }
    void dxfString(int gc, const char* value) const override { dxfString(gc, std::string(value ? value : "")); }
    void dxfString(int gc, const std::string& value) const override
    {
        // The group code right-aligned in three columns, as CAD programs write it.
        const std::string code = std::to_string(gc);
        text_.append(code.size() < 3 ? 3 - code.size() : 0, ' ');
        text_ += code;
        text_ += '\n';
        text_ += value;
        text_ += '\n';
    }

    static std::string Real(double value)
    {
        if (!std::isfinite(value) || value == 0.0)
            value = 0.0; // callers skip what is not finite; no "-0.0"
        char buf[400];
        auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        if (res.ec != std::errc())
            return "0.0";
        std::string text(buf, res.ptr);
        if (text.find('.') == std::string::npos)
            text += ".0";
        return text;
    }

    const std::string& Text() const { return text_; }

private:
    mutable std::string text_;
};

// UTF-8 to the drawing's code page, GBK. What GBK cannot hold, and what is not
// valid UTF-8, is written as \U+XXXX; control characters are dropped.
class GbkText {
public:
    GbkText() : cd_(::iconv_open("GBK", "UTF-8")) {}
    ~GbkText()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            ::iconv_close(cd_);
    }
    GbkText(const GbkText&) = delete;
    GbkText& operator=(const GbkText&) = delete;

    std::string operator()(const std::string& utf8) const
    {
        std::string out;
        for (size_t i = 0; i < utf8.size();) {
            const size_t start = i;
            const std::uint32_t cp = NextCodePoint(utf8, i);
            if (cp < 0x20)
                continue; // control characters have no place in a drawing text
            if (cp < 0x80) {
                out += static_cast<char>(cp);
                continue;
            }
            if (cp == 0xFFFD || !Convert(utf8.substr(start, i - start), out)) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(cp));
                out += buf;
            }
        }
        return out;
    }

private:
    bool Convert(const std::string& one, std::string& out) const
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return false;
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char in[8], buf[8];
        std::copy(one.begin(), one.end(), in);
        char* inp = in;
        char* outp = buf;
        size_t inLeft = one.size(), outLeft = sizeof buf;
        if (::iconv(cd_, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return false;
        out.append(buf, static_cast<size_t>(outp - buf));
        return true;
    }
    iconv_t cd_;
};

// The palette number as written. 0 (by block) and 7 are the drawing colour, left
// to the layer; 2 (yellow) vanishes on a white sheet and is written as 42, a
// dark gold that reads on white paper and on a black screen alike.
int DxfColor(int color)
{
    if (color == 2)
        return 42;
    if (color >= 1 && color <= 255 && color != 7)
        return color;
    return 256; // by layer
}

// The sizes of a dimension's parts as LayOutDimension draws them for a text
// height, in the terms of the dimension variables. A tick runs 0.35 text
// heights either way along the line and across it; a CAD program's oblique
// stroke of size DIMTSZ runs DIMTSZ either way, and its arrow size is twice that.
struct DimSizes {
    double text, tick, arrow, extension, gap;
    static DimSizes For(double h) { return {h, 0.35 * h, 0.7 * h, 0.3 * h, 0.3 * h}; }
};

// One entity to write, in drawing coordinates.
struct Entity {
    enum Kind { Line, Text, Arc, Circle, Dimension } kind = Line;
    std::string layer;
    int color = 256;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // line ends; text point; centre; dim points
    double r = 0, a0 = 0, a1 = 0;          // arc, circle (degrees)
    double height = 0, angle = 0;          // text (degrees)
    std::string text;
    DimensionLines dim{};                  // dimension: its drawing
    double dimTextHeight = 0;

    // Two entities with the same key draw the same thing.
    std::string Key() const
    {
        std::string k = std::to_string(kind) + "|" + layer + "|" + std::to_string(color) + "|" + text;
        for (double v : {x1, y1, x2, y2, r, a0, a1, height, angle})
            k += "|" + MemoryDxfWriter::Real(v);
        return k;
    }
};

bool Finite(std::initializer_list<double> values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// The dimension text height of a drawing: a fortieth of its extent.
double DimensionTextHeight(const CBase_SGT& canvas)
{
    const SgtBounds bounds = canvas.Bounds();
    return bounds.empty ? 1.0 / 40.0 : std::max(bounds.maxX - bounds.minX, bounds.maxY - bounds.minY) / 40.0;
}

// Everything the canvas draws, inserts resolved, as entities; exact duplicates
// dropped.
std::vector<Entity> Collect(const CBase_SGT& canvas)
{
    std::vector<Entity> out;
    std::set<std::string> seen;
    auto add = [&](Entity e) {
        if (seen.insert(e.Key()).second)
            out.push_back(std::move(e));
    };
    const double dimText = DimensionTextHeight(canvas);
    ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform& t) {
        Entity e;
        e.layer = it.layer.empty() ? "0" : it.layer;
        e.color = DxfColor(it.color);
        auto line = [&](double xa, double ya, double xb, double yb) {
            Entity l = e;
            l.kind = Entity::Line;
            t.Apply(xa, ya, l.x1, l.y1);
            t.Apply(xb, yb, l.x2, l.y2);
            if (Finite({l.x1, l.y1, l.x2, l.y2}))
                add(l);
        };
        // A map that keeps circles circles: a turn and one scale, no mirror.
        const bool similar = std::fabs(t.a - t.d) < 1e-12 * (std::fabs(t.a) + 1) &&
                             std::fabs(t.b + t.c) < 1e-12 * (std::fabs(t.b) + 1) && t.a * t.d - t.b * t.c > 0;
        switch (it.kind) {
        case SgtItem::Line:
            line(it.x1, it.y1, it.x2, it.y2);
            break;
        case SgtItem::Text: {
            e.kind = Entity::Text;
            e.layer = "LABEL";
            t.Apply(it.x1, it.y1, e.x1, e.y1);
            e.height = it.height * t.Scale();
            e.angle = std::atan2(t.c, t.a) * 180.0 / kPi + it.angle;
            e.text = it.text;
            if (Finite({e.x1, e.y1, e.height, e.angle}) && e.height > 0 && !e.text.empty())
                add(e);
            break;
        }
        case SgtItem::Arc:
        case SgtItem::Circle: {
            if (!similar) { // drawn as short lines where a circle would not stay one
                std::vector<double> xs, ys;
                ArcPoints(it, xs, ys);
                for (size_t i = 0; i + 1 < xs.size(); ++i)
                    line(xs[i], ys[i], xs[i + 1], ys[i + 1]);
                break;
            }
            e.kind = it.kind == SgtItem::Arc ? Entity::Arc : Entity::Circle;
            t.Apply(it.x1, it.y1, e.x1, e.y1);
            e.r = it.radius * std::hypot(t.a, t.c);
            const double turn = std::atan2(t.c, t.a) * 180.0 / kPi;
            e.a0 = std::fmod(it.angle0 + turn + 720.0, 360.0);
            e.a1 = std::fmod(it.angle1 + turn + 720.0, 360.0);
            if (Finite({e.x1, e.y1, e.r, e.a0, e.a1}) && e.r > 0)
                add(e);
            break;
        }
        case SgtItem::Rect: {
            double xs[4], ys[4];
            RectCorners(it, xs, ys);
            for (int k = 0; k < 4; ++k)
                line(xs[k], ys[k], xs[(k + 1) % 4], ys[(k + 1) % 4]);
            break;
        }
        case SgtItem::AlignedDim: {
            e.kind = Entity::Dimension;
            e.layer = "DIM";
            e.text = it.text;
            DimensionLines d = LayOutDimension(it, dimText);
            // Into drawing coordinates, point by point.
            for (double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2}) {
                t.Apply(l[0], l[1], l[0], l[1]);
                t.Apply(l[2], l[3], l[2], l[3]);
            }
            t.Apply(d.textX, d.textY, d.textX, d.textY);
            d.textAngle += std::atan2(t.c, t.a) * 180.0 / kPi;
            t.Apply(it.x1, it.y1, e.x1, e.y1);
            t.Apply(it.x2, it.y2, e.x2, e.y2);
            e.dim = d;
            e.dimTextHeight = dimText * t.Scale();
            bool ok = Finite({e.x1, e.y1, e.x2, e.y2, d.textX, d.textY, d.textAngle, e.dimTextHeight});
            for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2})
                ok = ok && Finite({l[0], l[1], l[2], l[3]});
            if (ok)
                add(e);
            break;
        }
        case SgtItem::Insert:
            break;
        }
    });
    return out;
}

// $EXTMIN and $EXTMAX: what is drawn, as a CAD program's "zoom extents" finds
// it. Texts are measured a quarter longer than our font sets them: LibreCAD's
// stroke font sets digits and Latin letters a text height apart (ours 0.8), and
// a label at the drawing's edge must still fit the page it prints on. Half the
// largest text height around it keeps the ink off the edge of a page fitted
// to it.
SgtBounds Extents(const CBase_SGT& canvas, double largestText)
{
    SgtBounds b = DrawnBounds(canvas, DimensionTextHeight(canvas), 1.25);
    if (b.empty) {
        b.Add(0, 0);
        b.Add(1, 1);
    }
    const double margin = largestText / 2;
    b.minX -= margin;
    b.minY -= margin;
    b.maxX += margin;
    b.maxY += margin;
    return b;
}

struct Writer {
    DL_Dxf dxf;
    MemoryDxfWriter dw;
    GbkText gbk;

    void Point(int gc, double x, double y)
    {
        dw.dxfReal(gc, x);
        dw.dxfReal(gc + 10, y);
        dw.dxfReal(gc + 20, 0.0);
    }

    // dimText: the text height the dimension blocks draw; the header's
    // dimension variables give the same sizes, so that a CAD program that draws
    // a dimension anew (after an edit, or on its own as LibreCAD does) draws it
    // as the block shows it.
    void Header(const SgtBounds& b, int units, double dimText)
    {
        dxf.writeHeader(dw);
        dw.dxfString(9, "$DWGCODEPAGE");
        dw.dxfString(3, "ANSI_936");
        dw.dxfString(9, "$INSUNITS");
        dw.dxfInt(70, units);
        dw.dxfString(9, "$MEASUREMENT");
        dw.dxfInt(70, 1); // metric
        dw.dxfString(9, "$EXTMIN");
        Point(10, b.minX, b.minY);
        dw.dxfString(9, "$EXTMAX");
        Point(10, b.maxX, b.maxY);
        dw.dxfString(9, "$LIMMIN");
        dw.dxfReal(10, b.minX);
        dw.dxfReal(20, b.minY);
        dw.dxfString(9, "$LIMMAX");
        dw.dxfReal(10, b.maxX);
        dw.dxfReal(20, b.maxY);
        dw.dxfString(9, "$TEXTSTYLE");
        dw.dxfString(7, kTextStyle);
        dw.dxfString(9, "$DIMSTYLE");
        dw.dxfString(2, "VR");
        const DimSizes z = DimSizes::For(dimText);
        dw.dxfString(9, "$DIMSCALE");
        dw.dxfReal(40, 1.0);
        dw.dxfString(9, "$DIMTXT");
        dw.dxfReal(40, z.text);
        dw.dxfString(9, "$DIMASZ");
        dw.dxfReal(40, z.arrow);
        dw.dxfString(9, "$DIMTSZ");
        dw.dxfReal(40, z.tick);
        dw.dxfString(9, "$DIMEXE");
        dw.dxfReal(40, z.extension);
        dw.dxfString(9, "$DIMEXO");
        dw.dxfReal(40, 0.0);
        dw.dxfString(9, "$DIMGAP");
        dw.dxfReal(40, z.gap);
        dw.dxfString(9, "$DIMTAD");
        dw.dxfInt(70, 1);
        dw.dxfString(9, "$DIMTIH");
        dw.dxfInt(70, 0);
        dw.dxfString(9, "$DIMTOH");
        dw.dxfInt(70, 0);
        dw.sectionEnd();
    }

    // The viewport a CAD program opens on: the whole drawing with a margin.
    void ActiveViewport(const SgtBounds& b)
    {
        const double w = std::max(b.maxX - b.minX, 1e-9), h = std::max(b.maxY - b.minY, 1e-9);
        dw.dxfString(0, "TABLE");
        dw.dxfString(2, "VPORT");
        dw.dxfHex(5, 8);
        dw.dxfHex(330, 0);
        dw.dxfString(100, "AcDbSymbolTable");
        dw.dxfInt(70, 1);
        dw.dxfString(0, "VPORT");
        dw.handle();
        dw.dxfHex(330, 8);
        dw.dxfString(100, "AcDbSymbolTableRecord");
        dw.dxfString(100, "AcDbViewportTableRecord");
        dw.dxfString(2, "*Active");
        dw.dxfInt(70, 0);
        dw.dxfReal(10, 0.0);
        dw.dxfReal(20, 0.0);
        dw.dxfReal(11, 1.0);
        dw.dxfReal(21, 1.0);
        dw.dxfReal(12, (b.minX + b.maxX) / 2);
        dw.dxfReal(22, (b.minY + b.maxY) / 2);
        dw.dxfReal(13, 0.0);
        dw.dxfReal(23, 0.0);
        dw.dxfReal(14, 10.0);
        dw.dxfReal(24, 10.0);
        dw.dxfReal(15, 10.0);
        dw.dxfReal(25, 10.0);
        dw.dxfReal(16, 0.0);
        dw.dxfReal(26, 0.0);
        dw.dxfReal(36, 1.0);
        dw.dxfReal(17, 0.0);
        dw.dxfReal(27, 0.0);
        dw.dxfReal(37, 0.0);
        // Height of the view, and its width as a ratio: a 4:3 window shows all.
        const double aspect = 4.0 / 3.0;
        dw.dxfReal(40, 1.1 * std::max(h, w / aspect));
        dw.dxfReal(41, aspect);
        dw.dxfReal(42, 50.0);
        dw.dxfReal(43, 0.0);
        dw.dxfReal(44, 0.0);
        dw.dxfReal(50, 0.0);
        dw.dxfReal(51, 0.0);
        dw.dxfInt(71, 0);
        dw.dxfInt(72, 100);
        dw.dxfInt(73, 1);
        dw.dxfInt(74, 3);
        dw.dxfInt(75, 0);
        dw.dxfInt(76, 0);
        dw.dxfInt(77, 0);
        dw.dxfInt(78, 0);
        dw.dxfString(0, "ENDTAB");
    }

    // Returns the handle of the style record.
    int Style(const char* name)
    {
        dw.dxfString(0, "STYLE");
        const int handle = static_cast<int>(dw.handle());
        dw.dxfHex(330, 3); // owner: the STYLE table
        dw.dxfString(100, "AcDbSymbolTableRecord");
        dw.dxfString(100, "AcDbTextStyleTableRecord");
        dw.dxfString(2, name);
        dw.dxfInt(70, 0);
        dw.dxfReal(40, 0.0);
        dw.dxfReal(41, 1.0);
        dw.dxfReal(50, 0.0);
        dw.dxfInt(71, 0);
        dw.dxfReal(42, 2.5);
        dw.dxfString(3, kFontFile);
        dw.dxfString(4, "");
        dw.dxfString(1001, "ACAD");
        dw.dxfString(1000, kFontFamily);
        dw.dxfInt(1071, 0);
        return handle;
    }

    void DimStyles(int textStyle, double dimText)
    {
        const DimSizes z = DimSizes::For(dimText);
        dw.dxfString(0, "TABLE");
        dw.dxfString(2, "DIMSTYLE");
        dw.dxfHex(5, 0xA);
        dw.dxfString(100, "AcDbSymbolTable");
        dw.dxfInt(70, 2);
        dw.dxfString(100, "AcDbDimStyleTable");
        dw.dxfInt(71, 0);
        for (const char* name : {"Standard", "VR"}) {
            dw.dxfString(0, "DIMSTYLE");
            dw.handle(105); // a dimension style's handle goes in group 105
            dw.dxfHex(330, 0xA);
            dw.dxfString(100, "AcDbSymbolTableRecord");
            dw.dxfString(100, "AcDbDimStyleTableRecord");
            dw.dxfString(2, name);
            dw.dxfInt(70, 0);
            dw.dxfReal(40, 1.0);         // DIMSCALE
            dw.dxfReal(41, z.arrow);     // DIMASZ
            dw.dxfReal(42, 0.0);         // DIMEXO: extension lines start at the point
            dw.dxfReal(44, z.extension); // DIMEXE
            dw.dxfReal(140, z.text);     // DIMTXT
            dw.dxfReal(142, z.tick);     // DIMTSZ: oblique ticks, not arrows
            dw.dxfReal(147, z.gap);      // DIMGAP
            dw.dxfInt(73, 0);            // DIMTIH: text along the dimension line
            dw.dxfInt(74, 0);            // DIMTOH
            dw.dxfInt(77, 1);            // DIMTAD: text above the line
            dw.dxfHex(340, textStyle);
        }
        dw.dxfString(0, "ENDTAB");
    }

    // A line or a text inside a dimension's block, owned by its block record.
    void BlockLine(int owner, const std::string& layer, int color, const double* l)
    {
        dw.dxfString(0, "LINE");
        dw.handle();
        dw.dxfHex(330, owner);
        dw.dxfString(100, "AcDbEntity");
        dw.dxfString(8, layer);
        dw.dxfInt(62, color == 256 ? 0 : color); // by block: the dimension's colour
        dw.dxfString(100, "AcDbLine");
        Point(10, l[0], l[1]);
        Point(11, l[2], l[3]);
    }

    void BlockText(int owner, const std::string& layer, int color, double x, double y, double height,
                   double angle, const std::string& text)
    {
        dw.dxfString(0, "TEXT");
        dw.handle();
        dw.dxfHex(330, owner);
        dw.dxfString(100, "AcDbEntity");
        dw.dxfString(8, layer);
        dw.dxfInt(62, color == 256 ? 0 : color);
        dw.dxfString(100, "AcDbText");
        Point(10, x, y);
        dw.dxfReal(40, height);
        dw.dxfString(1, gbk(text));
        dw.dxfReal(50, angle);
        dw.dxfString(7, kTextStyle);
        dw.dxfString(100, "AcDbText");
    }
};

} // namespace

bool WriteDxf(const CBase_SGT& canvas, const std::string& path, std::string* error)
{
    std::vector<Entity> entities = Collect(canvas);
    // Layer names are texts of the drawing too: in its code page, like every
    // other text (a Chinese layer name in UTF-8 would not decode as GBK).
    {
        const GbkText gbk;
        for (Entity& e : entities)
            e.layer = gbk(e.layer);
    }
    // The dimensions of one drawing share a text height (that of its extent).
    double dimText = 2.5, largestText = 0;
    for (const Entity& e : entities)
        if (e.kind == Entity::Dimension) {
            dimText = e.dimTextHeight;
            break;
        }
    for (const Entity& e : entities)
        largestText = std::max(largestText, e.kind == Entity::Dimension ? e.dimTextHeight
                                            : e.kind == Entity::Text    ? e.height
                                                                        : 0.0);
    const SgtBounds bounds = Extents(canvas, largestText);
    std::vector<std::string> layers{"0"};
    for (const Entity& e : entities)
        if (std::find(layers.begin(), layers.end(), e.layer) == layers.end())
            layers.push_back(e.layer);
    size_t dimensions = 0;
    for (const Entity& e : entities)
        dimensions += e.kind == Entity::Dimension;

    Writer w;
    DL_Dxf& dxf = w.dxf;
    DL_WriterA& dw = w.dw;
    w.Header(bounds, canvas.nUnits == CBase_SGT::Metres ? 6 : canvas.nUnits == CBase_SGT::Unitless ? 0 : 4, dimText);

    dw.sectionTables();
    w.ActiveViewport(bounds);
    dw.tableLinetypes(3);
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
    dw.tableEnd();
    dw.tableLayers(static_cast<int>(layers.size()) + 1);
    for (const std::string& layer : layers)
        dxf.writeLayer(dw, DL_LayerData(layer, 0), DL_Attributes("", 7, -3, "CONTINUOUS", 1.0));
    dxf.writeLayer(dw, DL_LayerData(kExtentLayer, 0), DL_Attributes("", 7, -3, "CONTINUOUS", 1.0));
    dw.tableEnd();
    dw.tableStyle(2);
    const int standardStyle = w.Style("Standard");
    w.Style(kTextStyle);
    dw.tableEnd();
    dxf.writeView(dw);
    dxf.writeUcs(dw);
    dw.tableAppid(1);
    dxf.writeAppid(dw, "ACAD");
    dw.tableEnd();
    w.DimStyles(standardStyle, dimText);
    // The block records by hand: dxflib adds a third paper space that no layout
    // owns. Model and paper space keep the handles their BLOCK entries name;
    // each dimension has a block of its own.
    dw.dxfString(0, "TABLE");
    dw.dxfString(2, "BLOCK_RECORD");
    dw.dxfHex(5, 1);
    dw.dxfString(100, "AcDbSymbolTable");
    dw.dxfInt(70, static_cast<int>(2 + dimensions));
    for (const auto& [name, handle] : {std::pair<const char*, int>{"*Model_Space", 0x1F},
                                       std::pair<const char*, int>{"*Paper_Space", 0x1B}}) {
        dw.dxfString(0, "BLOCK_RECORD");
        dw.dxfHex(5, handle);
        dw.dxfHex(330, 1);
        dw.dxfString(100, "AcDbSymbolTableRecord");
        dw.dxfString(100, "AcDbBlockTableRecord");
        dw.dxfString(2, name);
    }
    std::vector<int> dimRecords;
    for (size_t i = 0; i < dimensions; ++i) {
        dw.dxfString(0, "BLOCK_RECORD");
        dimRecords.push_back(static_cast<int>(dw.handle()));
        dw.dxfHex(330, 1);
        dw.dxfString(100, "AcDbSymbolTableRecord");
        dw.dxfString(100, "AcDbBlockTableRecord");
        dw.dxfString(2, "*D" + std::to_string(i + 1));
    }
    dw.tableEnd();
    dw.sectionEnd();

    dw.sectionBlocks();
    dxf.writeBlock(dw, DL_BlockData("*Model_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, "*Model_Space");
    dxf.writeBlock(dw, DL_BlockData("*Paper_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, "*Paper_Space");
    {
        size_t d = 0;
        for (const Entity& e : entities) {
            if (e.kind != Entity::Dimension)
                continue;
            const int owner = dimRecords[d];
            const std::string name = "*D" + std::to_string(++d);
            dw.dxfString(0, "BLOCK");
            dw.handle();
            dw.dxfHex(330, owner);
            dw.dxfString(100, "AcDbEntity");
            dw.dxfString(8, "0");
            dw.dxfString(100, "AcDbBlockBegin");
            dw.dxfString(2, name);
            dw.dxfInt(70, 1); // anonymous
            w.Point(10, 0, 0);
            dw.dxfString(3, name);
            dw.dxfString(1, "");
            for (const double* l : {e.dim.ext1, e.dim.ext2, e.dim.dim, e.dim.tick1, e.dim.tick2})
                w.BlockLine(owner, e.layer, 256, l);
            w.BlockText(owner, e.layer, 256, e.dim.textX, e.dim.textY, e.dimTextHeight, e.dim.textAngle, e.text);
            dw.dxfString(0, "ENDBLK");
            dw.handle();
            dw.dxfHex(330, owner);
            dw.dxfString(100, "AcDbEntity");
            dw.dxfString(8, "0");
            dw.dxfString(100, "AcDbBlockEnd");
        }
    }
    dw.sectionEnd();

    dw.sectionEntities();
    size_t d = 0;
    for (const Entity& e : entities) {
        const DL_Attributes attr(e.layer, e.color, -1, "BYLAYER", 1.0);
        switch (e.kind) {
        case Entity::Line:
            dxf.writeLine(dw, DL_LineData(e.x1, e.y1, 0, e.x2, e.y2, 0), attr);
            break;
        case Entity::Text:
            dxf.writeText(dw,
                          DL_TextData(e.x1, e.y1, 0, e.x1, e.y1, 0, e.height, 1.0, 0, 0, 0, w.gbk(e.text), kTextStyle,
                                      e.angle * kPi / 180.0),
                          attr);
            break;
        case Entity::Arc:
            dxf.writeArc(dw, DL_ArcData(e.x1, e.y1, 0, e.r, e.a0, e.a1), attr);
            break;
        case Entity::Circle:
            dxf.writeCircle(dw, DL_CircleData(e.x1, e.y1, 0, e.r), attr);
            break;
        case Entity::Dimension: {
            const std::string block = "*D" + std::to_string(++d);
            dw.dxfString(0, "DIMENSION");
            dw.handle();
            dw.dxfHex(330, 0x1F);
            dw.dxfString(100, "AcDbEntity");
            dw.dxfString(8, e.layer);
            if (e.color != 256)
                dw.dxfInt(62, e.color);
            dw.dxfString(100, "AcDbDimension");
            dw.dxfString(2, block);
            // Definition point: where the dimension line meets the second
            // extension line; the text's middle; aligned, with its own block.
            w.Point(10, e.dim.dim[2], e.dim.dim[3]);
            w.Point(11, e.dim.textX, e.dim.textY);
            dw.dxfInt(70, 1 | 32);
            dw.dxfString(1, w.gbk(e.text));
            dw.dxfString(3, "VR");
            dw.dxfString(100, "AcDbAlignedDimension");
            w.Point(13, e.x1, e.y1);
            w.Point(14, e.x2, e.y2);
            break;
        }
        }
    }
    // Two points at the corners of the extent, on the layer no CAD program
    // plots: a program that fits a page to the lines alone (LibreCAD ignores
    // texts) then also holds the labels at the drawing's edges.
    const DL_Attributes extent(kExtentLayer, 256, -1, "BYLAYER", 1.0);
    dxf.writePoint(dw, DL_PointData(bounds.minX, bounds.minY, 0), extent);
    dxf.writePoint(dw, DL_PointData(bounds.maxX, bounds.maxY, 0), extent);
    dw.sectionEnd();
    dw.dxfEOF();
    return WriteFileSafely(path, w.dw.Text(), error);
}
