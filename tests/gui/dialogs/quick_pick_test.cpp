// The quick-pick dialog over temporary trees: the listing, the drive list, completion, the keys,
// activation and the accept rule, rename through the text dialog, cleaning and the write-back.
#include "gui/dialogs/quick_pick_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/gfile.h"
#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/dialogs/folder_list.h"
#include "gui/dialogs/input_edit_dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/views/box.h"
#include "gui/views/columns.h"
#include "gui/views/tab.h"
#include "gui/views/tab_window.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::vector<std::string> g_boxes;
i32 g_answer = 6;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_boxes.push_back(text);
    return g_answer;
}

std::string rows(GBox* box) {
    std::string out;
    for (i32 i = 0; i < box->itemCount(); ++i) {
        char* t = box->rowText((u64)i);
        out += std::string(i ? "|" : "") + (t ? t : "");
        delete[] t;
    }
    return out;
}

std::string files(GColumns* list) {
    std::string out;
    for (const GString& n : list->names) out += std::string(out.empty() ? "" : "|") + n.c_str();
    return out;
}

std::string join(const StringList& list) {
    std::string out;
    for (u32 i = 0; i < list.count; ++i) out += std::string(i ? "|" : "") + stringListAt(list, i);
    return out;
}

struct Tree {
    TempDir dir;
    Tree() {
        createDirectory(dir.file("beta").c_str());
        createDirectory(dir.file("Alpha").c_str());
        createDirectory(dir.file("hidden").c_str());
        SetFileAttributesA(dir.file("hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
        dir.write("song1.wav", "x");
        dir.write("song2.wav", "x");
        dir.write("notes.txt", "x");
        dir.write("beta\\inner.wav", "x");
    }
};

struct PickFixture {
    TestApplication app;
    Tree tree;
    GFolderList list{"*.wav\0"};
    GQuickPickDialog dialog{nullptr};
    PickFixture() {
        setMessageBoxSink(recordBox);
        g_boxes.clear();
        g_answer = 6;
        stringAssignText(list.folder, tree.dir.path().c_str());
        EXPECT_TRUE(dialog.buildQuickPickContent(&list));
        ShowWindow(dialog.hwnd, SW_SHOW);
        UpdateWindow(dialog.hwnd);
    }
    ~PickFixture() {
        setMessageBoxSink(nullptr);
        stringListClear(favouriteFolders());
        stringListClear(favouriteFiles());
        if (IsWindow(dialog.hwnd)) DestroyWindow(dialog.hwnd);
    }
    std::string edit() { return dialog.pathEdit->text(); }
    // A real key in the edit line, through the message loop.
    void key(u32 vk, u32 message = WM_KEYDOWN) {
        InputSeam seam;
        seam.active = dialog.hwnd;
        if (message == WM_SYSKEYDOWN) seam.held.insert(VK_MENU);
        dialog.pathEdit->setFocusSafe();
        bool seen = false;
        PostMessageA(dialog.pathEdit->hwnd, message, vk, message == WM_SYSKEYDOWN ? 0x20000001 : 1);
        PostMessageA(dialog.pathEdit->hwnd, WM_NULL, 0, 0);
        pumpUntil([&] {
            MSG m;
            seen = !PeekMessageA(&m, dialog.pathEdit->hwnd, 0, 0, PM_NOREMOVE);
            return seen;
        });
    }
};

// Ends the next text dialog with OK after typing the text.
class RenameAnswer : public GItemBase {
public:
    explicit RenameAnswer(const char* text) : text(text) { ListenerChain::append(application()->eventList, lifeRecord()); }
    bool onEvent(void* event) override {
        if (!isModalEvent(event)) return false;
        ModalEvent* modal = static_cast<ModalEvent*>(event);
        GDialog* box = modal->scope->dialog();
        if (!modal->begin || !box || !box->isKindOf(TypeInputEditStrDialog)) return false;
        GInputEditStrDialog* ask = static_cast<GInputEditStrDialog*>(box);
        seen = ask->edit->getText().c_str();
        ask->edit->setText(text);
        PostMessageA(ask->hwnd, WM_COMMAND, 1, 0);
        return false;
    }
    const char* text;
    std::string seen;
};
}  // namespace

TEST(QuickPick, ListingDrivesAndNavigation) {
    PickFixture f;
    EXPECT_TRUE(f.dialog.isKindOf(111) && f.dialog.isKindOf(7) && f.dialog.isKindOf(2) && f.dialog.isKindOf(1));
    EXPECT_EQ("..|Alpha|beta", rows(f.dialog.folderList));  // sorted, the hidden one left out
    EXPECT_EQ("song1.wav|song2.wav", files(f.dialog.fileList));
    EXPECT_EQ(f.tree.dir.path() + "\\", f.edit());

    // Activating a subfolder enters it; ".." goes up again.
    GControlNotification enter{f.dialog.folderList, 2, 2};
    f.dialog.onControlNotify(&enter);
    EXPECT_EQ(f.tree.dir.file("beta"), f.dialog.folder.c_str());
    EXPECT_EQ("inner.wav", files(f.dialog.fileList));
    GControlNotification up{f.dialog.folderList, 2, 0};
    f.dialog.onControlNotify(&up);
    EXPECT_EQ(f.tree.dir.path(), f.dialog.folder.c_str());

    // Root, then ".." at the root: the drives only, no "..".
    f.key(VK_DIVIDE);
    EXPECT_STREQ("C:\\", f.dialog.folder.c_str());
    EXPECT_FALSE(IsWindowEnabled(f.dialog.buttons[1]->hwnd));  // root at a root
    f.dialog.onControlNotify(&up);
    EXPECT_STREQ("", f.dialog.folder.c_str());
    std::string drives = rows(f.dialog.folderList);
    EXPECT_NE(std::string::npos, drives.find("C:\\")) << drives;
    EXPECT_NE(std::string::npos, drives.find("Z:\\")) << drives;
    EXPECT_EQ(std::string::npos, drives.find("..")) << drives;
    EXPECT_EQ(0, f.dialog.fileList->count());
    EXPECT_FALSE(IsWindowEnabled(f.dialog.buttons[0]->hwnd));
    GControlNotification drive{f.dialog.folderList, 2, (intptr_t)(std::count(drives.begin(), drives.begin() + drives.find("C:\\"), '|'))};
    f.dialog.onControlNotify(&drive);
    EXPECT_STREQ("C:\\", f.dialog.folder.c_str());

    // Alt+Up from a subfolder; the key left of 1 reads the edit line again.
    f.dialog.setFolder(f.tree.dir.file("beta").c_str());
    f.key(VK_UP, WM_SYSKEYDOWN);
    EXPECT_EQ(f.tree.dir.path(), f.dialog.folder.c_str());
    f.dialog.pathEdit->setTextQuiet((f.tree.dir.path() + "\\*.txt").c_str());
    f.key(0xC0);
    EXPECT_EQ("notes.txt", files(f.dialog.fileList));
}

TEST(QuickPick, CompletionTakesTheCommonPrefix) {
    PickFixture f;
    struct Case {
        const char* typed;  // relative to the folder, or absolute with "@"
        const char* text;   // the edit line afterwards
        const char* folder; // relative, "" when unchanged
    } cases[] = {
        {"so", "song", ""},
        {"SO", "song", ""},   // case ignored, the entries' spelling taken
        {"b", "beta\\", "beta"},
        {"x", "x", ""},        // nothing begins with it
        {"s*", "s*", ""},      // wildcards: nothing
    };
    for (const Case& c : cases) {
        f.dialog.setFolder(f.tree.dir.path().c_str());
        f.dialog.pathEdit->setTextQuiet(c.typed);
        SendMessageA(f.dialog.pathEdit->hwnd, EM_SETSEL, strlen(c.typed), strlen(c.typed));
        f.dialog.onCommand(1003, nullptr);
        EXPECT_EQ(c.text, f.edit()) << c.typed;
        std::string expected = *c.folder ? f.tree.dir.file(c.folder) : f.tree.dir.path();
        EXPECT_EQ(expected, f.dialog.folder.c_str()) << c.typed;
    }
    // The completed part is selected after the caret.
    f.dialog.setFolder(f.tree.dir.path().c_str());
    f.dialog.pathEdit->setTextQuiet("so");
    SendMessageA(f.dialog.pathEdit->hwnd, EM_SETSEL, 2, 2);
    f.dialog.onCommand(1003, nullptr);
    DWORD start = 0, end = 0;
    SendMessageA(f.dialog.pathEdit->hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(2u, start);
    EXPECT_EQ(4u, end);
    // "X:" enters that drive's root.
    f.dialog.pathEdit->setTextQuiet("C:");
    SendMessageA(f.dialog.pathEdit->hwnd, EM_SETSEL, 2, 2);
    f.dialog.onCommand(1003, nullptr);
    EXPECT_STREQ("C:\\", f.dialog.folder.c_str());
}

TEST(QuickPick, AcceptRuleActivationAndWriteBack) {
    PickFixture f;
    stringListAppend(f.list.recentNames, f.tree.dir.file("song1.wav").c_str());
    f.dialog.pathEdit->setTextQuiet(f.tree.dir.file("missing.wav").c_str());
    EXPECT_FALSE(f.dialog.accept());
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_NE(std::string::npos, g_boxes[0].find("missing.wav"));
    EXPECT_EQ(-1, f.dialog.result);

    // A double click on a file accepts it.
    RECT r;
    GetClientRect(f.dialog.fileList->hwnd, &r);
    i32 y = f.dialog.fileList->topMargin + f.dialog.fileList->itemHeight + f.dialog.fileList->itemHeight / 2;
    ASSERT_EQ(1, f.dialog.fileList->hitTest(5, y));
    SendMessageA(f.dialog.fileList->hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, y));
    EXPECT_EQ(1, f.dialog.result);
    EXPECT_EQ(f.tree.dir.file("song2.wav"), f.dialog.chosenPath.c_str());
    EXPECT_EQ(f.tree.dir.path(), f.list.folder.c_str());
}

TEST(QuickPick, ListsCleanedAndWrittenBackOnCancel) {
    PickFixture f;
    std::string kept = f.tree.dir.file("song1.wav"), gone = f.tree.dir.file("gone.wav");
    const char* files[] = {kept.c_str(), gone.c_str(), kept.c_str()};
    for (const char* p : files) stringListAppend(f.dialog.favFiles, p);
    std::string folderKept = f.tree.dir.file("beta"), folderGone = f.tree.dir.file("nowhere");
    for (const char* p : {folderGone.c_str(), folderKept.c_str()}) stringListAppend(f.dialog.recentFolders, p);
    f.dialog.onCommand(1016, nullptr);
    f.dialog.onCommand(1019, nullptr);
    EXPECT_EQ(kept + "|" + kept, join(f.dialog.favFiles));
    EXPECT_EQ(folderKept, rows(f.dialog.recentFolderList));

    // Add the selected file to the favourites once; the Favourites page is left for Recent.
    f.dialog.fileList->setCaret(1);
    f.dialog.onCommand(1006, nullptr);
    f.dialog.onCommand(1006, nullptr);
    EXPECT_EQ(kept + "|" + kept + "|" + f.tree.dir.file("song2.wav"), rows(f.dialog.favouriteFileList));
    f.dialog.tabs->strip->select(1);
    g_answer = 7;
    f.dialog.onCommand(1011, nullptr);  // not confirmed: kept
    EXPECT_EQ(3u, f.dialog.favFiles.count);

    f.dialog.onCommand(2, nullptr);
    EXPECT_EQ(2, f.dialog.result);
    EXPECT_EQ(3u, favouriteFiles().count);
    EXPECT_EQ(folderKept, join(f.list.recentFolders));
    EXPECT_EQ(1, quickPickPage);
    quickPickPage = 0;
}

TEST(QuickPick, RenameAndDeleteInTheFolder) {
    PickFixture f;
    f.dialog.fileList->setCaret(0);
    {
        RenameAnswer answer("renamed.wav");
        f.key(VK_F2);
        EXPECT_EQ("song1.wav", answer.seen);
    }
    EXPECT_TRUE(f.tree.dir.exists("renamed.wav"));
    EXPECT_EQ("renamed.wav|song2.wav", files(f.dialog.fileList));
    {
        RenameAnswer answer("..\\out.wav");  // would leave the folder
        f.dialog.fileList->setCaret(0);
        f.dialog.onCommand(1004, nullptr);
    }
    EXPECT_TRUE(f.tree.dir.exists("renamed.wav"));
    ASSERT_EQ(1u, g_boxes.size());
    f.dialog.fileList->setCaret(1);
    f.key(VK_F8);
    EXPECT_EQ(2u, g_boxes.size());
    EXPECT_NE(std::string::npos, g_boxes[1].find("song2.wav"));
    EXPECT_FALSE(f.tree.dir.exists("song2.wav"));
    EXPECT_EQ("renamed.wav", files(f.dialog.fileList));
}
