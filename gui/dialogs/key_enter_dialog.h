#pragma once
// GKeyEnterDialog: enters one hot key. The user presses the combination on the capture button,
// picks the action and where the key works, and sees every binding of the same key or action.
// It works on its own copy of a binding array (owned, freed with it unless the caller takes it);
// its creator owns it (on the stack of the modal run).
#include <vector>

#include "core/arrays.h"
#include "gui/kernel/dialog.h"
#include "gui/menus/action_table.h"

class GButton;
class GCombo;
class GTable;

const u32 TypeKeyEnterDialog = 82;

enum : u32 { KeyModeAdd = 0, KeyModeReplace = 1 };

class GKeyEnterDialog : public GDialog {
public:
    // Copies the array and the binding (its fixed flag cleared); `context` -1 offers every kind.
    GKeyEnterDialog(GWindow* owner, const RecordArray<GKeyBinding>& source, const GKeyBinding& start,
                    bool actionChoice, i32 index, i32 context, u32 mode);

    bool isKindOf(u32 id) const override { return id == TypeKeyEnterDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GKeyEnterDialog"; }
    u32 typeId() const override { return TypeKeyEnterDialog; }

    // The window and its controls, capturing; not shown.
    bool build();
    // Builds and runs it modally; answers the result.
    i32 run();

    // While capturing, key messages become the binding (the message is consumed).
    bool preTranslateMessage(MSG* message) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;

    // Capture from the start: OK disabled, key and modifiers 0, the button focused.
    void restartCapture();
    void fillContexts();
    void fillConflicts();
    // Removes binding k of the working copy (a conflict row's delete button).
    void deleteBinding(u32 k);
    // OK: false (error box) for an exact duplicate; else the binding goes into the copy.
    bool store();

    GCombo* actionCombo = nullptr;
    GCombo* contextCombo = nullptr;
    GKeyBinding binding;
    GButton* captureButton = nullptr;
    GButton* okButton = nullptr;
    bool capturing = false;
    RecordArray<GKeyBinding> bindings;  // the working copy
    GTable* conflictTable = nullptr;
    std::vector<u32> conflictRows;  // index in the copy of each conflict row
    i32 preferredContext;
    i32 contextRestriction;
    i32 index;
    u32 mode;
    bool actionChoice;

private:
    void showCaption();
    void endCapture();
};

// Adds a key to one action in the live bindings (the asking window's kind offered alone); on OK the
// live bindings take over the dialog's copy.
bool runKeyEnterDialog(GWindow* owner, i32 action);

// The display name of a binding's context: "everywhere" for -1 and -2, "" for an unknown kind.
const char* keyContextName(i32 context);
