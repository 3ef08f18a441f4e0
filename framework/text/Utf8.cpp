#include "Utf8.h"

std::uint32_t NextCodePoint(const std::string& text, size_t& i)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int extra = -1; // continuation bytes; -1 for a byte that cannot start a character
    if (c >= 0xC2 && c < 0xE0)
        extra = 1;
    else if (c >= 0xE0 && c < 0xF0)
        extra = 2;
    else if (c >= 0xF0 && c < 0xF5)
        extra = 3;
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
