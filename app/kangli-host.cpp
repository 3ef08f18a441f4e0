// kangli-host: a small host that loads the resistance module as a host program
// does, hands it a slope model and shows what came back.
//   kangli-host [--dialog] WORKDIR [MODULE]
//       the built-in model: one pile, one circular slip surface; --dialog opens
//       dialog slope mode on it
//   kangli-host MODEL.json WORKDIR [--pile NAME] [--surface N | --all-surfaces]
//               [--save OUT.json] [--module MODULE]
//       a model of one's own (slope/SlopeJson.h): slope mode for each chosen
//       slip surface and pile, as a host's search runs it
// MODULE defaults to libkangli.so beside this program. Exit status 0 when the
// module calculated, 1 when it did not, 2 when it could not be loaded or the
// model could not be read.
#include "SlopeData.h"
#include "SlopeJson.h"
#include "WorkPaths.h"

#include <chrono>
#include <filesystem>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <string>
#include <unistd.h>

namespace {

CSlopeBZDC_CS Layer(int rock, double h, float gamma, float c, float phi, float saturated)
{
    CSlopeBZDC_CS l;
    l.nYanTu = rock;
    l.dHouDu = h;
    l.fZhongDu = gamma;
    l.fNianJuLi = c;
    l.fMoCaJiao = phi;
    l.fBaoHeZhongDu = saturated;
    l.fShuiXiaNianJuLi = c * 0.8f;
    l.fShuiXiaMoCaJiao = phi - 2.0f;
    return l;
}

// A 16 m circular pile (d = 1.2 m) whose top stands at 100 m; in front of it the
// ground lies 1 m lower, two soil layers over rock, water 5 m below the top; the
// slip circle crosses the axis 8 m down.
CSlopeData ExampleSlope()
{
    CSlopeData s;
    CSlp_KHPile p;
    p.nID = 5;
    p.strName = "KH1";
    p.PoXian.pts = {{0, 100}, {0, 84}};
    p.nJieMian = 0;
    p.nDengJi = 30;
    p.fKuan = 1.2f;
    p.fGao = 1.2f;
    p.fJianJu = 4;
    p.fChang = 16;
    p.fRongZhong = 25;
    p.fQianDiMianY = 99;
    p.QianCeng = {Layer(0, 4, 19, 20, 15, 19.5f), Layer(0, 4, 20, 5, 28, 20.5f),
                  Layer(1, 10, 24, 300, 35, 25)};
    p.bYouShui = 1;
    p.fShuiWeiY = 95;
    s.KHPiles = {p};
    s.nZhuangShu = 1;
    s.CurKHPile = p;
    s.strCurKHPile = p.strName;
    s.CurSurface.nHuaMianLeiXing = 0;
    s.CurSurface.fX = 0;
    s.CurSurface.fY = 117;
    s.CurSurface.fR = 25;
    return s;
}

std::string ProgramDir()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

using SlopeMode = int (*)(CSlopeData*, int);

// Slope mode over a model file: every chosen slip surface with every chosen
// pile, one call each, as a host's search makes them.
int RunModel(int argc, char** argv)
{
    const std::string modelPath = argv[1], work = argv[2];
    std::string module = ProgramDir() + "../entry/libkangli.so", pileName, save;
    int surfaceId = 0;
    bool all = false;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--pile" && i + 1 < argc)
            pileName = argv[++i];
        else if (a == "--surface" && i + 1 < argc)
            surfaceId = std::atoi(argv[++i]);
        else if (a == "--all-surfaces")
            all = true;
        else if (a == "--save" && i + 1 < argc)
            save = argv[++i];
        else if (a == "--module" && i + 1 < argc)
            module = argv[++i];
        else {
            std::fprintf(stderr, "kangli-host: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    SlopeModelFile model;
    std::string error;
    if (!LoadSlopeModel(modelPath, model, &error)) {
        std::fprintf(stderr, "kangli-host: %s: %s\n", modelPath.c_str(), error.c_str());
        return 2;
    }
    void* handle = ::dlopen(module.c_str(), RTLD_NOW);
    auto calculate = handle ? reinterpret_cast<SlopeMode>(::dlsym(handle, "JiSuan_KangLi_Slp")) : nullptr;
    if (!calculate) {
        std::fprintf(stderr, "kangli-host: %s: %s\n", module.c_str(), handle ? "no JiSuan_KangLi_Slp" : ::dlerror());
        return 2;
    }
    std::error_code made;
    std::filesystem::create_directories(work, made); // as a host's project folder, made when missing
    G_strWorkPath = WithSeparator(work);
    g_lCurFAID = model.scheme;
    std::vector<const SlopeSurfaceEntry*> surfaces;
    for (const SlopeSurfaceEntry& e : model.surfaces)
        if (all || e.id == (surfaceId ? surfaceId : model.currentSurface))
            surfaces.push_back(&e);
    if (surfaces.empty()) {
        std::fprintf(stderr, "kangli-host: %s: no such slip surface\n", modelPath.c_str());
        return 2;
    }
    CSlopeData& slope = model.slope;
    int calls = 0, calculated = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const SlopeSurfaceEntry* e : surfaces) {
        for (size_t i = 0; i < slope.KHPiles.size(); ++i) {
            if (!pileName.empty() && slope.KHPiles[i].strName != pileName)
                continue;
            slope.CurSurface = e->surface;
            g_lCurHMID = e->id;
            slope.strCurKHPile = slope.KHPiles[i].strName;
            slope.CurKHPile = slope.KHPiles[i];
            const int result = calculate(&slope, static_cast<int>(i));
            ++calls;
            CSlp_KHPile& pile = slope.KHPiles[i];
            if (result != 1) {
                std::printf("surface %d, pile %s: %d, the surface does not cut the pile\n", e->id,
                            pile.strName.c_str(), result);
                continue;
            }
            ++calculated;
            slope.CurKHPile = pile;
            const float depth = CetHM_KHZ_Dis(&slope, nullptr, nullptr);
            if (pile.nKangLiDianShu > 0 && CalHMKangLi_KHZ(&slope, static_cast<int>(i), nullptr, 1) == 1)
                std::printf("surface %d, pile %s: %d, cut %.2f m below the top, resistance %.3f kN/m (%d points)\n",
                            e->id, pile.strName.c_str(), result, depth, pile.fKangLi, pile.nKangLiDianShu);
            else
                std::printf("surface %d, pile %s: %d, no resistance handed back\n", e->id, pile.strName.c_str(),
                            result);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d calls, %d calculated, in %.3f s\n", calls, calculated, seconds);
    if (!save.empty() && !SaveSlopeModel(save, model, &error)) {
        std::fprintf(stderr, "kangli-host: %s: %s\n", save.c_str(), error.c_str());
        return 2;
    }
    return calculated > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3) {
        const std::string first = argv[1];
        if (first.size() > 5 && first.compare(first.size() - 5, 5, ".json") == 0)
            return RunModel(argc, argv);
    }
    // --dialog: dialog slope mode, the user checks and calculates the pile in the
    // module's window; otherwise slope mode.
    const bool dialog = argc > 1 && std::string(argv[1]) == "--dialog";
    if (dialog) {
        --argc;
        ++argv;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: kangli-host [--dialog] WORKDIR [MODULE]\n");
        return 2;
    }
    const std::string module = argc == 3 ? argv[2] : ProgramDir() + "../entry/libkangli.so";
    void* handle = ::dlopen(module.c_str(), RTLD_NOW);
    if (!handle) {
        std::fprintf(stderr, "kangli-host: %s: %s\n", module.c_str(), ::dlerror());
        return 2;
    }
    auto calculate = reinterpret_cast<SlopeMode>(::dlsym(handle, "JiSuan_KangLi_Slp"));
    if (!calculate) {
        std::fprintf(stderr, "kangli-host: %s: no JiSuan_KangLi_Slp\n", module.c_str());
        return 2;
    }
    G_strWorkPath = WithSeparator(argv[1]);
    g_lCurFAID = 3;
    g_lCurHMID = 2;
    CSlopeData slope = ExampleSlope();
    if (dialog) {
        using DialogMode = int (*)(CSlopeData*);
        auto open = reinterpret_cast<DialogMode>(::dlsym(handle, "JiSuan_KangLi_Slp_New"));
        if (!open) {
            std::fprintf(stderr, "kangli-host: %s: no JiSuan_KangLi_Slp_New\n", module.c_str());
            return 2;
        }
        const int answer = open(&slope);
        std::printf("JiSuan_KangLi_Slp_New = %d\n", answer);
        std::printf("key %s, resistance on the slip surface %.3f kN/m\n", slope.strKangLiJian.c_str(),
                    slope.fCurKangLi);
        const CSlp_KHPile& pile = slope.CurKHPile;
        std::printf("working pile %s: %d points\n", pile.strName.c_str(), pile.nKangLiDianShu);
        for (int i = 0; i < pile.nKangLiDianShu; ++i)
            std::printf("  %6.2f m  %10.3f kN/m\n", pile.KangLiDian[i], pile.KangLiZhi[i]);
        return answer == 1 ? 0 : 1;
    }
    const int result = calculate(&slope, 0);
    const CSlp_KHPile& pile = slope.KHPiles[0];
    std::printf("JiSuan_KangLi_Slp = %d\n", result);
    std::printf("pile %s: %d points\n", pile.strName.c_str(), pile.nKangLiDianShu);
    for (int i = 0; i < pile.nKangLiDianShu; ++i)
        std::printf("  %6.2f m  %10.3f kN/m\n", pile.KangLiDian[i], pile.KangLiZhi[i]);
    // The module stays loaded until the process ends, as a host keeps its modules.
    return result == 1 ? 0 : 1;
}
