// Runs the hand-checked cases of tests/cases: each names a record and the values
// worked out by hand at given depths (see tests/cases/README.md). They run on the
// calculation alone (CalculateKangLi): no drawing, no book, no file written, no
// work path, and nobody told anything, which each case checks as well.
#include "KangLiCore.h"
#include "PileForces.h"
#include "Messages.h"
#include "WorkPaths.h"
#include "RecordJson.h"
#include "RecordFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
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

// "NAME VALUE ... within T": each named value compared, within T, with what
// `got` gives for its name (NaN for a name it does not know).
void Compare(const std::string& where, std::istringstream& words, const std::function<double(const std::string&)>& got)
{
    std::vector<std::pair<std::string, double>> expected;
    std::string name;
    double value = 0, tolerance = -1;
    while (words >> name) {
        ASSERT_TRUE(words >> value) << where << ": no value after " << name;
        if (name == "within")
            tolerance = value;
        else
            expected.emplace_back(name, value);
    }
    ASSERT_GE(tolerance, 0) << where << ": \"within\" missing";
    for (const auto& [what, want] : expected) {
        const double v = got(what);
        ASSERT_FALSE(std::isnan(v)) << where << ": unknown value " << what;
        EXPECT_NEAR(v, want, tolerance) << where << ": " << what;
    }
}

// "at Z ground G pile P final F within T": the values at the calculation point at Z.
void CheckAt(const std::string& where, std::istringstream& words, const CaseRun& run)
{
    ASSERT_EQ(run.status, 1) << where << ": the calculation refused the record";
    float depth = 0;
    ASSERT_TRUE(words >> depth) << where << ": depth missing";
    const std::vector<float>& points = run.result.depth;
    size_t i = 0;
    while (i < points.size() && std::fabs(points[i] - depth) >= 0.001f)
        ++i;
    ASSERT_LT(i, points.size()) << where << ": no calculation point at " << depth;
    Compare(where, words, [&](const std::string& what) {
        return what == "ground" ? run.result.ground[i]
               : what == "pile" ? run.result.pile[i]
               : what == "final" ? run.result.final[i]
                                 : NAN;
    });
}

// "slip ground G pile P within T": Ev and Fv at the record's slip surface, as
// the detailed book prints them and the studies rank by.
void CheckSlip(const std::string& where, std::istringstream& words, const CaseRun& run)
{
    ASSERT_EQ(run.status, 1) << where << ": the calculation refused the record";
    Compare(where, words, [&](const std::string& what) {
        return what == "ground" ? run.result.groundAtSlip.ev : what == "pile" ? run.result.section.fv : NAN;
    });
}

// "forces NAME VALUE ... within T": the pile under its design block, in the
// units of tests/cases/README.md (displacements in mm).
void CheckForces(const std::string& where, std::istringstream& words, const CaseRun& run)
{
    const PileForces f = CalculatePileForces(run.record);
    ASSERT_EQ(f.status, 1) << where << ": " << f.refusal;
    bool holds = true;
    for (const PileForceCheck& c : f.checks)
        holds = holds && c.holds;
    std::map<std::string, double> values = {
        {"Q0", f.Q0}, {"M0", f.M0}, {"coefficient", f.coefficient}, {"rigid", f.rigid ? 1.0 : 0.0},
        {"slip_displacement", f.slip.displacement * 1000}, {"top_displacement", f.topDisplacement * 1000},
        {"slip_rotation", f.slip.rotation}, {"coefficient_length", f.coefficientLength},
        {"rotation_centre", f.rotationCentre}, {"max_moment", f.maxMoment.value},
        {"max_moment_depth", f.maxMoment.depth},
        {"longitudinal_area", f.reinforcement.longitudinalArea}, {"stirrups", f.reinforcement.stirrups},
        {"check_holds", holds ? 1.0 : 0.0}, {"max_shear", f.maxShear.value},
        {"other_face_moment", f.reinforcementOtherFace.moment},
    };
    // Layer i's largest stress on each face (kPa), anchor i's force (kN).
    for (const PileLayerStress& l : f.layers) {
        values["layer" + std::to_string(l.layer) + "_front"] = l.front.value;
        values["layer" + std::to_string(l.layer) + "_back"] = l.back.value;
    }
    for (size_t i = 0; i < f.anchors.size(); ++i) {
        values["anchor" + std::to_string(i) + "_force"] = f.anchors[i].force;
        values["anchor" + std::to_string(i) + "_horizontal"] = f.anchors[i].horizontal;
    }
    Compare(where, words, [&](const std::string& what) {
        const auto it = values.find(what);
        return it == values.end() ? NAN : it->second;
    });
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
                continue;
            }
            ASSERT_TRUE(run.loaded) << where << ": \"" << verb << "\" before \"record\"";
            std::istringstream values(rest);
            ++checks;
            if (verb == "at") {
                CheckAt(where, values, run);
            } else if (verb == "forces") {
                CheckForces(where, values, run);
            } else if (verb == "slip") {
                CheckSlip(where, values, run);
            } else if (verb == "refused") {
                EXPECT_EQ(run.status, 0) << where;
                EXPECT_EQ(run.result.refusal, rest) << where;
                EXPECT_TRUE(run.result.depth.empty() && run.result.final.empty()) << where;
            } else if (verb == "field") {
                EXPECT_EQ(run.result.refusedField, rest) << where;
            } else {
                ADD_FAILURE() << where << ": unknown verb " << verb;
            }
        }
    }
    EXPECT_GE(files, 6);
    EXPECT_GE(checks, 8);
}
