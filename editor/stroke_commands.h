#pragma once
// The pane's pencil strokes as edits: the pane's point, line and curve notices become the Editor's
// commands 571..573 with the drawn points, and the handler's rows turn the points into the stroke's
// range and values. Nothing here outlives the call.
#include "core/types.h"

class EditorWindow;
class SoundBlockProcessor;
struct GControlNotification;

// True for the pane's stroke notices, which run as the Editor's commands.
bool strokeNotify(EditorWindow* editor, GControlNotification* notification);
// The handler's rows of 571..573: -1 while playing, on a sound that is not editable or when the
// range comes out empty (drawn past the end); 0 without a selected track; else 1.
i32 runStrokeCommand(EditorWindow* editor, u32 id, SoundBlockProcessor* processor);
bool isStrokeCommand(u32 id);
