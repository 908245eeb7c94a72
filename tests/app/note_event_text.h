#pragma once
// The note event lists of the tests as text: "time:status:data1" per event.
#include <cstdio>
#include <string>

#include "app/note_events.h"

inline std::string dumpNoteEvents(const NoteEventList& list) {
    std::string s;
    char item[32];
    for (u32 i = 0; i < list.count; ++i) {
        snprintf(item, sizeof item, "%s%u:%X:%u", i ? " " : "", list[i].time, list[i].status, list[i].data1);
        s += item;
    }
    return s;
}

inline PluginEvent noteEvent(u32 time, u8 status, u8 data1, u8 data2 = 0) {
    PluginEvent e{};
    e.time = time;
    e.status = status;
    e.data1 = data1;
    e.data2 = data2;
    return e;
}
