#pragma once
// GToolTipController: the hover tips of the program. It polls the cursor every 600 ms, watches the
// child window under it (on the window's chain, never taking a message), waits for a one-second
// rest, asks the window's getToolTip and shows the tool-tip window. Keys, leaving, a tip-less point
// or moving away hide it. Made once by whoever starts the tips; its creator deletes it.
#include <windows.h>

#include "gui/kernel/item_base.h"
#include "gui/kernel/timers.h"

class GChildWindow;

class GToolTipController : public GItemBase {
public:
    GToolTipController();
    ~GToolTipController() override;

    // The poll: finds the child window under the cursor and runs the hover step there.
    void onTimer(TimerRecord*) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    void afterMessageHandled(u32 message, uintptr_t wParam, intptr_t lParam) override;
    bool onEvent(void* event) override;
    // Stops watching and deletes the tool-tip window.
    void hide();

    // Starts watching the window (the poll does this for the window under the cursor).
    void watch(GChildWindow* window, i32 x, i32 y);
    void hoverStep(i32 x, i32 y);
    GChildWindow* watchedWindow() const;

    GString tipText;
    RECT toolRect = {0, 0, 0, 0};
    RECT queryRect = {0, 0, 0, 0};
    GLifeRecord* watched = nullptr;  // counted
    i32 lastX = 0, lastY = 0;
    u32 restStart = 0;
    i32 tipMode = 1;
    u8 shown = 0;

private:
    void watcherRoutine(u32 message, intptr_t lParam);
    void suppress(GChildWindow* window);
    void dropWatched();

    GItemBase* keyFilter;
    GItemBase* eventListener;
    TimerRecord timer;
};

enum : u32 { ToolTipPollMs = 600, ToolTipRestMs = 1000, ToolTipMoveLimit = 5 };
