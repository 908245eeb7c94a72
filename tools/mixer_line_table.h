#pragma once
// MixerLineTableModel: the mixer lines of the record repair dialog, one row per line: its state, an
// audible check box (the line's mute, negated), the destination, the line's type, the mixer, the
// line and the wave device it serves. The table that shows it owns it.
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "gui/views/table_model.h"

struct MixerLineRow {
    u32 destination = (u32)-1;
    i32 source = -1;
    i32 mixer = -1;
    MIXERLINEA destinationLine;
    MIXERLINEA line;
    MIXERCAPSA caps;
    bool audible = true;  // not muted, or without a mute
    const char* state = "";
};

class MixerLineTableModel : public GTableModel {
public:
    enum { StateColumn, AudibleColumn, DestinationColumn, TypeColumn, MixerColumn, LineColumn, DeviceColumn, Columns };

    u64 rowCount() override { return rows.size(); }
    i32 columnCount() override { return Columns; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    bool cellChecked(u64 row, i32 column) override;
    void setCellChecked(u64 row, i32 column, bool value) override;
    GCellFormat* cellFormat(u64 row, i32 column) override;
    void clearRows() override { rows.clear(); }
    void removeRows(u64 first, u64 end) override;
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }

    // The rows of every line the record or play settings use, or that has a mute; the mutes read
    // from each mixer.
    void fill(i32 recordMixer, i32 recordDestination, i32 recordSource, i32 playMixer, i32 playDestination,
              i32 playSource);

    std::vector<MixerLineRow> rows;
    i64 selected = -1;
};
