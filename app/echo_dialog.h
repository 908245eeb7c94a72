#pragma once
// EchoDialog: one echo over an EchoParams record ("echo.htm"): two taps with their delays, the
// presets, the repeats and the damping and tone sliders with their value labels. Controls write
// the record live. Its caller owns it (on the stack of a modal run); the controls belong to its window.
#include "app/effect_dialogs.h"

struct EchoParams;
struct EchoBlock;
class DigitField;
class GLabel;
class GRegulator;
class GSpinnerField;
class ValueField;

class EchoDialog : public GDialog {
public:
    explicit EchoDialog(GWindow* owner, const char* help = "echo.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeEchoDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "EchoDialog"; }
    u32 typeId() const override { return TypeEchoDialog; }

    // Command 1000 offers the presets.
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    // A slider's move shows its value beside it and writes it to the record.
    bool onControlNotify(void* notification) override;
    // The controls from a preset's block (delays at the sound's rate).
    void applyPreset(const EchoBlock& block);

    EchoParams* record = nullptr;
    u32 rate = 44100;
    ValueField* firstLevel = nullptr;
    ValueField* nextLevel = nullptr;
    DigitField* firstDelay = nullptr;
    DigitField* nextDelay = nullptr;
    GSpinnerField* repeats = nullptr;
    GRegulator* damping = nullptr;
    GRegulator* tone = nullptr;
    GLabel* dampingLabel = nullptr;
    GLabel* toneLabel = nullptr;
};

enum : u32 { EchoPresetsCommand = 1000 };

// The echo dialog's body over the record at the sound's rate; false when no window was made.
bool buildEchoBody(EchoDialog* dialog, const char* title, EchoParams* record, u32 rate);
