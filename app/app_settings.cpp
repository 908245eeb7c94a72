#include "app/app_settings.h"

#include <cstring>

#include "app/pane_color_groups.h"
#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/tagged_record.h"

AppSettings appSettings;

const char* const kAppSettingsPath = "$d/ravo_settings.ini";
const char* const kAppSettingsSection = "Ravo";

namespace {

// ---- value encodings ----

void putLevel(GBag& bag, const LevelValue& v) {
    bagWriteF64(bag, v.sampleValue);
    bagWriteF64(bag, v.factor);
    bagWriteF64(bag, v.decibels);
    bagWriteU32(bag, v.unit);
    bagWriteU32(bag, 0);
}

LevelValue getLevel(GBag& bag) {
    LevelValue v;
    bagReadF64(bag, &v.sampleValue);
    bagReadF64(bag, &v.factor);
    bagReadF64(bag, &v.decibels);
    bagReadU32(bag, &v.unit);
    bagSkip(bag, 4);
    return v;
}

void putInterval(GBag& bag, const IntervalValue& v) {
    bagWriteF64(bag, v.ratio);
    bagWriteF64(bag, v.semitones);
    bagWriteU32(bag, v.unit);
    bagWriteU32(bag, 0);
}

IntervalValue getInterval(GBag& bag) {
    IntervalValue v;
    bagReadF64(bag, &v.ratio);
    bagReadF64(bag, &v.semitones);
    bagReadU32(bag, &v.unit);
    bagSkip(bag, 4);
    return v;
}

void putPeriod(GBag& bag, const SamplePeriod& p) {
    bagWriteU32(bag, p.count);
    bagWriteU32(bag, p.rate);
}

SamplePeriod getPeriod(GBag& bag) {
    SamplePeriod p;
    bagReadU32(bag, &p.count);
    bagReadU32(bag, &p.rate);
    return p;
}

void putEcho(GBag& bag, const EchoParams& e) {
    putLevel(bag, e.firstLevel);
    putPeriod(bag, e.firstDelay);
    bagWriteU32(bag, e.count);
    bagWriteU32(bag, 0);
    putLevel(bag, e.nextLevel);
    putPeriod(bag, e.nextDelay);
    bagWriteU32(bag, e.mode);
    bagWriteU32(bag, e.feedback);
}

EchoParams getEcho(GBag& bag) {
    EchoParams e;
    e.firstLevel = getLevel(bag);
    e.firstDelay = getPeriod(bag);
    bagReadU32(bag, &e.count);
    bagSkip(bag, 4);
    e.nextLevel = getLevel(bag);
    e.nextDelay = getPeriod(bag);
    bagReadU32(bag, &e.mode);
    bagReadU32(bag, &e.feedback);
    return e;
}

void putEnvelope(GBag& bag, const EnvelopeParams& e) {
    const f64 v[9] = {e.attackTime, e.attackLevel, e.decayTime,    e.decayLevel,  e.holdTime,
                      e.holdEndLevel, e.releaseTime, e.tremoloPeriod, e.tremoloDepth};
    for (f64 x : v) bagWriteF64(bag, x);
}

EnvelopeParams getEnvelope(GBag& bag) {
    EnvelopeParams e;
    f64* v[9] = {&e.attackTime, &e.attackLevel, &e.decayTime,    &e.decayLevel,  &e.holdTime,
                 &e.holdEndLevel, &e.releaseTime, &e.tremoloPeriod, &e.tremoloDepth};
    for (f64* x : v) bagReadF64(bag, x);
    return e;
}

void putRandom(GBag& bag, const SpectrumRandom& r) {
    for (f64 x : r.values) bagWriteF64(bag, x);
    bagWriteBytes(bag, r.flags, 4);
    bagWriteU32(bag, r.mode);
}

SpectrumRandom getRandom(GBag& bag) {
    SpectrumRandom r;
    for (f64& x : r.values) bagReadF64(bag, &x);
    bagReadBytes(bag, r.flags, 4);
    bagReadU32(bag, &r.mode);
    return r;
}

// ---- the two walks over the keys ----

// Writes each key as a field, in the order the group names them.
struct Writer {
    GBag& bag;

    template <class F>
    void field(u32 kind, const char* name, F&& put) {
        RecordMark mark = bagBeginField(bag, kind, name);
        put(bag);
        bagEndField(bag, mark);
    }
    void u8v(const char* n, u8& v) { field(RecordKind::Value, n, [&](GBag& b) { bagWriteU8(b, v); }); }
    void u32v(const char* n, u32& v) { field(RecordKind::Value, n, [&](GBag& b) { bagWriteU32(b, v); }); }
    void u64v(const char* n, u64& v) { field(RecordKind::Value, n, [&](GBag& b) { bagWriteU64(b, v); }); }
    void f64v(const char* n, f64& v) { field(RecordKind::Value, n, [&](GBag& b) { bagWriteF64(b, v); }); }
    void period(const char* n, SamplePeriod& v) { field(RecordKind::Value, n, [&](GBag& b) { putPeriod(b, v); }); }
    void level(const char* n, LevelValue& v) { field(RecordKind::Value, n, [&](GBag& b) { putLevel(b, v); }); }
    void interval(const char* n, IntervalValue& v) {
        field(RecordKind::Value, n, [&](GBag& b) { putInterval(b, v); });
    }
    void bytes(const char* n, void* v, u32 size) {
        field(RecordKind::Value, n, [&](GBag& b) { bagWriteBytes(b, v, size); });
    }
    void echo(const char* n, EchoParams& v) { field(RecordKind::Raw, n, [&](GBag& b) { putEcho(b, v); }); }
    void envelope(const char* n, EnvelopeParams& v) {
        field(RecordKind::Value, n, [&](GBag& b) { putEnvelope(b, v); });
    }
    void random(const char* n, SpectrumRandom& v) { field(RecordKind::Value, n, [&](GBag& b) { putRandom(b, v); }); }
    void status(u32 kind, const char* n, GString& v) {
        field(kind, n, [&](GBag& b) { bagWriteBlock(b, v.length ? v.c_str() : nullptr, v.length); });
    }
    void colors(const char* n, CommandRange& r) {
        field(RecordKind::Value, n, [&](GBag& b) { writeSettingsIntArray(b, r.values, (u32)r.first, (u32)r.last); });
    }
    void scale(const char* n, ScaleSetting& s) { field(RecordKind::Value, n, [&](GBag& b) { s.write(b); }); }
    void reflections(const char* n, std::vector<ReflectionRow>& rows) {
        field(RecordKind::Raw, n, [&](GBag& b) {
            bagWriteU32(b, (u32)rows.size());
            if (!rows.empty()) bagWriteBytes(b, rows.data(), (u32)(rows.size() * sizeof(ReflectionRow)));
        });
    }
    void macro(const char* n, MacroBlock& m) {
        field(RecordKind::Value, n, [&](GBag& b) { writeSettingsBlock(b, m.text, m.first, m.second, m.count); });
    }
    template <class F>
    void section(const char* name, F&& body) {
        bagWriteSection(bag, name, [&](GBag&) { body(*this); });
    }
};

// Finds each key forward from the position; a key not found, or stored with another kind, keeps
// its value. Values are read at their own width and the position moves behind the stored value.
struct Reader {
    GBag& bag;
    bool inSections = false;

    bool more() const { return bag.pos < bag.size && bag.size - bag.pos >= 4; }

    template <class F>
    void field(u32 kind, const char* name, F&& get) {
        u32 stored;
        if (!more() || !bagFindField(bag, kind, name, &stored)) return;
        u32 start = bag.pos;
        get(bag, stored);
        bag.pos = start;
        bagSkip(bag, stored);
    }
    template <class T, class G>
    void value(u32 kind, const char* name, T& v, G&& get) {
        field(kind, name, [&](GBag& b, u32) { v = get(b); });
    }
    void u8v(const char* n, u8& v) {
        value(RecordKind::Value, n, v, [](GBag& b) { u8 x; bagReadU8(b, &x); return x; });
    }
    void u32v(const char* n, u32& v) { value(RecordKind::Value, n, v, [](GBag& b) { return bagGetU32(b); }); }
    void u64v(const char* n, u64& v) {
        value(RecordKind::Value, n, v, [](GBag& b) { u64 x; bagReadU64(b, &x); return x; });
    }
    void f64v(const char* n, f64& v) {
        value(RecordKind::Value, n, v, [](GBag& b) { f64 x; bagReadF64(b, &x); return x; });
    }
    void period(const char* n, SamplePeriod& v) { value(RecordKind::Value, n, v, getPeriod); }
    void level(const char* n, LevelValue& v) { value(RecordKind::Value, n, v, getLevel); }
    void interval(const char* n, IntervalValue& v) { value(RecordKind::Value, n, v, getInterval); }
    void bytes(const char* n, void* v, u32 size) {
        field(RecordKind::Value, n, [&](GBag& b, u32) {
            bagSkip(b, size);  // throws before anything changes
            memcpy(v, b.data + b.pos - size, size);
        });
    }
    void echo(const char* n, EchoParams& v) { value(RecordKind::Raw, n, v, getEcho); }
    void envelope(const char* n, EnvelopeParams& v) { value(RecordKind::Value, n, v, getEnvelope); }
    void random(const char* n, SpectrumRandom& v) { value(RecordKind::Value, n, v, getRandom); }
    void status(u32 kind, const char* n, GString& v) {
        field(kind, n, [&](GBag& b, u32) {
            GString text;
            bagReadString(b, text);
            v = text;
        });
    }
    // Whether the count at `offset` bytes from the position has its rows of `rowSize` in the bag.
    static bool countFits(const GBag& b, u32 offset, u32 rowSize) {
        u64 left = b.size - b.pos;
        if (left < (u64)offset + 4) return true;  // the reader meets the end itself
        u32 count;
        memcpy(&count, b.data + b.pos + offset, 4);
        return (u64)count * rowSize <= left - offset - 4;
    }
    // Counted values whose rows are not in the bag keep the field's value; the read goes on.
    void colors(const char* n, CommandRange& r) {
        field(RecordKind::Value, n, [&](GBag& b, u32) {
            if (!countFits(b, 0, 4)) return;
            readSettingsIntArrays(b, r.values, (u32)r.first, (u32)r.last);
            r.flag = 1;
        });
    }
    void scale(const char* n, ScaleSetting& s) {
        field(RecordKind::Value, n, [&](GBag& b, u32) {
            if (countFits(b, 24, 4)) s.read(b);
        });
    }
    void reflections(const char* n, std::vector<ReflectionRow>& rows) {
        field(RecordKind::Raw, n, [&](GBag& b, u32) {
            if (!countFits(b, 0, sizeof(ReflectionRow))) return;
            u32 count = bagGetU32(b);
            std::vector<ReflectionRow> fresh(count);
            if (count) bagReadBytes(b, fresh.data(), (u32)(count * sizeof(ReflectionRow)));
            rows.swap(fresh);
        });
    }
    // Steps past the capacity are dropped.
    void macro(const char* n, MacroBlock& m) {
        field(RecordKind::Value, n, [&](GBag& b, u32) {
            if (!countFits(b, 0, 9)) return;
            MacroBlock fresh;
            fresh.count = readSettingsBlock(b, fresh.text, fresh.first, fresh.second, MacroBlock::Capacity);
            m = fresh;
        });
    }
    template <class F>
    void section(const char* name, F&& body) {
        enterSections();
        if (!more()) return;
        bagReadSection(bag, name, [&](GBag& b) { readGroup(b, body); });
    }
    void enterSections() {
        if (!inSections && more()) bagSkipFields(bag);
        inSections = true;
    }

    // A group's keys and subsections; then one following section of any name is read as more of
    // the same group.
    template <class F>
    static void readGroup(GBag& bag, F& body, bool follow = true) {
        Reader inner{bag};
        body(inner);
        inner.enterSections();
        if (!follow || !inner.more()) return;
        u32 start = bag.pos;
        if (bagGetU32(bag) != RecordKind::SectionStart) {
            bag.pos = start;
            return;
        }
        u32 size = bagGetU32(bag);
        bagReadText(bag);
        u32 content = bag.pos;
        readGroup(bag, body, false);
        bag.pos = content;
        bagSkip(bag, size);
    }
};

// ---- the groups, keys in ascending order, then subsections ----

template <class V>
void visitRecord(V& v, RecordSettings& r) {
    v.u32v("positionMode", r.positionMode);
    v.u32v("writeMode", r.writeMode);
    v.section("Begin", [&](auto& w) {
        w.period("delay", r.begin.delay);
        w.level("level", r.begin.level);
        w.u32v("mode", r.begin.mode);
    });
    v.section("End", [&](auto& w) {
        w.period("delay", r.end.delay);
        w.level("level", r.end.level);
        w.u32v("mode", r.end.mode);
        w.period("silenceTime", r.end.silenceTime);
    });
}

template <class V>
void visitEditor(V& v, EditorSettings& e) {
    v.level("ampData_add", e.ampData_add);
    v.level("ampData_assign", e.ampData_assign);
    v.level("ampData_cre", e.ampData_cre);
    v.level("ampData_defect", e.ampData_defect);
    v.level("ampData_dim", e.ampData_dim);
    v.level("ampData_fading", e.ampData_fading);
    v.level("ampData_mul", e.ampData_mul);
    v.level("ampData_pulse0", e.ampData_pulse0);
    v.level("ampData_pulse1", e.ampData_pulse1);
    v.level("ampData_pulse2", e.ampData_pulse2);
    v.level("ampData_set_maximum", e.ampData_set_maximum);
    v.level("ampData_silence_sound", e.ampData_silence_sound);
    v.level("chorusAmpPulseAmp", e.chorusAmpPulseAmp);
    v.period("chorusAmpPulsePeriod", e.chorusAmpPulsePeriod);
    v.u32v("chorusCount", e.chorusCount);
    v.interval("chorusDetuning", e.chorusDetuning);
    v.level("chorusFadeCoeff", e.chorusFadeCoeff);
    v.level("chorusMaxAmpDiff", e.chorusMaxAmpDiff);
    v.period("chorusMaxDelay", e.chorusMaxDelay);
    v.u8v("chorusUseAmpDiff", e.chorusUseAmpDiff);
    v.u8v("chorusUseAmpPulse", e.chorusUseAmpPulse);
    v.u8v("chorusUseDelay", e.chorusUseDelay);
    v.u8v("chorusUseDetuning", e.chorusUseDetuning);
    v.u8v("chorusUseFade", e.chorusUseFade);
    v.u8v("chorusUsePhaser", e.chorusUsePhaser);
    v.u8v("convertAuto", e.convertAuto);
    v.u8v("convertOverwriteWarning", e.convertOverwriteWarning);
    v.u8v("convertWarning", e.convertWarning);
    v.period("defect_period", e.defect_period);
    v.interval("equalizer_bandwidth", e.equalizer_bandwidth);
    v.scale("equalizer_data", e.equalizer_data);
    v.f64v("equalizer_maxFreq", e.equalizer_maxFreq);
    v.f64v("equalizer_minFreq", e.equalizer_minFreq);
    v.u8v("extractAuto", e.extractAuto);
    v.u8v("extractOverwriteWarning", e.extractOverwriteWarning);
    v.u8v("extractWarning", e.extractWarning);
    v.bytes("find", e.find, sizeof e.find);
    v.period("insWavePeriod", e.insWavePeriod);
    v.period("newFilePeriod", e.newFilePeriod);
    v.f64v("newTempo", e.newTempo);
    v.f64v("oldTempo", e.oldTempo);
    v.u8v("openInNewTab", e.openInNewTab);
    v.interval("pitchData_pitch", e.pitchData_pitch);
    v.interval("pitchData_vibration", e.pitchData_vibration);
    v.u32v("pulsationFade", e.pulsationFade);
    v.period("pulsationPeriod", e.pulsationPeriod);
    v.period("silence_period", e.silence_period);
    v.f64v("smoothTime", e.smoothTime);
    v.u8v("smoothing", e.smoothing);
    v.status(RecordKind::Block, "statusLine", e.statusLine);
    v.u8v("switchToConverterWarning", e.switchToConverterWarning);
    v.u8v("undoDiskLimitWarning", e.undoDiskLimitWarning);
    v.period("vibrationPeriod", e.vibrationPeriod);
    v.u64v("workFileLimit", e.workFileLimit);

    v.section("Echo", [&](auto& w) { w.echo("data", e.Echo); });
    v.section("Fourier", [&](auto& w) {
        FourierSettings& f = e.Fourier;
        w.f64v("ampLimit", f.ampLimit);
        w.u8v("autoFit", f.autoFit);
        w.u32v("defaultSize", f.defaultSize);
        w.u32v("defaultSizeIndex", f.defaultSizeIndex);
        w.u32v("multiChannelMode", f.multiChannelMode);
        w.u32v("newTabMode", f.newTabMode);
        w.u8v("restoreTrueFrequencies", f.restoreTrueFrequencies);
        w.u32v("selection", f.selection);
        w.u32v("windowFunction", f.windowFunction);
    });
    v.section("Pane", [&](auto& w) {
        w.colors("colors", wavePaneColors.colours);
        w.u32v("drawFlags", e.Pane.drawFlags);
        w.u32v("funcFlags", e.Pane.funcFlags);
    });
    v.section("Performance", [&](auto& w) {
        w.u8v("cache2Level", e.Performance.cache2Level);
        w.f64v("cacheScaleLimit", e.Performance.cacheScaleLimit);
        w.u32v("visibleTrackLimit", e.Performance.visibleTrackLimit);
    });
    v.section("Pitch", [&](auto& w) {
        w.u32v("fftSize", e.Pitch.fftSize);
        w.u32v("fftSizeIndex", e.Pitch.fftSizeIndex);
        w.u32v("overlapFactor", e.Pitch.overlapFactor);
        w.u32v("windowFunction", e.Pitch.windowFunction);
    });
    v.section("Record", [&](auto& w) { visitRecord(w, e.Record); });
    v.section("Reverberaiton", [&](auto& w) {
        w.reflections("data", e.Reverberation.data);
        w.f64v("scaleX", e.Reverberation.scaleX);
        w.f64v("scaleY", e.Reverberation.scaleY);
    });
}

template <class V>
void visitSpectrum(V& v, SpectrumSettings& s) {
    v.f64v("ampLimit", s.ampLimit);
    v.envelope("gen", s.gen);
    v.u8v("openInNewTab", s.openInNewTab);
    v.f64v("overtoneDeviation", s.overtoneDeviation);
    v.f64v("overtoneLowLimit", s.overtoneLowLimit);
    v.u32v("overtoneMax", s.overtoneMax);
    v.u32v("phantomLevel", s.phantomLevel);
    v.interval("pitchData_duplicates", s.pitchData_duplicates);
    v.interval("pitchData_normalize", s.pitchData_normalize);
    v.interval("pitchData_smooth", s.pitchData_smooth);
    v.random("randData", s.randData);
    v.section("Pane", [&](auto& w) {
        w.colors("colors", spectrumPaneColors.colours);
        w.u32v("drawFlags", s.Pane.drawFlags);
        w.u32v("funcFlagsAmp", s.Pane.funcFlagsAmp);
        w.u32v("funcFlagsPhase", s.Pane.funcFlagsPhase);
        w.status(RecordKind::Value, "statusLine", s.Pane.statusLine);
    });
    v.section("Table", [&](auto& w) { w.status(RecordKind::Value, "statusLine", s.Table.statusLine); });
}

template <class V>
void visitSettings(V& v, AppSettings& a) {
    v.section("Analyzer", [&](auto& w) { w.u8v("openInNewTab", a.Analyzer.openInNewTab); });
    v.section("Common", [&](auto& w) {
        w.section("SoundFormat", [&](auto& x) {
            SoundFormatSettings& f = a.Common.SoundFormat;
            x.u32v("channels", f.channels);
            x.u32v("encoding", f.encoding);
            x.u32v("rate", f.rate);
            x.u32v("tag", f.tag);
        });
    });
    v.section("Converter", [&](auto& w) { w.u8v("openInNewTab", a.Converter.openInNewTab); });
    v.section("Editor", [&](auto& w) { visitEditor(w, a.Editor); });
    v.section("Instrument", [&](auto& w) {
        InstrumentSettings& i = a.Instrument;
        w.u8v("drum", i.drum);
        w.f64v("frequencyPrecision", i.frequencyPrecision);
        w.u8v("openInNewTab", i.openInNewTab);
        w.status(RecordKind::Value, "statusLine", i.statusLine);
        w.f64v("volumePrecision", i.volumePrecision);
    });
    v.section("MDEditor", [&](auto& w) {
        MDEditorSettings& m = a.MDEditor;
        w.bytes("logFont", &m.logFont, sizeof m.logFont);
        w.macro("macro", m.macro);
        w.u8v("openInNewTab", m.openInNewTab);
    });
    v.section("Spectrum", [&](auto& w) { visitSpectrum(w, a.Spectrum); });
}

}  // namespace

void writeAppSettings(const AppSettings& settings, GBag& bag) {
    Writer w{bag};
    visitSettings(w, const_cast<AppSettings&>(settings));
}

void readAppSettings(AppSettings& settings, GBag& bag) {
    auto body = [&](Reader& r) { visitSettings(r, settings); };
    Reader::readGroup(bag, body);
}

bool saveAppSettings(const AppSettings& settings, const char* path) {
    return saveSectionFile(path, kAppSettingsSection, bagFileTag("OPTS"), kAppSettingsVersion,
                           [&](GBag& b) { writeAppSettings(settings, b); });
}

bool loadAppSettings(AppSettings& settings, const char* path) {
    return loadSectionFile(path, kAppSettingsSection, bagFileTag("OPTS"), kAppSettingsVersion,
                           [&](GBag& b) { readAppSettings(settings, b); });
}
