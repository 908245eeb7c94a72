#include "app/note_recorder.h"

#include <algorithm>

#include "gui/input/system_input.h"
#include "mm/plugin_host.h"

InstrumentControlStates instrumentControlStates(bool recording, bool playing, u32 count) {
    const bool idle = !recording && !playing;
    return {idle && count >= 2, idle, idle, !recording && count >= 2, !playing, !playing};
}

NoteRecorder::NoteRecorder(VstPlugin* plugin, VstSynthSource* source, i32 rate, u32 maxLength, NoteEventList* events)
    : plugin(plugin), source(source), rate(rate), events(events), maxLength(maxLength) {}

void NoteRecorder::append(u8 status, u8 velocity) {
    u8 number;
    if (!noteNumber(lastKey.pitchClass, lastKey.octave, &number)) return;
    PluginEvent* e = events->append(1);
    *e = PluginEvent{};
    e->time = systemInput.tickCount() - startTick;
    e->status = status;
    e->data1 = number;
    e->data2 = velocity;
}

void NoteRecorder::noteOn(i32 note, i32 octave, i32 velocity) {
    if (noteSounding) {
        if (plugin) plugin->noteOff(lastKey);
        noteSounding = 0;
    }
    u8 number;
    if (!noteNumber(note, octave, &number)) return;  // no such key for the instrument
    // The keyboard calls only while keys sound; a silent key records nothing either.
    if (!keyboardSoundOn()) return;
    lastKey = {note, octave};
    if (plugin) plugin->noteOn(lastKey, 16383.0);
    noteSounding = 1;
    if (recording) append(NoteOnStatus, (u8)std::max(0, std::min(127, velocity)));
}

void NoteRecorder::noteOff() {
    if (!noteSounding) return;  // a lost focus or a pointer leaving after the release ends nothing
    if (recording) append(NoteOffStatus, 64);
    if (plugin) plugin->noteOff(lastKey);
    noteSounding = 0;
}

void NoteRecorder::allOff(bool flag) {
    if (flag && noteSounding) {
        if (plugin) plugin->noteOff(lastKey);
        noteSounding = 0;
    }
}

void NoteRecorder::setRequest(u32 samples, bool record) {
    if (!source) return;
    RunRequest r;
    if (samples) {
        r.samples = samples;
        r.finished = this;
        r.recording = record ? 1 : 0;
    }
    source->setRequest(r);
}

void NoteRecorder::toggleRecord() {
    if (!recording) {
        clearNoteEvents(*events);
        if (plugin) plugin->allNotesOff();
        if (view) view->showRecording(true);
        startTick = systemInput.tickCount();
        setRequest(maxLength, true);
    } else {
        if (view) view->showRecording(false);
        PluginEvent* e = events->append(1);
        *e = PluginEvent{};
        e->time = systemInput.tickCount() - startTick;
        e->status = ControlStatus;
        e->data1 = AllSoundOff;
        const u32 first = (*events)[0].time;
        for (u32 i = 0; i < events->count; ++i) (*events)[i].time -= first;
        setRequest(0, false);
    }
    recording = !recording;
    if (view) view->updateButtonStates();
}

void NoteRecorder::togglePlay() {
    if (!playing) {
        if (events->count == 0) return;
        if (view) view->showPlaying(true);
        // After what is queued: a key released just before still gets its note off.
        if (plugin) plugin->scheduleEvents(events->data, events->count, true);
        i64 length = (i64)(*events)[events->count - 1].time * rate / 1000;
        length = std::max<i64>(1, std::min<i64>(length, maxLength));
        setRequest((u32)length, false);
    } else {
        if (view) view->showPlaying(false);
        setRequest(0, false);
    }
    playing = !playing;
    if (view) view->updateButtonStates();
}

void NoteRecorder::onRunFinished() { postNotificationTo(posted, RecorderRunFinished); }

void NoteRecorder::onFinished() {
    if (recording) toggleRecord();
    if (playing) togglePlay();
}

i32 NoteRecorder::commandState(u32 command) {
    return command == RecorderRunFinished ? CommandEnabled : GItemBase::commandState(command);
}

bool NoteRecorder::onCommand(u32 command, GStateQuery* query) {
    if (command != RecorderRunFinished) return GItemBase::onCommand(command, query);
    onFinished();
    return true;
}
