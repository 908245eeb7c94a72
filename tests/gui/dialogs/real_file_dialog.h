#pragma once
// The real system file dialogs under test: a hook on this thread waits for the dialog to be up,
// types the name into its name field and presses OK or Cancel.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <string>

#include "tests/gui/gui_fixture.h"

struct Ender {
    std::wstring name;  // typed into the name field
    bool ok = true;
    HWND seen = nullptr;
    bool typeHidden = false;
    int clickId = 0;  // a control clicked before the button, found at any depth
    std::wstring clickedText;
};
inline Ender* g_ender = nullptr;
inline HHOOK g_hook = nullptr;

// The dialog's initialisation posts a marker; its arrival (the dialog is up) fills the name and
// presses the button.
inline LRESULT CALLBACK watchInit(int code, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* call = (const CWPRETSTRUCT*)lParam;
    if (code >= 0 && g_ender && !g_ender->seen && call->message == WM_INITDIALOG) {
        HWND dialog = GetAncestor(call->hwnd, GA_ROOT);
        char cls[32] = {};
        GetClassNameA(dialog, cls, sizeof cls);
        if (!strcmp(cls, "#32770")) {
            g_ender->seen = dialog;
            PostMessageW(dialog, WM_APP + 77, 0, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

inline BOOL CALLBACK clickControl(HWND control, LPARAM) {
    if (GetDlgCtrlID(control) != g_ender->clickId) return TRUE;
    wchar_t text[128] = {};
    GetWindowTextW(control, text, 128);
    g_ender->clickedText = text;
    SendMessageW(control, BM_CLICK, 0, 0);
    return FALSE;
}

inline LRESULT CALLBACK endDialog(int code, WPARAM wParam, LPARAM lParam) {
    MSG* msg = (MSG*)lParam;
    if (code >= 0 && wParam == PM_REMOVE && g_ender && msg->message == WM_APP + 77 && msg->hwnd == g_ender->seen) {
        HWND dialog = msg->hwnd;
        HWND combo = GetDlgItem(dialog, cmb1);
        g_ender->typeHidden = combo && !IsWindowVisible(combo);
        // Wine's name field is the combo box cmb13; older templates have the edit line edt1.
        if (!g_ender->name.empty()) {
            SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, (LPARAM)g_ender->name.c_str());
            SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, (LPARAM)g_ender->name.c_str());
        }
        if (g_ender->clickId) EnumChildWindows(dialog, clickControl, 0);
        PostMessageW(dialog, WM_COMMAND, g_ender->ok ? IDOK : IDCANCEL, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct RealDialog {
    TestApplication app;
    Ender ender;
    HHOOK init;
    RealDialog() {
        g_ender = &ender;
        init = SetWindowsHookExW(WH_CALLWNDPROCRET, watchInit, nullptr, GetCurrentThreadId());
        g_hook = SetWindowsHookExW(WH_GETMESSAGE, endDialog, nullptr, GetCurrentThreadId());
    }
    ~RealDialog() {
        UnhookWindowsHookEx(init);
        UnhookWindowsHookEx(g_hook);
        g_ender = nullptr;
    }
};
