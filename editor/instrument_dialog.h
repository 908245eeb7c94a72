#pragma once
// GVSTInstrumentDialog: a plug-in instrument's parameter window with a piano keyboard, a running
// time display and the buttons that open the note list, record and play. Keys sound through the
// instrument on the synthesizer output, whose use the window holds from build to close; its
// NoteRecorder (owned) records into and plays the process's note list. Callers own the dialog
// (modal runs); the parts are the dialog's tree's.
#include "app/note_recorder.h"
#include "editor/plugin_dialog.h"

class GBoardWindow;
class GButton;
class GMetronomeWindow;
class VstSynthSource;

enum : u32 { InstrumentNotesCommand = 1000, InstrumentRecordCommand = 1001, InstrumentPlayCommand = 1002 };
// The hint shown once, the first time the window is laid out.
enum : u32 { NoticeInstrumentKeys = 10001 };

class GVSTInstrumentDialog : public GVSTEffectDialog, public NoteRecorderView {
public:
    explicit GVSTInstrumentDialog(GWindow* owner, const char* help = "plugins.htm") : GVSTEffectDialog(owner, help) {}
    ~GVSTInstrumentDialog() override;
    bool isKindOf(u32 id) const override { return id == TypeGVSTInstrumentDialog || GVSTEffectDialog::isKindOf(id); }
    const char* className() const override { return "GVSTInstrumentDialog"; }
    u32 typeId() const override { return TypeGVSTInstrumentDialog; }

    // The parameter window, then the keyboard (9 octaves, C4 marked), the time display and the
    // buttons; `maxLength` is the longest run in frames of the synthesizer output.
    static bool build(VstPlugin* plugin, GVSTInstrumentDialog* dialog, u32 maxLength);

    i32 commandState(u32 command) override;
    // 1000 the note list, 1001 record, 1002 play; others only while not recording.
    bool onCommand(u32 command, GStateQuery* query) override;
    // The first layout shows the hint (once in the program's life).
    void refresh() override;
    void onDestroy() override;

    void showRecording(bool on) override;
    void showPlaying(bool on) override;
    void updateButtonStates() override;

    NoteRecorder* recorder = nullptr;
    GBoardWindow* keyboard = nullptr;
    GMetronomeWindow* timeDisplay = nullptr;
    GButton* openButton = nullptr;
    GButton* recordButton = nullptr;
    GButton* playButton = nullptr;

private:
    // Stops what sounds and gives the output back; once.
    void releaseOutput();
    void enableCommand(u32 command, bool on);

    bool holdsOutput = false;
    i32 pluginRate = 0;
    bool hintAsked = false;
};
