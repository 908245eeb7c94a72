#pragma once
// MixerLineList: the choice of the mixer line a device's sound passes through, as a combo of every
// line of the machine that the settings accept for some device. Choosing a line stores it with its
// device in the settings and tells the other listeners; a device or line change from elsewhere
// fills the list anew. Each change goes up the item tree as notification changedCode. Owned by the
// layout tree; linked into the settings' listeners for its life.
#include <vector>

#include "gui/layout/layout_rows.h"
#include "mm/device_settings.h"

class GCombo;
class GLayoutBuilder;

struct MixerLineEntry {
    u32 destination;
    u32 source;
    u32 mixer;
    u32 device;
};

class MixerLineList : public GColumnsItem, public DeviceSettingsListener {
public:
    explicit MixerLineList(GWindow* owner) : GColumnsItem(owner) {}
    ~MixerLineList() override;

    static MixerLineList* create(GLayoutBuilder& builder, DeviceSettings* settings, const char* alignment = nullptr);

    // Lists the lines anew and selects the settings' line.
    void fill();

    void onSettingsChanged(DeviceSettings* entry, u32 changeMask) override;
    bool onControlNotify(void* notification) override;

    DeviceSettings* settings() const { return node.entry; }

    GCombo* combo = nullptr;
    std::vector<MixerLineEntry> entries;

    // Sent up after a refill (value 0) or a choice (value: the change told to the listeners).
    static const u32 changedCode = 0x4D4C;

private:
    void changed(u32 code);

    DeviceListNode node;
    i32 filling = 0;
};
