#include "gui/kernel/window_class.h"

#include "core/wide_text.h"
#include "gui/kernel/window_procedure.h"

u32 ansiMode = AnsiCreation;
WindowClassRecord userClass;
WindowClassRecord parentClass;

void applyAnsiOneShot() {
    if (ansiMode & AnsiOneShot) ansiMode = (ansiMode ^ AnsiCreation) & ~AnsiOneShot;
}

static const void* creationName(const WindowClassRecord& record) {
    if (ansiMode & AnsiCreation) return record.ansiName.c_str();
    return record.wideName.c_str();
}

namespace {
// Registers the ANSI form under name + "_ANSI" and the wide form under name, both with the
// procedure and the program instance, and fills the record; false (nothing registered) on failure.
bool registerBoth(WindowClassRecord& record, const char* name, WNDCLASSEXA a, WNDCLASSEXW w, WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    GString ansi(name);
    stringAppend(ansi, "_ANSI");
    WideString wide = toWide(name);
    WNDPROC previousA = a.lpfnWndProc, previousW = w.lpfnWndProc;
    a.cbSize = sizeof a;
    a.lpfnWndProc = procedure;
    a.hInstance = instance;
    a.lpszClassName = ansi.c_str();
    w.cbSize = sizeof w;
    w.lpfnWndProc = procedure;
    w.hInstance = instance;
    w.lpszClassName = wide.c_str();
    if (!RegisterClassExA(&a)) return false;
    if (!RegisterClassExW(&w)) {
        UnregisterClassA(ansi.c_str(), instance);
        return false;
    }
    stringAssignText(record.ansiName, ansi.c_str());
    record.wideName = std::move(wide);
    record.previousProcA = previousA;
    record.previousProcW = previousW;
    record.registeredProc = procedure;
    return true;
}
}  // namespace

const void* registerWindowClass(WindowClassRecord& record, const char* name, WNDPROC procedure) {
    if (!record.registeredProc) {
        HCURSOR arrow = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        WNDCLASSEXA a = {};
        a.style = CS_OWNDC | CS_DBLCLKS;
        a.lpfnWndProc = DefWindowProcA;
        a.hCursor = arrow;
        a.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        WNDCLASSEXW w = {};
        w.style = a.style;
        w.lpfnWndProc = DefWindowProcW;
        w.hCursor = arrow;
        w.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        if (!registerBoth(record, name, a, w, procedure)) return nullptr;
    }
    return creationName(record);
}

const void* registerSuperclass(WindowClassRecord& record, const char* name, const char* systemClass) {
    if (!record.registeredProc) {
        WNDCLASSEXA a = {};
        a.cbSize = sizeof a;
        WNDCLASSEXW w = {};
        w.cbSize = sizeof w;
        WideString wideSystem = toWide(systemClass);
        if (!GetClassInfoExA(nullptr, systemClass, &a) || !GetClassInfoExW(nullptr, wideSystem.c_str(), &w))
            return nullptr;
        if (!registerBoth(record, name, a, w, childWindowProc)) return nullptr;
    }
    return creationName(record);
}

const void* registerUserClass() { return registerWindowClass(userClass, "korvalen_user", childWindowProc); }
const void* registerParentClass() { return registerWindowClass(parentClass, "korvalen_parent", parentWindowProc); }

namespace {
// A hidden pop-up of one registration of the class, to reach its class words.
HWND temporaryWindow(const WindowClassRecord& record, bool ansi) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (ansi)
        return CreateWindowExA(0, record.ansiName.c_str(), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    return CreateWindowExW(0, record.wideName.c_str(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
}
}  // namespace

void setClassBackground(WindowClassRecord& record, u32 colour) {
    if (!record.registeredProc) return;
    for (bool ansi : {true, false}) {
        HWND window = temporaryWindow(record, ansi);
        if (!window) continue;
        LONG_PTR old = SetClassLongPtrA(window, GCLP_HBRBACKGROUND, (LONG_PTR)CreateSolidBrush(colour));
        // System colour brushes (a colour index + 1) are not objects of ours.
        if ((ULONG_PTR)old > COLOR_MENUBAR + 1) DeleteObject((HGDIOBJ)old);
        DestroyWindow(window);
    }
}

void setApplicationIcons(HICON large, HICON small) {
    if (!registerParentClass()) return;
    for (bool ansi : {true, false}) {
        HWND window = temporaryWindow(parentClass, ansi);
        if (!window) continue;
        SetClassLongPtrA(window, GCLP_HICON, (LONG_PTR)large);
        SetClassLongPtrA(window, GCLP_HICONSM, (LONG_PTR)small);
        DestroyWindow(window);
    }
}
