#include "JiSuanBase.h"

#include "Canvas.h"
#include "Emf.h"
#include "JsDataBase.h"
#include "Rtf.h"

#include <ctime>

int CJiSuanBase::WriteJianTu(CJsDataBase* record, int n, int)
{
    if (!record)
        return 0;
    if (!context.drawingWriter)
        return 0; // nothing to write the drawing with
    CBase_SGT canvas;
    DrawTu(n, &canvas, nullptr);
    std::string error;
    return context.drawingWriter(canvas, context.PathOf(record->GetJtFileName(n)), &error) ? 1 : 0;
}

void CJiSuanBase::ComposeJiSuanShu(CJsDataBase* record, int n, CRTF& writer)
{
    if (record) {
        // Once printed, a page must still say what it belongs to.
        std::string header;
        auto add = [&header](const std::string& part) {
            if (!part.empty())
                header += (header.empty() ? "" : "    ") + part;
        };
        add(JiSuanShuTitle(record, n));
        add(record->FileStem());
        add(record->strBiaoTi);
        if (!record->strMingCheng.empty())
            add("桩 " + record->strMingCheng);
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        char date[32] = "";
        if (::localtime_r(&now, &local))
            std::strftime(date, sizeof date, "%Y-%m-%d", &local);
        add(date);
        writer.strHeader = header;
    }
    WriteJss(n, &writer);
}

std::string CJiSuanBase::JiSuanShuTitle(CJsDataBase* record, int n)
{
    if (!record || n < 0 || n >= CJsDataBase::kMaxJiSuanShu)
        return {};
    return record->strJiSuanShuMing[static_cast<size_t>(n)];
}

int CJiSuanBase::WriteJiSuanShu(CJsDataBase* record, int n)
{
    if (!record)
        return 0;
    CRTF writer;
    ComposeJiSuanShu(record, n, writer);
    return writer.Save(context.PathOf(record->GetJssFileName(n)));
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
