#include "mm/plugin_guard.h"

#include <windows.h>

#include <csetjmp>
#include <mutex>

namespace {
// One per contained call on the stack; the innermost is the thread's slot value.
struct ContainedCall {
    jmp_buf jump;
    ContainedCall* outer;
};

DWORD g_slot = TLS_OUT_OF_INDEXES;

bool isProcessorFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_IN_PAGE_ERROR: return true;
    default: return false;
    }
}

LONG CALLBACK faultHandler(EXCEPTION_POINTERS* info) {
    if (!isProcessorFault(info->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    ContainedCall* call = static_cast<ContainedCall*>(TlsGetValue(g_slot));
    if (!call) return EXCEPTION_CONTINUE_SEARCH;
    // The runtime's longjmp also unwinds the exception frames registered since the jump point.
    longjmp(call->jump, 1);
}

// An exception that leaves the call takes its frame off the thread's list first.
void callRestoring(void (*call)(void*), void* context, ContainedCall* outer) {
    try {
        call(context);
    } catch (...) {
        TlsSetValue(g_slot, outer);
        throw;
    }
}

void installHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_slot = TlsAlloc();
        AddVectoredExceptionHandler(1, faultHandler);
    });
}
}  // namespace

bool runPluginContained(void (*call)(void* context), void* context) {
    installHandler();
    if (g_slot == TLS_OUT_OF_INDEXES) {
        call(context);
        return true;
    }
    ContainedCall frame;
    frame.outer = static_cast<ContainedCall*>(TlsGetValue(g_slot));
    if (setjmp(frame.jump)) {
        TlsSetValue(g_slot, frame.outer);
        return false;
    }
    TlsSetValue(g_slot, &frame);
    callRestoring(call, context, frame.outer);
    TlsSetValue(g_slot, frame.outer);
    return true;
}
