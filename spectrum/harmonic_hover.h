#pragma once
// SpectrumHoverTracker: follows the pointer over a spectrum pane, asking the pane whether the point
// counts and drawing its XOR feedback at the old point (erasing it) and at the new one. Made by the
// pane on its window's chain, which deletes it.
#include "gui/input/hover_tracker.h"

class SpectPane;

class SpectrumHoverTracker : public GHoverTracker {
public:
    explicit SpectrumHoverTracker(SpectPane* pane);

    void onEnter(i32 x, i32 y) override { follow(x, y); }
    void onHover(i32 x, i32 y) override { follow(x, y); }
    void onLeave() override;

    SpectPane* pane;
    bool shown = false;  // feedback on the screen at (shownX, shownY)
    i32 shownX = 0, shownY = 0;

private:
    void follow(i32 x, i32 y);
};
