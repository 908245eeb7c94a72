// The language dialog run modally for real, and the installer-mode localisation step reading a
// fixture payload through its temporary file.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/task_queue.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/multi_label.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/modal_run.h"
#include "gui/views/box.h"
#include "gui/views/language_dialog.h"
#include "gui/views/localization_object.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
// Acts on every language dialog from a task of its modal run, once it is shown; the action ends
// it by posting a command.
class DialogScript : public GItemBase {
public:
    explicit DialogScript(std::function<void(GLanguageDialog&)> act) : act(std::move(act)) {
        ListenerChain::append(application()->eventList, lifeRecord());
    }
    ~DialogScript() override { TaskQueue::clear(ring); }
    bool onEvent(void* event) override {
        ModalEvent* modal = static_cast<ModalEvent*>(event);
        if (!modal->begin) {
            KillTimer(nullptr, stuckTimer);
            return false;
        }
        GDialog* dialog = modal->scope->dialog();
        if (!dialog || !dialog->isKindOf(TypeLanguageDialog)) return false;
        TaskQueue::enqueue(ring, new Act(*this, static_cast<GLanguageDialog&>(*dialog)));
        // A dialog the action failed to end ends with -9 instead of hanging the test.
        stuckTimer = SetTimer(nullptr, 0, 5000, endStuck);
        return false;
    }
    std::function<void(GLanguageDialog&)> act;
    int runs = 0;
    UINT_PTR stuckTimer = 0;

private:
    static void CALLBACK endStuck(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        ADD_FAILURE() << "the dialog did not end";
        if (GDialog* stuck = pendingModalDialog()) stuck->endDialog(-9);
    }
    struct Act : QueuedTask {
        Act(DialogScript& script, GLanguageDialog& dialog) : script(script), dialog(dialog) {}
        void run() override {
            ++script.runs;
            script.act(dialog);
        }
        DialogScript& script;
        GLanguageDialog& dialog;
    };
    TaskRing ring;
};

// Without a window manager the end of a visible active dialog waits about 2 s: the dialog is
// marked hidden before it is ended.
void unmark(GLanguageDialog& dialog) {
    SetWindowLongA(dialog.hwnd, GWL_STYLE, GetWindowLongA(dialog.hwnd, GWL_STYLE) & ~WS_VISIBLE);
}
void post(GLanguageDialog& dialog, u32 command) {
    unmark(dialog);
    PostMessageA(dialog.hwnd, WM_COMMAND, command, 0);
}

void clickRow(GLanguageDialog& dialog, u64 row) {
    RECT r = dialog.list->cellRect(row, 0);
    LPARAM at = MAKELPARAM(r.left + 10, (r.top + r.bottom) / 2);
    SendMessageA(dialog.list->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(dialog.list->hwnd, WM_LBUTTONUP, 0, at);
}

void addLanguages(Localizer& localizer, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        Language* language = new Language;
        language->name = GString(name.c_str());
        language->show = GString((name + " language").c_str());
        appendSlot(localizer.languages, language);
    }
}

// What the dialog showed.
struct Shown {
    std::string title, prompt, ok, cancel, help;
    bool operator==(const Shown& o) const {
        return title == o.title && prompt == o.prompt && ok == o.ok && cancel == o.cancel && help == o.help;
    }
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.title << " / " << s.prompt << " / " << s.ok << " / " << s.cancel << " / " << s.help;
}

std::string buttonText(GLanguageDialog& dialog, u32 command) {
    GButton* button = dialog.buttons->findButton(command);
    return button ? button->text.c_str() : "(none)";
}
}  // namespace

TEST(LanguageDialog, SpeaksEnglishUntilALanguageFileGivesItsTexts) {
    TestApplication app;
    Localizer localizer(nullptr, 0);
    addLanguages(localizer, {"English"});
    TempDir dir;
    std::vector<std::string> translated(kxguiModule.defaults, kxguiModule.defaults + (u32)GuiText::Count);
    translated[(u32)GuiText::ButtonOk] = "Gut";
    translated[(u32)GuiText::ButtonCancel] = "Abbruch";
    translated[(u32)GuiText::ButtonHelp] = "Hilfe";
    translated[(u32)GuiText::LanguageTitle] = "Sprache";
    translated[(u32)GuiText::LanguagePrompt] = "Sprache der Oberfl\xE4" "che:";
    dir.write("full.bin", languageFile(translated));
    // A file made before the dialog's texts: they load empty.
    translated.resize((u32)GuiText::LanguageTitle);
    dir.write("older.bin", languageFile(translated));

    const Shown english{"Language", "Select language for interface:", "OK", "Cancel", "&Help"};
    struct Case {
        const char* file;
        Shown shown;
    } cases[] = {
        {nullptr, english},
        {"full.bin", {"Sprache", "Sprache der Oberfl\xE4" "che:", "Gut", "Abbruch", "Hilfe"}},
        {"older.bin", english},
    };
    for (const Case& c : cases) {
        struct RestoreTexts {
            ~RestoreTexts() { restoreDefaultTexts(kxguiModule); }
        } restore;
        if (c.file) {
            ASSERT_TRUE(readLanguageFile(kxguiModule, dir.file(c.file).c_str())) << c.file;
        }
        Shown shown;
        DialogScript script([&](GLanguageDialog& d) {
            char title[64] = {};
            GetWindowTextA(d.hwnd, title, sizeof title);
            shown = {title, d.prompt->text.c_str(), buttonText(d, 1), buttonText(d, 2), buttonText(d, 9)};
            post(d, 2);
        });
        i32 index = 0;
        EXPECT_FALSE(GLanguageDialog::run(nullptr, localizer, index, "index.htm"));
        EXPECT_EQ(1, script.runs);
        EXPECT_EQ(c.shown, shown) << (c.file ? c.file : "no file");
    }
}

TEST(LanguageDialog, OkTakesTheSelectedRowOtherEndsKeepTheIndex) {
    TestApplication app;
    enum Act { Ok, Cancel, Escape, PickFirstThenOk, PickFirstThenCancel };
    struct Case {
        std::vector<std::string> names;
        i32 index;
        Act act;
        i64 selectedAtOpen;
        bool answer;
        i32 indexAfter;
    } cases[] = {
        {{"English"}, -1, Ok, 0, true, 0},
        {{"English"}, 0, Ok, 0, true, 0},
        {{"German", "English", "Russian"}, 2, Cancel, 2, false, 2},
        {{"German", "English", "Russian"}, 2, Escape, 2, false, 2},
        {{"German", "English", "Russian"}, 2, PickFirstThenOk, 2, true, 0},
        {{"German", "English", "Russian"}, 1, PickFirstThenCancel, 1, false, 1},
        {{"German", "English", "Russian"}, 7, Cancel, 0, false, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.names.size() << " languages, index " << c.index << ", act " << c.act);
        Localizer localizer(nullptr, 0);
        addLanguages(localizer, c.names);
        i64 selectedAtOpen = -2;
        std::vector<std::string> rows;
        DialogScript script([&](GLanguageDialog& d) {
            selectedAtOpen = d.list->selection()->firstSelected();
            for (u64 i = 0; i < d.list->rowCount(); ++i) {
                std::unique_ptr<char[]> text(d.list->rowText(i));
                rows.push_back(text ? text.get() : "");
            }
            switch (c.act) {
            case Ok: post(d, 1); break;
            case Cancel: post(d, 2); break;
            case Escape:
                unmark(d);
                PostMessageA(d.list->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
                break;
            case PickFirstThenOk: clickRow(d, 0); post(d, 1); break;
            case PickFirstThenCancel: clickRow(d, 0); post(d, 2); break;
            }
        });
        i32 index = c.index;
        EXPECT_EQ(c.answer, GLanguageDialog::run(nullptr, localizer, index));
        EXPECT_EQ(1, script.runs);
        EXPECT_EQ(c.selectedAtOpen, selectedAtOpen);
        EXPECT_EQ(c.indexAfter, index);
        ASSERT_EQ(c.names.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(c.names[i] + " language", rows[i]);
    }
}

namespace {
// A module of three slots standing in for the program's.
struct FixtureModule {
    const char* const defaults[3] = {"One", "Two", "Three"};
    const char* slots[3] = {"One", "Two", "Three"};
    TextModule module{"kxtest", slots, defaults, 3, nullptr};
    TextModule* modules[1] = {&module};
    ~FixtureModule() { restoreDefaultTexts(module); }
    std::vector<std::string> texts() const { return {slots[0], slots[1], slots[2]}; }
};

// The installation payload: members "Data\lang\<name>" are the files of a folder. Every member
// asked for is recorded.
struct Payload {
    TempDir dir;
    std::vector<std::string> asked;
    static inline Payload* current = nullptr;

    Payload() {
        current = this;
        extractPayloadMember = extract;
    }
    ~Payload() {
        extractPayloadMember = nullptr;
        current = nullptr;
    }
    static bool extract(const char* member, const char* path) {
        current->asked.push_back(member);
        const std::string prefix = "Data\\lang\\", name = std::string(member).substr(prefix.size());
        if (std::string(member).compare(0, prefix.size(), prefix) != 0 || !current->dir.exists(name)) return false;
        std::string bytes = current->dir.read(name);
        FILE* f = fopen(path, "wb");
        if (!f) return false;
        bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return fclose(f) == 0 && written;
    }
    // German and Russian, each with its module file.
    void writeLanguages() {
        dir.write("lang.xml",
                  "<?xml version=\"1.0\"?>\n<Languages>\n"
                  "<Lang name=\"German\" show=\"Deutsch\" codepage=\"1252\">\n"
                  "  <File module=\"kxtest\" bin=\"de.bin\"/>\n</Lang>\n"
                  "<Lang name=\"Russian\" show=\"Russkij\" codepage=\"1252\">\n"
                  "  <File module=\"kxtest\" bin=\"ru.bin\"/>\n</Lang>\n</Languages>\n");
        dir.write("de.bin", languageFile({"Eins", "Zwei", "Drei"}));
        dir.write("ru.bin", languageFile({"Odin", "Dva", "Tri"}));
    }
};

std::string temporaryFile() {
    GString name("$t\\kx_43A674A547354_localization_embed.bin");
    expandPathMacros(name);
    return name.c_str();
}
bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string firstLine(const RecordingHandler& handler) {
    if (handler.reports.empty()) return "";
    const std::string& text = handler.reports.front().first;
    return text.substr(0, text.find('\n'));
}

struct CodePageReset {
    ~CodePageReset() { setProcessCodePage(0); }
};
}  // namespace

TEST(InstallerLocalization, TheUserConfirmsOrChangesTheLanguageOfTheCode) {
    TestApplication app;
    CodePageReset reset;
    Payload payload;
    payload.writeLanguages();
    enum Act { Ok, Cancel, PickFirstThenOk };
    struct Case {
        const char* code;
        Act act;
        i64 selectedAtOpen;
        std::vector<std::string> texts;
        const char* moduleMember;
    } cases[] = {
        {"Russian", Cancel, 1, {"Odin", "Dva", "Tri"}, "Data\\lang\\ru.bin"},
        {"Russian", PickFirstThenOk, 1, {"Eins", "Zwei", "Drei"}, "Data\\lang\\de.bin"},
        {nullptr, Ok, 0, {"Eins", "Zwei", "Drei"}, "Data\\lang\\de.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code ? c.code : "no code");
        FixtureModule fixture;
        RecordingHandler handler;
        payload.asked.clear();
        i64 selectedAtOpen = -2;
        bool listThere = false;
        DialogScript script([&](GLanguageDialog& d) {
            selectedAtOpen = d.list->selection()->firstSelected();
            listThere = fileExists(temporaryFile());
            if (c.act == PickFirstThenOk) clickRow(d, 0);
            post(d, c.act == Cancel ? 2 : 1);
        });
        {
            LocalizationObject step(fixture.modules, 1);
            step.create(c.code);
            EXPECT_EQ(&step, initSteps[3]);
            ASSERT_TRUE(step.start(&handler, false)) << firstLine(handler);
            EXPECT_EQ(1, script.runs);
            EXPECT_TRUE(listThere);
            EXPECT_EQ(c.selectedAtOpen, selectedAtOpen);
            EXPECT_EQ(c.texts, fixture.texts());
            EXPECT_EQ((std::vector<std::string>{"Data\\lang\\lang.xml", c.moduleMember}), payload.asked);
            EXPECT_FALSE(fileExists(temporaryFile()));
            EXPECT_TRUE(step.temporaryName.empty());
            EXPECT_TRUE(handler.reports.empty());
            EXPECT_EQ(2u, step.languageCount());
            step.stop();
            EXPECT_EQ(0u, step.languageCount());
        }
        EXPECT_EQ(nullptr, initSteps[3]);
    }
}

TEST(InstallerLocalization, NoTemporaryFileIsLeftAfterAFailure) {
    TestApplication app;
    CodePageReset reset;
    struct Case {
        const char* what;
        std::function<void(Payload&)> arrange;
        std::string message;
    } cases[] = {
        {"no list in the payload, a stale file in the way",
         [](Payload& p) {
             DeleteFileA(p.dir.file("lang.xml").c_str());
             FILE* f = fopen(temporaryFile().c_str(), "wb");
             fclose(f);
         },
         coreText(CoreText::LocalizationFailed)},
        {"no languages listed", [](Payload& p) { p.dir.write("lang.xml", "<Languages></Languages>"); },
         coreText(CoreText::NoValidLanguages)},
        {"a bad entity in the list",
         [](Payload& p) { p.dir.write("lang.xml", "<Lang name=\"a&zz;\" show=\"A\"></Lang>"); },
         std::string(coreText(CoreText::UnknownEscapeSequence)) + "."},
        {"the module file missing from the payload", [](Payload& p) { DeleteFileA(p.dir.file("de.bin").c_str()); },
         coreText(CoreText::LocalizationFailed)},
        {"a short module file", [](Payload& p) { p.dir.write("de.bin", languageFile({"Eins"}).substr(0, 10)); },
         coreText(CoreText::LocalizationFailed)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FixtureModule fixture;
        RecordingHandler handler;
        Payload payload;
        payload.writeLanguages();
        c.arrange(payload);
        DialogScript script([](GLanguageDialog& d) { post(d, 1); });
        LocalizationObject step(fixture.modules, 1);
        step.create("German");
        EXPECT_FALSE(step.start(&handler, false));
        EXPECT_EQ(c.message, firstLine(handler));
        EXPECT_FALSE(fileExists(temporaryFile()));
        EXPECT_TRUE(step.temporaryName.empty());
        EXPECT_EQ((std::vector<std::string>{"One", "Two", "Three"}), fixture.texts());
    }

    // Whatever else the loading throws passes on, and the file still goes.
    FixtureModule fixture;
    Payload payload;
    payload.writeLanguages();
    LocalizationObject step(fixture.modules, 1);
    step.create("German");
    step.chooseLanguage = [](Localizer&) -> i32 {
        EXPECT_TRUE(fileExists(temporaryFile()));
        throw std::runtime_error("choice");
    };
    EXPECT_THROW(step.start(nullptr, false), std::runtime_error);
    EXPECT_FALSE(fileExists(temporaryFile()));
    EXPECT_TRUE(step.temporaryName.empty());
}
