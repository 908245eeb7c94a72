// Conversions through the codec library's entry, here a double that writes what each case asks:
// the results with and without output, the temporary name beside the target, the busy byte
// refusing a second task, and a stop from the progress callback.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/progress.h"
#include "mm/codec_plugin.h"
#include "mm/mm_texts.h"
#include "tests/tools/conversion_fixture.h"
#include "tools/codec_calls.h"
#include "tools/plugin_conversion_task.h"

using namespace conversion_fixture;

namespace {
struct Call {
    i32 result = 0;
    const char* output = nullptr;  // written to the temporary file; null writes none
    bool nested = false;           // runs a second task meanwhile
    bool stopAfterOutput = false;  // reports progress until asked to stop
    std::string temporary, sourceFormat, targetFormat;
    intptr_t option0 = 0;
    bool nestedOk = true;
    std::string nestedBoxes;
} call;

std::string nestedSource, nestedTarget;

i32 __cdecl entry(const CodecSourceDescriptor* source, const CodecTargetDescriptor* target, char* message) {
    call.temporary = target->fileName;
    call.sourceFormat = source->format;
    call.targetFormat = target->format;
    call.option0 = target->options[0];
    if (call.output) {
        FILE* f = fopen(target->fileName, "wb");
        fwrite(call.output, 1, strlen(call.output), f);
        fclose(f);
    }
    if (call.nested) {
        call.nestedOk = runOne(new PluginConversionTask(nestedSource.c_str(), nestedTarget.c_str(), "a", "b"));
        call.nestedBoxes = shownBoxes().empty() ? "" : shownBoxes().back();
    }
    if (call.stopAfterOutput) {
        CodecProgress progress = reinterpret_cast<const CodecProgress*>(target)[-1];
        for (u64 at = 0; at < 100 * codecProgressStep; at += codecProgressStep)
            if (progress(at)) return 2;
    }
    strcpy(message, "the library's own words");
    return call.result;
}

struct StopAt : JobProgress {
    bool report(u64 done, const char* text) override {
        if (done >= 3 * codecProgressStep) cancel();
        return JobProgress::report(done, text);
    }
};
}  // namespace

TEST(PluginConversion, ResultsOutputAndTemporaryFiles) {
    TempDir dir;
    dir.write("in.xyz", std::string(5000, 's'));
    codecConvertFile = entry;
    struct Case {
        const char* name;
        i32 result;
        const char* output;
        bool replaced;
        const char* box;  // a part of the box shown, null for none
    } cases[] = {
        {"0 with output", 0, "converted", true, nullptr},
        {"0 without output", 0, nullptr, false, "The conversion wrote no output"},
        {"0 with empty output", 0, "", false, "The conversion wrote no output"},
        {"1", 1, "partial", false, "The conversion failed:\nthe library's own words"},
        {"2", 2, "partial", false, nullptr},
        {"3 with output", 3, "converted", true, nullptr},
        {"3 without output", 3, nullptr, false, "The conversion wrote no output"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("out.abc", "old");
        call = Call();
        call.result = c.result;
        call.output = c.output;
        BoxScope boxes;
        bool ok = runOne(new PluginConversionTask(dir.file("in.xyz").c_str(), dir.file("out.abc").c_str(), "xyz", "abc"));
        EXPECT_EQ(ok, c.replaced);
        EXPECT_EQ(dir.read("out.abc"), c.replaced ? "converted" : "old");
        if (c.box) {
            EXPECT_NE(boxes.all().find(c.box), std::string::npos) << boxes.all();
        } else {
            EXPECT_EQ(boxes.all(), "");
        }
        // The temporary file lay beside the target, with its extension, and is gone.
        EXPECT_EQ(call.temporary.rfind(dir.file("temp_convert_"), 0), 0u) << call.temporary;
        EXPECT_EQ(call.temporary.substr(call.temporary.size() - 4), ".abc");
        EXPECT_EQ(call.sourceFormat, "xyz");
        EXPECT_EQ(call.targetFormat, "abc");
        EXPECT_EQ(dir.list().size(), 2u) << "a temporary file was left";
    }
    // Each run takes a new number.
    std::string first = call.temporary;
    runOne(new PluginConversionTask(dir.file("in.xyz").c_str(), dir.file("out.abc").c_str(), "xyz", "abc"));
    EXPECT_NE(call.temporary, first);

    // Decompression of one stream: its index travels in the first option.
    call = Call();
    call.output = "converted";
    EXPECT_TRUE(runOne(new PluginConversionTask(dir.file("in.xyz").c_str(), 3, dir.file("out.abc").c_str())));
    EXPECT_EQ(call.option0, 3);
    codecConvertFile = nullptr;
}

TEST(PluginConversion, BusyAndStop) {
    TempDir dir;
    dir.write("in.xyz", std::string(10 * codecProgressStep, 's'));
    dir.write("second.xyz", "s");
    nestedSource = dir.file("second.xyz");
    nestedTarget = dir.file("second.abc");
    codecConvertFile = entry;

    call = Call();
    call.output = "converted";
    call.nested = true;
    BoxScope boxes;
    EXPECT_TRUE(runOne(new PluginConversionTask(dir.file("in.xyz").c_str(), dir.file("out.abc").c_str(), "xyz", "abc")));
    EXPECT_FALSE(call.nestedOk);
    EXPECT_EQ(call.nestedBoxes, mmText(MmText::CodecLibraryBusy));
    EXPECT_FALSE(dir.exists("second.abc"));
    // Free again afterwards.
    call.nested = false;
    EXPECT_TRUE(runOne(new PluginConversionTask(nestedSource.c_str(), nestedTarget.c_str(), "xyz", "abc")));

    // A stop asked through the callback: nothing replaces the target and the output goes.
    dir.write("out.abc", "old");
    call = Call();
    call.output = "partial";
    call.stopAfterOutput = true;
    StopAt stop;
    EXPECT_FALSE(runOne(new PluginConversionTask(dir.file("in.xyz").c_str(), dir.file("out.abc").c_str(), "xyz", "abc"), &stop));
    EXPECT_TRUE(stop.isCancelled());
    EXPECT_EQ(dir.read("out.abc"), "old");
    EXPECT_FALSE(dir.exists(call.temporary.substr(dir.path().size() + 1)));
    codecConvertFile = nullptr;
}

// Through the program's own codec library, loaded for real: its output replaces the target, its
// message fills the failure box, a forced 3 counts as done, and a stop from the callback ends it.
TEST(PluginConversion, ThroughTheLoadedLibrary) {
    ASSERT_TRUE(loadCodecPlugin());
    TempDir dir;
    CodecStandInStream head = {8000, 1, 5 * (u32)codecProgressStep, "Voice"};
    std::string samples(head.bytes, '\0');
    for (u32 i = 0; i < head.bytes; ++i) samples[i] = (char)(i * 7);
    u32 words[2] = {codecStandInMagic, 1};
    dir.write("in.dzs", std::string(reinterpret_cast<const char*>(words), 8) +
                            std::string(reinterpret_cast<const char*>(&head), sizeof head) + samples);
    std::string in = dir.file("in.dzs"), out = dir.file("out.wav");
    struct Case {
        const char* name;
        const char* result;   // DARODEZA_RESULT
        const char* message;  // DARODEZA_MESSAGE
        bool replaced;
        const char* box;
    } cases[] = {
        {"done", nullptr, nullptr, true, nullptr},
        {"3 with output", "3", nullptr, true, nullptr},
        {"1 with a text", "1", "no such codec", false, "The conversion failed:\nno such codec"},
        {"2", "2", nullptr, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetEnvironmentVariableA("DARODEZA_RESULT", c.result);
        SetEnvironmentVariableA("DARODEZA_MESSAGE", c.message);
        dir.write("out.wav", "old");
        BoxScope boxes;
        EXPECT_EQ(runOne(new PluginConversionTask(in.c_str(), out.c_str(), "dzs", "wav")), c.replaced);
        if (c.replaced) {
            EXPECT_EQ(waveSamples(out).size() * 2, samples.size());
            EXPECT_EQ(dir.read("out.wav").substr(dir.read("out.wav").size() - samples.size()), samples);
        } else {
            EXPECT_EQ(dir.read("out.wav"), "old");
        }
        if (c.box) {
            EXPECT_NE(boxes.all().find(c.box), std::string::npos) << boxes.all();
        } else {
            EXPECT_EQ(boxes.all(), "");
        }
        EXPECT_EQ(dir.list().size(), 2u) << "a temporary file was left";
    }
    SetEnvironmentVariableA("DARODEZA_RESULT", nullptr);
    SetEnvironmentVariableA("DARODEZA_MESSAGE", nullptr);

    // A stop once a step of progress was reported.
    dir.write("out.wav", "old");
    StopAt stop;
    BoxScope boxes;
    EXPECT_FALSE(runOne(new PluginConversionTask(in.c_str(), out.c_str(), "dzs", "wav"), &stop));
    EXPECT_EQ(dir.read("out.wav"), "old");
    EXPECT_EQ(dir.list().size(), 2u);
    unloadCodecPlugin();
}
