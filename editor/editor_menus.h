#pragma once
// The Editor's menus filled as they open: the plug-in effects and instruments menus (items 10000 +
// index in the plug-in list, then VST_INFO) and the track menu (items 10000 + track, by layer), and
// what their items do. The menus own their items.
#include "core/types.h"
#include "mm/sound_format.h"

class EditorWindow;
class GMenu;

// The dynamic popups of the Editor.
enum : u32 {
    VstEffectsMenuId = 613,
    VstInfoId = 614,
    VstInstrumentsMenuId = 615,
    TrackSelectMenuId = 624,
};
// The bitmaps of the plug-in items: effects, VST_INFO, instruments.
enum : u32 { PluginEffectsImage = 3258, PluginInfoImage = 3259, PluginInstrumentsImage = 3260 };
// Item ids of the dynamic popups start here.
const u32 firstDynamicItemId = 10000;

// Fills a plug-in menu: the folders are scanned on first use in a run; items are greyed without
// samples, and so is a plug-in that faulted.
void fillPluginMenu(EditorWindow* editor, u32 menuId, GMenu& menu);
// Scans the plug-in folders once in a run.
void ensurePluginScan();
// Forgets the scan, so that the next fill scans again.
void resetPluginMenuScan();
// Fills the track menu: one item per track in layer order, checked when selected.
void fillTrackMenu(EditorWindow* editor, GMenu& menu);
// Selects track k alone and refreshes the views; false outside the tracks.
bool selectOnlyTrack(EditorWindow* editor, u32 track);
// The plug-ins dialog, run modally over the Editor.
void runPluginListDialog(EditorWindow* editor);

// Track record copies, 64 bytes a record.
void appendTrackRecord(TrackRecordArray& to, const TrackRecord& record);
void copyTrackRecords(TrackRecordArray& to, const TrackRecordArray& from);
