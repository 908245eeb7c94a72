#include "app/options_dialog.h"

#include "app/options_mixer.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"

OptionsDialog::OptionsDialog(GWindow* owner) : GDialog(owner, "options.htm") {}

OptionsDialog::~OptionsDialog() { delete mixerLine; }

bool OptionsDialog::onCommand(u32 command, GStateQuery* query) { return GDialog::onCommand(command, query); }

bool OptionsDialog::onControlNotify(void*) { return false; }

bool buildOptionsPage(OptionsDialog&) { return false; }

i32 runOptionsDialog(GWindow* owner) {
    OptionsDialog dialog(owner);
    if (!buildOptionsPage(dialog)) return -1;
    RECT empty{};
    return showModal(&dialog, &empty, PlaceCentreOnOwner);
}
