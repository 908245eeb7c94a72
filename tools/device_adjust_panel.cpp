#include "tools/device_adjust_panel.h"

#include "gui/controls/button.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/regulator.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "mm/mm_texts.h"

DeviceAdjustPanel::~DeviceAdjustPanel() { deviceListUnlink(node); }

DeviceAdjustPanel* DeviceAdjustPanel::create(GLayoutBuilder& b, DeviceSettings* settings, const char* alignment) {
    DeviceAdjustPanel* p = new DeviceAdjustPanel(b.owner, mmText(MmText::AdjustBox));
    b.pushContainer(p, nullptr, alignment);
    GColumnsItem::create(b, "44404", "UC");
    addGridLayout(5, 2, b, "UC");
    const i32 low = DeviceSettings::minLevelDb, high = DeviceSettings::maxLevelDb;
    GLabel::create(b, mmText(MmText::AdjustGain), 0, "<C");
    GLabel::create(b, mmText(MmText::AdjustLow), 0, ">C");
    p->gain = GRegulator::create(b, RegulatorTicksAfter, low, high, "<C");
    GLabel::create(b, mmText(MmText::AdjustHigh), 0, "<C");
    p->resetGain = GButton::create(b, mmText(MmText::AdjustReset), 0, resetGainCommand, "|v");
    GLabel::create(b, mmText(MmText::AdjustLimit), 0, "<C");
    GLabel::create(b, mmText(MmText::AdjustLow), 0, ">C");
    p->limit = GRegulator::create(b, RegulatorTicksAfter, low, high, ">C");
    GLabel::create(b, mmText(MmText::AdjustHigh), 0, "<C");
    p->resetLimit = GButton::create(b, mmText(MmText::AdjustReset), 0, resetLimitCommand, "|v");
    b.endContainer();
    if (const ChoiceEntry* choice = settings ? settings->choices() : nullptr) {
        GRowItem::create(b, "08000");
        GLabel::create(b, mmText(MmText::AdjustSwitches), 0, "<C");
        for (; choice->text; ++choice) {
            p->boxes.push_back(GCheckBoxItem::create(b, *choice->text, 0, "<C"));
            p->boxIds.push_back(choice->id);
        }
        b.endContainer();
    }
    b.endContainer();
    b.endContainer();
    deviceListLink(p->node, settings, p);
    p->showLevels();
    p->showSwitches();
    return p;
}

void DeviceAdjustPanel::showLevels() {
    DeviceSettings* s = settings();
    if (!s || !gain) return;
    showing = true;
    gain->setValue(gain->clamp(s->adjust1));
    limit->setValue(limit->clamp(s->adjust2));
    showing = false;
}

void DeviceAdjustPanel::showSwitches() {
    DeviceSettings* s = settings();
    if (!s) return;
    for (size_t i = 0; i < boxes.size(); ++i) boxes[i]->setChecked((s->choiceFlags & boxIds[i]) == boxIds[i]);
}

void DeviceAdjustPanel::onSettingsChanged(DeviceSettings* entry, u32 changeMask) {
    if (entry != settings()) return;
    if (changeMask & DeviceChange::Level) showLevels();
    if (changeMask & DeviceChange::Switches) showSwitches();
}

void DeviceAdjustPanel::setLevel(i32* slot, i32 value) {
    DeviceSettings* s = settings();
    if (!s || *slot == value) return;
    *slot = value;
    s->notifyListeners(this, DeviceChange::Level);
}

bool DeviceAdjustPanel::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    DeviceSettings* s = settings();
    if (note->source == gain || note->source == limit) {
        if (!showing && s) setLevel(note->source == gain ? &s->adjust1 : &s->adjust2, (i32)static_cast<GRegulator*>(note->source)->value);
        return true;
    }
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (note->source != boxes[i]) continue;
        if (s) {
            u32 flags = boxes[i]->isChecked() ? s->choiceFlags | boxIds[i] : s->choiceFlags & ~boxIds[i];
            if (flags != s->choiceFlags) {
                s->choiceFlags = flags;
                s->notifyListeners(this, DeviceChange::Switches);
            }
        }
        return true;
    }
    return false;
}

bool DeviceAdjustPanel::onCommand(u32 command, GStateQuery* query) {
    DeviceSettings* s = settings();
    if (command != resetGainCommand && command != resetLimitCommand) return GGroupBoxItem::onCommand(command, query);
    if (s) {
        (command == resetGainCommand ? s->adjust1 : s->adjust2) = 0;
        showLevels();
        s->notifyListeners(this, DeviceChange::Level);
    }
    return true;
}

i32 DeviceAdjustPanel::commandState(u32 command) {
    if (command == resetGainCommand || command == resetLimitCommand) return CommandEnabled;
    return GGroupBoxItem::commandState(command);
}
