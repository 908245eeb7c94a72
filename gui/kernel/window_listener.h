#pragma once
// GWindowListener: the base of the objects that see a window's messages before the window's own
// handler (captures, hover and hot trackers, the pointer overlay). beginMouseTracking puts its life
// record at the head of the watched window's chain, so the newest listener sees a message first.
// The watched window owns it: the listener is deleted when the window ends; deleting it earlier
// takes it out of the chain.
#include "gui/kernel/item_base.h"

class GWindow;

class GWindowListener : public GItemBase {
public:
    GWindow* watchedWindow() const { return watched; }
    bool isDisposable() override { return true; }

protected:
    GWindowListener() = default;
    GWindow* watched = nullptr;

    friend void beginMouseTracking(GWindowListener* listener, GWindow* window);
};

// Stores the window and inserts the listener at the head of the window's chain.
void beginMouseTracking(GWindowListener* listener, GWindow* window);
