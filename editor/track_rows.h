#pragma once
// The rows of the track dialogs: copies of a sound's track records with their eight-column table
// model, the balance and level figures of a record, and writing the rows back into a format. The
// dialog owns the rows; the model (owned by its table) refers to them and to the dialog's colour
// swatches.
#include <memory>
#include <vector>

#include "gui/paint/color_swatch.h"
#include "gui/views/table_model.h"
#include "mm/sound_format.h"

// floor(x + 0.5).
i32 roundHalfUp(f64 x);
// 10 x log10 of the larger coefficient; -100 below 1e-10.
f64 trackLevelDb(const TrackRecord& r);
// The balance regulator's value, -100 (left) .. 100 (right).
i32 trackBalance(const TrackRecord& r);
// The level regulator's value in tenths of a decibel.
i32 trackLevelTenths(const TrackRecord& r);
// The coefficients from a balance and a level in tenths of a decibel.
void setTrackCoefficients(TrackRecord& r, i32 balance, i32 levelTenths);
// The table's balance and level texts.
void trackBalanceText(GString& out, const TrackRecord& r);
void trackLevelText(GString& out, const TrackRecord& r);

// The record of track t goes to row layer(t); each row's layer field holds its track index.
std::vector<TrackRecord> rowsByLayer(const SoundFormat& format);
// OK of the modify dialog: each row to its track with the row as its layer; the mapping freed,
// the sizes and the selection mask follow.
void writeModifiedTracks(SoundFormat& format, const std::vector<TrackRecord>& rows);
// OK of the add and remove dialog: the rows become the tracks, the mapping gives each new track its
// row's old track (-1 for an added one).
void writeTrackList(SoundFormat& format, std::vector<TrackRecord> rows);
// True when the mapping keeps every track where it was: nothing to do.
bool isIdentityMapping(const SoundFormat& format, u32 oldTracks);
// A row added in the dialog.
TrackRecord newTrackRecord();
// Grows like the system's arrays: to a multiple of 16 up to 256, of 256 up to 4096, else of 4096.
size_t trackRowsCapacity(size_t count);

class TrackTableModel : public GTableModel {
public:
    // listMode: the add and remove dialog's texts in columns 1 and 6 instead of check boxes.
    TrackTableModel(std::vector<TrackRecord>& rows, bool listMode, u32 tracks) : rows(rows), listMode(listMode), tracks(tracks) {}

    u64 rowCount() override { return rows.size(); }
    i32 columnCount() override { return 8; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void clearRows() override { rows.clear(); }
    void removeRows(u64 first, u64 end) override;
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }
    // n TrackRecords.
    u64 appendRecords(const void* records, i32 n) override { return insertRecords(rows.size(), records, n); }
    u64 insertRecords(u64 at, const void* records, i32 n) override;
    bool cellChecked(u64 row, i32 column) override;
    void setCellChecked(u64 row, i32 column, bool checked) override;
    GCellFormat* cellFormat(u64 row, i32 column) override;
    void* cellImage(u64 row, i32 column) override;
    void swapRows(u64 a, u64 b) override;

    std::vector<TrackRecord>& rows;
    bool listMode;
    u32 tracks;  // of the sound, for the default colours

private:
    std::vector<std::unique_ptr<ColorSwatch>> swatches;
    std::vector<u32> shown;  // the colour each swatch draws
};
