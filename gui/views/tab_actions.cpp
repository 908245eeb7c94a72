#include "gui/views/tab_actions.h"

#include "gui/controls/option_check_boxes.h"
#include "gui/kernel/clipboard_text.h"
#include "gui/kernel/gui_texts.h"
#include "gui/menus/action_table.h"
#include "gui/views/tab.h"

u32 tabFlagWord = DefaultTabFlags;
u32 tabWindowFlagWord = 0;

namespace {
struct TabActionName {
    u32 id;
    const char* name;
    GuiText title;
    u32 bitmap;
};
const TabActionName kTabActions[] = {
    {TabClose, "GTab_CLOSE", GuiText::TabClose, 0x2351},
    {TabCloseAll, "GTab_CLOSE_ALL", GuiText::TabCloseAll, 0x2351},
    {TabCloseAllExcept, "GTab_CLOSE_ALL_EXCEPT", GuiText::TabCloseAllExcept, 0x2351},
    {TabCloseAllDetached, "GTab_CLOSE_ALL_DETACHED", GuiText::TabCloseAllDetached, 0x2351},
    {TabCopyShort, "GTab_COPY_SHORT", GuiText::TabCopyShort, 0x2333},
    {TabCopyFull, "GTab_COPY_FULL", GuiText::TabCopyFull, 0x2333},
    {TabNext, "GTab_NEXT", GuiText::TabNext, 0x232d},
    {TabPrevious, "GTab_PREV", GuiText::TabPrevious, 0x232c},
    {TabSelect, "GTab_SELECT", GuiText::TabSelect, 0x2356},
    {TabAttach, "GTab_ATTACH", GuiText::TabAttach, 0x2358},
    {TabCustomize, "GTab_CUSTOMIZE", GuiText::TabCustomize, 0x2366},
    {0x80, "GTab_TOOLTIPS", GuiText::TabTooltips, 0},
    {0x81, "GTab_AUTO_HIDE", GuiText::TabAutoHide, 0},
    {0x82, "GTab_CLOSE_MINI_BUTTON", GuiText::TabCloseMiniButton, 0x2357},
    {0x83, "GTab_ATTACH_MINI_BUTTON", GuiText::TabAttachMiniButton, 0x2359},
    {0x84, "GTab_CLOSE_BUTTON", GuiText::TabCloseButton, 0x2351},
    {0x85, "GTab_SELECT_BUTTON", GuiText::TabSelectButton, 0x2356},
    {0x86, "GTab_ADD_BUTTON", GuiText::TabAddButton, 0x235a},
    {0x87, "GTab_ATTACH_BUTTON", GuiText::TabAttachButton, 0x2358},
    {0x88, "GTab_DOUBLE_CLICK", GuiText::TabDoubleClick, 0},
    {0x89, "GTab_ADD_CLICK", GuiText::TabAddClick, 0},
    {0x8a, "GTab_DRAG_SWAP", GuiText::TabDragSwap, 0},
    {0x8b, "GTab_DRAG_OUT", GuiText::TabDragOut, 0},
};
const i32 kTabActionCount = (i32)(sizeof kTabActions / sizeof kTabActions[0]);
const i32 kOptionIds[] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x8b};

GActionItem tabActions[kTabActionCount];

struct TabActionRegistrar {
    TabActionRegistrar() { registerTabActions(); }
} tabActionRegistrar;

bool overflows(GTab& s) { return s.visibleTabCount() > 1 && !(s.stripFlags & TabAllFit); }

const GTabStripButton kButtons[TabButtonCount] = {
    {[](GTab& s) { s.scrollLeft(); }, [](GTab& s) -> i32 { return overflows(s) ? 1 : 0; },
     [](GTab& s) { return !(s.stripFlags & TabLeftAligned) || s.origin > s.nextVisibleTab(0, 1); }, 0x2352,
     (u32)GuiText::TabScrollLeftTip, 0, 1},
    {[](GTab& s) { s.closeTab(s.current); },
     [](GTab& s) -> i32 { return s.current >= 0 && s.option(TabOptionCloseButton) ? 1 : 0; },
     [](GTab&) { return true; }, 0x2351, (u32)GuiText::TabCloseTip, 0, 0},
    {[](GTab& s) { s.showTabListMenu(); },
     [](GTab& s) -> i32 { return s.visibleTabCount() > 1 && s.option(TabOptionSelectButton) ? 1 : 0; },
     [](GTab&) { return true; }, 0x2356, (u32)GuiText::TabSelectTip, 1, 0},
    {[](GTab& s) { s.showAddMenu(); },
     [](GTab& s) -> i32 { return s.addCommand >= 0 && s.option(TabOptionAddButton) ? 1 : 0; },
     [](GTab&) { return true; }, 0x235a, (u32)GuiText::TabAddTip, 2, 0},
    {[](GTab& s) { s.toggleAttached(s.current); },
     [](GTab& s) -> i32 { return s.current >= 0 && s.option(TabOptionAttachButton) ? 1 : 0; },
     [](GTab&) { return true; }, 0x2358, (u32)GuiText::TabAttachTip, 3, 0},
    {[](GTab& s) { s.scrollRight(); }, [](GTab& s) -> i32 { return overflows(s) ? 1 : 0; },
     [](GTab& s) { return !(s.stripFlags & TabRightAligned) || (s.origin >= 0 && s.origin < s.lastVisibleTab()); },
     0x2353, (u32)GuiText::TabScrollRightTip, 4, 0},
};
}  // namespace

void registerTabActions() {
    for (i32 i = 0; i < kTabActionCount; ++i) {
        GActionItem& a = tabActions[i];
        a.id = kTabActions[i].id;
        a.keyName = kTabActions[i].name;
        a.title = const_cast<char**>(&kxguiTexts[(u32)kTabActions[i].title]);
        a.bitmapId = kTabActions[i].bitmap;
        if (a.id == TabCustomize) {
            a.flags = ActionPopup;
            a.subItems = kOptionIds;
            a.subItemCount = (i32)(sizeof kOptionIds / sizeof kOptionIds[0]);
        }
        registerAction(&a);
    }
}

const GTabStripButton* tabStripButton(i32 which) {
    return which >= 0 && which < TabButtonCount ? &kButtons[which] : nullptr;
}

bool closeAllTabs(GTab& strip) {
    for (i32 i = strip.tabCount() - 1; i >= 0; --i) {
        if (i == strip.current) continue;
        if (!strip.closeTab(i)) return false;
    }
    return strip.current < 0 || strip.closeTab(strip.current);
}

bool closeAllTabsExcept(GTab& strip, i32 keep) {
    if (keep < 0 || keep >= strip.tabCount()) return false;
    for (i32 i = strip.tabCount() - 1; i >= 0; --i) {
        if (i == keep || i == strip.current) continue;
        if (!strip.closeTab(i)) return false;
        if (i < keep) --keep;
    }
    if (keep != strip.current && strip.current >= 0) return strip.closeTab(strip.current);
    return true;
}

bool closeAllDetachedTabs(GTab& strip) {
    for (i32 i = strip.tabCount() - 1; i >= 0; --i) {
        if (i == strip.current || strip.tabAttached(i)) continue;
        if (!strip.closeTab(i)) return false;
    }
    if (strip.current >= 0 && !strip.tabAttached(strip.current)) return strip.closeTab(strip.current);
    return true;
}

void applyTabOptionCheckBoxes(GCheckBox* const* boxes, i32 count) {
    applyOptionCheckBoxes(boxes, count < 12 ? count : 12, &tabFlagWord, 16);
    relayoutAllStrips();
}

// ---- the strip's side of the actions ----

i32 GTab::tabActionState(u32 command, i32 tab) {
    if (!isTabAction(command)) return CommandUnknown;
    if ((i32)command == addCommand || (i32)command == currentTabCommand) return CommandEnabled;
    const i32 count = tabCount();
    const bool given = tab >= 0 && tab < count;
    const bool customize = allowed(TabAllowCustomize);
    bool enabled = false;
    switch (command) {
    case TabClose: enabled = allowed(TabAllowClose) && given; break;
    case TabCloseAll: enabled = allowed(TabAllowClose) && count >= 1; break;
    case TabCloseAllExcept: enabled = allowed(TabAllowClose) && count > 1; break;
    case TabCloseAllDetached: enabled = allowed(TabAllowClose) && allowed(TabAllowAttach) && count >= 1; break;
    case TabCopyShort:
    case TabCopyFull: enabled = allowed(TabAllowCopy) && given; break;
    case TabNext:
    case TabPrevious: enabled = visibleTabCount() > 1 && given; break;
    case TabSelect: enabled = visibleTabCount() > 1; break;
    case TabAttach: enabled = allowed(TabAllowAttach) && given; break;
    case TabCustomize: enabled = customize; break;
    case 0x80: enabled = customize && allowed(TabAllowTips); break;
    case 0x81: enabled = customize && allowed(TabAllowAutoHide); break;
    case 0x82:
    case 0x84: enabled = customize && allowed(TabAllowClose); break;
    case 0x83:
    case 0x87: enabled = customize && allowed(TabAllowAttach); break;
    case 0x85: enabled = customize && allowed(TabAllowSelectButton); break;
    case 0x86:
    case 0x89: enabled = customize && addCommand > 0; break;
    case 0x88: enabled = customize && (allowed(TabAllowClose) || allowed(TabAllowAttach)); break;
    case 0x8a: enabled = customize && allowed(TabAllowDragSwap); break;
    case 0x8b: enabled = customize && allowed(TabAllowDragOut); break;
    }
    return enabled ? CommandEnabled : CommandDisabled;
}

i32 GTab::commandState(u32 command) {
    if (!isTabAction(command)) return GUserWindow::commandState(command);
    return tabActionState(command, menuTab >= 0 ? menuTab : current);
}

i32 GTab::commandChecked(u32 command) {
    if (command >= TabFirstOption && command <= TabLastOption) return option(tabOptionBit(command)) ? 1 : 0;
    if (command == TabAttach) return tabAttached(menuTab >= 0 ? menuTab : current) ? 1 : 0;
    if (isTabAction(command)) return 0;
    return GUserWindow::commandChecked(command);
}

bool GTab::onCommand(u32 command, GStateQuery* query) {
    if (!isTabAction(command)) return GUserWindow::onCommand(command, query);
    runTabAction(command, menuTab >= 0 ? menuTab : current);
    return true;
}

void GTab::runTabAction(u32 command, i32 tab) {
    if (tabActionState(command, tab) != CommandEnabled) return;
    switch (command) {
    case TabClose: closeTab(tab); break;
    case TabCloseAll: closeAllTabs(*this); break;
    case TabCloseAllExcept: closeAllTabsExcept(*this, tab); break;
    case TabCloseAllDetached: closeAllDetachedTabs(*this); break;
    case TabCopyShort:
    case TabCopyFull: {
        GTabItem* item = listener ? listener->tabItem(tab) : nullptr;
        if (!item) break;
        GString text = command == TabCopyShort ? item->shortText() : item->fullText();
        copyTextToClipboard(text.c_str());
        break;
    }
    case TabNext: selectNext(); break;
    case TabPrevious: selectPrevious(); break;
    case TabSelect: showTabListMenu(); break;
    case TabAttach: toggleAttached(tab); break;
    case TabCustomize: break;
    default:
        if (flagWord && command >= TabFirstOption && command <= TabLastOption) {
            *flagWord ^= tabOptionBit(command);
            relayoutAllStrips();
        }
        break;
    }
}
