#include "gui/frame/window_layout_store.h"

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "gui/frame/app_window.h"
#include "gui/kernel/window_placement.h"

static const u32 layoutTag = bagFileTag("WLAY");

bool saveWindowLayout(const char* path) {
    GBag bag;
    if (objectWindowCount > 0) {
        GParentWindow* window = lastWindowObject();
        if (window && !window->isKindOf(TypeAppWindow)) window = nextWindowOfKind(window, GW_HWNDPREV, TypeAppWindow);
        for (; window; window = nextWindowOfKind(window, GW_HWNDPREV, TypeAppWindow)) {
            bagWriteU32(bag, window->typeId());
            GBag state;
            static_cast<GAppWindow*>(window)->savePlacement(state);
            bagWriteBlock(bag, state);
        }
    }
    return saveBagFile(path, bag, layoutTag, WindowLayoutVersion);
}

// Places a window whose entry has no state: on from another application window, else centred.
static void placeWithoutState(GAppWindow* window) {
    GParentWindow* other = otherAppWindow(window);
    if (!other) {
        placeOnMonitor(window, PlaceCentreOnOwner, PlaceCentreOnOwner);
        return;
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(other->hwnd, &placement);
    placement.showCmd = IsWindowVisible(window->hwnd) ? SW_SHOWNORMAL : SW_HIDE;
    SetWindowPlacement(window->hwnd, &placement);
    cascadeFrom(window);
}

u32 loadWindowLayout(const char* path, WindowFactory factory) {
    GBag bag;
    u32 made = 0;
    if (loadBagFile(path, bag, layoutTag, WindowLayoutVersion)) {
        // A damaged store ends the reading; the windows made so far stay.
        bool damaged = false;
        while (!damaged && bag.pos < bag.size) {
            u32 typeId;
            GBag state;
            try {
                bagReadU32(bag, &typeId);
                bagReadBlock(bag, state);
            } catch (const GBagException&) {
                break;
            }
            GAppWindow* window = factory((i32)typeId);
            if (!window) continue;
            ++made;
            try {
                window->restorePlacement(state, true);
            } catch (const GBagException&) {
                damaged = true;
            } catch (const GException&) {
                damaged = true;
            }
            if (state.size == 0) placeWithoutState(window);
            window->show(window->placementShow);
        }
    }
    if (made == 0) factory(-1);
    return made;
}
