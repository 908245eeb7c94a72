// The program settings record: defaults, deep copies, the stored form and the tolerant reader.
#include "app/app_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/pane_color_groups.h"
#include "core/exceptions.h"
#include "core/tagged_record.h"
#include "tests/app/pane_colors_kept.h"

namespace {

// Stored bytes composed by hand, without the record's writer.
struct Bytes {
    std::vector<u8> b;
    void raw(const void* p, size_t n) { b.insert(b.end(), (const u8*)p, (const u8*)p + n); }
    void u32v(u32 v) { raw(&v, 4); }
    void f64v(f64 v) { raw(&v, 8); }
    void u8v(u8 v) { b.push_back(v); }
    void text(const char* s) { raw(s, strlen(s) + 1); }
    void field(u32 kind, const char* name, const Bytes& value) {
        u32v(kind);
        u32v((u32)value.b.size());
        text(name);
        raw(value.b.data(), value.b.size());
    }
    void section(const char* name, const Bytes& content) {
        u32v(0xFFFFFFFFu);
        u32v((u32)content.b.size() + 4);
        text(name);
        raw(content.b.data(), content.b.size());
        u32v(0xFFFFFFFEu);
    }
};
Bytes u8f(u8 v) { Bytes x; x.u8v(v); return x; }
Bytes u32f(u32 v) { Bytes x; x.u32v(v); return x; }
Bytes f64f(f64 v) { Bytes x; x.f64v(v); return x; }
Bytes periodf(u32 count, u32 rate) { Bytes x; x.u32v(count); x.u32v(rate); return x; }
Bytes levelf(f64 sample, f64 factor, f64 db, u32 unit) {
    Bytes x;
    x.f64v(sample); x.f64v(factor); x.f64v(db); x.u32v(unit); x.u32v(0);
    return x;
}

std::vector<u8> written(const AppSettings& s) {
    GBag bag;
    writeAppSettings(s, bag);
    return std::vector<u8>(bag.data, bag.data + bag.size);
}

void readInto(AppSettings& s, const Bytes& stored) {
    GBag bag;
    bagWriteBytes(bag, stored.b.data(), (u32)stored.b.size());
    bag.pos = 0;
    readAppSettings(s, bag);
}

// Values as the tables give them.
Bytes full(u32 unit) { return levelf(32767.0, 1.0, 0.0, unit); }
Bytes factorf(f64 f) {
    LevelValue v;
    v.set(LevelUnit::Factor, f);
    return levelf(v.sampleValue, v.factor, v.decibels, 1);
}
Bytes percentf(f64 p) {
    LevelValue v;
    v.set(LevelUnit::Percent, p);
    return levelf(v.sampleValue, v.factor, v.decibels, 2);
}
Bytes intervalf(f64 value, u32 unit) {
    Bytes x;
    x.f64v(std::pow(2.0, value / 12.0)); x.f64v(value); x.u32v(unit); x.u32v(0);
    return x;
}
Bytes textf(const char* s) {
    Bytes x;
    x.u32v((u32)strlen(s));
    x.raw(s, strlen(s));
    return x;
}
Bytes colorsf(const CommandRange& r) {
    Bytes x;
    x.u32v(9);
    for (u32 i = 0; i < 9; ++i) x.u32v(r.values[i]);
    return x;
}

// The whole default record, section by section, from the tables.
Bytes defaultRecord() {
    Bytes all, g;
    g.field(0, "openInNewTab", u8f(1));
    all.section("Analyzer", g);

    Bytes format, common;
    format.field(0, "channels", u32f(2));
    format.field(0, "encoding", u32f(2));
    format.field(0, "rate", u32f(44100));
    format.field(0, "tag", u32f(1));
    common.section("SoundFormat", format);
    all.section("Common", common);

    Bytes conv;
    conv.field(0, "openInNewTab", u8f(1));
    all.section("Converter", conv);

    Bytes e;
    e.field(0, "ampData_add", full(2));
    e.field(0, "ampData_assign", full(2));
    e.field(0, "ampData_cre", full(2));
    e.field(0, "ampData_defect", factorf(0.1));
    e.field(0, "ampData_dim", factorf(-1.0));
    e.field(0, "ampData_fading", factorf(-1.0));
    e.field(0, "ampData_mul", full(3));
    e.field(0, "ampData_pulse0", full(2));
    e.field(0, "ampData_pulse1", percentf(50));
    e.field(0, "ampData_pulse2", percentf(20));
    e.field(0, "ampData_set_maximum", factorf(0.9));
    e.field(0, "ampData_silence_sound", factorf(0.001));
    e.field(0, "chorusAmpPulseAmp", factorf(0.3));
    e.field(0, "chorusAmpPulsePeriod", periodf(22050, 44100));
    e.field(0, "chorusCount", u32f(5));
    e.field(0, "chorusDetuning", intervalf(0.2, 4));
    e.field(0, "chorusFadeCoeff", factorf(-0.382));
    e.field(0, "chorusMaxAmpDiff", factorf(0.3));
    e.field(0, "chorusMaxDelay", periodf(2205, 44100));
    for (const char* k : {"chorusUseAmpDiff", "chorusUseAmpPulse", "chorusUseDelay", "chorusUseDetuning", "chorusUseFade"})
        e.field(0, k, u8f(1));
    e.field(0, "chorusUsePhaser", u8f(0));
    for (const char* k : {"convertAuto", "convertOverwriteWarning", "convertWarning"}) e.field(0, k, u8f(1));
    e.field(0, "defect_period", periodf(10, 44100));
    e.field(0, "equalizer_bandwidth", intervalf(12.0, 0));
    Bytes eq;
    eq.f64v(55.0); eq.f64v(22050.0); eq.f64v(2.0); eq.u32v(9);
    for (int i = 0; i < 9; ++i) eq.u32v(0);
    e.field(0, "equalizer_data", eq);
    e.field(0, "equalizer_maxFreq", f64f(22050.0));
    e.field(0, "equalizer_minFreq", f64f(55.0));
    for (const char* k : {"extractAuto", "extractOverwriteWarning", "extractWarning"}) e.field(0, k, u8f(1));
    Bytes find;
    find.u8v(0); find.u8v(1); find.u8v(1); find.u8v(1); find.u32v(0xFFFFFFFFu);
    e.field(0, "find", find);
    e.field(0, "insWavePeriod", periodf(44100, 44100));
    e.field(0, "newFilePeriod", periodf(44100, 44100));
    e.field(0, "newTempo", f64f(1.0));
    e.field(0, "oldTempo", f64f(1.0));
    e.field(0, "openInNewTab", u8f(1));
    e.field(0, "pitchData_pitch", intervalf(12.0, 1));
    e.field(0, "pitchData_vibration", intervalf(0.2, 4));
    e.field(0, "pulsationFade", u32f(1));
    e.field(0, "pulsationPeriod", periodf(8820, 44100));
    e.field(0, "silence_period", periodf(2205, 44100));
    e.field(0, "smoothTime", f64f(0.05));
    e.field(0, "smoothing", u8f(0));
    e.field(1, "statusLine", textf(""));
    e.field(0, "switchToConverterWarning", u8f(1));
    e.field(0, "undoDiskLimitWarning", u8f(1));
    e.field(0, "vibrationPeriod", periodf(8820, 44100));
    Bytes limit;
    u64 bytes = 1073741824;
    limit.raw(&bytes, 8);
    e.field(0, "workFileLimit", limit);

    Bytes echo, echoData;
    echoData.raw(factorf(0.4).b.data(), 32);
    echoData.raw(periodf(8820, 44100).b.data(), 8);
    echoData.u32v(10); echoData.u32v(0);
    echoData.raw(factorf(0.4).b.data(), 32);
    echoData.raw(periodf(8820, 44100).b.data(), 8);
    echoData.u32v(0); echoData.u32v(500);
    echo.field(4, "data", echoData);
    e.section("Echo", echo);
    Bytes fourier;
    fourier.field(0, "ampLimit", f64f(5.0));
    fourier.field(0, "autoFit", u8f(1));
    fourier.field(0, "defaultSize", u32f(8192));
    fourier.field(0, "defaultSizeIndex", u32f(2));
    fourier.field(0, "multiChannelMode", u32f(0));
    fourier.field(0, "newTabMode", u32f(1));
    fourier.field(0, "restoreTrueFrequencies", u8f(0));
    fourier.field(0, "selection", u32f(1));
    fourier.field(0, "windowFunction", u32f(0));
    e.section("Fourier", fourier);
    Bytes pane;
    pane.field(0, "colors", colorsf(wavePaneColors.colours));
    pane.field(0, "drawFlags", u32f(253));
    pane.field(0, "funcFlags", u32f(128));
    e.section("Pane", pane);
    Bytes perf;
    perf.field(0, "cache2Level", u8f(1));
    perf.field(0, "cacheScaleLimit", f64f(0.001));
    perf.field(0, "visibleTrackLimit", u32f(50));
    e.section("Performance", perf);
    Bytes pitch;
    pitch.field(0, "fftSize", u32f(2048));
    pitch.field(0, "fftSizeIndex", u32f(2));
    pitch.field(0, "overlapFactor", u32f(4));
    pitch.field(0, "windowFunction", u32f(1));
    e.section("Pitch", pitch);
    Bytes begin, end, record;
    begin.field(0, "delay", periodf(132300, 44100));
    begin.field(0, "level", factorf(0.1));
    begin.field(0, "mode", u32f(1));
    end.field(0, "delay", periodf(441000, 44100));
    end.field(0, "level", factorf(0.1));
    end.field(0, "mode", u32f(0));
    end.field(0, "silenceTime", periodf(132300, 44100));
    record.field(0, "positionMode", u32f(0));
    record.field(0, "writeMode", u32f(2));
    record.section("Begin", begin);
    record.section("End", end);
    e.section("Record", record);
    Bytes reverb;
    reverb.field(4, "data", u32f(0));
    reverb.field(0, "scaleX", f64f(100.0));
    reverb.field(0, "scaleY", f64f(220.0));
    e.section("Reverberaiton", reverb);
    all.section("Editor", e);

    Bytes ins;
    ins.field(0, "drum", u8f(0));
    ins.field(0, "frequencyPrecision", f64f(10.0));
    ins.field(0, "openInNewTab", u8f(1));
    ins.field(0, "statusLine", textf(""));
    ins.field(0, "volumePrecision", f64f(0.01));
    all.section("Instrument", ins);

    Bytes md, font;
    font.b.assign(60, 0);
    md.field(0, "logFont", font);
    md.field(0, "macro", u32f(0));
    md.field(0, "openInNewTab", u8f(1));
    all.section("MDEditor", md);

    Bytes sp, gen, rand;
    sp.field(0, "ampLimit", f64f(5.0));
    EnvelopeParams env = initDefaultEnvelope(2.0);
    for (f64 v : {env.attackTime, env.attackLevel, env.decayTime, env.decayLevel, env.holdTime, env.holdEndLevel,
                  env.releaseTime, env.tremoloPeriod, env.tremoloDepth})
        gen.f64v(v);
    sp.field(0, "gen", gen);
    sp.field(0, "openInNewTab", u8f(1));
    sp.field(0, "overtoneDeviation", f64f(0.01));
    sp.field(0, "overtoneLowLimit", f64f(50.0));
    sp.field(0, "overtoneMax", u32f(40));
    sp.field(0, "phantomLevel", u32f(0));
    sp.field(0, "pitchData_duplicates", intervalf(0.01, 4));
    sp.field(0, "pitchData_normalize", intervalf(1.0, 1));
    sp.field(0, "pitchData_smooth", intervalf(1.0, 1));
    rand.f64v(1.0); rand.f64v(5.0); rand.f64v(100.0);
    rand.u8v(0); rand.u8v(0); rand.u8v(1); rand.u8v(1); rand.u32v(0);
    sp.field(0, "randData", rand);
    Bytes spane, table;
    spane.field(0, "colors", colorsf(spectrumPaneColors.colours));
    spane.field(0, "drawFlags", u32f(0x55));
    spane.field(0, "funcFlagsAmp", u32f(0x40));
    spane.field(0, "funcFlagsPhase", u32f(0x20));
    spane.field(0, "statusLine", textf(""));
    sp.section("Pane", spane);
    table.field(0, "statusLine", textf(""));
    sp.section("Table", table);
    all.section("Spectrum", sp);
    return all;
}

}  // namespace

TEST(AppSettings, DefaultRecordStoresTheTablesBytes) {
    AppSettings s;
    EXPECT_EQ(s.Editor.chorusMaxDelay.count, 2205u);
    EXPECT_EQ(s.Editor.workFileLimit, 1073741824u);
    EXPECT_EQ(s.Editor.Pitch.fftSize, 2048u);
    EXPECT_EQ(s.Spectrum.overtoneMax, 40u);
    ASSERT_EQ(s.Editor.equalizer_data.count(), 9u);  // 55 .. 14080 Hz, never a 10th band
    EXPECT_DOUBLE_EQ(s.Editor.pitchData_pitch.ratio, 2.0);
    EXPECT_DOUBLE_EQ(s.Editor.chorusDetuning.ratio, std::pow(2.0, 0.2 / 12));
    EXPECT_EQ(s.Spectrum.period.rate, 44100u);
    EXPECT_EQ(s.Spectrum.words[3], 44100u);

    const std::vector<u8> expected = defaultRecord().b;
    const std::vector<u8> all = written(s);
    ASSERT_EQ(all.size(), expected.size());
    // The first differing byte, to name the field.
    size_t at = std::mismatch(all.begin(), all.end(), expected.begin()).first - all.begin();
    EXPECT_EQ(at, all.size()) << "first difference at byte " << at;
    EXPECT_DOUBLE_EQ(levelFactor(0.1).sampleValue, 3277.0);
}

TEST(AppSettings, DeepCopyAndRoundTrip) {
    PaneColorsKept kept;
    AppSettings a;
    a.Editor.chorusCount = 9;
    a.Editor.statusLine = "4,1,2";
    a.Instrument.statusLine = "x";
    a.Editor.equalizer_data.set(100.0, 1000.0, 2.0);
    a.Editor.equalizer_data.values.data[1] = 77;
    a.Editor.Reverberation.data.resize(3);
    memset(a.Editor.Reverberation.data[2].bytes, 0xAB, 64);
    a.Editor.Echo.feedback = 321;
    a.Editor.find[0] = 2;
    a.MDEditor.macro.count = 2;
    a.MDEditor.macro.text[1] = 'q';
    a.MDEditor.macro.second[1] = 5;
    strcpy(a.MDEditor.logFont.lfFaceName, "Face");
    a.Spectrum.randData.mode = 3;
    a.Spectrum.gen.releaseTime = 4.5;
    a.Spectrum.Table.statusLine = "t";
    a.Common.SoundFormat.tag = 0xBA0D;

    AppSettings copy = a;
    a.Editor.equalizer_data.values.data[1] = 1;
    a.Editor.Reverberation.data[2].bytes[0] = 0;
    EXPECT_EQ(copy.Editor.equalizer_data.values.data[1], 77u);
    EXPECT_EQ(copy.Editor.Reverberation.data[2].bytes[0], 0xAB);
    a = copy;
    EXPECT_EQ(a.Editor.equalizer_data.values.data[1], 77u);

    std::vector<u8> bytes = written(a);
    AppSettings b;
    GBag bag;
    bagWriteBytes(bag, bytes.data(), (u32)bytes.size());
    bag.pos = 0;
    readAppSettings(b, bag);
    EXPECT_EQ(written(b), bytes);
    EXPECT_EQ(b.Editor.Reverberation.data.size(), 3u);
    EXPECT_STREQ(b.MDEditor.logFont.lfFaceName, "Face");

    // A default record read into a default record, and an empty bag, change nothing.
    AppSettings fresh, target;
    std::vector<u8> defaults = written(fresh);
    GBag d;
    bagWriteBytes(d, defaults.data(), (u32)defaults.size());
    d.pos = 0;
    readAppSettings(target, d);
    GBag empty;
    readAppSettings(target, empty);
    EXPECT_EQ(written(target), defaults);
}

TEST(AppSettings, TolerantReader) {
    PaneColorsKept kept;
    struct Case {
        const char* what;
        Bytes stored;
        bool (*check)(const AppSettings&);
    };
    std::vector<Case> cases;
    {
        Bytes ed, top;
        ed.field(0, "chorusCount", u32f(7));
        top.section("Editor", ed);
        cases.push_back({"only chorusCount", top, [](const AppSettings& s) {
                             AppSettings d;
                             d.Editor.chorusCount = 7;
                             d.Editor.Reverberation.data.resize(1);
                             d.MDEditor.macro.count = 2;
                             return written(s) == written(d);
                         }});
    }
    {
        Bytes ed, top;  // out of order: chorusCount sorts before convertAuto and is not seen
        ed.field(0, "convertAuto", u8f(0));
        ed.field(0, "chorusCount", u32f(7));
        top.section("Editor", ed);
        cases.push_back({"out of order", top, [](const AppSettings& s) {
                             return s.Editor.convertAuto == 0 && s.Editor.chorusCount == 5;
                         }});
    }
    {
        Bytes ed, top, value;  // stored size 2, read at the group's width of 4
        value.u32v(0x00030002);
        ed.u32v(0);
        ed.u32v(2);
        ed.text("chorusCount");
        ed.raw(value.b.data(), 4);
        top.section("Editor", ed);
        cases.push_back({"other size", top, [](const AppSettings& s) { return s.Editor.chorusCount == 0x00030002u; }});
    }
    {
        Bytes rev, ed, top;
        rev.field(0, "scaleX", f64f(7.0));
        ed.section("Reverberation", rev);
        top.section("Editor", ed);
        cases.push_back({"only the misspelt name", top,
                         [](const AppSettings& s) { return s.Editor.Reverberation.scaleX == 100.0; }});
    }
    {
        Bytes rev, ed, top;
        rev.field(0, "scaleX", f64f(7.0));
        ed.section("Reverberaiton", rev);
        top.section("Editor", ed);
        cases.push_back({"misspelt name read", top,
                         [](const AppSettings& s) { return s.Editor.Reverberation.scaleX == 7.0; }});
    }
    {
        Bytes ed, ins, top, line;
        line.u32v(1);
        line.u8v('z');
        ed.field(0, "statusLine", line);
        ins.field(1, "statusLine", line);
        top.section("Editor", ed);
        top.section("Instrument", ins);
        cases.push_back({"status line kinds", top, [](const AppSettings& s) {
                             return s.Editor.statusLine.empty() && s.Instrument.statusLine.empty();
                         }});
    }
    {
        Bytes an, extra, top, spec;
        an.field(0, "openInNewTab", u8f(0));
        extra.section("Analyzer", an);
        spec.field(0, "overtoneMax", u32f(12));
        top.section("Spectrum", spec);
        top.section("Zzz", extra);
        cases.push_back({"one following section", top, [](const AppSettings& s) {
                             return s.Analyzer.openInNewTab == 0 && s.Spectrum.overtoneMax == 12;
                         }});
    }
    {
        Bytes rev, ed, top, huge;  // a count whose rows are not there keeps the table
        huge.u32v(0x04000001);
        rev.field(4, "data", huge);
        rev.field(0, "scaleY", f64f(3.0));
        ed.section("Reverberaiton", rev);
        top.section("Editor", ed);
        cases.push_back({"huge reflection count", top, [](const AppSettings& s) {
                             return s.Editor.Reverberation.data.size() == 1 && s.Editor.Reverberation.scaleY == 3.0;
                         }});
    }
    {
        Bytes md, top, block;  // 1001 steps: the first 1000 are kept
        block.u32v(1001);
        for (u32 i = 0; i < 1001; ++i) block.u8v((u8)(i % 200 + 1));
        for (u32 i = 0; i < 2002; ++i) block.u32v(i);
        md.field(0, "macro", block);
        md.field(0, "openInNewTab", u8f(0));
        top.section("MDEditor", md);
        cases.push_back({"macro capacity", top, [](const AppSettings& s) {
                             const MacroBlock& m = s.MDEditor.macro;
                             return m.count == 1000 && m.text[999] == 200 && m.first[999] == 999 &&
                                    m.second[0] == 1001 && s.MDEditor.openInNewTab == 0;
                         }});
    }
    {
        Bytes ed, top, eq;  // an equalizer count past the bag keeps the bands; the read goes on
        eq.f64v(1.0); eq.f64v(2.0); eq.f64v(3.0); eq.u32v(0x40000001);
        ed.field(0, "equalizer_data", eq);
        ed.field(0, "equalizer_maxFreq", f64f(9.0));
        top.section("Editor", ed);
        cases.push_back({"huge equalizer count", top, [](const AppSettings& s) {
                             return s.Editor.equalizer_data.count() == 9 && s.Editor.equalizer_data.start == 55.0 &&
                                    s.Editor.equalizer_maxFreq == 9.0;
                         }});
    }
    {
        Bytes md, top;  // a macro count past the bag keeps the block
        md.field(0, "macro", u32f(0x1C71C71D));  // x 9 wraps a 32-bit product
        md.field(0, "openInNewTab", u8f(0));
        top.section("MDEditor", md);
        cases.push_back({"huge macro count", top, [](const AppSettings& s) {
                             return s.MDEditor.macro.count == 2 && s.MDEditor.openInNewTab == 0;
                         }});
    }
    {
        Bytes pane, ed, top;  // a colour count past the bag keeps the colours
        pane.field(0, "colors", u32f(0x40000009));
        pane.field(0, "drawFlags", u32f(7));
        ed.section("Pane", pane);
        top.section("Editor", ed);
        cases.push_back({"huge colour count", top, [](const AppSettings& s) {
                             return wavePaneColors.colours.values[0] == 0x123456 && s.Editor.Pane.drawFlags == 7;
                         }});
    }
    const u32 colour = wavePaneColors.colours.values[0];
    for (const Case& c : cases) {
        AppSettings s;  // one reflection row and two macro steps, to see them kept
        s.Editor.Reverberation.data.resize(1);
        s.MDEditor.macro.count = 2;
        wavePaneColors.colours.values[0] = 0x123456;
        try {
            readInto(s, c.stored);
        } catch (const GBagException&) {
            ADD_FAILURE() << c.what << " threw";
        }
        EXPECT_TRUE(c.check(s)) << c.what;
    }
    wavePaneColors.colours.values[0] = colour;
}

TEST(AppSettings, TruncatedBagsThrowOnlyBagErrorsAndKeepEarlierValues) {
    PaneColorsKept kept;
    AppSettings source;
    source.Analyzer.openInNewTab = 0;
    source.Editor.chorusCount = 8;
    std::vector<u8> bytes = written(source);
    for (size_t n = 0; n < bytes.size(); n += 7) {
        AppSettings s;
        GBag bag;
        bagWriteBytes(bag, bytes.data(), (u32)n);
        bag.pos = 0;
        try {
            readAppSettings(s, bag);
        } catch (const GBagException&) {
        }
        if (n > 40) EXPECT_EQ(s.Analyzer.openInNewTab, 0) << n;
        EXPECT_TRUE(s.Editor.chorusCount == 5 || s.Editor.chorusCount == 8) << n;
    }
}
