#include "editor/editor_menus.h"

#include <cstring>
#include <vector>

#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "gui/input/busy_cursor.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/menu.h"
#include "gui/paint/image_list_cache.h"
#include "mm/plugin_folder.h"
#include "mm/plugin_host.h"

namespace {
bool g_scanned = false;
}  // namespace

void resetPluginMenuScan() { g_scanned = false; }

void ensurePluginScan() {
    if (g_scanned) return;
    BusyCursor busy;
    scanPlugins(pluginFolders().c_str());
    g_scanned = true;
}

void fillPluginMenu(EditorWindow* editor, u32 menuId, GMenu& menu) {
    ensurePluginScan();
    clearMenu(menu.menu);
    const bool instruments = menuId == VstInstrumentsMenuId;
    const bool usable = editor->hasDocument && editor->samplesPresent;
    void* image = getImageList(instruments ? PluginInstrumentsImage : PluginEffectsImage);
    for (u32 i = 0; i < vstPluginList().count; ++i) {
        VstPlugin* plugin = vstPluginAt(i);
        if (!plugin || plugin->isSynth() != instruments) continue;
        const u32 flags = usable && !plugin->faulted() ? 0 : MF_GRAYED;
        appendMenuItem(menu, plugin->name(), image, (i32)(firstDynamicItemId + i), flags);
    }
    appendMenuSeparator(menu);
    GActionItem* info = actionById(VstInfoId);
    GString text = info ? actionMenuText(info, editor->window) : GString(ravoText(RavoText::VstInfo));
    appendMenuItem(menu, text.c_str(), getImageList(PluginInfoImage), VstInfoId, 0);
}

void fillTrackMenu(EditorWindow* editor, GMenu& menu) {
    clearMenu(menu.menu);
    const SoundFormat& format = editor->format;
    const u32 tracks = editor->hasDocument ? format.trackCount() : 0;
    // The tracks by layer; a layer out of range keeps the track's own place.
    std::vector<i32> byLayer(tracks, -1);
    for (u32 k = 0; k < tracks; ++k) {
        u32 layer = format.tracks[k].layer;
        if (layer >= tracks || byLayer[layer] >= 0) layer = k;
        byLayer[layer] = (i32)k;
    }
    for (u32 i = 0; i < tracks; ++i) {
        if (byLayer[i] < 0) continue;
        const TrackRecord& track = format.tracks[(u32)byLayer[i]];
        char info[sizeof track.info + 1] = {};
        memcpy(info, track.info, sizeof track.info);
        GString text;
        stringFormat(text, ravoText(RavoText::TrackMenuItem), (i32)i + 1, info[0] ? ": " : "", info);
        appendMenuItem(menu, text.c_str(), nullptr, (i32)(firstDynamicItemId + (u32)byLayer[i]),
                       (track.flags & trackSelected) ? MF_CHECKED : 0);
    }
}

bool selectOnlyTrack(EditorWindow* editor, u32 track) {
    SoundFormat& format = editor->format;
    if (!editor->hasDocument || track >= format.trackCount()) return false;
    format.selectOnlyTrack(track);
    editor->relayoutViews();
    return true;
}

void appendTrackRecord(TrackRecordArray& to, const TrackRecord& record) {
    memcpy(static_cast<void*>(to.append(1)), &record, sizeof record);
}

void copyTrackRecords(TrackRecordArray& to, const TrackRecordArray& from) {
    if (&to == &from) return;
    to.count = 0;
    if (from.count) memcpy(static_cast<void*>(to.append(from.count)), from.data, sizeof(TrackRecord) * from.count);
}

bool EditorWindow::fillDynamicMenu(u32 actionId, HMENU handle) {
    GMenu menu(handle, false);
    if (actionId == VstEffectsMenuId || actionId == VstInstrumentsMenuId) {
        fillPluginMenu(this, actionId, menu);
        return true;
    }
    if (actionId == TrackSelectMenuId) {
        fillTrackMenu(this, menu);
        return true;
    }
    return false;
}
