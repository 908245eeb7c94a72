#pragma once
// The one entry for message boxes, callable from any thread. Boxes are the toolkit's GMessageBox,
// built and run on the interface thread; errors wait in the pending-error list (error_queue.h).
#include "core/types.h"

class GMessageBox;
class GWindow;

struct MessageBoxButton {
    const char* caption;  // English caption
    u32 id;
    const char** text;    // interface text slot of the caption, may be null
};

struct MessageBoxDescription {
    u32 icon;             // system icon id
    const char* title;    // English title
    const MessageBoxButton* buttons;
    u32 count;
    u32 defaultButton;
    const char** titleText;  // interface text slot of the title, may be null
};

extern const MessageBoxDescription mbError, mbInformation, mbWarning, mbQuestion;

// A button "<<" (command 1000) and a caption before the message; the caller keeps it on its stack.
struct MessageBoxExtraAction {
    const char* subject;  // what is asked about; an empty one answers at once
    const char* caption;
    // The command id that ends the box; a negative id keeps it open.
    i32 (*action)(GMessageBox* box, MessageBoxExtraAction* extra);
    void* data = nullptr;
};

// Error boxes are queued and answer 0 at once; other boxes answer the pressed button's id. An empty
// text (or an extra action with an empty subject) shows nothing and answers the first button 1 or 6.
i32 showMessageBox(const MessageBoxDescription* description, GWindow* owner, const char* text,
                   MessageBoxExtraAction* extraAction = nullptr);
// printf-style text (cut to 4096 bytes) in the error box.
i32 showErrorF(GWindow* owner, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// An error box with no owner and no queue, run at once on the calling (interface) thread.
void showMessageBoxNow(const char* message);

// Replaces the box window for every request (tests record the texts through it); null restores it.
typedef i32 (*MessageBoxSink)(const MessageBoxDescription* description, GWindow* owner, const char* text);
void setMessageBoxSink(MessageBoxSink sink);

// Runs a built box with a placement code and answers the id that ended it. Null restores the modal
// run (runMessageBoxModal).
typedef i32 (*MessageBoxRunner)(GMessageBox* box, i32 placement);
void setMessageBoxRunner(MessageBoxRunner runner);
i32 runMessageBoxModal(GMessageBox* box, i32 placement);
// The box through the current runner (interface thread).
i32 runMessageBox(GMessageBox* box, i32 placement);

// Brings the owner's top-level window forward and gives a focusable child owner the focus; answers
// the top-level window (null without a live owner).
GWindow* prepareBoxOwner(GWindow* owner);
