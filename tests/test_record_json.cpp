// The record's two forms, JSON and the data file: round trips, what each cannot
// hold, reading into any record, and the errors a JSON file gives.
#include "FieldTable.h"
#include "RecordJson.h"
#include "RecordFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

namespace {

// Every field away from its default, each value its own and whole in six decimals
// (as the data file writes them), on three layers the second of them rock; a name
// with a line break and a backslash; a design block with two anchor cables.
CPelvorinData Unusual()
{
    CPelvorinData r;
    r.TuCeng.resize(3);
    float v = 0.5f;
    for (const FieldDef& f : RecordFields())
        if (f.real)
            r.*f.real = v += 1.25f;
    for (CTuCeng& layer : r.TuCeng)
        for (const FieldDef& f : LayerFields())
            if (f.layerReal)
                layer.*f.layerReal = v += 1.25f;
    r.nJieMianXingZhuang = 0, r.nHunNingTuDengJi = 40, r.nTuCengShu = 3, r.bKaoLvShui = 0, r.TuCeng[1].nLeiXing = 1;
    r.bSheJi = 1, r.SheJi.fTuiLi = 812.5f;
    r.SheJi.MaoSuo.resize(2);
    for (CMaoSuo& cable : r.SheJi.MaoSuo)
        for (const AnchorFieldDef& f : AnchorFields())
            cable.*f.real = v += 1.25f;
    r.strWenJianMing = "kl-3-2-5", r.strMingCheng = "方案3\n第二行 \\ 反斜杠";
    return r;
}

// Reads a record file into one holding another record's values and more layers,
// as the window does.
CPelvorinData Load(const std::string& path)
{
    CPelvorinData r = Unusual();
    r.TuCeng.resize(4);
    std::string error;
    EXPECT_TRUE(LoadRecordFile(path, r, &error)) << path << ": " << error;
    return r;
}

// Reads JSON text into the record; the error, or "" where it reads.
std::string ReadJson(const std::string& text, CPelvorinData& r)
{
    std::string error;
    return RecordFromJson(text, r, &error) ? "" : error;
}

} // namespace

// A record written in one form and read back: what the form holds comes back and
// writes the same bytes again; what it cannot hold takes a new record's value,
// not that of the record read into.
TEST(RecordForms, RoundTripsKeepWhatEachFormHolds)
{
    const CPelvorinData unusual = Unusual();
    // The data file holds no reduction factor, underwater values or design block.
    CPelvorinData inDataFile = unusual;
    inDataFile.fZheJianXiShu = 0.3f, inDataFile.bSheJi = 0, inDataFile.SheJi = CSheJi();
    for (CTuCeng& l : inDataFile.TuCeng)
        l.fShuiXiaNianJuLi = 10.0f, l.fShuiXiaMoCaJiao = 15.0f;
    struct Case { std::string what; CPelvorinData record; std::string ext; CPelvorinData expected; std::string reference; };
    std::vector<Case> cases = {{"JSON", unusual, ".json", unusual, ""}, {"data file", unusual, ".dat", inDataFile, ""}};
    // Each bundled example's JSON writes its data file byte for byte.
    for (const std::string name : {"defaults", "circular-pile-into-rock", "rectangular-pile-soil-layers"}) {
        const std::string base = KANGLI_EXAMPLES_DIR "/" + name;
        cases.push_back({name, Load(base + ".json"), ".dat", Load(base + ".dat"), ReadText(base + ".dat")});
    }
    TempDir dir;
    for (Case& c : cases) {
        const auto write = [&](CPelvorinData& r) { return c.ext == ".dat" ? SaveToString(r) : RecordToJson(r); };
        const std::string text = write(c.record), path = dir.path + "/r" + c.ext;
        WriteText(path, text);
        CPelvorinData back = Load(path);
        EXPECT_EQ(write(back), text) << c.what;
        EXPECT_EQ(RecordToJson(back), RecordToJson(c.expected)) << c.what;
        EXPECT_TRUE(c.reference.empty() || text == c.reference) << c.what << ":\n" << text;
    }
}

// Every finite 32-bit real reads back bit for bit; a value an engineer types prints as typed.
TEST(RecordJson, RealsReadBackToTheSame32BitFloat)
{
    std::mt19937 gen(20261206);
    CPelvorinData r, back;
    r.TuCeng.resize(1);
    for (int i = 0; i < 2000; ++i) {
        const std::uint32_t u = static_cast<std::uint32_t>(gen());
        float f;
        std::memcpy(&f, &u, sizeof f);
        if (!std::isfinite(f))
            continue;
        r.fZhuangChang = f, r.TuCeng[0].fMoCaJiao = -f / 3.0f;
        ASSERT_EQ(ReadJson(RecordToJson(r), back), "");
        ASSERT_EQ(std::memcmp(&back.fZhuangChang, &f, sizeof f), 0) << f;
        ASSERT_EQ(back.TuCeng[0].fMoCaJiao, r.TuCeng[0].fMoCaJiao);
    }
    r.fZhuangChang = 0.3f;
    EXPECT_NE(RecordToJson(r).find("\"fZhuangChang\": 0.3,"), std::string::npos);
}

// Keys left out take a new record's values, whatever record the text is read into
// (the command line reads into a bare one, Python and the window into one with
// layers or the user's edits); the layer count follows TuCeng unless stated, and
// a stated count stands even where it differs, as in the record itself.
TEST(RecordJson, MissingKeysTakeTheDefaultsWhateverTheTextIsReadInto)
{
    const std::vector<std::pair<const char*, std::function<void(CPelvorinData&)>>> reads = {
        {R"({"fZhuangChang": 12, "TuCeng": [{"fHouDu": 3}, {}, {}]})",
         [](CPelvorinData& r) { r.fZhuangChang = 12, r.nTuCengShu = 3, r.TuCeng.resize(3), r.TuCeng[0].fHouDu = 3; }},
        {R"({"TuCeng": [{"fHouDu": 4}], "fHuaMianDaoZhuangDing": 3})",
         [](CPelvorinData& r) { r.fHuaMianDaoZhuangDing = 3, r.nTuCengShu = 1, r.TuCeng.resize(1), r.TuCeng[0].fHouDu = 4; }},
        {R"({"fZhuangJianJu": 3, "nTuCengShu": 2, "TuCeng": []})", [](CPelvorinData& r) { r.fZhuangJianJu = 3; }},
        {R"({"nTuCengShu": 2})", [](CPelvorinData&) {}},
        {R"({"fZhuangJianJu": 3})", [](CPelvorinData& r) { r.fZhuangJianJu = 3, r.nTuCengShu = 0; }},
        {R"({"bKaoLvShui": false})", [](CPelvorinData& r) { r.bKaoLvShui = 0, r.nTuCengShu = 0; }},
        {"{}", [](CPelvorinData& r) { r.nTuCengShu = 0; }},
    };
    CPelvorinData bare;
    InitKangLiData(&bare);
    for (const auto& [text, expect] : reads) {
        CPelvorinData want = bare;
        expect(want);
        for (CPelvorinData r : {bare, CPelvorinData(), Unusual()}) {
            ASSERT_EQ(ReadJson(text, r), "") << text;
            EXPECT_EQ(RecordToJson(r), RecordToJson(want)) << text;
        }
    }
}

// Each message names the key at fault, on one line, whatever characters the key holds.
TEST(RecordJson, EveryErrorNamesItsKey)
{
    const std::pair<std::string, std::string> errors[] = {
        {R"({"fZhuangChang": "10"})", "key \"fZhuangChang\": expected a number, found string"},
        {R"({"fZhuangChangg": 10})", "key \"fZhuangChangg\": unknown key; did you mean fZhuangChang?"},
        {R"({"SheJi": {"fTuiLI": 500}})", "key \"SheJi.fTuiLI\": unknown key; did you mean SheJi.fTuiLi?"},
        // Of keys equally near (fK, fM, fA1, fA2), the first the block lists.
        {R"({"SheJi": {"fA": 1}})", "key \"SheJi.fA\": unknown key; did you mean SheJi.fK?"},
        {R"({"TuCeng": [{"fHouDU": 2}]})", "key \"TuCeng[0].fHouDU\": unknown key; did you mean TuCeng[0].fHouDu?"},
        {R"({"somethingElseEntirely": 1})", "key \"somethingElseEntirely\": unknown key"},
        {R"({"TuCeng": [{}, {"fHouDu": null}]})", "key \"TuCeng[1].fHouDu\": expected a number, found null"},
        {R"({"TuCeng": [{"nLeiXing": 0.5}]})", "key \"TuCeng[0].nLeiXing\": expected an integer, found number"},
        {R"({"TuCeng": [{"colour": 1}]})", "key \"TuCeng[0].colour\": unknown key"},
        {R"({"a\nb\u0001": 1})", "key \"a\\nb\\u0001\": unknown key"},
        {R"({"a\tb": 1e999})", "key \"a\\tb\": number out of range of a 32-bit real"},
        {R"({"TuCeng": [[]]})", "key \"TuCeng[0]\": expected an object, found array"},
        {R"({"TuCeng": {}})", "key \"TuCeng\": expected an array of layers, found object"},
        {R"({"fAs": 1e39})", "key \"fAs\": number out of range of a 32-bit real"},
        {R"({"fAs": -1e400})", "key \"fAs\": number out of range of a 32-bit real"},
        {R"({"TuCeng": [{}, {"fZhongDu": 1, "fHouDu": 1e999}]})", "key \"TuCeng[1].fHouDu\": number out of range of a 32-bit real"},
        {R"({"nTuCengShu": 4294967296})", "key \"nTuCengShu\": integer out of range"},
        {R"({"nHunNingTuDengJi": -4294967296})", "key \"nHunNingTuDengJi\": integer out of range"},
        {"[1, 2]", "expected a JSON object at the top, found array"},
        {"{\"fAs\": 1,\n \"fZhuangChang\": }",
         "parse error at line 2, column 18: syntax error while parsing value - unexpected '}'; expected '[', '{', or a literal"},
        {"{\"fAs\": 1,", "parse error at line 1, column 11: syntax error while parsing object key - unexpected end of input; expected string literal"},
        {"{\"fAs\": 1, \"x\xff\": 2}", "parse error at line 1, column 14: syntax error while parsing object key - invalid "
                                      "string: ill-formed UTF-8 byte; expected string literal"},
    };
    for (const auto& [text, message] : errors) {
        CPelvorinData r;
        EXPECT_EQ(ReadJson(text, r), message) << text;
    }
}
