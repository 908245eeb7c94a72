#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/localizer.h"
#include "core/paths.h"
#include "core/wide_text.h"
#include "tests/support/test_support.h"

namespace {

// A module of three slots standing in for a real one.
struct FixtureModule {
    const char* const defaults[3] = {"One", "Two", "Three"};
    const char* slots[3] = {"One", "Two", "Three"};
    TextModule module;
    explicit FixtureModule(const char* name = "kxcore") : module{name, slots, defaults, 3, nullptr} {}
    ~FixtureModule() { restoreDefaultTexts(module); }
    std::vector<std::string> texts() const { return {slots[0], slots[1], slots[2]}; }
};

// Languages in a folder of their own; the choice file lies there too (absent until written).
struct LanguageFolder {
    TempDir dir;
    RecordingHandler handler;

    void list(const std::string& body) {
        dir.write("lang.xml", "<?xml version=\"1.0\"?>\n<!-- languages -->\n<Languages>\n" + body + "</Languages>\n");
    }
    void setUp(Localizer& localizer) {
        localizer.handler = &handler;
        stringAssignText(localizer.listPath, dir.file("lang.xml").c_str());
        stringAssignText(localizer.choicePath, dir.file("choice").c_str());
    }
    // The first report's first line.
    std::string reported() const {
        if (handler.reports.empty()) return "";
        const std::string& text = handler.reports.front().first;
        return text.substr(0, text.find('\n'));
    }
};

std::string lang(const std::string& name, const std::string& files, u32 codePage = 1252) {
    return "<Lang name=\"" + name + "\" show=\"" + name + " language\" codepage=\"" + std::to_string(codePage) +
           "\">\n" + files + "</Lang>\n";
}
std::string file(const std::string& module, const std::string& bin) {
    return "  <File module=\"" + module + "\" bin=\"" + bin + "\"/>\n";
}

// German and Russian files of the modules kxcore and kxmm; the Russian kxmm file holds ruMm.
void writeModuleFiles(LanguageFolder& folder, const std::vector<std::string>& ruMm) {
    folder.dir.write("de_core.bin", languageFile({"Eins", "Zwei", "Drei"}));
    folder.dir.write("de_mm.bin", languageFile({"Ja"}));
    folder.dir.write("ru_core.bin", languageFile({"Odin", "Dva", "Tri"}));
    folder.dir.write("ru_mm.bin", languageFile(ruMm));
}

struct CodePageReset {
    ~CodePageReset() { setProcessCodePage(0); }
};

}  // namespace

TEST(LanguageFile, ReplacesSlotsOnlyWhenWholeAndSound) {
    TempDir dir;
    FixtureModule fixture;
    dir.write("good.bin", languageFile({"Eins", "Zwei", "Drei"}));
    ASSERT_TRUE(readLanguageFile(fixture.module, dir.file("good.bin").c_str()));
    EXPECT_EQ(fixture.texts(), (std::vector<std::string>{"Eins", "Zwei", "Drei"}));
    ASSERT_NE(fixture.module.block, nullptr);

    // A file of two texts in six bytes: the third slot becomes empty.
    dir.write("two.bin", u32le(2) + u32le(6) + u32le(0) + u32le(3) + std::string("ab\0cd\0", 6));
    ASSERT_TRUE(readLanguageFile(fixture.module, dir.file("two.bin").c_str()));
    EXPECT_EQ(fixture.texts(), (std::vector<std::string>{"ab", "cd", ""}));

    ASSERT_TRUE(readLanguageFile(fixture.module, dir.file("good.bin").c_str()));
    const char* block = fixture.module.block;
    struct Refused {
        const char* what;
        std::string bytes;
    } refused[] = {
        {"more texts than slots", languageFile({"a", "b", "c", "d"})},
        {"offset outside the block", u32le(2) + u32le(6) + u32le(0) + u32le(6) + std::string("ab\0cd\0", 6)},
        {"no final NUL", u32le(1) + u32le(2) + u32le(0) + "ab"},
        {"texts without a block", u32le(1) + u32le(0) + u32le(0)},
    };
    for (const Refused& r : refused) {
        dir.write("bad.bin", r.bytes);
        EXPECT_FALSE(readLanguageFile(fixture.module, dir.file("bad.bin").c_str())) << r.what;
        EXPECT_EQ(fixture.texts(), (std::vector<std::string>{"Eins", "Zwei", "Drei"})) << r.what;
        EXPECT_EQ(fixture.module.block, block) << r.what;
    }

    struct Short {
        const char* what;
        std::string bytes;
    } shorts[] = {
        {"cut inside the count", std::string("\2\0", 2)},
        {"cut inside the size", u32le(2) + std::string("\6", 1)},
        {"cut inside the offsets", u32le(2) + u32le(6) + u32le(0)},
        {"cut inside the block", u32le(2) + u32le(6) + u32le(0) + u32le(3) + "ab"},
        {"a block larger than the file", u32le(1) + u32le(0xFFFFFFF0u) + u32le(0) + "x"},
    };
    for (const Short& s : shorts) {
        dir.write("short.bin", s.bytes);
        FILE* stream = nullptr;
        try {
            readLanguageFile(fixture.module, dir.file("short.bin").c_str());
            ADD_FAILURE() << s.what;
        } catch (const LocalizerException& e) {
            stream = e.stream;
        }
        ASSERT_NE(stream, nullptr) << s.what;
        fclose(stream);
        EXPECT_EQ(fixture.texts(), (std::vector<std::string>{"Eins", "Zwei", "Drei"})) << s.what;
    }

    EXPECT_FALSE(readLanguageFile(fixture.module, dir.file("missing.bin").c_str()));

    dir.write("none.bin", u32le(0));
    ASSERT_TRUE(readLanguageFile(fixture.module, dir.file("none.bin").c_str()));
    EXPECT_EQ(fixture.texts(), (std::vector<std::string>{"", "", ""}));

    restoreDefaultTexts(fixture.module);
    EXPECT_EQ(fixture.texts(), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(fixture.module.block, nullptr);
}

TEST(Localizer, LoadsTheChosenLanguageIntoEveryModule) {
    CodePageReset reset;
    LanguageFolder folder;
    FixtureModule core("kxcore"), mm("kxmm");
    TextModule* modules[] = {&core.module, &mm.module};
    writeModuleFiles(folder, {"Da", "Net"});
    folder.list("<Other x=\"1\"><Nested/></Other>\n<?pi ignored?>\n" +
                lang("German", file("kxcore", "de_core.bin") + "<!-- <File module=\"kxmm\" bin=\"x\"/> -->\n" +
                                   file("kxmm", "de_mm.bin") + file("kxunknown", "none.bin")) +
                "<Lang name=\"Russian\" show=\"Russkij\" codepage=\"1251\">\n" + file("kxcore", "ru_core.bin") +
                file("kxmm", "ru_mm.bin") + "</Lang>\n");

    Localizer localizer(modules, 2, "Russian");
    folder.setUp(localizer);
    ASSERT_TRUE(localizer.loadLanguages());
    ASSERT_EQ(localizer.languageCount(), 2u);
    EXPECT_STREQ(localizer.language(0)->show.c_str(), "German language");
    EXPECT_EQ(localizer.language(0)->files.count, 3u);
    EXPECT_EQ(localizer.chosen, 1);
    EXPECT_EQ(processCodePage(), 1251u);
    EXPECT_EQ(core.texts(), (std::vector<std::string>{"Odin", "Dva", "Tri"}));
    EXPECT_EQ(mm.texts(), (std::vector<std::string>{"Da", "Net", ""}));
    EXPECT_TRUE(folder.handler.reports.empty());

    // Loading again replaces the texts of the language loaded before.
    stringAssignText(localizer.languageCode, "German");
    ASSERT_TRUE(localizer.loadLanguages());
    EXPECT_EQ(localizer.chosen, 0);
    EXPECT_EQ(core.texts(), (std::vector<std::string>{"Eins", "Zwei", "Drei"}));
    EXPECT_EQ(mm.texts(), (std::vector<std::string>{"Ja", "", ""}));
    EXPECT_EQ(processCodePage(), 1252u);

    // The path mapping sees every module file before it is opened.
    localizer.mapPath = [](Localizer&, GString& path) { stringReplaceAll(path, "de_", "ru_"); };
    ASSERT_TRUE(localizer.loadLanguages());
    EXPECT_EQ(core.texts(), (std::vector<std::string>{"Odin", "Dva", "Tri"}));
}

TEST(Localizer, ChoosesByCodeChoiceFileLocaleThenFirst) {
    CodePageReset reset;
    LanguageFolder folder;
    FixtureModule core;
    TextModule* modules[] = {&core.module};
    GString locale = userLocaleLanguage();
    ASSERT_GT(locale.length, 0u);
    std::string names[] = {"Aa", "Bb", "Cc", locale.c_str()};
    std::string body;
    for (const std::string& name : names) {
        folder.dir.write(name + ".bin", languageFile({name}));
        body += lang(name, file("kxcore", name + ".bin"));
    }
    folder.list(body);

    struct Case {
        const char* code;
        const char* choiceFile;  // null: no choice file
        const char* expected;
    } cases[] = {
        {"Bb", "Cc", "Bb"},
        {"", "Cc", "Cc"},
        {"Zz", "Cc", "Cc"},
        {nullptr, "Cc\r\n", locale.c_str()},  // the choice file must match exactly
        {nullptr, nullptr, locale.c_str()},
    };
    for (const Case& c : cases) {
        if (c.choiceFile)
            folder.dir.write("choice", c.choiceFile);
        else
            DeleteFileA(folder.dir.file("choice").c_str());
        Localizer localizer(modules, 1, c.code);
        folder.setUp(localizer);
        ASSERT_TRUE(localizer.loadLanguages());
        EXPECT_EQ(localizer.language((u32)localizer.chosen)->name.c_str(), std::string(c.expected));
        EXPECT_STREQ(core.slots[0], c.expected);
    }

    // Without any match the first language is taken.
    folder.list(lang("Aa", file("kxcore", "Aa.bin")) + lang("Bb", file("kxcore", "Bb.bin")));
    DeleteFileA(folder.dir.file("choice").c_str());
    Localizer first(modules, 1, "Zz");
    folder.setUp(first);
    ASSERT_TRUE(first.loadLanguages());
    EXPECT_EQ(first.chosen, 0);

    // A stored choice is what the next start finds.
    ASSERT_TRUE(first.storeLanguageChoice(1));
    EXPECT_EQ(folder.dir.read("choice"), "Bb");
    EXPECT_FALSE(first.storeLanguageChoice(2));
    Localizer next(modules, 1);
    folder.setUp(next);
    ASSERT_TRUE(next.loadLanguages());
    EXPECT_EQ(next.chosen, 1);
    EXPECT_STREQ(core.slots[0], "Bb");

    // A choice operation of the caller's own.
    next.chooseLanguage = [](Localizer& l) { return l.findLanguage("Aa"); };
    ASSERT_TRUE(next.loadLanguages());
    EXPECT_EQ(next.chosen, 0);
}

TEST(Localizer, FailuresReportAndKeepTheTexts) {
    CodePageReset reset;
    struct Case {
        const char* what;
        std::string list;
        const char* message;  // null: GException without a report
    } cases[] = {
        {"no Lang with name and show", "<Lang name=\"Aa\" codepage=\"1252\">" + file("kxcore", "good.bin") + "</Lang>\n",
         "No valid languages."},
        {"nothing but other elements", "<Other/>\n", "No valid languages."},
        {"duplicate module", lang("Aa", file("kxcore", "good.bin") + file("kxcore", "good.bin")), "Duplicate module."},
        {"module missing", lang("Aa", file("kxmm", "good.bin")), "Localization for module not found."},
        {"module file missing", lang("Aa", file("kxcore", "missing.bin")), "Localization loading failed."},
        {"module file cut", lang("Aa", file("kxcore", "cut.bin")), "Localization loading failed."},
        {"module file refused", lang("Aa", file("kxcore", "wide.bin")), "Localization loading failed."},
        {"unknown entity", "<Lang name=\"A&nbsp;\" show=\"x\"/>\n", "Unknown escape sequence."},
        {"entity of 511 characters", "<Lang name=\"&" + std::string(511, 'a') + ";\" show=\"x\"/>\n",
         "Unknown escape sequence."},
        {"entity of 512 characters", "<Lang name=\"&" + std::string(512, 'a') + ";\" show=\"x\"/>\n",
         "Bad escape sequence."},
        {"entity cut by the end", "<Lang name=\"&amp", "Bad escape sequence."},
        {"bad code page", "<Lang name=\"Aa\" show=\"A\" codepage=\"12x\"/>\n", nullptr},
    };
    for (const Case& c : cases) {
        LanguageFolder folder;
        folder.dir.write("good.bin", languageFile({"x", "y", "z"}));
        folder.dir.write("cut.bin", u32le(2) + u32le(6) + u32le(0));
        folder.dir.write("wide.bin", languageFile({"a", "b", "c", "d"}));
        folder.list(c.list);
        FixtureModule core;
        TextModule* modules[] = {&core.module};
        Localizer localizer(modules, 1);
        folder.setUp(localizer);
        EXPECT_THROW(localizer.loadLanguages(), GException) << c.what;
        if (c.message) {
            ASSERT_EQ(folder.handler.reports.size(), 1u) << c.what;
            EXPECT_EQ(folder.reported(), c.message) << c.what;
            EXPECT_NE(folder.handler.lastText().find(folder.dir.file("lang.xml")), std::string::npos) << c.what;
        } else {
            EXPECT_TRUE(folder.handler.reports.empty()) << c.what;
        }
        EXPECT_EQ(core.texts(), (std::vector<std::string>{"One", "Two", "Three"})) << c.what;
        // The module file was closed again.
        EXPECT_TRUE(DeleteFileA(folder.dir.file("cut.bin").c_str())) << c.what;
    }

    // A list that cannot be opened is reported by the file and answers false.
    LanguageFolder folder;
    FixtureModule core;
    TextModule* modules[] = {&core.module};
    Localizer localizer(modules, 1);
    folder.setUp(localizer);
    EXPECT_FALSE(localizer.loadLanguages());
    EXPECT_EQ(folder.reported(), "Cannot open or create file.");
}

TEST(Localizer, AFailedLoadKeepsEveryModuleAndTheCodePage) {
    CodePageReset reset;
    LanguageFolder folder;
    FixtureModule core("kxcore"), mm("kxmm");
    TextModule* modules[] = {&core.module, &mm.module};
    writeModuleFiles(folder, {"a", "b", "c", "d"});  // more texts than slots
    folder.list(lang("German", file("kxcore", "de_core.bin") + file("kxmm", "de_mm.bin"), 1252) +
                lang("Russian", file("kxcore", "ru_core.bin") + file("kxmm", "ru_mm.bin"), 1251));

    // From the English texts, and from a language loaded before.
    struct Case {
        const char* before;  // null: the English texts
        std::vector<std::string> core, mm;
    } cases[] = {
        {nullptr, {"One", "Two", "Three"}, {"One", "Two", "Three"}},
        {"German", {"Eins", "Zwei", "Drei"}, {"Ja", "", ""}},
    };
    for (const Case& c : cases) {
        setProcessCodePage(850);
        if (c.before) {
            Localizer first(modules, 2, c.before);
            folder.setUp(first);
            ASSERT_TRUE(first.loadLanguages());
            setProcessCodePage(850);
        }
        const char* block = core.module.block;
        Localizer localizer(modules, 2, "Russian");
        folder.setUp(localizer);
        EXPECT_THROW(localizer.loadLanguages(), GException);
        EXPECT_EQ(folder.reported(), "Localization loading failed.");
        EXPECT_EQ(core.texts(), c.core);
        EXPECT_EQ(mm.texts(), c.mm);
        EXPECT_EQ(core.module.block, block);
        EXPECT_EQ(processCodePage(), 850u);
        folder.handler.reports.clear();
    }
}

TEST(Localizer, AttributeEntitiesAreOneLevelDeep) {
    CodePageReset reset;
    LanguageFolder folder;
    folder.dir.write("a.bin", languageFile({"x"}));
    folder.list("<Lang name = \"A&amp;quot;\" show=\"&lt;B&gt; &quot;C&quot;\" codepage=\"0\">" +
                file("kxcore", "a.bin") + "</Lang>");
    FixtureModule core;
    TextModule* modules[] = {&core.module};
    Localizer localizer(modules, 1);
    folder.setUp(localizer);
    ASSERT_TRUE(localizer.loadLanguages());
    EXPECT_STREQ(localizer.language(0)->name.c_str(), "A&quot;");
    EXPECT_STREQ(localizer.language(0)->show.c_str(), "<B> \"C\"");
    EXPECT_EQ(localizer.findLanguage("A&quot;"), 0);
}

TEST(Localizer, TheBuiltEnglishFilesHoldTheCoreTexts) {
    CodePageReset reset;
    // The build lays the files out beside the program: "$e\Data\lang".
    TextModule* modules[] = {&kxcoreModule};
    RecordingHandler handler;
    Localizer localizer(modules, 1, "English", &handler);
    ASSERT_TRUE(localizer.loadLanguages()) << (handler.reports.empty() ? "" : handler.lastText());
    EXPECT_STREQ(localizer.language((u32)localizer.chosen)->name.c_str(), "English");
    EXPECT_EQ(processCodePage(), 1252u);
    ASSERT_NE(kxcoreModule.block, nullptr);
    for (u32 i = 0; i < kxcoreModule.count; ++i) {
        EXPECT_NE(kxcoreModule.slots[i], kxcoreModule.defaults[i]);
        EXPECT_STREQ(kxcoreModule.slots[i], kxcoreModule.defaults[i]) << i;
    }
    restoreDefaultTexts(kxcoreModule);
}
