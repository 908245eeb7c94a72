// The Editor's transport: playing from the cursor or the selection, pause, stop, rewind and seek,
// the 100 ms play-cursor timer and the loop switch.
#include <windows.h>

#include "app/program_texts.h"
#include "core/exceptions.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/message_boxes.h"
#include "gui/layout/layout_builder.h"
#include "gui/menus/action_table.h"
#include "mm/mm_settings.h"
#include "mm/playback_level_window.h"
#include "mm/sound_file.h"
#include "mm/sound_player.h"

namespace {

enum : u32 {
    CommandStop = 313,
    CommandPlayStop = 314,
    CommandRecord = 315,
    CommandPlaySelection = 316,
    CommandPauseResume = 327,
    CommandRewind = 611,
    CommandPlayLoop = 612,
};

DeviceSettings& playEntry() { return multimediaSettings().sound.play; }

void setLevelShown(PlaybackLevelWindow* level, bool on) {
    if (!level) return;
    bool shown = GProgressLinePlacer::included(level);
    if (shown != on) level->notify(on ? LayoutInclude : LayoutExclude);
}

}  // namespace

void EditorWindow::setUpPlayback() {
    player = createSoundPlayer(&playEntry(), multimediaSettings().sound.player);
    player->ownSink.window = window;
    // The loop switch of the entry is followed.
    player->setStateBits(playerRepeat, 0);
    GLayoutBuilder builder(window);
    builder.current = progressLine;
    levelWindow = PlaybackLevelWindow::create(builder, &playEntry(), ravoText(RavoText::PlayLevelCaption),
                                              ravoText(RavoText::PlayLevelUnit));
    setLevelShown(levelWindow, false);
}

void EditorWindow::tearDownPlayback() {
    removeTimer(&playTimer);
    playing = 0;
    delete player;
    player = nullptr;
}

bool EditorWindow::playerActive() const { return player && player->isRunning(); }

void EditorWindow::play(bool selectionOnly) {
    if (playing) {
        stopPlayback(true, true);
        return;
    }
    try {
        const u64 frameBytes = format.bytesPerFrame ? format.bytesPerFrame : 1;
        u64 from, to;
        if (selectionOnly) {
            from = pane->selStart * frameBytes;
            to = pane->selEnd * frameBytes;
            if (from >= to) {
                showMessageBox(&mbError, window, ravoText(RavoText::EditorNoSelection));
                relayoutViews();
                return;
            }
            pane->positions.playStart = (u32)pane->selStart;
        } else {
            from = pane->cursor * frameBytes;
            to = dataLength;
            pane->positions.playStart = (u32)pane->cursor;
        }
        bool started = false;
        if (from < to) {
            if (samplesPresent) {
                SoundFormatBlock block;
                if (buildFormatBlock(&block, &format, window))
                    started = player->playRange(window, &store, block.format(), from, to);
            } else {
                started = playFileRange(from, to);
            }
        }
        if (started && player->isRunning()) {
            pane->setDrawMode(WavePlayback);
            playing = 1;
            addTimer(&playTimer, 100, this, nullptr);
            setLevelShown(levelWindow, true);
        }
    } catch (const GException&) {
    }
    relayoutViews();
}

bool EditorWindow::playFileRange(u64 from, u64 to) {
    const char* path = documentPath();
    if (!path) return false;
    SoundFileLayout layout;
    SoundStreamInfo info = {};
    info.fileName = path;
    GFile file(&player->ownSink);
    if (!fileOpen(file, path, FileMode::Read)) return false;
    if (!readSoundFileLayout(file, &layout) || !layout.parts.dataFound || !layout.parts.format) return false;
    info.format = layout.parts.format;
    info.dataOffset = layout.dataOffset;
    info.dataSize = layout.parts.dataSize;
    fileClose(file);
    return player->open(window, info, (i64)from, (i64)to);
}

void EditorWindow::stopPlayback(bool redraw, bool wait) {
    // The player has no stop without waiting: the worker ends within a buffer either way.
    (void)wait;
    if (player) player->stopAndWait(false);
    if (!playing) return;
    removeTimer(&playTimer);
    playing = 0;
    pane->setDrawMode(WaveNoDraw);
    if (redraw) {
        setLevelShown(levelWindow, false);
        relayoutViews();
    }
}

void EditorWindow::pauseResume() {
    if (!playerActive()) return;
    if (player->stateBits() & playerPaused)
        player->resume();
    else
        player->pause();
    relayoutViews();
}

void EditorWindow::rewindPlayback() {
    stopPlayback(true, false);
    pane->setCursor(pane->positions.playStart);
}

void EditorWindow::seekPlayback(u64 frame) {
    if (!playing || !playerActive()) return;
    player->seek(frame * (format.bytesPerFrame ? format.bytesPerFrame : 1));
}

void EditorWindow::onTimer(TimerRecord* t) {
    if (t != &playTimer || !playing) return;
    updateViews();
    if (!(player->stateBits() & playerPaused) && player->isRunning()) {
        const i64 frameBytes = format.bytesPerFrame ? format.bytesPerFrame : 1;
        pane->setCursor((u64)((i64)player->queuedPosition() / frameBytes));
    }
    if (!player->isRunning()) stopPlayback(true, false);
}

bool EditorWindow::playbackNotify(GControlNotification* notification) {
    if (notification->source == pane && notification->code == WavePanePlayPick && notification->value) {
        seekPlayback(reinterpret_cast<WavePaneNotice*>(notification->value)->frame);
        return true;
    }
    return false;
}

i32 EditorWindow::playbackCommandState(u32 id) {
    switch (id) {
    case WavePanePlayPick:
    case CommandStop:
    case CommandPauseResume:
        return playing ? 0 : 1;
    case CommandPlayStop:
    case CommandPlaySelection:
        // A background edit holds the store.
        return hasDocument && !busy() ? 0 : 1;
    case CommandRecord:
        return samplesPresent && !busy() && !running() ? 0 : 1;
    case CommandRewind:
    case CommandPlayLoop:
        return 0;
    }
    return 2;
}

i32 EditorWindow::playbackCommandChecked(u32 id) {
    switch (id) {
    case CommandPlayStop:
        return playing ? 1 : 0;
    case CommandPauseResume:
        return playing && (player->stateBits() & playerPaused) ? 1 : 0;
    case CommandPlayLoop:
        return (playEntry().switches() & DeviceSwitch::Loop) ? 1 : 0;
    }
    return 2;
}

bool EditorWindow::playbackCommand(u32 id) {
    if (playbackCommandState(id) == 2) return false;
    if (playbackCommandState(id) != 0) return true;
    switch (id) {
    case CommandStop:
        stopPlayback(true, true);
        return true;
    case CommandPlayStop:
        play(false);
        return true;
    case CommandPlaySelection:
        play(true);
        return true;
    case CommandPauseResume:
        pauseResume();
        return true;
    case CommandRewind:
        rewindPlayback();
        return true;
    case CommandPlayLoop:
        playEntry().choiceFlags ^= DeviceSwitch::Loop;
        playEntry().notifyListeners(nullptr, DeviceChange::Switches);
        return true;
    case CommandRecord:
        if (playing)
            stopPlayback(true, false);
        else
            recordFragment();
        return true;
    }
    return false;
}
