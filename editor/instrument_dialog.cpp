#include "editor/instrument_dialog.h"

#include "app/keyboard_voice.h"
#include "app/metronome_window.h"
#include "app/note_list_dialog.h"
#include "app/program_texts.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/frame/board_window.h"
#include "gui/frame/shown_notices.h"
#include "gui/kernel/posting.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "mm/mm_settings.h"
#include "mm/plugin_host.h"
#include "mm/synth_output.h"
#include "mm/vst_synth_source.h"

namespace {
// Posted by the first layout: the hint.
const u32 kShowHint = 1003;
const i32 kKeyboardOctaves = 9;
}  // namespace

GVSTInstrumentDialog::~GVSTInstrumentDialog() {
    releaseOutput();
    delete recorder;
}

bool GVSTInstrumentDialog::build(VstPlugin* plugin, GVSTInstrumentDialog* d, u32 maxLength) {
    GColumnsItem* column = d->buildCommon(plugin);
    if (!column) return false;
    GLayoutBuilder builder(d);
    builder.current = column;
    d->buildParameterParts(builder);

    SynthOutput& output = SynthOutput::instance();
    holdSynthOutput(output);
    d->holdsOutput = true;
    VstSynthSource* source = nullptr;
    if (plugin->isLoaded()) {
        // Keys and playback run at the output's rate; the rate it was loaded at comes back at the end.
        d->pluginRate = plugin->sampleRate();
        plugin->setSampleRate(output.rate);
        plugin->resume();
        source = new VstSynthSource(plugin);
        output.addSource(source, true);
    }
    d->recorder = new NoteRecorder(plugin, source, output.rate, maxLength);
    d->recorder->view = d;

    GRowItem::create(builder, "00000");
    d->keyboard = GBoardWindow::create(builder, 0, 4, kKeyboardOctaves, "UC");
    if (d->keyboard) d->keyboard->setListener(d->recorder);
    const MetronomeSettings& m = multimediaSettings().metronome;
    MetronomeSetup setup;
    setup.beatsPerBar = (i32)m.count;
    setup.msPerBeat = (i32)m.time;
    setup.stopped = true;
    d->timeDisplay = GMetronomeWindow::build(builder, setup);
    GColumnsItem::create(builder, "00000", "<^");
    d->openButton = GButton::create(builder, ravoText(RavoText::InstrumentNotesButton), 0, InstrumentNotesCommand, "U^");
    d->recordButton = GButton::create(builder, ravoText(RavoText::InstrumentRecordStart), 0, InstrumentRecordCommand, "U^");
    d->playButton = GButton::create(builder, ravoText(RavoText::InstrumentPlayStart), 0, InstrumentPlayCommand, "U^");
    builder.endContainer();
    builder.endContainer();

    GButtonRow::create(builder, d->helpPage ? "OCH" : "OC");
    d->finishBuild();
    d->updateButtonStates();
    // The letters play at once.
    if (d->keyboard) d->keyboard->setFocusSafe();
    return true;
}

void GVSTInstrumentDialog::releaseOutput() {
    if (!holdsOutput) return;
    holdsOutput = false;
    SynthOutput& output = SynthOutput::instance();
    // The source goes with the list: no run can call the recorder back after this.
    output.removeAllSources();
    if (recorder) {
        recorder->source = nullptr;
        recorder->recording = recorder->playing = recorder->noteSounding = 0;
    }
    leaveSynthOutput(output);
    if (plugin && pluginRate > 0) plugin->setSampleRate(pluginRate);
}

void GVSTInstrumentDialog::onDestroy() {
    // Before the children go: the keyboard tells its listener of the lost focus.
    if (keyboard) keyboard->setListener(nullptr);
    releaseOutput();
    GVSTEffectDialog::onDestroy();
}

void GVSTInstrumentDialog::refresh() {
    if (!hintAsked && !destroyed()) {
        hintAsked = true;
        postNotification(this, kShowHint);
    }
    GVSTEffectDialog::refresh();
}

void GVSTInstrumentDialog::enableCommand(u32 command, bool on) {
    HWND control = hwnd ? GetDlgItem(hwnd, (int)command) : nullptr;
    if (control) EnableWindow(control, on ? TRUE : FALSE);
}

void GVSTInstrumentDialog::updateButtonStates() {
    if (!recorder) return;
    const InstrumentControlStates s = instrumentControlStates(recorder->recording, recorder->playing, recorder->events->count);
    enableCommand(1, s.ok);
    enableCommand(2, s.cancel);
    enableCommand(InstrumentNotesCommand, s.open);
    enableCommand(InstrumentPlayCommand, s.play);
    enableCommand(InstrumentRecordCommand, s.record);
    if (keyboard && keyboard->hwnd) EnableWindow(keyboard->hwnd, s.keyboard ? TRUE : FALSE);
}

void GVSTInstrumentDialog::showRecording(bool on) {
    if (recordButton)
        recordButton->setText(ravoText(on ? RavoText::InstrumentRecordStop : RavoText::InstrumentRecordStart));
    if (timeDisplay) on ? timeDisplay->start() : timeDisplay->stop();
}

void GVSTInstrumentDialog::showPlaying(bool on) {
    if (playButton) playButton->setText(ravoText(on ? RavoText::InstrumentPlayStop : RavoText::InstrumentPlayStart));
    if (timeDisplay) on ? timeDisplay->start() : timeDisplay->stop();
}

i32 GVSTInstrumentDialog::commandState(u32 command) {
    if (command >= InstrumentNotesCommand && command <= kShowHint) return CommandEnabled;
    return GVSTEffectDialog::commandState(command);
}

bool GVSTInstrumentDialog::onCommand(u32 command, GStateQuery* query) {
    if (!recorder) return GVSTEffectDialog::onCommand(command, query);
    switch (command) {
    case InstrumentNotesCommand:
        if (recorder->recording || recorder->playing) return true;
        GMIDIDialog::run(this, *recorder->events);
        updateButtonStates();
        return true;
    case InstrumentRecordCommand:
        if (!recorder->playing) recorder->toggleRecord();
        // Back to the keys that are being recorded.
        if (recorder->recording && keyboard && keyboard->hwnd) keyboard->setFocusSafe();
        return true;
    case InstrumentPlayCommand:
        if (!recorder->recording) recorder->togglePlay();
        return true;
    case kShowHint:
        showNoticeOnce(NoticeInstrumentKeys, ravoText(RavoText::InstrumentHint));
        return true;
    default: break;
    }
    if (recorder->recording) return true;
    return GVSTEffectDialog::onCommand(command, query);
}
