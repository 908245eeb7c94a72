#pragma once
// MixerMessageWindow: the hidden window that open mixers post their line and control changes to.
// It only marks the mixer's record pending; its timer then refreshes one pending mixer per tick, so
// a burst of changes costs one refresh. Made by a control panel on the panel's owner window; it
// deletes itself when its native window ends, closing every mixer handle still registered.
#include <vector>

#include "gui/kernel/timers.h"
#include "gui/kernel/user_window.h"

class MixerChangeListener {
public:
    virtual void onMixerChanged() = 0;

protected:
    ~MixerChangeListener() = default;
};

class MixerMessageWindow : public GUserWindow {
public:
    explicit MixerMessageWindow(GWindow* owner) : GUserWindow(owner) {}
    ~MixerMessageWindow() override;

    const char* className() const override { return "MixerMessageWindow"; }

    // A hidden window on the owner with its timer running; null when it cannot be made.
    static MixerMessageWindow* create(GWindow* owner);

    // The handle's changes go to the listener from now on.
    void add(uintptr_t handle, MixerChangeListener* listener);
    // Closes the handle and forgets it.
    void remove(uintptr_t handle);

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    void onTimer(TimerRecord*) override;
    void onDestroy() override;
    void paint(HDC, const RECT&, bool) override {}

    struct Entry {
        uintptr_t handle;
        MixerChangeListener* listener;
        bool pending;
    };
    std::vector<Entry> entries;
    bool pending = false;  // some entry is pending
    bool busy = false;     // a listener is refreshing
    TimerRecord timer;

    static const u32 tickMs = 100;

private:
    void closeAll();
};
