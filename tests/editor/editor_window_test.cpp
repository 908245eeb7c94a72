// The Editor page in a frame of its own: opening sounds made by sox, command state, edits at once
// and in the background, undo and redo read back byte by byte.
#include "editor/editor_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "editor/wave_pane.h"
#include "engine/filters.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/status_line.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/views/box.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/input/system_input.h"
#include "gui/kernel/message_box.h"
#include "mm/sound_file.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/editor/editor_fixture.h"
#include "tests/gui/gui_fixture.h"
#include "tests/mm/riff_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"

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
    f.select(1000, 3000);
    f.command(EditorAmplify);
    ASSERT_TRUE(f.page->history.canUndo());
    EXPECT_TRUE(f.page->modified);
    expectSoxGain(f.page, in, f.dir.file("out.wav"), "0.5", 2, 1000, 3000);
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

namespace {

// A wave list of the pool: its name, a 16-bit mono format at 8000 Hz and, unless empty, frames of
// the value.
std::string poolWave(const char* name, i16 value, u32 frames) {
    std::string body = riffList("LIST", "INFO", chunk("INAM", std::string(name) + '\0'));
    body += chunk("fmt ", pcmFmt(1, 8000, 16));
    if (frames) {
        std::string samples;
        for (u32 i = 0; i < frames; ++i) samples.append(reinterpret_cast<const char*>(&value), 2);
        body += chunk("data", samples);
    }
    return riffList("LIST", "wave", body);
}

// Three sounds: "low" of 100 frames, "broken" without data, "high" of 300 frames.
std::string threeSounds() {
    return riffList("RIFF", "DLS ",
                    riffList("LIST", "wvpl", poolWave("low", 100, 100) + poolWave("broken", 0, 0) +
                                                 poolWave("high", 3000, 300)));
}

void keyDown(GDialog& d) {
    GBox* list = static_cast<GSelectDialog&>(d).list;
    PostMessageA(list->hwnd, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(list->hwnd, WM_KEYUP, VK_DOWN, 0xC0000000);
}

std::string previewText(GDialog& d) { return static_cast<GSelectDialog&>(d).previewLabel->text.c_str(); }

}  // namespace

TEST(EditorWindow, AFileOfThreeSoundsOffersTheChoice) {
    EditorFixture f;
    f.dir.write("pool.dls", threeSounds());
    std::string path = f.dir.file("pool.dls");
    // The second sound has no data: its error, then the dialog again, which is cancelled.
    std::vector<std::string> previews;
    ModalScript refused(TypeSelectDialog, {
        [&](GDialog& d) {
            previews.push_back(previewText(d));
            keyDown(d);
        },
        [&](GDialog& d) {
            previews.push_back(previewText(d));
            ModalScript::post(d, refused.runs == 1 ? 1 : 2);
        },
    });
    f.page->loadDocument(path.c_str(), nullptr);
    EXPECT_EQ(2, refused.runs);
    EXPECT_FALSE(f.page->hasDocument);
    EXPECT_EQ(f.page->dataLength, 0u);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Bad sound block: Sound data not found"}));
    ASSERT_GE(previews.size(), 2u);
    EXPECT_NE(previews[0].find("low"), std::string::npos) << previews[0];
    EXPECT_NE(previews[0].find("8000"), std::string::npos) << previews[0];
    EXPECT_NE(previews[1].find("broken"), std::string::npos) << previews[1];

    // The third opens with its own samples.
    boxes.clear();
    ModalScript third(TypeSelectDialog, {
        [](GDialog& d) { keyDown(d); },
        [](GDialog& d) { keyDown(d); },
        [](GDialog& d) { ModalScript::post(d, 1); },
    });
    f.page->loadDocument(path.c_str(), nullptr);
    EXPECT_EQ(1, third.runs);
    ASSERT_TRUE(f.page->hasDocument);
    EXPECT_EQ(f.page->currentBlock, 2);
    EXPECT_EQ(f.page->dataLength, 600u);
    EXPECT_EQ(sampleAt(f.bytes(), 299), 3000);
    // Several sounds: extracting them is offered.
    EXPECT_EQ(boxes, (std::vector<std::string>{ravoText(RavoText::EditorOfferExtract)}));
    // The page says which of the three it shows.
    EXPECT_NE(f.page->statusLine->fields.count, 0u);
    std::string status;
    for (u32 i = 0; i < f.page->statusLine->fields.count; ++i)
        if (auto* field = static_cast<StatusField*>(f.page->statusLine->fields.data[i]))
            if (field->text) status += std::string(field->text) + "|";
    EXPECT_NE(status.find("high|Sound 3 of 3|Several sounds|"), std::string::npos) << status;
}

TEST(EditorWindow, ASoundOfOneBlockOpensWithoutTheChoice) {
    EditorFixture f;
    ModalScript none(TypeSelectDialog, {[](GDialog& d) { ModalScript::post(d, 2); }});
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 0.1 sine 440")));
    EXPECT_EQ(0, none.runs);
    std::string own = f.dir.file("own.rvo");
    RecordingHandler handler;
    StoreSource written;
    ASSERT_TRUE(saveSoundFile(own.c_str(), soundFileRavo, &f.page->format, &f.page->store, nullptr, &handler, nullptr,
                              &written));
    f.page->newDocument();
    ASSERT_TRUE(f.open(own));
    EXPECT_EQ(0, none.runs);
    EXPECT_EQ(f.page->dataLength, 800u * 2);
}

TEST(EditorWindow, NewMakesAnEmptyFileInTheSettingsFormat) {
    EditorFixture f;
    SoundFormatSettings saved = appSettings.Common.SoundFormat;
    struct Case {
        const char* name;
        u32 tag, channels, rate, encoding;
        u32 bytesPerFrame;
    } cases[] = {
        {"empty.wav", 1, 2, 22050, 2, 4},
        {"empty.rvo", ownFormatTag, 3, 8000, encodingFloat, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        appSettings.Common.SoundFormat = {c.channels, c.encoding, c.rate, c.tag};
        std::string path = f.dir.file(c.name);
        ASSERT_TRUE(f.page->createEmptyFile(path.c_str()));
        SoundFormat format;
        SoundStore store;
        RecordingHandler handler;
        ASSERT_TRUE(openSoundFile(path.c_str(), &format, &store, &handler, nullptr));
        EXPECT_EQ(format.trackCount(), c.channels);
        EXPECT_EQ(format.sampleRate, c.rate);
        EXPECT_EQ(format.bytesPerFrame, c.bytesPerFrame);
        EXPECT_EQ(store.length, 0u);
        if (c.tag == 1) {
            EXPECT_EQ(0, runUnixTool("soxi -r '" + unixPath(path) + "' | grep -qx " + std::to_string(c.rate)));
        }
    }
    appSettings.Common.SoundFormat = saved;
    // A file that cannot be made leaves nothing behind.
    std::string missing = f.dir.file("no folder\\x.wav");
    EXPECT_FALSE(f.page->createEmptyFile(missing.c_str()));
}

TEST(EditorWindow, ACompressedSoundOffersToDecompress) {
    EditorFixture f;
    EditorSettings saved = appSettings.Editor;
    std::string path = f.make("-r 8000 -c 1 -b 8 -e unsigned", "synth 0.2 sine 440");
    struct Case {
        u8 warning;
        i32 answer;
        bool asked, queued;
    } cases[] = {{1, 6, true, true}, {1, 7, true, false}, {0, 7, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "warning " << (int)c.warning << " answer " << c.answer);
        appSettings.Editor.convertAuto = 1;
        appSettings.Editor.convertWarning = c.warning;
        boxes.clear();
        boxAnswer = c.answer;
        f.page->newDocument();
        ASSERT_TRUE(f.open(path));
        EXPECT_EQ(shown(RavoText::EditorOfferDecompress), c.asked);
        // The queued DECOMPRESS_AUTO reaches the file row.
        static i32 rows;
        rows = 0;
        fileRowHandler = [](EditorWindow*, SoundBlockProcessor* p) {
            rows += p->actionId == EditorDecompressAuto;
            return true;
        };
        pumpUntil([] { return rows > 0; }, 500);
        fileRowHandler = [](EditorWindow*, SoundBlockProcessor*) { return false; };
        EXPECT_EQ(rows > 0, c.queued);
    }
    appSettings.Editor = saved;
}

TEST(EditorWindow, GrowingUndoDataWarnsOnceEachDoubling) {
    EditorFixture f;
    u64 saved = appSettings.Editor.workFileLimit;
    appSettings.Editor.workFileLimit = 30000;
    ASSERT_TRUE(f.open(f.make("-r 8000 -c 1 -b 16", "synth 1 sine 440")));
    auto warnings = [] {
        i32 n = 0;
        for (const std::string& b : boxes) n += b.find("MB on disk") != std::string::npos;
        return n;
    };
    f.select(0, 8000);  // 16000 bytes each
    f.command(EditorAmplify);
    EXPECT_EQ(warnings(), 0);
    f.command(EditorAmplify);
    EXPECT_EQ(warnings(), 1);
    EXPECT_EQ(f.page->undoWarningThreshold, (u64)f.page->store.workEnd * 2);
    f.command(EditorAmplify);
    EXPECT_EQ(warnings(), 1);
    appSettings.Editor.workFileLimit = saved;
}

TEST(EditorWindow, StopOnAThreePassFilterLeavesTheFileAsItWas) {
    EditorFixture f;
    std::string in = f.make("-r 44100 -c 2 -b 16", "synth 120 sine 440");
    ASSERT_TRUE(f.open(in));
    std::string original = fileSamples(in);
    effectCommandHandler = [](EditorWindow*, u32, SoundBlockProcessor* p) {
        p->param1 = 1000.0;
        setFilterPasses(*p, 3);
        return 1;
    };
    const u32 lowCut = (u32)actionIdByName("LOW_CUT_FILTER");
    f.select(0, f.page->pane->frameCount);
    ASSERT_TRUE(f.page->onCommand(lowCut, nullptr));
    ASSERT_TRUE(f.page->running());
    // Stopped in the second pass, with the first written through.
    GProgressLinePlacer* line = f.page->progressLine;
    ASSERT_TRUE(pumpUntil([&] { return !f.page->running() || line->committed + line->current > line->total / 2; }, 20000));
    ASSERT_TRUE(f.page->running());
    line->requestStop();
    ASSERT_TRUE(f.finished());
    EXPECT_FALSE(f.page->history.canUndo());
    EXPECT_FALSE(f.page->modified);
    EXPECT_TRUE(f.bytes() == original);
    // Saved onto its own file, the file keeps its bytes.
    f.page->saveDocument(in.c_str(), SaveOwnFile);
    EXPECT_TRUE(fileSamples(in) == original);
}

// A background edit's progress line is captioned with the action's title and shortcut (the line's
// clock is the tick seam's: it shows at once).
TEST(EditorWindow, ABackgroundEditCaptionsItsProgressLine) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 2 -b 16", "synth 120 sine 440")));
    effectCommandHandler = [](EditorWindow*, u32, SoundBlockProcessor* p) {
        p->param1 = 1000.0;
        setFilterPasses(*p, 3);
        return 1;
    };
    static std::atomic<DWORD> ticks{1000};
    const SystemInput savedInput = systemInput;
    systemInput.tickCount = [] { return ticks.load(); };
    const u32 lowCut = (u32)actionIdByName("LOW_CUT_FILTER");
    f.select(0, f.page->pane->frameCount);
    ASSERT_TRUE(f.page->onCommand(lowCut, nullptr));
    ASSERT_TRUE(f.page->running());
    ticks += 500;
    GProgressLinePlacer* line = f.page->progressLine;
    line->update(true);
    StatusField* field = line->statusLine->field(3);
    const std::string caption = field->text ? field->text : "";
    line->requestStop();
    ASSERT_TRUE(f.finished());
    systemInput = savedInput;
    GString title = actionTitleWithShortcut(actionById((i32)lowCut));
    EXPECT_EQ(caption, std::string(ravoText(RavoText::EditorRunning)) + title.c_str() + "'...");
}

TEST(EditorWindow, SaveOntoTheSoundsOwnFile) {
    EditorFixture f;
    std::string in = f.make("-r 8000 -c 2 -b 16", "synth 1 sine 300 sine 500 vol 0.8");
    ASSERT_TRUE(f.open(in));
    f.select(1000, 3000);
    f.command(EditorAmplify);
    std::string edited = f.bytes();
    f.command(FileCommandSave);
    ASSERT_TRUE(f.finished());
    EXPECT_FALSE(f.page->modified);
    EXPECT_TRUE(fileSamples(in) == edited);
    // The page reads on from the file it wrote: a second edit and save build on the first.
    f.select(0, 500);
    f.command(EditorAmplify);
    std::string twice = f.bytes();
    EXPECT_TRUE(twice.substr(2000 * 4) == edited.substr(2000 * 4));
    f.command(FileCommandSave);
    ASSERT_TRUE(f.finished());
    EXPECT_TRUE(fileSamples(in) == twice);
    EXPECT_EQ(0, runUnixTool("soxi -s '" + unixPath(in) + "' | grep -qx 8000"));
}

// A command queued for the page waits while a background edit runs and comes after it; a stopped
// edit drops it.
TEST(EditorWindow, QueuedCommandsWaitForTheRunningEdit) {
    EditorFixture f;
    ASSERT_TRUE(f.open(f.make("-r 44100 -c 1 -b 16", "synth 60 sine 440")));
    f.select(0, 100000);
    f.page->queueCommand(EditorUndo);
    ASSERT_TRUE(f.page->onCommand(EditorAmplify, nullptr));
    ASSERT_TRUE(f.page->running());
    ASSERT_TRUE(f.finished());
    // The undo ran after the edit's end, so it found the edit to undo.
    EXPECT_TRUE(pumpUntil([&] { return f.page->history.canRedo(); }, 2000));
    EXPECT_FALSE(f.page->history.canUndo());

    f.page->queueCommand(EditorRedo);
    f.select(0, f.page->pane->frameCount);
    ASSERT_TRUE(f.page->onCommand(EditorAmplify, nullptr));
    ASSERT_TRUE(f.page->running());
    f.page->progressLine->requestStop();
    ASSERT_TRUE(f.finished());
    pumpUntil([] { return false; }, 300);
    // Dropped: the redo of the first edit is still there to do.
    EXPECT_TRUE(f.page->history.canRedo());
    EXPECT_FALSE(f.page->history.canUndo());
}
