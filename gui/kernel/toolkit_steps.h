#pragma once
// The toolkit's own start/stop steps; the program entry creates them and puts them in their slots.
#include "gui/kernel/init_step.h"

// Slot 0: the common controls, the toolkit's colours and the pending-error list (deleted at stop).
class CommonControlsStep : public GInitStep {
public:
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
};

// Slot 1: the large and small icon of every top-level window.
class AppIconsStep : public GInitStep {
public:
    AppIconsStep(u32 largeId = 1001, u32 smallId = 1002) : largeId(largeId), smallId(smallId) {}
    bool start(ErrorHandler* handler, bool reset) override;

    u32 largeId, smallId;
};

// Slot 2: the run-time note and octave name lists, from the loaded texts.
class NoteNamesStep : public GInitStep {
public:
    bool start(ErrorHandler* handler, bool reset) override;
};

// Slot 14: the key bindings, from the hot-key file (the defaults with the reset flag); saved at stop.
class KeyBindingsStep : public GInitStep {
public:
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;
};
