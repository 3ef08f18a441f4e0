// Messages to the user: the calculation-information window (tell_error) and plain
// message boxes. Where the text goes depends on where the module runs, so both go
// through one pluggable sink: standard error for the command line, a scripted
// answer in tests, real message boxes in the dialogs.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Message-box buttons and answers, with the values the host platform uses.
enum : int {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNO = 0x4,
    MB_ICONWARNING = 0x30,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MessageRequest {
    enum Kind { Info, Box } kind = Box;
    int code = 0;            // tell_error code (Info only)
    std::string text;        // UTF-8
    std::string caption;     // message boxes only
    int buttons = MB_OK;     // message boxes only
};

// A sink shows the message and returns the answer (IDOK, IDYES, ...).
using MessageSink = std::function<int(const MessageRequest&)>;

// The process's message service: what a boundary (an entry point, a program, a
// dialog) hands inward in its context. Installs a sink and returns the previous
// one; an empty sink restores the default.
MessageSink SetMessageSink(MessageSink sink);
// The sink installed now (the default when none is): a copy, for a context.
MessageSink CurrentMessageSink();

// The default sink: writes each message as one line to standard error and answers
// with the default button of the box (OK, or No for a Yes/No question, so that an
// unattended run never goes on with data the user was asked about).
int StderrMessageSink(const MessageRequest& req);

// The calculation-information window: through the process's sink, or through
// the sink given (empty: standard error), as a context tells.
void tell_error(int code, const char* text);
void tell_error(const MessageSink& sink, int code, const char* text);
// Non-zero while the calculation-information window shows. It shows from the first
// tell_error until HideJsxx().
int IsJsxxVisible();
void HideJsxx();

// A plain message box; returns the answer. Through the process's sink, or
// through the sink given (empty: standard error).
int AfxMessageBox(const char* text, int buttons = MB_OK, const char* caption = "提示");
int AfxMessageBox(const MessageSink& sink, const char* text, int buttons = MB_OK, const char* caption = "提示");

// Installs a sink for the length of a scope and puts back whatever was
// installed before, however the scope is left.
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink sink) : previous_(SetMessageSink(std::move(sink))) {}
    ~ScopedMessageSink() { SetMessageSink(std::move(previous_)); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink previous_;
};

// Scoped sink for tests and tools: records every message and answers with a fixed
// value; restores the previous sink when it goes out of scope.
class ScopedMessageRecorder {
public:
    explicit ScopedMessageRecorder(int answer = IDOK);
    ~ScopedMessageRecorder();
    ScopedMessageRecorder(const ScopedMessageRecorder&) = delete;
    ScopedMessageRecorder& operator=(const ScopedMessageRecorder&) = delete;

    std::vector<MessageRequest> messages;
    int answer;
    // A sink that records into this recorder (answering as it does), for a
    // context to carry; the context must not tell through it once the
    // recorder is gone.
    MessageSink Sink();

private:
    MessageSink previous_;
};
