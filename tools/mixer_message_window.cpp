#include "tools/mixer_message_window.h"

#include "mm/mixer.h"

MixerMessageWindow::~MixerMessageWindow() {
    destroyNative();
    closeAll();
}

MixerMessageWindow* MixerMessageWindow::create(GWindow* owner) {
    MixerMessageWindow* window = new MixerMessageWindow(owner);
    if (!window->GUserWindow::create(WS_CHILD)) {
        delete window;
        return nullptr;
    }
    addTimer(&window->timer, tickMs, window, nullptr);
    return window;
}

void MixerMessageWindow::add(uintptr_t handle, MixerChangeListener* listener) {
    if (handle) entries.push_back({handle, listener, false});
}

void MixerMessageWindow::remove(uintptr_t handle) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].handle == handle) {
            entries.erase(entries.begin() + i);
            closeMixerHandle(handle);
            return;
        }
}

bool MixerMessageWindow::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message != mixerLineChangeMessage && message != mixerControlChangeMessage)
        return GUserWindow::handleMessage(message, wParam, lParam, result);
    *result = 0;
    if (busy) return true;
    for (Entry& e : entries)
        if (e.handle == wParam) {
            e.pending = true;
            pending = true;
        }
    return true;
}

void MixerMessageWindow::onTimer(TimerRecord*) {
    if (!pending || busy) return;
    pending = false;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].pending) continue;
        entries[i].pending = false;
        // The others wait for the next tick.
        for (size_t j = i + 1; j < entries.size(); ++j) pending = pending || entries[j].pending;
        LifeGuard life(lifeRecord());
        busy = true;
        entries[i].listener->onMixerChanged();
        if (life.alive()) busy = false;
        return;
    }
}

void MixerMessageWindow::onDestroy() {
    removeTimer(&timer);
    closeAll();
    GUserWindow::onDestroy();
}

void MixerMessageWindow::closeAll() {
    removeTimer(&timer);
    std::vector<Entry> open;
    open.swap(entries);
    for (const Entry& e : open) closeMixerHandle(e.handle);
}
