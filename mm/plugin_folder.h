#pragma once
// The plug-in folder and the scan that fills the plug-in list (mm/plugin_host.h).
#include "core/gstring.h"

// The folder: on first use "plugins" in the data folder, or what the data file "pluginsdir.dir" names.
const GString& pluginFolders();
// Expands the folder macros, normalises the path, writes it to "pluginsdir.dir" and scans it.
void setPluginFolders(const char* path);
// Empties the plug-in list, then lists every "*.dll" and "*.vst3" file of the folder that loads as
// a plug-in (it is unloaded again). Libraries that fail to load or fault are skipped. No idle timer
// is made meanwhile.
void scanPlugins(const char* folder);
// Forgets the folder, so that the next use works it out again.
void resetPluginFolders();
