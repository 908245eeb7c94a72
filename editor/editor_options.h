#pragma once
// The Editor's ways into the program options (its three sections: warnings, undo, smoothing) and
// its confirmation box, whose options button opens the warnings.
#include "core/types.h"

class GWindow;

enum : u32 { EditorOptionsWarnings = 9, EditorOptionsUndo = 10, EditorOptionsSmoothing = 11 };

// Opens the options dialog over the owner at the section's page; answers its end code.
i32 runEditorOptions(GWindow* owner, u32 section);
// Yes at once while the warning switch is off; otherwise a question box, yes only for its Yes.
bool confirmEditorStep(GWindow* owner, u8 warningSwitch, const char* text);
// An information box whose options button opens the options at the section.
void showEditorNotice(GWindow* owner, const char* text, u32 section);
