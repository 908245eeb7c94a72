#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/tagged_record.h"
#include "mm/mm_settings.h"
#include "tests/mm/fake_devices.h"
#include "tests/support/bag_hex.h"
#include "tests/support/test_support.h"

namespace {

// Every value of the record in one text, so that two records compare at a glance.
std::string describe(const MultimediaSettings& s) {
    GString text;
    const FilterSettings& f = s.sound.filters;
    stringFormat(text,
                 "metronome %u %u; show %u %u %u; filters %g %g %g %u %u, %g %g %g %g %u %g, %g %g %u %u; "
                 "player %u %u %u; recorder %u %u; synth %u %u %u; play %u %d %d %d %d %d %u; record %u %d %d %d "
                 "%d %d %u; recent",
                 s.metronome.count, s.metronome.time, s.show.boardSound, s.show.noteStyle, s.show.octaveStyle,
                 f.ampData_bq.sampleValue, f.ampData_bq.factor, f.ampData_bq.decibels, f.ampData_bq.unit,
                 f.ampData_bq.spare, f.bqFilterFreq, f.bqQuality, f.bqSlope, f.highFilterFreq, f.loopFilter,
                 f.lowFilterFreq, f.pitchData_bandwidth.ratio, f.pitchData_bandwidth.semitones,
                 f.pitchData_bandwidth.unit, f.pitchData_bandwidth.spare, s.sound.player.bufCount,
                 s.sound.player.bufPerSecond, s.sound.player.bufPresend, s.sound.recorder.bufCount,
                 s.sound.recorder.bufPerSecond, s.sound.synth.bufCount, s.sound.synth.bufPerSecond,
                 s.sound.synth.bufPresend, s.sound.play.device, s.sound.play.destination, s.sound.play.source,
                 s.sound.play.mixer, s.sound.play.adjust1, s.sound.play.adjust2, s.sound.play.choiceFlags,
                 s.sound.record.device, s.sound.record.destination, s.sound.record.source, s.sound.record.mixer,
                 s.sound.record.adjust1, s.sound.record.adjust2, s.sound.record.choiceFlags);
    for (const auto& entry : s.recentConversions)
        stringAppendFormat(text, " [%s: %s]", entry.first.c_str(), bagHex(entry.second).c_str());
    return text.c_str();
}

void changeEverything(MultimediaSettings& s) {
    s.metronome = {7, 250};
    s.show = {0, 3, 4};
    FilterSettings& f = s.sound.filters;
    f.ampData_bq = {16383.0, 0.5, -6.0, 1, 0};
    f.bqFilterFreq = 880.0;
    f.bqQuality = 0.7;
    f.bqSlope = 2.0;
    f.highFilterFreq = 8000.0;
    f.loopFilter = 2;
    f.lowFilterFreq = 60.0;
    f.pitchData_bandwidth = {1.5, 7.0, 1, 0};
    s.sound.player = {8, 25, 4};
    s.sound.recorder = {6, 10, 0};
    s.sound.synth = {9, 30, 5};
    s.sound.play.adjust1 = -4;
    s.sound.play.adjust2 = 2;
    s.sound.play.choiceFlags = 3;
    s.sound.record.adjust1 = 7;
    bagWriteU32(s.recentConversions["Source: Wave PCM"], 2);
    bagWriteString(s.recentConversions["Source: Wave PCM"], "MP3");
    s.recentConversions["Source: Ogg"];
}

// The names of the sections of one level, in stored order, from the bag's position.
std::vector<std::string> sectionNames(GBag& bag) {
    std::vector<std::string> names;
    bagSkipFields(bag);
    u32 start = bag.pos;
    while (bagGetU32(bag) == RecordKind::SectionStart) {
        u32 size = bagGetU32(bag);
        names.push_back(bagReadText(bag));
        bagSkip(bag, size);
        start = bag.pos;
    }
    bag.pos = start;
    return names;
}

class MultimediaSettingsTest : public ::testing::Test {
protected:
    FakeMachine machine;
};

}  // namespace

TEST_F(MultimediaSettingsTest, Defaults) {
    MultimediaSettings s;
    EXPECT_EQ(describe(s),
              "metronome 4 500; show 1 0 2; filters 32767 1 0 3 0, 440 1 1.5 10000 1 51, 2 12 3 0; player 5 20 3; "
              "recorder 3 20; synth 4 20 4; play 0 -1 -1 -1 0 0 1; record 0 -1 -1 -1 0 0 0; recent");
}

TEST_F(MultimediaSettingsTest, SectionsAndTheirOrder) {
    MultimediaSettings s;
    GBag bag;
    writeMultimediaSettings(&bag, s);
    bagWriteU32(bag, RecordKind::SectionEnd);
    bag.pos = 0;
    EXPECT_EQ(sectionNames(bag), (std::vector<std::string>{"Converter", "Metronome", "Show", "Sound"}));
    bag.pos = 0;
    u32 size;
    ASSERT_TRUE(bagFindSection(bag, "Sound", &size));
    EXPECT_EQ(sectionNames(bag), (std::vector<std::string>{"play", "record", "Filters", "Player", "Recorder", "Synth"}));

    // Byte fixtures of the smaller sections.
    GBag section;
    writeMetronomeSettings(&section, s);
    EXPECT_EQ(bagHex(section),
              "FF FF FF FF 27 00 00 00 4D 65 74 72 6F 6E 6F 6D 65 00 "
              "00 00 00 00 04 00 00 00 63 6F 75 6E 74 00 04 00 00 00 "
              "00 00 00 00 04 00 00 00 74 69 6D 65 00 F4 01 00 00 FE FF FF FF");
    bagFree(section);
    writeConverterSettings(&section, s);  // an empty list is one NUL byte
    EXPECT_EQ(bagHex(section),
              "FF FF FF FF 1F 00 00 00 43 6F 6E 76 65 72 74 65 72 00 "
              "00 00 00 00 01 00 00 00 72 65 63 65 6E 74 43 6F 6E 76 65 72 73 69 6F 6E 73 00 00 FE FF FF FF");
}

TEST_F(MultimediaSettingsTest, WrittenValuesReadBack) {
    MultimediaSettings written;
    changeEverything(written);
    GBag bag;
    writeMultimediaSettings(&bag, written);
    bagWriteU32(bag, RecordKind::SectionEnd);
    bag.pos = 0;
    MultimediaSettings read;
    read.read(&bag);
    // Every subsection of "Sound" came back, the four that sort before "play" included.
    EXPECT_EQ(describe(read), describe(written));
    EXPECT_EQ(bag.size - bag.pos, 4u);

    MultimediaSettings copy;
    copy.assign(read);
    EXPECT_EQ(describe(copy), describe(written));
}

TEST_F(MultimediaSettingsTest, MissingSectionsAndFieldsKeepTheirValues) {
    MultimediaSettings changed;
    changeEverything(changed);
    const std::function<void(GBag&)> fullPlay = [&](GBag& p) { changed.sound.play.writeTo(p); };
    // The seven numbers of a playback record and nothing of its descriptions.
    const std::function<void(GBag&)> shortPlay = [](GBag& p) {
        const u32 fields[7] = {0, 0, 1, 0, 9, 9, 2};
        bagWriteBytes(p, fields, sizeof fields);
    };
    struct Case {
        const char* what;
        const std::function<void(GBag&)>& play;
        const char* read;
    } cases[] = {
        {"no Converter, no Show, some buffer fields", fullPlay,
         "metronome 7 250; show 1 0 2; filters 32767 1 0 3 0, 440 1 1.5 10000 1 51, 2 12 3 0; player 11 20 3; "
         "recorder 3 20; synth 4 20 2; play 0 -1 -1 -1 -4 2 3; record 0 -1 -1 -1 7 0 0; recent"},
        {"a device section shorter than its record", shortPlay,
         "metronome 7 250; show 1 0 2; filters 32767 1 0 3 0, 440 1 1.5 10000 1 51, 2 12 3 0; player 11 20 3; "
         "recorder 3 20; synth 4 20 2; play 0 -1 -1 -1 0 0 1; record 0 -1 -1 -1 7 0 0; recent"},
    };
    for (const Case& c : cases) {
        GBag bag;
        writeMetronomeSettings(&bag, changed);
        bagWriteSection(bag, "Sound", [&](GBag& b) {
            // The device records always come first; without them the later subsections are not found.
            bagWriteSection(b, "play", c.play);
            bagWriteSection(b, "record", [&](GBag& p) { changed.sound.record.writeTo(p); });
            bagWriteSection(b, "Player", [](GBag& p) { bagWriteValueField(p, "bufCount", (u32)11); });
            bagWriteSection(b, "Synth", [](GBag& p) { bagWriteValueField(p, "bufPresend", (u32)2); });
        });
        bagWriteU32(bag, RecordKind::SectionEnd);
        bag.pos = 0;
        MultimediaSettings s;
        s.read(&bag);
        EXPECT_EQ(describe(s), c.read) << c.what;
        EXPECT_EQ(bag.size - bag.pos, 4u) << c.what;
    }
}

TEST_F(MultimediaSettingsTest, RecentConversions) {
    RecentConversions list;
    bagWriteU8(list["abc"], 0x22);
    bagWriteU8(list["ab"], 0x11);
    list["B"];
    GBag bag;
    ConverterSettings::saveRecent(&bag, list);
    EXPECT_EQ(bagHex(bag), "42 00 00 00 00 00 61 62 00 01 00 00 00 11 61 62 63 00 01 00 00 00 22 00");

    bag.pos = 0;
    RecentConversions read;
    read["stale"];
    ConverterSettings::loadRecent(&bag, read);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(bagHex(read["abc"]), "22");
    EXPECT_EQ(read["abc"].pos, 0u);

    bagFromHex(bag, "00");
    ConverterSettings::loadRecent(&bag, read);
    EXPECT_TRUE(read.empty());

    // Running out before the empty key throws; the entries read before stay.
    const char* damaged[] = {"61 00", "61 00 01 00 00 00 11", "61 00 01 00 00 00 11 62 00 05 00 00 00 01"};
    for (const char* hex : damaged) {
        bagFromHex(bag, hex);
        EXPECT_THROW(ConverterSettings::loadRecent(&bag, read), GBagException) << hex;
    }
    EXPECT_EQ(read.size(), 1u);
}

TEST_F(MultimediaSettingsTest, StoreFile) {
    TempDir dir;
    std::string path = dir.file("dizo_veduzuzo.ini");
    MultimediaSettings written;
    changeEverything(written);
    ASSERT_TRUE(saveMultimediaSettings(written, path.c_str()));
    EXPECT_EQ(dir.read("dizo_veduzuzo.ini").substr(0, 8), bytesFromHex("4F 50 54 53 01 00 00 00"));

    MultimediaSettings read;
    EXPECT_TRUE(loadMultimediaSettings(read, path.c_str()));
    EXPECT_EQ(describe(read), describe(written));

    // A store cut short keeps what was read before the damage and the defaults after it.
    std::string bytes = dir.read("dizo_veduzuzo.ini");
    GBag body;
    bagWriteBytes(body, bytes.data() + 12, (u32)bytes.size() - 12);
    u32 cut = body.size - 600;  // inside the recording device's record
    body.size = cut;
    ASSERT_TRUE(saveBagFile(path.c_str(), body, bagFileTag("OPTS"), 1));
    MultimediaSettings partial;
    EXPECT_FALSE(loadMultimediaSettings(partial, path.c_str()));
    EXPECT_EQ(partial.metronome.count, 7u);
    EXPECT_EQ(partial.sound.player.bufCount, 5u);

    // Another version is refused as a whole.
    ASSERT_TRUE(saveBagFile(path.c_str(), body, bagFileTag("OPTS"), 2));
    MultimediaSettings other;
    EXPECT_FALSE(loadMultimediaSettings(other, path.c_str()));
    EXPECT_EQ(other.metronome.count, 4u);
    EXPECT_EQ(std::string(kMultimediaSettingsPath), "$d/dizo_veduzuzo.ini");
}

// A store laid down by hand in the 32-bit layout loads, and saves back byte for byte.
TEST_F(MultimediaSettingsTest, AStoreOfThe32BitLayoutSavesBackUnchanged) {
    machine.addWaveOut("Speakers out");
    machine.addWaveIn("Microphone in");
    u32 m = machine.addMixer("Mixer");
    u32 speakers = machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
    machine.addSource(m, speakers, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_TARGETTYPE_WAVEOUT, 0);
    u32 wavein = machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, MIXERLINE_TARGETTYPE_WAVEIN, 0);
    machine.addSource(m, wavein, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);

    auto u32Field = [](GBag& b, const char* name, u32 v) { bagWriteField(b, RecordKind::Value, name, &v, 4); };
    auto f64Field = [](GBag& b, const char* name, f64 v) { bagWriteField(b, RecordKind::Value, name, &v, 8); };
    auto bytesField = [](GBag& b, const char* name, const std::string& v) {
        bagWriteField(b, RecordKind::Value, name, v.data(), (u32)v.size());
    };
    auto section = [](GBag& b, const char* name, const std::function<void(GBag&)>& content) {
        bagWriteSection(b, name, content);
    };
    auto f64s = [](std::initializer_list<f64> values) {
        std::string out;
        for (f64 v : values) out.append((const char*)&v, 8);
        return out;
    };
    const u32 playFields[7] = {0, 0, 0, 0, (u32)-4, 2, 3};
    const u32 recordFields[7] = {0, 1, 0, 0, 7, 0, 0};
    GBag body;
    section(body, kMultimediaSettingsSection, [&](GBag& root) {
        section(root, "Converter", [&](GBag& b) {
            bytesField(b, "recentConversions",
                       bytesFromHex("53 6F 75 72 63 65 3A 20 4F 67 67 00 00 00 00 00 "            // "Source: Ogg", 0
                                    "53 6F 75 72 63 65 3A 20 57 61 76 65 20 50 43 4D 00 08 00 00 00 "  // "Source: Wave PCM", 8
                                    "02 00 00 00 4D 50 33 00 00"));
        });
        section(root, "Metronome", [&](GBag& b) {
            u32Field(b, "count", 7);
            u32Field(b, "time", 250);
        });
        section(root, "Show", [&](GBag& b) {
            bytesField(b, "boardSound", std::string(1, '\0'));
            u32Field(b, "noteStyle", 3);
            u32Field(b, "octaveStyle", 4);
        });
        section(root, "Sound", [&](GBag& sound) {
            section(sound, "play", [&](GBag& b) {
                std::string r = storedDeviceRecord(machine, true, playFields);
                bagWriteBytes(b, r.data(), (u32)r.size());
            });
            section(sound, "record", [&](GBag& b) {
                std::string r = storedDeviceRecord(machine, false, recordFields);
                bagWriteBytes(b, r.data(), (u32)r.size());
            });
            section(sound, "Filters", [&](GBag& b) {
                // Level and interval records: f64 values, then u32 unit and spare.
                bytesField(b, "ampData_bq", f64s({16383.0, 0.5, -6.0}) + bytesFromHex("01 00 00 00 00 00 00 00"));
                f64Field(b, "bqFilterFreq", 880.0);
                f64Field(b, "bqQuality", 0.7);
                f64Field(b, "bqSlope", 2.0);
                f64Field(b, "highFilterFreq", 8000.0);
                u32Field(b, "loopFilter", 2);
                f64Field(b, "lowFilterFreq", 60.0);
                bytesField(b, "pitchData_bandwidth", f64s({1.5, 7.0}) + bytesFromHex("01 00 00 00 00 00 00 00"));
            });
            section(sound, "Player", [&](GBag& b) {
                u32Field(b, "bufCount", 8);
                u32Field(b, "bufPerSecond", 25);
                u32Field(b, "bufPresend", 4);
            });
            section(sound, "Recorder", [&](GBag& b) {
                u32Field(b, "bufCount", 6);
                u32Field(b, "bufPerSecond", 10);
            });
            section(sound, "Synth", [&](GBag& b) {
                u32Field(b, "bufCount", 9);
                u32Field(b, "bufPerSecond", 30);
                u32Field(b, "bufPresend", 5);
            });
        });
    });
    TempDir dir;
    ASSERT_TRUE(saveBagFile(dir.file("stored.ini").c_str(), body, bagFileTag("OPTS"), kMultimediaSettingsVersion));

    MultimediaSettings read;
    ASSERT_TRUE(loadMultimediaSettings(read, dir.file("stored.ini").c_str()));
    MultimediaSettings expected;
    changeEverything(expected);
    EXPECT_EQ(describe(read), describe(expected));
    ASSERT_TRUE(saveMultimediaSettings(read, dir.file("saved.ini").c_str()));
    EXPECT_EQ(bytesHex(dir.read("saved.ini")), bytesHex(dir.read("stored.ini")));
}
