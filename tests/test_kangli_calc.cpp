// "kangli calc" run on the bundled examples as a user runs it. The values at
// the slip surfaces are checked by hand in tests/cases; that the JSON holds the
// calculation's own floats, by the Python module's parity test; the warnings of
// a data file read up to a typo, by tests/broken.
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(KangliCalc, OneRowPerPointAndAStaleDataFileIsNoBar)
{
    const CliRun table = RunKangli("calc '" KANGLI_EXAMPLES_DIR "/defaults.json'");
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.err, "");
    EXPECT_NE(table.out.find("\n    5.00       113.772       351.190       113.772\n"), std::string::npos) << table.out;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 22); // heading and 21 points

    // A stored data file that differs from the record is calculated all the same
    // (the question is answered Yes), and nothing is left behind.
    TempDir dir;
    WriteText(dir.path + "/kl.json", R"({"TuCeng": [{}, {}]})");
    WriteText(dir.path + "/kl.dat", "22,99\n");
    const CliRun stale = RunKangli("calc '" + dir.path + "/kl.json'");
    EXPECT_EQ(stale.status, 0);
    EXPECT_EQ(stale.err, "");
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/new-kl.dat"));
}
