#pragma once
// The handler's rows that write files from the sound (SAVE_FRAGMENT, MIX) and rewrite its track set
// (TRACKS_ADD_REMOVE), and their completion in the Editor: the rewritten file put in place of the
// document's and opened again, the mix opened. Nothing here outlives the call.
#include "core/types.h"

class EditorWindow;
class SoundBlockProcessor;

// The rows of 309, 562, 589 and the pencil's 571..573; false for any other id (result untouched).
bool runTrackCommand(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* processor, i32* result);
// After a successful run of 562 or 589; false for any other id.
bool finishTrackCommand(EditorWindow* editor, SoundBlockProcessor* processor);
