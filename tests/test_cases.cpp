// Runs the hand-checked cases of tests/cases: each names a record and the values
// worked out by hand at given depths (see tests/cases/README.md).
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "RecordJson.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

struct CaseRun {
    CPelvorinData record;
    int status = -1;
    std::vector<std::string> messages;
    bool loaded = false;
};

void LoadRecord(const std::string& where, const std::string& source, CaseRun& run)
{
    InitKangLiData(&run.record);
    std::string error;
    if (!source.empty() && source[0] == '{')
        run.loaded = RecordFromJson(source, run.record, &error);
    else
        run.loaded = LoadRecordFile(std::string(KANGLI_SOURCE_DIR) + "/" + source, run.record, &error);
    ASSERT_TRUE(run.loaded) << where << ": " << error;
    ScopedMessageRecorder recorder;
    CKangLiJiSuan calc;
    calc.pData = &run.record;
    run.status = calc.JiSuan();
    for (const MessageRequest& m : recorder.messages)
        run.messages.push_back(m.text);
}

void CheckAt(const std::string& where, std::istringstream& words, const CaseRun& run)
{
    ASSERT_TRUE(run.loaded) << where << ": \"at\" before \"record\"";
    ASSERT_EQ(run.status, 1) << where << ": the calculation refused the record";
    float depth = 0;
    ASSERT_TRUE(words >> depth) << where << ": depth missing";
    std::vector<std::pair<std::string, double>> expected;
    double tolerance = -1;
    std::string name;
    while (words >> name) {
        double value;
        ASSERT_TRUE(words >> value) << where << ": no value after " << name;
        if (name == "within")
            tolerance = value;
        else if (name == "ground" || name == "pile" || name == "final")
            expected.emplace_back(name, value);
        else
            FAIL() << where << ": unknown word " << name;
    }
    ASSERT_GE(tolerance, 0) << where << ": \"within\" missing";
    const std::vector<float>& points = *run.record.pDianZuoBiao;
    size_t i = 0;
    while (i < points.size() && std::fabs(points[i] - depth) >= 0.001f)
        ++i;
    ASSERT_LT(i, points.size()) << where << ": no calculation point at " << depth;
    for (const auto& [what, value] : expected) {
        float got = what == "ground" ? run.record.TuKangLi[i]
                    : what == "pile" ? run.record.ZhuangKangLi[i]
                                     : run.record.ZuiZhongKangLi[i];
        EXPECT_NEAR(got, value, tolerance) << where << ": " << what << " at " << depth;
    }
}

} // namespace

TEST(HandCheckedCases, EveryCaseHolds)
{
    int files = 0, checks = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KANGLI_SOURCE_DIR "/tests/cases")) {
        if (entry.path().extension() != ".case")
            continue;
        ++files;
        std::istringstream lines(ReadText(entry.path().string()));
        std::string line;
        int lineNo = 0;
        CaseRun run;
        while (std::getline(lines, line)) {
            ++lineNo;
            std::string where = entry.path().filename().string() + ":" + std::to_string(lineNo);
            std::istringstream words(line);
            std::string verb;
            if (!(words >> verb) || verb[0] == '#')
                continue;
            std::string rest;
            std::getline(words >> std::ws, rest);
            if (verb == "record") {
                run = CaseRun{};
                LoadRecord(where, rest, run);
            } else if (verb == "at") {
                std::istringstream values(rest);
                CheckAt(where, values, run);
                ++checks;
            } else if (verb == "refused") {
                EXPECT_EQ(run.status, 0) << where;
                ASSERT_EQ(run.messages.size(), 1u) << where;
                EXPECT_EQ(run.messages[0], rest) << where;
                ++checks;
            } else {
                ADD_FAILURE() << where << ": unknown verb " << verb;
            }
        }
    }
    EXPECT_GE(files, 6);
    EXPECT_GE(checks, 8);
}
