// runFileDialog: the five modes over the system's open and save dialogs, the retries and boxes, and
// the folder chooser (the save dialog with a hook that answers the folder shown).
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <vector>

#include "core/gfile.h"
#include "core/paths.h"
#include "core/task_queue.h"
#include "core/wide_text.h"
#include "gui/dialogs/file_dialog.h"
#include "gui/kernel/application.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/ui_thread.h"
#include "gui/kernel/window.h"
#include "gui/kernel/window_procedure.h"

#ifndef CDN_SELCHANGE
#define CDN_SELCHANGE (CDN_FIRST - 1)
#endif

const FileDialogSystem fileDialogSystemDefaults = {GetOpenFileNameW, GetSaveFileNameW, CommDlgExtendedError};
FileDialogSystem fileDialogSystem = fileDialogSystemDefaults;

const char* fileDialogErrorText(u32 code) {
    static const struct {
        u32 code;
        GuiText text;
    } texts[] = {
        {0xFFFF, GuiText::FileDialogErrorDialogFailure}, {6, GuiText::FileDialogErrorFindResource},
        {2, GuiText::FileDialogErrorInitialization},     {7, GuiText::FileDialogErrorLoadResource},
        {5, GuiText::FileDialogErrorLoadString},         {8, GuiText::FileDialogErrorLockResource},
        {9, GuiText::FileDialogErrorMemAlloc},           {0xA, GuiText::FileDialogErrorMemLock},
        {4, GuiText::FileDialogErrorNoInstance},         {0xB, GuiText::FileDialogErrorNoHook},
        {3, GuiText::FileDialogErrorNoTemplate},         {0xC, GuiText::FileDialogErrorRegisterMessage},
        {1, GuiText::FileDialogErrorStructSize},         {0x3002, GuiText::FileDialogErrorInvalidName},
    };
    for (const auto& t : texts)
        if (t.code == code) return guiText(t.text);
    return guiText(GuiText::FileDialogErrorGeneral);
}

namespace {
const u32 ModeFlags[] = {0x1800, 0x81A00, 0x802, 0x2800 | 0x80020, 0x800 | 0x80020};

// The folder chooser's state for the one run under way.
struct FolderChooser {
    WNDPROC frameProcedure = nullptr;
    wchar_t result[MAX_PATH * 2] = {};
    bool chosen = false;
};
FolderChooser* g_chooser = nullptr;

void readFolderShown(HWND frame, wchar_t* out) {
    out[0] = 0;
    SendMessageW(frame, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)out);
    out[MAX_PATH - 1] = 0;
}

LRESULT CALLBACK chooserFrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    FolderChooser* chooser = g_chooser;
    WNDPROC previous = chooser ? chooser->frameProcedure : nullptr;
    try {
        if (chooser && message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            readFolderShown(frame, chooser->result);
            wchar_t spec[MAX_PATH] = {};
            SendMessageW(frame, CDM_GETSPEC, MAX_PATH, (LPARAM)spec);
            spec[MAX_PATH - 1] = 0;
            if (spec[0]) {
                size_t n = wcslen(chooser->result);
                if (n && chooser->result[n - 1] != L'\\') wcscat(chooser->result, L"\\");
                wcscat(chooser->result, spec);
            }
            chooser->chosen = true;
            EndDialog(frame, 1);
            return 0;
        }
    } catch (...) {
    }
    return previous ? CallWindowProcW(previous, frame, message, wParam, lParam)
                    : DefWindowProcW(frame, message, wParam, lParam);
}

void setControlText(HWND frame, int id, GuiText text) {
    WideString wide = toWide(guiText(text));
    SendMessageW(frame, CDM_SETCONTROLTEXT, id, (LPARAM)wide.c_str());
}

UINT_PTR CALLBACK chooserHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    try {
        HWND frame = GetParent(child);
        if (message == WM_INITDIALOG && g_chooser) {
            g_chooser->frameProcedure =
                (WNDPROC)SetWindowLongPtrW(frame, GWLP_WNDPROC, (LONG_PTR)chooserFrameProcedure);
            SendMessageW(frame, CDM_HIDECONTROL, cmb1, 0);
            SendMessageW(frame, CDM_HIDECONTROL, stc2, 0);
            setControlText(frame, stc3, GuiText::FolderChooserNameLabel);
            setControlText(frame, IDOK, GuiText::FolderChooserOk);
            setControlText(frame, stc4, GuiText::FolderChooserLookIn);
        } else if (message == WM_NOTIFY && ((NMHDR*)lParam)->code == CDN_SELCHANGE) {
            wchar_t shown[MAX_PATH];
            readFolderShown(frame, shown);
            SendMessageW(frame, CDM_SETCONTROLTEXT, cmb13, (LPARAM)L"");  // the name field (Wine)
            SendMessageW(frame, CDM_SETCONTROLTEXT, edt1, (LPARAM)L"");
        }
    } catch (...) {
    }
    return 0;
}

// The check box of the run under way, in the dialog's child template.
struct CheckBoxRun {
    u8* value = nullptr;
    const wchar_t* text = nullptr;
};
CheckBoxRun* g_check = nullptr;

UINT_PTR CALLBACK checkBoxHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    try {
        if (!g_check) return 0;
        if (message == WM_INITDIALOG) {
            SetDlgItemTextW(child, FileDialogCheckId, g_check->text);
            CheckDlgButton(child, FileDialogCheckId, *g_check->value ? BST_CHECKED : BST_UNCHECKED);
        } else if (message == WM_NOTIFY && ((NMHDR*)lParam)->code == CDN_FILEOK) {
            *g_check->value = IsDlgButtonChecked(child, FileDialogCheckId) == BST_CHECKED ? 1 : 0;
        }
    } catch (...) {
    }
    return 0;
}

// A child dialog template of one check box, in words (DWORD aligned by the vector's storage).
void checkBoxTemplate(std::vector<DWORD>& out) {
    std::vector<WORD> w;
    auto put32 = [&](DWORD v) {
        w.push_back(LOWORD(v));
        w.push_back(HIWORD(v));
    };
    put32(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK | DS_CONTROL | DS_SETFONT);
    put32(0);
    w.push_back(1);  // one control
    for (WORD v : {0, 0, 240, 16}) w.push_back(v);
    w.insert(w.end(), {0, 0, 0, 8});  // no menu, default class, no title; the dialogs' font
    for (const char* c = "MS Shell Dlg"; *c; ++c) w.push_back((WORD)*c);
    w.push_back(0);
    while (w.size() % 2) w.push_back(0);
    put32(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX);
    put32(0);
    for (WORD v : {6, 3, 228, 10}) w.push_back(v);
    w.push_back((WORD)FileDialogCheckId);
    w.insert(w.end(), {0xFFFF, 0x0080, 0, 0});  // button class, no text, no data
    if (w.size() % 2) w.push_back(0);
    out.assign(w.size() / 2, 0);
    memcpy(out.data(), w.data(), w.size() * sizeof(WORD));
}

// The extent of a name buffer: one text, or (multi mode) texts up to an empty one.
u32 bufferExtent(const wchar_t* buffer, u32 size, bool multi) {
    u32 n = 0;
    while (n < size && buffer[n]) ++n;
    if (!multi) return n;
    while (n + 1 < size && buffer[n + 1]) {
        ++n;
        while (n < size && buffer[n]) ++n;
    }
    return n;
}

u32 bytesOf(const wchar_t* text, u32 n) {
    return n ? (u32)WideCharToMultiByte(processCodePage(), 0, text, (int)n, nullptr, 0, nullptr, nullptr) : 0;
}

// One call of the system dialog; the 8-bit block is converted there and back.
BOOL callSystem(GFileDialog* d, GWindow* owner, i32 mode) {
    ModalScope scope(owner, nullptr);
    // The system dialog moves the current directory; the process keeps its own.
    wchar_t currentDirectory[MAX_PATH * 2] = {};
    DWORD currentLength = GetCurrentDirectoryW(MAX_PATH * 2, currentDirectory);
    struct RestoreDirectory {
        const wchar_t* path;
        ~RestoreDirectory() {
            if (*path) SetCurrentDirectoryW(path);
        }
    } restoreDirectory{currentLength < MAX_PATH * 2 ? currentDirectory : L""};
    OPENFILENAMEA& ofn = d->ofn;
    bool multi = mode == FileOpenMany;
    OPENFILENAMEW w;
    memcpy(&w, &ofn, sizeof w);
    GString pairs;
    d->filterPairs(pairs);
    u32 pairsLength = 0;
    while (pairs.c_str()[pairsLength] || pairs.c_str()[pairsLength + 1]) ++pairsLength;
    WideString filter = toWide(pairs.c_str(), (i32)pairsLength + 2);
    WideString folder = toWide(d->folderText.c_str());
    WideString title = toWide(guiText(GuiText::FolderChooserTitle));
    // A title the caller set for this run.
    WideString ownTitle = toWide(ofn.lpstrTitle ? ofn.lpstrTitle : "");
    u32 size = ofn.nMaxFile + 1;
    wchar_t* names = new wchar_t[size]();
    u32 inBytes = 0;
    while (inBytes + 1 < size && (d->nameBuffer[inBytes] || (multi && d->nameBuffer[inBytes + 1]))) ++inBytes;
    if (inBytes)
        MultiByteToWideChar(processCodePage(), 0, d->nameBuffer, (int)inBytes, names, (int)size - 1);
    w.hwndOwner = owner ? owner->hwnd : nullptr;
    w.hInstance = programInstance;
    w.lpstrFilter = filter.c_str();
    w.lpstrCustomFilter = nullptr;
    w.nMaxCustFilter = 0;
    w.lpstrFile = names;
    w.nMaxFile = ofn.nMaxFile;
    w.lpstrFileTitle = nullptr;
    w.nMaxFileTitle = 0;
    w.lpstrInitialDir = d->folderText.empty() ? nullptr : folder.c_str();
    w.lpstrTitle = ofn.lpstrTitle ? ownTitle.c_str() : nullptr;
    w.lpstrDefExt = nullptr;  // the filter's extension is applied after the call
    w.lpfnHook = nullptr;
    w.lpTemplateName = nullptr;
    FolderChooser chooser;
    FolderChooser* outer = g_chooser;
    BOOL ok;
    if (mode >= FolderCreate) {
        w.lpfnHook = chooserHook;
        w.lpstrTitle = ofn.lpstrTitle ? ownTitle.c_str() : title.c_str();
        g_chooser = &chooser;
        ok = fileDialogSystem.save(&w);
        g_chooser = outer;
        if (chooser.chosen) {
            wcsncpy(names, chooser.result, size - 1);
            w.nFileOffset = 0;
            w.nFileExtension = 0;
            ok = TRUE;
        }
    } else {
        CheckBoxRun check;
        CheckBoxRun* outerCheck = g_check;
        std::vector<DWORD> box;
        WideString checkText = toWide(d->checkText ? d->checkText : "");
        if (d->checkText && d->checkValue) {
            checkBoxTemplate(box);
            check.value = d->checkValue;
            check.text = checkText.c_str();
            g_check = &check;
            w.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE;
            w.hInstance = (HINSTANCE)box.data();
            w.lpfnHook = checkBoxHook;
        }
        ok = mode == FileSave ? fileDialogSystem.save(&w) : fileDialogSystem.open(&w);
        g_check = outerCheck;
        w.Flags &= ~(DWORD)(OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE);
    }
    if (ok) {
        u32 extent = bufferExtent(names, size - 1, multi);
        memset(d->nameBuffer, 0, ofn.nMaxFile + 1);
        if (extent) wideToMultibyte(names, extent, d->nameBuffer, ofn.nMaxFile);
        ofn.nFileOffset = (WORD)(w.nFileOffset ? bytesOf(names, w.nFileOffset) : 0);
        ofn.nFileExtension = (WORD)(w.nFileExtension ? bytesOf(names, w.nFileExtension) : 0);
        ofn.nFilterIndex = w.nFilterIndex;
        ofn.Flags = w.Flags;
    }
    delete[] names;
    return ok;
}

bool existsFile(const char* path) { return pathExists(path) && !pathIsDirectory(path); }

// Steps after a confirmed call; false shows the dialog again.
bool takeResult(GFileDialog* d, u32 historyKind, GWindow* owner, i32 mode) {
    char* buffer = d->nameBuffer;
    u32 offset = d->ofn.nFileOffset;
    if (mode == FileOpenMany && offset && buffer[offset - 1] == 0) {
        d->setFolder(buffer);
        u32 found[4096];
        u32 count = 0;
        for (u32 at = offset; buffer[at] && at < d->ofn.nMaxFile; at += (u32)strlen(buffer + at) + 1)
            if (count < sizeof found / sizeof found[0]) found[count++] = at;
        d->setOffsets(found, count);
        if (historyKind) rememberDialogPath(historyKind, d->folderText.c_str());
        buffer[0] = 0;
        return true;
    }
    if (!offset) {
        stringAssignText(d->folderText, buffer);
        d->pointBlock();
    } else {
        GString folder;
        stringAssign(folder, buffer, offset);
        pathStripTrailingSeparator(folder);
        stringMove(d->folderText, folder);
        d->pointBlock();
        const char* name = buffer + offset;
        if (!strchr(name, '.')) {
            GString patterns;
            d->selectedPatterns(patterns);
            const char* first = patterns.c_str();
            const char* end = strchr(first, ';');
            u32 n = end ? (u32)(end - first) : (u32)strlen(first);
            if (n > 2 && first[0] == '*' && first[1] == '.' && !(n == 3 && first[2] == '*')) {
                u32 length = (u32)strlen(buffer);
                if (length + n < d->ofn.nMaxFile) {
                    memcpy(buffer + length, first + 1, n - 1);
                    buffer[length + n - 1] = 0;
                }
            }
        }
    }
    if (historyKind) rememberDialogPath(historyKind, buffer);
    u32 single = offset;
    d->setOffsets(&single, 1);
    if (mode == FileSave && d->noOverwritePrompt == 1 && existsFile(buffer)) {
        GString question;
        stringFormat(question, guiText(GuiText::FileDialogReplace), buffer);
        if (showMessageBox(&mbQuestion, owner, question.c_str()) != 6) return false;
    }
    if (mode >= FolderCreate) {
        if (pathIsDirectory(buffer)) {
            d->setFolder(buffer);
            buffer[0] = 0;
            d->setOffsets(nullptr, 0);
        } else if (mode == FolderCreate) {
            GString text;
            stringFormat(text, guiText(GuiText::FileDialogCreateFolder), buffer);
            if (showMessageBox(&mbQuestion, owner, text.c_str()) != 6) return false;
            if (!createDirectory(buffer)) {
                stringFormat(text, guiText(GuiText::FileDialogCreateFailed), buffer);
                showMessageBox(&mbError, owner, text.c_str());
                return false;
            }
            d->setFolder(buffer);
            buffer[0] = 0;
            d->setOffsets(nullptr, 0);
        }
    }
    if ((mode == FileSave || mode == FolderExisting) && !pathIsDirectory(d->folderText.c_str())) {
        GString text;
        stringFormat(text, guiText(GuiText::FileDialogNoFolder), d->folderText.c_str());
        showMessageBox(&mbError, owner, text.c_str());
        return false;
    }
    return true;
}

bool runOnUiThread(GFileDialog* d, u32 historyKind, GWindow* owner, i32 mode) {
    OPENFILENAMEA& ofn = d->ofn;
    ofn.Flags = ModeFlags[mode] | 0x200004;
    if (mode == FileSave && d->noOverwritePrompt) ofn.Flags &= ~(DWORD)OFN_OVERWRITEPROMPT;
    ofn.hwndOwner = owner ? owner->hwnd : nullptr;
    ofn.hInstance = programInstance;
    if (d->folderText.empty()) d->setFolder(nullptr);
    if (mode == FileOpenMany && ofn.nMaxFile != MultiNameChars) d->setNameBuffer(MultiNameChars + 1, nullptr);
    for (;;) {
        if (!callSystem(d, owner, mode)) {
            u32 code = fileDialogSystem.lastError();
            if (code == 0) return false;
            if (code == FNERR_BUFFERTOOSMALL) continue;
            if (code == FNERR_INVALIDFILENAME) {
                d->nameBuffer[0] = 0;
                continue;
            }
            GString text;
            stringFormat(text, "%s\n%s (0x%X)", guiText(GuiText::FileDialogFailed), fileDialogErrorText(code), code);
            showMessageBox(&mbError, owner, text.c_str());
            return false;
        }
        if (takeResult(d, historyKind, owner, mode)) return true;
    }
}

class FileDialogRequest : public CrossThreadRequest {
public:
    FileDialogRequest(GFileDialog* d, u32 kind, GWindow* owner, i32 mode, bool* result)
        : d(d), kind(kind), owner(owner), mode(mode), result(result) {}
    void run() override { *result = runOnUiThread(d, kind, owner, mode); }
    GFileDialog* d;
    u32 kind;
    GWindow* owner;
    i32 mode;
    bool* result;
};
}  // namespace

bool runFileDialog(GFileDialog* dialog, u32 historyKind, GWindow* owner, i32 mode) {
    if (!dialog || mode < 0 || mode > FolderExisting) return false;
    if (!isUiThread()) {
        bool result = false;
        callAndWait(new FileDialogRequest(dialog, historyKind, owner, mode, &result));
        return result;
    }
    return runOnUiThread(dialog, historyKind, owner, mode);
}
