// Program entry.
#include <windows.h>

#include <cstring>

#include "app/text_modules.h"
#include "core/error.h"
#include "core/exceptions.h"
#include "core/guard.h"
#include "core/localizer.h"
#include "core/parse.h"
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

// The language asked for with "-lang", or null.
const char* languageOption(const ArgumentList& arguments) {
    for (u32 i = 0; i + 1 < arguments.count; ++i)
        if (strcmp(arguments.arguments[i], "-lang") == 0) return arguments.arguments[i + 1];
    return nullptr;
}

// Interface texts from the language files; on failure the English texts stay.
void loadInterfaceTexts(const char* commandLine) {
    ArgumentList arguments;
    splitCommandLine(arguments, commandLine);
    static WindowErrorHandler handler;
    static Localizer localizer(programTextModules, programTextModuleCount, languageOption(arguments), &handler);
    try {
        localizer.loadLanguages();
    } catch (const GException&) {
    }
}

int run(HINSTANCE instance, const char* commandLine, int show) {
    setProductName("Ravo");
    setVersionText(readProductVersion().c_str());
    loadInterfaceTexts(commandLine);
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    try {
        return run(instance, commandLine, show);
    } catch (...) {
        MessageBoxA(nullptr, "Unhandled Exception", "Error", MB_ICONERROR | MB_OK);
        return -1;
    }
}
