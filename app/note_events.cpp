#include "app/note_events.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/program_texts.h"
#include "core/gstring.h"
#include "gui/controls/notes.h"

NoteEventList& noteEventList() {
    static NoteEventList list;
    return list;
}

void sortNoteEvents(NoteEventList& list) {
    std::stable_sort(list.data, list.data + list.count, [](const PluginEvent& a, const PluginEvent& b) {
        if (a.time != b.time) return a.time < b.time;
        return (i8)a.status < (i8)b.status;
    });
}

void copyNoteEvents(NoteEventList& to, const NoteEventList& from) {
    to.count = 0;
    to.reserveFor(from.count);
    if (from.count) memcpy(static_cast<void*>(to.data), from.data, sizeof(PluginEvent) * from.count);
    to.count = from.count;
}

void clearNoteEvents(NoteEventList& list) { arrayFree(list); }

i64 notePartner(const NoteEventList& list, u32 row) {
    if (row >= list.count) return -1;
    const PluginEvent& e = list[row];
    if (e.status == NoteOnStatus) {
        for (u32 i = row + 1; i < list.count; ++i)
            if (list[i].status == NoteOffStatus && list[i].data1 == e.data1) return i;
    } else if (e.status == NoteOffStatus) {
        for (u32 i = row; i-- > 0;)
            if (list[i].status == NoteOnStatus && list[i].data1 == e.data1) return i;
    }
    return -1;
}

u32 secondsToMs(f64 seconds) {
    const f64 ms = std::floor(seconds * 1000.0 + 0.5);
    if (!(ms > 0)) return 0;
    return ms >= 4294967295.0 ? 4294967295u : (u32)ms;
}

i64 firstRowAtTime(const NoteEventList& list, u32 time, u32 within) {
    for (u32 i = 0; i < within && i < list.count; ++i)
        if (list[i].time == time) return i;
    return -1;
}

bool noteNumber(i32 note, i32 octave, u8* number) {
    if (note < 0 || note > 11 || octave < -1) return false;
    const i32 n = 12 * (octave + 1) + note;
    if (n > 127) return false;
    *number = (u8)n;
    return true;
}

NotePair& workingNotes() {
    static NotePair pair;
    return pair;
}

void prepareInsert(const NoteEventList& list, i64 row, NotePair& pair) {
    if (row >= 0 && (u64)row < list.count) {
        const PluginEvent& e = list[(u32)row];
        memcpy(reinterpret_cast<u8*>(&pair.on) + 4, reinterpret_cast<const u8*>(&e) + 4, 8);
        memcpy(reinterpret_cast<u8*>(&pair.off) + 4, reinterpret_cast<const u8*>(&e) + 4, 8);
        pair.on.time = e.time;
    } else {
        pair.on.time = 0;
    }
    pair.off.time = pair.on.time + 500;
}

i64 commitInsert(NoteEventList& list, const NotePair& pair) {
    const u32 before = list.count;
    PluginEvent* at = list.append(2);
    at[0] = pair.on;
    at[1] = pair.off;
    sortNoteEvents(list);
    return firstRowAtTime(list, pair.on.time, before);
}

bool prepareEdit(const NoteEventList& list, u32 row, NotePair& pair, NoteEditRows* rows) {
    if (row >= list.count) return false;
    const PluginEvent& e = list[row];
    if (e.status != NoteOnStatus && e.status != NoteOffStatus) return false;
    const i64 partner = notePartner(list, row);
    const PluginEvent previousOff = pair.off;
    if (e.status == NoteOnStatus) {
        rows->on = row;
        rows->off = partner;
        pair.on = e;
        if (partner >= 0) {
            pair.off = list[(u32)partner];
        } else {
            pair.off = e;
            pair.off.time = e.time - 1;
        }
    } else {
        rows->off = row;
        rows->on = partner;
        pair.off = e;
        if (partner >= 0) {
            pair.on = list[(u32)partner];
        } else {
            pair.on = previousOff;
            pair.on.time = previousOff.time + 1;
        }
    }
    return true;
}

i64 commitEdit(NoteEventList& list, const NoteEditRows& rows, const NotePair& pair) {
    const u32 before = list.count;
    if (rows.on >= 0) list[(u32)rows.on] = pair.on;
    else *list.append(1) = pair.on;
    if (rows.off >= 0) list[(u32)rows.off] = pair.off;
    else *list.append(1) = pair.off;
    sortNoteEvents(list);
    return firstRowAtTime(list, pair.on.time, before);
}

u32 deleteNote(NoteEventList& list, u32 row) {
    if (row >= list.count) return 0;
    const i64 partner = notePartner(list, row);
    NoteEventTableModel model(list);
    const u32 high = partner > (i64)row ? (u32)partner : row;
    model.removeRows(high, high + 1);
    if (partner < 0) return 1;
    const u32 low = partner > (i64)row ? row : (u32)partner;
    model.removeRows(low, low + 1);
    return 2;
}

void makeNotePair(NotePair& pair, f64 startSeconds, f64 endSeconds, u8 number, u8 velocity) {
    u32 start = secondsToMs(startSeconds), end = secondsToMs(endSeconds);
    if (start > end) std::swap(start, end);
    pair.on = PluginEvent{};
    pair.off = PluginEvent{};
    pair.on.time = start;
    pair.on.status = NoteOnStatus;
    pair.on.data1 = number;
    pair.on.data2 = velocity;
    pair.off.time = end;
    pair.off.status = NoteOffStatus;
    pair.off.data1 = number;
    pair.off.data2 = 64;
}

namespace {
// Entry i of a text of names separated by "|".
std::string nameAt(const char* names, u32 i) {
    std::string all = names ? names : "";
    size_t start = 0;
    for (; i > 0; --i) {
        size_t bar = all.find('|', start);
        if (bar == std::string::npos) return "";
        start = bar + 1;
    }
    size_t end = all.find('|', start);
    return all.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
}  // namespace

const char* NoteEventTableModel::cellText(GString& scratch, u64 row, i32 column) {
    if (row >= list.count || column < 0 || column > 4) return "";
    const PluginEvent& e = list[(u32)row];
    const u32 kind = e.status >> 4;
    char text[128] = "";
    switch (column) {
    case 0: snprintf(text, sizeof text, "%.3G", e.time / 1000.0); break;
    case 1:
        if (kind < 8) break;
        if (e.status == ControlStatus || kind == 0xB) {
            if (e.data1 >= 120) {
                const u32 mode = e.data1 <= 122 ? e.data1 - 120 + (e.data1 == 122 && e.data2 ? 1 : 0) : e.data1 - 119;
                snprintf(text, sizeof text, "%s", nameAt(ravoText(RavoText::NoteChannelModes), mode).c_str());
            } else {
                snprintf(text, sizeof text, ravoText(RavoText::NoteControlFormat), e.data1, e.data2);
            }
        } else {
            snprintf(text, sizeof text, "%s", nameAt(ravoText(RavoText::NoteEventKinds), kind - 8).c_str());
        }
        break;
    case 2:
        if (e.status >= 0x80 && e.status <= 0xA0) snprintf(text, sizeof text, "%s", noteName(e.data1 % 12));
        break;
    case 3:
        if (e.status >= 0x80 && e.status <= 0xA0) snprintf(text, sizeof text, "%s", octaveName(e.data1 / 12 - 1));
        break;
    default:
        switch (kind) {
        case 0x9: snprintf(text, sizeof text, ravoText(RavoText::NoteVelocityFormat), e.data2); break;
        case 0xA: snprintf(text, sizeof text, ravoText(RavoText::NotePressureFormat), e.data2); break;
        case 0xC: snprintf(text, sizeof text, ravoText(RavoText::NoteProgramFormat), e.data1); break;
        case 0xD: snprintf(text, sizeof text, ravoText(RavoText::NotePressureFormat), e.data1); break;
        case 0xE: snprintf(text, sizeof text, ravoText(RavoText::NoteBendFormat), e.data2 * 128 + e.data1 - 8192); break;
        default: break;
        }
    }
    stringAssignText(scratch, text);
    return scratch.c_str();
}

void NoteEventTableModel::removeRows(u64 first, u64 end) {
    if (end > list.count) end = list.count;
    if (first >= end) return;
    memmove(static_cast<void*>(list.data + first), list.data + end, sizeof(PluginEvent) * (list.count - end));
    list.count -= (u32)(end - first);
}
