#pragma once
// GBoardWindow: the piano keyboard, a horizontally scrolling row of octaves of 133 pixels on which
// keys are pressed with the mouse or with letters named like the notes; and the sort table of the
// notes boards' records. A key press goes to the keyboard's key listener: its own voice (made by the
// hook a sounding layer installs, owned by the keyboard) unless the owner sets another, which stays
// the owner's. Created by its owner into a layout; deletes itself with its native window like every
// child window.
#include "core/types.h"
#include "gui/kernel/user_window.h"

class GLayoutBuilder;

enum : u32 { TypeBoardWindow = 88 };

// The fields of a board record that the sort table reads. The boards keep arrays of pointers to them.
struct BoardSortRecord {
    f64 firstNumber = 0;
    i32 firstInteger = 0;
    i32 secondInteger = 0;
    f64 secondNumber = 0;
    const char* text = nullptr;
    u32 value = 0;
    u8 firstFlag = 0;
    u8 secondFlag = 0;
};

// qsort form over arrays of BoardSortRecord*: -1, 0, 1. Pairs (ascending, descending) by key:
// first number, first integer, second integer, second number, text, value, flags.
typedef int (*BoardComparator)(const void* a, const void* b);
extern const BoardComparator boardComparators[14];

// Hears the keys of a keyboard: a key went down (note 0..11, octave, velocity 0..127), the key
// went up, the sound switch changed (its new state).
class GKeyListener {
public:
    virtual ~GKeyListener() = default;
    virtual void noteOn(i32 note, i32 octave, i32 velocity) = 0;
    virtual void noteOff() = 0;
    virtual void allOff(bool flag) = 0;
};

// The switch that lets keys sound, read through this pointer; the settings owner points it at its
// flag. Until then it points at a flag of its own that is on.
u8*& keyboardSoundFlag();
inline bool keyboardSoundOn() { return *keyboardSoundFlag() != 0; }

// Makes the keyboard's own voice (also holding the sound output from then on); null or a null
// answer: the keys sound nothing.
typedef GKeyListener* (*KeyboardVoiceMaker)();
KeyboardVoiceMaker& keyboardVoiceMaker();

// Geometry of one octave: semitone bounds above y 37 (black keys) and below (white keys only).
enum : i32 { OctaveWidth = 133, KeyRowsHeight = 60, BlackKeyHeight = 37, SoundSwitchSize = 18, MaxOctaves = 16 };
extern const i32 upperKeyBounds[13];
extern const i32 lowerKeyBounds[13];
// The resource picture of one octave of keys.
const i32 OctaveImageId = 8003;

// Notification sent up when a key was pressed (value: note + 12 x octave).
enum : u32 { BoardKeyPressed = 0 };

class GBoardWindow : public GUserImage {
public:
    explicit GBoardWindow(GWindow* parent);
    ~GBoardWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeBoardWindow || GUserImage::isKindOf(id); }
    const char* className() const override { return "GBoardWindow"; }
    u32 typeId() const override { return TypeBoardWindow; }

    // The native window (133 x 60, no vertical bar) with `octaves` octaves (1..16), the key marked
    // and scrolled into the middle; the own voice is made here.
    bool build(i32 note, i32 octave, i32 octaves);
    // A keyboard built into the builder's current container.
    static GBoardWindow* create(GLayoutBuilder& builder, i32 note, i32 octave, i32 octaves, const char* code = nullptr);
    // Null: the own voice again.
    void setListener(GKeyListener* listener);
    GKeyListener* keyListener() const { return listener; }

    // Marks the key of the frequency (none for f < 0) and centres it.
    void markFrequency(f64 hz);
    // The same with 1000 / ms Hz.
    void markPeriod(f64 ms);
    // Marks the key and sounds it when keys sound; false for a note outside 0..11 or an octave
    // outside the keyboard.
    bool pressKey(i32 note, i32 octave);
    // Clears the hover key, brings the marked octave into the keyboard, centres it when asked and
    // repaints.
    void refresh(bool centre);
    // The key under a client point: note and octave, or -1, -1.
    void keyAt(i32 x, i32 y, i32* note, i32* octave);
    // The key under the point becomes the hover key (repainted when it changed).
    void hoverAt(i32 x, i32 y);
    void endHover();
    // The sound switch's client rectangle.
    RECT soundSwitchRect();

    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    i32 handleKey(GInputEvent* event) override;
    bool handleMouse(GInputEvent* event) override;
    bool onFocus(bool gained, HWND other) override;
    i32 acceptsFocus() override { return 1; }
    bool repaintOnScroll() override { return true; }
    // Event 0: a key was pressed; sent up to the owner.
    void onLayoutEvent(u32 kind) override;

    // A move is handed on as a begin at its point.
    bool dragMove(GMouseCapture* capture, i32, i32, i32 x, i32 y) override { return dragBegin(capture, x, y); }

    i32 markedNote = 12;   // 12: none
    i32 markedOctave = 4;
    i32 hoverNote = -1, hoverOctave = -1;
    u8 pressedChar = 0;
    i32 octaves = 1;

private:
    i32 nameRowHeight();
    void sendUp(u32 code, intptr_t value);
    void paintOutline(HDC dc, i32 x, i32 note, i32 inset);
    void paintSoundSwitch(HDC dc);

    // One octave's picture over the background, copied to every octave (the picture itself is
    // drawn with a key colour, which is slow); made again when the background changes.
    bool prepareOctaveStrip(HDC dc);
    HBITMAP octaveStrip = nullptr;  // owned
    u32 stripBackground = 0;
    i32 stripWidth = 0, stripHeight = 0;

    GKeyListener* defaultListener = nullptr;  // owned
    GKeyListener* listener = nullptr;
    class GBoardHover* hover = nullptr;        // on the window's chain, which deletes it
};
