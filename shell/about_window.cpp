#include "shell/about_window.h"

#include <shellapi.h>

#include "app/program_texts.h"
#include "core/format.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/multi_label.h"
#include "gui/frame/help.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "shell/welcome_link.h"

namespace {
void shellOpenWebPage(GWindow* owner) {
    ShellExecuteA(owner ? owner->hwnd : nullptr, "open", "https://ravo.example.org/", nullptr, nullptr, SW_SHOWNORMAL);
}
}  // namespace

void (*openWebPage)(GWindow* owner) = shellOpenWebPage;

bool AboutWin::build() {
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, ravoText(RavoText::About))) return false;
    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "88888");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    WelcomeLink::create(builder, ProductImage, "|^");
    GString version = versionText();
    GString text;
    stringAppendFormat(text, ravoText(RavoText::AboutText), version.c_str());
    GMultiLabel::create(builder, text.c_str(), 40, 3, 0, "U^|^");
    GRowItem* row = GRowItem::create(builder, "08");
    setAlignmentCode(row, "U^");
    // Laid out right to left: Close at the right edge.
    GButton::create(builder, ravoText(RavoText::License), 0, AboutLicense, ">C");
    GButton::create(builder, ravoText(RavoText::Web), 0, 302, ">C");
    GButton::create(builder, ravoText(RavoText::AboutClose), ButtonDefault, 2, ">C");
    builder.endContainer();
    fitToContent();
    return true;
}

i32 AboutWin::run(GWindow* owner) {
    AboutWin dialog(owner);
    if (!dialog.build()) return -1;
    RECT empty{};
    return showModal(&dialog, &empty, PlaceCentreOnOwner);
}

i32 AboutWin::commandState(u32 command) {
    if (command == 302 || command == AboutLicense || command < 100 || command > 999) {
        // Outside the actions the dialog's own answers stand (2 closes it).
        i32 own = GDialog::commandState(command);
        return own == CommandUnknown ? CommandEnabled : own;
    }
    if (command == 101) return helpWord ? CommandEnabled : CommandDisabled;
    return CommandUnknown;
}

bool AboutWin::onCommand(u32 command, GStateQuery* query) {
    if (command == 302) {
        openWebPage(this);
        return true;
    }
    if (command == AboutLicense) {
        openHelp("license.htm", this);
        return true;
    }
    return GDialog::onCommand(command, query);
}
