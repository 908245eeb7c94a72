#pragma once
// NoteRecorder: the instrument window's key listener, recorder and player. Keys sound through the
// instrument plug-in at once; while recording every press and release is appended to the event
// list with its time; playing hands the whole list to the plug-in. A run (recording up to its
// longest length, playing to the last event) is counted down by the instrument's sound source,
// whose worker calls the recorder back; the recorder posts that to the interface thread. Owned by
// the instrument window; the list is the caller's (the process's by default).
#include "app/note_events.h"
#include "gui/frame/board_window.h"
#include "gui/kernel/posting.h"
#include "mm/vst_synth_source.h"

class VstPlugin;

// What the window shows of the recorder: the two buttons' texts with the time display, and the
// states of its controls.
class NoteRecorderView {
public:
    virtual ~NoteRecorderView() = default;
    virtual void showRecording(bool /*on*/) {}
    virtual void showPlaying(bool /*on*/) {}
    virtual void updateButtonStates() {}
};

// Which controls of the instrument window are enabled.
struct InstrumentControlStates {
    bool ok, cancel, open, play, record, keyboard;
};
InstrumentControlStates instrumentControlStates(bool recording, bool playing, u32 eventCount);

enum : u32 { RecorderRunFinished = 1001 };

class NoteRecorder : public GItemBase, public GKeyListener, public RunFinished {
public:
    // The plug-in and its source may be null (keys then sound nothing, runs end only by hand).
    NoteRecorder(VstPlugin* plugin, VstSynthSource* source, i32 rate, u32 maxLength, NoteEventList* events = &noteEventList());

    void noteOn(i32 note, i32 octave, i32 velocity) override;
    void noteOff() override;
    void allOff(bool flag) override;

    void toggleRecord();
    // Nothing at all with an empty list.
    void togglePlay();
    // Output worker: posted to the interface thread.
    void onRunFinished() override;
    // The posted end of a run: the record or play run is stopped.
    void onFinished();

    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;

    VstPlugin* plugin;
    VstSynthSource* source;
    i32 rate;
    NoteRecorderView* view = nullptr;

    u8 recording = 0, playing = 0, noteSounding = 0;
    NoteEventList* events;
    u32 startTick = 0;
    NoteName lastKey{0, 0};
    u32 maxLength;

private:
    void append(u8 status, u8 velocity);
    void setRequest(u32 samples, bool record);

    TaskList posted{this};
};
