#include "gui/window_listener.h"

#include "gui/window.h"

void beginMouseTracking(GWindowListener* listener, GWindow* window) {
    listener->watched = window;
    attachWatcher(window->item(), listener, true);
}
