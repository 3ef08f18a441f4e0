// Calculation books: the concise table, the detailed book's formulas worked by
// hand, the RTF that carries them, and the books as a word processor prints them.
#include "Canvas.h"
#include "KangLiJiSuan.h"
#include "RecordFile.h"
#include "Rtf.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <regex>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The detailed book (0) or the concise one (1) of a record, calculated; any other number writes nothing.
std::string Book(CPelvorinData& r, int which = 0)
{
    CKangLiJiSuan calc;
    calc.pData = &r;
    EXPECT_EQ(calc.JiSuan(), 1);
    CRTF book;
    EXPECT_EQ(calc.WriteJss(which, &book), 1);
    return book.Text();
}

CTuCeng Layer(int type, float thickness = 5)
{
    CTuCeng l;
    l.nLeiXing = type;
    l.fHouDu = thickness;
    l.fZhongDu = type ? 24.0f : 18.0f;
    l.fNianJuLi = type ? 200.0f : 10.0f;
    l.fMoCaJiao = type ? 35.0f : 15.0f;
    return l;
}

struct Word { std::string text; double x0, y0, x1, y1; };

// DIR/STEM.rtf printed by LibreOffice: the PDF's text as laid out (pages
// separated by form feeds) and its words with their boxes.
bool Print(const std::string& dir, const std::string& stem, std::string* text, std::vector<Word>* words)
{
    const std::string cmd = "cd '" + dir + "' && /usr/bin/soffice -env:UserInstallation=file://" + dir +
                            "/profile --headless --convert-to pdf " + stem + ".rtf >/dev/null 2>&1 && " +
                            "/usr/bin/pdftotext -layout " + stem + ".pdf " + stem + ".txt && /usr/bin/pdftotext -bbox " +
                            stem + ".pdf " + stem + ".html";
    if (std::system(cmd.c_str()) != 0)
        return false;
    *text = ReadText(dir + "/" + stem + ".txt");
    const std::string html = ReadText(dir + "/" + stem + ".html");
    const std::regex word("<word xMin=\"([^\"]+)\" yMin=\"([^\"]+)\" xMax=\"([^\"]+)\" yMax=\"([^\"]+)\">([^<]*)</word>");
    for (std::sregex_iterator m(html.begin(), html.end(), word), end; m != end; ++m)
        words->push_back({(*m)[5], std::stod((*m)[1]), std::stod((*m)[2]), std::stod((*m)[3]), std::stod((*m)[4])});
    return true;
}

// Each page's text: its lines without their indent and runs of blanks as one
// (pdftotext lays the blanks out anew), blank lines left out.
std::vector<std::string> Pages(const std::string& text)
{
    std::vector<std::string> pages(1);
    for (std::string line : Lines(text)) {
        for (; line.starts_with('\f'); line.erase(0, 1))
            pages.emplace_back();
        if (line = std::regex_replace(line, std::regex("^ +| +$| +(?= )"), ""); !line.empty())
            pages.back() += line + "\n";
    }
    return pages;
}

} // namespace

TEST(ConciseTable, OneLinePerPointFootFirst)
{
    CPelvorinData r;
    r.TuCeng.resize(2);
    std::vector<std::string> lines = Lines(Book(r, 1));
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "点号    坐标     岩石抗力    土抗力    岩土抗力合力     桩抗力     最终抗力");
    // The pile foot: nothing below it; the concrete at z = 10: N0 = 330,
    // Vc = 1744.4 + 23.1 = 1767.5, Fv = 353.5.
    EXPECT_EQ(lines[1], "0,     10.00 ,    0.000,    0.000,       0.000,    353.500,   0.000");
    // At 5 m (the worked default case): Ep 113.772 (113.773 by hand, 32-bit floats).
    EXPECT_EQ(lines[11], "10,     5.00 ,    0.000,    113.772,       113.772,    351.190,   113.772");
    EXPECT_EQ(lines[21].rfind("20,     0.00 ,", 0), 0u);
    EXPECT_EQ(Book(r, 7), ""); // other book numbers write nothing
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

// The detailed book's lines worked by hand for three records: the default
// (rectangle 1.5 x 1.0 m, 5 m spacing, two soil layers, water), a circle in
// dry rock, and the slip surface at the pile foot.
TEST(DetailedBook, FormulasWorkedByHand)
{
    const struct { const char* what; void (*set)(CPelvorinData&); std::vector<const char*> lines, absent; } cases[] = {
        {"default", [](CPelvorinData&) {},
         {"桩中心距（m） | 5.000\n", " 2  | 土层 | 2.00 | 18.00 | 15.00 | 10.00 | 15.00 | 10.00 | 15.00\n",
          "     桩前侧水位到坡面距离(m)：5.000\n\n",
          // sigma = 22 x 5 = 110; A = 1.5 x 1.0; N0 = 165; Vc = 1744.4 + 11.55; Fv = 351.19.
          "\tσc = γc×s = 22.000×5.000 = 110.000kN/m^2\n", "       A=1.500×1.000=1.500m^2\n",
          "\tN0 = σc×A = 110.000×1.500 = 165.000kN\n", "       b0 = 1000×b = 1000×1.000 = 1000.000mm\n",
          "\th0 = 1000×h-as = 1000×1.500-100.000 = 1400.000mm\n",
          "\tN1 = 0.3×fc×A×1000=0.3×11.900×1.500×1000 = 5355.000kN\n", "\t\tN=165.000kN\n", "= 1755.950kN\n",
          "\tFv = Vc/s0 = 1755.950/5.000 = 351.190kN/m\n",
          // All soil: no rock shear; the earth pressure 113.772 decides.
          "3.1 岩石抗剪力\n\tτ=0\n\n", "\tEp = η×Epk×b0/s=0.300×948.10",
          "\tEv = τ+Ep=0.000+113.772 = 113.772kN/m\n\n", "\t抗力 = 113.772kN/m\n"},
         {}},
        {"circle in dry rock",
         [](CPelvorinData& r) { r.nJieMianXingZhuang = 0, r.bKaoLvShui = 0, r.TuCeng = {Layer(1), Layer(1)}; },
         {"       A=π×1.500×1.500/4=1.767m^2\n", "b0 = 1000×1.76r = 1000×1.76×1.500/2 = 1320.000mm\n",
          "h0 = 1000×1.6r = 1000×1.6×1.500/2 = 1200.000mm\n", "3.2 土压力\n       Ep = 0\n3.3 总抗力\n", "+0.000 = "},
         {"桩前侧水位到坡面距离", "[图 "}},
        {"slip surface at the foot",
         [](CPelvorinData& r) { r.fHuaMianDaoZhuangDing = r.fZhuangChang, r.TuCeng = {Layer(0), Layer(1)}; },
         {"\tτ = 0.000kN/m\n\n", "\tEpk = 0.000kP\n\n", "\tEv = τ+Ep=0.000+0.000 = 0.000kN/m\n\n", "\t抗力 = 0.000kN/m\n"},
         {}},
    };
    for (const auto& c : cases) {
        CPelvorinData r;
        r.TuCeng.resize(2);
        c.set(r);
        const std::string text = Book(r);
        for (const char* line : c.lines)
            EXPECT_NE(text.find(line), std::string::npos) << c.what << ": " << line << "\n" << text;
        for (const char* line : c.absent)
            EXPECT_EQ(text.find(line), std::string::npos) << c.what << ": " << line;
        EXPECT_TRUE(c.lines.size() < 10 || text.ends_with(c.lines.back())) << c.what << ": the book ends on the resistance";
    }
}

// The rock shear worked layer by layer, so that a reviewer can redo it: soil
// 4 m (18 kN/m³) over rock (24 kN/m³, c 200 kPa, φ 35°) from a slope surface
// 2 m down, a 10 m pile cut at 8 m: the plane from 8 m to the foot, σv at its
// middle 4 × 18 + 3 × 24 = 144 kPa, θ = 45° - 35°/2 = 27.5°, and
// τ = (tan 35° × 144 + 200) × (2 / cos 27.5°) × b0 / s.
TEST(DetailedBook, TheRockShearIsWorkedLayerByLayer)
{
    CPelvorinData r;
    r.bKaoLvShui = 0, r.fPoMianDaoZhuangDing = 2, r.fZhuangChang = 10, r.fHuaMianDaoZhuangDing = 8;
    r.TuCeng = {Layer(0, 4), Layer(1, 20)};
    const std::string text = Book(r);
    const size_t at = text.find("\t\t第2层 8.000～10.000m：(144.000×tan35.000° + 200.000)×(2.000/cos27.500°)×");
    ASSERT_NE(at, std::string::npos) << text;
    double b0 = 0, s = 0, value = 0, tau = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + text.find("°)×", at) + std::strlen("°)×"), "%lf/%lf = %lf", &b0, &s, &value), 3);
    ASSERT_EQ(std::sscanf(text.c_str() + text.find("\tτ = ") + std::strlen("\tτ = "), "%lf", &tau), 1);
    EXPECT_NEAR(value, (std::tan(35 * M_PI / 180) * 144 + 200) * (2 / std::cos(27.5 * M_PI / 180)) * b0 / s, 0.001);
    EXPECT_EQ(s, 5.0);
    EXPECT_NEAR(tau, value, 0.0005); // one layer below the cut: the sum is the term
    EXPECT_NE(text.find("\t\t合计 "), std::string::npos);
    // Cut in the soil: the whole rock below it, from the rock's top.
    r.fHuaMianDaoZhuangDing = 4;
    EXPECT_NE(Book(r).find("\t\t第2层 6.000～10.000m："), std::string::npos);
}

TEST(DetailedBook, UnderTheWorkPathEmbedsTheEarthPressureDiagram)
{
    TempDir dir;
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    calc.context.workPath = dir.path + "/";
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    EXPECT_EQ(calc.WriteJiSuanShu(&r, 1), 1);
    EXPECT_EQ(ReadText(dir.path + "/kl-jss1.rtf").rfind("{\\rtf1", 0), 0u);
    // Without the drawing the book names the file it wanted; a tiny PNG beside
    // the DXF name is embedded as a picture.
    CRTF without, with;
    calc.WriteJss(0, &without);
    EXPECT_TRUE(without.Text().find("[图 " + dir.path + "/kl-jt2.dxf]") != std::string::npos && without.ToRtf().find("\\pngblip") == std::string::npos);
    WriteText(dir.path + "/kl-jt2.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x01", 24));
    calc.WriteJss(0, &with);
    const std::string rtf = with.ToRtf();
    EXPECT_NE(rtf.find("{\\pict\\pngblip\\picw2\\pich1\\picwgoal9638\\pichgoal4819\n89504e47"), std::string::npos);
    EXPECT_TRUE(rtf.find("\\trowd") != std::string::npos && rtf.find("\\cellx") != std::string::npos); // ruled tables
}


// The report of every design example: the data file naming every diagram it
// counts (the earth-pressure diagram named by the calculation, not by drawing it),
// the drawings, and the detailed book with the earth-pressure diagram as a
// vector picture. Then its three books as LibreOffice prints them: every word
// inside the A4 text area (20 mm margins), a title and page numbers on each.
// The detailed book wraps a long formula under its own start with its result
// bound to the last "=", keeps each heading on the page of what it heads and
// the layer table's heading on one row, and prints each label of the
// earth-pressure diagram as one text run at 6 pt or more in a drawn (not
// raster) picture. In the internal-force book no numbered heading ends a page
// and every page with rows of the table of forces has the column titles.
TEST(KangliReport, WritesEveryFileAndAWordProcessorPrintsEveryBook)
{
    const bool wordProcessor = std::filesystem::exists("/usr/bin/soffice") && std::filesystem::exists("/usr/bin/pdftotext");
    const struct {
        const char* example;
        std::vector<std::string> lines; // of the RTF, the detailed, the concise and the internal-force book
    } examples[] = {
        {"defaults", {"", "抗力 = 113.772kN/m", "10, 5.00 , 0.000, 113.772, 113.772, 351.190, 113.772", ""}},
        {"circular-pile-into-rock", {"", "", "", ""}},
        {"rectangular-pile-soil-layers", // the pile governs at 14 m, bound to its "="
         {" =\\~1523.433kN/m\\par", "Fv = Vc/s0 = 9140.600/6.000 = 1523.433kN/m", "16, 14.00 , 0.000, 3200.708, 3200.708, 1523.433, 1523.433", ""}},
    };
    const char* const titles[3] = {"抗滑桩抗力详细计算书", "抗滑桩抗力简明计算书", ""};
    for (const auto& e : examples) {
        TempDir top;
        const std::string dir = top.path + "/new/folder"; // made with its parents
        const CliRun run = RunKangli("report '" KANGLI_EXAMPLES_DIR "/design/" + std::string(e.example) + ".json' '" + dir + "'");
        ASSERT_EQ(run.status, 0) << run.err;
        for (const char* name : {"kl.dat", "kl-jt0.dxf", "kl-jt1.dxf", "kl-jt2.dxf", "kl-nl-jt.dxf", "kl-jss0.rtf", "kl-jss1.rtf", "kl-nl-jss.rtf"})
            EXPECT_TRUE(std::filesystem::exists(dir + "/" + name) && run.out.find(dir + "/" + name + "\n") != std::string::npos) << e.example << " " << name;
        const std::string data = ReadText(dir + "/kl.dat"), rtf = ReadText(dir + "/kl-jss0.rtf");
        EXPECT_TRUE(data.find("JianTuShu=3\n") != std::string::npos && data.find("JianTuMing2=土压力结果图\n") != std::string::npos) << data;
        EXPECT_NE(rtf.find(e.lines[0]), std::string::npos) << e.example;
        EXPECT_TRUE(rtf.find("{\\pict\\emfblip") != std::string::npos && rtf.find("\\pngblip") == std::string::npos &&
                    !std::filesystem::exists(dir + "/kl-jt2.png")) << e.example << ": the diagram a vector picture";
        for (int book = 0; book < 3 && wordProcessor; ++book) {
            const std::string stem = book == 2 ? "kl-nl-jss" : "kl-jss" + std::to_string(book), what = e.example + (" " + stem);
            std::string text;
            std::vector<Word> words;
            ASSERT_TRUE(Print(dir, stem, &text, &words)) << what;
            EXPECT_GT(words.size(), 20u) << what;
            for (const Word& w : words) // the page's header and footer too; a point of slack
                EXPECT_LE(w.x1, 595.3 - 56.7 + 1.0) << what << ": \"" << w.text << "\" ends at " << w.x1;
            const std::vector<std::string> pages = Pages(text);
            const std::string all = std::accumulate(pages.begin(), pages.end(), std::string());
            for (const std::string& line : {e.lines[book + 1], std::string(titles[book]), std::string(book < 2 ? "第1页共" : "")})
                EXPECT_NE(all.find(line), std::string::npos) << what << ": " << line << "\n" << all;
            if (book == 0) {
                for (const std::string& line : Lines(all)) {
                    // A number with its unit and nothing else: a result that lost its formula.
                    EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(line[0])) && line.find_first_of(" =") == std::string::npos &&
                                 (line.find("kN") != std::string::npos || line.find("mm") != std::string::npos))
                        << what << ": alone on a line: " << line;
                    EXPECT_TRUE(line.find("擦角(度)") == std::string::npos || line.find("(kN/m3)") != std::string::npos)
                        << what << ": alone on its line: " << line;
                }
                for (const auto& [heading, formula] : {std::pair<const char*, const char*>{"2.4 桩身截面强度贡献的抗滑力", "Fv = Vc/s0"},
                                                       {"2.3 桩截面抗剪力", "b0 = 1000×"},
                                                       {"3.3 总抗力", "Ev = τ+Ep"}})
                    EXPECT_TRUE(std::any_of(pages.begin(), pages.end(), [&](const std::string& page) {
                        return page.find(heading) != std::string::npos && page.find(formula) != std::string::npos;
                    })) << what << ": " << heading << " is not on the page of " << formula;
                CPelvorinData record;
                InitKangLiData(&record);
                std::string error;
                ASSERT_TRUE(LoadRecordFile(KANGLI_EXAMPLES_DIR "/" + std::string(e.example) + ".json", record, &error)) << error;
                CKangLiJiSuan calc;
                calc.pData = &record;
                ASSERT_EQ(calc.JiSuan(), 1);
                CBase_SGT diagram;
                calc.DrawTu(2, &diagram, nullptr);
                for (const SgtItem& it : diagram.items) {
                    double thinnest = 1e9; // the smallest side of the label's run; none: not one run
                    for (const Word& w : words)
                        if (w.text == it.text)
                            thinnest = std::min({thinnest, w.x1 - w.x0, w.y1 - w.y0});
                    EXPECT_TRUE(it.kind != SgtItem::Text || (thinnest >= 5.95 && thinnest < 1e9)) << what << ": label " << it.text << " at " << thinnest << " pt";
                }
                // pdfimages lists no image below its two heading lines.
                ASSERT_EQ(std::system(("/usr/bin/pdfimages -list '" + dir + "/kl-jss0.pdf' >'" + dir + "/images.txt'").c_str()), 0);
                EXPECT_EQ(Lines(ReadText(dir + "/images.txt")).size(), 2u) << what;
            }
            if (book < 2)
                continue;
            int tablePages = 0;
            for (size_t p = 0; p < pages.size(); ++p) {
                std::vector<std::string> lines = Lines(pages[p]);
                if (lines.size() > 1 && lines.back().find("页") != std::string::npos)
                    lines.pop_back(); // the footer, "第 N 页 共 M 页"
                for (const char* numeral : {"一 ", "二 ", "三 ", "四 ", "五 ", "六 "})
                    EXPECT_TRUE(lines.empty() || lines.back().rfind(numeral, 0) != 0) << what << ": a heading ends page " << p + 1;
                // A row of the table: six numbers and nothing else; the titles: one line from depth to stress.
                const bool rows = std::regex_search(pages[p], std::regex("(^|\n)([-+.0-9eE]+ ){5}[-+.0-9eE]+\n"));
                const bool titled = std::regex_search(pages[p], std::regex("深度\\(m\\).*侧向应力\\(kPa\\)"));
                EXPECT_TRUE(!rows || titled) << what << ": page " << p + 1 << " has rows of forces without their titles";
                tablePages += rows;
            }
            EXPECT_GE(std::count_if(pages.begin(), pages.end(), [](const std::string& p) { return !p.empty(); }), 2) << what;
            EXPECT_GE(tablePages, 1) << what;
        }
    }
    if (!wordProcessor)
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
}
