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

// Reads one physical line; keeps the first size-1 bytes and tells in *tooLong
// whether more text followed. A line ends at LF, CR LF or a lone CR (files
// from old Macintosh editors). Returns false at end of stream with nothing read.
bool ReadPhysicalLine(char* line, int size, FILE* stream, bool* tooLong)
{
    int n = 0;
    bool any = false;
    bool nul = false; // a NUL byte ends the usable text of the line
    bool over = false;
    for (;;) {
        int c = std::fgetc(stream);
        if (c == EOF)
            break;
        any = true;
        if (c == '\n')
            break;
        if (c == '\r') {
            const int next = std::fgetc(stream);
            if (next != '\n' && next != EOF)
                std::ungetc(next, stream);
            break;
        }
        if (c == '\0')
            nul = true;
        if (nul)
            continue;
        if (n < size - 1)
            line[n++] = static_cast<char>(c);
        else
            over = true;
    }
    line[n] = '\0';
    if (tooLong)
        *tooLong = over;
    return any;
}

// A UTF-8 byte-order mark, which some Windows editors put before the first line.
void DropByteOrderMark(char* line)
{
    if (static_cast<unsigned char>(line[0]) == 0xEF && static_cast<unsigned char>(line[1]) == 0xBB &&
        static_cast<unsigned char>(line[2]) == 0xBF)
        std::memmove(line, line + 3, std::strlen(line + 3) + 1);
}

} // namespace

char* fgets_skip_comment(char* line, int size, FILE* stream)
{
    return fgets_skip_comment(line, size, stream, nullptr);
}

char* fgets_skip_comment(char* line, int size, FILE* stream, int* lineNo)
{
    return fgets_skip_comment(line, size, stream, lineNo, nullptr);
}

char* fgets_skip_comment(char* line, int size, FILE* stream, int* lineNo, bool* tooLong)
{
    if (!line || size < 1 || !stream)
        return nullptr;
    while (ReadPhysicalLine(line, size, stream, tooLong)) {
        if (lineNo && ++*lineNo == 1)
            DropByteOrderMark(line);
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
