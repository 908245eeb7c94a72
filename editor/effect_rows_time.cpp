// Rows of the effect handler: PITCH_SCALE, PITCH, TEMPO, STRETCH, SETSIZE, INSWAVE, the pulsations,
// the vibratos, the cut and pass filters, the biquad filters and the hum and noise removal.
#include "editor/effect_rows_time.h"

#include <algorithm>

#include "app/app_settings.h"
#include "app/effect_bodies.h"
#include "app/pitch_dialogs.h"
#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "editor/effect_preview.h"
#include "editor/wave_pane.h"
#include "engine/filters.h"
#include "engine/frame_walk.h"
#include "engine/processor.h"
#include "engine/pulsation.h"
#include "engine/size_fields.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"

CutFilterValues cutFilterValues;
BiquadValues biquadValues;

namespace {

enum : u32 {
    PitchScale = 402,
    Pitch = 403,
    Tempo = 404,
    Stretch = 405,
    SetSize = 483,
    InsWave = 484,
    Pulsation = 506,
    PulsationDissymetric = 509,
    PulsationRandom = 510,
    Vibrato = 515,
    VibratoRandom = 516,
    LowCut = 518,
    HighCut = 519,
    BandPass = 520,
    BandCut = 521,
    BqfLowPass = 524,
    BqfPhaser = 531,
    RemoveHum = 595,
    RemoveNoise7000 = 598,
};

bool accepted(GDialog& dialog) { return placeWindowAuto(&dialog, PlaceCentreOnOwner) == 1; }

u32 soundRate(EditorWindow* e) { return std::max<u32>(e->format.sampleRate, 1); }

u64 cursorByte(EditorWindow* e) { return e->dataStart + e->pane->cursor * (u64)e->format.bytesPerFrame; }

// One hour of frames at the rate, within the field's u32.
u32 oneHour(u32 rate) { return (u32)std::min<u64>((u64)rate * 3600, 0xFFFFFFFFull); }

// The resampling kernels need 4 frames: a shorter range is refused before its dialog.
bool longEnough(EditorWindow* e, const SoundBlockProcessor& p) {
    if (rangeFrames(p) >= 4) return true;
    showMessageBox(&mbError, e->window, ravoText(RavoText::EffectTooShort));
    return false;
}

i32 runPitchScale(EditorWindow* e, const char* title, SoundBlockProcessor* p) {
    IntervalValue& value = appSettings.Editor.pitchData_pitch;
    PitchDialog dialog(e->window);
    if (!buildFrequencyBody(&dialog, title, ravoText(RavoText::PitchScaleCaption), ravoText(RavoText::PitchInterval),
                            &value, IntervalRange::fromSemitones(-120.0, 120.0)))
        return 0;
    if (!accepted(dialog)) return 0;
    p->param1 = value.ratio;
    setResizedRange(*p, cursorByte(e), false);
    return 1;
}

i32 runPitchShift(EditorWindow* e, u32 id, const char* title, SoundBlockProcessor* p) {
    EditorSettings& s = appSettings.Editor;
    const u32 oldFrames = (u32)std::min<u64>(rangeFrames(*p), 0xFFFFFFFFull);
    // The stretch's length at the sound's rate: untouched, it is the selection's.
    SamplePeriod length{oldFrames, soundRate(e)};
    PitchShiftDialog dialog(e->window, id == Pitch ? "transp.htm" : "tempo.htm");
    if (!buildPitchShiftBody(&dialog, title, id, &s, &length, soundRate(e))) return 0;
    // PITCH keeps the length: it previews.
    if (id == Pitch)
        return runEffectDialog(e, p, &dialog, [&] {
            setVocoderFields(*p, s.Pitch);
            p->param1 = s.pitchData_pitch.ratio;
        });
    if (!accepted(dialog)) return 0;
    setVocoderFields(*p, s.Pitch);
    if (id == Tempo) {
        p->param1 = s.newTempo / s.oldTempo;
    } else {
        const u64 newFrames = lengthAtRate(length.count, length.rate, p->sampleRate);
        p->param1 = stretchFactor(oldFrames, (u32)std::min<u64>(newFrames, 0xFFFFFFFFull));
    }
    setResizedRange(*p, cursorByte(e), true);
    return 1;
}

i32 runSetSize(EditorWindow* e, const char* title, SoundBlockProcessor* p) {
    const u32 rate = soundRate(e);
    const u64 frames = e->dataLength / std::max<u32>(e->format.bytesPerFrame, 1);
    SamplePeriod length{(u32)std::min<u64>(frames, 0xFFFFFFFFull), rate};
    const SampleCountRange options = {0, 0, oneHour(rate), -1};
    DurationDialog dialog(e->window, "setsize.htm");
    if (!buildDurationBody(&dialog, title, ravoText(RavoText::SetSizeCaption), &length, options, rate)) return 0;
    if (!accepted(dialog)) return 0;
    return setNewLength(*p, lengthAtRate(length.count, length.rate, p->sampleRate)) ? 1 : -1;
}

i32 runInsWave(EditorWindow* e, const char* title, SoundBlockProcessor* p) {
    const u32 rate = soundRate(e);
    SamplePeriod& length = appSettings.Editor.insWavePeriod;
    const SampleCountRange options = {0, 1, oneHour(rate), -1};
    DurationDialog dialog(e->window, "copypaste.htm");
    if (!buildDurationBody(&dialog, title, ravoText(RavoText::InsWaveCaption), &length, options, rate)) return 0;
    if (!accepted(dialog)) return 0;
    setInsertRange(*p, e->pane->cursor, lengthAtRate(length.count, length.rate, p->sampleRate));
    return 1;
}

i32 runPulsation(EditorWindow* e, u32 id, const char* title, SoundBlockProcessor* p) {
    EditorSettings& s = appSettings.Editor;
    const bool random = id == PulsationRandom;
    const u32 kind = id == PulsationDissymetric || random ? 2 : 1;
    PulsationDialog dialog(e->window, "pulse.htm");
    if (!buildPulsationBody(&dialog, title, kind, &s.ampData_pulse0, &s.ampData_pulse1, &s.ampData_pulse2,
                            random ? nullptr : &s.pulsationFade, &s.pulsationPeriod, soundRate(e)))
        return 0;
    return runEffectDialog(e, p, &dialog, [&] {
        PulsationSettings settings;
        settings.depth = s.ampData_pulse0.factor;
        settings.upperDepth = s.ampData_pulse1.factor;
        settings.lowerDepth = s.ampData_pulse2.factor;
        settings.periodCount = s.pulsationPeriod.count;
        settings.periodRate = s.pulsationPeriod.rate;
        settings.fadeChoice = random ? pulsationFadeNone : s.pulsationFade;
        setPulsationParameters(*p, settings);
    });
}

i32 runVibrato(EditorWindow* e, const char* title, SoundBlockProcessor* p) {
    EditorSettings& s = appSettings.Editor;
    VibrationDialog dialog(e->window, "vibrato.htm");
    if (!buildVibratoBody(&dialog, title, ravoText(RavoText::VibratoCaption), &s.pitchData_vibration,
                          &s.vibrationPeriod, soundRate(e)))
        return 0;
    return runEffectDialog(e, p, &dialog, [&] {
        p->periodFrames = std::max<u32>(s.vibrationPeriod.countAt(p->sampleRate), 1);
        p->param1 = s.pitchData_vibration.ratio;
    });
}

i32 runCutFilter(EditorWindow* e, u32 id, const char* title, SoundBlockProcessor* p) {
    CutFilterValues& v = cutFilterValues;
    FilterFields fields;
    fields.order = &v.passes;
    if (id == LowCut || id == HighCut) {
        fields.label1 = ravoText(RavoText::FilterFrequency);
        fields.frequency1 = id == LowCut ? &v.low : &v.high;
    } else {
        fields.label1 = ravoText(RavoText::FilterLowFrequency);
        fields.frequency1 = &v.low;
        fields.label2 = ravoText(RavoText::FilterHighFrequency);
        fields.frequency2 = &v.high;
    }
    GFilterDialog dialog(e->window);
    if (!buildFilterBody(&dialog, title, fields)) return 0;
    return runEffectDialog(e, p, &dialog, [&] {
        p->param1 = id == HighCut ? v.high : v.low;
        p->param2 = v.high;
        setFilterPasses(*p, (u32)std::max(v.passes, 1));
    });
}

i32 runBiquad(EditorWindow* e, u32 id, const char* title, SoundBlockProcessor* p) {
    biquadValues.order = &cutFilterValues.passes;
    GBQFFilterDialog dialog(e->window);
    if (!buildBiquadBody(&dialog, title, id - BqfLowPass, &biquadValues)) return 0;
    return runEffectDialog(e, p, &dialog, [&] { setBiquadFields(*p, dialog.biquad); });
}

}  // namespace

bool isTimeEffectRow(u32 id) {
    return (id >= PitchScale && id <= Stretch) || id == SetSize || id == InsWave ||
           (id >= Pulsation && id <= PulsationRandom) || id == Vibrato || id == VibratoRandom ||
           (id >= LowCut && id <= BandCut) || (id >= BqfLowPass && id <= BqfPhaser) ||
           (id >= RemoveHum && id <= RemoveNoise7000);
}

i32 runTimeEffectRow(EditorWindow* e, u32 id, const char* title, SoundBlockProcessor* p) {
    switch (id) {
    case PitchScale: return longEnough(e, *p) ? runPitchScale(e, title, p) : 0;
    case Pitch:
    case Tempo:
    case Stretch: return longEnough(e, *p) ? runPitchShift(e, id, title, p) : 0;
    case SetSize: return runSetSize(e, title, p);
    case InsWave: return runInsWave(e, title, p);
    case Vibrato:
    case VibratoRandom: return longEnough(e, *p) ? runVibrato(e, title, p) : 0;
    default: break;
    }
    if (id >= Pulsation && id <= PulsationRandom) return runPulsation(e, id, title, p);
    if (id >= LowCut && id <= BandCut) return runCutFilter(e, id, title, p);
    if (id >= BqfLowPass && id <= BqfPhaser) return runBiquad(e, id, title, p);
    setBiquadPreset(*p, id);
    return 1;
}

u64 cursorAfterResize(u64 c, u64 rangeStart, u64 rangeEnd, u64 newLength, u32 frameBytes, f64 factor) {
    if (c <= rangeStart) return unsetPosition;
    if (c >= rangeEnd) return c - rangeEnd + newLength + rangeStart;
    const u64 fb = std::max<u32>(frameBytes, 1);
    const f64 frames = (f64)((c - rangeStart) / fb) / factor;
    return rangeStart + (u64)frames * fb;
}

void setResizedRange(SoundBlockProcessor& p, u64 cursor, bool vocoder) {
    const u64 oldLength = p.rangeEnd - p.rangeStart, newLength = p.resultRangeLength();
    p.rangeLength = vocoder ? newLength + std::max(newLength, oldLength) : newLength;
    p.extraPositions[newSelectionStart] = p.rangeStart;
    p.extraPositions[newSelectionEnd] = p.rangeStart + newLength;
    p.extraPositions[newCursor] =
        cursorAfterResize(cursor, p.rangeStart, p.rangeEnd, newLength, (u32)std::max(p.frameBytes, 0), p.param1);
}

f64 stretchFactor(u32 oldFrames, u32 newFrames) { return (f64)oldFrames / (f64)newFrames; }

void setVocoderFields(SoundBlockProcessor& p, const PitchSettings& a) {
    p.periodFrames = a.fftSize;
    p.paramInt2 = a.overlapFactor;
    p.paramInt3 = a.windowFunction;
}

void setBiquadFields(SoundBlockProcessor& p, const BiquadResult& r) {
    p.param1 = r.gain;
    p.param2 = r.frequency;
    p.param3 = r.third;
    setFilterPasses(p, r.order);
}
