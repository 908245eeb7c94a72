#include "mm/plugin_state.h"

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "mm/plugin_host.h"

namespace {
const u32 stateTag = bagFileTag("PLGS");
const u32 stateVersion = 1;
}  // namespace

void writePluginState(VstPlugin& plugin, GBag& bag) {
    bagWriteU32(bag, (u32)plugin.getProgram());
    const i32 count = plugin.info().parameterCount;
    for (i32 i = 0; i < count; ++i) bagWriteF32(bag, plugin.getParameter(i));
}

void readPluginState(VstPlugin& plugin, GBag& bag) {
    const u32 program = bagGetU32(bag);
    plugin.setProgram((i32)program);
    const i32 count = plugin.info().parameterCount;
    for (i32 i = 0; i < count && bag.pos < bag.size; ++i) {
        f32 value;
        bagReadF32(bag, &value);
        plugin.setParameter(i, value);
    }
}

GString pluginStatePath(const char* libraryPath) {
    GString path(libraryPath);
    stringAppend(path, ".save.info");
    return path;
}

bool savePluginStateFile(VstPlugin& plugin, const char* libraryPath) {
    GBag bag;
    writePluginState(plugin, bag);
    return saveBagFile(pluginStatePath(libraryPath).c_str(), bag, stateTag, stateVersion, nullptr);
}

bool loadPluginStateFile(VstPlugin& plugin, const char* libraryPath) {
    GBag bag;
    if (!loadBagFile(pluginStatePath(libraryPath).c_str(), bag, stateTag, stateVersion, nullptr)) return false;
    // Checked before anything is set, so that a short file changes nothing.
    if (bag.size < 4 || (bag.size - 4) % 4 != 0) return false;
    bag.pos = 0;
    readPluginState(plugin, bag);
    return true;
}
