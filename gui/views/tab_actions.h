#pragma once
// The tab flag words, the tab actions ("GTab_CLOSE" .. "GTab_DRAG_OUT", static records registered
// at start) and the six strip buttons (static). All tabbed placers share tabFlagWord, all tab
// windows tabWindowFlagWord.
#include "core/types.h"

class GTab;
class GCheckBox;

// Flag word: what the owner permits (low bits) and the user's twelve options (bits 16-27).
enum : u32 {
    TabAllowMenu = 0x1,
    TabAllowClose = 0x2,
    TabAllowAttach = 0x4,
    TabAllowCopy = 0x8,
    TabAllowSelectButton = 0x10,
    TabAllowCustomize = 0x20,
    TabAllowTips = 0x40,
    TabAllowAutoHide = 0x80,
    TabAllowDragSwap = 0x100,
    TabAllowDragOut = 0x200,
    TabOptionTips = 0x10000,
    TabOptionAutoHide = 0x20000,
    TabOptionCloseMini = 0x40000,
    TabOptionAttachMini = 0x80000,
    TabOptionCloseButton = 0x100000,
    TabOptionSelectButton = 0x200000,
    TabOptionAddButton = 0x400000,
    TabOptionAttachButton = 0x800000,
    TabOptionDoubleClick = 0x1000000,
    TabOptionAddClick = 0x2000000,
    TabOptionDragSwap = 0x4000000,
    TabOptionDragOut = 0x8000000,
    TabOptionBits = 0xFFF0000,
};
enum : u32 { DefaultTabFlags = 0x7FF503FF };
extern u32 tabFlagWord;
extern u32 tabWindowFlagWord;

enum : u32 {
    TabClose = 0x75,
    TabCloseAll = 0x76,
    TabCloseAllExcept = 0x77,
    TabCloseAllDetached = 0x78,
    TabCopyShort = 0x79,
    TabCopyFull = 0x7a,
    TabNext = 0x7b,
    TabPrevious = 0x7c,
    TabSelect = 0x7d,
    TabAttach = 0x7e,
    TabCustomize = 0x7f,
    TabFirstOption = 0x80,  // 0x80 + k toggles bit 16 + k
    TabLastOption = 0x8b,
};
inline u32 tabOptionBit(u32 command) { return 0x10000u << (command - TabFirstOption); }
inline bool isTabAction(u32 command) { return command >= TabClose && command <= TabLastOption; }
// Registers the records (once; done at start by a static registrar, again after a test cleared them).
void registerTabActions();

// One strip button: its three operations, bitmap, tooltip, position and side (1 left, 0 right).
struct GTabStripButton {
    void (*execute)(GTab& strip);
    i32 (*isShown)(GTab& strip);
    bool (*isEnabled)(GTab& strip);
    u32 bitmapId;
    u32 tooltip;  // GuiText slot
    u32 position;
    u32 side;
};
enum : i32 { TabScrollLeftButton, TabCloseButton, TabSelectButton, TabAddButton, TabAttachButton, TabScrollRightButton, TabButtonCount };
const GTabStripButton* tabStripButton(i32 which);
enum : i32 { TabButtonWidth = 24, TabButtonStep = 25 };

// Closing by rule; each stops at the first tab that refuses. False when one refused.
bool closeAllTabs(GTab& strip);
bool closeAllTabsExcept(GTab& strip, i32 keep);
bool closeAllDetachedTabs(GTab& strip);

// The twelve option boxes into bits 16-27 of the tab flag word, then every strip laid out again.
void applyTabOptionCheckBoxes(GCheckBox* const* boxes, i32 count);
