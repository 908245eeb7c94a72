#pragma once
// GRepairWaveInDialog: the repair dialog of the record device: what the record device hears plays
// back on the play device half a second later, with its level shown, and a table of every mixer
// line that can be muted with its mute as a check box.
#include <memory>
#include <mutex>

#include "mm/synth_output.h"
#include "mm/wave_in_recorder.h"
#include "tools/loopback_ring.h"
#include "tools/repair_wave_dialog.h"

class GProgressBar;
class GTable;
class MixerLineList;
class MixerLineTableModel;

// Records into a ring that the play device's output reads as one of its sources. The dialog owns it.
class LoopbackRecorder : public WaveInRecorder, public SynthGenerator {
public:
    LoopbackRecorder(DeviceSettings* entry, i32 bufCount, i32 bufPerSecond) : WaveInRecorder(entry, bufCount, bufPerSecond) {}

    void prepare(f64 seconds);
    // The peak since the last take, then 0.
    u16 takePeak();

    u32 encoding() const override { return 2; }
    u32 channels() const override { return 2; }
    u32 readFrames(void* out, u32 frames) override;

    std::mutex lock;
    LoopbackRing ring;

protected:
    bool deliverData(u32 bytes, const void* data) override;
};

class GRepairWaveInDialog : public GRepairWaveDialog {
public:
    GRepairWaveInDialog(GWindow* owner, SoundSettings* sound);
    ~GRepairWaveInDialog() override;

    bool isKindOf(u32 id) const override { return id == TypeRepairWaveInDialog || GRepairWaveDialog::isKindOf(id); }
    const char* className() const override { return "GRepairWaveInDialog"; }
    u32 typeId() const override { return TypeRepairWaveInDialog; }

    const char* text(i32 part) const override;
    void addDeviceChoosers(GLayoutBuilder& builder) override;
    void addExtraContent(GLayoutBuilder& builder) override;
    std::string deviceName(u32 device) const override;
    void startSound() override;
    void stopSound() override;
    bool onControlNotify(void* notification) override;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;

    // Shows the peak on the meter and clears it.
    void showLevel();
    // Every line of every mixer that can be muted, and the two devices' lines.
    void fillTable();

    static void run(GWindow* owner, SoundSettings* sound);

    DeviceSettings* const playSettings;
    MixerLineList* recordList = nullptr;
    MixerLineList* playList = nullptr;
    GTable* table = nullptr;
    MixerLineTableModel* model = nullptr;  // the table's
    GProgressBar* meter = nullptr;
    std::unique_ptr<LoopbackRecorder> recorder;
    std::unique_ptr<SynthOutput> output;
    // Records the order of the stops for the tests when set.
    void (*stopped)(const char* what) = nullptr;

    static const u32 meterTimer = 0x5256;
};
