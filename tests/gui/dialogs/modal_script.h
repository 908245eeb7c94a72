#pragma once
// Acts on a modal dialog of a kind from a timer of its run: the timer fires once the posted
// messages before it are handled, so every step runs in the dialog's own loop. A dialog that the
// steps leave open ends with -9 after 5 s instead of hanging the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gui/kernel/application.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_listener.h"
#include "tests/gui/input_fixture.h"

class ModalScript : public GItemBase {
public:
    typedef std::function<void(GDialog&)> Step;

    ModalScript(u32 kind, std::vector<Step> steps) : kind(kind), steps(std::move(steps)) {
        current = this;
        ListenerChain::append(application()->eventList, lifeRecord());
    }
    ~ModalScript() override {
        KillTimer(nullptr, stepTimer);
        KillTimer(nullptr, stuckTimer);
        current = nullptr;
    }
    bool onEvent(void* event) override {
        ModalEvent* modal = static_cast<ModalEvent*>(event);
        GDialog* box = modal->scope->dialog();
        if (!box || !box->isKindOf(kind)) return false;
        if (!modal->begin) {
            KillTimer(nullptr, stuckTimer);
            KillTimer(nullptr, stepTimer);
            return false;
        }
        dialog = box;
        ++runs;
        next = 0;
        stepTimer = SetTimer(nullptr, 0, 0, step);
        stuckTimer = SetTimer(nullptr, 0, 5000, endStuck);
        return false;
    }
    // Without a window manager the end of a visible active dialog waits about 2 s: the dialog is
    // marked hidden before it is ended.
    static void unmark(GDialog& d) {
        SetWindowLongA(d.hwnd, GWL_STYLE, GetWindowLongA(d.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    }
    // A mouse click on the dialog's button of the command; a dialog that it ends is unmarked.
    static void click(GDialog& d, u32 command) {
        HWND button = GetDlgItem(d.hwnd, (int)command);
        ASSERT_NE(button, nullptr) << "button " << command;
        RECT r;
        GetClientRect(button, &r);
        InputSeam seam;
        seam.active = d.hwnd;
        seam.pointAt(button, r.right / 2, r.bottom / 2);
        SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2));
        SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
        if (d.result != -1) unmark(d);
    }
    static void post(GDialog& d, u32 command) {
        unmark(d);
        PostMessageA(d.hwnd, WM_COMMAND, command, 0);
    }

    u32 kind;
    std::vector<Step> steps;
    size_t next = 0;
    int runs = 0;
    GDialog* dialog = nullptr;
    UINT_PTR stepTimer = 0, stuckTimer = 0;
    static inline ModalScript* current = nullptr;

private:
    static void CALLBACK step(HWND, UINT, UINT_PTR id, DWORD) {
        ModalScript* s = current;
        if (!s || id != s->stepTimer) {
            KillTimer(nullptr, id);
            return;
        }
        if (s->next >= s->steps.size()) {
            KillTimer(nullptr, id);
            return;
        }
        Step act = s->steps[s->next++];
        try {
            act(*s->dialog);
        } catch (...) {
            ADD_FAILURE() << "a step threw";
        }
    }
    static void CALLBACK endStuck(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        ADD_FAILURE() << "the dialog did not end";
        if (GDialog* stuck = pendingModalDialog()) stuck->endDialog(-9);
    }
};
