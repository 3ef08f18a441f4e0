// Base of a calculation's result record: the identification mark of its result
// file (see WriteBiaoShiLine) and the framework's save hook.
#pragma once

#include <cstdio>

class CJsResultBase {
public:
    CJsResultBase() = default;
    virtual int SetBiaoShi(FILE* stream, const char* key);
    virtual int CheckBiaoShi(FILE* stream, const char* key);
    // Asked by the framework whether the result record holds a result of its own
    // beyond the mark; 0 when all results live in the input record.
    virtual int HasOwnResult();
    virtual int ReadResultFile(const char* path);
    virtual int WriteResultFile(const char* path);
    // Saves the result record next to the data file; the base writes nothing.
    virtual int SaveData_Ex(const char* path);
    virtual ~CJsResultBase();
};
