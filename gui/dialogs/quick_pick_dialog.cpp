#include "gui/dialogs/quick_pick_dialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/gfile.h"
#include "core/paths.h"
#include "core/wide_text.h"
#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/page_stack.h"
#include "gui/controls/status_line.h"
#include "gui/dialogs/folder_list.h"
#include "gui/dialogs/input_edit_dialog.h"
#include "gui/input/input_event.h"
#include "gui/kernel/child_window.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/splitter.h"
#include "gui/views/box.h"
#include "gui/views/columns.h"
#include "gui/views/tab.h"
#include "gui/views/tab_window.h"

i32 quickPickPage = 0;

namespace {
bool g_quiet = false;  // building or refilling: notifications do not react
bool g_refilling = false;

struct Quiet {
    bool saved = g_quiet;
    Quiet() { g_quiet = true; }
    ~Quiet() { g_quiet = saved; }
};

bool askRenameText(GWindow* owner, const char* oldName, GString& newName) {
    return GInputEditStrDialog::run(owner, guiText(GuiText::QuickPickRenameTitle), guiText(GuiText::QuickPickRenameTitle),
                                    oldName, newName, 255);
}

bool hasWildcard(const char* text) { return strchr(text, '*') || strchr(text, '?'); }

bool isDriveRoot(const GString& path) {
    u32 n = path.length;
    if (n < 2 || (path.data[n - 1] != '\\' && path.data[n - 1] != '/')) return false;
    char before = path.data[n - 2];
    return before == ':' || before == '\\' || before == '/';
}

GBox* labelledTable(GLayoutBuilder& builder, GWindow* owner, GuiText title) {
    GColumnsItem* column = GColumnsItem::create(builder, "0000", "UC");
    GLabel::create(builder, guiText(title), 0, "U^");
    GTableDesc desc;
    desc.flags = TableToolTips | TableMultiSelect;
    GBox* box = addTable(column, owner, desc, 0, "UC");
    builder.endContainer();
    return box;
}

void message(GWindow* owner, const MessageBoxDescription* kind, GuiText text, const char* path) {
    GString s;
    stringFormat(s, guiText(text), path);
    showMessageBox(kind, owner, s.c_str());
}
}  // namespace

QuickPickRenameAsk quickPickRenameAsk = askRenameText;

GQuickPickDialog::~GQuickPickDialog() {
    deleteOwnedArray(recentFolders);
    deleteOwnedArray(recentFiles);
    deleteOwnedArray(favFolders);
    deleteOwnedArray(favFiles);
}

bool GQuickPickDialog::buildQuickPickContent(GFolderList* list) {
    Quiet quiet;
    pickList = list;
    const u32 style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    if (!createTopLevelWindow(this, style, WS_EX_DLGMODALFRAME, guiText(GuiText::QuickPickTitle))) return false;
    GGridLayout* grid = new GGridLayout(this, 1, 5);
    setLayoutDigits(grid, "888888");
    grid->stretchRow = 2;
    setContent(grid);
    GLayoutBuilder builder(this);
    builder.current = grid;

    GRowItem::create(builder, "08000");
    pathEdit = GEditLine::create(builder, 60, "U-");
    buttons[3] = GButton::create(builder, guiText(GuiText::QuickPickComplete), 0, 1003, ">-");
    builder.endContainer();

    GString titleText;
    stringFormat(titleText, "%s,%s", guiText(GuiText::QuickPickFavourites), guiText(GuiText::QuickPickRecents));
    tabs = createTabWindow("UC", builder, titleText.c_str());
    const GuiText titles[4] = {GuiText::QuickPickFavouriteFolders, GuiText::QuickPickFavouriteFiles,
                               GuiText::QuickPickRecentFolders, GuiText::QuickPickRecentFiles};
    GBox* boxes[4];
    for (u32 page = 0; page < 2; ++page) {
        GSplitterItem* split = new GSplitterItem(this, false, 200, 200);
        builder.pushContainer(split, "", "UC");
        boxes[page * 2] = labelledTable(builder, this, titles[page * 2]);
        boxes[page * 2 + 1] = labelledTable(builder, this, titles[page * 2 + 1]);
        builder.endContainer();
    }
    builder.endContainer();
    favouriteFolderList = boxes[0];
    favouriteFileList = boxes[1];
    recentFolderList = boxes[2];
    recentFileList = boxes[3];

    GSplitterItem* split = new GSplitterItem(this, false, 160, 400);
    builder.pushContainer(split, "", "UC");
    GTableDesc desc;
    desc.flags = TableToolTips;
    folderList = addTable(split, this, desc, 0, "UC");
    fileList = GColumns::create(this);
    builder.add(fileList, "UC");
    builder.endContainer();

    GRowItem::create(builder, "08000");
    const struct {
        GuiText text;
        u32 command;
        u32 slot;
    } row[] = {{GuiText::QuickPickGo, 1000, 0},     {GuiText::QuickPickRoot, 1001, 1},
               {GuiText::QuickPickUp, 1002, 2},     {GuiText::QuickPickRename, 1004, 4},
               {GuiText::QuickPickDelete, 1005, 5}, {GuiText::QuickPickAddFavourite, 1006, 6}};
    for (const auto& b : row) buttons[b.slot] = GButton::create(builder, guiText(b.text), 0, b.command);
    GButton::create(builder, "OK", 0, 1);
    GButton::create(builder, "Cancel", 0, 2);
    builder.endContainer();
    statusLine = GStatusLine::create(builder);

    stringCopy(folder, list->folder);
    if (folder.empty()) stringCopy(folder, dataFolder());
    stringCopy(pattern, list->pattern);
    if (pattern.empty()) stringAssignText(pattern, "*.*");
    stringListCopy(recentFolders, list->recentFolders);
    stringListCopy(recentFiles, list->recentNames);
    stringListCopy(favFolders, favouriteFolders());
    stringListCopy(favFiles, favouriteFiles());
    show(recentFolderList, recentFolders);
    show(recentFileList, recentFiles);
    show(favouriteFolderList, favFolders);
    show(favouriteFileList, favFiles);
    for (u32 i = 0; i < favFolders.count; ++i)
        if (textEquals(stringListAt(favFolders, i), folder.c_str())) favouriteFolderList->selection()->selectOnly(i);
    GString shown(folder.c_str());
    if (!isDriveRoot(shown)) stringAppendChar(shown, '\\');
    pathEdit->setTextQuiet(shown.c_str());
    statusLine->setFieldText(0, guiText(GuiText::QuickPickHint));
    SetWindowPos(hwnd, nullptr, 0, 0, 720, 520, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(hwnd, &client);
    layoutContent(client.right, client.bottom);
    refill();
    pathEdit->setFocusSafe();
    SendMessageA(pathEdit->hwnd, EM_SETSEL, shown.length, shown.length);
    if (tabs->strip && quickPickPage >= 0 && quickPickPage < tabs->tabCount()) tabs->strip->select(quickPickPage);
    return true;
}

void GQuickPickDialog::show(GBox* box, const StringList& list) {
    GBag none;
    box->setItems(none, -1);
    std::vector<const char*> texts;
    for (u32 i = 0; i < list.count; ++i) texts.push_back(stringListAt(list, i) ? stringListAt(list, i) : "");
    box->setRowText(texts.data(), (i32)texts.size(), 0);
}

void GQuickPickDialog::refill() {
    if (g_refilling) return;
    Quiet quiet;
    struct Refilling {
        Refilling() { g_refilling = true; }
        ~Refilling() { g_refilling = false; }
    } refilling;
    RedrawLockScope lock(folderList);
    if (folder.empty()) {
        fileList->setNames({});
    } else {
        GString search(folder.c_str());
        pathJoin(search, pattern.c_str());
        fileList->setPattern(search.c_str());
    }
    std::vector<GString> names;
    if (folder.empty()) {
        u32 drives = GetLogicalDrives();
        for (u32 bit = 0; bit < 26; ++bit)
            if (drives & (1u << bit)) {
                char root[4] = {(char)('A' + bit), ':', '\\', 0};
                names.emplace_back(root);
            }
    } else {
        GString search(folder.c_str());
        pathJoin(search, "*");
        DirIterator it(search.c_str(), FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        while (it.next()) names.emplace_back(it.entry().name);
        sortNames(names);
        names.insert(names.begin(), GString(".."));
    }
    StringList rows;
    for (const GString& n : names) stringListAppend(rows, n.c_str());
    show(folderList, rows);
    deleteOwnedArray(rows);
    refreshEnables();
}

void GQuickPickDialog::refreshEnables() {
    bool filesShown = fileList != nullptr;
    bool selected = filesShown && fileList->caret >= 0 && fileList->caret < fileList->count();
    bool enable[7] = {filesShown && !folder.empty(), filesShown && !folder.empty() && !isDriveRoot(folder),
                      filesShown && !folder.empty(), true, selected, selected, selected};
    for (u32 i = 0; i < 7; ++i)
        if (buttons[i] && buttons[i]->hwnd) EnableWindow(buttons[i]->hwnd, enable[i]);
}

void GQuickPickDialog::setFolder(const char* path) {
    stringAssignText(folder, path);
    if (!folder.empty()) {
        GString absolute(folder.c_str());
        normalizePath(absolute);
        if (!absolute.empty()) stringMove(folder, absolute);
    }
    GString shown(folder.c_str());
    if (!shown.empty() && !isDriveRoot(shown)) stringAppendChar(shown, '\\');
    if (pathEdit) {
        pathEdit->setTextQuiet(shown.c_str());
        SendMessageA(pathEdit->hwnd, EM_SETSEL, shown.length, shown.length);
    }
    refill();
}

GString GQuickPickDialog::selectedFile() {
    GString path;
    if (GetFocus() == recentFileList->hwnd && recentFileList->currentItem() >= 0 &&
        (u32)recentFileList->currentItem() < recentFiles.count)
        return GString(stringListAt(recentFiles, (u32)recentFileList->currentItem()));
    if (fileList->caret >= 0 && fileList->caret < fileList->count() && !folder.empty()) {
        stringCopy(path, folder);
        pathJoin(path, fileList->names[fileList->caret].c_str());
    }
    return path;
}

GString GQuickPickDialog::selectedFolder() {
    if (GetFocus() == recentFolderList->hwnd && recentFolderList->currentItem() >= 0 &&
        (u32)recentFolderList->currentItem() < recentFolders.count)
        return GString(stringListAt(recentFolders, (u32)recentFolderList->currentItem()));
    i32 row = folderList->currentItem();
    GString path;
    if (row < 0) return path;
    char* text = folderList->rowText((u64)row);
    if (text && strcmp(text, "..") != 0) {
        stringCopy(path, folder);
        if (folder.empty())
            stringAssignText(path, text);
        else
            pathJoin(path, text);
    }
    delete[] text;
    return path;
}

void GQuickPickDialog::addTo(GBox* box, StringList& list, const char* text) {
    if (!text || !*text || stringListIndexOf(list, text) >= 0) return;
    stringListAppend(list, text);
    show(box, list);
}

void GQuickPickDialog::removeSelected(GBox* box, StringList& list) {
    for (i32 i = (i32)list.count - 1; i >= 0; --i)
        if (box->isItemSelected(i)) stringListRemoveAt(list, (u32)i);
    show(box, list);
}

void GQuickPickDialog::cleanList(GBox* box, StringList& list, bool files) {
    for (i32 i = (i32)list.count - 1; i >= 0; --i) {
        const char* path = stringListAt(list, (u32)i);
        bool keep = path && (files ? pathIsFile(path) : pathIsDirectory(path));
        if (!keep) stringListRemoveAt(list, (u32)i);
    }
    show(box, list);
}

void GQuickPickDialog::renameSelected() {
    if (fileList->caret < 0 || fileList->caret >= fileList->count() || folder.empty()) return;
    GString oldName = fileList->names[fileList->caret];
    GString newName;
    if (!quickPickRenameAsk(this, oldName.c_str(), newName) || newName.empty()) return;
    if (strpbrk(newName.c_str(), "\\/:")) {
        showMessageBox(&mbError, this, guiText(GuiText::QuickPickBadName));
        return;
    }
    GString from(folder.c_str()), to(folder.c_str());
    pathJoin(from, oldName.c_str());
    pathJoin(to, newName.c_str());
    if (!moveFile(from.c_str(), to.c_str())) message(this, &mbError, GuiText::QuickPickRenameFailed, from.c_str());
    refill();
}

void GQuickPickDialog::deleteSelected() {
    GString path = selectedFile();
    if (path.empty() || GetFocus() == recentFileList->hwnd) {
        if (fileList->caret < 0 || folder.empty()) return;
        stringCopy(path, folder);
        pathJoin(path, fileList->names[fileList->caret].c_str());
    }
    GString question;
    stringFormat(question, guiText(GuiText::QuickPickDeleteQuestion), path.c_str());
    if (showMessageBox(&mbQuestion, this, question.c_str()) != 6) return;
    if (!deleteFile(path.c_str())) message(this, &mbError, GuiText::QuickPickDeleteFailed, path.c_str());
    refill();
}

bool GQuickPickDialog::accept() {
    stringAssignText(chosenPath, pathEdit ? pathEdit->text() : "");
    if (!chosenPath.empty() && pathIsFile(chosenPath.c_str())) {
        writeBack();
        return endDialog(1);
    }
    message(this, &mbInformation, GuiText::QuickPickNotFound, chosenPath.c_str());
    return false;
}

void GQuickPickDialog::writeBack() {
    stringListCopy(favouriteFolders(), favFolders);
    stringListCopy(favouriteFiles(), favFiles);
    if (pickList) {
        stringListCopy(pickList->recentFolders, recentFolders);
        stringListCopy(pickList->recentNames, recentFiles);
        stringCopy(pickList->folder, folder);
        stringCopy(pickList->pattern, pattern);
    }
    if (tabs && tabs->pages) quickPickPage = tabs->pages->current;
}

void GQuickPickDialog::complete() {
    GString text(pathEdit->text());
    DWORD start = 0, end = 0;
    SendMessageA(pathEdit->hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    if (end < text.length) stringTruncate(text, text.length - end);
    if (text.empty() || folder.empty() || hasWildcard(text.c_str())) return;
    if (text.last() == ':') {
        stringAppendChar(text, '\\');
        setFolder(text.c_str());
        return;
    }
    const char* namePart = text.c_str();
    for (const char* p = text.c_str(); *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') namePart = p + 1;
    GString typedPrefix(namePart);
    GString dirText;
    stringAssign(dirText, text.c_str(), (u32)(namePart - text.c_str()));
    GString dir;
    bool absolute = dirText.length >= 2 && (dirText.data[1] == ':' || (dirText.data[0] == '\\' && dirText.data[1] == '\\'));
    if (absolute) {
        stringCopy(dir, dirText);
    } else {
        stringCopy(dir, folder);
        if (!dirText.empty()) pathJoin(dir, dirText.c_str());
    }
    GString search(dir.c_str());
    stringAppendChar(typedPrefix, '*');
    pathJoin(search, typedPrefix.c_str());
    std::vector<GString> found;
    DirIterator it(search.c_str());
    while (it.next()) found.emplace_back(it.entry().name);
    if (found.empty()) return;
    sortNames(found);
    GString common(found[0].c_str());
    for (const GString& name : found) {
        u32 n = 0;
        while (n < common.length && n < name.length &&
               lowerCharacter((u8)common.data[n]) == lowerCharacter((u8)name.data[n]))
            ++n;
        stringTruncate(common, common.length - n);
    }
    GString full(dir.c_str());
    pathJoin(full, common.c_str());
    bool folderDone = found.size() == 1 && pathIsDirectory(full.c_str());
    GString completed(dirText.c_str());
    stringAppend(completed, common.c_str());
    if (folderDone) stringAppendChar(completed, '\\');
    pathEdit->setTextQuiet(completed.c_str());
    SendMessageA(pathEdit->hwnd, EM_SETSEL, text.length, completed.length);
    if (folderDone) {
        stringCopy(folder, full);
        refill();
        SendMessageA(pathEdit->hwnd, EM_SETSEL, text.length, completed.length);
    } else {
        stringCopy(typedName, common);
        refill();
    }
}

void GQuickPickDialog::typed() {
    GString text(pathEdit->text());
    const char* name = text.c_str();
    for (const char* p = text.c_str(); *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    if (hasWildcard(name)) {
        stringAssignText(pattern, name);
        refill();
        return;
    }
    stringAssignText(typedName, name);
    if (*name) fileList->findTyped(name);
}

bool GQuickPickDialog::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case 1: {
        GString text(pathEdit ? pathEdit->text() : "");
        if (!text.empty() && !pathIsFile(text.c_str()) && pathIsDirectory(text.c_str())) {
            setFolder(text.c_str());  // Enter on a folder goes there
            return true;
        }
        accept();
        return true;
    }
    case 2:
        writeBack();
        endDialog(2);
        return true;
    case 1000: {
        GString text(pathEdit->text());
        const char* name = text.c_str();
        for (const char* p = text.c_str(); *p; ++p)
            if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
        GString dir;
        stringAssign(dir, text.c_str(), (u32)(name - text.c_str()));
        if (hasWildcard(name)) stringAssignText(pattern, name);
        else if (pickList) stringCopy(pattern, pickList->pattern.empty() ? GString("*.*") : pickList->pattern);
        if (!dir.empty()) setFolder(dir.c_str());
        else refill();
        pathEdit->setFocusSafe();
        return true;
    }
    case 1001: {
        if (folder.empty()) return true;
        GString root(folder.c_str());
        while (!isDriveRoot(root) && pathRemoveLastComponent(root)) {
        }
        setFolder(root.c_str());
        return true;
    }
    case 1002: {
        GString up(folder.c_str());
        if (isDriveRoot(up) || !pathRemoveLastComponent(up)) stringClear(up);
        setFolder(up.c_str());
        return true;
    }
    case 1003: complete(); return true;
    case 1004: renameSelected(); return true;
    case 1005: deleteSelected(); return true;
    case 1006: addTo(favouriteFileList, favFiles, selectedFile().c_str()); return true;
    case 1007: addTo(favouriteFolderList, favFolders, selectedFolder().c_str()); return true;
    case 1008: case 1009: case 1010: case 1011: {
        if (showMessageBox(&mbQuestion, this, guiText(GuiText::QuickPickClearQuestion)) != 6) return true;
        StringList* lists[4] = {&recentFolders, &recentFiles, &favFolders, &favFiles};
        GBox* boxes[4] = {recentFolderList, recentFileList, favouriteFolderList, favouriteFileList};
        stringListClear(*lists[command - 1008]);
        show(boxes[command - 1008], *lists[command - 1008]);
        return true;
    }
    case 1012: removeSelected(recentFileList, recentFiles); return true;
    case 1013: removeSelected(recentFolderList, recentFolders); return true;
    case 1014: removeSelected(favouriteFileList, favFiles); return true;
    case 1015: removeSelected(favouriteFolderList, favFolders); return true;
    case 1016: cleanList(favouriteFileList, favFiles, true); return true;
    case 1017: cleanList(favouriteFolderList, favFolders, false); return true;
    case 1018: cleanList(recentFileList, recentFiles, true); return true;
    case 1019: cleanList(recentFolderList, recentFolders, false); return true;
    default: return GDialog::onCommand(command, query);
    }
}

i32 GQuickPickDialog::commandState(u32 command) {
    if (command >= 1000 && command <= 1019) return CommandEnabled;
    return GDialog::commandState(command);
}

i32 GQuickPickDialog::handleKey(GInputEvent* e) {
    if (e->kind == KeyDown && !e->mouse) {
        u32 command = 0;
        if (e->isKeyDown(VK_F2)) command = 1004;
        else if (e->isKeyDown(VK_F8)) command = 1005;
        else if (e->isKeyDown(VK_UP, ModAlt)) command = 1002;
        else if (e->isKeyDown(VK_DIVIDE)) command = 1001;
        else if (e->isKeyDown(0xC0)) command = 1000;
        if (command) {
            onCommand(command, nullptr);
            return 2;
        }
    }
    return GDialog::handleKey(e);
}

bool GQuickPickDialog::onControlNotify(void* notification) {
    if (g_quiet) return false;
    const GControlNotification* n = static_cast<const GControlNotification*>(notification);
    GItemBase* source = n->source;
    if (source == static_cast<GItemBase*>(pathEdit) && n->code == 0) {
        typed();
        return false;
    }
    if (source == static_cast<GItemBase*>(fileList)) {
        if (n->code == ColumnsActivated && n->value >= 0 && n->value < fileList->count()) {
            GString path(folder.c_str());
            pathJoin(path, fileList->names[n->value].c_str());
            pathEdit->setTextQuiet(path.c_str());
            accept();
            return true;
        }
        if (n->code == ColumnsContext) {
            HMENU menu = CreatePopupMenu();
            AppendMenuA(menu, MF_STRING, 1004, guiText(GuiText::QuickPickRename));
            AppendMenuA(menu, MF_STRING, 1005, guiText(GuiText::QuickPickDelete));
            AppendMenuA(menu, MF_STRING, 1006, guiText(GuiText::QuickPickAddFavourite));
            POINT p;
            GetCursorPos(&p);
            u32 chosen = (u32)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0, hwnd, nullptr);
            DestroyMenu(menu);
            if (chosen) onCommand(chosen, nullptr);
            return true;
        }
        refreshEnables();
        return false;
    }
    if (n->code != 2) return false;  // activation
    i32 row = (i32)n->value;
    if (source == static_cast<GItemBase*>(folderList)) {
        char* text = folderList->rowText((u64)row);
        GString name(text);
        delete[] text;
        if (stringEquals(name, "..")) {
            onCommand(1002, nullptr);
        } else if (folder.empty()) {
            setFolder(name.c_str());
        } else {
            GString path(folder.c_str());
            pathJoin(path, name.c_str());
            setFolder(path.c_str());
        }
        return true;
    }
    if (source == static_cast<GItemBase*>(recentFolderList) || source == static_cast<GItemBase*>(favouriteFolderList)) {
        const StringList& list = source == static_cast<GItemBase*>(recentFolderList) ? recentFolders : favFolders;
        if (row >= 0 && (u32)row < list.count) setFolder(stringListAt(list, (u32)row));
        return true;
    }
    if (source == static_cast<GItemBase*>(recentFileList) || source == static_cast<GItemBase*>(favouriteFileList)) {
        const StringList& list = source == static_cast<GItemBase*>(recentFileList) ? recentFiles : favFiles;
        if (row >= 0 && (u32)row < list.count) {
            pathEdit->setTextQuiet(stringListAt(list, (u32)row));
            accept();
        }
        return true;
    }
    return false;
}
