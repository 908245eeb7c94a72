#include "editor/editor_options.h"

#include "app/options_dialog.h"
#include "app/program_texts.h"
#include "gui/kernel/message_box.h"

namespace {

i32 pageOf(u32 section) {
    switch (section) {
    case EditorOptionsWarnings: return OptionsConverterPage;
    default: return OptionsUndoPage;
    }
}

struct OptionsButton : MessageBoxExtraAction {
    GWindow* owner = nullptr;
    u32 section = 0;
};

// The options open over the box's owner; the box stays open.
i32 openOptions(GMessageBox*, MessageBoxExtraAction* extra) {
    auto* button = static_cast<OptionsButton*>(extra);
    runEditorOptions(button->owner, button->section);
    return -1;
}

i32 showWithOptions(const MessageBoxDescription* box, GWindow* owner, const char* text, u32 section) {
    OptionsButton button;
    button.subject = text;
    button.caption = ravoText(RavoText::EditorOptionsButton);
    button.action = openOptions;
    button.owner = owner;
    button.section = section;
    return showMessageBox(box, owner, text, &button);
}

}  // namespace

i32 runEditorOptions(GWindow* owner, u32 section) { return runOptionsDialog(owner, pageOf(section)); }

bool confirmEditorStep(GWindow* owner, u8 warningSwitch, const char* text) {
    if (!warningSwitch) return true;
    return showWithOptions(&mbQuestion, owner, text, EditorOptionsWarnings) == 6;
}

void showEditorNotice(GWindow* owner, const char* text, u32 section) {
    showWithOptions(&mbInformation, owner, text, section);
}
