#pragma once
// The spectrum command tests' fixture: a spectrum window, boxes recorded instead of shown, the pitch
// and amplitude dialogs scripted through their seams, and the settings the commands read at their
// starting values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_settings.h"
#include "gui/kernel/message_box.h"
#include "tests/gui/gui_fixture.h"
#include "tests/spectrum/harmonic_fixture.h"
#include "tests/spectrum/harmonic_window_fixture.h"

struct ValueDialogScript {
    bool ok = true;
    f64 value = 1.0;  // the ratio, factor or sample value the user enters
    std::vector<std::string> helpPages;
    IntervalRange intervalRange{};
    LevelRange levelRange{};
};

inline std::vector<std::string>& shownBoxes() {
    static std::vector<std::string> boxes;
    return boxes;
}
inline ValueDialogScript& valueScript() {
    static ValueDialogScript script;
    return script;
}

struct HarmonicCommandTest : ::testing::Test {
    TestApplication app;
    SpectrumCalls::RunPitchDialog savedPitch = SpectrumCalls::runPitchDialog;
    SpectrumCalls::RunAmpDialog savedAmp = SpectrumCalls::runAmpDialog;
    AppSettings savedSettings = appSettings;

    static i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
        shownBoxes().push_back(text);
        return 1;
    }
    static bool pitch(GWindow*, const char* help, const char*, const char*, const char*, IntervalValue* value,
                      const IntervalRange& range) {
        ValueDialogScript& s = valueScript();
        s.helpPages.push_back(help);
        s.intervalRange = range;
        if (!s.ok) return false;
        semitoneRatio(value, semitonesOfRatio(s.value), IntervalUnit::Ratio);
        value->ratio = s.value;
        return true;
    }
    static bool amp(GWindow*, const char* help, const char*, const char*, LevelValue* value, const LevelRange& range) {
        ValueDialogScript& s = valueScript();
        s.helpPages.push_back(help);
        s.levelRange = range;
        if (!s.ok) return false;
        value->sampleValue = s.value;
        value->factor = s.value;
        return true;
    }
    void SetUp() override {
        shownBoxes().clear();
        valueScript() = ValueDialogScript();
        setMessageBoxSink(recordBox);
        SpectrumCalls::runPitchDialog = pitch;
        SpectrumCalls::runAmpDialog = amp;
        appSettings.Spectrum = SpectrumSettings();
        generationThreshold = 0.0;
        subharmonicDepth = 0;
    }
    void TearDown() override {
        setMessageBoxSink(nullptr);
        SpectrumCalls::runPitchDialog = savedPitch;
        SpectrumCalls::runAmpDialog = savedAmp;
        appSettings = savedSettings;
    }
};

inline HarmonicRecord overtoneOf(f64 frequency, i32 overtone, f64 amplitude = 1000.0) {
    HarmonicRecord r = harmonic(frequency, amplitude);
    r.overtone = overtone;
    r.baseFrequency = baseOfOvertone(frequency, overtone);
    return r;
}
