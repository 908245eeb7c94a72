#include "mm/plugin_folder.h"

#include <windows.h>

#include "core/paths.h"
#include "mm/plugin_host.h"

namespace {
GString g_folder;
bool g_known = false;
const char folderFile[] = "pluginsdir.dir";
}  // namespace

const GString& pluginFolders() {
    if (!g_known) {
        GString data = dataFolder();
        stringConstruct(g_folder, data.c_str(), '\\', "plugins");
        GString named;
        if (readDataFile(folderFile, named) && named.length) {
            stringTrim(named);
            g_folder = named;
        }
        g_known = true;
    }
    return g_folder;
}

void resetPluginFolders() {
    g_known = false;
    stringClear(g_folder);
}

void setPluginFolders(const char* path) {
    GString folder(path);
    expandPathMacros(folder);
    normalizePath(folder);
    ensureDataFolder();
    writeDataFile(folderFile, folder.c_str());
    g_folder = folder;
    g_known = true;
    scanPlugins(folder.c_str());
}

void scanPlugins(const char* folder) {
    destroyPlugins();
    const i32 loaded = loadedPluginCount();
    setLoadedPluginCount(-100);
    for (const char* pattern : {"*.dll", "*.vst3"}) {
        GString search(folder);
        pathJoin(search, pattern);
        DirIterator files(search.c_str(), 0xFFFFFFFF, FILE_ATTRIBUTE_DIRECTORY);
        while (files.next()) {
            GString path;
            files.currentPath(path);
            HostedVstPlugin* plugin = new HostedVstPlugin;
            if (plugin->load(path.c_str(), 44100, -1)) {
                plugin->unload();
                appendSlot(vstPluginList(), plugin);
            } else {
                delete plugin;
            }
        }
    }
    setLoadedPluginCount(loaded);
}
