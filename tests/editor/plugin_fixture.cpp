#include "tests/editor/plugin_fixture.h"

#include "core/gfile.h"
#include "core/paths.h"
#include "editor/wave_pane.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "gui/menus/menu.h"
#include "mm/plugin_folder.h"
#include "mm/plugin_host.h"
#include "tests/mm/sound_bytes.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_plugins.h"

namespace {
std::function<void()> g_later;

void CALLBACK runLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> step = std::move(g_later);
    g_later = nullptr;
    if (step) step();
}

i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    PluginFixture::boxes.push_back(text ? text : "");
    return 1;
}
}  // namespace

PluginFixture::PluginFixture(std::initializer_list<const char*> plugins) {
    boxes.clear();
    setMessageBoxSink(recordBox);
    CreateDirectoryA(dir.file("plugins").c_str(), nullptr);
    for (const char* p : plugins) {
        const std::string named(p);
        const size_t equals = named.find('=');
        copyTestPlugin(dir, named.substr(0, equals).c_str(), "plugins\\" + named.substr(equals + 1));
    }
    folder = std::make_unique<PluginFolderScope>(dir.file("plugins").c_str());
    createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
    SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 640, 360, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    page = new EditorWindow(&owner);
    owner.setContent(page);
    page->setRect(RECT{0, 0, 640, 360});
}

PluginFixture::~PluginFixture() {
    pumpUntil([&] { return !page->running() && !page->job; });
    SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(owner.hwnd);
    folder.reset();
    setMessageBoxSink(nullptr);
}

bool PluginFixture::open(const std::string& format, const std::string& synth) {
    if (runSox("-n " + format + " \"" + unixPath(soundPath()) + "\" " + synth) != 0) return false;
    page->loadDocument(soundPath().c_str(), nullptr);
    return page->hasDocument && page->dataLength > 0;
}

std::vector<std::string> PluginFixture::menu(u32 menuId) {
    GPopupMenu popup;
    dynamicPopupCommand = (i32)menuId;
    page->fillDynamicMenu(menuId, popup.menu);
    std::vector<std::string> out;
    lastItems.clear();
    for (i32 i = 0; i < GetMenuItemCount(popup.menu); ++i) {
        const i32 id = menuItemCommandId(popup.menu, i);
        if (id == -1) {
            out.push_back("-");
            continue;
        }
        const UINT state = GetMenuState(popup.menu, (UINT)i, MF_BYPOSITION);
        std::string text = menuStringAt(popup.menu, i).c_str();
        text = text.substr(0, text.find('\t'));
        lastItems.emplace_back(text, id);
        out.push_back(std::string(state & MF_GRAYED ? "~" : "") + (state & MF_CHECKED ? "*" : "") + text);
    }
    return out;
}

i32 PluginFixture::itemId(const std::string& text) {
    for (const auto& item : lastItems)
        if (item.first == text) return item.second;
    return -1;
}

bool PluginFixture::command(u32 id) {
    GStateQuery query{id, 0};
    return routeCommandUp(page->pane, QueryExecute, &query);
}

i32 PluginFixture::pluginIndex(const char* name) {
    for (u32 i = 0; i < vstPluginList().count; ++i)
        if (std::string(vstPluginAt(i)->name()) == name) return (i32)i;
    return -1;
}

std::string PluginFixture::bytes() {
    return storeSamples(page->store);
}

bool PluginFixture::finished() { return pumpUntil([&] { return !page->running() && !page->job; }, 20000); }

void PluginFixture::later(std::function<void()> step) {
    g_later = std::move(step);
    SetTimer(nullptr, 0, 0, runLater);
}
