#pragma once
// The toolkit's two fonts, made once from the system's non-client metrics and kept for the process.
#include <windows.h>

struct FontHolder {
    HFONT font = nullptr;
    bool owned = false;
};

// The default interface font (the message font of the non-client metrics).
FontHolder* getMessageFont();
// The menu font.
FontHolder* getMenuFont();
