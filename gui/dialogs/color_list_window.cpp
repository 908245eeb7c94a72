#include "gui/dialogs/color_list_window.h"

#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/label.h"
#include "gui/dialogs/choose_color.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/group_box_item.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/command_range.h"
#include "gui/menus/menu.h"
#include "gui/menus/menu_tracking.h"
#include "gui/menus/pane_color_group.h"
#include "gui/menus/popup_menu.h"
#include "gui/paint/colors.h"
#include "gui/paint/draw_text.h"
#include "gui/paint/drawing.h"
#include "gui/paint/gui_settings.h"
#include "gui/paint/paint_composite.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"
#include "gui/views/cell_format.h"
#include "gui/views/table_model.h"

const COLORREF kGlassPresets[14] = {0x00A0A0A0, 0x001919A0, 0x005050A0, 0x001978A0, 0x0000A0A0,
                                    0x0019A078, 0x0000A000, 0x0064A019, 0x00A0A019, 0x00A0A064,
                                    0x00A07850, 0x00A06464, 0x00A064A0, 0x00A032A0};

namespace {
enum : u32 { GroupPopupBase = 1000, GroupDefaultsBase = 2000 };

// A face in the row's colour with the sample text, then the colour itself with the selection text.
class ColorSampleFormat : public GCellFormat {
public:
    bool draw(GSavedDC& dc, const char* , GDrawable*, const RECT* rect, u32 state, i32, GHotTracker*,
              const char*) override {
        const char* face = guiText(GuiText::ColorSampleFace);
        i32 split = rect->left + textExtentW(dc.dc(), face, -1).cx + 30;
        if (split > rect->right) split = rect->right;
        RECT left{rect->left, rect->top, split, rect->bottom};
        const COLORREF glass = toolkitColors.glass;
        toolkitColors.glass = colour;
        GTextElement text(face, "|-");
        paintComposite(dc, left, &text, (state & CellSelected) ? 0x15406044 : 0x14006044);
        toolkitColors.glass = glass;
        RECT right{split, rect->top, rect->right, rect->bottom};
        fillSolidRect(dc, right, colour);
        COLORREF old = SetTextColor(dc.dc(), toolkitColors.selectionText);
        GTextElement selection(guiText(GuiText::ColorSampleSelection), "|-");
        selection.paint(dc, right);
        SetTextColor(dc.dc(), old);
        return true;
    }
    i32 measure(GSavedDC& dc, const char*, GDrawable*) override {
        if (width < 0)
            width = textExtentW(dc.dc(), guiText(GuiText::ColorSampleFace), -1).cx + 30 +
                    textExtentW(dc.dc(), guiText(GuiText::ColorSampleSelection), -1).cx + 10;
        return width;
    }
    bool press(GHotTracker*, i32, i32, RECT*, u32*, bool) override { return false; }
    u32 inputBits() override { return CellPressSelects; }

    COLORREF colour = 0;
    i32 width = -1;
};
ColorSampleFormat g_sampleFormat;

// Row 0 "any colour", rows 1..14 the presets drawn as samples.
class GlassListModel : public GTableModel {
public:
    u64 rowCount() override { return 15; }
    i32 columnCount() override { return 1; }
    const char* cellText(GString&, u64 row, i32) override { return row == 0 ? guiText(GuiText::ColorChooseAny) : ""; }
    i32 cellValue(u64 row, i32) override { return row == 0 ? -1 : (i32)kGlassPresets[row - 1]; }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    GCellFormat* cellFormat(u64 row, i32 column) override {
        if (row == 0 || row > 14) return GTableModel::cellFormat(row, column);
        g_sampleFormat.colour = kGlassPresets[row - 1];
        return &g_sampleFormat;
    }
};

i32 glassRow(u32 glass) {
    for (i32 i = 0; i < 14; ++i)
        if (kGlassPresets[i] == glass) return i + 1;
    return 0;
}
}  // namespace

GColorListWindow::GColorListWindow(GLayoutBuilder& b) : GColumnsItem(b.owner) {
    GLayoutBuilder inner(b.owner);
    inner.current = this;

    GGroupBoxItem* appearance = new GGroupBoxItem(b.owner, guiText(GuiText::ColorAppearanceBox));
    inner.pushContainer(appearance, nullptr, "UC");
    addGridLayout(2, 2, inner, "UC");
    GLabel::create(inner, guiText(GuiText::ColorGlassLabel), 0);
    glassCombo = GCombo::create(inner, new GlassListModel, glassRow(guiSettings.glass), 20, "UC");
    if (glassCombo) glassCombo->itemHeight = getUiFontMetrics(getMessageFont()).cy + 10;
    GLabel::create(inner, guiText(GuiText::ColorStyleLabel), 0);
    styleCombo = GCombo::create(inner, static_cast<const GBag*>(nullptr), -1, 20, "UC");
    if (styleCombo) {
        styleCombo->addItem(guiText(GuiText::ColorStyleDark));
        styleCombo->addItem(guiText(GuiText::ColorStylePlain));
        styleCombo->addItem(guiText(GuiText::ColorStyleLight));
        styleCombo->select(guiSettings.style <= 2 ? (i32)guiSettings.style : -1);
    }
    inner.endContainer();
    inner.endContainer();

    for (u32 i = 0; i < PaneColorGroupSlots; ++i)
        if (PaneColorGroup* group = paneColorGroup(i)) groups.push_back(group);
    if (!groups.empty()) {
        GGroupBoxItem* box = new GGroupBoxItem(b.owner, guiText(GuiText::ColorGroupsBox));
        inner.pushContainer(box, nullptr, "UC");
        addGridLayout(3, (i32)groups.size(), inner, "UC");
        for (u32 i = 0; i < groups.size(); ++i) {
            GLabel::create(inner, groups[i]->name(), 0);
            groupButtons.push_back(GButton::create(inner, guiText(GuiText::ColorGroupChange), 0, GroupPopupBase + i));
            defaultButtons.push_back(
                GButton::create(inner, guiText(GuiText::ColorGroupDefaults), 0, GroupDefaultsBase + i));
            saved.push_back(new CommandRange(*groups[i]->range()));
        }
        inner.endContainer();
        inner.endContainer();
    }
    savedGlass = guiSettings.glass;
    savedStyle = guiSettings.style;
    built = true;
}

GColorListWindow::~GColorListWindow() {
    for (CommandRange* range : saved) delete range;
}

void GColorListWindow::apply() {
    for (u32 i = 0; i < groups.size(); ++i) {
        groups[i]->range()->assign(*saved[i]);
        groups[i]->apply();
    }
    guiSettings.glass = savedGlass;
    guiSettings.style = savedStyle;
    applyColorScheme();
}

void GColorListWindow::chooseGroupColor(u32 group, i32 commandId) {
    if (group >= groups.size() || !groups[group]->range()->contains(commandId)) return;
    u32& value = groups[group]->range()->valueOf(commandId);
    COLORREF chosen;
    chooseColor(owner, &chosen, value);
    value = chosen;
    groups[group]->apply();
}

i32 GColorListWindow::commandState(u32 command) {
    if (command >= 1000 && command <= 9999) return CommandEnabled;
    return GColumnsItem::commandState(command);
}

bool GColorListWindow::onCommand(u32 command, GStateQuery* query) {
    if (command >= GroupPopupBase && command < GroupPopupBase + groups.size()) {
        const u32 i = command - GroupPopupBase;
        CommandRange* range = groups[i]->range();
        range->ensureEntries();
        GPopupMenu menu;
        for (i32 id = range->first; id <= range->last; ++id) {
            const i32 ids[1] = {id};
            fillMenuFromIds(owner, menu, ids, 1, MenuPopupAction);
        }
        RECT r{};
        GButton* button = groupButtons[i];
        if (button && button->hwnd) {
            GetWindowRect(button->hwnd, &r);
        }
        i32 chosen = trackPopupMenu(owner, menu, (r.left + r.right) / 2, r.bottom, TrackScreenPoint);
        if (chosen > 0) chooseGroupColor(i, chosen);
        return true;
    }
    if (command >= GroupDefaultsBase && command < GroupDefaultsBase + groups.size()) {
        groups[command - GroupDefaultsBase]->restoreDefaults();
        return true;
    }
    return GColumnsItem::onCommand(command, query);
}

bool GColorListWindow::onControlNotify(void* notification) {
    auto* n = static_cast<GControlNotification*>(notification);
    if (!built || n->code != ComboSelectionChanged) return false;
    if (glassCombo && n->source == glassCombo) {
        i32 row = (i32)n->value;
        if (row >= 1 && row <= 14) {
            guiSettings.glass = kGlassPresets[row - 1];
        } else if (row == 0) {
            COLORREF chosen;
            chooseColor(owner, &chosen, guiSettings.glass);
            guiSettings.glass = chosen;
        } else {
            return false;
        }
        applyColorScheme();
        return true;
    }
    if (styleCombo && n->source == styleCombo && n->value >= 0 && n->value <= 2) {
        guiSettings.style = (u32)n->value;
        applyColorScheme();
        return true;
    }
    return false;
}
