#pragma once
// DeviceAdjustPanel: the gain and limit sliders of a device's settings (-20..20 dB, each with a
// button back to 0) and a check box per switch of the settings' choices. A change is stored in the
// settings and told to the other listeners (Level or Switches); their changes move the controls.
// Owned by the layout tree; linked into the settings' listeners for its life.
#include <vector>

#include "gui/layout/group_box_item.h"
#include "mm/device_settings.h"

class GButton;
class GCheckBox;
class GLayoutBuilder;
class GRegulator;

class DeviceAdjustPanel : public GGroupBoxItem, public DeviceSettingsListener {
public:
    DeviceAdjustPanel(GWindow* owner, const char* caption) : GGroupBoxItem(owner, caption) {}
    ~DeviceAdjustPanel() override;

    static DeviceAdjustPanel* create(GLayoutBuilder& builder, DeviceSettings* settings, const char* alignment = nullptr);

    void onSettingsChanged(DeviceSettings* entry, u32 changeMask) override;
    bool onControlNotify(void* notification) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;

    DeviceSettings* settings() const { return node.entry; }

    GRegulator* gain = nullptr;
    GRegulator* limit = nullptr;
    GButton* resetGain = nullptr;
    GButton* resetLimit = nullptr;
    std::vector<GCheckBox*> boxes;
    std::vector<u32> boxIds;

    static const u32 resetGainCommand = 1000;
    static const u32 resetLimitCommand = 1001;

private:
    void showLevels();
    void showSwitches();
    void setLevel(i32* slot, i32 value);

    DeviceListNode node;
    bool showing = false;
};
