#include "tools/test_melody.h"

#include "gui/controls/notes.h"

const MelodyNote repairMelody[10] = {
    {4, 4, 0.7, 0.2}, {3, 4, 0.5, 0.2}, {4, 4, 0.7, 0.2}, {3, 4, 0.5, 0.2}, {4, 4, 0.7, 0.2},
    {11, 3, 0.5, 0.2}, {2, 4, 0.7, 0.2}, {0, 4, 0.5, 0.2}, {9, 3, 0.7, 0.8}, {4, 3, 0.5, 0.2},
};

u32 TestMelody::readFrames(void* out, u32 frames) {
    i16* samples = static_cast<i16*>(out);
    u32 done = 0;
    u32 silentNotes = 0;  // a tune of notes that all give nothing ends instead of spinning
    while (done < frames && count && silentNotes <= count) {
        if (!voice) {
            const MelodyNote& n = notes[current];
            voice.reset(new NoteVoice(rate, noteToFrequency((i32)(n.octave * 12 + n.semitone)), n.level * 32767, 0,
                                      n.duration));
        }
        u32 got = voice->readFrames(samples + done, frames - done);
        done += got;
        if (done < frames) {
            silentNotes = got ? 0 : silentNotes + 1;
            voice.reset();
            current = (current + 1) % count;
        }
    }
    return done;
}

bool TestMelody::rewind() {
    voice.reset();
    current = 0;
    return true;
}
