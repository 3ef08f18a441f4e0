// kangli calc on a collection of broken and nonsense files (tests/broken, listed
// with what each must give in tests/broken/EXPECTED): never a signal or a hang;
// either finite numbers with status 0, or one error line naming the file and the
// field, line or key, with status 1 or 2.
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

struct Case {
    std::string file;
    int status;
    std::string hint;
};

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    std::istringstream in(ReadText(KANGLI_BROKEN_DIR "/EXPECTED"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Case c;
        std::string status;
        std::getline(fields, c.file, '\t');
        std::getline(fields, status, '\t');
        std::getline(fields, c.hint);
        c.status = std::stoi(status);
        cases.push_back(c);
    }
    return cases;
}

// Every number of every row after the heading is finite.
void ExpectFiniteRows(const std::string& out, const std::string& file)
{
    std::istringstream rows(out);
    std::string row;
    std::getline(rows, row); // heading
    int count = 0;
    while (std::getline(rows, row)) {
        std::istringstream values(row);
        double v;
        int n = 0;
        while (values >> v) {
            EXPECT_TRUE(std::isfinite(v)) << file << ": " << row;
            ++n;
        }
        EXPECT_EQ(n, 4) << file << ": " << row; // "nan" or "inf" would stop the read
        ++count;
    }
    EXPECT_GT(count, 0) << file;
}

} // namespace

TEST(BrokenFiles, EachGivesFiniteNumbersOrOneClearLine)
{
    std::vector<Case> cases = Cases();
    ASSERT_GE(cases.size(), 30u);
    for (const Case& c : cases) {
        std::string path = std::string(KANGLI_BROKEN_DIR) + "/" + c.file;
        CliRun r = RunKangli("calc '" + path + "'");
        ASSERT_LT(r.status, 128) << c.file << " ended by a signal";
        EXPECT_EQ(r.status, c.status) << c.file << "\n" << r.err;
        if (c.status == 0) {
            // Calculated: at most a warning per line read only in part.
            std::istringstream lines(r.err);
            for (std::string line; std::getline(lines, line);)
                EXPECT_EQ(line.rfind("kangli: " + path + ": warning: line ", 0), 0u) << c.file << "\n" << r.err;
            ExpectFiniteRows(r.out, c.file);
        } else {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.file << "\n" << r.err;
            EXPECT_EQ(r.err.rfind("kangli: " + path + ": ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find(c.hint), std::string::npos) << c.file << "\n" << r.err;
            EXPECT_EQ(r.out, "") << c.file;
        }
    }
}

TEST(BrokenFiles, JsonOutputStaysOneObject)
{
    for (const Case& c : Cases()) {
        std::string path = std::string(KANGLI_BROKEN_DIR) + "/" + c.file;
        CliRun r = RunKangli("calc --json '" + path + "'");
        ASSERT_LT(r.status, 128) << c.file;
        if (r.status == 2)
            continue; // a file error prints no object
        std::string out = r.out;
        EXPECT_EQ(out.find("nan"), std::string::npos) << c.file;
        EXPECT_EQ(out.find("inf"), std::string::npos) << c.file;
        EXPECT_EQ(out.rfind("{\n  \"status\": ", 0), 0u) << c.file << "\n" << out;
    }
}
