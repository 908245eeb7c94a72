#pragma once
// The made-up machine of the device panel tests: two mixers with speakers, headphones and wave-in
// destinations, two wave-out and two wave-in devices, and controls on the lines the panels show.
#include <string>
#include <vector>

#include "gui/kernel/message_box.h"
#include "tests/mm/fake_devices.h"

// Mixer A (0): Speakers (wave-out 0) with Wave Out and CD; Headphones with Wave Out (wave-out 0 by
// the source); Wave In (wave-in 0) with Microphone and Line. Mixer B (1): Speakers (wave-out 1) with
// Wave Out; Wave In with Line (wave-in 1 by the source).
struct MixerMachine : FakeMachine {
    MixerMachine();

    // Names a line (source -1: the destination) and its target product.
    void name(u32 mixer, u32 destination, i32 source, const char* name, const char* target = "");
    MIXERLINEA& lineOf(u32 mixer, u32 destination, i32 source);
    std::vector<u32>& valuesOf(DWORD control) { return findControl(mixerOfControl(control), control)->values; }
    u32 mixerOfControl(DWORD control);

    // Mixer A, Speakers / Wave Out: a stereo volume and a mute.
    DWORD waveVolume, waveMute;
    // Mixer A, Speakers: a volume, a bass fader (0..65535) and a switch.
    DWORD speakersVolume, bass, loudness;
    // Mixer A, Wave In: a multiplexer of its two sources; no volume.
    DWORD recordMux;
    // Mixer B, Wave In: a mixer control (several sources at once) of its one source, and a volume.
    DWORD recordMixer, recordVolume;
};

// The file dialogs answer with `name` for the scope (cancelled while it is empty).
struct ChosenFile {
    ChosenFile();
    ~ChosenFile();
    static std::string name;
};

// Boxes shown through showMessageBox, recorded for the scope.
struct ShownBoxes {
    ShownBoxes();
    ~ShownBoxes();
    static std::vector<std::string> texts;
};
