// A slope model for the tests, one pile and the ground in front of it, and the
// host around the module: the set-up of a call made in this process, and
// kangli-host run as a host's user runs it.
#pragma once

#include "KangLi.h"
#include "Messages.h"
#include "SlopeData.h"
#include "TestFiles.h"

#include <filesystem>
#include <iterator>
#include <string>

// Layers by kind and thickness: unit weight, cohesion and friction natural,
// saturated and under water (a rock keeps its own under water).
inline CSlopeBZDC_CS Soil(double h)
{
    CSlopeBZDC_CS l;
    l.nYanTu = 0; l.dHouDu = h; l.fZhongDu = 19; l.fNianJuLi = 15; l.fMoCaJiao = 20;
    l.fBaoHeZhongDu = 20; l.fShuiXiaNianJuLi = 12; l.fShuiXiaMoCaJiao = 18;
    return l;
}

inline CSlopeBZDC_CS Rock(double h)
{
    CSlopeBZDC_CS l;
    l.nYanTu = 1; l.dHouDu = h; l.fZhongDu = 24; l.fNianJuLi = 300; l.fMoCaJiao = 35;
    l.fBaoHeZhongDu = 25; l.fShuiXiaNianJuLi = 1; l.fShuiXiaMoCaJiao = 1;
    return l;
}

// A 12 m pile (id 5, "KH1"), a circle 1.2 m by 2 m at 6 m spacing, top at
// y = 100, the ground in front at 98 (2 m below the top), water at 95; a
// circular slip surface crossing the axis at y = 93.
inline CSlopeData Slope()
{
    CSlp_KHPile p;
    p.nID = 5; p.strName = "KH1"; p.PoXian.pts = {{0, 100}, {0, 88}};
    p.nJieMian = 0; p.nDengJi = 30; p.fKuan = 1.2f; p.fGao = 2.0f; p.fJianJu = 6; p.fChang = 12; p.fRongZhong = 25;
    p.fQianDiMianY = 98; p.QianCeng = {Soil(3), Rock(20)}; p.bYouShui = 1; p.fShuiWeiY = 95;
    CSlopeData s;
    s.KHPiles = {p}; s.nZhuangShu = 1; s.CurKHPile = p; s.strCurKHPile = "KH1";
    s.CurSurface.nHuaMianLeiXing = 0; s.CurSurface.fX = 0; s.CurSurface.fY = 113; s.CurSurface.fR = 20;
    return s;
}

// How many files a folder holds (none when it is missing).
inline long FilesIn(const std::string& dir)
{
    return std::filesystem::exists(dir) ? std::distance(std::filesystem::directory_iterator(dir), {}) : 0;
}

// What a host sets up around a call: a work path of its own (the host's comes
// back however the test ends), and the scheme and slip surface whose ids name
// the files (kl-3-2-<pile id>); the information window closed before and after.
struct SlopeCall {
    TempWorkPath dir;
    SlopeCall() { g_lCurFAID = 3; g_lCurHMID = 2; HideJsxx(); }
    ~SlopeCall() { HideJsxx(); }
    long Files() const { return FilesIn(dir.path); }
    bool Wrote(const std::string& name) const { return if_file_exist((dir.path + "/" + name).c_str()) == 1; }
};

// Every text the module told, one a line.
inline std::string ToldTexts(const ScopedMessageRecorder& rec)
{
    std::string all;
    for (const MessageRequest& m : rec.messages)
        all += m.text + "\n";
    return all;
}

#ifdef KANGLI_HOST_EXE
#include <nlohmann/json.hpp>

inline nlohmann::json SlopeExample(const std::string& name)
{
    return nlohmann::json::parse(ReadText(KANGLI_EXAMPLES_DIR "/slope/" + name + ".json"));
}

// kangli-host run with the arguments as written, or on a model written into a
// folder of its own (as model.JSON: a model is known by its ending in any
// case) with the work folder w and --save saved.json there, then the arguments.
struct HostProgram : CliRun {
    TempDir dir;
    explicit HostProgram(const std::string& args, const std::string& module = KANGLI_MODULE) { Run(args, module); }
    HostProgram(const nlohmann::json& model, const std::string& args, const std::string& module = KANGLI_MODULE)
    {
        WriteText(Model(), model.dump(2));
        Run(ShellQuoted(Model()) + " " + ShellQuoted(dir.path + "/w") + " --save " + ShellQuoted(Saved()) + " " + args, module);
    }
    std::string Model() const { return dir.path + "/model.JSON"; }
    std::string Saved() const { return dir.path + "/saved.json"; }
    // The lines of the calls, without the summary and its timing.
    std::string Calls() const { return out.substr(0, out.rfind('\n', out.find(" calls: ")) + 1); }

private:
    void Run(const std::string& args, const std::string& module)
    {
        CliRun::operator=(RunShell("'" KANGLI_HOST_EXE "' " + args + " --module " + ShellQuoted(module)));
    }
};
#endif
