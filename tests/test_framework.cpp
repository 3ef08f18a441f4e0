// Framework services: concrete table, line reader, file comparison, messages.
#include "Concrete.h"
#include "Messages.h"
#include "SafeFile.h"
#include "TestFiles.h"
#include "TextInput.h"
#include "WorkPaths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(Concrete, TabulatedGradesGiveTheStandardValues)
{
    const int grades[] = {15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80};
    const float fc[] = {7.2f, 9.6f, 11.9f, 14.3f, 16.7f, 19.1f, 21.1f,
                        23.1f, 25.3f, 27.5f, 29.7f, 31.8f, 33.8f, 35.9f};
    const float ftk[] = {1.27f, 1.54f, 1.78f, 2.01f, 2.20f, 2.39f, 2.51f,
                         2.64f, 2.74f, 2.85f, 2.93f, 2.99f, 3.05f, 3.11f};
    for (int i = 0; i < 14; ++i) {
        Con_Prop p;
        EXPECT_EQ(get_rc_property(grades[i], &p), 1) << grades[i];
        EXPECT_EQ(p.fc, fc[i]) << grades[i];
        EXPECT_EQ(p.ftk, ftk[i]) << grades[i];
    }
    // Callers read fc as the second and ftk as the seventh 32-bit field.
    Con_Prop p;
    get_rc_property(30, &p);
    const float* fields = reinterpret_cast<const float*>(&p);
    EXPECT_EQ(fields[1], 14.3f);
    EXPECT_EQ(fields[6], 2.01f);
}

TEST(Concrete, UntabulatedGradesTakeTheNextLowerOrNothing)
{
    Con_Prop p;
    EXPECT_EQ(get_rc_property(32, &p), 0);
    EXPECT_EQ(p.fc, 14.3f); // as C30
    EXPECT_EQ(get_rc_property(100, &p), 0);
    EXPECT_EQ(p.ftk, 3.11f); // as C80
    EXPECT_EQ(get_rc_property(10, &p), 0);
    EXPECT_EQ(p.fc, 0.0f);
    EXPECT_EQ(p.ftk, 0.0f);
    EXPECT_EQ(get_rc_property(-5, &p), 0);
    EXPECT_EQ(p.fc, 0.0f);
    EXPECT_EQ(get_rc_property(25, nullptr), 0);
}

TEST(TextInput, SkipsCommentsAndBlankLinesAndCutsLongLines)
{
    TempDir dir;
    std::string path = dir.path + "/t.txt";
    WriteText(path, "// head\n   \n\t// indented\r\n1,2\r\n" + std::string(500, '7') +
                        std::string("\nnext\nnul\0hidden\nlast", 22));
    FILE* f = std::fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[300];
    int lineNo = 0;
    ASSERT_NE(fgets_skip_comment(line, 300, f, &lineNo), nullptr);
    EXPECT_STREQ(line, "1,2");
    EXPECT_EQ(lineNo, 4);
    ASSERT_NE(fgets_skip_comment(line, 300, f, &lineNo), nullptr);
    EXPECT_EQ(std::string(line), std::string(299, '7'));
    ASSERT_NE(fgets_skip_comment(line, 300, f, &lineNo), nullptr);
    EXPECT_STREQ(line, "next");
    EXPECT_EQ(lineNo, 6);
    ASSERT_NE(fgets_skip_comment(line, 300, f), nullptr);
    EXPECT_STREQ(line, "nul");
    ASSERT_NE(fgets_skip_comment(line, 300, f), nullptr);
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(fgets_skip_comment(line, 300, f), nullptr);
    std::fclose(f);
    EXPECT_EQ(fgets_skip_comment(line, 300, nullptr), nullptr);

    float a = 0, b = 0;
    EXPECT_EQ(JSVsscanf::vsscanf("1.5,2.25", "%f,%f", &a, &b), 2);
    EXPECT_EQ(b, 2.25f);
    EXPECT_EQ(JSVsscanf::vsscanf(nullptr, "%f", &a), 0);
}

TEST(WorkPaths, ExistenceAndComparison)
{
    TempDir dir;
    std::string a = dir.path + "/a", b = dir.path + "/b", c = dir.path + "/c";
    WriteText(a, "same text");
    WriteText(b, "same text");
    WriteText(c, "same texT");
    EXPECT_EQ(if_file_exist(a.c_str()), 1);
    EXPECT_EQ(if_file_exist(dir.path.c_str()), 0); // a directory is not a file
    EXPECT_EQ(if_file_exist((dir.path + "/none").c_str()), 0);
    EXPECT_NE(FileCompare(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(FileCompare(a.c_str(), c.c_str()), 0);
    EXPECT_EQ(FileCompare(a.c_str(), (dir.path + "/none").c_str()), 0);
    EXPECT_EQ(WithSeparator("/w"), "/w/");
    EXPECT_EQ(WithSeparator("/w/"), "/w/");
}

TEST(Messages, RecorderAnswersAndRestores)
{
    {
        ScopedMessageRecorder rec(IDYES);
        HideJsxx();
        EXPECT_EQ(IsJsxxVisible(), 0);
        EXPECT_EQ(AfxMessageBox("数据已发生改变，是否继续计算！", MB_YESNO, "提示"), IDYES);
        tell_error(201, "抗滑力计算成功 !");
        EXPECT_NE(IsJsxxVisible(), 0);
        ASSERT_EQ(rec.messages.size(), 2u);
        EXPECT_EQ(rec.messages[0].caption, "提示");
        EXPECT_EQ(rec.messages[1].code, 201);
        HideJsxx();
    }
    // The default sink never says Yes on its own.
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox("继续？", MB_YESNO, "提示"), IDNO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "提示: 继续？\n");
}

TEST(SafeFile, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    std::string target = dir.path + "/out.dat";
    WriteText(target, "old contents");
    {
        SafeFileWriter w(target);
        FILE* f = w.open();
        ASSERT_NE(f, nullptr);
        std::fputs("half a fi", f);
        // Abandoned without commit: the temporary goes, the target stays.
    }
    EXPECT_EQ(ReadText(target), "old contents");
    // A directory that cannot be written: nothing is created.
    std::string error;
    EXPECT_FALSE(WriteFileSafely(dir.path + "/no/such/dir/x", "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(WriteFileSafely(target, "new contents", &error));
    EXPECT_EQ(ReadText(target), "new contents");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IRGRP, 0u); // not left private like a temporary
}
