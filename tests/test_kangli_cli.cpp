// The kangli program run as a user runs it: exit status, output files, error lines.
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace {

std::string Quote(const std::string& s) { return "'" + s + "'"; }

CliRun Kangli(const std::string& args) { return RunKangli(args); }

int Lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

} // namespace

TEST(KangliCli, NewAndConvertRoundTripToTheSameBytes)
{
    TempDir dir;
    std::string x = dir.path + "/x.dat", j = dir.path + "/x.json", y = dir.path + "/y.dat";
    EXPECT_EQ(Kangli("new " + Quote(x)).status, 0);
    EXPECT_EQ(Kangli("convert " + Quote(x) + " " + Quote(j)).status, 0);
    CliRun last = Kangli("convert " + Quote(j) + " " + Quote(y));
    EXPECT_EQ(last.status, 0);
    EXPECT_EQ(last.err, "");
    EXPECT_EQ(ReadText(x), ReadText(y));
    EXPECT_EQ(ReadText(x).rfind("22.000000,10.000000,1.000000,1.500000", 0), 0u);
    EXPECT_NE(ReadText(j).find("\"TuCeng\""), std::string::npos);

    std::string nj = dir.path + "/n.JSON";
    EXPECT_EQ(Kangli("new " + Quote(nj)).status, 0);
    EXPECT_EQ(ReadText(nj), ReadText(j));
}

// A JSON record without TuCeng gives no layers: calculated as the record with
// none stated, wherever it is read. One that counts layers without giving them
// is refused by the check, naming the count.
TEST(KangliCli, ARecordWithoutLayersIsTheRecordWithNone)
{
    TempDir dir;
    const std::string bare = dir.path + "/bare.json", stated = dir.path + "/stated.json",
                      counted = dir.path + "/counted.json", dat = dir.path + "/bare.dat";
    WriteText(bare, R"({"fZhuangJianJu": 3})");
    WriteText(stated, R"({"fZhuangJianJu": 3, "nTuCengShu": 0, "TuCeng": []})");
    WriteText(counted, R"({"fZhuangJianJu": 3, "nTuCengShu": 2})");
    const CliRun a = Kangli("calc --json " + Quote(bare));
    EXPECT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.err, "");
    const CliRun b = Kangli("calc --json " + Quote(stated));
    EXPECT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("\"points\""), std::string::npos);
    // Converted to a data file and back it stays the same record.
    EXPECT_EQ(Kangli("convert " + Quote(bare) + " " + Quote(dat)).status, 0);
    EXPECT_EQ(Kangli("calc --json " + Quote(dat)).out, a.out);

    const CliRun c = Kangli("calc " + Quote(counted));
    EXPECT_EQ(c.status, 1);
    EXPECT_NE(c.err.find("kangli: " + counted + ": nTuCengShu (土层数): layer count 2 but 0 layers given"),
              std::string::npos)
        << c.err;
    // `kangli new` still writes two layers, and calculates.
    const std::string fresh = dir.path + "/new.json";
    EXPECT_EQ(Kangli("new " + Quote(fresh)).status, 0);
    EXPECT_EQ(Kangli("calc " + Quote(fresh)).status, 0);
}

TEST(KangliCli, UsageErrorsExitWithTwo)
{
    CliRun none = Kangli("");
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("subcommand"), std::string::npos);
    EXPECT_EQ(Kangli("convert only-one").status, 2);
    EXPECT_EQ(Kangli("frobnicate").status, 2);
    CliRun version = Kangli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kangli ", 0), 0u);
    CliRun help = Kangli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("convert"), std::string::npos);
}

TEST(KangliCli, BadInputGivesOneLineNamingFileAndKeyAndKeepsTheOutput)
{
    TempDir dir;
    std::string bad = dir.path + "/bad.json", out = dir.path + "/out.dat";
    WriteText(bad, R"({"TuCeng": [{"fHouDu": 2}, {"fHouDu": "deep"}]})");
    WriteText(out, "precious");
    CliRun r = Kangli("convert " + Quote(bad) + " " + Quote(out));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kangli: " + bad + ": key \"TuCeng[1].fHouDu\": expected a number, found string\n");
    EXPECT_EQ(ReadText(out), "precious");

    std::string dat = dir.path + "/count.dat";
    WriteText(dat, "22,10,1,1.5,1.5,5,2,5,100,5\n25,99999,1,1\n");
    r = Kangli("convert " + Quote(dat) + " " + Quote(out));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kangli: " + dat + ": line 2: layer count 99999 is outside 0..1000\n");
    EXPECT_EQ(ReadText(out), "precious");

    r = Kangli("convert " + Quote(dir.path + "/missing.dat") + " " + Quote(out));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Lines(r.err), 1);
    EXPECT_NE(r.err.find("missing.dat: cannot open"), std::string::npos);
}

TEST(KangliCli, UnwritableTargetLeavesNothingBehind)
{
    TempDir dir;
    std::string sub = dir.path + "/locked";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    std::string out = sub + "/x.dat";
    WriteText(out, "precious");
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    CliRun r = Kangli("new --force " + Quote(out));
    // Root ignores directory permissions; the check below then has nothing to see.
    bool enforced = ::access(sub.c_str(), W_OK) != 0;
    ::chmod(sub.c_str(), 0755);
    if (enforced) {
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(Lines(r.err), 1);
        EXPECT_NE(r.err.find(out), std::string::npos);
        EXPECT_EQ(ReadText(out), "precious");
    }
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(sub)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);

    // A target that cannot be replaced (a directory stands there): the temporary
    // file is removed again and the directory is untouched.
    std::string blocked = dir.path + "/blocked.dat";
    ASSERT_EQ(::mkdir(blocked.c_str(), 0755), 0);
    CliRun r3 = Kangli("new --force " + Quote(blocked));
    EXPECT_EQ(r3.status, 2);
    EXPECT_EQ(Lines(r3.err), 1);
    EXPECT_NE(r3.err.find("blocked.dat: cannot write the file"), std::string::npos) << r3.err;
    entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2); // locked/ and blocked.dat/

    CliRun r2 = Kangli("new " + Quote(dir.path + "/no/such/dir/x.json"));
    EXPECT_EQ(r2.status, 2);
    EXPECT_EQ(Lines(r2.err), 1);
}

namespace {

int EntriesIn(const std::string& dir)
{
    int n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir)) {
        (void)e;
        ++n;
    }
    return n;
}

// kangli run under a file-size limit of 0 blocks, as a shell user sets it with
// ulimit -f: every write of a byte fails as on a full disk. The signal that the
// limit raises is left at its default, which ends a process that does not
// guard against it.
CliRun RunUnderSizeLimit(const std::string& args)
{
    // Standard error goes through a pipe, which the limit does not touch.
    std::string cmd = "(ulimit -f 0; exec '" KANGLI_EXE "' " + args + " 2>&1 >/dev/null)";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    CliRun r;
    if (!pipe)
        return r;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        r.err.append(buf, n);
    int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return r;
}

} // namespace

TEST(KangliCli, EveryOutputKindKeepsTheOldFileWhenAWriteFails)
{
    TempDir dir;
    const std::string record = KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json";
    const std::vector<std::pair<std::string, std::string>> runs = {
        {"/x.dat", "new --force '%s'"},
        {"/x.json", "new --force '%s'"},
        {"/x.dat", "convert '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' '%s'"},
        {"/d.dxf", "draw '" + record + "' 0 '%s'"},
        {"/d.dxf", "draw '" + record + "' 1 '%s'"},
        {"/d.svg", "draw '" + record + "' 2 '%s'"},
        {"/d.png", "draw '" + record + "' 1 '%s'"},
    };
    for (const auto& [name, pattern] : runs) {
        const std::string out = dir.path + name;
        WriteText(out, "precious old contents");
        std::string args = pattern;
        args.replace(args.find("%s"), 2, out);
        CliRun r = RunUnderSizeLimit(args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.err; // not 153, the signal
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(out + ": cannot write the file: File too large"), std::string::npos) << r.err;
        EXPECT_EQ(ReadText(out), "precious old contents") << args;
    }
    EXPECT_EQ(EntriesIn(dir.path), 5); // the five targets, no temporary file
}

// kangli new never replaces a user's file unless told.
// A design block the internal forces refuse: report says why in one line,
// exits 1, and writes nothing (an earlier report in the folder stays whole).
TEST(KangliCli, ReportRefusesARefusedDesignBlockAndWritesNothing)
{
    TempDir dir;
    nlohmann::json record = nlohmann::json::parse(ReadText(KANGLI_EXAMPLES_DIR "/design/defaults.json"));
    record["SheJi"]["nZhuangDi"] = 2;
    WriteText(dir.path + "/bad.json", record.dump(2));
    std::filesystem::create_directories(dir.path + "/out");
    WriteText(dir.path + "/out/kl-jss0.rtf", "an earlier book");
    const CliRun run = Kangli("report " + Quote(dir.path + "/bad.json") + " " + Quote(dir.path + "/out"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Lines(run.err), 1);
    EXPECT_NE(run.err.find("SheJi.nZhuangDi (桩底约束)"), std::string::npos) << run.err;
    EXPECT_EQ(ReadText(dir.path + "/out/kl-jss0.rtf"), "an earlier book");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path + "/out"))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST(KangliCli, NewRefusesAnExistingFileUnlessForced)
{
    TempDir dir;
    const std::string out = dir.path + "/mine.dat";
    WriteText(out, "the user's record");
    const CliRun refused = Kangli("new " + Quote(out));
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(Lines(refused.err), 1);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadText(out), "the user's record");
    EXPECT_EQ(Kangli("new --force " + Quote(out)).status, 0);
    EXPECT_NE(ReadText(out), "the user's record");
}

TEST(KangliCli, FullDiskKeepsTheOldFile)
{
    TempDir dir;
    std::string mnt = dir.path + "/small";
    ASSERT_EQ(::mkdir(mnt.c_str(), 0755), 0);
    // Three pages: the old file takes one, a filler the other two.
    if (std::system(("mount -t tmpfs -o size=12k tmpfs '" + mnt + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    std::string out = mnt + "/kl.dat";
    WriteText(out, "precious old contents");
    WriteText(mnt + "/filler", std::string(8192, 'x'));
    CliRun r = RunKangli("convert '" KANGLI_EXAMPLES_DIR "/rectangular-pile-soil-layers.json' '" +
                         out + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(out + ": cannot write the file"), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(out), "precious old contents");
    EXPECT_EQ(EntriesIn(mnt), 2);
    std::system(("umount '" + mnt + "'").c_str());
}

// A typo in a data file ("3OO.0", letter O) is read as the data file is read,
// to the first character that is no number, and told on standard error with
// the line, the field and the text found; the calculation goes on with what
// was read. A line read whole says nothing.
TEST(KangliCli, ADataFileTypoIsToldAndReadAsTheFileReads)
{
    TempDir dir;
    std::string text = ReadText(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.dat");
    const std::string rock = "10.000000,24.000000,24.000000,35.000000,300.000000,0.300000,1";
    ASSERT_NE(text.find(rock), std::string::npos);
    const std::string typo = dir.path + "/typo.dat";
    std::string bad = text;
    bad.replace(bad.find(rock), rock.size(), "10.000000,24.000000,24.000000,35.000000,3OO.000000,0.300000,1");
    WriteText(typo, bad);

    const CliRun calc = RunKangli("calc --json '" + typo + "'");
    EXPECT_EQ(calc.status, 0) << calc.err;
    EXPECT_EQ(calc.err, "kangli: " + typo +
                            ": warning: line 5: value 5 (粘聚力(kPa), fNianJuLi) is followed by \"OO.000000,0.300000,1\" "
                            "where a comma belongs: the values after it keep their previous values\n");
    // As read: cohesion 3, and the layer type left as a new layer has it (soil):
    // the rock becomes a weak soil and the ground's resistance falls.
    const CliRun clean = RunKangli("calc --json " + std::string(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.dat"));
    EXPECT_EQ(clean.err, "");
    const auto a = nlohmann::json::parse(calc.out)["points"], b = nlohmann::json::parse(clean.out)["points"];
    ASSERT_EQ(a.size(), b.size());
    bool lower = false;
    for (size_t i = 0; i < a.size(); ++i)
        lower = lower || a[i]["ground"].get<double>() < 0.5 * b[i]["ground"].get<double>();
    EXPECT_TRUE(lower);

    // convert says the same, and a missing value and text after the last value too.
    const CliRun convert = RunKangli("convert '" + typo + "' '" + dir.path + "/typo.json'");
    EXPECT_EQ(convert.status, 0) << convert.err;
    EXPECT_NE(convert.err.find("line 5: value 5 (粘聚力(kPa), fNianJuLi)"), std::string::npos) << convert.err;
    std::string shortLine = text;
    shortLine.replace(shortLine.find(rock), rock.size(), "10.000000,24.000000,24.000000,35.000000,,0.300000,1");
    shortLine.replace(shortLine.find("30,3,0,1"), 8, "30,3,0,1,7");
    WriteText(typo, shortLine);
    const CliRun gap = RunKangli("calc '" + typo + "'");
    EXPECT_NE(gap.err.find("line 2: text after the last value was not read: \",7\""), std::string::npos) << gap.err;
    EXPECT_NE(gap.err.find("line 5: value 5 (粘聚力(kPa), fNianJuLi) could not be read at \",0.3"), std::string::npos)
        << gap.err;
}
