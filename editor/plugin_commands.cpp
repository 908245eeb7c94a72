#include "editor/plugin_commands.h"

#include <algorithm>

#include "app/program_texts.h"
#include "editor/editor_menus.h"
#include "editor/editor_window.h"
#include "editor/effect_preview.h"
#include "editor/instrument_dialog.h"
#include "editor/plugin_dialog.h"
#include "engine/plugin_run.h"
#include "engine/processor.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/menus/popup_menu.h"
#include "mm/plugin_host.h"
#include "mm/synth_output.h"

i32 runPluginEffectCommand(EditorWindow* editor, u32 id, SoundBlockProcessor* processor) {
    const bool pluginMenu =
        dynamicPopupCommand == (i32)VstEffectsMenuId || dynamicPopupCommand == (i32)VstInstrumentsMenuId;
    if (id < firstDynamicItemId || !pluginMenu) return 1;
    const u32 index = id - firstDynamicItemId;
    VstPlugin* plugin = index < vstPluginList().count ? vstPluginAt(index) : nullptr;
    if (!plugin) return 0;
    GWindow* owner = editor->window;
    // A plug-in that faulted is never called again.
    if (plugin->faulted()) {
        showErrorF(owner, ravoText(RavoText::PluginFaulted), plugin->name());
        return 0;
    }
    const bool wasLoaded = plugin->isLoaded();
    if (!plugin->load(nullptr, (i32)editor->format.sampleRate, -1)) {
        showErrorF(owner, ravoText(RavoText::PluginLoadFailed), plugin->name());
        return 0;
    }
    if (!wasLoaded) plugin->loadState();
    // Loaded before for a sound of another rate, it runs at this one's.
    plugin->setSampleRate((i32)editor->format.sampleRate);
    editor->format.rebuildSelectionMask();
    const u32 selected = (u32)editor->format.selectedTrackCount();
    const i32 channels = plugin->info().outputCount;
    if (channels < (i32)selected) {
        showErrorF(owner, ravoText(RavoText::PluginFewChannels), plugin->name(), channels, selected);
        return 0;
    }
    if (plugin->isSynth()) {
        auto* events = new RecordArray<PluginEvent>;
        processor->setAuxObject(new PluginRun(plugin, events));
        // A recording or a playback lasts at most as long as the range it is rendered into.
        const u64 frames = (processor->rangeEnd - processor->rangeStart) / std::max<u32>(editor->format.bytesPerFrame, 1);
        const u64 rate = std::max<u32>(editor->format.sampleRate, 1);
        const u64 outputFrames = frames * (u64)SynthOutput::instance().rate / rate;
        i32 result;
        {
            GVSTInstrumentDialog dialog(owner);
            if (!GVSTInstrumentDialog::build(plugin, &dialog, (u32)std::min<u64>(outputFrames, 0xFFFFFFFFu))) return 0;
            result = placeWindowAuto(&dialog, PlaceCentreOnOwner);
        }
        if (plugin->faulted()) {
            showErrorF(owner, ravoText(RavoText::PluginFaulted), plugin->name());
            return 0;
        }
        if (result != 1) return 0;
        // What was recorded is played over the range.
        copyNoteEvents(*events, noteEventList());
        return 1;
    }
    processor->setAuxObject(new PluginRun(plugin));
    GVSTEffectDialog dialog(owner, "plugins.htm");
    if (!GVSTEffectDialog::build(plugin, &dialog)) return 0;
    // The plug-in's own editor closes with the dialog's end: shown again with it.
    const i32 result = runEffectDialog(editor, processor, &dialog, nullptr, [&] {
        if (!dialog.genericShown()) dialog.openEditor();
        dialog.updateDisplay();
    });
    if (plugin->faulted()) {
        showErrorF(owner, ravoText(RavoText::PluginFaulted), plugin->name());
        return 0;
    }
    return result;
}
