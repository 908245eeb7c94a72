// The options dialog run modally for real: its controls, OK's checks and writes, Cancel's restores.
#include "app/options_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/options_mixer.h"
#include "app/window_kinds.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/number_validator.h"
#include "gui/controls/page_stack.h"
#include "gui/dialogs/action_items_window.h"
#include "gui/dialogs/path_field.h"
#include "gui/frame/help.h"
#include "gui/input/input_event.h"
#include "gui/kernel/message_box.h"
#include "gui/menus/command_bars.h"
#include "gui/paint/gui_settings.h"
#include "gui/views/tab_actions.h"
#include "gui/views/tree_table.h"
#include "mm/mm_settings.h"
#include "tests/support/test_support.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/dib_canvas.h"
#include "tests/app/pane_colors_kept.h"
#include "tests/gui/gui_fixture.h"

namespace {

OptionsDialog& options(GDialog& d) { return static_cast<OptionsDialog&>(d); }

std::string dataFile(const char* name) {
    GString path = dataFolder();
    pathJoin(path, name);
    return path.c_str();
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<u8> commandBars() {
    GBag bag;
    writeCommandBars(bag);
    return std::vector<u8>(bag.data, bag.data + bag.size);
}

std::vector<u8> appBytes() {
    GBag bag;
    writeAppSettings(appSettings, bag);
    return std::vector<u8>(bag.data, bag.data + bag.size);
}

// The boxes asked; questions take the queued answers, then `questionAnswer`.
std::vector<std::string> asked;
std::vector<i32> queuedAnswers;
i32 questionAnswer = 7;
i32 answerBox(const MessageBoxDescription* description, GWindow*, const char* text) {
    asked.push_back(text ? text : "");
    if (description != &mbQuestion) return 0;
    if (queuedAnswers.empty()) return questionAnswer;
    i32 answer = queuedAnswers.front();
    queuedAnswers.erase(queuedAnswers.begin());
    return answer;
}

// A mixer line of the test's own: its volume is its state.
u32 fakeVolume = 1000;
class FakeLine : public OptionsMixerLine {
public:
    bool saveState(GBag& state) override {
        bagWriteU32(state, fakeVolume);
        return true;
    }
    bool applyState(GBag& state) override {
        fakeVolume = bagGetU32(state);
        return true;
    }
    bool volume(u32* value) override {
        *value = fakeVolume;
        return true;
    }
    bool setVolume(u32 value) override {
        fakeVolume = value;
        return true;
    }
};
OptionsMixerLine* makeFakeLine() { return new FakeLine; }

// The edit line of the number field with this range.
GEditLine* numberField(OptionsDialog& d, f64 minimum, f64 maximum) {
    for (GFieldBinding* f = d.fields.head; f; f = f->next)
        if (auto* number = dynamic_cast<NumberValidator*>(f))
            if (number->minimum == minimum && number->maximum == maximum) return static_cast<GEditLine*>(static_cast<GItemBase*>(number->field));
    return nullptr;
}

void setText(GEditLine* edit, const char* text) {
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit->hwnd, WM_SETTEXT, 0, (LPARAM)text);
}

// A mouse click on the box's mark; its page is shown first.
void click(OptionsDialog& d, i32 page, GCheckBox* box) {
    d.pageList->setCaretRow((u64)page);
    RECT mark, text;
    box->geometry(&mark, &text);
    i32 x = (mark.left + mark.right) / 2, y = (mark.top + mark.bottom) / 2;
    SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(box->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

GCheckBox* boxBoundTo(OptionsDialog& d, u8* variable) {
    for (GFieldBinding* f = d.fields.head; f; f = f->next)
        if (auto* mark = dynamic_cast<GMarkBinding*>(f))
            if (mark->mark->isKindOf(TypeCheckBox) && static_cast<GCheckBox*>(mark->mark)->variable == variable)
                return static_cast<GCheckBox*>(mark->mark);
    return nullptr;
}

// Every record the dialog touches, kept and put back; the data files it may write removed.
class OptionsFixture : public testing::Test {
protected:
    void SetUp() override {
        savedApp = appSettings;
        savedGui = guiSettings;
        savedMm.assign(multimediaSettings());
        savedBars = commandBars();
        savedTabs = tabFlagWord;
        ensureDataFolder();
        DeleteFileA(dataFile("workdir.dir").c_str());
        pluginFileBefore = fileExists(dataFile("pluginsdir.dir"));
        tempFileBefore = readWholeFile(dataFile("tempdir.dir"));
        asked.clear();
        queuedAnswers.clear();
        questionAnswer = 7;
        setMessageBoxSink(answerBox);
        makeOptionsMixerLine = makeFakeLine;
        fakeVolume = 1000;
    }
    void TearDown() override {
        setMessageBoxSink(nullptr);
        makeOptionsMixerLine = makeDeviceMixerLine;
        appSettings = savedApp;
        guiSettings = savedGui;
        multimediaSettings().assign(savedMm);
        GBag bars;
        bagWriteBytes(bars, savedBars.data(), (u32)savedBars.size());
        bars.pos = 0;
        readCommandBars(bars);
        tabFlagWord = savedTabs;
        DeleteFileA(dataFile("workdir.dir").c_str());
        if (tempFileBefore.empty())
            DeleteFileA(dataFile("tempdir.dir").c_str());
        else
            writeDataFile("tempdir.dir", tempFileBefore.c_str());
    }

    TestApplication app;
    PaneColorsKept colours;
    AppSettings savedApp;
    GGuiSettings savedGui;
    MultimediaSettings savedMm;
    std::vector<u8> savedBars;
    u32 savedTabs = 0;
    bool pluginFileBefore = false;
    std::string tempFileBefore;
};

}  // namespace

TEST_F(OptionsFixture, OkWithNothingChangedWritesAsksAndScansNothing) {
    const std::vector<u8> before = appBytes();
    const GGuiSettings gui = guiSettings;
    i32 pages = 0;
    ModalScript script(TypeOptionsDialog, {
        [&](GDialog& d) {
            OptionsDialog& o = options(d);
            pages = o.pages ? o.pages->childCount() : 0;
            EXPECT_EQ(o.pageList->rowNodeCount(), OptionsPageCount);
            EXPECT_EQ(o.kindCombos[0]->selection, 9);  // both bar columns start on Default
            EXPECT_EQ(o.barEditors[1]->kind, programWindowKind(KindDefault));
            o.pageList->setCaretRow((u64)OptionsBuffersPage);
            saveWindowShot(d.hwnd, "options_buffers.bmp");
            ModalScript::post(d, 1);
        },
    });
    EXPECT_EQ(runOptionsDialog(nullptr), 1);
    EXPECT_EQ(pages, OptionsPageCount);
    EXPECT_TRUE(asked.empty()) << asked.front();
    EXPECT_FALSE(fileExists(dataFile("workdir.dir")));
    EXPECT_EQ(fileExists(dataFile("pluginsdir.dir")), pluginFileBefore);
    EXPECT_EQ(appBytes(), before);
    EXPECT_EQ(memcmp(&gui, &guiSettings, sizeof gui), 0);
}

TEST_F(OptionsFixture, NumberFieldsOutOfRangeKeepItOpen) {
    struct Case {
        const char* what;
        f64 minimum, maximum;
        const char* typed;
    } cases[] = {
        {"undo data of 10485761 MB", 0, 10485760, "10485761"},
        {"no visible track", 1, 1000, "0"},
        {"1001 visible tracks", 1, 1000, "1001"},
        {"not a number", 1, 100, "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        i32 openAfterOk = 0;
        ModalScript script(TypeOptionsDialog, {
            [&](GDialog& d) {
                setText(numberField(options(d), c.minimum, c.maximum), c.typed);
                PostMessageA(d.hwnd, WM_COMMAND, 1, 0);
            },
            [&](GDialog& d) {
                openAfterOk = d.result == -1 && IsWindow(d.hwnd);
                ModalScript::post(d, 2);
            },
        });
        EXPECT_EQ(runOptionsDialog(nullptr), 2);
        EXPECT_TRUE(openAfterOk);
        EXPECT_EQ(asked.size(), 1u);  // the refusal
        EXPECT_EQ(appSettings.Editor.workFileLimit, 1073741824u);
        EXPECT_EQ(appSettings.Editor.Performance.visibleTrackLimit, 50u);
    }
}

TEST_F(OptionsFixture, OkWritesTheFieldsBoxesAndTabBits) {
    ModalScript script(TypeOptionsDialog, {
        [&](GDialog& d) {
            OptionsDialog& o = options(d);
            setText(numberField(o, 0, 10485760), "1.5");
            setText(numberField(o, 1, 1000), "7");
            click(o, OptionsTabsPage, o.tabBoxes[11]);  // GTab_DRAG_OUT
            click(o, OptionsConverterPage, boxBoundTo(o, &appSettings.Editor.convertWarning));
            // Nothing is written before OK.
            EXPECT_EQ(appSettings.Editor.convertWarning, 1);
            EXPECT_EQ(guiSettings.tabEffects, savedGui.tabEffects);
            ModalScript::post(d, 1);
        },
    });
    EXPECT_EQ(runOptionsDialog(nullptr), 1);
    EXPECT_EQ(appSettings.Editor.workFileLimit, 1572864u);
    EXPECT_EQ(appSettings.Editor.Performance.visibleTrackLimit, 7u);
    EXPECT_EQ(appSettings.Editor.convertWarning, 0);
    EXPECT_EQ(guiSettings.tabEffects, savedGui.tabEffects ^ (1u << 27));
    EXPECT_EQ(tabFlagWord & TabOptionDragOut, guiSettings.tabEffects & TabOptionDragOut);
}

TEST_F(OptionsFixture, CancelRestoresBarsMixerLineAndKeepsSettings) {
    const std::vector<u8> bars = commandBars();
    bool barsChanged = false;
    u32 volumeSet = 0;
    ModalScript script(TypeOptionsDialog, {
        [&](GDialog& d) {
            OptionsDialog& o = options(d);
            o.pageList->setCaretRow(OptionsBarsPage);
            // The tool-bar column on the Spectrum kind by keys, then every tool bar hidden.
            for (int i = 0; i < 5; ++i) {
                GInputEvent up;
                keyModifierState(WM_KEYDOWN, VK_UP, 0, &up);
                up.target = o.kindCombos[0];
                o.kindCombos[0]->handleKey(&up);
            }
        },
        [&](GDialog& d) {
            OptionsDialog& o = options(d);
            EXPECT_EQ(o.kindCombos[0]->selection, 4);
            EXPECT_EQ(o.barEditors[0]->kind, programWindowKind(KindSpectrum));
            o.barEditors[0]->buttons[ActionsHideAll - 1000]->click();
            barsChanged = commandBars() != bars;
            click(o, OptionsConverterPage, boxBoundTo(o, &appSettings.Editor.convertWarning));
            // The stand-in mixer line changed live.
            o.pageList->setCaretRow(OptionsMixerPage);
            setText(o.mixerVolume, "123");
            o.onCommand(OptionsSetMixerVolume, nullptr);
            volumeSet = fakeVolume;
            ModalScript::post(d, 2);
        },
    });
    EXPECT_EQ(runOptionsDialog(nullptr), 2);
    EXPECT_TRUE(barsChanged);
    EXPECT_EQ(volumeSet, 123u);
    EXPECT_EQ(commandBars(), bars);
    EXPECT_EQ(appSettings.Editor.convertWarning, 1);
    EXPECT_EQ(fakeVolume, 1000u);
}

TEST_F(OptionsFixture, ResetAllAsksThenRestartsWithReset) {
    for (i32 answer : {7, 6}) {
        SCOPED_TRACE(answer);
        questionAnswer = answer;
        asked.clear();
        app.app.restartRequested = false;
        app.app.restartCommandLine = "";
        ModalScript script(TypeOptionsDialog, {
            [&](GDialog& d) { PostMessageA(d.hwnd, WM_COMMAND, OptionsResetAll, 0); },
            [&](GDialog& d) {
                if (IsWindow(d.hwnd) && d.result == -1) ModalScript::post(d, 2);
            },
        });
        i32 end = runOptionsDialog(nullptr);
        EXPECT_EQ(asked.size(), 1u);
        EXPECT_EQ(end, answer == 6 ? (i32)OptionsResetAll : 2);
        EXPECT_EQ(app.app.restartRequested, answer == 6);
        EXPECT_STREQ(app.app.restartCommandLine.c_str(), answer == 6 ? "-Reset" : "");
        // The quit stops here: the test goes on.
        app.app.quitting = false;
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

TEST_F(OptionsFixture, CancelPutsTheDeviceMixerLineBack) {
    makeOptionsMixerLine = makeDeviceMixerLine;
    OptionsMixerLine* probe = makeDeviceMixerLine();
    ASSERT_NE(probe, nullptr) << "the test machine has a mixer";
    u32 before = 0, during = 0, after = 0;
    ASSERT_TRUE(probe->volume(&before));
    const char* other = before > 30000 ? "8192" : "49152";
    ModalScript script(TypeOptionsDialog, {
        [&](GDialog& d) {
            OptionsDialog& o = options(d);
            o.pageList->setCaretRow(OptionsMixerPage);
            ASSERT_NE(o.mixerLine, nullptr);
            setText(o.mixerVolume, other);
            o.onCommand(OptionsSetMixerVolume, nullptr);
            probe->volume(&during);
            ModalScript::post(d, 2);
        },
    });
    EXPECT_EQ(runOptionsDialog(nullptr), 2);
    EXPECT_TRUE(probe->volume(&after));
    EXPECT_NE(during, before);
    EXPECT_EQ(after, before);
    probe->setVolume(before);
    delete probe;
}

TEST_F(OptionsFixture, ANewTempFolderIsAskedAboutAndChecked) {
    TempDir dir;
    const std::string fresh = dir.file("scratch");
    struct Case {
        const char* what;
        std::string typed;
        std::vector<i32> answers;
        i32 end;
        size_t boxes;
        bool stored;
    } cases[] = {
        {"declined", fresh, {7}, 2, 1, false},
        {"a drive root", "C:\\", {6}, 2, 2, false},
        {"accepted, no restart now", fresh, {6, 7}, 1, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        queuedAnswers = c.answers;
        app.app.restartRequested = false;
        ModalScript script(TypeOptionsDialog, {
            [&](GDialog& d) {
                GEditLine* line = options(d).tempFolderField->editLine();
                setText(line, c.typed.c_str());
                PostMessageA(d.hwnd, WM_COMMAND, 1, 0);
            },
            [&](GDialog& d) {
                if (IsWindow(d.hwnd) && d.result == -1) ModalScript::post(d, 2);
            },
        });
        EXPECT_EQ(runOptionsDialog(nullptr), c.end);
        EXPECT_EQ(asked.size(), c.boxes);
        GString stored = readWholeFile(dataFile("tempdir.dir")).c_str();
        EXPECT_EQ(stored.length != 0 && stored.length == fresh.size() &&
                      _stricmp(stored.c_str(), fresh.c_str()) == 0,
                  c.stored)
            << stored.c_str();
        EXPECT_FALSE(app.app.restartRequested);
    }
    // The question says that only the program's own files are ever removed.
    EXPECT_NE(asked.front().find("own temporary files"), std::string::npos);
}

TEST_F(OptionsFixture, HelpIdsKeepItOpenAndOtherStandardIdsEndIt) {
    // A page that is there goes to the browser call, a missing one to the error box naming it.
    char missing[] = "No page %s";
    char* savedMissing = helpMissingText;
    helpMissingText = missing;
    ShellOpen savedOpen = shellOpen;
    static std::string opened;
    shellOpen = [](void*, const char* address) { opened = address; };
    for (u32 id : {9u, 101u, 4u}) {
        SCOPED_TRACE(id);
        asked.clear();
        opened.clear();
        bool open = false;
        ModalScript script(TypeOptionsDialog, {
            [&](GDialog& d) { PostMessageA(d.hwnd, WM_COMMAND, id, 0); },
            [&](GDialog& d) {
                open = IsWindow(d.hwnd) && d.result == -1;
                if (open) ModalScript::post(d, 2);
            },
        });
        i32 end = runOptionsDialog(nullptr);
        if (id == 4) {
            EXPECT_EQ(end, 4);
            EXPECT_TRUE(asked.empty() && opened.empty());
        } else {
            EXPECT_TRUE(open);
            const std::string shown = opened + (asked.empty() ? "" : asked[0]);
            EXPECT_NE(shown.find("options.htm"), std::string::npos) << shown;
        }
    }
    helpMissingText = savedMissing;
    shellOpen = savedOpen;
}
