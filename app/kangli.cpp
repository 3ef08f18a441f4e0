// kangli: the resistance calculation from the command line.
//   kangli new FILE           a new record (defaults, two default layers)
//   kangli convert IN OUT     data file <-> JSON, chosen by the ".json" extension
// Exit status: 0 success, 2 usage or file error (one line on standard error).
#include "PelvorinData.h"
#include "RecordJson.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFile = 2;

int Report(const std::string& file, const std::string& what)
{
    std::fprintf(stderr, "kangli: %s: %s\n", file.c_str(), what.c_str());
    return kExitFile;
}

int RunNew(const std::string& out)
{
    CPelvorinData record;
    InitKangLiData(&record);
    record.TuCeng.resize(2);
    std::string error;
    if (!SaveRecordFile(out, record, &error))
        return Report(out, error);
    return kExitOk;
}

int RunConvert(const std::string& in, const std::string& out)
{
    CPelvorinData record;
    InitKangLiData(&record);
    std::string error;
    if (!LoadRecordFile(in, record, &error))
        return Report(in, error);
    if (!SaveRecordFile(out, record, &error))
        return Report(out, error);
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"kangli: resistance of anti-slide piles (抗滑桩抗力计算)"};
    app.set_version_flag("--version", std::string("kangli ") + KANGLI_VERSION);
    app.require_subcommand(1);

    std::string newFile;
    auto* cmdNew = app.add_subcommand("new", "write a new record with its defaults and two layers "
                                             "(JSON when FILE ends in .json)");
    cmdNew->add_option("FILE", newFile, "output file")->required();

    std::string inFile, outFile;
    auto* cmdConvert = app.add_subcommand("convert", "convert a record between the data file and "
                                                     "JSON (chosen by the .json extension)");
    cmdConvert->add_option("IN", inFile, "input record")->required();
    cmdConvert->add_option("OUT", outFile, "output record")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "kangli: %s\n", e.what());
        std::fprintf(stderr, "Run with --help for more information.\n");
        return kExitFile;
    }

    try {
        if (*cmdNew)
            return RunNew(newFile);
        if (*cmdConvert)
            return RunConvert(inFile, outFile);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kangli: %s\n", e.what());
        return kExitFile;
    }
    return kExitFile;
}
