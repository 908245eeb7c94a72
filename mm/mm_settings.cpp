#include "mm/mm_settings.h"

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/tagged_record.h"

const char* const kMultimediaSettingsPath = "$d/dizo_veduzuzo.ini";
const char* const kMultimediaSettingsSection = "KXMM";

static const char kRecentConversions[] = "recentConversions";

MultimediaSettings& multimediaSettings() {
    static MultimediaSettings settings;
    return settings;
}

void MultimediaSettings::assign(const MultimediaSettings& other) {
    if (this == &other) return;
    ConverterSettings::copyRecent(recentConversions, other.recentConversions);
    metronome = other.metronome;
    show = other.show;
    sound.play.copyFields(other.sound.play);
    sound.record.copyFields(other.sound.record);
    sound.filters = other.sound.filters;
    sound.player = other.sound.player;
    sound.recorder = other.sound.recorder;
    sound.synth = other.sound.synth;
}

// ---- writing ----

void writeConverterSettings(GBag* bag, const MultimediaSettings& settings) {
    bagWriteSection(*bag, "Converter", [&](GBag& b) {
        RecordMark mark = bagBeginField(b, RecordKind::Value, kRecentConversions);
        ConverterSettings::saveRecent(&b, settings.recentConversions);
        bagEndField(b, mark);
    });
}

void writeMetronomeSettings(GBag* bag, const MultimediaSettings& settings) {
    bagWriteSection(*bag, "Metronome", [&](GBag& b) {
        bagWriteValueField(b, "count", settings.metronome.count);
        bagWriteValueField(b, "time", settings.metronome.time);
    });
}

void writeShowSettings(GBag* bag, const MultimediaSettings& settings) {
    bagWriteSection(*bag, "Show", [&](GBag& b) {
        bagWriteValueField(b, "boardSound", settings.show.boardSound);
        bagWriteValueField(b, "noteStyle", settings.show.noteStyle);
        bagWriteValueField(b, "octaveStyle", settings.show.octaveStyle);
    });
}

static void writeBuffers(GBag& bag, const char* name, const BufferSettings& buffers, bool withPresend) {
    bagWriteSection(bag, name, [&](GBag& b) {
        bagWriteValueField(b, "bufCount", buffers.bufCount);
        bagWriteValueField(b, "bufPerSecond", buffers.bufPerSecond);
        if (withPresend) bagWriteValueField(b, "bufPresend", buffers.bufPresend);
    });
}

void writeSoundSettings(GBag* bag, const MultimediaSettings& settings) {
    const SoundSettings& sound = settings.sound;
    // The subsections go in this order, which is not byte order; the reader asks in the same order.
    bagWriteSection(*bag, "Sound", [&](GBag& b) {
        bagWriteSection(b, "play", [&](GBag& s) { sound.play.writeTo(s); });
        bagWriteSection(b, "record", [&](GBag& s) { sound.record.writeTo(s); });
        bagWriteSection(b, "Filters", [&](GBag& s) {
            const FilterSettings& f = sound.filters;
            bagWriteValueField(s, "ampData_bq", f.ampData_bq);
            bagWriteValueField(s, "bqFilterFreq", f.bqFilterFreq);
            bagWriteValueField(s, "bqQuality", f.bqQuality);
            bagWriteValueField(s, "bqSlope", f.bqSlope);
            bagWriteValueField(s, "highFilterFreq", f.highFilterFreq);
            bagWriteValueField(s, "loopFilter", f.loopFilter);
            bagWriteValueField(s, "lowFilterFreq", f.lowFilterFreq);
            bagWriteValueField(s, "pitchData_bandwidth", f.pitchData_bandwidth);
        });
        writeBuffers(b, "Player", sound.player, true);
        writeBuffers(b, "Recorder", sound.recorder, false);
        writeBuffers(b, "Synth", sound.synth, true);
    });
}

void writeMultimediaSettings(GBag* bag, const MultimediaSettings& settings) {
    writeConverterSettings(bag, settings);
    writeMetronomeSettings(bag, settings);
    writeShowSettings(bag, settings);
    writeSoundSettings(bag, settings);
}

// ---- reading ----

static void readBuffers(GBag& bag, const char* name, BufferSettings& buffers, bool withPresend) {
    bagReadSection(bag, name, [&](GBag& b) {
        bagReadValueField(b, "bufCount", &buffers.bufCount);
        bagReadValueField(b, "bufPerSecond", &buffers.bufPerSecond);
        if (withPresend) bagReadValueField(b, "bufPresend", &buffers.bufPresend);
    });
}

// A device record is read from its subsection's bytes alone (without the end marker), so that a short
// record cannot reach into what follows.
static void readDeviceSection(GBag& bag, const char* name, DeviceSettings& device) {
    u32 size;
    if (!bagFindSection(bag, name, &size)) return;
    u32 start = bag.pos;
    u32 available = bag.size > start ? bag.size - start : 0;
    u32 content = size >= 4 ? size - 4 : 0;
    GBag record;
    bagWriteBytes(record, bag.data + start, content < available ? content : available);
    record.pos = 0;
    device.readFrom(record);
    bag.pos = start;
    bagSkip(bag, size);
}

void MultimediaSettings::read(GBag* bag) {
    GBag& b = *bag;
    bagSkipFields(b);
    bagReadSection(b, "Converter", [&](GBag& s) {
        u32 size;
        if (!bagFindField(s, RecordKind::Value, kRecentConversions, &size)) return;
        u32 start = s.pos;
        ConverterSettings::loadRecent(&s, recentConversions);
        s.pos = start;
        bagSkip(s, size);
    });
    bagReadSection(b, "Metronome", [&](GBag& s) {
        bagReadValueField(s, "count", &metronome.count);
        bagReadValueField(s, "time", &metronome.time);
    });
    bagReadSection(b, "Show", [&](GBag& s) {
        bagReadValueField(s, "boardSound", &show.boardSound);
        bagReadValueField(s, "noteStyle", &show.noteStyle);
        bagReadValueField(s, "octaveStyle", &show.octaveStyle);
    });
    bagReadSection(b, "Sound", [&](GBag& s) {
        bagSkipFields(s);
        readDeviceSection(s, "play", sound.play);
        readDeviceSection(s, "record", sound.record);
        bagReadSection(s, "Filters", [&](GBag& d) {
            FilterSettings& f = sound.filters;
            bagReadValueField(d, "ampData_bq", &f.ampData_bq);
            bagReadValueField(d, "bqFilterFreq", &f.bqFilterFreq);
            bagReadValueField(d, "bqQuality", &f.bqQuality);
            bagReadValueField(d, "bqSlope", &f.bqSlope);
            bagReadValueField(d, "highFilterFreq", &f.highFilterFreq);
            bagReadValueField(d, "loopFilter", &f.loopFilter);
            bagReadValueField(d, "lowFilterFreq", &f.lowFilterFreq);
            bagReadValueField(d, "pitchData_bandwidth", &f.pitchData_bandwidth);
        });
        readBuffers(s, "Player", sound.player, true);
        readBuffers(s, "Recorder", sound.recorder, false);
        readBuffers(s, "Synth", sound.synth, true);
    });
}

// ---- the store ----

bool saveMultimediaSettings(const MultimediaSettings& settings, const char* path, ErrorHandler* handler) {
    GBag bag;
    bagWriteSection(bag, kMultimediaSettingsSection, [&](GBag& b) { writeMultimediaSettings(&b, settings); });
    return saveBagFile(path, bag, bagFileTag("OPTS"), kMultimediaSettingsVersion, handler);
}

bool loadMultimediaSettings(MultimediaSettings& settings, const char* path, ErrorHandler* handler) {
    GBag bag;
    if (!loadBagFile(path, bag, bagFileTag("OPTS"), kMultimediaSettingsVersion, handler)) return false;
    try {
        return bagReadSection(bag, kMultimediaSettingsSection, [&](GBag& b) { settings.read(&b); });
    } catch (const GBagException&) {
        return false;
    }
}
