// Calculation books: the concise result table and the RTF that carries it, read
// back by a real word processor where one is installed.
#include "Canvas.h"
#include "KangLiJiSuan.h"
#include "RecordJson.h"
#include "Rtf.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <algorithm>
#include <map>

#include <sstream>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// A new record with two default layers, the work path pointing at a fresh
// directory while it lives.
struct DefaultInWorkDir {
    TempWorkPath dir; // the work path while it lives
    CPelvorinData r;
    CKangLiJiSuan calc;
    DefaultInWorkDir()
    {
        InitKangLiData(&r);
        r.TuCeng.resize(2);
        calc.pData = &r;
    }
};

bool HaveWordProcessor()
{
    return if_file_exist("/usr/bin/soffice") && if_file_exist("/usr/bin/pdftotext");
}

// Converts dir/stem.rtf with LibreOffice and reads the PDF's text back (in its
// page layout when asked). False when either step failed.
bool PdfText(const std::string& dir, const std::string& stem, bool layout, std::string* text)
{
    const std::string cmd = "cd '" + dir + "' && /usr/bin/soffice -env:UserInstallation=file://" +
                            dir + "/profile --headless --convert-to pdf " + stem +
                            ".rtf >/dev/null 2>&1 && /usr/bin/pdftotext " + (layout ? "-layout " : "") +
                            stem + ".pdf " + stem + ".txt";
    if (std::system(cmd.c_str()) != 0)
        return false;
    *text = ReadText(dir + "/" + stem + ".txt");
    return true;
}

} // namespace

TEST(ConciseTable, OneLinePerPointFootFirst)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    calc.pData = &r;
    CRTF before;
    calc.WriteJss(1, &before);
    EXPECT_EQ(before.Text(),
              "点号    坐标     岩石抗力    土抗力    岩土抗力合力     桩抗力     最终抗力\n");

    ASSERT_EQ(calc.JiSuan(), 1);
    CRTF book;
    EXPECT_EQ(calc.WriteJss(1, &book), 1);
    std::vector<std::string> lines = Lines(book.Text());
    ASSERT_EQ(lines.size(), 22u);
    // The pile foot: nothing below it; the concrete at z = 10: N0 = 330,
    // Vc = 1744.4 + 23.1 = 1767.5, Fv = 353.5.
    EXPECT_EQ(lines[1], "0,     10.00 ,    0.000,    0.000,       0.000,    353.500,   0.000");
    // At 5 m (the worked default case): Ep 113.772 (113.773 by hand, 32-bit floats).
    EXPECT_EQ(lines[11], "10,     5.00 ,    0.000,    113.772,       113.772,    351.190,   113.772");
    EXPECT_EQ(lines[21].rfind("20,     0.00 ,", 0), 0u);
    // The detailed book is not written yet; other numbers write nothing.
    CRTF other;
    EXPECT_EQ(calc.WriteJss(7, &other), 1);
    EXPECT_EQ(other.Text(), "");
}

TEST(RtfWriter, EscapesAndUnicode)
{
    CRTF rtf;
    rtf.InsertText("抗力 %d{a}\\\tb\n", 3);
    rtf.InsertText("%s", "\xF0\xA0\xAE\xB7 \xFF!\n");
    std::string doc = rtf.ToRtf();
    EXPECT_EQ(doc.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(doc.find("WenQuanYi Zen Hei Mono"), std::string::npos);
    // U+6297 U+529B, braces and backslash escaped, a tab, a paragraph per line.
    EXPECT_NE(doc.find("\\u25239?\\u21147? 3\\{a\\}\\\\\\tab b\\par\n"), std::string::npos) << doc;
    // U+20BB7 as a surrogate pair; a broken byte as U+FFFD.
    EXPECT_NE(doc.find("\\u-10174?\\u-8265? \\u-3?!\\par\n"), std::string::npos) << doc;
    EXPECT_EQ(doc.substr(doc.size() - 3), "\n}\n");
}

TEST(RtfWriter, BookFileUnderTheWorkPathReadsInAWordProcessor)
{
    DefaultInWorkDir work;
    const std::string& dir = work.dir.path;
    ASSERT_EQ(work.calc.JiSuan(), 1);
    EXPECT_EQ(work.calc.WriteJiSuanShu(&work.r, 1), 1);
    const std::string path = dir + "/kl-jss1.rtf";
    ASSERT_EQ(if_file_exist(path.c_str()), 1);
    EXPECT_EQ(ReadText(path).rfind("{\\rtf1", 0), 0u);

    if (!HaveWordProcessor())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    std::string text;
    ASSERT_TRUE(PdfText(dir, "kl-jss1", true, &text));
    EXPECT_NE(text.find("最终抗力"), std::string::npos) << text;
    EXPECT_NE(text.find("岩土抗力合力"), std::string::npos);
    // pdftotext lays the blanks out anew: compare with runs of blanks collapsed.
    auto collapse = [](const std::string& s) {
        std::string out;
        for (char c : s)
            if (c != ' ' || out.empty() || out.back() != ' ')
                out += c;
        return out;
    };
    EXPECT_NE(collapse(text).find("10, 5.00 , 0.000, 113.772, 113.772, 351.190, 113.772"),
              std::string::npos)
        << text;
}

// ------------------------------------------------------------------ detailed book

namespace {

std::string DetailedBook(CPelvorinData& r)
{
    CKangLiJiSuan calc;
    calc.pData = &r;
    EXPECT_EQ(calc.JiSuan(), 1);
    CRTF book;
    EXPECT_EQ(calc.WriteJss(0, &book), 1);
    return book.Text();
}

CTuCeng Layer(int type)
{
    CTuCeng l;
    l.nLeiXing = type;
    l.fHouDu = 5;
    l.fZhongDu = type ? 24.0f : 18.0f;
    l.fNianJuLi = type ? 200.0f : 10.0f;
    l.fMoCaJiao = type ? 35.0f : 15.0f;
    return l;
}

} // namespace

TEST(DetailedBook, DefaultRecordAtTheSlipSurface)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    std::string text = DetailedBook(r);
    EXPECT_EQ(text.rfind("抗滑桩抗力计算\n\n一 已知条件及计算要求\n\n1、已知条件\n(1)桩信息\n", 0), 0u);
    // The input tables, printed from the same cells as the dialog's.
    EXPECT_NE(text.find("桩中心距（m） | 5.000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("混凝土等级 | C25\n"), std::string::npos);
    EXPECT_NE(text.find("土层数 | 2\n"), std::string::npos);
    EXPECT_NE(text.find("序 号 | 地层 类型 |"), std::string::npos);
    EXPECT_NE(text.find(" 2  | 土层 | 2.00 | 18.00 | 15.00 | 10.00 | 15.00 | 10.00 | 15.00\n"),
              std::string::npos);
    EXPECT_NE(text.find("     桩前侧水位到坡面距离(m)：5.000\n\n"), std::string::npos);
    // sigma = 22 x 5 = 110; A = 1.5 x 1.0; N0 = 165; Vc = 1744.4 + 11.55; Fv = 351.19.
    EXPECT_NE(text.find("\tσc = γc×s = 22.000×5.000 = 110.000kN/m^2\n"), std::string::npos);
    EXPECT_NE(text.find("       A=1.500×1.000=1.500m^2\n"), std::string::npos);
    EXPECT_NE(text.find("\tN0 = σc×A = 110.000×1.500 = 165.000kN\n"), std::string::npos);
    EXPECT_NE(text.find("       b0 = 1000×b = 1000×1.000 = 1000.000mm\n"), std::string::npos);
    EXPECT_NE(text.find("\th0 = 1000×h-as = 1000×1.500-100.000 = 1400.000mm\n"), std::string::npos);
    EXPECT_NE(text.find("\tN1 = 0.3×fc×A×1000=0.3×11.900×1.500×1000 = 5355.000kN\n"),
              std::string::npos);
    EXPECT_NE(text.find("\t\tN=165.000kN\n"), std::string::npos);
    EXPECT_NE(text.find("= 1755.950kN\n"), std::string::npos);
    EXPECT_NE(text.find("\tFv = Vc/s0 = 1755.950/5.000 = 351.190kN/m\n"), std::string::npos);
    // All soil: no rock shear; the earth pressure 113.772 decides.
    EXPECT_NE(text.find("3.1 岩石抗剪力\n\tτ=0\n\n"), std::string::npos);
    EXPECT_NE(text.find("\tEp = η×Epk×b0/s=0.300×948.10"), std::string::npos) << text;
    EXPECT_NE(text.find("\tEv = τ+Ep=0.000+113.772 = 113.772kN/m\n\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 22), "\t抗力 = 113.772kN/m\n");
}

TEST(DetailedBook, RockCircleAndDryGround)
{
    CPelvorinData r;
    r.nJieMianXingZhuang = 0;
    r.bKaoLvShui = 0;
    r.TuCeng = {Layer(1), Layer(1)};
    std::string text = DetailedBook(r);
    EXPECT_EQ(text.find("桩前侧水位到坡面距离"), std::string::npos); // no water
    EXPECT_NE(text.find("       A=π×1.500×1.500/4=1.767m^2\n"), std::string::npos);
    EXPECT_NE(text.find("b0 = 1000×1.76r = 1000×1.76×1.500/2 = 1320.000mm\n"), std::string::npos);
    EXPECT_NE(text.find("h0 = 1000×1.6r = 1000×1.6×1.500/2 = 1200.000mm\n"), std::string::npos);
    EXPECT_NE(text.find("3.2 土压力\n       Ep = 0\n3.3 总抗力\n"), std::string::npos); // all rock
    EXPECT_EQ(text.find("[图 "), std::string::npos);
    EXPECT_NE(text.find("\tEv = τ+Ep="), std::string::npos);
    EXPECT_NE(text.find("+0.000 = "), std::string::npos);

    // The slip surface at the pile foot: nothing below it.
    r.fHuaMianDaoZhuangDing = r.fZhuangChang;
    r.TuCeng = {Layer(0), Layer(1)};
    text = DetailedBook(r);
    EXPECT_NE(text.find("\tτ = 0.000kN/m\n\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tEpk = 0.000kP\n\n"), std::string::npos);
    EXPECT_NE(text.find("\tEv = τ+Ep=0.000+0.000 = 0.000kN/m\n\n"), std::string::npos);
    EXPECT_NE(text.find("\t抗力 = 0.000kN/m\n"), std::string::npos);
}

// The rock shear worked layer by layer, so that a reviewer can redo it: soil
// 4 m (18 kN/m³) over rock (24 kN/m³, c 200 kPa, φ 35°) from a slope surface
// 2 m down, a 10 m pile cut at 8 m: the plane from 8 m to the foot, σv at its
// middle 4 × 18 + 3 × 24 = 144 kPa, θ = 45° - 35°/2 = 27.5°, and
// τ = (tan 35° × 144 + 200) × (2 / cos 27.5°) × b0 / s.
TEST(DetailedBook, TheRockShearIsWorkedLayerByLayer)
{
    CPelvorinData r;
    r.bKaoLvShui = 0;
    r.fPoMianDaoZhuangDing = 2;
    r.fZhuangChang = 10;
    r.fHuaMianDaoZhuangDing = 8;
    CTuCeng soil = Layer(0), rock = Layer(1);
    soil.fHouDu = 4;
    rock.fHouDu = 20;
    r.TuCeng = {soil, rock};
    r.nTuCengShu = 2;
    const std::string text = DetailedBook(r);
    const size_t at = text.find("\t\t第2层 8.000～10.000m：(144.000×tan35.000° + 200.000)×(2.000/cos27.500°)×");
    ASSERT_NE(at, std::string::npos) << text;
    double b0 = 0, s = 0, value = 0, tau = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + text.find("°)×", at) + std::strlen("°)×"), "%lf/%lf = %lf", &b0, &s, &value), 3);
    ASSERT_EQ(std::sscanf(text.c_str() + text.find("\tτ = ") + std::strlen("\tτ = "), "%lf", &tau), 1);
    const double pi = std::acos(-1.0);
    EXPECT_NEAR(value, (std::tan(35 * pi / 180) * 144 + 200) * (2 / std::cos(27.5 * pi / 180)) * b0 / s, 0.001);
    EXPECT_EQ(s, 5.0);
    EXPECT_NEAR(tau, value, 0.0005); // one layer below the cut: the sum is the term
    EXPECT_NE(text.find("\t\t合计 "), std::string::npos);
    // Cut in the soil: the whole rock below it, from the rock's top.
    r.fHuaMianDaoZhuangDing = 4;
    EXPECT_NE(DetailedBook(r).find("\t\t第2层 6.000～10.000m："), std::string::npos);
}

TEST(DetailedBook, EmbedsTheEarthPressureDiagram)
{
    DefaultInWorkDir work;
    const std::string& dir = work.dir.path;
    CKangLiJiSuan& calc = work.calc;
    ASSERT_EQ(calc.JiSuan(), 1);
    // Without the drawing the book names the file it wanted.
    CRTF without;
    calc.WriteJss(0, &without);
    EXPECT_NE(without.Text().find("[图 " + dir + "/kl-jt2.dxf]"), std::string::npos);
    EXPECT_EQ(without.ToRtf().find("\\pngblip"), std::string::npos);
    // A tiny PNG beside the DXF name is embedded as a picture.
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x01", 24);
    WriteText(dir + "/kl-jt2.png", png);
    CRTF with;
    calc.WriteJss(0, &with);
    std::string rtf = with.ToRtf();
    EXPECT_NE(rtf.find("{\\pict\\pngblip\\picw2\\pich1\\picwgoal9638\\pichgoal4819\n89504e47"),
              std::string::npos);
    EXPECT_NE(rtf.find("\\trowd"), std::string::npos);
    EXPECT_NE(rtf.find("\\cellx"), std::string::npos);
}

TEST(KangliReport, WritesWhatSlopeModeLeavesAndAWordProcessorReadsTheBook)
{
    TempDir top;
    const std::string out = top.path + "/new/folder"; // made with its parents
    CliRun r = RunKangli("report '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' '" +
                         out + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"kl.dat", "kl-jt0.dxf", "kl-jt1.dxf", "kl-jt2.dxf", "kl-jss0.rtf", "kl-jss1.rtf"})
        EXPECT_EQ(if_file_exist((out + "/" + name).c_str()), 1) << name;
    EXPECT_NE(r.out.find(out + "/kl-jss0.rtf\n"), std::string::npos);
    const std::string rtf = ReadText(out + "/kl-jss0.rtf");
    EXPECT_NE(rtf.find(" =\\~1523.433kN/m\\par"), std::string::npos); // the pile governs at 14 m, bound to its "="
    // The earth-pressure diagram as a vector picture; no raster picture written.
    EXPECT_NE(rtf.find("{\\pict\\emfblip"), std::string::npos);
    EXPECT_EQ(rtf.find("\\pngblip"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out + "/kl-jt2.png"));

    r = RunKangli("report '" KANGLI_SOURCE_DIR "/tests/broken/rock-over-soil.dat' '" + out + "'");
    EXPECT_EQ(r.status, 1);

    if (!HaveWordProcessor())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    std::string text;
    ASSERT_TRUE(PdfText(out, "kl-jss0", false, &text));
    EXPECT_NE(text.find("抗滑桩抗力计算"), std::string::npos) << text;
    EXPECT_NE(text.find("桩中心距"), std::string::npos);
    EXPECT_NE(text.find("Fv = Vc/s0 = 9140.600/6.000 = 1523.433kN/m"), std::string::npos) << text;
    EXPECT_NE(text.find("抗力 = 1523.433kN/m"), std::string::npos);
    // Every page says what it belongs to and where it stands.
    EXPECT_NE(text.find("抗滑桩抗力详细计算书"), std::string::npos);
    EXPECT_NE(text.find("kl"), std::string::npos);
    EXPECT_NE(text.find("第1页共"), std::string::npos) << text;
    std::string concise;
    ASSERT_TRUE(PdfText(out, "kl-jss1", false, &concise));
    EXPECT_NE(concise.find("抗滑桩抗力简明计算书"), std::string::npos);
    EXPECT_NE(concise.find("第1页共1页"), std::string::npos) << concise;
    // The picture in the printed book is drawn, not a raster image: the PDF
    // holds no image at all (pdfimages lists none below its two heading lines).
    const std::string images = out + "/images.txt";
    ASSERT_EQ(std::system(("/usr/bin/pdfimages -list '" + out + "/kl-jss0.pdf' >'" + images + "'").c_str()), 0);
    const std::string listed = ReadText(images);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 2) << listed;
}

// The data file that report writes names every diagram it counts: the
// earth-pressure diagram is named as it is drawn, before the data file is saved.
TEST(KangliReport, TheDataFileNamesEveryDiagram)
{
    TempDir top;
    CliRun r = RunKangli("report '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' '" + top.path + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string data = ReadText(top.path + "/kl.dat");
    EXPECT_NE(data.find("JianTuShu=3\n"), std::string::npos) << data;
    EXPECT_NE(data.find("JianTuMing0=计算简图\n"), std::string::npos) << data;
    EXPECT_NE(data.find("JianTuMing1=计算结果图\n"), std::string::npos) << data;
    EXPECT_NE(data.find("JianTuMing2=土压力结果图\n"), std::string::npos) << data;
}

// The earth-pressure diagram of the rectangular example is 30 m deep and far
// wider: printed by LibreOffice, each of its labels is one text run (searchable
// as drawn) at 6 pt or more.
TEST(KangliReport, TheBookPrintsTheEarthPressureLabelsWholeAndLegible)
{
    if (!HaveWordProcessor())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    TempDir top;
    const std::string example = KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json";
    CliRun r = RunKangli("report '" + example + "' '" + top.path + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string cmd = "cd '" + top.path + "' && /usr/bin/soffice -env:UserInstallation=file://" + top.path +
                            "/profile --headless --convert-to pdf kl-jss0.rtf >/dev/null 2>&1 && /usr/bin/pdftotext -bbox "
                            "kl-jss0.pdf words.html";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    // Each word's box: <word xMin="" yMin="" xMax="" yMax="">text</word>.
    std::map<std::string, double> thinnest; // word -> its smallest box side
    std::istringstream in(ReadText(top.path + "/words.html"));
    std::string line;
    while (std::getline(in, line)) {
        double x0, y0, x1, y1;
        const size_t at = line.find("<word ");
        if (at == std::string::npos ||
            std::sscanf(line.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &x0, &y0, &x1, &y1) != 4)
            continue;
        const size_t open = line.find('>', at) + 1, close = line.find("</word>", open);
        const std::string word = line.substr(open, close - open);
        const double side = std::min(x1 - x0, y1 - y0);
        if (!thinnest.count(word) || side < thinnest[word])
            thinnest[word] = side;
    }
    CPelvorinData record;
    InitKangLiData(&record);
    std::string error;
    ASSERT_TRUE(LoadRecordFile(example, record, &error)) << error;
    CKangLiJiSuan calc;
    calc.pData = &record;
    ASSERT_EQ(calc.JiSuan(), 1);
    CBase_SGT diagram;
    calc.DrawTu(2, &diagram, nullptr);
    int labels = 0;
    for (const SgtItem& it : diagram.items) {
        if (it.kind != SgtItem::Text)
            continue;
        ++labels;
        ASSERT_TRUE(thinnest.count(it.text)) << "label " << it.text << " is not one text run";
        EXPECT_GE(thinnest[it.text], 5.95) << "label " << it.text << " printed at " << thinnest[it.text] << " pt";
    }
    EXPECT_GT(labels, 10);
}

// Printed by LibreOffice, the detailed book wraps a long formula under its own
// start with its result bound to the last "=", never leaving a result alone on
// a line, and keeps each heading on the page of what it heads.
TEST(KangliReport, TheBookWrapsFormulasWholeAndKeepsHeadingsWithTheirFormulas)
{
    if (!HaveWordProcessor())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    TempDir top;
    CliRun r = RunKangli("report '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' '" + top.path + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text;
    ASSERT_TRUE(PdfText(top.path, "kl-jss0", true, &text));
    for (const std::string& line : Lines(text)) {
        const size_t first = line.find_first_not_of(" \f");
        if (first == std::string::npos)
            continue;
        const std::string rest = line.substr(first);
        // A number with its unit and nothing else: a result that lost its formula.
        const bool loneResult = rest.find_first_not_of("0123456789.") != 0 && rest.find(' ') == std::string::npos &&
                                rest.find('=') == std::string::npos && std::isdigit(static_cast<unsigned char>(rest[0])) &&
                                (rest.find("kN") != std::string::npos || rest.find("mm") != std::string::npos);
        EXPECT_FALSE(loneResult) << "alone on a line: " << line << "\n" << text;
    }
    EXPECT_NE(text.find("= 9140.600kN"), std::string::npos) << text;
    // Pages are separated by form feeds.
    std::vector<std::string> pages;
    for (size_t at = 0; at <= text.size();) {
        const size_t ff = std::min(text.find('\f', at), text.size());
        pages.push_back(text.substr(at, ff - at));
        at = ff + 1;
    }
    for (const auto& [heading, formula] : {std::pair<const char*, const char*>{"2.4 桩身截面强度贡献的抗滑力", "Fv = Vc/s0"},
                                           {"2.3 桩截面抗剪力", "b0 = 1000×b"},
                                           {"3.3 总抗力", "Ev = τ+Ep"}}) {
        bool together = false;
        for (const std::string& page : pages)
            together = together || (page.find(heading) != std::string::npos && page.find(formula) != std::string::npos);
        EXPECT_TRUE(together) << heading << " is not on the page of " << formula << "\n" << text;
    }
}

// The internal-force books through the word processor: no numbered heading is
// the last line of a page, for every design example.
// As LibreOffice prints it: no numbered heading ends a page, and every page
// with rows of the table of forces has the table's column titles.
TEST(KangliReport, NoHeadingOfAnInternalForceBookEndsAPageAndEveryTablePageHasItsTitles)
{
    if (!HaveWordProcessor())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    for (const char* name : {"defaults.json", "circular-pile-into-rock.json", "rectangular-pile-soil-layers.json"}) {
        TempDir top;
        CliRun r = RunKangli(std::string("report '" KANGLI_EXAMPLES_DIR "/design/") + name + "' '" + top.path + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        std::string text;
        ASSERT_TRUE(PdfText(top.path, "kl-nl-jss", true, &text)) << name;
        size_t at = 0;
        int pages = 0, tablePages = 0;
        while (at <= text.size()) {
            const size_t ff = std::min(text.find('\f', at), text.size());
            std::vector<std::string> lines;
            for (const std::string& line : Lines(text.substr(at, ff - at)))
                if (const size_t from = line.find_first_not_of(" "); from != std::string::npos)
                    lines.push_back(line.substr(from)); // as laid out, without the indent
            at = ff + 1;
            if (lines.empty())
                continue;
            ++pages;
            // The last line of the page, above its footer ("第 N 页 共 M 页").
            std::string last = lines.back();
            if (last.find("页") != std::string::npos && lines.size() > 1)
                last = lines[lines.size() - 2];
            for (const char* numeral : {"一 ", "二 ", "三 ", "四 ", "五 ", "六 "})
                EXPECT_NE(last.find_first_not_of(" ") == std::string::npos ? 1 : last.find(numeral), 0u)
                    << name << ": a heading ends page " << pages << ": " << last;
            // A row of the table: six numbers and nothing else.
            bool rows = false, titles = false;
            for (const std::string& line : lines) {
                double v[6];
                char rest = 0;
                rows = rows || std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf %c", &v[0], &v[1], &v[2], &v[3],
                                           &v[4], &v[5], &rest) == 6;
                titles = titles || (line.find("深度(m)") != std::string::npos &&
                                    line.find("侧向应力(kPa)") != std::string::npos);
            }
            EXPECT_TRUE(!rows || titles) << name << ": page " << pages << " has rows of forces without their titles";
            tablePages += rows;
        }
        EXPECT_GE(pages, 2) << name;
        EXPECT_GE(tablePages, 1) << name;
    }
}

// The layer table's heading is a row of columns in blanks: its last column
// stays on its row in the word processor's layout, not alone under the first.
TEST(KangliReport, TheLayerHeadingKeepsItsLastColumnOnItsRow)
{
    if (!HaveWordProcessor())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    TempDir dir;
    const CliRun run = RunKangli("report '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' '" + dir.path + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    std::string text;
    ASSERT_TRUE(PdfText(dir.path, "kl-jss0", true, &text));
    std::istringstream lines(text);
    std::string line;
    bool found = false;
    while (std::getline(lines, line))
        if (line.find("擦角(度)") != std::string::npos) {
            found = true;
            EXPECT_NE(line.find("(kN/m3)"), std::string::npos) << "alone on its line: " << line;
        }
    EXPECT_TRUE(found) << text;
}

// Every word of both books, for every example, lies inside the text area of
// the A4 page as the word processor lays it out (margins of 20 mm).
TEST(KangliReport, EveryLineOfEveryBookStaysInsideTheTextArea)
{
    if (!HaveWordProcessor())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    for (const char* example : {"defaults", "circular-pile-into-rock", "rectangular-pile-soil-layers"}) {
        TempDir dir;
        const CliRun run = RunKangli(std::string("report '" KANGLI_EXAMPLES_DIR "/") + example + ".json' '" + dir.path + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        for (const char* book : {"kl-jss0", "kl-jss1"}) {
            const std::string cmd = "cd '" + dir.path + "' && /usr/bin/soffice -env:UserInstallation=file://" +
                                    dir.path + "/profile --headless --convert-to pdf " + book +
                                    ".rtf >/dev/null 2>&1 && /usr/bin/pdftotext -bbox " + book + ".pdf " + book +
                                    ".html";
            ASSERT_EQ(std::system(cmd.c_str()), 0);
            const std::string html = ReadText(dir.path + "/" + book + ".html");
            // 595.3 pt wide, 56.7 pt (1134 twips) margins, a point of slack.
            const double right = 595.3 - 56.7 + 1.0;
            int words = 0;
            for (size_t at = html.find("<word xMin=\""); at != std::string::npos; at = html.find("<word xMin=\"", at + 1)) {
                const size_t x = html.find("xMax=\"", at);
                const size_t close = html.find('>', at), end = html.find("</word>", at);
                ASSERT_NE(x, std::string::npos);
                const double xMax = std::atof(html.c_str() + x + 6);
                const std::string word = html.substr(close + 1, end - close - 1);
                ++words;
                // The page's header and footer are inside the same area.
                EXPECT_LE(xMax, right) << example << " " << book << ": \"" << word << "\" ends at " << xMax;
            }
            EXPECT_GT(words, 20) << example << " " << book;
        }
    }
}
