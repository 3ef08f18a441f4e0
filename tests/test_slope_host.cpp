// The slope model file and kangli-host as a host's search meets them: what
// would make the wrong pile be calculated or dropped is refused by its key, and
// the host tells calculated, refused and missed calls apart.
#include "SlopeData.h"
#include "SlopeJson.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

using json = nlohmann::json;

namespace {

json Example(const std::string& name)
{
    return json::parse(ReadText(KANGLI_EXAMPLES_DIR "/slope/" + name + ".json"));
}

// The example pile (id 5, "KH1", axis 100 to 84 m, 16 m) and a second one like
// it 20 m along the slope (id 6, "KH2", axis 96 to 80 m).
json TwoPiles()
{
    json m = Example("circle-cuts-pile");
    json second = m["piles"][0];
    second["id"] = 6;
    second["name"] = "KH2";
    second["axis"] = json::array({json::array({20, 96}), json::array({20, 80})});
    m["piles"].push_back(second);
    return m;
}

// The refusal of a model, or "" when it loads.
std::string Refusal(const json& m)
{
    SlopeModelFile model;
    std::string error;
    return SlopeModelFromJson(m.dump(), model, &error) ? std::string() : error;
}

struct Case {
    const char* what;
    json model;
    std::string refusal;
};

void ExpectRefusals(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(Refusal(c.model), c.refusal) << c.what;
}

} // namespace

// ---------------------------------------------------------------- the model file

TEST(SlopeModelIdentity, PileAndSurfaceIdsAreUniqueAndPositive)
{
    std::vector<Case> cases;
    json m = Example("circle-cuts-pile");
    m["piles"][0].erase("id");
    cases.push_back({"pile without id", m, "key \"piles[0].id\": missing; every pile needs a positive id of its own"});
    for (int id : {0, -3}) {
        m = Example("circle-cuts-pile");
        m["piles"][0]["id"] = id;
        cases.push_back({"pile id", m, "key \"piles[0].id\": an id must be positive, found " + std::to_string(id)});
    }
    m = TwoPiles();
    m["piles"][1]["id"] = 5;
    cases.push_back({"two piles, one id", m, "key \"piles[1].id\": 5 is the id of piles[0] already; ids must be unique"});

    m = Example("whole-slope");
    m["surfaces"][1].erase("id");
    cases.push_back({"surface without id", m,
                     "key \"surfaces[1].id\": missing; every slip surface needs a positive id of its own"});
    m = Example("whole-slope");
    m["surfaces"][0]["id"] = 0;
    cases.push_back({"surface id 0", m, "key \"surfaces[0].id\": an id must be positive, found 0"});
    m = Example("whole-slope");
    m["surfaces"][1]["id"] = m["surfaces"][0]["id"];
    cases.push_back({"two surfaces, one id", m,
                     "key \"surfaces[1].id\": 1 is the id of surfaces[0] already; ids must be unique"});

    // The working pile and surface a model names must be there.
    m = Example("circle-cuts-pile");
    m["currentPile"] = "KH9";
    cases.push_back({"no such current pile", m, "key \"currentPile\": no pile is named \"KH9\""});
    m = Example("circle-cuts-pile");
    m["currentSurface"] = 7;
    cases.push_back({"no such current surface", m, "key \"currentSurface\": no slip surface has the id 7"});
    ExpectRefusals(cases);
}

TEST(SlopeModelIdentity, TwoPilesMayShareANameButNotAnId)
{
    json m = TwoPiles();
    m["piles"][1]["name"] = "KH1";
    SlopeModelFile model;
    std::string error;
    ASSERT_TRUE(SlopeModelFromJson(m.dump(), model, &error)) << error;
    ASSERT_EQ(model.slope.KHPiles.size(), 2u);
    EXPECT_EQ(model.slope.KHPiles[0].nID, 5);
    EXPECT_EQ(model.slope.KHPiles[1].nID, 6);
    // The working pile of that name is the first, not the last read.
    EXPECT_EQ(model.slope.CurKHPile.nID, 5);
}

TEST(SlopeModelGeometry, AnAxisFromTopToFootThatAgreesWithTheLength)
{
    std::vector<Case> cases;
    json m = Example("circle-cuts-pile");
    m["piles"][0]["axis"] = json::array({json::array({0, 84}), json::array({0, 100})});
    cases.push_back({"foot first", m,
                     "key \"piles[0].axis[1]\": the axis runs from the top of the pile down to its foot; this point "
                     "is not below the one before it"});
    m["piles"][0]["axis"] = json::array({json::array({0, 100}), json::array({0, 90}), json::array({0, 92})});
    cases.push_back({"turns upwards", m,
                     "key \"piles[0].axis[2]\": the axis runs from the top of the pile down to its foot; this point "
                     "is not below the one before it"});
    m["piles"][0]["axis"] = json::array({json::array({0, 100})});
    cases.push_back({"one point", m,
                     "key \"piles[0].axis\": a pile needs an axis of at least two points, from its top down to its "
                     "foot"});
    m = Example("circle-cuts-pile");
    m["piles"][0].erase("axis");
    cases.push_back({"no axis", m,
                     "key \"piles[0].axis\": a pile needs an axis of at least two points, from its top down to its "
                     "foot"});
    m = Example("circle-cuts-pile");
    m["piles"][0]["length"] = 15;
    m["piles"][0]["axis"] = json::array({json::array({0, 100}), json::array({0, 80})});
    cases.push_back({"15 m pile, 20 m axis", m,
                     "key \"piles[0].length\": 15 m does not agree with the axis, which is 20 m long (leave the "
                     "length out to take the axis's)"});
    m = Example("circle-cuts-pile");
    m["piles"][0]["length"] = 16.002;
    cases.push_back({"2 mm off", m,
                     "key \"piles[0].length\": 16.002 m does not agree with the axis, which is 16 m long (leave "
                     "the length out to take the axis's)"});
    m = Example("circle-cuts-pile");
    m["piles"][0]["length"] = 16.0005;
    cases.push_back({"within a millimetre", m, ""});
    ExpectRefusals(cases);
    // A length beyond any real is named by its key.
    SlopeModelFile model;
    std::string error;
    std::string text = Example("circle-cuts-pile").dump();
    text.replace(text.find("\"length\":16"), 12, "\"length\":1e999");
    EXPECT_FALSE(SlopeModelFromJson(text, model, &error));
    EXPECT_EQ(error, "key \"piles[0].length\": number out of range of a 32-bit real");

    // Without a length the pile is as long as its axis, inclined ones included.
    m = Example("circle-cuts-pile");
    m["piles"][0].erase("length");
    m["piles"][0]["axis"] = json::array({json::array({0, 100}), json::array({3, 96}), json::array({3, 86})});
    ASSERT_TRUE(SlopeModelFromJson(m.dump(), model, &error)) << error;
    EXPECT_FLOAT_EQ(model.slope.KHPiles[0].fChang, 15.0f);
}

TEST(SlopeModelGeometry, SlipSurfacesThatCannotCutAreRefused)
{
    std::vector<Case> cases;
    for (double r : {-25.0, 0.0}) {
        json m = Example("circle-cuts-pile");
        m["surfaces"][0]["r"] = r;
        cases.push_back({"radius", m,
                         "key \"surfaces[0].r\": a circle needs a positive radius, found " + json(r).dump()});
    }
    json m = Example("circle-cuts-pile");
    m["surfaces"][0].erase("r");
    cases.push_back({"no radius", m, "key \"surfaces[0].r\": missing; a circle needs a positive radius"});
    m = Example("circle-cuts-pile");
    m["surfaces"][0]["points"] = json::array({json::array({0, 0}), json::array({1, 1})});
    cases.push_back({"a circle with points", m, "key \"surfaces[0].points\": not a key of a circle"});
    m = Example("polyline-cuts-pile");
    m["surfaces"][0]["points"] = json::array({json::array({0, 0})});
    cases.push_back({"one point", m, "key \"surfaces[0].points\": a polyline needs at least two points"});
    m = Example("polyline-cuts-pile");
    m["surfaces"][0]["r"] = 25;
    cases.push_back({"a polyline with a radius", m, "key \"surfaces[0].r\": not a key of a polyline"});
    ExpectRefusals(cases);
}

TEST(SlopeModelGround, APileWithNoGroundInFrontIsRefusedNamingIt)
{
    std::vector<Case> cases;
    json m = Example("circle-cuts-pile");
    m["piles"][0]["layers"] = json::array();
    cases.push_back({"empty layers", m,
                     "key \"piles[0].layers\": no layer in front of the pile \"KH1\" (id 5); a pile needs ground in "
                     "front of it"});
    m = Example("circle-cuts-pile");
    m["piles"][0].erase("layers");
    cases.push_back({"no layers, no slope", m,
                     "key \"piles[0].layers\": missing; give the layers in front of the pile \"KH1\" (id 5), or "
                     "the whole slope (\"ground\" and \"strata\")"});
    m = Example("whole-slope");
    m["strata"] = json::array();
    cases.push_back({"empty strata", m,
                     "key \"piles[0]\": no ground in front of the pile \"KH1\" (id 5): the model has no strata"});
    // One stratum whose lower boundary lies above the ground at the piles.
    m = Example("whole-slope");
    json stratum = m["strata"][0];
    stratum["bottom"] = json::array({json::array({-40, 200}), json::array({40, 200})});
    m["strata"] = json::array({stratum});
    cases.push_back({"strata above the ground", m,
                     "key \"piles[0]\": no ground in front of the pile \"KH1\" (id 5): no stratum lies in front of "
                     "it at its axis"});
    m = Example("whole-slope");
    m.erase("ground");
    cases.push_back({"strata without ground", m,
                     "key \"strata\": the strata need the \"ground\" of the whole slope above them"});
    ExpectRefusals(cases);
}

TEST(SlopeModelGround, ASaturatedWeightLighterThanWaterIsRefusedAsTyped)
{
    std::vector<Case> cases;
    json m = Example("circle-cuts-pile");
    m["piles"][0]["layers"][1]["saturatedUnitWeight"] = 8;
    cases.push_back({"a pile's layer", m,
                     "key \"piles[0].layers[1].saturatedUnitWeight\": 8 kN/m3 is lighter than water (10 kN/m3); a "
                     "saturated soil or rock weighs at least as much as water"});
    m = Example("whole-slope");
    m["strata"][2]["saturatedUnitWeight"] = 9.5;
    cases.push_back({"a stratum", m,
                     "key \"strata[2].saturatedUnitWeight\": 9.5 kN/m3 is lighter than water (10 kN/m3); a "
                     "saturated soil or rock weighs at least as much as water"});
    m = Example("circle-cuts-pile");
    m["piles"][0]["layers"][1]["saturatedUnitWeight"] = 10;
    cases.push_back({"as heavy as water", m, ""});
    ExpectRefusals(cases);
}

// A model means what it says: a circle's one size is its diameter (or its
// width), a water line reaches every pile of the whole slope, and a rock's
// values under water, which the calculation does not use, are never taken in
// silence.
TEST(SlopeModelGround, SizesWaterAndRockUnderWaterMeanWhatTheySay)
{
    auto loaded = [](const json& m) {
        SlopeModelFile model;
        std::string error;
        EXPECT_TRUE(SlopeModelFromJson(m.dump(), model, &error)) << error;
        return model;
    };
    // A circle given by its width alone is that wide, not the default height.
    json m = Example("circle-cuts-pile");
    m["piles"][0].erase("height");
    m["piles"][0]["width"] = 1.8;
    SlopeModelFile byWidth = loaded(m);
    EXPECT_FLOAT_EQ(byWidth.slope.KHPiles[0].fGao, 1.8f);
    EXPECT_FLOAT_EQ(byWidth.slope.KHPiles[0].fKuan, 1.8f);
    m["piles"][0].erase("width");
    m["piles"][0]["diameter"] = 1.8;
    EXPECT_FLOAT_EQ(loaded(m).slope.KHPiles[0].fGao, 1.8f);
    // Saved, a circle is written by its diameter, and reads back the same.
    EXPECT_EQ(json::parse(SlopeModelToJson(byWidth))["piles"][0]["diameter"].get<double>(), 1.8);

    std::vector<Case> cases;
    m = Example("circle-cuts-pile");
    m["piles"][0]["width"] = 1.8; // height 1.2
    cases.push_back({"a circle of two sizes", m,
                     "key \"piles[0].height\": 1.2 m differs from the circle's width 1.8 m; a circle has one size, "
                     "its diameter"});
    m = Example("circle-cuts-pile");
    m["piles"][0]["section"] = 1;
    m["piles"][0]["diameter"] = 1.2;
    cases.push_back({"a rectangle with a diameter", m,
                     "key \"piles[0].diameter\": a rectangle (\"section\": 1) has a width and a height, not a "
                     "diameter"});
    m = Example("whole-slope");
    m["waterLine"] = json::array({json::array({-40, 95}), json::array({5, 90})});
    cases.push_back({"a water line short of a pile", m,
                     "key \"waterLine\": does not reach the pile \"KH2\" (id 6) at x = 20; draw it across every "
                     "pile (below the foot where the ground is dry there)"});
    m = Example("whole-slope");
    m["strata"][2]["cohesionUnderWater"] = 40; // a softening mudstone
    cases.push_back({"rock weaker under water", m,
                     "key \"strata[2].cohesionUnderWater\": 40 would be unused: rock keeps its cohesion under water "
                     "in the calculation; leave it out (or give it equal to \"cohesion\"), or give a rock that "
                     "softens in water as soil (\"rock\": false)"});
    m = Example("circle-cuts-pile");
    m["piles"][0]["layers"][2]["frictionUnderWater"] = 20;
    cases.push_back({"a pile's rock layer weaker under water", m,
                     "key \"piles[0].layers[2].frictionUnderWater\": 20 would be unused: rock keeps its friction "
                     "under water in the calculation; leave it out (or give it equal to \"friction\"), or give a "
                     "rock that softens in water as soil (\"rock\": false)"});
    m = Example("whole-slope");
    m["strata"][2]["cohesionUnderWater"] = m["strata"][2]["cohesion"];
    cases.push_back({"rock the same under water", m, ""});
    m = Example("whole-slope");
    m["strata"][1].erase("bottom");
    cases.push_back({"a stratum without a bottom above another", m,
                     "key \"strata[1].bottom\": missing; every stratum but the last needs its lower boundary"});
    ExpectRefusals(cases);

    // A rock's saturated weight is not used either: loaded, and said.
    m = Example("whole-slope");
    m["strata"][2]["saturatedUnitWeight"] = 25;
    const SlopeModelFile noted = loaded(m);
    ASSERT_EQ(noted.notes.size(), 1u);
    EXPECT_EQ(noted.notes[0], "key \"strata[2].saturatedUnitWeight\": 25 is not used: rock is taken at its "
                              "unitWeight 24 under water too");
}

TEST(SlopeModelGround, EveryBundledExampleStillLoads)
{
    for (const char* name :
         {"circle-cuts-pile", "polyline-cuts-pile", "search-200-surfaces", "surface-misses-pile", "whole-slope"})
        EXPECT_EQ(Refusal(Example(name)), "") << name;
}

// ---------------------------------------------------------------- kangli-host

namespace {

struct HostRun {
    int status = -1;
    std::string out, err;
};

// kangli-host with the module of this build; args are passed as written (quote
// them yourself).
HostRun RunHost(const std::string& args, const std::string& module = KANGLI_MODULE)
{
    TempDir dir;
    HostRun r;
    const std::string cmd = "'" KANGLI_HOST_EXE "' " + args + " --module '" + module + "' >'" + dir.path +
                            "/out' 2>'" + dir.path + "/err'";
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadText(dir.path + "/out");
    r.err = ReadText(dir.path + "/err");
    return r;
}

// The lines of a run but the timing.
std::string Calls(const std::string& out)
{
    std::string kept;
    size_t at = 0;
    while (at < out.size()) {
        const size_t end = out.find('\n', at);
        const std::string line = out.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
        if (line.find(" calls") == std::string::npos)
            kept += line;
        at = end == std::string::npos ? out.size() : end + 1;
    }
    return kept;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The rock of the whole-slope example turned into a weak soil: the ground, not
// the pile section, then governs the resistance at the cuts.
void WeakenTheRock(json& m)
{
    json& rock = m["strata"][2];
    rock["rock"] = false;
    rock["cohesion"] = 5;
    rock["friction"] = 10;
    rock["cohesionUnderWater"] = 4;
    rock["frictionUnderWater"] = 8;
    rock["unitWeight"] = 18;
    rock["saturatedUnitWeight"] = 19;
}

} // namespace

TEST(SlopeHostSave, AWholeSlopeIsSavedAsAWholeSlopeWithTheResultsBesideThePiles)
{
    TempDir dir;
    const std::string saved = dir.path + "/saved.json";
    const HostRun first = RunHost(Quoted(KANGLI_EXAMPLES_DIR "/slope/whole-slope.json") + " " +
                                  Quoted(dir.path + "/w1") + " --all-surfaces --save " + Quoted(saved));
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    json s = json::parse(ReadText(saved));
    ASSERT_EQ(s["piles"].size(), 2u);
    for (const json& p : s["piles"]) {
        // The ground in front is the strata's, not frozen into the pile ...
        for (const char* derived : {"layers", "groundY", "water", "waterY"})
            EXPECT_FALSE(p.contains(derived)) << derived << "\n" << p.dump();
        // ... and what came back stands beside it.
        ASSERT_TRUE(p.contains("points")) << p.dump();
        EXPECT_EQ(p["points"].size(), 21u);
        EXPECT_EQ(p["resistance"].size(), 21u);
    }
    EXPECT_EQ(s["strata"].size(), 3u);
    EXPECT_TRUE(s.contains("ground"));
    EXPECT_TRUE(s.contains("waterLine"));

    // The saved model, its rock weakened, gives the answer of the example so
    // weakened, not the first run's.
    WeakenTheRock(s);
    WriteText(dir.path + "/saved-edited.json", s.dump(2));
    json original = Example("whole-slope");
    WeakenTheRock(original);
    WriteText(dir.path + "/edited.json", original.dump(2));
    const HostRun again = RunHost(Quoted(dir.path + "/saved-edited.json") + " " + Quoted(dir.path + "/w2") +
                                  " --all-surfaces");
    const HostRun edited = RunHost(Quoted(dir.path + "/edited.json") + " " + Quoted(dir.path + "/w3") +
                                   " --all-surfaces");
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_EQ(Calls(again.out), Calls(edited.out));
    EXPECT_NE(Calls(again.out), Calls(first.out));
    EXPECT_NE(edited.out.find("surface 1, pile KH1 (id 5): 1, cut 8.00 m below the top, resistance 253.042 kN/m"),
              std::string::npos)
        << edited.out;

    // A pile that gives its own layers in a whole-slope model keeps them.
    json mixed = Example("whole-slope");
    mixed["piles"][1]["layers"] = Example("circle-cuts-pile")["piles"][0]["layers"];
    SlopeModelFile model;
    std::string error;
    ASSERT_TRUE(SlopeModelFromJson(mixed.dump(), model, &error)) << error;
    const json back = json::parse(SlopeModelToJson(model));
    EXPECT_FALSE(back["piles"][0].contains("layers"));
    ASSERT_TRUE(back["piles"][1].contains("layers"));
    EXPECT_EQ(back["piles"][1]["layers"], mixed["piles"][1]["layers"]);
}

TEST(SlopeHostCalls, CalculatedRefusedAndMissedAreCountedApartAndEachRefusalTold)
{
    TempDir dir;
    // Surface 1 cuts KH1 and misses KH2, surface 2 cuts both; KH2 has no spacing.
    json m = Example("whole-slope");
    m["piles"][1]["spacing"] = 0;
    WriteText(dir.path + "/refused.json", m.dump(2));
    HostRun r = RunHost(Quoted(dir.path + "/refused.json") + " " + Quoted(dir.path + "/w") + " --all-surfaces");
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_EQ(Calls(r.out),
              "surface 1, pile KH1 (id 5): 1, cut 8.00 m below the top, resistance 360.549 kN/m (21 points)\n"
              "surface 1, pile KH2 (id 6): 0, the surface does not cut the pile\n"
              "surface 2, pile KH1 (id 5): 1, cut 9.00 m below the top, resistance 361.043 kN/m (21 points)\n"
              "surface 2, pile KH2 (id 6): 1, refused: 桩 KH2（id 6）：“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0\n");
    EXPECT_NE(r.out.find("4 calls: 2 calculated, 1 refused, 1 missed, in "), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");

    // Every pile refused is no success.
    m["piles"][0]["spacing"] = 0;
    WriteText(dir.path + "/all-refused.json", m.dump(2));
    r = RunHost(Quoted(dir.path + "/all-refused.json") + " " + Quoted(dir.path + "/w") + " --surface 2");
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("2 calls: 0 calculated, 2 refused, 0 missed"), std::string::npos) << r.out;

    // A surface that cuts no pile is an answer of the search, not a failure.
    r = RunHost(Quoted(KANGLI_EXAMPLES_DIR "/slope/surface-misses-pile.json") + " " + Quoted(dir.path + "/w2"));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("1 calls: 0 calculated, 0 refused, 1 missed"), std::string::npos) << r.out;
    r = RunHost(Quoted(KANGLI_EXAMPLES_DIR "/slope/whole-slope.json") + " " + Quoted(dir.path + "/w3") +
                " --all-surfaces");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("4 calls: 3 calculated, 0 refused, 1 missed"), std::string::npos) << r.out;
}

TEST(SlopeHostCommandLine, HelpModelNamesAndChoicesThatDoNotExist)
{
    TempDir dir;
    for (const char* help : {"--help", "-h"}) {
        const HostRun r = RunHost(help);
        EXPECT_EQ(r.status, 0) << help << r.err;
        EXPECT_EQ(r.out.rfind("usage: kangli-host", 0), 0u) << help << r.out;
        EXPECT_NE(r.out.find("Exit status"), std::string::npos) << help;
        EXPECT_EQ(r.err, "") << help;
        EXPECT_FALSE(std::filesystem::exists(help)) << help << " taken as a work folder";
    }
    const std::string model = dir.path + "/MODEL.JSON", work = Quoted(dir.path + "/w");
    WriteText(model, ReadText(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json"));
    HostRun r = RunHost(Quoted(model) + " " + work);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(Calls(r.out), "surface 1, pile KH1 (id 5): 1, cut 8.00 m below the top, resistance 360.549 kN/m (21 points)\n");

    const struct {
        const char* args;
        std::string err;
    } refused[] = {
        {"--pile KH9", "kangli-host: " + model + ": no pile is named \"KH9\"\n"},
        {"--surface 9", "kangli-host: " + model + ": no slip surface has the id 9\n"},
        {"--surface 1x", "kangli-host: --surface 1x: expected the positive id of a slip surface\n"},
        {"--surface 1 --all-surfaces", "kangli-host: --surface and --all-surfaces exclude each other\n"},
        {"--files some", "kangli-host: --files some: expected none, results or all\n"},
        {"--piles KH1", "kangli-host: unknown option --piles (kangli-host --help)\n"},
        {"--dialog --all-surfaces", "kangli-host: --dialog opens one window: choose one slip surface\n"},
        {"--dialog --dialog", "kangli-host: --dialog given twice\n"},
    };
    for (const auto& c : refused) {
        r = RunHost(Quoted(model) + " " + work + " " + c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.err, c.err) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
    }

    // The dialog's options in the wrong order are told in words.
    r = RunHost("--dialog " + work + " " + Quoted(model));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kangli-host: " + model + ": a model comes first, before the work folder (kangli-host --help)\n");
    r = RunHost("--dialog " + work, dir.path + "/no-such.so");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kangli-host: " + dir.path + "/no-such.so: no module file there (kangli-host --help)\n");

    // Standard output that cannot be written is no success.
    const std::string cmd = "'" KANGLI_HOST_EXE "' " + Quoted(model) + " " + work + " --module '" KANGLI_MODULE
                            "' >/dev/full 2>/dev/null";
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);
}

TEST(SlopeHostFiles, TheFilesSwitchReachesTheModuleOnEveryCall)
{
    TempDir dir;
    const struct {
        const char* option;
        float expected;
    } cases[] = {{"", kKangLiWenJianAll},
                 {"--files all", kKangLiWenJianAll},
                 {"--files results", kKangLiWenJianResult},
                 {"--files none", kKangLiWenJianNone}};
    for (const auto& c : cases) {
        const std::string saved = dir.path + "/saved.json";
        const HostRun r = RunHost(Quoted(KANGLI_EXAMPLES_DIR "/slope/search-200-surfaces.json") + " " +
                                      Quoted(dir.path + "/w") + " --surface 3 " + c.option + " --save " + Quoted(saved),
                                  KANGLI_PROBE_MODULE);
        ASSERT_EQ(r.status, 0) << c.option << r.out << r.err;
        const json s = json::parse(ReadText(saved));
        ASSERT_EQ(s["piles"].size(), 2u);
        for (const json& p : s["piles"])
            EXPECT_EQ(p["resistance"][0], c.expected) << c.option;
    }
}

TEST(SlopeHostCalls, ThePileAtTheIndexIsTheWorkingPileWhateverItsName)
{
    TempDir dir;
    json m = TwoPiles();
    m["piles"][1]["name"] = "KH1";
    m["piles"].push_back(m["piles"][0]);
    m["piles"][2]["id"] = 7;
    m["piles"][2]["name"] = "KH3";
    WriteText(dir.path + "/names.json", m.dump());
    const std::string saved = dir.path + "/saved.json";
    const HostRun r = RunHost(Quoted(dir.path + "/names.json") + " " + Quoted(dir.path + "/w") + " --save " +
                                  Quoted(saved),
                              KANGLI_PROBE_MODULE);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const json s = json::parse(ReadText(saved));
    ASSERT_EQ(s["piles"].size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const json& p = s["piles"][i];
        EXPECT_EQ(p["resistance"][1], p["id"]) << "the working pile of the call of piles[" << i << "]";
        EXPECT_EQ(p["resistance"][2], 1) << "the current name of the call of piles[" << i << "]";
    }
}

// What a run cannot use is refused before the first call: a model without
// piles, a work folder nothing can be written into (with the system's reason).
// And --save writes only results this run calculated from the saved model: a
// pile's old results in the file, from some other model, do not survive.
TEST(SlopeHostCommandLine, WhatARunCannotUseIsRefusedAndSaveWritesOnlyItsOwnResults)
{
    TempDir dir;
    json none = Example("circle-cuts-pile");
    none["piles"] = json::array();
    none.erase("currentPile");
    WriteText(dir.path + "/none.json", none.dump(2));
    HostRun r = RunHost(Quoted(dir.path + "/none.json") + " " + Quoted(dir.path + "/w"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kangli-host: " + dir.path + "/none.json: the model has no piles: there is nothing to calculate\n");

    WriteText(dir.path + "/plain", "a file, not a folder");
    r = RunHost(Quoted(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json") + " " + Quoted(dir.path + "/plain/w"));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty()) << r.out; // not one call
    EXPECT_NE(r.err.find("cannot write into the work folder: Not a directory"), std::string::npos) << r.err;
    // A run that writes no files needs no folder to write into.
    r = RunHost(Quoted(KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json") + " " + Quoted(dir.path + "/plain/w") +
                " --files none");
    EXPECT_EQ(r.status, 0) << r.err;

    json two = TwoPiles();
    two["piles"][1]["points"] = {16.0, 0.0};
    two["piles"][1]["resistance"] = {0.0, 729.6};
    WriteText(dir.path + "/two.json", two.dump(2));
    r = RunHost(Quoted(dir.path + "/two.json") + " " + Quoted(dir.path + "/w2") + " --pile KH1 --save " +
                Quoted(dir.path + "/saved.json"));
    ASSERT_EQ(r.status, 0) << r.err;
    const json saved = json::parse(ReadText(dir.path + "/saved.json"));
    EXPECT_EQ(saved["piles"][0]["points"].size(), 21u);
    EXPECT_FALSE(saved["piles"][1].contains("points")) << saved["piles"][1].dump();
}

// A refusal an engineer can act on: the pile by name and id, and the layer as
// the model gave it (the stratum, not the layer's place in front of the pile,
// which shifts where a stratum pinches out).
TEST(SlopeHostCalls, ARefusalNamesThePileAndTheStratum)
{
    TempDir dir;
    json m = Example("whole-slope");
    m["strata"][1]["friction"] = 95;
    WriteText(dir.path + "/steep.json", m.dump(2));
    HostRun r = RunHost(Quoted(dir.path + "/steep.json") + " " + Quoted(dir.path + "/w") + " --surface 2 --files none");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("surface 2, pile KH2 (id 6): 1, refused: 桩 KH2（id 6）：“第2层 内摩擦角(°)”应在 0 到 90（不含） "
                         "之间，输入值为 95（模型中的 strata[1]）"),
              std::string::npos)
        << r.out;

    // Soil under rock, said once, with both layers as the model gave them.
    m = Example("whole-slope");
    std::swap(m["strata"][1]["rock"], m["strata"][2]["rock"]);
    m["strata"][1].erase("saturatedUnitWeight");
    m["strata"][1].erase("cohesionUnderWater");
    m["strata"][1].erase("frictionUnderWater");
    m["strata"][2]["saturatedUnitWeight"] = 21;
    m["strata"][2]["cohesionUnderWater"] = 4;
    m["strata"][2]["frictionUnderWater"] = 20;
    WriteText(dir.path + "/under.json", m.dump(2));
    r = RunHost(Quoted(dir.path + "/under.json") + " " + Quoted(dir.path + "/w") + " --files none");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("refused: 桩 KH1（id 5）：岩层下不能出现土层：第3层（模型中的 strata[2]）为土层，在岩层第2层（模型中的 "
                         "strata[1]）之下\n"),
              std::string::npos)
        << r.out;
}

// Levels with one decimal reach the data file with it: thicknesses and the
// water depth are worked out from the model's float levels and narrowed once,
// never written as 3.099998 or 5.100002.
TEST(SlopeHostFiles, LevelsWithFewDecimalsKeepThemInTheDataFile)
{
    TempDir dir;
    json m = Example("whole-slope");
    for (json& p : m["strata"][0]["bottom"])
        p[1] = p[1].get<double>() - 0.1;
    for (json& p : m["waterLine"])
        p[1] = p[1].get<double>() - 0.1;
    WriteText(dir.path + "/m.json", m.dump(2));
    const HostRun r = RunHost(Quoted(dir.path + "/m.json") + " " + Quoted(dir.path + "/w"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string data = ReadText(dir.path + "/w/kl-1-1-5.dat");
    // Pile top 100 m, ground 99 m at the pile: water 93.9 m lies 5.1 m down;
    // the first stratum ends at 95.9 m (3.1 m), the second at 92 m (3.9 m).
    EXPECT_EQ(data.substr(0, data.find('\n')),
              "25.000000,16.000000,1.200000,1.200000,1.200000,4.000000,1.000000,5.100000,100.000000,8.000000");
    EXPECT_NE(data.find("\n3.100000,19.000000,"), std::string::npos) << data;
    EXPECT_NE(data.find("\n3.900000,20.000000,"), std::string::npos) << data;
}

TEST(SlopeHostCalls, RockBelowThePileFootDoesNotResist)
{
    // The rock stratum of the whole slope split by a boundary 5 m below the
    // lower pile's foot (79 m), and a deeper stratum added under it: what lies
    // below the feet does not change what the host is handed.
    TempDir dir;
    // Weak rock, so that the ground and not the section governs what is handed on.
    json whole = Example("whole-slope");
    whole["strata"][2]["cohesion"] = whole["strata"][2]["cohesionUnderWater"] = 15;
    whole["strata"][2]["friction"] = whole["strata"][2]["frictionUnderWater"] = 12;
    json split = whole;
    json rock = whole["strata"][2];
    json upper = rock;
    upper["bottom"] = json::array({json::array({-40, 74}), json::array({40, 74})});
    split["strata"] = json::array({whole["strata"][0], whole["strata"][1], upper, rock});
    split["strata"][3]["cohesion"] = split["strata"][3]["cohesionUnderWater"] = 3000;
    WriteText(dir.path + "/whole.json", whole.dump(2));
    WriteText(dir.path + "/split.json", split.dump(2));
    const HostRun a = RunHost(Quoted(dir.path + "/whole.json") + " " + Quoted(dir.path + "/a") + " --all-surfaces");
    const HostRun b = RunHost(Quoted(dir.path + "/split.json") + " " + Quoted(dir.path + "/b") + " --all-surfaces");
    EXPECT_EQ(a.status, 0) << a.out << a.err;
    EXPECT_EQ(b.status, 0) << b.out << b.err;
    EXPECT_NE(Calls(a.out).find("resistance 308.216 kN/m"), std::string::npos) << a.out;
    EXPECT_EQ(Calls(a.out), Calls(b.out));
}
