#include "Messages.h"

#include <cstdio>

namespace {

MessageSink& CurrentSink()
{
    static MessageSink sink;
    return sink;
}

bool g_jsxxVisible = false;

int Dispatch(const MessageSink& sink, const MessageRequest& req)
{
    return sink ? sink(req) : StderrMessageSink(req);
}

} // namespace

MessageSink SetMessageSink(MessageSink sink)
{
    MessageSink previous = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return previous;
}

MessageSink CurrentMessageSink()
{
    const MessageSink& sink = CurrentSink();
    return sink ? sink : MessageSink(StderrMessageSink);
}

int StderrMessageSink(const MessageRequest& req)
{
    if (req.kind == MessageRequest::Info)
        std::fprintf(stderr, "[%d] %s\n", req.code, req.text.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", req.caption.c_str(), req.text.c_str());
    if (req.kind == MessageRequest::Box && (req.buttons & 0xF) == MB_YESNO)
        return IDNO;
    return IDOK;
}

void tell_error(int code, const char* text) { tell_error(CurrentSink(), code, text); }

void tell_error(const MessageSink& sink, int code, const char* text)
{
    g_jsxxVisible = true;
    MessageRequest req;
    req.kind = MessageRequest::Info;
    req.code = code;
    req.text = text ? text : "";
    Dispatch(sink, req);
}

int IsJsxxVisible() { return g_jsxxVisible ? 1 : 0; }

void HideJsxx() { g_jsxxVisible = false; }

int AfxMessageBox(const char* text, int buttons, const char* caption)
{
    return AfxMessageBox(CurrentSink(), text, buttons, caption);
}

int AfxMessageBox(const MessageSink& sink, const char* text, int buttons, const char* caption)
{
    MessageRequest req;
    req.kind = MessageRequest::Box;
    req.text = text ? text : "";
    req.caption = caption ? caption : "";
    req.buttons = buttons;
    return Dispatch(sink, req);
}

ScopedMessageRecorder::ScopedMessageRecorder(int answer_) : answer(answer_)
{
    previous_ = SetMessageSink(Sink());
}

MessageSink ScopedMessageRecorder::Sink()
{
    return [this](const MessageRequest& req) {
        messages.push_back(req);
        return answer;
    };
}

ScopedMessageRecorder::~ScopedMessageRecorder() { SetMessageSink(std::move(previous_)); }
