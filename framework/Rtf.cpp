#include "Rtf.h"

#include "SafeFile.h"

#include <cstdarg>
#include <cstdint>
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

namespace {

// Decodes one UTF-8 character at text[i]; a malformed byte stands for U+FFFD.
std::uint32_t NextCodePoint(const std::string& text, size_t& i)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = -1; // continuation bytes; -1 for a byte that cannot start a character
    if (c >= 0xC2 && c < 0xE0)
        extra = 1;
    else if (c >= 0xE0 && c < 0xF0)
        extra = 2;
    else if (c >= 0xF0 && c < 0xF5)
        extra = 3;
    if (c < 0x80) {
        ++i;
        return c;
    }
    if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) {
        ++i;
        return 0xFFFD;
    }
    std::uint32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char cc = static_cast<unsigned char>(text[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += static_cast<size_t>(extra) + 1;
    return cp;
}

void AppendUnicode(std::string& out, std::uint32_t cp)
{
    auto unit = [&out](std::uint32_t u) {
        // RTF takes a signed 16-bit number; "?" is the fallback for old readers.
        out += "\\u" + std::to_string(u > 32767 ? static_cast<int>(u) - 65536 : static_cast<int>(u)) +
               "?";
    };
    if (cp > 0xFFFF) {
        cp -= 0x10000;
        unit(0xD800 + (cp >> 10));
        unit(0xDC00 + (cp & 0x3FF));
    } else {
        unit(cp);
    }
}

} // namespace

std::string CRTF::ToRtf() const
{
    std::string out =
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1"
        "{\\fonttbl{\\f0\\fmodern\\fcharset134 WenQuanYi Zen Hei Mono;}}\n"
        "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134\n"
        "\\pard\\plain\\f0\\fs20 ";
    for (size_t i = 0; i < strText.size();) {
        const char c = strText[i];
        if (c == '\n') {
            out += "\\par\n";
            ++i;
        } else if (c == '\t') {
            out += "\\tab ";
            ++i;
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
            ++i;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            ++i; // other control characters have no place in a book
        } else if (static_cast<unsigned char>(c) < 0x80) {
            out += c;
            ++i;
        } else {
            AppendUnicode(out, NextCodePoint(strText, i));
        }
    }
    out += "\n}\n";
    return out;
}

int CRTF::Save(const std::string& path, std::string* error) const
{
    std::string why;
    if (WriteFileSafely(path, ToRtf(), &why))
        return 1;
    if (error)
        *error = "cannot write the file: " + why;
    return 0;
}
