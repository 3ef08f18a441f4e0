// Any bytes as a data file: the reader must not crash, hang or read out of
// bounds, and a record it accepts must calculate without trouble.
#include "KangLiJiSuan.h"
#include "Messages.h"
#include "PelvorinData.h"
#include "RecordCheck.h"
#include "RecordFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = size ? fmemopen(const_cast<uint8_t*>(data), size, "r") : std::tmpfile();
    if (!f)
        return 0;
    CPelvorinData record;
    std::string problem;
    int ok = record.LoadData(f, &problem);
    std::fclose(f);
    if (!ok) {
        if (problem.empty())
            std::abort(); // a refusal always says why
        return 0;
    }
    if (record.TuCeng.size() != static_cast<size_t>(record.nTuCengShu))
        std::abort();
    // What we write of an accepted record reads back to the same numbers: the
    // text written from the record read back is the text written again.
    std::string written, error;
    if (RecordToDataFile(record, written, &error)) {
        FILE* g = fmemopen(written.data(), written.size(), "r");
        if (!g)
            std::abort();
        CPelvorinData back;
        InitKangLiData(&back);
        std::string why;
        const int again = back.LoadData(g, &why);
        std::fclose(g);
        std::string rewritten;
        if (!again || !why.empty() || !RecordToDataFile(back, rewritten, &error) || rewritten != written)
            std::abort();
    } else if (error.empty() || error.find('\n') != std::string::npos) {
        std::abort(); // a refusal to write says why, in one line
    }
    std::string why;
    const bool plausible = CheckKangLiData(record, &why);
    // Records the check refuses still go through the calculation when their
    // point count stays small: its own paths must survive nonsense too.
    const float L = record.fZhuangChang;
    if (plausible || std::isnan(L) || std::fabs(L) <= 100.0f) {
        if (record.TuCeng.size() > 100)
            return 0;
        CKangLiJiSuan calc;
        calc.context.sink = [](const MessageRequest&) { return IDOK; }; // quiet
        calc.pData = &record;
        if (calc.JiSuan() == 1) {
            const size_t n = record.pDianZuoBiao->size();
            if (record.TuKangLi.size() != n || record.ZhuangKangLi.size() != n ||
                record.ZuiZhongKangLi.size() != n)
                std::abort();
            if (plausible)
                for (size_t i = 0; i < n; ++i)
                    if (!std::isfinite(record.ZuiZhongKangLi[i]) ||
                        !std::isfinite(record.TuKangLi[i]) || !std::isfinite(record.ZhuangKangLi[i]))
                        std::abort(); // a plausible record gives finite numbers
        }
    }
    return 0;
}
