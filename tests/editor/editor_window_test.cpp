// The Editor page in a frame of its own: opening sounds made by sox, command state, edits at once
// and in the background, undo and redo read back byte by byte.
#include "editor/editor_window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/program_texts.h"
#include "editor/wave_pane.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/kernel/message_box.h"
#include "mm/sound_file.h"
#include "tests/gui/gui_fixture.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"
#include "tests/editor/editor_fixture.h"

namespace {

i16 sampleAt(const std::string& bytes, size_t i) {
    i16 v;
    std::memcpy(&v, bytes.data() + i * 2, 2);
    return v;
}

}  // namespace

TEST(EditorWindow, OpensASoundAndShowsItsState) {
    EditorFixture f;
    EXPECT_EQ(f.page->format.sampleRate, 44100u);  // until a sound is loaded
    EXPECT_EQ(f.page->commandState(EditorAmplify), 1);
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.5 sine 440")));
    EXPECT_EQ(f.page->format.sampleRate, 8000u);
    EXPECT_EQ(f.page->dataLength, 4000u * 4);
    EXPECT_EQ(f.page->pane->frameCount, 4000u);
    EXPECT_EQ(f.page->commandState(EditorAmplify), 0);
    EXPECT_EQ(f.page->commandState(EditorUndo), 1);
    EXPECT_EQ(f.page->commandState(EditorRedo), 1);
    EXPECT_STREQ(f.page->helpPage, "edit.htm");
}

TEST(EditorWindow, APathHeldByAnotherPageIsRefused) {
    EditorFixture f;
    std::string path = f.make("-r 8000 -c 1 -b 16", "synth 0.1 sine 440");
    ASSERT_TRUE(f.open(path));
    GDialog second{nullptr, "edit.htm"};
    createTopLevelWindow(&second, WS_POPUP, 0, "");
    auto* other = new EditorWindow(&second);
    second.setContent(other);
    other->loadDocument(path.c_str(), nullptr);
    EXPECT_FALSE(other->hasDocument);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("already open"), std::string::npos);
    DestroyWindow(second.hwnd);
}

TEST(EditorWindow, EightBitSoundHasNoSamplesToEdit) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 8 -e unsigned", "synth 0.2 sine 440")));
    EXPECT_EQ(f.page->samplesPresent, 0);
    std::string before = f.bytes();
    EXPECT_EQ(f.page->commandState(EditorAmplify), 1);
    f.command(EditorAmplify);
    EXPECT_EQ(handlerCalls, 0);
    EXPECT_TRUE(f.bytes() == before);
    EXPECT_FALSE(f.page->history.canUndo());
}

TEST(EditorWindow, CommandStateByFlags) {
    EditorFixture f;
    u32 play = (u32)actionIdByName("PLAY_STOP");
    u32 colors = (u32)actionIdByName("COLOR_DEFAULT");
    u32 convert = (u32)actionIdByName("CONVERT_FILE");
    EXPECT_EQ(actionFlags(EditorAmplify), 0x3CC);
    EXPECT_EQ(actionFlags(EditorCrop), 0x470C);
    EXPECT_EQ(actionFlags(631), -1);
    EXPECT_GE(actionFlags(630), 0);
    EXPECT_EQ(actionFlags(1500), 0x20);
    EXPECT_EQ(actionFlags(10000), -1);
    EXPECT_EQ(f.page->commandState(631), 2);

    struct Case {
        u32 id;
        i32 empty, opened;
    };
    const Case cases[] = {
        {colors, 0, 0},          // always enabled
        {play, 1, 0},            // needs a document
        {convert, 1, 0},         // needs a file name
        {EditorAmplify, 1, 0},   // needs samples
        {EditorUndo, 1, 1},      // needs history
        {EditorOpenPath, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(f.page->commandState(c.id), c.empty) << "id " << c.id << " empty";
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.2 sine 440")));
    for (const Case& c : cases) EXPECT_EQ(f.page->commandState(c.id), c.opened) << "id " << c.id << " opened";
    f.select(0, 100);
    f.command(EditorAmplify);
    EXPECT_EQ(f.page->commandState(EditorUndo), 0);
    EXPECT_EQ(f.page->commandState(EditorRedo), 1);
    f.command(EditorUndo);
    EXPECT_EQ(f.page->commandState(EditorUndo), 1);
    EXPECT_EQ(f.page->commandState(EditorRedo), 0);
}

TEST(EditorWindow, AmplifyASelectionAsSoxDoes) {
    EditorFixture f;
    std::string in = f.make("-r 8000 -c 2 -b 16", "synth 1 sine 300 sine 500 vol 0.8");
    ASSERT_TRUE(f.open(in));
    std::string original = f.bytes();
    f.select(1000, 3000);
    f.command(EditorAmplify);
    ASSERT_TRUE(f.page->history.canUndo());
    EXPECT_TRUE(f.page->modified);
    std::string out = f.dir.file("out.wav");
    f.page->writeFile(out.c_str(), 0);
    ASSERT_TRUE(f.finished());
    std::string saved = fileSamples(out);
    std::string halved = f.dir.file("half.wav");
    ASSERT_EQ(0, runSox("-D \"" + unixPath(in) + "\" \"" + unixPath(halved) + "\" vol 0.5"));
    std::string expected = fileSamples(halved);
    ASSERT_EQ(saved.size(), original.size());
    ASSERT_EQ(expected.size(), original.size());
    for (size_t i = 0; i < original.size() / 2; ++i) {
        size_t frame = i / 2;
        if (frame >= 1000 && frame < 3000)
            ASSERT_LE(std::abs(sampleAt(saved, i) - sampleAt(expected, i)), 1) << "sample " << i;
        else
            ASSERT_EQ(sampleAt(saved, i), sampleAt(original, i)) << "sample " << i;
    }
}

TEST(EditorWindow, WorkOfAHundredThousandBytesRunsAtOnceAndMoreInTheBackground) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 1 -b 16", "synth 3 sine 440")));
    f.select(0, 50000);  // 100000 bytes
    ASSERT_TRUE(f.page->onCommand(EditorAmplify, nullptr));
    EXPECT_FALSE(f.page->running());
    EXPECT_TRUE(f.page->history.canUndo());
    EXPECT_FALSE(f.page->progressLine->running());

    f.select(0, 50001);
    ASSERT_TRUE(f.page->onCommand(EditorAmplify, nullptr));
    EXPECT_TRUE(f.page->running());
    EXPECT_EQ(f.page->commandState(EditorUndo), 1);  // while it runs
    ASSERT_TRUE(f.finished());
    EXPECT_FALSE(f.page->progressLine->running());
    f.command(EditorUndo);
    f.command(EditorUndo);
    EXPECT_FALSE(f.page->history.canUndo());
}

TEST(EditorWindow, UndoAndRedoGiveBackTheExactBytesAndSelection) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 1 sine 440")));
    std::string original = f.bytes();
    f.select(2000, 6000);
    f.command(EditorAmplify);
    std::string amplified = f.bytes();
    ASSERT_TRUE(amplified != original);
    f.select(100, 200);
    f.command(EditorCrop);
    EXPECT_EQ(f.page->dataLength, 100u * 4);
    EXPECT_EQ(f.page->pane->frameCount, 100u);

    f.command(EditorUndo);
    EXPECT_EQ(f.page->dataLength, original.size());
    EXPECT_TRUE(f.bytes() == amplified);
    EXPECT_EQ(f.page->pane->selStart, 100u);
    EXPECT_EQ(f.page->pane->selEnd, 200u);
    f.command(EditorUndo);
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_EQ(f.page->pane->selStart, 2000u);
    EXPECT_EQ(f.page->pane->selEnd, 6000u);
    EXPECT_FALSE(f.page->modified);
    f.command(EditorRedo);
    EXPECT_TRUE(f.bytes() == amplified);
    f.command(EditorRedo);
    EXPECT_EQ(f.page->dataLength, 100u * 4);
    EXPECT_TRUE(f.bytes() == amplified.substr(100 * 4, 100 * 4));
}

TEST(EditorWindow, RefusalsMakeNoProcessor) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 2 -b 16", "synth 0.5 sine 440")));
    std::string original = f.bytes();
    // No track selected.
    for (u32 t = 0; t < f.page->format.trackCount(); ++t) f.page->format.tracks[t].flags &= ~trackSelected;
    f.select(0, 100);
    f.command(EditorAmplify);
    EXPECT_TRUE(shown(RavoText::EditorNoTrack));
    EXPECT_EQ(handlerCalls, 0);
    for (u32 t = 0; t < f.page->format.trackCount(); ++t) f.page->format.tracks[t].flags |= trackSelected;
    // An empty selection asks; No runs nothing.
    boxes.clear();
    boxAnswer = 7;
    f.select(0, 0);
    f.command(EditorAmplify);
    EXPECT_TRUE(shown(RavoText::EditorWholeSound));
    EXPECT_EQ(handlerCalls, 0);
    // CROP wants a selection.
    f.command(EditorCrop);
    EXPECT_TRUE(shown(RavoText::EditorNoSelection));
    EXPECT_TRUE(f.bytes() == original);
    EXPECT_FALSE(f.page->history.canUndo());
}

TEST(EditorWindow, AnEditThatChangesNothingRecordsNoStep) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.5 sine 440")));
    f.select(0, f.page->pane->frameCount);
    f.command(EditorCrop);  // keeps everything
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_FALSE(f.page->modified);
}

TEST(EditorWindow, CutOutOverBookmarksUndoneBringsThemBack) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 1 sine 440")));
    const u32 marks[] = {100, 1000, 1500, 2000, 5000};
    f.page->pane->addBookmarks(marks, 5);
    f.select(1000, 2000);
    f.command(EditorCutOut);
    ASSERT_TRUE(f.page->history.canUndo());
    EXPECT_EQ(f.page->pane->frameCount, 7000u);
    std::vector<u32> after(f.page->pane->positions.bookmarks.data,
                           f.page->pane->positions.bookmarks.data + f.page->pane->positions.bookmarks.count);
    EXPECT_EQ(after, (std::vector<u32>{100, 1000, 4000}));
    f.command(EditorUndo);
    std::vector<u32> back(f.page->pane->positions.bookmarks.data,
                          f.page->pane->positions.bookmarks.data + f.page->pane->positions.bookmarks.count);
    EXPECT_EQ(back, (std::vector<u32>{100, 1000, 1500, 2000, 5000}));
    f.command(EditorRedo);
    std::vector<u32> again(f.page->pane->positions.bookmarks.data,
                           f.page->pane->positions.bookmarks.data + f.page->pane->positions.bookmarks.count);
    EXPECT_EQ(again, after);
}

TEST(EditorWindow, StopOnTheProgressLineLeavesTheSoundAsItWas) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 120 sine 440")));
    std::string original = f.bytes();
    f.select(0, f.page->pane->frameCount);
    ASSERT_TRUE(f.page->onCommand(EditorAmplify, nullptr));
    ASSERT_TRUE(f.page->running());
    f.page->progressLine->requestStop();
    ASSERT_TRUE(f.finished());
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_FALSE(f.page->modified);
    EXPECT_TRUE(f.bytes() == original);
}
