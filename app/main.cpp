// Program entry.
#include <windows.h>

#include "core/guard.h"
#include "core/paths.h"

namespace {
// The product version from the executable's version block.
GString readProductVersion() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path, &ignored);
    GString version;
    if (!size) return version;
    char* block = new char[size];
    void* value = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(path, 0, size, block) &&
        VerQueryValueA(block, "\\StringFileInfo\\040904E4\\ProductVersion", &value, &length) && length)
        stringAssignText(version, static_cast<const char*>(value));
    delete[] block;
    return version;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return callGuarded(nullptr, (LRESULT)0, [&]() -> LRESULT {
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    });
}

int run(HINSTANCE instance, int show) {
    setProductName("Ravo");
    setVersionText(readProductVersion().c_str());
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "korvalen_parent";
    RegisterClassA(&windowClass);
    GString title("Ravo ");
    stringAppend(title, versionText().c_str());
    HWND window = CreateWindowA("korvalen_parent", title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                800, 600, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    try {
        return run(instance, show);
    } catch (...) {
        MessageBoxA(nullptr, "Unhandled Exception", "Error", MB_ICONERROR | MB_OK);
        return -1;
    }
}
