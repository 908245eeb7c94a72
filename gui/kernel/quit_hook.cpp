#include "gui/kernel/quit_hook.h"

namespace {
QuitHook* g_first = nullptr;
QuitHook* g_last = nullptr;
}  // namespace

QuitHook::QuitHook() : previous(g_last) {
    if (g_last)
        g_last->next = this;
    else
        g_first = this;
    g_last = this;
}

QuitHook::~QuitHook() {
    if (previous)
        previous->next = next;
    else
        g_first = next;
    if (next)
        next->previous = previous;
    else
        g_last = previous;
}

QuitHook* firstQuitHook() { return g_first; }

bool quitVetoed() {
    for (QuitHook* hook = g_first; hook; hook = hook->next)
        if (hook->vetoQuit()) return true;
    return false;
}
