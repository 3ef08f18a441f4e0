#include "TextInput.h"

#include <cstdarg>
#include <cstring>

namespace {

bool IsBlankOrComment(const char* s)
{
    while (*s == ' ' || *s == '\t' || *s == '\r' || *s == '\n' || *s == '\f' || *s == '\v')
        ++s;
    return *s == '\0' || (s[0] == '/' && s[1] == '/');
}

// Reads one physical line; keeps the first size-1 bytes. Returns false at end of
// stream with nothing read.
bool ReadPhysicalLine(char* line, int size, FILE* stream)
{
    int n = 0;
    bool any = false;
    bool cut = false; // a NUL byte ends the usable text of the line
    for (;;) {
        int c = std::fgetc(stream);
        if (c == EOF)
            break;
        any = true;
        if (c == '\n')
            break;
        if (c == '\0')
            cut = true;
        if (!cut && n < size - 1)
            line[n++] = static_cast<char>(c);
    }
    if (n > 0 && line[n - 1] == '\r')
        --n;
    line[n] = '\0';
    return any;
}

} // namespace

char* fgets_skip_comment(char* line, int size, FILE* stream)
{
    return fgets_skip_comment(line, size, stream, nullptr);
}

char* fgets_skip_comment(char* line, int size, FILE* stream, int* lineNo)
{
    if (!line || size < 1 || !stream)
        return nullptr;
    while (ReadPhysicalLine(line, size, stream)) {
        if (lineNo)
            ++*lineNo;
        if (!IsBlankOrComment(line))
            return line;
    }
    line[0] = '\0';
    return nullptr;
}

int JSVsscanf::vsscanf(const char* text, const char* format, ...)
{
    if (!text || !format)
        return 0;
    va_list args;
    va_start(args, format);
    int n = std::vsscanf(text, format, args);
    va_end(args);
    return n;
}
