// Helpers shared by the tests: temporary directories, whole-file text, and the
// record's stream forms over strings.
#pragma once

#include "WorkPaths.h"

#include "PelvorinData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

struct TempDir {
    std::string path;
    TempDir()
    {
        char tmpl[] = "/tmp/kangli-test-XXXXXX";
        path = ::mkdtemp(tmpl) ? tmpl : "/tmp";
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

// A fresh folder that is the framework's work path while it lives; the work
// path it replaced comes back however the test ends.
struct TempWorkPath : TempDir {
    std::string saved = G_strWorkPath;
    TempWorkPath() { G_strWorkPath = path + "/"; }
    ~TempWorkPath() { G_strWorkPath = saved; }
};

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string SaveToString(CPelvorinData& r)
{
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = ::open_memstream(&buf, &size);
    r.SaveData(f);
    std::fclose(f);
    std::string text(buf, size);
    std::free(buf);
    return text;
}

inline int LoadFromString(CPelvorinData& r, const std::string& text)
{
    FILE* f = ::fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!f) // fmemopen refuses an empty buffer
        f = std::tmpfile();
    int ok = r.LoadData(f);
    std::fclose(f);
    return ok;
}

#ifdef KANGLI_EXE
// The kangli program run through the shell as a user runs it.
struct CliRun {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

inline CliRun RunKangli(const std::string& args)
{
    TempDir dir;
    std::string out = dir.path + "/out", err = dir.path + "/err";
    std::string cmd = std::string("'") + KANGLI_EXE + "' " + args + " >" + out + " 2>" + err;
    int raw = std::system(cmd.c_str());
    CliRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = ReadText(out);
    r.err = ReadText(err);
    return r;
}
#endif
