#pragma once
// The track dialogs: GTrackDialog (one track's text, colour, balance, level and switches),
// GModifyTracksDialog (the sound's tracks in display order, switched, reordered and edited) and
// GAddRemoveTracksDialog (the new track list and its mapping to the old tracks). Callers own them
// on the stack of a modal run; the tables belong to their dialog's tree and own their models.
#include <vector>

#include "app/effect_dialogs.h"
#include "app/program_texts.h"
#include "editor/track_rows.h"

class GCheckBox;
class GEditLine;
class GImageButton;
class GLabel;
class GRegulator;
class GTable;
class GUserButton;

enum : u32 { TypeGTrackDialog = 100 };

class GTrackDialog : public GDialog {
public:
    GTrackDialog(GWindow* owner, const TrackRecord& record, u32 track, u32 tracks)
        : GDialog(owner, nullptr), record(record), track(track), tracks(tracks) {}
    bool isKindOf(u32 id) const override { return id == TypeGTrackDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GTrackDialog"; }
    u32 typeId() const override { return TypeGTrackDialog; }

    bool build();
    // 1 when the record was rewritten.
    i32 run();
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    bool onControlNotify(void* notification) override;
    void showValues();

    TrackRecord record;
    u32 track, tracks;  // for the default colour
    GEditLine* info = nullptr;
    GLabel* swatch = nullptr;
    GRegulator* balance = nullptr;
    GRegulator* level = nullptr;
    GLabel* sides[4] = {};  // balance left, right; level left, right
    GCheckBox* switches[2] = {};
};

// The table, the move buttons and the enabling both list dialogs share.
class TrackListDialog : public GDialog {
public:
    TrackListDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}

    bool onControlNotify(void* notification) override;
    // The dialog's own commands 1000..1004 are taken here.
    i32 commandState(u32 command) override;
    virtual void updateButtons() = 0;
    virtual void editRows() = 0;
    // -1 when none.
    i64 firstSelected();
    i64 lastSelected();
    // The edited record into every selected row, each keeping its layer field.
    void copyIntoSelected(const TrackRecord& edited);
    void enable(GWindow* w, bool on);
    void enableMoves();
    // The selected rows one up or down (Alt+Up and Alt+Down do the same in the table).
    void moveRows(bool up);

    std::vector<TrackRecord> rows;
    GTable* table = nullptr;
    GImageButton* up = nullptr;
    GImageButton* down = nullptr;
    u32 trackCount = 0;
    std::vector<GUserButton*> buttonList;  // in their column's order

protected:
    // The column of buttons, the table and the row of move buttons.
    bool buildList(const char* title, const std::vector<std::pair<RavoText, u32>>& buttons, bool listMode,
                   u32 upCommand, u32 downCommand);
};

class GModifyTracksDialog : public TrackListDialog {
public:
    enum : u32 { Edit = 1000, Up = 1001, Down = 1002, AllOff = 1003, AllOn = 1004 };
    GModifyTracksDialog(GWindow* owner, SoundFormat* format, const char* help = "tracks.htm")
        : TrackListDialog(owner, help), format(format) {}
    bool isKindOf(u32 id) const override { return id == TypeGModifyTracksDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GModifyTracksDialog"; }
    u32 typeId() const override { return TypeGModifyTracksDialog; }

    bool build(const char* title);
    // 1 when the format was rewritten.
    i32 run();
    bool onCommand(u32 command, GStateQuery* query) override;
    void updateButtons() override;
    void editRows() override;

    SoundFormat* format;
};

class GAddRemoveTracksDialog : public TrackListDialog {
public:
    enum : u32 { Add = 1000, Remove = 1001, Edit = 1002, Up = 1003, Down = 1004 };
    GAddRemoveTracksDialog(GWindow* owner, SoundFormat* format, const char* help = "tracks.htm")
        : TrackListDialog(owner, help), format(format) {}
    bool isKindOf(u32 id) const override { return id == TypeGAddRemoveTracksDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GAddRemoveTracksDialog"; }
    u32 typeId() const override { return TypeGAddRemoveTracksDialog; }

    bool build(const char* title);
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 handleKey(GInputEvent* event) override;
    void updateButtons() override;
    void editRows() override;
    void addRow();
    void removeSelected();

    SoundFormat* format;
};

// Installed as the Editor's TRACKS_MODIFY dialog: true when the format was rewritten.
bool runModifyTracks(class EditorWindow* editor, SoundFormat* format);
