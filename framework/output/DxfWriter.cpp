// DXF R2000 through dxflib. Inserted memory drawings are resolved into plain
// entities and dimensions drawn as lines and a text, so that every CAD program
// reads the file the same way. Chinese text is written as \U+XXXX escapes
// (R2000 reads text in a code page) in a style whose font is WenQuanYi Zen Hei.
#include "CanvasWriters.h"
#include "SafeFile.h"

#include <dxflib/dl_dxf.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>
#include <utility>

namespace {

// dxflib's writer prints into a file stream of its own whose failures nobody
// sees, and its reals follow the process's locale. This one gathers the file in
// memory, with reals in the shortest form that reads back exactly and a point
// for the decimal separator whatever the locale; the text then goes to disk
// through the safe writer, which checks every write.
class MemoryDxfWriter : public DL_WriterA {
public:
    MemoryDxfWriter() : DL_WriterA("", DL_Codes::AC1015) {}

    void dxfReal(int gc, double value) const override
    {
        char buf[64];
        if (!std::isfinite(value))
            value = 0.0; // callers skip what is not finite; never write "nan"
        if (value == 0.0)
            value = 0.0; // no "-0.0"
        auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
        std::string text(buf, res.ec == std::errc() ? res.ptr : buf);
        if (res.ec != std::errc())
            text = "0.0";
        else if (text.find('.') == std::string::npos)
            text += ".0";
        dxfString(gc, text);
    }
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

    const std::string& Text() const { return text_; }

private:
    mutable std::string text_;
};

constexpr double kPi = 3.141592653589793;
const char kFontFile[] = "wqy-zenhei.ttc";

std::string DxfText(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp = 0xFFFD;
        size_t extra = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c < 0x80) {
            cp = c;
        } else if (extra && i + extra < utf8.size()) {
            cp = c & (0x3F >> extra);
            for (size_t k = 1; k <= extra; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        } else {
            extra = 0;
        }
        i += extra + 1;
        if (cp < 0x20)
            continue; // control characters have no place in a drawing text
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(cp));
            out += buf;
        }
    }
    return out;
}

// The palette number as written: 0 (by block) means nothing once inserts are
// resolved, so it is written as 7, the drawing colour.
int DxfColor(int color) { return color >= 1 && color <= 255 ? color : 7; }

// Returns the handle of the style record.
int WriteStyle(DL_WriterA& dw, const char* name)
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
    return handle;
}

// The one dimension style, pointing at the text style that really is there
// (dxflib's own table points at a handle it never sets).
void WriteDimStyle(DL_WriterA& dw, int textStyle)
{
    dw.dxfString(0, "TABLE");
    dw.dxfString(2, "DIMSTYLE");
    dw.dxfHex(5, 0xA);
    dw.dxfString(100, "AcDbSymbolTable");
    dw.dxfInt(70, 1);
    dw.dxfString(100, "AcDbDimStyleTable");
    dw.dxfInt(71, 0);
    dw.dxfString(0, "DIMSTYLE");
    dw.dxfHex(105, 0x27);
    dw.dxfHex(330, 0xA);
    dw.dxfString(100, "AcDbSymbolTableRecord");
    dw.dxfString(100, "AcDbDimStyleTableRecord");
    dw.dxfString(2, "Standard");
    dw.dxfInt(70, 0);
    dw.dxfReal(41, 2.5);
    dw.dxfReal(42, 0.625);
    dw.dxfReal(44, 1.25);
    dw.dxfReal(140, 2.5);
    dw.dxfReal(147, 0.625);
    dw.dxfHex(340, textStyle);
    dw.dxfString(0, "ENDTAB");
}

struct Out {
    DL_Dxf& dxf;
    DL_WriterA& dw;
    const std::set<std::string>& styles;

    DL_Attributes Attr(int color) const { return DL_Attributes("0", DxfColor(color), -1, "BYLAYER", 1.0); }

    void Line(const SgtTransform& t, double x1, double y1, double x2, double y2, int color)
    {
        double a, b, c, d;
        t.Apply(x1, y1, a, b);
        t.Apply(x2, y2, c, d);
        if (std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d))
            dxf.writeLine(dw, DL_LineData(a, b, 0, c, d, 0), Attr(color));
    }

    void Text(const SgtTransform& t, double x, double y, double height, double angle,
              const std::string& text, const std::string& style, int color)
    {
        double px, py;
        t.Apply(x, y, px, py);
        const double h = height * t.Scale();
        if (!std::isfinite(px) || !std::isfinite(py) || !(h > 0) || !std::isfinite(h) || text.empty())
            return;
        const double turn = std::atan2(t.c, t.a) * 180.0 / kPi + angle;
        const std::string name = styles.count(style) ? style : "Standard";
        dxf.writeText(dw, DL_TextData(px, py, 0, px, py, 0, h, 1.0, 0, 0, 0, DxfText(text), name, turn * kPi / 180.0),
                      Attr(color));
    }

    void Poly(const SgtTransform& t, const double* xs, const double* ys, int n, bool closed, int color)
    {
        for (int i = 0; i + 1 < n; ++i)
            Line(t, xs[i], ys[i], xs[i + 1], ys[i + 1], color);
        if (closed && n > 2)
            Line(t, xs[n - 1], ys[n - 1], xs[0], ys[0], color);
    }
};

} // namespace

bool WriteDxf(const CBase_SGT& canvas, const std::string& path, std::string* error)
{
    std::set<std::string> styles{"Standard", "HZ"};
    MemoryDxfWriter writer;
    {
        DL_Dxf dxf;
        DL_WriterA* dw = &writer;
        dxf.writeHeader(*dw);
        dw->sectionEnd();

        dw->sectionTables();
        dxf.writeVPort(*dw);
        dw->tableLinetypes(3);
        dxf.writeLinetype(*dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
        dxf.writeLinetype(*dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
        dxf.writeLinetype(*dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
        dw->tableEnd();
        dw->tableLayers(1);
        dxf.writeLayer(*dw, DL_LayerData("0", 0), DL_Attributes("", 7, 100, "CONTINUOUS", 1.0));
        dw->tableEnd();
        dw->tableStyle(static_cast<int>(styles.size()));
        int standardStyle = 0;
        for (const std::string& s : styles) {
            const int handle = WriteStyle(*dw, s.c_str());
            if (s == "Standard")
                standardStyle = handle;
        }
        dw->tableEnd();
        dxf.writeView(*dw);
        dxf.writeUcs(*dw);
        dw->tableAppid(1);
        dxf.writeAppid(*dw, "ACAD");
        dw->tableEnd();
        WriteDimStyle(*dw, standardStyle);
        // The block records by hand: dxflib adds a third paper space that no
        // layout owns. The handles are the ones its BLOCK entries refer to.
        dw->dxfString(0, "TABLE");
        dw->dxfString(2, "BLOCK_RECORD");
        dw->dxfHex(5, 1);
        dw->dxfString(100, "AcDbSymbolTable");
        dw->dxfInt(70, 2);
        for (const auto& [name, handle] : {std::pair<const char*, int>{"*Model_Space", 0x1F},
                                           std::pair<const char*, int>{"*Paper_Space", 0x1B}}) {
            dw->dxfString(0, "BLOCK_RECORD");
            dw->dxfHex(5, handle);
            dw->dxfHex(330, 1);
            dw->dxfString(100, "AcDbSymbolTableRecord");
            dw->dxfString(100, "AcDbBlockTableRecord");
            dw->dxfString(2, name);
        }
        dw->tableEnd();
        dw->sectionEnd();

        dw->sectionBlocks();
        dxf.writeBlock(*dw, DL_BlockData("*Model_Space", 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(*dw, "*Model_Space");
        dxf.writeBlock(*dw, DL_BlockData("*Paper_Space", 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(*dw, "*Paper_Space");
        dw->sectionEnd();

        dw->sectionEntities();
        SgtBounds bounds = canvas.Bounds();
        const double extent =
            bounds.empty ? 1.0 : std::max(bounds.maxX - bounds.minX, bounds.maxY - bounds.minY);
        Out out{dxf, *dw, styles};
        ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform& t) {
            switch (it.kind) {
            case SgtItem::Line:
                out.Line(t, it.x1, it.y1, it.x2, it.y2, it.color);
                break;
            case SgtItem::Text:
                out.Text(t, it.x1, it.y1, it.height, it.angle, it.text, it.style, it.color);
                break;
            case SgtItem::Arc:
            case SgtItem::Circle: {
                std::vector<double> xs, ys;
                ArcPoints(it, xs, ys);
                out.Poly(t, xs.data(), ys.data(), static_cast<int>(xs.size()), false, it.color);
                break;
            }
            case SgtItem::Rect: {
                double xs[4], ys[4];
                RectCorners(it, xs, ys);
                out.Poly(t, xs, ys, 4, true, it.color);
                break;
            }
            case SgtItem::AlignedDim: {
                const DimensionLines d = LayOutDimension(it, extent / 40.0);
                for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2})
                    out.Line(t, l[0], l[1], l[2], l[3], it.color);
                out.Text(t, d.textX, d.textY, extent / 40.0, d.textAngle, it.text, "Standard", it.color);
                break;
            }
            case SgtItem::Insert:
                break;
            }
        });
        dw->sectionEnd();
        dw->dxfEOF();
    }
    return WriteFileSafely(path, writer.Text(), error);
}
