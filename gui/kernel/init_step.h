#pragma once
// Start/stop steps of the application run. The program entry creates the step objects, puts them
// in the table of 44 slots (empty slots stay null) and owns them; they live across restarts. The
// run starts them in slot order and stops them in reverse; a quit gives each its on-quit call.
#include "core/error.h"
#include "core/types.h"

class GInitStep {
public:
    virtual ~GInitStep() = default;
    // False ends the run; the step reports its own failure through the handler.
    virtual bool start(ErrorHandler* /*handler*/, bool /*reset*/) { return true; }
    virtual void afterAllStarted() {}
    // While the windows still exist.
    virtual void onQuit() {}
    virtual void stop() {}
};

enum : u32 { InitStepSlots = 44 };
extern GInitStep* initSteps[InitStepSlots];
extern bool initStepsStarted;
extern bool onQuitDone;

// Starts the steps from slot 0 up; on a failure stops the ones started, in reverse, and answers
// false. Then every step's afterAllStarted, from slot 43 down. True at once when already started.
bool startInitSteps(ErrorHandler* handler, bool reset);
// Stops the steps from slot 43 down when they were started.
void stopInitSteps();
// Every step's onQuit from slot 0 up.
void quitInitSteps();
