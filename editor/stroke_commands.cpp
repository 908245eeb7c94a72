#include "editor/stroke_commands.h"

#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "engine/draw_strokes.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/layout_cell.h"

bool isStrokeCommand(u32 id) { return id == WavePanePoint || id == WavePaneLine || id == WavePaneCurve; }

bool strokeNotify(EditorWindow* e, GControlNotification* n) {
    if (!n || n->source != e->pane || !isStrokeCommand(n->code) || !n->value) return false;
    e->drawnPoints = reinterpret_cast<const WavePaneNotice*>(n->value);
    GStateQuery query{n->code, 0};
    try {
        e->onCommand(n->code, &query);
    } catch (...) {
        e->drawnPoints = nullptr;
        throw;
    }
    e->drawnPoints = nullptr;
    return true;
}

i32 runStrokeCommand(EditorWindow* e, u32 id, SoundBlockProcessor* p) {
    const WavePaneNotice* points = e->drawnPoints;
    if (e->playing || !e->samplesPresent || !points || points->count < 1) return -1;
    if (p->selectedChannelCount <= 0) {
        showMessageBox(&mbError, e->window, ravoText(RavoText::EditorNoTrack));
        return 0;
    }
    auto frameOf = [](f64 x) { return x > 0 ? (u64)x : 0ull; };
    if (id == WavePanePoint) {
        setPointStroke(*p, frameOf(points->frames[0]), points->values[0]);
    } else if (id == WavePaneLine) {
        const i32 second = points->count > 1 ? 1 : 0;
        setLineStroke(*p, frameOf(points->frames[0]), points->values[0], frameOf(points->frames[second]),
                      points->values[second]);
    } else {
        CurvePoints curve;
        for (i32 i = 0; i < points->count && i < CurvePoints::capacity; ++i)
            curve.addPoint(points->frames[i], points->values[i]);
        setCurveStroke(*p, curve);
    }
    // Past the sound's end the range is empty: nothing to draw, no undo step.
    return p->rangeEnd > p->rangeStart ? 1 : -1;
}
