#pragma once
// GMixerPanel: what the play or record options show: the file buttons, the choice of the device's
// mixer line, the device's adjustments, and the controls of the chosen source line and of its
// destination. It edits one device's settings of the sound settings it is given; its control panels
// follow the chosen line. Owned by the layout tree like any item.
#include "gui/layout/layout_rows.h"

class DeviceAdjustPanel;
class DeviceSettings;
class GLayoutBuilder;
class MixerControlPanel;
class MixerLineList;
struct SoundSettings;

class GMixerPanel : public GRowItem {
public:
    explicit GMixerPanel(GWindow* owner) : GRowItem(owner) {}

    // Built into the builder's current container for the device's settings, which are sound's play
    // or record settings.
    static GMixerPanel* build(GLayoutBuilder& builder, DeviceSettings* settings, SoundSettings* sound,
                              const char* alignment = nullptr);

    // Binds both control panels to the settings' line (forced: made anew even when unchanged).
    void refresh(bool force);

    bool onControlNotify(void* notification) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;

    bool editsPlayback() const;

    DeviceSettings* settings = nullptr;
    SoundSettings* sound = nullptr;
    MixerLineList* lineList = nullptr;
    DeviceAdjustPanel* adjust = nullptr;
    MixerControlPanel* sourcePanel = nullptr;
    MixerControlPanel* destinationPanel = nullptr;

    enum : u32 { RepairCommand = 1000, SaveCommand = 1001, LoadCommand = 1002 };
};

// The repair dialog of a device (play or record); the repair command stays disabled while null.
extern void (*mixerRepairDialog)(GWindow* owner, SoundSettings* sound, bool playback);
