// kangli calc on a collection of broken and nonsense files (tests/broken, listed
// with what each must give in tests/broken/EXPECTED): never a signal or a hang;
// either finite numbers with status 0, or one error line naming the file and the
// field, line or key, with status 1 or 2.
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

TEST(BrokenFiles, EachGivesFiniteNumbersOrOneClearLine)
{
    std::istringstream expected(ReadText(KANGLI_BROKEN_DIR "/EXPECTED"));
    int files = 0;
    for (std::string line; std::getline(expected, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        ++files;
        // file <tab> exit status <tab> what the error line must hold
        std::istringstream fields(line);
        std::string file, status, hint;
        std::getline(fields, file, '\t');
        std::getline(fields, status, '\t');
        std::getline(fields, hint);
        const std::string path = KANGLI_BROKEN_DIR "/" + file;
        const CliRun r = RunKangli("calc '" + path + "'");
        ASSERT_LT(r.status, 128) << file << " ended by a signal";
        EXPECT_EQ(r.status, std::stoi(status)) << file << "\n" << r.err;
        if (r.status == 0) {
            // Calculated: at most a warning per line read only in part, and
            // rows of four finite numbers ("nan" or "inf" would stop the read).
            std::istringstream errors(r.err), rows(r.out);
            for (std::string e; std::getline(errors, e);)
                EXPECT_EQ(e.rfind("kangli: " + path + ": warning: line ", 0), 0u) << file << "\n" << r.err;
            std::string row;
            std::getline(rows, row); // heading
            int count = 0;
            for (; std::getline(rows, row); ++count) {
                std::istringstream values(row);
                int n = 0;
                for (double v; values >> v; ++n)
                    EXPECT_TRUE(std::isfinite(v)) << file << ": " << row;
                EXPECT_EQ(n, 4) << file << ": " << row;
            }
            EXPECT_GT(count, 0) << file;
        } else {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << file << "\n" << r.err;
            EXPECT_EQ(r.err.rfind("kangli: " + path + ": ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find(hint), std::string::npos) << file << "\n" << r.err;
            EXPECT_EQ(r.out, "") << file;
        }
        // As JSON: one object without a non-finite number, unless the file could not be read;
        // never ended by a signal.
        const CliRun json = RunKangli("calc --json '" + path + "'");
        if (json.status != 2) {
            EXPECT_EQ(json.out.rfind("{\n  \"status\": ", 0), 0u) << file << "\n" << json.out;
            EXPECT_EQ(json.out.find("nan"), std::string::npos) << file;
            EXPECT_EQ(json.out.find("inf"), std::string::npos) << file;
        }
    }
    EXPECT_GE(files, 30);
}
