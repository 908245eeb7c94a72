#include "gui/kernel/dialog.h"

#include "core/exceptions.h"
#include "gui/input/input_event.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/ui_thread.h"
#include "gui/layout/layout_cell.h"

i32 GDialog::handleKey(GInputEvent* e) {
    if (e->isKeyDown(VK_ESCAPE) || e->isKeyDown(VK_F4, ModCtrl)) {
        GStateQuery query{2, 0};
        routeCommandUp(this, QueryExecute, &query);
        return 2;
    }
    return GParentWindow::handleKey(e);
}

bool GDialog::validate(GFieldBinding* object) {
    try {
        object->check();
    } catch (const GVerifyException& e) {
        showMessageBox(&mbError, this, e.text.c_str());
        // The failing field takes the focus, to be mended.
        GItemBase* field = static_cast<GItemBase*>(e.field);
        if (GChildWindow* window = field ? field->asChildWindow() : nullptr)
            if (window->hwnd && !window->destroyed()) window->setFocusSafe();
        return false;
    }
    object->commit();
    return true;
}

bool GDialog::checkOnly(GFieldBinding* object) {
    try {
        object->check();
    } catch (const GVerifyException&) {
        return false;
    }
    return true;
}

namespace {
bool isStandardCommand(u32 command) { return command >= 1 && command <= 99 && command != 9; }
}  // namespace

i32 GDialog::commandState(u32 command) {
    return isStandardCommand(command) ? CommandEnabled : GParentWindow::commandState(command);
}

bool GDialog::onCommand(u32 command, GStateQuery* query) {
    if (!isStandardCommand(command)) return GParentWindow::onCommand(command, query);
    endDialog((i32)command);
    return true;
}

bool GDialog::endDialog(i32 code) {
    // The accepting codes first check and commit the fields; a refusal keeps the dialog open.
    if ((code == 1 || code == 4 || code == 5) && !validate(&fields)) return false;
    if (code == 2 && keepOnCancel && checkOnly(&fields)) fields.commit();
    result = code;
    if (!modalDone) {
        if (hwnd) PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return true;
    }
    *modalDone = true;
    modalDone = nullptr;
    PostThreadMessageA(uiThreadId(), 0, 0, 0);
    return true;
}
