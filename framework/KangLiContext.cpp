#include "KangLiContext.h"

#include "WorkPaths.h"

KangLiContext ContextFromProcess()
{
    KangLiContext context;
    context.workPath = G_strWorkPath;
    context.sink = CurrentMessageSink();
    return context;
}
