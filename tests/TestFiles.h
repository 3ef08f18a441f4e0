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
#include <stdexcept>
#include <string>
#include <sys/wait.h>

// A layer of the given type, thickness, unit weight, cohesion and friction
// angle, its under-water values its own and its buoyant unit weight as given.
inline CTuCeng Layer(int type, float h, float gamma, float c, float phi, float gammaBuoyant = 10.0f)
{
    CTuCeng l;
    l.nLeiXing = type;
    l.fHouDu = h;
    l.fZhongDu = gamma;
    l.fNianJuLi = l.fShuiXiaNianJuLi = c;
    l.fMoCaJiao = l.fShuiXiaMoCaJiao = phi;
    l.fFuZhongDu = gammaBuoyant;
    return l;
}

struct TempDir {
    std::string path;
    TempDir()
    {
        char tmpl[] = "/tmp/kangli-test-XXXXXX";
        // Never a shared folder, which the destructor would empty.
        path = ::mkdtemp(tmpl) ? tmpl : throw std::runtime_error("cannot make a temporary folder");
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

// A shell command run as a user runs it (in a subshell, so that a redirection
// of its own is kept), its standard output and error captured.
// A word for the shell, whatever it holds but a quote.
inline std::string ShellQuoted(const std::string& s) { return "'" + s + "'"; }

struct CliRun {
    int status = -1; // exit status, or 128 + signal
    std::string out, err;
};

inline CliRun RunShell(const std::string& command)
{
    TempDir dir;
    const int raw = std::system(("(" + command + ") >'" + dir.path + "/out' 2>'" + dir.path + "/err'").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), ReadText(dir.path + "/out"), ReadText(dir.path + "/err")};
}

#ifdef KANGLI_EXE
// The kangli program run through the shell.
inline CliRun RunKangli(const std::string& args) { return RunShell("'" KANGLI_EXE "' " + args); }
#endif
