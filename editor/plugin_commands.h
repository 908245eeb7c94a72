#pragma once
// The plug-in rows of the effect commands: an item of the plug-in menus (10000 + index in the
// plug-in list) is loaded at the sound's rate, adjusted in its dialog and handed to the processor.
#include "core/types.h"

class EditorWindow;
class SoundBlockProcessor;

// 1: run the processor; 0: refused (with its message) or cancelled. An id while no plug-in menu
// holds the dynamic items answers 1 and sets nothing.
i32 runPluginEffectCommand(EditorWindow* editor, u32 id, SoundBlockProcessor* processor);
