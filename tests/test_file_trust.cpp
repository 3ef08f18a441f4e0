// Nothing lost, nothing silently wrong: what stands at a target, what comes in as
// input, the locale, conversions, and where a record's files may go.
#include "RecordJson.h"
#include "RecordFile.h"
#include "SafeFile.h"
#include "TestSlope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <chrono>
#include <clocale>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

// Every file in a folder by name, with its text.
std::map<std::string, std::string> Folder(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = e.is_regular_file() ? ReadText(e.path().string()) : "";
    return files;
}

} // namespace

// ---------------------------------------------------------------- targets

// Whatever stands at a target keeps its kind and mode: a link is written
// through, a device written to, never replaced; what cannot take the text is
// refused at once, by its reason, and no temporary is left over.
TEST(Targets, WhatStandsAtATargetIsWrittenThroughOrRefusedNeverReplaced)
{
    TempDir dir;
    WriteText(dir.path + "/real.dat", "old");
    const struct { std::string name; std::function<int(const char*)> make; const char* refusal; } cases[] = {
        // refusal nullptr: written, and the name reads back the new text
        {"link.dat", [](const char* p) { return ::symlink("real.dat", p); }, nullptr},
        {"dangling.dat", [](const char* p) { return ::symlink("missing/x.dat", p); }, "symbolic link to a missing file"},
        {"kept.dat", [](const char* p) { WriteText(p, "old"); return ::chmod(p, 0640); }, nullptr},
        {std::string(251, 'k') + ".dat", [](const char* p) { WriteText(p, "old"); return 0; }, nullptr}, // the longest name
        {"sub", [](const char* p) { return ::mkdir(p, 0700); }, "directory"},
        {"pipe", [](const char* p) { return ::mkfifo(p, 0600); }, "no program reads"},
        // Copies of /dev/null and /dev/full, never the real ones; skipped where nodes cannot be made.
        {"null", [](const char* p) { return ::mknod(p, S_IFCHR | 0666, makedev(1, 3)); }, nullptr},
        {"full", [](const char* p) { return ::mknod(p, S_IFCHR | 0666, makedev(1, 7)); }, "No space left on device"},
    };
    size_t made = 1;
    for (const auto& c : cases) {
        const std::string path = dir.path + "/" + c.name;
        if (c.make(path.c_str()) != 0) {
            EXPECT_EQ(errno, EPERM) << c.name;
            continue;
        }
        ++made;
        struct stat was {}, is {};
        ASSERT_EQ(::lstat(path.c_str(), &was), 0) << c.name;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(WriteFileSafely(path, "new", &error), c.refusal == nullptr) << c.name << ": " << error;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.name;
        if (c.refusal) {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
        } else if (c.name != "null") {
            EXPECT_EQ(ReadText(path), "new") << c.name;
        }
        ASSERT_EQ(::lstat(path.c_str(), &is), 0) << c.name;
        EXPECT_EQ(is.st_mode, was.st_mode) << c.name << ": replaced, or its mode changed";
    }
    EXPECT_EQ(Folder(dir.path).size(), made);
}

// ---------------------------------------------------------------- input

TEST(Input, EndlessAndSpecialFilesAreRefusedQuicklyOnOneLine)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path + "/pipe.dat").c_str(), 0600), 0);
    WriteText(dir.path + "/big.json", std::string(5 << 20, '['));
    const std::pair<std::string, std::string> cases[] = {
        {"calc /dev/zero", "it is a device"},
        {"calc /dev/zero.json", ""}, // no such file, but never an endless read
        {"calc " + ShellQuoted(dir.path + "/pipe.dat"), "it is a FIFO"},
        {"calc " + ShellQuoted(dir.path + "/big.json"), "larger than 4096 KiB"},
        // A folder given to calc is a batch of its records; elsewhere it is refused.
        {"convert " + ShellQuoted(dir.path) + " " + ShellQuoted(dir.path + "/x.json"), "it is a directory"},
    };
    for (const auto& [args, hint] : cases) {
        const auto start = std::chrono::steady_clock::now();
        const CliRun r = RunKangli(args);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << args;
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(hint), std::string::npos) << r.err;
    }
}

TEST(Input, CrOnlyLineEndsAndAByteOrderMarkReadAsTheSameRecord)
{
    TempDir dir;
    const std::string lf = ReadText(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.dat");
    std::string cr = lf, first;
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    for (const std::string& text : {lf, cr, "\xEF\xBB\xBF" + lf}) {
        WriteText(dir.path + "/r.dat", text);
        const CliRun r = RunKangli("calc --json " + ShellQuoted(dir.path + "/r.dat"));
        EXPECT_EQ(r.status, 0) << r.err;
        first = first.empty() ? r.out : first;
        EXPECT_EQ(r.out, first) << ShellQuoted(text.substr(0, 8));
    }
}

// The data file's lines are read up to 299 characters: seven values of 3.4e38
// printed with six decimals (322 characters) are refused, never cut; one
// FLT_MAX fits, and reads back exactly from the data file and from JSON.
TEST(Input, ExtremeValuesReadBackExactlyOrAreRefusedWhole)
{
    CPelvorinData big, r, back;
    InitKangLiData(&big);
    big.TuCeng.resize(2);
    big.fZhuangRongZhong = big.fZhuangKuan = big.fZhuangGao = big.fZhuangJing = big.fZhuangJianJu =
        big.fPoMianDaoZhuangDing = big.fShuiWeiShenDu = 3.4e38f;
    std::string text, error;
    EXPECT_FALSE(RecordToDataFile(big, text, &error));
    EXPECT_NE(error.find("line 1 would be"), std::string::npos) << error;

    InitKangLiData(&r);
    r.TuCeng.resize(1);
    r.nTuCengShu = 1;
    r.fZhuangRongZhong = FLT_MAX;
    TempDir dir;
    ASSERT_TRUE(RecordToDataFile(r, text, &error)) << error;
    WriteText(dir.path + "/r.dat", text);
    ASSERT_TRUE(LoadRecordFile(dir.path + "/r.dat", back, &error)) << error;
    EXPECT_EQ(back.fZhuangRongZhong, FLT_MAX);
    r.fShuiWeiShenDu = -FLT_MAX; // JSON has no line to fill
    ASSERT_TRUE(RecordToJsonChecked(r, text, &error)) << error;
    ASSERT_TRUE(RecordFromJson(text, back, &error)) << error;
    EXPECT_EQ(back.fZhuangRongZhong, FLT_MAX);
    EXPECT_EQ(back.fShuiWeiShenDu, -FLT_MAX);
}

// ---------------------------------------------------------------- JSON

// A text that could be read two ways, or too large to be a record, is refused
// by its key on a short line, and the record is left as it was.
TEST(Json, AmbiguousOrOversizedTextIsRefusedByItsKey)
{
    std::string layers = "{\"TuCeng\": [{}";
    for (int i = 0; i < kMaxTuCengShu; ++i)
        layers += ",{}";
    const std::pair<std::string, std::string> cases[] = {
        {"{\"fZhuangChang\": 10, \"fZhuangChang\": 12}", "key \"fZhuangChang\": given twice"},
        {"{\"TuCeng\": [{\"fHouDu\": 1, \"fHouDu\": 2}]}", "key \"TuCeng[0].fHouDu\": given twice"},
        {"{\"fZhuangChang\": 3.4028236e38}", "key \"fZhuangChang\": number out of range"}, // just beyond FLT_MAX's rounding
        {layers + "]}", "key \"TuCeng\": more than 100 entries"},
        {"{\"nTuCengShu\": -1}", "outside 0..100"},
        {"{\"nTuCengShu\": 101}", "outside 0..100"},
        {"{\"" + std::string(100000, 'k') + "\": 1}", "(100000 bytes)\": unknown key"}, // shown by its beginning
    };
    CPelvorinData fresh;
    InitKangLiData(&fresh);
    for (const auto& [json, refusal] : cases) {
        CPelvorinData r = fresh;
        std::string error;
        EXPECT_FALSE(RecordFromJson(json, r, &error)) << json.substr(0, 60);
        EXPECT_NE(error.find(refusal), std::string::npos) << error.substr(0, 300);
        EXPECT_LT(error.size(), 200u) << json.substr(0, 60);
        EXPECT_EQ(RecordToJson(r), RecordToJson(fresh)) << json.substr(0, 60);
    }
}

// ---------------------------------------------------------------- conversion

// convert refuses what calc refuses and a value the data file cannot hold, on
// one line by its key, writing nothing; what it converts calculates the same
// from either file.
TEST(Conversion, RefusesWhatCalcRefusesOrTheDataFileCannotHold)
{
    TempDir dir;
    const std::string in = dir.path + "/in.json", out = dir.path + "/out.dat";
    // The defaults with a third, rock layer (the layer a reader would lose first), under a stated count.
    const auto layers = [](const char* count) {
        return std::string("{\"nTuCengShu\": ") + count + ", \"fZhuangChang\": 16, \"fHuaMianDaoZhuangDing\": 8, \"TuCeng\": "
               "[{\"fHouDu\": 4}, {\"fHouDu\": 6}, {\"nLeiXing\": 1, \"fHouDu\": 8, \"fNianJuLi\": 300, \"fMoCaJiao\": 35}]}";
    };
    const struct { std::string json, refusal; bool calcRefuses; } cases[] = { // refusal "": converted
        {layers("3"), "", false}, {layers("2"), "nTuCengShu", true}, {layers("4"), "nTuCengShu", true},
        {layers("5000"), "nTuCengShu", true}, {layers("-1"), "nTuCengShu", true},
        {"{\"fZheJianXiShu\": 0.5, \"TuCeng\": [{}]}", "key \"fZheJianXiShu\": 0.5 would read back", false},
        {"{\"fZheJianXiShu\": 0.3, \"fHuaMianDaoZhuangDing\": 5.125, \"TuCeng\": [{\"fCengXiShu\": 0.1234567}]}",
         "key \"TuCeng[0].fCengXiShu\": 0.123456702 would read back from the data file as 0.123457", false},
        {"{\"TuCeng\": [{\"fShuiXiaMoCaJiao\": 12}]}", "key \"TuCeng[0].fShuiXiaMoCaJiao\"", false},
        // Underwater values of a record without groundwater do not count.
        {"{\"bKaoLvShui\": 0, \"TuCeng\": [{\"fShuiXiaMoCaJiao\": 12}]}", "", false},
    };
    for (const auto& c : cases) {
        WriteText(in, c.json);
        const CliRun conv = RunKangli("convert " + ShellQuoted(in) + " " + ShellQuoted(out)), calc = RunKangli("calc --json " + ShellQuoted(in));
        EXPECT_EQ(calc.status != 0, c.calcRefuses) << c.json;
        EXPECT_EQ(conv.status, c.refusal.empty() ? 0 : 2) << c.json;
        if (c.refusal.empty()) {
            EXPECT_EQ(RunKangli("calc --json " + ShellQuoted(out)).out, calc.out) << c.json;
        } else {
            EXPECT_EQ(Lines(conv.err), 1) << conv.err;
            EXPECT_NE(conv.err.find(c.refusal), std::string::npos) << conv.err;
            EXPECT_FALSE(fs::exists(out)) << c.json;
        }
        fs::remove(out);
    }
}

TEST(Conversion, TheIdentitySurvivesDataFileToJsonAndBack)
{
    TempDir dir;
    std::string text = ReadText(KANGLI_EXAMPLES_DIR "/defaults.dat");
    text.replace(text.find("WenJianMing=kl"), 14, "WenJianMing=foo");
    text.replace(text.find("BiaoTi=抗力计算"), std::string("BiaoTi=抗力计算").size(), "BiaoTi=北坡 K3");
    WriteText(dir.path + "/a.dat", text);
    ASSERT_EQ(RunKangli("convert " + ShellQuoted(dir.path + "/a.dat") + " " + ShellQuoted(dir.path + "/a.json")).status, 0);
    ASSERT_EQ(RunKangli("convert " + ShellQuoted(dir.path + "/a.json") + " " + ShellQuoted(dir.path + "/b.dat")).status, 0);
    EXPECT_EQ(ReadText(dir.path + "/b.dat"), text);
}

// ---------------------------------------------------------------- where files go

// A report replaces the whole set of its stem: a file the earlier record needed
// and this one does not (its JSON, its forces book) does not stay beside the
// new books, where kangli calc would calculate the other pile from it.
TEST(Placement, AReportLeavesNoFileOfAnEarlierRecordBesideItsBooks)
{
    TempDir dir;
    const std::string out = dir.path + "/out";
    WriteText(dir.path + "/a.json",
              "{\"fZheJianXiShu\": 0.5, \"fZhuangJianJu\": 4, \"TuCeng\": [{\"fHouDu\": 4}, {\"nLeiXing\": 1, "
              "\"fHouDu\": 20, \"fNianJuLi\": 200, \"fMoCaJiao\": 35}], \"SheJi\": {\"fTuiLi\": 300, \"fK\": 1e5}}");
    ASSERT_EQ(RunKangli("report " + ShellQuoted(dir.path + "/a.json") + " " + ShellQuoted(out)).status, 0);
    ASSERT_TRUE(fs::exists(out + "/kl.json") && fs::exists(out + "/kl-nl-jss.rtf"));
    ASSERT_EQ(RunKangli("report " + ShellQuoted(KANGLI_EXAMPLES_DIR "/defaults.dat") + " " + ShellQuoted(out)).status, 0);
    for (const char* earlier : {"kl.json", "kl-nl-jss.rtf", "kl-nl-jt.dxf"})
        EXPECT_FALSE(fs::exists(out + "/" + earlier)) << earlier;
    EXPECT_EQ(RunKangli("calc --json " + ShellQuoted(out + "/kl.dat")).out,
              RunKangli("calc --json " + ShellQuoted(KANGLI_EXAMPLES_DIR "/defaults.dat")).out);
}

TEST(Placement, AStemWithSeparatorsStaysInTheFolder)
{
    TempDir dir;
    const std::string ab = dir.path + "/a/b";
    fs::create_directories(ab + "/out");
    std::string text = ReadText(KANGLI_EXAMPLES_DIR "/defaults.dat");
    text.replace(text.find("WenJianMing=kl"), 14, "WenJianMing=../../../escaped");
    WriteText(ab + "/rec.dat", text);
    const CliRun r = RunKangli("report " + ShellQuoted(ab + "/rec.dat") + " " + ShellQuoted(ab + "/out"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Folder(dir.path).size() + Folder(dir.path + "/a").size(), 2u); // a/ and a/b/ alone
    const auto written = Folder(ab + "/out");
    EXPECT_EQ(written.size(), 6u); // data file, three drawings, two books
    for (const auto& [name, content] : written)
        EXPECT_EQ(name.rfind(".._.._.._escaped", 0), 0u) << name;
}

// A second report, of another record, under a file-size limit of 4 KiB: the
// data file fits, the drawings do not, and nothing of the first is touched.
TEST(Placement, AFailedReportLeavesTheFolderAsItWas)
{
    TempDir dir;
    const std::string out = dir.path + "/out";
    ASSERT_EQ(RunKangli("report " + ShellQuoted(KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.dat") + " " + ShellQuoted(out)).status, 0);
    const auto before = Folder(out);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const CliRun r = RunKangli("report " + ShellQuoted(KANGLI_EXAMPLES_DIR "/defaults.dat") + " " + ShellQuoted(out));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
    EXPECT_TRUE(Folder(out) == before) << "the folder changed";
}

// ---------------------------------------------------------------- locale

// A desktop host switches its process to the user's locale, here one with a
// decimal comma: slope mode writes every file as it does in C, and gives the
// host its own locale back.
TEST(Locale, SlopeModeInAHostWithACommaLocaleWritesWhatItWritesInC)
{
    std::map<std::string, std::string> files[2];
    const char* locales[2] = {"C", "de_DE.UTF-8"};
    for (int k = 0; k < 2; ++k) {
        SlopeCall call;
        CSlopeData s = Slope();
        ScopedMessageRecorder rec;
        const std::string saved = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, locales[k]))
            GTEST_SKIP() << locales[k] << " is not installed";
        const int result = JiSuan_KangLi_Slp(&s, 0);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f", 1.5);
        std::setlocale(LC_ALL, saved.c_str());
        ASSERT_EQ(result, 1);
        EXPECT_EQ(std::string(buf), k ? "1,5" : "1.5"); // the host's locale is its own again
        files[k] = Folder(call.dir.path);
    }
    ASSERT_FALSE(files[0].empty());
    EXPECT_TRUE(files[0] == files[1]);
}
