#pragma once
// The state of a plug-in as bytes: u32 current program, then one f32 per parameter in index order;
// on disk a bag file of tag "PLGS", version 1, beside the library as "<library>.save.info".
#include "core/bag.h"

class VstPlugin;

void writePluginState(VstPlugin& plugin, GBag& bag);
// Selects the program and sets the parameters given, never more than the plug-in has (values beyond
// its parameter count are ignored). A bag too short for the program, or a trailing part of one to
// three bytes among the parameters, throws GBagException.
void readPluginState(VstPlugin& plugin, GBag& bag);
// Quiet: failures are answered false, and a missing, foreign or short file leaves the plug-in as it is.
bool savePluginStateFile(VstPlugin& plugin, const char* libraryPath);
bool loadPluginStateFile(VstPlugin& plugin, const char* libraryPath);
// "<library>.save.info".
GString pluginStatePath(const char* libraryPath);
