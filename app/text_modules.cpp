#include "app/text_modules.h"

#include "app/installer_texts.h"
#include "app/net_texts.h"
#include "app/program_texts.h"
#include "gui/kernel/gui_texts.h"
#include "mm/mm_texts.h"

// Module order of the program: kxcore, kxgui, kxmm, kxnet, kxin, ravo. A module joins here when its
// texts exist (and its .texts file joins the language files of the build).
TextModule* const programTextModules[] = {
    &kxcoreModule,
    &kxguiModule,
    &kxmmModule,
    &kxnetModule,
    &kxinModule,
    &ravoModule,
};
const u32 programTextModuleCount = sizeof programTextModules / sizeof programTextModules[0];
