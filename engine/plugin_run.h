#pragma once
// The parameter object of the plug-in effect (the processor's auxObject): the plug-in to run, not
// owned, and for an instrument the notes to play over the range (owned; null for an effect).
#include "core/arrays.h"
#include "mm/plugin_host.h"

class PluginRun : public GCommonObject {
public:
    PluginRun(VstPlugin* plugin, RecordArray<PluginEvent>* events = nullptr) : plugin(plugin), events(events) {}
    ~PluginRun() override { delete events; }
    PluginRun(const PluginRun&) = delete;
    PluginRun& operator=(const PluginRun&) = delete;

    VstPlugin* plugin;
    RecordArray<PluginEvent>* events;  // times in milliseconds from the start of the range
};
