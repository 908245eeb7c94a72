#pragma once
// Modal runs of dialogs and boxes. A ModalScope lives on the stack of one run: it is the run's
// quit hook (vetoing a quit), it stands on the process's stack of scopes, it disables the other
// top-level windows at its start (after showing the queued errors) and enables them again at its
// end, and it tells the application's event listeners of both. Its destructor undoes everything, also when the run ends by an exception.
#include <windows.h>

#include "core/types.h"
#include "gui/kernel/quit_hook.h"

class GDialog;
class GParentWindow;
class GWindow;
class GLifeRecord;

// The event delivered to the application's event listeners at the begin and end of a modal state.
struct ModalEvent {
    class ModalScope* scope;
    bool begin;
};

class ModalScope : public QuitHook {
public:
    // owner: the window that opened the modal state; dialog: the window being run (may be null for
    // a platform dialog).
    ModalScope(GWindow* owner, GDialog* dialog);
    ~ModalScope() override;

    bool vetoQuit() override { return true; }
    // The dialog while it lives; after it, the owner when it lives and is a dialog; else null.
    GDialog* ownerDialog() override;
    GDialog* dialog() const;
    // A window that a platform dialog opened while the scope was active.
    void recordWindow(HWND window);
    // The first recorded window, else the owner when it lives and is a dialog, else null.
    HWND recordedOrOwner();
    bool innermost() const { return above == nullptr; }

    ModalScope* below = nullptr;
    ModalScope* above = nullptr;
    GLifeRecord* ownerRecord = nullptr;
    GLifeRecord* dialogRecord = nullptr;
    HWND recorded[8] = {};
    u32 recordedCount = 0;
};

// Shows the queued errors, then tells the listeners that a modal state begins.
void postModalEvent(ModalScope* scope);
// The innermost scope, or null.
ModalScope* topModalScope();
// The dialog of the innermost live modal run, or null.
GDialog* pendingModalDialog();

// Runs the dialog modally on the interface thread: on top (topmost when any toolkit window is),
// the other windows disabled, activated, the message loop until the run ends. Answers the dialog's
// result (-1 until set).
i32 runModal(GDialog* dialog);
// Moves the dialog to the rectangle (an empty one: placeOnMonitor with the code on both axes), runs
// it and writes its final rectangle back. From another thread the run is asked of the interface
// thread and the caller waits; a request that could not run answers -1.
i32 showModal(GDialog* dialog, RECT* rect, i32 placement);
i32 placeWindowAuto(GDialog* dialog, i32 placement);
