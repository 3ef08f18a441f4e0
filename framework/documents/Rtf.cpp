#include "Rtf.h"

#include "Canvas.h"
#include "EasyTable.h"
#include "Emf.h"
#include "NumericLocale.h"
#include "SafeFile.h"
#include "Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr int kTextWidthTwips = 11906 - 2 * 1134; // A4, 20 mm margins
constexpr double kTwipsPerMm = 1440.0 / 25.4;
constexpr double kMinLabelMm = 6.0 * 25.4 / 72.0; // 6 pt


void AppendUnicode(std::string& out, std::uint32_t cp)
{
    auto unit = [&out](std::uint32_t u) {
        // RTF takes a signed 16-bit number; "?" is the fallback for old readers.
        out += "\\u" + std::to_string(u > 32767 ? static_cast<int>(u) - 65536 : static_cast<int>(u)) +
               "?";
    };
    if (cp > 0xFFFF) {
        cp -= 0x10000;
        unit(0xD800 + (cp >> 10));
        unit(0xDC00 + (cp & 0x3FF));
    } else {
        unit(cp);
    }
}

// Text as RTF; a line feed becomes lineBreak.
std::string Escape(const std::string& text, const char* lineBreak)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            out += lineBreak;
            ++i;
        } else if (c == '\t') {
            out += "\\tab ";
            ++i;
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
            ++i;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            ++i; // other control characters have no place in a book
        } else if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
            ++i;
        } else {
            AppendUnicode(out, NextCodePoint(text, i));
        }
    }
    return out;
}

// Display columns of monospaced text: a wide (CJK) character takes two.
int Columns(const std::string& text)
{
    int n = 0;
    for (size_t i = 0; i < text.size();) {
        const std::uint32_t cp = NextCodePoint(text, i);
        n += cp >= 0x1100 ? 2 : 1;
    }
    return n;
}

// The lines of a text block as paragraphs, each laid out to fit the text width:
//   - a formula indented by tabs wraps under its own start (a hanging indent),
//     and the blank after its last "=" binds the result to it, so that a result
//     never stands alone on a line;
//   - a tab inside a line (the column headings) advances to the next column,
//     not to the next half inch;
//   - keepNext keeps each line on the page of the one after it.
std::string TextParagraphs(const std::string& text, bool keepNext)
{
    constexpr int kTabTwips = 720, kColumnTwips = 100; // 10 pt type: a column is 5 pt
    // The columns of 10 pt type that a line of the text width holds as the
    // word processor sets the monospaced font (its blank is wider than 5 pt).
    constexpr int kFitColumns = 70;
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool full = end != std::string::npos;
        if (!full)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = full ? end + 1 : end;
        size_t lead = 0;
        while (lead < line.size() && line[lead] == '\t')
            ++lead;
        std::string format;
        if (lead > 0 && lead < line.size())
            format += "\\li" + std::to_string(lead * kTabTwips) + "\\fi-" + std::to_string(lead * kTabTwips);
        // A column heading (a line with tabs inside it) is one row of a table
        // in blanks: wrapped, its last column would stand alone under the
        // first. One wider than the text is set smaller so that it fits.
        int size = 20;
        if (lead == 0 && line.find('\t') != std::string::npos) {
            const int columns = Columns(line) + 1;
            if (columns > kFitColumns)
                size = std::max(12, 20 * kFitColumns / columns);
        }
        const int column = kColumnTwips * size / 20;
        if (size != 20)
            format += "\\fs" + std::to_string(size);
        for (size_t tab = line.find('\t', lead); tab != std::string::npos; tab = line.find('\t', tab + 1))
            format += "\\tx" + std::to_string(static_cast<int>(lead) * kTabTwips +
                                                (Columns(line.substr(lead, tab - lead)) + 1) * column);
        if (keepNext)
            format += "\\keepn";
        std::string body;
        const size_t eq = line.rfind("= ");
        if (lead > 0 && eq != std::string::npos && line.find(' ', eq + 2) == std::string::npos)
            body = Escape(line.substr(0, eq + 1), "") + "\\~" + Escape(line.substr(eq + 2), "");
        else
            body = Escape(line, "");
        if (!format.empty())
            out += "\\pard\\plain\\f0\\fs20" + format + " ";
        out += body;
        if (full)
            out += "\\par\n";
        if (!format.empty())
            out += "\\pard\\plain\\f0\\fs20 ";
    }
    return out;
}

bool ReadPng(const std::string& path, std::string& bytes, int& w, int& h)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return false;
    auto be32 = [&bytes](size_t at) {
        return static_cast<int>((static_cast<unsigned char>(bytes[at]) << 24) |
                                (static_cast<unsigned char>(bytes[at + 1]) << 16) |
                                (static_cast<unsigned char>(bytes[at + 2]) << 8) |
                                static_cast<unsigned char>(bytes[at + 3]));
    };
    w = be32(16);
    h = be32(20);
    return w > 0 && h > 0;
}

} // namespace

CRTF::Block& CRTF::TextBlock()
{
    if (blocks.empty() || blocks.back().kind != Block::Text || blocks.back().keepNext || keepNext_) {
        blocks.push_back(Block{});
        blocks.back().keepNext = keepNext_;
        keepNext_ = false;
    }
    return blocks.back();
}

int CRTF::InsertText(const char* format, ...)
{
    if (!format)
        return 0;
    ScopedCNumbers c;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (n > 0) {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&text[0], text.size(), format, args);
        text.resize(static_cast<size_t>(n));
    }
    va_end(args);
    strText += text;
    TextBlock().text += text;
    return n > 0 ? n : 0;
}

int CRTF::InsertTable(CEasyTableWnd* table, int, int width, int, int, int)
{
    if (!table)
        return 0;
    const int cols = table->GetColNum();
    if (cols <= 0)
        return 1;
    std::vector<double> share;
    const double total = table->edges.back() - table->edges.front();
    for (int c = 0; c < cols; ++c)
        share.push_back(total > 0 ? (table->edges[c + 1] - table->edges[c]) / total : 1.0 / cols);
    std::vector<std::string> titles;
    if (!table->titles.empty()) {
        titles.assign(table->titles.begin(), table->titles.end());
        titles.resize(static_cast<size_t>(cols));
    }
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r <= table->GetRowNum(); ++r) {
        std::vector<std::string> row;
        for (int c = 1; c <= cols; ++c) {
            CETCell* cell = table->GetCell(r, c);
            row.push_back(cell ? cell->DisplayText() : "");
        }
        rows.push_back(std::move(row));
    }
    InsertRows(titles, rows, share, width);
    return 1;
}

void CRTF::InsertRows(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows,
                      const std::vector<double>& share, int width, bool numbers, int rowsPerPage)
{
    Block b;
    b.kind = Block::Table;
    b.numbers = numbers;
    b.rowsPerPage = rowsPerPage;
    b.width = width > 0 && width <= 100 ? width : 100;
    b.share = share;
    if (!titles.empty()) {
        b.rows.push_back(titles);
        b.titled = true;
    }
    b.rows.insert(b.rows.end(), rows.begin(), rows.end());
    for (const auto& row : b.rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            std::string cell = row[c];
            std::replace(cell.begin(), cell.end(), '\n', ' ');
            line += (c ? " | " : "") + cell;
        }
        strText += line + "\n";
    }
    blocks.push_back(std::move(b));
}

void CRTF::ProvideDrawing(const std::string& name, const CBase_SGT* canvas) { drawings_[name] = canvas; }

int CRTF::InsertDXF(const char* path, double width, double height)
{
    std::string file = path ? path : "";
    std::string png = file;
    const size_t dot = png.rfind('.');
    if (dot != std::string::npos && png.find('/', dot) == std::string::npos)
        png.erase(dot);
    png += ".png";
    Block b;
    b.kind = Block::Picture;
    const size_t slash = file.rfind('/');
    const auto provided = drawings_.find(slash == std::string::npos ? file : file.substr(slash + 1));
    if (const CBase_SGT* drawing = provided == drawings_.end() ? nullptr : provided->second) {
        // Printed as large as the box allows: a drawing much longer than it is
        // high is turned a quarter turn (read with the page turned clockwise)
        // when that prints it larger, and no label is printed below 6 pt.
        const double boxX = width > 0 ? width : 100, boxY = height > 0 ? height : 100;
        const SgtBounds bounds = drawing->Bounds();
        const double w = std::max(bounds.maxX - bounds.minX, 1e-9), h = std::max(bounds.maxY - bounds.minY, 1e-9);
        const bool turn = !bounds.empty && std::min(boxX / h, boxY / w) > 1.2 * std::min(boxX / w, boxY / h);
        CBase_SGT turned;
        if (turn)
            turned.InsertDxf(*drawing, 0, 0, 1, 1, 90);
        EmfPicture pic = CanvasToEmf(turn ? turned : *drawing, boxX, boxY, kMinLabelMm);
        if (!pic.bytes.empty()) {
            b.emf = true;
            b.png = std::move(pic.bytes);
            b.mmX = pic.widthMm;
            b.mmY = pic.heightMm;
            b.pixelsX = static_cast<int>(std::ceil(pic.widthMm * 100)); // hundredths of a mm
            b.pixelsY = static_cast<int>(std::ceil(pic.heightMm * 100));
            strText += "[图 " + file + "]";
            blocks.push_back(std::move(b));
            return 1;
        }
    }
    if (!ReadPng(png, b.png, b.pixelsX, b.pixelsY)) {
        InsertText("[图 %s]", file.c_str());
        return 0;
    }
    // Fit into the box, keeping the picture's proportions.
    const double boxX = width > 0 ? width : 100, boxY = height > 0 ? height : 100;
    const double scale = std::min(boxX / b.pixelsX, boxY / b.pixelsY);
    b.mmX = b.pixelsX * scale;
    b.mmY = b.pixelsY * scale;
    strText += "[图 " + file + "]";
    blocks.push_back(std::move(b));
    return 1;
}

std::string CRTF::ToRtf() const
{
    std::string out =
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1"
        "{\\fonttbl{\\f0\\fmodern\\fcharset134 WenQuanYi Zen Hei Mono;}}\n"
        "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134"
        "\\headery567\\footery567\n";
    if (!strHeader.empty())
        out += "{\\header\\pard\\plain\\f0\\fs16\\qc " + Escape(strHeader, " ") + "\\par}\n";
    out += "{\\footer\\pard\\plain\\f0\\fs16\\qc " + Escape("第 ", "") +
           "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}" + Escape(" 页 共 ", "") +
           "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}" + Escape(" 页", "") + "\\par}\n";
    out += "\\pard\\plain\\f0\\fs20 ";
    static const char kHex[] = "0123456789abcdef";
    for (const Block& b : blocks) {
        switch (b.kind) {
        case Block::Text:
            out += TextParagraphs(b.text, b.keepNext);
            break;
        case Block::Table: {
            const double tableTwips = kTextWidthTwips * b.width / 100.0;
            std::string rowDef = "\\trowd\\trgaph60\\trleft0";
            double edge = 0;
            for (double share : b.share) {
                edge += share * tableTwips;
                rowDef += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                          "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx" +
                          std::to_string(static_cast<int>(edge + 0.5));
            }
            auto row = [&](const std::vector<std::string>& cells, bool title, bool newPage) {
                // The title row repeats at the top of every page the table runs
                // onto where the word processor honours it (\\trhdr).
                out += (title ? "\\trowd\\trhdr" + rowDef.substr(6) : rowDef) + "\n";
                bool first = true;
                for (const std::string& cell : cells) {
                    out += std::string("\\pard\\intbl") + (newPage && first ? "\\pagebb" : "") +
                           (title ? "\\qc " : b.numbers ? "\\qr " : " ") + Escape(cell, "\\line ") + "\\cell\n";
                    first = false;
                }
                out += "\\row\n";
            };
            const size_t firstRow = b.titled ? 1 : 0;
            if (b.rowsPerPage <= 0) {
                for (size_t r = 0; r < b.rows.size(); ++r)
                    row(b.rows[r], b.titled && r == 0, false);
            } else {
                // Where that is not honoured (LibreOffice): a table of its own on
                // each page, its titles on top, none longer than a page.
                for (size_t r = firstRow; r < b.rows.size(); r += static_cast<size_t>(b.rowsPerPage)) {
                    if (r != firstRow)
                        // A tiny paragraph ends one table before the next.
                        out += "\\pard\\plain\\fs2\\par\\pard\\plain\\f0\\fs20\n";
                    if (b.titled)
                        row(b.rows[0], true, true);
                    const size_t end = std::min(b.rows.size(), r + static_cast<size_t>(b.rowsPerPage));
                    for (size_t k = r; k < end; ++k)
                        row(b.rows[k], false, !b.titled && k == r);
                }
            }
            out += "\\pard\\plain\\f0\\fs20 ";
            break;
        }
        case Block::Picture: {
            out += std::string("{\\pict") + (b.emf ? "\\emfblip" : "\\pngblip") + "\\picw" +
                   std::to_string(b.pixelsX) + "\\pich" +
                   std::to_string(b.pixelsY) + "\\picwgoal" +
                   std::to_string(static_cast<int>(b.mmX * kTwipsPerMm + 0.5)) + "\\pichgoal" +
                   std::to_string(static_cast<int>(b.mmY * kTwipsPerMm + 0.5)) + "\n";
            for (size_t i = 0; i < b.png.size(); ++i) {
                const unsigned char c = static_cast<unsigned char>(b.png[i]);
                out += kHex[c >> 4];
                out += kHex[c & 15];
                if (i % 64 == 63)
                    out += '\n';
            }
            out += "}";
            break;
        }
        }
    }
    out += "\n}\n";
    return out;
}

int CRTF::Save(const std::string& path, std::string* error) const
{
    return WriteFileSafely(path, ToRtf(), error) ? 1 : 0;
}
