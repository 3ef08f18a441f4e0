// Any bytes as a JSON record: refused with a message or read; what is read writes
// back and reads again to the same record.
#include "PelvorinData.h"
#include "RecordJson.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    CPelvorinData record;
    std::string error;
    if (!RecordFromJson(text, record, &error)) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort(); // one line that says why
        return 0;
    }
    const std::string written = RecordToJson(record);
    CPelvorinData again;
    if (!RecordFromJson(written, again, &error))
        std::abort();
    if (RecordToJson(again) != written)
        std::abort();
    return 0;
}
