#pragma once
// GMetronomeWindow ("GMetronomeWindow", type 115): a drawn dial of beats that lights the current
// beat, with the elapsed time below, after a count-down to its start tick. It tells its owner
// (control notification MetronomeStarted) when it starts. Made by a dialog's builder; deleted with
// its native window like any child.
#include "gui/kernel/timers.h"
#include "gui/kernel/user_window.h"

class GLayoutBuilder;

enum : u32 { TypeMetronomeWindow = 115 };
enum : u32 { MetronomeStarted = 1 };

// The lit beat's colour; the others run from the first of the beat colours at the tip to the
// second at the centre.
const COLORREF kMetronomeLitColor = 0x64A019;
extern COLORREF metronomeBeatColors[2];

struct MetronomeSetup {
    i32 beatsPerBar = 4;
    i32 msPerBeat = 500;
    u32 startTick = 0;   // may lie ahead: the window counts down
    bool stopped = false;  // waits for start()
    const char* waitingText = "";
};

class GMetronomeWindow : public GUserWindow {
public:
    GMetronomeWindow(GWindow* owner, const MetronomeSetup& setup);
    ~GMetronomeWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeMetronomeWindow || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GMetronomeWindow"; }
    u32 typeId() const override { return TypeMetronomeWindow; }

    // Made with the builder's owner and added to its container; the 50 ms timer starts.
    static GMetronomeWindow* build(GLayoutBuilder& builder, const MetronomeSetup& setup);

    void start();
    void stop();
    bool running() const { return isRunning; }
    bool stopped() const { return isStopped; }
    // The beat lit now, -1 when none.
    i32 currentBeat(u32 now) const;
    // Seconds shown under the dial: elapsed while running, the count-down while waiting, -1 stopped.
    i32 shownSeconds(u32 now) const;

    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    void onTimer(TimerRecord* record) override;

    // The dial's centre and radius in the client rectangle; radius below 3: nothing is drawn.
    static void dialGeometry(const RECT& client, POINT* centre, i32* radius, RECT* textRect);

private:
    i32 beatsPerBar;
    i32 msPerBeat;
    u32 startTick;
    bool isStopped;
    const char* waitingText;
    bool isRunning = false;
    TimerRecord timer;
};
