#pragma once
// GHostWindow: a plain drawn child window that holds the windows of an item which is no window
// itself (a line or a column placed by its creator). The item watches it, so the commands and
// context menus of its windows reach the item. It deletes itself when its native window ends:
// with its owner, or through release().
#include "gui/user_window.h"

class GHostWindow : public GUserWindow {
public:
    // A visible child of the owner whose messages the watcher sees.
    static GHostWindow* make(GWindow* owner, GItemBase* watcher);
    // Stops the watching and destroys the window, unless it already ended.
    static void release(GHostWindow* host, GItemBase* watcher);

    void paint(HDC dc, const RECT& update, bool erase) override;
    void place(const RECT& rect);

private:
    using GUserWindow::GUserWindow;
};

// A child window's visibility as the layout sees it, and changing it without activation.
bool isShown(HWND window);
void showChild(HWND window, bool on);
