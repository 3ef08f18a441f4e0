// Base of a calculation: the framework drives diagrams and calculation books
// through it.
#pragma once

#include "KangLiContext.h"

#include <string>

class CJsDataBase;
class CBase_SGT;
class CRTF;

class CJiSuanBase {
public:
    // A calculation works in the context it is made with: the work path its
    // files go under, the sink it tells, the drawing writer. Without one: the
    // current directory, standard error, no drawing writer.
    CJiSuanBase() = default;
    explicit CJiSuanBase(KangLiContext context_) : context(std::move(context_)) {}
    // Draws diagram n of record through DrawTu onto a canvas; the canvas goes to
    // the file that record->GetJtFileName(n) names under the context's work
    // path, through its drawing writer. Returns 1 when the file was written.
    virtual int WriteJianTu(CJsDataBase* record, int n, int flag);
    // Writes calculation book n of record through WriteJss into the RTF file that
    // record->GetJssFileName(n) names under the context's work path; 1 when written.
    virtual int WriteJiSuanShu(CJsDataBase* record, int n);
    virtual int CheckDataChange();
    virtual int JiSuan();
    virtual int Reserved1();
    virtual int DrawTu(int n, CBase_SGT* canvas, void* extra);
    virtual int WriteJss(int n, CRTF* writer);
    virtual int Reserved2();
    virtual int Reserved3(void* a, void* b, void* c);
    virtual int Reserved4();
    virtual int Reserved5();
    virtual int Reserved6();
    virtual int ExtFunc();
    virtual int ExtMenuItem();
    virtual int IsReFormJss();
    virtual int ReFormJss_ForRes();
    virtual int EndACADConect();
    virtual ~CJiSuanBase();
    // The title of book n as its pages show it in their header; the base takes
    // the record's name for it.
    virtual std::string JiSuanShuTitle(CJsDataBase* record, int n);

    // Book n of record into writer through WriteJss, with its page furniture: a
    // header naming the book, the record's file-name stem, its title and label
    // and the date; page numbers in the footer. WriteJiSuanShu writes what this
    // composes; programs that report the reason of a failed write use it directly.
    void ComposeJiSuanShu(CJsDataBase* record, int n, CRTF& writer);

    KangLiContext context;
};
