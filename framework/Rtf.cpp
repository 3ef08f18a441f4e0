#include "Rtf.h"

#include <cstdarg>
#include <cstdio>

int CRTF::InsertText(const char* format, ...)
{
    if (!format)
        return 0;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n > 0) {
        size_t old = strText.size();
        strText.resize(old + static_cast<size_t>(n) + 1);
        std::vsnprintf(&strText[old], static_cast<size_t>(n) + 1, format, args);
        strText.resize(old + static_cast<size_t>(n));
    }
    va_end(args);
    return n > 0 ? n : 0;
}
