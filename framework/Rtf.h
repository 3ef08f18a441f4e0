// The rich-text writer of the calculation books. Text is appended in UTF-8 with
// printf-style formatting; Save writes it as an RTF document in which every line
// is a paragraph and every non-ASCII character a \uN escape, set in the
// monospaced WenQuanYi Zen Hei Mono so that the books' column layouts made of
// blanks stay aligned.
#pragma once

#include <string>

class CRTF {
public:
    virtual ~CRTF() = default;
    // Appends formatted text; returns the number of bytes appended.
    int InsertText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const std::string& Text() const { return strText; }

    // The whole book as an RTF document.
    std::string ToRtf() const;
    // Writes the document through a temporary file renamed over path. Returns 1,
    // or 0 with *error set.
    int Save(const std::string& path, std::string* error = nullptr) const;

    std::string strText;
};
