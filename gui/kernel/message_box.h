#pragma once
// The one entry for message boxes, callable from any thread.
#include "core/types.h"

class GWindow;

struct MessageBoxButton {
    const char* caption;  // English caption
    u32 id;
    char** text;          // interface text slot of the caption, may be null
};

struct MessageBoxDescription {
    u32 icon;             // system icon id
    const char* title;    // English title
    const MessageBoxButton* buttons;
    u32 count;
    u32 defaultButton;
    char** titleText;     // interface text slot of the title, may be null
};

extern const MessageBoxDescription mbError, mbInformation, mbWarning, mbQuestion;

struct MessageBoxExtraAction;

// Error boxes are queued and answer 0 at once; other boxes answer the pressed button's id.
i32 showMessageBox(const MessageBoxDescription* description, GWindow* owner, const char* text,
                   MessageBoxExtraAction* extraAction = nullptr);
// printf-style text (cut to 4096 bytes) in the error box.
i32 showErrorF(GWindow* owner, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// Replaces the box window for every request (tests record the texts through it); null restores it.
typedef i32 (*MessageBoxSink)(const MessageBoxDescription* description, GWindow* owner, const char* text);
void setMessageBoxSink(MessageBoxSink sink);
