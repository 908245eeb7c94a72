// Libraries that are no plug-ins: one whose entry returns a record of the wrong magic
// (WRONG_MAGIC), one without any known entry point.
#include "tests/plugins/test_plugin.h"

#ifdef WRONG_MAGIC
PLUGIN_EXPORT AEffect* VSTPluginMain(audioMasterCallback) {
    static AEffect effect{};
    effect.magic = 0x50747356;
    return &effect;
}
#else
PLUGIN_EXPORT int pluginVersion() { return 1; }
#endif
