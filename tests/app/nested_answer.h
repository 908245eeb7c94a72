#pragma once
// Answers a modal dialog that opens inside another one's scripted step (a preset list from a
// dialog run by ModalScript): a timer of the thread finds it as the innermost modal dialog and
// runs the step once in its own loop.
#include <windows.h>

#include <functional>

#include "gui/kernel/dialog.h"
#include "gui/kernel/modal_run.h"

class NestedAnswer {
public:
    NestedAnswer(u32 kind, std::function<void(GDialog&)> step) : kind(kind), step(std::move(step)) {
        current = this;
        timer = SetTimer(nullptr, 0, 20, tick);
    }
    ~NestedAnswer() {
        KillTimer(nullptr, timer);
        current = nullptr;
    }
    NestedAnswer(const NestedAnswer&) = delete;
    NestedAnswer& operator=(const NestedAnswer&) = delete;

    u32 kind;
    std::function<void(GDialog&)> step;
    UINT_PTR timer = 0;
    int runs = 0;
    static inline NestedAnswer* current = nullptr;

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        NestedAnswer* a = current;
        if (!a || id != a->timer || a->runs) return;
        GDialog* d = pendingModalDialog();
        if (!d || !d->hwnd || !d->isKindOf(a->kind)) return;
        ++a->runs;
        a->step(*d);
    }
};
