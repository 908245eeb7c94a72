#include "tools/mixer_line_list.h"

#include <windows.h>
#include <mmsystem.h>

#include "gui/controls/combo.h"
#include "gui/layout/layout_builder.h"

MixerLineList::~MixerLineList() { deviceListUnlink(node); }

MixerLineList* MixerLineList::create(GLayoutBuilder& builder, DeviceSettings* settings, const char* alignment) {
    MixerLineList* list = new MixerLineList(builder.owner);
    builder.pushContainer(list, "00000", alignment);
    list->combo = GCombo::create(builder, static_cast<const GBag*>(nullptr), -1, 50, "UC");
    builder.endContainer();
    deviceListLink(list->node, settings, list);
    list->fill();
    return list;
}

static void appendName(GString& text, const char* name, size_t size) {
    stringAppendBytes(text, name, (u32)strnlen(name, size));
}

void MixerLineList::fill() {
    DeviceSettings* s = settings();
    if (!combo || !s) return;
    ++filling;
    {
        RedrawLockScope lock(combo);
        combo->clear();
        entries.clear();
        i32 chosen = -1;
        forEachSourceLine([&](u32 m, const MIXERCAPSA& caps, u32 d, const MIXERLINEA& destination, u32 i,
                              const MIXERLINEA& source) {
            if (!s->acceptsLine(destination, source, anyDevice)) return;
            bool bySource = source.Target.dwType > 0 && (i32)source.Target.dwDeviceID >= 0;
            MixerLineEntry e{d, i, m, bySource ? source.Target.dwDeviceID : destination.Target.dwDeviceID};
            GString text;
            appendName(text, source.szName, sizeof source.szName);
            stringAppend(text, " / ");
            appendName(text, destination.szName, sizeof destination.szName);
            stringAppend(text, " / ");
            appendName(text, caps.szPname, sizeof caps.szPname);
            stringAppend(text, " / ");
            appendName(text, source.Target.szPname, sizeof source.Target.szPname);
            combo->addItem(text.c_str());
            if (e.device == s->device && (i32)e.source == s->source && (i32)e.destination == s->destination &&
                (i32)e.mixer == s->mixer)
                chosen = (i32)entries.size();
            entries.push_back(e);
        });
        combo->select(chosen);
    }
    --filling;
}

void MixerLineList::changed(u32 code) {
    requestRelayout(this);
    GControlNotification note{this, changedCode, (intptr_t)code};
    notifyUp(this, &note);
}

void MixerLineList::onSettingsChanged(DeviceSettings* entry, u32 changeMask) {
    if (entry != settings() || filling || !(changeMask & (DeviceChange::Device | DeviceChange::Line))) return;
    fill();
    changed(0);
}

bool MixerLineList::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (note->source == this) return false;
    if (note->source != combo || note->code != ComboSelectionChanged) return false;
    DeviceSettings* s = settings();
    i32 index = combo->selection;
    if (filling || !s || index < 0 || index >= (i32)entries.size()) return true;
    const MixerLineEntry e = entries[index];
    u32 code = DeviceChange::Device | DeviceChange::Line;
    if (e.device != s->device) {
        if ((i32)e.destination == s->destination && (i32)e.source == s->source && (i32)e.mixer == s->mixer) return true;
        code = DeviceChange::Line;
    }
    ++filling;
    s->destination = (i32)e.destination;
    s->source = (i32)e.source;
    s->mixer = (i32)e.mixer;
    s->device = e.device;
    s->notifyListeners(this, code);
    --filling;
    changed(code);
    return true;
}
