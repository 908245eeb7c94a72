#include "editor/track_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/program_texts.h"
#include "editor/wave_pane.h"
#include "gui/views/cell_format.h"

i32 roundHalfUp(f64 x) { return (i32)std::floor(x + 0.5); }

f64 trackLevelDb(const TrackRecord& r) {
    const f64 m = std::max(r.coef[0], r.coef[1]);
    return m < 1e-10 ? -100.0 : 10.0 * std::log10(m);
}

i32 trackBalance(const TrackRecord& r) {
    const f64 a = r.coef[0], b = r.coef[1];
    if (a == b) return 0;
    if (b < a) return -roundHalfUp((a - b) / a * 100.0);
    return roundHalfUp((b - a) / b * 100.0);
}

i32 trackLevelTenths(const TrackRecord& r) { return roundHalfUp(10.0 * trackLevelDb(r)); }

void setTrackCoefficients(TrackRecord& r, i32 balance, i32 levelTenths) {
    const f64 g = std::pow(10.0, levelTenths / 100.0);
    r.coef[0] = r.coef[1] = g;
    if (balance < 0) r.coef[1] = (balance + 100) / 100.0 * g;
    else if (balance > 0) r.coef[0] = (100 - balance) / 100.0 * g;
}

void trackBalanceText(GString& out, const TrackRecord& r) {
    const f64 a = r.coef[0], b = r.coef[1];
    if (a <= 0) {
        stringAssignText(out, ravoText(b > 0 ? RavoText::TrackRightOnly : RavoText::TrackSilent));
    } else if (b <= 0) {
        stringAssignText(out, ravoText(RavoText::TrackLeftOnly));
    } else if (a == b) {
        stringAssignText(out, ravoText(RavoText::TrackCentre));
    } else if (b < a) {
        stringFormat(out, ravoText(RavoText::TrackLeftFormat), roundHalfUp((a - b) / a * 100.0));
    } else {
        stringFormat(out, ravoText(RavoText::TrackRightFormat), roundHalfUp((b - a) / b * 100.0));
    }
}

void trackLevelText(GString& out, const TrackRecord& r) { stringFormat(out, ravoText(RavoText::TrackDecibels), trackLevelDb(r)); }

std::vector<TrackRecord> rowsByLayer(const SoundFormat& format) {
    const u32 n = format.trackCount();
    std::vector<TrackRecord> rows(n);
    std::vector<bool> placed(n, false);
    for (u32 t = 0; t < n; ++t) {
        u32 row = format.tracks[t].layer;
        // A broken layer set still shows every track once.
        if (row >= n || placed[row]) row = (u32)(std::find(placed.begin(), placed.end(), false) - placed.begin());
        placed[row] = true;
        rows[row] = format.tracks[t];
        rows[row].layer = t;
    }
    return rows;
}

void writeModifiedTracks(SoundFormat& format, const std::vector<TrackRecord>& rows) {
    delete[] format.trackOrder;
    format.trackOrder = nullptr;
    for (u32 r = 0; r < rows.size(); ++r) {
        const u32 t = rows[r].layer;
        if (t >= format.trackCount()) continue;
        format.tracks[t] = rows[r];
        format.tracks[t].layer = r;
    }
    format.recomputeSizes();
}

void writeTrackList(SoundFormat& format, std::vector<TrackRecord> rows) {
    const u32 n = (u32)rows.size();
    format.tracks.count = 0;
    if (n) format.tracks.append(n);
    delete[] format.trackOrder;
    format.trackOrder = new i32[n];
    for (u32 i = 0; i < n; ++i) {
        format.trackOrder[i] = (i32)rows[i].layer;
        rows[i].layer = i;
        format.tracks[i] = rows[i];
    }
    format.recomputeSizes();
}

bool isIdentityMapping(const SoundFormat& format, u32 oldTracks) {
    if (format.trackCount() != oldTracks) return false;
    for (u32 i = 0; i < oldTracks; ++i)
        if (format.trackOrder && format.trackOrder[i] != (i32)i) return false;
    return true;
}

TrackRecord newTrackRecord() {
    TrackRecord r = {};
    r.color = 0xFFFFFFFFu;
    r.flags = trackSelected;
    r.layer = ~0u;
    r.coef[0] = r.coef[1] = 1.0;
    return r;
}

size_t trackRowsCapacity(size_t count) {
    const size_t step = count <= 256 ? 16 : count <= 4096 ? 256 : 4096;
    return (count + step - 1) / step * step;
}

const char* TrackTableModel::cellText(GString& scratch, u64 row, i32 column) {
    if (row >= rows.size()) return nullptr;
    const TrackRecord& r = rows[row];
    switch (column) {
    case 0: stringFormat(scratch, "%d", (i32)row); return scratch.c_str();
    case 1:
        if (!listMode) return "";
        return ravoText((r.flags & 1) ? RavoText::TrackOn : RavoText::TrackOff);
    case 2: {
        char text[sizeof r.info + 1] = {};
        memcpy(text, r.info, sizeof r.info);
        stringAssignText(scratch, text);
        return scratch.c_str();
    }
    case 3: trackBalanceText(scratch, r); return scratch.c_str();
    case 4: trackLevelText(scratch, r); return scratch.c_str();
    case 5: return "";
    case 6:
        if (!listMode) return "";
        return ravoText((r.flags & 2) ? RavoText::TrackSecondOn : RavoText::TrackSecondOff);
    case 7: stringFormat(scratch, "%d", (i32)r.layer); return scratch.c_str();
    default: return nullptr;
    }
}

void TrackTableModel::removeRows(u64 first, u64 end) {
    end = std::min<u64>(end, rows.size());
    if (first < end) rows.erase(rows.begin() + (size_t)first, rows.begin() + (size_t)end);
}

u64 TrackTableModel::insertRecords(u64 at, const void* records, i32 n) {
    if (n <= 0) return 0;
    at = std::min<u64>(at, rows.size());
    if (rows.size() + n > rows.capacity()) rows.reserve(trackRowsCapacity(rows.size() + n));
    const auto* from = static_cast<const TrackRecord*>(records);
    rows.insert(rows.begin() + (size_t)at, from, from + n);
    return (u64)n;
}

bool TrackTableModel::cellChecked(u64 row, i32 column) {
    if (row >= rows.size()) return false;
    return (rows[row].flags & (column == 1 ? 1u : 2u)) != 0;
}

void TrackTableModel::setCellChecked(u64 row, i32 column, bool checked) {
    if (listMode || row >= rows.size() || (column != 1 && column != 6)) return;
    const u32 bit = column == 1 ? 1u : 2u;
    rows[row].flags = checked ? rows[row].flags | bit : rows[row].flags & ~bit;
}

GCellFormat* TrackTableModel::cellFormat(u64 row, i32 column) {
    if (!listMode && (column == 1 || column == 6)) return checkCellFormat();
    return GTableModel::cellFormat(row, column);
}

void* TrackTableModel::cellImage(u64 row, i32 column) {
    if (column != 5 || row >= rows.size()) return nullptr;
    while (swatches.size() <= row) {
        swatches.emplace_back(new ColorSwatch);
        shown.push_back(0);
    }
    const TrackRecord& r = rows[row];
    const u32 track = (i32)r.layer >= 0 ? r.layer : (u32)row;
    shown[row] = waveTrackColour(r, track, std::max<u32>(tracks, 1));
    ColorSwatch* swatch = swatches[row].get();
    swatch->cell = &shown[row];
    swatch->width = 28;
    swatch->height = 12;
    return swatch;
}

void TrackTableModel::swapRows(u64 a, u64 b) {
    if (a < rows.size() && b < rows.size()) std::swap(rows[a], rows[b]);
}
