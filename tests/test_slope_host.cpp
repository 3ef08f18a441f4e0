// The slope model file and kangli-host as a host's search meets them: what
// would make the wrong pile be calculated or dropped is refused by its key on
// one line, what a model says is what is calculated and saved, and the host
// tells calculated, refused and missed calls apart by its exit status.
#include "SafeFile.h"
#include "SlopeJson.h"
#include "TestSlope.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

using json = nlohmann::json;
using namespace nlohmann::literals;

namespace {

// An edit of a bundled example: the value at a JSON pointer, or (kOut) the key
// there left out.
const json kOut(json::value_t::discarded);
struct Edit { std::string at; json value; };

json Edited(const char* example, const std::vector<Edit>& edits)
{
    json m = SlopeExample(example);
    for (const Edit& e : edits) {
        const json::json_pointer at(e.at);
        if (!e.value.is_discarded())
            m[at] = e.value;
        else
            m[at.parent_pointer()].erase(at.back());
    }
    return m;
}

// The refusal of a model's text, or "" when it loads.
std::string Refusal(const std::string& text)
{
    SlopeModelFile model;
    std::string error;
    return SlopeModelFromJson(text, model, &error) ? "" : error;
}

// The model, which must load.
SlopeModelFile Loaded(const json& m)
{
    SlopeModelFile model;
    std::string error;
    EXPECT_TRUE(SlopeModelFromJson(m.dump(), model, &error)) << error;
    return model;
}

} // namespace

// ---------------------------------------------------------------- the model file

TEST(SlopeModelFile, WhatWouldCalculateTheWrongPileIsRefusedByItsKey)
{
    const struct { const char* example; std::vector<Edit> edits; std::string refusal; } cases[] = { // "": read as written
        // Slope mode finds a pile, and names its files, by its id.
        {"circle-cuts-pile", {{"/piles/0/id", kOut}}, "key \"piles[0].id\": missing; every pile needs a positive id of its own"},
        {"whole-slope", {{"/piles/1/id", 5}}, "key \"piles[1].id\": 5 is the id of piles[0] already; ids must be unique"},
        {"whole-slope", {{"/surfaces/1/id", kOut}}, "key \"surfaces[1].id\": missing; every slip surface needs a positive id of its own"},
        {"whole-slope", {{"/surfaces/1/id", 1}}, "key \"surfaces[1].id\": 1 is the id of surfaces[0] already; ids must be unique"},
        {"circle-cuts-pile", {{"/currentPile", "KH9"}}, "key \"currentPile\": no pile is named \"KH9\""},
        {"circle-cuts-pile", {{"/currentSurface", 7}}, "key \"currentSurface\": no slip surface has the id 7"},
        // The cut is measured down the axis from its top, the calculation takes the length.
        {"circle-cuts-pile", {{"/piles/0/axis", "[[0, 100], [0, 90], [0, 92]]"_json}}, "key \"piles[0].axis[2]\": the axis runs from the top of the pile down to its foot; this point is not below the one before it"},
        {"circle-cuts-pile", {{"/piles/0/axis", "[[0, 100]]"_json}}, "key \"piles[0].axis\": a pile needs an axis of at least two points, from its top down to its foot"},
        {"circle-cuts-pile", {{"/piles/0/length", 16.002}}, "key \"piles[0].length\": 16.002 m does not agree with the axis, which is 16 m long (leave the length out to take the axis's)"},
        {"circle-cuts-pile", {{"/piles/0/length", 16.0005}}, ""}, // within a millimetre
        // A slip surface that cannot cut.
        {"circle-cuts-pile", {{"/surfaces/0/r", 0}}, "key \"surfaces[0].r\": a circle needs a positive radius, found 0"},
        {"circle-cuts-pile", {{"/surfaces/0/r", kOut}}, "key \"surfaces[0].r\": missing; a circle needs a positive radius"},
        {"circle-cuts-pile", {{"/surfaces/0/points", "[[0, 0], [1, 1]]"_json}}, "key \"surfaces[0].points\": not a key of a circle"},
        {"polyline-cuts-pile", {{"/surfaces/0/points", "[[0, 0]]"_json}}, "key \"surfaces[0].points\": a polyline needs at least two points"},
        {"polyline-cuts-pile", {{"/surfaces/0/r", 25}}, "key \"surfaces[0].r\": not a key of a polyline"},
        // A pile with no ground in front of it.
        {"circle-cuts-pile", {{"/piles/0/layers", json::array()}}, "key \"piles[0].layers\": no layer in front of the pile \"KH1\" (id 5); a pile needs ground in front of it"},
        {"circle-cuts-pile", {{"/piles/0/layers", kOut}}, "key \"piles[0].layers\": missing; give the layers in front of the pile \"KH1\" (id 5), or the whole slope (\"ground\" and \"strata\")"},
        {"whole-slope", {{"/strata", json::array()}}, "key \"piles[0]\": no ground in front of the pile \"KH1\" (id 5): the model has no strata"},
        {"whole-slope", {{"/strata/0/bottom", "[[-40, 200], [40, 200]]"_json}, {"/strata/1/bottom", "[[-40, 200], [40, 200]]"_json}, {"/strata/2/bottom", "[[-40, 200], [40, 200]]"_json}},
         "key \"piles[0]\": no ground in front of the pile \"KH1\" (id 5): no stratum lies in front of it at its axis"},
        {"whole-slope", {{"/ground", kOut}}, "key \"strata\": the strata need the \"ground\" of the whole slope above them"},
        {"whole-slope", {{"/strata/1/bottom", "[[5, 0], [9, 0]]"_json}}, "key \"strata[1].bottom\": does not reach the pile \"KH1\" (id 5) at x = 0"},
        // What the calculation would take otherwise than the model means.
        {"circle-cuts-pile", {{"/piles/0/layers/1/saturatedUnitWeight", 8}}, "key \"piles[0].layers[1].saturatedUnitWeight\": 8 kN/m3 is lighter than water (10 kN/m3); a saturated soil or rock weighs at least as much as water"},
        {"circle-cuts-pile", {{"/piles/0/layers/1/saturatedUnitWeight", 10}}, ""},
        {"circle-cuts-pile", {{"/piles/0/width", 1.8}}, "key \"piles[0].height\": 1.2 m differs from the circle's width 1.8 m; a circle has one size, its diameter"},
        {"circle-cuts-pile", {{"/piles/0/section", 1}, {"/piles/0/diameter", 1.2}}, "key \"piles[0].diameter\": a rectangle (\"section\": 1) has a width and a height, not a diameter"},
        {"whole-slope", {{"/waterLine", "[[-40, 95], [5, 90]]"_json}}, "key \"waterLine\": does not reach the pile \"KH2\" (id 6) at x = 20; draw it across every pile (below the foot where the ground is dry there)"},
        {"circle-cuts-pile", {{"/piles/0/layers/2/frictionUnderWater", 20}}, "key \"piles[0].layers[2].frictionUnderWater\": 20 would be unused: rock keeps its friction under water in the calculation; leave it out (or give it equal to \"friction\"), or give a rock that softens in water as soil (\"rock\": false)"},
        {"whole-slope", {{"/strata/2/cohesionUnderWater", 300}}, ""},
        // The text as written: kinds, shapes, keys (escaped on the one line), reals.
        {"circle-cuts-pile", {{"/surfaces/0/kind", "ellipse"}}, "key \"surfaces[0].kind\": expected \"circle\" or \"polyline\", found \"ellipse\""},
        {"circle-cuts-pile", {{"/piles/0/axis/0", "[0, 1, 2]"_json}}, "key \"piles[0].axis[0]\": expected [x, y]"},
        {"circle-cuts-pile", {{"/pile", json::array()}}, "key \"pile\": unknown key"},
        {"circle-cuts-pile", {{"/piles/0/a\nb", 1}}, "key \"piles[0].a\\nb\": unknown key"},
        {"circle-cuts-pile", {{"/piles/0/layers/0/thickness", 1e39}}, "key \"piles[0].layers[0].thickness\": number out of range of a 32-bit real"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Refusal(Edited(c.example, c.edits).dump()), c.refusal) << c.example << " " << c.edits[0].at;

    // What JSON itself can say but a model never does.
    const std::pair<std::string, std::string> texts[] = {
        {R"({"piles": [{"spacing": 4, "sp\u0061cing": 8}]})", "key \"piles[0].spacing\": given twice in one object"},
        {"{\"piles\": " + std::string(100000, '[') + std::string(100000, ']') + "}", "key \"piles\": nested deeper than 8 levels; no slope model is"},
        {"{\"scheme\": 1" + std::string(kMaxRecordFileBytes * 4, ' ') + "}", "the text is larger than 16384 KiB; no slope model is that large"},
    };
    for (const auto& [text, refusal] : texts)
        EXPECT_EQ(Refusal(text), refusal) << text.substr(0, 40);
}

TEST(SlopeModelFile, WhatAModelSaysIsWhatIsCalculated)
{
    // Two piles of one name: the working pile is the first of it.
    EXPECT_EQ(Loaded(Edited("whole-slope", {{"/piles/1/name", "KH1"}})).slope.CurKHPile.nID, 5);
    // Without a length the pile is as long as its axis, inclined ones included.
    const json inclined = "[[0, 100], [3, 96], [3, 86]]"_json;
    EXPECT_FLOAT_EQ(Loaded(Edited("circle-cuts-pile", {{"/piles/0/length", kOut}, {"/piles/0/axis", inclined}})).slope.KHPiles[0].fChang, 15.0f);
    // A circle has one size, its diameter or else its width, and is saved by its diameter.
    EXPECT_FLOAT_EQ(Loaded(Edited("circle-cuts-pile", {{"/piles/0/width", kOut}, {"/piles/0/height", kOut}, {"/piles/0/diameter", 1.8}})).slope.KHPiles[0].fKuan, 1.8f);
    SlopeModelFile m = Loaded(Edited("circle-cuts-pile", {{"/piles/0/height", kOut}, {"/piles/0/width", 1.8}}));
    EXPECT_FLOAT_EQ(m.slope.KHPiles[0].fGao, 1.8f);
    EXPECT_EQ(json::parse(SlopeModelToJson(m))["piles"][0]["diameter"], 1.8);
    // A rock's saturated weight is not used either: loaded, and said.
    EXPECT_EQ(Loaded(Edited("whole-slope", {{"/strata/2/saturatedUnitWeight", 25}})).notes,
              std::vector<std::string>{"key \"strata[2].saturatedUnitWeight\": 25 is not used: rock is taken at its unitWeight 24 under water too"});
    // A pile that gives its own layers in a whole-slope model keeps them (the
    // other takes them from the strata: see the host's saved model).
    const json mixed = Edited("whole-slope", {{"/piles/1/layers", SlopeExample("circle-cuts-pile")["piles"][0]["layers"]}});
    EXPECT_EQ(json::parse(SlopeModelToJson(Loaded(mixed)))["piles"][1]["layers"], mixed["piles"][1]["layers"]);
}

TEST(SlopeModelFile, EveryValueItsWriterPrintsReadsBackAndNoOtherIsWritten)
{
    const SlopeModelFile search = Loaded(SlopeExample("search-200-surfaces"));
    EXPECT_EQ(SlopeModelToJson(Loaded(json::parse(SlopeModelToJson(search)))), SlopeModelToJson(search));

    // The extremes of a 32-bit real, and a thickness in double precision.
    SlopeModelFile model = Loaded(SlopeExample("circle-cuts-pile")), back;
    std::string error;
    CSlp_KHPile& p = model.slope.KHPiles[0];
    const float tiny = std::numeric_limits<float>::denorm_min();
    p.fShuiWeiY = FLT_MAX; p.fQianDiMianY = -FLT_MAX; p.fKuan = p.fGao = tiny; p.fJianJu = 0.1f;
    p.QianCeng[0].dHouDu = 0.1; p.QianCeng[1].dHouDu = 1.0 / 3.0;
    p.KangLiDian = {0, 0.3f, FLT_MAX}; p.KangLiZhi = {-FLT_MAX, 1e-7f, 360.549f}; p.nKangLiDianShu = 3;
    TempDir dir;
    const std::string path = dir.path + "/saved.json";
    ASSERT_TRUE(SaveSlopeModel(path, model, &error)) << error;
    const std::string saved = ReadText(path);
    EXPECT_NE(saved.find("\"waterY\": 3.4028235e+38"), std::string::npos) << saved; // the largest, as a person writes it
    ASSERT_TRUE(LoadSlopeModel(path, back, &error)) << error;
    const CSlp_KHPile& q = back.slope.KHPiles[0];
    EXPECT_EQ((std::vector<double>{q.fShuiWeiY, q.fQianDiMianY, q.fKuan, q.fGao, q.fJianJu, q.QianCeng[0].dHouDu, q.QianCeng[1].dHouDu}),
              (std::vector<double>{FLT_MAX, -FLT_MAX, tiny, tiny, 0.1f, 0.1, 1.0 / 3.0}));
    EXPECT_EQ(q.KangLiDian, p.KangLiDian);
    EXPECT_EQ(q.KangLiZhi, p.KangLiZhi);
    EXPECT_EQ(SlopeModelToJson(back), saved);

    // What would not load back (a NaN written as null, a name that is not
    // UTF-8) is refused by its key, and the user's old file stays.
    WriteText(path, "the user's old model");
    p.KangLiZhi = {1, 2, std::numeric_limits<float>::quiet_NaN()};
    EXPECT_TRUE(!SaveSlopeModel(path, model, &error) && error == "key \"piles[0].resistance[2]\": not a finite number; JSON cannot hold it") << error;
    p.KangLiZhi = {1, 2, 3}; p.strName = "KH\xff";
    EXPECT_TRUE(!SaveSlopeModel(path, model, &error) && error == "key \"piles[0].name\": not valid UTF-8; JSON cannot hold it") << error;
    EXPECT_EQ(ReadText(path), "the user's old model");
}

// ---------------------------------------------------------------- kangli-host

// Worked by hand: the circle about (0, 117) with r = 25 meets the axis x = 0
// at y = 92, 8 m below the pile top at 100, where the pile section governs
// (360.549); the whole slope's polyline, through (0, 91), 9 m below it.
// Eight files for each pile calculated: the data file, its JSON record (the
// underwater values), three diagrams, two books and the result file.
TEST(SlopeHost, EachCallIsCalculatedRefusedOrMissedAndTheExitStatusSaysWhetherAnyWasRefused)
{
    const std::string cut = "surface 1, pile KH1 (id 5): 1, cut 8.00 m below the top, resistance 360.549 kN/m (21 points)\n";
    const json circle = SlopeExample("circle-cuts-pile");
    const json underRock = Edited("whole-slope", {{"/strata/1/rock", true}, {"/strata/2/rock", false}, {"/strata/1/saturatedUnitWeight", kOut},
                                                  {"/strata/1/cohesionUnderWater", kOut}, {"/strata/1/frictionUnderWater", kOut},
                                                  {"/strata/2/saturatedUnitWeight", 21}, {"/strata/2/cohesionUnderWater", 4}, {"/strata/2/frictionUnderWater", 20}});
    // shown: what standard output holds, "" for nothing; err: standard error after "kangli-host: ", MODEL the model's path.
    const struct { json model; const char* args; int status; long files; std::string shown, err; } cases[] = {
        {circle, "", 0, 8, cut + "1 calls: 1 calculated, 0 refused, 0 missed, in ", ""},
        // A surface that cuts no pile is an answer of the search, not a failure.
        {SlopeExample("surface-misses-pile"), "", 0, 0,
         "surface 1, pile KH1 (id 5): 0, the surface does not cut the pile\n1 calls: 0 calculated, 0 refused, 1 missed, in ", ""},
        // Surface 1 cuts KH1 and misses KH2, surface 2 cuts both; KH2 has no spacing.
        {Edited("whole-slope", {{"/piles/1/spacing", 0}}), "--all-surfaces", 1, 16,
         cut + "surface 1, pile KH2 (id 6): 0, the surface does not cut the pile\n"
               "surface 2, pile KH1 (id 5): 1, cut 9.00 m below the top, resistance 361.043 kN/m (21 points)\n"
               "surface 2, pile KH2 (id 6): 1, refused: 桩 KH2（id 6）：“桩中心距（m）”应在 0.01 到 10000000 之间，输入值为 0\n"
               "4 calls: 2 calculated, 1 refused, 1 missed, in ", ""},
        // A refusal an engineer can act on: the pile by name and id, the layer
        // as the model gave it (the stratum, not its place in front of the pile).
        {Edited("whole-slope", {{"/strata/1/friction", 95}}), "--surface 2 --files none", 1, 0,
         "surface 2, pile KH2 (id 6): 1, refused: 桩 KH2（id 6）：“第2层 内摩擦角(°)”应在 0 到 90（不含） 之间，输入值为 95（模型中的 strata[1]）", ""},
        {underRock, "--files none", 1, 0,
         "refused: 桩 KH1（id 5）：岩层下不能出现土层：第3层（模型中的 strata[2]）为土层，在岩层第2层（模型中的 strata[1]）之下\n", ""},
        // What a run cannot use is refused before the first call.
        {circle, "--pile KH9", 2, 0, "", "MODEL: no pile is named \"KH9\""},
        {circle, "--surface 9", 2, 0, "", "MODEL: no slip surface has the id 9"},
        {circle, "--surface 1x", 2, 0, "", "--surface 1x: expected the positive id of a slip surface"},
        {circle, "--surface 1 --all-surfaces", 2, 0, "", "--surface and --all-surfaces exclude each other"},
        {circle, "--files some", 2, 0, "", "--files some: expected none, results or all"},
        {circle, "--piles KH1", 2, 0, "", "unknown option --piles (kangli-host --help)"},
        {circle, "--dialog --all-surfaces", 2, 0, "", "--dialog opens one window: choose one slip surface"},
        {circle, "--dialog --dialog", 2, 0, "", "--dialog given twice"},
        {Edited("circle-cuts-pile", {{"/piles", json::array()}, {"/currentPile", kOut}}), "", 2, 0, "", "MODEL: the model has no piles: there is nothing to calculate"},
        {Edited("circle-cuts-pile", {{"/piles/0/id", 0}}), "", 2, 0, "", "MODEL: key \"piles[0].id\": an id must be positive, found 0"}, // the model's own refusal
    };
    for (const auto& c : cases) {
        const HostProgram r(c.model, c.args);
        std::string err = c.err.empty() ? "" : "kangli-host: " + c.err + "\n";
        if (const size_t at = err.find("MODEL"); at != std::string::npos)
            err.replace(at, 5, r.Model());
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out << r.err;
        EXPECT_TRUE(c.shown.empty() ? r.out.empty() : r.out.find(c.shown) != std::string::npos) << c.args << "\n" << r.out;
        EXPECT_EQ(r.err, err) << c.args;
        EXPECT_EQ(FilesIn(r.dir.path + "/w"), c.files) << c.args;
    }

    // With a work folder alone, the host's built-in pile, through a real dlopen.
    TempDir work;
    const HostProgram builtIn(ShellQuoted(work.path));
    EXPECT_EQ(builtIn.status, 0) << builtIn.out << builtIn.err;
    EXPECT_NE(builtIn.out.find("JiSuan_KangLi_Slp = 1\npile KH1 (id 5): 21 points\n"), std::string::npos) << builtIn.out;
    EXPECT_NE(builtIn.out.find("   15.20 m     220.336 kN/m\n"), std::string::npos) << builtIn.out;
    EXPECT_EQ(FilesIn(work.path), 8);
}

// The help, and runs given by hand: the model after the work folder, a module
// that is not there, a work folder that is a file, standard output that
// cannot be written.
TEST(SlopeHost, ARunGivenByHandIsRefusedBeforeTheFirstCall)
{
    for (const char* help : {"--help", "-h"}) {
        const HostProgram r(help);
        EXPECT_EQ(r.status, 0) << help << r.err;
        EXPECT_EQ(r.out.rfind("usage: kangli-host", 0), 0u) << help << r.out;
        EXPECT_FALSE(std::filesystem::exists(help)) << help << " taken as a work folder";
    }
    TempDir dir;
    const std::string model = KANGLI_EXAMPLES_DIR "/slope/circle-cuts-pile.json", work = ShellQuoted(dir.path + "/w"),
                      plain = ShellQuoted(dir.path + "/plain/w");
    const HostProgram order("--dialog " + work + " " + ShellQuoted(model)), noModule("--dialog " + work, dir.path + "/no-such.so");
    EXPECT_EQ(std::vector<int>({order.status, noModule.status}), std::vector<int>({2, 2}));
    EXPECT_EQ(order.err, "kangli-host: " + model + ": a model comes first, before the work folder (kangli-host --help)\n");
    EXPECT_EQ(noModule.err, "kangli-host: " + dir.path + "/no-such.so: no module file there (kangli-host --help)\n");

    // A work folder nothing can be written into, with the system's reason; a
    // run that writes no files needs none.
    WriteText(dir.path + "/plain", "a file, not a folder");
    const HostProgram unwritable(ShellQuoted(model) + " " + plain);
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_EQ(unwritable.out, ""); // not one call
    EXPECT_NE(unwritable.err.find("cannot write into the work folder: Not a directory"), std::string::npos) << unwritable.err;
    EXPECT_EQ(HostProgram(ShellQuoted(model) + " " + plain + " --files none").status, 0);
    // Standard output that cannot be written is no success.
    EXPECT_EQ(RunShell("'" KANGLI_HOST_EXE "' " + ShellQuoted(model) + " " + work + " --module '" KANGLI_MODULE "' >/dev/full").status, 2);
}

// Through the stand-in module, which hands back what the host set for the
// call: the files switch, the id of the working pile, and 1 when the current
// name is the name of the pile at the index (two piles here share one).
TEST(SlopeHost, EachCallHandsTheModuleTheFilesSwitchAndThePileAtTheIndex)
{
    json m = SlopeExample("circle-cuts-pile");
    m["piles"] = {m["piles"][0], m["piles"][0], m["piles"][0]};
    m["piles"][1].update({{"id", 6}, {"axis", "[[20, 96], [20, 80]]"_json}});
    m["piles"][2].update({{"id", 7}, {"name", "KH3"}});
    const std::pair<const char*, float> cases[] = {
        {"", kKangLiWenJianAll}, {"--files all", kKangLiWenJianAll}, {"--files results", kKangLiWenJianResult}, {"--files none", kKangLiWenJianNone}};
    for (const auto& [option, files] : cases) {
        const HostProgram r(m, option, KANGLI_PROBE_MODULE);
        ASSERT_EQ(r.status, 0) << option << r.out << r.err;
        const json saved = json::parse(ReadText(r.Saved()));
        ASSERT_EQ(saved["piles"].size(), 3u);
        for (const json& p : saved["piles"])
            EXPECT_EQ(p["resistance"], json({files, p["id"], 1})) << option << " " << p["id"];
    }
}

TEST(SlopeHost, TheSavedModelIsTheModelWithOnlyThisRunsResultsBesideThePiles)
{
    const HostProgram first(SlopeExample("whole-slope"), "--all-surfaces");
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    json s = json::parse(ReadText(first.Saved()));
    ASSERT_EQ(s["piles"].size(), 2u);
    for (const json& p : s["piles"]) {
        // The ground in front is the strata's, not frozen into the pile, and what came back stands beside it.
        for (const char* derived : {"layers", "groundY", "water", "waterY"})
            EXPECT_FALSE(p.contains(derived)) << derived << "\n" << p.dump();
        EXPECT_EQ(p["points"].size(), 21u) << p.dump();
        EXPECT_EQ(p["resistance"].size(), 21u) << p.dump();
    }
    EXPECT_TRUE(s.contains("ground") && s.contains("waterLine") && s["strata"].size() == 3u) << s.dump();

    // The saved model with its rock weakened, into soil or a weak rock (the
    // ground, not the section, then governs), gives the answer of the example
    // so weakened; and so does it split by a boundary 5 m below the lower
    // pile's foot (79 m) over a far stronger stratum: what lies below the feet
    // does not resist.
    const struct { json stratum; const char* shown; } weakened[] = {
        {{{"rock", false}, {"cohesion", 5}, {"friction", 10}, {"cohesionUnderWater", 4}, {"frictionUnderWater", 8}, {"unitWeight", 18}, {"saturatedUnitWeight", 19}},
         "surface 1, pile KH1 (id 5): 1, cut 8.00 m below the top, resistance 253.042 kN/m"},
        {{{"rock", true}, {"cohesion", 15}, {"friction", 12}, {"unitWeight", 24}}, "resistance 308.216 kN/m"},
    };
    for (const auto& [stratum, shown] : weakened) {
        json again = s;
        again["strata"][2] = stratum;
        json split = again;
        split["strata"][2]["bottom"] = "[[-40, 74], [40, 74]]"_json;
        split["strata"].push_back(stratum);
        split["strata"][3].update({{"cohesion", 3000}, {"cohesionUnderWater", 3000}});
        const HostProgram a(again, "--all-surfaces"), edited(Edited("whole-slope", {{"/strata/2", stratum}}), "--all-surfaces"), b(split, "--all-surfaces");
        EXPECT_EQ(a.status + b.status, 0) << a.out << a.err << b.out << b.err;
        EXPECT_EQ(a.Calls(), edited.Calls());
        EXPECT_EQ(b.Calls(), edited.Calls());
        EXPECT_NE(a.Calls(), first.Calls());
        EXPECT_NE(edited.out.find(shown), std::string::npos) << edited.out;
    }

    // A pile's old results in the file, from some other model, do not survive a run that did not calculate it.
    const HostProgram one(Edited("whole-slope", {{"/piles/1/points", "[16.0, 0.0]"_json}, {"/piles/1/resistance", "[0.0, 729.6]"_json}}),
                          "--surface 1 --pile KH1");
    ASSERT_EQ(one.status, 0) << one.err;
    const json saved = json::parse(ReadText(one.Saved()));
    EXPECT_EQ(saved["piles"][0]["points"].size(), 21u);
    EXPECT_FALSE(saved["piles"][1].contains("points")) << saved["piles"][1].dump();
}

// The ground in front of each pile from the whole slope, worked by hand, as
// the data file the calculation reads holds it (after the pile line: the pile
// top above the ground, the water's depth below it, the cut; a line per layer:
// thickness, unit weight, buoyant weight, friction, cohesion, rock). The first
// boundary and the water are lowered by 0.1 m: levels with one decimal keep it
// (worked out from the model's float levels and narrowed once, never 3.099998
// or 5.100002). KH1 at x = 0, top 100: the ground from (-10, 100) to (10, 98)
// at 99; water 93.9 (5.1 m down); the first boundary, from (-40, 103.9) to
// (40, 87.9), at 95.9 (3.1 m); the second, from (-40, 100) to (40, 84), at 92
// (3.9 m); the rock on to 50 m below the foot, 84 - 50 = 34 (58 m). KH2 at
// x = 20, top 95: ground 95, water 91.9 (3.1 m down), boundaries 91.9 and 88,
// the rock to 79 - 50 = 29 (59 m). The polyline cuts them 9 and 10 m down.
TEST(SlopeHost, EachPileTakesTheGroundInFrontAtItsAxisWithTheLevelsAsWritten)
{
    json m = SlopeExample("whole-slope");
    for (json* line : {&m["strata"][0]["bottom"], &m["waterLine"]})
        for (json& p : *line)
            p[1] = p[1].get<double>() - 0.1;
    const HostProgram r(m, "--surface 2");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string soils = "30,3,0,1\n3.100000,19.000000,9.500000,15.000000,20.000000,0.300000,0\n"
                              "3.900000,20.000000,10.500000,28.000000,5.000000,0.300000,0\n";
    const std::pair<const char*, std::string> files[] = {
        {"kl-1-2-5.dat", "25.000000,16.000000,1.200000,1.200000,1.200000,4.000000,1.000000,5.100000,100.000000,9.000000\n" + soils +
                             "58.000000,24.000000,24.000000,35.000000,300.000000,0.300000,1\n"},
        {"kl-1-2-6.dat", "25.000000,16.000000,1.200000,1.200000,1.200000,4.000000,0.000000,3.100000,100.000000,10.000000\n" + soils +
                             "59.000000,24.000000,24.000000,35.000000,300.000000,0.300000,1\n"},
    };
    for (const auto& [file, head] : files) {
        const std::string data = ReadText(r.dir.path + "/w/" + file);
        EXPECT_EQ(data.substr(0, data.find("[JsDataBase]")), head) << file;
    }
}
