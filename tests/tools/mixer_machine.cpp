#include "tests/tools/mixer_machine.h"

#include <cstring>

#include "gui/dialogs/file_dialog.h"
#include "tests/gui/box_recorder.h"

MixerMachine::MixerMachine() {
    addWaveOut("Out A");
    addWaveOut("Out B");
    addWaveIn("In A");
    addWaveIn("In B");
    const DWORD out = MIXERLINE_TARGETTYPE_WAVEOUT, in = MIXERLINE_TARGETTYPE_WAVEIN;

    u32 a = addMixer("Mixer A");
    addDestination(a, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, out, 0);
    addSource(a, 0, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    addSource(a, 0, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC);
    addDestination(a, MIXERLINE_COMPONENTTYPE_DST_HEADPHONES);
    addSource(a, 1, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, out, 0);
    addDestination(a, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, in, 0);
    addSource(a, 2, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    addSource(a, 2, MIXERLINE_COMPONENTTYPE_SRC_LINE);
    name(a, 0, -1, "Speakers");
    name(a, 0, 0, "Wave Out", "Out A");
    name(a, 0, 1, "CD");
    name(a, 1, -1, "Headphones");
    name(a, 1, 0, "Wave Out", "Out A");
    name(a, 2, -1, "Wave In", "In A");
    name(a, 2, 0, "Microphone");
    name(a, 2, 1, "Line");

    u32 b = addMixer("Mixer B");
    addDestination(b, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, out, 1);
    addSource(b, 0, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
    addDestination(b, MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
    addSource(b, 1, MIXERLINE_COMPONENTTYPE_SRC_LINE, in, 1);
    name(b, 0, -1, "Speakers");
    name(b, 0, 0, "Wave Out");
    name(b, 1, -1, "Wave In");
    name(b, 1, 0, "Line", "In B");

    waveVolume = addControl(a, 0, 0, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, {65535, 32767});
    waveMute = addControl(a, 0, 0, MIXERCONTROL_CONTROLTYPE_MUTE, 0, {0});
    speakersVolume = addControl(a, 0, -1, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, {40000, 40000});
    bass = addControl(a, 0, -1, MIXERCONTROL_CONTROLTYPE_BASS, 0, {1000});
    controls.back().control.Bounds.dwMinimum = 0;
    controls.back().control.Bounds.dwMaximum = 65535;
    strcpy(controls.back().control.szName, "Bass");
    loudness = addControl(a, 0, -1, MIXERCONTROL_CONTROLTYPE_LOUDNESS, 0, {1});
    strcpy(controls.back().control.szName, "Loudness");
    recordMux = addListControl(a, 2, MIXERCONTROL_CONTROLTYPE_MUX, {0, 1}, {0, 1});
    strcpy(controls.back().control.szName, "Source");
    recordMixer = addListControl(b, 1, MIXERCONTROL_CONTROLTYPE_MIXER, {0}, {1});
    strcpy(controls.back().control.szName, "Mix");
    recordVolume = addControl(b, 1, -1, MIXERCONTROL_CONTROLTYPE_VOLUME, MIXERCONTROL_CONTROLF_UNIFORM, {30000});
}

MIXERLINEA& MixerMachine::lineOf(u32 mixer, u32 destination, i32 source) {
    FakeDestination& d = mixers[mixer].destinations[destination];
    return source < 0 ? d.line : d.sources[source];
}

void MixerMachine::name(u32 mixer, u32 destination, i32 source, const char* text, const char* target) {
    MIXERLINEA& line = lineOf(mixer, destination, source);
    strncpy(line.szName, text, sizeof line.szName - 1);
    strncpy(line.szShortName, text, sizeof line.szShortName - 1);
    strncpy(line.Target.szPname, target, sizeof line.Target.szPname - 1);
}

u32 MixerMachine::mixerOfControl(DWORD control) {
    for (const FakeControl& c : controls)
        if (c.control.dwControlID == control) return c.mixer;
    return 0;
}

std::vector<std::string> ShownBoxes::texts;

static i32 recordShown(const MessageBoxDescription* d, GWindow*, const char* text) {
    ShownBoxes::texts.push_back(text ? text : "");
    return (i32)d->defaultButton;
}

ShownBoxes::ShownBoxes() {
    texts.clear();
    recordedBoxes().clear();
    setMessageBoxSink(recordShown);
}

ShownBoxes::~ShownBoxes() { setMessageBoxSink(nullptr); }

std::string ChosenFile::name;

static BOOL WINAPI chooseName(OPENFILENAMEW* w) {
    if (ChosenFile::name.empty()) return FALSE;
    std::wstring wide(ChosenFile::name.begin(), ChosenFile::name.end());
    memcpy(w->lpstrFile, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    w->nFileOffset = (WORD)(wide.rfind(L'\\') + 1);
    return TRUE;
}

static DWORD WINAPI noDialogError() { return 0; }

ChosenFile::ChosenFile() {
    name.clear();
    fileDialogSystem = {chooseName, chooseName, noDialogError};
}

ChosenFile::~ChosenFile() { fileDialogSystem = fileDialogSystemDefaults; }
