#pragma once
// The wave editor's settings group: the last parameters of its effect dialogs, its warnings and
// the analysis, pane, performance, recording and reverberation subgroups. Plain values copy as
// they are; the equalizer values, the reflection table and the status line are owned and copied deeply.
#include <vector>

#include "core/gstring.h"
#include "core/level_value.h"
#include "gui/controls/geometric_scale.h"

// A sample count at a rate; used at another rate the count scales by rate / stored rate.
struct SamplePeriod {
    u32 count;
    u32 rate;

    u32 countAt(u32 otherRate) const { return rate ? (u32)((u64)count * otherRate / rate) : count; }
};
static_assert(sizeof(SamplePeriod) == 8, "stored period");

// A fresh level of unit 1 set from a factor, and of unit 2 set from a percentage.
LevelValue levelFactor(f64 factor);
LevelValue levelPercent(f64 percent);
// Full scale in this unit.
LevelValue levelFull(u32 unit);
// Ratio 2^(value / 12), the value and the unit.
IntervalValue interval(f64 value, u32 unit);

// A geometric scale that copies its values.
class ScaleSetting : public GeometricScale {
public:
    ScaleSetting() = default;
    ScaleSetting(const ScaleSetting& other) { *this = other; }
    ScaleSetting& operator=(const ScaleSetting& other);
};

// The echo dialog's parameters, stored as their 96 bytes.
struct EchoParams {
    LevelValue firstLevel = levelFactor(0.4);
    SamplePeriod firstDelay{8820, 44100};
    u32 count = 10;
    u32 spare1 = 0;
    LevelValue nextLevel = levelFactor(0.4);
    SamplePeriod nextDelay{8820, 44100};
    u32 mode = 0;
    u32 feedback = 500;
};
static_assert(sizeof(EchoParams) == 96, "stored echo record");

struct ReflectionRow {
    u8 bytes[64];
};

struct FourierSettings {
    f64 ampLimit = 5.0;
    u8 autoFit = 1;
    u32 defaultSize = 8192;
    u32 defaultSizeIndex = 2;
    u32 multiChannelMode = 0;
    u32 newTabMode = 1;
    u8 restoreTrueFrequencies = 0;
    u32 selection = 1;
    u32 windowFunction = 0;
};

// The colours of the wave pane are kept by its colour group.
struct WavePaneSettings {
    u32 drawFlags = 0xFD;
    u32 funcFlags = 0x80;
};

struct PerformanceSettings {
    u8 cache2Level = 1;
    f64 cacheScaleLimit = 0.001;
    u32 visibleTrackLimit = 50;
};

struct PitchSettings {
    u32 fftSize = 2048;
    u32 fftSizeIndex = 2;
    u32 overlapFactor = 4;
    u32 windowFunction = 1;
};

struct RecordTrigger {
    SamplePeriod delay;
    LevelValue level = levelFactor(0.1);
    u32 mode;
    SamplePeriod silenceTime{132300, 44100};  // stored for the end trigger only
};

struct RecordSettings {
    u32 positionMode = 0;
    u32 writeMode = 2;
    RecordTrigger begin{{132300, 44100}, levelFactor(0.1), 1};
    RecordTrigger end{{441000, 44100}, levelFactor(0.1), 0};
};

struct ReverbSettings {
    std::vector<ReflectionRow> data;
    f64 scaleX = 100.0;
    f64 scaleY = 220.0;
};

class EditorSettings {
public:
    EditorSettings();

    LevelValue ampData_add = levelFull(LevelUnit::Percent);
    LevelValue ampData_assign = levelFull(LevelUnit::Percent);
    LevelValue ampData_cre = levelFull(LevelUnit::Percent);
    LevelValue ampData_defect = levelFactor(0.1);
    LevelValue ampData_dim = levelFactor(-1.0);
    LevelValue ampData_fading = levelFactor(-1.0);
    LevelValue ampData_mul = levelFull(LevelUnit::Decibels);
    LevelValue ampData_pulse0 = levelFull(LevelUnit::Percent);
    LevelValue ampData_pulse1 = levelPercent(50);
    LevelValue ampData_pulse2 = levelPercent(20);
    LevelValue ampData_set_maximum = levelFactor(0.9);
    LevelValue ampData_silence_sound = levelFactor(0.001);
    LevelValue chorusAmpPulseAmp = levelFactor(0.3);
    SamplePeriod chorusAmpPulsePeriod{22050, 44100};
    u32 chorusCount = 5;
    IntervalValue chorusDetuning = interval(0.2, IntervalUnit::Cents);
    LevelValue chorusFadeCoeff = levelFactor(-0.382);
    LevelValue chorusMaxAmpDiff = levelFactor(0.3);
    SamplePeriod chorusMaxDelay{2205, 44100};
    u8 chorusUseAmpDiff = 1;
    u8 chorusUseAmpPulse = 1;
    u8 chorusUseDelay = 1;
    u8 chorusUseDetuning = 1;
    u8 chorusUseFade = 1;
    u8 chorusUsePhaser = 0;
    u8 convertAuto = 1;
    u8 convertOverwriteWarning = 1;
    u8 convertWarning = 1;
    SamplePeriod defect_period{10, 44100};
    IntervalValue equalizer_bandwidth = interval(12.0, IntervalUnit::Ratio);
    ScaleSetting equalizer_data;
    f64 equalizer_maxFreq = 22050.0;
    f64 equalizer_minFreq = 55.0;
    u8 extractAuto = 1;
    u8 extractOverwriteWarning = 1;
    u8 extractWarning = 1;
    u8 find[8] = {0, 1, 1, 1, 0xFF, 0xFF, 0xFF, 0xFF};  // four answers, then the i32 kind -1
    SamplePeriod insWavePeriod{44100, 44100};
    SamplePeriod newFilePeriod{44100, 44100};
    f64 newTempo = 1.0;
    f64 oldTempo = 1.0;
    u8 openInNewTab = 1;
    IntervalValue pitchData_pitch = interval(12.0, IntervalUnit::Semitones);
    IntervalValue pitchData_vibration = interval(0.2, IntervalUnit::Cents);
    u32 pulsationFade = 1;
    SamplePeriod pulsationPeriod{8820, 44100};
    SamplePeriod silence_period{2205, 44100};
    f64 smoothTime = 0.05;
    u8 smoothing = 0;
    GString statusLine;
    u8 switchToConverterWarning = 1;
    u8 undoDiskLimitWarning = 1;
    SamplePeriod vibrationPeriod{8820, 44100};
    u64 workFileLimit = 1073741824;

    EchoParams Echo;
    FourierSettings Fourier;
    WavePaneSettings Pane;
    PerformanceSettings Performance;
    PitchSettings Pitch;
    RecordSettings Record;
    ReverbSettings Reverberation;
};
