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

}  // namespace

TEST(AppSettings, DefaultsAndStoredFormOfTheFirstSections) {
    AppSettings s;
    EXPECT_EQ(s.Editor.chorusMaxDelay.count, 2205u);
    EXPECT_EQ(s.Editor.workFileLimit, 1073741824u);
    EXPECT_EQ(s.Editor.Pitch.fftSize, 2048u);
    EXPECT_EQ(s.Spectrum.overtoneMax, 40u);
    ASSERT_EQ(s.Editor.equalizer_data.count(), 9u);  // 55 .. 14080 Hz, never a 10th band
    EXPECT_DOUBLE_EQ(s.Editor.pitchData_pitch.ratio, 2.0);
    EXPECT_DOUBLE_EQ(s.Editor.chorusDetuning.ratio, std::pow(2.0, 0.2 / 12));
    EXPECT_DOUBLE_EQ(s.Editor.ampData_defect.factor, 0.1);
    EXPECT_EQ(s.Editor.ampData_defect.unit, LevelUnit::Factor);
    EXPECT_DOUBLE_EQ(s.Editor.ampData_pulse1.factor, 0.5);
    EXPECT_EQ(s.Editor.ampData_mul.unit, LevelUnit::Decibels);

    Bytes expected, analyzer;
    analyzer.field(0, "openInNewTab", u8f(1));
    expected.section("Analyzer", analyzer);
    Bytes format;
    format.field(0, "channels", u32f(2));
    format.field(0, "encoding", u32f(2));
    format.field(0, "rate", u32f(44100));
    format.field(0, "tag", u32f(1));
    Bytes common;
    common.section("SoundFormat", format);
    expected.section("Common", common);
    Bytes conv;
    conv.field(0, "openInNewTab", u8f(1));
    expected.section("Converter", conv);
    std::vector<u8> all = written(s);
    ASSERT_GE(all.size(), expected.b.size());
    EXPECT_EQ(std::vector<u8>(all.begin(), all.begin() + expected.b.size()), expected.b);

    // The Record subsection of the Editor, nested triggers included.
    Bytes begin, end, record;
    LevelValue tenth = levelFactor(0.1);
    begin.field(0, "delay", periodf(132300, 44100));
    begin.field(0, "level", levelf(tenth.sampleValue, 0.1, tenth.decibels, 1));
    begin.field(0, "mode", u32f(1));
    end.field(0, "delay", periodf(441000, 44100));
    end.field(0, "level", levelf(tenth.sampleValue, 0.1, tenth.decibels, 1));
    end.field(0, "mode", u32f(0));
    end.field(0, "silenceTime", periodf(132300, 44100));
    record.field(0, "positionMode", u32f(0));
    record.field(0, "writeMode", u32f(2));
    record.section("Begin", begin);
    record.section("End", end);
    Bytes recordSection;
    recordSection.section("Record", record);
    auto at = std::search(all.begin(), all.end(), recordSection.b.begin(), recordSection.b.end());
    EXPECT_NE(at, all.end());
    EXPECT_DOUBLE_EQ(tenth.sampleValue, 3277.0);
}

TEST(AppSettings, DeepCopyAndRoundTrip) {
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
    for (const Case& c : cases) {
        AppSettings s;
        s.Editor.Reverberation.data.resize(1);
        if (strcmp(c.what, "huge reflection count") != 0) s.Editor.Reverberation.data.clear();
        readInto(s, c.stored);
        EXPECT_TRUE(c.check(s)) << c.what;
    }
}

TEST(AppSettings, TruncatedBagsThrowOnlyBagErrorsAndKeepEarlierValues) {
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
