// The path field on a real dialog: the browse button hands the typed path to the dialog object, runs
// it (the system call replaced) and puts the choice back; a cancel and an empty line change nothing.
#include "gui/dialogs/path_field.h"

#include <gtest/gtest.h>

#include <string>

#include "core/wide_text.h"
#include "gui/controls/button.h"
#include "gui/controls/edit_line.h"
#include "gui/dialogs/file_dialog.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/input_fixture.h"
#include "tests/support/test_support.h"

using namespace controls;

namespace {
std::wstring g_seenFolder, g_seenName, g_answer;
bool g_confirm = false;
int g_calls = 0;

BOOL WINAPI recordCall(OPENFILENAMEW* w) {
    ++g_calls;
    g_seenFolder = w->lpstrInitialDir ? w->lpstrInitialDir : L"";
    g_seenName = w->lpstrFile;
    if (!g_confirm) return FALSE;
    wcscpy(w->lpstrFile, g_answer.c_str());
    const wchar_t* slash = wcsrchr(g_answer.c_str(), L'\\');
    w->nFileOffset = (WORD)(slash - g_answer.c_str() + 1);
    return TRUE;
}
DWORD WINAPI noError() { return 0; }

std::string narrow(const std::wstring& w) {
    GString s;
    stringAssignCopy(s, w.c_str());
    return s.c_str();
}

struct FieldFixture : Fixture {
    GColumnsItem* column = new GColumnsItem(dialog);
    GLayoutBuilder builder{dialog};
    GFileDialog files{nullptr, "wav", "C:\\"};
    GPathField* field = nullptr;
    explicit FieldFixture(i32 mode) : Fixture(500, 120) {
        fileDialogSystem = {recordCall, recordCall, noError};
        g_calls = 0;
        g_confirm = false;
        dialog->setContent(column);
        builder.current = column;
        field = addPathField(builder, &files, mode, 0);
        layout();
    }
    ~FieldFixture() { fileDialogSystem = fileDialogSystemDefaults; }
    GButton* browse() { return static_cast<GButton*>(field->childAt(1)->asChildWindow()); }
    void clickBrowse() {
        InputSeam seam;
        seam.active = dialog->hwnd;
        seam.pointAt(browse()->hwnd, 3, 3);
        SendMessageA(browse()->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageA(browse()->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
};
}  // namespace

TEST(PathField, BrowseStartsOnTheTypedPathAndTakesTheChoice) {
    TempDir dir;
    FieldFixture f(FileSave);
    ASSERT_NE(nullptr, f.field->editLine());
    EXPECT_EQ(40, f.field->editLine()->sizeChars);
    RECT edit, button;
    GetWindowRect(f.field->editLine()->hwnd, &edit);
    GetWindowRect(f.browse()->hwnd, &button);
    EXPECT_EQ(edit.right + 8, button.left);

    SetWindowTextA(f.field->editLine()->hwnd, dir.file("typed.wav").c_str());  // as typed: notifies
    EXPECT_EQ(dir.path(), f.files.folderText.c_str());
    g_confirm = true;
    g_answer = toWide(dir.file("chosen.wav").c_str()).c_str();
    size_t before = f.dialog->notifications.size();
    f.clickBrowse();
    EXPECT_EQ(1, g_calls);
    EXPECT_EQ(dir.path(), narrow(g_seenFolder));
    EXPECT_EQ(L"typed.wav", g_seenName);
    EXPECT_EQ(dir.file("chosen.wav"), f.field->getText().c_str());
    EXPECT_EQ(f.field->editLine()->hwnd, GetFocus());
    ASSERT_GT(f.dialog->notifications.size(), before);
    EXPECT_EQ(static_cast<GItemBase*>(f.field), f.dialog->notifications.back().source);
}

TEST(PathField, CancelAndAnEmptyLineChangeNothing) {
    TempDir dir;
    FieldFixture f(FileOpenOne);
    f.files.setPath(dir.file("kept.wav").c_str());
    f.field->apply("");  // full-path mode: the dialog's path stays
    EXPECT_STREQ("kept.wav", f.files.nameBuffer);
    f.field->apply(dir.file("x.wav").c_str());
    f.clickBrowse();  // cancelled
    EXPECT_EQ(1, g_calls);
    EXPECT_EQ(L"x.wav", g_seenName);
    EXPECT_EQ(dir.file("x.wav"), f.field->getText().c_str());

    // Folder and name-list modes hand the text on as a folder and as names.
    FieldFixture folders(FolderExisting);
    folders.field->apply(dir.path().c_str());
    EXPECT_EQ(dir.path(), folders.files.folderText.c_str());
    FieldFixture many(FileOpenMany);
    many.field->apply((dir.path() + "\\a.wav;b.wav").c_str());
    EXPECT_EQ(2u, many.files.nameOffsets.count);
}
