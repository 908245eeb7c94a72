// Program entry.
#include <windows.h>

#include "app/action_pictures.h"
#include "app/child_windows.h"
#include "app/keyboard_voice.h"
#include "app/program_actions.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "core/format.h"
#include "core/paths.h"
#include "gui/kernel/application.h"
#include "gui/kernel/window_class.h"
#include "gui/menus/action_table.h"
#include "gui/views/box.h"
#include "shell/analyzer_page.h"
#include "shell/converter_page.h"
#include "shell/editor_page.h"
#include "shell/device_pages.h"
#include "shell/hand_over.h"
#include "shell/harmonic_page_maker.h"
#include "shell/step_table.h"
#include "shell/welcome_page.h"

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

const i32 kCustomizeTabImage = 3188;

// What stands before the steps and goes after them: the rich-edit library, the find message. Taken
// after the hand-over, so that a second start that only hands its files over stays quick.
struct ProgramStatics {
    void load() {
        richEdit = LoadLibraryA("RICHED20.DLL");
        RegisterWindowMessageA("commdlg_FindReplace");
    }
    ~ProgramStatics() {
        clearStepTable();
        releaseInstanceLock();
        if (richEdit) FreeLibrary(richEdit);
    }
    HMODULE richEdit = nullptr;
};
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    static ProgramStatics statics;
    // The static action and kind records register themselves; these calls keep their files linked.
    (void)programActionCount();
    (void)programWindowKind(KindDefault);
    assignActionPictures();
    installProgramPageFactory();
    registerWelcomePage();
    registerAnalyzerPage();
    registerConverterPage();
    registerEditorPage();
    registerDevicePages();
    registerSpectrumPage();
    installBoxList();
    installKeyboardVoice();

    setProductName("Ravo");
    setVersionText(readProductVersion().c_str());
    programInstance = instance;
    i32 mode = parseCommandLine(commandLine);
    if (mode == 0) return 0;
    if (mode == 2) {
        HandOver handOver = handOverToRunningInstance(commandLine);
        if (handOver == HandOver::NoDataFolder) {
            // Even a first start cannot run without it: said, and ended as a failed start.
            GString text;
            GString folder = dataFolder();
            stringAppendFormat(text, ravoText(RavoText::DataFolderMissing), folder.c_str());
            MessageBoxErrorHandler(2).report(text.c_str(), 0);
            return -1;
        }
        if (handOver == HandOver::Passed) return 0;
    }
    statics.load();
    fillStepTable(mode);
    ansiMode = 0;
    if (mode == 2) {
        // Each kind's open dialog and folder list share the folder last used for that kind.
        registerFileCategories();
        if (GActionItem* customize = actionById(127)) customize->bitmapId = kCustomizeTabImage;
    }
    return startApplication(instance, commandLine, show);
}
