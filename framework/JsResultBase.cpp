#include "JsResultBase.h"

#include "JsDataBase.h"

int CJsResultBase::SetBiaoShi(FILE* stream, const char* key) { return WriteBiaoShiLine(stream, key); }
int CJsResultBase::CheckBiaoShi(FILE* stream, const char* key) { return CheckBiaoShiLine(stream, key); }
int CJsResultBase::HasOwnResult() { return 0; }
int CJsResultBase::ReadResultFile(const char*) { return 0; }
int CJsResultBase::WriteResultFile(const char*) { return 0; }
int CJsResultBase::SaveData_Ex(const char*) { return 1; }
CJsResultBase::~CJsResultBase() = default;
