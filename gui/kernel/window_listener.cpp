#include "gui/kernel/window_listener.h"

#include "gui/kernel/window.h"

void beginMouseTracking(GWindowListener* listener, GWindow* window) {
    listener->watched = window;
    attachWatcher(window->item(), listener, true);
}
