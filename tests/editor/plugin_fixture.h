#pragma once
// The plug-in tests of the Editor: a real Editor page in a frame of its own, the tests' plug-in
// libraries copied into a folder that the Editor's menus scan, message boxes recorded.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_menus.h"
#include "editor/editor_window.h"
#include "gui/kernel/dialog.h"
#include "gui/menus/popup_menu.h"
#include "tests/editor/plugin_folder_scope.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

class PluginFixture {
public:
    // The plug-ins, "<test library>=<file name>", copied into the scanned folder.
    explicit PluginFixture(std::initializer_list<const char*> plugins);
    ~PluginFixture();

    // A sound made by sox, opened in the page.
    bool open(const std::string& format, const std::string& synth);
    std::string soundPath() const { return dir.file("sound.wav"); }
    // Fills the dynamic popup as the menu bar does when it opens; the items' texts, "-" for a
    // separator, "~" before a greyed text, "*" before a checked one.
    std::vector<std::string> menu(u32 menuId);
    // The id of the item with the text in the last filled menu, -1 when none.
    i32 itemId(const std::string& text);
    // The command routed from the pane up, as a menu item's.
    bool command(u32 id);
    // The index in the plug-in list of the plug-in named so, -1 when none.
    static i32 pluginIndex(const char* name);
    std::string bytes();
    bool finished();
    // Runs the step once from the next message loop (a modal run's, when one starts first).
    static void later(std::function<void()> step);

    TestApplication app;
    TempDir dir;
    std::unique_ptr<PluginFolderScope> folder;
    GDialog owner{nullptr, "edit.htm"};
    EditorWindow* page = nullptr;
    std::vector<std::pair<std::string, i32>> lastItems;
    static inline std::vector<std::string> boxes;
};
