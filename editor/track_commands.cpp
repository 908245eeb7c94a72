#include "editor/track_commands.h"

#include <vector>

#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "core/block_base.h"
#include "core/gfile.h"
#include "editor/editor_window.h"
#include "editor/sound_blocks.h"
#include "editor/stroke_commands.h"
#include "editor/track_dialogs.h"
#include "engine/file_requests.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "mm/sound_file.h"

namespace {

enum : u32 { SaveFragment = 309, TracksAddRemove = 562, Mix = 589 };

// Where the add and remove dialog was last; empty until then.
RECT tracksDialogRect = {0, 0, 0, 0};

// The save dialog over a file-type list of its own, put back afterwards; false on cancel or when the
// chosen file is the document's own (it is read while the new one is written).
bool chooseTarget(EditorWindow* e, RavoText list, const char* proposed, GString* out) {
    GFileDialog* d = e->saveDialog ? e->saveDialog : &soundFileDialog;
    char** kept = d->filterText;
    d->filterText = ravoTextSlot(list);
    if (proposed) d->setPath(proposed);
    const bool chosen = runFileDialog(d, 0, e->window, FileSave);
    d->filterText = kept;
    if (!chosen || !d->nameBuffer || !*d->nameBuffer) return false;
    stringAssignText(*out, d->nameBuffer);
    if (e->isAttachedFile(out->c_str())) {
        showMessageBox(&mbError, e->window, ravoText(RavoText::TargetIsDocument));
        return false;
    }
    return true;
}

// The document's path with its extension replaced by "wav".
GString mixProposal(const char* path) {
    GString out(path ? path : "");
    const char* text = out.c_str();
    i64 dot = -1;
    for (i64 i = 0; text[i]; ++i) {
        if (text[i] == '.') dot = i;
        else if (text[i] == '\\' || text[i] == '/') dot = -1;
    }
    GString proposed;
    if (dot >= 0) {
        std::string head(text, (size_t)dot);
        stringAssignText(proposed, head.c_str());
    } else {
        proposed = out;
    }
    stringAppend(proposed, ".wav");
    return proposed;
}

// The bytes of the document's file before and after the sound's block; false when the file cannot
// be read again.
bool soundBlockBounds(EditorWindow* e, u64* before, u64* after) {
    SoundFileLayout layout;
    GFile file(&e->errorHandler);
    if (!OpenFileRegistry::reopen(file, &e->fileHolder, FileFlag::Read | RegistryMode::OthersWait)) return false;
    const bool read = readSoundFileLayout(file, &layout);
    const i64 size = fileSize(file);
    OpenFileRegistry::endReopen(file);
    if (!read || size < 0) return false;
    std::vector<SoundCandidate> candidates;
    collectSoundCandidates(layout.root, candidates);
    const size_t chosen = e->currentBlock >= 0 ? (size_t)e->currentBlock : 0;
    if (chosen >= candidates.size() || !candidates[chosen].form) return false;
    const BlockBase* form = candidates[chosen].form;
    const u64 end = std::min<u64>(form->start + form->size, (u64)size);
    *before = form->start;
    *after = (u64)size - end;
    return true;
}

i32 runTracksAddRemove(EditorWindow* e, const char* title, SoundBlockProcessor* p) {
    if (showMessageBox(&mbQuestion, e->window, ravoText(RavoText::TracksConfirm)) != 6) return 0;
    auto* params = new SoundFormatParams;
    p->setAuxObject(params);
    params->format = e->format;
    const u32 oldTracks = e->format.trackCount();
    GAddRemoveTracksDialog dialog(e->window, &params->format);
    if (!dialog.build(title && *title ? title : ravoText(RavoText::TracksAddRemoveTitle))) return 0;
    if (showModal(&dialog, &tracksDialogRect, PlaceCentreOnOwner) != 1) return 0;
    // A reorder keeps the count: only the mapping tells whether anything changes.
    if (isIdentityMapping(params->format, oldTracks)) return 0;
    u64 before = 0, after = 0;
    if (!soundBlockBounds(e, &before, &after)) return 0;
    p->rangeStart = before;
    p->rangeEnd = after;
    p->rangeLength = e->dataLength;
    return 1;
}

}  // namespace

bool runTrackCommand(EditorWindow* e, u32 id, const char* title, SoundBlockProcessor* p, i32* result) {
    if (isStrokeCommand(id)) {
        *result = runStrokeCommand(e, id, p);
        return true;
    }
    GString target;
    switch (id) {
    case SaveFragment: {
        const bool own = (e->format.flags & formatOwn) != 0;
        *result = chooseTarget(e, own ? RavoText::FragmentOwnFilter : RavoText::FragmentWaveFilter, nullptr, &target) ? 1 : 0;
        break;
    }
    case Mix: {
        GString proposed = mixProposal(e->documentPath());
        *result = chooseTarget(e, RavoText::MixFilter, proposed.c_str(), &target) ? 1 : 0;
        break;
    }
    case TracksAddRemove: *result = runTracksAddRemove(e, title, p); return true;
    default: return false;
    }
    if (*result == 1) p->workBuffer = target;
    return true;
}

bool finishTrackCommand(EditorWindow* e, SoundBlockProcessor* p) {
    if (p->actionId == Mix) {
        // The mix replaces its target only when complete.
        GString path = p->workBuffer;
        if (path.empty() || !pathExists(path.c_str())) return true;
        e->newDocument();
        e->notifyPage(PageTitleChanged);
        e->notifyPage(PageStateChanged);
        e->queueCommand(EditorOpenPath, path.c_str());
        return true;
    }
    if (p->actionId != TracksAddRemove) return false;
    auto* params = dynamic_cast<SoundFormatParams*>(p->auxObject);
    // Refused or failed: the document stays as it is.
    if (!params || !params->file.isOpen() || params->file.failed() || !e->documentPath()) return true;
    GString path(e->documentPath());
    e->newDocument();
    e->notifyPage(PageTitleChanged);
    e->notifyPage(PageStateChanged);
    commitSavedFile(params->file, path.c_str(), true);
    e->queueCommand(EditorOpenPath, path.c_str());
    return true;
}
