#include "gui/dialogs/choose_color.h"

#include <commdlg.h>

#include "core/task_queue.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/ui_thread.h"
#include "gui/kernel/window.h"

namespace {
COLORREF g_custom[16];
ChooseColorFunction g_choose = nullptr;

class ChooseColorRequest : public CrossThreadRequest {
public:
    ChooseColorRequest(GWindow* owner, COLORREF* result, COLORREF initial)
        : owner(owner), result(result), initial(initial) {}
    void run() override { chooseColor(owner, result, initial); }
    GWindow* owner;
    COLORREF* result;
    COLORREF initial;
};
}  // namespace

COLORREF* customColors() { return g_custom; }

void setChooseColorFunction(ChooseColorFunction function) { g_choose = function; }

void chooseColor(GWindow* owner, COLORREF* result, COLORREF initial) {
    *result = initial;
    if (!isUiThread()) {
        callAndWait(new ChooseColorRequest(owner, result, initial));
        return;
    }
    CHOOSECOLORA record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner ? owner->hwnd : nullptr;
    record.rgbResult = initial;
    record.lpCustColors = g_custom;
    record.Flags = CC_RGBINIT | CC_FULLOPEN;
    BOOL chosen;
    {
        ModalScope scope(owner, nullptr);
        chosen = (g_choose ? g_choose : ChooseColorA)(&record);
    }
    if (chosen) *result = record.rgbResult;
}
