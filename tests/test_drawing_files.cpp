// Diagrams written as files and read back by real readers: the PNG header, the
// SVG document, and the DXF through ezdxf's recover, audit and strict read.
#include "CanvasWriters.h"
#include "KangLiJiSuan.h"
#include "RecordJson.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <cairo.h>
#include <filesystem>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

namespace {

// A calculated example with its three diagrams drawn.
struct Drawn {
    CPelvorinData record;
    CKangLiJiSuan calc;
    CBase_SGT canvas[3];
    explicit Drawn(const char* example)
    {
        InitKangLiData(&record);
        std::string error;
        EXPECT_TRUE(LoadRecordFile(std::string(KANGLI_EXAMPLES_DIR) + "/" + example, record, &error));
        calc.pData = &record;
        EXPECT_EQ(calc.JiSuan(), 1);
        for (int n = 0; n < 3; ++n)
            calc.DrawTu(n, &canvas[n], nullptr);
    }
};

bool HaveEzdxf()
{
    return std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0;
}

std::string Audit(const std::string& path, int* status)
{
    TempDir dir;
    std::string out = dir.path + "/audit.txt";
    int raw = std::system(("/usr/bin/python3 '" KANGLI_SOURCE_DIR "/tests/tools/dxf_audit.py' '" +
                           path + "' >'" + out + "' 2>&1")
                              .c_str());
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return ReadText(out);
}

} // namespace

TEST(DrawingFiles, PngAndSvg)
{
    Drawn d("circular-pile-into-rock.json");
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteCanvas(d.canvas[1], dir.path + "/result.png", &error)) << error;
    std::string png = ReadText(dir.path + "/result.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    auto be32 = [&png](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    const unsigned width = be32(16), height = be32(20);
    EXPECT_TRUE(width == 1600 || height == 1600) << width << " x " << height;

    ASSERT_TRUE(WriteCanvas(d.canvas[0], dir.path + "/sketch.SVG", &error)) << error;
    std::string svg = ReadText(dir.path + "/sketch.SVG");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);

    EXPECT_FALSE(WriteCanvas(d.canvas[0], dir.path + "/sketch.pdf", &error));
    EXPECT_NE(error.find("unknown drawing format"), std::string::npos);
    EXPECT_FALSE(WriteCanvas(d.canvas[0], dir.path + "/no/dir/x.png", &error));
    EXPECT_EQ(error.rfind("cannot write the file", 0), 0u);
}

namespace {

// The value after "key " on its line of the audit report.
std::string Field(const std::string& report, const std::string& key)
{
    const size_t at = report.find("\n" + key + " ");
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size() + 2;
    return report.substr(start, report.find('\n', start) - start);
}

} // namespace

TEST(DrawingFiles, DxfReadsAsACadUserExpects)
{
    if (!HaveEzdxf())
        GTEST_SKIP() << "python3-ezdxf not installed";
    Drawn d("rectangular-pile-soil-layers.json");
    TempDir dir;
    const char* types[3] = {"ARC:1 DIMENSION:2 LINE:9", "LINE:", "LINE:"};
    const char* units[3] = {"4", "6", "6"}; // millimetres, metres, metres
    for (int n = 0; n < 3; ++n) {
        std::string path = dir.path + "/d" + std::to_string(n) + ".dxf";
        std::string error;
        ASSERT_TRUE(WriteCanvas(d.canvas[n], path, &error)) << error;
        int status = -1;
        std::string report = Audit(path, &status);
        EXPECT_EQ(status, 0) << report;
        EXPECT_EQ(report.rfind("problems 0 ", 0), 0u) << report;
        EXPECT_EQ(Field(report, "units"), units[n]) << report;
        EXPECT_EQ(Field(report, "types").rfind(types[n], 0), 0u) << report;
        EXPECT_EQ(Field(report, "duplicates"), "0") << report;
        // Every text style resolves to an installed font with Chinese glyphs.
        if (report.find("font ? ? unknown") == std::string::npos) { // matplotlib present
            EXPECT_NE(report.find("font unicode WenQuanYi_Zen_Hei yes"), std::string::npos) << report;
        }
        // The active viewport holds the whole drawing.
        double x0, y0, x1, y1, cx, cy, h, w;
        ASSERT_EQ(std::sscanf(Field(report, "extents").c_str(), "%lf %lf %lf %lf", &x0, &y0, &x1, &y1), 4);
        ASSERT_EQ(std::sscanf(Field(report, "view").c_str(), "%lf %lf %lf %lf", &cx, &cy, &h, &w), 4);
        EXPECT_LE(cx - w / 2, x0) << report;
        EXPECT_GE(cx + w / 2, x1) << report;
        EXPECT_LE(cy - h / 2, y0) << report;
        EXPECT_GE(cy + h / 2, y1) << report;
        if (n == 0) {
            for (const char* layer : {"DIM:2", "PILE:4", "SECTION:4", "SLIP:1", "SLOPE:1"})
                EXPECT_NE(Field(report, "layers").find(layer), std::string::npos) << report;
        }
        if (n == 1) {
            EXPECT_NE(report.find("土提供抗力"), std::string::npos) << report;
            EXPECT_NE(report.find("最终抗力"), std::string::npos) << report;
            EXPECT_NE(report.find("1523.43"), std::string::npos) << report; // pile at 14 m
            for (const char* layer : {"AXIS:", "GROUND-RESISTANCE:", "PILE-RESISTANCE:", "FINAL-RESISTANCE:", "LABEL:"})
                EXPECT_NE(Field(report, "layers").find(layer), std::string::npos) << report;
        }
    }
    // The earth-pressure diagram draws interior depth labels and lines twice;
    // the file holds each once.
    int drawn = 0;
    ForEachItem(d.canvas[2], [&drawn](const SgtItem&, const SgtTransform&) { ++drawn; });
    int status = -1;
    const std::string report = Audit(dir.path + "/d2.dxf", &status);
    int written = 0;
    const std::string counts = Field(report, "types");
    for (size_t at = counts.find(':'); at != std::string::npos; at = counts.find(':', at + 1))
        written += std::atoi(counts.c_str() + at + 1);
    EXPECT_LT(written, drawn) << report;
}

// Every DXF kangli writes, the internal-force drawing of each design example
// included, decodes strictly in its declared code page: a CAD user's reader
// recovers nothing (layer names in GBK like every other text).
TEST(DrawingFiles, EveryDxfOfAReportDecodesInItsCodePage)
{
    if (!HaveEzdxf())
        GTEST_SKIP() << "python3-ezdxf not installed";
    const std::vector<std::string> records = {
        "circular-pile-into-rock.json", "rectangular-pile-soil-layers.json", "design/circular-pile-into-rock.json",
        "design/defaults.json", "design/rectangular-pile-soil-layers.json"};
    for (const std::string& name : records) {
        TempDir dir;
        const std::string cmd = "'" KANGLI_EXE "' report '" KANGLI_EXAMPLES_DIR "/" + name + "' '" + dir.path +
                                "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << name;
        int drawings = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
            if (entry.path().extension() != ".dxf")
                continue;
            ++drawings;
            int status = -1;
            const std::string audit = Audit(entry.path().string(), &status);
            EXPECT_EQ(status, 0) << name << ": " << entry.path().filename() << "\n" << audit;
        }
        EXPECT_GE(drawings, name.rfind("design/", 0) == 0 ? 4 : 3) << name;
    }
    // With --units none no drawing of a report declares a unit ($INSUNITS 0),
    // the internal-force drawing included.
    TempDir dir;
    ASSERT_EQ(std::system(("'" KANGLI_EXE "' report '" KANGLI_EXAMPLES_DIR "/design/defaults.json' '" + dir.path +
                           "' --units none >/dev/null 2>&1")
                              .c_str()),
              0);
    for (const char* name : {"kl-jt0.dxf", "kl-jt1.dxf", "kl-jt2.dxf", "kl-nl-jt.dxf"}) {
        int status = -1;
        const std::string audit = Audit(dir.path + "/" + name, &status);
        EXPECT_EQ(status, 0) << name << "\n" << audit;
        EXPECT_NE(audit.find("\nunits 0\n"), std::string::npos) << name << "\n" << audit;
    }
}

TEST(DrawingFiles, DiagramFilesUnderTheWorkPath)
{
    Drawn d("defaults.json");
    TempWorkPath dir;
    SetCanvasFileWriter(nullptr);
    EXPECT_EQ(d.calc.WriteJianTu(&d.record, 0, 1), 0); // nothing to write with
    UseCanvasWriters();
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(d.calc.WriteJianTu(&d.record, n, 1), 1) << n;
    for (const char* name : {"kl-jt0.dxf", "kl-jt1.dxf", "kl-jt2.dxf"}) {
        const std::string text = ReadText(dir.path + "/" + name);
        EXPECT_LT(text.find("  0\nSECTION\n  2\nHEADER\n"), 40u) << name;
        ASSERT_GT(text.size(), 8u);
        EXPECT_EQ(text.substr(text.size() - 8), "  0\nEOF\n") << name;
    }
}

TEST(DrawingFiles, KangliDraw)
{
    TempDir dir;
    std::string out = dir.path + "/result.png";
    CliRun r = RunKangli("draw '" KANGLI_EXAMPLES_DIR "/defaults.json' 1 '" + out + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadText(out).substr(0, 4), "\x89PNG");
    r = RunKangli("draw '" KANGLI_EXAMPLES_DIR "/defaults.json' 4 '" + out + "'");
    EXPECT_EQ(r.status, 2);
    r = RunKangli("draw '" KANGLI_EXAMPLES_DIR "/defaults.json' 3 '" + out + "'"); // no design block
    EXPECT_EQ(r.status, 1);
    r = RunKangli("draw '" KANGLI_EXAMPLES_DIR "/defaults.json' 0 '" + dir.path + "/x.doc'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("x.doc: unknown drawing format"), std::string::npos);
    r = RunKangli("draw '" KANGLI_SOURCE_DIR "/tests/broken/zero-spacing.dat' 1 '" + out + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(ReadText(out).substr(0, 4), "\x89PNG"); // the earlier drawing stays
}

TEST(DrawingFiles, DxfIsTheSameFromRunToRunAndEveryHandlePointsAtSomething)
{
    Drawn d("circular-pile-into-rock.json");
    TempDir dir;
    for (int n = 0; n < 3; ++n) {
        const std::string a = dir.path + "/a.dxf", b = dir.path + "/b.dxf";
        std::string error;
        ASSERT_TRUE(WriteCanvas(d.canvas[n], a, &error)) << error;
        {
            // Fresh heap and stack contents between the two writes.
            std::vector<char> noise(1 << 16, static_cast<char>(0x5A + n));
            (void)noise;
        }
        ASSERT_TRUE(WriteCanvas(d.canvas[n], b, &error)) << error;
        const std::string text = ReadText(a);
        EXPECT_EQ(ReadText(b), text) << "diagram " << n;
        // Group codes and values alternate line by line: collect the handles an
        // object carries (5, 105) and those that point at one (330, 340).
        std::istringstream lines(text);
        std::string code, value;
        std::set<std::string> handles, pointers;
        while (std::getline(lines, code) && std::getline(lines, value)) {
            const int gc = std::stoi(code);
            if (gc == 5 || gc == 105)
                handles.insert(value);
            if (gc == 340)
                pointers.insert(value);
        }
        for (const std::string& p : pointers)
            EXPECT_TRUE(handles.count(p)) << "diagram " << n << ": group 340 points at nothing: " << p;
    }
}

// A CAD program draws a dimension anew from its style and the header's
// variables (after an edit; LibreCAD on every load): drawn anew, each
// dimension's text and ticks keep the size its block shows.
TEST(DrawingFiles, DimensionsDrawnAnewKeepTheirSize)
{
    if (!HaveEzdxf())
        GTEST_SKIP() << "python3-ezdxf not installed";
    for (const char* example : {"defaults.json", "circular-pile-into-rock.json", "rectangular-pile-soil-layers.json"}) {
        Drawn d(example);
        TempDir dir;
        const std::string path = dir.path + "/sketch.dxf", out = dir.path + "/dims.txt";
        std::string error;
        ASSERT_TRUE(WriteCanvas(d.canvas[0], path, &error)) << error;
        ASSERT_EQ(std::system(("/usr/bin/python3 '" KANGLI_SOURCE_DIR "/tests/tools/dxf_dimensions.py' '" + path +
                               "' >'" + out + "' 2>&1")
                                  .c_str()),
                  0)
            << ReadText(out);
        std::istringstream lines(ReadText(out));
        std::string line;
        int dims = 0;
        double blockText = 0;
        while (std::getline(lines, line)) {
            int n;
            double text0, text1, tick0, tick1;
            if (std::sscanf(line.c_str(), "dim %d %lf %lf %lf %lf", &n, &text0, &text1, &tick0, &tick1) == 5) {
                ++dims;
                blockText = text0;
                EXPECT_GT(text0, 100.0) << example << ": " << line; // hundreds of millimetres
                EXPECT_NEAR(text1, text0, 1e-6 * text0) << example << ": " << line;
                EXPECT_GT(tick0, 0.0) << example << ": " << line;
                EXPECT_NEAR(tick1, tick0, 0.01 * tick0) << example << ": " << line;
            }
            double txt, asz, tsz;
            if (std::sscanf(line.c_str(), "header %lf %lf %lf", &txt, &asz, &tsz) == 3) {
                EXPECT_NEAR(txt, blockText, 1e-6 * blockText) << example << ": " << line;
                EXPECT_NEAR(tsz, 0.35 * blockText, 1e-6 * blockText) << example << ": " << line;
                EXPECT_NEAR(asz, 2 * tsz, 1e-6 * blockText) << example << ": " << line;
            }
        }
        EXPECT_GE(dims, 1) << example << ReadText(out);
    }
}

// A metre diagram written without its unit, for CAD programs that print a
// declared metre drawing a thousand times too large: $INSUNITS 0, and where
// LibreCAD is installed it prints on one A4 page.
TEST(DrawingFiles, AMetreDiagramWithoutItsUnitPrintsOnAPage)
{
    TempDir dir;
    const std::string none = dir.path + "/none.dxf", declared = dir.path + "/declared.dxf";
    ASSERT_EQ(RunKangli("draw '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' 1 '" + none +
                        "' --units none")
                  .status,
              0);
    ASSERT_EQ(RunKangli("draw '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' 1 '" + declared + "'").status,
              0);
    EXPECT_NE(ReadText(none).find("$INSUNITS\n 70\n0\n"), std::string::npos);
    EXPECT_NE(ReadText(declared).find("$INSUNITS\n 70\n6\n"), std::string::npos);
    const CliRun wrong = RunKangli("draw '" KANGLI_EXAMPLES_DIR "/defaults.json' 1 '" + none + "' --units mm");
    EXPECT_EQ(wrong.status, 2);

}

namespace {

// The box of the ink on a page of a binary greyscale picture (P5): false when
// the picture cannot be read or has no ink.
bool InkBox(const std::string& pgm, int& w, int& h, int box[4])
{
    std::istringstream in(pgm);
    std::string magic;
    int maxValue = 0;
    in >> magic >> w >> h >> maxValue;
    in.get();
    if (magic != "P5" || w <= 0 || h <= 0 || maxValue != 255)
        return false;
    const std::string pixels = pgm.substr(static_cast<size_t>(in.tellg()));
    if (pixels.size() < static_cast<size_t>(w) * h)
        return false;
    box[0] = w, box[1] = h, box[2] = -1, box[3] = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (static_cast<unsigned char>(pixels[static_cast<size_t>(y) * w + x]) < 200) {
                box[0] = std::min(box[0], x), box[1] = std::min(box[1], y);
                box[2] = std::max(box[2], x), box[3] = std::max(box[3], y);
            }
    return box[2] >= 0;
}

} // namespace

// What a LibreCAD user meets: every drawing of a report written with
// --units none prints on one A4 page, whole: the page fitted to it (-a) holds
// every label, so no ink touches its edge. And the characters LibreCAD's font
// has no glyph for, which print as diamonds there, are the ones docs/files.md lists.
TEST(DrawingFiles, LibreCadPrintsEveryDrawingOfAReportWhole)
{
    if (std::system("command -v librecad >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1 && "
                    "command -v pdfinfo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreCAD or poppler-utils not installed";
    TempDir all; // every drawing printed, for the glyph check
    std::string drawings;
    int n = 0;
    for (const char* record : {"design/defaults.json", "rectangular-pile-soil-layers.json"}) {
        TempDir dir;
        ASSERT_EQ(std::system(("'" KANGLI_EXE "' report '" KANGLI_EXAMPLES_DIR "/" + std::string(record) + "' '" +
                               dir.path + "' --units none >/dev/null 2>&1")
                                  .c_str()),
                  0);
        for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
            if (entry.path().extension() != ".dxf")
                continue;
            const std::string stem = entry.path().stem().string();
            const std::string cmd = "cd '" + dir.path + "' && QT_QPA_PLATFORM=offscreen timeout 120 librecad dxf2pdf -a '" +
                                    stem + ".dxf' >/dev/null 2>&1 && pdfinfo '" + stem + ".pdf' >info.txt 2>&1 && " +
                                    "pdftoppm -r 40 -gray '" + stem + ".pdf' page";
            ASSERT_EQ(std::system(cmd.c_str()), 0) << record << " " << stem;
            EXPECT_NE(ReadText(dir.path + "/info.txt").find("(A4)"), std::string::npos) << stem;
            int w = 0, h = 0, box[4] = {0, 0, 0, 0};
            ASSERT_TRUE(InkBox(ReadText(dir.path + "/page-1.pgm"), w, h, box)) << record << " " << stem;
            EXPECT_TRUE(box[0] > 0 && box[1] > 0 && box[2] < w - 1 && box[3] < h - 1)
                << record << " " << stem << ": ink from (" << box[0] << ", " << box[1] << ") to (" << box[2] << ", "
                << box[3] << ") on a page of " << w << " x " << h;
            const std::string copy = all.path + "/" + std::to_string(n++) + ".dxf";
            std::filesystem::copy_file(entry.path(), copy);
            drawings += " '" + copy + "'";
        }
    }
    if (!HaveEzdxf())
        GTEST_SKIP() << "python3-ezdxf not installed";
    const std::string font = "/usr/share/librecad/fonts/unicode.lff";
    ASSERT_TRUE(std::filesystem::exists(font));
    ASSERT_EQ(std::system(("/usr/bin/python3 '" KANGLI_SOURCE_DIR "/tests/tools/librecad_glyphs.py' '" + font + "'" +
                           drawings + " >'" + all.path + "/missing.txt'")
                              .c_str()),
              0);
    std::string missing = ReadText(all.path + "/missing.txt");
    missing.erase(missing.find_last_not_of('\n') + 1);
    // The list in docs/files.md: "simplified characters (侧, 剪, ...): those".
    const std::string readme = ReadText(KANGLI_SOURCE_DIR "/docs/files.md");
    const size_t from = readme.find("simplified characters (");
    ASSERT_NE(from, std::string::npos);
    const size_t open = readme.find('(', from) + 1;
    std::string listed;
    for (const char c : readme.substr(open, readme.find(')', open) - open))
        if (c != ',' && c != ' ' && c != '\n')
            listed += c;
    EXPECT_EQ(listed, missing) << "the characters LibreCAD prints as diamonds";
}

// "Zoom extents" in a CAD program shows the header's $EXTMIN/$EXTMAX: they hold
// what each diagram draws (the slip arc by its sweep, dimension ticks and texts,
// labels by their font) to within a text height, as ezdxf measures the
// entities with the font's own metrics.
TEST(DrawingFiles, HeaderExtentsFitWhatIsDrawn)
{
    if (!HaveEzdxf())
        GTEST_SKIP() << "python3-ezdxf not installed";
    TempDir dir;
    for (const char* example : {"defaults.json", "circular-pile-into-rock.json", "rectangular-pile-soil-layers.json"}) {
        for (int n = 0; n < 3; ++n) {
            const std::string path = dir.path + "/d.dxf", out = dir.path + "/extents.txt";
            const CliRun r = RunKangli(std::string("draw '" KANGLI_EXAMPLES_DIR "/") + example + "' " +
                                       std::to_string(n) + " '" + path + "'");
            ASSERT_EQ(r.status, 0) << r.err;
            ASSERT_EQ(std::system(("/usr/bin/python3 '" KANGLI_SOURCE_DIR "/tests/tools/dxf_extents.py' '" + path +
                                   "' >'" + out + "' 2>&1")
                                      .c_str()),
                      0)
                << ReadText(out);
            const std::string report = ReadText(out);
            if (report.find("fonts measured") == std::string::npos)
                GTEST_SKIP() << "matplotlib cannot read the drawing's font: ezdxf would guess text widths";
            double drawn[4], header[4], text = 0;
            ASSERT_EQ(std::sscanf(Field("\n" + report, "drawn").c_str(), "%lf %lf %lf %lf", &drawn[0], &drawn[1],
                                  &drawn[2], &drawn[3]),
                      4)
                << report;
            ASSERT_EQ(std::sscanf(Field("\n" + report, "header").c_str(), "%lf %lf %lf %lf", &header[0], &header[1],
                                  &header[2], &header[3]),
                      4)
                << report;
            ASSERT_EQ(std::sscanf(Field("\n" + report, "text").c_str(), "%lf", &text), 1) << report;
            ASSERT_GT(text, 0.0) << report;
            ASSERT_GT(drawn[2] - drawn[0], 10 * text) << report;
            const char* side[4] = {"min x", "min y", "max x", "max y"};
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(header[k], drawn[k], text) << example << " diagram " << n << " " << side[k] << "\n"
                                                       << report;
        }
    }
}

namespace {

// The width and height of a PNG file, from its header.
std::pair<unsigned, unsigned> PngSize(const std::string& png)
{
    if (png.size() < 24 || png.substr(0, 8) != "\x89PNG\r\n\x1a\n")
        return {0, 0};
    auto be32 = [&png](size_t at) {
        return (static_cast<unsigned>(static_cast<unsigned char>(png[at])) << 24) |
               (static_cast<unsigned>(static_cast<unsigned char>(png[at + 1])) << 16) |
               (static_cast<unsigned>(static_cast<unsigned char>(png[at + 2])) << 8) |
               static_cast<unsigned>(static_cast<unsigned char>(png[at + 3]));
    };
    return {be32(16), be32(20)};
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(DrawingFiles, EveryPictureIs1600PixelsOnItsLongerSide)
{
    TempDir dir;
    for (const char* example : {"defaults.json", "circular-pile-into-rock.json", "rectangular-pile-soil-layers.json"}) {
        Drawn d(example);
        for (int n = 0; n < 3; ++n) {
            std::string error;
            ASSERT_TRUE(WriteCanvas(d.canvas[n], dir.path + "/d.png", &error)) << error;
            const auto [w, h] = PngSize(ReadText(dir.path + "/d.png"));
            EXPECT_EQ(std::max(w, h), 1600u) << example << " diagram " << n << ": " << w << " x " << h;
            EXPECT_GT(std::min(w, h), 100u) << example << " diagram " << n;
            ASSERT_TRUE(WriteCanvas(d.canvas[n], dir.path + "/d.svg", &error)) << error;
            const std::string svg = ReadText(dir.path + "/d.svg");
            const bool wide = w >= h;
            EXPECT_NE(svg.find(wide ? "width=\"1600\"" : "height=\"1600\""), std::string::npos)
                << example << " diagram " << n << "\n" << svg.substr(0, 300);
        }
    }
}

// SVG texts are text a reader can select and search, in a named font with
// fallbacks; each label once, as in the DXF.
TEST(DrawingFiles, SvgTextsAreTextInANamedFont)
{
    Drawn d("rectangular-pile-soil-layers.json");
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteCanvas(d.canvas[1], dir.path + "/r.svg", &error)) << error;
    const std::string svg = ReadText(dir.path + "/r.svg");
    for (const char* label : {">土提供抗力</text>", ">桩提供抗力</text>", ">最终抗力</text>", ">1523.43</text>"})
        EXPECT_NE(svg.find(label), std::string::npos) << label;
    EXPECT_NE(svg.find("font-family=\"'WenQuanYi Zen Hei', "), std::string::npos);
    EXPECT_NE(svg.find("sans-serif\""), std::string::npos); // the last resort
    EXPECT_EQ(svg.find("<symbol"), std::string::npos);      // no glyph outlines

    // The earth-pressure diagram draws its interior depth labels twice; the
    // picture, like the DXF, holds each once.
    ASSERT_TRUE(WriteCanvas(d.canvas[2], dir.path + "/e.svg", &error)) << error;
    const std::string earth = ReadText(dir.path + "/e.svg");
    std::set<std::string> distinct;
    int drawn = 0;
    ForEachItem(d.canvas[2], [&](const SgtItem& it, const SgtTransform&) {
        if (it.kind == SgtItem::Text) {
            ++drawn;
            distinct.insert(it.text + "@" + std::to_string(it.x1) + "," + std::to_string(it.y1));
        }
    });
    ASSERT_LT(static_cast<int>(distinct.size()), drawn); // the diagram does repeat
    EXPECT_EQ(Count(earth, "<text "), static_cast<int>(distinct.size()));
    EXPECT_EQ(Count(earth, ">24.00</text>"), 1);
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
    ASSERT_TRUE(WriteCanvas(canvas, dir.path + "/t.dxf", &error)) << error;
    ASSERT_TRUE(WriteCanvas(canvas, dir.path + "/t.png", &error)) << error;
    ASSERT_TRUE(WriteCanvas(canvas, dir.path + "/t.svg", &error)) << error;

    // The DXF's text: its height (group 40 of the TEXT entity).
    const std::string dxf = ReadText(dir.path + "/t.dxf");
    const size_t entities = dxf.find("ENTITIES\n"), text = dxf.find("\nTEXT\n", entities);
    ASSERT_NE(text, std::string::npos);
    const size_t g40 = dxf.find("\n 40\n", text);
    ASSERT_NE(g40, std::string::npos);
    const double dxfHeight = std::atof(dxf.c_str() + g40 + 5);
    ASSERT_DOUBLE_EQ(dxfHeight, 10.0);

    // The PNG, read back: the line's length in pixels gives the scale, the
    // rows that the capitals darken their height.
    cairo_surface_t* png = cairo_image_surface_create_from_png((dir.path + "/t.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    const int w = cairo_image_surface_get_width(png), h = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    auto dark = [&](int x, int y) {
        const uint32_t px = *reinterpret_cast<const uint32_t*>(data + y * stride + 4 * x);
        return ((px >> 8) & 0xFF) < 128; // green channel
    };
    int lineRow = -1, lineX0 = w, lineX1 = -1, best = 0;
    for (int y = 0; y < h; ++y) {
        int n = 0, x0 = w, x1 = -1;
        for (int x = 0; x < w; ++x)
            if (dark(x, y)) {
                ++n;
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
            }
        if (n > best) {
            best = n;
            lineRow = y;
            lineX0 = x0;
            lineX1 = x1;
        }
    }
    ASSERT_GT(lineRow, 0);
    int top = h, bottom = -1;
    for (int y = 0; y < lineRow - 3; ++y)
        for (int x = 0; x < w; ++x)
            if (dark(x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    cairo_surface_destroy(png);
    ASSERT_GT(bottom, top);
    const double pxPerUnit = (lineX1 - lineX0) / 100.0;
    const double pngHeight = (bottom - top + 1) / pxPerUnit;
    EXPECT_NEAR(pngHeight, dxfHeight, 0.06 * dxfHeight) << "line " << lineX1 - lineX0 << " px, text " << bottom - top + 1
                                                        << " px";

    // The SVG: its font size, drawn in the font it names first, makes
    // capitals as high as the DXF's.
    const std::string svg = ReadText(dir.path + "/t.svg");
    double x1 = 0, x2 = 0, size = 0;
    const size_t line = svg.find("<line ");
    ASSERT_NE(line, std::string::npos);
    ASSERT_EQ(std::sscanf(svg.c_str() + svg.find("x1=", line), "x1=\"%lf\"", &x1), 1);
    ASSERT_EQ(std::sscanf(svg.c_str() + svg.find("x2=", line), "x2=\"%lf\"", &x2), 1);
    const size_t label = svg.find("<text ");
    ASSERT_NE(label, std::string::npos);
    ASSERT_EQ(std::sscanf(svg.c_str() + svg.find("font-size=", label), "font-size=\"%lf\"", &size), 1);
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(probe);
    cairo_select_font_face(cr, "WenQuanYi Zen Hei", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, "HH", &ext);
    cairo_destroy(cr);
    cairo_surface_destroy(probe);
    const double svgHeight = -ext.y_bearing / ((x2 - x1) / 100.0);
    EXPECT_NEAR(svgHeight, dxfHeight, 0.06 * dxfHeight) << "font size " << size;
}
