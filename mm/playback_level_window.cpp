#include "mm/playback_level_window.h"

#include "gui/controls/label.h"
#include "gui/controls/regulator.h"
#include "gui/layout/layout_builder.h"

PlaybackLevelWindow::~PlaybackLevelWindow() { deviceListUnlink(node); }

PlaybackLevelWindow* PlaybackLevelWindow::create(GLayoutBuilder& builder, DeviceSettings* entry, const char* caption,
                                                 const char* unit) {
    PlaybackLevelWindow* w = new PlaybackLevelWindow(builder.owner);
    builder.pushContainer(w, nullptr, nullptr);
    w->caption = GLabel::create(builder, caption, LabelOwnerDrawn, "<C");
    w->regulator = GRegulator::create(builder, 0, DeviceSettings::minLevelDb, DeviceSettings::maxLevelDb, "UC");
    w->unit = GLabel::create(builder, unit, LabelOwnerDrawn, "<C");
    builder.endContainer();
    w->attach(entry);
    return w;
}

void PlaybackLevelWindow::attach(DeviceSettings* entry) {
    deviceListLink(node, entry, this);
    showGain();
}

void PlaybackLevelWindow::showGain() {
    if (!regulator || !node.entry) return;
    showing = true;
    regulator->setValue(regulator->clamp(node.entry->gainDb()));
    showing = false;
}

void PlaybackLevelWindow::onSettingsChanged(DeviceSettings* entry, u32 changeMask) {
    if (entry == node.entry && (changeMask & DeviceChange::Level)) showGain();
}

bool PlaybackLevelWindow::onControlNotify(void* n) {
    GControlNotification* notification = static_cast<GControlNotification*>(n);
    if (!regulator || notification->source != regulator) return false;
    DeviceSettings* entry = node.entry;
    if (showing || !entry) return true;
    i32 gain = (i32)regulator->value;
    if (gain == entry->adjust1) return true;
    entry->adjust1 = gain;
    entry->notifyListeners(this, DeviceChange::Level);
    return true;
}
