#include "gui/kernel/toolkit_steps.h"

#include <windows.h>

#include <commctrl.h>

#include "gui/controls/notes.h"
#include "gui/kernel/application.h"
#include "gui/kernel/error_queue.h"
#include "gui/kernel/window_class.h"
#include "gui/menus/key_bindings.h"
#include "gui/paint/colors.h"
#include "gui/paint/system_metrics.h"

bool CommonControlsStep::start(ErrorHandler* handler, bool) {
    INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
    if (!InitCommonControlsEx(&init)) {
        reportMessage(handler, "Cannot init common controls library.", 0);
        return false;
    }
    // The default colours and the metrics, from the system's.
    initToolkitColors();
    initSystemMetrics();
    createPendingBoxList();
    return true;
}

void CommonControlsStep::stop() { deletePendingBoxList(); }

bool AppIconsStep::start(ErrorHandler*, bool) {
    HINSTANCE instance = programInstance ? programInstance : GetModuleHandleA(nullptr);
    HICON large = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(largeId), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                     GetSystemMetrics(SM_CYICON), 0);
    HICON small = (HICON)LoadImageA(instance, MAKEINTRESOURCEA(smallId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                     GetSystemMetrics(SM_CYSMICON), 0);
    setApplicationIcons(large, small);
    return true;
}

bool NoteNamesStep::start(ErrorHandler*, bool) {
    fillNumberNames();
    return true;
}

bool KeyBindingsStep::start(ErrorHandler*, bool reset) { return loadKeyBindings(reset); }

void KeyBindingsStep::stop() { saveKeyBindings(); }
