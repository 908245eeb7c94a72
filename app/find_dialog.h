#pragma once
// FindDialog: what to search for (a defect, a silence or the peak), where and in which direction,
// over the "find" record and the level and duration settings it is built over. Its caller owns it
// (on the stack of a modal run); its controls belong to its window.
#include "app/editor_settings.h"
#include "app/effect_dialogs.h"

class GCheckBox;
class GCombo;
class GLayoutCell;
class GPageStack;
class GRadioBox;

// The kinds of the combo, in its order.
enum : i32 { FindKindDefect = 0, FindKindSilence = 1, FindKindPeak = 2 };

class FindDialog : public GDialog {
public:
    FindDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeFindDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "FindDialog"; }
    u32 typeId() const override { return TypeFindDialog; }
    // OK refuses a defect search with both tests off; an accepted OK writes the record.
    bool onCommand(u32 command, GStateQuery* query) override;
    // The kind combo switches the page and the direction group.
    bool onControlNotify(void* notification) override;
    // The page of the combo's kind; the direction group hidden for the peak.
    void showKind();
    i32 kind() const;

    u8* record = nullptr;  // the 8 bytes of "find": scope, direction, jumps, clipping, i32 kind
    GCombo* kinds = nullptr;
    GPageStack* pages = nullptr;
    GCheckBox* jumps = nullptr;
    GCheckBox* clipping = nullptr;
    GLayoutCell* directionGroup = nullptr;
    GRadioBox* forwardBox = nullptr;
    GRadioBox* backwardBox = nullptr;
    GRadioBox* wholeBox = nullptr;
    GRadioBox* selectionBox = nullptr;
    i32 direction = 0, scope = 0;  // the radio boxes' variables
};

// What the dialog is built over.
struct FindDialogValues {
    u8* record;
    LevelValue* defectLevel;
    LevelRange defectUnits;
    LevelValue* silenceLevel;
    LevelRange silenceUnits;
    SamplePeriod* defectPeriod;
    SamplePeriod* silencePeriod;
    bool hasSelection;
    u32 rate;
};

// The window with the kind combo over its pages, the direction and scope groups and "OCH"; false
// when it could not be made.
bool buildFindBody(FindDialog* dialog, const char* title, const FindDialogValues& values);
