#pragma once
// RANGE: the range window over the Editor's selection, which follows every change at once; Cancel
// puts the selection of the opening back.
class EditorWindow;

void runRangeWindow(EditorWindow* editor);
