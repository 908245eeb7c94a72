// A stereo instrument, entered as "MAIN". The left output holds the key of the last note-on / 128
// (0 after a note-off or all notes off), from the frame its event arrived on; the right output holds
// -(frames of the present processing call) / 4096, so a reader sees how the calls were cut.
// Closing takes 20 ms and keeps the object, so that a host calling it while or after it closes is
// counted (callsAfterClose).
#include <windows.h>

#include "tests/plugins/test_plugin.h"

namespace {
volatile long g_callsAfterClose = 0;

class SynthPlugin final : public TestPlugin {
public:
    explicit SynthPlugin(audioMasterCallback host) : TestPlugin(host, 0, 2, 1, 1, effFlagsIsSynth) {
        name = "Test Synth";
    }

    intptr_t dispatch(i32 op, i32 index, intptr_t value, void* ptr, f32 opt) override {
        if (op != effProcessEvents) return TestPlugin::dispatch(op, index, value, ptr, opt);
        const VstEvents* list = (const VstEvents*)ptr;
        for (i32 i = 0; i < list->numEvents; ++i) {
            const VstMidiEvent* e = (const VstMidiEvent*)list->events[i];
            const u8 status = (u8)e->midiData[0] & 0xF0;
            if (status == 0x90) key = (u8)e->midiData[1];
            else if (status == 0x80 || status == 0xB0) key = 0;
        }
        return 1;
    }
    void close() override {
        closed = true;
        Sleep(20);
    }
    void process(f32**, f32** outputs, i32 frames) override {
        if (closed) InterlockedIncrement(&g_callsAfterClose);
        for (i32 i = 0; i < frames; ++i) {
            outputs[0][i] = (f32)key / 128.0f;
            outputs[1][i] = -(f32)frames / 4096.0f;
        }
    }

    i32 key = 0;
    volatile bool closed = false;
};
}  // namespace

PLUGIN_EXPORT AEffect* MAIN(audioMasterCallback host) { return &(new SynthPlugin(host))->effect; }
// Processing calls made once effClose had begun, in every instance.
PLUGIN_EXPORT long callsAfterClose() { return g_callsAfterClose; }
