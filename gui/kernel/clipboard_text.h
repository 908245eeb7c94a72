#pragma once
// Plain text on the system clipboard.
#include <windows.h>

// The clipboard calls, replaceable to test failures.
struct ClipboardCalls {
    HANDLE(WINAPI* setData)(UINT format, HANDLE block);
};
extern ClipboardCalls clipboardCalls;

// Puts the text on the clipboard as CF_TEXT; an empty or null text empties it. False when the
// clipboard could not be opened or the text not stored (the block is freed then).
bool copyTextToClipboard(const char* text);
