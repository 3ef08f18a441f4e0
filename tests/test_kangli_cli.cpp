// The kangli program run as a user runs it: exit status, output files, error lines.
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <filesystem>
#include <map>

namespace {

// kangli run from a folder, so that its messages name the files as the user gave
// them; after SHELL, a shell command such as a ulimit. Standard error comes
// through a pipe, which a file-size limit does not touch.
CliRun KangliIn(const std::string& dir, const std::string& args, const std::string& shell = "")
{
    TempDir io;
    FILE* pipe = ::popen(("cd " + ShellQuoted(dir) + " && " + shell + " exec '" KANGLI_EXE "' " + args + " 2>&1 >" +
                          ShellQuoted(io.path + "/out"))
                             .c_str(),
                         "r");
    CliRun r;
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        r.err.append(buf, n);
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = ReadText(io.path + "/out");
    return r;
}

// Every file under a folder with its contents: what a failed run must leave as it was.
std::map<std::string, std::string> Snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        files[e.path().string()] = e.is_regular_file() ? ReadText(e.path().string()) : "";
    return files;
}

} // namespace

// new, to JSON and back: the same bytes. A JSON record without TuCeng is the
// record with no layers stated, wherever it is read.
TEST(KangliCli, RecordsRoundTripBetweenTheDataFileAndJson)
{
    TempDir dir;
    WriteText(dir.path + "/bare.json", R"({"fZhuangJianJu": 3})");
    WriteText(dir.path + "/stated.json", R"({"fZhuangJianJu": 3, "nTuCengShu": 0, "TuCeng": []})");
    for (const char* args : {"new x.dat", "convert x.dat x.json", "convert x.json y.dat", "new --force y.dat", "new n.JSON",
                             "convert bare.json bare.dat", "calc x.dat"}) {
        const CliRun r = KangliIn(dir.path, args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.err, "") << args;
    }
    EXPECT_EQ(ReadText(dir.path + "/x.dat"), ReadText(dir.path + "/y.dat"));
    EXPECT_EQ(ReadText(dir.path + "/x.json"), ReadText(dir.path + "/n.JSON"));
    const std::string none = KangliIn(dir.path, "calc --json bare.json").out;
    EXPECT_NE(none.find("\"points\""), std::string::npos);
    for (const char* same : {"stated.json", "bare.dat"})
        EXPECT_EQ(KangliIn(dir.path, std::string("calc --json ") + same).out, none) << same;
}

// Each kind of bad input: the exit status (1 refused, 2 usage or file) and the
// one line naming the file, the field by key and label, and what is wrong.
// Nothing is printed and no file in the folder is written, made or removed.
TEST(KangliCli, BadInputGivesItsStatusAndOneLineAndWritesNothing)
{
    TempDir dir;
    const auto in = [&](const std::string& name) { return dir.path + "/" + name; };
    WriteText(in("rock.json"), R"({"TuCeng": [{"nLeiXing": 1}, {"nLeiXing": 0}]})");
    WriteText(in("counted.json"), R"({"fZhuangJianJu": 3, "nTuCengShu": 2})");
    WriteText(in("bad.json"), R"({"TuCeng": [{"fHouDu": 2}, {"fHouDu": "deep"}]})");
    WriteText(in("count.dat"), "22,10,1,1.5,1.5,5,2,5,100,5\n25,99999,1,1\n");
    WriteText(in("out.dat"), "precious");
    WriteText(in("rec.dxf"), ReadText(KANGLI_EXAMPLES_DIR "/defaults.dat"));
    std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/defaults.json", in("plain.json"));
    std::filesystem::copy_file(KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json", in("circ.json"));
    std::filesystem::create_symlink(in("circ.json"), in("link.csv"));
    std::filesystem::create_directory(in("out"));
    std::filesystem::create_directory(in("blocked.dat"));
    WriteText(in("out/kl-jss0.rtf"), "an earlier book");
    const nlohmann::json design = nlohmann::json::parse(ReadText(KANGLI_EXAMPLES_DIR "/design/defaults.json"));
    WriteText(in("design.json"), design.dump());
    for (const auto& [name, key, value] : std::vector<std::tuple<std::string, std::string, int>>{
             {"k-negative.json", "fK", -5}, {"k-unknown.json", "fKK", 1}, {"foot-2.json", "nZhuangDi", 2}}) {
        nlohmann::json r = design;
        r["SheJi"][key] = value;
        WriteText(in(name), r.dump());
    }
    const std::string usage = "\nRun with --help for more information.";
    const std::string vary = " --vary fZhuangJianJu=3:5:1";
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"", 2, "A subcommand is required" + usage},
        {"calc rock.json", 1, "rock.json: 岩层下不能出现土层"},
        {"calc counted.json", 1, "counted.json: nTuCengShu (土层数): layer count 2 but 0 layers given"},
        {"convert bad.json out.dat", 2, "bad.json: key \"TuCeng[1].fHouDu\": expected a number, found string"},
        {"convert count.dat out.dat", 2, "count.dat: line 2: layer count 99999 is outside 0..100"},
        {"convert missing.dat out.dat", 2, "missing.dat: cannot open the file for reading: No such file or directory"},
        {"new out.dat", 2, "out.dat: exists; nothing written (give --force to replace it)"},
        {"new --force blocked.dat", 2, "blocked.dat: cannot write the file: it is a directory"},
        {"new no/such/dir/x.json", 2, "no/such/dir/x.json: cannot write the file: No such file or directory"},
        {"convert design.json out.dat", 2,
         "out.dat: key \"SheJi\": the data file does not hold the design block; nothing written"},
        {"forces plain.json", 1, "plain.json: the record has no design block (SheJi)"},
        {"draw plain.json 3 forces.svg", 1, "plain.json: the record has no design block (SheJi)"},
        {"forces k-negative.json", 1,
         "k-negative.json: SheJi.fK (地基系数K（kN/m³）): ground coefficient K (kN/m3) must lie in 0 .. 1000000000 (is -5)"},
        {"forces k-unknown.json", 2, "k-unknown.json: key \"SheJi.fKK\": unknown key; did you mean SheJi.fK?"},
        {"report foot-2.json out", 1,
         "foot-2.json: SheJi.nZhuangDi (桩底约束): pile foot (0 free, 1 hinged) must be one of 0, 1 (is 2)"},
        {"draw rec.dxf 1 rec.dxf", 2, "rec.dxf: is the record being drawn; name another file for the drawing"},
        {"draw plain.json 1 a.bmp", 2, "a.bmp: unknown drawing format (use .dxf, .svg or .png)"},
        // The studies: refused before anything is calculated.
        {"sweep circ.json --vary fZhuangJianJu=", 2, "circ.json: --vary fZhuangJianJu=: expected FROM:TO:STEP, three numbers"},
        {"sweep circ.json --vary fZhuangJianJu=2:6:1 --vary fZhuangJianJu=3:3:1", 2,
         "circ.json: key \"fZhuangJianJu\" is varied twice: give each input once"},
        {"sweep circ.json --vary TuCeng[2].fMoCaJiao=30:32:1 --vary 'TuCeng[+02 ].fMoCaJiao=33:35:1'", 2,
         "circ.json: key \"TuCeng[2].fMoCaJiao\" is varied twice: give each input once"},
        {"sweep circ.json --vary 'TuCeng[-1].fMoCaJiao=30:31:1'", 2,
         "circ.json: key \"TuCeng[-1].fMoCaJiao\": expected TuCeng[i].key, i a layer's number from 0"},
        {"sweep circ.json --vary 'TuCeng[7].fMoCaJiao=10:20:5'", 2, "circ.json: key \"TuCeng[7].fMoCaJiao\": the record has 3 layers"},
        {"sweep circ.json --vary TuCeng[1].fMoCaJao=3:4:1", 2,
         "circ.json: key \"TuCeng[1].fMoCaJao\": unknown key; did you mean TuCeng[1].fMoCaJiao? (kangli keys lists every key)"},
        {"sweep circ.json --vary fZhuangJianJu=3:12.999:0.001 --vary fZhuangJing=0.5:1.499:0.001", 2,
         "circ.json: 10000000 combinations (10000 x 1000): more than the 1000000 one study calculates; use fewer values"},
        {"sweep circ.json --vary fZhuangJianJu=1e8:1.00000001e8:1", 2,
         "circ.json: key \"fZhuangJianJu\": the value 100000000 comes twice as the record holds it (a 32-bit real): use a larger step"},
        {"sweep circ.json --vary fZhuangJing=1:2:1" + vary + " --vary fZhuangChang=16:17:1 --vary nHunNingTuDengJi=25:30:5", 2,
         "circ.json: give one, two or three --vary KEY=FROM:TO:STEP"},
        {"sweep circ.json" + vary + " --vary TuCeng[2].fMoCaJiao=1:29:1 --chart c.svg", 2,
         "c.svg: the chart draws one curve per value of TuCeng[2].fMoCaJiao, at most 28 that can be told apart; 29 given"},
        {"design circ.json --thrust 1e-300" + vary, 2, "circ.json: --thrust must lie between 0.001 and 1000000000 kN/m"},
        {"design circ.json --thrust 800" + vary + " --top 0", 2, "circ.json: --top must be at least 1"},
        {"calc circ.json plain.json --jsonl --csv rows.csv", 2, "rows.csv: --csv and --jsonl are two forms of the rows: give one"},
        {"calc --json circ.json plain.json", 2, "circ.json: --json is the points of one record: for many records use --jsonl or --csv"},
        // A table written over a record would lose the record, however it is named.
        {"sweep circ.json" + vary + " --csv circ.json", 2, "circ.json: --csv would write over the input record circ.json; choose another file"},
        {"sweep circ.json" + vary + " --csv link.csv", 2, "link.csv: --csv would write over the input record circ.json; choose another file"},
    };
    const auto before = Snapshot(dir.path);
    for (const auto& [args, status, line] : cases) {
        const CliRun r = KangliIn(dir.path, args);
        EXPECT_EQ(r.status, status) << args;
        EXPECT_EQ(r.err, "kangli: " + line + "\n") << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_EQ(Snapshot(dir.path), before) << args;
    }
}

// Under a file-size limit of 0 blocks, as a shell user sets it with ulimit -f,
// every write fails as on a full disk, and the signal the limit raises is left
// at its default, which ends a process that does not guard against it.
TEST(KangliCli, EveryOutputKindKeepsTheOldFileWhenAWriteFails)
{
    TempDir dir;
    const std::string record = "'" KANGLI_EXAMPLES_DIR "/circular-pile-into-rock.json' ";
    const std::vector<std::pair<std::string, std::string>> runs = {
        {"x.dat", "new --force "},
        {"x.json", "convert " + record},
        {"d.dxf", "draw " + record + "1 "},
        {"d.svg", "draw " + record + "2 "},
        {"d.png", "draw " + record + "0 "},
    };
    for (const auto& [name, command] : runs) {
        const std::string out = dir.path + "/" + name;
        WriteText(out, "precious old contents");
        const CliRun r = KangliIn(dir.path, command + name, "ulimit -f 0;");
        EXPECT_EQ(r.status, 2) << command; // not 153, the signal
        EXPECT_EQ(r.err, "kangli: " + name + ": cannot write the file: File too large\n") << command;
        EXPECT_EQ(ReadText(out), "precious old contents") << command;
    }
    EXPECT_EQ(Snapshot(dir.path).size(), runs.size()); // no temporary file left
}
