// The converter page with real windows: refusals of Convert, the job's record, the Enter flow,
// the check of targets open in an Editor page, real conversions through Wine's ACM, the busy
// state, saved state, remembered targets and the preview through the build's sound device.
#include <gtest/gtest.h>

#include <memory>

#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/page_stack.h"
#include "gui/dialogs/path_field.h"
#include "gui/dialogs/path_notice.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/window_behaviour.h"
#include "mm/mm_settings.h"
#include "tests/gui/control_fixture.h"
#include "tests/gui/dib_canvas.h"
#include "tests/gui/input_fixture.h"
#include "tests/tools/converter_fixture.h"

using namespace converter_fixture;

namespace {
// Records the job Convert hands over and fails it; may hold the job until released.
struct RecordingPage : ConverterWindow {
    using ConverterWindow::ConverterWindow;
    bool performJob(PlacerJob* job) override {
        auto* c = static_cast<ConversionJob*>(job);
        kind = c->kind;
        acmFlags = c->acmFlags;
        encoding = c->encoding;
        target = c->target.c_str();
        acmTargetSize = c->acmTarget.size();
        ++runs;
        if (release) WaitForSingleObject(release, 10000);
        return false;
    }
    u32 kind = 0, acmFlags = 0, encoding = 0;
    size_t acmTargetSize = 0;
    std::string target;
    int runs = 0;
    HANDLE release = nullptr;
};
typedef PageFixture<RecordingPage> Recording;
typedef PageFixture<> Page;

FakeDriver adpcmDriver() {
    FakeDriver d;
    d.name = "A";
    d.convertible = {0x11, 0x11};
    d.suggested = {0x11};
    return d;
}

void waitIdle(GPlacer* page) { pumpUntil([&] { return !page->busy() && !page->job; }, 20000); }

// The folder announced for the page's kind.
struct FolderListener : GPathListener {
    FolderListener() { listAppendNode(this, ConverterFolderKind); }
    bool onEvent(void* event) override {
        auto* r = static_cast<RecentPath*>(event);
        if (r->kind & ConverterFolderKind) folder = r->folder.c_str();
        return false;
    }
    std::string folder;
};

// A page of the Editor's kind holding a file.
struct EditorStandIn : GFilePlacer {
    explicit EditorStandIn(GWindow* window) : GFilePlacer(nullptr, window, nullptr, nullptr, nullptr) {}
    u32 windowKind() override { return 1012; }
};

u16 formatTagOf(const std::string& file) {
    std::string b = readWholeFile(file);
    size_t at = b.find("fmt ");
    if (at == std::string::npos || at + 10 > b.size()) return 0;
    return (u16)((u8)b[at + 8] | (u8)b[at + 9] << 8);
}
// On a machine of one ADPCM driver, a page over a.wav with the driver's row chosen and a target typed.
struct AdpcmRowChosen {
    FakeMachineScope fake;
    TempDir dir;
    std::unique_ptr<Recording> page;
    AdpcmRowChosen() {
        fake.machine.drivers = {adpcmDriver()};
        page.reset(new Recording);
        page->load(makeWave(dir, "a.wav"));
        page->caretOn(page->nodeOfTag(0x11));
        page->page->setFieldText(page->page->targetField, dir.file("x.wav").c_str());
    }
};
}  // namespace

TEST(ConverterPage, ConvertRefusals) {
    TempDir dir;
    const std::string a = makeWave(dir, "a.wav"), b = makeWave(dir, "b.wav");
    struct Case {
        const char* what;
        std::string sources;  // empty: none loaded
        std::string target;
        i32 caretTag;         // -1: the first group row
        i32 encoding;
        const char* box;
    };
    const std::string both = dir.path() + "\\a.wav;b.wav";
    const Case cases[] = {
        {"no sources", "", dir.file("x.wav"), 0x11, 0, "Load the source files first"},
        {"empty target", a, "", 0x11, 0, "Name the target file"},
        {"two sources without %", both, dir.file("x.wav"), 0x11, 0,
         "Several sources need a target name with '%' (each source's name takes its place)"},
        {"two %", a, dir.file("%%.wav"), 0x11, 0, "The target name may hold only one '%'"},
        {"target is the source", a, a, 0x11, 0, "The target is the source"},
        {"caret on a group", a, dir.file("x.wav"), -1, 0, "Choose a target format in the tree"},
        {"no encoding", a, dir.file("x.ravo"), OwnFormatTag, -1, "Choose a sample encoding"},
        {"encoding past the table", a, dir.file("x.ravo"), OwnFormatTag, 4, "Choose a sample encoding"},
        {"one source, plain target", a, dir.file("x.wav"), 0x11, 0, ""},
        {"two sources with %", both, dir.file("%.wav"), 0x11, 0, ""},
        {"own format", a, dir.file("x.ravo"), OwnFormatTag, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachineScope fake;
        fake.machine.drivers = {adpcmDriver()};
        Recording f;
        if (!c.sources.empty()) f.load(c.sources);
        f.page->setFieldText(f.page->targetField, c.target.c_str());
        if (c.caretTag >= 0) {
            if (ConverterFormatNode* n = f.nodeOfTag(c.caretTag)) f.caretOn(n);
        } else {
            f.page->formatTree->setCaretRow(0);
        }
        if (c.encoding < 4) f.page->encodingCombo->select(c.encoding);
        else f.page->encodingCombo->selection = c.encoding;
        BoxScope boxes;
        f.page->onCommand(ConverterConvert, nullptr);
        waitIdle(f.page);
        EXPECT_EQ(f.page->runs, *c.box ? 0 : 1);
        EXPECT_EQ(boxes.all(), *c.box ? std::string(c.box) + "\n" : "");
        if (!*c.box) {
            EXPECT_EQ(f.page->target, c.target);
            if (c.caretTag == OwnFormatTag) {
                EXPECT_EQ(f.page->encoding, 5u);
            }
        }
        EXPECT_TRUE(IsWindowEnabled(f.page->formatTree->hwnd));
    }
}

TEST(ConverterPage, FlagBoxesMakeTheJobsFlags) {
    AdpcmRowChosen chosen;
    Recording& f = *chosen.page;
    // The suggested format is chosen.
    EXPECT_EQ(f.page->optionPages->current, ConverterAcmOptions);
    EXPECT_EQ(f.page->acmFormatCombo->rowCount(), 2);
    EXPECT_EQ(f.page->acmFormatCombo->selection, 0);
    struct Case {
        const char* boxes;  // the four boxes
        bool all;
        u32 flags;
    };
    const Case cases[] = {{"0001", false, 8}, {"1010", false, 5}, {"0000", true, 0x1F}, {"1111", false, 15},
                          {"0100", true, 0x1F}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boxes);
        f.page->acmFlagAll->setChecked(0);
        f.page->applyFlagAllRule();
        for (int i = 0; i < 4; ++i) f.page->acmFlag[i]->setChecked(c.boxes[i] == '1');
        if (c.all) {
            // A real click on the fifth box.
            SendMessageA(f.page->acmFlagAll->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
            SendMessageA(f.page->acmFlagAll->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
            pumpUntil([] { return false; }, 30);
            ASSERT_TRUE(f.page->acmFlagAll->isChecked());
        }
        for (GCheckBox* box : f.page->acmFlag) EXPECT_EQ(IsWindowEnabled(box->hwnd) != 0, !c.all);
        f.page->onCommand(ConverterConvert, nullptr);
        waitIdle(f.page);
        EXPECT_EQ(f.page->acmFlags, c.flags);
        EXPECT_EQ(f.page->kind, (u32)FormatAcmNode);
        EXPECT_EQ(f.page->acmTargetSize, 18u);
        // After the job the rule holds again.
        for (GCheckBox* box : f.page->acmFlag) EXPECT_EQ(IsWindowEnabled(box->hwnd) != 0, !c.all);
    }
}

TEST(ConverterPage, EnterMovesTheDefaultButton) {
    FakeMachineScope fake;
    fake.machine.drivers = {adpcmDriver()};
    TempDir dir;
    Recording f;
    auto key = [&](GChildWindow* w) {
        SetForegroundWindow(f.owner.hwnd);
        SetActiveWindow(f.owner.hwnd);
        pumpUntil([&] { return GetActiveWindow() == f.owner.hwnd; });
        giveFocus(w);
        PostMessageA(w->hwnd, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(w->hwnd, WM_KEYUP, VK_RETURN, 0);
        MSG m;
        pumpUntil([&] { return !PeekMessageA(&m, w->hwnd, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE); });
        pumpUntil([] { return false; }, 30);
    };
    EXPECT_TRUE(f.page->loadButton->isDefaultButton());
    f.load(makeWave(dir, "a.wav"));
    EXPECT_FALSE(f.page->loadButton->isDefaultButton());
    GEditLine* line = f.page->targetField->editLine();
    // Enter on a format row: the target field next.
    f.caretOn(f.nodeOfTag(0x11));
    key(f.page->formatTree);
    EXPECT_TRUE(f.page->targetButton->isDefaultButton());
    EXPECT_EQ(GetFocus(), line->hwnd);
    // Typing a name takes the role from the target button; Enter gives it to Convert, nothing more.
    SetWindowTextA(line->hwnd, dir.file("x.wav").c_str());
    pumpUntil([] { return false; }, 30);
    EXPECT_FALSE(f.page->targetButton->isDefaultButton());
    key(line);
    EXPECT_TRUE(f.page->convertButton->isDefaultButton());
    EXPECT_EQ(f.page->runs, 0);
    // Then Enter presses it.
    key(line);
    waitIdle(f.page);
    EXPECT_EQ(f.page->runs, 1);
    EXPECT_EQ(f.page->target, dir.file("x.wav"));
    // Enter on a group row leaves the default button alone.
    f.page->targetButton->clearDefault();
    f.page->formatTree->setCaretRow(0);
    key(f.page->formatTree);
    EXPECT_FALSE(f.page->targetButton->isDefaultButton());
}

TEST(ConverterPage, ConvertsToImaAdpcmThroughWinesDrivers) {
    TempDir dir;
    const std::string source = makeWave(dir, "a.wav", 16, "1");
    FolderListener folders;
    Page f;
    f.load(source);
    ConverterFormatNode* ima = f.nodeOfTag(0x11);
    ASSERT_NE(ima, nullptr) << treeText(f.page->formatTree);
    f.caretOn(ima);
    f.page->setFieldText(f.page->targetField, (dir.path() + "\\out\\%.ima.wav").c_str());
    {
        // On screen: the tree shows its rows, the ACM page its boxes.
        UpdateWindow(f.owner.hwnd);
        pumpUntil([] { return false; }, 50);
        DibCanvas canvas(760, 620, RGB(1, 2, 3));
        HDC screen = GetDC(f.owner.hwnd);
        BitBlt(canvas.dc(), 0, 0, 760, 620, screen, 0, 0, SRCCOPY);
        ReleaseDC(f.owner.hwnd, screen);
        saveShot(canvas, "converter_page.bmp");
        RECT tree;
        GetWindowRect(f.page->formatTree->hwnd, &tree);
        MapWindowPoints(nullptr, f.owner.hwnd, (POINT*)&tree, 2);
        const COLORREF back = canvas.pixel(tree.right - 3, tree.bottom - 3);
        i32 ink = 0;
        for (i32 y = tree.top + 2; y < tree.bottom - 2; ++y)
            for (i32 x = tree.left + 2; x < tree.right - 2; ++x) ink += canvas.pixel(x, y) != back;
        EXPECT_GT(ink, 200);
        EXPECT_TRUE(IsWindowVisible(f.page->acmFlagAll->hwnd));
        EXPECT_FALSE(IsWindowVisible(f.page->encodingCombo->hwnd));
    }
    CreateDirectoryA(dir.file("out").c_str(), nullptr);
    {
        BoxScope boxes;
        f.page->onCommand(ConverterConvert, nullptr);
        EXPECT_TRUE(f.page->busy());
        EXPECT_FALSE(IsWindowEnabled(f.page->formatTree->hwnd));
        waitIdle(f.page);
        EXPECT_EQ(boxes.all(), "The conversion has finished\n");
    }
    const std::string out = dir.file("out\\a.ima.wav");
    EXPECT_EQ(formatTagOf(out), 0x11);
    EXPECT_GT(soxSamples(out).size(), 7000u);
    EXPECT_TRUE(IsWindowEnabled(f.page->formatTree->hwnd));
    EXPECT_TRUE(IsWindowEnabled(f.page->convertButton->hwnd));
    EXPECT_FALSE(f.page->progress->running());
    EXPECT_EQ(folders.folder, dir.file("out"));

    // A failing conversion: no information, the controls back.
    f.page->setFieldText(f.page->targetField, (dir.path() + "\\missing\\%.wav").c_str());
    BoxScope boxes;
    f.page->onCommand(ConverterConvert, nullptr);
    waitIdle(f.page);
    EXPECT_EQ(boxes.all().find("The conversion has finished"), std::string::npos) << boxes.all();
    EXPECT_NE(boxes.all(), "");
    EXPECT_TRUE(IsWindowEnabled(f.page->formatTree->hwnd));
    EXPECT_TRUE(IsWindowEnabled(f.page->targetField->editLine()->hwnd));
}

// Target rows show the format picture before their name; group rows none.
TEST(ConverterPage, TargetRowsShowTheirPicture) {
    TempDir dir;
    Page f;
    f.load(makeWave(dir, "a.wav", 16, "1"));
    GTreeView* tree = f.page->formatTree;
    UpdateWindow(f.owner.hwnd);
    RECT client;
    GetClientRect(tree->hwnd, &client);
    const COLORREF wave = RGB(224, 112, 0);
    i32 targets = 0, groups = 0;
    for (u64 row = 0; row < tree->rowNodes.size(); ++row) {
        RECT cell = tree->cellRect(row, 0);
        if (cell.bottom > client.bottom) break;
        const i32 n = controls::countColour(tree->hwnd, cell, wave);
        if (static_cast<ConverterFormatNode*>(tree->rowNodes[row])->kind == FormatGroupNode) {
            ++groups;
            EXPECT_EQ(n, 0) << "group row " << row;
        } else {
            ++targets;
            EXPECT_EQ(n, 16) << "target row " << row;
            // The page's whole outline: the row is tall enough for the picture.
            EXPECT_EQ(controls::countColour(tree->hwnd, cell, RGB(64, 64, 64)), 48) << "target row " << row;
        }
    }
    EXPECT_GE(groups, 1);
    EXPECT_GE(targets, 1) << treeText(tree);
    saveWindowShot(tree->hwnd, "converter_tree_pictures.bmp");
}

TEST(ConverterPage, ATargetOpenInAnEditorPageIsRefused) {
    TempDir dir;
    const std::string source = makeWave(dir, "a.wav");
    const std::string target = dir.file("held.wav");
    dir.write("held.wav", "old bytes");
    Page f;
    EditorStandIn* editor = new EditorStandIn(&f.owner);
    GBag none;
    editor->openFile(target.c_str(), none);
    ASSERT_TRUE(editor->hasDocument);
    f.load(source);
    f.caretOn(f.nodeOfTag(OwnFormatTag));
    f.page->setFieldText(f.page->targetField, (dir.path() + "\\HELD.wav").c_str());
    BoxScope boxes;
    f.page->onCommand(ConverterConvert, nullptr);
    waitIdle(f.page);
    EXPECT_NE(boxes.all().find("is open in an Editor page"), std::string::npos) << boxes.all();
    EXPECT_EQ(readWholeFile(target), "old bytes");
    EXPECT_TRUE(IsWindowEnabled(f.page->formatTree->hwnd));
    delete editor;
}

TEST(ConverterPage, CommandsWaitWhileBusy) {
    AdpcmRowChosen chosen;
    Recording& f = *chosen.page;
    for (u32 c : {200u, 1000u, 1001u, 104u, 107u, 111u}) EXPECT_EQ(f.page->commandState(c), CommandEnabled) << c;
    f.page->release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    f.page->onCommand(ConverterConvert, nullptr);
    ASSERT_TRUE(f.page->busy());
    for (u32 c : {200u, 1000u, 1001u, 104u, 107u, 111u}) EXPECT_EQ(f.page->commandState(c), CommandDisabled) << c;
    EXPECT_FALSE(IsWindowEnabled(f.page->sourceField->editLine()->hwnd));
    EXPECT_FALSE(IsWindowEnabled(f.page->playSourceButton->hwnd));
    // A second Convert meanwhile starts nothing.
    f.page->onCommand(ConverterConvert, nullptr);
    SetEvent(f.page->release);
    waitIdle(f.page);
    CloseHandle(f.page->release);
    f.page->release = nullptr;
    EXPECT_EQ(f.page->runs, 1);
    EXPECT_EQ(f.page->commandState(200), CommandEnabled);
    EXPECT_TRUE(IsWindowEnabled(f.page->sourceField->editLine()->hwnd));
    EXPECT_EQ(f.page->historyKind(), 16u);
}

TEST(ConverterPage, SavedStateRoundTrips) {
    Page a;
    a.page->setFieldText(a.page->sourceField, "C:\\s\\a.wav");
    a.page->setFieldText(a.page->targetField, "C:\\t\\%.mp3");
    a.page->acmFlag[0]->setChecked(1);
    a.page->acmFlag[3]->setChecked(0);
    a.page->acmFlagAll->setChecked(1);
    a.page->channelsCombo->select(2);
    a.page->rateCombo->select(4);
    a.page->encodingCombo->select(3);
    a.page->option1Edit->setTextQuiet("128");
    GBag bag;
    a.page->saveState(bag);
    Page b;
    bag.pos = 0;
    b.page->restoreState(bag);
    EXPECT_STREQ(b.page->fieldText(b.page->sourceField).c_str(), "C:\\s\\a.wav");
    EXPECT_STREQ(b.page->fieldText(b.page->targetField).c_str(), "C:\\t\\%.mp3");
    EXPECT_TRUE(b.page->acmFlag[0]->isChecked());
    EXPECT_FALSE(b.page->acmFlag[3]->isChecked());
    EXPECT_TRUE(b.page->acmFlagAll->isChecked());
    EXPECT_FALSE(IsWindowEnabled(b.page->acmFlag[1]->hwnd));
    EXPECT_EQ(b.page->channelsCombo->selection, 2);
    EXPECT_EQ(b.page->rateCombo->selection, 4);
    EXPECT_EQ(b.page->encodingCombo->selection, 3);
    EXPECT_STREQ(b.page->option1Edit->text(), "128");
    EXPECT_STREQ(b.page->option2Edit->text(), "");

    // Negative or too large indexes leave their combos.
    a.page->channelsCombo->select(-1);
    a.page->encodingCombo->selection = 7;
    GBag second;
    a.page->saveState(second);
    second.pos = 0;
    b.page->encodingCombo->select(1);
    b.page->restoreState(second);
    EXPECT_EQ(b.page->channelsCombo->selection, 2);
    EXPECT_EQ(b.page->rateCombo->selection, 4);
    EXPECT_EQ(b.page->encodingCombo->selection, 1);
    // A short record throws.
    GBag cut;
    bagWriteBytes(cut, second.data, second.size - 3);
    cut.pos = 0;
    EXPECT_THROW(b.page->restoreState(cut), GBagException);
}

TEST(ConverterPage, RemembersTheTargetOfEachSourceFormat) {
    multimediaSettings().recentConversions.clear();
    FakeMachineScope fake;
    fake.machine.drivers = {adpcmDriver()};
    TempDir dir;
    const std::string a = makeWave(dir, "a.wav"), b = makeWave(dir, "b.wav");
    const std::string stereo = dir.file("c.wav");
    runSox("-n -r 22050 -c 2 -b 16 " + soxPath(stereo) + " synth 0.1 sine 300");
    std::string key;
    {
        Recording f;
        f.load(a);
        key = f.page->sourceInfo->text.c_str();
        EXPECT_EQ(findRememberedTarget(key.c_str()), nullptr);
        f.caretOn(f.nodeOfTag(0x11));
        f.page->setFieldText(f.page->targetField, dir.file("x.wav").c_str());
        f.page->onCommand(ConverterConvert, nullptr);
        waitIdle(f.page);
        ASSERT_NE(findRememberedTarget(key.c_str()), nullptr);
    }
    {
        // Another source of the same format: the caret goes back; another format: it does not.
        Recording f;
        f.load(b);
        auto* caret = static_cast<ConverterFormatNode*>(f.page->formatTree->caretNode());
        ASSERT_NE(caret, nullptr);
        EXPECT_EQ(caret->tag, 0x11);
        EXPECT_EQ(f.page->optionPages->current, ConverterAcmOptions);
        f.load(stereo);
        EXPECT_NE(f.page->sourceInfo->text.c_str(), key);
        caret = static_cast<ConverterFormatNode*>(f.page->formatTree->caretNode());
        EXPECT_TRUE(!caret || caret->kind == FormatGroupNode);
        // Saving the options stores the choice too.
        f.caretOn(f.nodeOfTag(OwnFormatTag));
        GBag blocks[3];
        f.page->saveStateBlocks(blocks);
        GBag* stored = findRememberedTarget(f.page->sourceInfo->text.c_str());
        ASSERT_NE(stored, nullptr);
        stored->pos = 0;
        f.page->formatTree->setCaretRow(0);
        EXPECT_TRUE(f.page->formatTree->restoreCaretPath(*stored));
        EXPECT_EQ(f.page->caretFormat()->tag, OwnFormatTag);
    }
    {
        // A stale path leaves the caret where the build put it.
        GBag& stale = multimediaSettings().recentConversions[key];
        bagFree(stale);
        bagWriteI32(stale, 5);
        bagWriteString(stale, "Gone");
        bagWriteI32(stale, -1);
        Recording f;
        BoxScope boxes;
        f.load(b);
        EXPECT_EQ(boxes.all(), "");
        auto* caret = static_cast<ConverterFormatNode*>(f.page->formatTree->caretNode());
        EXPECT_TRUE(!caret || caret->kind == FormatGroupNode);
    }
    EXPECT_EQ(findRememberedTarget("no such source"), nullptr);
    multimediaSettings().recentConversions.clear();
}

TEST(ConverterPage, PreviewPlaysAndReleasesItsButtons) {
    TempDir dir;
    const std::string source = makeWave(dir, "a.wav", 16, "3");
    const std::string target = makeWave(dir, "t.wav", 16, "3");
    const std::string shortOne = makeWave(dir, "s.wav", 16, "0.3");
    Page f;
    f.load(source);
    f.page->setFieldText(f.page->targetField, target.c_str());
    ConverterWindow* p = f.page;
    InputSeam seam;
    seam.active = f.owner.hwnd;
    auto click = [&](GButton* b) {
        seam.pointAt(b->hwnd, 4, 4);
        SendMessageA(b->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageA(b->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        pumpUntil([] { return false; }, 20);
    };
    click(p->playSourceButton);
    EXPECT_TRUE(p->playing());
    EXPECT_TRUE(p->playSourceButton->checked());
    // The target stops the source and takes over.
    click(p->playTargetButton);
    EXPECT_TRUE(p->playing());
    EXPECT_FALSE(p->playSourceButton->checked());
    EXPECT_TRUE(p->playTargetButton->checked());
    // Its own button again: a stop.
    click(p->playTargetButton);
    EXPECT_FALSE(p->playing());
    EXPECT_FALSE(p->playTargetButton->checked());
    // Play source again while it plays: a stop.
    click(p->playSourceButton);
    click(p->playSourceButton);
    EXPECT_FALSE(p->playing());
    EXPECT_FALSE(p->playSourceButton->checked());

    // The timer releases the buttons at the end.
    f.page->setFieldText(f.page->targetField, shortOne.c_str());
    click(p->playTargetButton);
    EXPECT_TRUE(p->playTargetButton->checked());
    EXPECT_TRUE(pumpUntil([&] { return !p->playTargetButton->checked(); }, 5000));
    EXPECT_FALSE(p->playing());

    // A missing target: the box, the button released.
    f.page->setFieldText(f.page->targetField, dir.file("none.wav").c_str());
    BoxScope boxes;
    click(p->playTargetButton);
    EXPECT_EQ(boxes.all(), "The file does not exist\n");
    EXPECT_FALSE(p->playTargetButton->checked());
    EXPECT_FALSE(p->playing());
    // Nor can it be edited.
    click(p->editTargetButton);
    EXPECT_EQ(boxes.all(), "The file does not exist\nThe file does not exist\n");
}
