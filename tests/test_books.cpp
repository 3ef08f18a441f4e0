// Calculation books: the concise result table and the RTF that carries it, read
// back by a real word processor where one is installed.
#include "KangLiJiSuan.h"
#include "Rtf.h"
#include "TestFiles.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>

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
    TempDir dir;
    std::string saved = G_strWorkPath;
    G_strWorkPath = dir.path + "/";
    CPelvorinData r;
    InitKangLiData(&r);
    r.TuCeng.resize(2);
    CKangLiJiSuan calc;
    calc.pData = &r;
    ASSERT_EQ(calc.JiSuan(), 1);
    EXPECT_EQ(calc.WriteJiSuanShu(&r, 1), 1);
    G_strWorkPath = saved;
    const std::string path = dir.path + "/kl-jss1.rtf";
    ASSERT_EQ(if_file_exist(path.c_str()), 1);
    EXPECT_EQ(ReadText(path).rfind("{\\rtf1", 0), 0u);

    if (!if_file_exist("/usr/bin/soffice") || !if_file_exist("/usr/bin/pdftotext"))
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    std::string cmd = "cd '" + dir.path + "' && /usr/bin/soffice -env:UserInstallation=file://" +
                      dir.path + "/profile --headless --convert-to pdf kl-jss1.rtf >/dev/null 2>&1" +
                      " && /usr/bin/pdftotext -layout kl-jss1.pdf kl-jss1.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::string text = ReadText(dir.path + "/kl-jss1.txt");
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
