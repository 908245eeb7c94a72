// The mixer settings file on the made-up machine: what is saved comes back, refused files and
// mixers that no longer fit change nothing, and a mixer that cannot be read leaves no file.
#include "tools/mixer_settings_file.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/program_file_dialogs.h"
#include "core/bag_file.h"
#include "gui/dialogs/file_dialog.h"
#include "mm/aux_device.h"
#include "mm/mm_settings.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"
#include "tests/tools/mixer_machine.h"
#include "tools/sound_setup.h"

namespace {

// Who heard which change, in order.
struct Heard : DeviceSettingsListener {
    Heard(std::vector<std::pair<std::string, u32>>* log, const char* name) : log(log), name(name) {}
    void onSettingsChanged(DeviceSettings*, u32 mask) override { log->emplace_back(name, mask); }
    std::vector<std::pair<std::string, u32>>* log;
    std::string name;
    DeviceListNode node;
};

struct FileRig {
    TestApplication app;
    MixerMachine machine;
    SoundSettings sound;
    TempDir dir;
    ShownBoxes shown;
    ChosenFile chosen;
    std::vector<std::pair<std::string, u32>> log;
    Heard player{&log, "player"}, recorder{&log, "recorder"};

    FileRig() {
        deviceListLink(recorder.node, &sound.record, &recorder);
        deviceListLink(player.node, &sound.play, &player);
    }
    ~FileRig() {
        deviceListUnlink(player.node);
        deviceListUnlink(recorder.node);
    }
    std::string path(const char* name = "set.mix") const { return dir.file(name); }
    bool save(const char* name = "set.mix") { return saveSoundSettingsTo(path(name).c_str(), nullptr, sound); }
    bool load(const char* name = "set.mix") { return loadSoundSettings(path(name).c_str(), nullptr, sound); }
    // Every control's values, in the machine's order.
    std::vector<std::vector<u32>> values() const {
        std::vector<std::vector<u32>> all;
        for (const FakeControl& c : machine.controls) all.push_back(c.values);
        return all;
    }
    void scramble() {
        for (FakeControl& c : machine.controls)
            for (u32& v : c.values) v = v ? 0 : 7;
        machine.setCalls.clear();
    }
};

std::vector<DWORD> sorted(std::vector<DWORD> ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}
}  // namespace

TEST(MixerSettingsFile, WhatIsSavedThroughTheDialogComesBack) {
    FileRig r;
    r.sound.play.adjust1 = 5;
    r.sound.play.choiceFlags = 3;
    r.sound.record.adjust2 = -4;
    const std::vector<std::vector<u32>> saved = r.values();
    ChosenFile::name = r.path("dialog.mix");
    ASSERT_TRUE(saveSoundSettings(nullptr, r.sound));
    std::string bytes = r.dir.read("dialog.mix");
    ASSERT_GT(bytes.size(), 12u + soundSetupMinimum);
    EXPECT_EQ(std::string("MIX\0", 4), bytes.substr(0, 4));
    EXPECT_EQ(u32le(3), bytes.substr(4, 4));
    EXPECT_EQ(u32le((u32)bytes.size() - 12), bytes.substr(8, 4));
    EXPECT_EQ(u32le(2), bytes.substr(12 + 924, 4)) << "two mixers follow the device records";

    r.scramble();
    r.sound.play.adjust1 = 0;
    r.sound.play.choiceFlags = 0;
    r.sound.play.destination = 0;  // another line of the same device
    r.sound.record.adjust2 = 0;
    r.log.clear();
    ASSERT_TRUE(r.load("dialog.mix"));
    EXPECT_EQ(saved, r.values());
    EXPECT_EQ(5, r.sound.play.adjust1);
    EXPECT_EQ(3u, r.sound.play.choiceFlags);
    EXPECT_EQ(1, r.sound.play.destination);
    EXPECT_EQ(-4, r.sound.record.adjust2);
    // Every listener of the play device first, then of the record device, told of everything.
    EXPECT_EQ(r.log, (std::vector<std::pair<std::string, u32>>{{"player", 15}, {"recorder", 15}}));
    EXPECT_TRUE(recordedBoxes().empty());

    // A cancelled dialog writes nothing.
    ChosenFile::name.clear();
    EXPECT_FALSE(saveSoundSettings(nullptr, r.sound));
    EXPECT_EQ(std::vector<std::string>{"dialog.mix"}, r.dir.list());
}

TEST(MixerSettingsFile, RefusedFilesApplyNothing) {
    struct Case {
        const char* what;
        u32 tag, version;
        u32 bodyBytes;  // of a saved body; 0: all of it
        const char* message;
    } cases[] = {
        {"another tag", bagFileTag("OPTS"), 3, 0, "Bad type of file content"},
        {"another version", bagFileTag("MIX"), 2, 0, "Bad version of file"},
        // Long enough for the play record, too short for the record record and the count.
        {"a short body", bagFileTag("MIX"), 3, 464 + 300, "The file is damaged"},
        {"an empty body", bagFileTag("MIX"), 3, 1, "The file is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileRig r;
        r.sound.play.adjust1 = 9;
        GBag body;
        writeSoundSetup(r.sound, body, nullptr);
        if (c.bodyBytes) body.size = c.bodyBytes;
        ASSERT_TRUE(saveBagFile(r.path().c_str(), body, c.tag, c.version));
        r.scramble();
        r.sound.play.adjust1 = -2;
        const std::vector<std::vector<u32>> before = r.values();
        EXPECT_FALSE(r.load());
        EXPECT_EQ(before, r.values());
        EXPECT_TRUE(r.machine.setCalls.empty());
        EXPECT_EQ(-2, r.sound.play.adjust1);
        EXPECT_TRUE(r.log.empty());
        ASSERT_EQ(1u, recordedBoxes().size());
        EXPECT_NE(std::string::npos, recordedBoxes()[0].text.find(c.message)) << recordedBoxes()[0].text;
    }
}

TEST(MixerSettingsFile, OnlyMixersThatStillFitAreSet) {
    struct Case {
        const char* what;
        std::function<void(MixerMachine&)> beforeSave, afterSave;
        bool result;
        bool mixerA, mixerB;  // whose controls are set
    } cases[] = {
        {"both mixers fit", nullptr, nullptr, true, true, true},
        {"the second mixer is gone", nullptr, [](MixerMachine& m) { m.mixers.pop_back(); }, false, true, false},
        {"the first mixer has another name",
         nullptr, [](MixerMachine& m) { strcpy(m.mixers[0].caps.szPname, "Mixer C"); }, false, false, true},
        {"a line of the first mixer has another control",
         nullptr,
         [](MixerMachine& m) { m.addControl(0, 2, 1, MIXERCONTROL_CONTROLTYPE_MUTE, 0, {0}); },
         false, false, true},
        {"a control of the first mixer has another value count",
         nullptr,
         [](MixerMachine& m) { m.findControl(0, m.speakersVolume)->control.fdwControl = MIXERCONTROL_CONTROLF_UNIFORM; },
         false, false, true},
        {"no mixer at all", [](MixerMachine& m) { m.mixers.clear(); }, nullptr, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileRig r;
        if (c.beforeSave) c.beforeSave(r.machine);
        ASSERT_TRUE(r.save());
        if (c.afterSave) c.afterSave(r.machine);
        r.scramble();
        r.log.clear();
        EXPECT_EQ(c.result, r.load());
        std::vector<DWORD> expected;
        for (const FakeControl& f : r.machine.controls)
            if ((f.mixer == 0 && c.mixerA) || (f.mixer == 1 && c.mixerB)) expected.push_back(f.control.dwControlID);
        EXPECT_EQ(sorted(expected), sorted(r.machine.setCalls));
        EXPECT_EQ(2u, r.log.size());
        EXPECT_TRUE(recordedBoxes().empty());
    }
}

TEST(MixerSettingsFile, AMixerThatCannotBeReadLeavesNoFile) {
    FileRig r;
    r.machine.getDetailsResult = MMSYSERR_NOTSUPPORTED;
    EXPECT_FALSE(r.save());
    EXPECT_TRUE(r.dir.list().empty());
    // The failing call with its text, then the file not written.
    ASSERT_FALSE(recordedBoxes().empty());
    EXPECT_NE(std::string::npos, recordedBoxes()[0].text.find("The device does not support this function"))
        << recordedBoxes()[0].text;
    EXPECT_EQ(std::vector<std::string>{"The mixer settings could not be read: the file was not written"},
              ShownBoxes::texts);
}

// Wine has no auxiliary device; the number is out of range.
TEST(AuxDevice, AFailureReportsTheCodesTextAndGivesTheHandlersAnswer) {
    for (bool answer : {false, true}) {
        RecordingHandler handler;
        handler.answer = answer;
        AUXCAPSA caps;
        memset(&caps, 0x5A, sizeof caps);
        EXPECT_EQ(answer, getAuxDevCaps(77, &handler, caps));
        ASSERT_EQ(1u, handler.reports.size());
        EXPECT_EQ((int)MMSYSERR_BADDEVICEID, handler.lastCode());
        EXPECT_EQ("The device number is out of range.", handler.lastText());
        EXPECT_EQ(0, caps.wMid);
        EXPECT_EQ('\0', caps.szPname[0]);
    }
    AUXCAPSA caps;
    EXPECT_FALSE(getAuxDevCaps(77, nullptr, caps));
}
