#pragma once
// The effect preview: an effect's dialog run with Preview (command 4) and play-as-is (command 5)
// before OK. Preview applies the effect to the first five seconds of the range as a trial, plays
// them while a stop window covers the pressed button and the dialog turns translucent, then takes
// the trial back out; play-as-is plays the untouched sound. Owns nothing past the call.
//
// A row of the effect handler opts in by running its built dialog through runEffectDialog instead
// of placeWindowAuto, with the lines that copy the dialog's values into the processor as takeValues:
//     return runEffectDialog(editor, p, &dialog, [&] { p->param1 = record.factor; });
#include <functional>

#include "core/types.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/timers.h"

class EditorWindow;
class SoundBlockProcessor;
class SoundPlayer;

// Runs the built dialog modally until OK or a cancel; after every Preview and play-as-is it plays
// and shows the dialog again with its values kept. Before each takeValues the processor's range is
// the one it was bound with, so the last pass's values run on the whole range. againShown runs
// before each later showing. 1: OK, the values taken; 0: cancelled.
i32 runEffectDialog(EditorWindow* editor, SoundBlockProcessor* processor, GDialog* dialog,
                    const std::function<void()>& takeValues = nullptr,
                    const std::function<void()>& againShown = nullptr);

// The stop window over the pressed button: one button; any command stops the player; it closes
// when playback has ended (checked every 500 ms). The preview owns it on its stack.
class PreviewStopWindow : public GDialog {
public:
    PreviewStopWindow(GWindow* owner, SoundPlayer* player, const char* help) : GDialog(owner, help), player(player) {}
    ~PreviewStopWindow() override;
    const char* className() const override { return "PreviewStopWindow"; }

    bool build();
    bool onCommand(u32 command, GStateQuery* query) override;
    void onTimer(TimerRecord* record) override;

    SoundPlayer* player;
    TimerRecord timer;
};
