// The Editor page's status line and its zoom and information strips.
#include <algorithm>

#include "app/program_texts.h"
#include "core/format.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/controls/status_line.h"

namespace {

GString timeText(u64 frames, u32 rate) {
    char buffer[64];
    formatTime(buffer, sizeof buffer, rate ? frames * 1000 / rate : 0);
    return GString(buffer);
}

GString sizeText(u64 bytes) {
    char buffer[64];
    formatSize(buffer, sizeof buffer, (i64)bytes);
    return GString(buffer);
}

}  // namespace

void EditorWindow::updateStatusLine() {
    if ((placerFlags & 0x80) || !statusLine || !statusLine->hwnd) return;
    statusLine->clearTexts();
    u32 n = 0;
    if (currentBlock >= 0) {
        i32 loaded = pane->source ? pane->source->loadProgress() : -1;
        if (loaded >= 0 && loaded < 100)
            statusLine->setFieldTextF(n, ravoText(RavoText::EditorStatusReading), loaded);
        else
            statusLine->setFieldText(n, ravoText(loaded >= 100 ? RavoText::EditorStatusRead : RavoText::EditorStatusNotRead));
        ++n;
        if (currentBlock < (i32)blockNames.size() && !blockNames[currentBlock].empty())
            statusLine->setFieldText(n++, blockNames[currentBlock].c_str());
        if (blockNames.size() > 1)
            statusLine->setFieldTextF(n++, ravoText(RavoText::EditorStatusBlock), currentBlock + 1, (i32)blockNames.size());
    }
    const char* state = nullptr;
    if (currentBlock < 0)
        state = ravoText(RavoText::EditorStatusEmpty);
    else if (blockNames.size() > 1 && fileKind != kBlockFileKind)
        state = ravoText(RavoText::EditorStatusSeveral);
    else if (!samplesPresent)
        state = ravoText(RavoText::EditorStatusNoSamples);
    else if (pane->drawMode == WavePointDraw)
        state = ravoText(RavoText::EditorStatusPointDraw);
    else if (pane->drawMode == WaveLineDraw)
        state = ravoText(RavoText::EditorStatusLineDraw);
    else if (pane->drawMode == WaveCurveDraw)
        state = ravoText(RavoText::EditorStatusCurveDraw);
    statusLine->setFieldText(n++, state ? state : "");
    if (playing) {
        statusLine->setFieldText(n, ravoText(RavoText::EditorStatusPlaying));
        statusLine->field(n++)->align = '>';
        if (pane->drawMode == WavePlayback && paused) {
            statusLine->setFieldText(n, ravoText(RavoText::EditorStatusPaused));
            statusLine->field(n++)->align = '>';
        }
    }
}

void EditorWindow::updateStrips() {
    if ((placerFlags & 0x80) || !zoomStrip || !zoomStrip->hwnd) return;
    // Against the scales at which the sound fills the pane.
    zoomStrip->setFieldTextF(0, "X: %G%%", pane->normalScaleX ? pane->scaleX / pane->normalScaleX * 100.0 : 100.0);
    zoomStrip->setFieldTextF(1, "Y: %G%%", pane->normalScaleY ? pane->scaleY / pane->normalScaleY * 100.0 : 100.0);
    infoStrip->clearTexts();
    if (!hasDocument) return;
    const u32 fb = std::max<u32>(format.bytesPerFrame, 1);
    const u32 rate = format.sampleRate;
    GString length = timeText(dataLength / fb, rate);
    GString size = sizeText(dataLength);
    infoStrip->setFieldTextF(0, ravoText(RavoText::EditorStatusSound), soundFormatName.c_str(), size.c_str(),
                             length.c_str());
    GString cursor = timeText(pane->cursor, rate);
    infoStrip->setFieldTextF(1, ravoText(RavoText::EditorStatusCursor), cursor.c_str());
    if (pane->selEnd > pane->selStart) {
        GString span = timeText(pane->selEnd - pane->selStart, rate);
        GString bytes = sizeText((pane->selEnd - pane->selStart) * fb);
        infoStrip->setFieldTextF(2, ravoText(RavoText::EditorStatusSelection), span.c_str(), bytes.c_str());
    }
}
