#include "editor/range_command.h"

#include <algorithm>

#include "app/range_window.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"

void runRangeWindow(EditorWindow* e) {
    WavePane* pane = e->pane;
    if (!pane) return;
    const u64 limit = 0xFFFFFFFFull;
    const u32 total = (u32)std::min(pane->frameCount, limit);
    GString title;
    if (const GActionItem* action = actionById(actionIdByName("RANGE"))) title = actionTitleWithShortcut(action);
    RangeWin dialog(e->window);
    auto apply = [pane](u32 start, u32 end) { pane->setSelection(start, end); };
    if (!buildRangeBody(&dialog, title.c_str(), (u32)std::min(pane->selStart, limit), (u32)std::min(pane->selEnd, limit),
                        total, std::max<u32>(e->format.sampleRate, 1), apply))
        return;
    placeWindowAuto(&dialog, PlaceCentreOnOwner);
}
