// Reading UTF-8 text one character at a time, for the writers that put texts
// into other encodings (RTF escapes, GBK in DXF, UTF-16 in EMF).
#pragma once

#include <cstdint>
#include <string>

// Decodes one UTF-8 character at text[i] and moves i past it; a malformed or
// cut byte stands for U+FFFD and moves i by one.
std::uint32_t NextCodePoint(const std::string& text, size_t& i);
