#include "JiSuanBase.h"

#include "Canvas.h"
#include "Rtf.h"

// The canvas and book writers are filled in as the output formats land; until
// then the drawing and the book are produced into memory only.
int CJiSuanBase::WriteJianTu(CJsDataBase* record, int n, int)
{
    if (!record)
        return 0;
    CBase_SGT canvas;
    return DrawTu(n, &canvas, nullptr);
}

int CJiSuanBase::WriteJiSuanShu(CJsDataBase* record, int n)
{
    if (!record)
        return 0;
    CRTF writer;
    return WriteJss(n, &writer);
}

int CJiSuanBase::CheckDataChange() { return 1; }
int CJiSuanBase::JiSuan() { return 0; }
int CJiSuanBase::Reserved1() { return 1; }
int CJiSuanBase::DrawTu(int, CBase_SGT*, void*) { return 1; }
int CJiSuanBase::WriteJss(int, CRTF*) { return 1; }
int CJiSuanBase::Reserved2() { return 1; }
int CJiSuanBase::Reserved3(void*, void*, void*) { return 1; }
int CJiSuanBase::Reserved4() { return 1; }
int CJiSuanBase::Reserved5() { return 1; }
int CJiSuanBase::Reserved6() { return 1; }
int CJiSuanBase::ExtFunc() { return 0; }
int CJiSuanBase::ExtMenuItem() { return 0; }
int CJiSuanBase::IsReFormJss() { return 0; }
int CJiSuanBase::ReFormJss_ForRes() { return 0; }
int CJiSuanBase::EndACADConect() { return 1; }
CJiSuanBase::~CJiSuanBase() = default;
