#pragma once
// The system's open and save dialogs answered by a script: a non-empty choice is confirmed, an
// empty one cancels. Install with scriptedFileDialogs(), put fileDialogSystemDefaults back after.
#include <windows.h>

#include <cstring>
#include <string>

#include "gui/dialogs/file_dialog.h"

inline std::string& scriptedFileChoice() {
    static std::string choice;
    return choice;
}

inline BOOL WINAPI scriptedFileDialog(OPENFILENAMEW* w) {
    const std::string& chosen = scriptedFileChoice();
    if (chosen.empty()) return FALSE;
    std::wstring wide(chosen.begin(), chosen.end());
    memcpy(w->lpstrFile, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    w->nFileOffset = (WORD)(wide.rfind(L'\\') + 1);
    return TRUE;
}

inline DWORD WINAPI scriptedFileDialogError() { return 0; }

inline void scriptedFileDialogs() {
    fileDialogSystem = {scriptedFileDialog, scriptedFileDialog, scriptedFileDialogError};
}
