// The settings store steps: the store file's frame, damaged stores, and the reset start.
#include "app/settings_step.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "gui/paint/gui_settings.h"
#include "mm/mm_settings.h"
#include "tests/app/pane_colors_kept.h"
#include "tests/support/test_support.h"

namespace {

// One record of each store with a value that differs from its default, and how to see it.
struct Stores {
    GGuiSettings gui;
    MultimediaSettings mm;
    AppSettings app;

    void change() {
        gui.undoCountLimit = 77;
        gui.tabEffects = 5;
        mm.show.noteStyle = 3;
        mm.recentConversions["b key"].size = 0;
        mm.recentConversions["a key"].size = 0;
        app.Editor.chorusCount = 9;
        app.Analyzer.openInNewTab = 0;
    }
    bool changed(u32 which) const {
        switch (which) {
        case 0: return gui.undoCountLimit == 77;
        case 1: return mm.show.noteStyle == 3;
        default: return app.Editor.chorusCount == 9;
        }
    }
};

std::unique_ptr<SettingsStep> stepFor(Stores& s, u32 which, const std::string& path, const char* section = nullptr) {
    switch (which) {
    case 0: return std::make_unique<SettingsStep>(s.gui, path.c_str(), section ? section : "KXGUI", 1);
    case 1: return std::make_unique<SettingsStep>(s.mm, path.c_str(), section ? section : "KXMM", 1);
    default: return std::make_unique<SettingsStep>(s.app, path.c_str(), section ? section : "Ravo", 1);
    }
}

// The store's bytes: tag, version, length, bag.
struct StoreFile {
    std::string tag, bag;
    u32 version;
    std::string bytes() const { return tag + u32le(version) + u32le((u32)bag.size()) + bag; }
    static StoreFile parse(const std::string& file) {
        return {file.substr(0, 4), file.substr(12), *(const u32*)(file.data() + 4)};
    }
};

}  // namespace

TEST(SettingsStep, ForeignStoresAreNotReadAndStopWritesAValidOne) {
    PaneColorsKept kept;
    struct Fault {
        const char* what;
        std::function<void(StoreFile&)> spoil;
    } faults[] = {
        {"tag", [](StoreFile& f) { f.tag = "OPTX"; }},
        {"version 2", [](StoreFile& f) { f.version = 2; }},
        {"section name", [](StoreFile& f) { f.bag[9] ^= 0x20; }},  // a letter of the name
    };
    TempDir dir;
    for (u32 which = 0; which < 3; ++which) {
        for (const Fault& fault : faults) {
            SCOPED_TRACE(std::string(fault.what) + " of store " + std::to_string(which));
            const std::string path = dir.file("store.ini");
            Stores saved;
            saved.change();
            ASSERT_TRUE(stepFor(saved, which, path)->save());
            StoreFile file = StoreFile::parse(readWholeFile(path));
            fault.spoil(file);
            dir.write("store.ini", file.bytes());

            Stores fresh;
            auto step = stepFor(fresh, which, path);
            EXPECT_TRUE(step->start(nullptr, false));
            EXPECT_FALSE(fresh.changed(which));
            step->stop();

            Stores reread;
            EXPECT_TRUE(stepFor(reread, which, path)->load());
            StoreFile written = StoreFile::parse(readWholeFile(path));
            EXPECT_EQ(written.tag, "OPTS");
            EXPECT_EQ(written.version, 1u);
        }
    }
}

TEST(SettingsStep, DamagedStoreKeepsWhatWasReadAndStartSucceeds) {
    PaneColorsKept kept;
    TempDir dir;
    const std::string path = dir.file("store.ini");
    for (u32 which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        Stores saved;
        saved.change();
        ASSERT_TRUE(stepFor(saved, which, path)->save());
        StoreFile file = StoreFile::parse(readWholeFile(path));
        // The bag cut before its end, its length word still telling the truth.
        file.bag.resize(file.bag.size() * 2 / 3);
        dir.write("store.ini", file.bytes());

        Stores fresh;
        auto step = stepFor(fresh, which, path);
        EXPECT_FALSE(step->load());
        EXPECT_TRUE(step->start(nullptr, false));
        step->stop();
        Stores reread;
        EXPECT_TRUE(stepFor(reread, which, path)->load());
    }
    // Values before the damage stay: the first sections of the program record.
    Stores saved;
    saved.change();
    stepFor(saved, 2, path)->save();
    StoreFile file = StoreFile::parse(readWholeFile(path));
    file.bag.resize(file.bag.size() / 2);
    dir.write("store.ini", file.bytes());
    Stores fresh;
    EXPECT_TRUE(stepFor(fresh, 2, path)->start(nullptr, false));
    EXPECT_EQ(fresh.app.Analyzer.openInNewTab, 0);
}

TEST(SettingsStep, ResetStartThenStopWritesTheDefaultsOfAllThree) {
    PaneColorsKept kept;
    TempDir dir;
    Stores changed, defaults;
    changed.change();
    for (u32 which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        auto step = stepFor(changed, which, dir.file("changed.ini"));
        ASSERT_TRUE(step->save());
        EXPECT_TRUE(step->start(nullptr, true));
        EXPECT_FALSE(changed.changed(which));
        step->stop();
        ASSERT_TRUE(stepFor(defaults, which, dir.file("defaults.ini"))->save());
        EXPECT_EQ(dir.read("changed.ini"), dir.read("defaults.ini"));
    }
    EXPECT_TRUE(changed.mm.recentConversions.empty());
}

TEST(SettingsStep, GlobalRecordsResetToTheirDefaults) {
    PaneColorsKept kept;
    TempDir dir;
    guiSettings.undoCountLimit = 5;
    multimediaSettings().show.octaveStyle = 4;
    appSettings.Spectrum.overtoneMax = 3;
    SettingsStep gui(guiSettings, dir.file("g.ini").c_str(), "KXGUI");
    SettingsStep mm(multimediaSettings(), dir.file("m.ini").c_str(), "KXMM");
    SettingsStep app(appSettings, dir.file("a.ini").c_str(), "Ravo");
    for (SettingsStep* step : {&gui, &mm, &app}) EXPECT_TRUE(step->start(nullptr, true));
    EXPECT_EQ(guiSettings.undoCountLimit, 2000u);
    EXPECT_EQ(guiSettings.tabEffects, 0x7FF503FFu);
    EXPECT_EQ(multimediaSettings().show.octaveStyle, 2u);
    EXPECT_EQ(appSettings.Spectrum.overtoneMax, 40u);
}
