#include "gui/menus/toolkit_actions.h"

#include "gui/kernel/gui_texts.h"
#include "gui/menus/action_rows.h"

namespace {
const ActionRow kRows[] = {
    {101, "HELP", (u32)GuiText::ActionHelp, NoGroup, 0, 0, nullptr, 0},
    {102, "ITEM_CUSTOMIZE", (u32)GuiText::ActionItemCustomize, NoGroup, 0, ActionNotForKeys | ActionNotInMenus | ActionNotInToolBars, nullptr, 0},
    {103, "SYS_CUSTOMIZE", (u32)GuiText::ActionSysCustomize, NoGroup, 0, ActionNotForKeys | ActionNotInMenus | ActionNotInToolBars, nullptr, 0},
    {104, "OPEN", (u32)GuiText::ActionOpen, NoGroup, 0, 0, nullptr, 0},
    {105, "RELOAD", (u32)GuiText::ActionReload, NoGroup, 0, 0, nullptr, 0},
    {106, "REFRESH", (u32)GuiText::ActionRefresh, NoGroup, 0, 0, nullptr, 0},
    {107, "CLOSE", (u32)GuiText::ActionClose, NoGroup, 0, 0, nullptr, 0},
    {108, "SAVE", (u32)GuiText::ActionSave, NoGroup, 0, 0, nullptr, 0},
    {109, "SAVE_AS", (u32)GuiText::ActionSaveAs, NoGroup, 0, 0, nullptr, 0},
    {110, "SAVE_ALL", (u32)GuiText::ActionSaveAll, NoGroup, 0, 0, nullptr, 0},
    {111, "PICK", (u32)GuiText::ActionPick, NoGroup, 0, 0, nullptr, 0},
    {112, "NEW", (u32)GuiText::ActionNew, NoGroup, 0, 0, nullptr, 0},
    {115, "GFileAnalyzerPlacer_EXPORT", (u32)GuiText::ActionExport, NoGroup, 0, 0, nullptr, 0},
    {180, "TOOLBAR_MENU", (u32)GuiText::ActionToolbarMenu, (i32)GuiText::ActionToolbarMenuGroup, 0, ActionPopup | ActionDynamicPopup, nullptr, 0},
    {200, "GAudioConverterPlacer_CONVERT", (u32)GuiText::ActionConvert, NoGroup, 0, 0, nullptr, 0},
    {201, "GSoundDevicesPlacer_PLAY_SETTINGS", (u32)GuiText::ActionPlaySettings, NoGroup, 0, 0, nullptr, 0},
    {202, "GSoundDevicesPlacer_RECORD_SETTINGS", (u32)GuiText::ActionRecordSettings, NoGroup, 0, 0, nullptr, 0},
    {203, "GSoundDevicesPlacer_SAVE_SOUND_SETTINGS", (u32)GuiText::ActionSaveSoundSettings, NoGroup, 0, 0, nullptr, 0},
    {204, "GSoundDevicesPlacer_LOAD_SOUND_SETTINGS", (u32)GuiText::ActionLoadSoundSettings, NoGroup, 0, 0, nullptr, 0},
    {205, "GSoundDevicesPlacer_PLAY_REPAIR", (u32)GuiText::ActionPlayRepair, NoGroup, 0, 0, nullptr, 0},
    {206, "GSoundDevicesPlacer_RECORD_REPAIR", (u32)GuiText::ActionRecordRepair, NoGroup, 0, 0, nullptr, 0},
};
const i32 kRowCount = (i32)(sizeof kRows / sizeof kRows[0]);
GActionItem records[kRowCount];

struct Registrar {
    Registrar() { registerActionRows(kRows, kRowCount, records, kxguiTexts); }
} registrar;
}  // namespace

i32 toolkitActionCount() { return kRowCount; }
