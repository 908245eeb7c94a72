#include "tools/sound_devices_placer.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "gui/kernel/message_box.h"
#include "gui/layout/splitter.h"
#include "gui/views/report_row.h"
#include "gui/views/tree_table.h"
#include "mm/aux_device.h"
#include "mm/device_settings.h"
#include "mm/mixer.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "tools/device_details.h"
#include "tools/mixer_control_panel.h"
#include "tools/mixer_line_body.h"
#include "tools/mixer_settings_file.h"
#include "tools/repair_wave_in_dialog.h"
#include "tools/repair_wave_out_dialog.h"
#include "tools/wave_options_dialog.h"

namespace {
u32 systemAuxCount() { return auxGetNumDevs(); }
bool systemAuxCaps(u32 device, AUXCAPSA* caps) { return getAuxDevCaps(device, nullptr, *caps); }

// The device table's rows of the page.
class DeviceTableModel : public GTableModel {
public:
    explicit DeviceTableModel(std::vector<DeviceRow>& rows) : rows(rows) {}
    u64 rowCount() override { return rows.size(); }
    i32 columnCount() override { return 3; }
    const char* cellText(GString& scratch, u64 index, i32 column) override {
        if (index >= rows.size()) return nullptr;
        const DeviceRow& r = rows[index];
        if (column == 0) return r.name[0] ? r.name : mmText(MmText::DevicesUnnamed);
        if (column == 1) return r.kindText.c_str();
        bool wave = r.kind == DeviceRow::WaveOut || r.kind == DeviceRow::WaveIn;
        stringFormat(scratch, "%d%s", (int)r.number, wave && r.number == 0 ? mmText(MmText::DevicesPreferred) : "");
        return scratch.c_str();
    }
    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }

    std::vector<DeviceRow>& rows;
};

}  // namespace

DeviceReportCalls deviceReportCalls = {systemAuxCount, systemAuxCaps, &systemWaveApi};

GSoundDevicesPlacer::GSoundDevicesPlacer(GWindow* window, SoundSettings* sound) : GPlacer(window), sound(sound) {
    helpPage = "devices.htm";
    splitter = new GSplitterItem(window, true, 1, 1);
    addChild(splitter);
    GTableDesc table;
    table.columnCount = 3;
    table.columnSpec = mmText(MmText::DevicesColumns);
    table.model = new DeviceTableModel(rows);
    deviceTable = createTable(splitter, window, table);
    GTableDesc tree;
    tree.columnCount = 2;
    tree.columnSpec = mmText(MmText::DevicesDetailsColumns);
    detailsTree = createTreeTable(splitter, window, tree);
    buildReport();
}

const char* GSoundDevicesPlacer::firstCaption() { return mmText(MmText::DevicesCaption); }

bool GSoundDevicesPlacer::countsChanged() {
    return deviceQueries.waveOutCount() != waveOutCount || deviceQueries.waveInCount() != waveInCount ||
           deviceReportCalls.auxCount() != auxCount || mixerApi.getNumDevs() != mixerCount;
}

void GSoundDevicesPlacer::buildReport() {
    waveOutCount = deviceQueries.waveOutCount();
    waveInCount = deviceQueries.waveInCount();
    auxCount = deviceReportCalls.auxCount();
    mixerCount = mixerApi.getNumDevs();
    const u32 total = waveOutCount + waveInCount + auxCount + mixerCount;
    rows.assign(total, DeviceRow());
    u32 at = 0;
    auto start = [&](u32 kind, u32 number, MmText kindText) -> DeviceRow& {
        DeviceRow& r = rows[at++];
        memset(&r.caps, 0, sizeof r.caps);
        r.kind = kind;
        r.number = number;
        r.kindText = mmText(kindText);
        return r;
    };
    // Each kind's rows; a description that cannot be read leaves zeros and no name.
    auto add = [&](u32 count, u32 kind, MmText text, const std::function<const char*(u32, DeviceRow&)>& query) {
        for (u32 i = 0; i < count; ++i) {
            DeviceRow& r = start(kind, i, text);
            const char* name = query(i, r);
            if (!name) memset(&r.caps, 0, sizeof r.caps);
            snprintf(r.name, sizeof r.name, "%s", name ? name : "");
        }
    };
    add(waveOutCount, DeviceRow::WaveOut, MmText::DevicesWaveOut, [](u32 i, DeviceRow& r) {
        return deviceQueries.waveOutCaps(i, &r.caps.waveOut) ? r.caps.waveOut.szPname : nullptr;
    });
    add(waveInCount, DeviceRow::WaveIn, MmText::DevicesWaveIn, [](u32 i, DeviceRow& r) {
        return deviceQueries.waveInCaps(i, &r.caps.waveIn) ? r.caps.waveIn.szPname : nullptr;
    });
    add(auxCount, DeviceRow::Aux, MmText::DevicesAux, [](u32 i, DeviceRow& r) {
        return deviceReportCalls.auxCaps(i, &r.caps.aux) ? r.caps.aux.szPname : nullptr;
    });
    add(mixerCount, DeviceRow::Mixer, MmText::DevicesMixer, [](u32 i, DeviceRow& r) {
        r.kindText = mixerKindText(i);
        Mixer m;
        m.mixerId = i;
        return getMixerDevCaps(m, r.caps.mixer) ? r.caps.mixer.szPname : nullptr;
    });
    emptyShown = total == 0;
    if (emptyShown) showMessageBox(&mbError, window, mmText(MmText::DevicesNone));
    i64 caret = selectedRow();
    if (deviceTable) deviceTable->reload(caret >= 0 && caret < (i64)total ? (u64)caret : 0);
    buildDetails();
}

i64 GSoundDevicesPlacer::selectedRow() {
    if (!deviceTable || !deviceTable->selection()) return -1;
    i64 caret = deviceTable->selection()->caret();
    return caret >= 0 && caret < (i64)rows.size() ? caret : -1;
}

void GSoundDevicesPlacer::buildDetails() {
    if (!detailsTree) return;
    if (countsChanged()) {
        buildReport();
        return;
    }
    detailsTree->clearTree();
    i64 selected = selectedRow();
    if (selected < 0) return;
    GTreeRoot root;
    root.node = deviceDetails(rows[(size_t)selected]);
    root.owned = true;
    detailsTree->addRoot(root);
    detailsTree->rebuildRows(1);
    detailsTree->reload(0);
}

void GSoundDevicesPlacer::activate() {
    if (countsChanged()) {
        buildReport();
        return;
    }
    i64 selected = selectedRow();
    if (selected < 0) return;
    const DeviceRow& r = rows[(size_t)selected];
    if (r.kind == DeviceRow::WaveOut || r.kind == DeviceRow::WaveIn) {
        WaveDevice device(r.kind == DeviceRow::WaveIn);
        device.api = deviceReportCalls.waveApi;
        device.deviceId = r.number;
        WindowErrorHandler handler(window);
        device.errorSink = &handler;
        if (r.kind == DeviceRow::WaveOut)
            setPreferredWaveOut(device);
        else
            setPreferredWaveIn(device);
        buildReport();
    } else if (r.kind == DeviceRow::Mixer && detailsTree) {
        MixerLineNode* line = dynamic_cast<MixerLineNode*>(detailsTree->caretNode());
        if (!line) return;
        GSinglePlacerDialog dialog(window, "mixer_line.htm");
        if (!dialog.createWindow(line->cells[0].text)) return;
        MixerLineBinding binding;
        binding.mixer = (i32)line->mixer;
        binding.destination = (i32)line->destination;
        binding.source = line->source;
        buildMixerLineBody(&dialog, binding);
        dialog.run();
        if (IsWindow(dialog.hwnd)) DestroyWindow(dialog.hwnd);
    }
}

bool GSoundDevicesPlacer::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case Refresh:
        buildReport();
        return true;
    case PlaySettings:
        GWaveOptionsDialog::runPlayOptions(window, sound);
        return true;
    case RecordSettings:
        GWaveOptionsDialog::runRecordOptions(window, sound);
        return true;
    case SaveSoundSettings:
        if (sound) saveSoundSettings(window, *sound);
        return true;
    case LoadSoundSettings:
        if (sound) chooseAndLoadSoundSettings(window, *sound);
        return true;
    case PlayRepair:
        if (sound) GRepairWaveOutDialog::run(window, sound);
        return true;
    case RecordRepair:
        if (sound) GRepairWaveInDialog::run(window, sound);
        return true;
    case Activate:
        activate();
        return true;
    }
    return GPlacer::onCommand(command, query);
}

i32 GSoundDevicesPlacer::commandState(u32 command) {
    if (command == Refresh || (command >= PlaySettings && command <= RecordRepair)) return CommandEnabled;
    if (command >= 1000 && command <= 9999) return CommandEnabled;
    return CommandUnknown;
}

bool GSoundDevicesPlacer::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (note->source == deviceTable && note->code == TableCaretMoved) {
        buildDetails();
        return true;
    }
    if ((note->source == detailsTree || note->source == deviceTable) && note->code == TableRowActivated) {
        activate();
        return true;
    }
    return GPlacer::onControlNotify(n);
}

void GSoundDevicesPlacer::saveViewState(GBag& bag) {
    deviceTable->saveColumns(bag);
    detailsTree->saveColumns(bag);
    splitter->writeState(bag);
}

void GSoundDevicesPlacer::restoreViewState(GBag& bag) {
    deviceTable->loadColumns(bag);
    detailsTree->loadColumns(bag);
    splitter->readState(bag);
}
