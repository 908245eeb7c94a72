#pragma once
// The effect command handler: between choosing an edit and running it, it shows the action's
// parameter dialog, remembers what was chosen in the Editor's settings and sets the fields of the
// bound processor. It never changes samples and owns nothing past the call.
#include "core/types.h"

class EditorWindow;
class SoundBlockProcessor;

// 1 run the action; 0 cancelled (a dialog was cancelled, or a check refused with its message);
// -1 nothing to do. Ids the handler does not list pass with 1 and nothing set.
i32 runEffectCommand(EditorWindow* editor, u32 id, SoundBlockProcessor* processor);

// The rows of the plug-in ids (10000 on), asked only while the dynamic menu belongs to the effects
// or instruments menu; none answers 1.
typedef i32 (*PluginCommandHandler)(EditorWindow* editor, u32 id, SoundBlockProcessor* processor);
extern PluginCommandHandler pluginCommandHandler;
