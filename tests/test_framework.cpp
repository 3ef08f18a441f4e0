// Framework services: the concrete table, the message sink, the safe file writer.
#include "Concrete.h"
#include "Messages.h"
#include "SafeFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstddef>

// The design compressive and characteristic tensile strengths (N/mm2) of the
// tabulated grades; a grade between them is refused but reads as the next lower
// one, a grade below the table as nothing.
TEST(Concrete, GradesGiveTheStandardValues)
{
    const struct { int grade, tabulated; float fc, ftk; } rows[] = {
        {15, 1, 7.2f, 1.27f},  {20, 1, 9.6f, 1.54f},  {25, 1, 11.9f, 1.78f}, {30, 1, 14.3f, 2.01f}, {35, 1, 16.7f, 2.20f},
        {40, 1, 19.1f, 2.39f}, {45, 1, 21.1f, 2.51f}, {50, 1, 23.1f, 2.64f}, {55, 1, 25.3f, 2.74f}, {60, 1, 27.5f, 2.85f},
        {65, 1, 29.7f, 2.93f}, {70, 1, 31.8f, 2.99f}, {75, 1, 33.8f, 3.05f}, {80, 1, 35.9f, 3.11f},
        {32, 0, 14.3f, 2.01f}, {100, 0, 35.9f, 3.11f}, {10, 0, 0, 0}, {-5, 0, 0, 0}, // between, above and below the rows
    };
    for (const auto& row : rows) {
        Con_Prop p{.fc = -1, .ftk = -1};
        EXPECT_EQ(get_rc_property(row.grade, &p), row.tabulated) << row.grade;
        EXPECT_EQ(std::make_pair(p.fc, p.ftk), std::make_pair(row.fc, row.ftk)) << row.grade;
    }
    EXPECT_EQ(get_rc_property(25, nullptr), 0);
    // Callers read fc as the second and ftk as the seventh 32-bit field.
    static_assert(offsetof(Con_Prop, fc) == 4 && offsetof(Con_Prop, ftk) == 24);
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

// A write abandoned without commit: the temporary goes, the old file stays whole.
TEST(SafeFile, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const std::string target = dir.path + "/out.dat";
    WriteText(target, "old contents");
    {
        SafeFileWriter w(target);
        FILE* f = w.open();
        ASSERT_NE(f, nullptr);
        std::fputs("half a fi", f);
    }
    EXPECT_EQ(ReadText(target), "old contents");
    using Entries = std::filesystem::directory_iterator;
    EXPECT_EQ(std::distance(Entries(dir.path), Entries()), 1);
}
