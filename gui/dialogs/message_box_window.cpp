#include "gui/dialogs/message_box_window.h"

#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/image_label.h"
#include "gui/controls/label.h"
#include "gui/controls/multi_label.h"
#include "gui/input/input_event.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/region_box.h"
#include "gui/paint/fonts.h"

namespace {
const char* textOr(const char** slot, const char* english) { return slot && *slot && **slot ? *slot : english; }

// Counts a command raised by the box itself while it passes.
struct SelfCommand {
    explicit SelfCommand(u32& depth) : depth(depth) { ++depth; }
    ~SelfCommand() { --depth; }
    u32& depth;
};
}  // namespace

GString withFullStop(const char* message) {
    GString text(message ? message : "");
    stringEndSentence(text);
    return text;
}

bool GMessageBox::build(const char* text, MessageBoxExtraAction* extra, const MessageBoxDescription* d) {
    extraAction = extra;
    description = d;
    message = GString(text ? text : "");
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, textOr(d->titleText, d->title))) return false;
    icon.icon = LoadIconA(nullptr, MAKEINTRESOURCEA(d->icon));
    if (icon.width < 0) icon.measure();

    GColumnsItem* column = new GColumnsItem(this);
    setLayoutDigits(column, "00000");
    setContent(column);
    GLayoutBuilder builder(this);
    builder.current = column;
    if (extra) {
        GRowItem::create(builder, "00000");
        setAlignmentCode(builder.current, "<^");
        GButton::create(builder, "<<", ButtonCompact, 1000);
        GLabel::create(builder, extra->caption ? extra->caption : "", LabelBump);
        builder.endContainer();
    }
    GRegionBox* region = new GRegionBox(this);
    builder.pushContainer(region, "88088088", nullptr);
    region->added = GRegionBox::Left;
    iconLabel = new GImageLabel(this);
    iconLabel->image = icon.icon ? &icon : nullptr;
    iconLabel->GUserWindow::create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    builder.add(iconLabel, "<-");
    label = GMultiLabel::create(builder, withFullStop(text).c_str(), 30, 10, 0xA440, "U-");
    builder.endContainer();

    GColumnsItem::create(builder, "00000", "UC");
    buttonRow = new GButtonRow(this);
    buttonRow->digits[1] = 8;
    builder.add(buttonRow, "|v");
    GLayoutBuilder inner(this);
    inner.current = buttonRow;
    HFONT font = getMessageFont()->font;
    for (u32 i = 0; i < d->count; ++i) {
        const MessageBoxButton& b = d->buttons[i];
        GButton* button = GButton::create(inner, textOr(b.text, b.caption), b.id == d->defaultButton ? (u32)ButtonDefault : 0u, b.id);
        if (font) button->setFont(font, false);
        lastButton = button;
        if (b.id == 2 || b.id == 7) cancelButton = button;
        if (b.id == 2) cancelsItself = true;
        ++buttonCount;
    }
    builder.endContainer();
    fitToContent();
    return true;
}

void GMessageBox::showNextCaption() {
    if (!lastButton || !hwnd) return;
    lastButton->setText(guiText(GuiText::BoxNextMessage));
    InvalidateRect(lastButton->hwnd, nullptr, TRUE);
    fitToContent();
    placeOnMonitor(this, PlaceKeep, PlaceKeepCentre);
}

i32 GMessageBox::commandState(u32 command) {
    if (command == 1000) return extraAction ? CommandEnabled : CommandUnknown;
    return GDialog::commandState(command);
}

bool GMessageBox::onCommand(u32 command, GStateQuery* query) {
    if (fromSelf && onlyButtonsEnd()) return true;
    if (command == 1000) {
        if (!extraAction || !extraAction->action) return false;
        i32 id = extraAction->action(this, extraAction);
        if (id < 0) return true;
        command = (u32)id;
    }
    return GDialog::onCommand(command, query);
}

i32 GMessageBox::handleKey(GInputEvent* e) {
    if (e->isKeyDown(VK_ESCAPE) || e->isKeyDown(VK_F4, ModCtrl)) {
        SelfCommand self(fromSelf);
        return GDialog::handleKey(e);
    }
    return GDialog::handleKey(e);
}

bool GMessageBox::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    bool own = message == WM_CLOSE || message == WM_SYSCOMMAND || (message == WM_COMMAND && !lParam);
    if (!own) return GDialog::handleMessage(message, wParam, lParam, result);
    SelfCommand self(fromSelf);
    return GDialog::handleMessage(message, wParam, lParam, result);
}
