#include "editor/effect_rows_analysis.h"

#include <cstring>

#include "app/app_settings.h"
#include "app/fft_dialog.h"
#include "app/find_dialog.h"
#include "app/harmonic_dialog.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "core/exceptions.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "engine/analysis_requests.h"
#include "engine/find_params.h"
#include "engine/processor.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/frame/open_file_registry.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"

namespace {

enum : u32 {
    Fft = 446,
    FftRepeat = 447,
    FftGen = 449,
    FftGenMix = 450,
    SineGen = 451,
    SineGenMix = 452,
    Find = 454,
    FindNext = 455,
};

bool refuseWithoutTrack(EditorWindow* editor, SoundBlockProcessor* p) {
    if (p->selectedChannelCount > 0) return false;
    showMessageBox(&mbError, editor->window, ravoText(RavoText::EditorNoTrack));
    return true;
}

// The pane's selection in frames; an empty one offers the whole sound (false: declined).
bool selectionOrWhole(EditorWindow* editor, u64 frames, bool selectWhole, u64* from, u64* to) {
    WavePane* pane = editor->pane;
    if (pane->selStart < pane->selEnd) {
        *from = pane->selStart;
        *to = pane->selEnd < frames ? pane->selEnd : frames;
        return true;
    }
    if (!askYesNo(ravoText(RavoText::EditorWholeSound))) return false;
    *from = 0;
    *to = frames;
    if (selectWhole) pane->setSelection(0, frames);
    return true;
}

i32 runFft(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* p) {
    if (refuseWithoutTrack(editor, p)) return 0;
    FourierSettings& f = appSettings.Editor.Fourier;
    if (id == Fft) {
        FFTDialog dialog(editor->window);
        if (!buildFftBody(&dialog, title, &f)) return 0;
        if (placeWindowAuto(&dialog, PlaceCentreOnOwner) != 1) return 0;
    }
    p->paramInt = f.newTabMode;
    const u64 fb = editor->format.bytesPerFrame ? editor->format.bytesPerFrame : 1;
    const u64 frames = editor->dataLength / fb;
    u64 from = 0, to = 0;
    if (f.selection == 0) {
        const FrameSpan span = fftCursorSpan(editor->pane->cursor, f.defaultSize, frames);
        from = span.start;
        to = span.end;
    } else if (!selectionOrWhole(editor, frames, true, &from, &to)) {
        return 0;
    }
    if (p->selectedChannelCount > 1 && f.multiChannelMode == 0) {
        showMessageBox(&mbError, editor->window, ravoText(RavoText::FftSeveralTracks));
        return 0;
    }
    if (const i32 fit = fftFramesFit(to > from ? to - from : 0)) {
        showMessageBox(&mbError, editor->window, ravoText(fit < 0 ? RavoText::FftTooShort : RavoText::FftTooLong));
        return 0;
    }
    p->rangeStart = editor->dataStart + from * fb;
    p->rangeEnd = editor->dataStart + to * fb;
    p->rangeLength = p->rangeEnd - p->rangeStart;
    auto* analysis = new FftAnalysis;
    analysis->peakThreshold = f.ampLimit;
    analysis->windowType = f.windowFunction;
    analysis->singlePeak = f.newTabMode == 2 ? 1 : 0;
    analysis->sumChannels = f.multiChannelMode == 1 ? 1 : 0;
    analysis->phaseRefine = f.restoreTrueFrequencies ? 1 : 0;
    p->setAuxObject(analysis);
    return 1;
}

// A holder of the registry's shared stream for one read.
class ReadOnce : public OpenFileHolder {
public:
    void onFileEvent(i32, GFile*) override {}
};

i32 runFftGenerate(EditorWindow* editor, SoundBlockProcessor* p) {
    if (!runFileDialog(&spectrumFileDialog, 0, editor->window, FileOpenOne)) return 0;
    GString path;
    spectrumFileDialog.chosenPath(0, path);
    auto* source = new SpectrumSource;
    initSpectrumHeader(&source->header);
    p->setAuxObject(source);
    ReadOnce holder;
    holder.handler = &editor->errorHandler;
    if (OpenFileRegistry::attach(path.c_str(), &holder)) {
        GFile file(&editor->errorHandler);
        if (OpenFileRegistry::reopen(file, &holder, FileFlag::Read | RegistryMode::OthersWait)) {
            try {
                readSpectrumFile(&source->header, source->harmonics, file);
            } catch (GException&) {
                // Reported; the generation finds what was read.
            }
            OpenFileRegistry::endReopen(file);
        }
        OpenFileRegistry::detach(&holder);
    }
    return 1;
}

i32 runSine(EditorWindow* editor, const char* title, SoundBlockProcessor* p) {
    HarmonicOneDialog dialog(editor->window, "gen.htm");
    if (!buildHarmonicBody(&dialog, title, HarmonicSineFields, sineDefaults())) return 0;
    if (placeWindowAuto(&dialog, PlaceCentreOnOwner) != 1) return 0;
    storeSineDefaults(dialog.values);
    auto* tone = new ToneParams;
    tone->tone = sineDefaults();
    p->setAuxObject(tone);
    return 1;
}

i32 runFind(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* p) {
    if (refuseWithoutTrack(editor, p)) return 0;
    EditorSettings& e = appSettings.Editor;
    WavePane* pane = editor->pane;
    if (id == Find) {
        FindDialog dialog(editor->window, "find.htm");
        FindDialogValues values = {e.find,
                                   &e.ampData_defect,
                                   {{1, 1, 1, 1}, 1.0, 32767.0, 0.001, 1.0, -30.0, 0.0},
                                   &e.ampData_silence_sound,
                                   {{1, 1, 1, 1}, 0.0, 32767.0, 0.0, 1.0, -30.0, 0.0},
                                   &e.defect_period,
                                   &e.silence_period,
                                   pane->selStart < pane->selEnd,
                                   editor->format.sampleRate};
        if (!buildFindBody(&dialog, title, values)) return 0;
        if (placeWindowAuto(&dialog, PlaceCentreOnOwner) != 1) return 0;
    }
    auto* params = new FindParams;
    params->inSelection = e.find[0];
    params->forward = e.find[1];
    params->jumps = e.find[2];
    params->clipping = e.find[3];
    i32 kind;
    std::memcpy(&kind, e.find + 4, 4);
    params->mode = kind < 0 ? findDefects : (u32)kind;
    const bool defects = params->mode == findDefects;
    const LevelValue& level = defects ? e.ampData_defect : e.ampData_silence_sound;
    const SamplePeriod& period = defects ? e.defect_period : e.silence_period;
    params->level = level.sampleValue;
    params->period = periodAtRate(period.count, period.rate, p->sampleRate);
    p->setAuxObject(params);

    const u64 fb = editor->format.bytesPerFrame ? editor->format.bytesPerFrame : 1;
    const u64 frames = editor->dataLength / fb;
    u64 from = pane->selStart, to = pane->selEnd;
    if (params->inSelection && !selectionOrWhole(editor, frames, false, &from, &to)) return 0;
    const u64 origin = editor->dataStart;
    const FindRange r = findRange(*params, origin + pane->cursor * fb, origin + from * fb, origin + to * fb, origin,
                                  origin + frames * fb);
    p->rangeStart = r.start;
    p->rangeEnd = r.end;
    p->rangeLength = r.end - r.start;
    return 1;
}

}  // namespace

FrameSpan fftCursorSpan(u64 cursor, u32 size, u64 frames) {
    const i64 start = (i64)cursor - (i64)(size / 2);
    const i64 end = start + (i64)size;
    FrameSpan span;
    span.start = start < 0 ? 0 : (u64)start;
    span.end = end < 0 ? 0 : (u64)end < frames ? (u64)end : frames;
    return span;
}

i32 fftFramesFit(u64 frames) { return frames < 3 ? -1 : frames > (1ull << 26) ? 1 : 0; }

bool runAnalysisRow(EditorWindow* editor, u32 id, const char* title, SoundBlockProcessor* p, i32* result) {
    switch (id) {
    case Fft:
    case FftRepeat: *result = runFft(editor, id, title, p); return true;
    case FftGen:
    case FftGenMix: *result = runFftGenerate(editor, p); return true;
    case SineGen:
    case SineGenMix: *result = runSine(editor, title, p); return true;
    case Find:
    case FindNext: *result = runFind(editor, id, title, p); return true;
    default: return false;
    }
}
