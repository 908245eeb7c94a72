#pragma once
// GNoteBoard: the note picker, a keyboard of 16 octaves over a frequency field (Hz) and a period
// field (ms) that follow each other and the keyboard. A layout panel made into a builder's current
// container, which owns it with its windows. Every change goes up as notification 0.
#include "core/types.h"
#include "gui/layout/layout_rows.h"

class GBoardWindow;
class GEditLine;
class GLayoutBuilder;

class GNoteBoard : public GColumnsItem {
public:
    GNoteBoard(GLayoutBuilder& builder, f64 frequency);

    bool onControlNotify(void* notification) override;
    // Sets the frequency and what follows from it, without notifying.
    void setFrequency(f64 hz);

    GBoardWindow* board = nullptr;
    GEditLine* frequencyLine = nullptr;
    GEditLine* periodLine = nullptr;
    f64 frequency = 0, period = 0;

private:
    void showValues(bool frequencyText, bool periodText);
    void passOn();
    bool updating = false;
};
