// Diagrams written as files and read back by real readers: ezdxf (recover,
// audit, strict read, dimensions drawn anew), LibreCAD printing them, cairo
// reading the pictures back.
#include "CanvasWriters.h"
#include "KangLiJiSuan.h"
#include "RecordFile.h"
#include "TestFiles.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

// A calculated example with its three diagrams drawn.
struct Drawn {
    CPelvorinData record;
    CKangLiJiSuan calc;
    CBase_SGT canvas[3];
    explicit Drawn(const std::string& example)
    {
        InitKangLiData(&record);
        std::string error;
        EXPECT_TRUE(LoadRecordFile(KANGLI_EXAMPLES_DIR "/" + example, record, &error));
        calc.pData = &record;
        EXPECT_EQ(calc.JiSuan(), 1);
        for (int n = 0; n < 3; ++n)
            calc.DrawTu(n, &canvas[n], nullptr);
    }
};

// A shell command's exit status, its output (both streams) in *out.
int Shell(const std::string& cmd, std::string* out)
{
    TempDir dir;
    const int raw = std::system(("(" + cmd + ") >'" + dir.path + "/out' 2>&1").c_str());
    *out = ReadText(dir.path + "/out");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// tests/tools/dxf_audit.py: 0 when the file reads without a fix; its report in *out.
int Audit(const std::string& args, std::string* out)
{
    return Shell("/usr/bin/python3 '" KANGLI_SOURCE_DIR "/tests/tools/dxf_audit.py' " + args, out);
}

// The numbers after "key " on its line of the audit report.
std::vector<double> Numbers(const std::string& report, const std::string& key)
{
    const size_t at = ("\n" + report).find("\n" + key + " ");
    std::istringstream in(at == std::string::npos ? "" : report.substr(at + key.size(), report.find('\n', at) - at - key.size()));
    return {std::istream_iterator<double>(in), std::istream_iterator<double>()};
}

// The first and last column darker than `below` (green) on each row of a PNG
// file ({width, -1} where none is), and its width.
std::vector<std::pair<int, int>> DarkSpans(const std::string& png, int below, int* width)
{
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    const int w = cairo_image_surface_get_width(s), stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    std::vector<std::pair<int, int>> rows(cairo_image_surface_get_height(s), {w, -1});
    for (size_t y = 0; y < rows.size(); ++y)
        for (int x = 0; x < w; ++x)
            if (((*reinterpret_cast<const uint32_t*>(data + y * stride + 4 * x) >> 8) & 0xFF) < static_cast<uint32_t>(below))
                rows[y] = {std::min(rows[y].first, x), x};
    cairo_surface_destroy(s);
    *width = w;
    return rows;
}

} // namespace

// Every diagram of every example, as files: the PNG 1600 pixels on its longer
// side and the SVG as large; each label once in the SVG and the DXF though the
// earth-pressure diagram draws its interior labels twice; the DXF the same
// byte for byte from write to write with every handle pointing at something;
// and, read by ezdxf, nothing to fix, its unit, no duplicate, its fonts
// installed, the viewport and "zoom extents" ($EXTMIN/$EXTMAX, to within a
// text height) holding what is drawn, and dimensions keeping their size when
// a CAD program draws them anew from the header's variables. The result
// diagram's labels are Chinese text a reader selects and searches, in a named
// font with fallbacks, no glyph outlines, with the final resistance worked by
// hand (113.772 at 5 m, 360.549 at 8 m, the pile's 1523.433 at 14 m).
TEST(DrawingFiles, EveryDiagramOfEveryExampleReadsAsDrawn)
{
    std::string report;
    const bool ezdxf = Shell("/usr/bin/python3 -c 'import ezdxf'", &report) == 0;
    const struct { const char *example, *sketchTypes, *result; } examples[] = {
        {"defaults.json", "ARC:1 DIMENSION:2 LINE:9 ", "113.77"},
        {"circular-pile-into-rock.json", "ARC:1 CIRCLE:1 DIMENSION:1 LINE:5 ", "360.55"},
        {"rectangular-pile-soil-layers.json", "ARC:1 DIMENSION:2 LINE:9 ", "1523.43"}};
    const double units[3] = {4, 6, 6}; // millimetres, metres, metres
    TempDir dir;
    const std::string png = dir.path + "/d.png", svgPath = dir.path + "/d.svg", a = dir.path + "/a.dxf", b = dir.path + "/b.dxf";
    for (const auto& [example, sketchTypes, result] : examples) {
        Drawn d(example);
        for (int n = 0; n < 3; ++n) {
            const std::string what = std::string(example) + " diagram " + std::to_string(n);
            std::string error;
            for (const std::string& path : {png, svgPath, a, b})
                ASSERT_TRUE(WriteCanvas(d.canvas[n], path, &error)) << error;
            int w = 0;
            const int h = static_cast<int>(DarkSpans(png, 0, &w).size()); // only its size: nothing is darker than 0
            EXPECT_TRUE(std::max(w, h) == 1600 && std::min(w, h) > 100) << what << ": " << w << " x " << h;
            const std::string svg = ReadText(svgPath);
            EXPECT_TRUE(svg.starts_with("<?xml") && svg.find(w >= h ? "width=\"1600\"" : "height=\"1600\"") != std::string::npos) << what;
            EXPECT_TRUE(svg.find("font-family=\"'WenQuanYi Zen Hei', ") != std::string::npos && svg.find("sans-serif\"") != std::string::npos &&
                        svg.find("<symbol") == std::string::npos) << what; // sans-serif the last resort
            std::set<std::string> labels; // by text and place
            ForEachItem(d.canvas[n], [&](const SgtItem& it, const SgtTransform& t) {
                double x, y;
                t.Apply(it.x1, it.y1, x, y);
                if (it.kind == SgtItem::Text)
                    labels.insert(it.text + "@" + std::to_string(x) + "," + std::to_string(y));
            });
            int texts = 0;
            for (size_t at = svg.find("<text "); at != std::string::npos; at = svg.find("<text ", at + 1))
                ++texts;
            EXPECT_TRUE(n == 0 || texts == static_cast<int>(labels.size())) << what << ": " << texts << " texts";

            // Group codes and values alternate line by line: the handles an
            // object carries (5, 105) and those pointing at one (340).
            const std::string text = ReadText(a);
            EXPECT_EQ(ReadText(b), text) << what;
            std::istringstream lines(text);
            std::set<std::string> handles, pointers;
            for (std::string code, value; std::getline(lines, code) && std::getline(lines, value);)
                if (const int c = std::stoi(code); c == 5 || c == 105 || c == 340)
                    (c == 340 ? pointers : handles).insert(value);
            for (const std::string& p : pointers)
                EXPECT_TRUE(handles.count(p)) << what << ": group 340 points at nothing: " << p;

            const int audit = ezdxf ? Audit("'" + a + "'", &report) : 0;
            for (const std::string label : {"土提供抗力", "桩提供抗力", "最终抗力", result})
                EXPECT_TRUE(n != 1 || (svg.find(">" + label + "</text>") != std::string::npos &&
                                       (!ezdxf || report.find("|" + label) != std::string::npos))) << what << ": " << label << "\n" << report;
            if (!ezdxf)
                continue;
            EXPECT_EQ(audit, 0) << what << "\n" << report;
            EXPECT_EQ(report.rfind("problems 0 ", 0), 0u) << report;
            EXPECT_EQ(Numbers(report, "units"), std::vector<double>{units[n]}) << what;
            EXPECT_EQ(Numbers(report, "duplicates"), std::vector<double>{0}) << what;
            EXPECT_NE(report.find(n == 0 ? "\ntypes " + std::string(sketchTypes) : " TEXT:" + std::to_string(labels.size())),
                      std::string::npos) << what << "\n" << report;
            EXPECT_TRUE(report.find("font ? ? unknown") != std::string::npos || // without matplotlib
                        report.find("font unicode WenQuanYi_Zen_Hei yes") != std::string::npos) << report;
            const std::vector<double> ext = Numbers(report, "extents"), view = Numbers(report, "view"),
                                      drawn = Numbers(report, "drawn"), height = Numbers(report, "text");
            ASSERT_EQ(ext.size() + view.size() + drawn.size() + height.size(), 13u) << report;
            EXPECT_TRUE(view[0] - view[3] / 2 <= ext[0] && view[0] + view[3] / 2 >= ext[2] &&
                        view[1] - view[2] / 2 <= ext[1] && view[1] + view[2] / 2 >= ext[3])
                << what << ": the viewport does not hold the drawing\n" << report;
            ASSERT_GT(drawn[2] - drawn[0], 10 * height[0]) << report;
            for (int k = 0; k < 4 && report.find("fonts measured") != std::string::npos; ++k)
                EXPECT_NEAR(ext[k], drawn[k], height[0]) << what << ": side " << k << " of $EXTMIN/$EXTMAX\n" << report;
            // Drawn anew, a dimension's text (hundreds of millimetres, $DIMTXT)
            // and ticks keep their size: ticks 0.35 of the text ($DIMTSZ), arrows twice that ($DIMASZ).
            const std::vector<double> header = Numbers(report, "header"); // $DIMTXT $DIMASZ $DIMTSZ
            int dims = 0;
            for (std::vector<double> v; !(v = Numbers(report, "dim " + std::to_string(dims))).empty(); ++dims) {
                ASSERT_TRUE(v.size() == 4 && header.size() == 3) << report; // text and tick as written, drawn anew
                EXPECT_TRUE(v[0] > 100 && std::fabs(v[1] - v[0]) < 1e-6 * v[0] && v[2] > 0 && std::fabs(v[3] - v[2]) < 0.01 * v[2])
                    << what << ": dimension " << dims << "\n" << report;
                EXPECT_TRUE(std::fabs(header[0] - v[0]) < 1e-6 * v[0] && std::fabs(header[2] - 0.35 * v[0]) < 1e-6 * v[0] &&
                            std::fabs(header[1] - 2 * header[2]) < 1e-6 * v[0]) << what << "\n" << report;
            }
            EXPECT_EQ(dims > 0, n == 0) << what;
        }
    }
}

TEST(DrawingFiles, FilesUnderTheWorkPathAndFromTheCommandLine)
{
    Drawn d("defaults.json");
    TempDir dir;
    d.calc.context.workPath = dir.path + "/";
    EXPECT_EQ(d.calc.WriteJianTu(&d.record, 0, 1), 0); // nothing to write with
    d.calc.context.drawingWriter = WriteCanvas;
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(d.calc.WriteJianTu(&d.record, n, 1), 1) << n;
        const std::string text = ReadText(dir.path + "/kl-jt" + std::to_string(n) + ".dxf");
        EXPECT_TRUE(text.find("  0\nSECTION\n  2\nHEADER\n") < 40 && text.ends_with("  0\nEOF\n")) << n;
    }
    const std::string record = "'" KANGLI_EXAMPLES_DIR "/defaults.json' ", out = " '" + dir.path + "/r.png'";
    // No such diagram or unit (usage, 2): the drawing written first stays.
    const std::pair<std::string, int> runs[] = {{record + "1" + out, 0}, {record + "4" + out, 2}, {record + "1" + out + " --units mm", 2}};
    for (const auto& [args, status] : runs) {
        const CliRun r = RunKangli("draw " + args);
        EXPECT_EQ(r.status, status) << args << "\n" << r.err;
        EXPECT_EQ(ReadText(dir.path + "/r.png").substr(0, 4), "\x89PNG") << args;
    }
}

// Every DXF of the report of each design example, the internal-force drawing
// included, decodes strictly in its declared code page (layer names in GBK like
// every other text); written with --units none it declares no unit ($INSUNITS
// 0, for CAD programs that print a declared metre drawing a thousand times too
// large). What a LibreCAD user meets: each drawing prints on one A4 page, whole
// (the page fitted to it, -a, holds every label, so no ink touches its edge),
// and the characters LibreCAD's font has no glyph for, which print as diamonds
// there, are the ones docs/files.md lists.
TEST(DrawingFiles, EveryDxfOfAReportReadsInItsCodePageAndLibreCadPrintsItWhole)
{
    std::string out, drawings;
    const bool ezdxf = Shell("/usr/bin/python3 -c 'import ezdxf'", &out) == 0,
               librecad = Shell("command -v librecad && command -v pdftoppm && command -v pdfinfo", &out) == 0;
    if (!ezdxf && !librecad)
        GTEST_SKIP() << "neither python3-ezdxf nor LibreCAD with poppler-utils installed";
    TempDir all; // a folder per report
    for (const std::string example : {"defaults", "circular-pile-into-rock", "rectangular-pile-soil-layers"}) {
        const std::string dir = all.path + "/" + example;
        const bool print = librecad && example != "circular-pile-into-rock";
        std::istringstream written(RunKangli("report '" KANGLI_EXAMPLES_DIR "/design/" + example + ".json' '" + dir + "' --units none").out);
        std::vector<std::filesystem::path> paths; // the drawings it lists
        for (std::string name; written >> name;)
            if (name.ends_with(".dxf"))
                paths.emplace_back(name);
        EXPECT_EQ(paths.size(), 4u) << example;
        for (const auto& path : paths) {
            const std::string stem = path.stem().string(), what = example + " " + stem;
            EXPECT_TRUE(!ezdxf || (Audit("'" + path.string() + "'", &out) == 0 && Numbers(out, "units") == std::vector<double>{0}))
                << what << "\n" << out;
            if (!print)
                continue;
            ASSERT_EQ(Shell("cd '" + dir + "' && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a '" + stem +
                                ".dxf' && pdftoppm -r 40 -gray -png '" + stem + ".pdf' page && pdfinfo '" + stem + ".pdf'",
                            &out),
                      0) << what << "\n" << out;
            EXPECT_NE(out.find("(A4)"), std::string::npos) << what << "\n" << out;
            int w = 0;
            const auto rows = DarkSpans(dir + "/page-1.png", 200, &w);
            EXPECT_TRUE(rows.size() > 2 && rows.front().second < 0 && rows.back().second < 0 &&
                        std::any_of(rows.begin(), rows.end(), [](auto r) { return r.second >= 0; }) &&
                        std::all_of(rows.begin(), rows.end(), [w](auto r) { return r.second < 0 || (r.first > 0 && r.second < w - 1); }))
                << what << ": no ink, or ink at the edge of the page";
            drawings += " '" + path.string() + "'"; // for the glyph check
        }
    }
    if (!librecad || !ezdxf)
        GTEST_SKIP() << "LibreCAD, poppler-utils or python3-ezdxf not installed";
    ASSERT_EQ(Audit("--glyphs /usr/share/librecad/fonts/unicode.lff" + drawings, &out), 0) << out;
    out.erase(out.find_last_not_of('\n') + 1);
    // The list in docs/files.md: "simplified characters (侧, 剪, ...): those".
    const std::string doc = ReadText(KANGLI_SOURCE_DIR "/docs/files.md");
    const size_t open = doc.find('(', doc.find("simplified characters (")) + 1;
    std::string listed;
    for (const char c : doc.substr(open, doc.find(')', open) - open))
        if (c != ',' && c != ' ' && c != '\n')
            listed += c;
    EXPECT_EQ(listed, out) << "the characters LibreCAD prints as diamonds";
}

// A label reads as high in the PNG and the SVG as the DXF says: the DXF's text
// height is the height of the capitals, cairo's and SVG's font size the em.
TEST(DrawingFiles, LabelsAreAsHighInPicturesAsInTheDxf)
{
    CBase_SGT canvas;
    canvas.Draw_Line(0, 0, 100, 0, 1);
    canvas.Draw_Text(0, 50, 10, 0, "HH");
    TempDir dir;
    std::string error;
    for (const char* name : {"/t.dxf", "/t.png", "/t.svg"})
        ASSERT_TRUE(WriteCanvas(canvas, dir.path + name, &error)) << error;
    // The DXF's text height: group 40 of the TEXT entity.
    const std::string dxf = ReadText(dir.path + "/t.dxf");
    const double dxfHeight = 10;
    ASSERT_EQ(std::atof(dxf.c_str() + dxf.find("\n 40\n", dxf.find("\nTEXT\n", dxf.find("ENTITIES\n"))) + 5), dxfHeight) << dxf;

    // The PNG, read back: the longest dark row is the line and gives the
    // scale; the rows above it that the capitals darken their height.
    int w = 0;
    const auto rows = DarkSpans(dir.path + "/t.png", 128, &w);
    const auto line = std::max_element(rows.begin(), rows.end(), [](auto p, auto q) { return p.second - p.first < q.second - q.first; });
    const auto top = std::find_if(rows.begin(), line - 3, [](auto r) { return r.second >= 0; });
    const auto bottom = std::find_if(std::make_reverse_iterator(line - 3), rows.rend(), [](auto r) { return r.second >= 0; });
    ASSERT_TRUE(top < line - 3) << "no text above the line";
    const double pxPerUnit = (line->second - line->first) / 100.0, px = (rows.rend() - bottom) - (top - rows.begin());
    EXPECT_NEAR(px / pxPerUnit, dxfHeight, 0.06 * dxfHeight) << "text " << px << " px";

    // The SVG: its font size, drawn in the font it names first, makes
    // capitals as high as the DXF's.
    const std::string svg = ReadText(dir.path + "/t.svg");
    auto number = [&svg](const char* tag, const std::string& attribute) { // of the first such element
        const size_t at = svg.find(attribute + "=\"", svg.find(tag));
        return at == std::string::npos ? std::nan("") : std::atof(svg.c_str() + at + attribute.size() + 2);
    };
    const double x1 = number("<line ", "x1"), x2 = number("<line ", "x2"), size = number("<text ", "font-size");
    ASSERT_TRUE(x2 > x1 && size > 0) << svg;
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(probe);
    cairo_select_font_face(cr, "WenQuanYi Zen Hei", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, "HH", &ext);
    cairo_destroy(cr);
    cairo_surface_destroy(probe);
    EXPECT_NEAR(-ext.y_bearing / ((x2 - x1) / 100.0), dxfHeight, 0.06 * dxfHeight) << "font size " << size;
}
