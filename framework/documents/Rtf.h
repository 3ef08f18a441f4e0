// The rich-text writer of the calculation books. A book is a sequence of text
// (UTF-8, printf-formatted), tables printed from a cell-table model, and
// drawings. Save writes it as an RTF document: every line a paragraph, every
// non-ASCII character a \uN escape, set in the monospaced WenQuanYi Zen Hei Mono
// so that column layouts made of blanks stay aligned; tables with ruled cells;
// drawings as embedded PNG pictures.
#pragma once

#include <map>
#include <string>
#include <vector>

class CBase_SGT;
class CEasyTableWnd;

class CRTF {
public:
    virtual ~CRTF() = default;
    // Appends formatted text; returns the number of bytes appended.
    int InsertText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The lines of the next InsertText stay on the page of the line after them
    // (a heading with what it heads).
    void KeepWithNext() { keepNext_ = true; }
    // Prints the table as it stands: its title row, if any, then its rows. width
    // is the table's share of the text width in per cent; the columns divide it
    // as the table's column edges do. The other arguments are kept for the
    // framework's signature. Returns 1, or 0 for a null table.
    int InsertTable(CEasyTableWnd* table, int, int width, int, int, int);
    // A table of text cells: titles (none when empty) repeated at the top of
    // every page the rows run onto; share: each column's part of the width;
    // numbers: the cells set flush right, so that decimal points align.
    // rowsPerPage > 0: the table starts on a new page and runs in pages of at
    // most that many rows, each under its titles, for word processors that do
    // not repeat a title row (LibreOffice reads \trhdr but ignores it).
    void InsertRows(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows,
                    const std::vector<double>& share, int width, bool numbers = false, int rowsPerPage = 0);
    // Embeds the drawing of a diagram file, fitted into width x height
    // millimetres: the drawing itself as a vector picture (EMF) when it was
    // handed to this book (ProvideDrawing, by the file's name), else a PNG of the
    // same name beside the file. Without either the book names the file instead.
    // Returns 1 when a picture was embedded.
    int InsertDXF(const char* path, double width, double height);
    // The drawing of the diagram file named name (no folder), for InsertDXF to
    // embed as a vector picture. Not owned: it must outlive the book's use.
    void ProvideDrawing(const std::string& name, const CBase_SGT* canvas);
    // The folder the book's diagram files lie in, ending with '/'; empty: the
    // calculation's work path.
    std::string strDrawingFolder;

    // The book as plain text: tables as lines of cells separated by " | ",
    // drawings as "[图 file]". What tests and searches read.
    const std::string& Text() const { return strText; }
    // The whole book as an RTF document.
    std::string ToRtf() const;
    // Writes the document through a temporary file renamed over path. Returns 1,
    // or 0 with *error set.
    int Save(const std::string& path, std::string* error = nullptr) const;

    std::string strText;
    // Printed at the top of every page (empty: no header). Every page's footer
    // carries "第 N 页 共 M 页" as page fields that the word processor fills in.
    std::string strHeader;

private:
    struct Block {
        enum Kind { Text, Table, Picture } kind = Text;
        std::string text;                         // text
        std::vector<std::vector<std::string>> rows; // table: first row the titles when titled
        bool titled = false;
        bool numbers = false;                     // table: cells flush right
        int rowsPerPage = 0;                      // table: > 0, in pages of that many rows
        std::vector<double> share;                // table: column shares of its width
        int width = 100;                          // table: per cent of the text width
        std::string png;                          // picture bytes
        bool emf = false;                         // an EMF, not a PNG
        bool keepNext = false;                    // text: kept with the next line
        int pixelsX = 0, pixelsY = 0;
        double mmX = 0, mmY = 0;
    };
    Block& TextBlock();
    std::vector<Block> blocks;
    std::map<std::string, const CBase_SGT*> drawings_;
    bool keepNext_ = false;
};
