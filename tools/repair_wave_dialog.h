#pragma once
// GRepairWaveDialog: finds why a device is silent and fixes it with one click: the problems of its
// two mixer lines, each with its fix button, made anew after every fix and every change of line,
// while a sound of the device runs. The play and record dialogs fill in the texts, the line
// choosers, what follows the problems and the sound. Built on the stack of their run functions.
#include <string>

#include "gui/dialogs/single_placer_dialog.h"
#include "tools/repair_diagnosis.h"

class DeviceSettings;
class GLayoutBuilder;
class GMultiLabel;
class GColumnsItem;
struct SoundSettings;

enum : u32 { TypeRepairWaveDialog = 94, TypeRepairWaveOutDialog = 95, TypeRepairWaveInDialog = 96 };

class GRepairWaveDialog : public GSinglePlacerDialog {
public:
    GRepairWaveDialog(GWindow* owner, SoundSettings* sound, DeviceSettings* settings, const char* helpPage)
        : GSinglePlacerDialog(owner, helpPage), sound(sound), settings(settings) {}

    bool isKindOf(u32 id) const override { return id == TypeRepairWaveDialog || GSinglePlacerDialog::isKindOf(id); }
    const char* className() const override { return "GRepairWaveDialog"; }
    u32 typeId() const override { return TypeRepairWaveDialog; }

    // Part -1 the title, 0 the heading, 1 to 3 the paragraphs.
    virtual const char* text(i32 part) const = 0;
    virtual void addDeviceChoosers(GLayoutBuilder& builder) = 0;
    virtual void addExtraContent(GLayoutBuilder& builder) = 0;
    virtual std::string deviceName(u32 device) const = 0;
    u32 deviceNumber() const;

    // The window and its content with the first diagnosis; false when the window cannot be made.
    bool build();
    // Reads the lines again and shows their problems.
    void diagnose();
    // The sound starts after building and stops before the window goes.
    virtual void startSound() {}
    virtual void stopSound() {}

    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    bool onControlNotify(void* notification) override;
    void onDestroy() override;

    SoundSettings* const sound;
    DeviceSettings* const settings;
    RepairDiagnosis diagnosis;
    GMultiLabel* explanation = nullptr;
    GColumnsItem* problemArea = nullptr;  // a row of text and fix button per problem

protected:
    // Builds, starts the sound, runs modally, then destroys.
    static void runDialog(GRepairWaveDialog& dialog);
};

// The repair dialog of the play or the record device of the sound settings.
void runRepairDialog(GWindow* owner, SoundSettings* sound, bool playback);
