// The Editor's transport through the machine's real wave-out device, whose output the test set-up
// writes to a file: play, stop, pause, rewind, seek, loop and the play cursor.
#include <gtest/gtest.h>

#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/frame/progress_line.h"
#include "gui/frame/placer.h"
#include "gui/layout/layout_cell.h"
#include "mm/mm_settings.h"
#include "mm/playback_level_window.h"
#include "mm/sound_player.h"
#include "tests/editor/editor_page_fixture.h"

namespace {

enum : u32 {
    Stop = 313,
    PlayStop = 314,
    PlaySelection = 316,
    PauseResume = 327,
    Rewind = 611,
    PlayLoop = 612,
};

const u32 frameBytes = 4;  // the tests' sounds: 16-bit stereo

// The play entry's switches for the scope: fades off, so that the bytes arrive as they are.
struct PlainSwitches {
    DeviceSettings& entry = multimediaSettings().sound.play;
    const u32 saved = entry.choiceFlags;
    PlainSwitches() { entry.choiceFlags = 0; }
    ~PlainSwitches() { entry.choiceFlags = saved; }
};

bool levelShown(EditorPage& f) { return GProgressLinePlacer::included(f.page->levelWindow); }

void seekTo(EditorPage& f, u64 frame) {
    WavePaneNotice notice;
    notice.frame = frame;
    GControlNotification n;
    n.source = f.page->pane;
    n.code = WavePanePlayPick;
    n.value = (intptr_t)&notice;
    notifyUp(f.page->pane, &n);
}

}  // namespace

// The selection's bytes reach the device as one run; the pane is in mode 4 and the level window
// shows while playing, and both return to idle at the next tick after the end.
TEST(EditorPlayback, ASelectionPlaysThroughTheDeviceAndEndsByItself) {
    PlainSwitches plain;
    EditorPage f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 1 sine 440 sine 660 vol 0.5")));
    EXPECT_FALSE(levelShown(f));
    const u64 from = 11025, to = 33075;
    f.page->pane->setSelection(from, to);
    f.page->pane->setCursor(40000);
    clearDeviceOutput();

    ASSERT_TRUE(f.command(PlaySelection));
    ASSERT_TRUE(f.page->playing);
    EXPECT_EQ(f.page->pane->drawMode, (u32)WavePlayback);
    EXPECT_TRUE(levelShown(f));
    EXPECT_EQ(f.page->commandChecked(PlayStop), 1);
    EXPECT_EQ(f.page->pane->positions.playStart, from);
    EXPECT_EQ(f.page->commandState(Stop), 0);

    ASSERT_TRUE(pumpUntil([&] { return !f.page->player->isRunning(); }, 20000));
    // The next tick of the 100 ms timer ends playback.
    ASSERT_TRUE(pumpUntil([&] { return !f.page->playing; }, 300));
    EXPECT_EQ(f.page->pane->drawMode, (u32)WaveNoDraw);
    EXPECT_FALSE(levelShown(f));
    EXPECT_EQ(f.page->commandState(Stop), 1);

    std::string sound = f.bytes();
    std::string played = devicePlayed();
    std::string range = sound.substr(from * frameBytes, (to - from) * frameBytes);
    EXPECT_NE(played.find(range), std::string::npos) << played.size() << " bytes arrived";
    EXPECT_EQ(played.find(sound.substr((from - 100) * frameBytes, 100 * frameBytes)), std::string::npos);
    EXPECT_EQ(played.find(sound.substr(to * frameBytes, 100 * frameBytes)), std::string::npos);
    EXPECT_TRUE(f.takeBoxes().empty());
}

// PLAY_SELECTION without a selection says so and starts nothing; without a document the play
// commands are disabled, and so are they while a background edit holds the store.
TEST(EditorPlayback, NothingStartsWithoutASelectionOrWhileTheStoreIsBusy) {
    EditorPage f;
    EXPECT_EQ(f.page->commandState(PlayStop), 1);
    EXPECT_EQ(f.page->commandState(PlaySelection), 1);
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 0.5 sine 440")));
    f.page->pane->setSelection(100, 100);
    ASSERT_TRUE(f.command(PlaySelection));
    EXPECT_FALSE(f.page->playing);
    EXPECT_FALSE(f.page->player->isRunning());
    EXPECT_EQ(f.takeBoxes(), std::vector<std::string>{ravoText(RavoText::EditorNoSelection)});

    f.page->placerFlags |= PlacerBusy;
    for (u32 id : {(u32)PlayStop, (u32)PlaySelection, 315u}) EXPECT_EQ(f.page->commandState(id), 1) << id;
    f.page->placerFlags &= ~PlacerBusy;
    EXPECT_EQ(f.page->commandState(PlayStop), 0);
}

// From the cursor: the cursor follows the play position; PLAY_STOP again stops and leaves it there;
// REWIND puts it back where playback began. Pause holds the cursor and the device.
TEST(EditorPlayback, StopPauseAndRewindMoveTheCursorAsTheUserExpects) {
    EditorPage f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 4 sine 440 vol 0.5")));
    f.page->pane->setCursor(2000);
    ASSERT_TRUE(f.command(PlayStop));
    ASSERT_TRUE(f.page->playing);
    EXPECT_EQ(f.page->pane->positions.playStart, 2000u);
    ASSERT_TRUE(pumpUntil([&] { return f.page->pane->cursor > 2000 + 4410; }, 5000));

    ASSERT_TRUE(f.command(PauseResume));
    EXPECT_EQ(f.page->commandChecked(PauseResume), 1);
    pumpUntil([] { return false; }, 250);
    u64 held = f.page->pane->cursor;
    pumpUntil([] { return false; }, 400);
    EXPECT_EQ(f.page->pane->cursor, held);
    EXPECT_TRUE(f.page->playing);
    ASSERT_TRUE(f.command(PauseResume));
    EXPECT_EQ(f.page->commandChecked(PauseResume), 0);
    ASSERT_TRUE(pumpUntil([&] { return f.page->pane->cursor > held; }, 3000));

    ASSERT_TRUE(f.command(PlayStop));
    EXPECT_FALSE(f.page->playing);
    EXPECT_FALSE(f.page->player->isRunning());
    u64 stoppedAt = f.page->pane->cursor;
    EXPECT_GT(stoppedAt, held);
    pumpUntil([] { return false; }, 250);
    EXPECT_EQ(f.page->pane->cursor, stoppedAt);
    // A second stop finds nothing playing.
    ASSERT_TRUE(f.command(Stop));
    EXPECT_FALSE(f.page->playing);

    ASSERT_TRUE(f.command(Rewind));
    EXPECT_EQ(f.page->pane->cursor, 2000u);
}

// Seeking (574 from the pane) moves playback on; REWIND while playing stops and returns.
TEST(EditorPlayback, SeekingMovesThePlayPosition) {
    EditorPage f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 6 sine 440 vol 0.5")));
    ASSERT_TRUE(f.command(PlayStop));
    ASSERT_TRUE(f.page->playing);
    seekTo(f, 44100 * 4);
    ASSERT_TRUE(pumpUntil([&] { return f.page->pane->cursor >= 44100 * 4; }, 3000));
    EXPECT_LT(f.page->pane->cursor, 44100 * 5u);
    ASSERT_TRUE(f.command(Rewind));
    EXPECT_FALSE(f.page->playing);
    EXPECT_EQ(f.page->pane->cursor, 0u);
    EXPECT_EQ(f.page->pane->drawMode, (u32)WaveNoDraw);
}

// PLAY_LOOP toggles the loop switch of the play entry; with it on, a range plays again from its
// start until stopped.
TEST(EditorPlayback, PlayLoopTogglesTheLoopSwitch) {
    PlainSwitches plain;
    EditorPage f;
    DeviceSettings& entry = plain.entry;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 0.3 sine 440 vol 0.5")));
    EXPECT_EQ(f.page->commandChecked(PlayLoop), 0);
    ASSERT_TRUE(f.command(PlayLoop));
    EXPECT_TRUE(entry.switches() & DeviceSwitch::Loop);
    EXPECT_EQ(f.page->commandChecked(PlayLoop), 1);

    ASSERT_TRUE(f.command(PlayStop));
    // Three times the sound's length later it still plays.
    pumpUntil([] { return false; }, 1000);
    EXPECT_TRUE(f.page->playing);
    EXPECT_TRUE(f.page->player->isRunning());
    ASSERT_TRUE(f.command(Stop));
    EXPECT_FALSE(f.page->playing);

    ASSERT_TRUE(f.command(PlayLoop));
    EXPECT_FALSE(entry.switches() & DeviceSwitch::Loop);
}
