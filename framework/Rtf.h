// The rich-text writer of the calculation books. Text is appended in UTF-8 with
// printf-style formatting.
#pragma once

#include <string>

class CRTF {
public:
    virtual ~CRTF() = default;
    // Appends formatted text; returns the number of bytes appended.
    int InsertText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const std::string& Text() const { return strText; }

    std::string strText;
};
