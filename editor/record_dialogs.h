#pragma once
// The two dialogs of the record command: RecordDialog (the choices of the recording settings with
// the input level) and RecordProcessDialog (level, metronome and the stop button while recording).
// The record command owns both, on its stack; their trees own their controls.
#include "app/effect_dialogs.h"
#include "gui/kernel/timers.h"

class DigitField;
class GLayoutBuilder;
class GMetronomeWindow;
class GProgressBar;
class GRadioBox;
class RecordFragmentProcessor;
class ValueField;
struct SoundFormat;
struct SoundSettings;

enum : u32 { RecordStopButton = 1000 };

// The mixer panel of the recording line in RecordDialog, installed at start by a layer that has one;
// null: the dialog has none.
extern void (*buildRecordMixerPanel)(GLayoutBuilder& builder, SoundSettings& sound);

class RecordDialog : public GDialog {
public:
    RecordDialog(GWindow* owner, RecordFragmentProcessor* processor);
    ~RecordDialog() override;
    bool isKindOf(u32 id) const override { return id == TypeRecordDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "RecordDialog"; }
    u32 typeId() const override { return TypeRecordDialog; }

    // Makes the window with its controls over the recording settings at the sound's rate.
    bool build(u32 rate);
    bool onControlNotify(void* notification) override;
    void onTimer(TimerRecord* record) override;
    // Enables the fields of the checked choices.
    void keepConsistent();

    RecordFragmentProcessor* processor;
    GRadioBox* write[3] = {};     // values 2, 1, 0
    GRadioBox* position[2] = {};  // values 0, 1
    GRadioBox* begin[3] = {};     // values 0, 1, 3
    GRadioBox* end[3] = {};       // values 0, 1, 2
    DigitField* countIn = nullptr;
    ValueField* startLevel = nullptr;
    DigitField* duration = nullptr;
    ValueField* silenceLevel = nullptr;
    DigitField* silenceTime = nullptr;
    GProgressBar* level = nullptr;
    i32 chosenPosition = 0;  // the user's last choice in the position group
    TimerRecord timer;
};

class RecordProcessDialog : public GDialog {
public:
    RecordProcessDialog(GWindow* owner, RecordFragmentProcessor* processor);
    ~RecordProcessDialog() override;
    bool isKindOf(u32 id) const override { return id == TypeRecordProcessDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "RecordProcessDialog"; }
    u32 typeId() const override { return TypeRecordProcessDialog; }

    // The metronome from the metronome settings, its start by the record mode of the settings.
    bool build(const SoundFormat& format);
    bool onControlNotify(void* notification) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    void onTimer(TimerRecord* record) override;

    RecordFragmentProcessor* processor;
    GMetronomeWindow* metronome = nullptr;
    GProgressBar* level = nullptr;
    i32 threshold = 0;  // the level that starts a level-triggered recording
    TimerRecord timer;
};
