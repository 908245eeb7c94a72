#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/exceptions.h"
#include "mm/device_settings.h"
#include "tests/mm/fake_devices.h"
#include "tests/support/bag_hex.h"

namespace {

struct Recorder : DeviceSettingsListener {
    explicit Recorder(std::vector<std::pair<int, u32>>* log, int id) : log(log), id(id) {}
    void onSettingsChanged(DeviceSettings*, u32 mask) override {
        log->emplace_back(id, mask);
        if (detachOnCall) deviceListLink(*detachOnCall, nullptr, nullptr);
    }
    std::vector<std::pair<int, u32>>* log;
    int id;
    DeviceListNode* detachOnCall = nullptr;
};

std::vector<DeviceListNode*> nodesOf(const DeviceSettings& entry) {
    std::vector<DeviceListNode*> nodes;
    for (DeviceListNode* n = entry.first; n; n = n->next) {
        if (n->next) {
            EXPECT_EQ(n->next->previous, n);
        }
        nodes.push_back(n);
    }
    EXPECT_EQ(entry.last, nodes.empty() ? nullptr : nodes.back());
    return nodes;
}

// A machine with one playback device on a speakers line and one record device on a microphone line.
struct SimpleMachine : FakeMachine {
    SimpleMachine() {
        addWaveOut("Speakers out");
        addWaveIn("Microphone in");
        u32 m = addMixer("Mixer");
        u32 speakers = addDestination(m, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        addSource(m, speakers, MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER);
        addSource(m, speakers, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_TARGETTYPE_WAVEOUT, 0);
        u32 wavein = addDestination(m, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, MIXERLINE_TARGETTYPE_WAVEIN, 0);
        addSource(m, wavein, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
    }
};

}  // namespace

TEST(DeviceListeners, LinkMovesNodesBetweenEntries) {
    FakeMachine none;
    PlayDeviceSettings a;
    RecordDeviceSettings b;
    DeviceListNode n1, n2, n3;
    deviceListLink(n1, &a, nullptr);
    deviceListLink(n2, &a, nullptr);
    deviceListLink(n3, &a, nullptr);
    EXPECT_EQ(nodesOf(a), (std::vector<DeviceListNode*>{&n1, &n2, &n3}));

    deviceListLink(n2, &b, nullptr);  // from the middle
    EXPECT_EQ(nodesOf(a), (std::vector<DeviceListNode*>{&n1, &n3}));
    EXPECT_EQ(nodesOf(b), (std::vector<DeviceListNode*>{&n2}));
    EXPECT_EQ(n2.entry, &b);

    deviceListLink(n1, &a, nullptr);  // relinking to its own entry moves it to the end
    EXPECT_EQ(nodesOf(a), (std::vector<DeviceListNode*>{&n3, &n1}));

    deviceListLink(n2, &a, nullptr);  // the only node of b leaves it empty
    EXPECT_EQ(b.first, nullptr);
    EXPECT_EQ(b.last, nullptr);

    deviceListLink(n3, nullptr, nullptr);  // a null entry only detaches
    EXPECT_EQ(n3.entry, nullptr);
    EXPECT_EQ(nodesOf(a), (std::vector<DeviceListNode*>{&n1, &n2}));

    deviceListUnlink(n1);
    deviceListUnlink(n1);  // twice does no harm; the node keeps its entry
    EXPECT_EQ(n1.entry, &a);
    EXPECT_EQ(nodesOf(a), (std::vector<DeviceListNode*>{&n2}));
}

TEST(DeviceListeners, NotifyAllButTheChanger) {
    FakeMachine none;
    std::vector<std::pair<int, u32>> log;
    Recorder r1(&log, 1), r2(&log, 2), r3(&log, 3);
    DeviceListNode n1, n2, n3, blank;
    {
        PlayDeviceSettings entry;
        deviceListLink(n1, &entry, &r1);
        deviceListLink(blank, &entry, nullptr);
        deviceListLink(n2, &entry, &r2);
        deviceListLink(n3, &entry, &r3);
        r1.detachOnCall = &n1;  // a listener that leaves while it is told
        entry.notifyListeners(&r2, DeviceChange::Level);
        EXPECT_EQ(log, (std::vector<std::pair<int, u32>>{{1, 4u}, {3, 4u}}));
        log.clear();
        entry.notifyListeners(nullptr, DeviceChange::All);
        EXPECT_EQ(log, (std::vector<std::pair<int, u32>>{{2, 15u}, {3, 15u}}));
    }
    // The entry is gone: its nodes were detached, so unlinking later is harmless.
    EXPECT_EQ(n2.entry, nullptr);
    deviceListUnlink(n2);
    deviceListLink(n3, nullptr, nullptr);
}

TEST(DeviceSettings, DefaultLineSearch) {
    {
        FakeMachine none;
        PlayDeviceSettings play;
        RecordDeviceSettings record;
        for (DeviceSettings* s : {(DeviceSettings*)&play, (DeviceSettings*)&record}) {
            EXPECT_EQ(s->device, 0u);
            EXPECT_EQ(s->destination, -1);
            EXPECT_EQ(s->source, -1);
            EXPECT_EQ(s->mixer, -1);
            EXPECT_EQ(s->adjust1, 0);
            EXPECT_EQ(s->adjust2, 0);
        }
        EXPECT_EQ(play.choiceFlags, 1u);
        EXPECT_EQ(record.choiceFlags, 0u);
        EXPECT_TRUE(play.isPlayback());
        EXPECT_FALSE(record.isPlayback());
        ASSERT_NE(play.choices(), nullptr);
        EXPECT_EQ(play.choices()[1].id, 2u);
        EXPECT_STREQ(*play.choices()[0].text, "Fade in and out");
        EXPECT_EQ(play.choices()[2].text, nullptr);
        EXPECT_EQ(record.choices(), nullptr);
    }
    {
        // Two matching lines on two mixers: the last enumerated wins. A target on the source matches too.
        FakeMachine machine;
        u32 m0 = machine.addMixer("first");
        u32 spk = machine.addDestination(m0, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_TARGETTYPE_WAVEOUT, 0);
        machine.addSource(m0, spk, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
        u32 m1 = machine.addMixer("second");
        machine.addDestination(m1, MIXERLINE_COMPONENTTYPE_DST_LINE);
        u32 hp = machine.addDestination(m1, MIXERLINE_COMPONENTTYPE_DST_HEADPHONES);
        machine.addSource(m1, hp, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
        machine.addSource(m1, hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_TARGETTYPE_WAVEOUT, 0);
        machine.addSource(m1, hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_TARGETTYPE_WAVEOUT, 1);
        PlayDeviceSettings play;
        EXPECT_EQ(play.mixer, 1);
        EXPECT_EQ(play.destination, 1);
        EXPECT_EQ(play.source, 1);
    }
    {
        // Recording: a microphone and a line-in line both match; the later one is bound.
        FakeMachine machine;
        u32 m = machine.addMixer("rec");
        u32 in = machine.addDestination(m, MIXERLINE_COMPONENTTYPE_DST_WAVEIN, MIXERLINE_TARGETTYPE_WAVEIN, 0);
        machine.addSource(m, in, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
        machine.addSource(m, in, MIXERLINE_COMPONENTTYPE_SRC_LINE);
        machine.addSource(m, in, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);
        RecordDeviceSettings record;
        EXPECT_EQ(record.source, 1);
    }
}

TEST(DeviceSettings, LinePredicates) {
    auto line = [](DWORD component, DWORD targetType, DWORD device) {
        MIXERLINEA l;
        memset(&l, 0, sizeof l);
        l.dwComponentType = component;
        l.Target.dwType = targetType;
        l.Target.dwDeviceID = device;
        return l;
    };
    const DWORD toOut = MIXERLINE_TARGETTYPE_WAVEOUT, toIn = MIXERLINE_TARGETTYPE_WAVEIN;
    struct Case {
        const char* what;
        MIXERLINEA destination, source;
        u32 device;
        bool play, microphone, lineIn;
    } cases[] = {
        {"wave-out under monitor", line(MIXERLINE_COMPONENTTYPE_DST_MONITOR, toOut, 2),
         line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 0, 0), 2, true, false, false},
        {"wave-out of another device", line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, toOut, 2),
         line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, toOut, 1), 0, false, false, false},
        {"wave-out under a wave-in destination", line(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, toOut, 0),
         line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, toOut, 0), 0, false, false, false},
        {"negative device ids never match", line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, toOut, 0xFFFFFFFF),
         line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 0, 0), 0xFFFFFFFF, false, false, false},
        {"microphone", line(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 0, 0), line(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, toIn, 3),
         3, false, true, false},
        {"line-in under a line destination", line(MIXERLINE_COMPONENTTYPE_DST_LINE, toIn, 0),
         line(MIXERLINE_COMPONENTTYPE_SRC_LINE, 0, 0), 0, false, false, true},
        {"microphone with a wave-out target", line(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, toOut, 0),
         line(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, toOut, 0), 0, false, false, false},
        // Any device: a line of some device of the right kind, whichever carries it.
        {"any device: wave-out by the source's target", line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 0, 0),
         line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, toOut, 5), anyDevice, true, false, false},
        {"any device: microphone by the destination's target", line(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, toIn, 1),
         line(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 0, 0), anyDevice, false, true, false},
        {"any device: no target of the kind", line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, toIn, 0),
         line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, toIn, 0), anyDevice, false, false, false},
        {"any device: only negative target ids", line(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, toIn, 0x80000000),
         line(MIXERLINE_COMPONENTTYPE_SRC_LINE, toIn, 0xFFFFFFFF), anyDevice, false, false, false},
        {"other negative devices still match nothing", line(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, toOut, 0),
         line(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, toOut, 0), 0xFFFFFFFE, false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isPlaybackWaveLine(c.destination, c.source, c.device), c.play) << c.what;
        EXPECT_EQ(isRecordMicrophoneLine(c.destination, c.source, c.device), c.microphone) << c.what;
        EXPECT_EQ(isRecordLine(c.destination, c.source, c.device), c.lineIn) << c.what;
    }
}

TEST(DeviceSettings, StoredRecordLayout) {
    SimpleMachine machine;
    PlayDeviceSettings play;
    play.adjust1 = -3;
    play.adjust2 = 6;
    play.choiceFlags = 3;
    GBag bag;
    play.writeTo(bag);
    ASSERT_EQ(bag.size, 464u);
    const u32 fields[7] = {0, 0, 1, 0, (u32)-3, 6, 3};
    EXPECT_EQ(memcmp(bag.data, fields, 28), 0);
    EXPECT_STREQ((const char*)bag.data + 28 + 4 + 4, "Mixer");                     // MIXERCAPS name
    EXPECT_EQ(*(const u32*)(bag.data + 244 + 24), MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT);  // source line
    EXPECT_STREQ((const char*)bag.data + 412 + 8, "Speakers out");                // WAVEOUTCAPS name

    RecordDeviceSettings record;
    bagFree(bag);
    record.writeTo(bag);
    ASSERT_EQ(bag.size, 460u);
    EXPECT_STREQ((const char*)bag.data + 412 + 8, "Microphone in");

    // Descriptions that cannot be had are written as zeros of the same size.
    record.mixer = 5;
    record.device = 9;
    bagFree(bag);
    record.writeTo(bag);
    ASSERT_EQ(bag.size, 460u);
    for (u32 i = 28; i < 460; ++i) ASSERT_EQ(bag.data[i], 0) << i;
}

// Records laid down by hand in the 32-bit layout read back and are written again byte for byte.
TEST(DeviceSettings, RecordsOfThe32BitLayoutWriteBackUnchanged) {
    SimpleMachine machine;
    // Named lines with a user value and a target description, so that every field has bytes.
    MIXERLINEA& speakers = machine.mixers[0].destinations[0].line;
    strcpy(speakers.szShortName, "Spk");
    strcpy(speakers.szName, "Speakers");
    speakers.dwUser = 0x11223344;
    speakers.fdwLine = 1;
    MIXERLINEA& wave = machine.mixers[0].destinations[0].sources[1];
    strcpy(wave.szName, "Wave");
    wave.Target.wMid = 1;
    wave.Target.wPid = 2;
    wave.Target.vDriverVersion = 0x0500;
    strcpy(wave.Target.szPname, "Speakers out");
    machine.waveOut[0].dwFormats = 0xFFF;
    machine.waveOut[0].dwSupport = 0x2C;

    struct Case {
        const char* what;
        bool playback;
        u32 fields[7];
    } cases[] = {
        {"play on the wave-out source", true, {0, 0, 1, 0, (u32)-3, 6, 3}},
        {"record on the microphone", false, {0, 1, 0, 0, 20, (u32)-20, 0}},
    };
    for (const Case& c : cases) {
        const std::string stored = storedDeviceRecord(machine, c.playback, c.fields);
        GBag bag;
        bagWriteBytes(bag, stored.data(), (u32)stored.size());
        bag.pos = 0;
        PlayDeviceSettings play;
        RecordDeviceSettings record;
        DeviceSettings& entry = c.playback ? (DeviceSettings&)play : (DeviceSettings&)record;
        EXPECT_TRUE(entry.readFrom(bag)) << c.what;
        GBag written;
        entry.writeTo(written);
        EXPECT_EQ(bagHex(written), bytesHex(stored)) << c.what;
    }
}

TEST(DeviceSettings, ReadingFindsTheDeviceByItsName) {
    // Stored: device 0 "Speakers out" on the line (mixer 0, destination 0, source 1).
    struct Case {
        const char* what;
        void (*change)(FakeMachine&);
        bool found;
        u32 device;
        i32 source;  // -1: no line (and no mixer)
    } cases[] = {
        {"same machine", [](FakeMachine&) {}, true, 0, 1},
        {"driver updated", [](FakeMachine& m) { m.waveOut[0].vDriverVersion++; }, true, 0, 1},
        {"devices renumbered", [](FakeMachine& m) { std::swap(m.waveOut[0], m.waveOut[1]); }, true, 1, 2},
        {"two of the name: the stored number", [](FakeMachine& m) { m.waveOut[1] = m.waveOut[0]; }, true, 0, 1},
        {"two of the name, neither the stored number",
         [](FakeMachine& m) {
             strcpy(m.waveOut[0].szPname, "Other");
             strcpy(m.waveOut[1].szPname, "Speakers out");
             strcpy(m.waveOut[2].szPname, "Speakers out");
         },
         true, 1, 2},
        {"device gone", [](FakeMachine& m) { strcpy(m.waveOut[0].szPname, "Headphones"); }, false, 0, 1},
        {"no device at all", [](FakeMachine& m) { m.waveOut.clear(); }, false, 0, 1},
        {"line gone", [](FakeMachine& m) { m.mixers[0].destinations[0].sources.resize(1); }, true, 0, -1},
        {"line of another device now",
         [](FakeMachine& m) { m.mixers[0].destinations[0].sources[1].Target.dwDeviceID = 4; }, true, 0, -1},
        {"no mixer at all", [](FakeMachine& m) { m.mixers.clear(); }, true, 0, -1},
    };
    GBag stored;
    {
        SimpleMachine before;
        PlayDeviceSettings play;
        play.adjust1 = 5;
        play.choiceFlags = 2;
        play.writeTo(stored);
    }
    bagWriteU32(stored, 0xABCDEF01);  // what follows the record
    for (const Case& c : cases) {
        // Device 1 "Second" is carried by source 2; device 2 "Third" has no line.
        SimpleMachine after;
        after.addWaveOut("Second");
        after.addWaveOut("Third");
        after.addSource(0, 0, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_TARGETTYPE_WAVEOUT, 1);
        c.change(after);
        PlayDeviceSettings play;
        play.device = 2;
        stored.pos = 0;
        EXPECT_EQ(play.readFrom(stored), c.found) << c.what;
        EXPECT_EQ(bagGetU32(stored), 0xABCDEF01u) << c.what;  // the whole record was consumed
        EXPECT_EQ(play.device, c.device) << c.what;
        EXPECT_EQ(play.source, c.source) << c.what;
        EXPECT_EQ(play.mixer, c.source < 0 ? -1 : 0) << c.what;
        EXPECT_EQ(play.adjust1, 5) << c.what;  // the adjustments are kept either way
        EXPECT_EQ(play.choiceFlags, 2u) << c.what;
    }

    // A record that names no device (its description could not be had) falls back to device 0.
    GBag bag;
    const u32 fields[7] = {3, 1, 2, 0, 0, 0, 1};
    bagWriteBytes(bag, fields, 28);
    bagReserve(bag, 464);
    bag.pos = 0;
    {
        SimpleMachine machine;
        PlayDeviceSettings play;
        EXPECT_FALSE(play.readFrom(bag));
        EXPECT_EQ(play.device, 0u);
        EXPECT_EQ(play.source, 1);
    }
}

TEST(DeviceSettings, ReadingRefusesShortRecordsAndHoldsTheLevels) {
    SimpleMachine machine;
    GBag bag;
    {
        PlayDeviceSettings play;
        play.adjust1 = -7;
        play.writeTo(bag);
    }
    // A record cut short changes nothing, not even the fields it holds.
    for (u32 cut : {0u, 27u, 28u, 411u, 463u}) {
        GBag shortBag;
        bagWriteBytes(shortBag, bag.data, cut);
        shortBag.pos = 0;
        PlayDeviceSettings play;
        play.adjust1 = 3;
        play.device = 9;
        EXPECT_FALSE(play.readFrom(shortBag)) << cut;
        EXPECT_EQ(play.adjust1, 3) << cut;
        EXPECT_EQ(play.device, 9u) << cut;
        EXPECT_EQ(play.source, 1) << cut;
    }
    // A recording record is shorter: 460 bytes are enough for it, not for a playback one.
    GBag recordBag;
    {
        RecordDeviceSettings record;
        record.adjust1 = 4;
        record.writeTo(recordBag);
    }
    recordBag.pos = 0;
    PlayDeviceSettings playFromRecord;
    EXPECT_FALSE(playFromRecord.readFrom(recordBag));
    EXPECT_EQ(playFromRecord.adjust1, 0);
    recordBag.pos = 0;
    RecordDeviceSettings record;
    EXPECT_TRUE(record.readFrom(recordBag));
    EXPECT_EQ(record.adjust1, 4);

    // Gain and limit are held to -20..20 dB.
    struct Case {
        i32 gain, limit;
        i32 gainRead, limitRead;
    } cases[] = {
        {20, -20, 20, -20}, {21, -21, 20, -20}, {1000000, INT32_MIN, 20, -20}, {INT32_MIN, INT32_MAX, -20, 20},
        {0, 7, 0, 7},
    };
    for (const Case& c : cases) {
        PlayDeviceSettings play;
        play.adjust1 = c.gain;
        play.adjust2 = c.limit;
        GBag levels;
        play.writeTo(levels);
        levels.pos = 0;
        PlayDeviceSettings read;
        EXPECT_TRUE(read.readFrom(levels)) << c.gain;
        EXPECT_EQ(read.adjust1, c.gainRead) << c.gain;
        EXPECT_EQ(read.adjust2, c.limitRead) << c.limit;
    }
}

TEST(DeviceSettings, RecordsOfTheRealMachineReadBack) {
    PlayDeviceSettings play;
    RecordDeviceSettings record;
    GBag bag;
    play.writeTo(bag);
    record.writeTo(bag);
    ASSERT_EQ(bag.size, 464u + 460u);
    bag.pos = 0;
    PlayDeviceSettings playRead;
    RecordDeviceSettings recordRead;
    playRead.readFrom(bag);
    recordRead.readFrom(bag);
    EXPECT_EQ(bag.pos, bag.size);
    EXPECT_EQ(playRead.mixer, play.mixer);
    EXPECT_EQ(recordRead.source, record.source);
}
