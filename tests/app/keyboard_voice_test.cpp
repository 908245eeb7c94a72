// The keyboard's own voice on a synthesizer output behind the in-memory wave-out device, and a real
// keyboard sounding through it.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/keyboard_voice.h"
#include "engine/harmonic_synth.h"
#include "gui/frame/board_window.h"
#include "mm/synth_output.h"
#include "tests/gui/control_fixture.h"
#include "tests/mm/fake_wave_out.h"

namespace {
// An output whose device keeps its buffers: after the first ones nothing is mixed, so the sources
// stay as the voice left them.
struct HeldOutput {
    FakeWaveOut fake{false};
    TestEntry entry;
    SynthOutput synth{&entry, BufferSettings{4, 20, 4}, 2};
    HeldOutput() { fake.attach(synth); }
    bool primed() {
        return fake.waitUntil([&] { return fake.written.size() >= 4; });
    }
    const NoteVoice* voiceAt(size_t i) { return dynamic_cast<const NoteVoice*>(synth.sourceAt(i)); }
};

// The keyboards' switch on the program's flag for the scope.
struct SoundSwitch {
    u8 saved = keyboardSound;
    u8* savedFlag = keyboardSoundFlag();
    SoundSwitch() { keyboardSoundFlag() = &keyboardSound; }
    ~SoundSwitch() {
        keyboardSound = saved;
        keyboardSoundFlag() = savedFlag;
    }
};
}  // namespace

TEST(KeyboardVoice, OneVoiceAtATimeReleasedByFading) {
    HeldOutput out;
    SoundSwitch sw;
    keyboardSound = 1;
    {
        KeyboardVoice voice(&out.synth);
        EXPECT_EQ(1, out.synth.users.load());
        EXPECT_TRUE(out.synth.stateBits() & playerRunning);
        ASSERT_TRUE(out.primed());

        voice.noteOn(9, 4, 127);  // A4 at full level
        ASSERT_EQ(1u, out.synth.sourceCount());
        const NoteVoice* first = out.voiceAt(0);
        ASSERT_TRUE(first);
        ASSERT_EQ(1u, first->voiceTone.harmonics.count);
        EXPECT_DOUBLE_EQ(440.0, first->voiceTone.harmonics[0].frequency);
        EXPECT_DOUBLE_EQ(32767.0, first->voiceTone.harmonics[0].amplitude);

        // A second key: the first voice fades, the new one plays.
        voice.noteOn(0, 5, 100);
        ASSERT_EQ(2u, out.synth.sourceCount());
        ASSERT_TRUE(out.voiceAt(0));
        EXPECT_NEAR(523.25, out.voiceAt(0)->voiceTone.harmonics[0].frequency, 0.01);
        EXPECT_NEAR(100 * 32767.0 / 127, out.voiceAt(0)->voiceTone.harmonics[0].amplitude, 1e-9);
        EXPECT_FALSE(out.synth.sourceAt(0)->fadingOut());
        EXPECT_TRUE(out.synth.sourceAt(1)->fadingOut());

        // Release fades everything; nothing is removed. The switch's call changes nothing.
        voice.noteOff();
        voice.allOff(true);
        ASSERT_EQ(2u, out.synth.sourceCount());
        EXPECT_TRUE(out.synth.sourceAt(0)->fadingOut());

        // With the switch off a key sounds nothing.
        keyboardSound = 0;
        voice.noteOn(9, 4, 127);
        EXPECT_EQ(2u, out.synth.sourceCount());

        // A second user keeps the output when the first leaves.
        KeyboardVoice other(&out.synth);
        EXPECT_EQ(2, out.synth.users.load());
    }
    EXPECT_EQ(0, out.synth.users.load());
    EXPECT_FALSE(out.synth.stateBits() & playerRunning);
}

// Through the installed hooks a real keyboard owns a voice and flips the program's switch.
TEST(KeyboardVoice, InstalledForEveryKeyboard) {
    SoundSwitch sw;
    keyboardSound = 1;
    KeyboardVoiceMaker savedMaker = keyboardVoiceMaker();
    installKeyboardVoice();
    EXPECT_EQ(&keyboardSound, keyboardSoundFlag());
    {
        HeldOutput out;
        static SynthOutput* target;
        target = &out.synth;
        keyboardVoiceMaker() = []() -> GKeyListener* { return new KeyboardVoice(target); };
        controls::Fixture fx(400, 150);
        GBoardWindow* board = new GBoardWindow(fx.dialog);
        ASSERT_TRUE(board->build(0, 4, 9));
        MoveWindow(board->hwnd, 0, 0, 400, 100, TRUE);
        EXPECT_EQ(1, out.synth.users.load());
        ASSERT_TRUE(out.primed());
        board->refresh(false);
        GScrollRange h = board->horizontal, v = board->vertical;
        h.setOrigin(0);
        board->setScrollState(h, v);
        SendMessageA(board->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));  // E0
        EXPECT_EQ(1u, out.synth.sourceCount());
        RECT s = board->soundSwitchRect();
        SendMessageA(board->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(s.left + 4, s.top + 4));
        EXPECT_EQ(0, keyboardSound);
        DestroyWindow(board->hwnd);  // the keyboard ends and lets the output go
        EXPECT_EQ(0, out.synth.users.load());
    }
    keyboardVoiceMaker() = savedMaker;
}
