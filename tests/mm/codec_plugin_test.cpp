// The codec library loader over real libraries: the program's own beside the test program, a
// missing one, and a library without the six entry points.
#include "mm/codec_plugin.h"

#include <gtest/gtest.h>

#include "tests/support/test_plugins.h"
#include "tests/support/test_support.h"

TEST(CodecPlugin, LoadsTheSixEntriesOnceAndLetsGo) {
    TempDir dir;
    EXPECT_FALSE(loadCodecPlugin(dir.path().c_str()));
    // A library of another kind under the name: refused, not kept.
    copyTestPlugin(dir, "pass_plugin", "darodeza.dll");
    EXPECT_FALSE(loadCodecPlugin(dir.path().c_str()));
    EXPECT_EQ(nullptr, codecPlugin().module);

    ASSERT_TRUE(loadCodecPlugin());
    const CodecPluginApi& api = codecPlugin();
    void* module = api.module;
    ASSERT_NE(nullptr, module);
    for (void* entry : {(void*)api.init, (void*)api.convert, (void*)api.parseFile, (void*)api.findBestConversion,
                        (void*)api.enumerateDecoders, (void*)api.enumerateEncoders})
        EXPECT_NE(nullptr, entry);
    // The program's own library knows nothing of a missing file.
    const CodecStreamEntry* entries = nullptr;
    EXPECT_EQ(0, api.parseFile("C:\\any.wav", &entries));
    EXPECT_TRUE(loadCodecPlugin());
    EXPECT_EQ(module, codecPlugin().module);

    unloadCodecPlugin();
    EXPECT_EQ(nullptr, codecPlugin().module);
    EXPECT_EQ(nullptr, codecPlugin().parseFile);
    unloadCodecPlugin();
}
