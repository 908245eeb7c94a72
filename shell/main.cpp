// Program entry.
#include <windows.h>

#include <cstring>

#include "app/child_windows.h"
#include "app/program_actions.h"
#include "app/text_modules.h"
#include "app/window_kinds.h"
#include "core/error.h"
#include "core/exceptions.h"
#include "core/localizer.h"
#include "core/parse.h"
#include "core/paths.h"
#include "gui/dialogs/path_history.h"
#include "gui/kernel/application.h"
#include "gui/kernel/toolkit_steps.h"
#include "gui/kernel/window_class.h"
#include "gui/views/box.h"
#include "shell/main_window.h"
#include "tools/analyzer_document.h"
#include "tools/file_structure.h"

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

// Opens the main window once the steps have started.
class MainWindowStep : public GInitStep {
public:
    void afterAllStarted() override {
        GString title("Ravo ");
        stringAppend(title, versionText().c_str());
        MainWindow* window = new MainWindow;
        if (!window->create(title.c_str(), application()->showCommand)) {
            delete window;
            PostQuitMessage(0);
        }
    }
};
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    ansiMode = 0;
    // The static action and kind records register themselves; these calls keep their files linked.
    (void)programActionCount();
    (void)programWindowKind(KindDefault);
    installProgramPageFactory();
    registerPageMaker(KindAnalyzer, makeAnalyzerPage);
    installAnalyzerBlockClasses();
    setProductName("Ravo");
    setVersionText(readProductVersion().c_str());
    loadInterfaceTexts(commandLine);
    installBoxList();
    static CommonControlsStep commonControls;
    static AppIconsStep icons;
    static NoteNamesStep noteNames;
    static KeyBindingsStep keyBindings;
    static PathHistoryStep fileDialogHistory("$d\\ravo_gf.ini", false);
    static PathHistoryStep folderLists("$d\\ravo_qs.ini", true);
    static MainWindowStep mainWindow;
    initSteps[0] = &commonControls;
    initSteps[1] = &icons;
    initSteps[2] = &noteNames;
    initSteps[14] = &keyBindings;
    initSteps[15] = &fileDialogHistory;
    initSteps[16] = &folderLists;
    initSteps[43] = &mainWindow;
    return startApplication(instance, commandLine, show);
}
