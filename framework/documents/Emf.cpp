// EMF records as [MS-EMF] lays them out: little-endian 32-bit fields, each
// record its type and size first. Logical units are hundredths of a
// millimetre of the picture (the header's reference device has as many pixels
// as the picture has hundredths), y pointing down.
#include "Emf.h"

#include "Canvas.h"
#include "Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

namespace {

enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYLINE = 4,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_DELETEOBJECT = 40,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

class Records {
public:
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            cur_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float f)
    {
        std::uint32_t v;
        static_assert(sizeof v == sizeof f);
        std::memcpy(&v, &f, sizeof v);
        U32(v);
    }
    void U16(std::uint16_t v)
    {
        cur_.push_back(static_cast<char>(v & 0xFF));
        cur_.push_back(static_cast<char>(v >> 8));
    }
    void Byte(unsigned char b) { cur_.push_back(static_cast<char>(b)); }

    void Begin(std::uint32_t type)
    {
        cur_.clear();
        U32(type);
        U32(0); // size, set in End
    }
    void End()
    {
        while (cur_.size() % 4)
            cur_.push_back(0);
        const std::uint32_t size = static_cast<std::uint32_t>(cur_.size());
        for (int i = 0; i < 4; ++i)
            cur_[4 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        body_ += cur_;
        ++count_;
    }
    size_t CurrentSize() const { return cur_.size(); }

    std::string body_;
    std::string cur_;
    std::uint32_t count_ = 0;
};

std::uint32_t ColorRef(int color)
{
    int r = 0, g = 0, b = 0;
    switch (color) {
    case 1: r = 217; break;
    case 2: r = 184, g = 135, b = 10; break; // yellow, darkened for white paper
    case 3: g = 140; break;
    case 4: g = 153, b = 179; break;
    case 5: b = 217; break;
    case 6: r = 191, b = 191; break;
    default: break; // 0, 7 and by layer: black
    }
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}

std::u16string Utf16(const std::string& utf8)
{
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = NextCodePoint(utf8, i);
        if (cp < 0x20)
            continue;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

} // namespace

EmfPicture CanvasToEmf(const CBase_SGT& canvas, double boxWidthMm, double boxHeightMm, double minTextMm)
{
    EmfPicture pic;
    SgtBounds b = canvas.Bounds();
    if (b.empty)
        return pic;
    const double w = std::max(b.maxX - b.minX, 1e-9), h = std::max(b.maxY - b.minY, 1e-9);
    const double extent = std::max(w, h);
    const double margin = 0.04 * extent;
    const double boxW = boxWidthMm > 0 ? boxWidthMm : 100, boxH = boxHeightMm > 0 ? boxHeightMm : 100;
    const double mmPerUnit = std::min(boxW / (w + 2 * margin), boxH / (h + 2 * margin));
    pic.widthMm = (w + 2 * margin) * mmPerUnit;
    pic.heightMm = (h + 2 * margin) * mmPerUnit;
    const double k = 100.0 * mmPerUnit; // hundredths of a millimetre per drawing unit
    const std::int32_t W = static_cast<std::int32_t>(std::ceil(pic.widthMm * 100));
    const std::int32_t H = static_cast<std::int32_t>(std::ceil(pic.heightMm * 100));
    auto map = [&](const SgtTransform& t, double x, double y, std::int32_t& px, std::int32_t& py) {
        double mx, my;
        t.Apply(x, y, mx, my);
        const double fx = (mx - b.minX + margin) * k, fy = H - (my - b.minY + margin) * k;
        if (!std::isfinite(fx) || !std::isfinite(fy))
            return false;
        px = static_cast<std::int32_t>(std::lround(std::clamp(fx, -1e8, 1e8)));
        py = static_cast<std::int32_t>(std::lround(std::clamp(fy, -1e8, 1e8)));
        return true;
    };

    Records r;
    std::uint32_t handles = 0;
    r.Begin(EMR_SETMAPMODE);
    r.U32(1); // MM_TEXT: a logical unit is a device pixel
    r.End();
    r.Begin(EMR_SETBKMODE);
    r.U32(1); // transparent
    r.End();
    r.Begin(EMR_SETTEXTALIGN);
    r.U32(24); // TA_BASELINE | TA_LEFT: a canvas text stands on its insertion point
    r.End();

    // One pen per colour, made when first needed.
    std::map<int, std::uint32_t> pens;
    std::uint32_t currentPen = 0;
    auto selectPen = [&](int color) {
        auto it = pens.find(color);
        if (it == pens.end()) {
            const std::uint32_t ih = ++handles;
            r.Begin(EMR_CREATEPEN);
            r.U32(ih);
            r.U32(0);  // PS_SOLID
            r.I32(18); // 0.18 mm, a fine drawing line
            r.I32(0);
            r.U32(ColorRef(color));
            r.End();
            it = pens.emplace(color, ih).first;
        }
        if (currentPen != it->second) {
            r.Begin(EMR_SELECTOBJECT);
            r.U32(it->second);
            r.End();
            currentPen = it->second;
        }
    };
    auto polyline = [&](const SgtTransform& t, const double* xs, const double* ys, size_t n, int color) {
        std::vector<std::int32_t> pts;
        for (size_t i = 0; i < n; ++i) {
            std::int32_t px, py;
            if (!map(t, xs[i], ys[i], px, py))
                return;
            pts.push_back(px);
            pts.push_back(py);
        }
        if (pts.size() < 4)
            return;
        selectPen(color);
        std::int32_t x0 = pts[0], y0 = pts[1], x1 = x0, y1 = y0;
        for (size_t i = 0; i < pts.size(); i += 2) {
            x0 = std::min(x0, pts[i]);
            x1 = std::max(x1, pts[i]);
            y0 = std::min(y0, pts[i + 1]);
            y1 = std::max(y1, pts[i + 1]);
        }
        r.Begin(EMR_POLYLINE);
        r.I32(x0);
        r.I32(y0);
        r.I32(x1);
        r.I32(y1);
        r.U32(static_cast<std::uint32_t>(pts.size() / 2));
        for (std::int32_t v : pts)
            r.I32(v);
        r.End();
    };
    std::uint32_t currentColor = 0xFFFFFFFF;
    auto text = [&](const SgtTransform& t, double x, double y, double height, double angle, const std::string& s,
                    int color) {
        std::int32_t px, py;
        const double hu = std::max(height * t.Scale() * k, minTextMm * 100.0);
        const std::u16string u = Utf16(s);
        if (u.empty() || !map(t, x, y, px, py) || !(hu >= 1) || !std::isfinite(hu))
            return;
        const double turn = std::atan2(t.c, t.a) * 180.0 / kPi + angle;
        // A font for this height and angle; deleted after its one text.
        const std::uint32_t ih = ++handles;
        r.Begin(EMR_EXTCREATEFONTINDIRECTW);
        r.U32(ih);
        r.I32(-static_cast<std::int32_t>(std::lround(hu))); // character height
        r.I32(0);
        const std::int32_t tenths = static_cast<std::int32_t>(std::lround(std::isfinite(turn) ? turn * 10 : 0));
        r.I32(tenths); // escapement
        r.I32(tenths); // orientation
        r.I32(400);    // normal weight
        r.Byte(0);     // italic
        r.Byte(0);     // underline
        r.Byte(0);     // strike out
        r.Byte(134);   // GB2312 character set
        r.Byte(0);     // out precision
        r.Byte(0);     // clip precision
        r.Byte(0);     // quality
        r.Byte(0);     // pitch and family
        const std::u16string face = u"WenQuanYi Zen Hei";
        for (size_t i = 0; i < 32; ++i)
            r.U16(i < face.size() ? static_cast<std::uint16_t>(face[i]) : 0);
        r.End();
        r.Begin(EMR_SELECTOBJECT);
        r.U32(ih);
        r.End();
        const std::uint32_t ref = ColorRef(color);
        if (ref != currentColor) {
            r.Begin(EMR_SETTEXTCOLOR);
            r.U32(ref);
            r.End();
            currentColor = ref;
        }
        const std::int32_t len = static_cast<std::int32_t>(std::lround(hu * 0.6 * static_cast<double>(u.size())));
        r.Begin(EMR_EXTTEXTOUTW);
        r.I32(px);
        r.I32(py - static_cast<std::int32_t>(hu));
        r.I32(px + len);
        r.I32(py + static_cast<std::int32_t>(hu / 4));
        r.U32(1);   // GM_COMPATIBLE
        r.F32(0);   // x scale (unused with GM_COMPATIBLE)
        r.F32(0);
        r.I32(px);  // reference point
        r.I32(py);
        r.U32(static_cast<std::uint32_t>(u.size()));
        r.U32(76);  // the string follows the fixed part of the record
        r.U32(0);   // options
        r.I32(0);   // no clipping rectangle
        r.I32(0);
        r.I32(-1);
        r.I32(-1);
        r.U32(0);   // no spacing array: the font's own advances
        for (char16_t c : u)
            r.U16(static_cast<std::uint16_t>(c));
        r.End();
        r.Begin(EMR_DELETEOBJECT);
        r.U32(ih);
        r.End();
    };

    const double dimText = extent / 40.0;
    // The earth-pressure diagram draws interior depth labels and lines twice;
    // drawn twice, a text looks bold. Each is drawn once.
    std::set<std::string> seen;
    ForEachItem(canvas, [&](const SgtItem& it, const SgtTransform& t) {
        char key[512];
        std::snprintf(key, sizeof key, "%d|%d|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g|%.9g", it.kind,
                      it.color, it.x1, it.y1, it.x2, it.y2, it.radius, it.angle0, it.angle1, it.height, it.width,
                      t.a, t.d, t.e, t.f);
        if (!seen.insert(std::string(key) + it.text).second)
            return;
        switch (it.kind) {
        case SgtItem::Line: {
            const double xs[2] = {it.x1, it.x2}, ys[2] = {it.y1, it.y2};
            polyline(t, xs, ys, 2, it.color);
            break;
        }
        case SgtItem::Text:
            text(t, it.x1, it.y1, it.height, it.angle, it.text, it.color);
            break;
        case SgtItem::Arc:
        case SgtItem::Circle: {
            std::vector<double> xs, ys;
            ArcPoints(it, xs, ys);
            polyline(t, xs.data(), ys.data(), xs.size(), it.color);
            break;
        }
        case SgtItem::Rect: {
            double xs[5], ys[5];
            RectCorners(it, xs, ys);
            xs[4] = xs[0];
            ys[4] = ys[0];
            polyline(t, xs, ys, 5, it.color);
            break;
        }
        case SgtItem::AlignedDim: {
            const DimensionLines d = LayOutDimension(it, dimText);
            for (const double* l : {d.ext1, d.ext2, d.dim, d.tick1, d.tick2}) {
                const double xs[2] = {l[0], l[2]}, ys[2] = {l[1], l[3]};
                polyline(t, xs, ys, 2, it.color);
            }
            text(t, d.textX, d.textY, dimText, d.textAngle, it.text, it.color);
            break;
        }
        case SgtItem::Insert:
            break;
        }
    });
    r.Begin(EMR_EOF);
    r.U32(0);  // no palette
    r.U32(16); // offset of the (empty) palette
    r.U32(20); // this record's size, repeated
    r.End();

    // The header, now that the records are counted and measured.
    Records head;
    head.Begin(EMR_HEADER);
    head.I32(0); // bounds, device units
    head.I32(0);
    head.I32(W);
    head.I32(H);
    head.I32(0); // frame, hundredths of a millimetre
    head.I32(0);
    head.I32(W);
    head.I32(H);
    head.U32(0x464D4520); // " EMF"
    head.U32(0x10000);
    head.U32(0); // total size, set below
    head.U32(r.count_ + 1);
    head.U16(static_cast<std::uint16_t>(handles + 1));
    head.U16(0);
    head.U32(0); // no description
    head.U32(0);
    head.U32(0); // no palette
    head.I32(W); // reference device: one pixel per hundredth of a millimetre
    head.I32(H);
    head.I32(static_cast<std::int32_t>(std::ceil(pic.widthMm)));
    head.I32(static_cast<std::int32_t>(std::ceil(pic.heightMm)));
    head.U32(0); // no pixel format
    head.U32(0);
    head.U32(0); // not OpenGL
    head.I32(static_cast<std::int32_t>(std::ceil(pic.widthMm)) * 1000); // micrometres
    head.I32(static_cast<std::int32_t>(std::ceil(pic.heightMm)) * 1000);
    head.End();
    std::string bytes = head.body_ + r.body_;
    const std::uint32_t total = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[48 + i] = static_cast<char>((total >> (8 * i)) & 0xFF);
    pic.bytes = std::move(bytes);
    return pic;
}
