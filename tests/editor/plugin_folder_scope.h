#pragma once
// For one test: the Editor's plug-in menus scan the folder given; at the end the plug-in list, the
// scan, the stored folder and the dynamic popup are forgotten.
#include "core/gfile.h"
#include "core/paths.h"
#include "editor/editor_menus.h"
#include "gui/menus/popup_menu.h"
#include "mm/plugin_folder.h"
#include "mm/plugin_host.h"

class PluginFolderScope {
public:
    explicit PluginFolderScope(const char* folder) {
        ensureDataFolder();
        setPluginFolders(folder);
        resetPluginMenuScan();
    }
    ~PluginFolderScope() {
        destroyPlugins();
        resetPluginMenuScan();
        GString file = dataFolder();
        pathJoin(file, "pluginsdir.dir");
        deleteFile(file.c_str());
        resetPluginFolders();
        dynamicPopupCommand = 0;
    }
    PluginFolderScope(const PluginFolderScope&) = delete;
    PluginFolderScope& operator=(const PluginFolderScope&) = delete;
};
