// What one calculation works with, handed in by whoever calls it rather than
// read from the process: the folder its files go to, who is told, the ids that
// name a slope call's files and what writes a drawing. The entry points, the
// programs and the dialogs build one from the host's globals at their edge
// (ContextFromProcess) and pass it inward; below them nothing reads a global,
// so two calculations in one process never write into each other's folder or
// speak to each other's user.
#pragma once

#include "Messages.h"

#include <functional>
#include <string>

class CBase_SGT;

// Writes a drawn canvas to a file (format by extension); false with *error set.
using CanvasFileWriter =
    std::function<bool(const CBase_SGT& canvas, const std::string& path, std::string* error)>;

struct KangLiContext {
    // Every output path is this text followed by a file name: it ends with a
    // separator, or is empty for the current directory.
    std::string workPath;
    // Who is told (tell_error and message boxes); empty: standard error.
    MessageSink sink;
    // The host's current scheme and slip surface (slope mode's file names).
    int schemeId = 0;
    int surfaceId = 0;
    // What writes a diagram file; without one, diagram files are not written.
    CanvasFileWriter drawingWriter;

    std::string PathOf(const std::string& name) const { return workPath + name; }
    // tell_error and AfxMessageBox through this context's sink.
    void Tell(int code, const std::string& text) const { tell_error(sink, code, text.c_str()); }
    int Ask(const std::string& text, int buttons = MB_OK, const char* caption = "提示") const
    {
        return AfxMessageBox(sink, text.c_str(), buttons, caption);
    }
};

// At a boundary only: the framework's work path (G_strWorkPath) and the
// message service's sink as they are now. Ids and drawing writer are the
// caller's to add.
KangLiContext ContextFromProcess();
