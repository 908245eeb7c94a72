// Eight inputs passed to eight outputs unchanged. Entered as "main" (pass_plugin.def). It names
// only its current program, whatever index it is asked for.
#include "tests/plugins/test_plugin.h"

namespace {
const char* const programNames[] = {"First", "Second"};

class PassPlugin final : public TestPlugin {
public:
    explicit PassPlugin(audioMasterCallback host) : TestPlugin(host, 8, 8, 0, 2, 0) { name = "Test Pass"; }

    intptr_t dispatch(i32 op, i32 index, intptr_t value, void* ptr, f32 opt) override {
        if (op != effGetProgramNameIndexed) return TestPlugin::dispatch(op, index, value, ptr, opt);
        if (index != 0) return 0;
        strcpy((char*)ptr, programNames[program & 1]);
        return 1;
    }
    void process(f32** inputs, f32** outputs, i32 frames) override {
        for (i32 c = 0; c < 8; ++c)
            for (i32 i = 0; i < frames; ++i) outputs[c][i] = inputs[c][i];
    }
};
}  // namespace

extern "C" AEffect* passEntry(audioMasterCallback host) { return &(new PassPlugin(host))->effect; }
