#include "editor/effect_rows_echo.h"

#include "app/app_settings.h"
#include "app/chorus_dialog.h"
#include "app/echo_dialog.h"
#include "app/effect_records.h"
#include "app/equalizer_dialog.h"
#include "app/reverb_dialog.h"
#include "editor/editor_window.h"
#include "editor/effect_preview.h"
#include "engine/chorus_params.h"
#include "engine/echo_reflections.h"
#include "engine/filters.h"
#include "engine/processor.h"

namespace {
enum : u32 { Echo = 503, Reverberation = 504, Equalizer = 522, Chorus = 532 };

i32 runEcho(EditorWindow* editor, const char* title, SoundBlockProcessor* p) {
    EchoParams& record = appSettings.Editor.Echo;
    EchoDialog dialog(editor->window);
    if (!buildEchoBody(&dialog, title, &record, editor->format.sampleRate)) return 0;
    return runEffectDialog(editor, p, &dialog, [&] { p->setAuxObject(echoReflectionsOf(record, p->sampleRate)); });
}

i32 runReverberation(EditorWindow* editor, const char* title, SoundBlockProcessor* p) {
    ReverbSettings& settings = appSettings.Editor.Reverberation;
    ReverberationDialog dialog(editor->window);
    if (!buildReverberationBody(&dialog, title, &settings, editor->format.sampleRate)) return 0;
    return runEffectDialog(editor, p, &dialog, [&] { p->setAuxObject(reverbReflections(settings.data, p->sampleRate)); });
}

i32 runEqualizer(EditorWindow* editor, const char* title, SoundBlockProcessor* p) {
    ScaleSetting& bank = appSettings.Editor.equalizer_data;
    EqualizerDialog dialog(editor->window);
    if (!buildEqualizerBody(&dialog, title, &bank)) return 0;
    return runEffectDialog(editor, p, &dialog, [&] {
        EqParams* eq = new EqParams;
        eq->startFrequency = bank.start;
        eq->endFrequency = bank.end;
        eq->bandRatio = bank.factor;
        eq->bandGains.assign(bank.values.data, bank.values.data + bank.values.count);
        p->setAuxObject(eq);
    });
}

i32 runChorus(EditorWindow* editor, const char* title, SoundBlockProcessor* p) {
    // The dialog fills these on every end; each pass hands the processor its own copy.
    ChorusParams params;
    ChorusDialog dialog(editor->window);
    if (!buildChorusBody(&dialog, title, &params, p->sampleRate)) return 0;
    return runEffectDialog(editor, p, &dialog, [&] { p->setAuxObject(new ChorusParams(params)); });
}
}  // namespace

bool runEchoFamilyRow(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* p, i32* result) {
    switch (id) {
    case Echo: *result = runEcho(editor, title, p); return true;
    case Reverberation: *result = runReverberation(editor, title, p); return true;
    case Equalizer: *result = runEqualizer(editor, title, p); return true;
    case Chorus: *result = runChorus(editor, title, p); return true;
    default: break;
    }
    EchoReflectionList* preset = echoPreset(id, p->sampleRate);
    if (!preset) return false;
    p->setAuxObject(preset);
    *result = 1;
    return true;
}
