// Runs the hand-checked cases of tests/cases: each names a record and the values
// worked out by hand at given depths (see tests/cases/README.md). They run on the
// calculation alone (CalculateKangLi): no drawing, no book, no file written, no
// work path, and nobody told anything, which each case checks as well.
#include "KangLiCore.h"
#include "PileForces.h"
#include "Messages.h"
#include "WorkPaths.h"
#include "RecordJson.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

struct CaseRun {
    CPelvorinData record;
    KangLiCalculation result;
    int status = -1;
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
    // A work path that leads nowhere: the calculation must not need one.
    const std::string workPath = G_strWorkPath;
    G_strWorkPath = "/nonexistent/kangli/";
    const CPelvorinData before(run.record);
    ScopedMessageRecorder recorder;
    run.result = CalculateKangLi(run.record);
    run.status = run.result.status;
    G_strWorkPath = workPath;
    EXPECT_TRUE(recorder.messages.empty()) << where << ": the calculation told " << recorder.messages[0].text;
    // The record handed in stays as it was: results come back as a value.
    EXPECT_TRUE(run.record.pDianZuoBiao->empty() && run.record.ZuiZhongKangLi.empty()) << where;
    EXPECT_EQ(run.record.TuCeng.size(), before.TuCeng.size()) << where;
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
    const std::vector<float>& points = run.result.depth;
    size_t i = 0;
    while (i < points.size() && std::fabs(points[i] - depth) >= 0.001f)
        ++i;
    ASSERT_LT(i, points.size()) << where << ": no calculation point at " << depth;
    for (const auto& [what, value] : expected) {
        float got = what == "ground" ? run.result.ground[i]
                    : what == "pile" ? run.result.pile[i]
                                     : run.result.final[i];
        EXPECT_NEAR(got, value, tolerance) << where << ": " << what << " at " << depth;
    }
}

// "slip ground G pile P within T": Ev and Fv at the record's slip surface, as
// the detailed book prints them and the studies rank by.
void CheckSlip(const std::string& where, std::istringstream& words, const CaseRun& run)
{
    ASSERT_TRUE(run.loaded) << where << ": \"slip\" before \"record\"";
    ASSERT_EQ(run.status, 1) << where << ": the calculation refused the record";
    std::string name;
    double value = 0, tolerance = -1, ground = NAN, pile = NAN;
    while (words >> name >> value) {
        if (name == "within")
            tolerance = value;
        else if (name == "ground")
            ground = value;
        else if (name == "pile")
            pile = value;
        else
            FAIL() << where << ": unknown word " << name;
    }
    ASSERT_GE(tolerance, 0) << where << ": \"within\" missing";
    if (!std::isnan(ground)) {
        EXPECT_NEAR(run.result.groundAtSlip.ev, ground, tolerance) << where << ": Ev at the slip surface";
    }
    if (!std::isnan(pile)) {
        EXPECT_NEAR(run.result.section.fv, pile, tolerance) << where << ": Fv at the slip surface";
    }
}

// "forces NAME VALUE [NAME VALUE ...] within T": values of the pile under its
// design block: Q0, M0 (kN, kN m), coefficient (1/m), rigid (1 or 0),
// slip_displacement, top_displacement (mm), rotation_centre (m below the top),
// max_moment (kN m), longitudinal_area (mm2), stirrups (mm2/mm), check_holds
// (1 or 0, every allowable given).
void CheckForces(const std::string& where, std::istringstream& words, const CaseRun& run)
{
    ASSERT_TRUE(run.loaded) << where << ": \"forces\" before \"record\"";
    const PileForces f = CalculatePileForces(run.record);
    ASSERT_EQ(f.status, 1) << where << ": " << f.refusal;
    std::vector<std::pair<std::string, double>> expected;
    std::string name;
    double value = 0, tolerance = -1;
    while (words >> name >> value) {
        if (name == "within")
            tolerance = value;
        else
            expected.emplace_back(name, value);
    }
    ASSERT_GE(tolerance, 0) << where << ": \"within\" missing";
    for (const auto& [what, want] : expected) {
        double got = NAN;
        if (what == "Q0")
            got = f.Q0;
        else if (what == "M0")
            got = f.M0;
        else if (what == "coefficient")
            got = f.coefficient;
        else if (what == "rigid")
            got = f.rigid ? 1 : 0;
        else if (what == "slip_displacement")
            got = f.slip.displacement * 1000;
        else if (what == "top_displacement")
            got = f.topDisplacement * 1000;
        else if (what == "rotation_centre")
            got = f.rotationCentre;
        else if (what == "max_moment")
            got = f.maxMoment.value;
        else if (what == "longitudinal_area")
            got = f.reinforcement.longitudinalArea;
        else if (what == "stirrups")
            got = f.reinforcement.stirrups;
        else if (what == "check_holds") {
            bool all = true;
            for (const PileForceCheck& c : f.checks)
                all = all && c.holds;
            got = all ? 1 : 0;
        } else
            FAIL() << where << ": unknown value " << what;
        EXPECT_NEAR(got, want, tolerance) << where << ": " << what;
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
            } else if (verb == "forces") {
                std::istringstream values(rest);
                CheckForces(where, values, run);
                ++checks;
            } else if (verb == "slip") {
                std::istringstream values(rest);
                CheckSlip(where, values, run);
                ++checks;
            } else if (verb == "refused") {
                EXPECT_EQ(run.status, 0) << where;
                EXPECT_EQ(run.result.refusal, rest) << where;
                EXPECT_TRUE(run.result.depth.empty() && run.result.final.empty()) << where;
                ++checks;
            } else if (verb == "field") {
                EXPECT_EQ(run.result.refusedField, rest) << where;
                ++checks;
            } else {
                ADD_FAILURE() << where << ": unknown verb " << verb;
            }
        }
    }
    EXPECT_GE(files, 6);
    EXPECT_GE(checks, 8);
}
