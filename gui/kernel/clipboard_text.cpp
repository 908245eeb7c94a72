#include "gui/kernel/clipboard_text.h"

#include <cstring>

#include "gui/kernel/parent_window.h"
#include "gui/kernel/window_procedure.h"

ClipboardCalls clipboardCalls = {SetClipboardData};

namespace {
// The hidden window that owns the clipboard for one copy.
class ClipboardOwner : public GParentWindow {
public:
    ClipboardOwner() { createTopLevelWindow(this, WS_POPUP, 0, ""); }
};
}  // namespace

bool copyTextToClipboard(const char* text) {
    ClipboardOwner* owner = new ClipboardOwner;
    HWND hwnd = owner->hwnd;
    bool stored = false;
    if (hwnd && OpenClipboard(hwnd)) {
        EmptyClipboard();
        size_t length = text ? strlen(text) : 0;
        if (length == 0) {
            stored = true;
        } else if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1)) {
            if (char* bytes = static_cast<char*>(GlobalLock(block))) {
                memcpy(bytes, text, length + 1);
                GlobalUnlock(block);
                stored = clipboardCalls.setData(CF_TEXT, block) != nullptr;
            }
            if (!stored) GlobalFree(block);
        }
        CloseClipboard();
    }
    if (hwnd)
        DestroyWindow(hwnd);  // deletes the object
    else
        delete owner;
    return stored;
}
