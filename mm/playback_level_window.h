#pragma once
// PlaybackLevelWindow: a row of a label, a gain regulator (-20..20 dB) and a second label, attached to
// a play settings entry. Moving the regulator sets the entry's gain and tells the other listeners
// (Level); a Level change of the entry moves the regulator. Owned by the layout tree like any item;
// it leaves the entry's listener list when deleted.
#include "gui/layout/layout_rows.h"
#include "mm/device_settings.h"

class GLabel;
class GRegulator;

class PlaybackLevelWindow : public GRowItem, public DeviceSettingsListener {
public:
    explicit PlaybackLevelWindow(GWindow* owner) : GRowItem(owner) {}
    ~PlaybackLevelWindow() override;

    // Added to the builder's current container with its three children; the builder's current
    // container is unchanged afterwards.
    static PlaybackLevelWindow* create(GLayoutBuilder& builder, DeviceSettings* entry, const char* caption,
                                       const char* unit);

    // Attaches to the entry (detaches with null) and shows its gain.
    void attach(DeviceSettings* entry);
    DeviceSettings* entry() const { return node.entry; }

    void onSettingsChanged(DeviceSettings* entry, u32 changeMask) override;
    bool onControlNotify(void* notification) override;

    GLabel* caption = nullptr;
    GRegulator* regulator = nullptr;
    GLabel* unit = nullptr;

private:
    void showGain();

    DeviceListNode node;
    bool showing = false;  // the regulator is being set from the entry
};
