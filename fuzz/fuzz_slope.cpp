// Any bytes as a slope model: refused in one line, or read; for a model it
// reads, every call of a search (each slip surface on each pile, writing no
// files) ends in finite resistances handed back, or in no points for a
// refused pile, never in a crash.
#include "KangLi.h"
#include "Messages.h"
#include "SlopeData.h"
#include "SlopeJson.h"
#include "WorkPaths.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        SetMessageSink([](const MessageRequest&) { return IDOK; });
        // Nothing is written with the files switched off; a stale set would
        // be looked for here only.
        G_strWorkPath = "/nonexistent-kangli-fuzz/";
        return true;
    }();
    (void)quiet;
    const std::string text(reinterpret_cast<const char*>(data), size);
    SlopeModelFile model;
    std::string error;
    if (!SlopeModelFromJson(text, model, &error)) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort(); // one line that says why
        return 0;
    }
    CSlopeData& slope = model.slope;
    // A search is bounded: a model of thousands of calls is read, not run.
    if (slope.KHPiles.size() * model.surfaces.size() > 64)
        return 0;
    g_lCurFAID = model.scheme;
    for (const SlopeSurfaceEntry& e : model.surfaces)
        for (size_t i = 0; i < slope.KHPiles.size(); ++i) {
            MakeCallCurrent(slope, e, i);
            slope.nKangLiWenJian = kKangLiWenJianNone;
            slope.KHPiles[i].KangLiDian.clear();
            slope.KHPiles[i].KangLiZhi.clear();
            slope.KHPiles[i].nKangLiDianShu = 0;
            const int result = JiSuan_KangLi_Slp(&slope, static_cast<int>(i));
            const CSlp_KHPile& pile = slope.KHPiles[i];
            if (result != 0 && result != 1)
                std::abort();
            if (pile.nKangLiDianShu != static_cast<int>(pile.KangLiZhi.size()) ||
                pile.KangLiZhi.size() != pile.KangLiDian.size())
                std::abort();
            for (size_t k = 0; k < pile.KangLiZhi.size(); ++k)
                if (!std::isfinite(pile.KangLiZhi[k]) || !std::isfinite(pile.KangLiDian[k]))
                    std::abort();
            HideJsxx();
        }
    return 0;
}
