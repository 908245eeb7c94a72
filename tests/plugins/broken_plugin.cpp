// A plug-in that writes through a null pointer: while it is opened (CRASH_ON_OPEN), or else when it
// processes or a parameter is set.
#include "tests/plugins/test_plugin.h"

namespace {
class BrokenPlugin final : public TestPlugin {
public:
    explicit BrokenPlugin(audioMasterCallback host) : TestPlugin(host, 2, 2, 1, 1, 0) { name = "Test Broken"; }

    intptr_t dispatch(i32 op, i32 index, intptr_t value, void* ptr, f32 opt) override {
#ifdef CRASH_ON_OPEN
        if (op == effOpen) crashPlugin();
#endif
        return TestPlugin::dispatch(op, index, value, ptr, opt);
    }
    void process(f32**, f32**, i32) override { crashPlugin(); }
    void setParameter(i32, f32) override { crashPlugin(); }
};
}  // namespace

PLUGIN_EXPORT AEffect* VSTPluginMain(audioMasterCallback host) { return &(new BrokenPlugin(host))->effect; }
