#include "KangLiResult.h"

#include "Rtf.h"

#include <cstdio>

CKangLiResult::~CKangLiResult() = default;

int CKangLiResult::ReadResultFile(const char* path)
{
    FILE* f = path ? std::fopen(path, "r") : nullptr;
    if (!f)
        return 0;
    const int ok = CheckBiaoShi(f, kKey) ? 1 : 0;
    std::fclose(f);
    return ok;
}

int CKangLiResult::WriteResultFile(const char* path)
{
    FILE* f = path ? std::fopen(path, "w") : nullptr;
    if (!f)
        return 0;
    SetBiaoShi(f, kKey);
    std::fclose(f);
    return 1;
}

int CKangLiResult::WriteSectionHeading(const int* number)
{
    if (!pRTF || !number)
        return 0;
    static const char kLine[] =
        "---------------------------------------------------------------------\n";
    pRTF->InsertText("%s", kLine);
    pRTF->InsertText("%d.计算内容\n", *number);
    pRTF->InsertText("%s", kLine);
    return 1;
}
