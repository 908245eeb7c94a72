#include "shell/device_pages.h"

#include "app/child_windows.h"
#include "app/options_mixer.h"
#include "app/window_kinds.h"
#include "mm/mm_settings.h"
#include "tools/options_device_panels.h"
#include "tools/sound_devices_placer.h"

namespace {
GPlacer* makeDevicesPage(GWindow* parent) {
    GSoundDevicesPlacer* page = new GSoundDevicesPlacer(parent, &multimediaSettings().sound);
    page->kindRecord = programWindowKind(KindDevices);
    return page;
}
}  // namespace

void registerDevicePages() {
    registerPageMaker(KindDevices, makeDevicesPage);
    buildOptionsMixerPanels = buildOptionsDevicePanels;
    makeOptionsMixerLine = makeSoundSetupLine;
}
