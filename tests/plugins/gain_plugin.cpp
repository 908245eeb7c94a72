// A stereo gain (mono when built with MONO_GAIN) with an editor: output = input x 2 x parameter 0 (0.5 by default). Parameter 1 is the
// count of idle calls, which it asks for when switched on. Three named programs. The editor is a
// static child window whose text counts the editor idle calls; opening it asks the host for a
// 200 x 120 window. A parameter index it does not have makes it fault.
#include <windows.h>

#include <cstdio>

#include "tests/plugins/test_plugin.h"

#ifdef MONO_GAIN
const i32 kChannels = 1;
#else
const i32 kChannels = 2;
#endif

namespace {
const char* const programNames[] = {"Unity", "Half", "Double"};
const f32 programValues[] = {0.5f, 0.25f, 1.0f};

class GainPlugin final : public TestPlugin {
public:
    explicit GainPlugin(audioMasterCallback host) : TestPlugin(host, kChannels, kChannels, 2, 3, effFlagsHasEditor) {
        name = kChannels == 1 ? "Test Mono Gain" : "Test Gain";
    }

    intptr_t dispatch(i32 op, i32 index, intptr_t value, void* ptr, f32 opt) override {
        switch (op) {
        case effMainsChanged:
            if (value) ask(audioMasterNeedIdle);
            return 0;
        case effSetProgram:
            if (value >= 0 && value < 3) {
                program = (i32)value;
                gain = programValues[value];
            }
            return 0;
        case effGetProgramNameIndexed:
            if (index < 0 || index >= 3) return 0;
            strcpy((char*)ptr, programNames[index]);
            return 1;
        case effGetParamName: strcpy((char*)ptr, index == 0 ? "Gain" : "Idles"); return 1;
        case effGetParamLabel: strcpy((char*)ptr, index == 0 ? "x" : ""); return 1;
        case effGetParamDisplay:
            if (index == 0) sprintf((char*)ptr, "%.2f", gain * 2.0f);
            else sprintf((char*)ptr, "%d", idles);
            return 1;
        case effIdle: return ++idles < 3 ? 1 : 0;
        case effEditGetRect:
            *(ERect**)ptr = &rect;
            return 1;
        case effEditOpen:
            editor = CreateWindowA("STATIC", "edit idle 0", WS_CHILD | WS_VISIBLE, 0, 0, 200, 120, (HWND)ptr, nullptr,
                                   nullptr, nullptr);
            ask(audioMasterSizeWindow, 200, 120);
            return 1;
        case effEditIdle: {
            char text[32];
            sprintf(text, "edit idle %d", ++editIdles);
            if (editor) SetWindowTextA(editor, text);
            return 1;
        }
        case effEditClose:
            if (editor) DestroyWindow(editor);
            editor = nullptr;
            return 1;
        default: return TestPlugin::dispatch(op, index, value, ptr, opt);
        }
    }

    void process(f32** inputs, f32** outputs, i32 frames) override {
        const f32 factor = gain * 2.0f;
        for (i32 c = 0; c < kChannels; ++c)
            for (i32 i = 0; i < frames; ++i) outputs[c][i] = inputs[c][i] * factor;
    }
    // Like many plug-ins, it trusts the host with the index.
    void setParameter(i32 index, f32 value) override {
        if (index < 0 || index > 1) crashPlugin();
        if (index == 0) gain = value;
    }
    f32 getParameter(i32 index) override {
        if (index < 0 || index > 1) crashPlugin();
        return index == 0 ? gain : (f32)idles / 100.0f;
    }

    f32 gain = 0.5f;
    i32 idles = 0;
    i32 editIdles = 0;
    HWND editor = nullptr;
    ERect rect = {0, 0, 120, 200};
};
}  // namespace

PLUGIN_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) { return &(new GainPlugin(host))->effect; }
