#pragma once
// GRepairWaveOutDialog: the repair dialog of the play device: the play device's line chooser, and
// the test tune looping on its own output while it is open.
#include <memory>

#include "tools/repair_wave_dialog.h"

class MixerLineList;
class SynthOutput;

class GRepairWaveOutDialog : public GRepairWaveDialog {
public:
    GRepairWaveOutDialog(GWindow* owner, SoundSettings* sound);
    ~GRepairWaveOutDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeRepairWaveOutDialog || GRepairWaveDialog::isKindOf(id); }
    const char* className() const override { return "GRepairWaveOutDialog"; }
    u32 typeId() const override { return TypeRepairWaveOutDialog; }

    const char* text(i32 part) const override;
    void addDeviceChoosers(GLayoutBuilder& builder) override;
    void addExtraContent(GLayoutBuilder& builder) override;
    std::string deviceName(u32 device) const override;
    void startSound() override;
    void stopSound() override;

    static void run(GWindow* owner, SoundSettings* sound);

    MixerLineList* lineList = nullptr;
    std::unique_ptr<SynthOutput> output;
};
