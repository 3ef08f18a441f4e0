// The calculation's result record in the framework: it identifies the result file
// and writes the numbered section headings of a calculation book. The numbers
// themselves live in the input record's result lists.
#pragma once

#include "JsResultBase.h"

class CRTF;

class CKangLiResult : public CJsResultBase {
public:
    static constexpr const char* kKey = "KangLi_Result10";

    CKangLiResult() = default;
    ~CKangLiResult() override;
    // 1 when the file opens and carries the mark of kKey.
    int ReadResultFile(const char* path) override;
    // Writes the mark of kKey; 0 when the file cannot be opened.
    int WriteResultFile(const char* path) override;
    // A line of 69 hyphens, "<number>.计算内容", the hyphens again.
    int WriteSectionHeading(const int* number);

    CRTF* pRTF = nullptr; // the book written into; not owned
};
