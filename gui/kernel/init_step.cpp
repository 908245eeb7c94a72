#include "gui/kernel/init_step.h"

GInitStep* initSteps[InitStepSlots] = {};
bool initStepsStarted = false;
bool onQuitDone = false;

bool startInitSteps(ErrorHandler* handler, bool reset) {
    if (initStepsStarted) return true;
    initStepsStarted = true;
    for (u32 i = 0; i < InitStepSlots; ++i) {
        if (!initSteps[i] || initSteps[i]->start(handler, reset)) continue;
        for (u32 j = i; j-- > 0;)
            if (initSteps[j]) initSteps[j]->stop();
        return false;
    }
    for (u32 i = InitStepSlots; i-- > 0;)
        if (initSteps[i]) initSteps[i]->afterAllStarted();
    return true;
}

void stopInitSteps() {
    if (!initStepsStarted) return;
    initStepsStarted = false;
    for (u32 i = InitStepSlots; i-- > 0;)
        if (initSteps[i]) initSteps[i]->stop();
}

void quitInitSteps() {
    for (GInitStep* step : initSteps)
        if (step) step->onQuit();
}
