#include "tools/mixer_line_table.h"

#include <cstring>

#include "gui/views/cell_format.h"
#include "mm/mixer.h"
#include "mm/mm_texts.h"

namespace {
// The wave device named by a line's target, or null.
const char* targetName(const MIXERLINEA& line) {
    bool wave = line.Target.dwType == MIXERLINE_TARGETTYPE_WAVEOUT || line.Target.dwType == MIXERLINE_TARGETTYPE_WAVEIN;
    return wave && (i32)line.Target.dwDeviceID >= 0 && line.Target.szPname[0] ? line.Target.szPname : nullptr;
}
}  // namespace

const char* MixerLineTableModel::cellText(GString& scratch, u64 index, i32 column) {
    if (index >= rows.size()) return nullptr;
    const MixerLineRow& r = rows[index];
    switch (column) {
    case StateColumn:
        return r.state;
    case AudibleColumn:
        return "";
    case DestinationColumn:
        return r.destinationLine.szName;
    case TypeColumn:
        return mixerComponentTypeName(r.line.dwComponentType);
    case MixerColumn:
        return r.caps.szPname;
    case LineColumn:
        return r.line.szName;
    case DeviceColumn: {
        const char* name = targetName(r.line);
        if (!name) name = targetName(r.destinationLine);
        scratch = name ? name : mmText(MmText::RepairNoDevice);
        return scratch.c_str();
    }
    }
    return nullptr;
}

bool MixerLineTableModel::cellChecked(u64 row, i32 column) {
    return column == AudibleColumn && row < rows.size() && rows[row].audible;
}

void MixerLineTableModel::setCellChecked(u64 row, i32 column, bool value) {
    if (column == AudibleColumn && row < rows.size()) rows[row].audible = value;
}

GCellFormat* MixerLineTableModel::cellFormat(u64 row, i32 column) {
    return column == AudibleColumn ? checkCellFormat() : GTableModel::cellFormat(row, column);
}

void MixerLineTableModel::removeRows(u64 first, u64 end) {
    if (first >= end || first >= rows.size()) return;
    rows.erase(rows.begin() + (i64)first, rows.begin() + (i64)std::min<u64>(end, rows.size()));
}

void MixerLineTableModel::fill(i32 recordMixer, i32 recordDestination, i32 recordSource, i32 playMixer,
                               i32 playDestination, i32 playSource) {
    rows.clear();
    const u32 mixers = mixerApi.getNumDevs();
    for (u32 m = 0; m < mixers; ++m) {
        Mixer mixer;
        mixer.mixerId = m;
        MIXERCAPSA caps;
        if (!getMixerDevCaps(mixer, caps)) continue;
        for (u32 d = 0; d < caps.cDestinations; ++d) {
            MIXERLINEA destination;
            if (!getMixerLineInfo(mixer, destination, {d, -1})) continue;
            for (i32 s = -1; s < (i32)destination.cConnections; ++s) {
                MixerLineRow row;
                row.destination = d;
                row.source = s;
                row.mixer = (i32)m;
                row.destinationLine = destination;
                row.caps = caps;
                if (s < 0)
                    row.line = destination;
                else if (!getMixerLineInfo(mixer, row.line, {d, s}))
                    continue;
                bool muted = false;
                bool hasMute = accessLineMute(mixer, muted, false, {d, s});
                row.audible = !hasMute || !muted;
                bool isRecord = (i32)m == recordMixer && (i32)d == recordDestination && s == recordSource;
                bool isPlay = (i32)m == playMixer && (i32)d == playDestination && s == playSource;
                if (isRecord)
                    row.state = mmText(row.audible ? MmText::RepairRecordOn : MmText::RepairRecordMuted);
                else if (isPlay)
                    row.state = mmText(row.audible ? MmText::RepairPlayOn : MmText::RepairPlayMuted);
                else if (hasMute)
                    row.state = mmText(row.audible ? MmText::RepairOtherOn : MmText::RepairOtherMuted);
                else
                    continue;
                rows.push_back(row);
            }
        }
    }
    if (selected >= (i64)rows.size()) selected = -1;
}
