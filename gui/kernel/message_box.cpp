#include "gui/kernel/message_box.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "core/error.h"
#include "core/task_queue.h"
#include "gui/dialogs/message_box_window.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/error_queue.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/ui_thread.h"
#include "gui/kernel/window_placement.h"

static const MessageBoxButton okButton[] = {{"OK", 1, &kxguiTexts[(u32)GuiText::ButtonOk]}};
static const MessageBoxButton okCancelButtons[] = {{"OK", 1, &kxguiTexts[(u32)GuiText::ButtonOk]},
                                                   {"Cancel", 2, &kxguiTexts[(u32)GuiText::ButtonCancel]}};
static const MessageBoxButton yesNoButtons[] = {{"Yes", 6, &kxguiTexts[(u32)GuiText::ButtonYes]},
                                                {"No", 7, &kxguiTexts[(u32)GuiText::ButtonNo]}};

const MessageBoxDescription mbError = {32513, "Error", okButton, 1, 1, &kxguiTexts[(u32)GuiText::BoxErrorTitle]};
const MessageBoxDescription mbInformation = {32516, "Information", okButton, 1, 1,
                                             &kxguiTexts[(u32)GuiText::BoxInformationTitle]};
const MessageBoxDescription mbWarning = {32515, "Warning", okCancelButtons, 2, 2,
                                         &kxguiTexts[(u32)GuiText::BoxWarningTitle]};
const MessageBoxDescription mbQuestion = {32514, "Question", yesNoButtons, 2, 6,
                                          &kxguiTexts[(u32)GuiText::BoxQuestionTitle]};

static std::atomic<MessageBoxSink> g_sink{nullptr};
static std::atomic<MessageBoxRunner> g_runner{nullptr};

void setMessageBoxSink(MessageBoxSink sink) { g_sink = sink; }
void setMessageBoxRunner(MessageBoxRunner runner) { g_runner = runner; }

i32 runMessageBoxModal(GMessageBox* box, i32 placement) {
    RECT empty{};
    return showModal(box, &empty, placement);
}

i32 runMessageBox(GMessageBox* box, i32 placement) {
    MessageBoxRunner runner = g_runner.load();
    return runner ? runner(box, placement) : runMessageBoxModal(box, placement);
}

GWindow* prepareBoxOwner(GWindow* owner) {
    GWindow* top = owner ? topLevelOf(owner) : nullptr;
    if (!top || !top->hwnd || !IsWindow(top->hwnd)) return nullptr;
    SetWindowPos(top->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    GChildWindow* child = owner->item()->asChildWindow();
    if (child && child->hwnd && IsWindowVisible(child->hwnd) && IsWindowEnabled(child->hwnd) &&
        (GetWindowLongA(child->hwnd, GWL_STYLE) & WS_TABSTOP)) {
        if (GParentWindow* parent = top->item()->asParentWindow()) parent->focusChild = child;
        SetFocus(child->hwnd);
    }
    return top;
}

namespace {
i32 runRequest(const MessageBoxDescription* d, GWindow* owner, const char* text, MessageBoxExtraAction* extra) {
    GWindow* parent = prepareBoxOwner(owner);
    std::unique_ptr<GMessageBox> box(new GMessageBox(parent));
    if (!box->build(text, extra, d)) return 0;
    return runMessageBox(box.get(), PlaceCentreOnOwnMonitor);
}

class MessageBoxRequest : public CrossThreadRequest {
public:
    MessageBoxRequest(GWindow* owner, const MessageBoxDescription* description, const char* message, i32* result,
                      MessageBoxExtraAction* extra)
        : owner(owner), description(description), message(message), result(result), extraAction(extra) {}
    void run() override { *result = runRequest(description, owner, message, extraAction); }
    GWindow* owner;
    const MessageBoxDescription* description;
    const char* message;
    i32* result;
    MessageBoxExtraAction* extraAction;
};

// Where no interface run exists to show a box in.
i32 platformBox(const MessageBoxDescription* d, const char* text) {
    UINT style = MB_TASKMODAL;
    switch (d->icon) {
    case 32513: style |= MB_ICONHAND | MB_OK; break;
    case 32515: style |= MB_ICONEXCLAMATION | MB_OKCANCEL | MB_DEFBUTTON2; break;
    case 32514: style |= MB_ICONQUESTION | MB_YESNO; break;
    default: style |= MB_ICONASTERISK | MB_OK; break;
    }
    return plainMessageBox(d->title, text, style);
}
}  // namespace

i32 showMessageBox(const MessageBoxDescription* d, GWindow* owner, const char* text, MessageBoxExtraAction* extra) {
    if (MessageBoxSink sink = g_sink.load()) return sink(d, owner, text);
    bool emptySubject = extra && (!extra->subject || !*extra->subject);
    if (emptySubject || !text || !*text) {
        for (u32 i = 0; i < d->count; ++i)
            if (d->buttons[i].id == 1 || d->buttons[i].id == 6) return (i32)d->buttons[i].id;
        if (!emptySubject) return 0;
    }
    if (d == &mbError) {
        queueMessageBoxRequest(owner, text);
        return 0;
    }
    if (isUiThread()) return runRequest(d, owner, text, extra);
    if (!uiTaskQueue()) return platformBox(d, text);
    i32 result = 0;
    callAndWait(new MessageBoxRequest(owner, d, text, &result, extra));
    return result;
}

void showMessageBoxNow(const char* message) {
    std::unique_ptr<GMessageBox> box(new GMessageBox(nullptr));
    if (box->build(message, nullptr, &mbError)) runMessageBox(box.get(), PlaceCentreOnOwner);
}

i32 showErrorF(GWindow* owner, const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return showMessageBox(&mbError, owner, buffer);
}
