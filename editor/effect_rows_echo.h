#pragma once
// The effect handler's rows of the echoes, the reverberation, the chorus and the equalizer: their
// dialogs over the Editor's settings, and the parameter object each leaves in the processor.
#include "core/types.h"

class EditorWindow;
class SoundBlockProcessor;

// False for an id that is not one of these rows; else *result is the handler's answer (1 run, 0
// cancelled).
bool runEchoFamilyRow(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* processor, i32* result);
