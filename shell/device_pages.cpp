#include "shell/device_pages.h"

#include "app/child_windows.h"
#include "app/options_mixer.h"
#include "app/window_kinds.h"
#include "editor/record_dialogs.h"
#include "mm/mm_settings.h"
#include "tools/acm_codecs_dialog.h"
#include "tools/mixer_panel.h"
#include "tools/options_device_panels.h"
#include "tools/sound_devices_placer.h"

namespace {
GPlacer* makeDevicesPage(GWindow* parent) {
    GSoundDevicesPlacer* page = new GSoundDevicesPlacer(parent, &multimediaSettings().sound);
    page->kindRecord = programWindowKind(KindDevices);
    return page;
}

void recordLinePanel(GLayoutBuilder& builder, SoundSettings& sound) {
    GMixerPanel::build(builder, &sound.record, &sound, "UC");
}

GPlacer* makeAcmPage(GWindow* parent) {
    AcmCodecsDialog* page = new AcmCodecsDialog(parent);
    page->kindRecord = programWindowKind(KindAcm);
    return page;
}
}  // namespace

void registerDevicePages() {
    registerPageMaker(KindDevices, makeDevicesPage);
    registerPageMaker(KindAcm, makeAcmPage);
    buildOptionsMixerPanels = buildOptionsDevicePanels;
    makeOptionsMixerLine = makeSoundSetupLine;
    buildRecordMixerPanel = recordLinePanel;
}
