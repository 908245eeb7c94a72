// The piano keyboard on a real window: hit test, keys, mouse, the sound switch and its pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/controls/notes.h"
#include "gui/frame/board_window.h"
#include "gui/kernel/window_behaviour.h"
#include "gui/paint/colors.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {

class LoggingListener : public GKeyListener {
public:
    void noteOn(i32 note, i32 octave, i32 velocity) override {
        log.push_back("on " + std::to_string(note) + " " + std::to_string(octave) + " " + std::to_string(velocity));
    }
    void noteOff() override { log.push_back("off"); }
    void allOff(bool flag) override { log.push_back(flag ? "all on" : "all off"); }
    std::vector<std::string> log;
};

// A keyboard of `octaves` octaves, three octaves wide, at the top left of a shown dialog; its sound
// switch on a flag of the test's and its keys going to a logging listener.
struct Keyboard {
    // Before the fixture: the keyboard's end (its lost focus) still tells the listener.
    LoggingListener listener;
    controls::Fixture fx{500, 200};
    u8 sound = 1;
    u8* savedFlag = keyboardSoundFlag();
    u32 noteStyle = 0;
    NoteSchemes savedSchemes = noteSchemes();
    GBoardWindow* board = new GBoardWindow(fx.dialog);

    explicit Keyboard(i32 octaves = 16, i32 octave = 4) {
        keyboardSoundFlag() = &sound;
        noteSchemes().noteStyle = &noteStyle;
        EXPECT_TRUE(board->build(0, octave, octaves));
        RECT frame{0, 0, 3 * OctaveWidth, 100};
        AdjustWindowRectEx(&frame, 0, FALSE, WS_EX_CLIENTEDGE);
        i32 w, h;
        board->getPreferredSize(&w, &h);
        MoveWindow(board->hwnd, 0, 0, frame.right - frame.left, h, TRUE);
        board->setListener(&listener);
        board->refresh(true);
    }
    ~Keyboard() {
        keyboardSoundFlag() = savedFlag;
        noteSchemes() = savedSchemes;
    }
    // Posted to the focused keyboard and handled by the message loop.
    void key(u32 message, u32 vk) {
        if (GetFocus() != board->hwnd) giveFocus(board);
        PostMessageA(board->hwnd, message, vk, message == WM_KEYUP ? 0xC0000001 : 1);
        MSG m;
        pumpUntil([&] { return !PeekMessageA(&m, board->hwnd, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE); });
    }
    void mouse(u32 message, i32 x, i32 y) {
        SendMessageA(board->hwnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    std::string hit(i32 x, i32 y) {
        i32 note, octave;
        board->keyAt(x, y, &note, &octave);
        return std::to_string(note) + "/" + std::to_string(octave);
    }
    void scrollTo(i64 origin) {
        GScrollRange h = board->horizontal, v = board->vertical;
        h.setOrigin(origin);
        board->setScrollState(h, v);
    }
};

}  // namespace

TEST(PianoKeyboard, KeyUnderAPoint) {
    Keyboard k;
    k.scrollTo(0);
    struct Case {
        i32 x, y;
        const char* key;
    } cases[] = {
        {14, 10, "1/0"},   // the black key above y 37
        {14, 36, "1/0"},
        {14, 37, "0/0"},   // C below it
        {0, 59, "0/0"},
        {0, 60, "-1/-1"},  // the name row
        {132, 50, "11/0"},
        {133, 50, "0/1"},
        {133 + 43, 10, "4/1"},  // E's upper part starts at 43
        {-1, 10, "-1/-1"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.key, k.hit(c.x, c.y)) << c.x << "," << c.y;
    k.scrollTo(5 * OctaveWidth + 10);
    EXPECT_EQ("1/5", k.hit(4, 10));
    EXPECT_EQ("0/6", k.hit(OctaveWidth - 10, 40));
    // Past the last octave of a short keyboard nothing is hit.
    Keyboard two(2, 0);
    two.scrollTo(0);
    EXPECT_EQ("11/1", two.hit(2 * OctaveWidth - 1, 50));
    EXPECT_EQ("-1/-1", two.hit(2 * OctaveWidth, 50));
}

TEST(PianoKeyboard, OctaveKeysStayOnTheKeyboard) {
    Keyboard k(9, 0);
    struct Step {
        u32 vk;
        i32 octave;
    } steps[] = {{VK_LEFT, 0}, {VK_RIGHT, 1}, {VK_END, 8}, {VK_RIGHT, 8}, {VK_LEFT, 7}, {VK_HOME, 0}};
    for (const Step& s : steps) {
        k.key(WM_KEYDOWN, s.vk);
        EXPECT_EQ(s.octave, k.board->markedOctave) << s.vk;
    }
    // The marked octave is scrolled into the middle.
    k.key(WM_KEYDOWN, VK_END);
    k.key(WM_KEYDOWN, VK_LEFT);
    k.key(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ((6 - 1) * OctaveWidth, k.board->horizontal.origin);
    EXPECT_TRUE(k.listener.log.empty());
}

TEST(PianoKeyboard, LettersPlayTheirNotes) {
    Keyboard k(9, 3);
    InputSeam seam;
    k.key(WM_KEYDOWN, 'E');
    k.key(WM_KEYUP, 'D');  // not the held letter
    k.key(WM_KEYUP, 'E');
    seam.held.insert(VK_SHIFT);
    k.key(WM_KEYDOWN, 'F');  // F sharp
    k.key(WM_KEYUP, 'F');
    k.key(WM_KEYDOWN, 'H');  // Shift on the last note: C of the next octave
    EXPECT_EQ(4, k.board->markedOctave);
    k.key(WM_KEYDOWN, 'X');  // no note
    seam.held.clear();
    EXPECT_EQ((std::vector<std::string>{"on 4 3 100", "off", "on 6 3 100", "off", "on 0 4 100"}), k.listener.log);

    // Shift on the last note of the last octave has no key to press.
    k.listener.log.clear();
    k.board->markedOctave = 8;
    seam.held.insert(VK_SHIFT);
    k.key(WM_KEYDOWN, 'H');
    seam.held.clear();
    EXPECT_TRUE(k.listener.log.empty());

    // Digit names: "B" is the last note; names of two letters play nothing.
    k.noteStyle = 2;
    k.board->markedOctave = 2;
    k.key(WM_KEYDOWN, 'B');
    k.noteStyle = 3;
    k.key(WM_KEYDOWN, 'B');
    k.key(WM_KEYDOWN, '1');
    EXPECT_EQ((std::vector<std::string>{"on 11 2 100", "on 1 2 100"}), k.listener.log);

    // With the switch off keys are marked but not sounded.
    k.listener.log.clear();
    k.sound = 0;
    k.key(WM_KEYDOWN, '5');
    EXPECT_EQ(5, k.board->markedNote);
    EXPECT_TRUE(k.listener.log.empty());
}

TEST(PianoKeyboard, PressKeyChecksItsArguments) {
    Keyboard k(9, 4);
    struct Case {
        i32 note, octave;
        bool pressed;
    } cases[] = {{0, 0, true}, {11, 8, true}, {12, 4, false}, {-1, 4, false}, {0, 9, false}, {0, -1, false}};
    for (const Case& c : cases) EXPECT_EQ(c.pressed, k.board->pressKey(c.note, c.octave)) << c.note << " " << c.octave;
    EXPECT_EQ(11, k.board->markedNote);
    EXPECT_EQ(8, k.board->markedOctave);
}

TEST(PianoKeyboard, MarksFrequenciesAndPeriods) {
    Keyboard k(16, 0);
    struct Case {
        f64 value;
        bool period;
        i32 note, octave;
    } cases[] = {{440, false, 9, 4}, {-1, false, 12, 4}, {261.63, false, 0, 4}, {1000.0 / 440, true, 9, 4},
                 {16.36, false, 0, 0}, {1000.0 / 880, true, 9, 5}};
    for (const Case& c : cases) {
        if (c.period) k.board->markPeriod(c.value);
        else k.board->markFrequency(c.value);
        EXPECT_EQ(c.note, k.board->markedNote) << c.value;
        if (c.note < 12) EXPECT_EQ(c.octave, k.board->markedOctave) << c.value;
    }
    // 880 Hz is centred: three octaves wide, it stands one octave from the left.
    EXPECT_EQ(4 * OctaveWidth, k.board->horizontal.origin);
}

TEST(PianoKeyboard, MouseKeysSwitchAndHover) {
    Keyboard k(9, 4);
    InputSeam seam;
    seam.active = k.fx.dialog->hwnd;
    k.scrollTo(0);
    // Press and release on E of octave 0, then of octave 1.
    k.mouse(WM_LBUTTONDOWN, 45, 50);
    k.mouse(WM_LBUTTONUP, 45, 50);
    k.mouse(WM_LBUTTONDOWN, OctaveWidth + 45, 50);
    EXPECT_EQ(4, k.board->markedNote);
    EXPECT_EQ(1, k.board->markedOctave);
    // The sound switch: off, then a key sounds nothing, then on.
    RECT sw = k.board->soundSwitchRect();
    k.mouse(WM_LBUTTONDOWN, sw.left + 5, sw.top + 5);
    EXPECT_EQ(0, k.sound);
    k.mouse(WM_LBUTTONDOWN, 10, 50);
    k.mouse(WM_LBUTTONDOWN, sw.left + 5, sw.top + 5);
    EXPECT_EQ(1, k.sound);
    EXPECT_EQ((std::vector<std::string>{"on 4 0 100", "off", "on 4 1 100", "all off", "all on"}), k.listener.log);
    // A disabled keyboard takes no clicks (losing the focus released the note).
    k.listener.log.clear();
    EnableWindow(k.board->hwnd, FALSE);
    k.mouse(WM_LBUTTONDOWN, 45, 50);
    EnableWindow(k.board->hwnd, TRUE);
    EXPECT_EQ(0, k.board->markedNote);  // C, pressed with the sound off
    for (const std::string& call : k.listener.log) EXPECT_EQ("off", call);
    k.listener.log.clear();

    // The pointer over a key makes it the hover key; leaving releases the note.
    seam.pointAt(k.board->hwnd, 20, 10);
    k.mouse(WM_MOUSEMOVE, 20, 10);
    EXPECT_EQ(1, k.board->hoverNote);
    EXPECT_EQ(0, k.board->hoverOctave);
    seam.pointAt(k.board->hwnd, 20, 500);
    k.mouse(WM_MOUSEMOVE, 20, 500);
    EXPECT_EQ(-1, k.board->hoverNote);
    EXPECT_EQ((std::vector<std::string>{"off"}), k.listener.log);
}

TEST(PianoKeyboard, PaintsTheMarkedFrameAndTheHoverOutline) {
    Keyboard k(9, 0);
    k.scrollTo(0);
    k.board->markedNote = 2;  // D: lower bounds 19..37
    k.board->markedOctave = 0;
    k.board->hoverNote = 9;  // A of octave 1: lower bounds 95..113
    k.board->hoverOctave = 1;
    RedrawWindow(k.board->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const COLORREF marked = toolkitColors.selection, hover = sysColor(COLOR_HOTLIGHT);
    const HWND w = k.board->hwnd;
    // Three pixels of frame on the left and bottom sides of D, then the key's white.
    for (i32 i = 0; i < 3; ++i) {
        EXPECT_EQ(marked, controls::pixelAt(w, 19 + i, 45)) << i;
        EXPECT_EQ(marked, controls::pixelAt(w, 28, 58 - i)) << i;
    }
    EXPECT_EQ(RGB(255, 255, 255), controls::pixelAt(w, 22, 45));
    // Its notches: the upper part runs from 24 (C sharp ends) to 33.
    EXPECT_EQ(marked, controls::pixelAt(w, 24, 10));
    EXPECT_NE(marked, controls::pixelAt(w, 20, 10));
    // One pixel of hover outline.
    EXPECT_EQ(hover, controls::pixelAt(w, OctaveWidth + 95, 45));
    EXPECT_NE(hover, controls::pixelAt(w, OctaveWidth + 96, 45));
    EXPECT_EQ(hover, controls::pixelAt(w, OctaveWidth + 100, 58));
    // The octave image: black keys and the white of E.
    EXPECT_EQ(RGB(24, 24, 24), controls::pixelAt(w, 16, 10));
    EXPECT_EQ(RGB(255, 255, 255), controls::pixelAt(w, 50, 20));
    // Every octave shows it.
    EXPECT_EQ(RGB(24, 24, 24), controls::pixelAt(w, 2 * OctaveWidth + 16, 10));
    EXPECT_EQ(RGB(255, 255, 255), controls::pixelAt(w, 2 * OctaveWidth + 50, 20));
}
