// The effect command handler's rows: the amplitude dialogs, the clipboard checks, the crossfades,
// CROP and CUTOUT, the work length of CENTER and CUT, and the plug-in ids' hand-over.
#include "editor/effect_command.h"

#include "app/amp_dialog.h"
#include "app/app_settings.h"
#include "app/program_texts.h"
#include "editor/editor_window.h"
#include "editor/effect_preview.h"
#include "editor/effect_rows_analysis.h"
#include "editor/effect_rows_echo.h"
#include "editor/effect_rows_time.h"
#include "editor/file_rows.h"
#include "editor/track_commands.h"
#include "editor/wave_pane.h"
#include "engine/processor.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/menus/action_table.h"
#include "gui/menus/action_texts.h"
#include "gui/menus/popup_menu.h"
#include "mm/sound_clipboard.h"

PluginCommandHandler pluginCommandHandler = nullptr;

namespace {

enum : u32 {
    Add = 395,
    Mul = 396,
    ChangeMaxVolume = 397,
    Assign = 398,
    Center = 401,
    Cut = 411,
    Paste = 414,
    PasteAdd = 415,
    PasteSub = 416,
    PasteInsert = 417,
    PasteRep = 418,
    PasteRepAdd = 419,
    PasteRepSub = 420,
    Crop = 425,
    Cutout = 485,
    NlFading = 489,
    Diminuendo = 490,
    Crescendo = 491,
    Amplify = 523,
    NlPrefading = 544,
    Crossfading = 545,
    CrossfadingBack = 546,
    EffectsMenu = 613,
    InstrumentsMenu = 615,
};

const f64 anyMin = -2147483648.0, anyMax = 2147483647.0;

struct AmpRow {
    u32 id;
    const char* help;
    LevelValue EditorSettings::*record;
    RavoText caption, label;
    LevelRange limits;
    bool byValue;  // param1 takes the sample value, else the factor
};

const AmpRow ampRows[] = {
    {Add, "ari.htm", &EditorSettings::ampData_add, RavoText::AmpCaptionAdd, RavoText::AmpLabelValue,
     {{1, 1, 1, 1}, -32767.0, 32767.0, -1.0, 1.0, -30.0, 0.0}, true},
    {Assign, "ari.htm", &EditorSettings::ampData_assign, RavoText::AmpCaptionAssign, RavoText::AmpLabelValue,
     {{1, 1, 1, 1}, -32767.0, 32767.0, -1.0, 1.0, -30.0, 0.0}, true},
    {Mul, "volume2.htm", &EditorSettings::ampData_mul, RavoText::AmpCaptionMul, RavoText::AmpLabelFactor,
     {{0, 1, 1, 1}, anyMin, anyMax, 0.001, 1000.0, -30.0, 30.0}, false},
    {Amplify, "volume2.htm", &EditorSettings::ampData_mul, RavoText::AmpCaptionMul, RavoText::AmpLabelFactor,
     {{0, 1, 1, 1}, anyMin, anyMax, 0.001, 1000.0, -30.0, 30.0}, false},
    {ChangeMaxVolume, "volume2.htm", &EditorSettings::ampData_set_maximum, RavoText::AmpCaptionMaxVolume,
     RavoText::AmpLabelLevel, {{1, 1, 1, 1}, 1.0, 32767.0, 0.0, 1.0, -30.0, 0.0}, true},
    {NlFading, "volume1.htm", &EditorSettings::ampData_fading, RavoText::AmpCaptionFading, RavoText::AmpLabelLevel,
     {{0, 1, 1, 1}, anyMin, anyMax, -1.0, 0.0, -30.0, 0.0}, false},
    {NlPrefading, "volume1.htm", &EditorSettings::ampData_fading, RavoText::AmpCaptionPrefading,
     RavoText::AmpLabelLevel, {{0, 1, 1, 1}, anyMin, anyMax, -1.0, 0.0, -30.0, 0.0}, false},
    {Diminuendo, "volume1.htm", &EditorSettings::ampData_dim, RavoText::AmpCaptionDiminuendo,
     RavoText::AmpLabelLevel, {{0, 1, 1, 1}, anyMin, anyMax, -1.0, 0.0, -30.0, 0.0}, false},
    {Crescendo, "volume1.htm", &EditorSettings::ampData_cre, RavoText::AmpCaptionCrescendo,
     RavoText::AmpLabelLevel, {{0, 1, 1, 1}, anyMin, anyMax, 0.0, 10.0, -10.0, 10.0}, false},
};

const AmpRow* ampRowOf(u32 id) {
    for (const AmpRow& row : ampRows)
        if (row.id == id) return &row;
    return nullptr;
}

i32 runAmplitude(EditorWindow* editor, const AmpRow& row, const char* title, SoundBlockProcessor* p) {
    LevelValue& record = appSettings.Editor.*row.record;
    AmpDialog dialog(editor->window, row.help);
    dialog.limits = row.limits;
    if (!buildDialogBody(&dialog, title, ravoText(row.caption), ravoText(row.label), &record)) return 0;
    return runEffectDialog(editor, p, &dialog, [&] {
        p->param1 = row.byValue ? record.sampleValue : record.factor;
        if (row.id == ChangeMaxVolume) p->rangeLength *= 2;
    });
}

// Nothing to paste, another rate or, unless only the content and rate count, another track count:
// refused with the message before anything changes.
bool clipboardFits(EditorWindow* editor, SoundBlockProcessor* p, bool tracksCount, u64* clipBytes, u32* clipTracks) {
    SoundClipboard& clip = soundClipboard();
    if (!clip.valid) {
        showMessageBox(&mbError, editor->window, ravoText(RavoText::PasteEmpty));
        return false;
    }
    ClipboardUse use(clip, &editor->errorHandler);
    if (!use.taken()) return false;
    if (clip.format.sampleRate != editor->format.sampleRate) {
        showErrorF(editor->window, ravoText(RavoText::PasteRates), clip.format.sampleRate, editor->format.sampleRate);
        return false;
    }
    *clipTracks = clip.format.trackCount();
    if (tracksCount && *clipTracks != (u32)p->selectedChannelCount) {
        showErrorF(editor->window, ravoText(RavoText::PasteTracks), *clipTracks, (u32)p->selectedChannelCount);
        return false;
    }
    *clipBytes = clip.size;
    return true;
}

i32 runPaste(EditorWindow* editor, u32 id, SoundBlockProcessor* p) {
    const bool insert = id == PasteInsert;
    u64 clipBytes = 0;
    u32 clipTracks = 0;
    if (!clipboardFits(editor, p, !insert, &clipBytes, &clipTracks)) return 0;
    if (id >= PasteRep) return 1;
    const u32 frameWidth = editor->format.bytesPerFrame;
    p->rangeStart = editor->dataStart + editor->pane->cursor * frameWidth;
    if (insert) {
        p->rangeLength = clipTracks ? clipBytes / clipTracks * editor->format.trackCount() : 0;
    } else {
        const u32 clipFrameWidth = soundClipboard().format.bytesPerFrame;
        p->rangeLength = clipFrameWidth ? clipBytes / clipFrameWidth * frameWidth : 0;
    }
    p->rangeEnd = p->rangeStart + p->rangeLength;
    return 1;
}

// The selection's length of sound after it (or before it, backwards) joins the range.
i32 runCrossfade(EditorWindow* editor, u32 id, SoundBlockProcessor* p) {
    const u64 length = p->rangeEnd - p->rangeStart;
    if (id == Crossfading) {
        if (p->soundEnd < p->rangeEnd || p->soundEnd - p->rangeEnd < length) {
            showMessageBox(&mbError, editor->window, ravoText(RavoText::CrossfadeAfter));
            return 0;
        }
        p->rangeEnd += length;
    } else {
        if (p->rangeStart < p->soundStart || p->rangeStart - p->soundStart < length) {
            showMessageBox(&mbError, editor->window, ravoText(RavoText::CrossfadeBefore));
            return 0;
        }
        p->rangeStart -= length;
    }
    return 1;
}

}  // namespace

i32 runEffectCommand(EditorWindow* editor, u32 id, SoundBlockProcessor* p) {
    if (id >= firstPluginActionId) {
        if (dynamicPopupCommand != EffectsMenu && dynamicPopupCommand != InstrumentsMenu) return 1;
        return pluginCommandHandler ? pluginCommandHandler(editor, id, p) : 1;
    }
    GString title;
    if (id >= 100 && id <= 999)
        if (const GActionItem* action = actionById((i32)id)) title = actionTitleWithShortcut(action);
    if (const AmpRow* row = ampRowOf(id)) return runAmplitude(editor, *row, title.c_str(), p);
    i32 rowResult = 1;
    if (runAnalysisRow(editor, id, title.c_str(), p, &rowResult)) return rowResult;
    if (i32 answer; runTrackCommand(editor, id, title.c_str(), p, &answer)) return answer;
    if (isFileRow(id)) return prepareFileRow(editor, id, p);
    if (isTimeEffectRow(id)) return runTimeEffectRow(editor, id, title.c_str(), p);
    if (i32 echoed; runEchoFamilyRow(editor, id, title.c_str(), p, &echoed)) return echoed;
    switch (id) {
    case Center:
    case Cut: p->rangeLength *= 2; return 1;
    case Paste:
    case PasteAdd:
    case PasteSub:
    case PasteInsert:
    case PasteRep:
    case PasteRepAdd:
    case PasteRepSub: return runPaste(editor, id, p);
    case Crossfading:
    case CrossfadingBack: return runCrossfade(editor, id, p);
    case Crop:
    case Cutout: p->rangeLength = 0; return 1;
    default: return 1;
    }
}
