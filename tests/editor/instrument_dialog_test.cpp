// The instrument window opened from the Editor's instruments menu over the tests' instrument
// plug-in: keys clicked while recording, the buttons' states, playback on the machine's device and
// the recording rendered into the sound.
#include "editor/instrument_dialog.h"

#include <gtest/gtest.h>

#include "app/metronome_window.h"
#include "app/note_list_dialog.h"
#include "app/program_texts.h"
#include "editor/wave_pane.h"
#include "gui/controls/button.h"
#include "gui/frame/board_window.h"
#include "gui/frame/shown_notices.h"
#include "gui/input/system_input.h"
#include "mm/synth_output.h"
#include "tests/app/note_event_text.h"
#include "tests/editor/plugin_fixture.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"

namespace {
DWORD g_tick = 0;
DWORD fakeTick() { return g_tick; }


// The client point of the key on the keyboard as it is scrolled now.
POINT keyPoint(GBoardWindow* board, i32 note, i32 octave) {
    for (i32 x = 0; x < OctaveWidth; ++x) {
        i32 n, o;
        board->keyAt(x, KeyRowsHeight - 5, &n, &o);
        if (n == note && o == octave) return POINT{x, KeyRowsHeight - 5};
    }
    return POINT{-1, -1};
}

void mouse(GBoardWindow* board, UINT message, POINT at) {
    SendMessageA(board->hwnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
}

bool enabled(GDialog& d, u32 id) {
    HWND control = GetDlgItem(d.hwnd, (int)id);
    return control && IsWindowEnabled(control);
}

// OK, Cancel, notes, play, record, keyboard.
std::string states(GVSTInstrumentDialog& d) {
    std::string s;
    for (u32 id : {1u, 2u, 1000u, 1002u, 1001u}) s += enabled(d, id) ? '1' : '0';
    s += IsWindowEnabled(d.keyboard->hwnd) ? '1' : '0';
    return s;
}

struct ClockScope {
    ClockScope() { systemInput.tickCount = fakeTick; }
    ~ClockScope() { systemInput.tickCount = systemInputDefaults.tickCount; }
};

std::vector<i16> leftSamples(PluginFixture& f) {
    const std::string bytes = f.bytes();
    std::vector<i16> left(bytes.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) memcpy(&left[i], bytes.data() + i * 4, 2);
    return left;
}
}  // namespace

// Keys clicked while recording land in the list from time 0; the buttons follow the state; the list
// plays through the device until its last event; OK renders it into the range. The list and the
// window are offered again, without the hint.
TEST(InstrumentWindow, RecordsPlaysAndRendersTheKeys) {
    PluginFixture f({"synth_plugin=synth.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 1 sine 440 sine 550"));
    clearNoteEvents(noteEventList());
    loadNotices("");
    ClockScope clock;
    f.menu(VstInstrumentsMenuId);
    const u32 synthItem = (u32)f.itemId("Test Synth");
    VstPlugin* synth = vstPluginAt((u32)PluginFixture::pluginIndex("Test Synth"));
    ASSERT_TRUE(synth->load(nullptr, 44100, -1)) << "loaded before for a sound of another rate";
    f.page->pane->selectAllPlain();
    std::string shown[6];
    std::string recorded;
    {
        ModalScript script(TypeGVSTInstrumentDialog, {
            [&](GDialog& d) {
                auto& w = static_cast<GVSTInstrumentDialog&>(d);
                ASSERT_NE(w.keyboard, nullptr);
                EXPECT_EQ(w.keyboard->octaves, 9);
                EXPECT_EQ(w.keyboard->markedNote, 0);
                EXPECT_EQ(w.keyboard->markedOctave, 4);
                EXPECT_EQ(w.keyboard->keyListener(), w.recorder);
                EXPECT_GE(SynthOutput::instance().users.load(), 1);
                EXPECT_EQ(synth->sampleRate(), SynthOutput::instance().rate) << "keys sound at the output's rate";
                shown[0] = states(w);
                g_tick = 1000;
                ModalScript::click(d, InstrumentRecordCommand);
                shown[1] = states(w);
                EXPECT_EQ(w.recordButton->text.c_str(), std::string(ravoText(RavoText::InstrumentRecordStop)));
                EXPECT_TRUE(w.timeDisplay->running());
            },
            [&](GDialog& d) {
                auto& w = static_cast<GVSTInstrumentDialog&>(d);
                const POINT c4 = keyPoint(w.keyboard, 0, 4);
                saveWindowShot(d.hwnd, "instrument_window.bmp");
                ASSERT_GE(c4.x, 0) << "C4 is in view";
                g_tick = 1250;
                mouse(w.keyboard, WM_LBUTTONDOWN, c4);
                g_tick = 1400;
                mouse(w.keyboard, WM_LBUTTONUP, c4);
                g_tick = 1600;
                ModalScript::click(d, InstrumentRecordCommand);
                recorded = dumpNoteEvents(noteEventList());
                shown[2] = states(w);
                EXPECT_EQ(w.recordButton->text.c_str(), std::string(ravoText(RavoText::InstrumentRecordStart)));
                EXPECT_FALSE(w.timeDisplay->running());
            },
            [&](GDialog& d) {
                auto& w = static_cast<GVSTInstrumentDialog&>(d);
                ModalScript::click(d, InstrumentPlayCommand);
                shown[3] = states(w);
                EXPECT_EQ(w.playButton->text.c_str(), std::string(ravoText(RavoText::InstrumentPlayStop)));
            },
            [&](GDialog& d) {
                // 350 ms of the output's frames: the run ends by itself, back on this thread.
                auto& w = static_cast<GVSTInstrumentDialog&>(d);
                if (w.recorder->playing) {
                    --ModalScript::current->next;  // this step again on the next tick
                    return;
                }
                shown[4] = states(w);
                EXPECT_EQ(w.playButton->text.c_str(), std::string(ravoText(RavoText::InstrumentPlayStart)));
                ModalScript::click(d, 1);
            },
        });
        ASSERT_TRUE(f.command(synthItem));
        ASSERT_TRUE(f.finished());
        EXPECT_EQ(script.runs, 1);
    }
    EXPECT_EQ(shown[0], "011011") << "idle with an empty list";
    EXPECT_EQ(shown[1], "000011") << "recording";
    EXPECT_EQ(recorded, "0:90:60 150:80:60 350:B0:120");
    EXPECT_EQ(shown[2], "111111") << "idle with a recording";
    EXPECT_EQ(shown[3], "000100") << "playing";
    EXPECT_EQ(shown[4], "111111");
    EXPECT_EQ(std::count(f.boxes.begin(), f.boxes.end(), std::string(ravoText(RavoText::InstrumentHint))), 1);
    EXPECT_EQ(SynthOutput::instance().sourceCount(), 0u) << "the window's source left with it";

    // C4 (key 60 of 128) from the start for 150 ms (1200 frames at the sound's 8000 Hz), then silence.
    EXPECT_EQ(synth->sampleRate(), 8000);
    ASSERT_TRUE(f.page->history.canUndo());
    std::vector<i16> left = leftSamples(f);
    ASSERT_EQ(left.size(), 8000u);
    for (size_t i : {100u, 600u, 1150u}) EXPECT_EQ(left[i], 15360) << "frame " << i;
    for (size_t i : {1250u, 4000u, 7900u}) EXPECT_EQ(left[i], 0) << "frame " << i;

    // Again: the list is offered as it was, the hint is not shown, Cancel changes nothing.
    const std::string before = f.bytes();
    f.boxes.clear();
    {
        ModalScript script(TypeGVSTInstrumentDialog, {[&](GDialog& d) {
                                                          shown[5] = states(static_cast<GVSTInstrumentDialog&>(d));
                                                          ModalScript::click(d, 2);
                                                      }});
        ASSERT_TRUE(f.command(synthItem));
        ASSERT_TRUE(f.finished());
    }
    EXPECT_EQ(shown[5], "111111");
    EXPECT_EQ(dumpNoteEvents(noteEventList()), "0:90:60 150:80:60 350:B0:120");
    EXPECT_TRUE(f.boxes.empty());
    EXPECT_EQ(f.bytes(), before);
    clearNoteEvents(noteEventList());
}

// A recording ends by itself when the output has run for the range's length: the finished run
// comes back to the window's buttons on the interface thread.
TEST(InstrumentWindow, ARecordingEndsAtTheLengthOfTheRange) {
    PluginFixture f({"synth_plugin=synth.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 1 -b 16", "synth 0.1 sine 440"));
    markNoticeShown(NoticeInstrumentKeys);
    f.menu(VstInstrumentsMenuId);
    f.page->pane->selectAllPlain();
    u32 maxLength = 0;
    bool ended = false;
    std::string afterwards;
    ModalScript script(TypeGVSTInstrumentDialog, {[&](GDialog& d) {
                                                      auto& w = static_cast<GVSTInstrumentDialog&>(d);
                                                      maxLength = w.recorder->maxLength;
                                                      ModalScript::click(d, InstrumentRecordCommand);
                                                      ended = pumpUntil([&] { return w.recorder->recording == 0; }, 5000);
                                                      afterwards = w.recordButton->text.c_str();
                                                      ModalScript::click(d, 2);
                                                  }});
    ASSERT_TRUE(f.command((u32)f.itemId("Test Synth")));
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(maxLength, 4410u) << "0.1 s of the output's 44100 Hz";
    EXPECT_TRUE(ended);
    EXPECT_EQ(afterwards, ravoText(RavoText::InstrumentRecordStart));
    EXPECT_EQ(dumpNoteEvents(noteEventList()), "0:B0:120");
    clearNoteEvents(noteEventList());
}

// The note list opens from the window over the process's list; what it deletes counts at once for
// the buttons.
TEST(InstrumentWindow, TheNoteListEditsTheRecording) {
    PluginFixture f({"synth_plugin=synth.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 0.5 sine 440"));
    markNoticeShown(NoticeInstrumentKeys);
    NoteEventList& list = noteEventList();
    clearNoteEvents(list);
    for (const PluginEvent& e : {noteEvent(0, 0x90, 60, 100), noteEvent(150, 0x80, 60, 64), noteEvent(350, 0xB0, 120)})
        *list.append(1) = e;
    f.menu(VstInstrumentsMenuId);
    f.page->pane->selectAllPlain();
    std::string before, after, inList;
    ModalScript script(TypeGVSTInstrumentDialog, {[&](GDialog& d) {
                                                      auto& w = static_cast<GVSTInstrumentDialog&>(d);
                                                      before = states(w);
                                                      PluginFixture::later([&] {
                                                          auto* notes = static_cast<GMIDIDialog*>(pendingModalDialog());
                                                          ASSERT_TRUE(notes && notes->isKindOf(TypeGMIDIDialog));
                                                          notes->editor->setRowSelected(1, true);
                                                          notes->deleteNote();  // the note off and its note on
                                                          ModalScript::post(*notes, 1);
                                                      });
                                                      ModalScript::click(d, InstrumentNotesCommand);
                                                      inList = dumpNoteEvents(noteEventList());
                                                      after = states(w);
                                                      ModalScript::click(d, 2);
                                                  }});
    ASSERT_TRUE(f.command((u32)f.itemId("Test Synth")));
    ASSERT_TRUE(f.finished());
    EXPECT_EQ(before, "111111");
    EXPECT_EQ(inList, "350:B0:120");
    EXPECT_EQ(after, "011011") << "one event: nothing to play or render";
    clearNoteEvents(list);
}

// Escape is refused while recording and ends the window while playing; the window's source leaves
// the output with it and no run calls back afterwards.
TEST(InstrumentWindow, EscapeWhileRecordingAndWhilePlaying) {
    PluginFixture f({"synth_plugin=synth.dll"});
    ASSERT_TRUE(f.open("-r 8000 -c 2 -b 16", "synth 1 sine 440"));
    markNoticeShown(NoticeInstrumentKeys);
    clearNoteEvents(noteEventList());
    f.menu(VstInstrumentsMenuId);
    f.page->pane->selectAllPlain();
    const std::string sound = f.bytes();
    const i32 users = SynthOutput::instance().users;
    bool stillRecording = false, playing = false;
    ModalScript script(TypeGVSTInstrumentDialog, {
        [&](GDialog& d) {
            ModalScript::click(d, InstrumentRecordCommand);
            PostMessageA(d.hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
        },
        [&](GDialog& d) {
            auto& w = static_cast<GVSTInstrumentDialog&>(d);
            stillRecording = d.result == -1 && w.recorder->recording;
            // A list of 6 s: the run lasts the second of the range.
            ModalScript::click(d, InstrumentRecordCommand);
            clearNoteEvents(noteEventList());
            for (const PluginEvent& e : {noteEvent(0, 0x90, 60, 100), noteEvent(6000, 0xB0, 120)}) *noteEventList().append(1) = e;
            w.updateButtonStates();
            ModalScript::click(d, InstrumentPlayCommand);
            playing = w.recorder->playing;
            ModalScript::unmark(d);
            PostMessageA(d.hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
        },
    });
    ASSERT_TRUE(f.command((u32)f.itemId("Test Synth")));
    ASSERT_TRUE(f.finished());
    EXPECT_TRUE(stillRecording);
    EXPECT_TRUE(playing);
    EXPECT_EQ(SynthOutput::instance().sourceCount(), 0u);
    EXPECT_EQ(SynthOutput::instance().users.load(), users);
    pumpUntil([] { return false; }, 1200);  // longer than the run would have lasted
    EXPECT_EQ(f.bytes(), sound);
    clearNoteEvents(noteEventList());
}
