#include "editor/file_rows.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/app_settings.h"
#include "app/program_file_dialogs.h"
#include "app/program_texts.h"
#include "app/work_folder.h"
#include "core/error.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/progress.h"
#include "editor/editor_file_commands.h"
#include "editor/editor_window.h"
#include "editor/sound_blocks.h"
#include "engine/processor.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/frame/open_file_registry.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/message_boxes.h"
#include "gui/menus/action_table.h"
#include "mm/codec_plugin.h"
#include "mm/sound_file.h"

bool (*decompressHook)(GWindow* owner, const char* source, i32 stream, const char* target,
                       JobProgress* progress) = nullptr;

namespace {

i32 parsedStreams(const char* path) {
    CodecParseEntry parse = codecPlugin().parseFile;
    if (!parse || !path) return 0;
    const CodecStreamEntry* entries = nullptr;
    const i32 n = parse(path, &entries);
    return entries ? n : 0;
}

enum : u32 { Extract = EditorExtract, ExtractAuto = EditorExtractAuto, Decompress = EditorDecompress,
             DecompressAuto = EditorDecompressAuto };

u32 splitId() {
    static const u32 id = (u32)actionIdByName("SPLIT_FILE");
    return id;
}

void message(EditorWindow* e, const MessageBoxDescription* kind, RavoText id, const char* a = "") {
    GString text;
    stringFormat(text, ravoText(id), a);
    showMessageBox(kind, e->window, text.c_str());
}

void withSeparator(GString& folder) {
    if (!folder.empty() && folder.last() != '\\' && folder.last() != '/') stringAppendChar(folder, '\\');
}

// The document's bare name, its extension cut.
GString stemOf(const char* document) {
    GString name(pathNamePart(document ? document : "", document ? (u32)std::strlen(document) : 0));
    pathRemoveExtension(name);
    return name;
}

GString folderOf(const char* path) {
    GString folder(path ? path : "");
    if (!pathRemoveLastComponent(folder)) stringClear(folder);
    return folder;
}

bool samePath(const char* a, const char* b) {
    char fa[MAX_PATH * 2], fb[MAX_PATH * 2];
    const DWORD na = GetFullPathNameA(a, sizeof fa, fa, nullptr), nb = GetFullPathNameA(b, sizeof fb, fb, nullptr);
    if (!na || !nb || na >= sizeof fa || nb >= sizeof fb) return _stricmp(a, b) == 0;
    return _stricmp(fa, fb) == 0;
}

GString proposedTarget(EditorWindow* e, const char* folder, const char* document, bool extract) {
    if (!extract) return decompressTargetPath(folder, document);
    const i32 at = std::max(e->currentBlock, 0);
    return extractTargetPath(folder, document, at < (i32)e->blockNames.size() ? e->blockNames[at].c_str() : "");
}

// Neither the document's own file nor one another page holds: either would be written under a
// reader.
bool targetFree(EditorWindow* e, const char* target, const char* document) {
    if (samePath(target, document)) {
        message(e, &mbError, RavoText::FileRowOwnFile, target);
        return false;
    }
    if (findWindowForFile(TypeEditorWindow, target) || OpenFileRegistry::recordOf(target)) {
        message(e, &mbError, RavoText::EditorFileHeld, target);
        return false;
    }
    return true;
}

// An existing target is replaced after a yes while the switch is on.
bool replaceAsked(EditorWindow* e, const char* target, u8 warning) {
    if (!warning || !pathExists(target)) return true;
    GString text;
    stringFormat(text, ravoText(RavoText::FileOverwrite), target);
    return showMessageBox(&mbQuestion, e->window, text.c_str()) == 6;
}

// The target of an automatic row: in the work folder, asked about when it exists and the switch
// is on.
bool autoTarget(EditorWindow* e, GString& target, u8 warning, const char* document, bool extract) {
    GString folder;
    loadWorkDirectory(folder);
    expandPathMacros(folder);
    normalizePath(folder);
    target = proposedTarget(e, folder.c_str(), document, extract);
    if (!targetFree(e, target.c_str(), document)) return false;
    return replaceAsked(e, target.c_str(), warning);
}

// The target chosen in the Editor's save dialog, proposed in its folder, with a check box for the
// switch; a file is replaced after a question only while the switch is on.
bool chosenTarget(EditorWindow* e, GString& target, u8& warning, const char* document, bool extract) {
    GFileDialog* dialog = e->saveDialog;
    if (!dialog) return false;
    GString folder(dialog->folderText);
    if (folder.empty()) folder = folderOf(document);
    target = proposedTarget(e, folder.c_str(), document, extract);
    dialog->setPath(target.c_str());
    const u32 keep = dialog->noOverwritePrompt;
    dialog->noOverwritePrompt = 2;
    dialog->checkText = ravoText(extract ? RavoText::OptionsExtractOverwrite : RavoText::OptionsConvertOverwrite);
    dialog->checkValue = &warning;
    const bool chosen = runFileDialog(dialog, e->historyKind(), e->window, FileSave);
    dialog->noOverwritePrompt = keep;
    dialog->checkText = nullptr;
    dialog->checkValue = nullptr;
    if (!chosen) return false;
    dialog->chosenPath(0, target);
    return targetFree(e, target.c_str(), document) && replaceAsked(e, target.c_str(), warning);
}

i32 prepareExtract(EditorWindow* e, u32 id, SoundBlockProcessor* p, const char* document) {
    if (e->blockNames.size() <= 1) {
        message(e, &mbError, RavoText::FileRowOneSound);
        return 0;
    }
    u8& warning = appSettings.Editor.extractOverwriteWarning;
    GString target;
    if (!(id == ExtractAuto ? autoTarget(e, target, warning, document, true)
                            : chosenTarget(e, target, warning, document, true)))
        return 0;
    p->workBuffer = target;
    p->rangeLength = std::max<u64>(e->dataLength, 1);
    return 1;
}

i32 prepareDecompress(EditorWindow* e, u32 id, SoundBlockProcessor* p, const char* document) {
    if (e->samplesPresent && e->blockNames.size() <= 1) {
        message(e, &mbError, RavoText::FileRowPlain);
        return 0;
    }
    i32 stream = -1;
    if (e->fileKind == kBlockFileKind) {
        if (e->blockNames.size() > 1) stream = e->currentBlock;
    } else if (codecStreamCount(document) <= 0) {
        message(e, &mbError, RavoText::FileRowNothingToDecode, document);
        return 0;
    }
    u8& warning = appSettings.Editor.convertOverwriteWarning;
    GString target;
    if (!(id == DecompressAuto ? autoTarget(e, target, warning, document, false)
                               : chosenTarget(e, target, warning, document, false)))
        return 0;
    p->workBuffer = target;
    p->paramInt = (u32)stream;
    const i64 size = fileSizeByName(document);
    p->rangeLength = size > 0 ? (u64)size : 1;
    return 1;
}

i32 prepareSplit(EditorWindow* e, SoundBlockProcessor* p, const char* document) {
    if (e->blockNames.size() <= 1) {
        message(e, &mbError, RavoText::FileRowOneSound);
        return -1;
    }
    GFileDialog* dialog = &generalFileDialog;
    GString proposed(document);
    pathRemoveExtension(proposed);
    dialog->setPath(proposed.c_str());
    const char* title = dialog->ofn.lpstrTitle;
    dialog->ofn.lpstrTitle = ravoText(RavoText::FileSplitTitle);
    const bool chosen = runFileDialog(dialog, 0, e->window, FolderCreate);
    dialog->ofn.lpstrTitle = title;
    if (!chosen) return 0;
    p->workBuffer = dialog->folderText;
    const i64 size = fileSizeByName(document);
    p->rangeLength = size > 0 ? (u64)size : 1;
    return 1;
}

// The document's file lent to the job while the blocks are written.
struct LentFile {
    LentFile(EditorWindow* e, ErrorHandler* handler) : file(handler) {
        lent = OpenFileRegistry::reopen(file, &e->fileHolder, FileFlag::Read | RegistryMode::OthersWait);
    }
    ~LentFile() {
        if (lent) OpenFileRegistry::endReopen(file);
    }
    GFile file;
    bool lent = false;
};

bool writeBlocks(EditorWindow* e, SoundBlockProcessor* p, bool all) {
    WindowErrorHandler handler(e->window, 2);
    LentFile source(e, &handler);
    if (!source.lent) return false;
    SoundFileLayout layout;
    std::vector<SoundCandidate> candidates;
    if (!readSoundFileLayout(source.file, &layout)) return false;
    collectSoundCandidates(layout.root, candidates);
    if (!all) {
        const i32 at = e->currentBlock;
        if (at < 0 || at >= (i32)candidates.size()) return false;
        return writeBlockAsWave(candidates[at].form, &source.file, p->workBuffer.c_str(), p->progress, &handler);
    }
    const char* folder = p->workBuffer.c_str();
    if (!pathIsDirectory(folder) && !createDirectory(folder, &handler)) return false;
    u32 written = 0;
    for (const SoundCandidate& c : candidates) {
        GString part = splitPartPath(folder, c.name.c_str(), written);
        if (p->progress && p->progress->report(c.form->start, nullptr)) return false;
        if (!writeBlockAsWave(c.form, &source.file, part.c_str(), nullptr, &handler)) return false;
        p->paramInt = ++written;
    }
    return true;
}

}  // namespace

i32 (*codecStreamCount)(const char* path) = parsedStreams;

GString extractTargetPath(const char* folder, const char* document, const char* streamName) {
    GString out(folder ? folder : "");
    withSeparator(out);
    stringAppend(out, stemOf(document).c_str());
    stringAppendChar(out, '.');
    const GString name = safePartName(streamName);
    stringAppend(out, name.empty() ? "unnamed" : name.c_str());
    pathSetExtension(out, "wav");
    return out;
}

GString decompressTargetPath(const char* folder, const char* document) {
    GString out(folder ? folder : "");
    withSeparator(out);
    const char* name = pathNamePart(document ? document : "", document ? (u32)std::strlen(document) : 0);
    const bool wave = _stricmp(pathExtensionPtr(name), "wav") == 0;
    stringAppend(out, stemOf(document).c_str());
    pathSetExtension(out, wave ? "-.wav" : "wav");
    return out;
}

bool isFileRow(u32 id) {
    return id == Extract || id == ExtractAuto || id == Decompress || id == DecompressAuto || id == splitId();
}

i32 prepareFileRow(EditorWindow* e, u32 id, SoundBlockProcessor* p) {
    const char* document = e->documentPath();
    if (!document) return 0;
    const GString path(document);
    if (id == Extract || id == ExtractAuto) return prepareExtract(e, id, p, path.c_str());
    if (id == Decompress || id == DecompressAuto) return prepareDecompress(e, id, p, path.c_str());
    return prepareSplit(e, p, path.c_str());
}

bool performFileRow(EditorWindow* e, SoundBlockProcessor* p) {
    const u32 id = p->actionId;
    if (id == Extract || id == ExtractAuto) return writeBlocks(e, p, false);
    if (id == splitId()) return writeBlocks(e, p, true);
    if (id == Decompress || id == DecompressAuto) {
        const char* document = e->documentPath();
        if (!decompressHook || !document) return false;
        const GString source(document);
        return decompressHook(e->window, source.c_str(), (i32)p->paramInt, p->workBuffer.c_str(), p->progress);
    }
    return false;
}

void reportFileRow(EditorWindow* e, SoundBlockProcessor* p) {
    if (p->actionId == splitId()) {
        GString text;
        stringFormat(text, ravoText(RavoText::FileSplitDone), p->paramInt);
        showMessageBox(&mbInformation, e->window, text.c_str());
        return;
    }
    // The written file opens in the page.
    if (!p->workBuffer.empty()) e->queueCommand(EditorOpenPath, p->workBuffer.c_str());
}
