// kangli-host: a small host that loads the resistance module as a host program
// does, hands it a slope model and shows what came back. Usage in kUsage below.
#include "Messages.h"
#include "SlopeData.h"
#include "SlopeJson.h"
#include "WorkPaths.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <filesystem>

#include <dlfcn.h>

#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <set>
#include <string>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: kangli-host [--dialog] WORKDIR [MODULE]\n"
    "       kangli-host [--dialog] MODEL.json WORKDIR [--pile NAME] [--surface ID | --all-surfaces]\n"
    "                   [--files none|results|all] [--save OUT.json] [--module MODULE]\n"
    "                   [--times N]\n"
    "       kangli-host --help\n"
    "\n"
    "Loads the resistance module (MODULE, by default libkangli.so beside this program) as a\n"
    "host does. With WORKDIR alone it runs slope mode on a built-in pile (--dialog: dialog\n"
    "slope mode). With a model file it runs slope mode once for each chosen slip surface and\n"
    "pile, as a host's search does, and prints for each call the pile's cut and resistance,\n"
    "the reason it was refused, or that the surface does not cut it. --dialog, anywhere among\n"
    "the arguments, opens the module's window instead (dialog slope mode), on the model's\n"
    "current pile and slip surface or those chosen.\n"
    "\n"
    "  --pile NAME       only the piles of that name\n"
    "  --surface ID      that slip surface (default: the model's current one)\n"
    "  --all-surfaces    every slip surface of the model\n"
    "  --files WHICH     files slope mode writes for a calculated pile: none, results (the\n"
    "                    .res file alone) or all (default)\n"
    "  --save OUT.json   the model with the points and resistances that came back\n"
    "  --module MODULE   the module to load\n"
    "  --times N         with --dialog: open the window N times (1 to 9) on the same model, as\n"
    "                    a host that reopens a pile's window, printing what each call handed back\n"
    "\n"
    "Exit status: 0 when no call was refused (each pile calculated, or not cut by the\n"
    "surface) and every file was written; 1 when the module refused a pile (the reason\n"
    "is printed), a file of a calculated pile could not be written (each is named) or, with the\n"
    "built-in pile, did not calculate it; 2 when the arguments, the model, the module or\n"
    "an output could not be used.\n";

// True when path names a model file: it ends in .json, in any case.
bool IsModelPath(const std::string& path)
{
    if (path.size() <= 5)
        return false;
    std::string end = path.substr(path.size() - 5);
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
    return end == ".json";
}

// What the module told during one call, through the framework's message service.
class CallMessages {
public:
    CallMessages()
        : sink_([this](const MessageRequest& r) {
              if (!(r.kind == MessageRequest::Info && r.code == -9999)) // the window's end mark
                  texts.push_back(r.text);
              // No one is there to answer: the default button, No to a question.
              return (r.buttons & 0xF) == MB_YESNO ? IDNO : IDOK;
          })
    {
    }
    std::vector<std::string> texts;

    // The reason of a refusal: what was told, but the bare failure notice when
    // a reason came with it.
    std::string Reason() const
    {
        std::string reason;
        for (const std::string& t : texts) {
            const size_t from = t.find_first_not_of(' '), to = t.find_last_not_of(' ');
            if (from != std::string::npos && (t != kFailed || texts.size() == 1))
                reason += (reason.empty() ? "" : "; ") + t.substr(from, to - from + 1);
        }
        return reason.empty() ? "no resistance handed back, and no reason told" : reason;
    }
    // Told in a calculated call beyond the success notice (a file not written).
    std::vector<std::string> Notes() const
    {
        std::vector<std::string> notes;
        for (const std::string& t : texts)
            if (t != kSucceeded)
                notes.push_back(t);
        return notes;
    }
    void Clear()
    {
        texts.clear();
        HideJsxx(); // each call starts with the information window closed
    }

private:
    static constexpr const char* kFailed = "抗滑力计算失败 !";
    static constexpr const char* kSucceeded = "抗滑力计算成功 !";
    ScopedMessageSink sink_;
};

// Standard output, flushed: false when what was printed could not be written.
bool StdoutWritten()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    std::fprintf(stderr, "kangli-host: standard output could not be written\n");
    return false;
}

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
// Dialog slope mode of the loaded module, or null with the reason told.
using DialogMode = int (*)(CSlopeData*);
DialogMode FindDialogMode(void* handle, const std::string& module)
{
    auto open = reinterpret_cast<DialogMode>(::dlsym(handle, "JiSuan_KangLi_Slp_New"));
    if (!open)
        std::fprintf(stderr, "kangli-host: %s: no JiSuan_KangLi_Slp_New\n", module.c_str());
    return open;
}

int RunModel(int argc, char** argv, bool dialog)
{
    const std::string modelPath = argv[1], work = argv[2];
    std::string module = ProgramDir() + "../entry/libkangli.so", pileName, save;
    bool onePile = false, oneSurface = false, all = false;
    int surfaceId = 0, times = 1;
    int files = kKangLiWenJianAll;
    std::set<std::string> given;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        // An option given twice is refused: never "the last wins".
        if (a.rfind("--", 0) == 0 && !given.insert(a).second) {
            std::fprintf(stderr, "kangli-host: %s given twice\n", a.c_str());
            return 2;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return StdoutWritten() ? 0 : 2;
        }
        if (a == "--all-surfaces") {
            all = true;
            continue;
        }
        const bool takesValue =
            a == "--pile" || a == "--surface" || a == "--save" || a == "--module" || a == "--files" || a == "--times";
        if (!takesValue) {
            std::fprintf(stderr, "kangli-host: unknown option %s (kangli-host --help)\n", a.c_str());
            return 2;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "kangli-host: %s needs a value\n", a.c_str());
            return 2;
        }
        const std::string value = argv[++i];
        if (a == "--pile") {
            pileName = value;
            onePile = true;
        } else if (a == "--surface") {
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), surfaceId);
            if (ec != std::errc() || end != value.data() + value.size() || surfaceId < 1) {
                std::fprintf(stderr, "kangli-host: --surface %s: expected the positive id of a slip surface\n",
                             value.c_str());
                return 2;
            }
            oneSurface = true;
        } else if (a == "--times") {
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), times);
            if (ec != std::errc() || end != value.data() + value.size() || times < 1 || times > 9) {
                std::fprintf(stderr, "kangli-host: --times %s: expected a count from 1 to 9\n", value.c_str());
                return 2;
            }
        } else if (a == "--save")
            save = value;
        else if (a == "--module")
            module = value;
        else if (value == "none")
            files = kKangLiWenJianNone;
        else if (value == "results")
            files = kKangLiWenJianResult;
        else if (value == "all")
            files = kKangLiWenJianAll;
        else {
            std::fprintf(stderr, "kangli-host: --files %s: expected none, results or all\n", value.c_str());
            return 2;
        }
    }
    if (times != 1 && !dialog) {
        std::fprintf(stderr, "kangli-host: --times opens the window again: it needs --dialog\n");
        return 2;
    }
    if (oneSurface && all) {
        std::fprintf(stderr, "kangli-host: --surface and --all-surfaces exclude each other\n");
        return 2;
    }
    SlopeModelFile model;
    std::string error;
    if (!LoadSlopeModel(modelPath, model, &error)) {
        std::fprintf(stderr, "kangli-host: %s: %s\n", modelPath.c_str(), error.c_str());
        return 2;
    }
    for (const std::string& note : model.notes)
        std::fprintf(stderr, "kangli-host: %s: %s\n", modelPath.c_str(), note.c_str());
    CSlopeData& slope = model.slope;
    if (slope.KHPiles.empty()) {
        std::fprintf(stderr, "kangli-host: %s: the model has no piles: there is nothing to calculate\n",
                     modelPath.c_str());
        return 2;
    }
    // Results the model file carries were calculated from some model, perhaps
    // not this one: none is kept, so that --save writes only what this run
    // calculated from the model it saves.
    for (CSlp_KHPile& p : slope.KHPiles) {
        p.KangLiDian.clear();
        p.KangLiZhi.clear();
        p.nKangLiDianShu = 0;
        p.fKangLi = 0;
    }
    // Each call makes its pile the current one; the model keeps its own.
    const std::string currentPile = slope.strCurKHPile;
    const CSlp_KHPile currentWorking = slope.CurKHPile;
    const CSlp_Surface currentSurface = slope.CurSurface;
    std::vector<size_t> piles;
    for (size_t i = 0; i < slope.KHPiles.size(); ++i)
        if (!onePile || slope.KHPiles[i].strName == pileName)
            piles.push_back(i);
    if (onePile && piles.empty()) {
        std::fprintf(stderr, "kangli-host: %s: no pile is named \"%s\"\n", modelPath.c_str(), pileName.c_str());
        return 2;
    }
    std::vector<const SlopeSurfaceEntry*> surfaces;
    for (const SlopeSurfaceEntry& e : model.surfaces)
        if (all || e.id == (oneSurface ? surfaceId : model.currentSurface))
            surfaces.push_back(&e);
    if (surfaces.empty()) {
        if (oneSurface)
            std::fprintf(stderr, "kangli-host: %s: no slip surface has the id %d\n", modelPath.c_str(), surfaceId);
        else
            std::fprintf(stderr, "kangli-host: %s: the model has no slip surface\n", modelPath.c_str());
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
    // A folder the calls cannot write into is refused before the first call,
    // with the system's reason, rather than told file by file for every call.
    if (files != kKangLiWenJianNone || dialog) {
        std::string probe = G_strWorkPath + ".kangli-probe-XXXXXX";
        const int fd = ::mkstemp(probe.data());
        if (fd < 0) {
            std::fprintf(stderr, "kangli-host: %s: cannot write into the work folder: %s\n", work.c_str(),
                         made ? made.message().c_str() : std::strerror(errno));
            return 2;
        }
        ::close(fd);
        ::unlink(probe.c_str());
    }
    g_lCurFAID = model.scheme;
    if (dialog) {
        // One window, on the chosen (or current) pile and slip surface.
        const DialogMode open = FindDialogMode(handle, module);
        if (!open)
            return 2;
        if (all || surfaces.size() != 1) {
            std::fprintf(stderr, "kangli-host: --dialog opens one window: choose one slip surface\n");
            return 2;
        }
        size_t index = piles.front();
        for (size_t i : piles)
            if (!onePile && slope.KHPiles[i].strName == currentPile)
                index = i;
        MakeCallCurrent(slope, *surfaces.front(), index);
        slope.nKangLiWenJian = files;
        int answer = 0;
        for (int call = 1; call <= times; ++call) {
            answer = open(&slope);
            if (times > 1)
                std::printf("call %d: ", call);
            std::printf("JiSuan_KangLi_Slp_New = %d\n", answer);
            std::printf("surface %d, pile %s (id %d): key %s, resistance on the slip surface %.3f kN/m, %d points\n",
                        surfaces.front()->id, slope.strCurKHPile.c_str(), slope.KHPiles[index].nID,
                        slope.strKangLiJian.c_str(),
                        slope.fCurKangLi, slope.CurKHPile.nKangLiDianShu);
            std::fflush(stdout);
        }
        if (!StdoutWritten())
            return 2;
        if (!save.empty() && !SaveSlopeModel(save, model, &error)) {
            std::fprintf(stderr, "kangli-host: %s: %s\n", save.c_str(), error.c_str());
            return 2;
        }
        return answer == 1 ? 0 : 1;
    }
    int calls = 0, calculated = 0, refused = 0, missed = 0, unwritten = 0;
    CallMessages told;
    const auto start = std::chrono::steady_clock::now();
    for (const SlopeSurfaceEntry* e : surfaces) {
        for (size_t i : piles) {
            // The pile at the index is the working pile: the module finds it by
            // the current name and converts the pile at the index.
            MakeCallCurrent(slope, *e, i);
            slope.nKangLiWenJian = files;
            told.Clear();
            const int result = calculate(&slope, static_cast<int>(i));
            ++calls;
            CSlp_KHPile& pile = slope.KHPiles[i];
            const char* name = pile.strName.c_str();
            if (result != 1) {
                ++missed;
                std::printf("surface %d, pile %s (id %d): %d, the surface does not cut the pile\n", e->id, name,
                            pile.nID, result);
                continue;
            }
            // 1 with no points: the module refused the pile and told why.
            if (pile.nKangLiDianShu <= 0) {
                ++refused;
                std::printf("surface %d, pile %s (id %d): %d, refused: %s\n", e->id, name, pile.nID, result,
                            told.Reason().c_str());
                continue;
            }
            ++calculated;
            slope.CurKHPile = pile;
            const float depth = CetHM_KHZ_Dis(&slope, nullptr, nullptr);
            CalHMKangLi_KHZ(&slope, static_cast<int>(i), nullptr, 1);
            std::printf("surface %d, pile %s (id %d): %d, cut %.2f m below the top, resistance %.3f kN/m (%d points)\n",
                        e->id, name, pile.nID, result, depth, pile.fKangLi, pile.nKangLiDianShu);
            for (const std::string& note : told.Notes()) {
                std::printf("  %s\n", note.c_str());
                // "文件未能写出 N 个：...": N files of this call.
                const std::string head = "文件未能写出 ";
                if (note.rfind(head, 0) == 0)
                    unwritten += std::max(1, std::atoi(note.c_str() + head.size()));
            }
        }
    }
    told.Clear();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d calls: %d calculated, %d refused, %d missed, in %.3f s\n", calls, calculated, refused, missed,
                seconds);
    if (unwritten > 0)
        std::printf("%d files not written\n", unwritten);
    if (!StdoutWritten())
        return 2;
    slope.strCurKHPile = currentPile;
    slope.CurKHPile = currentWorking;
    slope.CurSurface = currentSurface;
    if (!save.empty() && !SaveSlopeModel(save, model, &error)) {
        std::fprintf(stderr, "kangli-host: %s: %s\n", save.c_str(), error.c_str());
        return 2;
    }
    return refused > 0 || unwritten > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(kUsage, stdout);
        return StdoutWritten() ? 0 : 2;
    }
    // --dialog, anywhere: dialog slope mode, the user checks and calculates the
    // pile in the module's window; otherwise slope mode.
    bool dialog = false;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) != "--dialog") {
            rest.push_back(argv[i]);
            continue;
        }
        if (dialog) {
            std::fprintf(stderr, "kangli-host: --dialog given twice\n");
            return 2;
        }
        dialog = true;
    }
    argc = static_cast<int>(rest.size());
    argv = rest.data();
    if (argc >= 2 && IsModelPath(argv[1])) {
        if (argc < 3) {
            std::fprintf(stderr, "kangli-host: %s: the work folder is missing\n%s", argv[1], kUsage);
            return 2;
        }
        return RunModel(argc, argv, dialog);
    }
    // The built-in pile: WORKDIR [MODULE], the module also as --module MODULE.
    std::string moduleOption;
    {
        std::vector<char*> positional{argv[0]};
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]) != "--module") {
                positional.push_back(argv[i]);
                continue;
            }
            if (i + 1 >= argc || !moduleOption.empty()) {
                std::fprintf(stderr, "kangli-host: --module %s\n", i + 1 >= argc ? "needs a value" : "given twice");
                return 2;
            }
            moduleOption = argv[++i];
        }
        rest = positional;
        argc = static_cast<int>(rest.size());
        argv = rest.data();
    }
    if (argc == 3 && IsModelPath(argv[2])) {
        std::fprintf(stderr, "kangli-host: %s: a model comes first, before the work folder (kangli-host --help)\n",
                     argv[2]);
        return 2;
    }
    if (argc < 2 || argc > 3 || (argc == 3 && !moduleOption.empty())) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!moduleOption.empty()) {
        rest.push_back(moduleOption.data());
        argc = static_cast<int>(rest.size());
        argv = rest.data();
    }
    const std::string module = argc == 3 ? argv[2] : ProgramDir() + "../entry/libkangli.so";
    if (argc == 3 && !std::filesystem::is_regular_file(module)) {
        std::fprintf(stderr, "kangli-host: %s: no module file there (kangli-host --help)\n", module.c_str());
        return 2;
    }
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
        const DialogMode open = FindDialogMode(handle, module);
        if (!open)
            return 2;
        const int answer = open(&slope);
        std::printf("JiSuan_KangLi_Slp_New = %d\n", answer);
        std::printf("key %s, resistance on the slip surface %.3f kN/m\n", slope.strKangLiJian.c_str(),
                    slope.fCurKangLi);
        const CSlp_KHPile& pile = slope.CurKHPile;
        std::printf("working pile %s (id %d): %d points\n", pile.strName.c_str(), pile.nID, pile.nKangLiDianShu);
        for (int i = 0; i < pile.nKangLiDianShu; ++i)
            std::printf("  %6.2f m  %10.3f kN/m\n", pile.KangLiDian[i], pile.KangLiZhi[i]);
        return answer == 1 ? 0 : 1;
    }
    const int result = calculate(&slope, 0);
    const CSlp_KHPile& pile = slope.KHPiles[0];
    std::printf("JiSuan_KangLi_Slp = %d\n", result);
    std::printf("pile %s (id %d): %d points\n", pile.strName.c_str(), pile.nID, pile.nKangLiDianShu);
    for (int i = 0; i < pile.nKangLiDianShu; ++i)
        std::printf("  %6.2f m  %10.3f kN/m\n", pile.KangLiDian[i], pile.KangLiZhi[i]);
    // The module stays loaded until the process ends, as a host keeps its modules.
    return result == 1 ? 0 : 1;
}
