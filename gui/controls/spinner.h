#pragma once
// GSpinner: the narrow up/down arrow column beside a value field's edit line. It has no value of
// its own: each step goes through the field's GValueStepper to the buddy edit line. Holding a
// button repeats (first repeat 400 ms after the press, then every 100 ms, the step doubling after
// every ten repeats); the wheel steps once. Made on the field's owner window and owned like every
// child window; the field owns the stepper.
#include "gui/kernel/timers.h"
#include "gui/kernel/user_window.h"

class GEditLine;
class GValueStepper;

enum : u32 { TypeSpinner = 91 };

// GSpinner::arrowState.
enum : u32 { SpinUpPressed = 1, SpinDownPressed = 2, SpinUpHot = 4, SpinDownHot = 8 };

class GSpinner : public GUserWindow {
public:
    explicit GSpinner(GWindow* owner) : GUserWindow(owner) {}
    ~GSpinner() override;

    bool isKindOf(u32 id) const override { return id == TypeSpinner || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GSpinner"; }
    u32 typeId() const override { return TypeSpinner; }

    bool create();
    void getPreferredSize(i32* width, i32* height) override {
        if (*width < 0) *width = 11;
        *height = 20;
    }
    void paint(HDC dc, const RECT& update, bool erase) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    bool onWheel(i32 delta, u32 keys, bool vertical) override;
    void onTimer(TimerRecord* record) override;
    void onDestroy() override;

    // Presses the arrow of the direction (+1 up, -1 down): one step now, then the repeat.
    void startRepeat(i32 direction);
    void stopRepeat();
    // One step of the buddy. A step the stepper refuses (a range end, a text that is no value)
    // stops the repeat and keeps the value.
    void step(i32 direction);
    // Up and Down as steps; 2 when taken, else 0.
    i32 arrowKey(const struct GInputEvent* event);

    GEditLine* buddy = nullptr;
    const GValueStepper* stepper = nullptr;
    i32 multiplier = 1;
    i32 repeatCounter = 0;
    u32 arrowState = 0;
    TimerRecord timer;
    DWORD pressTick = 0;  // when the arrow was pressed
    u32 ticksDone = 0;    // repeat ticks counted since the press

private:
    void setHot(u32 bits);
};

// The multiplier stops doubling here.
const i32 kSpinMaxMultiplier = 1 << 30;
